#include "vobsub/ps_packer.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "base/number_text.h"

namespace kestrelpix {

namespace {

// The system clock reference and mux rate of every pack. The clock is the
// same constant in every pack; players take the timing from the PTS.
constexpr uint64_t kScrBase = 2887744;
constexpr uint32_t kScrExtension = 84;
constexpr uint32_t kMuxRate = 25200;  // units of 50 bytes per second

constexpr uint64_t kPtsMask = (uint64_t{1} << 33) - 1;

// PES packet length of a full pack: the bytes after the length field,
// 2048 - 14 (pack header) - 6 (start code and length).
constexpr int kFullPesLength = kPackSize - kPackHeaderSize - 6;

void WritePesStart(ByteWriter& out, int pesLength) {
  out.be32(0x000001BD);                        // packet start code, private stream 1
  out.be16(static_cast<uint16_t>(pesLength));  // PES packet length
}

// Pads the rest of the last pack with a padding packet. Space too small for
// its 6-byte header (1 to 5 bytes) is taken up inside the PES header
// instead, as stuffing bytes: bare bytes between two packets are no valid
// program stream, and spuunmux crashes on them.
void WritePaddingPacket(ByteWriter& out, int free) {
  out.be32(0x000001BE);                       // padding stream start code
  out.be16(static_cast<uint16_t>(free - 6));  // its length
  out.Fill(0xFF, static_cast<size_t>(free - 6));
}

}  // namespace

int PackCountFor(size_t unitSize) {
  if (unitSize <= static_cast<size_t>(kFirstPackPayload)) return 1;
  return 2 + static_cast<int>((unitSize - kFirstPackPayload - 1) / kLaterPackPayload);
}

uint64_t PtsFromMs(double StartTime) {
  const double product = StartTime * 90.0;
  if (!(product > 0) || !std::isfinite(product)) return 0;
  // fmod is exact, so times inside the 33-bit range are rounded unchanged.
  const double ticks = std::fmod(product, 8589934592.0);
  return static_cast<uint64_t>(RoundHalfEven(ticks)) & kPtsMask;
}

void WritePts(ByteWriter& out, uint64_t pts) {
  BitWriter bits(out);
  bits.Put(0b0010, 4);                                      // '0010': PTS only
  bits.Put(static_cast<uint32_t>(pts >> 30) & 0x7, 3);      // PTS[32..30]
  bits.Put(1, 1);                                           // marker
  bits.Put(static_cast<uint32_t>(pts >> 15) & 0x7FFF, 15);  // PTS[29..15]
  bits.Put(1, 1);                                           // marker
  bits.Put(static_cast<uint32_t>(pts) & 0x7FFF, 15);        // PTS[14..0]
  bits.Put(1, 1);                                           // marker
}

void WritePackHeader(ByteWriter& out) {
  out.be32(0x000001BA);  // pack start code
  BitWriter bits(out);
  bits.Put(0b01, 2);                                             // MPEG-2 pack
  bits.Put(static_cast<uint32_t>(kScrBase >> 30) & 0x7, 3);      // SCR[32..30]
  bits.Put(1, 1);                                                // marker
  bits.Put(static_cast<uint32_t>(kScrBase >> 15) & 0x7FFF, 15);  // SCR[29..15]
  bits.Put(1, 1);                                                // marker
  bits.Put(static_cast<uint32_t>(kScrBase) & 0x7FFF, 15);        // SCR[14..0]
  bits.Put(1, 1);                                                // marker
  bits.Put(kScrExtension, 9);                                    // SCR extension
  bits.Put(1, 1);                                                // marker
  bits.Put(kMuxRate, 22);                                        // program mux rate
  bits.Put(0b11, 2);                                             // markers
  bits.Put(0b11111, 5);                                          // reserved
  bits.Put(0, 3);                                                // pack stuffing length
}

int PackSubpicture(std::span<const uint8_t> unit, double StartTime, std::vector<uint8_t>& out,
                   uint8_t subStreamId) {
  if (subStreamId < kSubStreamId || subStreamId >= kSubStreamId + kMaxSubStreams) {
    throw std::logic_error("a subtitle sub-stream id lies in 0x20 .. 0x3F");
  }
  const int packs = PackCountFor(unit.size());
  const size_t begin = out.size();
  out.reserve(begin + static_cast<size_t>(packs) * kPackSize);
  ByteWriter w(out, static_cast<size_t>(packs) * kPackSize);

  size_t taken = 0;
  for (int k = 0; k < packs; ++k) {
    const bool first = k == 0;
    const bool last = k == packs - 1;
    const size_t capacity = first ? kFirstPackPayload : kLaterPackPayload;
    const size_t chunk = std::min(capacity, unit.size() - taken);
    // The PES length counts the bytes after its own field: the 3 flag and
    // length bytes, the 5 PTS bytes and the sub-stream id in the first pack,
    // the 3 flag bytes and the sub-stream id in later ones.
    const int headerAfterLength = first ? 9 : 4;
    const int free =
        kPackSize - (kPackHeaderSize + 6 + headerAfterLength + static_cast<int>(chunk));
    // 1 to 5 bytes left in the last pack become PES header stuffing.
    const int stuffing = last && free > 0 && free < 6 ? free : 0;
    const int pesLength = static_cast<int>(chunk) + headerAfterLength + stuffing;

    WritePackHeader(w);
    WritePesStart(w, pesLength);
    w.u8(0x81);  // '10', not scrambled, no priority, no alignment, not copyright, original
    if (first) {
      w.u8(0x80);  // PTS_DTS_flags '10': PTS only; no other optional fields
      w.u8(static_cast<uint8_t>(0x05 + stuffing));  // PES header data length: PTS, stuffing
      WritePts(w, PtsFromMs(StartTime));
    } else {
      w.u8(0x00);                            // no optional fields
      w.u8(static_cast<uint8_t>(stuffing));  // PES header data length: stuffing
    }
    w.Fill(0xFF, static_cast<size_t>(stuffing));  // stuffing bytes
    w.u8(subStreamId);                            // sub-stream id: subtitle stream 0x20 + i
    w.Bytes(unit.subspan(taken, chunk));
    taken += chunk;

    if (last) {
      const int rest = kPackSize - (kPackHeaderSize + 6 + pesLength);
      if (rest > 0) WritePaddingPacket(w, rest);
    } else if (pesLength != kFullPesLength) {
      throw std::logic_error("a pack before the last one is not full");
    }
  }
  if (w.overflowed() || w.size() != static_cast<size_t>(packs) * kPackSize) {
    throw std::logic_error("packs of a unit do not fill whole 2048-byte packs");
  }
  return packs;
}

}  // namespace kestrelpix
