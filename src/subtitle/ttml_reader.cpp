// The TTML / DFXP reader. pugixml parses the document (it checks that the
// XML is well formed but not that prefixes are declared, which suits files
// that use ttm: or ebutts: without declaring them); this file walks the
// body for <p> elements, times them, gathers their text and finds their
// place from the regions and styles they name.
#include "subtitle/ttml_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/errors.h"
#include "subtitle/subtitle_document.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view LocalName(const char* name) {
  const char* colon = std::strrchr(name, ':');
  return colon != nullptr ? colon + 1 : name;
}

bool Is(const pugi::xml_node& node, std::string_view local) {
  return node.type() == pugi::node_element && LocalName(node.name()) == local;
}

// The attribute of that local name, whatever its prefix; null when absent.
pugi::xml_attribute Attr(const pugi::xml_node& node, std::string_view local) {
  for (pugi::xml_attribute a : node.attributes()) {
    if (LocalName(a.name()) == local) return a;
  }
  return {};
}

// A decimal number with an optional fraction, all of `text`.
std::optional<double> Number(std::string_view text) {
  if (text.empty() || text.size() > 40) return std::nullopt;
  double value = 0;
  size_t i = 0;
  size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
    value = value * 10 + (text[i] - '0');
  if (i < text.size() && text[i] == '.') {
    double scale = 0.1;
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits, scale /= 10)
      value += (text[i] - '0') * scale;
  }
  if (i != text.size() || digits == 0) return std::nullopt;
  return value;
}

std::optional<int64_t> SecondsToMs(double seconds) {
  // Past 2^53 ms the rounding is no longer exact, and far past any index.
  if (!std::isfinite(seconds) || seconds < 0 || seconds > 9.0e12) return std::nullopt;
  return static_cast<int64_t>(std::llround(seconds * 1000.0));
}

// The line a byte offset stands on: 1 + the line ends before it.
size_t LineOf(std::string_view text, ptrdiff_t offset) {
  const size_t end = std::min(text.size(), static_cast<size_t>(std::max<ptrdiff_t>(offset, 0)));
  return 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + end, '\n'));
}

// Styles and regions by xml:id; a style's properties, looked up through
// the styles it names (style="a b"), a region's nested <style> children
// and their own references.
class Styles {
 public:
  explicit Styles(const pugi::xml_node& root) {
    for (pugi::xml_node head : root.children()) {
      if (!Is(head, "head")) continue;
      for (pugi::xml_node group : head.children()) {
        for (pugi::xml_node item : group.children()) {
          const pugi::xml_attribute id = Attr(item, "id");
          if (!id) continue;
          if (Is(item, "style")) styles_.emplace(id.value(), item);
          if (Is(item, "region")) regions_.emplace(id.value(), item);
        }
      }
    }
  }

  pugi::xml_node Region(std::string_view id) const { return Find(regions_, id); }

  // The property `local` (displayAlign, origin, textAlign, ...) of an
  // element: its own attribute, else its nested styles', else the styles it
  // names, in order. Empty when none says. A style's answer is worked out
  // once per property, and a loop of references ends where it closes.
  std::string_view Property(const pugi::xml_node& node, std::string_view local) const {
    if (!node) return {};
    const auto key = std::make_pair(node.internal_object(), local);
    if (const auto known = memo_.find(key); known != memo_.end()) return known->second;
    memo_[key] = {};  // while it is worked out: a loop back here finds nothing
    std::string_view v;
    if (const pugi::xml_attribute a = Attr(node, local)) v = Trim(a.value());
    for (pugi::xml_node child = node.first_child(); v.empty() && child;
         child = child.next_sibling()) {
      if (Is(child, "style")) v = Property(child, local);
    }
    if (const pugi::xml_attribute refs = Attr(node, "style"); v.empty() && refs) {
      std::string_view rest = refs.value();
      while (v.empty() && !(rest = Trim(rest)).empty()) {
        const size_t blank = std::min(rest.find_first_of(" \t\r\n"), rest.size());
        v = Property(Find(styles_, rest.substr(0, blank)), local);
        rest.remove_prefix(blank);
      }
    }
    memo_[key] = v;
    return v;
  }

