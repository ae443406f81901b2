// Feeds fuzz input to the subtitle document as the bytes of a file of the
// given extension, through the same load as a file (format tests, readers,
// tolerant reading). Any input must give entries, a message or a typed
// error.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/errors.h"
#include "subtitle/subtitle_document.h"
#include "support/collecting_sink.h"

inline void LoadFuzzInput(const uint8_t* data, size_t size, const char* extension) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  kestrelpix::SubtitleDocument doc;
  kestrelpix::testing::CollectingMessageSink sink;
  kestrelpix::LoadOptions options;
  // Without a chosen rate, then with one: a frame-numbered file without its
  // own rate is refused, then read at 23.976.
  for (const char* fps : {"", "23.976"}) {
    options.ChosenFps = fps;
    try {
      doc.LoadSubtitleBytes(bytes, extension, true, sink, options);
    } catch (const kestrelpix::Error&) {
    }
    for (int i = 1; i <= doc.LineCount(); ++i) {
      const auto& line = doc.GetLine(i);
      // The packed entry reads back the same as its copy, kept lines too.
      const auto view = doc.LineView(i);
      if (view.StartMs != line.StartMs || view.EndMs != line.EndMs || view.Text1 != line.Text1 ||
          view.Text3 != line.Text3)
        __builtin_trap();
      for (std::string_view extra : doc.ExtraLines(i)) {
        if (extra.size() > kestrelpix::kMaxKeptLineBytes) __builtin_trap();
      }
    }
    if (doc.Loaded && doc.LoadNotes().size() > 3) __builtin_trap();
  }
}
