// Writers for the binary structures of the VobSub output: one bounds-checked
// byte writer used by every structure and a bit writer for headers with
// marker bits. (The run-length codes of the pictures are written by the
// sub-picture encoder's own row writer.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace kestrelpix {

// Appends big-endian values to a byte vector, never letting the bytes
// written through it exceed a limit. A write that would pass the limit
// writes nothing and sets the overflow flag, which then stays set: every
// later write is dropped too, so a structure is either complete or marked
// as overflowed, never silently cut in the middle of a field.
class ByteWriter {
 public:
  // A 16-bit field reserved now and filled in once its value is known.
  struct Slot {
    size_t at = 0;
    bool valid = false;
  };

  explicit ByteWriter(std::vector<uint8_t>& out, size_t limit = std::numeric_limits<size_t>::max())
      : out_(out), start_(out.size()), limit_(limit) {}

  void u8(uint8_t value) {
    if (!Room(1)) return;
    out_.push_back(value);
  }
  void be16(uint16_t value) {
    if (!Room(2)) return;
    out_.push_back(static_cast<uint8_t>(value >> 8));
    out_.push_back(static_cast<uint8_t>(value));
  }
  void be32(uint32_t value) {
    if (!Room(4)) return;
    out_.push_back(static_cast<uint8_t>(value >> 24));
    out_.push_back(static_cast<uint8_t>(value >> 16));
    out_.push_back(static_cast<uint8_t>(value >> 8));
    out_.push_back(static_cast<uint8_t>(value));
  }
  void Bytes(std::span<const uint8_t> bytes) {
    if (!Room(bytes.size())) return;
    out_.insert(out_.end(), bytes.begin(), bytes.end());
  }
  void Fill(uint8_t value, size_t count) {
    if (!Room(count)) return;
    out_.insert(out_.end(), count, value);
  }

  // Reserves two zero bytes; SetBe16 fills them in later.
  Slot ReserveBe16() {
    Slot slot{size(), Room(2)};
    if (slot.valid) {
      out_.push_back(0);
      out_.push_back(0);
    }
    return slot;
  }
  void SetBe16(Slot slot, uint16_t value) {
    if (!slot.valid) return;
    out_[start_ + slot.at] = static_cast<uint8_t>(value >> 8);
    out_[start_ + slot.at + 1] = static_cast<uint8_t>(value);
  }

  // Bytes written through this writer so far; positions of the structure
  // being written are counted from its first byte.
  size_t size() const { return out_.size() - start_; }
  bool overflowed() const { return overflowed_; }

 private:
  bool Room(size_t count) {
    if (overflowed_ || count > limit_ - size()) {
      overflowed_ = true;
      return false;
    }
    return true;
  }

  std::vector<uint8_t>& out_;
  size_t start_;
  size_t limit_;
  bool overflowed_ = false;
};

// Writes fields of any width, most significant bit first, through a
// ByteWriter. Used for headers whose fields are split by marker bits.
class BitWriter {
 public:
  explicit BitWriter(ByteWriter& out) : out_(out) {}

  // The low `bits` bits of value, 1 <= bits <= 32.
  void Put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      pending_ = static_cast<uint8_t>((pending_ << 1) | ((value >> i) & 1));
      if (++count_ == 8) {
        out_.u8(pending_);
        pending_ = 0;
        count_ = 0;
      }
    }
  }
  bool aligned() const { return count_ == 0; }
  // Completes a started byte with zero bits.
  void Align() {
    if (count_ != 0) Put(0, 8 - count_);
  }

 private:
  ByteWriter& out_;
  uint8_t pending_ = 0;
  int count_ = 0;
};

}  // namespace kestrelpix
