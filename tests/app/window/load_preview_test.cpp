// Loading through the window (list rows, the fit check's messages and flags,
// captions, cancelled dialogs) and the preview (redraws on every setting
// change, the sample text, the odd line spacing step, custom pictures).
#include <QCheckBox>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

#include "job/fit_check.h"
#include "render/measure.h"
#include "render/text_decode.h"
#include "window_fixture.h"

using namespace kestrelpix;
using namespace kestrelpix::testing;

namespace {

const QString kLoading = "Kestrelpix By Morvane Loading Subtitle...";
const QString kMain = "Kestrelpix By Morvane";
const QString kLoaded = "Subtitle Style Modified/Loaded Successfully";
// The success message for kMixedSrt, with the load's note below it.
const QString kLoadedMixed =
    kLoaded +
    "\n2 entries hold text after their first two lines (a third line, or text after a blank "
    "line), which is not drawn: entries 3, 4.";

// Entries of one, two, three and no text lines; the last entry reads
// normally after them.
const char* const kMixedSrt =
    "1\n00:00:01,000 --> 00:00:02,000\nOnly line\n\n"
    "2\n00:00:03,000 --> 00:00:04,000\nUpper\nLower\n\n"
    "3\n00:00:05,000 --> 00:00:06,000\nA\nB\nC third\n\n"
    "4\n00:00:07,000 --> 00:00:08,000\n\nX\nY\n"
    "5\n00:00:09,000 --> 00:00:10,000\nLast\n\n";

// Row 0 fits at every size; entry 2 fits at 20 points but not at 50.
const char* const kMediumSrt =
    "1\n00:00:01,000 --> 00:00:02,000\nHi\n\n"
    "2\n00:00:03,000 --> 00:00:04,000\nThe lighthouse keeper waved back\nto us\n\n"
    "3\n00:00:05,000 --> 00:00:06,000\nBye\n\n";

std::string Wide() { return std::string(120, 'W'); }

RenderSettings WithSize(RenderSettings s, int size) {
  s.FontSize = size;
  return s;
}

}  // namespace

class LoadPreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void loadListsEntriesAndCaptions();
  void loadFrameFileWithSubExtension();
  void loadRefusedWhenALineIsTooWide();
  void fontChangeRechecksTheDocument();
  void wrapBoxRechecksAndDrawsTheWrappedLines();
  void cancelledDialogAtStartChangesNothing();
  void cancelAfterAChoiceChangesNothing();
  void unsupportedFileRestoresCaption();
  void readErrorRestoresTheCaption();
  void fileWithoutEntriesIsNotLoaded();
  void codePageAndFrameRateNotesJoinTheSuccessMessage();
  void sampleTextWhileNothingLoaded();
  void entryFollowsTheOffsetSlider();
  void oddOffsetOrMovesToTheNextEvenValue();
  void clickInTheListPreviewsThatEntry();
  void fpsChangeShowsTheNtscPicture();
  void colourChangeRedrawsOnlyInTheActiveWindow();
  void tooWidePreviewShowsTheBarePicture();
  void customPicturesAndTheirFallback();
  void bottomLeftColourShowsTheWindowFace();
  void previewScalesDownKeepingProportions();
};

void LoadPreviewTest::loadListsEntriesAndCaptions() {
  WindowFixture f;
  MainWindow* w = f.main();
  const std::string path = f.dir.Write("mixed.srt", kMixedSrt);
  QSignalSpy titles(w, &QWidget::windowTitleChanged);
  f.Load(path);
  QCOMPARE(f.dialogTitles.size(), 1);
  QStringList rows;
  for (int i = 0; i < w->entryList_->count(); ++i) rows << w->entryList_->item(i)->text();
  // Text3 never shows; an entry without text gives an empty row.
  QCOMPARE(rows, QStringList({"Only line", "Upper|Lower", "A|B", "", "Last"}));
  QCOMPARE(w->entryList_->currentRow(), 0);
  QCOMPARE(f.messages, QStringList({kLoadedMixed}));
  QVERIFY(w->state_.SubtitleLoaded);
  QVERIFY(w->state_.SubtitleFits);
  QCOMPARE(w->fileNameEdit_->text(), QString::fromStdString(path));
  QCOMPARE(titles.size(), 2);
  QCOMPARE(titles[0][0].toString(), kLoading);
  QCOMPARE(titles[1][0].toString(), kMain);
  QCOMPARE(w->document_->LineCount(), 5);
  // The preview shows the selected first entry, and after the next load
  // that file's first.
  QVERIFY(SamePicture(w->preview_->Picture(), ExpectedPreview("Only line", "", w->DrawSettings())));
  f.Load(f.dir.Write("medium.srt", kMediumSrt));
  QVERIFY(SamePicture(w->preview_->Picture(), ExpectedPreview("Hi", "", w->DrawSettings())));
}

