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

QStringList ColorNames(const window::TColorBox* box) { return ItemsOf(box); }

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
  TFormMain* w = f.main();
  QCOMPARE(w->windowTitle(), QString("Kestrelpix By Morvane"));
  // Resizable, with minimize and maximize boxes.
  QVERIFY(w->windowFlags() & Qt::WindowMaximizeButtonHint);
  QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
  QVERIFY(w->maximumSize().width() > w->minimumSizeHint().width());
  QVERIFY(w->maximumSize().height() > w->minimumSizeHint().height());

  // Every named control, found by its object name, is the member of that name.
  QCOMPARE(w->findChild<QGroupBox*>("GroupBoxInput"), w->GroupBoxInput);
  QCOMPARE(w->findChild<QGroupBox*>("GroupBoxOutput"), w->GroupBoxOutput);
  QCOMPARE(w->findChild<QGroupBox*>("GroupBoxRender"), w->GroupBoxRender);
  QCOMPARE(w->findChild<QGroupBox*>("GroupBoxColors"), w->GroupBoxColors);
  QCOMPARE(w->findChild<QGroupBox*>("GroupBoxSettings"), w->GroupBoxSettings);
  QCOMPARE(w->GroupBoxInput->title(), QString("Input"));
  QCOMPARE(w->GroupBoxOutput->title(), QString("Output"));
  QCOMPARE(w->GroupBoxRender->title(), QString("Render Fonts"));
  QCOMPARE(w->GroupBoxColors->title(), QString("Colors"));
  QCOMPARE(w->GroupBoxSettings->title(), QString("General Settings"));
  for (const char* name :
       {"ComboBoxFps", "ComboBoxVobsubLanguage", "ComboBoxFontName", "ComboBoxFontCharset",
        "ComboBoxFontStyle", "ComboBoxFontSize", "ComboBoxAlign", "ComboBoxOutlineWidth",
        "JvColorButtonAntialias", "JvColorButtonOutline", "JvColorButtonText"}) {
    QComboBox* box = w->findChild<QComboBox*>(name);
    QVERIFY2(box != nullptr, name);
    QVERIFY2(!box->isEditable(), name);  // pick-only
  }
  QCOMPARE(w->findChild<QSlider*>("offset"), w->offset);
  QCOMPARE(w->findChild<QSlider*>("offset_or"), w->offset_or);
  QCOMPARE(w->findChild<QListWidget*>("ListBoxPreview"), w->ListBoxPreview);
  QCOMPARE(w->findChild<QProgressBar*>("ProgressBar1"), w->ProgressBar1);
  QCOMPARE(w->findChild<window::TPreviewImage*>("preview"), w->preview);
  QCOMPARE(w->findChild<QLabel*>("LabelImageChangedPAL"), w->LabelImageChangedPAL);
  QCOMPARE(w->findChild<QLabel*>("LabelImageChangedNTSC"), w->LabelImageChangedNTSC);

  // Input.
  QCOMPARE(w->EditLoadSrt->text(), QString("Load SRT"));
  QVERIFY(!w->EditLoadSrt->isEnabled());
  QCOMPARE(w->ButtonLoadSrt->text(), QString("&Load Srt,Txt"));
  QVERIFY(w->ButtonLoadSrt->font().bold());
  QCOMPARE(ItemsOf(w->ComboBoxFps), Persisted("fps"));
  QCOMPARE(w->ComboBoxFps->currentIndex(), 2);

  // Output: 136 languages, "el GREEK" selected; two entries hold a tab.
  QCOMPARE(ItemsOf(w->ComboBoxVobsubLanguage), Persisted("languages"));
  QCOMPARE(w->ComboBoxVobsubLanguage->count(), 136);
  QCOMPARE(w->ComboBoxVobsubLanguage->currentIndex(), 41);
  QCOMPARE(w->ComboBoxVobsubLanguage->currentText(), QString("el GREEK"));

  // Render Fonts.
  QCOMPARE(ItemsOf(w->ComboBoxFontCharset),
           QStringList({"ANSI", "ARABIC", "BALTIC", "CHINESEBIG5", "DEFAULT", "EASTEUROPE",
                        "GB2312", "GREEK", "HANGEUL", "HEBREW", "JOHAB", "MAC", "OEM", "RUSSIAN",
                        "SHIFTJIS", "SYMBOL", "THAI", "TURKISH", "VIETNAMESE"}));
  QCOMPARE(w->ComboBoxFontCharset->currentText(), QString("DEFAULT"));
  QCOMPARE(ItemsOf(w->ComboBoxFontStyle), Persisted("font_styles"));
  QCOMPARE(w->ComboBoxFontStyle->currentIndex(), 0);
  QCOMPARE(ItemsOf(w->ComboBoxFontSize), Persisted("font_sizes"));
  QCOMPARE(w->ComboBoxFontSize->count(), 35);
  QCOMPARE(w->ComboBoxFontSize->currentIndex(), 14);
  QCOMPARE(w->ComboBoxFontSize->currentText(), QString("20"));
  QCOMPARE(ItemsOf(w->ComboBoxAlign), Persisted("aligns"));
  QCOMPARE(w->ComboBoxAlign->currentIndex(), 0);
  QCOMPARE(ItemsOf(w->ComboBoxOutlineWidth), Persisted("outline_widths"));
  QCOMPARE(w->ComboBoxOutlineWidth->currentText(), QString("3"));
  QCOMPARE(w->offset->orientation(), Qt::Horizontal);
  QCOMPARE(w->offset->minimum(), 8);
  QCOMPARE(w->offset->maximum(), 492);
  QCOMPARE(w->offset->pageStep(), 1);
  QCOMPARE(w->offset->value(), 30);
  QCOMPARE(w->offset_or->orientation(), Qt::Vertical);
  QCOMPARE(w->offset_or->minimum(), -14);
  QCOMPARE(w->offset_or->maximum(), 10);
  QCOMPARE(w->offset_or->value(), -4);
  // The line spacing has its caption.
  QCOMPARE(w->LabelOffset_OrCaption->text(), QString("Spacing"));
  QCOMPARE(w->LabelOffset_OrCaption->buddy(), w->offset_or);
  QCOMPARE(w->LabelOffset->text(), QString("30"));
  QCOMPARE(w->LabelOffset_Or->text(), QString("-4"));
  QVERIFY(!w->LabelOffset->isEnabled());
  QVERIFY(!w->LabelOffset_Or->isEnabled());

  // Colors: the standard list with grey, black and white selected.
  QStringList standard;
  for (const PersistedColor& c : PersistedColorList("standard_colors")) {
    standard << QString::fromStdString(c.name);
  }
  QCOMPARE(ColorNames(w->JvColorButtonAntialias), standard);
  QCOMPARE(w->JvColorButtonAntialias->colorValue(), MakeColor(128, 128, 128));
  QCOMPARE(w->JvColorButtonOutline->colorValue(), MakeColor(0, 0, 0));
  QCOMPARE(w->JvColorButtonText->colorValue(), MakeColor(255, 255, 255));
  QCOMPARE(w->ButtonColorOptions->text(), QString("&Color Options"));

  // General Settings: two picture buttons and "About".
  QVERIFY(!w->BitBtnSetDefaultValues->icon().isNull());
  QVERIFY(!w->BitBtnChangeImage->icon().isNull());
  QCOMPARE(w->ButtonAbout->text(), QString("&About"));

  // Outside the groups.
  QCOMPARE(w->ProgressBar1->toolTip(), QString("ProgressBar"));
  QCOMPARE(w->ProgressBar1->minimum(), 0);
  QCOMPARE(w->ProgressBar1->maximum(), 100);
  QCOMPARE(w->ButtonGenerate->text(), QString("&Generate Vobsub"));
  QVERIFY(w->ButtonGenerate->font().bold());
  QCOMPARE(w->ButtonBatch->text(), QString("Add to &Batch"));
  QVERIFY(w->ButtonBatch->font().bold());
  QCOMPARE(w->preview->FrameSize(), QSize(720, 576));
  QVERIFY(w->LabelImageChangedPAL->text().isEmpty());
  QVERIFY(w->LabelImageChangedNTSC->text().isEmpty());
  QVERIFY(w->LabelImageChangedPAL->isHidden());
  QVERIFY(w->LabelImageChangedNTSC->isHidden());

  // The dialogs' filters (every format the load and the pictures read) and
  // titles.
  QCOMPARE(w->OpenDialogsub.filter,
           QString("Subtitles (*.srt *.sub *.txt *.vtt *.ass *.ssa);;All files (*)"));
  QCOMPARE(w->OpenDialogImagePAL.title, QString("Load 720x576 PAL image"));
  QCOMPARE(w->OpenDialogImagePAL.filter,
           QString("Load your PAL 720x576 picture (*.bmp *.png *.jpg *.jpeg)"));
  QCOMPARE(w->OpenDialogImageNTSC.title, QString("Load 720x480 NTSC image"));
  QCOMPARE(w->OpenDialogImageNTSC.filter,
           QString("Load your NTSC 720x480 picture (*.bmp *.png *.jpg *.jpeg)"));
  QCOMPARE(w->OpenDialogBat.filter, QString("*.bat (*.bat)"));
  QCOMPARE(w->OpenDialogBat.title, QString("Add to Batch"));
  QVERIFY(w->OpenDialogBat.save);

  // Flags at start.
  QVERIFY(!w->State.SubtitleLoaded);
  QVERIFY(!w->State.SubtitleFits);
  QVERIFY(!w->State.CommandLineMode);
  QVERIFY(w->State.JobIdle);
}