 private:
  using Index = std::unordered_map<std::string_view, pugi::xml_node>;
  static pugi::xml_node Find(const Index& index, std::string_view id) {
    const auto it = index.find(id);
    return it != index.end() ? it->second : pugi::xml_node();
  }

  Index styles_;
  Index regions_;
  mutable std::map<std::pair<const void*, std::string_view>, std::string_view> memo_;
};

// The second of two lengths ("10% 90%") as a percentage; empty when it is
// not one (pixels, cells).
std::optional<double> SecondPercent(std::string_view pair) {
  pair = Trim(pair);
  const size_t blank = pair.find_first_of(" \t");
  if (blank == std::string_view::npos) return std::nullopt;
  const std::string_view second = Trim(pair.substr(blank));
  if (second.empty() || second.back() != '%') return std::nullopt;
  return Number(second.substr(0, second.size() - 1));
}

// Where a paragraph goes: the region's displayAlign and origin give the
// row, textAlign the column; what neither says stays at the chosen
// settings.
Placement PlaceOf(const Styles& styles, const std::vector<pugi::xml_node>& chain,
                  std::string_view regionId) {
  const pugi::xml_node region = styles.Region(regionId);
  // A property of the region, else of the paragraph or its parents' styles
  // (some files put the region's geometry in the paragraph's style).
  auto find = [&](std::string_view local, bool regionFirst) {
    std::string_view v;
    if (regionFirst) v = styles.Property(region, local);
    for (auto it = chain.rbegin(); v.empty() && it != chain.rend(); ++it)
      v = styles.Property(*it, local);
    if (v.empty() && !regionFirst) v = styles.Property(region, local);
    return v;
  };
  const std::string_view display = find("displayAlign", true);
  const std::optional<double> originY = SecondPercent(find("origin", true));
  const std::optional<double> extentH = SecondPercent(find("extent", true));
  const std::string_view text = find("textAlign", false);

  // The text's edge, in percent of the frame height from the top.
  std::optional<double> at;
  const double top = originY.value_or(0);
  const double height = extentH.value_or(originY ? 100 - top : 100);
  if (originY || !display.empty() || region) {
    if (display == "after") {
      at = top + height;
    } else if (display == "center") {
      at = top + height / 2;
    } else if (originY || display == "before") {
      at = top;
    }
  }
  int row = 0;  // 0 bottom, 1 middle, 2 top
  int column = 2;
  bool said = false;
  if (at) {
    row = *at < 100.0 / 3 ? 2 : *at > 200.0 / 3 ? 0 : 1;
    said = true;
  }
  if (text == "start" || text == "left") column = 1, said = true;
  if (text == "center") said = true;
  if (text == "end" || text == "right") column = 3, said = true;
  Placement place;
  if (said) place.Align = static_cast<uint8_t>(row * 3 + column);
  return place;
}

// The text of a paragraph: '\n' for <br/>, blanks collapsed outside
// xml:space="preserve", where a line end is a line break.
struct TextGatherer {
  std::string text;
  int tooDeep = 0;

  void Add(const pugi::xml_node& node, bool preserve, int depth) {
    for (pugi::xml_node child : node.children()) {
      if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
        AddChars(child.value(), preserve);
      } else if (Is(child, "br")) {
        while (!text.empty() && text.back() == ' ') text.pop_back();
        text += '\n';
      } else if (child.type() == pugi::node_element && !Is(child, "metadata") &&
                 !Is(child, "set") && !Is(child, "animate")) {
        if (depth > 64) {
          ++tooDeep;
          continue;
        }
        bool inner = preserve;
        if (const pugi::xml_attribute space = Attr(child, "space"))
          inner = std::string_view(space.value()) == "preserve";
        Add(child, inner, depth + 1);
      }
    }
  }

  void AddChars(std::string_view chars, bool preserve) {
    for (size_t i = 0; i < chars.size(); ++i) {
      const char c = chars[i];
      if (chars.compare(i, 6, "&nbsp;") == 0) {
        // An entity no XML defines, left as written by the parser.
        text += "\xC2\xA0";
        i += 5;
      } else if (preserve) {
        text += c == '\t' ? ' ' : c;
      } else if (IsSpace(c)) {
        if (!text.empty() && text.back() != ' ' && text.back() != '\n') text += ' ';
      } else {
        text += c;
      }
    }
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::string_view rest = text;
    while (true) {
      const size_t br = rest.find('\n');
      std::string_view line = Trim(rest.substr(0, br));
      // A line of no-break spaces alone holds nothing to draw.
      std::string_view bare = line;
      while (bare.substr(0, 2) == "\xC2\xA0") bare = Trim(bare.substr(2));
      if (!bare.empty()) lines.emplace_back(line);
      if (br == std::string_view::npos) break;
      rest.remove_prefix(br + 1);
    }
    return lines;
  }
};

