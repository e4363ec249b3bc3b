// The two windows' form designs: controls in control order, geometry in twips relative to the
// container, the tab order of each window.
#include "window/form.h"

namespace quo {

using K = ControlKind;

const FormDesign& MainWindowDesign() {
  static const FormDesign design{
      "frmTestFTP",
      "Quorvanta Update",
      4695,
      3105,
      {
          {K::Frame, "Frame1", "", 60, 60, 4575, 2475, "", 0},
          {K::PictureBox, "picAvi", "Frame1", 60, 120, 4455, 975, ""},
          {K::Animation, "AviPlayer", "picAvi", 60, 60, 4335, 855, ""},
          {K::PictureBox, "picVersion", "Frame1", 120, 180, 4215, 735, "", 3},
          {K::Label, "Label2", "picVersion", 0, 60, 2475, 255, "Version du logiciel actuel", 4},
          {K::TextBox, "txtVersion", "picVersion", 2040, 0, 2175, 315, "1.0.0", 5},
          {K::Button, "cmdRechercher", "picVersion", 2055, 360, 2175, 315,
           "Rechercher les mise à jour...", 6},
          {K::Label, "lblPhase", "Frame1", 120, 1140, 4335, 795, "", 1, true, ButtonRole::None, 0,
           true},
          {K::ProgressBar, "prgPhase", "Frame1", 120, 2040, 4275, 315, "", 12},
          {K::Button, "cmdOptions", "", 60, 2700, 1275, 315, "Options...", 7},
          {K::Button, "cmdMettreAJour", "", 3360, 2700, 1215, 315, "Sortir", 2},
          {K::Timer, "tmrMvt", "", 0, 0, 0, 0, "", -1, true, ButtonRole::None, 500},
          {K::Menu, "mnuMain", "", 0, 0, 0, 0, "", -1, false},
          {K::MenuItem, "mnuaide", "mnuMain", 0, 0, 0, 0, "Aide"},
          {K::MenuItem, "mnuSep1", "mnuMain", 0, 0, 0, 0, "-"},
          {K::MenuItem, "mnuShow", "mnuMain", 0, 0, 0, 0, "Montrer"},
          {K::MenuItem, "mnuStop", "mnuMain", 0, 0, 0, 0, "Arreter"},
      },
      true};
  return design;
}

const FormDesign& SettingsDialogDesign() {
  static const FormDesign design{
      "frmParam",
      "Configuration",
      5655,
      3720,
      {
          {K::Frame, "Frame1", "", 120, 120, 5415, 1035, "Serveur", 0},
          {K::Label, "Label1", "Frame1", 180, 240, 2415, 255, "Adresse de raccordement", 2},
          {K::TextBox, "txtAdresse", "Frame1", 2220, 180, 2955, 315, "", 1},
          {K::Label, "Label2", "Frame1", 180, 600, 1935, 255, "Chemin fichiers", 3},
          {K::TextBox, "txtChemin", "Frame1", 2220, 540, 2955, 315, "", 4},
          {K::Frame, "Frame2", "", 120, 1200, 5415, 1875, "Client", 5},
          {K::Label, "Label3", "Frame2", 120, 300, 1995, 255, "Utilisateur", 6},
          {K::TextBox, "txtUser", "Frame2", 2160, 240, 3015, 315, "", 8},
          {K::Label, "Label4", "Frame2", 120, 660, 1995, 255, "Mot de passe", 7},
          {K::TextBox, "txtMDP", "Frame2", 2160, 600, 3015, 315, "", 9},
          {K::Label, "Label5", "Frame2", 120, 1080, 1935, 195, "Repertoire Quorvanta", 12},
          {K::TextBox, "txtDestination", "Frame2", 2160, 1020, 2535, 285, "", 13},
          {K::Button, "cmdBrowse", "Frame2", 4740, 1080, 435, 255, "...", 14},
          {K::Label, "Label6", "Frame2", 120, 1440, 1995, 255, "Fréquence", 15},
          {K::DropDownList, "cboFrequence", "Frame2", 2160, 1440, 2535, 315, "", 16},
          {K::Button, "cmdOK", "", 4500, 3300, 1035, 315, "Valider", 10, true,
           ButtonRole::Default},
          {K::Button, "cmdAnnuler", "", 3360, 3300, 1035, 315, "Annuler", 11, true,
           ButtonRole::Cancel},
      }};
  return design;
}

const ControlDesign* FindDesign(const FormDesign& design, const std::string& control) {
  for (const ControlDesign& c : design.controls)
    if (c.name == control) return &c;
  return nullptr;
}

}  // namespace quo
