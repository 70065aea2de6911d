// Process entry: the application object, the real services, start-up.
#include <QApplication>
#include <QStringList>
#include <string>
#include <vector>

#include "app/FileSystemServices.h"
#include "app/Startup.h"
#include "app/qt/QtApplicationShell.h"
#include "smtp/curl/CurlSmtpClientFactory.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);

  // QCoreApplication::arguments reads the wide command line on Windows, so a
  // path survives whole; it goes on as UTF-8.
  std::vector<std::string> arguments;
  const QStringList all = QCoreApplication::arguments();
  for (qsizetype i = 1; i < all.size(); ++i) arguments.push_back(all[i].toUtf8().toStdString());

  vellumo::FileSystemServices system;
  vellumo::CurlSmtpClientFactory clients;
  vellumo::QtApplicationShell shell(system, clients);
  vellumo::StartVellumo(shell, arguments);
  return 0;
}
