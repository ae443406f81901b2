// The preview: the selected entry, or the sample text while nothing is
// loaded, drawn by the core over the sample picture of the frame standard;
// and the handlers that redraw it when a setting changes.
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <cerrno>

#include "app/window/color_box.h"
#include "app/window/main_window.h"
#include "app/window/preview_image.h"
#include "base/errors.h"
#include "base/excerpt.h"
#include "base/message_sink.h"
#include "base/regular_file.h"
#include "job/fit_check.h"
#include "render/line_wrap.h"
#include "render/measure.h"
#include "render/rasterizer.h"
#include "render/subpicture.h"
#include "render/text_decode.h"

namespace kestrelpix::window {

namespace {

// The built-in pictures, decoded once.
const FrameBitmap& BuiltInPicture(bool pal) {
  static const FrameBitmap palPicture =
      FrameFromImage(QImage(":/pictures/PreviewPal720x576"), kFrameWidth, kPalFrameHeight);
  static const FrameBitmap ntscPicture =
      FrameFromImage(QImage(":/pictures/PreviewNtsc720x480"), kFrameWidth, kNtscFrameHeight);
  return pal ? palPicture : ntscPicture;
}

// Pictures larger than this are no preview pictures: a 720x576 frame is
// 1.2 MB even as an uncompressed bitmap.
constexpr size_t kPictureLimit = size_t{64} << 20;

}  // namespace

void MainWindow::LoadPreviewBackground() {
  previewRow_ = -1;
  const int height = FrameHeightForFps(fpsBox_->currentText().toStdString());
  const bool pal = height == kPalFrameHeight;
  preview_->SetFrameSize(QSize(kFrameWidth, height));
  const QString path = pal ? palPicture_ : ntscPicture_;
  if (!path.isEmpty() && QFileInfo::exists(path)) {
    // A picture the user chose. One that cannot be read is treated like a
    // missing one: the built-in picture is shown. Only a regular file is
    // read: opening a FIFO of that name would wait for a writer for ever,
    // at every start.
    std::string bytes, refusal;
    try {
      bytes = ReadRegularFile(LocalPath(path), kPictureLimit, "a picture");
    } catch (const FileError& e) {
      if (e.code() != ENOENT) refusal = e.what();
    }
    if (refusal.empty()) {
      const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                            static_cast<int>(bytes.size()));
      if (!image.isNull()) {
        preview_->SetPicture(FrameFromImage(image, kFrameWidth, height));
        return;
      }
    } else {
      // Said once for each name, not at every redraw.
      static QString told;
      if (told != path) {
        told = path;
        // No box that waits: the preview is redrawn from many handlers,
        // and an unattended run has nobody to press OK.
        const std::string note = refusal + ". The built-in preview picture is shown instead.";
        if (unattended_) {
          StderrMessageSink().Warn(note);
        } else {
          ShowNote(note);
        }
      }
    }
  }
  preview_->SetPicture(BuiltInPicture(pal));
}

void MainWindow::RenderPreview(const ShownEntry& shown, const RenderSettings& settings) {
  LoadPreviewBackground();
  // Laid out and placed as the conversion draws it.
  if (!PreviewLinesFit(fonts_, LayOutLines(fonts_, shown.Lines, settings), settings, state_,
                       *this)) {
    return;
  }
  DrawSubpictureOver(fonts_, {shown}, settings, preview_->Picture(), preview_->Picture().height());
  preview_->PictureChanged();
}

void MainWindow::SampleRender() {
  RenderPreview(ShownEntry{{kSampleLine1, kSampleLine2}, {}}, DrawSettings());
}

void MainWindow::EntryRender() {
  if (!document_) return;
  const int entry = entryList_->currentRow() + 1;
  if (entry < 1 || entry > document_->LineCount()) return;
  const RenderSettings settings = DrawSettings();
  RenderPreview(ShownEntry{EntryTextLines(*document_, entry), document_->LineView(entry).Place},
                settings);
  // Also when the entry was too wide: a second click would only say so again.
  previewRow_ = entry - 1;
}

void MainWindow::RefreshPreview() {
  const int entry = entryList_->currentRow() + 1;
  if (state_.SubtitleLoaded && document_ && entry >= 1 && entry <= document_->LineCount()) {
    EntryRender();
  } else {
    SampleRender();
  }
}

// A new standard's picture, with the text on it.
void MainWindow::FpsChanged() { RefreshPreview(); }

void MainWindow::FontChanged() {
  RefreshPreview();
  if (!state_.SubtitleLoaded) return;
  // A new face, size, style or outline may make a line too wide.
  setWindowTitle(kCheckingCaption);
  CheckAllEntriesFit(*document_, state_, *this);
  setWindowTitle(kMainCaption);
}

// Wrapping changes what is drawn and measured, as a font change does.
void MainWindow::WrapLinesClicked() { FontChanged(); }

void MainWindow::CharsetChanged() {
  // The list shows the rows in the charset the preview draws with.
  if (state_.SubtitleLoaded) RefillEntryList();
  RefreshPreview();
}

void MainWindow::BottomOffsetChanged() {
  RefreshPreview();
  bottomOffsetLabel_->setText(QString::number(bottomOffsetSlider_->value()));
}

void MainWindow::LineSpacingChanged() {
  const int position = lineSpacingSlider_->value();
  // Only even spacings: an odd position moves up by one, which runs this
  // handler again (nested) with the even value before this run goes on.
  if (position % 2 != 0) lineSpacingSlider_->setValue(position + 1);
  RefreshPreview();
  lineSpacingLabel_->setText(QString::number(lineSpacingSlider_->value()));
}

void MainWindow::EntrySelected() {
  if (state_.SubtitleLoaded) EntryRender();
}

void MainWindow::EntryClicked() {
  // A click that selected another entry has drawn it already.
  if (state_.SubtitleLoaded && previewRow_ != entryList_->currentRow()) EntryRender();
}

void MainWindow::ColorChanged() {
  // Colours set while another window is in front (the settings store at
  // start-up, the colour options window) do not redraw.
  if (isActiveWindow()) CharsetChanged();
}

void MainWindow::ChangeImageClicked() {
  // The dialogs' results are not consulted: a cancelled dialog after an
  // earlier choice sets the same path again.
  palPictureDialog_.Execute(this);
  if (!palPictureDialog_.fileName.isEmpty()) {
    palPicture_ = palPictureDialog_.fileName;
  }
  ntscPictureDialog_.Execute(this);
  if (!ntscPictureDialog_.fileName.isEmpty()) {
    ntscPicture_ = ntscPictureDialog_.fileName;
  }
  // The text over the picture of the frame rate chosen.
  RefreshPreview();
}

}  // namespace kestrelpix::window
