#include "job/fit_check.h"

#include <algorithm>
#include <set>
#include <string>

#include "base/charset.h"
#include "base/excerpt.h"
#include "base/frame_geometry.h"
#include "render/glyph_coverage.h"
#include "render/line_wrap.h"
#include "render/rasterizer.h"
#include "render/subpicture.h"
#include "render/text_decode.h"

namespace kestrelpix {

namespace {

// File text as the font's charset reads it, as UTF-8 for the message; a
// long line is quoted by its start only.
std::string Quoted(std::string_view bytes, uint8_t charset) {
  size_t cut = std::min(bytes.size(), kExcerptBytes);
  // UTF-8 text is cut at the start of a character, so that what is quoted
  // still reads as UTF-8.
  if (charset == CharsetCode(CharsetId::kDefault)) {
    while (cut > 0 && cut < bytes.size() &&
           (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) {
      --cut;
    }
  }
  return Excerpt(EncodeUtf8(DecodeText(
      bytes.substr(0, cut),
      charset == CharsetCode(CharsetId::kSymbol) ? CharsetCode(CharsetId::kAnsi) : charset)));
}

// The lines of the entry's text that are measured and drawn, wrapped or not.
std::vector<std::string_view> TextLines(const SubtitleEntryView& entry,
                                        const std::vector<std::string_view>& all,
                                        const RenderSettings& font) {
  if (font.WrapLines) return all;
  return {entry.Text1, entry.Text2};
}

std::string TooWideMessage(const std::vector<std::string_view>& lines, int number, int width,
                           const RenderSettings& font, bool loading, const std::string& wrapHint) {
  std::string message =
      (number > 0 ? "Entry " + std::to_string(number) : std::string("The entry")) +
      " is too wide: " + std::to_string(width) + " pixels, and a line must stay under " +
      std::to_string(FitLimit) + ".\r";
  for (std::string_view line : lines) message += Quoted(line, font.FontCharset) + "\r";
  if (font.WrapLines) {
    message +=
        "Even wrapped it is too wide: a part of it has no place to break. Please use a smaller "
        "font size";
  } else {
    message += "Please wrap long lines";
    if (!wrapHint.empty()) message += " (" + wrapHint + ")";
    message += " or use a smaller font size";
  }
  message += loading ? ", or correct the subtitle and reload it." : ".";
  return message;
}

std::string TooTallMessage(const std::vector<std::string_view>& lines, int number, size_t count,
                           int rows, int FH, const RenderSettings& font, bool loading) {
  std::string message =
      (number > 0 ? "Entry " + std::to_string(number) : std::string("The entry")) +
      " is too tall: its " + std::to_string(count) + " lines take " + std::to_string(rows) +
      " rows, more than the " + std::to_string(FH) + "-row frame holds where it is placed.\r";
  for (std::string_view line : lines) message += Quoted(line, font.FontCharset) + "\r";
  message += "Please use a smaller font size or a smaller line spacing";
  message += loading ? ", or correct the subtitle and reload it." : ".";
  return message;
}

// The check of one entry whose text lines are `all`: each line it is
// drawn with must fit the width, and with wrapping the lines must fit the
// frame's height where the entry is placed.
void CheckLines(const SubtitleEntryView& entry, const std::vector<std::string_view>& all,
                int number, const RenderSettings& font, AppState& state, FrontEnd& frontEnd) {
  Fonts& fonts = frontEnd.GetFonts();
  const std::vector<std::string> lines = LayOutLines(fonts, all, font);
  int widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, LineWidth(fonts, line, font));
  std::string refusal;
  const bool loading = !state.SubtitleLoaded;
  if (widest >= FitLimit) {
    refusal = TooWideMessage(TextLines(entry, all, font), number, widest, font, loading,
                             frontEnd.WrapHint());
  } else if (font.WrapLines && lines.size() > 2) {
    const int FH = FrameHeightForFps(font.Fps);
    const PictureLayout placed =
        PlaceEntries({lines}, {entry.Place}, LineHeight(fonts, font), font, FH);
    if (!placed.Cut.empty()) {
      refusal = TooTallMessage(TextLines(entry, all, font), number, lines.size(), placed.Heights[0],
                               FH, font, loading);
    }
  }
  state.SubtitleFits = refusal.empty();
  if (state.SubtitleFits) return;
  if (loading) frontEnd.LoadRefused();
  frontEnd.ShowMessage(refusal);
}

}  // namespace

void CheckEntryFits(const SubtitleEntry& entry, int number, const RenderSettings& font,
                    AppState& state, FrontEnd& frontEnd) {
  CheckLines(ViewOf(entry), EntryTextLines(entry), number, font, state, frontEnd);
}

void CheckEntryFits(std::string_view line1, std::string_view line2, const RenderSettings& font,
                    AppState& state, FrontEnd& frontEnd) {
  SubtitleEntry entry;
  entry.Text1 = line1;
  entry.Text2 = line2;
  CheckEntryFits(entry, 0, font, state, frontEnd);
}

void CheckAllEntriesFit(const SubtitleDocument& doc, AppState& state, FrontEnd& frontEnd) {
  const int n = doc.LineCount();
  const bool loading = !state.SubtitleLoaded;
  std::set<char32_t> missing;
  for (int i = 1; i <= n; ++i) {
    const RenderSettings font = SettingsForText(frontEnd.ReadRenderSettings(), &doc);
    const SubtitleEntryView entry = doc.LineView(i);
    const std::vector<std::string_view> all = EntryTextLines(doc, i);
    // While loading: which characters of the text no installed font has.
    if (loading) {
      for (std::string_view line : TextLines(entry, all, font)) {
        CollectMissingGlyphs(frontEnd.GetFonts(), line, font, missing);
      }
    }
    CheckLines(entry, all, i, font, state, frontEnd);
    if (!state.SubtitleFits) break;
  }
  if (!missing.empty()) frontEnd.Warn(MissingGlyphsWarning(missing));
  if (!state.SubtitleFits) return;
  frontEnd.AllEntriesFit();
  state.SubtitleLoaded = true;
}

bool PreviewLinesFit(Fonts& fonts, const std::vector<std::string>& lines,
                     const RenderSettings& font, AppState& state, MessageSink& sink) {
  state.SubtitleFits = std::all_of(lines.begin(), lines.end(), [&](const std::string& line) {
    return LineFits(fonts, line, font);
  });
  if (!state.SubtitleFits) {
    std::string message = "The string \r";
    for (const std::string& line : lines) message += Quoted(line, font.FontCharset) + "\r";
    sink.ShowMessage(message + "is too long.");
  }
  return state.SubtitleFits;
}

}  // namespace kestrelpix
