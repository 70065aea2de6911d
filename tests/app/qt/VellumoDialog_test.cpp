#include "app/qt/VellumoDialog.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace vellumo {
namespace {

enum class Kind { Label, HeadingLabel, CrossImage, CheckImage };

struct Component {
  const char* name;
  Kind kind;
  int left;
  int top;
  const char* text;  // labels only
};

// The form as designed, in declaration order.
const std::vector<Component>& Form() {
  static const std::vector<Component> form = {
      {"lbEtatConnexion", Kind::HeadingLabel, 24, 16, "Etat de la connexion"},
      {"ImgEtatConnexionReadConfNo", Kind::CrossImage, 223, 35, ""},
      {"ImgEtatConnexionReadConfYes", Kind::CheckImage, 223, 35, ""},
      {"ImgVellumoReadConfYes", Kind::CheckImage, 223, 136, ""},
      {"ImgVellumoReadConfNo", Kind::CrossImage, 223, 136, ""},
      {"lbVellumo", Kind::HeadingLabel, 24, 117, "Envoi du mail"},
      {"lbEtatConnexionReadConf", Kind::Label, 40, 35, "Lecture du fichier de configuration"},
      {"lbVellumoReadConf", Kind::Label, 40, 136, "Lecture du fichier de configuration"},
      {"ImgEtatConnexionCheckConfNo", Kind::CrossImage, 223, 54, ""},
      {"ImgEtatConnexionCheckConfYes", Kind::CheckImage, 223, 54, ""},
      {"lbEtatConnexionCheckConf", Kind::Label, 40, 54, "Contrôle de la configuration"},
      {"ImgEtatConnexionResultatNo", Kind::CrossImage, 223, 73, ""},
      {"ImgEtatConnexionResultatYes", Kind::CheckImage, 223, 73, ""},
      {"lbEtatConnexionResultat", Kind::Label, 40, 73, "Connexion"},
      {"ImgVellumoPreparationYes", Kind::CheckImage, 223, 155, ""},
      {"ImgVellumoPreparationNo", Kind::CrossImage, 223, 155, ""},
      {"lbVellumoPreparation", Kind::Label, 40, 155, "Préparation du mail"},
      {"ImgVellumoConnexionNo", Kind::CrossImage, 223, 174, ""},
      {"ImgVellumoConnexionYes", Kind::CheckImage, 223, 174, ""},
      {"lbVellumoConnexion", Kind::Label, 40, 174, "Connexion"},
      {"ImgVellumoResultatNo", Kind::CrossImage, 223, 193, ""},
      {"ImgVellumoResultatYes", Kind::CheckImage, 223, 193, ""},
      {"lbVellumoResultat", Kind::Label, 40, 193, "Envoi"},
  };
  return form;
}

bool IsImage(Kind kind) { return kind == Kind::CrossImage || kind == Kind::CheckImage; }

// Red or green, judged on the opaque pixels of the label's picture.
bool LooksRed(const QLabel& image) {
  const QImage picture = image.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
  long red = 0;
  long green = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QColor c = picture.pixelColor(x, y);
      if (c.alpha() < 200) continue;
      red += c.red();
      green += c.green();
    }
  }
  return red > green;
}

TEST(VellumoDialog, WindowIsTheFixedDesignedDialog) {
  VellumoDialog dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Envoi du mail"));
  EXPECT_EQ(dialog.size(), QSize(264, 225));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_FALSE(dialog.isSizeGripEnabled());
  EXPECT_FALSE(dialog.isVisible());
}

