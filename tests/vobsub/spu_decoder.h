// A small, strict decoder of DVD sub-picture units and of the packs that
// carry them, for tests only. It reads a unit back into a bitmap of pixel
// indices and its control sequences, and refuses anything a unit of ours
// must not contain: a row that does not decode to exactly the area width, a
// field that does not end where the next part begins, offsets that run
// backwards or out of the unit. Header-only so that the fuzz target can use
// it as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrelpix::testing {

struct ControlSequence {
  size_t offset = 0;
  int delay = 0;                  // 1024/90000 s units from the unit's time stamp
  std::vector<uint8_t> commands;  // command bytes with their operands, without the final FF
};

struct DecodedUnit {
  int x1 = 0, x2 = 0, y1 = 0, y2 = 0;  // display area, inclusive
  size_t topOffset = 0, bottomOffset = 0, controlOffset = 0;
  std::vector<ControlSequence> sequences;
  // Pixel indices of the area, row by row, (x2 - x1 + 1) per row.
  std::vector<uint8_t> indices;

  int width() const { return x2 - x1 + 1; }
  int height() const { return y2 - y1 + 1; }
  uint8_t At(int x, int row) const { return indices[static_cast<size_t>(row) * width() + x]; }
};

class DecodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace detail {

inline int Be16(std::span<const uint8_t> bytes, size_t at) {
  if (at + 2 > bytes.size())
    throw DecodeError("16-bit field past the end at " + std::to_string(at));
  return (bytes[at] << 8) | bytes[at + 1];
}

class NibbleReader {
 public:
  NibbleReader(std::span<const uint8_t> bytes, size_t at, size_t end)
      : bytes_(bytes), pos_(at * 2), end_(end * 2) {}
  int Next() {
    if (pos_ >= end_) throw DecodeError("field data runs past its end");
    const uint8_t byte = bytes_[pos_ / 2];
    const int nibble = (pos_ % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
    ++pos_;
    return nibble;
  }
  void AlignToByte() { pos_ = (pos_ + 1) / 2 * 2; }
  size_t bytePosition() const { return pos_ / 2; }

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_, end_;
};

// Decodes the rows of one field into every second row of `out`.
inline void DecodeField(std::span<const uint8_t> unit, size_t begin, size_t end, int firstRow,
                        DecodedUnit& out) {
  NibbleReader reader(unit, begin, end);
  const int width = out.width();
  for (int row = firstRow; row < out.height(); row += 2) {
    int x = 0;
    while (x < width) {
      // The code's length shows in its leading zero nibbles.
      int value = reader.Next();
      if (value < 0x4) {
        value = (value << 4) | reader.Next();
        if (value < 0x10) {
          value = (value << 4) | reader.Next();
          if (value < 0x40) value = (value << 4) | reader.Next();
        }
      }
      const int index = value & 3;
      int length = value >> 2;
      if (length == 0) length = width - x;  // end of line: fill the rest
      if (x + length > width) {
        throw DecodeError("row " + std::to_string(row) + " runs past the area width");
      }
      for (int i = 0; i < length; ++i) {
        out.indices[static_cast<size_t>(row) * width + x + i] = static_cast<uint8_t>(index);
      }
      x += length;
    }
    reader.AlignToByte();
  }
  if (reader.bytePosition() != end) {
    throw DecodeError("field data ends at " + std::to_string(reader.bytePosition()) + ", not at " +
                      std::to_string(end));
  }
}

}  // namespace detail

inline DecodedUnit DecodeUnit(std::span<const uint8_t> unit) {
  using detail::Be16;
  DecodedUnit out;
  if (unit.size() < 4) throw DecodeError("unit shorter than its header");
  if (static_cast<size_t>(Be16(unit, 0)) != unit.size()) {
    throw DecodeError("unit size field " + std::to_string(Be16(unit, 0)) + " but " +
                      std::to_string(unit.size()) + " bytes");
  }
  out.controlOffset = static_cast<size_t>(Be16(unit, 2));
  if (out.controlOffset + 4 > unit.size()) throw DecodeError("control offset out of the unit");

  bool areaSeen = false, offsetsSeen = false;
  size_t at = out.controlOffset;
  for (;;) {
    ControlSequence sequence;
    sequence.offset = at;
    sequence.delay = Be16(unit, at);
    const size_t next = static_cast<size_t>(Be16(unit, at + 2));
    size_t pos = at + 4;
    for (;;) {
      if (pos >= unit.size()) throw DecodeError("control sequence without its end command");
      const uint8_t command = unit[pos++];
      if (command == 0xFF) break;
      sequence.commands.push_back(command);
      size_t operands = 0;
      switch (command) {
        case 0x00:
        case 0x01:
        case 0x02:
          operands = 0;
          break;
        case 0x03:
        case 0x04:
          operands = 2;
          break;
        case 0x05:
          operands = 6;
          break;
        case 0x06:
          operands = 4;
          break;
        default:
          throw DecodeError("unknown command " + std::to_string(command));
      }
      if (pos + operands > unit.size()) throw DecodeError("command operands past the end");
      sequence.commands.insert(sequence.commands.end(), unit.begin() + pos,
                               unit.begin() + pos + operands);
      if (command == 0x05) {
        out.x1 = (unit[pos] << 4) | (unit[pos + 1] >> 4);
        out.x2 = ((unit[pos + 1] & 0x0F) << 8) | unit[pos + 2];
        out.y1 = (unit[pos + 3] << 4) | (unit[pos + 4] >> 4);
        out.y2 = ((unit[pos + 4] & 0x0F) << 8) | unit[pos + 5];
        areaSeen = true;
      } else if (command == 0x06) {
        out.topOffset = static_cast<size_t>(Be16(unit, pos));
        out.bottomOffset = static_cast<size_t>(Be16(unit, pos + 2));
        offsetsSeen = true;
      }
      pos += operands;
    }
    out.sequences.push_back(sequence);
    if (next == at) break;
    if (next < at) throw DecodeError("control sequences run backwards");
    at = next;
  }

  if (!areaSeen || !offsetsSeen) throw DecodeError("no display area or no field offsets");
  if (out.x2 < out.x1 || out.y2 < out.y1) throw DecodeError("empty display area");
  if (!(out.topOffset <= out.bottomOffset && out.bottomOffset <= out.controlOffset)) {
    throw DecodeError("field offsets out of order");
  }
  out.indices.assign(static_cast<size_t>(out.width()) * out.height(), 0);
  detail::DecodeField(unit, out.topOffset, out.bottomOffset, 0, out);
  detail::DecodeField(unit, out.bottomOffset, out.controlOffset, 1, out);
  return out;
}

// Takes the units out of a run of 2048-byte packs starting at `position`
// (the byte offset an index line gives): the first pack must carry a time
// stamp, which is returned in `pts`. Checks every header byte the packer
// writes and the padding of the last pack.
inline std::vector<uint8_t> UnitFromPacks(std::span<const uint8_t> stream, size_t position,
                                          uint64_t* pts = nullptr, int* packCount = nullptr) {
  static constexpr uint8_t kPackHeader[14] = {0x00, 0x00, 0x01, 0xBA, 0x44, 0x02, 0xC4,
                                              0x82, 0x04, 0xA9, 0x01, 0x89, 0xC3, 0xF8};
  std::vector<uint8_t> unit;
  size_t expected = 0;
  int packs = 0;
  for (;;) {
    if (position + 2048 > stream.size()) throw DecodeError("pack past the end of the stream");
    std::span<const uint8_t> pack = stream.subspan(position, 2048);
    for (int i = 0; i < 14; ++i) {
      if (pack[i] != kPackHeader[i]) throw DecodeError("bad pack header");
    }
    if (!(pack[14] == 0 && pack[15] == 0 && pack[16] == 1 && pack[17] == 0xBD)) {
      throw DecodeError("pack without private stream 1");
    }
    const size_t pesLength = static_cast<size_t>(detail::Be16(pack, 18));
    if (pack[20] != 0x81) throw DecodeError("bad PES flags");
    const bool first = packs == 0;
    // The PES header data: the PTS in the first pack, then 0 to 5 stuffing
    // bytes FF (only in a unit's last pack, where they fill the pack).
    const size_t headerData = pack[22];
    const size_t pts_bytes = first ? 5 : 0;
    if (headerData < pts_bytes || headerData > pts_bytes + 5)
      throw DecodeError("bad PES header length");
    const size_t stuffing = headerData - pts_bytes;
    if (first) {
      if (pack[21] != 0x80) throw DecodeError("first pack without PTS");
      const uint8_t* p = &pack[23];
      if ((p[0] & 0xF1) != 0x21 || (p[2] & 1) != 1 || (p[4] & 1) != 1) {
        throw DecodeError("bad PTS marker bits");
      }
      if (pts) {
        *pts = (static_cast<uint64_t>((p[0] >> 1) & 7) << 30) |
               (static_cast<uint64_t>(p[1]) << 22) | (static_cast<uint64_t>(p[2] >> 1) << 15) |
               (static_cast<uint64_t>(p[3]) << 7) | (static_cast<uint64_t>(p[4]) >> 1);
      }
    } else if (pack[21] != 0x00) {
      throw DecodeError("bad continuation PES header");
    }
    for (size_t i = 0; i < stuffing; ++i) {
      if (pack[23 + pts_bytes + i] != 0xFF) throw DecodeError("PES stuffing not FF");
    }
    if (pack[23 + headerData] != 0x20) throw DecodeError("not sub-stream 0x20");
    const size_t payload = 24 + headerData;
    if (pesLength < 4 + headerData) throw DecodeError("PES length too short");
    const size_t count = pesLength - 4 - headerData;
    if (payload + count > 2048) throw DecodeError("PES packet past the pack end");
    unit.insert(unit.end(), pack.begin() + payload, pack.begin() + payload + count);
    if (first) {
      if (unit.size() < 2) throw DecodeError("first pack too short for the unit size");
      expected = static_cast<size_t>(detail::Be16(unit, 0));
    }
    ++packs;
    position += 2048;
    const size_t end = payload + count;
    if (unit.size() >= expected) {
      if (unit.size() != expected) throw DecodeError("packs carry more than the unit");
      // The rest of the last pack: a padding packet or nothing; a gap too
      // small for the packet was taken up by stuffing in the PES header.
      const size_t free = 2048 - end;
      if (free > 0 && free < 6) throw DecodeError("bytes between packets");
      if (stuffing > 0 && free != 0) throw DecodeError("PES stuffing without need");
      if (free >= 6) {
        if (!(pack[end] == 0 && pack[end + 1] == 0 && pack[end + 2] == 1 &&
              pack[end + 3] == 0xBE) ||
            static_cast<size_t>(detail::Be16(pack, end + 4)) != free - 6) {
          throw DecodeError("bad padding packet");
        }
        for (size_t i = end + 6; i < 2048; ++i) {
          if (pack[i] != 0xFF) throw DecodeError("padding not FF");
        }
      }
      break;
    }
    if (pesLength != 2028 || stuffing != 0) {
      throw DecodeError("a pack before the last one is not full");
    }
  }
  if (packCount) *packCount = packs;
  return unit;
}

}  // namespace kestrelpix::testing
