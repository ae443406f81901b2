// Generating from the window (the same bytes as the command-line tool),
// Abort during a run, "Add to Batch", and the unattended run of a batch
// line inside the window and without a display.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/command_line.h"
#include "app/settings_location.h"
#include "support/run_command.h"
#include "window_fixture.h"

using namespace kestrelpix;
using namespace kestrelpix::testing;
namespace fs = std::filesystem;

namespace {

// A copy of the example subtitle in its own folder (outputs go beside it).
std::string CopyExample(const TempDir& dir, const std::string& folder) {
  fs::create_directories(dir.path() / folder);
  const fs::path target = dir.path() / folder / "sample.srt";
  fs::copy_file(ExampleSubtitle(), target, fs::copy_options::overwrite_existing);
  return target.string();
}

std::string Base(const std::string& srt) { return srt.substr(0, srt.size() - 4); }

// One entry whose line is too wide for the frame at 20 points until it is
// wrapped.
const char* const kLongSrt =
    "1\n00:00:01,000 --> 00:00:03,000\nThe lighthouse keeper waved back at the fishermen who "
    "sailed home across the bay at dusk\n\n";

// The file positions of the index's timestamp lines.
std::vector<long> FilePositions(const std::string& idx) {
  std::vector<long> positions;
  size_t at = 0;
  while ((at = idx.find("filepos: ", at)) != std::string::npos) {
    at += 9;
    positions.push_back(std::stol(idx.substr(at, idx.find('\r', at) - at), nullptr, 16));
  }
  return positions;
}

// The index up to and including its n-th timestamp line.
std::string IndexPrefix(const std::string& idx, int n) {
  size_t at = 0;
  for (int i = 0; i < n; ++i) {
    at = idx.find("timestamp: ", at);
    if (at == std::string::npos) return {};
    at = idx.find("\r\n", at) + 2;
  }
  return idx.substr(0, at);
}

QString Shown(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace("\r\n", "\n");
  return s;
}

}  // namespace

class GenerateTest : public QObject {
  Q_OBJECT

 private slots:
  void generatesTheSameBytesAsTheCommandLine();
  void abortLeavesAConsistentShorterPair();
  void closingDuringARunStopsIt();
  void eventsAreHandledAtEveryEntry();
  void addToBatchWritesAndAppendsLines();
  void addToBatchNameAndFileErrors();
  void batchFileRunsWithoutADisplay();
  void unattendedRunInTheWindow();
  void unattendedRunStopsAtABadParameter();
};

