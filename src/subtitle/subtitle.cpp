#include "subtitle/subtitle.h"

#include <algorithm>

#include "base/errors.h"
#include "base/idx_time.h"
#include "subtitle/line_reader.h"

namespace kestrelpix {

const char* const kUnsupportedFormatMessage =
    "Unsupported Subtitle Format !\r"
    "A subtitle file is SubRip (.srt: a counter, a time line such as "
    "00:00:01,000 --> 00:00:04,000, the text lines, a blank line), frame-numbered "
    "(.sub or .txt: lines {start frame}{end frame}text, the first {1}{1}25.000), "
    "WebVTT (.vtt) or ASS/SSA (.ass, .ssa).";

namespace {

bool KnownExtension(std::string_view ext) {
  for (std::string_view known : {".SRT", ".TXT", ".SUB", ".VTT", ".ASS", ".SSA"}) {
    if (ext == known) return true;
  }
  return false;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

void TSubtitle::LoadSubtitle(const std::string& FileName, bool ClearFirst, MessageSink& sink,
                             const LoadOptions& options) {
  Loaded = false;
  const std::string ext = UpperExtension(FileName);
  if (!RegularFileExists(FileName) || !KnownExtension(ext)) {
    sink.ShowMessage(kUnsupportedFormatMessage);
    return;
  }
  std::string bytes = ReadFileBytes(FileName);
  if (bytes.size() > kMaxSubtitleBytes) {
    // Refused before any format test, the same for every format: the
    // tolerant formats could only be told by reading the whole file.
    throw FileError("Cannot read file \"" + FileName + "\": it is larger than " +
                        std::to_string(kMaxSubtitleBytes >> 20) + " MiB, too large for a subtitle",
                    EFBIG);
  }
  LoadSubtitleBytes(bytes, ext, ClearFirst, sink, options);
}

void TSubtitle::LoadSubtitleBytes(std::string_view Bytes, std::string_view Extension,
                                  bool ClearFirst, MessageSink& sink, const LoadOptions& options) {
  Loaded = false;
  notes_.clear();
  extraLines_.clear();
  notDrawn_.clear();
  textLost_.clear();
  DetectedCharset = 1;
  TextIsUtf8 = false;
  const std::string ext = Upper(Extension);
  bool strict = false;
  if (ext == ".SRT" && IsSrtText(Bytes)) {
    if (ClearFirst) ClearLines();
    ReadSrt(Bytes);
    strict = true;
  } else if ((ext == ".TXT" || ext == ".SUB") && IsFrameText(Bytes)) {
    // Without a frame rate of its own the file is refused, unless a rate was
    // chosen for the output: then the tolerant reading counts at that one.
    bool ownRate = options.ChosenFps.empty();
    if (!ownRate) {
      ByteLineReader first(Bytes);
      ownRate = ReadFrameRate(first.ReadLine()) != 0;
    }
    if (ownRate) {
      if (ClearFirst) ClearLines();
      ReadFrames(Bytes, sink);
      strict = true;
    }
  }
  if (!strict && !ReadTolerant(Bytes, ext, ClearFirst, sink, options)) {
    sink.ShowMessage(kUnsupportedFormatMessage);
    return;
  }
  if (!Loaded) return;
  DetectCodePage(Bytes, options);
}

void TSubtitle::AddLine(std::string StartTime, std::string EndTime, std::string Text1,
                        std::string Text2, std::string Text3) {
  Lines.push_back(SubtitleLine{std::move(StartTime), std::move(EndTime), std::move(Text1),
                               std::move(Text2), std::move(Text3)});
}

void TSubtitle::AddEntryLines(std::string StartTime, std::string EndTime,
                              std::vector<std::string> lines) {
  lines.resize(std::max<size_t>(lines.size(), 3));
  const int entry = LineCount() + 1;
  if (lines.size() > 3 || !lines[2].empty()) {
    extraLines_[entry].assign(lines.begin() + 2, lines.end());
    notDrawn_.push_back(entry);
  }
  AddLine(std::move(StartTime), std::move(EndTime), std::move(lines[0]), std::move(lines[1]),
          std::move(lines[2]));
}

const std::vector<std::string>& TSubtitle::ExtraLines(int Index) const {
  static const std::vector<std::string> kNone;
  const auto it = extraLines_.find(Index);
  return it == extraLines_.end() ? kNone : it->second;
}

std::vector<std::string> TSubtitle::EntryLines(int Index) const {
  const SubtitleLine& line = GetLine(Index);
  std::vector<std::string> all;
  if (!line.Text1.empty()) all.push_back(line.Text1);
  if (!line.Text2.empty()) all.push_back(line.Text2);
  for (const std::string& extra : ExtraLines(Index)) all.push_back(extra);
  return all;
}

void TSubtitle::MarkAllTextDrawn(int Index) {
  if (textLost_.count(Index) != 0) return;
  notDrawn_.erase(std::remove(notDrawn_.begin(), notDrawn_.end(), Index), notDrawn_.end());
}

std::vector<std::string> TSubtitle::LoadNotes() const {
  std::vector<std::string> notes = notes_;
  if (notDrawn_.empty()) return notes;
  const size_t n = notDrawn_.size();
  std::string note = std::to_string(n) +
                     (n == 1 ? " entry holds text after its first two lines"
                             : " entries hold text after their first two lines") +
                     " (a third line, or text after a blank line), which is not drawn: " +
                     (n == 1 ? "entry " : "entries ");
  constexpr size_t kNamed = 5;
  for (size_t i = 0; i < n && i < kNamed; ++i) {
    if (i > 0) note += ", ";
    note += std::to_string(notDrawn_[i]);
  }
  if (n > kNamed) note += " and more";
  notes.push_back(note + ".");
  return notes;
}

std::string TSubtitle::MsToIdxTime(double Ms) { return FormatIdxTime(Ms); }

}  // namespace kestrelpix
