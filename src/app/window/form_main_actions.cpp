// The main window's actions: loading, generating, "Add to Batch", the
// secondary windows, and the first activation with its unattended run.
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <utility>

#include "app/settings_location.h"
#include "app/window/color_box.h"
#include "app/window/form_about.h"
#include "app/window/form_color_options.h"
#include "app/window/form_main.h"
#include "app/window/preview_image.h"
#include "base/errors.h"
#include "job/headless_run.h"
#include "job/load_action.h"
#include "render/font_tables.h"
#include "render/text_decode.h"
#include "vobsub/palette.h"

namespace kestrelpix::window {

void TFormMain::ButtonLoadSrtClick() {
  // A cancelled dialog changes nothing, whatever was loaded before.
  if (!State.CommandLineMode && !OpenDialogsub.Execute(this)) return;

  listCharset_ = -1;
  try {
    LoadSubtitleFile(LocalPath(OpenDialogsub.fileName), CurrentSubtitle, State, *this);
  } catch (...) {
    // A file that cannot be read ends the load with its error; the caption
    // says "Loading" no longer.
    setWindowTitle(kMainCaption);
    PreviewAfterLoad();
    throw;
  }
  PreviewAfterLoad();
}

void TFormMain::PreviewAfterLoad() {
  // The first entry is selected: the preview shows it, or the sample text
  // when nothing was loaded. The sample's width says nothing of a refused
  // file, whose check stays as the load left it.
  const bool fits = State.SubtitleFits;
  RefreshPreview();
  if (!State.SubtitleLoaded) State.SubtitleFits = fits;
}

void TFormMain::ButtonGenerateClick() {
  ProgressBar1->setValue(0);
  // A press during a run arrives from the run's event handling: it is the
  // abort request, and the run ends after the entry in progress.
  if (running_) {
    stopRequested_ = true;
    State.JobIdle = true;
    return;
  }
  State.JobIdle = false;
  stopRequested_ = false;
  running_ = true;
  EnableInputs(false);
  framesShown_ = false;
  lastRun_ = RunConversion(CurrentRunRequest(), fonts_, *this);
  running_ = false;
  State.JobIdle = true;
  EnableInputs(true);
  // The run showed its frames in the preview; the preview shows the
  // selected entry over its picture again. (A run starts only when every
  // entry fits, so this draw finds it fitting too.)
  if (std::exchange(framesShown_, false)) RefreshPreview();
  if (lastRun_.Outcome == JobOutcome::Aborted) ShowMessage(AbortedMessage());
  if (lastRun_.Outcome == JobOutcome::Completed && !State.CommandLineMode) {
    ShowMessage(lastRun_.HelpText);
  }
  // Closed during the run: now it closes. An unattended run ends the
  // program itself, with the run's status.
  if (std::exchange(closeAfterRun_, false) && !State.CommandLineMode) close();
}

std::string TFormMain::AbortedMessage() const {
  const int n = lastRun_.Entries;
  const std::string entries = n == 1 ? "1 entry" : std::to_string(n) + " entries";
  return "Operation Aborted\rThe shorter pair left holds " + entries + ": " + lastRun_.Names.Index +
         " and " + lastRun_.Names.Sub;
}

RunRequest TFormMain::CurrentRunRequest() {
  const std::string input = LocalPath(OpenDialogsub.fileName);
  const RenderSettings chosen = ReadRenderSettings();
  RunRequest request;
  request.Names = PairNames::BesideInput(input);
  RunStream& stream = request.Streams.emplace_back();
  stream.Doc = State.SubtitleLoaded ? CurrentSubtitle.get() : nullptr;
  stream.Fits = State.SubtitleFits;
  stream.Input = input;
  stream.Language = chosen.Language;
  stream.Drawing = SettingsForText(chosen, stream.Doc);
  request.Settings = stream.Drawing;
  return request;
}

void TFormMain::ButtonBatchClick() {
  if (!State.SubtitleLoaded) {
    ShowMessage("Load an srt");
    return;
  }
  if (!State.SubtitleFits) {
    ShowMessage("Please use smaller fonts.");
    return;
  }
  // Asked once; later jobs go to the same file.
  if (OpenDialogBat.fileName.isEmpty()) OpenDialogBat.Execute(this);
  if (OpenDialogBat.fileName.isEmpty()) return;

  // A name typed without ".bat" gets it; an existing batch file chosen in
  // the dialog is appended to under its own name.
  QString batchFile = OpenDialogBat.fileName;
  if (!batchFile.endsWith(".bat", Qt::CaseInsensitive)) batchFile += ".bat";
  const std::string path = LocalPath(batchFile);
  // Every choice goes on the line, the palette mode and wrapping included,
  // so the batch converts as this window would.
  AppendToBatchFile(path, BatchLine(RunningProgramFolder(), LocalPath(OpenDialogsub.fileName),
                                    CurrentPositions()));
  ShowMessage("Job added to Batch file: " + path);
}

void TFormMain::ButtonColorOptionsClick() {
  if (FormColorOptions != nullptr) FormColorOptions->exec();
}

void TFormMain::ButtonAboutClick() {
  if (FormAbout != nullptr) FormAbout->exec();
}

// --- first activation and the unattended run ------------------------------

void TFormMain::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) SettleFrame();
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !activated_) {
    // Run after the activation is complete, from the event loop, so that a
    // long unattended generation does not run inside the window system's
    // activation handling.
    QMetaObject::invokeMethod(
        this, [this] { Guarded(&TFormMain::FormActivate); }, Qt::QueuedConnection);
  }
}

