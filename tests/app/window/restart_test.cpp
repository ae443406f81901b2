// The program restarted again and again under a real X server with a real
// window manager (Xvfb and openbox, a 1280x720 screen with a 30-pixel panel
// at the bottom): the first start centres the window in the free area, every
// later start puts the frame exactly where the settings file says, a stored
// position off every screen comes back onto the screen, and the rectangle the
// program writes on closing is the one the window had. Skips only when
// Xvfb, openbox or the X utilities are not installed.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 720;
constexpr int kPanel = 30;
// How long to wait for any one thing to happen: the server, the window
// manager, the window to show, settle and close.
constexpr int kPatienceMs = 60000;
const QRect kFreeArea(0, 0, kScreenWidth, kScreenHeight - kPanel);
const char* const kCaption = "Kestrelpix By Morvane";

QString Run(const QString& program, const QStringList& args, const QString& display,
            int* status = nullptr) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", display);
  p.setProcessEnvironment(env);
  p.start(program, args);
  p.waitForFinished(10000);
  if (status != nullptr) *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// The [Form1] part of the settings file.
QString MainSection(const QString& ini) {
  const qsizetype start = ini.indexOf("[Form1]");
  if (start < 0) return QString();
  const qsizetype end = ini.indexOf("\n[", start + 1);
  return ini.mid(start, end < 0 ? -1 : end - start);
}

QString ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QString();
  return QString::fromLatin1(f.readAll());
}

// NormPos of the main window as left, top, width, height.
QRect StoredFrame(const QString& ini) {
  const QRegularExpression re("\\nNormPos=(-?\\d+),(-?\\d+),(-?\\d+),(-?\\d+)\\r\\n");
  const QRegularExpressionMatch m = re.match(MainSection(ini));
  if (!m.hasMatch()) return QRect();
  const int l = m.captured(1).toInt(), t = m.captured(2).toInt();
  return QRect(l, t, m.captured(3).toInt() - l, m.captured(4).toInt() - t);
}

// Both NormPos rows of the main window set to `frame`.
QString WithStoredFrame(const QString& ini, const QRect& frame) {
  const QString section = MainSection(ini);
  QString changed = section;
  const QString value = QString("=%1,%2,%3,%4")
                            .arg(frame.left())
                            .arg(frame.top())
                            .arg(frame.left() + frame.width())
                            .arg(frame.top() + frame.height());
  changed.replace(QRegularExpression("(\\nNormPos(\\(\\d+x\\d+\\))?)=[^\\r\\n]*"), "\\1" + value);
  QString result = ini;
  result.replace(section, changed);
  return result;
}

class RestartTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void windowComesBackWhereItWasLeft();

 private:
  // Starts the program and returns the frame of its main window once the
  // window manager has framed and activated it and it has stopped moving.
  bool StartProgram(QRect& frame, QString& title);
  bool CloseProgram();

  kestrelpix::testing::TempDir dir_;
  QString display_;
  QProcess xvfb_, openbox_, program_;
  QString programPath_, settingsPath_, windowId_;
  QString xwininfo_, xprop_, wmctrl_;
};

