#include "render/line_wrap.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "base/frame_geometry.h"
#include "render/line_break.h"
#include "render/measure.h"
#include "render/text_layout.h"

namespace kestrelpix {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimEnd(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The pieces of one line between its break opportunities, measured on
// demand and each measurement kept: the searches below ask for the same
// piece more than once.
class Pieces {
 public:
  Pieces(Fonts& fonts, std::string_view line, const RenderSettings& s)
      : fonts_(fonts), line_(line), s_(s) {
    bounds_.push_back(0);
    for (size_t at : LineBreakOffsets(line, s.FontCharset)) bounds_.push_back(at);
    bounds_.push_back(line.size());
  }

  // Number of break boundaries after the start: pieces run from boundary
  // i to boundary j, 0 <= i < j <= Last().
  size_t Last() const { return bounds_.size() - 1; }

  std::string_view Text(size_t i, size_t j) const {
    return TrimEnd(line_.substr(bounds_[i], bounds_[j] - bounds_[i]));
  }

  int Width(size_t i, size_t j) {
    const uint64_t key = uint64_t{i} << 32 | j;
    auto it = widths_.find(key);
    if (it != widths_.end()) return it->second;
    const int w = LineWidth(fonts_, Text(i, j), s_);
    widths_.emplace(key, w);
    return w;
  }

  // The ends of the pieces that greedy filling below `limit` gives: each
  // piece runs to the farthest boundary that keeps it narrower than the
  // limit, or to the next boundary when even that piece is too wide.
  // Widths grow with the end, so the end is found by doubling the step and
  // then halving it: a piece costs measurements of text at most about twice
  // its own length, and a long line is measured in near-linear time.
  std::vector<size_t> Greedy(int limit) {
    std::vector<size_t> ends;
    for (size_t i = 0; i < Last();) {
      size_t fits = i + 1;
      if (Width(i, fits) < limit) {
        size_t step = 1;
        size_t beyond = Last() + 1;  // the first end known not to fit
        while (fits < Last()) {
          const size_t probe = std::min(fits + step, Last());
          if (Width(i, probe) >= limit) {
            beyond = probe;
            break;
          }
          fits = probe;
          step *= 2;
        }
        while (beyond - fits > 1 && fits < Last()) {
          const size_t mid = fits + (beyond - fits) / 2;
          if (Width(i, mid) < limit) {
            fits = mid;
          } else {
            beyond = mid;
          }
        }
      }
      ends.push_back(fits);
      i = fits;
    }
    return ends;
  }

  // Whether every piece of the cut is narrower than `limit`.
  bool AllBelow(const std::vector<size_t>& ends, int limit) {
    size_t from = 0;
    for (size_t end : ends) {
      if (Width(from, end) >= limit) return false;
      from = end;
    }
    return true;
  }

  std::vector<std::string_view> Cut(const std::vector<size_t>& ends) const {
    std::vector<std::string_view> out;
    size_t from = 0;
    for (size_t end : ends) {
      out.push_back(Text(from, end));
      from = end;
    }
    return out;
  }

 private:
  Fonts& fonts_;
  std::string_view line_;
  const RenderSettings& s_;
  std::vector<size_t> bounds_;
  std::unordered_map<uint64_t, int> widths_;
};

}  // namespace

int LineWidth(Fonts& fonts, std::string_view text, const RenderSettings& s) {
  return MeasureLine(fonts, text, s.FontName, s.FontSize, s.FontStyle, s.FontCharset).width;
}

std::vector<std::string_view> EntryTextLines(const SubtitleEntry& entry) {
  std::vector<std::string_view> lines = {entry.Text1, entry.Text2};
  if (!entry.Text2.empty() && !Trim(entry.Text3).empty()) lines.push_back(entry.Text3);
  return lines;
}

std::vector<std::string_view> EntryTextLines(const SubtitleDocument& doc, int index) {
  const SubtitleEntryView entry = doc.LineView(index);
  std::vector<std::string_view> lines = {entry.Text1, entry.Text2};
  const std::vector<std::string_view> extra = doc.ExtraLines(index);
  lines.insert(lines.end(), extra.begin(), extra.end());
  return lines;
}

std::vector<std::string_view> BreakLine(Fonts& fonts, std::string_view line,
                                        const RenderSettings& s) {
  if (LineFits(fonts, line, s)) return {line};
  // Bytes past the laid-out length are never drawn; such a line is far too
  // tall for any frame whatever is done with them.
  Pieces pieces(fonts, line.substr(0, kMaxLaidOutBytes), s);
  const std::vector<size_t> fewest = pieces.Greedy(FitLimit);
  // With a piece that cannot fit, or too many lines for any frame to hold,
  // evening them out changes nothing the fit check would let through.
  const int line_height =
      MeasureLine(fonts, "", s.FontName, s.FontSize, s.FontStyle, s.FontCharset).height;
  const size_t most_lines = static_cast<size_t>(
      FrameHeightForFps(s.Fps) / std::max(1, line_height - std::max(0, s.LineSpacing)) + 1);
  if (fewest.size() == 1 || fewest.size() > most_lines || !pieces.AllBelow(fewest, FitLimit)) {
    return pieces.Cut(fewest);
  }
  // The narrowest limit below which greedy filling still needs no more
  // pieces: greedy filling below it gives a cut whose widest piece is as
  // narrow as any cut into that many pieces can be.
  int lo = 0;  // greedy filling below lo needs more pieces
  int hi = FitLimit;
  std::vector<size_t> best = fewest;
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    std::vector<size_t> ends = pieces.Greedy(mid);
    if (ends.size() <= fewest.size() && pieces.AllBelow(ends, mid)) {
      hi = mid;
      best = std::move(ends);
    } else {
      lo = mid;
    }
  }
  return pieces.Cut(best);
}

std::vector<std::string> LayOutLines(Fonts& fonts, const std::vector<std::string_view>& textLines,
                                     const RenderSettings& s) {
  const std::string_view text1 = textLines.size() > 0 ? textLines[0] : std::string_view();
  const std::string_view text2 = textLines.size() > 1 ? textLines[1] : std::string_view();
  std::vector<std::string> own = {std::string(text1), std::string(text2)};
  if (!s.WrapLines) return own;
  const bool more =
      std::any_of(textLines.begin() + std::min<size_t>(2, textLines.size()), textLines.end(),
                  [](std::string_view line) { return !Trim(line).empty(); });
  if (!more && LineFits(fonts, text1, s) && LineFits(fonts, text2, s)) return own;
  std::vector<std::string> lines;
  for (std::string_view line : textLines) {
    if (Trim(line).empty()) continue;
    for (std::string_view piece : BreakLine(fonts, line, s)) lines.emplace_back(piece);
  }
  // A one-line entry keeps its empty second line.
  while (lines.size() < 2) lines.emplace_back();
  return lines;
}

}  // namespace kestrelpix
