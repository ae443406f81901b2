// The three windows' controls: names, kinds, captions, lists, ranges and
// defaults, the defaults button, and the wiring of the handlers.
#include <QBoxLayout>
#include <QCheckBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QtTest>

#include "app/control_lists.h"
#include "render/font_tables.h"
#include "support/persisted_lists.h"
#include "window_fixture.h"

using namespace kestrelpix;
using namespace kestrelpix::testing;

namespace {

// A persisted list (tests/data/persisted) as the window shows it.
QStringList Persisted(const char* list) {
  QStringList items;
  for (const std::string& entry : PersistedList(list)) items << QString::fromStdString(entry);
  return items;
}

QStringList ColorNames(const window::ColorBox* box) { return ItemsOf(box); }

}  // namespace

class ControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void mainWindowControlsAndDefaults();
  void fontListIsArialThenInstalledFamilies();
  void defaultsButtonRestoresEverything();
  void defaultsButtonKeepsDocumentAndBatchFile();
  void listsSetFromCodeRunNoHandler();
  void colorOptionsWindow();
  void aboutWindowAndLinks();
  void keyboardMnemonicsAndListFocus();
  void colourListsNameEveryColour();
};

void ControlsTest::mainWindowControlsAndDefaults() {
  WindowFixture f;
  MainWindow* w = f.main();
  QCOMPARE(w->windowTitle(), QString("Kestrelpix By Morvane"));
  // Resizable, with minimize and maximize boxes.
  QVERIFY(w->windowFlags() & Qt::WindowMaximizeButtonHint);
  QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
  QVERIFY(w->maximumSize().width() > w->minimumSizeHint().width());
  QVERIFY(w->maximumSize().height() > w->minimumSizeHint().height());

  // Every named control, found by its object name, is the member of that name.
  QCOMPARE(w->findChild<QGroupBox*>("inputGroup"), w->inputGroup_);
  QCOMPARE(w->findChild<QGroupBox*>("outputGroup"), w->outputGroup_);
  QCOMPARE(w->findChild<QGroupBox*>("fontGroup"), w->fontGroup_);
  QCOMPARE(w->findChild<QGroupBox*>("colorsGroup"), w->colorsGroup_);
  QCOMPARE(w->findChild<QGroupBox*>("settingsGroup"), w->settingsGroup_);
  QCOMPARE(w->inputGroup_->title(), QString("Input"));
  QCOMPARE(w->outputGroup_->title(), QString("Output"));
  QCOMPARE(w->fontGroup_->title(), QString("Render Fonts"));
  QCOMPARE(w->colorsGroup_->title(), QString("Colors"));
  QCOMPARE(w->settingsGroup_->title(), QString("General Settings"));
  for (const char* name :
       {"fpsBox", "languageBox", "fontNameBox", "charsetBox", "fontStyleBox", "fontSizeBox",
        "alignBox", "outlineWidthBox", "antialiasColorBox", "outlineColorBox", "textColorBox"}) {
    QComboBox* box = w->findChild<QComboBox*>(name);
    QVERIFY2(box != nullptr, name);
    QVERIFY2(!box->isEditable(), name);  // pick-only
  }
  QCOMPARE(w->findChild<QSlider*>("bottomOffsetSlider"), w->bottomOffsetSlider_);
  QCOMPARE(w->findChild<QSlider*>("lineSpacingSlider"), w->lineSpacingSlider_);
  QCOMPARE(w->findChild<QListWidget*>("entryList"), w->entryList_);
  QCOMPARE(w->findChild<QProgressBar*>("progressBar"), w->progressBar_);
  QCOMPARE(w->findChild<window::PreviewImage*>("preview"), w->preview_);

  // Input.
  QCOMPARE(w->fileNameEdit_->text(), QString("Load SRT"));
  QVERIFY(!w->fileNameEdit_->isEnabled());
  QCOMPARE(w->loadButton_->text(), QString("&Load Srt,Txt"));
  QVERIFY(w->loadButton_->font().bold());
  QCOMPARE(ItemsOf(w->fpsBox_), Persisted("fps"));
  QCOMPARE(w->fpsBox_->currentIndex(), 2);

  // Output: 136 languages, "el GREEK" selected; two entries hold a tab.
  QCOMPARE(ItemsOf(w->languageBox_), Persisted("languages"));
  QCOMPARE(w->languageBox_->count(), 136);
  QCOMPARE(w->languageBox_->currentIndex(), 41);
  QCOMPARE(w->languageBox_->currentText(), QString("el GREEK"));

  // Render Fonts.
  QCOMPARE(ItemsOf(w->charsetBox_),
           QStringList({"ANSI", "ARABIC", "BALTIC", "CHINESEBIG5", "DEFAULT", "EASTEUROPE",
                        "GB2312", "GREEK", "HANGEUL", "HEBREW", "JOHAB", "MAC", "OEM", "RUSSIAN",
                        "SHIFTJIS", "SYMBOL", "THAI", "TURKISH", "VIETNAMESE"}));
  QCOMPARE(w->charsetBox_->currentText(), QString("DEFAULT"));
  QCOMPARE(ItemsOf(w->fontStyleBox_), Persisted("font_styles"));
  QCOMPARE(w->fontStyleBox_->currentIndex(), 0);
  QCOMPARE(ItemsOf(w->fontSizeBox_), Persisted("font_sizes"));
  QCOMPARE(w->fontSizeBox_->count(), 35);
  QCOMPARE(w->fontSizeBox_->currentIndex(), 14);
  QCOMPARE(w->fontSizeBox_->currentText(), QString("20"));
  QCOMPARE(ItemsOf(w->alignBox_), Persisted("aligns"));
  QCOMPARE(w->alignBox_->currentIndex(), 0);
  QCOMPARE(ItemsOf(w->outlineWidthBox_), Persisted("outline_widths"));
  QCOMPARE(w->outlineWidthBox_->currentText(), QString("3"));
  QCOMPARE(w->bottomOffsetSlider_->orientation(), Qt::Horizontal);
  QCOMPARE(w->bottomOffsetSlider_->minimum(), 8);
  QCOMPARE(w->bottomOffsetSlider_->maximum(), 492);
  QCOMPARE(w->bottomOffsetSlider_->pageStep(), 1);
  QCOMPARE(w->bottomOffsetSlider_->value(), 30);
  QCOMPARE(w->lineSpacingSlider_->orientation(), Qt::Vertical);
  QCOMPARE(w->lineSpacingSlider_->minimum(), -14);
  QCOMPARE(w->lineSpacingSlider_->maximum(), 10);
  QCOMPARE(w->lineSpacingSlider_->value(), -4);
  // The line spacing has its caption.
  QCOMPARE(w->lineSpacingCaption_->text(), QString("Spacing"));
  QCOMPARE(w->lineSpacingCaption_->buddy(), w->lineSpacingSlider_);
  QCOMPARE(w->bottomOffsetLabel_->text(), QString("30"));
  QCOMPARE(w->lineSpacingLabel_->text(), QString("-4"));
  QVERIFY(!w->bottomOffsetLabel_->isEnabled());
  QVERIFY(!w->lineSpacingLabel_->isEnabled());

  // Colors: the standard list with grey, black and white selected.
  QStringList standard;
  for (const PersistedColor& c : PersistedColorList("standard_colors")) {
    standard << QString::fromStdString(c.name);
  }
  QCOMPARE(ColorNames(w->antialiasColorBox_), standard);
  QCOMPARE(w->antialiasColorBox_->Color(), MakeColor(128, 128, 128));
  QCOMPARE(w->outlineColorBox_->Color(), MakeColor(0, 0, 0));
  QCOMPARE(w->textColorBox_->Color(), MakeColor(255, 255, 255));
  QCOMPARE(w->paletteButton_->text(), QString("&Color Options"));

  // General Settings: two picture buttons and "About".
  QVERIFY(!w->defaultsButton_->icon().isNull());
  QVERIFY(!w->changeImageButton_->icon().isNull());
  QCOMPARE(w->aboutButton_->text(), QString("&About"));

  // Outside the groups.
  QCOMPARE(w->progressBar_->toolTip(), QString("ProgressBar"));
  QCOMPARE(w->progressBar_->minimum(), 0);
  QCOMPARE(w->progressBar_->maximum(), 100);
  QCOMPARE(w->generateButton_->text(), QString("&Generate Vobsub"));
  QVERIFY(w->generateButton_->font().bold());
  QCOMPARE(w->batchButton_->text(), QString("Add to &Batch"));
  QVERIFY(w->batchButton_->font().bold());
  QCOMPARE(w->preview_->FrameSize(), QSize(720, 576));
  QVERIFY(w->palPicture_.isEmpty());
  QVERIFY(w->ntscPicture_.isEmpty());

  // The dialogs' filters (every format the load and the pictures read) and
  // titles.
  QCOMPARE(w->subtitleDialog_.filter,
           QString("Subtitles (*.srt *.sub *.txt *.vtt *.ass *.ssa *.smi *.sami *.ttml *.dfxp *.xml);;All files (*)"));
  QCOMPARE(w->palPictureDialog_.title, QString("Load 720x576 PAL image"));
  QCOMPARE(w->palPictureDialog_.filter,
           QString("Load your PAL 720x576 picture (*.bmp *.png *.jpg *.jpeg)"));
  QCOMPARE(w->ntscPictureDialog_.title, QString("Load 720x480 NTSC image"));
  QCOMPARE(w->ntscPictureDialog_.filter,
           QString("Load your NTSC 720x480 picture (*.bmp *.png *.jpg *.jpeg)"));
  QCOMPARE(w->batchDialog_.filter, QString("*.bat (*.bat)"));
  QCOMPARE(w->batchDialog_.title, QString("Add to Batch"));
  QVERIFY(w->batchDialog_.save);

  // Flags at start.
  QVERIFY(!w->state_.SubtitleLoaded);
  QVERIFY(!w->state_.SubtitleFits);
  QVERIFY(!w->Unattended());
  QVERIFY(w->state_.JobIdle);
}

