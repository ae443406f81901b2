// Drawing and encoding the entries of a conversion run, on the calling
// thread or on a pool of workers. Results come back strictly in the run's
// order whatever the number of workers, so the pair written from them is
// the same byte for byte.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/frame_bitmap.h"
#include "render/fonts.h"
#include "render/render_settings.h"
#include "subtitle/subtitle_document.h"
#include "vobsub/spu_encoder.h"

namespace kestrelpix {

// One sub-picture unit of an entry and the time it is stamped with.
struct EncodedUnit {
  double StartTime;
  std::vector<uint8_t> Bytes;
};

// An entry drawn and encoded: its units (several for a display longer than
// one unit holds) and the encoder's warnings, in the order given.
struct EncodedEntry {
  std::vector<EncodedUnit> Units;
  std::vector<std::string> Warnings;
};

// What is drawn for one position of the run.
struct EntryToDraw {
  const SubtitleDocument* Doc;
  int Entry;  // from 1
  const RenderSettings* Drawing;
  double StartTime;  // as it is stamped (never before 0)
};

// Draws entry `what` into frame and encodes it with keys.
EncodedEntry EncodeEntry(Fonts& fonts, const EntryToDraw& what, const ColorKeys& keys,
                         IndexFrame& frame);

// Encodes the entries of a run on `workers` threads, each with fonts of its
// own, ahead of the consumer by at most a few entries per worker (memory
// stays flat for any length of film). Next() hands the results out in
// order; a worker's exception is thrown there, at the entry it concerns.
// Destroying the pool stops the workers and drops what they made ahead.
class EncoderPool {
 public:
  EncoderPool(std::vector<EntryToDraw> entries, const ColorKeys& keys, int workers);
  ~EncoderPool();
  EncoderPool(const EncoderPool&) = delete;
  EncoderPool& operator=(const EncoderPool&) = delete;

  // The result of the next entry in order; call at most once per entry.
  EncodedEntry Next();

 private:
  void Work();

  const std::vector<EntryToDraw> entries_;
  const ColorKeys keys_;
  const size_t ahead_;  // results held at most beyond the next one handed out

  std::mutex mutex_;
  std::condition_variable ready_;  // a result arrived
  std::condition_variable space_;  // the consumer took one, or a stop
  size_t claimed_ = 0;             // the next entry a worker takes
  size_t handed_ = 0;              // the next entry Next() hands out
  bool stopping_ = false;
  std::map<size_t, EncodedEntry> done_;
  std::map<size_t, std::exception_ptr> failed_;
  std::vector<std::thread> threads_;
};

// The number of workers for "all cores".
int DefaultWorkerCount();

}  // namespace kestrelpix
