// One sub-picture: every entry shown at one time, laid out and drawn into
// the frame together.
//
// Rows, with H the height of a line's text cell, LS the line spacing and
// step = H - LS the distance from one line to the next:
//  - A bottom block of n lines (n >= 2) ends with its last line at
//    FH - 40 - BottomOffset - LS, the place of a two-line entry's second
//    line, and each line above sits one step higher; a one-line entry keeps
//    its empty second line, so it is drawn where it always was.
//  - The block's edge distance is how far the bottom of its last line's
//    cell lies from the frame's bottom edge: 40 + BottomOffset + LS - H by
//    the settings, or MarginV thousandths of FH when the entry gives one.
//  - A top block starts its first line that edge distance below the top
//    edge (not above the edge); a middle block is centred.
//  - The band of a block runs from its first line's row (made even) over
//    n H - (n - 1) LS + 6 rows; the picture's band runs over every block's
//    band and is widened by CoverGlyphRows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/frame_bitmap.h"
#include "render/fonts.h"
#include "render/rasterizer.h"
#include "render/render_settings.h"
#include "subtitle/entry_store.h"

namespace kestrelpix {

// The text of one entry shown in a sub-picture: its text lines as the file
// holds them (EntryTextLines) and where the file asks it to be shown.
struct ShownEntry {
  std::vector<std::string_view> Lines;
  Placement Place;
};

// Where the lines of a sub-picture go.
struct PictureLayout {
  std::vector<PlacedLine> Lines;  // in drawing order
  Band FormulaBand{0, 0};         // before CoverGlyphRows
  // Positions of the entries some of whose lines lie outside the frame:
  // a line whose cell starts above row 0, or below both FH - H and the
  // lowest row a bottom block puts a line on.
  std::vector<size_t> Cut;
  // Rows from the top of the first line's cell to the bottom of the last
  // one's, per entry.
  std::vector<int> Heights;
};

// Places the laid-out lines of the entries (LayOutLines, one list per
// entry, given in start-time order then file order) with their places, in a
// frame FH rows high with text cells H rows high:
//  - Align 1, 4, 7 left, 2, 5, 8 centre, 3, 6, 9 right; 1 to 3 (or 0) at the
//    bottom, 4 to 6 in the middle, 7 to 9 at the top; 0 takes the settings'
//    Align.
//  - Entries placed alike stack as players stack them: at the bottom the
//    first given lowest and each later one above it; at the top and in the
//    middle the first given highest and each later one below it; one step
//    apart, as lines are. A stacked entry leaves out its empty second line,
//    except the lowest entry at the bottom. A group takes the edge distance
//    of its first entry.
PictureLayout PlaceEntries(const std::vector<std::vector<std::string>>& lines,
                           const std::vector<Placement>& places, int H, const RenderSettings& s,
                           int FH);

// Resets the frame as RenderFrame does, lays out each entry (LayOutLines),
// places them (PlaceEntries) and draws them; returns the band that holds
// them all. When `cut` is given it receives PictureLayout::Cut. An entry
// shown alone at the bottom gives the same frame and band as RenderFrame
// with its two lines.
Band RenderSubpicture(Fonts& fonts, const std::vector<ShownEntry>& shown, const RenderSettings& s,
                      IndexFrame& frame, std::vector<size_t>* cut = nullptr);

// The same layout drawn over a picture whose rows are those of the frame.
void DrawSubpictureOver(Fonts& fonts, const std::vector<ShownEntry>& shown, const RenderSettings& s,
                        FrameBitmap& picture, int frame_height);

}  // namespace kestrelpix
