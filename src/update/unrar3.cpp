#include "update/unrar3.h"

#include "app/app_context.h"
#include "platform/files.h"
#include "platform/rar_library.h"
#include "platform/windowing.h"

namespace quo::UnRAR3 {

namespace {

std::string Slashes(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

}  // namespace

int ExtraireArchive(AppContext& app, const std::string& archive, const std::string& destination,
                    const std::string& password, const std::function<bool()>& keepGoing) {
  RarLibrary* lib = app.platform.rar;
  if (lib == nullptr || !app.platform.files->IsOrdinaryFile(archive)) return 1;
  int nbErreurs = 0;
  RarOpenArchiveData open;
  open.ArcName = archive;
  open.OpenMode = kRarOpenExtract;
  RarArchive* handle = lib->OpenArchive(open);
  if (open.OpenResult != 0 || handle == nullptr) return 1;
  if (!password.empty()) lib->SetPassword(handle, password);

  std::string dest = Slashes(destination);
  if (dest.empty() || dest.back() != '/') dest += '/';
  bool boxShown = false;
  RarHeaderData header;
  int rc = lib->ReadHeader(handle, header);
  while (rc == kRarSuccess) {
    app.PumpMessages();
    if (keepGoing && !keepGoing()) {
      ++nbErreurs;  // the package is incomplete
      break;
    }
    if (lib->ProcessFile(handle, kRarExtract, dest, dest + Slashes(header.FileName)) != 0) {
      ++nbErreurs;
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
  if (rc != kRarSuccess && rc != kRarEndArchive) ++nbErreurs;
  lib->CloseArchive(handle);
  return nbErreurs;
}

}  // namespace quo::UnRAR3
