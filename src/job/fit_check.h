// The width check of subtitle lines against the frame: a line fits when its
// measured width is less than FitLimit. The check refuses a document while it
// loads, or a font after a change, when a line of an entry is too wide.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/app_state.h"
#include "job/front_end.h"
#include "render/line_wrap.h"
#include "render/render_settings.h"
#include "subtitle/subtitle_document.h"

namespace kestrelpix {

// Measures the lines the entry is drawn with (LayOutLines: its first two,
// or with WrapLines all its lines, broken where too wide) and sets
// state.SubtitleFits. An entry with a line of FitLimit pixels or more is
// refused with a message naming the entry's number (none when 0) and the
// widest line's width, quoting the entry's text as the charset reads it,
// and suggesting wrapping or a smaller font. With WrapLines an entry of
// more than two lines whose lines, placed alone where the entry asks, reach
// outside the frame is refused as too tall, with the number of lines and
// the rows they take. While nothing is loaded the front end hears
// LoadRefused first.
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

// The preview's check of the lines it draws (two, or with wrapping as many
// as the entry is laid out in): sets state.SubtitleFits, and a line too
// wide is reported as "The string", each line as the charset reads it, and
// "is too long.".
bool PreviewLinesFit(Fonts& fonts, const std::vector<std::string>& lines,
                     const RenderSettings& font, AppState& state, MessageSink& sink);

}  // namespace kestrelpix