void ControlsTest::fontListIsArialThenInstalledFamilies() {
  WindowFixture f;
  const QStringList fonts = ItemsOf(f.main()->fontNameBox_);
  const std::vector<std::string> families = FontList();
  QCOMPARE(fonts.size(), static_cast<qsizetype>(families.size()));
  QCOMPARE(fonts.first(), QString("Arial"));
  QCOMPARE(f.main()->fontNameBox_->currentIndex(), 0);
  // The installed families follow in alphabetical order without regard to
  // case (the test machine has at least the Liberation and DejaVu fonts).
  QVERIFY(fonts.size() > 2);
  for (qsizetype i = 2; i < fonts.size(); ++i) {
    QVERIFY2(fonts[i - 1].compare(fonts[i], Qt::CaseInsensitive) <= 0,
             qPrintable(fonts[i - 1] + " before " + fonts[i]));
  }
  QVERIFY(fonts.contains("DejaVu Sans"));
}

void ControlsTest::defaultsButtonRestoresEverything() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  const int fontCount = w->fontNameBox_->count();

  // Change everything the defaults touch.
  WindowFixture::Pick(w->fpsBox_, 3);
  w->languageBox_->setCurrentIndex(29);
  WindowFixture::Pick(w->fontSizeBox_, 20);
  WindowFixture::Pick(w->charsetBox_, 7);
  WindowFixture::Pick(w->fontStyleBox_, 4);
  WindowFixture::Pick(w->alignBox_, 2);
  WindowFixture::Pick(w->outlineWidthBox_, 2);
  WindowFixture::Pick(w->fontNameBox_, fontCount - 1);
  w->bottomOffsetSlider_->setValue(200);
  w->lineSpacingSlider_->setValue(6);
  w->wrapLinesBox_->click();
  w->palPicture_ = "/nowhere/pal.bmp";
  w->ntscPicture_ = "/nowhere/ntsc.bmp";
  f.colorOptions()->pcDvd2Button_->setChecked(true);
  f.colorOptions()->ApplyPaletteMode();
  QCOMPARE(w->textColorBox_->count(), 7);
  f.colorOptions()->resetModePending_ = false;
  f.messages.clear();

  w->defaultsButton_->click();
  QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join(" / ")));
  QCOMPARE(w->fpsBox_->currentIndex(), 2);
  QCOMPARE(w->languageBox_->currentIndex(), 41);
  QCOMPARE(w->fontSizeBox_->currentIndex(), 14);
  QCOMPARE(w->charsetBox_->currentIndex(), 4);
  QCOMPARE(w->fontStyleBox_->currentIndex(), 0);
  QCOMPARE(w->alignBox_->currentIndex(), 0);
  QCOMPARE(w->outlineWidthBox_->currentIndex(), 1);
  QCOMPARE(w->bottomOffsetSlider_->value(), 30);
  QCOMPARE(w->lineSpacingSlider_->value(), -4);
  QCOMPARE(w->bottomOffsetLabel_->text(), QString("30"));
  QCOMPARE(w->lineSpacingLabel_->text(), QString("-4"));
  QVERIFY(!w->wrapLinesBox_->isChecked());
  QCOMPARE(w->preview_->FrameSize(), QSize(720, 576));
  // The font list once, "Arial" selected.
  QCOMPARE(w->fontNameBox_->count(), fontCount);
  QCOMPARE(w->fontNameBox_->currentIndex(), 0);
  QCOMPARE(w->fontNameBox_->currentText(), QString("Arial"));
  // Built-in backgrounds again, the PC palette, the standard colours.
  QVERIFY(w->palPicture_.isEmpty());
  QVERIFY(w->ntscPicture_.isEmpty());
  QVERIFY(f.colorOptions()->pcButton_->isChecked());
  QVERIFY(f.colorOptions()->resetModePending_);
  QCOMPARE(w->textColorBox_->count(), 15);
  QCOMPARE(w->antialiasColorBox_->Color(), MakeColor(128, 128, 128));
  QCOMPARE(w->outlineColorBox_->Color(), MakeColor(0, 0, 0));
  QCOMPARE(w->textColorBox_->Color(), MakeColor(255, 255, 255));
  // ApplyPaletteMode refreshed the preview: the sample text over the
  // built-in PAL picture.
  QVERIFY(SamePicture(w->preview_->Picture(),
                      ExpectedPreview("Seashore.", "Ocean Harbor", w->DrawSettings())));

  // The list's last font, picked after it, is still chosen after a restart.
  WindowFixture::Pick(w->fontNameBox_, w->fontNameBox_->count() - 1);
  const QString last = w->fontNameBox_->currentText();
  w->close();
  f.Destroy();
  WindowFixture g({}, f.settingsFile());
  QVERIFY(g.ShowAndActivate());
  QCOMPARE(g.main()->fontNameBox_->currentText(), last);
}

