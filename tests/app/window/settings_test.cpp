// The window side of the settings file: what a run writes, what the next run
// shows, the moments of restoring, and the colour options window's choice.
#include <sys/stat.h>

#include <QCheckBox>
#include <QtTest>
#include <filesystem>

#include "app/window/window_placement.h"
#include "app/window/window_storage.h"
#include "support/run_command.h"
#include "window_fixture.h"

using namespace kestrelpix;
using namespace kestrelpix::testing;
namespace fs = std::filesystem;

namespace {

std::string PlacementRows(const WindowPlacement& p) {
  const std::string size =
      "(" + std::to_string(p.ScreenWidth) + "x" + std::to_string(p.ScreenHeight) + ")";
  const std::string norm = std::to_string(p.Left) + "," + std::to_string(p.Top) + "," +
                           std::to_string(p.Right) + "," + std::to_string(p.Bottom);
  return "FormVersion=0\r\nShowCmd=1\r\nFlags=0\r\nPixelsPerInch=" +
         std::to_string(p.PixelsPerInch) + "\r\nMinMaxPos" + size +
         "=-1,-1,-1,-1\r\nMinMaxPos=-1,-1,-1,-1\r\nNormPos" + size + "=" + norm +
         "\r\nNormPos=" + norm + "\r\n";
}

void ChoosePaletteMode(WindowFixture& f, QRadioButton* choice) {
  f.colorOptions()->show();
  choice->setChecked(true);
  f.colorOptions()->doneButton_->click();
}

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void firstRunWritesTheFileLayout();
  void choicesSurviveARestart();
  void placementComesOntoTheScreen();
  void storedRectangleIsNeverDegenerate();
  void handEditedValuesAndAnUndecodableOne();
  void aDeletedKeyLeavesOnlyThatControlAtItsDefault();
  void aReadOnlyFileIsNeverWritten();
  void colourOptionsWindowRefillsTheLists();
  void secondaryWindowsDoNotRepeatTheFirstActivation();
  void programWritesItsFileBesideItself();
  void aPreviewPictureThatIsAFifoIsNotOpened();
  void anUnreadableSettingsFileIsNotedAndLeftAlone();
  void hostileSettingsFilesDoNotStopAnUnattendedRun();
};

void SettingsTest::firstRunWritesTheFileLayout() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  const WindowPlacement mainPlace = f.main()->CurrentPlacement();
  QVERIFY(mainPlace.Right - mainPlace.Left >= f.main()->width());
  QVERIFY(mainPlace.ScreenWidth > 0);
  f.main()->close();
  const WindowPlacement optionsPlace = window::PlacementOf(f.colorOptions());
  f.Destroy();

  const std::string expected = "[Form1]\r\n" + PlacementRows(mainPlace) +
                               "LabelImageChangedPAL_Caption=\r\n"
                               "LabelImageChangedNTSC_Caption=\r\n"
                               "ComboBoxFontName_ItemIndex=0\r\n"
                               "ComboBoxFontSize_ItemIndex=14\r\n"
                               "ComboBoxFontCharset_ItemIndex=4\r\n"
                               "ComboBoxFontStyle_ItemIndex=0\r\n"
                               "ComboBoxAlign_ItemIndex=0\r\n"
                               "ComboBoxFps_ItemIndex=2\r\n"
                               "ComboBoxOutlineWidth_ItemIndex=1\r\n"
                               "ComboBoxVobsubLanguage_ItemIndex=41\r\n"
                               "JvColorButtonAntialias_ColorValue=clGray\r\n"
                               "JvColorButtonOutline_ColorValue=clBlack\r\n"
                               "JvColorButtonText_ColorValue=clWhite\r\n"
                               "offset_Position=30\r\n"
                               "offset_or_Position=-4\r\n"
                               "CheckBoxWrapLines_Checked=FALSE\r\n"
                               "\r\n"
                               "[FormColorOptions]\r\n" +
                               PlacementRows(optionsPlace) +
                               "RadioButtonDVD_Checked=FALSE\r\n"
                               "RadioButtonPC_Checked=TRUE\r\n"
                               "RadioButtonPCDVD1_Checked=FALSE\r\n"
                               "RadioButtonPCDVD2_Checked=FALSE\r\n"
                               "\r\n";
  QCOMPARE(QString::fromStdString(ReadFileBytes(f.settingsFile())),
           QString::fromStdString(expected));
}

