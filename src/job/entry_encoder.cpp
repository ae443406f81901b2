#include "job/entry_encoder.h"

#include <algorithm>

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

EncodedEntry EncodeEntry(Fonts& fonts, const EntryToDraw& what, const ColorKeys& keys,
                         IndexFrame& frame) {
  EncodedEntry out;
  CollectedWarnings warnings(out.Warnings);
  const SubtitleEntryView line = what.Doc->LineView(what.Entry);
  // Laid out (wrapped when wrapping is on) and placed where the entry
  // asks. Drawn first: the frame takes its height from the frame rate.
  const Band drawn = RenderSubpicture(
      fonts, {ShownEntry{EntryTextLines(*what.Doc, what.Entry), line.Place}}, *what.Drawing, frame);
  const Band band = ClampBand(drawn, frame.height());
  const auto end = static_cast<double>(line.EndMs);
  // A unit's stop can lie at most 65535 ticks of 1024/90000 s (about 745 s)
  // after its own time stamp; a longer entry is shown by several units
  // whose times meet, each with its index line.
  for (const DisplaySpan& span : DisplaySpans(what.StartTime, end)) {
    out.Units.push_back(
        {span.StartTime, EncodeSubpicture(frame, band.BandTop, band.BandHeight, span.StartTime,
                                          span.EndTime, keys, &warnings)});
  }
  return out;
}

EncoderPool::EncoderPool(std::vector<EntryToDraw> entries, const ColorKeys& keys, int workers)
    : entries_(std::move(entries)),
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
        return stopping_ || claimed_ == entries_.size() || claimed_ < handed_ + ahead_;
      });
      if (stopping_ || claimed_ == entries_.size()) return;
      index = claimed_++;
    }
    EncodedEntry result;
    std::exception_ptr error;
    try {
      result = EncodeEntry(fonts, entries_[index], keys_, frame);
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

EncodedEntry EncoderPool::Next() {
  std::unique_lock<std::mutex> lock(mutex_);
  const size_t index = handed_;
  ready_.wait(lock, [&] { return done_.count(index) > 0 || failed_.count(index) > 0; });
  ++handed_;
  space_.notify_all();
  if (auto failure = failed_.find(index); failure != failed_.end()) {
    std::rethrow_exception(failure->second);
  }
  EncodedEntry result = std::move(done_[index]);
  done_.erase(index);
  return result;
}

int DefaultWorkerCount() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(std::min(cores, 64u));
}

}  // namespace kestrelpix
