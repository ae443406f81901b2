// Whether the program finds a display it can open: real listening sockets
// stand in for an X server and a Wayland compositor, and a batch line run
// with a DISPLAY whose server is gone, or refuses the program, converts
// without a window instead of ending in Qt's "could not connect to display".
#include "app/window/display_probe.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QtTest>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <string>

#include "support/run_command.h"
#include "window_fixture.h"

using namespace kestrelpix;
using namespace kestrelpix::testing;
using window::WaylandDisplayReachable;
using window::X11DisplayOpens;
using window::X11DisplayReachable;

namespace {

// A listening stream socket, closed with the object.
class Listener {
 public:
  // A local socket; a path starting with '@' is an abstract one.
  static Listener Local(const std::string& path) {
    Listener l(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    if (path[0] == '@') address.sun_path[0] = '\0';
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() +
                                               (path[0] == '@' ? 0 : 1));
    l.Listen(reinterpret_cast<sockaddr*>(&address), length);
    return l;
  }
  // TCP on 127.0.0.1.
  static Listener Tcp(int port) {
    Listener l(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    l.Listen(reinterpret_cast<sockaddr*>(&address), sizeof address);
    return l;
  }
  Listener(Listener&& other) noexcept : fd_(other.fd_), ok_(other.ok_) { other.fd_ = -1; }
  ~Listener() { Close(); }
  bool ok() const { return ok_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  explicit Listener(int fd) : fd_(fd) {}
  void Listen(const sockaddr* address, socklen_t length) {
    ok_ = fd_ >= 0 && ::bind(fd_, address, length) == 0 && ::listen(fd_, 4) == 0;
  }
  int fd_;
  bool ok_ = false;
};

// A display number nobody else is likely to use, per test process.
int QuietDisplayNumber() { return 3000 + static_cast<int>(::getpid() % 2000); }

}  // namespace

class DisplayProbeTest : public QObject {
  Q_OBJECT

 private slots:
  void localX11Displays();
  void tcpX11Displays();
  void namesThatAreNoDisplay();
  void waylandSockets();
  void batchLineWithADisplayItCannotOpenConvertsWithoutAWindow();
};

void DisplayProbeTest::localX11Displays() {
  const int n = QuietDisplayNumber();
  const QString name = QString(":%1").arg(n);
  QVERIFY(!X11DisplayReachable(name.toStdString()));
  {
    // The abstract socket that X servers on Linux listen on.
    Listener server = Listener::Local("@/tmp/.X11-unix/X" + std::to_string(n));
    QVERIFY(server.ok());
    QVERIFY(X11DisplayReachable(":" + std::to_string(n)));
    QVERIFY(X11DisplayReachable(":" + std::to_string(n) + ".0"));
    QVERIFY(X11DisplayReachable("unix:" + std::to_string(n) + ".1"));
    QVERIFY(!X11DisplayReachable(":" + std::to_string(n + 1)));
    // It accepts the socket and never answers, as a stopped server does:
    // no display to open, within the time given.
    QVERIFY(!X11DisplayOpens(":" + std::to_string(n), 300));
  }
  // The server has gone: the same name is no display any more.
  QVERIFY(!X11DisplayReachable(name.toStdString()));
}

void DisplayProbeTest::tcpX11Displays() {
  // Display N of a host is TCP port 6000 + N; find a free one.
  for (int n = 150; n < 250; ++n) {
    Listener server = Listener::Tcp(6000 + n);
    if (!server.ok()) continue;
    const std::string name = "127.0.0.1:" + std::to_string(n) + ".0";
    QVERIFY(X11DisplayReachable(name));
    QVERIFY(X11DisplayReachable("localhost:" + std::to_string(n)));
    server.Close();
    QVERIFY(!X11DisplayReachable(name));
    return;
  }
  QSKIP("no free port between 6150 and 6249");
}

void DisplayProbeTest::namesThatAreNoDisplay() {
  for (const char* name : {"", "0", ":", ":x", ":1x", "host:", ":70000", ":-1"}) {
    QVERIFY2(!X11DisplayReachable(name), name);
  }
  QVERIFY(!X11DisplayReachable("no-such-host.invalid:0", 500));
}

void DisplayProbeTest::waylandSockets() {
  TempDir dir;
  const std::string runtime = dir.path().string();
  QVERIFY(!WaylandDisplayReachable("wayland-7", runtime));
  Listener compositor = Listener::Local(runtime + "/wayland-7");
  QVERIFY(compositor.ok());
  QVERIFY(WaylandDisplayReachable("wayland-7", runtime));
  QVERIFY(WaylandDisplayReachable(runtime + "/wayland-7", ""));
  QVERIFY(!WaylandDisplayReachable("wayland-7", ""));  // no runtime folder to look in
  QVERIFY(!WaylandDisplayReachable("wayland-8", runtime));
  QVERIFY(!WaylandDisplayReachable("", runtime));
}

void DisplayProbeTest::batchLineWithADisplayItCannotOpenConvertsWithoutAWindow() {
  TempDir dir;
  const std::filesystem::path input = dir.path() / "film.srt";
  std::filesystem::copy_file(ExampleSubtitle(), input);
  const std::string display = ":" + std::to_string(QuietDisplayNumber());
  QVERIFY(!X11DisplayReachable(display));
  const CommandResult run =
      RunCommand("env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=" + display + " " +
                 ShellQuote(KESTRELPIX_GUI) + " " + ShellQuote(input.string()) +
                 " 0 4 0 14 0 30 -4 1 1 0 2 41 2 2");
  QVERIFY2(run.status == 0, run.err.c_str());
  const std::string base = (dir.path() / "film").string();
  QVERIFY(std::filesystem::file_size(base + ".idx") > 0);
  QVERIFY(std::filesystem::file_size(base + ".sub") % 2048 == 0);
  QVERIFY(std::filesystem::file_size(base + ".sub") > 0);

  // Started to show the window, the program says why it cannot, instead of
  // Qt's abort.
  const CommandResult window =
      RunCommand("env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=" + display + " " +
                 ShellQuote(KESTRELPIX_GUI));
  QCOMPARE(window.status, 1);
  QVERIFY2(window.err.find("no display can be opened") != std::string::npos, window.err.c_str());

  // A server that refuses the program (its cookie is not in XAUTHORITY) is
  // no display to open either; xdpyinfo, with the cookie, sees it running.
  if (!HaveProgram("xvfb-run")) QSKIP("needs xvfb-run (package xvfb)");
  std::filesystem::remove(base + ".idx");
  const CommandResult refused = RunCommand(
      "env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM xvfb-run -a sh -c 'xdpyinfo >/dev/null && "
      "XAUTHORITY=/dev/null exec \"$0\" \"$@\"' " +
      ShellQuote(KESTRELPIX_GUI) + " " + ShellQuote(input.string()) +
      " 0 4 0 14 0 30 -4 1 1 0 2 41 2 2");
  QVERIFY2(refused.status == 0, refused.err.c_str());
  QVERIFY(std::filesystem::file_size(base + ".idx") > 0);
}

QTEST_MAIN(DisplayProbeTest)
#include "display_probe_test.moc"