void GenerateTest::generatesTheSameBytesAsTheCommandLine() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  const std::string windowInput = CopyExample(f.dir, "window");
  const std::string cliInput = CopyExample(f.dir, "cli");
  f.Load(windowInput);
  QVERIFY(w->state_.SubtitleLoaded);
  const int entries = w->document_->LineCount();

  // Settings other than the defaults, set as a user would.
  WindowFixture::Pick(w->fontSizeBox_, 18);     // 24
  WindowFixture::Pick(w->outlineWidthBox_, 2);  // 4
  WindowFixture::Pick(w->alignBox_, 1);         // left
  WindowFixture::Pick(w->fontStyleBox_, 1);     // Bold
  WindowFixture::Pick(w->fpsBox_, 3);           // 29.970
  w->languageBox_->setCurrentIndex(29);         // en ENGLISH
  w->bottomOffsetSlider_->setValue(50);
  w->lineSpacingSlider_->setValue(-6);
  f.colorOptions()->show();
  f.colorOptions()->dvdButton_->setChecked(true);
  f.colorOptions()->doneButton_->click();
  QVERIFY(QTest::qWaitForWindowActive(w));
  WindowFixture::Pick(w->textColorBox_, 12);      // yellow
  WindowFixture::Pick(w->outlineColorBox_, 6);    // navy
  WindowFixture::Pick(w->antialiasColorBox_, 9);  // silver
  f.messages.clear();

  w->generateButton_->click();
  QCOMPARE(w->LastJobOutcome(), JobOutcome::Completed);
  const std::string base = Base(windowInput);
  const std::string help = ReadFileBytes(base + ".Kestrelpix_Help.txt");
  QVERIFY(!help.empty());
  // The completion message is the help text.
  QCOMPARE(f.messages, QStringList({Shown(help)}));
  QCOMPARE(w->generateButton_->text(), QString("&Generate Vobsub"));
  QVERIFY(w->fontGroup_->isEnabled());
  QVERIFY(w->state_.JobIdle);
  // Range 0 to N-1, advanced once per entry before it is drawn.
  QCOMPARE(w->progressBar_->maximum(), entries - 1);
  QCOMPARE(w->progressBar_->value(), entries - 1);
  // The run's frames were shown; the preview shows the selected entry over
  // its picture again.
  const SubtitleEntry first = w->document_->GetLine(1);
  QVERIFY(SamePicture(w->preview_->Picture(),
                      ExpectedPreview(first.Text1, first.Text2, w->DrawSettings())));

  const CommandResult cli = RunCommand(
      std::string(KESTRELPIX_CLI) + " convert " + ShellQuote(cliInput) +
      " --size 24 --outline 4 --align left --style Bold --fps 29.970 --language en --offset 50"
      " --line-offset -6 --palette dvd --text-color yellow --outline-color navy"
      " --antialias-color silver --quiet --no-wrap");
  QVERIFY2(cli.status == 0, cli.err.c_str());
  const std::string cliBase = Base(cliInput);
  const std::string idx = ReadFileBytes(base + ".idx");
  QVERIFY(idx.find("palette: ") != std::string::npos);
  QVERIFY(idx.find("size: 720x480") != std::string::npos);
  QVERIFY(idx.find("id: en") != std::string::npos);
  QCOMPARE(FilePositions(idx).size(), static_cast<size_t>(entries));
  QVERIFY(idx == ReadFileBytes(cliBase + ".idx"));
  QVERIFY(ReadFileBytes(base + ".sub") == ReadFileBytes(cliBase + ".sub"));
  // The help texts differ only in the folder they name.
  std::string cliHelp = ReadFileBytes(cliBase + ".Kestrelpix_Help.txt");
  const std::string cliFolder = (f.dir.path() / "cli").string();
  const std::string windowFolder = (f.dir.path() / "window").string();
  for (size_t at; (at = cliHelp.find(cliFolder)) != std::string::npos;) {
    cliHelp.replace(at, cliFolder.size(), windowFolder);
  }
  QVERIFY(help == cliHelp);
}

void GenerateTest::abortLeavesAConsistentShorterPair() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  const std::string fullInput = CopyExample(f.dir, "full");
  const std::string input = CopyExample(f.dir, "aborted");
  f.Load(fullInput);
  w->generateButton_->click();
  QCOMPARE(w->LastJobOutcome(), JobOutcome::Completed);
  const std::string fullIdx = ReadFileBytes(Base(fullInput) + ".idx");
  const std::string fullSub = ReadFileBytes(Base(fullInput) + ".sub");
  const std::vector<long> positions = FilePositions(fullIdx);
  QVERIFY(positions.size() > 5);

  f.Load(input);
  f.messages.clear();
  // When entry 3 has advanced the bar, a press of the button waits in the
  // event queue; the run's event processing for entry 4 handles it.
  bool pressed = false;
  QObject::connect(w->progressBar_, &QProgressBar::valueChanged, w, [&](int value) {
    if (value == 3 && !pressed) {
      pressed = true;
      QTimer::singleShot(0, w->generateButton_, &QPushButton::click);
    }
  });
  w->generateButton_->click();

  // The press resets the bar; the entry in progress was completed, the rest
  // skipped, no help file; then the message says what the pair holds.
  QCOMPARE(w->progressBar_->value(), 0);
  QCOMPARE(w->LastJobOutcome(), JobOutcome::Aborted);
  QCOMPARE(w->LastRun().Entries, 4);
  const std::string base = Base(input);
  QCOMPARE(f.messages,
           QStringList({QString::fromStdString("Operation Aborted\nThe shorter pair left holds 4 "
                                               "entries: " +
                                               base + ".idx and " + base + ".sub")}));
  const std::string idx = ReadFileBytes(base + ".idx");
  const std::string sub = ReadFileBytes(base + ".sub");
  QVERIFY(idx == IndexPrefix(fullIdx, 4));
  QCOMPARE(static_cast<long>(sub.size()), positions[4]);
  QVERIFY(sub == fullSub.substr(0, static_cast<size_t>(positions[4])));
  QVERIFY(!fs::exists(base + ".Kestrelpix_Help.txt"));
  QCOMPARE(w->generateButton_->text(), QString("&Generate Vobsub"));
  QVERIFY(w->inputGroup_->isEnabled());
  QVERIFY(w->entryList_->isEnabled());
  QVERIFY(w->batchButton_->isEnabled());
  QVERIFY(w->state_.JobIdle);

  // The next press starts again from the first entry and recreates the files.
  f.messages.clear();
  w->generateButton_->click();
  QCOMPARE(w->LastJobOutcome(), JobOutcome::Completed);
  QVERIFY(ReadFileBytes(base + ".idx") == fullIdx);
  QVERIFY(ReadFileBytes(base + ".sub") == fullSub);
  QCOMPARE(f.messages.size(), 1);
}