void SettingsTest::choicesSurviveARestart() {
  TempDir dir;
  const std::string file = (dir.path() / "Kestrelpix_Settings.ini").string();
  {
    WindowFixture f({}, file);
    QVERIFY(f.ShowAndActivate());
    MainWindow* w = f.main();
    WindowFixture::Pick(w->fontSizeBox_, 20);  // 26
    WindowFixture::Pick(w->fpsBox_, 3);
    ChoosePaletteMode(f, f.colorOptions()->pcDvd2Button_);
    QVERIFY(QTest::qWaitForWindowActive(w));
    WindowFixture::Pick(w->textColorBox_, 3);       // (80, 130, 30)
    WindowFixture::Pick(w->antialiasColorBox_, 4);  // (255, 200, 255)
    w->bottomOffsetSlider_->setValue(100);
    w->wrapLinesBox_->click();
    w->resize(1250, 500);
    w->move(10, 60);
    w->close();
  }
  const std::string text = ReadFileBytes(file);
  QVERIFY(text.find("ComboBoxFontSize_ItemIndex=20\r\n") != std::string::npos);
  // (80, 130, 30) is no named colour: 0x001E8250 in decimal.
  QVERIFY(text.find("JvColorButtonText_ColorValue=1999440\r\n") != std::string::npos);
  QVERIFY(text.find("RadioButtonPCDVD2_Checked=TRUE\r\n") != std::string::npos);
  QVERIFY(text.find("RadioButtonPCDVD1_Checked=FALSE\r\n") != std::string::npos);
  QVERIFY(text.find("offset_Position=100\r\n") != std::string::npos);
  QVERIFY(text.find("CheckBoxWrapLines_Checked=TRUE\r\n") != std::string::npos);

  WindowFixture f({}, file);
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  QCOMPARE(w->fontSizeBox_->currentText(), QString("26"));
  QCOMPARE(w->fpsBox_->currentText(), QString("29.970"));
  QCOMPARE(w->bottomOffsetSlider_->value(), 100);
  QCOMPARE(w->bottomOffsetLabel_->text(), QString("100"));
  QVERIFY(f.colorOptions()->pcDvd2Button_->isChecked());
  QCOMPARE(w->textColorBox_->count(), 7);
  QCOMPARE(w->textColorBox_->currentIndex(), 3);
  QCOMPARE(w->textColorBox_->Color(), MakeColor(80, 130, 30));
  QCOMPARE(w->antialiasColorBox_->currentIndex(), 4);
  QCOMPARE(w->outlineColorBox_->Color(), MakeColor(0, 30, 0));
  QCOMPARE(w->pos(), QPoint(10, 60));
  QCOMPARE(w->size(), QSize(1250, 500));
  // The stored colours are what generation uses.
  const RenderSettings s = w->DrawSettings();
  QCOMPARE(s.TextColor, MakeColor(80, 130, 30));
  QCOMPARE(s.Palette, PaletteMode::SafePalette);
  QVERIFY(w->wrapLinesBox_->isChecked());
  QVERIFY(s.WrapLines);
}

void SettingsTest::placementComesOntoTheScreen() {
  using window::PlaceOnScreens;
  const QRect left(0, 0, 1280, 690);       // 30 pixels of panel below
  const QRect right(1280, 0, 1920, 1050);  // a larger screen beside it
  // On a screen and inside its free area: unchanged.
  QCOMPARE(PlaceOnScreens(QRect(10, 20, 800, 600), {left, right}), QRect(10, 20, 800, 600));
  // Sticking out below the panel's edge: moved up, size kept.
  QCOMPARE(PlaceOnScreens(QRect(100, 300, 800, 600), {left, right}), QRect(100, 90, 800, 600));
  // Mostly on the right screen: pulled fully onto it.
  QCOMPARE(PlaceOnScreens(QRect(1200, -50, 800, 600), {left, right}), QRect(1280, 0, 800, 600));
  // Off every screen: onto the nearest one, here the right one.
  QCOMPARE(PlaceOnScreens(QRect(5000, 400, 800, 600), {left, right}), QRect(2400, 400, 800, 600));
  QCOMPARE(PlaceOnScreens(QRect(-4000, 2500, 800, 600), {left, right}), QRect(0, 90, 800, 600));
  // Larger than the free area: cut to it.
  QCOMPARE(PlaceOnScreens(QRect(-10, -10, 1400, 800), {left}), QRect(0, 0, 1280, 690));
  // The first start: centred in the free area, at most as large.
  QCOMPARE(window::CentredFrame(QSize(1230, 790), left), QRect(25, 0, 1230, 690));
  QCOMPARE(window::CentredFrame(QSize(1000, 600), left), QRect(140, 45, 1000, 600));
}

