// Markup that subtitle files carry inside their text lines and that must not
// be drawn: every occurrence is removed wherever it stands, in one pass from
// left to right (what a removal joins together is not looked at again).
#include "subtitle/markup.h"

#include <cctype>

#include "subtitle/subtitle_document.h"

namespace kestrelpix {

namespace {

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (size_t k = 0; k < word.size(); ++k) {
    if (std::tolower(static_cast<unsigned char>(text[at + k])) != word[k]) return false;
  }
  return true;
}

// The first `close` at or after a position, asked for positions that never
// decrease. Each byte is looked at once over all the calls: an opening on
// every byte of a long line without its close would otherwise search to the
// end of the line from each of them, quadratic in the line.
class CloseFinder {
 public:
  CloseFinder(std::string_view text, char close) : text_(text), close_(close) {}
  size_t From(size_t at) {
    if (!searched_ || (next_ != std::string_view::npos && next_ < at)) {
      next_ = text_.find(close_, at);
      searched_ = true;
    }
    return next_;
  }

 private:
  std::string_view text_;
  char close_;
  size_t next_ = 0;
  bool searched_ = false;
};

// Length of the markup that starts at text[at] (0 when none starts there).
size_t SubRipMarkupAt(std::string_view text, size_t at, CloseFinder& angle, CloseFinder& brace) {
  static constexpr std::string_view kExact[] = {
      "<u>",  "<b>",  "<i>",  "<U>",  "<B>", "<I>", "</u>", "</b>",
      "</i>", "</U>", "</B>", "</I>", "<s>", "<S>", "</s>", "</S>",
  };
  const char c = text[at];
  if (c == '<') {
    for (std::string_view tag : kExact) {
      if (text.substr(at, tag.size()) == tag) return tag.size();
    }
    if (StartsWithNoCase(text, at, "</font>")) return 7;
    if (StartsWithNoCase(text, at, "<font") && at + 5 < text.size() &&
        (text[at + 5] == ' ' || text[at + 5] == '>')) {
      const size_t close = angle.From(at);
      if (close != std::string_view::npos) return close - at + 1;
    }
    return 0;
  }
  if (c == '{' && at + 2 < text.size()) {
    // An ASS override block {\an8}, or a MicroDVD control code {y:i},
    // {c:$0000FF}.
    const bool override = text[at + 1] == '\\';
    const bool control =
        std::isalpha(static_cast<unsigned char>(text[at + 1])) && text[at + 2] == ':';
    if (override || control) {
      const size_t close = brace.From(at);
      if (close != std::string_view::npos) return close - at + 1;
    }
  }
  return 0;
}

}  // namespace

std::string SubtitleDocument::RemoveTags(std::string Text) {
  if (Text.find_first_of("<{") == std::string::npos) return Text;
  std::string out;
  out.reserve(Text.size());
  CloseFinder angle(Text, '>'), brace(Text, '}');
  for (size_t i = 0; i < Text.size();) {
    const size_t skip = SubRipMarkupAt(Text, i, angle, brace);
    if (skip > 0) {
      i += skip;
    } else {
      out += Text[i++];
    }
  }
  return out;
}

std::string RemoveSlashItalic(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  if (first != std::string_view::npos && line[first] == '/') {
    return SubtitleDocument::RemoveTags(std::string(line.substr(0, first)) +
                                        std::string(line.substr(first + 1)));
  }
  return SubtitleDocument::RemoveTags(std::string(line));
}

std::string RemoveWebVttMarkup(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  CloseFinder angle(text, '>');
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '<') {
      // Every tag of a cue is markup: <c.x>, <v Name>, <00:01.000>, <i>,
      // <ruby>, <lang en> and their ends.
      const size_t close = angle.From(i);
      if (close != std::string_view::npos) {
        i = close + 1;
        continue;
      }
    }
    if (text[i] == '&') {
      static constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
          {"&amp;", "&"},
          {"&lt;", "<"},
          {"&gt;", ">"},
          {"&nbsp;", "\xC2\xA0"},
          {"&lrm;", "\xE2\x80\x8E"},
          {"&rlm;", "\xE2\x80\x8F"},
      };
      bool replaced = false;
      for (const auto& [entity, chars] : kEntities) {
        if (text.substr(i, entity.size()) == entity) {
          out += chars;
          i += entity.size();
          replaced = true;
          break;
        }
      }
      if (replaced) continue;
    }
    out += text[i++];
  }
  return out;
}

std::vector<std::string> AssTextLines(std::string_view text, bool breakAtSoftBreaks) {
  std::vector<std::string> lines(1);
  CloseFinder brace(text, '}');
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '{') {
      const size_t close = brace.From(i);
      if (close != std::string_view::npos) {
        i = close + 1;
        continue;
      }
    }
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char n = text[i + 1];
      if (n == 'N' || (n == 'n' && breakAtSoftBreaks)) {
        lines.emplace_back();
        i += 2;
        continue;
      }
      if (n == 'n' || n == 'h') {
        lines.back() += ' ';
        i += 2;
        continue;
      }
      if (n == '{' || n == '}') {
        lines.back() += n;
        i += 2;
        continue;
      }
    }
    lines.back() += text[i++];
  }
  return lines;
}

}  // namespace kestrelpix
