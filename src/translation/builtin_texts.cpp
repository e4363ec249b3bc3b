#include "translation/builtin_texts.h"

#include <unordered_map>

#include "core/text.h"

namespace quo {

const std::string* BuiltinText(const std::string& key) {
  static const std::unordered_map<std::string, std::string> texts = [] {
    std::unordered_map<std::string, std::string> m;
    for (const auto& [k, text] : std::initializer_list<std::pair<const char*, const char*>>{
             {"ListeMajIllisible", "Impossible de lire la liste des mises à jour du serveur."},
             {"DossierMajIntrouvable", "Dossier de mise à jour absent du serveur :"},
             {"Miseajourannulée",
              "Mise à jour annulée : rien n'a été installé. Les fichiers téléchargés sont gardés "
              "pour la prochaine fois."},
             {"ComposantsNonEnregistres",
              "Installés sans enregistrement (impossible sur ce système) :"},
             {"ErreurFtpIntrouvable", "Fichier introuvable sur le serveur :"},
             {"ErreurFtpRefus", "Le serveur a refusé la demande :"},
             {"ErreurFtpReseau", "La communication avec le serveur a échoué :"},
             {"ErreurFtpLocal", "Le téléchargement a échoué sur ce poste :"},
             {"ErreurFtpInterrompu", "Transfert interrompu :"},
             {"ConnexionSecuriseeImpossible", "Connexion TLS impossible :"},
             {"Echecdelinstallation", "Échec de l'installation :"},
             {"DossierNonAbsolu", "Le dossier d'installation doit être un chemin complet :"},
             {"AdresseServeurInvalide",
              "Adresse du serveur non valide (nom, adresse IPv4 ou [adresse IPv6], éventuellement "
              "suivis de :port) :"},
             {"RepriseAnnulee", "Installation interrompue annulée, fichiers d'origine rétablis :"},
             {"RepriseTerminee", "Installation interrompue menée à son terme :"},
             {"RepriseImpossible", "Impossible de rétablir l'installation interrompue :"},
             {"RepriseRefusee", "Journal d'installation refusé, mis de côté, rien n'a été modifié :"},
             {"RepriseAutreDossier", "Une installation interrompue d'un autre dossier attend d'être reprise par une mise à jour de ce dossier :"},
             {"EnregistrementImpossible", "Mise à jour installée, mais elle n'a pas pu être enregistrée :"},
             {"CleSignatureInvalide", "Clé de signature non valide (paramètre CleSignature), aucune mise à jour n'est acceptée :"},
             {"MajNonVerifiees", "Les mises à jour ne sont pas vérifiées : aucune clé de signature n'est définie."},
             {"SignatureAbsente", "Mise à jour refusée, signature absente :"},
             {"SignatureInvalide", "Mise à jour refusée, signature non valide :"},
             {"PaquetSansEmpreinte", "Mise à jour refusée, paquet sans empreinte (sha256 et taille) :"},
             {"VersionDepartNonPrevue", "Mise à jour refusée, elle n'est pas prévue pour la version installée :"},
             {"MajPasPlusRecente", "Mise à jour refusée, elle n'est pas plus récente que la version installée"},
             {"TailleDifferente", "taille"},
             {"EmpreinteDifferente", "SHA-256 différent"},
             {"BoutonOK", "OK"},
             {"BoutonAnnuler", "Annuler"},
             {"EspaceInsuffisant", "Espace disque insuffisant (octets nécessaires / libres) :"},
             {"LogNonEcrit", "log.txt n'est pas écrit :"},
             {"ParametresIllisibles", "Fichier de paramètres présent mais illisible, aucune vérification n'est possible :"},
             {"TelechargementNonEnregistre", "Téléchargement non enregistré, rien n'a été installé :"},
             {"DossierInstallationAbsent", "Le dossier d'installation n'existe pas :"},
             {"AutreInstance", "Une autre instance du programme est en cours ; celle-ci s'arrête."},
             {"ErreurFtpTropGrand", "Fichier refusé, plus grand que permis :"},
             {"ErreurFtpSansTaille", "Paquet refusé, taille inconnue (ni le serveur ni le fichier d'actions ne la donnent ; une connexion coupée ne se distinguerait pas de la fin du fichier) :"},
         })
      m.emplace(FoldCase(k), text);
    return m;
  }();
  const auto it = texts.find(FoldCase(key));
  return it == texts.end() ? nullptr : &it->second;
}

}  // namespace quo
