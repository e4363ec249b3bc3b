#include "platform/win32/toolhelp_processes.h"

#include <windows.h>
// The headers below need the types of <windows.h>.
#include <psapi.h>
#include <sddl.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>

#include "core/error.h"
#include "core/paths.h"
#include "platform/win32/wide.h"

namespace quo {

namespace {

// The user key of a process whose token cannot be read; no readable token maps to it.
constexpr std::uint32_t kUnknownUser = 0xffffffffu;

struct Handle {
  HANDLE h = nullptr;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  explicit operator bool() const { return h != nullptr && h != INVALID_HANDLE_VALUE; }
};

// The system's text for an error code, "%1" standing for the name when it has one.
std::string SystemMessage(DWORD code, const std::string& name = "") {
  std::string message = win32::ErrorText(code);
  if (const auto at = message.find("%1"); at != std::string::npos) message.replace(at, 2, name);
  return message;
}

// FNV-1a of the text form of the token's user SID; kUnknownUser when it cannot be read.
std::uint32_t UserKey(HANDLE process) {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &raw)) return kUnknownUser;
  const Handle token(raw);
  DWORD n = 0;
  GetTokenInformation(token.h, TokenUser, nullptr, 0, &n);
  std::vector<char> info(n);
  wchar_t* text = nullptr;
  if (n == 0 || !GetTokenInformation(token.h, TokenUser, info.data(), n, &n) ||
      !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid, &text))
    return kUnknownUser;
  std::uint32_t key = 2166136261u;
  for (const wchar_t* c = text; *c != L'\0'; ++c) {
    key ^= static_cast<std::uint32_t>(*c);
    key *= 16777619u;
  }
  LocalFree(text);
  return key == kUnknownUser ? key - 1 : key;
}

std::uint32_t ParentOf(HANDLE process) {
  PROCESS_BASIC_INFORMATION info{};
  ULONG n = 0;
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, &n) != 0)
    return 0;
  return static_cast<std::uint32_t>(info.InheritedFromUniqueProcessId);
}

// The full path of the program file the process runs; "" when it cannot be read.
std::string ImagePath(HANDLE process) {
  std::wstring path(32768, L'\0');
  DWORD n = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process, 0, path.data(), &n)) return "";
  path.resize(n);
  return win32::Narrow(path);
}

std::string ImageName(HANDLE process) { return BaseName(ImagePath(process), kAnySlash); }

// One argument as the C runtime reads it back: quoted when it holds a blank or a quote or is
// empty; a quote is escaped with a backslash, and backslashes are doubled only where a quote
// follows them (the argument's own or the closing one).
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, L'\\');
  line += L'"';
}

// The program file: argv[0] as given when it names a path, else found along PATH (".exe" added
// when it has no extension). Never the current folder's or the program's own folder's file,
// which CreateProcessW would try first.
std::wstring ProgramFile(const std::string& program) {
  if (program.find_first_of("\\/") != std::string::npos) return win32::WidePath(program);
  const std::wstring name = win32::Widen(program);
  std::wstring path(32768, L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
  std::wstring found(32768, L'\0');
  const DWORD n = path.empty()
                      ? 0
                      : SearchPathW(path.c_str(), name.c_str(), L".exe",
                                    static_cast<DWORD>(found.size()), found.data(), nullptr);
  if (n == 0 || n >= found.size()) throw Error("Cannot start " + program + ": not found");
  found.resize(n);
  return found;
}

// Starts the command; the process handle is returned (the caller closes it).
HANDLE Start(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) throw Error("Cannot start an empty command");
  // A program's name holds no quote, and the runtime reads it up to the next quote.
  if (argv[0].find('"') != std::string::npos) throw Error("Cannot start " + argv[0]);
  const std::wstring program = ProgramFile(argv[0]);
  std::wstring line = L"\"" + win32::Widen(argv[0]) + L"\"";
  for (std::size_t i = 1; i < argv.size(); ++i) {
    line += L' ';
    AppendQuoted(line, win32::Widen(argv[i]));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  // No handle inherited, no console at all (a console of its own would need a console host
  // process, which outlives a child that was ended and keeps the starter's output open under
  // Wine), a process group of its own.
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                      DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup,
                      &started))
    throw Error("Cannot start " + argv[0] + ": " + SystemMessage(GetLastError(), argv[0]));
  CloseHandle(started.hThread);
  return started.hProcess;
}

}  // namespace

std::vector<ProcessEntry> ToolhelpProcesses::Snapshot() {
  const Handle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) throw Error("No process snapshot: " + SystemMessage(GetLastError()));
  std::vector<ProcessEntry> out;
  PROCESSENTRY32W p{};
  p.dwSize = sizeof p;
  for (BOOL more = Process32FirstW(snap.h, &p); more; more = Process32NextW(snap.h, &p)) {
    ProcessEntry e;
    e.pid = p.th32ProcessID;
    e.parentPid = p.th32ParentProcessID;
    e.exeName = BaseName(win32::Narrow(p.szExeFile), kAnySlash);
    const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, e.pid));
    e.realUid = process ? UserKey(process.h) : kUnknownUser;
    out.push_back(std::move(e));
  }
  std::sort(out.begin(), out.end(),
            [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
  return out;
}

std::vector<std::uint32_t> ToolhelpProcesses::ListIds() {
  std::vector<DWORD> ids(1024);
  for (;;) {
    DWORD bytes = 0;
    const auto size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!EnumProcesses(ids.data(), size, &bytes))
      throw Error("Cannot list processes: " + SystemMessage(GetLastError()));
    if (bytes < size) {
      ids.resize(bytes / sizeof(DWORD));
      break;
    }
    ids.resize(ids.size() * 2);  // the list may have been cut: ask again with more room
  }
  std::vector<std::uint32_t> out(ids.begin(), ids.end());
  std::sort(out.begin(), out.end());
  return out;
}

std::optional<ProcessEntry> ToolhelpProcesses::Describe(std::uint32_t pid) {
  if (pid == 0) return std::nullopt;
  const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  DWORD code = 0;
  if (!process || (GetExitCodeProcess(process.h, &code) && code != STILL_ACTIVE))
    return std::nullopt;
  ProcessEntry e;
  e.pid = pid;
  e.parentPid = ParentOf(process.h);
  e.realUid = UserKey(process.h);
  e.exeName = ImageName(process.h);
  return e;
}

ProcessEntry ToolhelpProcesses::Self() {
  ProcessEntry e;
  e.pid = GetCurrentProcessId();
  e.parentPid = ParentOf(GetCurrentProcess());
  e.realUid = UserKey(GetCurrentProcess());
  if (e.realUid == kUnknownUser) throw Error("Cannot read this process's user");
  e.exeName = ImageName(GetCurrentProcess());
  return e;
}

std::string ToolhelpProcesses::ExecutablePath(std::uint32_t pid) {
  const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  return process ? ImagePath(process.h) : "";
}

bool ToolhelpProcesses::Terminate(std::uint32_t pid) {
  if (pid == 0) return false;
  const Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  return process && TerminateProcess(process.h, 1);
}

void ToolhelpProcesses::StartDetached(const std::vector<std::string>& argv) {
  CloseHandle(Start(argv));
}

bool ToolhelpProcesses::StartAndWait(const std::vector<std::string>& argv, int timeoutMs) {
  const Handle process(Start(argv));
  return WaitForSingleObject(process.h, static_cast<DWORD>(std::max(timeoutMs, 0))) ==
         WAIT_OBJECT_0;
}

}  // namespace quo
