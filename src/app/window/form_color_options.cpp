#include "app/window/form_color_options.h"

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
#include "app/window/form_main.h"
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

PropertyAccess Checked(QRadioButton* radio) {
  return {[radio] {
            PropertyValue v;
            v.boolean = radio->isChecked();
            return v;
          },
          [radio](const PropertyValue& v) { radio->setChecked(v.boolean); }};
}

}  // namespace

TFormColorOptions::TFormColorOptions(TFormMain* main) : QDialog(main), main_(main) {
  setObjectName("TFormColorOptions");
  setWindowTitle("Color Options");
  // A dialog of the main window: a title and a close box, nothing to
  // minimise or maximise.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(true);

  GroupBox1 = new QGroupBox("Select Method");
  GroupBox1->setObjectName("GroupBox1");
  colors = new QLabel;
  colors->setObjectName("colors");
  colors->setFixedSize(70, 70);
  auto* heading = new QLabel("I want to use the vobsub on :");
  heading->setStyleSheet("color: red; font-weight: bold;");
  RadioButtonPC = BoldRadio("RadioButtonPC", "PC ONLY");
  RadioButtonDVD = BoldRadio("RadioButtonDVD", "DVD ONLY");
  RadioButtonPCDVD1 =
      BoldRadio("RadioButtonPCDVD1", "PC + DVD By using two palettes (recommended)");
  RadioButtonPCDVD2 = BoldRadio("RadioButtonPCDVD2", "PC + DVD By using an safe color palette");
  // The mode every PC player shows right, until a choice is stored.
  RadioButtonPC->setChecked(true);
  {
    auto* box = new QVBoxLayout(GroupBox1);
    auto* example = new QHBoxLayout;
    auto* exampleText = new QVBoxLayout;
    exampleText->addStretch(1);
    exampleText->addWidget(new QLabel("Colors Example"));
    example->addLayout(exampleText);
    example->addWidget(colors);
    example->addStretch(1);
    box->addLayout(example);
    box->addWidget(heading);
    box->addWidget(RadioButtonPC);
    box->addWidget(Players(PaletteMode::PcOnly));
    box->addWidget(Explanation(
        "RGB palette is generated. Standard vobsub. This solution will not display the correct "
        "colors on the most of the dvd devices that support sub/idx subtitles"));
    box->addWidget(RadioButtonDVD);
    box->addWidget(Players(PaletteMode::DvdOnly));
    box->addWidget(Explanation(
        "YCRCB palette is generated. This solution works on well on standalone dvd devices that "
        "support sub/idx but does not render correctly the colors on pc . In order to watch the "
        "subtitles on pc enable poligonize on directvobsub filter. "));
    box->addWidget(RadioButtonPCDVD1);
    box->addWidget(Players(PaletteMode::TwoPalettes));
    box->addWidget(
        Explanation("Both palettes are being generated. Most recommended solution at this time. "));
    box->addWidget(RadioButtonPCDVD2);
    box->addWidget(Players(PaletteMode::SafePalette));
    box->addWidget(Explanation(
        "Hybrid palette is generated. Since RGB and YCRCB have some similar colors, an palette "
        "that is indipendent from RGB/YCRCB can be found. This solution offers strange colors and "
        "you might notice a small color difference playing the subtitles from pc to dvd."));
  }

  GroupBoxInfo = new QGroupBox("Info");
  GroupBoxInfo->setObjectName("GroupBoxInfo");
  {
    auto* box = new QVBoxLayout(GroupBoxInfo);
    auto* info = new QLabel(
        "Some DVD Devices may want the original IFO in order to get correct colors! In this case "
        "use the 'PC + DVD By using two palettes' and download the ifo below. Further instuctions "
        "will be generated on the Kestrelpix_Help_File.txt");
    info->setWordWrap(true);
    box->addWidget(info);
  }

  ButtonDownloadIfo = new QPushButton("Download Ifo");
  ButtonDownloadIfo->setObjectName("ButtonDownloadIfo");
  ButtonDone = new QPushButton("Done");
  ButtonDone->setObjectName("ButtonDone");
  ButtonDone->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ButtonDownloadIfo);
  buttons->addStretch(1);
  buttons->addWidget(ButtonDone);

  auto* whole = new QVBoxLayout(this);
  whole->addWidget(GroupBox1);
  whole->addWidget(GroupBoxInfo);
  whole->addStretch(1);
  whole->addLayout(buttons);

  // Wide enough that the texts need few lines; exactly as tall as they
  // need at that width, whatever the font.
  setFixedWidth(kWidth);
  setFixedHeight(heightForWidth(kWidth));

  connect(ButtonDone, &QPushButton::clicked, this, &TFormColorOptions::ButtonDoneClick);
  connect(ButtonDownloadIfo, &QPushButton::clicked, this,
          &TFormColorOptions::ButtonDownloadIfoClick);

  const std::map<std::string, PropertyAccess> access = {
      {"RadioButtonDVD_Checked", Checked(RadioButtonDVD)},
      {"RadioButtonPC_Checked", Checked(RadioButtonPC)},
      {"RadioButtonPCDVD1_Checked", Checked(RadioButtonPCDVD1)},
      {"RadioButtonPCDVD2_Checked", Checked(RadioButtonPCDVD2)},
  };
  JvFormStorage =
      std::make_unique<FormStorage>(main->JvAppIniFileStorage, std::string(kColorOptionsSection),
                                    PropertiesInOrder(ColorOptionsKeys(), access));
}

