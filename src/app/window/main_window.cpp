// The main window's controls, their lists and defaults, and the reading of
// settings from them.
#include "app/window/main_window.h"

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
#include "app/window/palette_dialog.h"
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

MainWindow::MainWindow(std::vector<std::string> args, std::string settingsFile, QWidget* parent)
    : QWidget(parent), args_(std::move(args)), settingsFile_(std::move(settingsFile)) {
  InitWindowResources();
  setObjectName("MainWindow");
  setWindowTitle(kMainCaption);
  setWindowIcon(QIcon(":/pictures/icon"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);

  // Every format the load reads; other names may still be typed.
  subtitleDialog_.filter = "Subtitles (*.srt *.sub *.txt *.vtt *.ass *.ssa *.smi *.sami *.ttml *.dfxp *.xml);;All files (*)";
  palPictureDialog_.title = "Load 720x576 PAL image";
  palPictureDialog_.filter = "Load your PAL 720x576 picture (*.bmp *.png *.jpg *.jpeg)";
  ntscPictureDialog_.title = "Load 720x480 NTSC image";
  ntscPictureDialog_.filter = "Load your NTSC 720x480 picture (*.bmp *.png *.jpg *.jpeg)";
  batchDialog_.title = "Add to Batch";
  batchDialog_.filter = "*.bat (*.bat)";
  batchDialog_.mustExist = false;
  batchDialog_.save = true;

  CreateControls();
  SetDefaults(false);
  ConnectHandlers();
  CreateStorage();

  // Resizable; the first start centres it in the screen's free area, at
  // most as large as that area.
  const QList<QRect> areas = AvailableAreas();
  const QSize wanted = sizeHint().grownBy(kFrameEstimate);
  PlaceFrame(areas.isEmpty() ? QRect(QPoint(0, 0), wanted) : CentredFrame(wanted, areas.front()));
}

MainWindow::~MainWindow() {
  if (!destroyed_) HandleDestroy();
  if (formStorage_ && !formStorage_->SavedSinceRestore()) {
    SaveStorage();
  }
  // The store is written when the window that owns it goes.
  WriteSettingsFile();
}

void MainWindow::CreateControls() {
  CreateInputGroup();
  CreateOutputGroup();
  CreateFontGroup();
  CreateColorsGroup();
  CreateSettingsGroup();
  CreateSideControls();
  LayOutControls();
}

void MainWindow::CreateInputGroup() {
  // Group "Input".
  inputGroup_ = Named(new QGroupBox("Input"), "inputGroup");
  fileNameEdit_ = Named(new QLineEdit("Load SRT"), "fileNameEdit");
  fileNameEdit_->setEnabled(false);
  fileNameEdit_->setReadOnly(true);
  loadButton_ = BoldButton("loadButton", "&Load Srt,Txt");
  fpsBox_ = PickList("fpsBox", ToQStringList(FpsList()), 6);
  {
    auto* grid = new QGridLayout(inputGroup_);
    grid->addWidget(fileNameEdit_, 0, 0, 1, 2);
    grid->addWidget(loadButton_, 1, 0, 1, 2);
    grid->addWidget(new QLabel("Fps"), 2, 0);
    grid->addWidget(fpsBox_, 2, 1);
    grid->setRowStretch(3, 1);
  }
}

void MainWindow::CreateOutputGroup() {
  // Group "Output".
  outputGroup_ = Named(new QGroupBox("Output"), "outputGroup");
  languageBox_ = PickList("languageBox", ToQStringList(LanguageList()), 10);
  {
    auto* box = new QVBoxLayout(outputGroup_);
    box->addWidget(Caption("Language "));
    box->addWidget(languageBox_);
    box->addStretch(1);
  }
}

void MainWindow::CreateFontGroup() {
  // Group "Render Fonts".
  fontGroup_ = Named(new QGroupBox("Render Fonts"), "fontGroup");
  fontNameBox_ = PickList("fontNameBox", {}, 12);
  charsetBox_ = PickList("charsetBox", ToQStringList(CharsetNames()), 10);
  fontStyleBox_ = PickList("fontStyleBox", ToQStringList(StyleNames()), 9);
  fontSizeBox_ = PickList("fontSizeBox", ToQStringList(FontSizeNames()), 3);
  alignBox_ = PickList("alignBox", ToQStringList(AlignList()), 6);
  outlineWidthBox_ = PickList("outlineWidthBox", ToQStringList(OutlineWidthList()), 3);
  wrapLinesBox_ = Named(new QCheckBox("Wrap long lines"), "wrapLinesBox");
  bottomOffsetSlider_ = Named(new QSlider(Qt::Horizontal), "bottomOffsetSlider");
  bottomOffsetSlider_->setRange(kBottomOffsetMin, kBottomOffsetMax);
  bottomOffsetSlider_->setPageStep(1);
  bottomOffsetSlider_->setValue(kDefaultBottomOffset);
  // The line spacing rests on even positions only: keys and clicks step
  // by two, so a step down from an even position is not bumped back up.
  lineSpacingSlider_ = Named(new QSlider(Qt::Vertical), "lineSpacingSlider");
  lineSpacingSlider_->setRange(kLineSpacingMin, kLineSpacingMax);
  lineSpacingSlider_->setSingleStep(2);
  lineSpacingSlider_->setPageStep(2);
  lineSpacingSlider_->setValue(kDefaultLineSpacing);
  lineSpacingSlider_->setMinimumHeight(70);
  lineSpacingSlider_->setAccessibleName("Line spacing");
  bottomOffsetSlider_->setAccessibleName("Vertical position");
  lineSpacingCaption_ = Named(new QLabel("Spacing"), "lineSpacingCaption");
  lineSpacingCaption_->setBuddy(lineSpacingSlider_);
  lineSpacingCaption_->setAlignment(Qt::AlignRight | Qt::AlignBottom);
  bottomOffsetLabel_ = Named(new QLabel, "bottomOffsetLabel");
  bottomOffsetLabel_->setEnabled(false);
  bottomOffsetLabel_->setMinimumWidth(24);
  lineSpacingLabel_ = Named(new QLabel, "lineSpacingLabel");
  lineSpacingLabel_->setEnabled(false);
  lineSpacingLabel_->setAlignment(Qt::AlignHCenter);
  {
    auto* grid = new QGridLayout(fontGroup_);
    grid->addWidget(Caption("Font Name"), 0, 0);
    grid->addWidget(Caption("Font Charset"), 0, 1);
    grid->addWidget(Caption("Font Style"), 0, 2);
    grid->addWidget(Caption("Font Size"), 0, 3);
    grid->addWidget(fontNameBox_, 1, 0);
    grid->addWidget(charsetBox_, 1, 1);
    grid->addWidget(fontStyleBox_, 1, 2);
    grid->addWidget(fontSizeBox_, 1, 3);
    grid->addWidget(Caption("Align"), 2, 0);
    grid->addWidget(Caption("Outline"), 2, 1);
    grid->addWidget(Caption("Offsets"), 2, 2);
    grid->addWidget(alignBox_, 3, 0);
    grid->addWidget(outlineWidthBox_, 3, 1);
    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(bottomOffsetSlider_, 1);
    sliderRow->addWidget(bottomOffsetLabel_);
    grid->addLayout(sliderRow, 3, 2, 1, 2);
    // The spacing slider's caption stands left of its lower end, in the
    // row of the other captions, so the slider's column stays narrow.
    grid->addWidget(lineSpacingCaption_, 2, 3);
    grid->addWidget(lineSpacingSlider_, 0, 4, 3, 1, Qt::AlignHCenter);
    grid->addWidget(lineSpacingLabel_, 3, 4);
    grid->addWidget(wrapLinesBox_, 4, 0, 1, 2);
  }
}

void MainWindow::CreateColorsGroup() {
  // Group "Colors". The boxes start with the form's colours: antialias
  // grey, outline black, text white; the first activation fills them for
  // the palette mode.
  colorsGroup_ = Named(new QGroupBox("Colors"), "colorsGroup");
  antialiasColorBox_ = Named(new ColorBox, "antialiasColorBox");
  outlineColorBox_ = Named(new ColorBox, "outlineColorBox");
  textColorBox_ = Named(new ColorBox, "textColorBox");
  FillColorBox(antialiasColorBox_, kAntialiasDefaultIndex, false);
  FillColorBox(outlineColorBox_, kOutlineDefaultIndex, false);
  FillColorBox(textColorBox_, kTextDefaultIndex, false);
  paletteButton_ = Named(new QPushButton("&Color Options"), "paletteButton");
  {
    auto* grid = new QGridLayout(colorsGroup_);
    grid->addWidget(new QLabel("Antialias"), 0, 0);
    grid->addWidget(antialiasColorBox_, 0, 1);
    grid->addWidget(new QLabel("Outine"), 1, 0);
    grid->addWidget(outlineColorBox_, 1, 1);
    grid->addWidget(new QLabel("Text"), 2, 0);
    grid->addWidget(textColorBox_, 2, 1);
    grid->addWidget(paletteButton_, 3, 0, 1, 2);
  }
}

void MainWindow::CreateSettingsGroup() {
  // Group "General Settings": two picture buttons and "About".
  settingsGroup_ = Named(new QGroupBox("General Settings"), "settingsGroup");
  defaultsButton_ = Named(new QPushButton("&Defaults"), "defaultsButton");
  defaultsButton_->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
  defaultsButton_->setToolTip("Set the default values");
  changeImageButton_ = Named(new QPushButton("&Image"), "changeImageButton");
  changeImageButton_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  changeImageButton_->setToolTip("Choose your own preview pictures");
  aboutButton_ = Named(new QPushButton("&About"), "aboutButton");
  {
    auto* box = new QVBoxLayout(settingsGroup_);
    box->addWidget(defaultsButton_);
    box->addWidget(changeImageButton_);
    box->addWidget(aboutButton_);
    box->addStretch(1);
  }
}

void MainWindow::CreateSideControls() {
  // Outside the groups.
  progressBar_ = Named(new QProgressBar, "progressBar");
  progressBar_->setToolTip("ProgressBar");
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  generateButton_ = BoldButton("generateButton", kGenerateCaption);
  batchButton_ = BoldButton("batchButton", "Add to &Batch");
  entryList_ = Named(new QListWidget, "entryList");
  entryList_->setMinimumWidth(250);
  // The style draws no focus mark on a list; a frame in the highlight
  // colour shows where the keyboard is.
  entryList_->setStyleSheet(
      "QListWidget#entryList:focus { border: 2px solid palette(highlight); }");
  preview_ = Named(new PreviewImage, "preview");
  preview_->SetFrameSize(QSize(kFrameWidth, kPalFrameHeight));
}

void MainWindow::LayOutControls() {
  auto* top = new QHBoxLayout;
  top->addWidget(inputGroup_);
  top->addWidget(outputGroup_);
  top->addWidget(fontGroup_, 1);
  top->addWidget(colorsGroup_);
  top->addWidget(settingsGroup_);

  // The preview keeps the PAL frame's place; an NTSC frame leaves the
  // bottom rows empty. It takes whatever room the window has left, showing
  // the frame scaled down when that is less than the frame.
  auto* previewBox = new QVBoxLayout;
  previewBox->setContentsMargins(0, 0, 0, 0);
  previewBox->addWidget(preview_, 1);

  auto* side = new QVBoxLayout;
  side->addWidget(entryList_, 1);
  side->addWidget(progressBar_);
  side->addWidget(generateButton_);
  side->addWidget(batchButton_);

  auto* bottom = new QHBoxLayout;
  bottom->addLayout(previewBox, 3);
  bottom->addLayout(side, 1);

  auto* whole = new QVBoxLayout(this);
  whole->addLayout(top);
  whole->addLayout(bottom, 1);
}

void MainWindow::ConnectHandlers() {
  auto on = [this](auto* sender, auto signal, void (MainWindow::*handler)()) {
    connect(sender, signal, this, [this, handler] { Guarded(handler); });
  };
  on(loadButton_, &QPushButton::clicked, &MainWindow::LoadClicked);
  // Lists run their handlers only when the user picks an item; positions
  // set from code run nothing.
  on(fpsBox_, &QComboBox::activated, &MainWindow::FpsChanged);
  for (QComboBox* box : {fontNameBox_, fontStyleBox_, fontSizeBox_, outlineWidthBox_})
    on(box, &QComboBox::activated, &MainWindow::FontChanged);
  // Only a click by the user; the settings store sets it without a redraw.
  on(wrapLinesBox_, &QCheckBox::clicked, &MainWindow::WrapLinesClicked);
  on(charsetBox_, &QComboBox::activated, &MainWindow::CharsetChanged);
  on(alignBox_, &QComboBox::activated, &MainWindow::BottomOffsetChanged);
  // A slider runs its handler whenever its position changes, also from code.
  on(bottomOffsetSlider_, &QSlider::valueChanged, &MainWindow::BottomOffsetChanged);
  on(lineSpacingSlider_, &QSlider::valueChanged, &MainWindow::LineSpacingChanged);
  on(entryList_, &QListWidget::currentRowChanged, &MainWindow::EntrySelected);
  on(entryList_, &QListWidget::itemClicked, &MainWindow::EntryClicked);
  for (ColorBox* box : {antialiasColorBox_, outlineColorBox_, textColorBox_})
    on(box, &ColorBox::ColorChanged, &MainWindow::ColorChanged);
  on(paletteButton_, &QPushButton::clicked, &MainWindow::PaletteClicked);
  connect(defaultsButton_, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { SetDefaults(true); }); });
  on(changeImageButton_, &QPushButton::clicked, &MainWindow::ChangeImageClicked);
  on(aboutButton_, &QPushButton::clicked, &MainWindow::AboutClicked);
  on(generateButton_, &QPushButton::clicked, &MainWindow::GenerateClicked);
  on(batchButton_, &QPushButton::clicked, &MainWindow::BatchClicked);
}

