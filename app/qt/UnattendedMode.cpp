#include "app/qt/UnattendedMode.h"

#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <QtGlobal>

namespace vellumo {

UnattendedMode::UnattendedMode(const QString& autoAnswer, const QString& screenshotDir)
    : screenshotDir_(screenshotDir) {
  const QString answer = autoAnswer.trimmed();
  if (answer.isEmpty()) return;
  active_ = true;
  const qsizetype colon = answer.indexOf(QLatin1Char(':'));
  const QString word = (colon < 0 ? answer : answer.left(colon)).trimmed();
  answer_ = word.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 ? DialogAnswer::Yes
                                                                         : DialogAnswer::No;
  if (colon >= 0) folder_ = answer.mid(colon + 1).toStdString();
}

UnattendedMode UnattendedMode::FromEnvironment() {
  return UnattendedMode(qEnvironmentVariable("VELLUMO_AUTO_ANSWER"),
                        qEnvironmentVariable("VELLUMO_SCREENSHOT_DIR"));
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

void UnattendedMode::SaveDialogPictureIfAsked(QWidget& dialog) {
  const QString path = qEnvironmentVariable("VELLUMO_SCREENSHOT");
  if (path.isEmpty() || !dialog.isVisible()) return;
  dialog.grab().save(path, "PNG");
}

}  // namespace vellumo