void LoadPreviewTest::loadFrameFileWithSubExtension() {
  WindowFixture f;
  MainWindow* w = f.main();
  // A frame-numbered ".sub" file loads as the ".txt" one does.
  const std::string path = f.dir.Write("movie.sub", "{1}{1}25.000\n{50}{100}Hello|World");
  f.Load(path);
  QCOMPARE(w->entryList_->count(), 1);  // the rate line is no entry
  QCOMPARE(w->entryList_->item(0)->text(), QString("Hello|World"));
  QVERIFY(w->state_.SubtitleLoaded);
}

void LoadPreviewTest::loadRefusedWhenALineIsTooWide() {
  WindowFixture f;
  MainWindow* w = f.main();
  const std::string wide = Wide();
  const std::string path = f.dir.Write("wide.srt",
                                       "1\n00:00:01,000 --> 00:00:02,000\nfine\n\n"
                                       "2\n00:00:03,000 --> 00:00:04,000\n" +
                                           wide +
                                           "\n\n"
                                           "3\n00:00:05,000 --> 00:00:06,000\nsecond " +
                                           wide + "\n\n");
  f.Load(f.dir.Write("medium.srt", kMediumSrt));
  f.messages.clear();
  f.Load(path);
  // Only the first too-wide entry is reported, with its number, its width
  // and both of its lines (the first 100 characters of each); the second is empty, so nothing
  // stands between the last two line breaks.
  const int width = MeasureLine(TestFonts(), wide, "Arial", 20, 0, 1).width;
  QCOMPARE(f.messages,
           QStringList({"Entry 2 is too wide: " + QString::number(width) +
                        " pixels, and a line must stay under 680.\n" +
                        QString::fromStdString(wide.substr(0, 100)) + u'…' +
                        "\n\nPlease wrap long lines (tick \"Wrap long lines\") or use a smaller "
                        "font size, or correct the subtitle and reload it."}));
  QCOMPARE(w->entryList_->count(), 0);
  QVERIFY(!w->state_.SubtitleLoaded);
  QVERIFY(!w->state_.SubtitleFits);
  QCOMPARE(w->fileNameEdit_->text(), QString("Load SRT"));
  QCOMPARE(w->windowTitle(), kMain);
  // The preview shows the sample text, nothing of the file before.
  QVERIFY(SamePicture(w->preview_->Picture(),
                      ExpectedPreview("Seashore.", "Ocean Harbor", w->DrawSettings())));
  // Generation and batching refuse.
  f.messages.clear();
  w->generateButton_->click();
  w->batchButton_->click();
  QCOMPARE(f.messages, QStringList({"Please load an Srt/Sub/Txt subtitle.", "Load an srt"}));
}

