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
#include "app/window/about_dialog.h"
#include "app/window/color_box.h"
#include "app/window/main_window.h"
#include "app/window/palette_dialog.h"
#include "app/window/preview_image.h"
#include "base/errors.h"
#include "base/charset.h"
#include "job/headless_run.h"
#include "job/load_action.h"
#include "render/font_tables.h"
#include "render/text_decode.h"
#include "vobsub/palette.h"

namespace kestrelpix::window {

void MainWindow::LoadClicked() {
  // A cancelled dialog changes nothing, whatever was loaded before.
  if (!unattended_ && !subtitleDialog_.Execute(this)) return;

  listCharset_ = -1;
  try {
    LoadSubtitleFile(LocalPath(subtitleDialog_.fileName), document_, state_, *this);
  } catch (...) {
    // A file that cannot be read ends the load with its error; the caption
    // says "Loading" no longer.
    setWindowTitle(kMainCaption);
    PreviewAfterLoad();
    throw;
  }
  PreviewAfterLoad();
}

void MainWindow::PreviewAfterLoad() {
  // The first entry is selected: the preview shows it, or the sample text
  // when nothing was loaded. The sample's width says nothing of a refused
  // file, whose check stays as the load left it.
  const bool fits = state_.SubtitleFits;
  RefreshPreview();
  if (!state_.SubtitleLoaded) state_.SubtitleFits = fits;
}

void MainWindow::GenerateClicked() {
  progressBar_->setValue(0);
  // A press during a run arrives from the run's event handling: it is the
  // abort request, and the run ends after the entry in progress.
  if (running_) {
    stopRequested_ = true;
    state_.JobIdle = true;
    return;
  }
  state_.JobIdle = false;
  stopRequested_ = false;
  running_ = true;
  EnableInputs(false);
  framesShown_ = false;
  RunConversion(CurrentRunRequest(), fonts_, *this);
  // Closed during the run: now it closes. An unattended run ends the
  // program itself, with the run's status.
  if (std::exchange(closeAfterRun_, false) && !unattended_) close();
}

void MainWindow::Finished(const RunOutcome& outcome) {
  lastRun_ = outcome;
  running_ = false;
  state_.JobIdle = true;
  EnableInputs(true);
  // The run showed its frames in the preview; the preview shows the
  // selected entry over its picture again. (A run starts only when every
  // entry fits, so this draw finds it fitting too.)
  if (std::exchange(framesShown_, false)) RefreshPreview();
  if (lastRun_.Outcome == JobOutcome::Aborted) ShowMessage(AbortedMessage());
  if (lastRun_.Outcome == JobOutcome::Completed && !unattended_) {
    ShowMessage(lastRun_.HelpText);
  }
}

std::string MainWindow::AbortedMessage() const {
  const int n = lastRun_.Entries;
  const std::string entries = n == 1 ? "1 entry" : std::to_string(n) + " entries";
  return "Operation Aborted\rThe shorter pair left holds " + entries + ": " + lastRun_.Names.Index +
         " and " + lastRun_.Names.Sub;
}

RunRequest MainWindow::CurrentRunRequest() {
  const std::string input = LocalPath(subtitleDialog_.fileName);
  const RenderSettings chosen = ReadRenderSettings();
  RunRequest request;
  request.Names = PairNames::ForInput(input);
  RunStream& stream = request.Streams.emplace_back();
  stream.Doc = state_.SubtitleLoaded ? document_.get() : nullptr;
  stream.Fits = state_.SubtitleFits;
  stream.Input = input;
  stream.Language = chosen.Language;
  stream.Drawing = SettingsForText(chosen, stream.Doc);
  request.Settings = stream.Drawing;
  return request;
}

void MainWindow::BatchClicked() {
  if (!state_.SubtitleLoaded) {
    ShowMessage("Load an srt");
    return;
  }
  if (!state_.SubtitleFits) {
    ShowMessage("Please use smaller fonts.");
    return;
  }
  // Asked once; later jobs go to the same file.
  if (batchDialog_.fileName.isEmpty()) batchDialog_.Execute(this);
  if (batchDialog_.fileName.isEmpty()) return;

  // A name typed without ".bat" gets it; an existing batch file chosen in
  // the dialog is appended to under its own name.
  QString batchFile = batchDialog_.fileName;
  if (!batchFile.endsWith(".bat", Qt::CaseInsensitive)) batchFile += ".bat";
  const std::string path = LocalPath(batchFile);
  // Every choice goes on the line, the palette mode and wrapping included,
  // so the batch converts as this window would.
  AppendToBatchFile(path, BatchLine(RunningProgramFolder(), LocalPath(subtitleDialog_.fileName),
                                    CurrentPositions()));
  ShowMessage("Job added to Batch file: " + path);
}

void MainWindow::PaletteClicked() {
  if (paletteDialog_ != nullptr) paletteDialog_->exec();
}

void MainWindow::AboutClicked() {
  if (aboutDialog_ != nullptr) aboutDialog_->exec();
}

// --- first activation and the unattended run ------------------------------

void MainWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) SettleFrame();
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !activated_) {
    // Run after the activation is complete, from the event loop, so that a
    // long unattended generation does not run inside the window system's
    // activation handling.
    QMetaObject::invokeMethod(
        this, [this] { Guarded(&MainWindow::HandleActivation); }, Qt::QueuedConnection);
  }
}

