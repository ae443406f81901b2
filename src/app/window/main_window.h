// The main window: every conversion setting as a control, the entry list,
// the preview and the action buttons. The controls show a Settings value
// (app/settings_model.h): the settings file is saved from it and restored
// into it, and the batch line takes its list positions from it. The window
// is the load's and the run's front end: it shows their events in its
// caption, file name box, entry list and message boxes.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/form_storage.h"
#include "app/ini_file.h"
#include "app/settings_model.h"
#include "app/window/platform.h"
#include "base/app_state.h"
#include "job/front_end.h"
#include "render/render_settings.h"
#include "render/subpicture.h"
#include "subtitle/subtitle_document.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSlider;

namespace kestrelpix::window {

class ColorBox;
class AboutDialog;
class PaletteDialog;
class PreviewImage;

class MainWindow : public QWidget, private FrontEnd {
  Q_OBJECT

 public:
  // args: the program's arguments after its name (for the command-line
  // detection); settingsFile: the settings file to read now and to write
  // when the window is destroyed.
  MainWindow(std::vector<std::string> args, std::string settingsFile, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The secondary windows, created after this one (start-up order).
  void SetAboutDialog(AboutDialog* about) { aboutDialog_ = about; }
  // The palette dialog reports a newly applied mode by its signal.
  void SetPaletteDialog(PaletteDialog* dialog);

  // Group "Input".
  QGroupBox* inputGroup_;
  QLineEdit* fileNameEdit_;
  QPushButton* loadButton_;
  QComboBox* fpsBox_;
  // Group "Output".
  QGroupBox* outputGroup_;
  QComboBox* languageBox_;
  // Group "Render Fonts".
  QGroupBox* fontGroup_;
  QComboBox* fontNameBox_;
  QComboBox* charsetBox_;
  QComboBox* fontStyleBox_;
  QComboBox* fontSizeBox_;
  QComboBox* alignBox_;
  QSlider* bottomOffsetSlider_;
  QSlider* lineSpacingSlider_;
  QLabel* lineSpacingCaption_;
  QLabel* bottomOffsetLabel_;
  QLabel* lineSpacingLabel_;
  QComboBox* outlineWidthBox_;
  // Off: entries are drawn as the file has them; on: too wide ones are
  // wrapped into two even lines.
  QCheckBox* wrapLinesBox_;
  // Group "Colors".
  QGroupBox* colorsGroup_;
  ColorBox* antialiasColorBox_;
  ColorBox* outlineColorBox_;
  ColorBox* textColorBox_;
  QPushButton* paletteButton_;
  // Group "General Settings".
  QGroupBox* settingsGroup_;
  QPushButton* defaultsButton_;
  QPushButton* changeImageButton_;
  QPushButton* aboutButton_;
  // Outside the groups.
  QProgressBar* progressBar_;
  QPushButton* generateButton_;
  QPushButton* batchButton_;
  QListWidget* entryList_;
  PreviewImage* preview_;
  // The preview pictures the user chose, as the dialogs name them (empty:
  // the built-in ones).
  QString palPicture_;
  QString ntscPicture_;

  // The window's dialogs; their file names persist while the program runs.
  OpenDialog subtitleDialog_;
  OpenDialog palPictureDialog_;
  OpenDialog ntscPictureDialog_;
  OpenDialog batchDialog_;

  // The settings store: one in-memory copy of the file for both windows.
  IniFile settingsStore_;
  std::unique_ptr<FormStorage> formStorage_;
  const std::string& SettingsFile() const { return settingsFile_; }

  // Application-wide flags and the loaded document.
  AppState state_;
  std::unique_ptr<SubtitleDocument> document_;
  // Parameters 1 to 15 when started with an acceptable command line.
  std::optional<kestrelpix::CommandLineValues> commandLine_;

  // The current settings, read afresh from the controls, with the charset as
  // chosen. Named system colours are resolved through the application
  // palette.
  RenderSettings ReadRenderSettings() override;
  // The same with the charset that decodes the loaded document's text: the
  // settings the preview draws with.
  RenderSettings DrawSettings();
  // The controls as list and slider positions (batch lines).
  ControlPositions CurrentPositions() const;
  // The choices the controls show now (controls to model), and showing a
  // model's choices in the controls (model to controls), in the order the
  // settings file lists them.
  Settings ControlSettings() const;
  void ApplySettings(const Settings& settings);
  // The model the settings file is saved from and restored into.
  const Settings& CurrentSettings() const { return settings_; }
  PaletteMode CurrentPaletteMode() const;

  // Sizes the preview for the frame rate and loads its background picture.
  void LoadPreviewBackground();
  // Redraws the preview with the entry laid out and placed as it is
  // converted, over a fresh background; sets SubtitleFits by the width
  // check.
  void RenderPreview(const ShownEntry& shown, const RenderSettings& settings);
  // Re-fills a colour box with the palette mode's list and selects `index`.
  void FillColorBox(ColorBox* box, int index, bool safe);
  // A palette mode applied in the palette dialog: the three colour boxes
  // get the mode's lists with their default entries, and the preview is
  // drawn again.
  void PaletteModeApplied(PaletteMode mode);
  // Disables the settings while a generation runs.
  void EnableInputs(bool enabled);

  // Placement of this window for the settings file, and applying a
  // restored one: the stored frame rectangle, moved onto a screen.
  WindowPlacement CurrentPlacement() const;
  void ApplyPlacement(const RestoredPlacement& placement);
  // Restores this window from the store (when its storage is active); the
  // placement only when asked, since a window already on the screen is
  // where the user left it.
  void RestoreStorage(bool withPlacement = true);
  // The frame rectangle chosen for the window: centred on the first start,
  // the restored one later.
  QRect WantedFrame() const { return wantedFrame_; }

  // The stored settings and placement are restored just before the window
  // is first shown, while the window system has not placed it yet.
  void setVisible(bool visible) override;
  // Writes the in-memory copy to the settings file, unless it is read-only.
  void WriteSettingsFile();

  // True once an unattended run asked the program to end, and the exit
  // status it asked for: 0 after a complete run, 1 after a refusal or an
  // error, 130 after "Abort".
  bool TerminateRequested() const { return terminateRequested_; }
  int TerminateStatus() const { return terminateStatus_; }
  // True while HandleActivation's one-time work is still to come.
  bool FirstActivationPending() const { return !activated_; }
  JobOutcome LastJobOutcome() const { return lastRun_.Outcome; }
  // Started from a batch line: the run goes without dialogs and ends the
  // program.
  bool Unattended() const { return unattended_; }
  // How the last generation run ended, with its outputs.
  const RunOutcome& LastRun() const { return lastRun_; }

 public slots:
  // The default choices; byButton: the defaults button, which also drops
  // the chosen pictures and the palette mode (the other windows exist by
  // then), rather than the window's creation.
  void SetDefaults(bool byButton);
  void HandleActivation();
  void HandleClose();
  void HandleDestroy();

  void LoadClicked();
  void FpsChanged();
  void FontChanged();
  void CharsetChanged();
  void WrapLinesClicked();
  void BottomOffsetChanged();
  void LineSpacingChanged();
  void EntrySelected();
  void ColorChanged();
  void PaletteClicked();
  void ChangeImageClicked();
  void AboutClicked();
  void GenerateClicked();
  void BatchClicked();

 signals:
  // An unattended run has ended and asks the program to end with `status`.
  void TerminateApplication(int status);

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The controls, group by group, and the window's layout of them.
  void CreateControls();
  void CreateInputGroup();
  void CreateOutputGroup();
  void CreateFontGroup();
  void CreateColorsGroup();
  void CreateSettingsGroup();
  // The entry list, the progress bar, the two action buttons and the
  // preview.
  void CreateSideControls();
  void LayOutControls();
  void ConnectHandlers();
  void CreateStorage();
  // Saves the choices and placement into the in-memory copy (when the
  // storage is active).
  void SaveStorage();
  void SampleRender();
  void EntryRender();
  // The preview of what the window shows now: the selected entry while a
  // subtitle is loaded, the sample text otherwise.
  void RefreshPreview();
  void PreviewAfterLoad();
  // A click in the entry list: the entry clicked, also when it was already
  // selected and the preview shows something else.
  void EntryClicked();
  // The entry list's rows again, decoded with the charset the preview now
  // draws with.
  void RefillEntryList();
  QString EntryRowText(const std::string& row) const;
  void UnattendedRun();
  void UnattendedSteps();
  void FirstActivationRestore();
  // Puts the frame at `frame`: before the window is on the screen by its
  // position alone (the window manager places the frame there), later with
  // the frame's real size.
  void PlaceFrame(const QRect& frame);
  // Once the window manager has framed the window, gives the frame exactly
  // the wanted size.
  void SettleFrame();
  // A slot body run under the general error handler.
  void Guarded(void (MainWindow::*handler)());

  // The front end of the load, the fit check and the generation run.
  Fonts& GetFonts() override { return fonts_; }
  // Messages are message boxes. Texts may carry subtitle bytes in the
  // system code page; they are shown as the system reads them.
  void ShowMessage(std::string_view text) override { window::ShowMessage(text); }
  // A warning is a message box too, except in an unattended run, where a box
  // would wait for a press that nobody makes: there it goes to stderr.
  void Warn(std::string_view text) override;
  // The load as the window shows it: "Load SRT" in the file name box while
  // nothing is loaded, the caption while reading, the entry list, and the
  // success message with what the load noted below it (on stderr in an
  // unattended run, which shows no success message).
  void LoadStarted(const std::string& fileName) override;
  void Loaded(const SubtitleDocument& doc, const std::vector<std::string>& notes) override;
  void LoadRefused() override;
  void AllEntriesFit() override;
  void LoadEnded() override;
  void ClearEntryList();
  std::string WrapHint() const override { return "tick \"Wrap long lines\""; }
  // The run's progress, shown on the bar; the window's events are handled
  // here, once per entry, so that "Abort" can be pressed.
  void Progress(int done, int total) override;
  bool ShouldStop() override { return stopRequested_; }
  void FrameDrawn(const IndexFrame& frame) override;
  void Finished(const RunOutcome& outcome) override;
  void RequestTerminate(int status);
  // What "Abort" or closing the window left: "Operation Aborted" and the
  // shorter pair's size and names.
  std::string AbortedMessage() const;
  // The run of the loaded document with the settings shown.
  RunRequest CurrentRunRequest();

  std::vector<std::string> args_;
  std::string settingsFile_;
  // Why the settings file was not read, told at the first activation.
  std::string settingsNote_;
  AboutDialog* aboutDialog_ = nullptr;
  PaletteDialog* paletteDialog_ = nullptr;
  // The fonts of the preview, the fit check and the generation run.
  Fonts fonts_;
  // The charset the entry list shows the document's rows in, the one the
  // preview draws with; decided at the first row of a load (-1 until then).
  int listCharset_ = -1;
  // The list row the preview was last drawn for with the current picture
  // (-1: the sample text, a bare picture or a frame of the run).
  int previewRow_ = -1;
  bool running_ = false;        // a generation run is in progress
  bool stopRequested_ = false;  // "Abort" was pressed (or the window closed) during it
  bool closeAfterRun_ = false;  // the window was closed during the run
  bool framesShown_ = false;    // the run's frames replaced the preview's picture
  RunOutcome lastRun_;
  bool activated_ = false;
  bool shownOnce_ = false;
  bool settled_ = false;
  QRect wantedFrame_;
  bool terminateRequested_ = false;
  int terminateStatus_ = 0;
  bool destroyed_ = false;
  // Started with the fifteen command-line parameters: no dialogs, no
  // success messages.
  bool unattended_ = false;
  // The choices as last saved or restored.
  Settings settings_;
  // What the load noted, shown below its success message.
  std::string loadNote_;
};

// The generate button's captions, with their keyboard mnemonics ("&").
inline constexpr const char* kGenerateCaption = "&Generate Vobsub";
inline constexpr const char* kAbortCaption = "&Abort";

// Window captions.
inline constexpr const char* kMainCaption = "Kestrelpix By Morvane";
inline constexpr const char* kCheckingCaption = "Kestrelpix By Morvane Checking Subtitle Length...";

// The sample text of the preview while nothing is loaded.
inline constexpr const char* kSampleLine1 = "Seashore.";
inline constexpr const char* kSampleLine2 = "Ocean Harbor";

}  // namespace kestrelpix::window
