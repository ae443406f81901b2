// The main window's controls, their lists and defaults, and the reading of
// settings from them.
#include "app/window/form_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>
#include <clocale>

#include "app/control_lists.h"
#include "app/window/color_box.h"
#include "app/window/form_color_options.h"
#include "app/window/preview_image.h"
#include "app/window/window_placement.h"
#include "base/number_text.h"
#include "base/system_colors.h"
#include "render/font_tables.h"
#include "render/text_decode.h"
#include "vobsub/palette.h"

// Resources live in the static window library; their registration has to be
// called from the global namespace.
static void InitWindowResources() { Q_INIT_RESOURCE(kestrelpix); }

namespace kestrelpix::window {

namespace {

QStringList ToQStringList(const std::vector<std::string>& items) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(items.size()));
  for (const std::string& item : items) list << QString::fromStdString(item);
  return list;
}

QComboBox* PickList(const QString& name, const QStringList& items, int minimumChars) {
  auto* box = new QComboBox;
  box->setObjectName(name);
  box->setEditable(false);
  box->addItems(items);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(minimumChars);
  return box;
}

QLabel* Caption(const QString& text) {
  auto* label = new QLabel(text);
  label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  return label;
}

QPushButton* BoldButton(const QString& name, const QString& caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(name);
  QFont font = button->font();
  font.setBold(true);
  button->setFont(font);
  return button;
}

template <typename T>
T* Named(T* widget, const QString& name) {
  widget->setObjectName(name);
  return widget;
}

// In the window, named system colours are resolved through the application
// palette rather than drawn with their fixed RGB values.
struct SystemColorRole {
  int index;
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// The system colours by index, as the palette names them; any other index
// is the window colour.
constexpr SystemColorRole kSystemColorRoles[] = {
    {2, QPalette::Active, QPalette::Highlight},         // clActiveCaption
    {5, QPalette::Active, QPalette::Base},              // clWindow
    {7, QPalette::Active, QPalette::Text},              // clMenuText
    {8, QPalette::Active, QPalette::Text},              // clWindowText
    {9, QPalette::Active, QPalette::HighlightedText},   // clCaptionText
    {13, QPalette::Active, QPalette::Highlight},        // clHighlight
    {14, QPalette::Active, QPalette::HighlightedText},  // clHighlightText
    {15, QPalette::Active, QPalette::Button},           // clBtnFace
    {16, QPalette::Active, QPalette::Dark},             // clBtnShadow
    {17, QPalette::Disabled, QPalette::Text},           // clGrayText
    {18, QPalette::Active, QPalette::ButtonText},       // clBtnText
    {20, QPalette::Active, QPalette::Light},            // clBtnHighlight
    {21, QPalette::Active, QPalette::Shadow},           // cl3DDkShadow
    {22, QPalette::Active, QPalette::Midlight},         // cl3DLight
    {23, QPalette::Active, QPalette::ToolTipText},      // clInfoText
    {24, QPalette::Active, QPalette::ToolTipBase},      // clInfoBk
    {26, QPalette::Active, QPalette::Link},             // clHotLight
    {27, QPalette::Active, QPalette::Highlight},        // clGradientActiveCaption
    {29, QPalette::Active, QPalette::Highlight},        // clMenuHighlight
};

ColorValue ResolveSystemColor(ColorValue value) {
  if (!IsSystemColor(value)) return value;
  const QPalette palette = QApplication::palette();
  QColor c = palette.color(QPalette::Active, QPalette::Window);
  for (const SystemColorRole& r : kSystemColorRoles) {
    if (r.index == SystemColorIndex(value)) c = palette.color(r.group, r.role);
  }
  return MakeColor(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                   static_cast<uint8_t>(c.blue()));
}

}  // namespace