// What the walk over the body finds.
struct Walk {
  const Styles& styles;
  const TtmlRates& rates;
  std::string_view text;  // the parsed text, for line numbers
  const std::string& file;
  std::vector<SubtitleEntry> entries;
  std::vector<KeptLines> kept;
  int paragraphs = 0;  // <p> met, as entries are numbered in messages
  int openEnds = 0;
  int untimed = 0;
  int tooDeep = 0;

  std::optional<int64_t> Time(const pugi::xml_node& node, std::string_view local) {
    const pugi::xml_attribute a = Attr(node, local);
    if (!a) return std::nullopt;
    const std::optional<int64_t> ms = TtmlTimeToMs(a.value(), rates);
    if (!ms) {
      throw ConvertError(file + ": entry " + std::to_string(paragraphs + (Is(node, "p") ? 0 : 1)) +
                         ", line " + std::to_string(LineOf(text, node.offset_debug())) + ": " +
                         std::string(local) + "=\"" + a.value() +
                         "\" is not a TTML time (such as 00:00:01.500, 1.5s or 36f)");
    }
    return ms;
  }

  // An element's interval from its parent's; timed: some element on the
  // way gave a time.
  struct Interval {
    int64_t begin = 0;
    std::optional<int64_t> end;
    bool timed = false;
  };

  Interval Child(const pugi::xml_node& node, const Interval& parent) {
    Interval own{parent.begin, parent.end, parent.timed};
    const std::optional<int64_t> begin = Time(node, "begin");
    const std::optional<int64_t> end = Time(node, "end");
    const std::optional<int64_t> dur = Time(node, "dur");
    if (begin) own.begin = parent.begin + *begin;
    if (end) {
      own.end = parent.begin + *end;
    } else if (dur) {
      own.end = own.begin + *dur;
    }
    own.timed = parent.timed || begin || end || dur;
    return own;
  }

  void Visit(const pugi::xml_node& node, const Interval& parent, std::string_view region,
             bool preserve, std::vector<pugi::xml_node>& chain, int depth) {
    for (pugi::xml_node child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      if (Is(child, "metadata") || Is(child, "set")) continue;
      if (Is(child, "p")) ++paragraphs;
      if (depth > 64) {
        ++tooDeep;
        continue;
      }
      const Interval own = Child(child, parent);
      std::string_view childRegion = region;
      if (const pugi::xml_attribute r = Attr(child, "region")) childRegion = r.value();
      bool childPreserve = preserve;
      if (const pugi::xml_attribute space = Attr(child, "space"))
        childPreserve = std::string_view(space.value()) == "preserve";
      chain.push_back(child);
      if (Is(child, "p")) {
        Paragraph(child, own, childRegion, childPreserve, chain);
      } else {
        Visit(child, own, childRegion, childPreserve, chain, depth + 1);
      }
      chain.pop_back();
    }
  }

  void Paragraph(const pugi::xml_node& p, const Interval& time, std::string_view region,
                 bool preserve, const std::vector<pugi::xml_node>& chain) {
    TextGatherer gatherer;
    gatherer.Add(p, preserve, 0);
    tooDeep += gatherer.tooDeep;
    std::vector<std::string> lines = gatherer.Lines();
    if (lines.empty()) return;
    if (!time.timed) {
      // Shown the whole film by the letter of the format; no player
      // makes a subtitle of it.
      ++untimed;
      return;
    }
    SubtitleEntry entry;
    entry.StartMs = time.begin;
    if (time.end) {
      entry.EndMs = *time.end;
    } else {
      entry.EndMs = time.begin + kTtmlOpenEndMs;
      ++openEnds;
    }
    entry.Place = PlaceOf(styles, chain, region);
    KeptLines more;
    for (size_t l = 0; l < lines.size(); ++l) {
      if (l >= 2) more.Add(lines[l]);
    }
    if (lines.size() > 0) entry.Text1 = std::move(lines[0]);
    if (lines.size() > 1) entry.Text2 = std::move(lines[1]);
    if (lines.size() > 2) entry.Text3 = std::move(lines[2]);
    entries.push_back(std::move(entry));
    kept.push_back(std::move(more));
  }
};

