// The two windows' form designs: controls in control order, geometry in twips.
#include "window/form.h"

namespace quo {

const FormDesign& MainWindowDesign() {
  static const FormDesign design{
      "frmTestFTP",
      "Quorvanta Update",
      4695,
      3105,
      {
          {"Frame1", "", 60, 60, 4575, 2475, ""},
          {"picAvi", "Frame1", 60, 120, 4455, 975, ""},
          {"AviPlayer", "picAvi", 60, 60, 4335, 855, ""},
          {"picVersion", "Frame1", 120, 180, 4215, 735, ""},
          {"Label2", "picVersion", 0, 60, 2475, 255, "Version du logiciel actuel"},
          {"txtVersion", "picVersion", 2040, 0, 2175, 315, "1.0.0"},
          {"cmdRechercher", "picVersion", 2055, 360, 2175, 315, "Rechercher les mise à jour..."},
          {"lblPhase", "Frame1", 120, 1140, 4335, 795, ""},
          {"prgPhase", "Frame1", 120, 2040, 4275, 315, ""},
          {"cmdOptions", "", 60, 2700, 1275, 315, "Options..."},
          {"cmdMettreAJour", "", 3360, 2700, 1215, 315, "Sortir"},
          {"tmrMvt", "", 0, 0, 0, 0, ""},
          {"mnuMain", "", 0, 0, 0, 0, "", false},
          {"mnuaide", "mnuMain", 0, 0, 0, 0, "Aide"},
          {"mnuSep1", "mnuMain", 0, 0, 0, 0, "-"},
          {"mnuShow", "mnuMain", 0, 0, 0, 0, "Montrer"},
          {"mnuStop", "mnuMain", 0, 0, 0, 0, "Arreter"},
      }};
  return design;
}

const FormDesign& SettingsDialogDesign() {
  static const FormDesign design{
      "frmParam",
      "Configuration",
      5655,
      3720,
      {
          {"Frame1", "", 120, 120, 5415, 1035, "Serveur"},
          {"Label1", "Frame1", 180, 240, 2415, 255, "Adresse de raccordement"},
          {"txtAdresse", "Frame1", 2220, 180, 2955, 315, ""},
          {"Label2", "Frame1", 180, 600, 1935, 255, "Chemin fichiers"},
          {"txtChemin", "Frame1", 2220, 540, 2955, 315, ""},
          {"Frame2", "", 120, 1200, 5415, 1875, "Client"},
          {"Label3", "Frame2", 120, 300, 1995, 255, "Utilisateur"},
          {"txtUser", "Frame2", 2160, 240, 3015, 315, ""},
          {"Label4", "Frame2", 120, 660, 1995, 255, "Mot de passe"},
          {"txtMDP", "Frame2", 2160, 600, 3015, 315, ""},
          {"Label5", "Frame2", 120, 1080, 1935, 195, "Repertoire Quorvanta"},
          {"txtDestination", "Frame2", 2160, 1020, 2535, 285, ""},
          {"cmdBrowse", "Frame2", 4740, 1080, 435, 255, "..."},
          {"Label6", "Frame2", 120, 1440, 1995, 255, "Fréquence"},
          {"cboFrequence", "Frame2", 2160, 1440, 2535, 315, ""},
          {"cmdOK", "", 4500, 3300, 1035, 315, "Valider"},
          {"cmdAnnuler", "", 3360, 3300, 1035, 315, "Annuler"},
      }};
  return design;
}

}  // namespace quo
