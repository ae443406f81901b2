#include "app/window/about_dialog.h"

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

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit Clicked();
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

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutDialog");
  setWindowTitle("About");
  setWindowFlags(Qt::Dialog | Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::WindowStaysOnTopHint);
  setModal(true);
  setFixedSize(600, 556);

  CreateControls();
  LayOutControls();

  connect(visitSiteButton_, &QPushButton::clicked, this, &AboutDialog::VisitSiteClicked);
  connect(madeByLabel_, &ClickLabel::Clicked, this, &AboutDialog::VisitSiteClicked);
  connect(checkVersionButton_, &QPushButton::clicked, this, &AboutDialog::CheckVersionClicked);
  connect(muxToolButton_, &QPushButton::clicked, this, &AboutDialog::MuxToolClicked);
  connect(donateImage_, &ClickLabel::Clicked, this, &AboutDialog::DonateClicked);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);

  FillTexts();
}

void AboutDialog::CreateControls() {
  logo_ = new QLabel;
  logo_->setObjectName("logo");
  logo_->setPixmap(QPixmap(":/pictures/logo"));
  logo_->setAttribute(Qt::WA_TranslucentBackground);

  infoLabel_ = new QLabel;
  infoLabel_->setObjectName("infoLabel");
  infoLabel_->setWordWrap(true);

  madeByLabel_ = new ClickLabel;
  madeByLabel_->setObjectName("madeByLabel");
  madeByLabel_->setText("Morvane");
  madeByLabel_->setStyleSheet("color: blue; font-weight: bold; text-decoration: underline;");
  versionLabel_ = Bold(KESTRELPIX_VERSION);
  versionLabel_->setObjectName("versionLabel");

  infoText_ = new QPlainTextEdit;
  infoText_->setObjectName("infoText");
  infoText_->setReadOnly(true);
  infoText_->setPlainText(kUsageText);

  visitSiteButton_ = new QPushButton("Visit the official site: kestrelpix.org");
  visitSiteButton_->setObjectName("visitSiteButton");
  visitSiteButton_->setCursor(Qt::PointingHandCursor);
  checkVersionButton_ = new QPushButton("Check Version");
  checkVersionButton_->setObjectName("checkVersionButton");
  muxToolButton_ = new QPushButton("Mux Vobsubs (Multilanguage support)");
  muxToolButton_->setObjectName("muxToolButton");
  donateImage_ = new ClickLabel;
  donateImage_->setObjectName("donateImage");
  donateImage_->setPixmap(QPixmap(":/pictures/donate"));
  donateImage_->setToolTip("Donate");
  closeButton_ = new QPushButton("Close");
  closeButton_->setObjectName("closeButton");
  closeButton_->setDefault(true);
}

void AboutDialog::LayOutControls() {
  auto* madeBy = new QLabel("Made by :");
  auto* versionCaption = Bold("Current version :");
  auto* thanks = new QLabel("Special Thanks to:");
  auto* credit1 = new QLabel("The FreeType, fontconfig and Qt developers, for fonts and windows");
  auto* credit2 = new QLabel("dvdauthor's spumux and FFmpeg, the tools our output is tested with");
  auto* credit3 = new QLabel("Everyone who reported problems and sent sample subtitles");

  auto* head = new QHBoxLayout;
  head->addWidget(logo_, 0, Qt::AlignTop);
  head->addWidget(infoLabel_, 1);

  auto* facts = new QGridLayout;
  facts->addWidget(madeBy, 0, 0);
  facts->addWidget(madeByLabel_, 0, 1);
  facts->addWidget(versionCaption, 1, 0);
  facts->addWidget(versionLabel_, 1, 1);
  facts->setColumnStretch(2, 1);

  auto* credits = new QVBoxLayout;
  credits->setSpacing(2);
  credits->addWidget(thanks);
  credits->addWidget(credit1);
  credits->addWidget(credit2);
  credits->addWidget(credit3);

  auto* buttons = new QHBoxLayout;
  auto* buttonColumn = new QVBoxLayout;
  buttonColumn->addWidget(visitSiteButton_);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(checkVersionButton_);
  buttonRow->addWidget(muxToolButton_);
  buttonColumn->addLayout(buttonRow);
  buttons->addLayout(buttonColumn, 1);
  buttons->addWidget(donateImage_);

  auto* whole = new QVBoxLayout(this);
  whole->addLayout(head);
  whole->addLayout(facts);
  whole->addWidget(infoText_, 1);
  whole->addLayout(credits);
  whole->addLayout(buttons);
  auto* closeRow = new QHBoxLayout;
  closeRow->addStretch(1);
  closeRow->addWidget(closeButton_);
  whole->addLayout(closeRow);
}

void AboutDialog::FillTexts() {
  infoLabel_->setText(
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

void AboutDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  // Opens with "Close" in focus, so Enter closes it.
  closeButton_->setFocus(Qt::OtherFocusReason);
  // Centred on the screen.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
  // Escape presses "Close" as Enter does, rather than cancelling.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    closeButton_->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void AboutDialog::VisitSiteClicked() { OpenUrl(kSiteAddress); }

void AboutDialog::CheckVersionClicked() { OpenUrl(kDownloadAddress); }

void AboutDialog::MuxToolClicked() { OpenUrl(kMuxToolAddress); }

void AboutDialog::DonateClicked() { OpenUrl(kDonateAddress); }

}  // namespace kestrelpix::window
