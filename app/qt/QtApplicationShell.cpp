#include "app/qt/QtApplicationShell.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>
#include <utility>

#include "app/UnitFicheVellumo.h"
#include "app/qt/QtToolkit.h"
#include "app/qt/VellumoDialog.h"

// The resources live in a static library: nothing would pull them in.
static void RegisterResources() { Q_INIT_RESOURCE(vellumo); }

namespace vellumo {

QtApplicationShell::QtApplicationShell(SystemServices& system, SmtpClientFactory& clients,
                                       UnattendedMode unattended)
    : system_(system), clients_(clients), prompts_(std::move(unattended)) {
  RegisterResources();
}

QtApplicationShell::~QtApplicationShell() = default;

void QtApplicationShell::SetMainFormOnTaskBar(bool /*value*/) {
  // A top-level window without a parent owns its task-bar entry already;
  // the dialog is created that way.
}

void QtApplicationShell::SetTitle(const std::string& title) {
  // Only the application name: a display name would be appended to every
  // window caption, and the dialog's caption must stay as it is.
  QCoreApplication::setApplicationName(QString::fromStdString(title));
}

TFicheVellumo& QtApplicationShell::CreateMainForm() {
  dialog_ = std::make_unique<VellumoDialog>();
  toolkit_ = std::make_unique<QtToolkit>(*dialog_, prompts_);
  fiche_ = std::make_unique<TFicheVellumo>(*toolkit_, system_, clients_);
  TFicheVellumo* fiche = fiche_.get();
  dialog_->SetActivationHandler([fiche] { fiche->OnActivated(); });
  dialog_->SetCloseHandler([fiche] { return fiche->OnCloseRequested(); });
  return *fiche_;
}

QString QtApplicationShell::StyleResource(const std::string& styleName) {
  QString file = QString::fromStdString(styleName);
  file.remove(QLatin1Char(' '));
  return QStringLiteral(":/styles/%1.qss").arg(file);
}

bool QtApplicationShell::TrySetStyle(const std::string& styleName) {
  QFile sheet(StyleResource(styleName));
  if (!sheet.open(QIODevice::ReadOnly | QIODevice::Text)) {
    prompts_.ShowError(nullptr, QStringLiteral("Impossible d'appliquer le style « %1 » : %2")
                                    .arg(QString::fromStdString(styleName), sheet.errorString())
                                    .toStdString());
    return false;
  }
  // Fusion under the sheet: the same look on every platform.
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
    QApplication::setStyle(fusion);
  }
  qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
  return true;
}

void QtApplicationShell::Run() {
  if (!dialog_) return;
  dialog_->show();
  QApplication::exec();
}

void QtApplicationShell::ShowMessage(const std::string& text) {
  prompts_.ShowMessage(nullptr, text);
}

void QtApplicationShell::ShowException(const std::string& message) {
  prompts_.ShowError(nullptr, message);
}

}  // namespace vellumo
