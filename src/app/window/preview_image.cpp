#include "app/window/preview_image.h"

#include <QPaintEvent>
#include <QPainter>

namespace kestrelpix::window {

TPreviewImage::TPreviewImage(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TPreviewImage::SetPicture(const FrameBitmap& picture) {
  picture_ = picture;
  PictureChanged();
}

void TPreviewImage::SetPicture(FrameBitmap&& picture) {
  picture_ = std::move(picture);
  PictureChanged();
}

void TPreviewImage::PictureChanged() {
  shown_ = ShownImage();
  update();
}

QImage TPreviewImage::ShownImage() const {
  QImage image = ImageFromFrame(picture_);
  if (image.isNull()) return image;
  // Transparent colour: the bottom-left pixel's.
  const QRgb key = image.pixel(0, image.height() - 1);
  const QRgb face = palette().color(QPalette::Window).rgb();
  for (int y = 0; y < image.height(); ++y) {
    uchar* row = image.scanLine(y);
    for (int x = 0; x < image.width(); ++x) {
      uchar* p = row + x * 3;
      if (qRgb(p[0], p[1], p[2]) == key) {
        p[0] = static_cast<uchar>(qRed(face));
        p[1] = static_cast<uchar>(qGreen(face));
        p[2] = static_cast<uchar>(qBlue(face));
      }
    }
  }
  return image;
}

void TPreviewImage::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), palette().color(QPalette::Window));
  if (shown_.isNull()) return;
  // Stretched to the control, which for a frame-sized picture is 1:1.
  painter.drawImage(rect(), shown_);
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

QImage ImageFromFrame(const FrameBitmap& frame) {
  if (frame.width() <= 0 || frame.height() <= 0) return QImage();
  QImage image(frame.width(), frame.height(), QImage::Format_RGB888);
  for (int y = 0; y < frame.height(); ++y) {
    const uint8_t* src = frame.Row(y);
    uchar* dst = image.scanLine(y);
    for (int x = 0; x < frame.width(); ++x) {
      dst[x * 3] = src[x * 3 + 2];
      dst[x * 3 + 1] = src[x * 3 + 1];
      dst[x * 3 + 2] = src[x * 3];
    }
  }
  return image;
}

}  // namespace kestrelpix::window
