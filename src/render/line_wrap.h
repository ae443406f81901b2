// The lines an entry is drawn with. Without wrapping (RenderSettings::
// WrapLines off) an entry is drawn as its first two lines, whatever their
// width. With wrapping every line the entry's author wrote is drawn in its
// own line, and a line too wide for the frame is broken at line-break
// opportunities (render/line_break.h) into as few pieces as fit, as even as
// possible; an entry takes as many lines as its text needs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "render/fonts.h"
#include "render/render_settings.h"
#include "subtitle/subtitle_document.h"

namespace kestrelpix {

// The text lines of an entry, in order: Text1 and Text2, and Text3 when it
// is a line of the entry's own text (a SubRip entry's third line; after a
// one-line entry that slot holds the blank line or the next counter, so it
// counts only when Text2 is not empty).
std::vector<std::string_view> EntryTextLines(const SubtitleEntry& entry);
// The same for entry `index` (1-based) of a document: Text1, Text2 and the
// lines the document keeps of it beyond them (its third and later lines,
// text after a blank line; SubtitleDocument::ExtraLines).
std::vector<std::string_view> EntryTextLines(const SubtitleDocument& doc, int index);

// The lines an entry whose text lines are `textLines` (as EntryTextLines
// gives them) is drawn with, top to bottom; always at least two (a one-line
// entry keeps its empty second line, as it is measured and placed).
//  - Without WrapLines: Text1 and Text2.
//  - With it, an entry whose text is at most two lines that both fit: the
//    same two lines.
//  - Otherwise every line that is not blank, each broken by BreakLine.
// A piece that no break can narrow enough stays too wide: the fit check
// refuses it.
std::vector<std::string> LayOutLines(Fonts& fonts, const std::vector<std::string_view>& textLines,
                                     const RenderSettings& settings);

// One line as drawn with wrapping: a line that fits comes back whole;
// a wider one is cut at line-break opportunities into the fewest pieces
// that each fit, and of those cuts the one whose widest piece is narrowest
// (where several are, the upper pieces take as much as they can). A piece is measured and drawn
// without the blanks at its end. A run with no break opportunity that is too wide by itself stays
// one piece.
std::vector<std::string_view> BreakLine(Fonts& fonts, std::string_view line,
                                        const RenderSettings& settings);

// The width of a line as measured with the settings' font.
int LineWidth(Fonts& fonts, std::string_view text, const RenderSettings& settings);

// A line fits the frame when its width is less than FitLimit.
constexpr int FitLimit = 680;
inline bool LineFits(Fonts& fonts, std::string_view text, const RenderSettings& settings) {
  return LineWidth(fonts, text, settings) < FitLimit;
}

}  // namespace kestrelpix
