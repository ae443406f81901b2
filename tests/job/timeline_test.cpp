#include "job/timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "job/entry_encoder.h"

namespace kestrelpix {
namespace {

// "START..END:ENTRY,ENTRY" per picture, blank-separated.
std::string Describe(const Timeline& timeline) {
  std::string text;
  for (const TimelinePicture& picture : timeline.Pictures()) {
    if (!text.empty()) text += ' ';
    text += std::to_string(picture.StartMs) + ".." + std::to_string(picture.EndMs) + ":";
    bool first = true;
    for (int entry : timeline.Entries(picture)) {
      text += (first ? "" : ",") + std::to_string(entry);
      first = false;
    }
  }
  return text;
}

TEST(Timeline, EveryStretchBetweenTwoTimesIsOnePictureOfTheEntriesVisible) {
  struct Row {
    const char* what;
    std::vector<EntryTimes> times;  // file order
    const char* pictures;
  };
  const Row rows[] = {
      {"nothing", {}, ""},
      {"in order, touching and apart",
       {{0, 1000}, {1000, 2000}, {2500, 3000}},
       "0..1000:1 1000..2000:2 2500..3000:3"},
      {"overlap", {{0, 2000}, {1000, 3000}}, "0..1000:1 1000..2000:1,2 2000..3000:2"},
      {"chain of overlaps",
       {{0, 1000}, {500, 1500}, {1200, 2000}},
       "0..500:1 500..1000:1,2 1000..1200:2 1200..1500:2,3 1500..2000:3"},
      {"equal starts keep file order", {{0, 2000}, {0, 1000}}, "0..1000:1,2 1000..2000:1"},
      {"equal times", {{0, 1000}, {0, 1000}, {0, 1000}}, "0..1000:1,2,3"},
      {"out of order, apart", {{2000, 3000}, {0, 1000}}, "0..1000:2 2000..3000:1"},
      {"out of order, overlapping",
       {{2000, 4000}, {1000, 3000}},
       "1000..2000:2 2000..3000:2,1 3000..4000:1"},
      {"later equal start after an earlier one in the file",
       {{3000, 4000}, {1000, 5000}, {3000, 3500}},
       "1000..3000:2 3000..3500:2,1,3 3500..4000:2,1 4000..5000:2"},
      {"nested", {{0, 5000}, {1000, 2000}}, "0..1000:1 1000..2000:1,2 2000..5000:1"},
      {"no length, alone between two", {{0, 1000}, {1000, 1000}, {1000, 2000}},
       "0..1000:1 1000..1000:2 1000..2000:3"},
      {"no length, inside another: shown again after it",
       {{0, 3000}, {1000, 1000}},
       "0..1000:1 1000..1000:2 1000..3000:1"},
      {"no length at another's start comes first", {{1000, 2000}, {1000, 1000}},
       "1000..1000:2 1000..2000:1"},
      {"end before start keeps its own end", {{5000, 4000}, {6000, 7000}},
       "5000..4000:1 6000..7000:2"},
      {"negative starts from 0, in file order", {{-500, 1000}, {-200, 500}},
       "0..500:1,2 500..1000:1"},
      {"wholly before 0", {{-500, -100}, {0, 1000}}, "0..-100:1 0..1000:2"},
      {"longer than one unit holds, overlapped",
       {{0, 2000000}, {1000000, 1001000}},
       "0..1000000:1 1000000..1001000:1,2 1001000..2000000:1"},
  };
  for (const Row& row : rows) {
    const Timeline timeline(row.times);
    EXPECT_EQ(Describe(timeline), row.pictures) << row.what;
    // Every entry is counted once, in the first picture it appears in.
    std::set<int> seen;
    uint32_t begun = 0;
    for (const TimelinePicture& picture : timeline.Pictures()) {
      uint32_t fresh = 0;
      for (int entry : timeline.Entries(picture)) fresh += seen.insert(entry).second ? 1 : 0;
      EXPECT_EQ(picture.Begun, fresh) << row.what;
      begun += picture.Begun;
    }
    EXPECT_EQ(begun, row.times.size()) << row.what;
  }
}

// Seventy entries starting a millisecond apart and ending together: from
// the 65th on, a picture lists the 64 that started first and counts the
// rest.
TEST(Timeline, EntriesBeyondWhatAPictureHoldsAreCountedNotListed) {
  std::vector<EntryTimes> times;
  for (int64_t i = 0; i < 70; ++i) times.push_back({i, 10000});
  const Timeline timeline(times);
  ASSERT_EQ(timeline.Size(), 70u);
  for (size_t k = 0; k < 70; ++k) {
    const TimelinePicture& picture = timeline.Pictures()[k];
    EXPECT_EQ(picture.Count, std::min<size_t>(k + 1, kMaxShownTogether)) << k;
    EXPECT_EQ(picture.Hidden, k + 1 - picture.Count) << k;
    EXPECT_EQ(picture.Begun, 1u) << k;
  }
  const std::span<const int> last = timeline.Entries(timeline.Pictures().back());
  EXPECT_EQ(std::vector<int>(last.begin(), last.end()).back(), 64);
  EXPECT_EQ(timeline.Pictures().back().EndMs, 10000);
  EXPECT_EQ(HiddenWarning(69, 64, 6),
            "At 0:00:00.069 70 entries are shown together, more than a picture holds; the 6 "
            "that started last are not drawn.");
}

TEST(Timeline, CutWarningNamesTheEntriesAndTheTime) {
  struct Row {
    int64_t startMs;
    std::vector<int> entries;
    std::vector<size_t> cut;
    const char* warning;
  };
  const Row rows[] = {
      {62500, {12, 13}, {1},
       "At 0:01:02.500 entries 12 and 13 shown together are too tall for the frame; entry 13 "
       "is cut off."},
      {3723004, {4, 7, 9}, {1, 2},
       "At 1:02:03.004 entries 4, 7 and 9 shown together are too tall for the frame; entries 7 "
       "and 9 are cut off."},
      {0, {5}, {0}, "At 0:00:00.000 entry 5 is too tall for the frame and is cut off."},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CutWarning(row.startMs, row.entries, row.cut), row.warning);
  }
}

}  // namespace
}  // namespace kestrelpix
