#include "platform/libarchive/libarchive_system.h"

#include <windows.h>

#include <filesystem>

#include "core/text.h"
#include "platform/win32/wide.h"

namespace quo {

// The names come in UTF-8 or UTF-16 forms, whatever the C runtime's locale.
void PrepareEntryNames() {}

int OpenArchiveFile(archive* reader, const std::string& path, std::size_t blockSize) {
  return archive_read_open_filename_w(reader, win32::Widen(path).c_str(), blockSize);
}

bool IsReadable(const std::string& path) {
  const HANDLE h = CreateFileW(win32::Widen(path).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

// RAR 5 names are UTF-8. RAR 4 names come in UTF-16 (the Unicode part of a header) or as the
// header's bytes, which libarchive reads as Latin-1 under the C locale: its byte form is then the
// header's own bytes (UTF-8 from a UTF-8 system, else taken as Windows-1252), or, for a UTF-16 name
// within Latin-1, that name's Latin-1 bytes (which read back the same way).
std::string EntryName(archive* reader, archive_entry* e) {
  const bool rar5 = archive_format(reader) == ARCHIVE_FORMAT_RAR_V5;
  const char* bytes = archive_entry_pathname(e);
  if (!rar5 && bytes != nullptr) return DecodeFileText(bytes);
  if (const char* utf8 = archive_entry_pathname_utf8(e)) return utf8;
  if (const wchar_t* wide = archive_entry_pathname_w(e)) return win32::Narrow(wide);
  return bytes != nullptr ? DecodeFileText(bytes) : "";
}

struct ExtractFolder::State {
  std::wstring target;  // the entry entered last, in full
  bool entered = false;
};

ExtractFolder::ExtractFolder() : state_(std::make_unique<State>()) {}
ExtractFolder::~ExtractFolder() = default;

bool ExtractFolder::Enter(const std::string& dir, const std::string& rel, archive_entry* e) {
  State& s = *state_;
  const std::wstring folder = win32::WidePath(dir);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) return s.entered = false;
  s.target = folder + win32::WidePath(rel);
  // The wide form: libarchive would read a UTF-8 one through the ANSI code page.
  archive_entry_copy_pathname_w(e, s.target.c_str());
  return s.entered = true;
}

void ExtractFolder::RemoveEntered() {
  if (state_->entered) DeleteFileW(state_->target.c_str());
}

void ExtractFolder::Leave() { state_->entered = false; }

// The target is absolute by construction (the destination folder in full): the refusal of
// absolute entry names is the caller's check, made on the entry's own name.
int ExtractFolder::SecureOptions() {
  return ARCHIVE_EXTRACT_SECURE_NODOTDOT | ARCHIVE_EXTRACT_SECURE_SYMLINKS;
}

}  // namespace quo
