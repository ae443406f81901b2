// Drawing and encoding the sub-pictures of a conversion run, on the
// calling thread or on a pool of workers. Results come back strictly in the
// run's order whatever the number of workers, so the pair written from them
// is the same byte for byte.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "base/frame_bitmap.h"
#include "render/fonts.h"
#include "render/render_settings.h"
#include "subtitle/subtitle_document.h"
#include "vobsub/spu_encoder.h"

namespace kestrelpix {

// One sub-picture unit of a picture and the time it is stamped with.
struct EncodedUnit {
  double StartTime;
  std::vector<uint8_t> Bytes;
};

// A picture drawn and encoded: its units (several for a display longer than
// one unit holds) and the warnings of its drawing and encoding, in order.
struct EncodedPicture {
  std::vector<EncodedUnit> Units;
  std::vector<std::string> Warnings;
};

// One sub-picture of the run: the entries of one document shown together.
struct PictureToDraw {
  const SubtitleDocument* Doc;
  std::span<const int> Entries;  // from 1, in start-time then file order
  const RenderSettings* Drawing;
  double StartTime;  // as it is stamped (never before 0)
  double EndTime;
  uint32_t Hidden = 0;  // entries visible then that the picture cannot hold
};

// Draws picture `what` into frame and encodes it with keys. Entries shown
// together that do not all fit the frame's height are drawn cut, with a
// warning naming them and the time.
EncodedPicture EncodePicture(Fonts& fonts, const PictureToDraw& what, const ColorKeys& keys,
                             IndexFrame& frame);

// The warning for the entries of a picture at startMs whose text is cut:
// `cut` holds positions in `entries`, ascending.
std::string CutWarning(int64_t startMs, std::span<const int> entries,
                       const std::vector<size_t>& cut);
// The warning for a picture at startMs that cannot hold `hidden` of the
// entries visible then (Timeline's kMaxShownTogether).
std::string HiddenWarning(int64_t startMs, size_t shown, uint32_t hidden);

// Encodes the pictures of a run on `workers` threads, each with fonts of
// its own, ahead of the consumer by at most a few pictures per worker
// (memory stays flat for any length of film). Next() hands the results out
// in order; a worker's exception is thrown there, at the picture it
// concerns. Destroying the pool stops the workers and drops what they made
// ahead.
class EncoderPool {
 public:
  EncoderPool(std::vector<PictureToDraw> pictures, const ColorKeys& keys, int workers);
  ~EncoderPool();
  EncoderPool(const EncoderPool&) = delete;
  EncoderPool& operator=(const EncoderPool&) = delete;

  // The result of the next picture in order; call at most once per picture.
  EncodedPicture Next();

 private:
  void Work();

  const std::vector<PictureToDraw> pictures_;
  const ColorKeys keys_;
  const size_t ahead_;  // results held at most beyond the next one handed out

  std::mutex mutex_;
  std::condition_variable ready_;  // a result arrived
  std::condition_variable space_;  // the consumer took one, or a stop
  size_t claimed_ = 0;             // the next picture a worker takes
  size_t handed_ = 0;              // the next picture Next() hands out
  bool stopping_ = false;
  std::map<size_t, EncodedPicture> done_;
  std::map<size_t, std::exception_ptr> failed_;
  std::vector<std::thread> threads_;
};

// The number of workers for "all cores".
int DefaultWorkerCount();

}  // namespace kestrelpix
