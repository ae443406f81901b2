// The colour options window: the choice of palette mode, which decides the
// colour lists of the main window's three colour boxes and the palette the
// index receives. The choice lives in the four radio buttons.
#pragma once

#include <QDialog>
#include <memory>

#include "app/form_storage.h"
#include "app/ini_file.h"
#include "render/render_settings.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kestrelpix::window {

// The download address of the IFO file some DVD players need.
inline constexpr const char* kIfoDownloadAddress =
    "https://kestrelpix.org/download/kestrelpix-ifo.zip";

class PaletteDialog : public QDialog {
  Q_OBJECT

 public:
  // A dialog of `parent` (the main window), stored in `store`, the main
  // window's settings store; created after the main window.
  PaletteDialog(QWidget* parent, IniFile& store);
  ~PaletteDialog() override;

  QGroupBox* modeGroup_;
  QLabel* modesLabel_;
  QRadioButton* pcButton_;
  QRadioButton* dvdButton_;
  QRadioButton* pcDvd1Button_;
  QRadioButton* pcDvd2Button_;
  QGroupBox* infoGroup_;
  QPushButton* downloadIfoButton_;
  QPushButton* doneButton_;

  std::unique_ptr<FormStorage> formStorage_;
  // Set by the main window's defaults button: the next showing checks the
  // PC choice again, whatever the store says.
  bool resetModePending_ = false;

  PaletteMode PaletteModeChoice() const;
  void SetPaletteModeChoice(PaletteMode mode);

  // Restores the radio buttons and the position from the store (when the
  // storage is active).
  void RestoreStorage();
  // Switches the storage off: nothing of an unattended run reaches the
  // settings file.
  void StopStoring();

 public slots:
  void HandleActivation();
  void HandleClose();
  // Tells the main window the checked mode (PaletteModeApplied): it
  // re-fills its colour boxes with their default entries and refreshes the
  // preview once.
  void ApplyPaletteMode();
  // The defaults button of the main window: PC only, applied, and checked
  // again at the next showing whatever the store says.
  void ResetToDefault();

  void DoneClicked();
  void DownloadIfoClicked();

 signals:
  // A mode was applied: the main window re-fills its colour boxes.
  void PaletteModeApplied(PaletteMode mode);

 protected:
  void showEvent(QShowEvent* event) override;
  // Every way of closing (Done, Escape, the title-bar close box) ends here.
  void done(int result) override;

 private:
  // The four modes with their explanations; the note on the IFO file.
  void CreateModeGroup();
  void CreateInfoGroup();

  // The mode when the window was last shown: closing re-fills the colour
  // lists only when the user changed it.
  PaletteMode shownMode_ = PaletteMode::PcOnly;
};

}  // namespace kestrelpix::window