void MainWindow::HandleActivation() {
  // Only the first activation after start-up does anything; coming back
  // from the modal windows, message boxes and dialogs does not.
  if (activated_) return;
  activated_ = true;
  if (!settingsNote_.empty()) ShowNote(std::exchange(settingsNote_, {}));
  LoadPreviewBackground();
  // Text is drawn by the program's own aliased rasterizer, so the desktop's
  // font smoothing changes nothing in the preview or the output.
  if (unattended_) {
    UnattendedRun();
  } else {
    FirstActivationRestore();
    // The sample text over the picture, in the restored settings.
    RefreshPreview();
  }
}

void MainWindow::FirstActivationRestore() {
  if (paletteDialog_ == nullptr) return;
  // The palette mode first, then the colour lists of that mode, then this
  // window's settings again, so stored colours are found in those lists.
  paletteDialog_->RestoreStorage();
  const bool safe = paletteDialog_->PaletteModeChoice() == PaletteMode::SafePalette;
  FillColorBox(antialiasColorBox_, kAntialiasDefaultIndex, safe);
  FillColorBox(outlineColorBox_, kOutlineDefaultIndex, safe);
  FillColorBox(textColorBox_, kTextDefaultIndex, safe);
  // The window stays where it is: it was placed before it was shown, and
  // moving a window the window manager is still framing misplaces it.
  RestoreStorage(false);
}

namespace {

// A colour position from the command line, in the list the palette mode
// filled.
void SelectColorPosition(ColorBox* box, int position, int parameter) {
  if (!box->SetItemIndex(position)) {
    throw Error(ParameterOutsideListMessage(parameter, position, box->count()) + ".");
  }
}

}  // namespace

void MainWindow::UnattendedRun() {
  // The program ends after every run, with a status the batch can test: a
  // refusal or an error ends it once its message has been read.
  const bool ran = RunGuarded([this] { UnattendedSteps(); });
  RequestTerminate(ran ? ExitStatusFor(lastRun_.Outcome) : 1);
}

void MainWindow::UnattendedSteps() {
  // 1. Nothing of the command line reaches the settings file.
  if (formStorage_) formStorage_->Active = false;
  if (paletteDialog_ != nullptr) paletteDialog_->StopStoring();
  const kestrelpix::CommandLineValues& values = *commandLine_;
  // 2. The load action takes its file from the dialog.
  subtitleDialog_.fileName = FromLocalPath(values[0]);
  // 3. List positions (no change handlers) and slider positions (which run
  // theirs). A position outside its list leaves the list without selection.
  ControlPositions p = PositionsFromCommandLine(values);
  // A position outside its list is refused here, naming the parameter, as
  // the command-line tool refuses it (the colours are checked at step 7).
  std::vector<std::string> fonts;
  for (int i = 0; i < fontNameBox_->count(); ++i) {
    fonts.push_back(LocalPath(fontNameBox_->itemText(i)));
  }
  SettingsFromPositions(p, fonts);
  // The line's choices over the restored ones: a line without its
  // sixteenth parameter wraps as the stored setting says.
  ApplySettings(FromPositions(p, ControlSettings()));
  // 4. The palette mode.
  if (paletteDialog_ != nullptr) paletteDialog_->SetPaletteModeChoice(p.Palette);
  // 5. Load (no dialog, no success message).
  LoadClicked();
  // 6. The colour lists of the mode, and a preview refresh.
  if (paletteDialog_ != nullptr) paletteDialog_->ApplyPaletteMode();
  // 7. Colours by position in those lists; each change redraws.
  ColorPositionsFromCommandLine(values, p);
  SelectColorPosition(antialiasColorBox_, p.AntialiasColor, 10);
  ColorChanged();
  SelectColorPosition(outlineColorBox_, p.OutlineColor, 11);
  ColorChanged();
  SelectColorPosition(textColorBox_, p.TextColor, 12);
  ColorChanged();
  // 8. Generate.
  GenerateClicked();
}

void MainWindow::HandleClose() {
  // Nothing of the desktop was changed, so nothing is restored here.
}

