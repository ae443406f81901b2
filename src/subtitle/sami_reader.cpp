// The SAMI reader. SAMI is HTML as subtitle editors write it, not XML:
// one pass over the text finds the tags (<SYNC>, <P>, <BR>, the rest
// removed), skips what is no subtitle text (STYLE, TITLE, SAMIParam,
// comments, broken "<--" comments included), and gathers each SYNC's
// paragraphs by class. The STYLE block's rules name the classes
// (".KRCC { Name:Korean; lang:ko-KR; }") and may align them.
#include "subtitle/sami_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/errors.h"
#include "subtitle/subtitle_document.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

char Up(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Up(c);
  return out;
}

// `word` (upper case) stands at text[at], in any case.
bool HasAt(std::string_view text, size_t at, std::string_view word) {
  if (at > text.size() || text.size() - at < word.size()) return false;
  for (size_t k = 0; k < word.size(); ++k) {
    if (Up(text[at + k]) != word[k]) return false;
  }
  return true;
}

// The first `word` (upper case) at or after `from`, any case; npos if none.
size_t FindNoCase(std::string_view text, std::string_view word, size_t from) {
  for (size_t at = from; at + word.size() <= text.size(); ++at) {
    if (Up(text[at]) == word[0] && HasAt(text, at, word)) return at;
  }
  return std::string_view::npos;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// The value of attribute `name` (upper case) in the text between a tag's
// name and its ">": quoted with " or ', or up to a blank.
std::optional<std::string_view> Attribute(std::string_view attrs, std::string_view name) {
  size_t i = 0;
  while (i < attrs.size()) {
    while (i < attrs.size() && (IsSpace(attrs[i]) || attrs[i] == '/')) ++i;
    const size_t nameStart = i;
    while (i < attrs.size() && !IsSpace(attrs[i]) && attrs[i] != '=') ++i;
    const std::string_view found = attrs.substr(nameStart, i - nameStart);
    while (i < attrs.size() && IsSpace(attrs[i])) ++i;
    std::string_view value;
    if (i < attrs.size() && attrs[i] == '=') {
      ++i;
      while (i < attrs.size() && IsSpace(attrs[i])) ++i;
      if (i < attrs.size() && (attrs[i] == '"' || attrs[i] == '\'')) {
        const char quote = attrs[i++];
        const size_t end = std::min(attrs.find(quote, i), attrs.size());
        value = attrs.substr(i, end - i);
        i = end + 1;
      } else {
        const size_t start = i;
        while (i < attrs.size() && !IsSpace(attrs[i])) ++i;
        value = attrs.substr(start, i - start);
      }
    }
    if (found.size() == name.size() && HasAt(found, 0, name)) return value;
    if (found.empty()) ++i;
  }
  return std::nullopt;
}

// A rule of the STYLE block: ".KRCC" or "P", and its declarations.
struct CssRule {
  std::string selector;  // upper case, without the "."
  bool isClass = false;
  std::string_view body;
};

std::vector<CssRule> ParseCss(std::string_view css) {
  std::vector<CssRule> rules;
  size_t at = 0;
  while (true) {
    const size_t open = css.find('{', at);
    if (open == std::string_view::npos) break;
    const size_t close = std::min(css.find('}', open), css.size());
    std::string_view selector = Trim(css.substr(at, open - at));
    // "<!--" and "-->" around the rules are HTML, not CSS.
    for (std::string_view mark : {"<!--", "-->"}) {
      const size_t m = selector.rfind(mark);
      if (m != std::string_view::npos) selector = Trim(selector.substr(m + mark.size()));
    }
    CssRule rule;
    rule.isClass = !selector.empty() && selector[0] == '.';
    rule.selector = Upper(rule.isClass ? selector.substr(1) : selector);
    rule.body = css.substr(open + 1, close - open - 1);
    rules.push_back(std::move(rule));
    at = close + 1;
    if (at >= css.size()) break;
  }
  return rules;
}

// The value of declaration `name` (upper case) in a rule's body.
std::string_view Declaration(std::string_view body, std::string_view name) {
  while (!body.empty()) {
    const size_t semi = std::min(body.find(';'), body.size());
    const std::string_view decl = body.substr(0, semi);
    const size_t colon = decl.find(':');
    if (colon != std::string_view::npos && Upper(Trim(decl.substr(0, colon))) == name)
      return Trim(decl.substr(colon + 1));
    body.remove_prefix(std::min(semi + 1, body.size()));
  }
  return {};
}

struct Paragraph {
  std::string cls;   // upper case; empty when the <P> names none
  std::string text;  // blanks collapsed, '\n' where a <br> stands
};

struct Sync {
  int64_t start = 0;
  std::vector<Paragraph> paragraphs;
};

void AppendText(std::string& text, char c) {
  if (IsSpace(c)) {
    if (text.empty() || text.back() == ' ' || text.back() == '\n') return;
    c = ' ';
  }
  text += c;
}

// The entity at text[at] ("&amp;", "&#233;", "&nbsp" without its ";" as
// editors often write it) as text, and its length; 0 when none stands there.
size_t EntityAt(std::string_view text, size_t at, std::string& out) {
  static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
      {"&amp;", "&"},  {"&lt;", "<"},   {"&gt;", ">"},  {"&quot;", "\""},
      {"&apos;", "'"}, {"&nbsp;", " "}, {"&nbsp", " "},
  };
  for (const auto& [name, chars] : kNamed) {
    if (HasAt(text, at, Upper(name))) {
      out = chars;
      return name.size();
    }
  }
  if (at + 3 < text.size() && text[at + 1] == '#') {
    const bool hex = text[at + 2] == 'x' || text[at + 2] == 'X';
    size_t i = at + (hex ? 3 : 2);
    uint32_t value = 0;
    const size_t digits = i;
    for (; i < text.size() && i - digits < 7; ++i) {
      const char c = text[i];
      const int d = c >= '0' && c <= '9'                  ? c - '0'
                    : hex && Up(c) >= 'A' && Up(c) <= 'F' ? Up(c) - 'A' + 10
                                                          : -1;
      if (d < 0) break;
      value = value * (hex ? 16 : 10) + static_cast<uint32_t>(d);
    }
    if (i > digits && i < text.size() && text[i] == ';') {
      out.clear();
      // An &#160; is a blank like &nbsp;: it only ever clears the screen.
      if (value == 0xA0) {
        out = " ";
      } else {
        AppendUtf8(out, value == 0 ? 0xFFFD : value);
      }
      return i + 1 - at;
    }
  }
  return 0;
}