void GenerateTest::closingDuringARunStopsIt() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  const std::string input = CopyExample(f.dir, "closed");
  f.Load(input);
  f.messages.clear();
  QObject::connect(w->progressBar_, &QProgressBar::valueChanged, w, [w](int value) {
    if (value == 2) QTimer::singleShot(0, w, &QWidget::close);
  });
  bool shownAtMessage = false;
  f.onMessage = [&](const QString&) { shownAtMessage = w->isVisible(); };
  w->generateButton_->click();
  // The window closed in the middle of the run: the entry in progress was
  // finished, both files closed; the window said what was left, then closed.
  QVERIFY(w->isHidden());
  QVERIFY(shownAtMessage);
  QCOMPARE(f.messages,
           QStringList({QString::fromStdString("Operation Aborted\nThe shorter pair left holds 3 "
                                               "entries: " +
                                               Base(input) + ".idx and " + Base(input) + ".sub")}));
  QCOMPARE(w->LastJobOutcome(), JobOutcome::Aborted);
  QCOMPARE(w->LastRun().Entries, 3);
  QCOMPARE(FilePositions(ReadFileBytes(Base(input) + ".idx")).size(), 3u);
  QVERIFY(!fs::exists(Base(input) + ".Kestrelpix_Help.txt"));
}

// The window stays responsive during a run: an event posted while entry k
// is in progress is handled before entry k + 1 starts, at every entry of a
// long film, so the longest the window waits is one entry's work.
// KESTRELPIX_RESPONSIVE_ENTRIES sets the film's length (default 2,000);
// the longest wall-clock wait between handled events is printed, not
// asserted.
void GenerateTest::eventsAreHandledAtEveryEntry() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  const int asked = qEnvironmentVariableIntValue("KESTRELPIX_RESPONSIVE_ENTRIES");
  const int entries = asked > 0 ? asked : 2000;
  std::string srt;
  srt.reserve(static_cast<size_t>(entries) * 90);
  for (int i = 1; i <= entries; ++i) {
    const long ms = 1000L * i;
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02ld:%02ld:%02ld,000 --> %02ld:%02ld:%02ld,800",
                  ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60);
    srt += std::to_string(i) + "\r\n" + stamp + "\r\nLine one of entry " + std::to_string(i) +
           "\r\nand its second line\r\n\r\n";
  }
  const std::string input = f.dir.Write("long.srt", srt);
  f.Load(input);
  QVERIFY(w->state_.SubtitleLoaded);
  f.messages.clear();

  // At each advance of the bar (one per entry), post an event and note the
  // bar's value when it is handled.
  int posted = 0, handledInTime = 0, handledLate = 0;
  QElapsedTimer clock;
  qint64 lastHandled = 0, longestWait = 0;
  QObject::connect(w->progressBar_, &QProgressBar::valueChanged, w, [&](int value) {
    ++posted;
    QTimer::singleShot(0, w, [&, value] {
      const qint64 now = clock.elapsed();
      longestWait = std::max(longestWait, now - lastHandled);
      lastHandled = now;
      if (w->progressBar_->value() == value) {
        ++handledInTime;
      } else {
        ++handledLate;
      }
    });
  });
  clock.start();
  w->generateButton_->click();
  QCOMPARE(w->LastJobOutcome(), JobOutcome::Completed);
  // The bar moves from 0 to entries - 1; the event of its last value is
  // handled after the run, by the test's own event processing.
  QCOMPARE(posted, entries - 1);
  QTRY_COMPARE(handledInTime + handledLate, posted);
  QCOMPARE(handledLate, 0);
  qInfo("%d entries in %lld ms; longest wait between handled events %lld ms", entries,
        static_cast<long long>(clock.elapsed()), static_cast<long long>(longestWait));
}

