// The width check of subtitle lines against the frame: a line fits when its
// measured width is less than FitLimit. The check refuses a document while it
// loads, or a font after a change, when a line of an entry is too wide.
#pragma once

#include <string>
#include <string_view>

#include "base/app_state.h"
#include "job/front_end.h"
#include "render/line_wrap.h"
#include "render/render_settings.h"
#include "subtitle/subtitle_document.h"

namespace kestrelpix {

// Measures the lines the entry is drawn with (LinesToDraw: its first two,
// or with WrapLines the wrapped ones) and sets state.SubtitleFits. An entry
// with a line of FitLimit pixels or more is refused with a message naming
// the entry's number (none when 0) and the widest line's width, quoting the
// entry's text as the charset reads it, and suggesting wrapping or a smaller
// font; while nothing is loaded the front end hears LoadRefused first.
void CheckEntryFits(const SubtitleEntry& entry, int number, const RenderSettings& font,
                    AppState& state, FrontEnd& frontEnd);
// The same for an entry of two lines without a number.
void CheckEntryFits(std::string_view line1, std::string_view line2, const RenderSettings& font,
                    AppState& state, FrontEnd& frontEnd);

// Checks every entry in order and stops at the first entry that does not
// fit. While loading, characters that no installed font has are reported
// once as a warning. When all fit: AllEntriesFit, and
// state.SubtitleLoaded = true. The settings are read afresh for every entry.
void CheckAllEntriesFit(const SubtitleDocument& doc, AppState& state, FrontEnd& frontEnd);

// The preview's check of the two lines it draws: sets state.SubtitleFits,
// and a line too wide is reported as "The string", the lines as the charset
// reads them, and "is too long.".
bool PreviewLinesFit(Fonts& fonts, std::string_view line1, std::string_view line2,
                     const RenderSettings& font, AppState& state, MessageSink& sink);

}  // namespace kestrelpix
