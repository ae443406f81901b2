// The sub-pictures of one subtitle's stream. A DVD player shows one
// sub-picture at a time, each replacing the one before, so entries that
// overlap in time cannot each have their own: every stretch between two
// consecutive start or end times in which an entry is visible becomes one
// picture holding every entry visible then.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "subtitle/subtitle_document.h"

namespace kestrelpix {

// The times of one entry as its file gives them. A blank entry (no text
// but blanks) shows nothing and takes no part in any picture.
struct EntryTimes {
  int64_t StartMs;
  int64_t EndMs;
  bool Blank = false;
};

// Entry `index` (1-based) holds no text but blanks: it shows nothing.
bool EntryIsBlank(const SubtitleDocument& doc, int index);

// One picture of a timeline.
struct TimelinePicture {
  int64_t StartMs;  // never before 0
  int64_t EndMs;    // after StartMs, except for an entry of no length (below)
  size_t First;     // its entries: Timeline::Entries(picture)
  uint32_t Count;
  uint32_t Begun;   // how many of its entries first appear in it
  uint32_t Hidden;  // entries visible then beyond kMaxShownTogether, not listed
};

// The most entries one picture lists: more one-line entries than a frame
// has room for at the smallest size. A file whose entries pile up beyond it
// (thousands shown at once) would otherwise make every picture list them
// all, memory growing with the square of the entries.
constexpr uint32_t kMaxShownTogether = 64;

// A start before the video's start is taken as 0, the time it is stamped
// with. Entries are taken in start-time order, equal starts in file order;
// each picture lists its entries (1-based) in that order, which is the
// order they are stacked in. Pictures come in time order: at one time, the
// pictures of entries of no length first, then the stretch starting there.
//
// An entry in time order that overlaps no other gives exactly one picture
// with its own times. An entry of no length (its end at or before its
// start) is shown as the file asks, alone in a picture from its start to
// its own end; another entry visible across that time is shown again in a
// picture starting there, so no entry is hidden. No entry with text is ever
// left out.
//
// The pictures hold entry numbers only; building them is a sort (skipped
// for a file already in order) and one sweep over the times, each step
// logarithmic in the entries visible at once.
class Timeline {
 public:
  Timeline() = default;
  explicit Timeline(const std::vector<EntryTimes>& times);
  explicit Timeline(const SubtitleDocument& doc);

  const std::vector<TimelinePicture>& Pictures() const { return pictures_; }
  size_t Size() const { return pictures_.size(); }
  std::span<const int> Entries(const TimelinePicture& picture) const {
    return {entries_.data() + picture.First, picture.Count};
  }

 private:
  std::vector<TimelinePicture> pictures_;
  std::vector<int> entries_;
};

}  // namespace kestrelpix