void GenerateTest::addToBatchWritesAndAppendsLines() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  w->batchButton_->click();
  QCOMPARE(f.messages, QStringList({"Load an srt"}));
  QVERIFY(f.dialogTitles.isEmpty());

  const std::string input = CopyExample(f.dir, "queue");
  f.Load(input);
  f.messages.clear();
  const std::string batchName = (f.dir.path() / "MyBatch").string();
  f.dialogAnswers.push_back(QString::fromStdString(batchName));
  w->batchButton_->click();
  const qsizetype dialogsShown = f.dialogTitles.size();
  const std::string batchFile = batchName + ".bat";
  QCOMPARE(f.messages,
           QStringList({QString::fromStdString("Job added to Batch file: " + batchFile)}));
  // Default settings: font 0, charset 4, style 0, size 14, center, offset
  // 30, line spacing -4, outline 1, colours 1 0 2, language 41, 25.000, the PC
  // palette, no wrapping.
  const std::string first = "'" + RunningProgramFolder() + "kestrelpix' '" + input +
                            "' 0 4 0 14 0 30 -4 1 1 0 2 41 2 0 0" + BatchLineEnd();
  // A new batch file is a shell script that runs by itself.
  QCOMPARE(ReadFileBytes(batchFile), "#!/bin/sh\n" + first);
  QVERIFY((fs::status(batchFile).permissions() & fs::perms::owner_exec) != fs::perms::none);

  // The next job goes to the same file without asking.
  WindowFixture::Pick(w->fontSizeBox_, 10);  // 16
  // High, but low enough for the sample's three-line entries, which
  // wrapping draws as three lines.
  w->bottomOffsetSlider_->setValue(400);
  f.colorOptions()->show();
  f.colorOptions()->pcDvd2Button_->setChecked(true);
  f.colorOptions()->doneButton_->click();
  WindowFixture::Pick(w->textColorBox_, 3);
  w->wrapLinesBox_->click();
  f.messages.clear();
  w->batchButton_->click();
  QCOMPARE(f.dialogTitles.size(), dialogsShown);
  const std::string second = "'" + RunningProgramFolder() + "kestrelpix' '" + input +
                             "' 0 4 0 10 0 400 -4 1 1 0 3 41 2 3 1" + BatchLineEnd();
  QCOMPARE(ReadFileBytes(batchFile), "#!/bin/sh\n" + first + second);
  QCOMPARE(f.messages.size(), 1);
  // The line reads back to the same positions.
  const std::vector<std::string> args = SplitBatchLine(second);
  const auto values = DetectCommandLine(std::vector<std::string>(args.begin() + 1, args.end()));
  QVERIFY(values.has_value());
  ControlPositions back = PositionsFromCommandLine(*values);
  ColorPositionsFromCommandLine(*values, back);
  QVERIFY(back == w->CurrentPositions());
}

void GenerateTest::addToBatchNameAndFileErrors() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  f.Load(CopyExample(f.dir, "queue"));
  QVERIFY(!w->batchDialog_.mustExist);  // a new name may be typed

  // A cancelled dialog writes nothing and says nothing.
  f.messages.clear();
  f.dialogAnswers.push_back(QString());
  w->batchButton_->click();
  QVERIFY(f.messages.isEmpty());
  QCOMPARE(f.dialogTitles.size(), 2);  // the load's and this one

  // A folder that does not exist: the file error, no confirmation.
  f.dialogAnswers.push_back(QString::fromStdString((f.dir.path() / "missing" / "B").string()));
  w->batchButton_->click();
  QCOMPARE(f.messages.size(), 1);
  QVERIFY(!f.messages[0].startsWith("Job added"));

  // An existing "jobs.BAT" picked in a new window is appended to under its
  // own name; no "jobs.BAT.bat" appears.
  WindowFixture g;
  QVERIFY(g.ShowAndActivate());
  const std::string input = CopyExample(g.dir, "queue");
  g.Load(input);
  const std::string earlier = "rem queued before\r\n";
  const std::string picked = g.dir.Write("jobs.BAT", earlier);
  g.dialogAnswers.push_back(QString::fromStdString(picked));
  g.main()->batchButton_->click();
  QCOMPARE(g.dialogTitles.last(), QString("Add to Batch"));
  QVERIFY(!fs::exists(picked + ".bat"));
  // An existing file is appended to as it is: no second "#!/bin/sh".
  QCOMPARE(ReadFileBytes(picked), earlier + "'" + RunningProgramFolder() + "kestrelpix' '" + input +
                                      "' 0 4 0 14 0 30 -4 1 1 0 2 41 2 0 0" + BatchLineEnd());
}

