#include "app/window/display_probe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <optional>

namespace kestrelpix::window {

namespace {

// Connects a fresh socket to the address and closes it again. A connection
// in progress is given timeoutMs to complete.
bool CanConnect(int family, const sockaddr* address, socklen_t length, int timeoutMs) {
  const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool connected = ::connect(fd, address, length) == 0;
  if (!connected && errno == EINPROGRESS) {
    pollfd waiting{fd, POLLOUT, 0};
    int error = 0;
    socklen_t size = sizeof error;
    connected = ::poll(&waiting, 1, timeoutMs) == 1 &&
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
  }
  ::close(fd);
  return connected;
}

// A local stream socket by path; a leading '@' names an abstract socket.
bool CanConnectLocal(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  if (path[0] == '@') address.sun_path[0] = '\0';
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() +
                                             (path[0] == '@' ? 0 : 1));
  return CanConnect(AF_UNIX, reinterpret_cast<const sockaddr*>(&address), length, 0);
}

bool CanConnectTcp(const std::string& host, int port, int timeoutMs) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  bool connected = false;
  for (addrinfo* a = found; a != nullptr && !connected; a = a->ai_next) {
    connected = CanConnect(a->ai_family, a->ai_addr, a->ai_addrlen, timeoutMs);
  }
  ::freeaddrinfo(found);
  return connected;
}

// A display number: decimal digits only, small enough that 6000 + N is a
// port.
std::optional<int> DisplayNumber(const std::string& digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n > 65535 - 6000) return std::nullopt;
  return n;
}

}  // namespace

bool X11DisplayReachable(const std::string& display, int timeoutMs) {
  // "host:N.S": the display number follows the last colon, the screen the
  // dot after it; "host::N" is DECnet's form of the same.
  const size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  std::string host = display.substr(0, colon);
  if (!host.empty() && host.back() == ':') host.pop_back();
  const std::string rest = display.substr(colon + 1);
  const std::string number = rest.substr(0, rest.find('.'));
  const std::optional<int> n = DisplayNumber(number);
  if (!n) return false;
  if (!host.empty() && host.front() == '/') {
    return CanConnectLocal(host + ":" + number);  // a launchd-style socket path
  }
  if (host.empty() || host == "unix") {
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(*n);
    return CanConnectLocal("@" + path) || CanConnectLocal(path);
  }
  return CanConnectTcp(host, 6000 + *n, timeoutMs);
}

bool X11DisplayOpens(const std::string& display, int timeoutMs) {
  if (!X11DisplayReachable(display, timeoutMs)) return false;
  // Connected in a child process: a server that accepts the socket and
  // never answers (one that is stopped) would hold xcb_connect for ever.
  int answer[2];
  if (::pipe2(answer, O_CLOEXEC) != 0) return false;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(answer[0]);
    // libxcb prints the server's refusal; the caller says what it means.
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) ::dup2(null, STDERR_FILENO);
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const char opened = xcb_connection_has_error(connection) == 0 ? '1' : '0';
    _exit(::write(answer[1], &opened, 1) == 1 ? 0 : 1);
  }
  ::close(answer[1]);
  char opened = '0';
  pollfd waiting{answer[0], POLLIN, 0};
  int ready = 0;
  if (child > 0) {
    do ready = ::poll(&waiting, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
  }
  if (ready == 1 && ::read(answer[0], &opened, 1) != 1) opened = '0';
  ::close(answer[0]);
  if (child > 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }
  return opened == '1';
}

bool WaylandDisplayReachable(const std::string& name, const std::string& runtimeDir) {
  if (name.empty()) return false;
  if (name.front() == '/') return CanConnectLocal(name);
  if (runtimeDir.empty()) return false;
  return CanConnectLocal(runtimeDir + "/" + name);
}

}  // namespace kestrelpix::window