TFormColorOptions::~TFormColorOptions() {
  // Saved when destroyed, unless it was saved since its last restore (the
  // section exists even when the window was never opened).
  if (JvFormStorage && JvFormStorage->Active && !JvFormStorage->SavedSinceRestore()) {
    JvFormStorage->Save(PlacementOf(this));
  }
}

PaletteMode TFormColorOptions::PaletteModeChoice() const {
  if (RadioButtonPC->isChecked()) return PaletteMode::PcOnly;
  if (RadioButtonDVD->isChecked()) return PaletteMode::DvdOnly;
  if (RadioButtonPCDVD1->isChecked()) return PaletteMode::TwoPalettes;
  return PaletteMode::SafePalette;
}

void TFormColorOptions::SetPaletteModeChoice(PaletteMode mode) {
  switch (mode) {
    case PaletteMode::PcOnly:
      RadioButtonPC->setChecked(true);
      break;
    case PaletteMode::DvdOnly:
      RadioButtonDVD->setChecked(true);
      break;
    case PaletteMode::TwoPalettes:
      RadioButtonPCDVD1->setChecked(true);
      break;
    case PaletteMode::SafePalette:
      RadioButtonPCDVD2->setChecked(true);
      break;
  }
}

void TFormColorOptions::RestoreStorage() {
  if (!JvFormStorage || !JvFormStorage->Active) return;
  ApplyPlacementTo(this, JvFormStorage->Restore(PlacementOf(this)));
}

void TFormColorOptions::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  // The mode the main window's colours were chosen in.
  shownMode_ = PaletteModeChoice();
  RestoreStorage();
  FormActivate();
}

void TFormColorOptions::FormActivate() {
  colors->setPixmap(QPixmap(":/pictures/colors"));
  if (ResetPaletteModePending) {
    RadioButtonPC->setChecked(true);
    ResetPaletteModePending = false;
  }
}

void TFormColorOptions::done(int result) {
  FormClose();
  QDialog::done(result);
}

void TFormColorOptions::FormClose() {
  // The colours are chosen anew only when the mode changed: the lists and
  // defaults are the mode's.
  if (PaletteModeChoice() != shownMode_) RunGuarded([this] { ApplyPaletteMode(this); });
  if (JvFormStorage && JvFormStorage->Active) JvFormStorage->Save(PlacementOf(this));
}

void TFormColorOptions::ApplyPaletteMode(QObject* Sender) {
  const bool safe = RadioButtonPCDVD2->isChecked();
  main_->fillColorBoxes(main_->JvColorButtonAntialias, kAntialiasDefaultIndex, safe);
  main_->fillColorBoxes(main_->JvColorButtonOutline, kOutlineDefaultIndex, safe);
  main_->fillColorBoxes(main_->JvColorButtonText, kTextDefaultIndex, safe);
  main_->ComboBoxFontCharsetChange();
}

void TFormColorOptions::ButtonDoneClick() { accept(); }

void TFormColorOptions::ButtonDownloadIfoClick() { OpenUrl(kIfoDownloadAddress); }

}  // namespace kestrelpix::window