void GenerateTest::batchFileRunsWithoutADisplay() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  const std::string one = CopyExample(f.dir, "one");
  const std::string two = CopyExample(f.dir, "two");
  const std::string batchName = (f.dir.path() / "Queue").string();
  f.Load(one);
  f.dialogAnswers.push_back(QString::fromStdString(batchName));
  w->batchButton_->click();
  f.Load(two);
  WindowFixture::Pick(w->fontSizeBox_, 8);  // 14
  WindowFixture::Pick(w->fpsBox_, 0);       // 23.976
  w->batchButton_->click();

  // The same two conversions from the window, for comparison.
  const std::string refOne = CopyExample(f.dir, "ref-one");
  const std::string refTwo = CopyExample(f.dir, "ref-two");
  f.Load(refTwo);
  w->generateButton_->click();
  w->defaultsButton_->click();
  f.Load(refOne);
  w->generateButton_->click();

  // The lines name the program in this test's folder; run the real one,
  // with no display to open.
  std::string lines = ReadFileBytes(batchName + ".bat");
  const std::string program = RunningProgramFolder() + "kestrelpix";
  for (size_t at; (at = lines.find(program)) != std::string::npos;) {
    lines.replace(at, program.size(), KESTRELPIX_GUI);
  }
  const std::string runnable = f.dir.Write("run.bat", lines);
  const CommandResult run =
      RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM sh " + ShellQuote(runnable));
  QVERIFY2(run.status == 0, run.err.c_str());
  for (const auto& [made, reference] : {std::pair{one, refOne}, std::pair{two, refTwo}}) {
    QVERIFY(fs::exists(Base(made) + ".Kestrelpix_Help.txt"));
    QVERIFY(ReadFileBytes(Base(made) + ".idx") == ReadFileBytes(Base(reference) + ".idx"));
    QVERIFY(ReadFileBytes(Base(made) + ".sub") == ReadFileBytes(Base(reference) + ".sub"));
  }
  QVERIFY(ReadFileBytes(Base(one) + ".idx").find("size: 720x576") != std::string::npos);
  QVERIFY(ReadFileBytes(Base(two) + ".idx").find("size: 720x480") != std::string::npos);
}

void GenerateTest::unattendedRunInTheWindow() {
  TempDir dir;
  fs::create_directories(dir.path() / "in");
  const std::string input = (dir.path() / "in" / "sample.srt").string();
  fs::copy_file(ExampleSubtitle(), input);
  fs::create_directories(dir.path() / "ref");
  const std::string reference = (dir.path() / "ref" / "sample.srt").string();
  fs::copy_file(ExampleSubtitle(), reference);
  const std::string settings =
      dir.Write("Kestrelpix_Settings.ini", "[Form1]\r\nComboBoxFontSize_ItemIndex=20\r\n\r\n");
  const std::string settingsBefore = ReadFileBytes(settings);

  // Size 22, left, offset 40, line spacing -6, outline 4, colours silver,
  // navy, yellow, English, 29.970, DVD only.
  const std::vector<std::string> params = {"0", "4", "0", "16", "1",  "40", "-6",
                                           "2", "9", "6", "12", "29", "3",  "1"};
  std::vector<std::string> args = {input};
  args.insert(args.end(), params.begin(), params.end());
  {
    WindowFixture f(args, settings);
    QVERIFY(f.main()->Unattended());
    QVERIFY(f.ShowAndActivate());
    MainWindow* w = f.main();
    QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join(" / ")));
    QVERIFY(f.dialogTitles.isEmpty());
    QCOMPARE(w->LastJobOutcome(), JobOutcome::Completed);
    QVERIFY(w->TerminateRequested());
    QCOMPARE(w->TerminateStatus(), 0);
    QVERIFY(!w->formStorage_->Active);
    QVERIFY(!f.colorOptions()->formStorage_->Active);
    QCOMPARE(w->fontSizeBox_->currentText(), QString("22"));
    QCOMPARE(w->languageBox_->currentText(), QString("en ENGLISH"));
    QCOMPARE(w->bottomOffsetSlider_->value(), 40);
    QCOMPARE(f.colorOptions()->PaletteModeChoice(), PaletteMode::DvdOnly);
    QCOMPARE(w->textColorBox_->Color(), MakeColor(255, 255, 0));
    w->close();
  }
  // Nothing of the command line reached the settings file.
  QVERIFY(ReadFileBytes(settings) == settingsBefore);

  // The same parameters through the command-line tool give the same bytes.
  std::string command = std::string(KESTRELPIX_CLI) + " " + ShellQuote(reference);
  for (const std::string& p : params) command += " " + ShellQuote(p);
  const CommandResult cli = RunCommand(command);
  QVERIFY2(cli.status == 0, cli.err.c_str());
  QVERIFY(ReadFileBytes(Base(input) + ".idx") == ReadFileBytes(Base(reference) + ".idx"));
  QVERIFY(ReadFileBytes(Base(input) + ".sub") == ReadFileBytes(Base(reference) + ".sub"));
}

