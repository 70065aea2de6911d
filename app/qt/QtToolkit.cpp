#include "app/qt/QtToolkit.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QTimer>
#include <QLabel>
#include <stdexcept>

#include "app/qt/UnattendedMode.h"
#include "app/qt/UserPrompts.h"
#include "app/qt/VellumoDialog.h"

namespace vellumo {

QtToolkit::QtToolkit(VellumoDialog& dialog, UserPrompts& prompts)
    : dialog_(dialog), prompts_(prompts) {}

QtToolkit::~QtToolkit() {
  if (waitCursor_) QApplication::restoreOverrideCursor();
}

void QtToolkit::SetDialogOuterHeight(int pixels) {
  dialog_.SetClientHeight(pixels - VellumoDialog::kDesignedFrameHeight);
}

void QtToolkit::SetStepMarkVisible(Step step, StepMark mark, bool visible) {
  QLabel* image = dialog_.StepImage(step, mark);
  if (image == nullptr) throw std::logic_error("a step image is missing from the dialog");
  image->setVisible(visible);
}

void QtToolkit::ProcessMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // Qt paints on its own timer; the run blocks right after this, so the
  // changed marks are painted now.
  if (dialog_.isVisible()) dialog_.repaint();
}

void QtToolkit::ProcessMessagesFor(int milliseconds) {
  QEventLoop pause;
  QTimer::singleShot(milliseconds, &pause, &QEventLoop::quit);
  pause.exec();
}

void QtToolkit::SetStepText(Step step, const std::string& text) {
  QLabel* label = dialog_.StepLabel(step);
  if (label == nullptr) throw std::logic_error("a step label is missing from the dialog");
  label->setText(QString::fromStdString(text));
  // Labels are sized to their designed text; a longer one must show whole.
  label->adjustSize();
}

void QtToolkit::BringToFront() {
  dialog_.raise();
  dialog_.activateWindow();
}

void QtToolkit::CloseDialog() {
  prompts_.Unattended().SaveDialogPictureIfAsked(dialog_);
  // The dialog is the last window: closing it ends the event loop.
  dialog_.close();
}

void QtToolkit::SetCursor(CursorKind cursor) {
  if (cursor == CursorKind::Hourglass) {
    if (!waitCursor_) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    waitCursor_ = true;
  } else {
    if (waitCursor_) QApplication::restoreOverrideCursor();
    waitCursor_ = false;
  }
}

void QtToolkit::ShowMessage(const std::string& text) { prompts_.ShowMessage(BoxParent(), text); }

DialogAnswer QtToolkit::AskYesNo(const std::string& text) {
  return prompts_.AskYesNo(BoxParent(), text);
}

bool QtToolkit::SelectDirectory(const std::string& title, std::string& folder) {
  return prompts_.SelectDirectory(title, folder);
}

void QtToolkit::ShowException(const std::string& message) {
  prompts_.ShowError(BoxParent(), message);
}

QWidget* QtToolkit::BoxParent() const { return dialog_.isVisible() ? &dialog_ : nullptr; }

}  // namespace vellumo
