// Encode, decode with the test decoder, compare: random bands of every kind
// of run, and the packs around them.
#include <gtest/gtest.h>

#include <random>

#include "vobsub/ps_packer.h"
#include "vobsub/spu_decoder.h"
#include "vobsub/spu_encoder.h"
#include "vobsub/test_frames.h"

namespace kestrelpix {
namespace {

using testing::DecodedUnit;
using testing::DecodeUnit;
using testing::EncodedRow;
using testing::ExpectedIndices;
using testing::TestIndexOf;

const ColorKeys kKeys =
    ColorKeysFrom(testing::kTestText, testing::kTestOutline, testing::kTestAntialias);

// The four key colours and two colours of no key (index 0).
const ColorValue kPalette[] = {kBackgroundBlue,       testing::kTestText,
                               testing::kTestOutline, testing::kTestAntialias,
                               MakeColor(10, 20, 30), MakeColor(0, 0, 254)};

// Fills the band with runs of random colours and lengths: mostly short,
// sometimes past 255 and 510 pixels, so that every code form appears.
void PaintRandomBand(FrameBitmap& frame, int top, int height, std::mt19937& random) {
  std::uniform_int_distribution<int> colour(0, 5);
  std::uniform_int_distribution<int> kind(0, 9);
  for (int y = top; y < top + height; ++y) {
    int x = 0;
    while (x < 720) {
      int length = 1;
      switch (kind(random)) {
        case 0:
          length = std::uniform_int_distribution<int>(200, 720)(random);
          break;
        case 1:
        case 2:
          length = std::uniform_int_distribution<int>(16, 80)(random);
          break;
        default:
          length = std::uniform_int_distribution<int>(1, 15)(random);
          break;
      }
      const ColorValue c = kPalette[colour(random)];
      for (int i = 0; i < length && x < 720; ++i, ++x) frame.SetPixel(x, y, c);
    }
  }
}

TEST(RoundTrip, RandomBandsDecodeToTheirIndices) {
  std::mt19937 random(20240611);
  for (int trial = 0; trial < 200; ++trial) {
    const bool pal = trial % 2 == 0;
    FrameBitmap frame(720, pal ? 576 : 480);
    const int height = std::uniform_int_distribution<int>(1, trial % 10 == 0 ? 200 : 80)(random);
    const int top = std::uniform_int_distribution<int>(0, frame.height() - height)(random);
    PaintRandomBand(frame, top, height, random);
    const double start = std::uniform_int_distribution<int>(0, 7200000)(random);
    const double end = start + std::uniform_int_distribution<int>(-1000, 700000)(random);
    SCOPED_TRACE("trial " + std::to_string(trial) + ", band " + std::to_string(top) + " + " +
                 std::to_string(height));

    const std::vector<uint8_t> unit = EncodeSubpicture(frame, top, height, start, end, kKeys);
    const DecodedUnit decoded = DecodeUnit(unit);
    EXPECT_EQ(decoded.x1, 0);
    EXPECT_EQ(decoded.x2, 719);
    EXPECT_EQ(decoded.y1, top);
    EXPECT_EQ(decoded.y2, top + height - 1);
    ASSERT_EQ(decoded.indices, ExpectedIndices(frame, top, height, TestIndexOf));

    // Two sequences: start with colours, contrast, area and fields at 0; stop
    // after the delay.
    ASSERT_EQ(decoded.sequences.size(), 2u);
    EXPECT_EQ(decoded.sequences[0].delay, 0);
    EXPECT_EQ(decoded.sequences[0].commands[0], 0x01);
    EXPECT_EQ(decoded.sequences[1].delay, StopDelayUnits(start, end));
    EXPECT_EQ(decoded.sequences[1].commands, std::vector<uint8_t>{0x02});
    EXPECT_EQ(unit.size() % 2, 0u);

    // The packs carry the unit with the start's time stamp.
    std::vector<uint8_t> stream;
    const int packs = PackSubpicture(unit, start, stream);
    uint64_t pts = 0;
    int counted = 0;
    EXPECT_EQ(testing::UnitFromPacks(stream, 0, &pts, &counted), unit);
    EXPECT_EQ(pts, static_cast<uint64_t>(start) * 90);
    EXPECT_EQ(counted, packs);
  }
}

TEST(RoundTrip, RowsLongerThanTheWritersBufferDecodeToTheirIndices) {
  // Rows of one-pixel runs with a few runs of 16 to 63 pixels (three-nibble
  // codes) at shifting places: many rows are longer than the 256 bytes the
  // row writer gathers before handing them over, and the hand-over falls at
  // every phase of the codes.
  FrameBitmap frame(720, 576);
  const ColorValue colours[] = {testing::kTestText, testing::kTestOutline, testing::kTestAntialias,
                                kBackgroundBlue};
  for (int y = 0; y < 400; ++y) {
    const int every = 20 + y % 61;  // one long run in so many codes
    const int length = 16 + y % 7;
    int x = 0, k = 0;
    while (x < 720) {
      const int run = (k + y / 61) % every == 0 ? length : 1;
      for (int i = 0; i < run && x < 720; ++i) frame.SetPixel(x++, y, colours[k % 4]);
      ++k;
    }
  }
  int longRows = 0;
  for (int y = 0; y < 400; ++y) {
    if (EncodedRow({frame.Row(y), 720 * 3}, kKeys).size() > 256) ++longRows;
  }
  EXPECT_GE(longRows, 250);
  for (int top = 0; top < 400; top += 100) {
    const std::vector<uint8_t> unit = EncodeSubpicture(frame, top, 100, 0, 1000, kKeys);
    ASSERT_EQ(DecodeUnit(unit).indices, ExpectedIndices(frame, top, 100, TestIndexOf)) << top;
  }
}

TEST(RoundTrip, KeysThatShareAColourDecodeToTheWinningIndex) {
  // Outline and text both white: white pixels are text (1); antialias blue
  // like the background: those pixels are background (0).
  const ColorKeys keys = ColorKeysFrom(testing::kTestText, testing::kTestText, kBackgroundBlue);
  FrameBitmap frame(720, 576);
  testing::FillRect(frame, 100, 300, 50, 10, testing::kTestText);
  testing::FillRect(frame, 200, 300, 50, 10, kBackgroundBlue);
  const DecodedUnit decoded = DecodeUnit(EncodeSubpicture(frame, 300, 10, 0, 1000, keys));
  for (int row = 0; row < 10; ++row) {
    EXPECT_EQ(decoded.At(98, row), 0);
    EXPECT_EQ(decoded.At(99, row), 1);  // pixel 100
    EXPECT_EQ(decoded.At(148, row), 1);
    EXPECT_EQ(decoded.At(149, row), 0);
    EXPECT_EQ(decoded.At(220, row), 0);
  }
}

}  // namespace
}  // namespace kestrelpix