void ControlsTest::defaultsButtonKeepsDocumentAndBatchFile() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  f.Load(ExampleSubtitle());
  QVERIFY(w->state_.SubtitleLoaded);
  const int rows = w->entryList_->count();
  QVERIFY(rows > 5);
  w->batchDialog_.fileName = "/tmp/queued";
  w->defaultsButton_->click();
  QCOMPARE(w->entryList_->count(), rows);
  QVERIFY(w->document_ != nullptr);
  QCOMPARE(w->document_->LineCount(), rows);
  QVERIFY(w->state_.SubtitleLoaded);
  QCOMPARE(w->fileNameEdit_->text(), QString::fromStdString(ExampleSubtitle()));
  QCOMPARE(w->batchDialog_.fileName, QString("/tmp/queued"));
}

void ControlsTest::listsSetFromCodeRunNoHandler() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  // A blank frame in the preview shows whether a handler redrew it.
  w->preview_->SetPicture(FrameBitmap(720, 576));
  const FrameBitmap blank(720, 576);
  for (QComboBox* box : {w->fontNameBox_, w->fontStyleBox_, w->fontSizeBox_, w->outlineWidthBox_,
                         w->charsetBox_, w->alignBox_, w->fpsBox_}) {
    box->setCurrentIndex(1);
    QVERIFY2(SamePicture(w->preview_->Picture(), blank), qPrintable(box->objectName()));
  }
  w->textColorBox_->SetItemIndex(10);
  QVERIFY(SamePicture(w->preview_->Picture(), blank));

  // The user's pick runs the handler of each list.
  for (QComboBox* box :
       {w->fontNameBox_, w->fontStyleBox_, w->fontSizeBox_, w->outlineWidthBox_, w->charsetBox_,
        w->alignBox_, w->fpsBox_, static_cast<QComboBox*>(w->textColorBox_)}) {
    w->preview_->SetPicture(FrameBitmap(720, 576));
    WindowFixture::Pick(box, 0);
    QVERIFY2(!SamePicture(w->preview_->Picture(), blank), qPrintable(box->objectName()));
  }
  // The language list has no handler.
  w->preview_->SetPicture(FrameBitmap(720, 576));
  WindowFixture::Pick(w->languageBox_, 3);
  QVERIFY(SamePicture(w->preview_->Picture(), blank));
  // A slider moved from code runs its handler.
  w->bottomOffsetSlider_->setValue(31);
  QVERIFY(!SamePicture(w->preview_->Picture(), blank));
  QCOMPARE(w->bottomOffsetLabel_->text(), QString("31"));
}