void TFormMain::FormActivate() {
  // Only the first activation after start-up does anything; coming back
  // from the modal windows, message boxes and dialogs does not.
  if (activated_) return;
  activated_ = true;
  if (!settingsNote_.empty()) ShowNote(std::exchange(settingsNote_, {}));
  LoadPreviewBackground();
  // Text is drawn by the program's own aliased rasterizer, so the desktop's
  // font smoothing changes nothing in the preview or the output.
  if (State.CommandLineMode) {
    UnattendedRun();
  } else {
    FirstActivationRestore();
    // The sample text over the picture, in the restored settings.
    RefreshPreview();
  }
}

void TFormMain::FirstActivationRestore() {
  if (FormColorOptions == nullptr) return;
  // The palette mode first, then the colour lists of that mode, then this
  // window's settings again, so stored colours are found in those lists.
  FormColorOptions->RestoreStorage();
  const bool safe = FormColorOptions->RadioButtonPCDVD2->isChecked();
  fillColorBoxes(JvColorButtonAntialias, kAntialiasDefaultIndex, safe);
  fillColorBoxes(JvColorButtonOutline, kOutlineDefaultIndex, safe);
  fillColorBoxes(JvColorButtonText, kTextDefaultIndex, safe);
  // The window stays where it is: it was placed before it was shown, and
  // moving a window the window manager is still framing misplaces it.
  RestoreStorage(false);
}

namespace {

// A colour position from the command line, in the list the palette mode
// filled.
void SelectColorPosition(TColorBox* box, int position, int parameter) {
  if (!box->setItemIndex(position)) {
    throw Error(ParameterOutsideListMessage(parameter, position, box->count()) + ".");
  }
}

}  // namespace

void TFormMain::UnattendedRun() {
  // The program ends after every run, with a status the batch can test: a
  // refusal or an error ends it once its message has been read.
  const bool ran = RunGuarded([this] { UnattendedSteps(); });
  RequestTerminate(ran ? ExitStatusFor(lastRun_.Outcome) : 1);
}

void TFormMain::UnattendedSteps() {
  // 1. Nothing of the command line reaches the settings file.
  if (JvFormStorage) JvFormStorage->Active = false;
  if (FormColorOptions != nullptr && FormColorOptions->JvFormStorage) {
    FormColorOptions->JvFormStorage->Active = false;
  }
  const kestrelpix::CommandLineValues& values = *CommandLineValues;
  // 2. The load action takes its file from the dialog.
  OpenDialogsub.fileName = FromLocalPath(values[0]);
  // 3. List positions (no change handlers) and slider positions (which run
  // theirs). A position outside its list leaves the list without selection.
  ControlPositions p = PositionsFromCommandLine(values);
  // A position outside its list is refused here, naming the parameter, as
  // the command-line tool refuses it (the colours are checked at step 7).
  std::vector<std::string> fonts;
  for (int i = 0; i < ComboBoxFontName->count(); ++i) {
    fonts.push_back(LocalPath(ComboBoxFontName->itemText(i)));
  }
  SettingsFromPositions(p, fonts);
  ComboBoxFontName->setCurrentIndex(p.FontName);
  ComboBoxFontCharset->setCurrentIndex(p.FontCharset);
  ComboBoxFontStyle->setCurrentIndex(p.FontStyle);
  ComboBoxFontSize->setCurrentIndex(p.FontSize);
  ComboBoxAlign->setCurrentIndex(p.Align);
  offset->setValue(p.offset);
  offset_or->setValue(p.offset_or);
  ComboBoxOutlineWidth->setCurrentIndex(p.OutlineWidth);
  ComboBoxVobsubLanguage->setCurrentIndex(p.Language);
  ComboBoxFps->setCurrentIndex(p.Fps);
  // A line without its sixteenth parameter wraps as the stored setting says.
  if (p.WrapLines) CheckBoxWrapLines->setChecked(*p.WrapLines);
  // 4. The palette mode.
  if (FormColorOptions != nullptr) FormColorOptions->SetPaletteModeChoice(p.Palette);
  // 5. Load (no dialog, no success message).
  ButtonLoadSrtClick();
  // 6. The colour lists of the mode, and a preview refresh.
  if (FormColorOptions != nullptr) FormColorOptions->ApplyPaletteMode(this);
  // 7. Colours by position in those lists; each change redraws.
  ColorPositionsFromCommandLine(values, p);
  SelectColorPosition(JvColorButtonAntialias, p.AntialiasColor, 10);
  JvColorButtonAntialiasChange();
  SelectColorPosition(JvColorButtonOutline, p.OutlineColor, 11);
  JvColorButtonAntialiasChange();
  SelectColorPosition(JvColorButtonText, p.TextColor, 12);
  JvColorButtonAntialiasChange();
  // 8. Generate.
  ButtonGenerateClick();
}

