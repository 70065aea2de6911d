#include "app/qt/DisplayAvailable.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QByteArray>
#include <QByteArrayList>
#include <QtGlobal>
#include <cstring>

namespace vellumo {

namespace {

bool XServerAnswers() {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) return false;
  // Connects the way Qt's xcb platform will: DISPLAY, XAUTHORITY and all.
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool answers = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return answers;
}

bool WaylandAnswers() {
  QByteArray path = qgetenv("WAYLAND_DISPLAY");
  if (path.isEmpty()) path = "wayland-0";
  if (!path.startsWith('/')) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) return false;
    path = runtime + '/' + path;
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  const int socketFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socketFd < 0) return false;
  const bool answers =
      connect(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(socketFd);
  return answers;
}

}  // namespace

bool DisplayAvailable() {
  const QByteArray requested = qgetenv("QT_QPA_PLATFORM");
  if (requested.trimmed().isEmpty()) {
    return XServerAnswers() || (qgetenv("XDG_SESSION_TYPE") == "wayland" && WaylandAnswers());
  }
  // "name:option,option;another": Qt tries each name in turn.
  for (const QByteArray& entry : requested.split(';')) {
    const qsizetype colon = entry.indexOf(':');
    const QByteArray name = (colon < 0 ? entry : entry.left(colon)).trimmed();
    if (name.isEmpty()) continue;
    if (name == "xcb") {
      if (XServerAnswers()) return true;
    } else if (name.startsWith("wayland")) {
      if (WaylandAnswers()) return true;
    } else {
      return true;
    }
  }
  return false;
}

}  // namespace vellumo
