// The manual save after a failed send: the decisions with a fake copy, then
// the real copy on real files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "app/FileSystemServices.h"
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

const SaveCase kSaves[] = {
    {"declined", DialogAnswer::No, true, "/home/u", "/d/c.pdf", "c.pdf", kOk, "", ""},
    {"chooser_cancelled", DialogAnswer::Yes, false, "/home/u", "/d/c.pdf", "c.pdf", kOk, "", ""},
    {"empty_folder", DialogAnswer::Yes, true, "", "/d/c.pdf", "c.pdf", kOk, "", ""},
    {"no_document_name", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "", kOk, "", ""},
    {"no_document_path", DialogAnswer::Yes, true, "/home/u", "", "c.pdf", kOk, "", ""},
    {"copied", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "Commande 42.pdf", kOk,
     "copy /d/c.pdf -> /home/u/Commande 42.pdf", ""},
    {"root_gets_no_second_delimiter", DialogAnswer::Yes, true, "/", "/d/c.pdf", "c.pdf", kOk,
     "copy /d/c.pdf -> /c.pdf", ""},
    {"copy_failure_is_told", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "c.pdf",
     CopyResult::Failed, "copy /d/c.pdf -> /home/u/c.pdf", kCannotSave},
    {"read_only_destination_is_told", DialogAnswer::Yes, true, "/home/u", "/d/c.pdf", "c.pdf",
     CopyResult::DestinationReadOnly, "copy /d/c.pdf -> /home/u/c.pdf", kReadOnly},
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

TEST(FileCopy, OverwritesAnExistingFileAndLeavesNoTemporary) {
  TempDirectory dir;
  const auto source = dir.Write("source.pdf", std::string("%PDF\0 bytes", 11));
  std::filesystem::create_directory(dir.Path() / "out");
  const auto destination = dir.Write("out/c.pdf", "old content that is longer");

  EXPECT_EQ(FileSystemServices().CopyFile(source, destination), CopyResult::Copied);

  EXPECT_EQ(ReadFileBytes(destination), std::string("%PDF\0 bytes", 11));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "out"), {}), 1);
}

TEST(FileCopy, RefusesToCopyAFileOntoItselfAndKeepsIt) {
  TempDirectory dir;
  const auto source = dir.Write("c.pdf", "precious order");
  EXPECT_EQ(FileSystemServices().CopyFile(source, source), CopyResult::Failed);
  const auto sameThroughDot = (dir.Path() / "." / "c.pdf").string();
  EXPECT_EQ(FileSystemServices().CopyFile(source, sameThroughDot), CopyResult::Failed);
  EXPECT_EQ(ReadFileBytes(source), "precious order");
}

TEST(FileCopy, FailuresLeaveNothingBehind) {
  TempDirectory dir;
  const auto source = dir.Write("c.pdf", "order");
  // Missing source.
  EXPECT_EQ(FileSystemServices().CopyFile((dir.Path() / "nope.pdf").string(),
                                          (dir.Path() / "x.pdf").string()),
            CopyResult::Failed);
  // A destination folder that is a file.
  const auto notAFolder = dir.Write("plain", "x");
  EXPECT_EQ(FileSystemServices().CopyFile(source, notAFolder + "/c.pdf"), CopyResult::Failed);
  // A destination that is a folder.
  std::filesystem::create_directory(dir.Path() / "taken");
  EXPECT_EQ(FileSystemServices().CopyFile(source, (dir.Path() / "taken").string()),
            CopyResult::Failed);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
  EXPECT_EQ(ReadFileBytes(source), "order");
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST(FileCopy, AReplacedFileKeepsItsModeANewOneGetsTheUmasks) {
  TempDirectory dir;
  const auto source = dir.Write("source.pdf", "order");
  const auto replaced = dir.Write("replaced.pdf", "old");
  ::chmod(replaced.c_str(), 0604);
  const auto fresh = (dir.Path() / "fresh.pdf").string();

  const mode_t mask = ::umask(027);
  const CopyResult replacing = FileSystemServices().CopyFile(source, replaced);
  const CopyResult creating = FileSystemServices().CopyFile(source, fresh);
  ::umask(mask);

  EXPECT_EQ(replacing, CopyResult::Copied);
  EXPECT_EQ(creating, CopyResult::Copied);
  EXPECT_EQ(ModeOf(replaced), 0604u);
  EXPECT_EQ(ModeOf(fresh), 0640u);
}

TEST(FileCopy, AReadOnlyDestinationIsRefusedAndKept) {
  TempDirectory dir;
  const auto source = dir.Write("source.pdf", "order");
  const auto destination = dir.Write("c.pdf", "kept");
  ::chmod(destination.c_str(), 0444);

  EXPECT_EQ(FileSystemServices().CopyFile(source, destination), CopyResult::DestinationReadOnly);

  EXPECT_EQ(ReadFileBytes(destination), "kept");
  EXPECT_EQ(ModeOf(destination), 0444u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(FileCopy, ANameNearTheLengthLimitIsCopied) {
  TempDirectory dir;
  const auto source = dir.Write("source.pdf", "order");
  const auto destination = (dir.Path() / (std::string(244, 'c') + ".pdf")).string();

  EXPECT_EQ(FileSystemServices().CopyFile(source, destination), CopyResult::Copied);
  EXPECT_EQ(ReadFileBytes(destination), "order");
}

TEST(FileCopy, APipeIsRefusedWithoutWaiting) {
  TempDirectory dir;
  const auto pipe = (dir.Path() / "c.pdf").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const auto destination = (dir.Path() / "copie.pdf").string();

  auto copy = std::async(std::launch::async,
                         [&] { return FileSystemServices().CopyFile(pipe, destination); });
  if (copy.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    // Stuck opening the pipe: a writer lets it go, so that the test ends.
    ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
    ADD_FAILURE() << "the copy waited on the pipe";
  }
  EXPECT_EQ(copy.get(), CopyResult::Failed);
  EXPECT_FALSE(std::filesystem::exists(destination));
}

}  // namespace
}  // namespace vellumo::testing
