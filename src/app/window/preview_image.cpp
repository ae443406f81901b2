#include "app/window/preview_image.h"

#include <QPaintEvent>
#include <QPainter>

namespace kestrelpix::window {

PreviewImage::PreviewImage(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  repaintTimer_.setSingleShot(true);
  connect(&repaintTimer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void PreviewImage::SetFrameSize(QSize size) {
  if (size == frameSize_) return;
  frameSize_ = size;
  update();
}

QSize PreviewImage::sizeHint() const { return QSize(720, 576); }

// A quarter of the frame's area still shows where the text lands.
QSize PreviewImage::minimumSizeHint() const { return QSize(360, 288); }

QRect PreviewImage::PictureRect() const {
  const QSize frame = frameSize_;
  if (frame.isEmpty()) return QRect();
  QSize shown = frame;
  if (frame.width() > width() || frame.height() > height()) {
    shown = frame.scaled(size(), Qt::KeepAspectRatio);
  }
  return QRect(QPoint((width() - shown.width()) / 2, 0), shown);
}

void PreviewImage::SetPicture(const FrameBitmap& picture) {
  picture_ = picture;
  PictureChanged();
}

void PreviewImage::SetPicture(FrameBitmap&& picture) {
  picture_ = std::move(picture);
  PictureChanged();
}

void PreviewImage::PictureChanged() {
  // Converted when painted. During a run the picture changes at every
  // entry, far more often than a screen shows pictures: repaints come at
  // most every kRepaintInterval, the last change always shown.
  shownStale_ = true;
  if (repaintTimer_.isActive()) return;
  const qint64 sinceLast = lastPaint_.isValid() ? lastPaint_.elapsed() : kRepaintInterval;
  if (sinceLast >= kRepaintInterval) {
    update();
  } else {
    repaintTimer_.start(static_cast<int>(kRepaintInterval - sinceLast));
  }
}

QImage PreviewImage::ShownImage() const {
  const int width = picture_.width(), height = picture_.height();
  if (width <= 0 || height <= 0) return QImage();
  QImage image(width, height, QImage::Format_RGB32);
  // Transparent colour: the bottom-left pixel's.
  const uint8_t* keyPixel = picture_.Row(height - 1);
  const QRgb key = qRgb(keyPixel[2], keyPixel[1], keyPixel[0]);
  const QRgb face = palette().color(QPalette::Window).rgb();
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = picture_.Row(y);
    auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x, src += 3) {
      const QRgb colour = qRgb(src[2], src[1], src[0]);
      dst[x] = colour == key ? face : colour;
    }
  }
  return image;
}

void PreviewImage::changeEvent(QEvent* event) {
  // The transparent pixels show the window's face colour of the moment.
  if (event->type() == QEvent::PaletteChange) PictureChanged();
  QWidget::changeEvent(event);
}

void PreviewImage::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), palette().color(QPalette::Window));
  lastPaint_.start();
  if (shownStale_) {
    shown_ = ShownImage();
    shownStale_ = false;
  }
  if (shown_.isNull()) return;
  // A picture of another size than the frame is stretched to the frame's
  // place; a scaled-down frame is smoothed so that thin strokes stay visible.
  const QRect target = PictureRect();
  if (target.size() != shown_.size()) painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, shown_);
}

FrameBitmap FrameFromImage(const QImage& image, int width, int height) {
  QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  if (rgb.width() != width || rgb.height() != height) {
    rgb = rgb.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
              .convertToFormat(QImage::Format_RGB888);
  }
  FrameBitmap frame(width, height);
  for (int y = 0; y < height; ++y) {
    const uchar* src = rgb.constScanLine(y);
    uint8_t* dst = frame.Row(y);
    for (int x = 0; x < width; ++x) {
      dst[x * 3] = src[x * 3 + 2];  // blue
      dst[x * 3 + 1] = src[x * 3 + 1];
      dst[x * 3 + 2] = src[x * 3];  // red
    }
  }
  return frame;
}

}  // namespace kestrelpix::window