void ControlsTest::colorOptionsWindow() {
  WindowFixture f;
  window::PaletteDialog* c = f.colorOptions();
  QCOMPARE(c->windowTitle(), QString("Color Options"));
  // As tall as its texts need at its width, within a 1280x720 screen.
  QCOMPARE(c->width(), 640);
  QVERIFY(c->height() >= c->heightForWidth(640) && c->height() <= 660);
  QVERIFY(c->isModal());
  QVERIFY(c->isHidden());
  QCOMPARE(c->modeGroup_->title(), QString("Select Method"));
  QCOMPARE(c->infoGroup_->title(), QString("Info"));
  QCOMPARE(c->pcButton_->text(), QString("PC ONLY"));
  QCOMPARE(c->dvdButton_->text(), QString("DVD ONLY"));
  QCOMPARE(c->pcDvd1Button_->text(), QString("PC + DVD By using two palettes (recommended)"));
  QCOMPARE(c->pcDvd2Button_->text(), QString("PC + DVD By using an safe color palette"));
  for (QRadioButton* r : {c->pcButton_, c->dvdButton_, c->pcDvd1Button_, c->pcDvd2Button_}) {
    QVERIFY(r->font().bold());
  }
  // The PC mode until a choice is stored: ffmpeg, mpv and VLC show it right.
  QVERIFY(c->pcButton_->isChecked());
  QCOMPARE(c->PaletteModeChoice(), PaletteMode::PcOnly);
  // Below each mode, which players show it right, as convert --help says.
  auto* box = static_cast<QBoxLayout*>(c->modeGroup_->layout());
  for (QRadioButton* radio : {c->dvdButton_, c->pcDvd1Button_, c->pcDvd2Button_, c->pcButton_}) {
    radio->setChecked(true);
    const QLayoutItem* next = box->itemAt(box->indexOf(radio) + 1);
    const auto* label = next != nullptr ? qobject_cast<QLabel*>(next->widget()) : nullptr;
    QVERIFY2(label != nullptr, qPrintable(radio->text()));
    QCOMPARE(label->text(),
             QString("Players: ") + PaletteModeInfoFor(c->PaletteModeChoice()).players);
  }
  QCOMPARE(c->downloadIfoButton_->text(), QString("Download Ifo"));
  QCOMPARE(c->doneButton_->text(), QString("Done"));
  QCOMPARE(c->findChild<QLabel*>("modesLabel"), c->modesLabel_);
  // A dialog of the main window: nothing to minimise or maximise.
  QCOMPARE(c->windowType(), Qt::Dialog);
  QCOMPARE(c->parentWidget(), f.main());
  QVERIFY(!(c->windowFlags() & Qt::WindowMinimizeButtonHint));
  QVERIFY(!(c->windowFlags() & Qt::WindowMaximizeButtonHint));
  QVERIFY(c->windowFlags() & Qt::WindowCloseButtonHint);
  // Texts shown in the window.
  QStringList texts;
  for (const QLabel* label : c->findChildren<QLabel*>()) texts << label->text();
  QVERIFY(texts.contains("I want to use the vobsub on :"));
  QVERIFY(texts.contains("Colors Example"));
  QVERIFY(
      texts.contains("Both palettes are being generated. Most recommended solution at this "
                     "time. "));
  QVERIFY(texts.contains(
      "Some DVD Devices may want the original IFO in order to get correct colors! In this case "
      "use the 'PC + DVD By using two palettes' and download the ifo below. Further instuctions "
      "will be generated on the Kestrelpix_Help_File.txt"));

  // The picture appears when the window is shown; the IFO button opens
  // its address.
  c->show();
  QCOMPARE(c->modesLabel_->pixmap().size(), QSize(70, 70));
  c->downloadIfoButton_->click();
  QCOMPARE(f.urls, QStringList({window::kIfoDownloadAddress}));
  c->doneButton_->click();
  QVERIFY(c->isHidden());

  // Exactly one choice is checked at any time.
  c->SetPaletteModeChoice(PaletteMode::DvdOnly);
  QVERIFY(c->dvdButton_->isChecked());
  QVERIFY(!c->pcDvd1Button_->isChecked());
  QCOMPARE(c->PaletteModeChoice(), PaletteMode::DvdOnly);
}