void SettingsTest::storedRectangleIsNeverDegenerate() {
  TempDir dir;
  const std::string file = (dir.path() / "Kestrelpix_Settings.ini").string();
  // A rectangle of one pixel and another far off the screen, as a damaged
  // file may hold.
  for (const char* norm : {"70,0,71,1", "-9000,-9000,-8000,-8200"}) {
    dir.Write("Kestrelpix_Settings.ini", std::string("[Form1]\r\nNormPos=") + norm + "\r\n");
    {
      WindowFixture f({}, file);
      QVERIFY(f.ShowAndActivate());
      MainWindow* w = f.main();
      // On the screen, at least the window's least size.
      QVERIFY2(QRect(0, 0, 1280, 720).contains(w->frameGeometry()), norm);
      QVERIFY(w->width() >= w->minimumSizeHint().width());
      QVERIFY(w->height() >= w->minimumSizeHint().height());
    }
    const std::string text = ReadFileBytes(file);
    const size_t at = text.find("\r\nNormPos=");
    QVERIFY(at != std::string::npos);
    int l = 0, t = 0, r = 0, b = 0;
    QCOMPARE(std::sscanf(text.c_str() + at, "\r\nNormPos=%d,%d,%d,%d", &l, &t, &r, &b), 4);
    QVERIFY2(r - l >= 300 && b - t >= 300, text.c_str());
    QVERIFY2(l >= 0 && t >= 0 && r <= 1280 && b <= 720, text.c_str());
  }
}

