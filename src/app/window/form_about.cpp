#include "app/window/form_about.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/window/platform.h"

namespace kestrelpix::window {

const char* const kUsageText =
    "Usage : \n"
    "1. Load a subtitle (.srt, or a frame-numbered .sub/.txt) with \"Load Srt,Txt\". Kestrelpix "
    "checks the width of every line against the video frame.\n"
    "2. If it loads, choose the frame rate of your video and press \"Generate VobSub\". If a "
    "line is too long, tick \"Wrap long lines\" to break long entries into two even lines, or "
    "edit the subtitle or pick a smaller font size and load it again.\n"
    "3. Further information is written to a text file beside the subtitle "
    "(name.Kestrelpix_Help.txt).\n"
    "----------------------------------------------------------------\n"
    "How to convert multiple vobsub files at once. \n"
    "Batch mode works like this:\n"
    "1. Load the first subtitle with \"Load srt\".\n"
    "2. Kestrelpix checks it as usual.\n"
    "3. Choose the frame rate, the colours and the other options and press \"Add to Batch\". The "
    "first time, give the batch file an output name, for example 'MyBatch'.\n"
    "4. Repeat steps 1 to 3 for every further subtitle, each with its own options.\n"
    "5. Close Kestrelpix.\n"
    "6. Run 'MyBatch.bat' by double-clicking it (or with sh MyBatch.bat).\n"
    "7. Done: every queued subtitle is converted.\n"
    "----------------------------------------------------------------\n"
    "Tip: if the subtitle doesn't show up on your video, move it higher with the Offsets "
    "slider.\n";

TClickLabel::TClickLabel(QWidget* parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
}

namespace {

QLabel* Bold(const QString& text) {
  auto* label = new QLabel(text);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

}  // namespace

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("TFormAbout");
  setWindowTitle("About");
  setWindowFlags(Qt::Dialog | Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::WindowStaysOnTopHint);
  setModal(true);
  setFixedSize(600, 556);

  ImageMorvane = new QLabel;
  ImageMorvane->setObjectName("ImageMorvane");
  ImageMorvane->setPixmap(QPixmap(":/pictures/logo"));
  ImageMorvane->setAttribute(Qt::WA_TranslucentBackground);

  LabelInfo = new QLabel;
  LabelInfo->setObjectName("LabelInfo");
  LabelInfo->setWordWrap(true);

  auto* madeBy = new QLabel("Made by :");
  LabelMadeByMorvane = new TClickLabel;
  LabelMadeByMorvane->setObjectName("LabelMadeByMorvane");
  LabelMadeByMorvane->setText("Morvane");
  LabelMadeByMorvane->setStyleSheet("color: blue; font-weight: bold; text-decoration: underline;");
  auto* versionCaption = Bold("Current version :");
  LabelVersion = Bold(KESTRELPIX_VERSION);
  LabelVersion->setObjectName("LabelVersion");

  MemoInfo = new QPlainTextEdit;
  MemoInfo->setObjectName("MemoInfo");
  MemoInfo->setReadOnly(true);
  MemoInfo->setPlainText(kUsageText);

  auto* thanks = new QLabel("Special Thanks to:");
  auto* credit1 = new QLabel("The FreeType, fontconfig and Qt developers, for fonts and windows");
  auto* credit2 = new QLabel("dvdauthor's spumux and FFmpeg, the tools our output is tested with");
  auto* credit3 = new QLabel("Everyone who reported problems and sent sample subtitles");

  ButtonVisitSite = new QPushButton("Visit the official site: kestrelpix.org");
  ButtonVisitSite->setObjectName("ButtonVisitSite");
  ButtonVisitSite->setCursor(Qt::PointingHandCursor);
  ButtonCheckVersion = new QPushButton("Check Version");
  ButtonCheckVersion->setObjectName("ButtonCheckVersion");
  ButtonMuxTool = new QPushButton("Mux Vobsubs (Multilanguage support)");
  ButtonMuxTool->setObjectName("ButtonMuxTool");
  ImageDonate = new TClickLabel;
  ImageDonate->setObjectName("ImageDonate");
  ImageDonate->setPixmap(QPixmap(":/pictures/donate"));
  ImageDonate->setToolTip("Donate");
  ButtonClose = new QPushButton("Close");
  ButtonClose->setObjectName("ButtonClose");
  ButtonClose->setDefault(true);