void MainWindow::HandleDestroy() {
  // As HandleClose: nothing of the desktop to restore.
  destroyed_ = true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing during a run stops it as "Abort" would: the entry in progress
  // is finished and both files are closed; the window says what was left
  // and then closes.
  if (running_) {
    stopRequested_ = true;
    state_.JobIdle = true;
    closeAfterRun_ = true;
    event->ignore();
    return;
  }
  HandleClose();
  SaveStorage();
  event->accept();
}

void MainWindow::SetPaletteDialog(PaletteDialog* dialog) {
  paletteDialog_ = dialog;
  if (dialog != nullptr) {
    connect(dialog, &PaletteDialog::PaletteModeApplied, this, &MainWindow::PaletteModeApplied);
  }
}

void MainWindow::PaletteModeApplied(PaletteMode mode) {
  const bool safe = mode == PaletteMode::SafePalette;
  FillColorBox(antialiasColorBox_, kAntialiasDefaultIndex, safe);
  FillColorBox(outlineColorBox_, kOutlineDefaultIndex, safe);
  FillColorBox(textColorBox_, kTextDefaultIndex, safe);
  CharsetChanged();
}

// --- The front end of the load, the fit check and the run -----------------

void MainWindow::LoadStarted(const std::string& fileName) {
  fileNameEdit_->setText("Load SRT");
  loadNote_.clear();
  if (fileName.empty()) return;
  setWindowTitle("Kestrelpix By Morvane Loading Subtitle...");
  ClearEntryList();
}

void MainWindow::Loaded(const SubtitleDocument& doc, const std::vector<std::string>& notes) {
  if (unattended_) {
    // An unattended run shows no box for what the load noted: stderr, as
    // the command-line tool writes it.
    for (const std::string& note : notes) std::fprintf(stderr, "warning: %s\n", note.c_str());
  } else {
    // Below the success message.
    for (const std::string& note : notes) loadNote_ += (loadNote_.empty() ? "" : "\r") + note;
    // A charset chosen for an earlier file goes on reading the next ones:
    // the window says so at every load it decides.
    const uint8_t chosen = ReadRenderSettings().FontCharset;
    const uint8_t used = CharsetForText(chosen, &doc);
    constexpr uint8_t kDefault = CharsetCode(CharsetId::kDefault);
    if (chosen != kDefault && used != kDefault) {
      loadNote_ += (loadNote_.empty() ? "" : "\r") + ChosenCharsetNote(used);
    }
  }
  const int count = doc.LineCount();
  if (count == 0) return;
  const QSignalBlocker blocker(entryList_);
  // Rows are listed as the preview draws them: in the chosen charset, or
  // with DEFAULT in the code page detected.
  listCharset_ = DrawSettings().FontCharset;
  for (int i = 1; i <= count; ++i) entryList_->addItem(EntryRowText(ListRowText(doc.LineView(i))));
  entryList_->setCurrentRow(0);
}

void MainWindow::LoadRefused() { ClearEntryList(); }

void MainWindow::AllEntriesFit() {
  if (!unattended_) {
    ShowMessage(std::string("Subtitle Style Modified/Loaded Successfully") +
                (loadNote_.empty() ? "" : "\r" + loadNote_));
  }
  loadNote_.clear();
  fileNameEdit_->setText(subtitleDialog_.fileName);
}

void MainWindow::LoadEnded() { setWindowTitle(kMainCaption); }

void MainWindow::ClearEntryList() {
  const QSignalBlocker blocker(entryList_);
  entryList_->clear();
  listCharset_ = -1;
}

QString MainWindow::EntryRowText(const std::string& row) const {
  return QString::fromStdString(EncodeUtf8(DecodeText(row, static_cast<uint8_t>(listCharset_))));
}

void MainWindow::RefillEntryList() {
  if (!document_ || entryList_->count() != document_->LineCount()) return;
  listCharset_ = DrawSettings().FontCharset;
  for (int i = 0; i < entryList_->count(); ++i) {
    entryList_->item(i)->setText(EntryRowText(ListRowText(document_->LineView(i + 1))));
  }
}

void MainWindow::Warn(std::string_view text) {
  if (unattended_) {
    StderrMessageSink().Warn(text);
  } else {
    window::ShowMessage(text);
  }
}

void MainWindow::Progress(int done, int total) {
  QCoreApplication::processEvents();
  if (stopRequested_) return;
  progressBar_->setRange(0, total - 1);
  progressBar_->setValue(done);
}

void MainWindow::FrameDrawn(const IndexFrame& frame) {
  FrameBitmap picture;
  PaintPicture(frame, picture);
  preview_->SetPicture(std::move(picture));
  previewRow_ = -1;
  framesShown_ = true;
}

void MainWindow::RequestTerminate(int status) {
  terminateRequested_ = true;
  terminateStatus_ = status;
  emit TerminateApplication(status);
}

}  // namespace kestrelpix::window