void MainWindow::Guarded(void (MainWindow::*handler)()) {
  RunGuarded([this, handler] { (this->*handler)(); });
}

void MainWindow::SetDefaults(bool byButton) {
  // 1. Number text always uses "." whatever the regional settings; Qt sets
  // the process locale from the environment when it starts.
  std::setlocale(LC_NUMERIC, "C");

  // 2. List positions (runs no change handler).
  fpsBox_->setCurrentIndex(kDefaultFpsIndex);
  languageBox_->setCurrentIndex(kDefaultLanguageIndex);
  fontSizeBox_->setCurrentIndex(kDefaultFontSizeIndex);
  charsetBox_->setCurrentIndex(kDefaultCharsetIndex);
  fontStyleBox_->setCurrentIndex(kDefaultStyleIndex);
  alignBox_->setCurrentIndex(kDefaultAlignIndex);
  // 3. Sliders run their handlers when they move.
  bottomOffsetSlider_->setValue(kDefaultBottomOffset);
  lineSpacingSlider_->setValue(kDefaultLineSpacing);
  // 4.
  outlineWidthBox_->setCurrentIndex(kDefaultOutlineIndex);
  wrapLinesBox_->setChecked(false);
  // 5.
  preview_->SetFrameSize(QSize(kFrameWidth, kPalFrameHeight));
  // 6. The list afresh: "Arial", then the installed families, once.
  fontNameBox_->clear();
  fontNameBox_->addItems(ToQStringList(FontList()));
  fontNameBox_->setCurrentIndex(kDefaultFontNameIndex);
  // 7.
  bottomOffsetLabel_->setText(QString::number(bottomOffsetSlider_->value()));
  lineSpacingLabel_->setText(QString::number(lineSpacingSlider_->value()));

  // 8. The defaults button only: the other windows exist by then.
  if (byButton) {
    palPicture_.clear();
    ntscPicture_.clear();
    LoadPreviewBackground();
    if (paletteDialog_ != nullptr) paletteDialog_->ResetToDefault();
  }

  // 9. Command-line detection.
  commandLine_ = DetectCommandLine(args_);
  unattended_ = commandLine_.has_value();
}

