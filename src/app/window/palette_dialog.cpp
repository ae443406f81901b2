#include "app/window/palette_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <map>

#include "app/control_lists.h"
#include "app/settings_model.h"
#include "app/window/platform.h"
#include "app/window/window_storage.h"
#include "vobsub/palette.h"

namespace kestrelpix::window {

namespace {

constexpr int kWidth = 640;

QRadioButton* BoldRadio(const QString& name, const QString& caption) {
  auto* radio = new QRadioButton(caption);
  radio->setObjectName(name);
  QFont font = radio->font();
  font.setBold(true);
  radio->setFont(font);
  return radio;
}

QLabel* Explanation(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setIndent(20);
  return label;
}

// Which players show the mode right, as convert's --help says it.
QLabel* Players(PaletteMode mode) {
  auto* label = new QLabel("Players: " + QString::fromUtf8(PaletteModeInfoFor(mode).players));
  label->setObjectName(QString("LabelPlayers_") + PaletteModeInfoFor(mode).name);
  label->setWordWrap(true);
  label->setIndent(20);
  label->setStyleSheet("color: #1a5c1a; font-style: italic;");
  return label;
}

}  // namespace

PaletteDialog::PaletteDialog(QWidget* parent, IniFile& store) : QDialog(parent) {
  setObjectName("PaletteDialog");
  setWindowTitle("Color Options");
  // A dialog of the main window: a title and a close box, nothing to
  // minimise or maximise.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(true);

  CreateModeGroup();
  CreateInfoGroup();

  downloadIfoButton_ = new QPushButton("Download Ifo");
  downloadIfoButton_->setObjectName("downloadIfoButton");
  doneButton_ = new QPushButton("Done");
  doneButton_->setObjectName("doneButton");
  doneButton_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(downloadIfoButton_);
  buttons->addStretch(1);
  buttons->addWidget(doneButton_);

  auto* whole = new QVBoxLayout(this);
  whole->addWidget(modeGroup_);
  whole->addWidget(infoGroup_);
  whole->addStretch(1);
  whole->addLayout(buttons);

  // Wide enough that the texts need few lines; exactly as tall as they
  // need at that width, whatever the font.
  setFixedWidth(kWidth);
  setFixedHeight(heightForWidth(kWidth));

  connect(doneButton_, &QPushButton::clicked, this, &PaletteDialog::DoneClicked);
  connect(downloadIfoButton_, &QPushButton::clicked, this, &PaletteDialog::DownloadIfoClicked);

  formStorage_ = std::make_unique<FormStorage>(
      store, std::string(kColorOptionsSection),
      PaletteProperties([this] { return PaletteModeChoice(); },
                        [this](PaletteMode mode) { SetPaletteModeChoice(mode); }));
}

void PaletteDialog::CreateModeGroup() {
  modeGroup_ = new QGroupBox("Select Method");
  modeGroup_->setObjectName("modeGroup");
  modesLabel_ = new QLabel;
  modesLabel_->setObjectName("modesLabel");
  modesLabel_->setFixedSize(70, 70);
  auto* heading = new QLabel("I want to use the vobsub on :");
  heading->setStyleSheet("color: red; font-weight: bold;");
  pcButton_ = BoldRadio("pcButton", "PC ONLY");
  dvdButton_ = BoldRadio("dvdButton", "DVD ONLY");
  pcDvd1Button_ = BoldRadio("pcDvd1Button", "PC + DVD By using two palettes (recommended)");
  pcDvd2Button_ = BoldRadio("pcDvd2Button", "PC + DVD By using an safe color palette");
  // The mode every PC player shows right, until a choice is stored.
  pcButton_->setChecked(true);
  {
    auto* box = new QVBoxLayout(modeGroup_);
    auto* example = new QHBoxLayout;
    auto* exampleText = new QVBoxLayout;
    exampleText->addStretch(1);
    exampleText->addWidget(new QLabel("Colors Example"));
    example->addLayout(exampleText);
    example->addWidget(modesLabel_);
    example->addStretch(1);
    box->addLayout(example);
    box->addWidget(heading);
    box->addWidget(pcButton_);
    box->addWidget(Players(PaletteMode::PcOnly));
    box->addWidget(Explanation(
        "RGB palette is generated. Standard vobsub. This solution will not display the correct "
        "colors on the most of the dvd devices that support sub/idx subtitles"));
    box->addWidget(dvdButton_);
    box->addWidget(Players(PaletteMode::DvdOnly));
    box->addWidget(Explanation(
        "YCRCB palette is generated. This solution works on well on standalone dvd devices that "
        "support sub/idx but does not render correctly the colors on pc . In order to watch the "
        "subtitles on pc enable poligonize on directvobsub filter. "));
    box->addWidget(pcDvd1Button_);
    box->addWidget(Players(PaletteMode::TwoPalettes));
    box->addWidget(
        Explanation("Both palettes are being generated. Most recommended solution at this time. "));
    box->addWidget(pcDvd2Button_);
    box->addWidget(Players(PaletteMode::SafePalette));
    box->addWidget(Explanation(
        "Hybrid palette is generated. Since RGB and YCRCB have some similar colors, an palette "
        "that is indipendent from RGB/YCRCB can be found. This solution offers strange colors and "
        "you might notice a small color difference playing the subtitles from pc to dvd."));
  }
}

void PaletteDialog::CreateInfoGroup() {
  infoGroup_ = new QGroupBox("Info");
  infoGroup_->setObjectName("infoGroup");
  {
    auto* box = new QVBoxLayout(infoGroup_);
    auto* info = new QLabel(
        "Some DVD Devices may want the original IFO in order to get correct colors! In this case "
        "use the 'PC + DVD By using two palettes' and download the ifo below. Further instuctions "
        "will be generated on the Kestrelpix_Help_File.txt");
    info->setWordWrap(true);
    box->addWidget(info);
  }
}

void PaletteDialog::StopStoring() {
  if (formStorage_) formStorage_->Active = false;
}

PaletteDialog::~PaletteDialog() {
  // Saved when destroyed, unless it was saved since its last restore (the
  // section exists even when the window was never opened).
  if (formStorage_ && formStorage_->Active && !formStorage_->SavedSinceRestore()) {
    formStorage_->Save(PlacementOf(this));
  }
}

PaletteMode PaletteDialog::PaletteModeChoice() const {
  if (pcButton_->isChecked()) return PaletteMode::PcOnly;
  if (dvdButton_->isChecked()) return PaletteMode::DvdOnly;
  if (pcDvd1Button_->isChecked()) return PaletteMode::TwoPalettes;
  return PaletteMode::SafePalette;
}

void PaletteDialog::SetPaletteModeChoice(PaletteMode mode) {
  switch (mode) {
    case PaletteMode::PcOnly:
      pcButton_->setChecked(true);
      break;
    case PaletteMode::DvdOnly:
      dvdButton_->setChecked(true);
      break;
    case PaletteMode::TwoPalettes:
      pcDvd1Button_->setChecked(true);
      break;
    case PaletteMode::SafePalette:
      pcDvd2Button_->setChecked(true);
      break;
  }
}

void PaletteDialog::RestoreStorage() {
  if (!formStorage_ || !formStorage_->Active) return;
  ApplyPlacementTo(this, formStorage_->Restore(PlacementOf(this)));
}

void PaletteDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  // The mode the main window's colours were chosen in.
  shownMode_ = PaletteModeChoice();
  RestoreStorage();
  HandleActivation();
}

void PaletteDialog::HandleActivation() {
  modesLabel_->setPixmap(QPixmap(":/pictures/colors"));
  if (resetModePending_) {
    pcButton_->setChecked(true);
    resetModePending_ = false;
  }
}

void PaletteDialog::done(int result) {
  HandleClose();
  QDialog::done(result);
}

void PaletteDialog::HandleClose() {
  // The colours are chosen anew only when the mode changed: the lists and
  // defaults are the mode's.
  if (PaletteModeChoice() != shownMode_) RunGuarded([this] { ApplyPaletteMode(); });
  if (formStorage_ && formStorage_->Active) formStorage_->Save(PlacementOf(this));
}

void PaletteDialog::ApplyPaletteMode() { emit PaletteModeApplied(PaletteModeChoice()); }

void PaletteDialog::ResetToDefault() {
  pcButton_->setChecked(true);
  ApplyPaletteMode();
  resetModePending_ = true;
}

void PaletteDialog::DoneClicked() { accept(); }

void PaletteDialog::DownloadIfoClicked() { OpenUrl(kIfoDownloadAddress); }

}  // namespace kestrelpix::window