void ControlsTest::aboutWindowAndLinks() {
  WindowFixture f;
  window::AboutDialog* a = f.about();
  QCOMPARE(a->windowTitle(), QString("About"));
  QCOMPARE(a->size(), QSize(600, 556));
  QVERIFY(a->windowFlags() & Qt::WindowStaysOnTopHint);
  QVERIFY(a->isModal());
  QCOMPARE(a->versionLabel_->text(), QString(KESTRELPIX_VERSION));
  QVERIFY(a->versionLabel_->font().bold());
  QCOMPARE(a->madeByLabel_->text(), QString("Morvane"));
  QVERIFY(!a->logo_->pixmap().isNull());
  QVERIFY(!a->donateImage_->pixmap().isNull());
  QVERIFY(a->infoLabel_->text().startsWith(
      "Kestrelpix convert's txt subtitles to Vobsubs (idx/sub) in order to put them in a Dvd "
      "Device Player.that supports vobsub subtitles.\n"));
  QVERIFY(a->infoLabel_->text().contains(
      "\n\nImportant Update : Kestrelpix is NOT a GUI anymore. From now on is an standalone "
      "application"));
  const QString usage = a->infoText_->toPlainText();
  QVERIFY(a->infoText_->isReadOnly());
  QVERIFY(usage.startsWith("Usage : "));
  const qsizetype batch = usage.indexOf("How to convert multiple vobsub files at once. ");
  QVERIFY(batch > 0);
  QVERIFY(usage.indexOf("----") < batch);
  QVERIFY(usage.indexOf("'MyBatch.bat'") > batch);
  QCOMPARE(a->checkVersionButton_->text(), QString("Check Version"));
  QCOMPARE(a->muxToolButton_->text(), QString("Mux Vobsubs (Multilanguage support)"));
  QVERIFY(a->visitSiteButton_->text().contains("kestrelpix.org"));

  // The links: the site button and the "Morvane" label share a handler.
  a->show();
  a->visitSiteButton_->click();
  QTest::mouseClick(a->madeByLabel_, Qt::LeftButton);
  a->checkVersionButton_->click();
  a->muxToolButton_->click();
  QTest::mouseClick(a->donateImage_, Qt::LeftButton);
  QCOMPARE(f.urls,
           QStringList({window::kSiteAddress, window::kSiteAddress, window::kDownloadAddress,
                        window::kMuxToolAddress, window::kDonateAddress}));
  QVERIFY(f.messages.isEmpty());
  // No browser to be had: the address is shown instead.
  f.browserOpens = false;
  a->checkVersionButton_->click();
  QCOMPARE(f.messages,
           QStringList({QString(window::kNoBrowserMessage) + "\n" + window::kDownloadAddress}));
  a->accept();

  // "Close", pressed by Enter as by Escape, wherever the focus is.
  QCOMPARE(a->closeButton_->text(), QString("Close"));
  QVERIFY(a->closeButton_->isDefault());
  QSignalSpy closes(a->closeButton_, &QPushButton::clicked);
  a->show();
  QVERIFY(QTest::qWaitForWindowActive(a));
  QCOMPARE(QApplication::focusWidget(), a->closeButton_);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QVERIFY(a->isHidden());
  QCOMPARE(a->result(), int(QDialog::Accepted));
  a->show();
  QVERIFY(QTest::qWaitForWindowActive(a));
  a->infoText_->setFocus();
  QTest::keyClick(a->infoText_, Qt::Key_Escape);
  QVERIFY(a->isHidden());
  QCOMPARE(closes.count(), 2);
}

