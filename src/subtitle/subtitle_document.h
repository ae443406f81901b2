// The subtitle document: the timed entries of one subtitle file, in file
// order, handed out by 1-based index. Text stays the file's bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/charset.h"
#include "base/message_sink.h"
#include "subtitle/entry_store.h"
#include "subtitle/load_report.h"

namespace kestrelpix {

// What a load may use besides the file.
struct LoadOptions {
  // The output frame rate the user chose, as the list shows it ("25.000").
  // A frame-numbered file without a frame-rate line counts its frames at
  // it; when empty, such a file is refused with the frame-rate message.
  std::string ChosenFps;
  // The font's charset: with DEFAULT the load names the code page it
  // detected for text that is not UTF-8.
  uint8_t Charset = CharsetCode(CharsetId::kDefault);
  // The language class a SAMI file is read in ("ENCC"); when empty, the
  // first the file declares.
  std::string SamiClass;
  // The file's name as messages name it; LoadSubtitle sets it.
  std::string FileName;
};

// The lowest frame rate frames are counted at: at a lower one frame 1 is
// past the 32-bit milliseconds the frame-numbered reader counts in, so that
// reader stops at the first entry. The tolerant reading refuses a lower
// rate, its file's or the chosen one, in so many words.
constexpr double kMinFrameRate = 1000.0 / 2147483647.0;

// "Unsupported Subtitle Format !" and the line that says what a subtitle
// file must look like.
extern const char* const kUnsupportedFormatMessage;

class SubtitleDocument {
 public:
  // Reads the file once (at most kMaxSubtitleBytes; a larger file is refused
  // with a FileError, whatever it holds) and loads its bytes as
  // LoadSubtitleBytes does. A missing file or an extension that no reader
  // knows gives the unsupported-format message. File errors throw FileError.
  void LoadSubtitle(const std::string& FileName, bool ClearFirst, MessageSink& sink,
                    const LoadOptions& options = {});
  // Detects the format by the extension (".SRT", any case) and the content.
  // A file that the SubRip or frame-numbered format test accepts is read by
  // that reader, exactly. Where those refuse the file, or their reader stops
  // on a line it cannot read (a time that is no number, a time line out of
  // the fixed columns, a frame line of another form), the tolerant reading
  // reads it (UTF-16/32, any line ends, loose time lines, MicroDVD headers,
  // MPL2, SubViewer 2, TMPlayer, WebVTT, ASS/SSA); what it tolerated, and
  // where the strict reader stopped, is named in LoadNotes. When it does not
  // take a file a strict reader stopped in either, that reader's
  // ConvertError (naming the line and the entry) is thrown, the entries it
  // read before it in the document (ClearFirst; without, the document is as
  // before the load). SAMI (.SMI, .SAMI) and TTML (.TTML, .DFXP, .XML) files
  // are told by their content and read by their own readers. A file no
  // reader takes gives the unsupported-format message through the sink.
  void LoadSubtitleBytes(std::string_view Bytes, std::string_view Extension, bool ClearFirst,
                         MessageSink& sink, const LoadOptions& options = {});

  int LineCount() const { return static_cast<int>(entries_.Size()); }
  // Index is 1-based and must lie in 1..LineCount(). A copy of the entry.
  SubtitleEntry GetLine(int Index) const;
  // The same as views of the document, valid until it changes.
  SubtitleEntryView LineView(int Index) const {
    return entries_.Line(static_cast<size_t>(Index) - 1);
  }
  void AddLine(int64_t StartMs, int64_t EndMs, std::string Text1, std::string Text2,
               std::string Text3);
  void ClearLines() { entries_.Clear(); }

  static std::string RemoveTags(std::string Text);

  // Result of the last LoadSubtitle.
  bool Loaded = false;

  // What the last load found out besides the entries; the readers fill it.
  LoadReport Report;

  // Lines that say how the last load read the file (Report.AllNotes()).
  std::vector<std::string> LoadNotes() const { return Report.AllNotes(); }
  // The entries whose text is not all drawn as two lines, ascending.
  const std::vector<int>& EntriesWithTextNotDrawn() const { return Report.NotDrawn; }
  // As Report.MarkAllTextDrawn: the notes no longer name these entries,
  // unless the load lost text of them.
  void MarkAllTextDrawn(const std::vector<int>& Indices) { Report.MarkAllTextDrawn(Indices); }
  // The text lines of entry Index after Text2, as the file holds them
  // (Text3 first), tags removed: lines that are not drawn. Empty for most
  // entries. At most kMaxKeptLineBytes of them are kept; an entry with more
  // is one the load lost text of. Views of the document, valid until it
  // changes.
  std::vector<std::string_view> ExtraLines(int Index) const;

  // For the readers: adds an entry with the lines kept of it after its
  // first two; lost: a line of it was not kept (nor counted in `kept`). An
  // entry with kept or lost lines is named in Report as holding text that
  // is not drawn.
  void AddEntry(SubtitleEntry fields, const KeptLines& kept, bool lost);
  // For a reader that may yet give the file up: the entries are taken out
  // (the document is left empty) or cut back to the first `count`, and
  // put back.
  EntryStore TakeLines() { return std::exchange(entries_, EntryStore()); }
  void RestoreLines(EntryStore lines) { entries_ = std::move(lines); }
  void TruncateLines(size_t count) { entries_.Truncate(count); }

 private:
  void DetectCodePage(std::string_view Bytes, const LoadOptions& options);

  EntryStore entries_;
};

}  // namespace kestrelpix