void SettingsTest::handEditedValuesAndAnUndecodableOne() {
  TempDir dir;
  {
    // Hexadecimal and padded integers, a colour name in any case, a custom
    // colour, Booleans as words and numbers.
    const std::string file = dir.Write("a.ini",
                                       "[Form1]\r\n"
                                       "ComboBoxFontSize_ItemIndex=$10\r\n"
                                       "ComboBoxFontCharset_ItemIndex= 7 \r\n"
                                       "JvColorButtonText_ColorValue=clyellow\r\n"
                                       "JvColorButtonAntialias_ColorValue=33023\r\n"
                                       "[formcoloroptions]\r\n"
                                       "RadioButtonDVD_Checked=yes\r\n"
                                       "RadioButtonPCDVD1_Checked=0\r\n");
    WindowFixture f({}, file);
    QVERIFY(f.ShowAndActivate());
    MainWindow* w = f.main();
    QCOMPARE(w->fontSizeBox_->currentText(), QString("22"));
    QCOMPARE(w->charsetBox_->currentText(), QString("GREEK"));
    QVERIFY(f.colorOptions()->dvdButton_->isChecked());
    QCOMPARE(w->textColorBox_->Color(), MakeColor(255, 255, 0));
    QCOMPARE(w->textColorBox_->currentText(), QString("yellow"));
    // Orange is in no list: it is kept and shown as a custom entry.
    QCOMPARE(w->antialiasColorBox_->Color(), MakeColor(255, 128, 0));
    QCOMPARE(w->antialiasColorBox_->currentText(), QString("#FF8000"));
    QCOMPARE(w->DrawSettings().AntialiasColor, MakeColor(255, 128, 0));
  }
  {
    // A named system colour is kept as it is stored and drawn as the
    // palette's colour of that role.
    const std::string file = dir.Write("c.ini",
                                       "[Form1]\r\n"
                                       "JvColorButtonOutline_ColorValue=clBtnFace\r\n"
                                       "JvColorButtonText_ColorValue=-2147483640\r\n");
    WindowFixture f({}, file);
    QVERIFY(f.ShowAndActivate());
    MainWindow* w = f.main();
    QCOMPARE(w->outlineColorBox_->Color(), 0x8000000Fu);
    QCOMPARE(w->outlineColorBox_->currentText(), QString("BtnFace"));
    QCOMPARE(w->textColorBox_->Color(), 0x80000008u);  // clWindowText
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QColor text = QApplication::palette().color(QPalette::Text);
    const RenderSettings s = w->DrawSettings();
    QCOMPARE(s.OutlineColor, MakeColor(face.red(), face.green(), face.blue()));
    QCOMPARE(s.TextColor, MakeColor(text.red(), text.green(), text.blue()));
    w->close();
    f.Destroy();
    const std::string written = ReadFileBytes(file);
    QVERIFY(written.find("JvColorButtonOutline_ColorValue=clBtnFace\r\n") != std::string::npos);
    QVERIFY(written.find("JvColorButtonText_ColorValue=clWindowText\r\n") != std::string::npos);
  }
  {
    // Letters where a position belongs: the properties before it are
    // restored, the ones after it keep their values, and nothing is said.
    const std::string file = dir.Write("b.ini",
                                       "[Form1]\r\n"
                                       "ComboBoxFontSize_ItemIndex=16\r\n"
                                       "ComboBoxAlign_ItemIndex=abc\r\n"
                                       "ComboBoxFps_ItemIndex=4\r\n"
                                       "offset_Position=100\r\n");
    WindowFixture f({}, file);
    QVERIFY(f.ShowAndActivate());
    MainWindow* w = f.main();
    QVERIFY(f.messages.isEmpty());
    QCOMPARE(w->fontSizeBox_->currentIndex(), 16);
    QCOMPARE(w->alignBox_->currentIndex(), 0);
    QCOMPARE(w->fpsBox_->currentIndex(), 2);
    QCOMPARE(w->bottomOffsetSlider_->value(), 30);
  }
}

void SettingsTest::aDeletedKeyLeavesOnlyThatControlAtItsDefault() {
  TempDir dir;
  const std::string file = (dir.path() / "s.ini").string();
  {
    WindowFixture f({}, file);
    QVERIFY(f.ShowAndActivate());
    WindowFixture::Pick(f.main()->fontSizeBox_, 20);
    WindowFixture::Pick(f.main()->fontStyleBox_, 2);
    f.main()->close();
  }
  std::string text = ReadFileBytes(file);
  const std::string line = "ComboBoxFontSize_ItemIndex=20\r\n";
  const size_t at = text.find(line);
  QVERIFY(at != std::string::npos);
  text.erase(at, line.size());
  dir.Write("s.ini", text);
  WindowFixture f({}, file);
  QVERIFY(f.ShowAndActivate());
  QCOMPARE(f.main()->fontSizeBox_->currentIndex(), 14);
  QCOMPARE(f.main()->fontStyleBox_->currentIndex(), 2);
}

void SettingsTest::aReadOnlyFileIsNeverWritten() {
  TempDir dir;
  const std::string file = dir.Write("ro.ini", "[Form1]\r\nComboBoxFontSize_ItemIndex=3\r\n\r\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  {
    WindowFixture f({}, file);
    QVERIFY(f.ShowAndActivate());
    QCOMPARE(f.main()->fontSizeBox_->currentIndex(), 3);  // read normally
    WindowFixture::Pick(f.main()->fontSizeBox_, 20);
    f.main()->close();
  }
  QCOMPARE(QString::fromStdString(ReadFileBytes(file)),
           QString("[Form1]\r\nComboBoxFontSize_ItemIndex=3\r\n\r\n"));
}