TFormMain::TFormMain(std::vector<std::string> args, std::string settingsFile, QWidget* parent)
    : QWidget(parent),
      args_(std::move(args)),
      settingsFile_(std::move(settingsFile)) {
  InitWindowResources();
  setObjectName("TFormMain");
  setWindowTitle(kMainCaption);
  setWindowIcon(QIcon(":/pictures/icon"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);

  // Every format the load reads; other names may still be typed.
  OpenDialogsub.filter = "Subtitles (*.srt *.sub *.txt *.vtt *.ass *.ssa);;All files (*)";
  OpenDialogImagePAL.title = "Load 720x576 PAL image";
  OpenDialogImagePAL.filter = "Load your PAL 720x576 picture (*.bmp *.png *.jpg *.jpeg)";
  OpenDialogImageNTSC.title = "Load 720x480 NTSC image";
  OpenDialogImageNTSC.filter = "Load your NTSC 720x480 picture (*.bmp *.png *.jpg *.jpeg)";
  OpenDialogBat.title = "Add to Batch";
  OpenDialogBat.filter = "*.bat (*.bat)";
  OpenDialogBat.mustExist = false;
  OpenDialogBat.save = true;

  CreateControls();
  FormCreate(this);
  ConnectHandlers();
  CreateStorage();

  // Resizable; the first start centres it in the screen's free area, at
  // most as large as that area.
  const QList<QRect> areas = AvailableAreas();
  const QSize wanted = sizeHint().grownBy(kFrameEstimate);
  PlaceFrame(areas.isEmpty() ? QRect(QPoint(0, 0), wanted) : CentredFrame(wanted, areas.front()));
}

TFormMain::~TFormMain() {
  if (!destroyed_) FormDestroy();
  if (JvFormStorage && JvFormStorage->Active && !JvFormStorage->SavedSinceRestore()) {
    JvFormStorage->Save(CurrentPlacement());
  }
  // The store is written when the window that owns it goes.
  WriteSettingsFile();
}

void TFormMain::CreateControls() {
  // Group "Input".
  GroupBoxInput = Named(new QGroupBox("Input"), "GroupBoxInput");
  EditLoadSrt = Named(new QLineEdit("Load SRT"), "EditLoadSrt");
  EditLoadSrt->setEnabled(false);
  EditLoadSrt->setReadOnly(true);
  ButtonLoadSrt = BoldButton("ButtonLoadSrt", "&Load Srt,Txt");
  ComboBoxFps = PickList("ComboBoxFps", ToQStringList(FpsList()), 6);
  {
    auto* grid = new QGridLayout(GroupBoxInput);
    grid->addWidget(EditLoadSrt, 0, 0, 1, 2);
    grid->addWidget(ButtonLoadSrt, 1, 0, 1, 2);
    grid->addWidget(new QLabel("Fps"), 2, 0);
    grid->addWidget(ComboBoxFps, 2, 1);
    grid->setRowStretch(3, 1);
  }

  // Group "Output".
  GroupBoxOutput = Named(new QGroupBox("Output"), "GroupBoxOutput");
  ComboBoxVobsubLanguage = PickList("ComboBoxVobsubLanguage", ToQStringList(LanguageList()), 10);
  {
    auto* box = new QVBoxLayout(GroupBoxOutput);
    box->addWidget(Caption("Language "));
    box->addWidget(ComboBoxVobsubLanguage);
    box->addStretch(1);
  }

  // Group "Render Fonts".
  GroupBoxRender = Named(new QGroupBox("Render Fonts"), "GroupBoxRender");
  ComboBoxFontName = PickList("ComboBoxFontName", {}, 12);
  ComboBoxFontCharset = PickList("ComboBoxFontCharset", ToQStringList(CharsetNames()), 10);
  ComboBoxFontStyle = PickList("ComboBoxFontStyle", ToQStringList(StyleNames()), 9);
  ComboBoxFontSize = PickList("ComboBoxFontSize", ToQStringList(FontSizeNames()), 3);
  ComboBoxAlign = PickList("ComboBoxAlign", ToQStringList(AlignList()), 6);
  ComboBoxOutlineWidth = PickList("ComboBoxOutlineWidth", ToQStringList(OutlineWidthList()), 3);
  CheckBoxWrapLines = Named(new QCheckBox("Wrap long lines"), "CheckBoxWrapLines");
  offset = Named(new QSlider(Qt::Horizontal), "offset");
  offset->setRange(kOffsetMin, kOffsetMax);
  offset->setPageStep(1);
  offset->setValue(kDefaultOffset);
  // The line spacing rests on even positions only: keys and clicks step
  // by two, so a step down from an even position is not bumped back up.
  offset_or = Named(new QSlider(Qt::Vertical), "offset_or");
  offset_or->setRange(kOffsetOrMin, kOffsetOrMax);
  offset_or->setSingleStep(2);
  offset_or->setPageStep(2);
  offset_or->setValue(kDefaultOffsetOr);
  offset_or->setMinimumHeight(70);
  offset_or->setAccessibleName("Line spacing");
  offset->setAccessibleName("Vertical position");
  LabelOffset_OrCaption = Named(new QLabel("Spacing"), "LabelOffset_OrCaption");
  LabelOffset_OrCaption->setBuddy(offset_or);
  LabelOffset_OrCaption->setAlignment(Qt::AlignRight | Qt::AlignBottom);
  LabelOffset = Named(new QLabel, "LabelOffset");
  LabelOffset->setEnabled(false);
  LabelOffset->setMinimumWidth(24);
  LabelOffset_Or = Named(new QLabel, "LabelOffset_Or");
  LabelOffset_Or->setEnabled(false);
  LabelOffset_Or->setAlignment(Qt::AlignHCenter);
  {
    auto* grid = new QGridLayout(GroupBoxRender);
    grid->addWidget(Caption("Font Name"), 0, 0);
    grid->addWidget(Caption("Font Charset"), 0, 1);
    grid->addWidget(Caption("Font Style"), 0, 2);
    grid->addWidget(Caption("Font Size"), 0, 3);
    grid->addWidget(ComboBoxFontName, 1, 0);
    grid->addWidget(ComboBoxFontCharset, 1, 1);
    grid->addWidget(ComboBoxFontStyle, 1, 2);
    grid->addWidget(ComboBoxFontSize, 1, 3);
    grid->addWidget(Caption("Align"), 2, 0);
    grid->addWidget(Caption("Outline"), 2, 1);
    grid->addWidget(Caption("Offsets"), 2, 2);
    grid->addWidget(ComboBoxAlign, 3, 0);
    grid->addWidget(ComboBoxOutlineWidth, 3, 1);
    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(offset, 1);
    sliderRow->addWidget(LabelOffset);
    grid->addLayout(sliderRow, 3, 2, 1, 2);
    // The spacing slider's caption stands left of its lower end, in the
    // row of the other captions, so the slider's column stays narrow.
    grid->addWidget(LabelOffset_OrCaption, 2, 3);
    grid->addWidget(offset_or, 0, 4, 3, 1, Qt::AlignHCenter);
    grid->addWidget(LabelOffset_Or, 3, 4);
    grid->addWidget(CheckBoxWrapLines, 4, 0, 1, 2);
  }

  // Group "Colors". The boxes start with the form's colours: antialias
  // grey, outline black, text white; the first activation fills them for
  // the palette mode.
  GroupBoxColors = Named(new QGroupBox("Colors"), "GroupBoxColors");
  JvColorButtonAntialias = Named(new TColorBox, "JvColorButtonAntialias");
  JvColorButtonOutline = Named(new TColorBox, "JvColorButtonOutline");
  JvColorButtonText = Named(new TColorBox, "JvColorButtonText");
  fillColorBoxes(JvColorButtonAntialias, kAntialiasDefaultIndex, false);
  fillColorBoxes(JvColorButtonOutline, kOutlineDefaultIndex, false);
  fillColorBoxes(JvColorButtonText, kTextDefaultIndex, false);
  ButtonColorOptions = Named(new QPushButton("&Color Options"), "ButtonColorOptions");
  {
    auto* grid = new QGridLayout(GroupBoxColors);
    grid->addWidget(new QLabel("Antialias"), 0, 0);
    grid->addWidget(JvColorButtonAntialias, 0, 1);
    grid->addWidget(new QLabel("Outine"), 1, 0);
    grid->addWidget(JvColorButtonOutline, 1, 1);
    grid->addWidget(new QLabel("Text"), 2, 0);
    grid->addWidget(JvColorButtonText, 2, 1);
    grid->addWidget(ButtonColorOptions, 3, 0, 1, 2);
  }

  // Group "General Settings": two picture buttons and "About".
  GroupBoxSettings = Named(new QGroupBox("General Settings"), "GroupBoxSettings");
  BitBtnSetDefaultValues = Named(new QPushButton("&Defaults"), "BitBtnSetDefaultValues");
  BitBtnSetDefaultValues->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
  BitBtnSetDefaultValues->setToolTip("Set the default values");
  BitBtnChangeImage = Named(new QPushButton("&Image"), "BitBtnChangeImage");
  BitBtnChangeImage->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  BitBtnChangeImage->setToolTip("Choose your own preview pictures");
  ButtonAbout = Named(new QPushButton("&About"), "ButtonAbout");
  {
    auto* box = new QVBoxLayout(GroupBoxSettings);
    box->addWidget(BitBtnSetDefaultValues);
    box->addWidget(BitBtnChangeImage);
    box->addWidget(ButtonAbout);
    box->addStretch(1);
  }

  // Outside the groups.
  ProgressBar1 = Named(new QProgressBar, "ProgressBar1");
  ProgressBar1->setToolTip("ProgressBar");
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ButtonGenerate = BoldButton("ButtonGenerate", kGenerateCaption);
  ButtonBatch = BoldButton("ButtonBatch", "Add to &Batch");
  ListBoxPreview = Named(new QListWidget, "ListBoxPreview");
  ListBoxPreview->setMinimumWidth(250);
  // The style draws no focus mark on a list; a frame in the highlight
  // colour shows where the keyboard is.
  ListBoxPreview->setStyleSheet(
      "QListWidget#ListBoxPreview:focus { border: 2px solid palette(highlight); }");
  preview = Named(new TPreviewImage, "preview");
  preview->SetFrameSize(QSize(kFrameWidth, kPalFrameHeight));
  LabelImageChangedPAL = Named(new QLabel, "LabelImageChangedPAL");
  LabelImageChangedPAL->setVisible(false);
  LabelImageChangedNTSC = Named(new QLabel, "LabelImageChangedNTSC");
  LabelImageChangedNTSC->setVisible(false);

  auto* top = new QHBoxLayout;
  top->addWidget(GroupBoxInput);
  top->addWidget(GroupBoxOutput);
  top->addWidget(GroupBoxRender, 1);
  top->addWidget(GroupBoxColors);
  top->addWidget(GroupBoxSettings);

  // The preview keeps the PAL frame's place; an NTSC frame leaves the
  // bottom rows empty. It takes whatever room the window has left, showing
  // the frame scaled down when that is less than the frame.
  auto* previewBox = new QVBoxLayout;
  previewBox->setContentsMargins(0, 0, 0, 0);
  previewBox->addWidget(preview, 1);
  previewBox->addWidget(LabelImageChangedPAL);
  previewBox->addWidget(LabelImageChangedNTSC);

  auto* side = new QVBoxLayout;
  side->addWidget(ListBoxPreview, 1);
  side->addWidget(ProgressBar1);
  side->addWidget(ButtonGenerate);
  side->addWidget(ButtonBatch);

  auto* bottom = new QHBoxLayout;
  bottom->addLayout(previewBox, 3);
  bottom->addLayout(side, 1);

  auto* whole = new QVBoxLayout(this);
  whole->addLayout(top);
  whole->addLayout(bottom, 1);
}

void TFormMain::ConnectHandlers() {
  auto on = [this](auto* sender, auto signal, void (TFormMain::*handler)()) {
    connect(sender, signal, this, [this, handler] { Guarded(handler); });
  };
  on(ButtonLoadSrt, &QPushButton::clicked, &TFormMain::ButtonLoadSrtClick);
  // Lists run their handlers only when the user picks an item; positions
  // set from code run nothing.
  on(ComboBoxFps, &QComboBox::activated, &TFormMain::ComboBoxFpsChange);
  for (QComboBox* box :
       {ComboBoxFontName, ComboBoxFontStyle, ComboBoxFontSize, ComboBoxOutlineWidth})
    on(box, &QComboBox::activated, &TFormMain::ComboBoxFontSizeChange);
  // Only a click by the user; the settings store sets it without a redraw.
  on(CheckBoxWrapLines, &QCheckBox::clicked, &TFormMain::CheckBoxWrapLinesClick);
  on(ComboBoxFontCharset, &QComboBox::activated, &TFormMain::ComboBoxFontCharsetChange);
  on(ComboBoxAlign, &QComboBox::activated, &TFormMain::offsetChange);
  // A slider runs its handler whenever its position changes, also from code.
  on(offset, &QSlider::valueChanged, &TFormMain::offsetChange);
  on(offset_or, &QSlider::valueChanged, &TFormMain::offset_orChange);
  on(ListBoxPreview, &QListWidget::currentRowChanged, &TFormMain::ListBoxPreviewClick);
  on(ListBoxPreview, &QListWidget::itemClicked, &TFormMain::ListBoxPreviewItemClicked);
  for (TColorBox* box : {JvColorButtonAntialias, JvColorButtonOutline, JvColorButtonText})
    on(box, &TColorBox::ColorChanged, &TFormMain::JvColorButtonAntialiasChange);
  on(ButtonColorOptions, &QPushButton::clicked, &TFormMain::ButtonColorOptionsClick);
  connect(BitBtnSetDefaultValues, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { FormCreate(BitBtnSetDefaultValues); }); });
  on(BitBtnChangeImage, &QPushButton::clicked, &TFormMain::BitBtnChangeImageClick);
  on(ButtonAbout, &QPushButton::clicked, &TFormMain::ButtonAboutClick);
  on(ButtonGenerate, &QPushButton::clicked, &TFormMain::ButtonGenerateClick);
  on(ButtonBatch, &QPushButton::clicked, &TFormMain::ButtonBatchClick);
}

