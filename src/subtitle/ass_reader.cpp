// The ASS/SSA reader: [Script Info] for the wrap style and the script's
// height, the styles for where lines go, and the Dialogue lines.
#include "subtitle/ass_reader.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "subtitle/markup.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

namespace {

// Where the fields the reader uses stand in a Format line: how many fields
// a line has and which of them (the last of each name) are wanted; only a
// count and a few places are held, however many fields the line names.
struct FieldPlaces {
  size_t fields = 0;
  std::optional<size_t> start, end, style, marginV, text, name, alignment;
};

// The usual orders, for sections without a Format line.
constexpr FieldPlaces kEventFields{10, 1, 2, 3, 7, 9, std::nullopt, std::nullopt};
constexpr FieldPlaces kAssStyleFields{
    23, std::nullopt, std::nullopt, std::nullopt, 21, std::nullopt, 0, 18};
constexpr FieldPlaces kSsaStyleFields{
    18, std::nullopt, std::nullopt, std::nullopt, 15, std::nullopt, 0, 12};

FieldPlaces ParseFormat(std::string_view rest) {
  FieldPlaces format;
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view name = Trim(rest.substr(0, comma));
    if (SameNoCase(name, "start")) format.start = format.fields;
    if (SameNoCase(name, "end")) format.end = format.fields;
    if (SameNoCase(name, "style")) format.style = format.fields;
    if (SameNoCase(name, "marginv")) format.marginV = format.fields;
    if (SameNoCase(name, "text")) format.text = format.fields;
    if (SameNoCase(name, "name")) format.name = format.fields;
    if (SameNoCase(name, "alignment")) format.alignment = format.fields;
    ++format.fields;
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return format;
}

// Splits a line's fields as `format` orders them: those before the last end
// at a comma, the last (the text as a rule) may hold commas. False when the
// line has fewer fields.
template <typename Field>
bool ForFields(std::string_view rest, const FieldPlaces& format, const Field& field) {
  for (size_t f = 0; f < format.fields; ++f) {
    std::string_view value = rest;
    if (f + 1 < format.fields) {
      const size_t comma = rest.find(',');
      if (comma == std::string_view::npos) return false;
      value = Trim(rest.substr(0, comma));
      rest.remove_prefix(comma + 1);
    }
    field(f, value);
  }
  return format.fields > 0;
}

// The Text field in pieces of about 64 KiB, each cut just before a \N
// outside any override block, as AssTextLines finds the blocks (from a "{"
// to the next "}"; a "{" with no "}" after it is text). The lines of the
// pieces are the lines of the whole, and a field of millions of \N is read
// without holding millions of lines at once.
template <typename Piece>
void ForAssTextPieces(std::string_view text, const Piece& piece) {
  constexpr size_t kPieceBytes = size_t{64} << 10;
  const size_t lastClose = text.rfind('}');
  size_t begin = 0;
  for (size_t i = 0; i + 1 < text.size();) {
    if (text[i] == '{' && lastClose != std::string_view::npos && lastClose > i) {
      i = text.find('}', i) + 1;
    } else if (text[i] == '\\' && text[i + 1] == 'N' && i - begin >= kPieceBytes) {
      piece(text.substr(begin, i - begin));
      begin = i += 2;
    } else {
      ++i;
    }
  }
  piece(text.substr(begin));
}

// What a style line says of where its lines go; empty where its Format
// line names no such field.
struct Style {
  std::string name;
  std::optional<uint8_t> align;
  std::optional<int> marginV;  // in script pixels
};

// An SSA alignment (1-3 bottom, 5-7 top, 9-11 middle) in keypad numbers;
// 2 for a number that is neither.
uint8_t KeypadFromLegacy(int a) {
  if (a >= 1 && a <= 3) return static_cast<uint8_t>(a);
  if (a >= 5 && a <= 7) return static_cast<uint8_t>(a + 2);
  if (a >= 9 && a <= 11) return static_cast<uint8_t>(a - 5);
  return 2;
}

// A vertical margin in script pixels as thousandths of the script's
// height, within the frame; none for the middle row, which has none.
int16_t MarginThousandths(uint8_t align, int marginV, int playResY) {
  if (align >= 4 && align <= 6) return -1;
  const int64_t t = (static_cast<int64_t>(std::max(marginV, 0)) * 1000 + playResY / 2) / playResY;
  return static_cast<int16_t>(std::min<int64_t>(t, 1000));
}

}  // namespace

