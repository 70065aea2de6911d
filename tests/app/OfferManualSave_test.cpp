// The manual save after a failed send: its decisions, with a fake copy.
#include <gtest/gtest.h>

#include "fakes/RunHarness.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo::testing {
namespace {

const char* kQuestion =
    "question Voulez-vous enregistrer votre commande afin de l'envoyer manuellement ?";
const char* kCannotSave = "Impossible d'enregistrer le document à cet emplacement.";
const char* kReadOnly =
    "Impossible d'enregistrer le document à cet emplacement.\nUn fichier du même nom s'y trouve "
    "déjà en lecture seule : il n'a pas été remplacé.";
constexpr CopyResult kOk = CopyResult::Copied;

struct SaveCase {
  const char* name;
  DialogAnswer answer;
  bool confirms;
  const char* folder;
  const char* documentPath;
  const char* documentName;
  CopyResult copy;
  const char* expectedCopy;  // empty: no copy asked
  const char* shown;         // the one message shown, or ""
};

// What the run puts between the folder and the name: the platform's own.
#ifdef _WIN32
#define SEPARATOR "\\"
#else
#define SEPARATOR "/"
#endif

const SaveCase kSaves[] = {
    {"declined", DialogAnswer::No, true, "/home/u", "/d/c.pdf", "c.pdf", kOk, "", ""},
    {"chooser_cancelled", DialogAnswer::Yes, false, "/home/u", "/d/c.pdf", "c.pdf", kOk, "", ""},
    {"empty_folder", DialogAnswer::Yes, true, "", "/d/c.pdf", "c.pdf", kOk, "", ""},
    {"no_document_name", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "", kOk, "", ""},
    {"no_document_path", DialogAnswer::Yes, true, "/home/u", "", "c.pdf", kOk, "", ""},
    {"copied", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "Commande 42.pdf", kOk,
     "copy /d/c.pdf -> /home/u" SEPARATOR "Commande 42.pdf", ""},
    {"root_gets_no_second_delimiter", DialogAnswer::Yes, true, "/", "/d/c.pdf", "c.pdf", kOk,
     "copy /d/c.pdf -> /c.pdf", ""},
    {"copy_failure_is_told", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "c.pdf",
     CopyResult::Failed, "copy /d/c.pdf -> /home/u" SEPARATOR "c.pdf", kCannotSave},
    {"read_only_destination_is_told", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "c.pdf",
     CopyResult::DestinationReadOnly, "copy /d/c.pdf -> /home/u" SEPARATOR "c.pdf", kReadOnly},
    {"dot_dot_refused", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "..", kOk, "", kCannotSave},
    {"separator_refused", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "../../etc/passwd", kOk,
     "", kCannotSave},
    {"backslash_refused", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "..\\x.pdf", kOk, "",
     kCannotSave},
    {"drive_refused", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "C:x.pdf", kOk, "",
     kCannotSave},
};

class ManualSaveTest : public ::testing::TestWithParam<SaveCase> {};

TEST_P(ManualSaveTest, AsksChoosesAndCopies) {
  const SaveCase& c = GetParam();
  RunHarness run;
  run.toolkit.answer = c.answer;
  run.toolkit.chooserConfirms = c.confirms;
  run.toolkit.chosenFolder = c.folder;
  run.system.copyResult = c.copy;
  run.WriteIni(std::string("[Email]\nFilePath=") + c.documentPath + "\nFileName=" +
               c.documentName + "\nAdresseEnvoi=a@x.fr\nEnvoyerA=b@x.fr\n");
  // A failed send is what fills the document members.
  run.clients.prototype.sendThrows = "Erreur : refus.";
  run.clients.prototype.connected = true;
  TSMTPConfig account(run.clients, SmtpAccount());
  run.fiche.DeliverMessage(account);
  ASSERT_EQ(run.fiche.DocumentFileName(), c.documentName);

  run.fiche.OfferManualSave();

  EXPECT_TRUE(run.toolkit.Has(kQuestion));
  EXPECT_EQ(run.toolkit.Has("chooser Selectionnez un dossier"), c.answer == DialogAnswer::Yes);
  const std::vector<std::string> copies =
      std::string(c.expectedCopy).empty() ? std::vector<std::string>{}
                                          : std::vector<std::string>{c.expectedCopy};
  EXPECT_EQ(run.system.events, copies);
  const std::vector<std::string> shown =
      *c.shown ? std::vector<std::string>{c.shown} : std::vector<std::string>{};
  EXPECT_EQ(run.toolkit.Messages(), shown);
}

INSTANTIATE_TEST_SUITE_P(Choices, ManualSaveTest, ::testing::ValuesIn(kSaves),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vellumo::testing
