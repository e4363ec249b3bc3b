#include "install/lancer_maj.h"

#include "ui/frm_test_ftp.h"

namespace quo {

// The download and installation engine replaces these.
void LancerMaj(frmTestFTP& w, bool) {
  if (!w.SessionFtp) w.cmdRechercher_Click();
}
void cmdMettreAJour_Click(frmTestFTP& w) {
  if (!w.SessionFtp && !w.Externe) w.UnloadMe();
}
void Install(frmTestFTP&, int, std::string&) {}

}  // namespace quo
