#include "render/png_file.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/errors.h"

namespace kestrelpix {

namespace {

constexpr png_uint_32 kMaxSide = 16384;

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

// libpng's simplified interface keeps its longjmp error handling to itself
// and reports failure through the return value and image.message.
struct ImageGuard {
  png_image* image;
  ~ImageGuard() { png_image_free(image); }
};

}  // namespace

void WritePng(const FrameBitmap& frame, const std::string& path) {
  if (frame.width() <= 0 || frame.height() <= 0) {
    throw Error("Cannot write an empty picture to " + path);
  }
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) throw FileErrorFromErrno(errno);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(frame.width());
  image.height = static_cast<png_uint_32>(frame.height());
  image.format = PNG_FORMAT_BGR;  // the frame's byte order
  ImageGuard guard{&image};
  if (!png_image_write_to_stdio(&image, file.get(), 0, frame.bytes().data(), 0, nullptr)) {
    throw Error("Cannot write PNG file " + path + ": " + image.message);
  }
  if (std::fflush(file.get()) != 0) throw FileErrorFromErrno(errno);
}

FrameBitmap ReadPng(const std::string& path) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) throw FileErrorFromErrno(errno);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ImageGuard guard{&image};
  if (!png_image_begin_read_from_stdio(&image, file.get())) {
    throw Error("Cannot read PNG file " + path + ": " + image.message);
  }
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide) {
    throw Error(path + " is larger than 16384 x 16384 pixels");
  }
  image.format = PNG_FORMAT_BGR;
  FrameBitmap frame(static_cast<int>(image.width), static_cast<int>(image.height));
  // Transparent pixels are laid over black.
  png_color black{0, 0, 0};
  std::vector<uint8_t> pixels(frame.bytes().size());
  if (!png_image_finish_read(&image, &black, pixels.data(), 0, nullptr)) {
    throw Error("Cannot read PNG file " + path + ": " + image.message);
  }
  const size_t row_bytes = static_cast<size_t>(frame.width()) * 3;
  for (int y = 0; y < frame.height(); ++y) {
    std::copy_n(pixels.data() + y * row_bytes, row_bytes, frame.Row(y));
  }
  return frame;
}

}  // namespace kestrelpix