void LoadPreviewTest::fontChangeRechecksTheDocument() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  const RenderSettings base = w->DrawSettings();
  // The premises: entry 2 fits at 20 points and not at 50; the rest fits.
  QVERIFY(MeasureLine(TestFonts(), "The lighthouse keeper waved back", "Arial", 20, 0, 1).width <
          FitLimit);
  QVERIFY(MeasureLine(TestFonts(), "The lighthouse keeper waved back", "Arial", 50, 0, 1).width >=
          FitLimit);
  QVERIFY(MeasureLine(TestFonts(), "Ocean Harbor", "Arial", 50, 0, 1).width < FitLimit);
  f.Load(f.dir.Write("medium.srt", kMediumSrt));
  QCOMPARE(f.messages, QStringList({kLoaded}));
  f.messages.clear();

  QSignalSpy titles(w, &QWidget::windowTitleChanged);
  WindowFixture::Pick(w->fontSizeBox_, 34);  // "50"
  const int width =
      MeasureLine(TestFonts(), "The lighthouse keeper waved back", "Arial", 50, 0, 1).width;
  QCOMPARE(f.messages,
           QStringList({"Entry 2 is too wide: " + QString::number(width) +
                        " pixels, and a line must stay under 680.\nThe lighthouse keeper waved "
                        "back\nto us\nPlease wrap long lines (tick \"Wrap long lines\") or use a "
                        "smaller font size."}));
  QCOMPARE(titles.size(), 2);
  QCOMPARE(titles[0][0].toString(), QString("Kestrelpix By Morvane Checking Subtitle Length..."));
  QCOMPARE(titles[1][0].toString(), kMain);
  QCOMPARE(w->entryList_->count(), 3);  // kept
  QVERIFY(w->state_.SubtitleLoaded);
  QVERIFY(!w->state_.SubtitleFits);
  // The preview shows the selected entry (row 0) at the new size.
  QVERIFY(SamePicture(w->preview_->Picture(), ExpectedPreview("Hi", "", WithSize(base, 50))));
  // Generation refuses until a check passes.
  f.messages.clear();
  w->generateButton_->click();
  w->batchButton_->click();
  QCOMPARE(f.messages, QStringList({"Please use smaller font.", "Please use smaller fonts."}));

  // Back to a size that fits: the success message again.
  f.messages.clear();
  WindowFixture::Pick(w->fontSizeBox_, 14);
  QCOMPARE(f.messages, QStringList({kLoaded}));
  QVERIFY(w->state_.SubtitleFits);

  // Clicking an entry whose line fits while another is too wide: the last
  // measure decides.
  WindowFixture::Pick(w->fontSizeBox_, 34);
  QVERIFY(!w->state_.SubtitleFits);
  w->entryList_->setCurrentRow(2);
  QVERIFY(w->state_.SubtitleFits);
  QVERIFY(SamePicture(w->preview_->Picture(), ExpectedPreview("Bye", "", WithSize(base, 50))));
}

void LoadPreviewTest::wrapBoxRechecksAndDrawsTheWrappedLines() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  QVERIFY(!w->wrapLinesBox_->isChecked());  // off by default
  f.Load(f.dir.Write("medium.srt", kMediumSrt));
  WindowFixture::Pick(w->fontSizeBox_, 34);  // "50": entry 2 too wide
  QVERIFY(!w->state_.SubtitleFits);
  // At 50 points "The lighthouse keeper waved back to us" breaks into two
  // lines that fit; the premise is checked here.
  const RenderSettings at50 = WithSize(w->DrawSettings(), 50);
  QVERIFY(MeasureLine(TestFonts(), "The lighthouse keeper", "Arial", 50, 0, 1).width < FitLimit);
  QVERIFY(MeasureLine(TestFonts(), "waved back to us", "Arial", 50, 0, 1).width < FitLimit);
  f.messages.clear();
  w->wrapLinesBox_->click();
  QVERIFY(w->DrawSettings().WrapLines);
  QCOMPARE(f.messages, QStringList({kLoaded}));
  QVERIFY(w->state_.SubtitleLoaded);
  QVERIFY(w->state_.SubtitleFits);
  // Entry 2 previews wrapped: its first line in two even pieces, then its
  // second line, three lines in all.
  w->entryList_->setCurrentRow(1);
  RenderSettings drawn = at50;
  drawn.WrapLines = true;
  QVERIFY(SamePicture(w->preview_->Picture(),
                      ExpectedPreview({"The lighthouse", "keeper waved back", "to us"}, drawn)));
  // Off again: the selected entry's preview and the check refuse as before.
  f.messages.clear();
  w->wrapLinesBox_->click();
  QCOMPARE(f.messages.size(), 2);
  QCOMPARE(f.messages[0],
           QString("The string \nThe lighthouse keeper waved back\nto us\nis too long."));
  QVERIFY(f.messages[1].startsWith("Entry 2 is too wide: "));
  QVERIFY(!w->state_.SubtitleFits);
}