  auto* head = new QHBoxLayout;
  head->addWidget(ImageMorvane, 0, Qt::AlignTop);
  head->addWidget(LabelInfo, 1);

  auto* facts = new QGridLayout;
  facts->addWidget(madeBy, 0, 0);
  facts->addWidget(LabelMadeByMorvane, 0, 1);
  facts->addWidget(versionCaption, 1, 0);
  facts->addWidget(LabelVersion, 1, 1);
  facts->setColumnStretch(2, 1);

  auto* credits = new QVBoxLayout;
  credits->setSpacing(2);
  credits->addWidget(thanks);
  credits->addWidget(credit1);
  credits->addWidget(credit2);
  credits->addWidget(credit3);

  auto* buttons = new QHBoxLayout;
  auto* buttonColumn = new QVBoxLayout;
  buttonColumn->addWidget(ButtonVisitSite);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(ButtonCheckVersion);
  buttonRow->addWidget(ButtonMuxTool);
  buttonColumn->addLayout(buttonRow);
  buttons->addLayout(buttonColumn, 1);
  buttons->addWidget(ImageDonate);

  auto* whole = new QVBoxLayout(this);
  whole->addLayout(head);
  whole->addLayout(facts);
  whole->addWidget(MemoInfo, 1);
  whole->addLayout(credits);
  whole->addLayout(buttons);
  auto* closeRow = new QHBoxLayout;
  closeRow->addStretch(1);
  closeRow->addWidget(ButtonClose);
  whole->addLayout(closeRow);

  connect(ButtonVisitSite, &QPushButton::clicked, this, &TFormAbout::ButtonVisitSiteClick);
  connect(LabelMadeByMorvane, &TClickLabel::clicked, this, &TFormAbout::ButtonVisitSiteClick);
  connect(ButtonCheckVersion, &QPushButton::clicked, this, &TFormAbout::ButtonCheckVersionClick);
  connect(ButtonMuxTool, &QPushButton::clicked, this, &TFormAbout::ButtonMuxToolClick);
  connect(ImageDonate, &TClickLabel::clicked, this, &TFormAbout::ImageDonateClick);
  connect(ButtonClose, &QPushButton::clicked, this, &QDialog::accept);

  FormCreate();
}

void TFormAbout::FormCreate() {
  LabelInfo->setText(
      QStringLiteral(
          "Kestrelpix convert's txt subtitles to Vobsubs (idx/sub) in order to put them in a Dvd "
          "Device Player.that supports vobsub subtitles.\n"
          "Official site: %1\n"
          "Suggestions are welcome in the Kestrelpix forum: %2\n"
          "\n"
          "Important Update : Kestrelpix is NOT a GUI anymore. From now on is an standalone "
          "application (the separate converter program that earlier versions drove is not used "
          "any more)")
          .arg(kSiteAddress, kForumAddress));
}

void TFormAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  // Opens with "Close" in focus, so Enter closes it.
  ButtonClose->setFocus(Qt::OtherFocusReason);
  // Centred on the screen.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TFormAbout::keyPressEvent(QKeyEvent* event) {
  // Escape presses "Close" as Enter does, rather than cancelling.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    ButtonClose->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TFormAbout::ButtonVisitSiteClick() { OpenUrl(kSiteAddress); }

void TFormAbout::ButtonCheckVersionClick() { OpenUrl(kDownloadAddress); }

void TFormAbout::ButtonMuxToolClick() { OpenUrl(kMuxToolAddress); }

void TFormAbout::ImageDonateClick() { OpenUrl(kDonateAddress); }

}  // namespace kestrelpix::window
