// The conversion run: the sub-pictures of one or more loaded subtitles
// (each subtitle's Timeline) drawn, encoded, packed and indexed into one
// VobSub pair, in start-time order across the subtitles. A run is a plain function over its request; what it
// shows and when it stops are the observer's: the window, the command-line
// tool and the tests each bring their own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/frame_bitmap.h"
#include "base/message_sink.h"
#include "job/pair_writer.h"
#include "render/fonts.h"
#include "render/render_settings.h"
#include "subtitle/subtitle_document.h"

namespace kestrelpix {

enum class JobOutcome {
  None,       // no run has ended yet
  Completed,  // all entries written, help file written
  Aborted,    // stopped on request; a consistent, shorter pair
  Refused,    // not started: nothing loaded, text too wide, bad output name
  Failed,     // a file error stopped the run; nothing was replaced
};

// One subtitle of a run, as its load left it.
struct RunStream {
  const SubtitleDocument* Doc = nullptr;  // null: nothing is loaded
  bool Fits = false;                      // every entry passed the fit check
  std::string Input;                      // the subtitle's file
  std::string Language;                   // its entry of the language list ("fr FRENCH")
  RenderSettings Drawing;                 // the settings it is drawn with (its charset resolved)
  std::string Prefix;                     // put before messages that concern it
};

struct RunRequest {
  std::vector<RunStream> Streams;  // 1 to kMaxSubStreams
  PairNames Names;
  RenderSettings Settings;  // the pair's colours, palette, frame rate
  bool Merge = false;       // refusals speak of a merge of several subtitles
  // Threads that draw and encode entries; the pair is the same for any
  // number. With more than one, FrameDrawn is not reported.
  int Workers = 1;
};

struct RunOutcome {
  JobOutcome Outcome = JobOutcome::None;
  PairNames Names;
  int Entries = 0;       // entries written (shown in at least one picture written)
  std::string HelpText;  // the help file's text, after a complete run
};

// What a run reports. Messages and warnings arrive through the sink; a
// refusal or a failure is reported there once, in the user's words.
class RunObserver : public MessageSink {
 public:
  // Before sub-picture `done` of `total` (counting from 1) is drawn.
  virtual void Progress(int done, int total) {}
  // The frame just drawn for a sub-picture (PaintPicture gives its picture).
  virtual void FrameDrawn(const IndexFrame& frame) {}
  // Asked once per sub-picture, after Progress: true ends the run after
  // it, leaving a consistent, shorter pair without a help file.
  virtual bool ShouldStop() { return false; }
  // Once, as the run ends, however it ends (refused and failed runs too):
  // what RunConversion returns.
  virtual void Finished(const RunOutcome& outcome) {}
};

// The refusal of one subtitle of a run, before anything is written:
// nothing loaded, text too wide, an output that would replace the input,
// no entries. Messages carry the stream's prefix.
std::optional<std::string> StreamRefusal(const RunStream& stream, const RunRequest& request);

// Every refusal of the run before anything is written, StreamRefusal of
// each stream first, then the output names.
std::optional<std::string> RefusalBeforeWriting(const RunRequest& request);

// Checks, then writes the pair. Nothing of a refused or failed run replaces
// an earlier output.
RunOutcome RunConversion(const RunRequest& request, Fonts& fonts, RunObserver& observer);

// The order in which the sub-pictures of all streams go into the .sub,
// given the start times of each stream's pictures in its own order: always
// the picture with the earliest start time among the next pictures of the
// streams, the lower stream first on equal times. Every stream keeps its
// own order.
struct StreamEntry {
  int stream;  // from 0
  int entry;   // the picture of the stream, from 1
  bool operator==(const StreamEntry&) const = default;
};
std::vector<StreamEntry> MergeOrder(const std::vector<std::vector<double>>& startTimes);

// The stream name of a language list entry for the index's comment lines,
// in title case and without the list's annotations: "fr FRENCH" gives
// "French", "om AFAN (OROMO)" gives "Afan", "fj FIJI FJ" gives "Fiji".
std::string LanguageDisplayName(const std::string& Language);

}  // namespace kestrelpix
