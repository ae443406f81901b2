#include "job/timeline.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace kestrelpix {

namespace {

std::vector<EntryTimes> TimesOf(const SubtitleDocument& doc) {
  std::vector<EntryTimes> times;
  times.reserve(static_cast<size_t>(doc.LineCount()));
  for (int k = 1; k <= doc.LineCount(); ++k) {
    const SubtitleEntryView entry = doc.LineView(k);
    times.push_back({entry.StartMs, entry.EndMs});
  }
  return times;
}

}  // namespace

Timeline::Timeline(const SubtitleDocument& doc) : Timeline(TimesOf(doc)) {}

Timeline::Timeline(const std::vector<EntryTimes>& times) {
  const size_t count = times.size();
  auto start = [&](int entry) { return std::max<int64_t>(0, times[entry - 1].StartMs); };
  auto end = [&](int entry) { return times[entry - 1].EndMs; };

  // The entries in start-time order; equal starts keep file order.
  std::vector<int> order(count);
  std::iota(order.begin(), order.end(), 1);
  auto earlier = [&](int a, int b) { return start(a) < start(b); };
  if (!std::is_sorted(order.begin(), order.end(), earlier)) {
    std::stable_sort(order.begin(), order.end(), earlier);
  }

  pictures_.reserve(count);
  entries_.reserve(count);
  // The entries visible at `now`, in start order (they join in that order).
  std::vector<int> visible;
  size_t next = 0;  // the next entry of `order` to join
  int64_t now = 0;
  auto addPicture = [&](int64_t from, int64_t to, std::span<const int> shown, uint32_t begun) {
    pictures_.push_back({from, to, entries_.size(), static_cast<uint32_t>(shown.size()), begun});
    entries_.insert(entries_.end(), shown.begin(), shown.end());
  };
  while (next < count || !visible.empty()) {
    if (visible.empty()) now = start(order[next]);
    uint32_t joined = 0;
    for (; next < count && start(order[next]) == now; ++next) {
      const int entry = order[next];
      if (end(entry) > now) {
        visible.push_back(entry);
        ++joined;
      } else {
        const int alone[] = {entry};
        addPicture(now, end(entry), alone, 1);
      }
    }
    if (visible.empty()) continue;
    int64_t until = next < count ? start(order[next]) : std::numeric_limits<int64_t>::max();
    for (int entry : visible) until = std::min(until, end(entry));
    addPicture(now, until, visible, joined);
    now = until;
    std::erase_if(visible, [&](int entry) { return end(entry) <= now; });
  }
}

}  // namespace kestrelpix