void ControlsTest::fontListIsArialThenInstalledFamilies() {
  WindowFixture f;
  const QStringList fonts = ItemsOf(f.main()->ComboBoxFontName);
  const std::vector<std::string> families = FontList();
  QCOMPARE(fonts.size(), static_cast<qsizetype>(families.size()));
  QCOMPARE(fonts.first(), QString("Arial"));
  QCOMPARE(f.main()->ComboBoxFontName->currentIndex(), 0);
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
  TFormMain* w = f.main();
  const int fontCount = w->ComboBoxFontName->count();

  // Change everything the defaults touch.
  WindowFixture::Pick(w->ComboBoxFps, 3);
  w->ComboBoxVobsubLanguage->setCurrentIndex(29);
  WindowFixture::Pick(w->ComboBoxFontSize, 20);
  WindowFixture::Pick(w->ComboBoxFontCharset, 7);
  WindowFixture::Pick(w->ComboBoxFontStyle, 4);
  WindowFixture::Pick(w->ComboBoxAlign, 2);
  WindowFixture::Pick(w->ComboBoxOutlineWidth, 2);
  WindowFixture::Pick(w->ComboBoxFontName, fontCount - 1);
  w->offset->setValue(200);
  w->offset_or->setValue(6);
  w->CheckBoxWrapLines->click();
  w->LabelImageChangedPAL->setText("/nowhere/pal.bmp");
  w->LabelImageChangedNTSC->setText("/nowhere/ntsc.bmp");
  f.colorOptions()->RadioButtonPCDVD2->setChecked(true);
  f.colorOptions()->ApplyPaletteMode(f.colorOptions());
  QCOMPARE(w->JvColorButtonText->count(), 7);
  f.colorOptions()->ResetPaletteModePending = false;
  f.messages.clear();

  w->BitBtnSetDefaultValues->click();
  QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join(" / ")));
  QCOMPARE(w->ComboBoxFps->currentIndex(), 2);
  QCOMPARE(w->ComboBoxVobsubLanguage->currentIndex(), 41);
  QCOMPARE(w->ComboBoxFontSize->currentIndex(), 14);
  QCOMPARE(w->ComboBoxFontCharset->currentIndex(), 4);
  QCOMPARE(w->ComboBoxFontStyle->currentIndex(), 0);
  QCOMPARE(w->ComboBoxAlign->currentIndex(), 0);
  QCOMPARE(w->ComboBoxOutlineWidth->currentIndex(), 1);
  QCOMPARE(w->offset->value(), 30);
  QCOMPARE(w->offset_or->value(), -4);
  QCOMPARE(w->LabelOffset->text(), QString("30"));
  QCOMPARE(w->LabelOffset_Or->text(), QString("-4"));
  QVERIFY(!w->CheckBoxWrapLines->isChecked());
  QCOMPARE(w->preview->FrameSize(), QSize(720, 576));
  // The font list once, "Arial" selected.
  QCOMPARE(w->ComboBoxFontName->count(), fontCount);
  QCOMPARE(w->ComboBoxFontName->currentIndex(), 0);
  QCOMPARE(w->ComboBoxFontName->currentText(), QString("Arial"));
  // Built-in backgrounds again, the PC palette, the standard colours.
  QVERIFY(w->LabelImageChangedPAL->text().isEmpty());
  QVERIFY(w->LabelImageChangedNTSC->text().isEmpty());
  QVERIFY(f.colorOptions()->RadioButtonPC->isChecked());
  QVERIFY(f.colorOptions()->ResetPaletteModePending);
  QCOMPARE(w->JvColorButtonText->count(), 15);
  QCOMPARE(w->JvColorButtonAntialias->colorValue(), MakeColor(128, 128, 128));
  QCOMPARE(w->JvColorButtonOutline->colorValue(), MakeColor(0, 0, 0));
  QCOMPARE(w->JvColorButtonText->colorValue(), MakeColor(255, 255, 255));
  // ApplyPaletteMode refreshed the preview: the sample text over the
  // built-in PAL picture.
  QVERIFY(SamePicture(w->preview->Picture(),
                      ExpectedPreview("Seashore.", "Ocean Harbor", w->DrawSettings())));

  // The list's last font, picked after it, is still chosen after a restart.
  WindowFixture::Pick(w->ComboBoxFontName, w->ComboBoxFontName->count() - 1);
  const QString last = w->ComboBoxFontName->currentText();
  w->close();
  f.Destroy();
  WindowFixture g({}, f.settingsFile());
  QVERIFY(g.ShowAndActivate());
  QCOMPARE(g.main()->ComboBoxFontName->currentText(), last);
}