void LoadPreviewTest::cancelledDialogAtStartChangesNothing() {
  WindowFixture f;
  MainWindow* w = f.main();
  QSignalSpy titles(w, &QWidget::windowTitleChanged);
  f.dialogAnswers.push_back(QString());
  w->loadButton_->click();
  QCOMPARE(f.dialogTitles.size(), 1);
  QCOMPARE(titles.size(), 0);
  QVERIFY(f.messages.isEmpty());
  QCOMPARE(w->fileNameEdit_->text(), QString("Load SRT"));
  QCOMPARE(w->entryList_->count(), 0);
  QVERIFY(w->document_ == nullptr);
  QVERIFY(!w->state_.SubtitleLoaded);
}

void LoadPreviewTest::cancelAfterAChoiceChangesNothing() {
  WindowFixture f;
  MainWindow* w = f.main();
  const std::string path = f.dir.Write("mixed.srt", kMixedSrt);
  f.Load(path);
  w->entryList_->setCurrentRow(1);
  const FrameBitmap shown = w->preview_->Picture();
  QSignalSpy titles(w, &QWidget::windowTitleChanged);
  f.dialogAnswers.push_back(QString());  // cancelled
  w->loadButton_->click();
  QCOMPARE(f.messages, QStringList({kLoadedMixed}));
  QCOMPARE(titles.size(), 0);
  QCOMPARE(w->entryList_->count(), 5);
  QCOMPARE(w->entryList_->currentRow(), 1);
  QVERIFY(SamePicture(w->preview_->Picture(), shown));
  QCOMPARE(w->fileNameEdit_->text(), QString::fromStdString(path));
}

void LoadPreviewTest::unsupportedFileRestoresCaption() {
  WindowFixture f;
  MainWindow* w = f.main();
  f.Load(f.dir.Write("notes.txt", "shopping list\nbread\n"));
  QCOMPARE(f.messages, QStringList({QString(kUnsupportedFormatMessage).replace('\r', '\n')}));
  QCOMPARE(w->windowTitle(), kMain);
  QCOMPARE(w->entryList_->count(), 0);
  QVERIFY(!w->state_.SubtitleLoaded);
  QCOMPARE(w->fileNameEdit_->text(), QString("Load SRT"));
}

void LoadPreviewTest::readErrorRestoresTheCaption() {
  WindowFixture f;
  MainWindow* w = f.main();
  // A time that does not convert, in a file no reader takes (minute 99 is
  // read by the fixed columns only): the general error handler shows it and
  // the load stops there.
  f.Load(f.dir.Write("broken.srt",
                     "1\n00:99:01,000 --> 00:00:02,000\nHello\n\n"
                     "2\n00:00:0x,000 --> 00:00:04,000\nAfter\n"));
  QCOMPARE(f.messages, QStringList({"Line 6 (entry 2): '0x' is not a valid integer value"}));
  QCOMPARE(w->windowTitle(), kMain);
  QCOMPARE(w->entryList_->count(), 0);
  QVERIFY(!w->state_.SubtitleLoaded);
  // A new load is the way back.
  f.messages.clear();
  f.Load(f.dir.Write("good.srt", kMixedSrt));
  QCOMPARE(f.messages, QStringList({kLoadedMixed}));
  QCOMPARE(w->windowTitle(), kMain);
}

