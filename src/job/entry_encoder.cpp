#include "job/entry_encoder.h"

#include <algorithm>
#include <cstdio>

#include "base/message_sink.h"
#include "job/job_support.h"
#include "render/line_wrap.h"
#include "render/rasterizer.h"
#include "render/subpicture.h"

namespace kestrelpix {

namespace {

class CollectedWarnings : public MessageSink {
 public:
  explicit CollectedWarnings(std::vector<std::string>& into) : into_(into) {}
  void ShowMessage(std::string_view text) override { into_.emplace_back(text); }
  void Warn(std::string_view text) override { into_.emplace_back(text); }

 private:
  std::vector<std::string>& into_;
};

}  // namespace

namespace {

// H:MM:SS.mmm, as a player shows a position.
std::string TimeText(int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03lld",
                static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
  return text;
}

// "12", "12 and 13", "12, 13 and 14".
std::string NumberList(const std::vector<int>& numbers) {
  std::string text;
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) text += i + 1 == numbers.size() ? " and " : ", ";
    text += std::to_string(numbers[i]);
  }
  return text;
}

}  // namespace

std::string CutWarning(int64_t startMs, std::span<const int> entries,
                       const std::vector<size_t>& cut) {
  std::vector<int> cutEntries;
  for (size_t at : cut) cutEntries.push_back(entries[at]);
  const std::string cutText = (cutEntries.size() == 1 ? "entry " : "entries ") +
                              NumberList(cutEntries) +
                              (cutEntries.size() == 1 ? " is" : " are") + " cut off.";
  if (entries.size() == 1) {
    return "At " + TimeText(startMs) + " entry " + std::to_string(entries[0]) +
           " is too tall for the frame and is cut off.";
  }
  return "At " + TimeText(startMs) + " entries " +
         NumberList(std::vector<int>(entries.begin(), entries.end())) +
         " shown together are too tall for the frame; " + cutText;
}

std::string HiddenWarning(int64_t startMs, size_t shown, uint32_t hidden) {
  return "At " + TimeText(startMs) + " " + std::to_string(shown + hidden) +
         " entries are shown together, more than a picture holds; the " + std::to_string(hidden) +
         " that started last " + (hidden == 1 ? "is" : "are") + " not drawn.";
}

EncodedPicture EncodePicture(Fonts& fonts, const PictureToDraw& what, const ColorKeys& keys,
                             IndexFrame& frame) {
  EncodedPicture out;
  CollectedWarnings warnings(out.Warnings);
  std::vector<ShownEntry> shown;
  shown.reserve(what.Entries.size());
  for (int entry : what.Entries) {
    shown.push_back({EntryTextLines(*what.Doc, entry), what.Doc->LineView(entry).Place});
  }
  // Drawn first: the frame takes its height from the frame rate.
  std::vector<size_t> cut;
  const Band drawn = RenderSubpicture(fonts, shown, *what.Drawing, frame, &cut);
  if (what.Hidden > 0) {
    out.Warnings.push_back(
        HiddenWarning(static_cast<int64_t>(what.StartTime), what.Entries.size(), what.Hidden));
  }
  if (!cut.empty()) {
    out.Warnings.push_back(
        CutWarning(static_cast<int64_t>(what.StartTime), what.Entries, cut));
  }
  const Band band = ClampBand(drawn, frame.height());
  // A unit's stop can lie at most 65535 ticks of 1024/90000 s (about 745 s)
  // after its own time stamp; a longer picture is shown by several units
  // whose times meet, each with its index line.
  for (const DisplaySpan& span : DisplaySpans(what.StartTime, what.EndTime)) {
    out.Units.push_back(
        {span.StartTime, EncodeSubpicture(frame, band.BandTop, band.BandHeight, span.StartTime,
                                          span.EndTime, keys, &warnings)});
  }
  return out;
}

EncoderPool::EncoderPool(std::vector<PictureToDraw> pictures, const ColorKeys& keys, int workers)
    : pictures_(std::move(pictures)),
      keys_(keys),
      ahead_(static_cast<size_t>(std::max(1, workers)) * 4) {
  const int count = std::max(1, workers);
  threads_.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) threads_.emplace_back([this] { Work(); });
}

EncoderPool::~EncoderPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  space_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void EncoderPool::Work() {
  Fonts fonts;
  IndexFrame frame;
  for (;;) {
    size_t index;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      space_.wait(lock, [&] {
        return stopping_ || claimed_ == pictures_.size() || claimed_ < handed_ + ahead_;
      });
      if (stopping_ || claimed_ == pictures_.size()) return;
      index = claimed_++;
    }
    EncodedPicture result;
    std::exception_ptr error;
    try {
      result = EncodePicture(fonts, pictures_[index], keys_, frame);
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (error) {
        failed_[index] = error;
      } else {
        done_[index] = std::move(result);
      }
    }
    ready_.notify_all();
  }
}

EncodedPicture EncoderPool::Next() {
  std::unique_lock<std::mutex> lock(mutex_);
  const size_t index = handed_;
  ready_.wait(lock, [&] { return done_.count(index) > 0 || failed_.count(index) > 0; });
  ++handed_;
  space_.notify_all();
  if (auto failure = failed_.find(index); failure != failed_.end()) {
    std::rethrow_exception(failure->second);
  }
  EncodedPicture result = std::move(done_[index]);
  done_.erase(index);
  return result;
}

int DefaultWorkerCount() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(std::min(cores, 64u));
}

}  // namespace kestrelpix