void TFormMain::FormClose() {
  // Nothing of the desktop was changed, so nothing is restored here.
}

void TFormMain::FormDestroy() {
  // As FormClose: nothing of the desktop to restore.
  destroyed_ = true;
}

void TFormMain::closeEvent(QCloseEvent* event) {
  // Closing during a run stops it as "Abort" would: the entry in progress
  // is finished and both files are closed; the window says what was left
  // and then closes.
  if (running_) {
    stopRequested_ = true;
    State.JobIdle = true;
    closeAfterRun_ = true;
    event->ignore();
    return;
  }
  FormClose();
  if (JvFormStorage && JvFormStorage->Active) JvFormStorage->Save(CurrentPlacement());
  event->accept();
}

// --- The front end of the load, the fit check and the run -----------------

void TFormMain::SetFileNameText(const std::string& text) {
  EditLoadSrt->setText(FromLocalPath(text));
}

void TFormMain::ShowLoadedFileName() { EditLoadSrt->setText(OpenDialogsub.fileName); }

void TFormMain::SetCaption(const std::string& text) {
  setWindowTitle(QString::fromStdString(text));
}

void TFormMain::ClearEntryList() {
  const QSignalBlocker blocker(ListBoxPreview);
  ListBoxPreview->clear();
  listCharset_ = -1;
}

QString TFormMain::EntryRowText(const std::string& row) const {
  return QString::fromStdString(EncodeUtf8(DecodeText(row, static_cast<uint8_t>(listCharset_))));
}

void TFormMain::AddEntryRow(const std::string& row) {
  const QSignalBlocker blocker(ListBoxPreview);
  // Rows are listed as the preview draws them: in the chosen charset, or
  // with DEFAULT in the code page detected. Decided at the first row, once
  // the document is read.
  if (listCharset_ < 0) listCharset_ = DrawSettings().FontCharset;
  ListBoxPreview->addItem(EntryRowText(row));
}

void TFormMain::RefillEntryList() {
  if (!CurrentSubtitle || ListBoxPreview->count() != CurrentSubtitle->LineCount()) return;
  listCharset_ = DrawSettings().FontCharset;
  for (int i = 0; i < ListBoxPreview->count(); ++i) {
    ListBoxPreview->item(i)->setText(EntryRowText(ListRowText(CurrentSubtitle->LineView(i + 1))));
  }
}

void TFormMain::SelectEntryRow(int row) {
  const QSignalBlocker blocker(ListBoxPreview);
  ListBoxPreview->setCurrentRow(row);
}

// An unattended run shows no box for what the load noted: stderr, as the
// command-line tool writes it.
void TFormMain::WriteNote(const std::string& note) {
  std::fprintf(stderr, "warning: %s\n", note.c_str());
}

void TFormMain::Warn(std::string_view text) {
  if (State.CommandLineMode) {
    StderrMessageSink().Warn(text);
  } else {
    window::ShowMessage(text);
  }
}

void TFormMain::Progress(int done, int total) {
  QCoreApplication::processEvents();
  if (stopRequested_) return;
  ProgressBar1->setRange(0, total - 1);
  ProgressBar1->setValue(done);
}

void TFormMain::FrameDrawn(const IndexFrame& frame) {
  FrameBitmap picture;
  PaintPicture(frame, picture);
  preview->SetPicture(std::move(picture));
  previewRow_ = -1;
  framesShown_ = true;
}

void TFormMain::RequestTerminate(int status) {
  terminateRequested_ = true;
  terminateStatus_ = status;
  emit TerminateApplication(status);
}

}  // namespace kestrelpix::window
