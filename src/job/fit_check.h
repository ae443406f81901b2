// The width check of subtitle lines against the frame: a line fits when its
// measured width is less than FitLimit. The check refuses a document while it
// loads, or a font after a change, when a line of an entry is too wide.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/app_state.h"
#include "base/message_sink.h"
#include "render/line_wrap.h"
#include "render/render_settings.h"
#include "subtitle/subtitle.h"

namespace kestrelpix {

// The window's part of the check; an empty hook is skipped.
struct FitCheckHooks {
  // The current settings, read afresh from the controls for every entry.
  std::function<RenderSettings()> ReadSettings;
  // Empties the entry list (a too-wide line while loading).
  std::function<void()> EmptyEntryList;
  // Shows the loaded file's full path in the file name box (check passed).
  std::function<void()> ShowLoadedFileName;
  // How the front end switches wrapping on ("--wrap"), named in the
  // refusal; empty names nothing.
  std::string WrapHint;
  // Lines added below the success message: what the load noted about the
  // file.
  std::string SuccessNote = "";
};

// Measures the lines the entry is drawn with (LinesToDraw: its first two,
// or with WrapLines the wrapped ones) and sets state.SubtitleFits. An entry
// with a line of FitLimit pixels or more is refused with a message naming
// the entry's number (none when 0) and the widest line's width, quoting the
// entry's text as the charset reads it, and suggesting wrapping or a smaller
// font; while nothing is loaded the entry list is emptied as well.
void CheckEntryFits(const SubtitleLine& entry, int number, const RenderSettings& font,
                    AppState& state, MessageSink& sink, const FitCheckHooks& hooks);
// The same for an entry of two lines without a number.
void CheckEntryFits(std::string_view line1, std::string_view line2, const RenderSettings& font,
                    AppState& state, MessageSink& sink, const FitCheckHooks& hooks);

// Checks every entry in order and stops at the first entry that does not
// fit. While loading, characters that no installed font has are reported
// once as a warning. When all fit: the success message (not in command-line
// mode), the file name, and state.SubtitleLoaded = true.
void CheckAllEntriesFit(const TSubtitle& doc, AppState& state, MessageSink& sink,
                        const FitCheckHooks& hooks);

}  // namespace kestrelpix