void ControlsTest::defaultsButtonKeepsDocumentAndBatchFile() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  TFormMain* w = f.main();
  f.Load(ExampleSubtitle());
  QVERIFY(w->State.SubtitleLoaded);
  const int rows = w->ListBoxPreview->count();
  QVERIFY(rows > 5);
  w->OpenDialogBat.fileName = "/tmp/queued";
  w->BitBtnSetDefaultValues->click();
  QCOMPARE(w->ListBoxPreview->count(), rows);
  QVERIFY(w->CurrentSubtitle != nullptr);
  QCOMPARE(w->CurrentSubtitle->LineCount(), rows);
  QVERIFY(w->State.SubtitleLoaded);
  QCOMPARE(w->EditLoadSrt->text(), QString::fromStdString(ExampleSubtitle()));
  QCOMPARE(w->OpenDialogBat.fileName, QString("/tmp/queued"));
}

void ControlsTest::listsSetFromCodeRunNoHandler() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  TFormMain* w = f.main();
  // A blank frame in the preview shows whether a handler redrew it.
  w->preview->SetPicture(FrameBitmap(720, 576));
  const FrameBitmap blank(720, 576);
  for (QComboBox* box :
       {w->ComboBoxFontName, w->ComboBoxFontStyle, w->ComboBoxFontSize, w->ComboBoxOutlineWidth,
        w->ComboBoxFontCharset, w->ComboBoxAlign, w->ComboBoxFps}) {
    box->setCurrentIndex(1);
    QVERIFY2(SamePicture(w->preview->Picture(), blank), qPrintable(box->objectName()));
  }
  w->JvColorButtonText->setItemIndex(10);
  QVERIFY(SamePicture(w->preview->Picture(), blank));

  // The user's pick runs the handler of each list.
  for (QComboBox* box : {w->ComboBoxFontName, w->ComboBoxFontStyle, w->ComboBoxFontSize,
                         w->ComboBoxOutlineWidth, w->ComboBoxFontCharset, w->ComboBoxAlign,
                         w->ComboBoxFps, static_cast<QComboBox*>(w->JvColorButtonText)}) {
    w->preview->SetPicture(FrameBitmap(720, 576));
    WindowFixture::Pick(box, 0);
    QVERIFY2(!SamePicture(w->preview->Picture(), blank), qPrintable(box->objectName()));
  }
  // The language list has no handler.
  w->preview->SetPicture(FrameBitmap(720, 576));
  WindowFixture::Pick(w->ComboBoxVobsubLanguage, 3);
  QVERIFY(SamePicture(w->preview->Picture(), blank));
  // A slider moved from code runs its handler.
  w->offset->setValue(31);
  QVERIFY(!SamePicture(w->preview->Picture(), blank));
  QCOMPARE(w->LabelOffset->text(), QString("31"));
}