bool ReadAss(std::string_view text, const EntryOut& out, int& skipped) {
  enum class Section { Other, ScriptInfo, Styles, LegacyStyles, Events };
  Section section = Section::Other;
  bool sawEvents = false;
  FieldPlaces events = kEventFields;
  FieldPlaces styleFields = kAssStyleFields;
  std::vector<Style> styles;
  bool breakAtSoftBreaks = false;  // WrapStyle 2
  std::optional<int> playResX, playResY;
  Tolerated t;
  LineSplitter lines(text);
  for (std::string_view raw; lines.Next(raw);) {
    const std::string_view line = Trim(raw);
    if (!line.empty() && line[0] == '[') {
      section = SameNoCase(line, "[events]")        ? Section::Events
                : SameNoCase(line, "[script info]") ? Section::ScriptInfo
                : SameNoCase(line, "[v4+ styles]")  ? Section::Styles
                : SameNoCase(line, "[v4 styles]")   ? Section::LegacyStyles
                                                    : Section::Other;
      if (section == Section::Styles) styleFields = kAssStyleFields;
      if (section == Section::LegacyStyles) styleFields = kSsaStyleFields;
      sawEvents |= section == Section::Events;
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, colon);
    const std::string_view rest = line.substr(colon + 1);
    if (section == Section::ScriptInfo) {
      if (key == "WrapStyle") breakAtSoftBreaks = Trim(rest) == "2";
      if (key == "PlayResX") playResX = TryStrToInt(Trim(rest));
      if (key == "PlayResY") playResY = TryStrToInt(Trim(rest));
      continue;
    }
    if (section == Section::Styles || section == Section::LegacyStyles) {
      if (key == "Format") styleFields = ParseFormat(rest);
      if (key != "Style") continue;
      Style style;
      ForFields(rest, styleFields, [&](size_t f, std::string_view value) {
        if (f == styleFields.name) style.name = value;
        const int n = TryStrToInt(value).value_or(0);
        if (f == styleFields.alignment) {
          style.align = static_cast<uint8_t>(section == Section::LegacyStyles ? KeypadFromLegacy(n)
                                             : n >= 1 && n <= 9               ? n
                                                                              : 2);
        }
        if (f == styleFields.marginV) style.marginV = n;
      });
      styles.push_back(std::move(style));
      continue;
    }
    if (section != Section::Events) continue;
    if (key == "Format") {
      events = ParseFormat(rest);
      continue;
    }
    if (key != "Dialogue") continue;
    std::optional<int64_t> start, end;
    std::string_view textField, styleName;
    int marginV = 0;
    const bool complete = ForFields(rest, events, [&](size_t f, std::string_view value) {
      size_t i = 0;
      if (f == events.start) start = ParseClock(value, i, false, t);
      if (f == events.end) end = ParseClock(value, i, false, t);
      if (f == events.style) styleName = value;
      if (f == events.marginV) marginV = TryStrToInt(value).value_or(0);
      if (f == events.text) textField = value;
    });
    if (!complete || !start || !end) {
      ++skipped;
      continue;
    }
    // The style by name (a leading "*" is no part of it, the last of a name
    // counts), else Default, else the line is placed as the style says
    // nothing else: bottom centre.
    while (!styleName.empty() && styleName[0] == '*') styleName.remove_prefix(1);
    const Style* style = nullptr;
    for (const std::string_view wanted : {styleName, std::string_view("Default")}) {
      for (auto s = styles.rbegin(); !style && s != styles.rend(); ++s) {
        if (s->name == wanted) style = &*s;
      }
    }
    // The players' height for a script that does not give one.
    const int height = playResY.value_or(0) > 0   ? *playResY
                       : playResX.value_or(0) > 0 ? (*playResX == 1280 ? 1024 : *playResX * 3 / 4)
                                                  : 288;
    Entry entry(TimeSpan{*start, *end});
    const uint8_t tagAlign = OverrideAlign(textField);
    entry.place.Align = tagAlign != 0 ? tagAlign : style ? style->align.value_or(0) : 0;
    const std::optional<int> margin = marginV != 0 ? marginV
                                      : style      ? style->marginV
                                                   : std::nullopt;
    // The margin counts from the edge of the place's row: bottom for an
    // entry that names no place.
    if (margin) {
      entry.place.MarginV =
          MarginThousandths(entry.place.Align == 0 ? 2 : entry.place.Align, *margin, height);
    }
    ForAssTextPieces(textField, [&](std::string_view piece) {
      if (entry.kept.Lost()) return;
      for (std::string& l : AssTextLines(piece, breakAtSoftBreaks)) {
        if (!IsBlankLine(l)) entry.Add(std::move(l));
      }
    });
    out(entry);
  }
  return sawEvents;
}

}  // namespace kestrelpix