void LoadPreviewTest::codePageAndFrameRateNotesJoinTheSuccessMessage() {
  WindowFixture f;
  MainWindow* w = f.main();
  // A Windows-1251 file with DEFAULT: listed in Cyrillic, the code page
  // named below the success message, the preview drawn with it.
  f.Load(std::string(KESTRELPIX_SOURCE_DIR) + "/tests/subtitle/data/onegin-cp1251.srt");
  QCOMPARE(f.messages,
           QStringList({kLoaded + "\nThe text is not UTF-8: it is read as Windows-1251 (RUSSIAN), "
                                  "the code page detected; choose another charset if letters look "
                                  "wrong."}));
  QCOMPARE(w->entryList_->item(0)->text(),
           QString("Мой дядя самых честных правил,|Когда не в шутку занемог,"));
  QCOMPARE(int(w->DrawSettings().FontCharset), 204);
  // A frame-numbered file without its rate counts at the Fps list's rate.
  f.messages.clear();
  WindowFixture::Pick(w->fpsBox_, 0);  // "23.976"
  f.Load(f.dir.Write("norate.sub", "{24}{48}Hello\n"));
  QCOMPARE(f.messages, QStringList({kLoaded + "\nRead as MicroDVD by the tolerant reader: no "
                                              "frame-rate line: frames counted at the chosen "
                                              "23.976 frames per second."}));
  QCOMPARE(w->document_->GetLine(1).StartMs, int64_t{1001});
  QCOMPARE(int(w->DrawSettings().FontCharset), 1);

  // A Windows-1250 file read in a chosen charset: the load names it, and
  // the list shows the text as the preview draws it, also once the charset
  // changes.
  const std::string text = "P\xf8\xedli\x9a \x9elu\x9dou\xe8k\xfd k\xf9\xf2";
  const std::string czech = f.dir.Write("cz.srt", "1\n00:00:01,000 --> 00:00:02,000\n" + text);
  f.messages.clear();
  WindowFixture::Pick(w->charsetBox_, 5);  // EASTEUROPE
  f.Load(czech);
  QCOMPARE(f.messages, QStringList({kLoaded + "\nThe text is read as EASTEUROPE (CP1250), the "
                                              "charset chosen; choose DEFAULT to have its code "
                                              "page detected."}));
  QCOMPARE(w->entryList_->item(0)->text(), QString::fromUtf8("Příliš žluťoučký kůň"));
  WindowFixture::Pick(w->charsetBox_, 0);  // ANSI
  QCOMPARE(w->entryList_->item(0)->text(), QString::fromStdString(EncodeUtf8(DecodeText(text, 0))));
  QVERIFY(SamePicture(w->preview_->Picture(), ExpectedPreview(text, "", w->DrawSettings())));
}

void LoadPreviewTest::fileWithoutEntriesIsNotLoaded() {
  WindowFixture f;
  MainWindow* w = f.main();
  // A SubRip file whose time line is too short to be one: no entries, the
  // check runs without a message, and nothing is loaded.
  f.Load(f.dir.Write("short.srt", "1\n00:00:01,000 --> 00:\nText\n\n"));
  QVERIFY(f.messages.isEmpty());
  QCOMPARE(w->entryList_->count(), 0);
  QVERIFY(!w->state_.SubtitleLoaded);
  QCOMPARE(w->fileNameEdit_->text(), QString("Load SRT"));
  QCOMPARE(w->windowTitle(), kMain);
}

void LoadPreviewTest::sampleTextWhileNothingLoaded() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  // Size 20 to 24: the sample text at the new size, no document check.
  WindowFixture::Pick(w->fontSizeBox_, 18);
  QCOMPARE(w->fontSizeBox_->currentText(), QString("24"));
  const RenderSettings s = w->DrawSettings();
  QCOMPARE(s.FontSize, 24);
  QVERIFY(SamePicture(w->preview_->Picture(), ExpectedPreview("Seashore.", "Ocean Harbor", s)));
  QVERIFY(!SamePicture(w->preview_->Picture(),
                       ExpectedPreview("Seashore.", "Ocean Harbor", WithSize(s, 20))));
  QVERIFY(f.messages.isEmpty());
  QVERIFY(w->state_.SubtitleFits);
  QVERIFY(!w->state_.SubtitleLoaded);
}