// Everything the one pass over the text finds.
struct Scan {
  std::vector<CssRule> css;
  std::vector<Sync> syncs;
  int unreadableSyncs = 0;
};

// Elements whose content is no subtitle text.
constexpr std::string_view kSkipped[] = {"STYLE", "TITLE", "SAMIPARAM", "SCRIPT"};

void ScanText(std::string_view text, Scan& scan) {
  Paragraph* paragraph = nullptr;
  bool bodyEnded = false;
  std::map<std::string, size_t> nextClose;
  auto openParagraph = [&](std::string cls) -> Paragraph* {
    if (scan.syncs.empty() || bodyEnded) return nullptr;
    scan.syncs.back().paragraphs.push_back({std::move(cls), {}});
    return &scan.syncs.back().paragraphs.back();
  };
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '&') {
      std::string chars;
      if (const size_t n = EntityAt(text, i, chars)) {
        if (paragraph == nullptr && Trim(chars).empty()) {
          i += n;
          continue;
        }
        if (paragraph == nullptr) paragraph = openParagraph("");
        if (paragraph != nullptr) paragraph->text += chars;
        i += n;
        continue;
      }
    }
    const bool tag = c == '<' && i + 1 < text.size() &&
                     (std::isalpha(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == '/' ||
                      text[i + 1] == '!' || text[i + 1] == '?' || text[i + 1] == '-');
    if (!tag) {
      if (paragraph == nullptr && !IsSpace(c)) paragraph = openParagraph("");
      if (paragraph != nullptr) AppendText(paragraph->text, c);
      ++i;
      continue;
    }
    if (HasAt(text, i, "<!--")) {
      const size_t end = text.find("-->", i + 4);
      i = end == std::string_view::npos ? text.size() : end + 3;
      continue;
    }
    const size_t close = text.find('>', i);
    if (close == std::string_view::npos) break;  // a "<" to the end: no tag, no text
    const bool closing = text[i + 1] == '/';
    size_t n = i + (closing ? 2 : 1);
    const size_t nameStart = n;
    while (n < close && !IsSpace(text[n]) && text[n] != '/') ++n;
    const std::string name = Upper(text.substr(nameStart, n - nameStart));
    const std::string_view attrs = text.substr(n, close - n);
    i = close + 1;
    if (closing) {
      if (name == "P" || name == "SYNC") paragraph = nullptr;
      if (name == "BODY") bodyEnded = true, paragraph = nullptr;
      continue;
    }
    if (std::find(std::begin(kSkipped), std::end(kSkipped), name) != std::end(kSkipped)) {
      // Where each element's next close stands, as last found: a file of
      // many <TITLE> tags and no </TITLE> is searched to its end once.
      size_t& next = nextClose[name];
      if (next != std::string_view::npos && next < i) next = FindNoCase(text, "</" + name, i);
      const size_t end = next;
      if (end == std::string_view::npos) continue;  // unclosed: only the tag goes
      if (name == "STYLE") {
        for (CssRule& rule : ParseCss(text.substr(i, end - i))) scan.css.push_back(rule);
      }
      i = end;
      continue;
    }
    if (name == "SYNC") {
      paragraph = nullptr;
      if (bodyEnded) continue;
      const std::optional<std::string_view> start = Attribute(attrs, "START");
      int64_t ms = 0;
      size_t digits = 0;
      if (start) {
        for (char d : Trim(*start)) {
          if (d < '0' || d > '9' || digits >= 12) break;
          ms = ms * 10 + (d - '0');
          ++digits;
        }
      }
      if (digits == 0) {
        // Its paragraphs would join the previous SYNC's: they go with it,
        // and it is counted.
        ++scan.unreadableSyncs;
        scan.syncs.push_back({-1, {}});
        continue;
      }
      scan.syncs.push_back({ms, {}});
    } else if (name == "P") {
      const std::optional<std::string_view> cls = Attribute(attrs, "CLASS");
      paragraph = openParagraph(cls ? Upper(Trim(*cls)) : std::string());
    } else if (name == "BR") {
      if (paragraph == nullptr) paragraph = openParagraph("");
      if (paragraph != nullptr) {
        if (!paragraph->text.empty() && paragraph->text.back() == ' ') paragraph->text.pop_back();
        paragraph->text += '\n';
      }
    }
    // Any other tag (<font>, <b>, <i>, <span>, <SAMI>, <HEAD>, a broken
    // comment "<-- ... -->") is removed, nested right or not.
  }
}

