#include "app/qt/QtApplicationShell.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/Startup.h"
#include "app/UnitFicheVellumo.h"
#include "app/qt/VellumoDialog.h"
#include "tests/fakes/FakeSmtpClient.h"
#include "tests/fakes/FakeSystem.h"
#include "tests/fakes/FakeToolkit.h"

namespace vellumo {
namespace {

class QtApplicationShellTest : public ::testing::Test {
 protected:
  void TearDown() override {
    qApp->setStyleSheet(QString());
    QApplication::setQuitOnLastWindowClosed(false);
  }

  UnattendedMode Answering(const char* answer) {
    UnattendedMode mode(QString::fromUtf8(answer), shots.path());
    mode.SetDisplayMilliseconds(30);
    return mode;
  }
  bool BoxSaved(int n) const {
    return QFileInfo::exists(QDir(shots.path()).filePath(QStringLiteral("box-%1.png").arg(n)));
  }
  // Every run reads the host's file; no run reads nothing.
  std::size_t Reads() const { return system.reads.size(); }
  // Runs `start` inside the event loop the way the process does, with a
  // safety net against a run that never closes its dialog.
  static void WithQuitOnClose(const std::function<void()>& start) {
    QApplication::setQuitOnLastWindowClosed(true);
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, qApp, &QCoreApplication::quit);
    safety.start(15000);
    start();
    EXPECT_TRUE(safety.isActive()) << "the run did not close the dialog";
    QApplication::setQuitOnLastWindowClosed(false);
  }

  QTemporaryDir shots;
  testing::FakeSystem system;
  testing::FakeSmtpClientFactory clients;
};

TEST_F(QtApplicationShellTest, TitleNamesTheApplicationButLeavesTheCaption) {
  QtApplicationShell shell(system, clients, Answering("no"));
  shell.SetTitle("Vellumo");
  shell.CreateMainForm();
  EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Vellumo"));
  EXPECT_EQ(shell.Dialog()->windowTitle(), QStringLiteral("Envoi du mail"));
  EXPECT_EQ(shell.Dialog()->parentWidget(), nullptr) << "own task-bar entry";
  EXPECT_FALSE(shell.Dialog()->isVisible()) << "created hidden";
}

TEST_F(QtApplicationShellTest, OurStyleIsApplied) {
  QtApplicationShell shell(system, clients, Answering("no"));
  shell.CreateMainForm();
  const QColor before = shell.Dialog()->palette().color(QPalette::Window);
  ASSERT_TRUE(shell.TrySetStyle("Smokey Quartz Kamri"));
  EXPECT_FALSE(qApp->styleSheet().isEmpty());
  EXPECT_FALSE(BoxSaved(1)) << "no error box";

  shell.Dialog()->ensurePolished();
  const QColor face = shell.Dialog()->palette().color(QPalette::Window);
  EXPECT_NE(face, before);
  // Smoky quartz: warm, red above blue, neither black nor white.
  EXPECT_GT(face.red(), face.blue());
  EXPECT_GT(face.lightness(), 40);
  EXPECT_LT(face.lightness(), 245);
}

TEST_F(QtApplicationShellTest, MissingStyleShowsAnErrorAndStartUpGoesOn) {
  QtApplicationShell shell(system, clients, Answering("no"));
  EXPECT_FALSE(shell.TrySetStyle("Nuit Polaire"));
  EXPECT_TRUE(BoxSaved(1));
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST_F(QtApplicationShellTest, WithoutArgumentOnlyTheBoxAppears) {
  QtApplicationShell shell(system, clients, Answering("no"));
  StartVellumo(shell, {});
  EXPECT_TRUE(BoxSaved(1));
  ASSERT_NE(shell.Dialog(), nullptr);
  EXPECT_FALSE(shell.Dialog()->isVisible());
  EXPECT_EQ(Reads(), 0u) << "no run";
}

TEST_F(QtApplicationShellTest, OneRunPerProcessHoweverOftenTheDialogIsActivated) {
  QTemporaryDir folder;
  const std::string config = QDir(folder.path()).filePath(QStringLiteral("absent.ini")).toStdString();
  QtApplicationShell shell(system, clients, Answering("no"));

  WithQuitOnClose([&] { StartVellumo(shell, {config}); });

  ASSERT_NE(shell.Dialog(), nullptr);
  EXPECT_FALSE(shell.Dialog()->isVisible()) << "the run closes the dialog";
  const std::size_t readsOfTheRun = Reads();
  EXPECT_GT(readsOfTheRun, 0u);
  EXPECT_TRUE(BoxSaved(1)) << "the error was shown";
  EXPECT_FALSE(BoxSaved(2));
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(config))) << "the marker was written";

  // A failed read leaves every mark hidden and the designed size.
  for (QLabel* label : shell.Dialog()->findChildren<QLabel*>()) {
    if (label->objectName().startsWith(QStringLiteral("Img"))) {
      EXPECT_TRUE(label->isHidden()) << label->objectName().toStdString();
    }
  }
  EXPECT_EQ(shell.Dialog()->size(), QSize(264, 225));

  // Shown and activated again: the job does not start a second time.
  shell.Dialog()->show();
  for (int i = 0; i < 3; ++i) {
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(shell.Dialog(), &activate);
    QApplication::processEvents();
  }
  QApplication::processEvents();
  EXPECT_EQ(Reads(), readsOfTheRun);
  EXPECT_FALSE(BoxSaved(2));
  shell.Dialog()->close();
}

TEST_F(QtApplicationShellTest, ModeZeroShowsTheConnectionGroupWithCrosses) {
  QTemporaryDir folder;
  const QString config = QDir(folder.path()).filePath(QStringLiteral("mode0.ini"));
  {
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Email]\r\nEnvoiMode=0\r\n");
  }
  QtApplicationShell shell(system, clients, Answering("no"));
  WithQuitOnClose([&] { StartVellumo(shell, {config.toStdString()}); });

  VellumoDialog& dialog = *shell.Dialog();
  EXPECT_EQ(dialog.size(), QSize(264, 113));
  for (const char* cross : {"ImgEtatConnexionReadConfNo", "ImgEtatConnexionCheckConfNo",
                            "ImgEtatConnexionResultatNo"}) {
    EXPECT_FALSE(dialog.Image(cross)->isHidden()) << cross;
  }
  EXPECT_TRUE(dialog.Image("ImgEtatConnexionReadConfYes")->isHidden());
  EXPECT_FALSE(BoxSaved(1)) << "nothing to say";
  EXPECT_GT(Reads(), 0u);
}

}  // namespace
}  // namespace vellumo