RenderSettings MainWindow::ReadRenderSettings() {
  RenderSettings s;
  s.FontName = fontNameBox_->currentText().toStdString();
  s.FontSize = StrToInt(fontSizeBox_->currentText().toStdString());
  s.FontStyle = StyleFromName(fontStyleBox_->currentText().toStdString());
  s.FontCharset = CharsetFromName(charsetBox_->currentText().toStdString());
  s.OutlineWidth = StrToInt(outlineWidthBox_->currentText().toStdString());
  s.Align = alignBox_->currentText().toStdString();
  s.BottomOffset = bottomOffsetSlider_->value();
  s.LineSpacing = lineSpacingSlider_->value();
  s.TextColor = ResolveSystemColor(textColorBox_->Color());
  s.OutlineColor = ResolveSystemColor(outlineColorBox_->Color());
  s.AntialiasColor = ResolveSystemColor(antialiasColorBox_->Color());
  s.Fps = fpsBox_->currentText().toStdString();
  s.Language = languageBox_->currentText().toStdString();
  s.Palette = CurrentPaletteMode();
  s.WrapLines = wrapLinesBox_->isChecked();
  return s;
}

// DEFAULT decodes with the code page detected for the loaded document.
RenderSettings MainWindow::DrawSettings() {
  return SettingsForText(ReadRenderSettings(), document_.get());
}

