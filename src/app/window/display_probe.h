// Whether a window system can really be reached, asked before Qt is
// started: Qt ends the process when the display it is given cannot be
// opened, and a batch line started over ssh with a stale DISPLAY must still
// convert, without a window.
#pragma once

#include <string>

namespace kestrelpix::window {

// An X11 display name ("[host]:N[.S]", "unix:N") whose server accepts a
// connection: the local socket (abstract or in /tmp/.X11-unix) for no host
// or "unix", else TCP port 6000 + N of the host, within timeoutMs.
bool X11DisplayReachable(const std::string& display, int timeoutMs = 2000);

// An X11 display that this program can really open: reachable as above,
// and a whole X connection, authorisation included, made within timeoutMs.
// A server that refuses the program (no cookie for it in XAUTHORITY) or
// never answers is no display to open.
bool X11DisplayOpens(const std::string& display, int timeoutMs = 2000);

// A Wayland socket name, relative to runtimeDir unless absolute, whose
// compositor accepts a connection.
bool WaylandDisplayReachable(const std::string& name, const std::string& runtimeDir);

}  // namespace kestrelpix::window
