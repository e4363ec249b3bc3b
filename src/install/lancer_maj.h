// A download-and-install run: LancerMaj (launched by the product), the action button's handler,
// and the install sequence over the action file.
#pragma once

#include <string>

namespace quo {

class frmTestFTP;

void LancerMaj(frmTestFTP& w, bool Force);
void cmdMettreAJour_Click(frmTestFTP& w);
void Install(frmTestFTP& w, int NbFichier, std::string& nomIni);

}  // namespace quo
