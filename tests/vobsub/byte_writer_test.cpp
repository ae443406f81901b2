#include "vobsub/byte_writer.h"

#include <gtest/gtest.h>

#include "vobsub/hex.h"

namespace kestrelpix {
namespace {

using testing::Hex;
using testing::ToHex;

TEST(ByteWriter, WritesBigEndianAndFillsReservedSlots) {
  std::vector<uint8_t> bytes = {0xAA};  // earlier content stays, positions count from the writer
  ByteWriter out(bytes);
  ByteWriter::Slot size = out.ReserveBe16();
  out.u8(0x01);
  out.be16(0x0203);
  out.be32(0x04050607);
  out.Fill(0xFF, 2);
  const uint8_t tail[] = {0x10, 0x20};
  out.Bytes(tail);
  out.SetBe16(size, static_cast<uint16_t>(out.size()));
  // Slot (2) + 1 + 2 + 4 + 2 + 2 = 13 bytes = 0x000D.
  EXPECT_EQ(ToHex(bytes), "AA 00 0D 01 02 03 04 05 06 07 FF FF 10 20");
  EXPECT_FALSE(out.overflowed());
}

TEST(ByteWriter, OverflowIsStickyAndNeverCutsAField) {
  std::vector<uint8_t> bytes;
  ByteWriter out(bytes, 5);
  out.be32(0x11223344);
  out.be16(0x5566);  // would need bytes 5 and 6: nothing of it is written
  EXPECT_TRUE(out.overflowed());
  out.u8(0x77);  // fits the limit, but the writer has overflowed: dropped
  ByteWriter::Slot late = out.ReserveBe16();
  out.SetBe16(late, 0xBEEF);
  EXPECT_EQ(ToHex(bytes), "11 22 33 44");
  EXPECT_TRUE(out.overflowed());

  // Exactly reaching the limit is no overflow.
  std::vector<uint8_t> exact;
  ByteWriter full(exact, 4);
  full.be16(1);
  full.be16(2);
  EXPECT_FALSE(full.overflowed());
  EXPECT_EQ(full.size(), 4u);
}

TEST(BitWriter, WritesMostSignificantBitFirstAcrossBytes) {
  std::vector<uint8_t> bytes;
  ByteWriter out(bytes);
  BitWriter bits(out);
  // '01' '000' '1', then 88 in 15 bits (000000001011000), then '1' '11':
  // 01000100 | 00000010 | 11000 1 11 -> 44 02 C7.
  bits.Put(0b01, 2);
  bits.Put(0, 3);
  bits.Put(1, 1);
  bits.Put(88, 15);
  bits.Put(1, 1);
  bits.Put(0b11, 2);
  EXPECT_TRUE(bits.aligned());
  bits.Put(0b101, 3);
  bits.Align();  // 1010 0000
  EXPECT_EQ(bytes, Hex("44 02 C7 A0"));
}

}  // namespace
}  // namespace kestrelpix
