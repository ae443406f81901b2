// Wrapping: an entry whose lines are too wide for the frame is joined and
// broken again at blanks into at most two lines, as even as possible. Only
// when the settings ask for it (RenderSettings::WrapLines); otherwise the
// entry's first two lines are drawn as they are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "render/fonts.h"
#include "render/render_settings.h"
#include "subtitle/subtitle_document.h"

namespace kestrelpix {

// The two lines that are measured and drawn for an entry.
struct DrawnLines {
  std::string Line1;
  std::string Line2;
  bool operator==(const DrawnLines&) const = default;
};

// The text lines of an entry that wrapping may use, in order: Text1 and
// Text2, and Text3 when it is a line of the entry's own text (a SubRip
// entry's third line; after a one-line entry that slot holds the blank line
// or the next counter, so it counts only when Text2 is not empty).
std::vector<std::string_view> EntryTextLines(const SubtitleEntry& entry);
// The same for entry `index` (1-based) of a document: Text1, Text2 and the
// lines the document keeps of it that are not drawn (its third and later
// lines, text after a blank line; SubtitleDocument::ExtraLines).
std::vector<std::string_view> EntryTextLines(const SubtitleDocument& doc, int index);

// The lines of an entry to measure and draw with these settings.
// Without WrapLines: Text1 and Text2. With it:
//  - an entry whose own text is at most two lines that both fit keeps them;
//  - otherwise all its text lines are joined with one blank and broken at
//    the blank that makes the wider of the two halves narrowest (on a tie
//    the shorter half goes on top); when the joined text of three lines
//    cannot fit in two, the first two lines are used as without a third;
//  - text without a blank, or too wide even when wrapped, gives the best it
//    can, which the fit check then refuses.
// `lines` are the entry's text lines as EntryTextLines gives them.
DrawnLines LinesToDraw(Fonts& fonts, const SubtitleEntryView& entry,
                       const std::vector<std::string_view>& lines, const RenderSettings& settings);
DrawnLines LinesToDraw(Fonts& fonts, const SubtitleEntry& entry, const RenderSettings& settings);
DrawnLines LinesToDraw(Fonts& fonts, const SubtitleDocument& doc, int index,
                       const RenderSettings& settings);

// The lines an entry with these text lines (as EntryTextLines gives them)
// is drawn with, top to bottom: for now the two lines LinesToDraw gives.
std::vector<std::string> LayOutLines(Fonts& fonts, const std::vector<std::string_view>& textLines,
                                     const RenderSettings& settings);

// With WrapLines, whether entry `index` has text beyond its first two lines
// that wrapping draws: all its text lines joined and broken into two that
// fit.
bool WrappingDrawsAllText(Fonts& fonts, const SubtitleDocument& doc, int index,
                          const RenderSettings& settings);

// The text lines joined with one blank, each trimmed of blanks at its ends
// and empty lines left out.
std::string JoinTextLines(const std::vector<std::string_view>& lines);

// Breaks one line of text at the blank that makes the wider half narrowest.
// Text without a blank comes back whole as Line1.
DrawnLines BreakEvenly(Fonts& fonts, std::string_view text, const RenderSettings& settings);

// The width of a line as measured with the settings' font.
int LineWidth(Fonts& fonts, std::string_view text, const RenderSettings& settings);

// A line fits the frame when its width is less than FitLimit.
constexpr int FitLimit = 680;
inline bool LineFits(Fonts& fonts, std::string_view text, const RenderSettings& settings) {
  return LineWidth(fonts, text, settings) < FitLimit;
}

}  // namespace kestrelpix