void ControlsTest::colorOptionsWindow() {
  WindowFixture f;
  window::TFormColorOptions* c = f.colorOptions();
  QCOMPARE(c->windowTitle(), QString("Color Options"));
  // As tall as its texts need at its width, within a 1280x720 screen.
  QCOMPARE(c->width(), 640);
  QVERIFY(c->height() >= c->heightForWidth(640) && c->height() <= 660);
  QVERIFY(c->isModal());
  QVERIFY(c->isHidden());
  QCOMPARE(c->GroupBox1->title(), QString("Select Method"));
  QCOMPARE(c->GroupBoxInfo->title(), QString("Info"));
  QCOMPARE(c->RadioButtonPC->text(), QString("PC ONLY"));
  QCOMPARE(c->RadioButtonDVD->text(), QString("DVD ONLY"));
  QCOMPARE(c->RadioButtonPCDVD1->text(), QString("PC + DVD By using two palettes (recommended)"));
  QCOMPARE(c->RadioButtonPCDVD2->text(), QString("PC + DVD By using an safe color palette"));
  for (QRadioButton* r :
       {c->RadioButtonPC, c->RadioButtonDVD, c->RadioButtonPCDVD1, c->RadioButtonPCDVD2}) {
    QVERIFY(r->font().bold());
  }
  // The PC mode until a choice is stored: ffmpeg, mpv and VLC show it right.
  QVERIFY(c->RadioButtonPC->isChecked());
  QCOMPARE(c->PaletteModeChoice(), PaletteMode::PcOnly);
  // Below each mode, which players show it right, as convert --help says.
  auto* box = static_cast<QBoxLayout*>(c->GroupBox1->layout());
  for (QRadioButton* radio :
       {c->RadioButtonDVD, c->RadioButtonPCDVD1, c->RadioButtonPCDVD2, c->RadioButtonPC}) {
    radio->setChecked(true);
    const QLayoutItem* next = box->itemAt(box->indexOf(radio) + 1);
    const auto* label = next != nullptr ? qobject_cast<QLabel*>(next->widget()) : nullptr;
    QVERIFY2(label != nullptr, qPrintable(radio->text()));
    QCOMPARE(label->text(),
             QString("Players: ") + PaletteModeInfoFor(c->PaletteModeChoice()).players);
  }
  QCOMPARE(c->ButtonDownloadIfo->text(), QString("Download Ifo"));
  QCOMPARE(c->ButtonDone->text(), QString("Done"));
  QCOMPARE(c->findChild<QLabel*>("colors"), c->colors);
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
  QCOMPARE(c->colors->pixmap().size(), QSize(70, 70));
  c->ButtonDownloadIfo->click();
  QCOMPARE(f.urls, QStringList({window::kIfoDownloadAddress}));
  c->ButtonDone->click();
  QVERIFY(c->isHidden());

  // Exactly one choice is checked at any time.
  c->SetPaletteModeChoice(PaletteMode::DvdOnly);
  QVERIFY(c->RadioButtonDVD->isChecked());
  QVERIFY(!c->RadioButtonPCDVD1->isChecked());
  QCOMPARE(c->PaletteModeChoice(), PaletteMode::DvdOnly);
}

