#include "update/recherche_maj.h"

#include "ui/frm_test_ftp.h"

namespace quo {

bool RechercheMaj(frmTestFTP& w, bool /*Force*/) {
  // The search over FTP comes with the FTP client.
  w.MajDisponible = false;
  return false;
}

}  // namespace quo