// The lines of a paragraph's text, each trimmed; blank lines dropped.
void AddLines(const std::string& text, std::vector<std::string>& lines) {
  std::string_view rest = text;
  while (true) {
    const size_t br = rest.find('\n');
    const std::string_view line = Trim(rest.substr(0, br));
    if (!line.empty()) lines.emplace_back(line);
    if (br == std::string_view::npos) break;
    rest.remove_prefix(br + 1);
  }
}

struct ClassInfo {
  std::string name;   // upper case
  std::string label;  // "Korean, ko-KR", from the STYLE rule
};

std::string Described(const ClassInfo& info) {
  return info.name + (info.label.empty() ? "" : " (" + info.label + ")");
}

// The classes' names, but `skip`, with their labels where `labelled`; the
// first few of a file that has many.
std::string Names(const std::vector<ClassInfo>& classes, size_t skip, bool labelled) {
  constexpr size_t kNamed = 8;
  std::string names;
  size_t named = 0;
  for (size_t k = 0; k < classes.size(); ++k) {
    if (k == skip) continue;
    if (named++ == kNamed) {
      const size_t rest = classes.size() - (skip < classes.size() ? 1 : 0) - kNamed;
      return names + " and " + std::to_string(rest) + " more";
    }
    names += (names.empty() ? "" : ", ") + (labelled ? Described(classes[k]) : classes[k].name);
  }
  return names;
}

}  // namespace

bool IsSamiText(std::string_view bytes) {
  const UnicodeText unicode = ToUtf8(bytes.substr(0, 16384));
  const std::string_view text = unicode.text();
  return FindNoCase(text.substr(0, 4096), "<SAMI", 0) != std::string_view::npos;
}

