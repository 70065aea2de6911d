#include "config/IniWriteFailure.h"

#include <cerrno>

namespace vellumo {

std::string FrenchSystemErrorText(int errorNumber) {
  switch (errorNumber) {
    case EACCES:
    case EPERM: return "accès refusé";
    case EROFS: return "le disque est en lecture seule";
    case ENOENT: return "le dossier n'existe pas";
    case ENOTDIR: return "un élément du chemin n'est pas un dossier";
    case EISDIR: return "le chemin désigne un dossier";
    case ENOSPC: return "plus de place sur le disque";
#ifdef EDQUOT  // Windows has no such number
    case EDQUOT: return "quota de disque dépassé";
#endif
    case ENAMETOOLONG: return "nom de fichier trop long";
    case ELOOP: return "trop de liens symboliques";
    case EIO: return "erreur d'entrée-sortie";
    case EBUSY:
    case ETXTBSY: return "le fichier est occupé";
    case EMFILE:
    case ENFILE: return "trop de fichiers ouverts";
    case EXDEV: return "le fichier et son dossier sont sur des disques différents";
    default: return "erreur système " + std::to_string(errorNumber);
  }
}

IniWriteError MakeIniWriteError(const std::string& path, const std::string& reason) {
  return IniWriteError("Erreur : impossible d'écrire dans le fichier de configuration " + path + " (" + reason +
                       ").");
}

void RequireWritten(const std::string& path, const FileStatus& status) {
  switch (status.refusal) {
    case FileRefusal::None: return;
    case FileRefusal::NotRegularFile: throw MakeIniWriteError(path, "ce n'est pas un fichier ordinaire");
    case FileRefusal::ReadOnly: throw MakeIniWriteError(path, "le fichier est en lecture seule");
    case FileRefusal::SystemError: break;
  }
  throw MakeIniWriteError(path, FrenchSystemErrorText(status.error));
}

}  // namespace vellumo
