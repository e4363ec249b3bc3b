#include "update/unrar3.h"

#include "platform/files.h"
#include "platform/rar_library.h"
#include "platform/windowing.h"
#include "app/app_context.h"

namespace quo::UnRAR3 {

namespace {

int nbErreurs = 0;

std::string Slashes(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

}  // namespace

int NbErreursRar() { return nbErreurs; }

void ExtraireArchive(AppContext& app, const std::string& archive, const std::string& destination,
                     const std::string& password, const std::function<bool()>& keepGoing) {
  if (!app.platform.files->IsOrdinaryFile(archive)) return;
  nbErreurs = 0;
  RarLibrary* lib = app.platform.rar;
  if (lib == nullptr) {
    nbErreurs = 1;
    return;
  }
  RarOpenArchiveData open;
  open.ArcName = archive;
  open.OpenMode = kRarOpenExtract;
  RarArchive* handle = lib->OpenArchive(open);
  if (open.OpenResult != 0 || handle == nullptr) {
    ++nbErreurs;
    return;
  }
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
}

}  // namespace quo::UnRAR3
