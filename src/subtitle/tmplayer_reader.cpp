#include "subtitle/tmplayer_reader.h"

#include <optional>
#include <string>

#include "subtitle/subtitle_document.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

namespace {

struct TmLine {
  int64_t time = 0;
  std::optional<int64_t> lineNumber;  // N of hh:mm:ss,N=
  std::string_view text;
};

// h:mm:ss or hh:mm:ss, then ",N" and "=", or ":" or "=", then the text.
std::optional<TmLine> ParseTmLine(std::string_view line) {
  int64_t fields[3];
  size_t i = 0;
  size_t count = 0;
  for (int k = 0; k < 3; ++k) {
    const auto v = Digits(line, i, 2, count);
    if (!v || (k > 0 && count != 2) || i >= line.size()) return std::nullopt;
    fields[k] = *v;
    if (k < 2 && line[i++] != ':') return std::nullopt;
  }
  if (fields[1] > 59 || fields[2] > 59) return std::nullopt;
  TmLine parsed;
  parsed.time = fields[0] * 3600000 + fields[1] * 60000 + fields[2] * 1000;
  if (line[i] == ',') {
    ++i;
    parsed.lineNumber = Digits(line, i, 9, count);
    if (!parsed.lineNumber || i >= line.size() || line[i] != '=') return std::nullopt;
  } else if (line[i] != ':' && line[i] != '=') {
    return std::nullopt;
  }
  parsed.text = line.substr(i + 1);
  return parsed;
}

void AddPieces(std::string_view text, Entry& entry) {
  for (bool more = true; more && !entry.kept.Lost();) {
    const size_t bar = text.find('|');
    more = bar != std::string_view::npos;
    std::string drawn = SubtitleDocument::RemoveTags(std::string(text.substr(0, bar)));
    if (more) text.remove_prefix(bar + 1);
    if (!IsBlankLine(drawn)) entry.Add(std::move(drawn));
  }
}

}  // namespace

bool IsTmPlayerLine(std::string_view line) { return ParseTmLine(line).has_value(); }

void ReadTmPlayer(std::string_view text, const EntryOut& out, size_t& skipped, bool& openEnd) {
  LineSplitter lines(text);
  Entry entry(TimeSpan{});  // begun, its end not yet known, while `open`
  bool open = false;
  bool numbered = false;  // it was begun by a hh:mm:ss,N= line
  auto finish = [&](int64_t end) {
    entry.time.end = end;
    out(entry);
    open = false;
  };
  for (std::string_view line; lines.Next(line);) {
    if (IsBlankLine(line)) continue;
    const std::optional<TmLine> parsed = ParseTmLine(line);
    if (!parsed) {
      ++skipped;
      continue;
    }
    if (IsBlankLine(parsed->text)) {
      if (open) finish(parsed->time);
      continue;
    }
    // Further numbered lines at the same time belong to the same entry.
    if (open && numbered && parsed->lineNumber && *parsed->lineNumber > 1 &&
        entry.time.start == parsed->time) {
      AddPieces(parsed->text, entry);
      continue;
    }
    if (open) finish(parsed->time);
    entry = Entry(TimeSpan{parsed->time, parsed->time});
    open = true;
    numbered = parsed->lineNumber.has_value();
    AddPieces(parsed->text, entry);
  }
  openEnd = open;
  if (open) finish(entry.time.start + kTmPlayerLastEntryMs);
}

}  // namespace kestrelpix