TtmlRates RatesOf(const pugi::xml_node& root) {
  TtmlRates rates;
  auto number = [&](std::string_view local) -> std::optional<double> {
    const pugi::xml_attribute a = Attr(root, local);
    if (!a) return std::nullopt;
    const std::optional<double> v = Number(Trim(a.value()));
    return v && *v > 0 ? v : std::nullopt;
  };
  if (const auto rate = number("frameRate")) rates.FrameRate = *rate, rates.FrameRateGiven = true;
  if (const auto sub = number("subFrameRate")) rates.SubFrameRate = *sub;
  if (const auto tick = number("tickRate")) rates.TickRate = *tick;
  if (const pugi::xml_attribute base = Attr(root, "timeBase"))
    rates.Smpte = Trim(base.value()) == "smpte";
  if (const pugi::xml_attribute m = Attr(root, "frameRateMultiplier")) {
    // "1000 1001"; some writers put a colon between.
    std::string_view v = Trim(m.value());
    const size_t cut = v.find_first_of(" \t:");
    if (cut != std::string_view::npos) {
      const auto num = Number(Trim(v.substr(0, cut)));
      const auto den = Number(Trim(v.substr(cut + 1)));
      if (num && den && *num > 0 && *den > 0) rates.FrameRateMultiplier = *num / *den;
    }
  }
  return rates;
}

}  // namespace

std::optional<int64_t> TtmlTimeToMs(std::string_view text, const TtmlRates& rates) {
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  if (text.find(':') != std::string_view::npos) {
    // hh:mm:ss[.fraction] or hh:mm:ss:frames[.subframes]
    std::string_view parts[4];
    size_t n = 0;
    std::string_view rest = text;
    while (n < 4) {
      const size_t colon = rest.find(':');
      parts[n++] = rest.substr(0, colon);
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
      if (n == 4) return std::nullopt;
    }
    if (n < 3) return std::nullopt;
    const auto h = Number(parts[0]);
    const auto m = Number(parts[1]);
    const auto s = Number(parts[2]);
    if (!h || !m || !s || parts[0].find('.') != std::string_view::npos ||
        parts[1].find('.') != std::string_view::npos || *m >= 60 || *s >= 61)
      return std::nullopt;
    double seconds = *h * 3600 + *m * 60 + *s;
    double frame = 0;
    if (n == 4) {
      if (parts[2].find('.') != std::string_view::npos) return std::nullopt;
      const size_t dot = parts[3].find('.');
      const auto frames = Number(parts[3].substr(0, dot));
      if (!frames) return std::nullopt;
      frame = *frames;
      if (dot != std::string_view::npos) {
        const auto sub = Number(parts[3].substr(dot + 1));
        if (!sub || parts[3].substr(dot + 1).find('.') != std::string_view::npos)
          return std::nullopt;
        frame += *sub / rates.SubFrameRate;
      }
    }
    if (rates.Smpte)
      return SecondsToMs((seconds * rates.FrameRate + frame) / rates.EffectiveFrameRate());
    return SecondsToMs(seconds + frame / rates.EffectiveFrameRate());
  }
  // An offset: a number and its metric.
  size_t unit = text.size();
  while (unit > 0 && std::isalpha(static_cast<unsigned char>(text[unit - 1]))) --unit;
  const std::string_view metric = text.substr(unit);
  const auto value = Number(text.substr(0, unit));
  if (!value) return std::nullopt;
  if (metric == "h") return SecondsToMs(*value * 3600);
  if (metric == "m") return SecondsToMs(*value * 60);
  if (metric == "s") return SecondsToMs(*value);
  if (metric == "ms") return SecondsToMs(*value / 1000);
  if (metric == "f") return SecondsToMs(*value / rates.EffectiveFrameRate());
  if (metric == "t") return SecondsToMs(*value / rates.EffectiveTickRate());
  return std::nullopt;
}

