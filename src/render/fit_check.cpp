#include "render/fit_check.h"

#include <string>

#include "base/excerpt.h"
#include "render/measure.h"
#include "render/text_decode.h"

namespace kestrelpix {

void CheckEntryFits(std::string_view line1, std::string_view line2, const RenderSettings& font,
                    AppState& state, MessageSink& sink, const FitCheckHooks& hooks) {
  int W1 = MeasureLine(line1, font.FontName, font.FontSize, font.FontStyle, font.FontCharset).width;
  int W2 = MeasureLine(line2, font.FontName, font.FontSize, font.FontStyle, font.FontCharset).width;
  if (W1 < FitLimit && W2 < FitLimit) {
    state.SubtitleFits = true;
    return;
  }
  state.SubtitleFits = false;
  // The lines are file text in the system code page; messages are UTF-8.
  // A long line is quoted by its start only.
  std::string message = "The string \r" +
                        Excerpt(SystemTextToUtf8(line1.substr(0, kExcerptBytes))) + "\r" +
                        Excerpt(SystemTextToUtf8(line2.substr(0, kExcerptBytes))) + "\r";
  if (!state.SubtitleLoaded) {
    if (hooks.EmptyEntryList) hooks.EmptyEntryList();
    message +=
        "is too long. Please correct the srt and reload it. You can just use a smaler font "
        "size.";
  } else {
    message += "is too long. Please use a smaler font size.";
  }
  sink.ShowMessage(message);
}

void CheckAllEntriesFit(const TSubtitle& doc, AppState& state, MessageSink& sink,
                        const FitCheckHooks& hooks) {
  const int n = doc.LineCount();
  for (int i = 1; i <= n; ++i) {
    RenderSettings font = hooks.ReadSettings ? hooks.ReadSettings() : RenderSettings{};
    const SubtitleLine& entry = doc.GetLine(i);
    CheckEntryFits(entry.Text1, entry.Text2, font, state, sink, hooks);
    if (!state.SubtitleFits) break;
  }
  if (!state.SubtitleFits) return;
  if (!state.CommandLineMode) {
    sink.ShowMessage(std::string("Subtitle Style Modified/Loaded Successfully") +
                     (hooks.SuccessNote.empty() ? "" : "\r" + hooks.SuccessNote));
  }
  if (hooks.ShowLoadedFileName) hooks.ShowLoadedFileName();
  state.SubtitleLoaded = true;
}

}  // namespace kestrelpix
