#include "render/png_file.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::TempDir;

// The CRC-32 of PNG chunks (polynomial 0xEDB88320, bit by bit).
uint32_t Crc32(std::string_view bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

TEST(PngFile, RoundTripKeepsEveryByte) {
  TempDir dir;
  FrameBitmap frame(7, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      frame.SetPixel(x, y,
                     MakeColor(static_cast<uint8_t>(x * 36), static_cast<uint8_t>(y * 60),
                               static_cast<uint8_t>(x * y)));
    }
  }
  const std::string path = (dir.path() / "frame.png").string();
  WritePng(frame, path);
  FrameBitmap back = ReadPng(path);
  EXPECT_EQ(back.width(), 7);
  EXPECT_EQ(back.height(), 5);
  EXPECT_EQ(back.bytes(), frame.bytes());
  // The file is an RGB PNG: signature, then IHDR with colour type 2.
  std::string bytes = testing::ReadFileBytes(path);
  ASSERT_GT(bytes.size(), 26u);
  EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1A\n");
  EXPECT_EQ(bytes.substr(12, 4), "IHDR");
  EXPECT_EQ(bytes[24], 8);  // bit depth
  EXPECT_EQ(bytes[25], 2);  // colour type RGB
  // The same frame gives the same file.
  const std::string again = (dir.path() / "again.png").string();
  WritePng(frame, again);
  EXPECT_EQ(testing::ReadFileBytes(again), bytes);
}

TEST(PngFile, ReadsGreyAndPalettePictures) {
  TempDir dir;
  // A 2 x 1 8-bit grey PNG (pixels 0x00, 0xFF): IHDR, one IDAT (zlib of
  // filter byte 0 and the two pixels), IEND, each with its CRC.
  const std::string grey(
      "\x89PNG\r\n\x1A\n"
      "\x00\x00\x00\x0DIHDR\x00\x00\x00\x02\x00\x00\x00\x01\x08\x00\x00\x00\x00\xD1\x49\x20\x56"
      "\x00\x00\x00\x0BIDAT\x78\xDA\x63\x60\xF8\x0F\x00\x01\x02\x01\x00\xD1\x1A\xCB\x8F"
      "\x00\x00\x00\x00IEND\xAE\x42\x60\x82",
      8 + 25 + 23 + 12);
  FrameBitmap frame = ReadPng(dir.Write("grey.png", grey));
  ASSERT_EQ(frame.width(), 2);
  EXPECT_EQ(frame.PixelAt(0, 0), MakeColor(0, 0, 0));
  EXPECT_EQ(frame.PixelAt(1, 0), MakeColor(255, 255, 255));
}

TEST(PngFile, BadFilesAreErrors) {
  TempDir dir;
  EXPECT_THROW(ReadPng((dir.path() / "missing.png").string()), FileError);
  EXPECT_THROW(ReadPng(dir.Write("text.png", "not a picture at all")), Error);
  // A PNG cut off after its header.
  FrameBitmap frame(50, 50);
  const std::string path = (dir.path() / "whole.png").string();
  WritePng(frame, path);
  std::string bytes = testing::ReadFileBytes(path);
  EXPECT_THROW(ReadPng(dir.Write("cut.png", bytes.substr(0, 40))), Error);
  // A well-formed header that claims 100000 x 100000 pixels is refused
  // before any allocation of that size.
  std::string huge = bytes;
  huge.replace(16, 8, Be32(100000) + Be32(100000));
  huge.replace(29, 4, Be32(Crc32(huge.substr(12, 17))));
  EXPECT_THROW(ReadPng(dir.Write("huge.png", huge)), Error);
  EXPECT_THROW(WritePng(frame, (dir.path() / "no" / "such" / "dir.png").string()), FileError);
  EXPECT_THROW(WritePng(FrameBitmap(), (dir.path() / "empty.png").string()), Error);
}

}  // namespace
}  // namespace kestrelpix