void ControlsTest::keyboardMnemonicsAndListFocus() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  MainWindow* w = f.main();
  // One letter for each button, no letter twice.
  const std::vector<std::pair<QPushButton*, Qt::Key>> buttons = {
      {w->loadButton_, Qt::Key_L},     {w->generateButton_, Qt::Key_G},
      {w->batchButton_, Qt::Key_B},    {w->paletteButton_, Qt::Key_C},
      {w->defaultsButton_, Qt::Key_D}, {w->changeImageButton_, Qt::Key_I},
      {w->aboutButton_, Qt::Key_A}};
  for (const auto& [button, key] : buttons) {
    QCOMPARE(QKeySequence::mnemonic(button->text()), QKeySequence(Qt::ALT | key));
  }

  // Alt+D is the defaults button: the size goes back to 20.
  WindowFixture::Pick(w->fontSizeBox_, 3);
  // (A mnemonic presses its button visibly: the click comes a moment later.)
  QTest::keyClick(w->windowHandle(), Qt::Key_D, Qt::AltModifier);
  QTRY_COMPARE(w->fontSizeBox_->currentText(), QString("20"));
  // Alt+B is "Add to Batch", refused with nothing loaded.
  QTest::keyClick(w->windowHandle(), Qt::Key_B, Qt::AltModifier);
  QTRY_COMPARE(f.messages, QStringList({"Load an srt"}));
  // Alt+L opens the subtitle dialog and loads what it answers.
  f.dialogAnswers.push_back(window::FromLocalPath(ExampleSubtitle()));
  QTest::keyClick(w->windowHandle(), Qt::Key_L, Qt::AltModifier);
  QTRY_VERIFY(w->state_.SubtitleLoaded);
  QVERIFY(w->entryList_->count() > 0);

  // The entry list shows when it has the keyboard.
  w->generateButton_->setFocus();
  QTRY_VERIFY(!w->entryList_->hasFocus());
  const QImage without = w->entryList_->grab().toImage();
  w->entryList_->setFocus();
  QTRY_VERIFY(w->entryList_->hasFocus());
  const QImage with = w->entryList_->grab().toImage();
  QVERIFY(without != with);
  // The mark is a frame in the highlight colour round the list.
  const QColor highlight = w->entryList_->palette().color(QPalette::Highlight);
  QCOMPARE(with.pixelColor(0, with.height() / 2), highlight);
  QVERIFY(without.pixelColor(0, without.height() / 2) != highlight);
}

