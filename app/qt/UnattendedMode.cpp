#include "app/qt/UnattendedMode.h"

#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace vellumo {

UnattendedMode::UnattendedMode(const QString& autoAnswer, const QString& screenshotDir,
                               const QString& dialogPicture)
    : screenshotDir_(screenshotDir), dialogPicture_(dialogPicture) {
  const QString answer = autoAnswer.trimmed();
  if (answer.isEmpty()) return;
  active_ = true;
  const qsizetype colon = answer.indexOf(QLatin1Char(':'));
  const QString word = (colon < 0 ? answer : answer.left(colon)).trimmed();
  answer_ = word.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 ? DialogAnswer::Yes
                                                                         : DialogAnswer::No;
  if (colon >= 0) folder_ = answer.mid(colon + 1).toStdString();
}

void UnattendedMode::ShowBriefly(QWidget& box) {
  box.setWindowModality(Qt::NonModal);
  box.show();
  box.raise();
  QEventLoop wait;
  QTimer::singleShot(displayMilliseconds_, &wait, &QEventLoop::quit);
  wait.exec();
  ++boxesShown_;
  if (!screenshotDir_.isEmpty()) {
    box.grab().save(QDir(screenshotDir_).filePath(QStringLiteral("box-%1.png").arg(boxesShown_)),
                    "PNG");
  }
  box.hide();
}

void UnattendedMode::SaveDialogPictureIfAsked(QWidget& dialog) const {
  if (dialogPicture_.isEmpty() || !dialog.isVisible()) return;
  dialog.grab().save(dialogPicture_, "PNG");
}

}  // namespace vellumo