void LoadPreviewTest::entryFollowsTheOffsetSlider() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  f.Load(ExampleSubtitle());
  const SubtitleEntry first = w->document_->GetLine(1);
  w->bottomOffsetSlider_->setValue(120);
  QCOMPARE(w->bottomOffsetLabel_->text(), QString("120"));
  const RenderSettings s = w->DrawSettings();
  QCOMPARE(s.BottomOffset, 120);
  QVERIFY(SamePicture(w->preview_->Picture(), ExpectedPreview(first.Text1, first.Text2, s)));
  // The sample text was drawn first and then replaced.
  QVERIFY(!SamePicture(w->preview_->Picture(), ExpectedPreview("Seashore.", "Ocean Harbor", s)));
  // The alignment list runs the same handler.
  WindowFixture::Pick(w->alignBox_, 1);
  QVERIFY(SamePicture(w->preview_->Picture(),
                      ExpectedPreview(first.Text1, first.Text2, w->DrawSettings())));
}

void LoadPreviewTest::oddOffsetOrMovesToTheNextEvenValue() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  QSignalSpy moves(w->lineSpacingSlider_, &QSlider::valueChanged);
  w->lineSpacingSlider_->setValue(-13);
  QCOMPARE(w->lineSpacingSlider_->value(), -12);
  QCOMPARE(w->lineSpacingLabel_->text(), QString("-12"));
  // -13, and the nested step to -12 made by the handler of -13 (the spy,
  // connected after the handler, hears the nested change first).
  QCOMPARE(moves.size(), 2);
  QCOMPARE(moves[0][0].toInt(), -12);
  QCOMPARE(moves[1][0].toInt(), -13);
  const RenderSettings s = w->DrawSettings();
  QCOMPARE(s.LineSpacing, -12);
  QVERIFY(SamePicture(w->preview_->Picture(), ExpectedPreview("Seashore.", "Ocean Harbor", s)));
  w->lineSpacingSlider_->setValue(9);
  QCOMPARE(w->lineSpacingSlider_->value(), 10);
  QCOMPARE(w->lineSpacingLabel_->text(), QString("10"));
  moves.clear();
  w->lineSpacingSlider_->setValue(-14);
  QCOMPARE(moves.size(), 1);
  QCOMPARE(w->lineSpacingLabel_->text(), QString("-14"));
  // The keys step by two, down as up.
  w->lineSpacingSlider_->setValue(0);
  for (const auto& [key, value] : {std::pair{Qt::Key_Down, -2}, std::pair{Qt::Key_Down, -4},
                                   std::pair{Qt::Key_PageDown, -6}, std::pair{Qt::Key_Up, -4}}) {
    QTest::keyClick(w->lineSpacingSlider_, key);
    QCOMPARE(w->lineSpacingSlider_->value(), value);
    QCOMPARE(w->lineSpacingLabel_->text(), QString::number(value));
  }
}

void LoadPreviewTest::clickInTheListPreviewsThatEntry() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  f.Load(ExampleSubtitle());
  QListWidget* list = w->entryList_;
  const QRect third = list->visualItemRect(list->item(2));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
  QCOMPARE(list->currentRow(), 2);
  const SubtitleEntry entry = w->document_->GetLine(3);
  const FrameBitmap expected = ExpectedPreview(entry.Text1, entry.Text2, w->DrawSettings());
  QVERIFY(SamePicture(w->preview_->Picture(), expected));
  // A click on the entry already selected draws it again over a bare picture.
  w->LoadPreviewBackground();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
  QVERIFY(SamePicture(w->preview_->Picture(), expected));
}

void LoadPreviewTest::fpsChangeShowsTheNtscPicture() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  WindowFixture::Pick(w->fpsBox_, 3);  // "29.970"
  QCOMPARE(w->preview_->FrameSize(), QSize(720, 480));
  // The text stays, over the NTSC picture.
  QVERIFY(SamePicture(w->preview_->Picture(),
                      ExpectedPreview("Seashore.", "Ocean Harbor", w->DrawSettings())));
  f.Load(f.dir.Write("medium.srt", kMediumSrt));
  WindowFixture::Pick(w->fpsBox_, 2);
  QCOMPARE(w->preview_->FrameSize(), QSize(720, 576));
  QVERIFY(SamePicture(w->preview_->Picture(), ExpectedPreview("Hi", "", w->DrawSettings())));
}

