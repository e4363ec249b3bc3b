#include "platform/win32/win32_files.h"

#include <windows.h>
// The headers below need the types of <windows.h>.
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/paths.h"
#include "platform/win32/wide.h"

namespace quo {

namespace {

using win32::ErrorText;
using win32::Narrow;
using win32::WidePath;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes a copy takes from its "like" file.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The folder of path as the messages name it ("." for none).
std::string DirName(const std::string& path) {
  const std::string dir = FolderOf(path, kAnySlash);
  return dir.empty() ? "." : dir;
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, DWORD err) {
  throw Error(what + " " + path + ": " + ErrorText(err));
}

class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
  void reset(HANDLE h) {
    Close();
    h_ = h;
  }
  HANDLE release() {
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  bool Close() {
    if (h_ == INVALID_HANDLE_VALUE) return true;
    const bool ok = ::CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

struct Info {
  DWORD attributes = 0;
  std::uint64_t size = 0, id = 0;
  std::int64_t modified = 0;  // in 100 ns since 1601
  bool Ordinary() const {
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
  }
};

std::uint64_t Join(DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; }

// What the path leads to (links followed), from an open handle: the only way to the file's
// identity. nullopt when nothing is there.
std::optional<Info> Open(const std::string& path) {
  Handle h(::CreateFileW(WidePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION bi{};
  if (!h || !::GetFileInformationByHandle(h.get(), &bi)) return std::nullopt;
  return Info{bi.dwFileAttributes, Join(bi.nFileSizeHigh, bi.nFileSizeLow),
              Join(bi.nFileIndexHigh, bi.nFileIndexLow),
              static_cast<std::int64_t>(
                  Join(bi.ftLastWriteTime.dwHighDateTime, bi.ftLastWriteTime.dwLowDateTime))};
}

// What the path leads to (links followed), without its identity.
std::optional<Info> Lookup(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  if (!::GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &d))
    return std::nullopt;
  if (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return Open(path);  // a link
  return Info{d.dwFileAttributes, Join(d.nFileSizeHigh, d.nFileSizeLow), 0, 0};
}

// Deletes the name itself, read-only or not; a link goes, never what it leads to. 0 when done,
// else the error.
DWORD DeleteName(const std::wstring& name) {
  const DWORD a = ::GetFileAttributesW(name.c_str());
  const bool known = a != INVALID_FILE_ATTRIBUTES;
  if (known && (a & FILE_ATTRIBUTE_DIRECTORY) && (a & FILE_ATTRIBUTE_REPARSE_POINT))
    return ::RemoveDirectoryW(name.c_str()) ? 0 : ::GetLastError();  // a link to a folder
  if (::DeleteFileW(name.c_str())) return 0;
  DWORD err = ::GetLastError();
  const DWORD plain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  if (err == ERROR_ACCESS_DENIED && known && (a & FILE_ATTRIBUTE_READONLY) && !(a & plain) &&
      ::SetFileAttributesW(name.c_str(), a & ~FILE_ATTRIBUTE_READONLY)) {
    if (::DeleteFileW(name.c_str())) return 0;
    err = ::GetLastError();
    ::SetFileAttributesW(name.c_str(), a);
  }
  return err;
}

// Moves from over to, replacing it as rename(2) does (a read-only target included), durable when
// the call returns.
void MoveOver(const std::string& from, const std::string& to, const char* what,
              const std::string& named) {
  const std::wstring f = WidePath(from), t = WidePath(to);
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (::MoveFileExW(f.c_str(), t.c_str(), flags)) return;
  DWORD err = ::GetLastError();
  const DWORD a = ::GetFileAttributesW(t.c_str());
  if (err == ERROR_ACCESS_DENIED && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) &&
      !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
      ::SetFileAttributesW(t.c_str(), a & ~FILE_ATTRIBUTE_READONLY)) {
    if (::MoveFileExW(f.c_str(), t.c_str(), flags)) return;
    err = ::GetLastError();
    ::SetFileAttributesW(t.c_str(), a);
  }
  Fail(what, named, err);
}

void WriteFully(HANDLE h, const char* data, std::size_t size, const std::string& path) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD n = 0;
    if (!::WriteFile(h, data, chunk, &n, nullptr)) Fail("Cannot write", path, ::GetLastError());
    data += n;
    size -= n;
  }
}

// Creates tmp exclusively, never through what is there, with the given security (nullptr: what
// the folder passes on); an invalid handle on failure.
HANDLE CreateNew(const std::string& tmp, SECURITY_ATTRIBUTES* security = nullptr) {
  return ::CreateFileW(WidePath(tmp).c_str(), GENERIC_WRITE, 0, security, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Writes through the temporary file tmp, open as out, then moves it over target with the given
// attributes. tmp never outlives a failure.
template <typename Producer>
void ReplaceThrough(Handle& out, const std::string& tmp, const std::string& target,
                    DWORD attributes, Producer&& produce) {
  try {
    produce(out.get());
    if (!::FlushFileBuffers(out.get())) Fail("Cannot write", tmp, ::GetLastError());
    if (!out.Close()) Fail("Cannot write", tmp, ::GetLastError());
    if (attributes != FILE_ATTRIBUTE_NORMAL &&
        !::SetFileAttributesW(WidePath(tmp).c_str(), attributes))
      Fail("Cannot set the attributes of", tmp, ::GetLastError());
    MoveOver(tmp, target, "Cannot replace", target);
  } catch (...) {
    out.Close();
    DeleteName(WidePath(tmp));
    throw;
  }
}

// The attributes a file written over path keeps: those of the ordinary file there, if any.
DWORD AttributesLike(const std::string& path) {
  const auto like = path.empty() ? std::nullopt : Lookup(path);
  const DWORD kept = like && like->Ordinary() ? like->attributes & kKeptAttributes : 0;
  return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

// Replaces path's content through a new file of a name of its own beside it, created with the
// given security and given the attributes.
void WriteThroughNew(const std::string& path, const std::string& content, DWORD attributes,
                     SECURITY_ATTRIBUTES* security) {
  static std::atomic<unsigned> counter{0};
  Handle out;
  std::string tmp;
  for (int attempt = 0; !out; ++attempt) {
    tmp = FolderOf(path, kAnySlash) + "." + BaseName(path, kAnySlash) + "." +
          std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++);
    out.reset(CreateNew(tmp, security));
    const DWORD err = ::GetLastError();
    if (!out && (attempt == 100 || (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)))
      Fail("Cannot create a file in", DirName(path), err);
  }
  ReplaceThrough(out, tmp, path, attributes,
                 [&](HANDLE h) { WriteFully(h, content.data(), content.size(), tmp); });
}

struct LocalFreer {
  void operator()(void* p) const { ::LocalFree(p); }
};

// This process's user: the user SID of its token (throws when it cannot be read).
class ThisUser {
 public:
  ThisUser() {
    HANDLE raw = nullptr;
    DWORD n = 0;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) {
      const Handle token(raw);
      ::GetTokenInformation(raw, TokenUser, nullptr, 0, &n);
      info_.resize(n);
      if (n != 0 && ::GetTokenInformation(raw, TokenUser, info_.data(), n, &n)) return;
    }
    throw Error("Cannot read this process's user: " + ErrorText(::GetLastError()));
  }
  PSID sid() { return reinterpret_cast<TOKEN_USER*>(info_.data())->User.Sid; }

 private:
  std::vector<char> info_;
};

// The rights that let an account change a file's bytes, attributes, access list, owner or name.
constexpr ACCESS_MASK kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                     FILE_WRITE_ATTRIBUTES | WRITE_DAC | WRITE_OWNER | DELETE |
                                     GENERIC_WRITE | GENERIC_ALL;

class HandleReader : public Files::Reader {
 public:
  HandleReader(HANDLE h, std::string path) : h_(h), path_(std::move(path)) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    DWORD n = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!::ReadFile(h_.get(), buffer, chunk, &n, nullptr))
      Fail("Cannot read", path_, ::GetLastError());
    return n;
  }

 private:
  Handle h_;
  std::string path_;
};

}  // namespace

bool Win32Files::IsOrdinaryFile(const std::string& path) {
  if (path.empty() || IsSeparator(path.back())) return false;
  const auto info = Lookup(path);
  return info && info->Ordinary() && BaseName(path, kAnySlash).front() != '.';
}

bool Win32Files::IsDirectory(const std::string& path) {
  const auto info = Lookup(path);
  return info && (info->attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::int64_t> Win32Files::FileSize(const std::string& path) {
  const auto info = Lookup(path);
  if (!info || !info->Ordinary()) return std::nullopt;
  return static_cast<std::int64_t>(info->size);
}

std::optional<Files::FileStamp> Win32Files::Stamp(const std::string& path) {
  const auto info = Open(path);
  if (!info || !info->Ordinary()) return std::nullopt;
  return FileStamp{info->size, info->id, info->modified};
}

bool Win32Files::NameExists(const std::string& path) {
  return ::GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<Files::Room> Win32Files::FreeSpace(const std::string& dir) {
  const std::wstring d = WidePath(dir.empty() ? "." : dir);
  ULARGE_INTEGER available{};
  wchar_t root[MAX_PATH + 1] = {};
  DWORD serial = 0;
  if (!::GetDiskFreeSpaceExW(d.c_str(), &available, nullptr, nullptr) ||
      !::GetVolumePathNameW(d.c_str(), root, MAX_PATH + 1) ||
      !::GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
    return std::nullopt;
  return Room{available.QuadPart, serial};
}

bool Win32Files::IsAbsolutePath(const std::string& path) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (path.size() >= 3 && letter(path[0]) && path[1] == ':' && IsSeparator(path[2])) return true;
  return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

bool Win32Files::MakeDirectory(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && IsSeparator(p.back())) p.pop_back();
  return !p.empty() && ::CreateDirectoryW(WidePath(p).c_str(), nullptr);
}

void Win32Files::Copy(const std::string& from, const std::string& to, const CopyMode& mode) {
  Handle in(::CreateFileW(WidePath(from).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in) Fail("Cannot open", from, ::GetLastError());
  BY_HANDLE_FILE_INFORMATION source{};
  if (!::GetFileInformationByHandle(in.get(), &source)) Fail("Cannot read", from, ::GetLastError());
  if (::GetFileType(in.get()) != FILE_TYPE_DISK ||
      (source.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    throw Error("Not a file: " + from);
  const DWORD attributes = AttributesLike(mode.like);

  // A leftover of a copy cut short, or a link planted there, is removed (never followed);
  // whatever cannot be removed makes the exclusive creation fail.
  const std::string tmp = TempCopyName(to);
  DeleteName(WidePath(tmp));
  Handle out(CreateNew(tmp));
  if (!out) Fail("Cannot create a file in", DirName(to), ::GetLastError());
  ReplaceThrough(out, tmp, to, attributes, [&](HANDLE h) {
    std::vector<char> buf(1 << 20);
    for (;;) {
      DWORD n = 0;
      if (!::ReadFile(in.get(), buf.data(), static_cast<DWORD>(buf.size()), &n, nullptr))
        Fail("Cannot read", from, ::GetLastError());
      if (n == 0) break;
      WriteFully(h, buf.data(), n, tmp);
    }
  });
}

// A file that is read-only cannot be opened to be flushed; its bytes were written, and flushed,
// before it became read-only (Copy, WriteAtomic), so there is nothing left to make durable.
void Win32Files::SyncFile(const std::string& path) {
  const std::wstring p = WidePath(path);
  Handle h(::CreateFileW(p.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (h && ::FlushFileBuffers(h.get())) return;
  const DWORD err = ::GetLastError();
  const DWORD a = ::GetFileAttributesW(p.c_str());
  if (!h && err == ERROR_ACCESS_DENIED && a != INVALID_FILE_ATTRIBUTES &&
      (a & FILE_ATTRIBUTE_READONLY) && !(a & FILE_ATTRIBUTE_DIRECTORY))
    return;
  Fail("Cannot sync", path, err);
}

// The names of a folder are made durable by the calls that change them: renames and replacements
// go through MOVEFILE_WRITE_THROUGH, and file systems journal creations and deletions. What a
// folder handle can add is flushed when the system lets one open it; it may not, and that is no
// failure. Only a folder that is not there fails.
void Win32Files::SyncDirectory(const std::string& dir) {
  const std::wstring d = WidePath(dir.empty() ? "." : dir);
  const DWORD a = ::GetFileAttributesW(d.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) Fail("Cannot sync", dir, ::GetLastError());
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) throw Error("Cannot sync " + dir + ": not a folder");
  Handle h(::CreateFileW(d.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (h) ::FlushFileBuffers(h.get());
}

void Win32Files::Rename(const std::string& from, const std::string& to) {
  MoveOver(from, to, "Cannot rename", from);
}

void Win32Files::Remove(const std::string& path) {
  const std::wstring p = WidePath(path);
  const DWORD a = ::GetFileAttributesW(p.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) &&
      !(a & FILE_ATTRIBUTE_REPARSE_POINT))
    throw Error("Is a folder: " + path);
  if (const DWORD err = DeleteName(p); err != 0) Fail("Cannot delete", path, err);
}

namespace {

// The ordinary, non-hidden files of dir, in the order the system gives them.
std::vector<std::string> OrdinaryNames(Files& files, const std::string& dir) {
  std::vector<std::string> names;
  std::string base = dir;
  if (!base.empty() && !IsSeparator(base.back())) base += '/';
  WIN32_FIND_DATAW found{};
  const HANDLE h = ::FindFirstFileExW(WidePath(base + "*").c_str(), FindExInfoBasic, &found,
                                      FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = Narrow(found.cFileName);
    if (name.empty() || name[0] == '.') continue;
    const DWORD a = found.dwFileAttributes;
    const bool ordinary = (a & FILE_ATTRIBUTE_REPARSE_POINT)
                              ? files.IsOrdinaryFile(base + name)  // a link: where it leads
                              : !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
    if (ordinary) names.push_back(name);
  } while (::FindNextFileW(h, &found));
  ::FindClose(h);
  return names;
}

}  // namespace

std::string Win32Files::FirstFile(const std::string& dir) {
  const auto names = OrdinaryNames(*this, dir);
  return names.empty() ? "" : *std::min_element(names.begin(), names.end());
}

std::vector<std::string> Win32Files::ListFiles(const std::string& dir) {
  auto names = OrdinaryNames(*this, dir);
  std::sort(names.begin(), names.end());
  return names;
}

void Win32Files::AppendLine(const std::string& path, const std::string& text) {
  // Never through a reparse point, and only into a disk file (a folder fails its open).
  Handle h(::CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                         kShareAll, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h) Fail("Cannot open", path, ::GetLastError());
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(h.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h.get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
    throw Error("Not an ordinary file: " + path);
  const std::string line = text + "\r\n";
  WriteFully(h.get(), line.data(), line.size(), path);
  if (!h.Close()) Fail("Cannot write", path, ::GetLastError());
}

std::optional<std::string> Win32Files::ReadAll(const std::string& path) {
  Handle h(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!h || ::GetFileType(h.get()) != FILE_TYPE_DISK || !::GetFileSizeEx(h.get(), &size))
    return std::nullopt;
  std::string out;
  out.reserve(static_cast<std::size_t>(size.QuadPart));
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(h.get(), buf, sizeof buf, &n, nullptr)) return std::nullopt;
    if (n == 0) return out;
    out.append(buf, n);
  }
}

void Win32Files::WriteAtomic(const std::string& path, const std::string& content) {
  WriteThroughNew(path, content, AttributesLike(path), nullptr);
}

bool Win32Files::IsLink(const std::string& path) {
  const DWORD a = ::GetFileAttributesW(WidePath(path).c_str());  // the name itself, not followed
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Full access for this user, SYSTEM and Administrators, nothing inherited from the folder; the
// rename keeps it, and appending to the file leaves it as it is.
void Win32Files::WritePrivate(const std::string& path, const std::string& content) {
  wchar_t* user = nullptr;
  if (!::ConvertSidToStringSidW(ThisUser().sid(), &user))
    Fail("Cannot write", path, ::GetLastError());
  const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(user) + L")(A;;FA;;;SY)(A;;FA;;;BA)";
  ::LocalFree(user);
  SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
          sddl.c_str(), SDDL_REVISION_1, &security.lpSecurityDescriptor, nullptr))
    Fail("Cannot write", path, ::GetLastError());
  const std::unique_ptr<void, LocalFreer> descriptor(security.lpSecurityDescriptor);
  WriteThroughNew(path, content, FILE_ATTRIBUTE_NORMAL, &security);
}

std::unique_ptr<Files::Reader> Win32Files::OpenPrivate(const std::string& path) {
  // Never through a reparse point; a folder opens too, to be told from a file.
  Handle h(::CreateFileW(WidePath(path).c_str(), GENERIC_READ | READ_CONTROL, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                         nullptr));
  if (!h) {
    const DWORD err = ::GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return nullptr;
    Fail("Cannot open", path, err);
  }
  BY_HANDLE_FILE_INFORMATION bi{};
  if (::GetFileType(h.get()) != FILE_TYPE_DISK) throw Error("Not an ordinary file: " + path);
  if (!::GetFileInformationByHandle(h.get(), &bi)) Fail("Cannot read", path, ::GetLastError());
  if (bi.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) throw Error("A link: " + path);
  if (bi.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
    throw Error("Not an ordinary file: " + path);
  if (bi.nNumberOfLinks != 1) throw Error("A file with more than one name: " + path);

  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (const DWORD err = ::GetSecurityInfo(h.get(), SE_FILE_OBJECT,
                                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                          &owner, nullptr, &dacl, nullptr, &sd))
    Fail("Cannot read the access list of", path, err);
  const std::unique_ptr<void, LocalFreer> descriptor(sd);
  ThisUser user;
  const auto trusted = [&](PSID sid) {
    return sid != nullptr &&
           (::EqualSid(sid, user.sid()) || ::IsWellKnownSid(sid, WinLocalSystemSid) ||
            ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid));
  };
  if (!trusted(owner)) throw Error("Owned by another user: " + path);
  if (dacl == nullptr) throw Error("Others may write it: " + path);  // open to all
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;  // every entry starts with its header and its mask
    if (!::GetAce(dacl, i, reinterpret_cast<void**>(&ace)))
      Fail("Cannot read the access list of", path, ::GetLastError());
    // A denial only takes rights away; an entry left for what a folder holds is not the file's.
    if (!(ace->Mask & kWriteRights) || ace->Header.AceType == ACCESS_DENIED_ACE_TYPE ||
        (ace->Header.AceFlags & INHERIT_ONLY_ACE))
      continue;
    if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || !trusted(&ace->SidStart))
      throw Error("Others may write it: " + path);
  }
  return std::make_unique<HandleReader>(h.release(), path);
}

}  // namespace quo