void ReadSami(std::string_view bytes, bool clearFirst, SubtitleDocument& document,
              const LoadOptions& options) {
  const UnicodeText unicode = ToUtf8(bytes);
  Scan scan;
  ScanText(unicode.text(), scan);

  // The classes paragraphs use, in the STYLE block's order, then in the
  // order met; a class declared and never used holds nothing to take.
  std::vector<ClassInfo> classes;
  std::set<std::string> usedNames, listedNames;
  for (const Sync& s : scan.syncs) {
    for (const Paragraph& p : s.paragraphs) usedNames.insert(p.cls);
  }
  auto used = [&](const std::string& name) { return usedNames.count(name) > 0; };
  auto listed = [&](const std::string& name) { return !listedNames.insert(name).second; };
  for (const CssRule& rule : scan.css) {
    if (!rule.isClass || !used(rule.selector) || listed(rule.selector)) continue;
    // A name in the file's code page would show as other letters in a note.
    std::string label(Declaration(rule.body, "NAME"));
    if (!IsValidUtf8(label)) label.clear();
    const std::string_view lang = Declaration(rule.body, "LANG");
    if (!lang.empty()) label += (label.empty() ? "" : ", ") + std::string(lang);
    classes.push_back({rule.selector, label});
  }
  for (const Sync& s : scan.syncs) {
    for (const Paragraph& p : s.paragraphs) {
      if (!p.cls.empty() && !listed(p.cls)) classes.push_back({p.cls, ""});
    }
  }
  size_t taken = 0;
  if (!options.SamiClass.empty()) {
    const std::string wanted = Upper(options.SamiClass);
    const auto it = std::find_if(classes.begin(), classes.end(),
                                 [&](const ClassInfo& c) { return c.name == wanted; });
    if (it == classes.end()) {
      const std::string have = Names(classes, classes.size(), false);
      throw ConvertError(
          (options.FileName.empty() ? "The SAMI file" : options.FileName) +
          " has no paragraphs of class " + options.SamiClass +
          (have.empty() ? "; it names no class." : "; its classes are " + have + "."));
    }
    taken = static_cast<size_t>(it - classes.begin());
  }
  const std::string cls = classes.empty() ? "" : classes[taken].name;

  // A class rule's, else the P rule's, text-align places the entries left
  // or right; centred (the usual) leaves the place to the chosen settings.
  Placement place;
  for (const char* selector : {cls.c_str(), "P"}) {
    for (const CssRule& rule : scan.css) {
      if (place.Align != 0 || rule.selector != selector || (*selector != 'P') != rule.isClass)
        continue;
      const std::string align = Upper(Declaration(rule.body, "TEXT-ALIGN"));
      if (align == "LEFT") place.Align = 1;
      if (align == "RIGHT") place.Align = 3;
    }
  }

  // The SYNC blocks that speak for the class: those with a paragraph of it
  // or of none, and a readable time.
  std::vector<Sync> syncs;
  bool sorted = true;
  for (Sync& s : scan.syncs) {
    Sync kept{s.start, {}};
    for (Paragraph& p : s.paragraphs) {
      if (p.cls.empty() || p.cls == cls) kept.paragraphs.push_back(std::move(p));
    }
    if (kept.paragraphs.empty() || s.start < 0) continue;
    if (!syncs.empty() && s.start < syncs.back().start) sorted = false;
    syncs.push_back(std::move(kept));
  }
  if (!sorted) {
    std::stable_sort(syncs.begin(), syncs.end(),
                     [](const Sync& a, const Sync& b) { return a.start < b.start; });
  }

  std::vector<SubtitleEntry> entries;
  std::vector<KeptLines> keptLines;
  bool openEnd = false;
  for (size_t k = 0; k < syncs.size(); ++k) {
    std::vector<std::string> lines;
    for (const Paragraph& p : syncs[k].paragraphs) AddLines(p.text, lines);
    if (lines.empty()) continue;  // &nbsp; alone: the screen clears
    SubtitleEntry entry;
    entry.StartMs = syncs[k].start;
    if (k + 1 < syncs.size()) {
      entry.EndMs = syncs[k + 1].start;
    } else {
      entry.EndMs = entry.StartMs + kSamiOpenEndMs;
      openEnd = true;
    }
    entry.Place = place;
    KeptLines kept;
    for (size_t l = 0; l < lines.size(); ++l) {
      if (l >= 2) kept.Add(lines[l]);
      if (l < 3) (l == 0 ? entry.Text1 : l == 1 ? entry.Text2 : entry.Text3) = lines[l];
    }
    entries.push_back(std::move(entry));
    keptLines.push_back(std::move(kept));
  }

  if (clearFirst) document.ClearLines();
  for (size_t k = 0; k < entries.size(); ++k) {
    document.AddEntry(std::move(entries[k]), keptLines[k], false);
  }
  document.Loaded = true;
  document.Report.TextIsUtf8 = unicode.form != UnicodeForm::None;

  std::string note = "Read as SAMI";
  if (!classes.empty()) {
    note += ": class " + Described(classes[taken]) + " taken";
    const std::string others = Names(classes, taken, true);
    if (!others.empty()) {
      note +=
          "; the file also has " + others + " (the command line's --sami-class NAME takes another)";
    }
  }
  std::string extra;
  if (openEnd) extra += "; the last entry has no SYNC after it to clear it: it is shown for 5 s";
  if (!sorted) extra += "; SYNC blocks out of time order were sorted";
  if (scan.unreadableSyncs > 0) {
    extra += "; " + std::to_string(scan.unreadableSyncs) +
             (scan.unreadableSyncs == 1
                  ? " SYNC without a readable Start time skipped with its text"
                  : " SYNCs without a readable Start time skipped with their text");
  }
  document.Report.Notes.push_back(note + extra + ".");
}

}  // namespace kestrelpix
