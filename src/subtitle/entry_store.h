// How a document holds its entries: packed end to end in large blocks, so
// that a file of millions of short entries or lines costs a few bytes per
// entry or line beyond its text, not a string object each, and growing the
// document never copies what it already holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrelpix {

// Where the file asks an entry to be shown. Align numbers the nine places
// as a numeric keypad does (1 bottom left, 2 bottom centre, 5 middle centre,
// 8 top centre, 9 top right); 0 when the file says nothing, and the chosen
// align and offsets place the entry. MarginV is the distance from the frame
// edge the entry keeps (from the bottom edge for bottom places, from the
// top for top places) in thousandths of the frame height; -1 when the file
// says nothing.
struct Placement {
  uint8_t Align = 0;
  int16_t MarginV = -1;
  bool operator==(const Placement&) const = default;
};

// One entry: its times in whole milliseconds (a time before the start of
// the video is negative), its first three text lines and its place.
struct SubtitleEntry {
  int64_t StartMs = 0;
  int64_t EndMs = 0;
  std::string Text1;
  std::string Text2;
  std::string Text3;
  Placement Place;
  bool operator==(const SubtitleEntry&) const = default;
};

// An entry's fields, its text as views of the document that holds it;
// valid until the document is cleared or loads again.
struct SubtitleEntryView {
  int64_t StartMs = 0;
  int64_t EndMs = 0;
  std::string_view Text1;
  std::string_view Text2;
  std::string_view Text3;
  Placement Place;
};

// An entry's fields as views of `entry`.
inline SubtitleEntryView ViewOf(const SubtitleEntry& entry) {
  return {entry.StartMs, entry.EndMs, entry.Text1, entry.Text2, entry.Text3, entry.Place};
}

// How much of an entry's lines after its first two the document keeps, in
// bytes (each line counted with one more byte, so that empty lines count
// too): a MiB, far more than wrapping can join into two lines that fit the
// frame. The lines past it are not kept, and the entry stays named as
// holding text that is not drawn.
constexpr size_t kMaxKeptLineBytes = size_t{1} << 20;

// The lines of an entry after its first two, gathered as a reader meets
// them, packed as the document keeps them. Once a line would take the lines
// past kMaxKeptLineBytes, it and every later line are not kept.
class KeptLines {
 public:
  void Add(std::string_view line);
  size_t Count() const { return count_; }
  // Some line was not kept.
  bool Lost() const { return lost_; }

 private:
  friend class EntryStore;
  std::string packed_;  // each line as its length (LEB128) and its bytes
  size_t count_ = 0;
  size_t bytes_ = 0;
  bool lost_ = false;
};

// The entries of a document in order. Entry k (from 0) is one position in
// a block; there lie its two times (zigzag LEB128), its place (LEB128 of
// Align + 16 * (MarginV + 1)), its three text fields,
// the number of its kept lines and the kept lines, each field and line as a
// length (LEB128) and its bytes. A
// field of kLongField bytes or more is not copied: it is kept as it is
// handed over, and its place holds its number among those.
class EntryStore {
 public:
  void Add(SubtitleEntry fields, const KeptLines& kept);
  size_t Size() const { return positions_.size(); }
  // Throws std::out_of_range for k >= Size().
  SubtitleEntryView Line(size_t k) const;
  std::vector<std::string_view> Kept(size_t k) const;
  // Forgets the entries from n on.
  void Truncate(size_t n);
  void Clear();

 private:
  // Entries up to this size share blocks of it; a larger entry has a block
  // of its own.
  static constexpr size_t kBlockBytes = size_t{1} << 20;
  static constexpr size_t kLongField = size_t{64} << 10;

  const char* Start(size_t k) const;
  // Reads the field at `at`, which moves past its place.
  std::string_view TakeField(const char*& at) const;
  void NewBlock(size_t size);

  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<std::string> longFields_;
  size_t open_ = 0;                 // the block that takes entries up to kBlockBytes
  size_t openUsed_ = kBlockBytes;   // bytes of it taken; kBlockBytes before the first
  std::deque<uint64_t> positions_;  // block index << 32 | offset in the block
};

}  // namespace kestrelpix
