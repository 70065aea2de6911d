// French texts for a write of the INI file that failed, one row per reason.
#include "app/IniWriteErrorText.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "config/IniFile.h"

namespace vellumo {
namespace {

struct Row {
  const char* name;
  IniWriteReason reason;
  int errorNumber;
  const char* because;
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

const Row kRows[] = {
    {"invalid_section", IniWriteReason::InvalidSectionName, 0, "nom de section invalide"},
    {"invalid_key", IniWriteReason::InvalidKeyName, 0, "nom de clé invalide"},
    {"name_not_in_encoding", IniWriteReason::NameNotInEncoding, 0,
     "nom impossible à écrire dans l'encodage du fichier"},
    {"not_a_regular_file", IniWriteReason::NotRegularFile, 0, "ce n'est pas un fichier ordinaire"},
    {"read_only", IniWriteReason::ReadOnly, 0, "le fichier est en lecture seule"},
    {"access_denied", IniWriteReason::SystemError, EACCES, "accès refusé"},
    {"operation_not_permitted", IniWriteReason::SystemError, EPERM, "accès refusé"},
    {"missing_folder", IniWriteReason::SystemError, ENOENT, "le dossier n'existe pas"},
    {"parent_not_a_folder", IniWriteReason::SystemError, ENOTDIR,
     "un élément du chemin n'est pas un dossier"},
    {"path_is_a_folder", IniWriteReason::SystemError, EISDIR, "le chemin désigne un dossier"},
    {"unnamed_system_error", IniWriteReason::SystemError, 9999, "erreur système 9999"},
};

class IniWriteErrorTextTable : public ::testing::TestWithParam<Row> {};

TEST_P(IniWriteErrorTextTable, NamesTheFileAndWhyInFrench) {
  const Row& row = GetParam();
  const std::string path = "/srv/hôte/commande 42.ini";
  EXPECT_EQ(IniWriteErrorText(IniWriteError(path, row.reason, row.errorNumber)),
            "Erreur : impossible d'écrire dans le fichier de configuration " + path + " (" +
                row.because + ").");
}

INSTANTIATE_TEST_SUITE_P(Reasons, IniWriteErrorTextTable, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vellumo