void RestartTest::initTestCase() {
  const QString xvfb = QStandardPaths::findExecutable("Xvfb");
  const QString openbox = QStandardPaths::findExecutable("openbox");
  xwininfo_ = QStandardPaths::findExecutable("xwininfo");
  xprop_ = QStandardPaths::findExecutable("xprop");
  wmctrl_ = QStandardPaths::findExecutable("wmctrl");
  if (xvfb.isEmpty() || openbox.isEmpty() || xwininfo_.isEmpty() || xprop_.isEmpty() ||
      wmctrl_.isEmpty()) {
    QSKIP("needs Xvfb, openbox, xwininfo, xprop and wmctrl (scripts/install-deps.sh)");
  }

  // The server picks a display number no other server holds and writes it
  // on its standard output.
  xvfb_.start(xvfb, {"-displayfd", "1", "-screen", "0",
                     QString("%1x%2x24").arg(kScreenWidth).arg(kScreenHeight), "-nolisten", "tcp"});
  QVERIFY(xvfb_.waitForStarted());
  QByteArray number;
  while (!number.contains('\n') && xvfb_.waitForReadyRead(kPatienceMs)) number += xvfb_.readAll();
  QVERIFY2(number.contains('\n'), xvfb_.readAllStandardError().constData());
  display_ = ":" + QString::fromLatin1(number.trimmed());
  int status = 1;
  QDeadlineTimer deadline(kPatienceMs);
  while (status != 0 && !deadline.hasExpired()) {
    Run(xprop_, {"-root", "_NET_SUPPORTED"}, display_, &status);
    if (status != 0) QTest::qWait(50);
  }
  QCOMPARE(status, 0);

  // openbox with a panel's worth of margin at the bottom.
  QString rc = ReadAll("/etc/xdg/openbox/rc.xml");
  QVERIFY2(rc.contains("<bottom>0</bottom>"), "openbox's rc.xml has no margins to set");
  rc.replace("<bottom>0</bottom>", QString("<bottom>%1</bottom>").arg(kPanel));
  const QString rcPath = QString::fromStdString((dir_.path() / "rc.xml").string());
  {
    QFile f(rcPath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(rc.toUtf8());
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", display_);
  openbox_.setProcessEnvironment(env);
  // Up once it names itself on the root window. A window manager that has
  // not done so in a while (seen rarely on a loaded machine) is started
  // again; what it said is kept for the failure message.
  QString wm, said;
  for (int attempt = 0; attempt < 3 && !wm.contains("_NET_SUPPORTING_WM_CHECK(WINDOW)");
       ++attempt) {
    if (openbox_.state() != QProcess::NotRunning) {
      openbox_.kill();
      openbox_.waitForFinished(5000);
    }
    openbox_.start(openbox, {"--config-file", rcPath});
    QVERIFY(openbox_.waitForStarted());
    deadline.setRemainingTime(kPatienceMs / 3);
    while (!wm.contains("_NET_SUPPORTING_WM_CHECK(WINDOW)") && !deadline.hasExpired()) {
      wm = Run(xprop_, {"-root", "_NET_SUPPORTING_WM_CHECK"}, display_);
      if (!wm.contains("_NET_SUPPORTING_WM_CHECK(WINDOW)")) QTest::qWait(50);
    }
    said += QString("attempt %1: %2, xprop: %3; ")
                .arg(attempt + 1)
                .arg(openbox_.state() == QProcess::NotRunning
                         ? QString("openbox exited with %1").arg(openbox_.exitCode())
                         : QString("openbox running"))
                .arg(wm.trimmed()) +
            QString::fromLocal8Bit(openbox_.readAllStandardError().left(2000));
  }
  QVERIFY2(wm.contains("_NET_SUPPORTING_WM_CHECK(WINDOW)"), qPrintable(said));

  // The program in a folder of its own: its settings file lives beside it.
  const fs::path folder = dir_.path() / "program";
  fs::create_directories(folder);
  fs::copy_file(KESTRELPIX_GUI, folder / "kestrelpix");
  programPath_ = QString::fromStdString((folder / "kestrelpix").string());
  settingsPath_ = QString::fromStdString((folder / "Kestrelpix_Settings.ini").string());
}

void RestartTest::cleanupTestCase() {
  for (QProcess* p : {&program_, &openbox_, &xvfb_}) {
    if (p->state() != QProcess::NotRunning) {
      p->terminate();
      if (!p->waitForFinished(5000)) p->kill();
      p->waitForFinished(5000);
    }
  }
}

bool RestartTest::StartProgram(QRect& frame, QString& title) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", display_);
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.remove("QT_SCALE_FACTOR");
  program_.setProcessEnvironment(env);
  program_.start(programPath_, {});
  if (!program_.waitForStarted()) return false;

  // The window, once mapped and active.
  const QString pid = QString::number(program_.processId());
  windowId_.clear();
  // Deadlines rather than counts of tries: on a loaded machine every try
  // (a process of its own) and the program's start take longer.
  QDeadlineTimer deadline(kPatienceMs);
  while (windowId_.isEmpty() && !deadline.hasExpired()) {
    const QString list = Run(wmctrl_, {"-l", "-p"}, display_);
    for (const QString& line : list.split('\n')) {
      const QStringList cols = line.simplified().split(' ');
      if (cols.size() > 3 && cols[2] == pid && line.contains(kCaption)) windowId_ = cols[0];
    }
    if (windowId_.isEmpty()) QTest::qWait(25);
  }
  if (windowId_.isEmpty()) return false;
  bool active = false;
  deadline.setRemainingTime(kPatienceMs);
  while (!active && !deadline.hasExpired()) {
    const QString root = Run(xprop_, {"-root", "_NET_ACTIVE_WINDOW"}, display_);
    active = root.contains(QString("0x%1").arg(windowId_.toULongLong(nullptr, 16), 0, 16));
    if (!active) QTest::qWait(25);
  }
  if (!active) return false;

  // Read until the frame stays put over a few reads: a restore that moves
  // the window after the first activation shows here.
  QRect last;
  int same = 0;
  deadline.setRemainingTime(kPatienceMs);
  while (same < 6 && !deadline.hasExpired()) {
    const QString info = Run(xwininfo_, {"-id", windowId_}, display_);
    const QString extents = Run(xprop_, {"-id", windowId_, "_NET_FRAME_EXTENTS"}, display_);
    auto field = [&info](const char* name) {
      const QRegularExpression re(QString(name) + ":\\s*(-?\\d+)");
      return re.match(info).captured(1).toInt();
    };
    const QRegularExpressionMatch e =
        QRegularExpression("= (\\d+), (\\d+), (\\d+), (\\d+)").match(extents);
    QRect now;
    if (e.hasMatch()) {
      const int left = e.captured(1).toInt(), right = e.captured(2).toInt();
      const int top = e.captured(3).toInt(), bottom = e.captured(4).toInt();
      now = QRect(field("Absolute upper-left X") - left, field("Absolute upper-left Y") - top,
                  field("Width") + left + right, field("Height") + top + bottom);
    }
    same = (now.isValid() && now == last) ? same + 1 : 0;
    last = now;
    QTest::qWait(50);
  }
  frame = last;
  const QString name = Run(xprop_, {"-id", windowId_, "_NET_WM_NAME"}, display_);
  title = QRegularExpression("= \"(.*)\"").match(name).captured(1);
  return same >= 6;
}

bool RestartTest::CloseProgram() {
  // As the title bar's close box does: the window manager asks the window.
  Run(wmctrl_, {"-i", "-c", windowId_}, display_);
  if (!program_.waitForFinished(kPatienceMs)) {
    program_.kill();
    program_.waitForFinished(5000);
    return false;
  }
  if (program_.exitStatus() == QProcess::NormalExit && program_.exitCode() == 0) return true;
  qWarning("the program ended with status %d: %s", program_.exitCode(),
           program_.readAllStandardError().left(4000).constData());
  return false;
}

void RestartTest::windowComesBackWhereItWasLeft() {
  constexpr int kStarts = 22;
  QSize firstSize;
  for (int start = 0; start < kStarts; ++start) {
    QRect expected;
    bool offScreen = false;
    if (start > 0) {
      const QString ini = ReadAll(settingsPath_);
      expected = StoredFrame(ini);
      QVERIFY2(expected.isValid(), qPrintable(ini));
      // Every third start from a position of its own; two starts from far
      // off the screen.
      QRect wanted = expected;
      // Every third start from a size and position of its own, inside the
      // free area.
      if (start % 3 == 1) {
        wanted = QRect(QPoint(2 * start, 3 * start), firstSize - QSize(0, 6 * start));
      }
      if (start == 8 || start == 17) {
        wanted.moveTopLeft(start == 8 ? QPoint(-4000, 2500) : QPoint(5000, -300));
        offScreen = true;
      }
      if (wanted != expected) {
        QFile f(settingsPath_);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(WithStoredFrame(ini, wanted).toLatin1());
        expected = wanted;
      }
    }

    QRect frame;
    QString title;
    QVERIFY2(StartProgram(frame, title), qPrintable(QString("start %1").arg(start)));
    QCOMPARE(title, QString(kCaption));
    const QString where = QString("start %1: frame %2,%3 %4x%5, expected %6,%7 %8x%9")
                              .arg(start)
                              .arg(frame.x())
                              .arg(frame.y())
                              .arg(frame.width())
                              .arg(frame.height())
                              .arg(expected.x())
                              .arg(expected.y())
                              .arg(expected.width())
                              .arg(expected.height());
    // Always the whole window, title bar included, in the free area.
    QVERIFY2(kFreeArea.contains(frame), qPrintable(where));
    if (start == 0) {
      // Centred, to a pixel of rounding.
      firstSize = frame.size();
      QVERIFY2(std::abs(frame.center().x() - kFreeArea.center().x()) <= 1, qPrintable(where));
      QVERIFY2(std::abs(frame.center().y() - kFreeArea.center().y()) <= 1, qPrintable(where));
    } else if (offScreen) {
      QCOMPARE(frame.size(), expected.size());
    } else {
      QVERIFY2(frame == expected, qPrintable(where));
    }
    QVERIFY2(CloseProgram(), qPrintable(QString("close %1").arg(start)));

    // What was written is the rectangle the window had.
    const QRect written = StoredFrame(ReadAll(settingsPath_));
    QVERIFY2(written == frame, qPrintable(where + QString(", written %1,%2 %3x%4")
                                                      .arg(written.x())
                                                      .arg(written.y())
                                                      .arg(written.width())
                                                      .arg(written.height())));
  }
  QVERIFY(firstSize.isValid());
}

}  // namespace

QTEST_GUILESS_MAIN(RestartTest)
#include "restart_test.moc"