void ControlsTest::colourListsNameEveryColour() {
  using window::ColorDisplayName;
  // Names of either list, "#RRGGBB" otherwise (red is the lowest byte), a
  // system colour by its name.
  QCOMPARE(ColorDisplayName(MakeColor(255, 255, 255)), QString("white"));
  QCOMPARE(ColorDisplayName(MakeColor(0, 30, 0)), QString("very dark green"));
  QCOMPARE(ColorDisplayName(33023), QString("#FF8000"));
  QCOMPARE(ColorDisplayName(MakeColor(1, 2, 254)), QString("#0102FE"));
  QCOMPARE(ColorDisplayName(0x8000000Fu), QString("BtnFace"));

  WindowFixture f;
  MainWindow* w = f.main();
  // A stored colour outside the list joins it under that name.
  w->textColorBox_->SetColorValue(33023);
  QCOMPARE(w->textColorBox_->currentText(), QString("#FF8000"));
  QCOMPARE(w->textColorBox_->Color(), ColorValue(33023));

  // Every box is wide enough for its longest name beside the swatch.
  w->FillColorBox(w->outlineColorBox_, 0, true);
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w));
  for (window::ColorBox* box : {w->antialiasColorBox_, w->outlineColorBox_, w->textColorBox_}) {
    int widest = 0;
    for (int i = 0; i < box->count(); ++i) {
      widest = std::max(widest, box->fontMetrics().horizontalAdvance(box->itemText(i)));
    }
    QVERIFY2(box->width() >= widest + box->iconSize().width(), qPrintable(box->objectName()));
  }
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