TEST(VellumoDialog, EveryComponentOfTheFormWithItsNamePlaceAndContent) {
  VellumoDialog dialog;
  std::vector<QString> declared;
  for (const QObject* child : dialog.children()) {
    if (qobject_cast<const QLabel*>(child) != nullptr) declared.push_back(child->objectName());
  }
  ASSERT_EQ(declared.size(), Form().size());

  for (std::size_t i = 0; i < Form().size(); ++i) {
    const Component& c = Form()[i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(declared[i], QString::fromLatin1(c.name)) << "declaration order";
    const auto* widget = dialog.findChild<QLabel*>(QString::fromLatin1(c.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->pos(), QPoint(c.left, c.top));
    if (IsImage(c.kind)) {
      EXPECT_EQ(widget->size(), QSize(16, 16));
      EXPECT_TRUE(widget->text().isEmpty());
      EXPECT_EQ(widget->pixmap().deviceIndependentSize().toSize(), QSize(16, 16));
      EXPECT_EQ(LooksRed(*widget), c.kind == Kind::CrossImage);
      EXPECT_TRUE(widget->isHidden()) << "images start hidden";
      EXPECT_EQ(dialog.Image(c.name), widget);
    } else {
      EXPECT_EQ(widget->text(), QString::fromUtf8(c.text));
      EXPECT_EQ(widget->font().bold(), c.kind == Kind::HeadingLabel);
      EXPECT_FALSE(widget->isHidden());
      EXPECT_EQ(dialog.Image(c.name), nullptr) << "a label is no image";
    }
  }
}

// A screen reader hears each shown mark as its state, with the step it
// stands beside (the label on the same line) as its description.
TEST(VellumoDialog, ScreenReaderReadsEachShownMarkWithItsStep) {
  VellumoDialog dialog;
  dialog.show();
  for (const Component& c : Form()) {
    if (!IsImage(c.kind)) continue;
    SCOPED_TRACE(c.name);
    std::string stepText;
    for (const Component& l : Form()) {
      if (l.kind == Kind::Label && l.top == c.top) stepText = l.text;
    }
    QLabel* mark = dialog.Image(c.name);
    ASSERT_NE(mark, nullptr);
    mark->show();
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(mark);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(reader->state().invisible);
    EXPECT_EQ(reader->text(QAccessible::Name).toStdString(),
              c.kind == Kind::CheckImage ? "Étape réussie" : "Étape non réussie");
    EXPECT_EQ(reader->text(QAccessible::Description).toStdString(), stepText);
  }
}

TEST(VellumoDialog, FontIsElevenPixelsTahomaOrACondensedStandIn) {
  VellumoDialog dialog;
  EXPECT_EQ(dialog.font().pixelSize(), 11);
  const QString family = QFontInfo(dialog.font()).family();
  EXPECT_TRUE(family == QStringLiteral("Tahoma") || family.contains(QStringLiteral("Condensed")))
      << family.toStdString();
}

TEST(VellumoDialog, StepLabelsEndBeforeTheImagesAndAreNotClipped) {
  VellumoDialog dialog;
  for (const Component& c : Form()) {
    if (IsImage(c.kind)) continue;
    SCOPED_TRACE(c.name);
    const auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(c.name));
    ASSERT_NE(label, nullptr);
    const int textWidth = QFontMetrics(label->font()).horizontalAdvance(label->text());
    EXPECT_GE(label->width(), textWidth) << "clipped";
    EXPECT_GE(label->height(), QFontMetrics(label->font()).height()) << "clipped";
    EXPECT_LT(c.left + textWidth, 223) << "runs under the images";
    EXPECT_LE(label->geometry().right(), 223 + 16);
  }
}

struct HeightCase {
  int clientHeight;
  bool mailGroupInView;
};

void PrintTo(const HeightCase& c, std::ostream* os) { *os << "client height " << c.clientHeight; }

class VellumoDialogHeight : public ::testing::TestWithParam<HeightCase> {};

TEST_P(VellumoDialogHeight, ClientAreaShowsTheRightGroups) {
  VellumoDialog dialog;
  dialog.SetClientHeight(GetParam().clientHeight);
  EXPECT_EQ(dialog.size(), QSize(264, GetParam().clientHeight));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "still fixed";

  const QRect client = dialog.rect();
  for (const Component& c : Form()) {
    SCOPED_TRACE(c.name);
    const QRect place = dialog.findChild<QLabel*>(QString::fromLatin1(c.name))->geometry();
    const bool mailGroup = c.top >= 117;
    if (mailGroup) {
      EXPECT_EQ(client.intersects(place), GetParam().mailGroupInView);
    } else {
      EXPECT_TRUE(client.contains(place)) << "connection group fully in view";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ConnectionOnlyAndBothGroups, VellumoDialogHeight,
                         ::testing::Values(HeightCase{113, false}, HeightCase{225, true}));

// Handles events until `done` holds or two seconds have passed.
template <typename Predicate>
bool ProcessUntil(Predicate done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 2000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

TEST(VellumoDialog, FirstPaintStartsTheJobAndEveryActivationAsksAgain) {
  VellumoDialog dialog;
  int calls = 0;
  dialog.SetActivationHandler([&calls] { ++calls; });

  // Not on screen yet: an activation does not count.
  QEvent early(QEvent::WindowActivate);
  QApplication::sendEvent(&dialog, &early);
  QApplication::processEvents();
  EXPECT_EQ(calls, 0);

  dialog.show();
  ASSERT_TRUE(ProcessUntil([&] { return calls >= 1; })) << "no start after the first paint";
  const int afterShow = calls;

  QEvent again(QEvent::WindowActivate);
  QApplication::sendEvent(&dialog, &again);
  EXPECT_EQ(calls, afterShow) << "runs from the event queue, not inside the event";
  ASSERT_TRUE(ProcessUntil([&] { return calls == afterShow + 1; }));
  dialog.close();
}

TEST(VellumoDialog, EscapeDoesNotCloseIt) {
  VellumoDialog dialog;
  dialog.show();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&dialog, &escape);
  QApplication::processEvents();
  EXPECT_TRUE(dialog.isVisible());
  dialog.close();
}

}  // namespace
}  // namespace vellumo
