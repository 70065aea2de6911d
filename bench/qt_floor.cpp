// Baseline for the start-up figure: the least a Qt Widgets program does to
// show a dialog of Vellumo's size, so the table shows what Qt itself costs.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QDialog dialog;
  QLabel label(QStringLiteral("Etat de la connexion"), &dialog);
  dialog.resize(264, 225);
  dialog.show();
  QTimer::singleShot(300, &application, &QApplication::quit);
  return application.exec();
}