void ControlsTest::aboutWindowAndLinks() {
  WindowFixture f;
  window::TFormAbout* a = f.about();
  QCOMPARE(a->windowTitle(), QString("About"));
  QCOMPARE(a->size(), QSize(600, 556));
  QVERIFY(a->windowFlags() & Qt::WindowStaysOnTopHint);
  QVERIFY(a->isModal());
  QCOMPARE(a->LabelVersion->text(), QString(KESTRELPIX_VERSION));
  QVERIFY(a->LabelVersion->font().bold());
  QCOMPARE(a->LabelMadeByMorvane->text(), QString("Morvane"));
  QVERIFY(!a->ImageMorvane->pixmap().isNull());
  QVERIFY(!a->ImageDonate->pixmap().isNull());
  QVERIFY(a->LabelInfo->text().startsWith(
      "Kestrelpix convert's txt subtitles to Vobsubs (idx/sub) in order to put them in a Dvd "
      "Device Player.that supports vobsub subtitles.\n"));
  QVERIFY(a->LabelInfo->text().contains(
      "\n\nImportant Update : Kestrelpix is NOT a GUI anymore. From now on is an standalone "
      "application"));
  const QString usage = a->MemoInfo->toPlainText();
  QVERIFY(a->MemoInfo->isReadOnly());
  QVERIFY(usage.startsWith("Usage : "));
  const qsizetype batch = usage.indexOf("How to convert multiple vobsub files at once. ");
  QVERIFY(batch > 0);
  QVERIFY(usage.indexOf("----") < batch);
  QVERIFY(usage.indexOf("'MyBatch.bat'") > batch);
  QCOMPARE(a->ButtonCheckVersion->text(), QString("Check Version"));
  QCOMPARE(a->ButtonMuxTool->text(), QString("Mux Vobsubs (Multilanguage support)"));
  QVERIFY(a->ButtonVisitSite->text().contains("kestrelpix.org"));

  // The links: the site button and the "Morvane" label share a handler.
  a->show();
  a->ButtonVisitSite->click();
  QTest::mouseClick(a->LabelMadeByMorvane, Qt::LeftButton);
  a->ButtonCheckVersion->click();
  a->ButtonMuxTool->click();
  QTest::mouseClick(a->ImageDonate, Qt::LeftButton);
  QCOMPARE(f.urls,
           QStringList({window::kSiteAddress, window::kSiteAddress, window::kDownloadAddress,
                        window::kMuxToolAddress, window::kDonateAddress}));
  QVERIFY(f.messages.isEmpty());
  // No browser to be had: the address is shown instead.
  f.browserOpens = false;
  a->ButtonCheckVersion->click();
  QCOMPARE(f.messages,
           QStringList({QString(window::kNoBrowserMessage) + "\n" + window::kDownloadAddress}));
  a->accept();

  // "Close", pressed by Enter as by Escape, wherever the focus is.
  QCOMPARE(a->ButtonClose->text(), QString("Close"));
  QVERIFY(a->ButtonClose->isDefault());
  QSignalSpy closes(a->ButtonClose, &QPushButton::clicked);
  a->show();
  QVERIFY(QTest::qWaitForWindowActive(a));
  QCOMPARE(QApplication::focusWidget(), a->ButtonClose);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QVERIFY(a->isHidden());
  QCOMPARE(a->result(), int(QDialog::Accepted));
  a->show();
  QVERIFY(QTest::qWaitForWindowActive(a));
  a->MemoInfo->setFocus();
  QTest::keyClick(a->MemoInfo, Qt::Key_Escape);
  QVERIFY(a->isHidden());
  QCOMPARE(closes.count(), 2);
}