void LoadPreviewTest::colourChangeRedrawsOnlyInTheActiveWindow() {
  WindowFixture f;
  MainWindow* w = f.main();
  const FrameBitmap blank(720, 576);
  w->preview_->SetPicture(blank);
  // Not shown, so not the active window: the colour changes, nothing redraws.
  WindowFixture::Pick(w->textColorBox_, 10);
  QCOMPARE(w->textColorBox_->Color(), MakeColor(255, 0, 0));
  QVERIFY(SamePicture(w->preview_->Picture(), blank));

  QVERIFY(f.ShowAndActivate());
  WindowFixture::Pick(w->textColorBox_, 12);
  const RenderSettings s = w->DrawSettings();
  QCOMPARE(s.TextColor, MakeColor(255, 255, 0));
  QVERIFY(SamePicture(w->preview_->Picture(), ExpectedPreview("Seashore.", "Ocean Harbor", s)));
}

void LoadPreviewTest::tooWidePreviewShowsTheBarePicture() {
  WindowFixture f;
  MainWindow* w = f.main();
  const std::string wide = Wide();
  w->RenderPreview(ShownEntry{{wide, "below"}, {}}, w->DrawSettings());
  QCOMPARE(f.messages, QStringList({"The string \n" + QString::fromStdString(wide.substr(0, 100)) +
                                    u'…' + "\nbelow\nis too long."}));
  QVERIFY(!w->state_.SubtitleFits);
  QVERIFY(SamePicture(w->preview_->Picture(), BarePreview(true)));
  // A render that fits sets the flag again.
  w->RenderPreview(ShownEntry{{"short", ""}, {}}, w->DrawSettings());
  QVERIFY(w->state_.SubtitleFits);
}

void LoadPreviewTest::customPicturesAndTheirFallback() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  // A PAL picture of the frame size, and a smaller one for NTSC.
  QImage pal(720, 576, QImage::Format_RGB888);
  pal.fill(QColor(10, 120, 30));
  const QString palPath = QString::fromStdString((f.dir.path() / "pal.bmp").string());
  QVERIFY(pal.save(palPath, "BMP"));
  QImage ntsc(360, 240, QImage::Format_RGB888);
  ntsc.fill(QColor(200, 20, 90));
  const QString ntscPath = QString::fromStdString((f.dir.path() / "ntsc.bmp").string());
  QVERIFY(ntsc.save(ntscPath, "BMP"));

  f.dialogAnswers = {palPath, ntscPath};
  w->changeImageButton_->click();
  QCOMPARE(f.dialogTitles, QStringList({"Load 720x576 PAL image", "Load 720x480 NTSC image"}));
  QCOMPARE(w->palPicture_, palPath);
  QCOMPARE(w->ntscPicture_, ntscPath);
  QCOMPARE(w->preview_->Picture().PixelAt(5, 5), MakeColor(10, 120, 30));
  // The text is drawn over the new picture, and again at the next render.
  FrameBitmap expected = window::FrameFromImage(pal, 720, 576);
  DrawSubtitleLines(TestFonts(), expected, "Seashore.", "Ocean Harbor", w->DrawSettings(), 576);
  QVERIFY(SamePicture(w->preview_->Picture(), expected));
  w->bottomOffsetSlider_->setValue(60);
  expected = window::FrameFromImage(pal, 720, 576);
  DrawSubtitleLines(TestFonts(), expected, "Seashore.", "Ocean Harbor", w->DrawSettings(), 576);
  QVERIFY(SamePicture(w->preview_->Picture(), expected));
  // The smaller NTSC picture fills the frame.
  WindowFixture::Pick(w->fpsBox_, 0);
  QCOMPARE(w->preview_->Picture().height(), 480);
  QCOMPARE(w->preview_->Picture().PixelAt(719, 479), MakeColor(200, 20, 90));

  // Cancelling both dialogs after a choice sets the same paths again.
  f.dialogAnswers = {QString(), QString()};
  w->changeImageButton_->click();
  QCOMPARE(w->palPicture_, palPath);
  QCOMPARE(w->ntscPicture_, ntscPath);

  // A picture that has gone: the built-in one, without a message.
  QFile::remove(ntscPath);
  WindowFixture::Pick(w->fpsBox_, 4);
  QVERIFY(SamePicture(w->preview_->Picture(),
                      ExpectedPreview("Seashore.", "Ocean Harbor", w->DrawSettings())));
  QVERIFY(f.messages.isEmpty());
  // The defaults button goes back to the built-in pictures.
  w->defaultsButton_->click();
  QVERIFY(w->palPicture_.isEmpty());
  QVERIFY(SamePicture(w->preview_->Picture(),
                      ExpectedPreview("Seashore.", "Ocean Harbor", w->DrawSettings())));
}

