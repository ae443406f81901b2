// Feeds fuzz input to the subtitle document as a file of the given
// extension. Any input must give entries, a message or a typed error.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/errors.h"
#include "base/message_sink.h"
#include "subtitle/subtitle.h"

inline void LoadFuzzInput(const uint8_t* data, size_t size, const char* extension) {
  static const std::string path = "/tmp/kestrelpix-fuzz-" + std::to_string(::getpid()) + extension;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  kestrelpix::TSubtitle doc;
  kestrelpix::CollectingMessageSink sink;
  try {
    doc.LoadSubtitle(path, true, sink);
  } catch (const kestrelpix::Error&) {
  }
  for (int i = 1; i <= doc.LineCount(); ++i) {
    const auto& line = doc.GetLine(i);
    // Times are always whole milliseconds as decimal text.
    if (line.StartTime.empty() || line.EndTime.empty()) __builtin_trap();
  }
  std::remove(path.c_str());
}
