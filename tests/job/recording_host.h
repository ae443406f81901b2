// A job host that keeps what the run shows and lets a test press "Abort"
// from the event processing, as the window does.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "job/generation_job.h"
#include "support/collecting_sink.h"

namespace kestrelpix::testing {

class RecordingHost : public JobHost {
 public:
  RenderSettings settings;
  CollectingMessageSink sink;
  int minimum = 0, maximum = 100, position = 0;
  std::vector<bool> enableCalls;
  int events = 0;
  int terminateRequests = 0;
  int framesShown = 0;
  FrameBitmap lastFrame;  // the last frame shown
  // Called from ProcessEvents with the number of the event round (1-based).
  std::function<void(int)> onEvents;

  RenderSettings ReadRenderSettings() override { return settings; }
  void ProcessEvents() override {
    ++events;
    if (onEvents) onEvents(events);
  }
  void SetProgressRange(int lo, int hi) override {
    minimum = lo;
    maximum = hi;
  }
  void SetProgressPosition(int p) override { position = p; }
  int ProgressPosition() const override { return position; }
  void EnableInputs(bool enabled) override { enableCalls.push_back(enabled); }
  void FrameDrawn(const FrameBitmap& frame) override {
    ++framesShown;
    lastFrame = frame;
  }
  void RequestTerminate() override { ++terminateRequests; }
  MessageSink& Messages() override { return sink; }
};

}  // namespace kestrelpix::testing