PaletteMode MainWindow::CurrentPaletteMode() const {
  return paletteDialog_ != nullptr ? paletteDialog_->PaletteModeChoice() : PaletteMode::PcOnly;
}

ControlPositions MainWindow::CurrentPositions() const {
  ControlPositions p = ListPositions(ControlSettings());
  // Colours go by their place in the boxes, which also hold the colours
  // added for values outside the mode's list.
  p.AntialiasColor = antialiasColorBox_->currentIndex();
  p.OutlineColor = outlineColorBox_->currentIndex();
  p.TextColor = textColorBox_->currentIndex();
  return p;
}

void MainWindow::FillColorBox(ColorBox* box, int index, bool safe) {
  std::vector<ColorItem> items;
  for (const NamedColor& c : safe ? SafeColors() : StandardColors()) {
    items.push_back({QString::fromStdString(c.Name), c.Value});
  }
  box->Fill(items, index);
}

void MainWindow::EnableInputs(bool enabled) {
  for (QWidget* w :
       std::initializer_list<QWidget*>{inputGroup_, outputGroup_, colorsGroup_, settingsGroup_,
                                       fontGroup_, entryList_, batchButton_}) {
    w->setEnabled(enabled);
  }
  generateButton_->setText(enabled ? kGenerateCaption : kAbortCaption);
}

}  // namespace kestrelpix::window