void GenerateTest::unattendedRunStopsAtABadParameter() {
  TempDir dir;
  const std::string input = (dir.path() / "sample.srt").string();
  fs::copy_file(ExampleSubtitle(), input);
  const std::string longInput = dir.Write("long.srt", kLongSrt);
  // After a refusal the program ends, once its message is read, with
  // status 1; the sixteenth parameter decides wrapping.
  const std::pair<std::vector<std::string>, QString> runs[] = {
      {{input, "0", "4", "0", "x", "0", "30", "-4", "1", "1", "0", "2", "41", "2", "2"},
       "'x' is not a valid integer value"},
      {{input, "0", "4", "0", "35", "0", "30", "-4", "1", "1", "0", "2", "41", "2", "2"},
       "Parameter 5 (fontsize) is 35, outside its list (0 to 34)"},
      {{input, "0", "4", "0", "14", "0", "30", "-4", "1", "1", "0", "2", "41", "2", "0", "2"},
       "Parameter 16 (wrap) is 2, outside its list (0 to 1)"},
      {{longInput, "0", "4", "0", "14", "0", "30", "-4", "1", "1", "0", "2", "41", "2", "0", "0"},
       "Please load an Srt/Sub/Txt subtitle."},
      {{longInput, "0", "4", "0", "14", "0", "30", "-4", "1", "1", "0", "2", "41", "2", "0", "1"},
       ""}};
  for (const auto& [args, message] : runs) {
    WindowFixture f(args);
    QVERIFY(f.ShowAndActivate());
    QCOMPARE(f.messages.isEmpty() ? QString() : f.messages.last(), message);
    QCOMPARE(f.main()->TerminateStatus(), message.isEmpty() ? 0 : 1);
    QCOMPARE(fs::exists(Base(longInput) + ".idx"), message.isEmpty());
  }
  QVERIFY(!fs::exists(Base(input) + ".idx"));
  {
    // Method 7 means the safe palette; a colour position beyond its seven
    // colours is reported after the load, and nothing is generated.
    WindowFixture f(
        {input, "0", "4", "0", "14", "0", "30", "-4", "1", "1", "0", "7", "41", "2", "7"});
    QVERIFY(f.ShowAndActivate());
    QCOMPARE(f.colorOptions()->PaletteModeChoice(), PaletteMode::SafePalette);
    QCOMPARE(f.main()->textColorBox_->count(), 7);
    QVERIFY(f.main()->state_.SubtitleLoaded);
    QCOMPARE(f.messages.size(), 1);
    QVERIFY2(f.messages[0].contains("Parameter 12"), qPrintable(f.messages[0]));
    QVERIFY(!fs::exists(Base(input) + ".idx"));
    QCOMPARE(f.main()->TerminateStatus(), 1);
  }
  {
    // Method 7 with positions inside the safe list converts.
    WindowFixture f(
        {input, "0", "4", "0", "14", "0", "30", "-4", "1", "1", "0", "2", "41", "2", "7"});
    QVERIFY(f.ShowAndActivate());
    QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join(" / ")));
    QCOMPARE(f.main()->textColorBox_->Color(), MakeColor(255, 230, 20));
    QCOMPARE(f.main()->outlineColorBox_->Color(), MakeColor(0, 30, 0));
    QCOMPARE(f.main()->antialiasColorBox_->Color(), MakeColor(127, 127, 127));
    QVERIFY(f.main()->TerminateRequested());
    QVERIFY(ReadFileBytes(Base(input) + ".idx").find("custom colors: OFF") != std::string::npos);
  }
}

QTEST_MAIN(GenerateTest)
#include "generate_test.moc"