void TFormMain::Guarded(void (TFormMain::*handler)()) {
  RunGuarded([this, handler] { (this->*handler)(); });
}

void TFormMain::FormCreate(QObject* Sender) {
  // 1. Number text always uses "." whatever the regional settings; Qt sets
  // the process locale from the environment when it starts.
  std::setlocale(LC_NUMERIC, "C");

  // 2. List positions (runs no change handler).
  ComboBoxFps->setCurrentIndex(kDefaultFpsIndex);
  ComboBoxVobsubLanguage->setCurrentIndex(kDefaultLanguageIndex);
  ComboBoxFontSize->setCurrentIndex(kDefaultFontSizeIndex);
  ComboBoxFontCharset->setCurrentIndex(kDefaultCharsetIndex);
  ComboBoxFontStyle->setCurrentIndex(kDefaultStyleIndex);
  ComboBoxAlign->setCurrentIndex(kDefaultAlignIndex);
  // 3. Sliders run their handlers when they move.
  offset->setValue(kDefaultOffset);
  offset_or->setValue(kDefaultOffsetOr);
  // 4.
  ComboBoxOutlineWidth->setCurrentIndex(kDefaultOutlineIndex);
  CheckBoxWrapLines->setChecked(false);
  // 5.
  preview->SetFrameSize(QSize(kFrameWidth, kPalFrameHeight));
  // 6. The list afresh: "Arial", then the installed families, once.
  ComboBoxFontName->clear();
  ComboBoxFontName->addItems(ToQStringList(FontList()));
  ComboBoxFontName->setCurrentIndex(kDefaultFontNameIndex);
  // 7.
  LabelOffset->setText(QString::number(offset->value()));
  LabelOffset_Or->setText(QString::number(offset_or->value()));

  // 8. The defaults button only: the other windows exist by then.
  if (Sender == BitBtnSetDefaultValues) {
    LabelImageChangedPAL->setText(QString());
    LabelImageChangedNTSC->setText(QString());
    LoadPreviewBackground();
    if (FormColorOptions != nullptr) {
      FormColorOptions->RadioButtonPC->setChecked(true);
      FormColorOptions->ApplyPaletteMode(BitBtnSetDefaultValues);
      FormColorOptions->ResetPaletteModePending = true;
    }
  }

  // 9. Command-line detection.
  CommandLineValues = DetectCommandLine(args_);
  State.CommandLineMode = CommandLineValues.has_value();
}

