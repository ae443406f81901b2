#include "render/subpicture.h"

#include <algorithm>
#include <climits>

#include "render/line_wrap.h"

namespace kestrelpix {

namespace {

enum class Vertical { Bottom, Middle, Top };

Vertical VerticalOf(uint8_t align) {
  if (align >= 7 && align <= 9) return Vertical::Top;
  if (align >= 4 && align <= 6) return Vertical::Middle;
  return Vertical::Bottom;
}

std::string AlignOf(uint8_t align, const std::string& chosen) {
  if (align == 0 || align > 9) return chosen;
  switch ((align - 1) % 3) {
    case 0:
      return "left";
    case 1:
      return "center";
    default:
      return "right";
  }
}

// One line of a group, with the entry it belongs to.
struct GroupLine {
  std::string_view text;
  std::string align;
  size_t entry;
};

// Band rows from the first line at row y1 over n lines.
Band BlockBand(int y1, int n, int H, int LS) { return ComputeBand(y1, 0, n * H - (n - 1) * LS, 0); }

}  // namespace

PictureLayout PlaceEntries(const std::vector<std::vector<std::string>>& lines,
                           const std::vector<Placement>& places, int H, const RenderSettings& s,
                           int FH) {
  PictureLayout out;
  out.Heights.assign(lines.size(), 0);
  const int LS = s.LineSpacing;
  const int step = H - LS;
  // The edge distance of an entry: from its MarginV, or by the settings.
  const auto edge = [&](size_t e) {
    const int margin = places[e].MarginV;
    return margin >= 0 ? static_cast<int>(int64_t{margin} * FH / 1000)
                       : 40 + s.BottomOffset + LS - H;
  };
  // Each group's lines top to bottom, and the entry that decides its place.
  std::vector<GroupLine> groups[3];
  std::vector<int> entry_top(lines.size(), 0);
  size_t first[3] = {SIZE_MAX, SIZE_MAX, SIZE_MAX};
  for (size_t e = 0; e < lines.size(); ++e) {
    const int g = static_cast<int>(VerticalOf(places[e].Align));
    const bool lowest_at_bottom = g == static_cast<int>(Vertical::Bottom) && first[g] == SIZE_MAX;
    if (first[g] == SIZE_MAX) first[g] = e;
    size_t n = lines[e].size();
    // A stacked entry leaves out its empty second line.
    if (!lowest_at_bottom) {
      while (n > 1 && lines[e][n - 1].empty()) --n;
    }
    std::vector<GroupLine> own;
    for (size_t i = 0; i < n; ++i) {
      own.push_back({lines[e][i], AlignOf(places[e].Align, s.Align), e});
    }
    // Later entries go above at the bottom, below elsewhere.
    auto& group = groups[g];
    group.insert(g == static_cast<int>(Vertical::Bottom) ? group.begin() : group.end(), own.begin(),
                 own.end());
  }
  // The lowest row a bottom block puts a line on.
  const int lowest = FH - 40 - s.BottomOffset - LS;
  int band_top = INT_MAX;
  int band_end = INT_MIN;
  for (int g = 0; g < 3; ++g) {
    const std::vector<GroupLine>& group = groups[g];
    if (group.empty()) continue;
    const int n = static_cast<int>(group.size());
    const int height = (n - 1) * step + H;
    int y1;
    switch (static_cast<Vertical>(g)) {
      case Vertical::Bottom:
        y1 = FH - edge(first[g]) - height;
        break;
      case Vertical::Middle:
        y1 = (FH - height) / 2;
        break;
      default:
        y1 = std::max(0, edge(first[g]));
        break;
    }
    // A margin the file gives keeps the block inside the frame when it fits
    // there, however large the margin is.
    if (static_cast<Vertical>(g) != Vertical::Middle && places[first[g]].MarginV >= 0) {
      y1 = std::clamp(y1, 0, std::max(0, FH - height));
    }
    for (int i = 0; i < n; ++i) {
      const int y = y1 + i * step;
      out.Lines.push_back({group[i].text, group[i].align, y});
      const size_t e = group[i].entry;
      if (y < 0 || y > std::max(FH - H, lowest)) out.Cut.push_back(e);
      // Lines of an entry are consecutive: the first seen is its top.
      if (out.Heights[e] == 0) {
        out.Heights[e] = H;
        entry_top[e] = y;
      } else {
        out.Heights[e] = y + H - entry_top[e];
      }
    }
    const Band band = BlockBand(y1, n, H, LS);
    band_top = std::min(band_top, band.BandTop);
    band_end = std::max(band_end, band.BandTop + band.BandHeight);
  }
  if (band_top <= band_end) out.FormulaBand = {band_top, band_end - band_top};
  std::sort(out.Cut.begin(), out.Cut.end());
  out.Cut.erase(std::unique(out.Cut.begin(), out.Cut.end()), out.Cut.end());
  return out;
}

namespace {

struct LaidOut {
  std::vector<std::vector<std::string>> lines;
  std::vector<Placement> places;
};

LaidOut LayOut(Fonts& fonts, const std::vector<ShownEntry>& shown, const RenderSettings& s) {
  LaidOut out;
  for (const ShownEntry& entry : shown) {
    out.lines.push_back(LayOutLines(fonts, entry.Lines, s));
    out.places.push_back(entry.Place);
  }
  // Nothing shown is drawn as an entry with two empty lines.
  if (shown.empty()) {
    out.lines.push_back({"", ""});
    out.places.emplace_back();
  }
  return out;
}

}  // namespace

Band RenderSubpicture(Fonts& fonts, const std::vector<ShownEntry>& shown, const RenderSettings& s,
                      IndexFrame& frame, std::vector<size_t>* cut) {
  const LaidOut laid = LayOut(fonts, shown, s);
  PictureLayout layout =
      PlaceEntries(laid.lines, laid.places, LineHeight(fonts, s), s, FrameHeightForFps(s.Fps));
  if (cut != nullptr) *cut = shown.empty() ? std::vector<size_t>{} : std::move(layout.Cut);
  return RenderLines(fonts, layout.Lines, layout.FormulaBand, s, frame);
}

void DrawSubpictureOver(Fonts& fonts, const std::vector<ShownEntry>& shown, const RenderSettings& s,
                        FrameBitmap& picture, int frame_height) {
  const LaidOut laid = LayOut(fonts, shown, s);
  const PictureLayout layout =
      PlaceEntries(laid.lines, laid.places, LineHeight(fonts, s), s, frame_height);
  DrawLinesOver(fonts, picture, layout.Lines, s);
}

}  // namespace kestrelpix
