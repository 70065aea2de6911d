#include "app/qt/VellumoDialog.h"

#include <QCloseEvent>

#include <QEvent>
#include <QFont>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPalette>
#include <QStringList>

namespace vellumo {

namespace {
// What a screen reader announces for a mark; the step it belongs to comes
// with it as the mark's description.
const QString kPassedMarkName = QStringLiteral("Étape réussie");
const QString kFailedMarkName = QStringLiteral("Étape non réussie");
}  // namespace

VellumoDialog::VellumoDialog(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                  Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("FicheVellumo"));
  setWindowTitle(QStringLiteral("Envoi du mail"));
  setSizeGripEnabled(false);
  setFixedSize(kClientWidth, kDesignedClientHeight);

  // The button face, as the form was designed; a style sheet may recolour it.
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);

  // Tahoma 8 pt is 11 pixels at 96 dpi; where Tahoma is missing, the
  // condensed DejaVu keeps the longest label clear of the images.
  QFont designed;
  designed.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                        QStringLiteral("Arial Narrow")});
  designed.setPixelSize(11);
  setFont(designed);

  // Declaration order of the form: the names are what the run addresses.
  const QString readConf = QStringLiteral("Lecture du fichier de configuration");
  AddLabel("lbEtatConnexion", QStringLiteral("Etat de la connexion"), 24, 16, true);
  AddImage("ImgEtatConnexionReadConfNo", StepPicture::Cross, 223, 35);
  AddImage("ImgEtatConnexionReadConfYes", StepPicture::Check, 223, 35);
  AddImage("ImgVellumoReadConfYes", StepPicture::Check, 223, 136);
  AddImage("ImgVellumoReadConfNo", StepPicture::Cross, 223, 136);
  AddLabel("lbVellumo", QStringLiteral("Envoi du mail"), 24, 117, true);
  AddLabel("lbEtatConnexionReadConf", readConf, 40, 35, false);
  AddLabel("lbVellumoReadConf", readConf, 40, 136, false);
  AddImage("ImgEtatConnexionCheckConfNo", StepPicture::Cross, 223, 54);
  AddImage("ImgEtatConnexionCheckConfYes", StepPicture::Check, 223, 54);
  AddLabel("lbEtatConnexionCheckConf", QStringLiteral("Contrôle de la configuration"), 40, 54,
           false);
  AddImage("ImgEtatConnexionResultatNo", StepPicture::Cross, 223, 73);
  AddImage("ImgEtatConnexionResultatYes", StepPicture::Check, 223, 73);
  AddLabel("lbEtatConnexionResultat", QStringLiteral("Connexion"), 40, 73, false);
  AddImage("ImgVellumoPreparationYes", StepPicture::Check, 223, 155);
  AddImage("ImgVellumoPreparationNo", StepPicture::Cross, 223, 155);
  AddLabel("lbVellumoPreparation", QStringLiteral("Préparation du mail"), 40, 155, false);
  AddImage("ImgVellumoConnexionNo", StepPicture::Cross, 223, 174);
  AddImage("ImgVellumoConnexionYes", StepPicture::Check, 223, 174);
  AddLabel("lbVellumoConnexion", QStringLiteral("Connexion"), 40, 174, false);
  AddImage("ImgVellumoResultatNo", StepPicture::Cross, 223, 193);
  AddImage("ImgVellumoResultatYes", StepPicture::Check, 223, 193);
  AddLabel("lbVellumoResultat", QStringLiteral("Envoi"), 40, 193, false);

  TieMarksToSteps();
  UpdatePictures();
}

void VellumoDialog::AddLabel(const char* name, const QString& text, int left, int top,
                             bool bold) {
  auto* label = new QLabel(text, this);
  label->setObjectName(QString::fromLatin1(name));
  if (bold) {
    QFont heading = font();
    heading.setBold(true);
    label->setFont(heading);
  }
  label->move(left, top);
  label->adjustSize();
}

void VellumoDialog::AddImage(const char* name, StepPicture picture, int left, int top) {
  auto* label = new QLabel(this);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(left, top, StepPictures::kSize, StepPictures::kSize);
  label->setAlignment(Qt::AlignCenter);
  label->setAccessibleName(picture == StepPicture::Check ? kPassedMarkName : kFailedMarkName);
  label->hide();
  images_.push_back({label, picture});
}

void VellumoDialog::TieMarksToSteps() {
  // Two marks take turns on one step, so a label's single buddy cannot
  // name the one shown: each mark carries its step's text instead.
  for (const ImageSlot& slot : images_) {
    QString step = slot.label->objectName().mid(3);  // after "Img"
    step.chop(step.endsWith(QStringLiteral("Yes")) ? 3 : 2);
    if (const auto* label = findChild<QLabel*>(QStringLiteral("lb") + step)) {
      slot.label->setAccessibleDescription(label->text());
    }
  }
}

void VellumoDialog::UpdatePictures() {
  const qreal ratio = devicePixelRatioF();
  for (const ImageSlot& slot : images_) {
    slot.label->setPixmap(StepPictures::Render(slot.picture, ratio));
  }
}

void VellumoDialog::SetClientHeight(int pixels) { setFixedSize(kClientWidth, pixels); }

namespace {

const char* StepName(Step step) {
  switch (step) {
    case Step::EtatConnexionReadConf: return "EtatConnexionReadConf";
    case Step::EtatConnexionCheckConf: return "EtatConnexionCheckConf";
    case Step::EtatConnexionResultat: return "EtatConnexionResultat";
    case Step::VellumoReadConf: return "VellumoReadConf";
    case Step::VellumoPreparation: return "VellumoPreparation";
    case Step::VellumoConnexion: return "VellumoConnexion";
    case Step::VellumoResultat: return "VellumoResultat";
  }
  return "";
}

}  // namespace

QLabel* VellumoDialog::StepImage(Step step, StepMark mark) const {
  return Image(std::string("Img") + StepName(step) + (mark == StepMark::Passed ? "Yes" : "No"));
}

QLabel* VellumoDialog::StepLabel(Step step) const {
  return findChild<QLabel*>(QStringLiteral("lb") + QString::fromLatin1(StepName(step)));
}

QLabel* VellumoDialog::Image(const std::string& name) const {
  const QString wanted = QString::fromStdString(name);
  for (const ImageSlot& slot : images_) {
    if (slot.label->objectName() == wanted) return slot.label;
  }
  return nullptr;
}

void VellumoDialog::SetActivationHandler(std::function<void()> handler) {
  activationHandler_ = std::move(handler);
}

void VellumoDialog::SetCloseHandler(std::function<bool()> handler) {
  closeHandler_ = std::move(handler);
}

void VellumoDialog::closeEvent(QCloseEvent* event) {
  if (closeHandler_ && !closeHandler_()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void VellumoDialog::PostActivation() {
  // Queued: the job blocks, and must not run inside a paint or an
  // activation event.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (activationHandler_) activationHandler_();
      },
      Qt::QueuedConnection);
}

bool VellumoDialog::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && painted_) {
    PostActivation();
  } else if (event->type() == QEvent::ScreenChangeInternal) {
    UpdatePictures();
  }
  return QDialog::event(event);
}

void VellumoDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (!painted_) {
    painted_ = true;
    UpdatePictures();
    PostActivation();
  }
}

void VellumoDialog::keyPressEvent(QKeyEvent* event) {
  // No buttons, no input: Escape must not close the dialog mid-run.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace vellumo
