#pragma once
// Whether Qt will find a screen to draw on. Qt 6.4 aborts inside the
// application object's constructor when its platform cannot start, so this
// is asked before that object exists.

namespace vellumo {

// Follows QT_QPA_PLATFORM as Qt does: xcb needs an X server that accepts a
// connection, wayland a compositor's socket; offscreen, vnc and the like
// need neither. Unset, Qt uses xcb, or Wayland in a Wayland session.
bool DisplayAvailable();

}  // namespace vellumo