void LoadPreviewTest::previewScalesDownKeepingProportions() {
  window::PreviewImage preview_;
  FrameBitmap frame(720, 576);
  for (int y = 0; y < 576; ++y) {
    for (int x = 0; x < 720; ++x) {
      // Blue key below, a white column at x 100 and a red row at y 200.
      const ColorValue c = x == 100   ? MakeColor(255, 255, 255)
                           : y == 200 ? MakeColor(255, 0, 0)
                                      : MakeColor(0, 0, 255);
      frame.SetPixel(x, y, c);
    }
  }
  preview_.SetPicture(frame);
  preview_.SetFrameSize(QSize(720, 576));
  // Room enough: pixel for pixel, centred at the top.
  preview_.resize(800, 600);
  QCOMPARE(preview_.PictureRect(), QRect(40, 0, 720, 576));
  QImage shown = preview_.grab().toImage().convertToFormat(QImage::Format_RGB32);
  QCOMPARE(shown.pixelColor(40 + 100, 10), QColor(255, 255, 255));
  QCOMPARE(shown.pixelColor(40 + 99, 10), preview_.palette().color(QPalette::Window));
  QCOMPARE(shown.pixelColor(40 + 300, 200), QColor(255, 0, 0));
  QCOMPARE(shown.pixelColor(40 + 300, 199), preview_.palette().color(QPalette::Window));
  // Too low: scaled to the height, proportions kept (720:576 is 5:4).
  preview_.resize(800, 288);
  QCOMPARE(preview_.PictureRect(), QRect(220, 0, 360, 288));
  // Too narrow: scaled to the width.
  preview_.resize(540, 600);
  QCOMPARE(preview_.PictureRect(), QRect(0, 0, 540, 432));
  shown = preview_.grab().toImage().convertToFormat(QImage::Format_RGB32);
  // Nothing is drawn below the scaled picture.
  QCOMPARE(shown.pixelColor(270, 500), preview_.palette().color(QPalette::Window));
  // The NTSC frame in the same place: 3:2.
  preview_.SetFrameSize(QSize(720, 480));
  QCOMPARE(preview_.PictureRect(), QRect(0, 0, 540, 360));
  preview_.resize(720, 576);
  QCOMPARE(preview_.PictureRect(), QRect(0, 0, 720, 480));
}

void LoadPreviewTest::bottomLeftColourShowsTheWindowFace() {
  WindowFixture f;
  window::PreviewImage* preview_ = f.main()->preview_;
  FrameBitmap frame(720, 576);  // all blue
  frame.SetPixel(100, 100, MakeColor(255, 255, 255));
  preview_->SetPicture(frame);
  const QImage shown = preview_->ShownImage();
  const QRgb face = preview_->palette().color(QPalette::Window).rgb();
  QCOMPARE(shown.pixel(0, 575), face);
  QCOMPARE(shown.pixel(500, 20), face);
  QCOMPARE(shown.pixel(100, 100), qRgb(255, 255, 255));
  // The picture itself keeps its pixels.
  QCOMPARE(preview_->Picture().PixelAt(0, 575), kBackgroundBlue);
}

QTEST_MAIN(LoadPreviewTest)
#include "load_preview_test.moc"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;
