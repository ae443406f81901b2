#include "job/timeline.h"

#include <algorithm>
#include <numeric>
#include <queue>
#include <set>
#include <utility>

#include "render/line_wrap.h"

namespace kestrelpix {

namespace {

std::vector<EntryTimes> TimesOf(const SubtitleDocument& doc) {
  std::vector<EntryTimes> times;
  times.reserve(static_cast<size_t>(doc.LineCount()));
  for (int k = 1; k <= doc.LineCount(); ++k) {
    const SubtitleEntryView entry = doc.LineView(k);
    times.push_back({entry.StartMs, entry.EndMs, EntryIsBlank(doc, k)});
  }
  return times;
}

}  // namespace

bool EntryIsBlank(const SubtitleDocument& doc, int index) {
  const std::vector<std::string_view> lines = EntryTextLines(doc, index);
  return std::all_of(lines.begin(), lines.end(), [](std::string_view line) {
    return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
  });
}

Timeline::Timeline(const SubtitleDocument& doc) : Timeline(TimesOf(doc)) {}

Timeline::Timeline(const std::vector<EntryTimes>& times) {
  const size_t count = times.size();
  auto start = [&](int entry) { return std::max<int64_t>(0, times[entry - 1].StartMs); };
  auto end = [&](int entry) { return times[entry - 1].EndMs; };

  // The entries in start-time order; equal starts keep file order.
  std::vector<int> order(count);
  std::iota(order.begin(), order.end(), 1);
  std::erase_if(order, [&](int entry) { return times[entry - 1].Blank; });
  const size_t shown = order.size();
  auto earlier = [&](int a, int b) { return start(a) < start(b); };
  if (!std::is_sorted(order.begin(), order.end(), earlier)) {
    std::stable_sort(order.begin(), order.end(), earlier);
  }

  pictures_.reserve(count);
  entries_.reserve(count);
  // The entries visible at `now`, by their place in `order` (start order),
  // and their ends, the earliest on top.
  std::set<size_t> visible;
  using End = std::pair<int64_t, size_t>;
  std::priority_queue<End, std::vector<End>, std::greater<>> ends;
  size_t next = 0;  // the next place in `order` to join
  int64_t now = 0;
  auto addPicture = [&](int64_t from, int64_t to, uint32_t begun) {
    TimelinePicture picture{from, to, entries_.size(), 0, begun, 0};
    for (size_t at : visible) {
      if (picture.Count == kMaxShownTogether) {
        picture.Hidden = static_cast<uint32_t>(visible.size()) - picture.Count;
        break;
      }
      entries_.push_back(order[at]);
      ++picture.Count;
    }
    pictures_.push_back(picture);
  };
  while (next < shown || !visible.empty()) {
    if (visible.empty()) now = start(order[next]);
    uint32_t joined = 0;
    for (; next < shown && start(order[next]) == now; ++next) {
      const int entry = order[next];
      if (end(entry) > now) {
        visible.insert(visible.end(), next);
        ends.push({end(entry), next});
        ++joined;
      } else {
        entries_.push_back(entry);
        pictures_.push_back({now, end(entry), entries_.size() - 1, 1, 1, 0});
      }
    }
    if (visible.empty()) continue;
    int64_t until = ends.top().first;
    if (next < shown) until = std::min(until, start(order[next]));
    addPicture(now, until, joined);
    now = until;
    for (; !ends.empty() && ends.top().first <= now; ends.pop()) visible.erase(ends.top().second);
  }
}

}  // namespace kestrelpix
