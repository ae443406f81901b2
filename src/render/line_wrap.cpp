#include "render/line_wrap.h"

#include <algorithm>

#include "render/measure.h"

namespace kestrelpix {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A break: the text before [from, to) and the text after it, blanks removed.
struct Gap {
  size_t from;
  size_t to;
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

std::string JoinTextLines(const std::vector<std::string_view>& lines) {
  std::string joined;
  for (std::string_view line : lines) {
    line = Trim(line);
    if (line.empty()) continue;
    if (!joined.empty()) joined += ' ';
    joined += line;
  }
  return joined;
}

DrawnLines BreakEvenly(Fonts& fonts, std::string_view text, const RenderSettings& s) {
  std::vector<Gap> gaps;
  for (size_t i = 0; i < text.size();) {
    if (!IsBlank(text[i])) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < text.size() && IsBlank(text[j])) ++j;
    // Blanks at the ends break nothing.
    if (i > 0 && j < text.size()) gaps.push_back({i, j});
    i = j;
  }
  if (gaps.empty()) return {std::string(text), ""};
  auto halves = [&](size_t k) {
    return DrawnLines{std::string(text.substr(0, gaps[k].from)),
                      std::string(text.substr(gaps[k].to))};
  };
  // The first half only grows and the second only shrinks as the break
  // moves right: find the first break whose first half is the wider, then
  // take it or the break before it, whichever leaves the wider half
  // narrower.
  size_t lo = 0;
  size_t hi = gaps.size();
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    const DrawnLines h = halves(mid);
    if (LineWidth(fonts, h.Line1, s) > LineWidth(fonts, h.Line2, s)) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  if (lo == gaps.size()) return halves(lo - 1);
  if (lo == 0) return halves(0);
  const DrawnLines before = halves(lo - 1);
  const DrawnLines after = halves(lo);
  const int widest_before =
      std::max(LineWidth(fonts, before.Line1, s), LineWidth(fonts, before.Line2, s));
  const int widest_after =
      std::max(LineWidth(fonts, after.Line1, s), LineWidth(fonts, after.Line2, s));
  return widest_after < widest_before ? after : before;
}

namespace {

// The even break of the joined lines into out; whether both halves fit.
bool WrapInTwo(Fonts& fonts, const std::vector<std::string_view>& text, const RenderSettings& s,
               DrawnLines& out) {
  const std::string joined = JoinTextLines(text);
  // Wider than three frames cannot fit in two lines whatever the break;
  // spare the search.
  if (LineWidth(fonts, joined, s) >= 3 * FitLimit) return false;
  out = BreakEvenly(fonts, joined, s);
  return LineFits(fonts, out.Line1, s) && LineFits(fonts, out.Line2, s);
}

}  // namespace

bool WrappingDrawsAllText(Fonts& fonts, const SubtitleDocument& doc, int index,
                          const RenderSettings& s) {
  const std::vector<std::string_view> lines = EntryTextLines(doc, index);
  if (!s.WrapLines || lines.size() <= 2) return false;
  DrawnLines out;
  return WrapInTwo(fonts, lines, s, out);
}

DrawnLines LinesToDraw(Fonts& fonts, const SubtitleEntry& entry, const RenderSettings& s) {
  return LinesToDraw(fonts, ViewOf(entry), EntryTextLines(entry), s);
}

DrawnLines LinesToDraw(Fonts& fonts, const SubtitleDocument& doc, int index,
                       const RenderSettings& s) {
  const SubtitleEntryView entry = doc.LineView(index);
  if (!s.WrapLines) return {std::string(entry.Text1), std::string(entry.Text2)};
  return LinesToDraw(fonts, entry, EntryTextLines(doc, index), s);
}

DrawnLines LinesToDraw(Fonts& fonts, const SubtitleEntryView& entry,
                       const std::vector<std::string_view>& lines, const RenderSettings& s) {
  DrawnLines own{std::string(entry.Text1), std::string(entry.Text2)};
  if (!s.WrapLines) return own;
  const bool own_fit = LineFits(fonts, entry.Text1, s) && LineFits(fonts, entry.Text2, s);
  if (own_fit && lines.size() == 2) return own;

  DrawnLines wrapped;
  if (lines.size() > 2) {
    if (WrapInTwo(fonts, lines, s, wrapped)) return wrapped;
    // The third line cannot be kept; the first two as without it.
    if (own_fit) return own;
  }
  wrapped = own;
  // Too wide even wrapped: the best break found (or the lines themselves
  // when no search was made), for the fit check to refuse.
  WrapInTwo(fonts, {entry.Text1, entry.Text2}, s, wrapped);
  return wrapped;
}

std::vector<std::string> LayOutLines(Fonts& fonts, const std::vector<std::string_view>& textLines,
                                     const RenderSettings& s) {
  SubtitleEntryView entry;
  if (!textLines.empty()) entry.Text1 = textLines[0];
  if (textLines.size() > 1) entry.Text2 = textLines[1];
  const DrawnLines drawn = LinesToDraw(fonts, entry, textLines, s);
  return {drawn.Line1, drawn.Line2};
}

}  // namespace kestrelpix