RenderSettings TFormMain::ReadRenderSettings() {
  RenderSettings s;
  s.FontName = ComboBoxFontName->currentText().toStdString();
  s.FontSize = StrToInt(ComboBoxFontSize->currentText().toStdString());
  s.FontStyle = StyleFromName(ComboBoxFontStyle->currentText().toStdString());
  s.FontCharset = CharsetFromName(ComboBoxFontCharset->currentText().toStdString());
  s.OutlineWidth = StrToInt(ComboBoxOutlineWidth->currentText().toStdString());
  s.Align = ComboBoxAlign->currentText().toStdString();
  s.offset = offset->value();
  s.offset_or = offset_or->value();
  s.TextColor = ResolveSystemColor(JvColorButtonText->colorValue());
  s.OutlineColor = ResolveSystemColor(JvColorButtonOutline->colorValue());
  s.AntialiasColor = ResolveSystemColor(JvColorButtonAntialias->colorValue());
  s.Fps = ComboBoxFps->currentText().toStdString();
  s.Language = ComboBoxVobsubLanguage->currentText().toStdString();
  s.Palette = CurrentPaletteMode();
  s.WrapLines = CheckBoxWrapLines->isChecked();
  return s;
}

// DEFAULT decodes with the code page detected for the loaded document.
RenderSettings TFormMain::DrawSettings() {
  return SettingsForText(ReadRenderSettings(), CurrentSubtitle.get());
}

