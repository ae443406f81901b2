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
class ClickLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickLabel(QWidget* parent = nullptr);

 signals:
  void Clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// The project's web addresses.
inline constexpr const char* kSiteAddress = "https://kestrelpix.org/";
inline constexpr const char* kForumAddress = "https://kestrelpix.org/forum/";
inline constexpr const char* kDownloadAddress = "https://kestrelpix.org/download/";
inline constexpr const char* kMuxToolAddress = "https://kestrelpix.org/mux/";
inline constexpr const char* kDonateAddress = "https://kestrelpix.org/donate/";

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  QLabel* logo_;
  QLabel* infoLabel_;
  ClickLabel* madeByLabel_;
  QLabel* versionLabel_;
  QPlainTextEdit* infoText_;
  QPushButton* visitSiteButton_;
  QPushButton* checkVersionButton_;
  QPushButton* muxToolButton_;
  ClickLabel* donateImage_;
  // Closes the window; Enter and Escape press it.
  QPushButton* closeButton_;

 public slots:
  void FillTexts();
  void VisitSiteClicked();
  void CheckVersionClicked();
  void MuxToolClicked();
  void DonateClicked();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The controls, then the dialog's layout of them with its plain labels.
  void CreateControls();
  void LayOutControls();
};

// The usage text of the dialog's text box.
extern const char* const kUsageText;

}  // namespace kestrelpix::window
