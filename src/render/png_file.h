// Frames as PNG files, 8-bit RGB. The same frame always gives the same file.
#pragma once

#include <string>

#include "base/frame_bitmap.h"

namespace kestrelpix {

// Throws FileError when the file cannot be created, Error when libpng fails.
void WritePng(const FrameBitmap& frame, const std::string& path);

// Reads any PNG (grey, palette and 16-bit pictures are converted to 8-bit
// RGB; transparent pixels are laid over black). Throws FileError when the file cannot be
// opened, Error when it is not a PNG or is larger than 16384 x 16384.
FrameBitmap ReadPng(const std::string& path);

}  // namespace kestrelpix
