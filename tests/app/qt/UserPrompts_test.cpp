#include "app/qt/UserPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace vellumo {
namespace {

struct SeenBox {
  QString title;
  QString text;
  Qt::TextFormat format = Qt::AutoText;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  std::vector<std::string> buttons;
};

// Looks at the message box on screen while the prompt shows it.
SeenBox WhileShown(const std::function<void(UserPrompts&)>& prompt) {
  UnattendedMode mode(QStringLiteral("no"), QString());
  mode.SetDisplayMilliseconds(200);
  UserPrompts prompts(mode);
  SeenBox seen;
  QTimer::singleShot(50, [&seen] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(top);
      if (box == nullptr || !box->isVisible()) continue;
      seen.title = box->windowTitle();
      seen.text = box->text();
      seen.format = box->textFormat();
      seen.icon = box->icon();
      for (QAbstractButton* button : box->buttons()) {
        seen.buttons.push_back(button->text().remove(QLatin1Char('&')).toStdString());
      }
      std::sort(seen.buttons.begin(), seen.buttons.end());
    }
  });
  prompt(prompts);
  return seen;
}

struct BoxCase {
  const char* what;
  std::function<void(UserPrompts&)> prompt;
  QMessageBox::Icon icon;
  std::vector<std::string> buttons;
};

// A server reply dressed as HTML: it must read as written, never as a
// big "Connexion réussie !" with a link behind it.
const char* const kHtmlReply =
    "535 <a href=\"https://phish.example/reset\"><h1>Connexion réussie !</h1></a>";

TEST(UserPrompts, EachBoxHasItsTypeTitlePlainTextAndFrenchButtons) {
  const std::vector<BoxCase> cases = {
      {"message", [](UserPrompts& p) { p.ShowMessage(nullptr, kHtmlReply); },
       QMessageBox::NoIcon, {"OK"}},
      {"question", [](UserPrompts& p) { p.AskYesNo(nullptr, kHtmlReply); },
       QMessageBox::Information, {"Non", "Oui"}},
      {"error", [](UserPrompts& p) { p.ShowError(nullptr, kHtmlReply); },
       QMessageBox::Critical, {"OK"}},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.what);
    const SeenBox seen = WhileShown(c.prompt);
    EXPECT_EQ(seen.title, QStringLiteral("Vellumo"));
    EXPECT_EQ(seen.text, QString::fromUtf8(kHtmlReply));
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.buttons, c.buttons);
  }
}

}  // namespace
}  // namespace vellumo
