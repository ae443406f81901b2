// A front end that keeps what the load and the run show and lets a test
// press "Abort" from the event processing, as the window does, or ask for a
// stop, as Ctrl-C does on the command line.
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
  int minimum = 0, maximum = 100, position = 0;
  std::vector<bool> enableCalls;
  int events = 0;
  int terminateRequests = 0;
  int framesShown = 0;
  FrameBitmap lastFrame;       // the last frame shown
  std::vector<int> positions;  // every progress position shown after 0
  // Called from ProcessEvents with the number of the event round (1-based).
  std::function<void(int)> onEvents;
  // Asked once per entry; empty asks for no stop.
  std::function<bool()> stopRequested;

  void ShowMessage(std::string_view text) override { sink.ShowMessage(text); }
  void Warn(std::string_view text) override { sink.Warn(text); }
  bool StopRequested() override { return stopRequested && stopRequested(); }

  RenderSettings ReadRenderSettings() override { return settings; }
  Fonts& GetFonts() override { return TestFonts(); }
  void ProcessEvents() override {
    ++events;
    if (onEvents) onEvents(events);
  }
  void SetProgressRange(int lo, int hi) override {
    minimum = lo;
    maximum = hi;
  }
  void SetProgressPosition(int p) override {
    position = p;
    if (p > 0) positions.push_back(p);
  }
  void EnableInputs(bool enabled) override { enableCalls.push_back(enabled); }
  void FrameDrawn(const IndexFrame& frame) override {
    ++framesShown;
    PaintPicture(frame, lastFrame);
  }
  void RequestTerminate() override { ++terminateRequests; }
};

}  // namespace kestrelpix::testing
