#include "vobsub/ps_packer.h"

#include <gtest/gtest.h>

#include "vobsub/hex.h"
#include "vobsub/spu_decoder.h"
#include "vobsub/spu_encoder.h"

namespace kestrelpix {
namespace {

using testing::Hex;
using testing::ToHex;

// Header of every pack, worked out from its fields, most significant bit
// first: '01', SCR[32..30] = 000, '1', SCR[29..15] = 88 (000000001011000),
// '1', SCR[14..0] = 4160 (001000001000000), '1', extension 84 (001010100),
// '1', mux rate 25200 in 22 bits (0000000110001001110000), '11', reserved
// '11111', stuffing length 000:
// 01000100 00000010 11000100 10000010 00000100 10101001 00000001 10001001
// 11000011 11111000 -> 44 02 C4 82 04 A9 01 89 C3 F8 after 00 00 01 BA.
const char* kPackHeaderHex = "00 00 01 BA 44 02 C4 82 04 A9 01 89 C3 F8";

std::string PtsHex(double startTime) {
  std::vector<uint8_t> bytes;
  ByteWriter out(bytes);
  WritePts(out, PtsFromMs(startTime));
  return ToHex(bytes);
}

// A unit of `size` bytes whose first two bytes give its size, as units do.
std::vector<uint8_t> FakeUnit(size_t size) {
  std::vector<uint8_t> unit(size);
  for (size_t i = 0; i < size; ++i) unit[i] = static_cast<uint8_t>(i * 7 + 3);
  unit[0] = static_cast<uint8_t>(size >> 8);
  unit[1] = static_cast<uint8_t>(size);
  return unit;
}

TEST(PackHeader, IsTheFixedFourteenBytes) {
  std::vector<uint8_t> bytes;
  ByteWriter out(bytes);
  WritePackHeader(out);
  EXPECT_EQ(ToHex(bytes), kPackHeaderHex);
}

TEST(Pts, WorkedTimeStamps) {
  // 0 ms: '0010' '000' '1', 15 zero bits '1', 15 zero bits '1'.
  EXPECT_EQ(PtsHex(0), "21 00 01 00 01");
  // 1000 ms = 90000 = 0x15F90: [29..15] = 2, [14..0] = 0x5F90:
  // 000000000000010 1 -> 00 05; 101111110010000 1 -> BF 21.
  EXPECT_EQ(PtsHex(1000), "21 00 05 BF 21");
  // 3723004 ms = 335070360: [32..30] = 0, [29..15] = 10225
  // (010011111110001), [14..0] = 17560 (100010010011000):
  // 0100 1111 1110 0011 -> 4F E3; 1000 1001 0011 0001 -> 89 31.
  EXPECT_EQ(PtsFromMs(3723004), 335070360u);
  EXPECT_EQ(PtsHex(3723004), "21 4F E3 89 31");
  // 12000000 ms = 1080000000 = 2^30 + 6258176: [32..30] = 001 -> 0x23;
  // [29..15] = 190 (000000010111110) 1 -> 01 7D; [14..0] = 32256
  // (111111000000000) 1 -> FC 01.
  EXPECT_EQ(PtsHex(12000000), "23 01 7D FC 01");
}

TEST(Pts, RoundsHalfToEvenClampsAndWraps) {
  EXPECT_EQ(PtsFromMs(0.25), 22u);  // 22.5 ticks -> 22
  EXPECT_EQ(PtsFromMs(0.75), 68u);  // 67.5 ticks -> 68
  EXPECT_EQ(PtsFromMs(-40), 0u);
  // 95443718 ms = 8589934620 ticks, 28 past the 33-bit range.
  EXPECT_EQ(PtsFromMs(95443718), 28u);
  EXPECT_EQ(PtsFromMs(1e300), 0u);
}

TEST(PackSubpicture, The52ByteUnitAtOneSecond) {
  FrameBitmap frame(720, 576);
  const ColorKeys keys = ColorKeysFrom(MakeColor(255, 255, 255), 0, MakeColor(128, 128, 128));
  const std::vector<uint8_t> unit = EncodeSubpicture(frame, 474, 2, 1000, 3000, keys);
  ASSERT_EQ(unit.size(), 52u);
  std::vector<uint8_t> out = {0x42};  // packs are appended after earlier bytes
  EXPECT_EQ(PackSubpicture(unit, 1000, out), 1);
  ASSERT_EQ(out.size(), 1u + 2048u);
  // PES: 00 00 01 BD, length 52 + 9 = 61 = 0x3D, flags 81 80, header length
  // 05, PTS of 90000, sub-stream 20. Then the unit, then padding: F = 2048 -
  // 14 - 15 - 52 = 1967, a padding packet of length 1967 - 6 = 1961 = 0x07A9.
  std::vector<uint8_t> expected = {0x42};
  for (const char* part : {kPackHeaderHex, "00 00 01 BD 00 3D 81 80 05 21 00 05 BF 21 20"}) {
    const std::vector<uint8_t> bytes = Hex(part);
    expected.insert(expected.end(), bytes.begin(), bytes.end());
  }
  expected.insert(expected.end(), unit.begin(), unit.end());
  const std::vector<uint8_t> padding = Hex("00 00 01 BE 07 A9");
  expected.insert(expected.end(), padding.begin(), padding.end());
  expected.insert(expected.end(), 1961, 0xFF);
  EXPECT_EQ(out, expected);
}

struct TableRow {
  size_t size;       // unit bytes S
  int packs;         // P
  size_t lastBytes;  // unit bytes in the last pack
  int free;          // F = 2048 - 14 - header (15 first, 10 later) - lastBytes
};

TEST(PackSubpicture, PackTableFrom52To18211BytesAndBeyond) {
  // P = 1 up to 2019 bytes, else 2 + (S - 2020) / 2024. The last pack holds
  // S - 2019 - (P - 2) * 2024 bytes (S when P = 1); F = 2048 - 14 - header
  // (15 first, 10 later) - those bytes. F of 6 or more is a padding packet;
  // F of 1 to 5 becomes stuffing bytes FF in the PES header, so the PES
  // packet fills the pack and no bare byte sits between two packets.
  const TableRow rows[] = {
      {52, 1, 52, 1967},
      {2013, 1, 2013, 6},
      {2014, 1, 2014, 5},
      {2018, 1, 2018, 1},
      {2019, 1, 2019, 0},
      {2020, 2, 1, 2023},
      {4039, 2, 2020, 4},  // the later-pack header: 2048 - 24 - 2020 = 4
      {4043, 2, 2024, 0},
      {4044, 3, 1, 2023},
      {18211, 9, 2024, 0},
      // Past nine packs: the unit gets what it needs. 65535 = 2019 + 31 *
      // 2024 + 772 -> 33 packs, 772 bytes in the last, F = 2048 - 24 - 772.
      {18212, 10, 1, 2023},
      {65535, 33, 772, 1252},
  };
  for (const TableRow& row : rows) {
    SCOPED_TRACE("S = " + std::to_string(row.size));
    const std::vector<uint8_t> unit = FakeUnit(row.size);
    std::vector<uint8_t> out;
    ASSERT_EQ(PackSubpicture(unit, 62500, out), row.packs);
    EXPECT_EQ(PackCountFor(row.size), row.packs);
    ASSERT_EQ(out.size(), static_cast<size_t>(row.packs) * 2048);

    // Every pack: the fixed header, then private stream 1.
    for (int k = 0; k < row.packs; ++k) {
      const uint8_t* pack = &out[static_cast<size_t>(k) * 2048];
      EXPECT_EQ(ToHex({pack, 14}), kPackHeaderHex);
      const bool last = k == row.packs - 1;
      const size_t stuffing = last && row.free < 6 ? static_cast<size_t>(row.free) : 0;
      const size_t length = last ? row.lastBytes + (k == 0 ? 9 : 4) + stuffing : 2028;
      const std::vector<uint8_t> start = {
          0x00, 0x00, 0x01, 0xBD, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
      EXPECT_EQ(ToHex({pack + 14, 6}), ToHex(start));
      if (k > 0 && stuffing == 0) {
        EXPECT_EQ(ToHex({pack + 20, 4}), "81 00 00 20");
      }
      if (stuffing > 0) {
        // Header data length 5 + F (first pack) or F (later), the PTS, then
        // F bytes FF before the sub-stream id.
        const size_t ptsBytes = k == 0 ? 5 : 0;
        EXPECT_EQ(pack[22], ptsBytes + stuffing);
        for (size_t i = 0; i < stuffing; ++i) EXPECT_EQ(pack[23 + ptsBytes + i], 0xFF);
        EXPECT_EQ(pack[23 + ptsBytes + stuffing], 0x20);
      }
    }
    // The last pack's free space: a padding packet, or nothing.
    const uint8_t* lastPack = &out[out.size() - 2048];
    const size_t end = 2048 - (row.free >= 6 ? row.free : 0);
    if (row.free >= 6) {
      const size_t padLength = row.free - 6;
      EXPECT_EQ(
          ToHex({lastPack + end, 6}),
          ToHex(std::vector<uint8_t>{0x00, 0x00, 0x01, 0xBE, static_cast<uint8_t>(padLength >> 8),
                                     static_cast<uint8_t>(padLength)}));
    }
    for (size_t i = end + (row.free >= 6 ? 6 : 0); i < 2048; ++i) ASSERT_EQ(lastPack[i], 0xFF);

    // The packs carry exactly the unit, with the PTS of 62500 ms.
    uint64_t pts = 0;
    int packs = 0;
    EXPECT_EQ(testing::UnitFromPacks(out, 0, &pts, &packs), unit);
    EXPECT_EQ(pts, 62500u * 90);
    EXPECT_EQ(packs, row.packs);
  }
}

TEST(PackSubpicture, FullFirstPackStartsWithItsHeaders) {
  // 4043 bytes: pack 1 full (length 2028 = 0x07EC) with the PTS of 0.
  const std::vector<uint8_t> unit = FakeUnit(4043);
  std::vector<uint8_t> out;
  PackSubpicture(unit, 0, out);
  EXPECT_EQ(ToHex({out.data() + 14, 15}), "00 00 01 BD 07 EC 81 80 05 21 00 01 00 01 20");
  // Pack 2 begins with the unit's byte 2019.
  EXPECT_EQ(out[2048 + 24], unit[2019]);
}

}  // namespace
}  // namespace kestrelpix
