// A front end that keeps what the load and the run show, and asks for a
// stop when a test says so, as "Abort" or Ctrl-C does.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "job/front_end.h"
#include "support/collecting_sink.h"
#include "support/test_fonts.h"

namespace kestrelpix::testing {

class RecordingHost : public FrontEnd {
 public:
  RenderSettings settings;
  CollectingMessageSink sink;
  int total = 0;               // the entries of the run, as Progress gives them
  std::vector<int> positions;  // every progress position shown
  int framesShown = 0;
  std::vector<JobOutcome> finished;  // every outcome a run reported as it ended
  FrameBitmap lastFrame;  // the last frame shown
  // Called from Progress with the entry about to be drawn (1-based).
  std::function<void(int)> onProgress;
  // Asked once per entry; empty asks for no stop.
  std::function<bool()> stopRequested;

  void ShowMessage(std::string_view text) override { sink.ShowMessage(text); }
  void Warn(std::string_view text) override { sink.Warn(text); }
  RenderSettings ReadRenderSettings() override { return settings; }
  Fonts& GetFonts() override { return TestFonts(); }

  void Progress(int done, int all) override {
    total = all;
    positions.push_back(done);
    if (onProgress) onProgress(done);
  }
  bool ShouldStop() override { return stopRequested && stopRequested(); }
  void Finished(const RunOutcome& outcome) override { finished.push_back(outcome.Outcome); }
  void FrameDrawn(const IndexFrame& frame) override {
    ++framesShown;
    PaintPicture(frame, lastFrame);
  }
};

}  // namespace kestrelpix::testing
