#include "app/IniWriteErrorText.h"

#include <cerrno>

#include "config/IniFile.h"

namespace vellumo {
namespace {

// The reason of a system error in French words.
std::string SystemErrorText(int errorNumber) {
  switch (errorNumber) {
    case EACCES:
    case EPERM:
      return "accès refusé";
    case EROFS:
      return "le disque est en lecture seule";
    case ENOENT:
      return "le dossier n'existe pas";
    case ENOTDIR:
      return "un élément du chemin n'est pas un dossier";
    case EISDIR:
      return "le chemin désigne un dossier";
    case ENOSPC:
      return "plus de place sur le disque";
#ifdef EDQUOT  // not on Windows
    case EDQUOT:
      return "quota de disque dépassé";
#endif
    case ENAMETOOLONG:
      return "nom de fichier trop long";
    case ELOOP:
      return "trop de liens symboliques";
    case EIO:
      return "erreur d'entrée-sortie";
    case EBUSY:
    case ETXTBSY:
      return "le fichier est occupé";
    case EMFILE:
    case ENFILE:
      return "trop de fichiers ouverts";
    case EXDEV:
      return "le fichier et son dossier sont sur des disques différents";
    default:
      return "erreur système " + std::to_string(errorNumber);
  }
}

std::string Reason(const IniWriteError& failure) {
  switch (failure.Reason()) {
    case IniWriteReason::InvalidSectionName:
      return "nom de section invalide";
    case IniWriteReason::InvalidKeyName:
      return "nom de clé invalide";
    case IniWriteReason::NameNotInEncoding:
      return "nom impossible à écrire dans l'encodage du fichier";
    case IniWriteReason::NotRegularFile:
      return "ce n'est pas un fichier ordinaire";
    case IniWriteReason::ReadOnly:
      return "le fichier est en lecture seule";
    case IniWriteReason::SystemError:
      break;
  }
  return SystemErrorText(failure.ErrorNumber());
}

}  // namespace

std::string IniWriteErrorText(const IniWriteError& failure) {
  return "Erreur : impossible d'écrire dans le fichier de configuration " + failure.Path() + " (" +
         Reason(failure) + ").";
}

}  // namespace vellumo