PaletteMode TFormMain::CurrentPaletteMode() const {
  return FormColorOptions != nullptr ? FormColorOptions->PaletteModeChoice() : PaletteMode::PcOnly;
}

ControlPositions TFormMain::CurrentPositions() const {
  ControlPositions p;
  p.FontName = ComboBoxFontName->currentIndex();
  p.FontCharset = ComboBoxFontCharset->currentIndex();
  p.FontStyle = ComboBoxFontStyle->currentIndex();
  p.FontSize = ComboBoxFontSize->currentIndex();
  p.Align = ComboBoxAlign->currentIndex();
  p.offset = offset->value();
  p.offset_or = offset_or->value();
  p.OutlineWidth = ComboBoxOutlineWidth->currentIndex();
  p.AntialiasColor = JvColorButtonAntialias->currentIndex();
  p.OutlineColor = JvColorButtonOutline->currentIndex();
  p.TextColor = JvColorButtonText->currentIndex();
  p.Language = ComboBoxVobsubLanguage->currentIndex();
  p.Fps = ComboBoxFps->currentIndex();
  p.Palette = CurrentPaletteMode();
  p.WrapLines = CheckBoxWrapLines->isChecked();
  return p;
}

void TFormMain::fillColorBoxes(TColorBox* box, int index, bool safe) {
  std::vector<ColorItem> items;
  for (const NamedColor& c : safe ? SafeColors() : StandardColors()) {
    items.push_back({QString::fromStdString(c.name), c.value});
  }
  box->Fill(items, index);
}

void TFormMain::EnableInputs(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{GroupBoxInput, GroupBoxOutput, GroupBoxColors,
                                                    GroupBoxSettings, GroupBoxRender,
                                                    ListBoxPreview, ButtonBatch}) {
    w->setEnabled(enabled);
  }
  ButtonGenerate->setText(enabled ? kGenerateCaption : kAbortCaption);
}

}  // namespace kestrelpix::window
