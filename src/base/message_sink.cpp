#include "base/message_sink.h"

#include <cstdio>

namespace kestrelpix {

namespace {

void WriteLine(std::string_view prefix, std::string_view text) {
  std::string line(prefix);
  for (char c : text) line += (c == '\r') ? '\n' : c;
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace

void StderrMessageSink::ShowMessage(std::string_view text) { WriteLine("", text); }

void StderrMessageSink::Warn(std::string_view text) { WriteLine("warning: ", text); }

}  // namespace kestrelpix
