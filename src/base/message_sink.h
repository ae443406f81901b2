// Messages the core shows the user go through a sink that the front end
// implements: a modal message box in the window, stderr in the command line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrelpix {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // A message the user must read and confirm (a message box in the window).
  virtual void ShowMessage(std::string_view text) = 0;
  // A warning that does not stop the action in progress.
  virtual void Warn(std::string_view text) { ShowMessage(text); }
};

// Writes every message to stderr, one message per line; carriage returns
// inside a message become line breaks.
class StderrMessageSink : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override;
  void Warn(std::string_view text) override;
};

}  // namespace kestrelpix
