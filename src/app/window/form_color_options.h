// The colour options window: the choice of palette mode, which decides the
// colour lists of the main window's three colour boxes and the palette the
// index receives. The choice lives in the four radio buttons.
#pragma once

#include <QDialog>
#include <memory>

#include "app/form_storage.h"
#include "render/render_settings.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kestrelpix::window {

class TFormMain;

// The download address of the IFO file some DVD players need.
inline constexpr const char* kIfoDownloadAddress =
    "https://kestrelpix.org/download/kestrelpix-ifo.zip";

class TFormColorOptions : public QDialog {
  Q_OBJECT

 public:
  // Uses the main window's settings store; created after the main window.
  explicit TFormColorOptions(TFormMain* main);
  ~TFormColorOptions() override;

  QGroupBox* GroupBox1;
  QLabel* colors;
  QRadioButton* RadioButtonPC;
  QRadioButton* RadioButtonDVD;
  QRadioButton* RadioButtonPCDVD1;
  QRadioButton* RadioButtonPCDVD2;
  QGroupBox* GroupBoxInfo;
  QPushButton* ButtonDownloadIfo;
  QPushButton* ButtonDone;

  std::unique_ptr<FormStorage> JvFormStorage;
  // Set by the main window's defaults button: the next showing checks the
  // PC choice again, whatever the store says.
  bool ResetPaletteModePending = false;

  PaletteMode PaletteModeChoice() const;
  void SetPaletteModeChoice(PaletteMode mode);

  // Restores the radio buttons and the position from the store (when the
  // storage is active).
  void RestoreStorage();

 public slots:
  void FormActivate();
  void FormClose();
  // Re-fills the main window's colour boxes for the checked mode, with their
  // default entries, and refreshes the preview once.
  void ApplyPaletteMode(QObject* Sender);
  void ButtonDoneClick();
  void ButtonDownloadIfoClick();

 protected:
  void showEvent(QShowEvent* event) override;
  // Every way of closing (Done, Escape, the title-bar close box) ends here.
  void done(int result) override;

 private:
  TFormMain* main_;
  // The mode when the window was last shown: closing re-fills the colour
  // lists only when the user changed it.
  PaletteMode shownMode_ = PaletteMode::PcOnly;
};

}  // namespace kestrelpix::window
