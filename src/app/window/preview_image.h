// The preview picture: a 24-bit frame, shown pixel for pixel when the
// control has room for it and scaled down, keeping its proportions, when the
// window is too small. It shows its picture with transparency on, as the
// window always has: pixels of the colour of the picture's bottom-left pixel
// show the window's face colour.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include "base/frame_bitmap.h"

namespace kestrelpix::window {

class PreviewImage : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewImage(QWidget* parent = nullptr);

  // The picture the preview renders draw on.
  FrameBitmap& Picture() { return picture_; }
  const FrameBitmap& Picture() const { return picture_; }

  // Replaces the picture and shows it.
  void SetPicture(const FrameBitmap& picture);
  void SetPicture(FrameBitmap&& picture);
  // Shows the current picture again after drawing on it.
  void PictureChanged();

  // What the screen shows: the picture with its transparent colour replaced
  // by the window's face colour.
  QImage ShownImage() const;

  // The frame size of the standard (720x576 or 720x480): the picture's own
  // size, whatever room the window gives the control.
  QSize FrameSize() const { return frameSize_; }
  void SetFrameSize(QSize size);
  // Where the picture lands in the control: its frame size, centred at the
  // top, when it fits; otherwise the largest rectangle of its proportions.
  QRect PictureRect() const;

  // Room for a PAL frame, which an NTSC frame also uses.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  FrameBitmap picture_;
  QSize frameSize_{720, 576};
  QImage shown_;
  bool shownStale_ = true;
  static constexpr qint64 kRepaintInterval = 20;  // milliseconds
  QElapsedTimer lastPaint_;
  QTimer repaintTimer_;
};

// A picture in any format Qt reads, as a 24-bit frame of the given size. A
// picture of another size is scaled to it, so that text is placed where it
// lands on the video frame.
FrameBitmap FrameFromImage(const QImage& image, int width, int height);

}  // namespace kestrelpix::window
