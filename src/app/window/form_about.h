// The about window: what the program does, its version, how to use it for
// single and batch conversions, credits, and links to the project's pages.
// It holds no setting.
#pragma once

#include <QDialog>
#include <QLabel>

class QPlainTextEdit;
class QPushButton;

namespace kestrelpix::window {

// A label that reacts to a click, shown with a hand cursor.
class TClickLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TClickLabel(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// The project's web addresses.
inline constexpr const char* kSiteAddress = "https://kestrelpix.org/";
inline constexpr const char* kForumAddress = "https://kestrelpix.org/forum/";
inline constexpr const char* kDownloadAddress = "https://kestrelpix.org/download/";
inline constexpr const char* kMuxToolAddress = "https://kestrelpix.org/mux/";
inline constexpr const char* kDonateAddress = "https://kestrelpix.org/donate/";

class TFormAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAbout(QWidget* parent = nullptr);

  QLabel* ImageMorvane;
  QLabel* LabelInfo;
  TClickLabel* LabelMadeByMorvane;
  QLabel* LabelVersion;
  QPlainTextEdit* MemoInfo;
  QPushButton* ButtonVisitSite;
  QPushButton* ButtonCheckVersion;
  QPushButton* ButtonMuxTool;
  TClickLabel* ImageDonate;
  // Closes the window; Enter and Escape press it.
  QPushButton* ButtonClose;

 public slots:
  void FormCreate();
  void ButtonVisitSiteClick();
  void ButtonCheckVersionClick();
  void ButtonMuxToolClick();
  void ImageDonateClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

// The usage text of MemoInfo.
extern const char* const kUsageText;

}  // namespace kestrelpix::window
