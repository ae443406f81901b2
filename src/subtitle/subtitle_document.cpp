#include "subtitle/subtitle_document.h"

#include <algorithm>
#include <optional>

#include "base/errors.h"
#include "subtitle/frame_reader.h"
#include "subtitle/line_reader.h"
#include "subtitle/sami_reader.h"
#include "subtitle/srt_reader.h"
#include "subtitle/tolerant_reader.h"
#include "subtitle/ttml_reader.h"

namespace kestrelpix {

const char* const kUnsupportedFormatMessage =
    "Unsupported Subtitle Format !\r"
    "A subtitle file is SubRip (.srt: a counter, a time line such as "
    "00:00:01,000 --> 00:00:04,000, the text lines, a blank line), frame-numbered "
    "(.sub or .txt: lines {start frame}{end frame}text, the first {1}{1}25.000), "
    "WebVTT (.vtt), ASS/SSA (.ass, .ssa), SAMI (.smi, .sami) or TTML (.ttml, .dfxp, .xml).";

namespace {

bool KnownExtension(std::string_view ext) {
  for (std::string_view known : {".SRT", ".TXT", ".SUB", ".VTT", ".ASS", ".SSA", ".SMI",
                                ".SAMI", ".TTML", ".DFXP", ".XML"}) {
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

void SubtitleDocument::LoadSubtitle(const std::string& FileName, bool ClearFirst, MessageSink& sink,
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
  LoadOptions named = options;
  named.FileName = FileName;
  LoadSubtitleBytes(bytes, ext, ClearFirst, sink, named);
}

void SubtitleDocument::LoadSubtitleBytes(std::string_view Bytes, std::string_view Extension,
                                         bool ClearFirst, MessageSink& sink,
                                         const LoadOptions& options) {
  Loaded = false;
  Report = LoadReport();
  const std::string ext = Upper(Extension);
  const size_t before = entries_.Size();
  bool strict = false;
  std::optional<ReadStopped> stopped;
  try {
    if (ext == ".SRT" && IsSrtText(Bytes)) {
      if (ClearFirst) ClearLines();
      strict = true;
      ReadSrt(Bytes, *this);
    } else if ((ext == ".TXT" || ext == ".SUB") && IsFrameText(Bytes)) {
      // Without a frame rate of its own the file is refused, unless a rate
      // was chosen for the output: then the tolerant reading counts at that
      // one.
      bool ownRate = options.ChosenFps.empty();
      if (!ownRate) {
        ByteLineReader first(Bytes);
        ownRate = ReadFrameRate(first.ReadLine()).value_or(0) != 0;
      }
      if (ownRate) {
        if (ClearFirst) ClearLines();
        strict = true;
        ReadFrames(Bytes, *this, sink);
      }
    }
  } catch (const ReadStopped& e) {
    stopped = e;
  }
  if (stopped) {
    // The strict reader stopped on a line it cannot read: the file is read
    // again by the tolerant reading, which names that line. When it does
    // not take the file, the strict reader's error stands, with the
    // entries read before it.
    if (!ClearFirst) TruncateLines(before);
    Report = LoadReport();
    if (!ReadTolerant(Bytes, ext, ClearFirst, *this, sink, options, &*stopped)) throw *stopped;
  } else if (!strict && (ext == ".SMI" || ext == ".SAMI") && IsSamiText(Bytes)) {
    ReadSami(Bytes, ClearFirst, *this, options);
  } else if (!strict && (ext == ".TTML" || ext == ".DFXP" || ext == ".XML") && IsTtmlText(Bytes)) {
    ReadTtml(Bytes, ClearFirst, *this, options);
  } else if (!strict && !ReadTolerant(Bytes, ext, ClearFirst, *this, sink, options)) {
    sink.ShowMessage(kUnsupportedFormatMessage);
    return;
  }
  if (!Loaded) return;
  DetectCodePage(Bytes, options);
}

SubtitleEntry SubtitleDocument::GetLine(int Index) const {
  const SubtitleEntryView entry = LineView(Index);
  return SubtitleEntry{entry.StartMs,           entry.EndMs,
                       std::string(entry.Text1), std::string(entry.Text2),
                       std::string(entry.Text3), entry.Place};
}

void SubtitleDocument::AddLine(int64_t StartMs, int64_t EndMs, std::string Text1, std::string Text2,
                               std::string Text3) {
  entries_.Add({StartMs, EndMs, std::move(Text1), std::move(Text2), std::move(Text3)}, KeptLines());
}

void SubtitleDocument::AddEntry(SubtitleEntry fields, const KeptLines& kept, bool lost) {
  entries_.Add(std::move(fields), kept);
  const int entry = LineCount();
  lost = lost || kept.Lost();
  if (kept.Count() > 0 || lost) Report.NotDrawn.push_back(entry);
  if (lost) Report.TextLost.push_back(entry);
}

std::vector<std::string_view> SubtitleDocument::ExtraLines(int Index) const {
  return entries_.Kept(static_cast<size_t>(Index) - 1);
}

}  // namespace kestrelpix
