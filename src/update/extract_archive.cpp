#include "update/extract_archive.h"

#include "app/app_context.h"
#include "core/paths.h"
#include "platform/files.h"
#include "platform/rar_library.h"
#include "platform/windowing.h"

namespace quo::unrar {

namespace {

// The entry's path as the folder will hold it: no empty or "." component.
std::string Normal(const std::string& entry) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t end; start <= entry.size(); start = end + 1) {
    end = entry.find('/', start);
    if (end == std::string::npos) end = entry.size();
    const std::string part = entry.substr(start, end - start);
    if (!part.empty() && part != ".") out += (out.empty() ? "" : "/") + part;
  }
  return out;
}

}  // namespace

int ExtractArchive(AppContext& app, const std::string& archive, const std::string& destination,
                   const std::string& password, const std::function<bool()>& keepGoing,
                   const std::function<bool(const std::string&)>& accept) {
  RarLibrary* lib = app.platform.rar;
  if (lib == nullptr || !app.platform.files->IsOrdinaryFile(archive)) return 1;
  int failures = 0;
  RarOpenArchiveData open;
  open.ArcName = archive;
  open.OpenMode = kRarOpenExtract;
  RarArchive* handle = lib->OpenArchive(open);
  if (open.OpenResult != 0 || handle == nullptr) return 1;
  if (!password.empty()) lib->SetPassword(handle, password);

  const std::string dest = WithSlash(Slashes(destination));
  bool boxShown = false;
  RarHeaderData header;
  int rc = lib->ReadHeader(handle, header);
  while (rc == kRarSuccess) {
    app.PumpMessages();
    if (keepGoing && !keepGoing()) {
      ++failures;  // the package is incomplete
      break;
    }
    const std::string entry = Slashes(header.FileName);
    const bool refused = accept && !accept(Normal(entry));
    if (refused) lib->ProcessFile(handle, kRarSkip, "", "");
    if (refused || lib->ProcessFile(handle, kRarExtract, dest, dest + entry) != 0) {
      ++failures;
      // One box per archive: a hostile archive of many bad entries must not bury the user.
      if (!boxShown && app.platform.windowing != nullptr) {
        app.platform.windowing->MessageBox("erreur", "", MsgButtons::Ok);
        boxShown = true;
      }
    }
    rc = lib->ReadHeader(handle, header);
  }
  // A walk that ends before the end of the archive means a damaged archive: the entries after
  // the break are missing, so the package is incomplete.
  if (rc != kRarSuccess && rc != kRarEndArchive) ++failures;
  lib->CloseArchive(handle);
  return failures;
}

}  // namespace quo::unrar
