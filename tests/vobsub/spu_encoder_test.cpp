#include "vobsub/spu_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "support/collecting_sink.h"
#include "vobsub/hex.h"
#include "vobsub/spu_decoder.h"
#include "vobsub/test_frames.h"

namespace kestrelpix {
namespace {

using testing::CollectingMessageSink;
using testing::EncodedRow;
using testing::Hex;
using testing::kTestAntialias;
using testing::kTestOutline;
using testing::kTestText;
using testing::ToHex;

const ColorKeys kKeys = ColorKeysFrom(kTestText, kTestOutline, kTestAntialias);
constexpr ColorValue kBlue = kBackgroundBlue;

// A 720-pixel row, blue, green, red bytes per pixel.
std::vector<uint8_t> Row(const std::function<ColorValue(int)>& colorAt) {
  std::vector<uint8_t> row(720 * 3);
  for (int x = 0; x < 720; ++x) {
    const ColorValue c = colorAt(x);
    row[3 * x] = BlueOf(c);
    row[3 * x + 1] = GreenOf(c);
    row[3 * x + 2] = RedOf(c);
  }
  return row;
}

std::string EncodeRowHex(const std::function<ColorValue(int)>& colorAt) {
  return ToHex(EncodedRow(Row(colorAt), kKeys));
}

// Text at p1 .. pL, background after.
std::string TextRunRow(int length) {
  return EncodeRowHex([length](int x) { return x >= 1 && x <= length ? kTestText : kBlue; });
}

TEST(ClassifyPixel, ComparesExactBytesWithLaterKeysWinning) {
  EXPECT_EQ(ClassifyPixel(255, 255, 255, kKeys), 1);  // text
  EXPECT_EQ(ClassifyPixel(0, 0, 0, kKeys), 2);        // outline
  EXPECT_EQ(ClassifyPixel(128, 128, 128, kKeys), 3);  // antialias
  EXPECT_EQ(ClassifyPixel(0, 0, 255, kKeys), 0);      // background
  EXPECT_EQ(ClassifyPixel(128, 128, 129, kKeys), 0);  // no key: transparent
  EXPECT_EQ(ClassifyPixel(255, 0, 0, kKeys), 0);      // red and blue bytes are not swapped

  // Equal keys: text wins over outline wins over antialias.
  const ColorKeys allRed =
      ColorKeysFrom(MakeColor(255, 0, 0), MakeColor(255, 0, 0), MakeColor(255, 0, 0));
  EXPECT_EQ(ClassifyPixel(255, 0, 0, allRed), 1);
  const ColorKeys outlineIsAntialias = ColorKeysFrom(kTestText, kTestOutline, kTestOutline);
  EXPECT_EQ(ClassifyPixel(0, 0, 0, outlineIsAntialias), 2);
  // A key equal to the background blue never yields its index.
  const ColorKeys blueText = ColorKeysFrom(kBlue, kTestOutline, kTestAntialias);
  EXPECT_EQ(ClassifyPixel(0, 0, 255, blueText), 0);

  // ColorKeysFrom reads red from the low byte of 0x00BBGGRR.
  const ColorKeys keys = ColorKeysFrom(0x00332211, 0x00665544, 0x00998877);
  EXPECT_EQ(keys.text[0], 0x11);
  EXPECT_EQ(keys.text[2], 0x33);
  EXPECT_EQ(keys.outline[1], 0x55);
  EXPECT_EQ(keys.antialias[2], 0x99);
}

TEST(EncodeRow, WorkedRows) {
  // 720 background pixels: p1 .. p718 are one run of 718, one longer for
  // p719: 719 = 255 + 255 + 209, index 0. Codes v = 4n: 1020 = 0x3FC twice
  // and 836 = 0x344, four nibbles each: 03 FC 03 FC 03 44, then 00 00.
  EXPECT_EQ(EncodeRowHex([](int) { return kBlue; }), "03 FC 03 FC 03 44 00 00");

  // p1..p99 background, p100..p104 text, the rest background: runs 99 (0),
  // 5 (1), 615 (0). 99: v = 396 = 0x18C -> 0 1 8 C; 5: v = 21 = 0x15 -> 1 5;
  // 615 = 255 + 255 + 105: 03 FC 03 FC and v = 420 = 0x1A4 -> 0 1 A 4.
  // 18 nibbles, so no padding before 00 00.
  EXPECT_EQ(EncodeRowHex([](int x) { return x >= 100 && x <= 104 ? kTestText : kBlue; }),
            "01 8C 15 03 FC 03 FC 01 A4 00 00");
}

TEST(EncodeRow, CodeFormsAtEveryLengthBoundary) {
  // Each row: a text run of L pixels from p1 (index 1), then 719 - L
  // background (index 0). Code value v = 4n + index; its nibble count: 1 for
  // v < 16, 2 below 64, 3 below 256, else 4. An odd nibble count gets a zero
  // nibble before the end-of-line 00 00.
  // L=1: v=5 -> 5; rest 718 = 255+255+208, 208*4 = 0x340. 13 nibbles + pad.
  EXPECT_EQ(TextRunRow(1), "50 3F C0 3F C0 34 00 00 00");
  // L=3: v=13 -> D; rest 716 = 255+255+206, 206*4 = 0x338.
  EXPECT_EQ(TextRunRow(3), "D0 3F C0 3F C0 33 80 00 00");
  // L=4: v=17 -> 1 1 (two nibbles); rest 715: 205*4 = 0x334. 14 nibbles.
  EXPECT_EQ(TextRunRow(4), "11 03 FC 03 FC 03 34 00 00");
  // L=15: v=61 -> 3 D; rest 704: 194*4 = 0x308.
  EXPECT_EQ(TextRunRow(15), "3D 03 FC 03 FC 03 08 00 00");
  // L=16: v=65 -> 0 4 1 (three nibbles); rest 703: 193*4 = 0x304. 15 + pad.
  EXPECT_EQ(TextRunRow(16), "04 10 3F C0 3F C0 30 40 00 00");
  // L=63: v=253 -> 0 F D; rest 656: 146*4 = 0x248.
  EXPECT_EQ(TextRunRow(63), "0F D0 3F C0 3F C0 24 80 00 00");
  // L=64: v=257 -> 0 1 0 1 (four nibbles); rest 655: 145*4 = 0x244.
  EXPECT_EQ(TextRunRow(64), "01 01 03 FC 03 FC 02 44 00 00");
  // L=255: one code, v=1021 -> 0 3 F D; rest 464 = 255 + 209.
  EXPECT_EQ(TextRunRow(255), "03 FD 03 FC 03 44 00 00");
  // L=256: codes 255 and 1 (v=5); rest 463 = 255 + 208. 13 nibbles + pad.
  EXPECT_EQ(TextRunRow(256), "03 FD 50 3F C0 34 00 00 00");
  // L=510: codes 255 and 255; rest 209.
  EXPECT_EQ(TextRunRow(510), "03 FD 03 FD 03 44 00 00");
  // L=511: codes 255, 255 and 1; rest 208.
  EXPECT_EQ(TextRunRow(511), "03 FD 03 FD 50 34 00 00 00");
  // The whole row text: 719 = 255 + 255 + 209 with index 1: 03FD 03FD 0345.
  EXPECT_EQ(TextRunRow(719), "03 FD 03 FD 03 45 00 00");
  // A run of exactly 255 carries its index in the last two bits: 03 FC to
  // 03 FF for indices 0 to 3 (antialias here, then the 464 background).
  EXPECT_EQ(EncodeRowHex([](int x) { return x >= 1 && x <= 255 ? kTestAntialias : kBlue; }),
            "03 FF 03 FC 03 44 00 00");
}

TEST(EncodeRow, RunsFollowRawColourAndTheRowEnds) {
  // Two colours of no key, (1,2,3) at p1..p10 then blue: both index 0 but two
  // runs: 10 (v=40 = 0x28) and 709 = 255 + 255 + 199 (199*4 = 0x31C).
  EXPECT_EQ(EncodeRowHex([](int x) { return x <= 10 ? MakeColor(1, 2, 3) : kBlue; }),
            "28 03 FC 03 FC 03 1C 00 00");
  // Text at p0 is not encoded; text at p719 is never read: both rows equal
  // the all-background row.
  EXPECT_EQ(EncodeRowHex([](int x) { return x == 0 ? kTestText : kBlue; }),
            "03 FC 03 FC 03 44 00 00");
  EXPECT_EQ(EncodeRowHex([](int x) { return x == 719 ? kTestText : kBlue; }),
            "03 FC 03 FC 03 44 00 00");
  // Text at p718 shows for p719 as well: 717 background (255+255+207,
  // 207*4 = 0x33C), then a text run of 2 (v=9). 13 nibbles + pad.
  EXPECT_EQ(EncodeRowHex([](int x) { return x == 718 ? kTestText : kBlue; }),
            "03 FC 03 FC 03 3C 90 00 00");
  // Text colour equal to the outline colour: all such pixels are index 1.
  const ColorKeys same = ColorKeysFrom(kTestOutline, kTestOutline, kTestAntialias);
  EXPECT_EQ(
      ToHex(EncodedRow(Row([](int x) { return x >= 1 && x <= 4 ? kTestOutline : kBlue; }), same)),
      "11 03 FC 03 FC 03 34 00 00");
}

// The row rule stated pixel by pixel, as plainly as it can be written: runs
// of equal bytes over pixels 1 .. w-2, the last run one pixel longer, each
// run cut into codes of at most 255, nibbles packed high first, a zero
// nibble to finish a byte, then 00 00.
std::vector<uint8_t> PlainEncodeRow(const std::vector<uint8_t>& row, const ColorKeys& keys) {
  std::vector<int> nibbles;
  auto code = [&](int length, int index) {
    const int value = length * 4 + index;
    const int count = length < 4 ? 1 : length < 16 ? 2 : length < 64 ? 3 : 4;
    for (int k = count - 1; k >= 0; --k) nibbles.push_back(value >> (4 * k) & 0xF);
  };
  const int width = static_cast<int>(row.size() / 3);
  const int last = width - 2;
  int x = 1;
  while (x <= last) {
    int end = x + 1;
    while (end <= last && std::equal(&row[3 * end], &row[3 * end + 3], &row[3 * x])) ++end;
    int length = end - x + (end > last ? 1 : 0);
    const int index = ClassifyPixel(row[3 * x + 2], row[3 * x + 1], row[3 * x], keys);
    for (; length > 255; length -= 255) code(255, index);
    code(length, index);
    x = end;
  }
  if (nibbles.size() % 2 != 0) nibbles.push_back(0);
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < nibbles.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(nibbles[i] << 4 | nibbles[i + 1]));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

TEST(EncodeRow, AgreesWithThePlainRuleForAnyWidthAndColours) {
  // Colours one byte apart from each other and from the keys, so that a
  // change in any of a pixel's three bytes must end a run; widths from none
  // to wider than a frame, so that every block boundary and tail is met.
  const ColorValue colours[] = {kBlue,
                                kTestText,
                                kTestOutline,
                                kTestAntialias,
                                MakeColor(1, 0, 255),
                                MakeColor(0, 1, 255),
                                MakeColor(0, 0, 254),
                                MakeColor(RedOf(kTestText), GreenOf(kTestText), 0)};
  std::vector<int> widths;
  for (int w = 0; w <= 70; ++w) widths.push_back(w);
  for (int w : {719, 720, 721, 1023, 1024, 1025, 1100, 4000}) widths.push_back(w);
  std::mt19937 random(77);
  for (int width : widths) {
    for (int trial = 0; trial < 12; ++trial) {
      std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
      const int longest = trial % 3 == 0 ? 600 : trial % 3 == 1 ? 20 : 2;
      for (int x = 0; x < width;) {
        const ColorValue c = colours[random() % std::size(colours)];
        const int length = 1 + static_cast<int>(random() % static_cast<unsigned>(longest));
        for (int i = 0; i < length && x < width; ++i, ++x) {
          row[3 * x] = BlueOf(c);
          row[3 * x + 1] = GreenOf(c);
          row[3 * x + 2] = RedOf(c);
        }
      }
      ASSERT_EQ(ToHex(EncodedRow(row, kKeys)), ToHex(PlainEncodeRow(row, kKeys)))
          << "width " << width << ", trial " << trial;
    }
  }
}

TEST(EncodeSubpicture, TwoBlankRowsGiveThe52ByteUnit) {
  FrameBitmap frame(720, 576);
  std::vector<uint8_t> unit = EncodeSubpicture(frame, 474, 2, 0, 2000, kKeys);
  // Top field: row 474 (8 bytes), bottom field: row 475 (8 bytes), so
  // Q = 6 + 8 + 8 = 22 = 0x16 and the unit is Q + 30 = 52 = 0x34 bytes.
  // Sequence 1 at 22: delay 0, next at Q + 24 = 46 = 0x2E, start, colours
  // 03 01 23, contrast 04 FF F0, area 05: x 0..719 (000, 2CF), y 474..475
  // (1DA, 1DB) -> 00 02 CF 1D A1 DB, field offsets 06 0006 000E, end FF.
  // Sequence 2 at 46: delay 2000 ms * 90 / 1024 = 175.78 -> 176 = 0x00B0,
  // next 2E (itself), stop 02, end FF. T + B = 16 is even: no extra FF.
  EXPECT_EQ(ToHex(unit),
            "00 34 00 16 00 00 "
            "03 FC 03 FC 03 44 00 00 03 FC 03 FC 03 44 00 00 "
            "00 00 00 2E 01 03 01 23 04 FF F0 05 00 02 CF 1D A1 DB 06 00 06 00 0E FF "
            "00 B0 00 2E 02 FF");
}

TEST(EncodeSubpicture, OddFieldBytesEndWithTwoFF) {
  FrameBitmap frame(720, 576);
  frame.SetPixel(1, 100, kTestText);  // row 100 becomes the 9-byte "L=1" row
  std::vector<uint8_t> unit = EncodeSubpicture(frame, 100, 2, 0, 1000, kKeys);
  // T = 9, B = 8: T + B = 17 is odd. Q = 23 = 0x17, sequence 2 at 47 = 0x2F,
  // bottom field at 6 + 9 = 15 = 0x0F, area y 100..101 = 064, 065 ->
  // 06 40 65; delay 1000 * 90 / 1024 = 87.89 -> 88 = 0x58. The unit is
  // Q + 31 = 54 = 0x36 bytes: its last two bytes are FF (end of sequence 2
  // and the padding byte).
  EXPECT_EQ(ToHex(unit),
            "00 36 00 17 00 00 "
            "50 3F C0 3F C0 34 00 00 00 03 FC 03 FC 03 44 00 00 "
            "00 00 00 2F 01 03 01 23 04 FF F0 05 00 02 CF 06 40 65 06 00 06 00 0F FF "
            "00 58 00 2F 02 FF FF");
}

// The stop delay of a unit, read back by the test decoder.
int StopDelayOf(const std::vector<uint8_t>& unit) {
  const testing::DecodedUnit decoded = testing::DecodeUnit(unit);
  return decoded.sequences.back().delay;
}

TEST(EncodeSubpicture, StopDelayRoundsHalfToEvenAndNeverWraps) {
  FrameBitmap frame(720, 576);
  auto delay = [&](double start, double end, MessageSink* sink = nullptr) {
    return StopDelayOf(EncodeSubpicture(frame, 474, 2, start, end, kKeys, sink));
  };
  // 256 ms * 90 / 1024 = 22.5 -> 22 (even); 768 ms -> 67.5 -> 68 (even).
  EXPECT_EQ(delay(1000, 1256), 22);
  EXPECT_EQ(delay(1000, 1768), 68);
  EXPECT_EQ(delay(5000, 5000), 0);  // end equals start
  EXPECT_EQ(delay(5000, 4000), 0);  // end before start: 0, not 65535 - 87

  // 745643 ms -> 65535.03 -> 65535 still fits: no warning.
  CollectingMessageSink sink;
  EXPECT_EQ(delay(0, 745643, &sink), 65535);
  EXPECT_TRUE(sink.warnings.empty());
  // 745649 ms -> 65535.56 rounds to 65536, which the field cannot hold: the
  // stop is written at the field's maximum (not wrapped to 0) with a warning.
  EXPECT_EQ(delay(0, 745649, &sink), 65535);
  // 20 minutes would wrap to 105469 - 65536 = 39933 units (7.6 minutes).
  EXPECT_EQ(delay(0, 1200000, &sink), 65535);
  ASSERT_EQ(sink.warnings.size(), 2u);
  EXPECT_NE(sink.warnings[0].find("00:00:00:000"), std::string::npos);

  EXPECT_EQ(StopDelayUnits(0, 2000), 176);
  EXPECT_EQ(StopDelayUnits(0, 1200000), 105469);
}

TEST(EncodeSubpicture, RefusesBandsOutsideTheFrameBeforeReadingThem) {
  FrameBitmap frame(720, 480);
  auto message = [&](int top, int height) -> std::string {
    try {
      EncodeSubpicture(frame, top, height, 0, 1000, kKeys);
    } catch (const Error& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_EQ(message(-2, 10), "Scan line index out of range");
  EXPECT_EQ(message(474, 8), "Scan line index out of range");         // rows 474..481 of 480
  EXPECT_EQ(message(472, 8), "");                                     // rows 472..479: the last row
  EXPECT_EQ(message(2147483646, 2), "Scan line index out of range");  // no overflow of the sum
  EXPECT_EQ(message(10, 0), "The subtitle band has no rows");

  FrameBitmap narrow(704, 576);
  EXPECT_THROW(EncodeSubpicture(narrow, 0, 2, 0, 1000, kKeys), Error);
}

// Every pixel alternates text/outline from p1: 717 runs of one pixel and a
// last run of two, one nibble each: 718 nibbles = 359 bytes + 00 00.
FrameBitmap CheckerRows(int rows) {
  FrameBitmap frame(720, 576);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < 720; ++x) frame.SetPixel(x, y, (x + y) % 2 ? kTestText : kTestOutline);
  }
  return frame;
}

TEST(EncodeSubpicture, LargeUnitsWarnAndTooLargeOnesAreRefused) {
  // 160 rows of 361 bytes: 57760 + 6 + 30 = 57796 bytes, above the 53220
  // bytes DVD players buffer: written, with a warning.
  CollectingMessageSink sink;
  std::vector<uint8_t> unit = EncodeSubpicture(CheckerRows(160), 0, 160, 0, 1000, kKeys, &sink);
  EXPECT_EQ(unit.size(), 57796u);
  EXPECT_EQ(testing::DecodeUnit(unit).height(), 160);
  ASSERT_EQ(sink.warnings.size(), 1u);
  EXPECT_NE(sink.warnings[0].find("57796 bytes"), std::string::npos);

  // 147 rows: T + B = 53067 is odd, so 6 + 53067 + 31 = 53104 bytes, below
  // the limit: no warning.
  CollectingMessageSink quiet;
  EXPECT_EQ(EncodeSubpicture(CheckerRows(147), 0, 147, 0, 1000, kKeys, &quiet).size(), 53104u);
  EXPECT_TRUE(quiet.warnings.empty());

  // 200 rows need 72236 bytes: more than the 16-bit unit size can say.
  EXPECT_THROW(EncodeSubpicture(CheckerRows(200), 0, 200, 0, 1000, kKeys), SubpictureTooLargeError);
}

TEST(DisplaySpans, SplitsOnlyDisplaysTheDelayFieldCannotHold) {
  // A delay that fits: the entry as it is.
  EXPECT_EQ(DisplaySpans(1000, 3000), (std::vector<DisplaySpan>{{1000, 3000}}));
  EXPECT_EQ(DisplaySpans(0, 745643), (std::vector<DisplaySpan>{{0, 745643}}));
  EXPECT_EQ(DisplaySpans(5000, 4000), (std::vector<DisplaySpan>{{5000, 4000}}));
  // 20 minutes from 10 s: 10000 .. 755472 (745472 ms, 65520 units exactly),
  // then 755472 .. 1210000 (454528 ms, 39948.75 -> 39949 units).
  const std::vector<DisplaySpan> spans = DisplaySpans(10000, 1210000);
  EXPECT_EQ(spans, (std::vector<DisplaySpan>{{10000, 755472}, {755472, 1210000}}));
  EXPECT_EQ(StopDelayUnits(spans[0].StartTime, spans[0].EndTime), 65520);
  EXPECT_EQ(StopDelayUnits(spans[1].StartTime, spans[1].EndTime), 39949);
  // An hour: four full spans and the rest (3600000 - 4 * 745472 = 618112).
  const std::vector<DisplaySpan> hour = DisplaySpans(0, 3600000);
  ASSERT_EQ(hour.size(), 5u);
  EXPECT_EQ(hour[4].StartTime, 2981888);
  EXPECT_EQ(hour[4].EndTime, 3600000);
  // Absurd end times stay bounded by the 33-bit time stamp (about 26.5 h).
  EXPECT_LE(DisplaySpans(0, 1e300).size(), 129u);
}

}  // namespace
}  // namespace kestrelpix