void SettingsTest::colourOptionsWindowRefillsTheLists() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  window::PaletteDialog* c = f.colorOptions();

  // "Done" without a change keeps the colours; a mode changed and changed
  // back in the window keeps them too.
  WindowFixture::Pick(w->textColorBox_, 10);
  QCOMPARE(w->textColorBox_->Color(), MakeColor(255, 0, 0));
  c->show();
  c->doneButton_->click();
  QVERIFY(c->isHidden());
  QCOMPARE(w->textColorBox_->Color(), MakeColor(255, 0, 0));
  c->show();
  c->dvdButton_->setChecked(true);
  c->pcButton_->setChecked(true);
  c->doneButton_->click();
  QCOMPARE(w->textColorBox_->Color(), MakeColor(255, 0, 0));
  // Another mode: its defaults, and the preview redrawn with them.
  w->preview_->SetPicture(FrameBitmap(720, 576));
  ChoosePaletteMode(f, c->pcDvd1Button_);
  QCOMPARE(w->textColorBox_->Color(), MakeColor(255, 255, 255));
  QVERIFY(SamePicture(w->preview_->Picture(),
                      ExpectedPreview("Seashore.", "Ocean Harbor", w->DrawSettings())));

  // The safe palette: seven colours, its own defaults.
  ChoosePaletteMode(f, c->pcDvd2Button_);
  for (window::ColorBox* box : {w->antialiasColorBox_, w->outlineColorBox_, w->textColorBox_}) {
    QCOMPARE(box->count(), 7);
  }
  QCOMPARE(w->antialiasColorBox_->Color(), MakeColor(127, 127, 127));
  QCOMPARE(w->outlineColorBox_->Color(), MakeColor(0, 30, 0));
  QCOMPARE(w->textColorBox_->Color(), MakeColor(255, 230, 20));

  // Back to the standard list, closed with the title-bar close box.
  c->show();
  c->pcButton_->setChecked(true);
  c->close();
  QVERIFY(c->isHidden());
  QCOMPARE(w->textColorBox_->count(), 15);
  QCOMPARE(w->textColorBox_->Color(), MakeColor(255, 255, 255));
  QCOMPARE(w->DrawSettings().Palette, PaletteMode::PcOnly);

  // The stored choice is "DVD ONLY" now; after the defaults button the next
  // showing checks the PC choice over it.
  ChoosePaletteMode(f, c->dvdButton_);
  w->defaultsButton_->click();
  c->dvdButton_->setChecked(true);
  c->show();
  QVERIFY(c->pcButton_->isChecked());
  QVERIFY(!c->resetModePending_);
  c->doneButton_->click();
  // A later showing restores what was stored at the last close.
  c->show();
  QVERIFY(c->pcButton_->isChecked());
  c->dvdButton_->setChecked(true);
  c->doneButton_->click();
  c->pcButton_->setChecked(true);
  c->show();
  QVERIFY(c->dvdButton_->isChecked());
  c->doneButton_->click();
}

void SettingsTest::secondaryWindowsDoNotRepeatTheFirstActivation() {
  TempDir dir;
  const std::string file = dir.Write("s.ini", "[Form1]\r\nComboBoxFontSize_ItemIndex=3\r\n\r\n");
  WindowFixture f({}, file);
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  QCOMPARE(w->fontSizeBox_->currentIndex(), 3);
  WindowFixture::Pick(w->fontSizeBox_, 20);
  f.about()->show();
  QVERIFY(QTest::qWaitForWindowActive(f.about()));
  f.about()->accept();
  f.colorOptions()->show();
  f.colorOptions()->doneButton_->click();
  w->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(w));
  QTest::qWait(50);
  // The stored size was not read again.
  QCOMPARE(w->fontSizeBox_->currentIndex(), 20);
}

void SettingsTest::programWritesItsFileBesideItself() {
  // The program copied into a folder of its own, started with a batch line
  // on the offscreen platform: it converts in its window, ends by itself,
  // and writes its settings file beside itself with nothing of the line in
  // it.
  TempDir dir;
  fs::create_directories(dir.path() / "bin");
  const fs::path program = dir.path() / "bin" / "kestrelpix";
  fs::copy_file(KESTRELPIX_GUI, program);
  const std::string input = (dir.path() / "sample.srt").string();
  fs::copy_file(ExampleSubtitle(), input);
  const CommandResult run =
      RunCommand("cd / && QT_QPA_PLATFORM=offscreen " + ShellQuote(program.string()) + " " +
                 ShellQuote(input) + " 0 4 0 14 0 30 -4 1 1 0 2 41 2 2");
  QVERIFY2(run.status == 0, run.err.c_str());
  QVERIFY(fs::exists(dir.path() / "sample.idx"));
  QVERIFY(fs::exists(dir.path() / "sample.Kestrelpix_Help.txt"));
  const fs::path settings = dir.path() / "bin" / "Kestrelpix_Settings.ini";
  QVERIFY(fs::exists(settings));
  QCOMPARE(fs::file_size(settings), 0u);

  // Without a display the same line converts headless; a refusal gives a
  // message on stderr and a failure status.
  const CommandResult missing = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                           ShellQuote(program.string()) +
                                           " /nonexistent/a.srt 0 4 0 14 0 30 -4 1 1 0 2 41 2 2");
  QVERIFY(missing.status != 0);
  QVERIFY(!missing.err.empty());
}

