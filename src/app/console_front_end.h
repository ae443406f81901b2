// The front end of conversions without a window, in the command-line tool
// and in the window program started from a batch line on a machine without a
// display: messages and warnings on stderr, progress on stderr, and Ctrl-C,
// SIGTERM or SIGHUP as the press of "Abort".
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "job/front_end.h"

namespace kestrelpix {

class ConsoleFrontEnd : public FrontEnd {
 public:
  // settings: what every conversion through this front end uses. wrapHint:
  // how the user switches wrapping on, named when an entry is too wide.
  // prefix: put before every message (the input's name when several run).
  explicit ConsoleFrontEnd(RenderSettings settings = {}, std::string wrapHint = "--wrap",
                           std::string prefix = "")
      : settings_(std::move(settings)),
        wrapHint_(std::move(wrapHint)),
        prefix_(std::move(prefix)) {}
  ~ConsoleFrontEnd() override { FinishProgress(); }

  void SetSettings(const RenderSettings& settings) { settings_ = settings; }
  void SetWrapHint(const std::string& hint) { wrapHint_ = hint; }
  void SetSamiClass(const std::string& name) { samiClass_ = name; }
  // Shows progress under this label from now on: a bar redrawn in place
  // when stderr is a terminal (done of total, rate, time left), plain lines
  // otherwise.
  void ShowProgress(std::string label);
  // Ends the progress bar's line, if one was drawn.
  void FinishProgress();

  RenderSettings ReadRenderSettings() override { return settings_; }
  Fonts& GetFonts() override { return fonts_; }
  std::string WrapHint() const override { return wrapHint_; }
  std::string SamiClass() const override { return samiClass_; }
  void ShowMessage(std::string_view text) override;
  void Warn(std::string_view text) override;
  bool ShouldStop() override;
  // What the reader noted about the file: a warning each.
  void Loaded(const SubtitleDocument& doc, const std::vector<std::string>& notes) override;
  void Progress(int done, int total) override;

 private:
  RenderSettings settings_;
  Fonts fonts_;
  std::string samiClass_;
  std::string wrapHint_;
  std::string prefix_;
  std::string label_;  // empty: no progress shown
  bool terminal_ = false;
  bool barDrawn_ = false;
  int lastTenth_ = -1;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace kestrelpix
