// A download-and-install run: LancerMaj (launched by the product), the action button's handler,
// and the install sequence over the action file (install_sequence.cpp).
//
// A run downloads the packages (TelechargerMaj, which ends by calling Install) and then shows its
// outcome in lblPhase: the success message, or the error heading followed by ErrorText, one error
// per line. Closing the window during a run lets the run end (rollback included) before the
// window unloads.
#pragma once

#include <string>

namespace quo {

class frmTestFTP;

void LancerMaj(frmTestFTP& w, bool Force);
void cmdMettreAJour_Click(frmTestFTP& w);
// NbFichier: the number of package sections; nomIni: the action file's full path. The outcome is
// left in ErrorText (empty: every section installed and the downloads deleted).
void Install(frmTestFTP& w, int NbFichier, std::string& nomIni);

// The end of a run (shared by both entry points): the button shows sortirCaption again, lblPhase
// the outcome; the run is over (the updater's exit status follows ErrorText).
void FinishRun(frmTestFTP& w, const std::string& sortirCaption);

}  // namespace quo