void SettingsTest::aPreviewPictureThatIsAFifoIsNotOpened() {
  // Opening a FIFO named in the settings file would wait for a writer at
  // every start; the built-in picture is shown and the reason said once.
  TempDir dir;
  const std::string fifo = (dir.path() / "picture.bmp").string();
  QCOMPARE(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string file =
      dir.Write("f.ini", "[Form1]\r\nLabelImageChangedPAL_Caption=" + fifo + "\r\n");
  WindowFixture f({}, file);
  QVERIFY(f.ShowAndActivate());
  f.main()->bottomOffsetSlider_->setValue(100);  // redraws the preview over its picture
  QCOMPARE(f.messages, QStringList({QString::fromStdString(
                           "Cannot open file \"" + fifo +
                           "\": it is not a regular file (a FIFO, a socket or a device). "
                           "The built-in preview picture is shown instead.")}));
  QCOMPARE(f.main()->palPicture_, QString::fromStdString(fifo));
}

void SettingsTest::anUnreadableSettingsFileIsNotedAndLeftAlone() {
  TempDir dir;
  const std::string folder = (dir.path() / "Kestrelpix_Settings.ini").string();
  fs::create_directory(folder);
  {
    WindowFixture f({}, folder);
    QVERIFY(f.ShowAndActivate());
    QCOMPARE(f.messages, QStringList({QString::fromStdString(
                             "The settings are not read: Cannot open file \"" + folder +
                             "\": it is a folder. The defaults are used, and the settings file "
                             "is not written.")}));
  }
  QVERIFY(fs::is_directory(folder) && fs::is_empty(folder));
}

void SettingsTest::hostileSettingsFilesDoNotStopAnUnattendedRun() {
  // A batch line with the program beside a settings name that is a folder,
  // a FIFO or a link to /dev/zero, with and without a display: each run
  // converts and ends, says why on stderr, and leaves the name alone.
  TempDir dir;
  fs::create_directories(dir.path() / "bin");
  const fs::path program = dir.path() / "bin" / "kestrelpix";
  fs::copy_file(KESTRELPIX_GUI, program);
  const std::string input = (dir.path() / "sample.srt").string();
  fs::copy_file(ExampleSubtitle(), input);
  const std::string settings = (dir.path() / "bin" / "Kestrelpix_Settings.ini").string();
  for (const std::string make : {"mkdir", "mkfifo", "ln -s /dev/zero"}) {
    for (const std::string env : {"QT_QPA_PLATFORM=offscreen", "-u DISPLAY -u QT_QPA_PLATFORM"}) {
      fs::remove(settings);
      fs::remove(dir.path() / "sample.idx");
      QCOMPARE(RunCommand(make + " " + ShellQuote(settings)).status, 0);
      const CommandResult run = RunCommand("timeout 60 env -u WAYLAND_DISPLAY " + env + " " +
                                           ShellQuote(program.string()) + " " + ShellQuote(input) +
                                           " 0 4 0 14 0 30 -4 1 1 0 2 41 2 2");
      QVERIFY2(run.status == 0, (make + ", " + env + ": " + run.err).c_str());
      QVERIFY2(run.err.find("The settings are not read: Cannot open file \"" + settings +
                            "\": it") != std::string::npos,
               run.err.c_str());
      QVERIFY(fs::exists(dir.path() / "sample.idx"));
      QVERIFY(!fs::is_regular_file(settings));
    }
  }
}

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
