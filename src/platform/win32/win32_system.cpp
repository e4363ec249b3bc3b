#include "platform/win32/win32_system.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "core/paths.h"
#include "platform/win32/wide.h"

namespace quo {

std::string Win32System::ProgramPath() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return "";
    if (n < buf.size()) {
      return Slashes(win32::Narrow(std::wstring(buf.data(), n)));
    }
    buf.resize(buf.size() * 2);
  }
}

std::optional<std::string> Win32System::GetEnv(const std::string& name) {
  const std::wstring w = win32::Widen(name);
  std::vector<wchar_t> buf(256);
  for (;;) {
    ::SetLastError(0);
    const DWORD n =
        ::GetEnvironmentVariableW(w.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    if (n < buf.size()) return win32::Narrow(std::wstring(buf.data(), n));
    buf.resize(n);  // n counts the terminating NUL when the buffer was too small
  }
}

void Win32System::SleepMs(int ms) {
  if (ms > 0) ::Sleep(static_cast<DWORD>(ms));
}

DateTime Win32System::Now() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

namespace {

// The name of the single-instance mutex of the executable at programPath.
std::string SingleInstanceName(const std::string& programPath) {
  std::wstring path = win32::WidePath(programPath);
  ::CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a over the UTF-16 units
  for (const wchar_t c : path) hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return std::string("Global\\QuoUpdate-") + hex;
}

}  // namespace

// The mutex is never waited for: its existence is the lock. It is not inherited by children,
// and the system closes it when the process ends, however it ends.
bool Win32System::AcquireSingleInstance() {
  if (lock_ != nullptr) return true;
  const std::string program = ProgramPath();
  if (program.empty()) return true;  // nothing to name the lock after: do not refuse to run
  const HANDLE h =
      ::CreateMutexW(nullptr, FALSE, win32::Widen(SingleInstanceName(program)).c_str());
  const DWORD err = ::GetLastError();
  if (h == nullptr) return err != ERROR_ACCESS_DENIED;  // held by another user's instance
  if (err == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(h);
    return false;
  }
  lock_ = h;
  return true;
}

}  // namespace quo
