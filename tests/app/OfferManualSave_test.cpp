// The manual save after a failed send: the decisions with a fake copy, then
// the real copy on real files.
#include <gtest/gtest.h>

#include "app/FileSystemServices.h"
#include "fakes/RunHarness.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo::testing {
namespace {

const char* kQuestion =
    "question Voulez-vous enregistrer votre commande afin de l'envoyer manuellement ?";
const char* kCannotSave = "Impossible d'enregistrer le document à cet emplacement.";

struct SaveCase {
  const char* name;
  DialogAnswer answer;
  bool confirms;
  const char* folder;
  const char* documentPath;
  const char* documentName;
  bool copySucceeds;
  const char* expectedCopy;  // empty: no copy asked
  bool cannotSaveShown;
};

const SaveCase kSaves[] = {
    {"declined", DialogAnswer::No, true, "/home/u", "/d/c.pdf", "c.pdf", true, "", false},
    {"chooser_cancelled", DialogAnswer::Yes, false, "/home/u", "/d/c.pdf", "c.pdf", true, "", false},
    {"empty_folder", DialogAnswer::Yes, true, "", "/d/c.pdf", "c.pdf", true, "", false},
    {"no_document_name", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "", true, "", false},
    {"no_document_path", DialogAnswer::Yes, true, "/home/u", "", "c.pdf", true, "", false},
    {"copied", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "Commande 42.pdf", true,
     "copy /d/c.pdf -> /home/u/Commande 42.pdf", false},
    {"root_gets_no_second_delimiter", DialogAnswer::Yes, true, "/", "/d/c.pdf", "c.pdf", true,
     "copy /d/c.pdf -> /c.pdf", false},
    {"copy_failure_is_told", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "c.pdf", false,
     "copy /d/c.pdf -> /home/u/c.pdf", true},
    {"dot_dot_refused", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "..", true, "", true},
    {"separator_refused", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "../../etc/passwd", true,
     "", true},
    {"backslash_refused", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "..\\x.pdf", true, "",
     true},
    {"drive_refused", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "C:x.pdf", true, "", true},
};

class ManualSaveTest : public ::testing::TestWithParam<SaveCase> {};

TEST_P(ManualSaveTest, AsksChoosesAndCopies) {
  const SaveCase& c = GetParam();
  RunHarness run;
  run.toolkit.answer = c.answer;
  run.toolkit.chooserConfirms = c.confirms;
  run.toolkit.chosenFolder = c.folder;
  run.system.copySucceeds = c.copySucceeds;
  run.WriteIni(std::string("[Email]\nFilePath=") + c.documentPath + "\nFileName=" +
               c.documentName + "\nAdresseEnvoi=a@x.fr\nEnvoyerA=b@x.fr\n");
  // A failed send is what fills the document members.
  run.clients.prototype.sendThrows = "Erreur : refus.";
  run.clients.prototype.connected = true;
  TSMTPConfig account(run.clients);
  run.fiche.DeliverMessage(account);
  ASSERT_EQ(run.fiche.DocumentFileName(), c.documentName);

  run.fiche.OfferManualSave();

  EXPECT_TRUE(run.toolkit.Has(kQuestion));
  EXPECT_EQ(run.toolkit.Has("chooser Selectionnez un dossier"), c.answer == DialogAnswer::Yes);
  const std::vector<std::string> copies =
      std::string(c.expectedCopy).empty() ? std::vector<std::string>{}
                                          : std::vector<std::string>{c.expectedCopy};
  EXPECT_EQ(run.system.events, copies);
  EXPECT_EQ(run.toolkit.Has(std::string("message ") + kCannotSave), c.cannotSaveShown);
}

INSTANTIATE_TEST_SUITE_P(Choices, ManualSaveTest, ::testing::ValuesIn(kSaves),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FileCopy, OverwritesAnExistingFileAndLeavesNoTemporary) {
  TempDirectory dir;
  const auto source = dir.Write("source.pdf", std::string("%PDF\0 bytes", 11));
  std::filesystem::create_directory(dir.Path() / "out");
  const auto destination = dir.Write("out/c.pdf", "old content that is longer");

  EXPECT_TRUE(FileSystemServices().CopyFile(source, destination));

  EXPECT_EQ(ReadFileBytes(destination), std::string("%PDF\0 bytes", 11));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "out"), {}), 1);
}

TEST(FileCopy, RefusesToCopyAFileOntoItselfAndKeepsIt) {
  TempDirectory dir;
  const auto source = dir.Write("c.pdf", "precious order");
  EXPECT_FALSE(FileSystemServices().CopyFile(source, source));
  const auto sameThroughDot = (dir.Path() / "." / "c.pdf").string();
  EXPECT_FALSE(FileSystemServices().CopyFile(source, sameThroughDot));
  EXPECT_EQ(ReadFileBytes(source), "precious order");
}

TEST(FileCopy, FailuresLeaveNothingBehind) {
  TempDirectory dir;
  const auto source = dir.Write("c.pdf", "order");
  // Missing source.
  EXPECT_FALSE(FileSystemServices().CopyFile((dir.Path() / "nope.pdf").string(),
                                             (dir.Path() / "x.pdf").string()));
  // A destination folder that is a file.
  const auto notAFolder = dir.Write("plain", "x");
  EXPECT_FALSE(FileSystemServices().CopyFile(source, notAFolder + "/c.pdf"));
  // A destination that is a folder.
  std::filesystem::create_directory(dir.Path() / "taken");
  EXPECT_FALSE(FileSystemServices().CopyFile(source, (dir.Path() / "taken").string()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
  EXPECT_EQ(ReadFileBytes(source), "order");
}

}  // namespace
}  // namespace vellumo::testing
