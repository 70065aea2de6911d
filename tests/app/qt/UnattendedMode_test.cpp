#include "app/qt/UnattendedMode.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>

#include "app/qt/UserPrompts.h"

namespace vellumo {
namespace {

struct AnswerCase {
  const char* text;
  bool active;
  DialogAnswer answer;
  const char* folder;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class UnattendedModeParsing : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(UnattendedModeParsing, ReadsTheAnswerAndTheFolder) {
  const AnswerCase& c = GetParam();
  const UnattendedMode mode(QString::fromUtf8(c.text), QString());
  EXPECT_EQ(mode.Active(), c.active);
  EXPECT_EQ(mode.Answer(), c.answer);
  EXPECT_EQ(mode.Folder(), c.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, UnattendedModeParsing,
    ::testing::Values(AnswerCase{"", false, DialogAnswer::No, ""},
                      AnswerCase{"  ", false, DialogAnswer::No, ""},
                      AnswerCase{"no", true, DialogAnswer::No, ""},
                      AnswerCase{"yes", true, DialogAnswer::Yes, ""},
                      AnswerCase{"YES", true, DialogAnswer::Yes, ""},
                      AnswerCase{"yes:/tmp/bons de commande", true, DialogAnswer::Yes,
                                 "/tmp/bons de commande"},
                      AnswerCase{"yes:C:\\Commandes", true, DialogAnswer::Yes, "C:\\Commandes"},
                      AnswerCase{"peut-être", true, DialogAnswer::No, ""}));

class UnattendedPrompts : public ::testing::Test {
 protected:
  UserPrompts Prompts(const char* answer) {
    UnattendedMode mode(QString::fromUtf8(answer), shots.path());
    mode.SetDisplayMilliseconds(30);
    return UserPrompts(mode);
  }
  bool Saved(int n) const {
    return QFileInfo::exists(QDir(shots.path()).filePath(QStringLiteral("box-%1.png").arg(n)));
  }

  QTemporaryDir shots;
};

TEST_F(UnattendedPrompts, EveryBoxIsShownSavedAndAnsweredWithoutWaiting) {
  UserPrompts prompts = Prompts("yes:/srv/commandes");
  prompts.ShowMessage(nullptr, "Erreur : la section Email n'éxiste pas.");
  EXPECT_TRUE(Saved(1));
  EXPECT_EQ(prompts.AskYesNo(nullptr, "Voulez-vous ?"), DialogAnswer::Yes);
  EXPECT_TRUE(Saved(2));
  prompts.ShowError(nullptr, "boum");
  EXPECT_TRUE(Saved(3));
  EXPECT_FALSE(Saved(4));

  std::string folder;
  ASSERT_TRUE(prompts.SelectDirectory("Selectionnez un dossier", folder));
  EXPECT_EQ(folder, QDir::toNativeSeparators(QStringLiteral("/srv/commandes")).toStdString());
}

TEST_F(UnattendedPrompts, NoFolderMeansTheChooserIsCancelled) {
  UserPrompts prompts = Prompts("no");
  EXPECT_EQ(prompts.AskYesNo(nullptr, "Voulez-vous ?"), DialogAnswer::No);
  std::string folder = "unchanged";
  EXPECT_FALSE(prompts.SelectDirectory("Selectionnez un dossier", folder));
  EXPECT_EQ(folder, "unchanged");
}

}  // namespace
}  // namespace vellumo
