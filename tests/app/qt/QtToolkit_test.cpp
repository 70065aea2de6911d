#include "app/qt/QtToolkit.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QMetaObject>
#include <QTimer>
#include <gtest/gtest.h>

#include <ostream>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/qt/UserPrompts.h"
#include "app/qt/VellumoDialog.h"

namespace vellumo {
namespace {

const std::vector<std::string> kImages = {
    "ImgEtatConnexionReadConfNo",   "ImgEtatConnexionReadConfYes", "ImgEtatConnexionCheckConfNo",
    "ImgEtatConnexionCheckConfYes", "ImgEtatConnexionResultatNo",  "ImgEtatConnexionResultatYes",
    "ImgVellumoReadConfNo",         "ImgVellumoReadConfYes",       "ImgVellumoPreparationNo",
    "ImgVellumoPreparationYes",     "ImgVellumoConnexionNo",       "ImgVellumoConnexionYes",
    "ImgVellumoResultatNo",         "ImgVellumoResultatYes"};

// Counts paint events of one widget.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

class QtToolkitTest : public ::testing::Test {
 protected:
  void TearDown() override {
    dialog.close();
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  }

  std::vector<std::string> Visible() const {
    std::vector<std::string> shown;
    for (const std::string& name : kImages) {
      if (!dialog.Image(name)->isHidden()) shown.push_back(name);
    }
    return shown;
  }

  VellumoDialog dialog;
  UserPrompts prompts{UnattendedMode()};
  QtToolkit toolkit{dialog, prompts};
};

TEST_F(QtToolkitTest, EachStepMarkShowsAndHidesThatImageOnly) {
  // The marks in the order of kImages: each step's cross, then its check.
  std::size_t next = 0;
  for (Step step : kAllSteps) {
    for (StepMark mark : {StepMark::NotPassed, StepMark::Passed}) {
      const std::string& name = kImages.at(next++);
      SCOPED_TRACE(name);
      toolkit.SetStepMarkVisible(step, mark, true);
      EXPECT_EQ(Visible(), std::vector<std::string>{name});
      toolkit.SetStepMarkVisible(step, mark, false);
      EXPECT_TRUE(Visible().empty());
    }
  }
  EXPECT_EQ(next, kImages.size());
}

struct OuterHeightCase {
  int outer;
  int client;
};

void PrintTo(const OuterHeightCase& c, std::ostream* os) { *os << "outer height " << c.outer; }

class QtToolkitHeight : public QtToolkitTest, public ::testing::WithParamInterface<OuterHeightCase> {};

TEST_P(QtToolkitHeight, OuterHeightLessTheDesignedFrameIsTheClientHeight) {
  toolkit.SetDialogOuterHeight(GetParam().outer);
  EXPECT_EQ(dialog.size(), QSize(264, GetParam().client));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
}

INSTANTIATE_TEST_SUITE_P(RunHeights, QtToolkitHeight,
                         ::testing::Values(OuterHeightCase{141, 113}, OuterHeightCase{253, 225}));

TEST_F(QtToolkitTest, HeightChangeOnScreenKeepsTheWindowFixed) {
  dialog.show();
  QApplication::processEvents();
  toolkit.SetDialogOuterHeight(141);
  toolkit.ProcessMessages();
  EXPECT_EQ(dialog.size(), QSize(264, 113));
  toolkit.SetDialogOuterHeight(253);
  toolkit.ProcessMessages();
  EXPECT_EQ(dialog.size(), QSize(264, 225));
}

TEST_F(QtToolkitTest, ProcessMessagesRunsWhatIsWaiting) {
  bool ran = false;
  QMetaObject::invokeMethod(
      &dialog, [&ran] { ran = true; }, Qt::QueuedConnection);
  EXPECT_FALSE(ran);
  toolkit.ProcessMessages();
  EXPECT_TRUE(ran);
}

TEST_F(QtToolkitTest, ProcessMessagesPaintsAMarkThatWasJustShown) {
  dialog.show();
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 300) QApplication::processEvents();

  QLabel* check = dialog.Image("ImgEtatConnexionReadConfYes");
  PaintCounter counter;
  check->installEventFilter(&counter);
  toolkit.SetStepMarkVisible(Step::EtatConnexionReadConf, StepMark::Passed, true);
  EXPECT_EQ(counter.paints, 0);
  toolkit.ProcessMessages();
  EXPECT_GT(counter.paints, 0);
  check->removeEventFilter(&counter);
}

TEST_F(QtToolkitTest, ThePauseHandlesEventsAsTheyCome) {
  dialog.show();
  int ran = 0;
  QTimer::singleShot(10, &dialog, [&ran] { ++ran; });
  QTimer::singleShot(60, &dialog, [&ran] { ++ran; });
  QElapsedTimer clock;
  clock.start();
  toolkit.ProcessMessagesFor(150);
  EXPECT_EQ(ran, 2);
  EXPECT_GE(clock.elapsed(), 140);
}

TEST_F(QtToolkitTest, TheSendLineTakesItsProgressText) {
  toolkit.SetStepText(Step::VellumoResultat, "Envoi (100 %)");
  const QLabel* line = dialog.findChild<QLabel*>(QStringLiteral("lbVellumoResultat"));
  EXPECT_EQ(line->text(), QStringLiteral("Envoi (100 %)"));
  EXPECT_GE(line->width(), line->sizeHint().width()) << "shown whole";
}

TEST_F(QtToolkitTest, ACloseGoesThroughOnlyWhenTheRunSaysSo) {
  bool mayClose = false;
  int asked = 0;
  dialog.SetCloseHandler([&] {
    ++asked;
    return mayClose;
  });
  dialog.show();
  EXPECT_FALSE(dialog.close());
  EXPECT_TRUE(dialog.isVisible());
  mayClose = true;
  EXPECT_TRUE(dialog.close());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(asked, 2);
}

TEST_F(QtToolkitTest, HourglassIsSetOnceAndRestoredFully) {
  toolkit.SetCursor(CursorKind::Hourglass);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  toolkit.SetCursor(CursorKind::Hourglass);
  toolkit.SetCursor(CursorKind::Default);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  toolkit.SetCursor(CursorKind::Default);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace vellumo
