// A message sink that keeps every message, so that a test can check what
// the user would have been shown.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/message_sink.h"

namespace kestrelpix::testing {

class CollectingMessageSink : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
  void Warn(std::string_view text) override { warnings.emplace_back(text); }

  std::vector<std::string> messages;
  std::vector<std::string> warnings;
};

}  // namespace kestrelpix::testing
