#include "update/telecharger_maj.h"

#include "ui/frm_test_ftp.h"

namespace quo {

void TelechargerMaj(frmTestFTP& w, std::string& /*nomIni*/, bool /*Force*/) {
  // The package download comes with the search and extraction.
  if (!w.SessionFtp) return;
}

}  // namespace quo