void ControlsTest::keyboardMnemonicsAndListFocus() {
  WindowFixture f;
  QVERIFY(f.ShowAndActivate());
  TFormMain* w = f.main();
  // One letter for each button, no letter twice.
  const std::vector<std::pair<QPushButton*, Qt::Key>> buttons = {
      {w->ButtonLoadSrt, Qt::Key_L},
      {w->ButtonGenerate, Qt::Key_G},
      {w->ButtonBatch, Qt::Key_B},
      {w->ButtonColorOptions, Qt::Key_C},
      {w->BitBtnSetDefaultValues, Qt::Key_D},
      {w->BitBtnChangeImage, Qt::Key_I},
      {w->ButtonAbout, Qt::Key_A}};
  for (const auto& [button, key] : buttons) {
    QCOMPARE(QKeySequence::mnemonic(button->text()), QKeySequence(Qt::ALT | key));
  }

  // Alt+D is the defaults button: the size goes back to 20.
  WindowFixture::Pick(w->ComboBoxFontSize, 3);
  // (A mnemonic presses its button visibly: the click comes a moment later.)
  QTest::keyClick(w->windowHandle(), Qt::Key_D, Qt::AltModifier);
  QTRY_COMPARE(w->ComboBoxFontSize->currentText(), QString("20"));
  // Alt+B is "Add to Batch", refused with nothing loaded.
  QTest::keyClick(w->windowHandle(), Qt::Key_B, Qt::AltModifier);
  QTRY_COMPARE(f.messages, QStringList({"Load an srt"}));
  // Alt+L opens the subtitle dialog and loads what it answers.
  f.dialogAnswers.push_back(window::FromLocalPath(ExampleSubtitle()));
  QTest::keyClick(w->windowHandle(), Qt::Key_L, Qt::AltModifier);
  QTRY_VERIFY(w->State.SubtitleLoaded);
  QVERIFY(w->ListBoxPreview->count() > 0);

  // The entry list shows when it has the keyboard.
  w->ButtonGenerate->setFocus();
  QTRY_VERIFY(!w->ListBoxPreview->hasFocus());
  const QImage without = w->ListBoxPreview->grab().toImage();
  w->ListBoxPreview->setFocus();
  QTRY_VERIFY(w->ListBoxPreview->hasFocus());
  const QImage with = w->ListBoxPreview->grab().toImage();
  QVERIFY(without != with);
  // The mark is a frame in the highlight colour round the list.
  const QColor highlight = w->ListBoxPreview->palette().color(QPalette::Highlight);
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
  TFormMain* w = f.main();
  // A stored colour outside the list joins it under that name.
  w->JvColorButtonText->setColorValue(33023);
  QCOMPARE(w->JvColorButtonText->currentText(), QString("#FF8000"));
  QCOMPARE(w->JvColorButtonText->colorValue(), ColorValue(33023));

  // Every box is wide enough for its longest name beside the swatch.
  w->fillColorBoxes(w->JvColorButtonOutline, 0, true);
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w));
  for (window::TColorBox* box :
       {w->JvColorButtonAntialias, w->JvColorButtonOutline, w->JvColorButtonText}) {
    int widest = 0;
    for (int i = 0; i < box->count(); ++i) {
      widest = std::max(widest, box->fontMetrics().horizontalAdvance(box->itemText(i)));
    }
    QVERIFY2(box->width() >= widest + box->iconSize().width(), qPrintable(box->objectName()));
  }
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
