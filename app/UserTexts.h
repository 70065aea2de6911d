#pragma once
// The fixed French texts the run shows, in one place. What the mail client,
// the message and the file writer report is worded beside them
// (SmtpFailureText and the like), from their structured failures.
#include <cstdint>
#include <string>

namespace vellumo::texts {

// Start-up.
inline constexpr const char* kMissingArgument =
    "Erreur : impossible de lancer le module Vellumo sans paramètre.";
inline constexpr const char* kNoDisplay =
    "Erreur : impossible d'afficher le module Vellumo : aucun écran n'est disponible (ni "
    "serveur X, ni Wayland). Le traitement n'a pas eu lieu.";
inline constexpr const char* kNoDisplayMarkerNotWritten =
    "Erreur : cet échec n'a pas pu être enregistré dans le fichier de configuration.";

// Reading the file and the account.
inline constexpr const char* kCheckConfiguration = "\nVérifiez votre configuration.";
// "Erreur : la section NAME n'éxiste pas dans le fichier de configuration.",
// without kCheckConfiguration.
std::string MissingSection(const std::string& section);
inline constexpr const char* kNoSmtpObject = "Erreur : impossible de créer l'objet Config SMTP.";
inline constexpr const char* kUnusableAccount =
    "Erreur : la configuration actuelle ne permet pas de se connecter à votre SMTP.";
// Hosts and their users know these texts as they are, spelling slips
// ("comtpe", "paramètrage", "n'éxiste") and the old product name "Kalvero"
// included: they stay exactly as written.
inline constexpr const char* kCannotConnect =
    "Erreur : Kalvero n'arrive pas à se connecter à votre comtpe SMTP, vérifiez votre "
    "paramètrage.";

// The outcome.
inline constexpr const char* kConnectionSucceeded = "Connexion réussie !";
// The box after a marker that could not be written names what failed: the
// send (mode 2) or the connection test (modes 1 and 3) when that job ran,
// else the run as a whole.
std::string MarkerNotWritten(bool networkJobRan, std::int32_t mode);
// The box after a success whose provisional marker could not be taken out.
std::string MarkerNotRemoved(std::int32_t mode);

// The user closed the dialog while the network work went on.
inline constexpr const char* kSendCancelled = "Erreur : envoi annulé par l'utilisateur.";
inline constexpr const char* kConnectionTestCancelled =
    "Erreur : test de connexion annulé par l'utilisateur.";

// The mail group's send line, as designed and during a long send.
inline constexpr const char* kSendStep = "Envoi";
// "Envoi (37 %)".
std::string SendProgress(int percent);

// The manual save.
inline constexpr const char* kSaveQuestion =
    "Voulez-vous enregistrer votre commande afin de l'envoyer manuellement ?";
inline constexpr const char* kChooserTitle = "Selectionnez un dossier";
inline constexpr const char* kCannotSave = "Impossible d'enregistrer le document à cet emplacement.";
inline constexpr const char* kReadOnlyCopy =
    "Un fichier du même nom s'y trouve déjà en lecture seule : il n'a pas été remplacé.";

}  // namespace vellumo::texts
