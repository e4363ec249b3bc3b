#include "platform/curl/part_file.h"

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <vector>

#include "platform/win32/wide.h"

namespace quo {

namespace {

// The SID of one kind of the process token's information (TokenUser, TokenOwner); empty when it
// cannot be read.
std::vector<char> TokenSid(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
  DWORD n = 0;
  GetTokenInformation(token, kind, nullptr, 0, &n);
  std::vector<char> info(n);
  if (n == 0 || !GetTokenInformation(token, kind, info.data(), n, &n)) return {};
  const PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid
                                     : reinterpret_cast<TOKEN_OWNER*>(info.data())->Owner;
  std::vector<char> out(GetLengthSid(sid));
  CopySid(static_cast<DWORD>(out.size()), out.data(), sid);
  return out;
}

// The file's owner is this process's user, or the owner it gives the files it creates (an
// elevated administrator's files belong to the Administrators group).
bool OwnedByUs(HANDLE file) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                      nullptr, &sd) != ERROR_SUCCESS)
    return false;
  bool ours = false;
  HANDLE token = nullptr;
  if (owner != nullptr && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    for (const auto kind : {TokenUser, TokenOwner}) {
      std::vector<char> sid = TokenSid(token, kind);
      ours = ours || (!sid.empty() && EqualSid(owner, sid.data()));
    }
    CloseHandle(token);
  }
  LocalFree(sd);
  return ours;
}

// The earlier attempt's file when it may be continued: an ordinary file (no folder, no reparse
// point such as a link, opened without following one) with one name, owned by us.
HANDLE OpenKept(const std::wstring& path, std::int64_t maxSize, std::int64_t& size) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | READ_CONTROL,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return h;
  BY_HANDLE_FILE_INFORMATION info{};
  constexpr DWORD kNotOrdinary =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
  if (GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & kNotOrdinary) == 0 &&
      GetFileType(h) == FILE_TYPE_DISK && info.nNumberOfLinks == 1 && OwnedByUs(h)) {
    size = static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    if (maxSize < 0 || size <= maxSize) return h;
  }
  CloseHandle(h);
  return INVALID_HANDLE_VALUE;
}

HANDLE HandleOf(std::FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

}  // namespace

std::FILE* OpenPartFile(const std::string& path, bool resume, std::int64_t maxSize,
                        std::int64_t& offset) {
  offset = 0;
  const std::wstring wide = win32::WidePath(path);
  HANDLE h = resume ? OpenKept(wide, maxSize, offset) : INVALID_HANDLE_VALUE;
  if (h == INVALID_HANDLE_VALUE) {
    offset = 0;
    // A link is removed, never followed; CREATE_NEW fails on anything still there.
    DeleteFileW(wide.c_str());
    h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  }
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDWR | _O_BINARY);
  std::FILE* file = fd < 0 ? nullptr : _fdopen(fd, "r+b");
  if (file == nullptr) {
    if (fd >= 0)
      _close(fd);
    else
      CloseHandle(h);
    DeleteFileW(wide.c_str());
  }
  return file;
}

bool SizePartFile(std::FILE* file, std::int64_t size) {
  std::fflush(file);
  LARGE_INTEGER now{};
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = size;
  return GetFileSizeEx(HandleOf(file), &now) &&
         (now.QuadPart == size ||
          SetFileInformationByHandle(HandleOf(file), FileEndOfFileInfo, &end, sizeof end));
}

std::int64_t ReadPartFile(std::FILE* file, void* buffer, std::size_t n, std::int64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  DWORD got = 0;
  const DWORD want = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
  if (ReadFile(HandleOf(file), buffer, want, &got, &at)) return got;
  return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

bool SeekPartFile(std::FILE* file, std::int64_t offset) {
  return _fseeki64(file, offset, SEEK_SET) == 0;
}

bool RenamePartFile(const std::string& path, const std::string& target) {
  return MoveFileExW(win32::WidePath(path).c_str(), win32::WidePath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING) != 0;
}

void RemovePartFile(const std::string& path) { DeleteFileW(win32::WidePath(path).c_str()); }

}  // namespace quo
