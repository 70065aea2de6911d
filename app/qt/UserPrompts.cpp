#include "app/qt/UserPrompts.h"

#include <QDir>
#include <QFileDialog>
#include <QAbstractButton>
#include <QMessageBox>
#include <QString>
#include <utility>

namespace vellumo {

namespace {

const QString kBoxTitle = QStringLiteral("Vellumo");

// Every text the user reads is French, the buttons included, whatever
// translations the machine has.
void FrenchButtons(QMessageBox& box) {
  const struct {
    QMessageBox::StandardButton button;
    const char* text;
  } names[] = {{QMessageBox::Ok, "OK"}, {QMessageBox::Yes, "&Oui"}, {QMessageBox::No, "&Non"}};
  for (const auto& name : names) {
    if (QAbstractButton* button = box.button(name.button)) {
      button->setText(QString::fromUtf8(name.text));
    }
  }
}

// Boxes show server replies and INI values: text that looks like HTML must
// read as written, never render or carry a link.
void Prepare(QMessageBox& box) {
  box.setTextFormat(Qt::PlainText);
  FrenchButtons(box);
}

}  // namespace

UserPrompts::UserPrompts(UnattendedMode unattended) : unattended_(std::move(unattended)) {}

void UserPrompts::ShowMessage(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, kBoxTitle, QString::fromStdString(text), QMessageBox::Ok,
                  parent);
  Prepare(box);
  if (unattended_.Active()) {
    unattended_.ShowBriefly(box);
    return;
  }
  box.exec();
}

DialogAnswer UserPrompts::AskYesNo(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::Information, kBoxTitle, QString::fromStdString(text),
                  QMessageBox::Yes | QMessageBox::No, parent);
  Prepare(box);
  if (unattended_.Active()) {
    unattended_.ShowBriefly(box);
    return unattended_.Answer();
  }
  return box.exec() == QMessageBox::Yes ? DialogAnswer::Yes : DialogAnswer::No;
}

void UserPrompts::ShowError(QWidget* parent, const std::string& message) {
  QMessageBox box(QMessageBox::Critical, kBoxTitle, QString::fromStdString(message),
                  QMessageBox::Ok, parent);
  Prepare(box);
  if (unattended_.Active()) {
    unattended_.ShowBriefly(box);
    return;
  }
  box.exec();
}

bool UserPrompts::SelectDirectory(const std::string& title, std::string& folder) {
  QString chosen;
  if (unattended_.Active()) {
    chosen = QString::fromStdString(unattended_.Folder());
  } else {
    chosen = QFileDialog::getExistingDirectory(nullptr, QString::fromStdString(title), QString(),
                                               QFileDialog::ShowDirsOnly);
  }
  if (chosen.isEmpty()) return false;
  folder = QDir::toNativeSeparators(chosen).toStdString();
  return true;
}

}  // namespace vellumo