bool IsTtmlText(std::string_view bytes) {
  const UnicodeText unicode = ToUtf8(bytes.substr(0, 65536));
  std::string_view text = unicode.text();
  for (size_t i = 0; i < text.size();) {
    if (IsSpace(text[i])) {
      ++i;
    } else if (text.compare(i, 4, "<!--") == 0) {
      const size_t end = text.find("-->", i + 4);
      if (end == std::string_view::npos) return false;
      i = end + 3;
    } else if (text.compare(i, 2, "<?") == 0 || text.compare(i, 2, "<!") == 0) {
      const size_t end = text.find('>', i);
      if (end == std::string_view::npos) return false;
      i = end + 1;
    } else if (text[i] == '<') {
      size_t end = i + 1;
      while (end < text.size() && !IsSpace(text[end]) && text[end] != '>' && text[end] != '/')
        ++end;
      const std::string name(text.substr(i + 1, end - i - 1));
      return LocalName(name.c_str()) == "tt";
    } else {
      return false;
    }
  }
  return false;
}

void ReadTtml(std::string_view bytes, bool clearFirst, SubtitleDocument& document,
              const LoadOptions& options) {
  const UnicodeText unicode = ToUtf8(bytes);
  const std::string_view text = unicode.text();
  const std::string file = options.FileName.empty() ? "The TTML file" : options.FileName;
  pugi::xml_document xml;
  // Blanks alone between two spans still part their words.
  const pugi::xml_parse_result parsed = xml.load_buffer(
      text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata, pugi::encoding_utf8);
  if (!parsed) {
    const size_t line = LineOf(text, parsed.offset);
    const size_t lineStart =
        text.rfind('\n', static_cast<size_t>(std::max<ptrdiff_t>(parsed.offset - 1, 0)));
    const size_t column = static_cast<size_t>(parsed.offset) -
                          (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
    throw ConvertError(file + " is not well-formed XML: " + parsed.description() + " at line " +
                       std::to_string(line) + ", column " + std::to_string(column) +
                       "; nothing was read");
  }
  const pugi::xml_node root = xml.document_element();
  if (!Is(root, "tt")) throw ConvertError(file + ": the XML root is not <tt>, no TTML");
  const TtmlRates rates = RatesOf(root);
  const Styles styles(root);
  Walk walk{styles, rates, text, file, {}, {}};
  std::vector<pugi::xml_node> chain;
  for (pugi::xml_node body : root.children()) {
    if (!Is(body, "body")) continue;
    const Walk::Interval time = walk.Child(body, {});
    std::string_view region;
    if (const pugi::xml_attribute r = Attr(body, "region")) region = r.value();
    bool preserve = false;
    if (const pugi::xml_attribute space = Attr(body, "space"))
      preserve = std::string_view(space.value()) == "preserve";
    chain.assign(1, body);
    walk.Visit(body, time, region, preserve, chain, 0);
  }

  if (clearFirst) document.ClearLines();
  for (size_t k = 0; k < walk.entries.size(); ++k) {
    document.AddEntry(std::move(walk.entries[k]), walk.kept[k], false);
  }
  document.Loaded = true;
  document.Report.TextIsUtf8 = unicode.form != UnicodeForm::None;
  std::string note = "Read as TTML";
  auto count = [](int n, const char* one, const char* many) {
    return "; " + std::to_string(n) + (n == 1 ? one : many);
  };
  if (walk.openEnds > 0)
    note += count(walk.openEnds, " paragraph without an end time is shown for 5 s",
                  " paragraphs without an end time are shown for 5 s");
  if (walk.untimed > 0)
    note += count(walk.untimed, " paragraph without any time skipped with its text",
                  " paragraphs without any time skipped with their text");
  if (walk.tooDeep > 0)
    note += count(walk.tooDeep, " element nested over 64 deep skipped with its text",
                  " elements nested over 64 deep skipped with their text");
  document.Report.Notes.push_back(note + ".");
}

}  // namespace kestrelpix
