// The subtitle document: the timed entries of one subtitle file, in file
// order, handed out by 1-based index. Text stays the file's bytes.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/message_sink.h"

namespace kestrelpix {

// One entry. Times are whole milliseconds as decimal text ("0", "40",
// "3723004"); only Text1 and Text2 are listed, measured and drawn.
struct SubtitleLine {
  std::string StartTime;
  std::string EndTime;
  std::string Text1;
  std::string Text2;
  std::string Text3;
  bool operator==(const SubtitleLine&) const = default;
};

// The result of parsing one line of a frame-numbered file; the same five
// fields as SubtitleLine.
struct fivestrings {
  std::string StartTime;
  std::string EndTime;
  std::string Text1;
  std::string Text2;
  std::string Text3;
  bool operator==(const fivestrings&) const = default;
};

// What a load may use besides the file.
struct LoadOptions {
  // The output frame rate the user chose, as the list shows it ("25.000").
  // A frame-numbered file without a frame-rate line counts its frames at
  // it; when empty, such a file is refused with the frame-rate message.
  std::string ChosenFps;
  // The font's charset: with DEFAULT the load names the code page it
  // detected for text that is not UTF-8.
  uint8_t Charset = 1;
};

// The lowest frame rate frames are counted at: at a lower one frame 1, the
// frame-rate line itself, is past the 32-bit milliseconds the frame-numbered
// reader counts in, so that reader refuses the file. The tolerant reading
// refuses a lower rate, its file's or the chosen one, in so many words.
constexpr double kMinFrameRate = 1000.0 / 2147483647.0;

// "Unsupported Subtitle Format !" and the line that says what a subtitle
// file must look like.
extern const char* const kUnsupportedFormatMessage;

class TSubtitle {
 public:
  // Reads the file once (at most kMaxSubtitleBytes; a larger file is refused
  // with a FileError, whatever it holds) and loads its bytes as
  // LoadSubtitleBytes does. A missing file or an extension that no reader
  // knows gives the unsupported-format message. File errors throw FileError.
  void LoadSubtitle(const std::string& FileName, bool ClearFirst, MessageSink& sink,
                    const LoadOptions& options = {});
  // Detects the format by the extension (".SRT", any case) and the content.
  // A file that the SubRip or frame-numbered format test accepts is read by
  // that reader, exactly: a malformed number stops reading with a
  // ConvertError (the entries before it stay). Only where those refuse the
  // file does the tolerant reading try (UTF-16/32, any line ends, loose
  // time lines, MicroDVD headers, WebVTT, ASS/SSA); what it tolerated is
  // named in LoadNotes. A file no reader takes gives the unsupported-format
  // message through the sink.
  void LoadSubtitleBytes(std::string_view Bytes, std::string_view Extension, bool ClearFirst,
                         MessageSink& sink, const LoadOptions& options = {});

  int LineCount() const { return static_cast<int>(Lines.size()); }
  // Index is 1-based and must lie in 1..LineCount().
  const SubtitleLine& GetLine(int Index) const { return Lines.at(static_cast<size_t>(Index) - 1); }
  void AddLine(std::string StartTime, std::string EndTime, std::string Text1, std::string Text2,
               std::string Text3);
  void ClearLines() { Lines.clear(); }

  // hh:mm:ss:mmm, hours not cut (100 hours give "100").
  static std::string MsToIdxTime(double Ms);

  // SubRip.
  static bool IsSrtFile(const std::string& FileName);
  static bool IsSrtText(std::string_view Bytes);
  static bool IsTimeLine(std::string_view Line);
  static std::string SrtTimeToMs(std::string_view Time);
  static std::string RemoveTags(std::string Text);

  // Frame-numbered files.
  static bool IsFrameFile(const std::string& FileName);
  static bool IsFrameText(std::string_view Bytes);
  static double ReadFrameRate(std::string_view Line);
  static fivestrings ParseFrameLine(std::string_view Line, double Fps);

  // Result of the last LoadSubtitle.
  bool Loaded = false;

  // Lines that say how the last load read the file, one sentence each: what
  // the tolerant reading accepted, the code page it detected, text of
  // entries that is not drawn. Empty when the load had nothing to note.
  std::vector<std::string> LoadNotes() const;
  // The entries whose text is not all drawn as two lines, ascending.
  const std::vector<int>& EntriesWithTextNotDrawn() const { return notDrawn_; }
  // Entry Index is drawn with all its text after all (wrapping joins its
  // lines into two): the notes no longer name it. An entry the load lost
  // text of (a line it could not keep) stays named.
  void MarkAllTextDrawn(int Index);
  // The text lines of entry Index after Text2, as the file holds them
  // (Text3 first), tags removed: lines that are not drawn. Empty for most
  // entries.
  const std::vector<std::string>& ExtraLines(int Index) const;
  // All text lines of entry Index: Text1 and Text2 where not empty, then
  // ExtraLines(Index).
  std::vector<std::string> EntryLines(int Index) const;

  // The charset whose code page the text is in, as the load detected it:
  // DEFAULT (1) for UTF-8 or plain ASCII text or when nothing was detected,
  // else a code of the charset list (238 for Windows-1250, 204 for
  // Windows-1251, ...). Drawing with DEFAULT decodes with it.
  uint8_t DetectedCharset = 1;
  // The tolerant reading found the file to be Unicode (UTF-16 or UTF-32,
  // now held as UTF-8, or UTF-8 with a byte-order mark): the text reads as
  // UTF-8 whatever charset is chosen.
  bool TextIsUtf8 = false;

 private:
  void ReadSrt(std::string_view Bytes);
  void ReadFrames(std::string_view Bytes, MessageSink& sink);
  // The tolerant reading; false when it does not take the file either.
  bool ReadTolerant(std::string_view Bytes, std::string_view Extension, bool ClearFirst,
                    MessageSink& sink, const LoadOptions& options);
  // Adds an entry from its text lines: the first three are Text1..Text3,
  // all after the second are kept as ExtraLines.
  void AddEntryLines(std::string StartTime, std::string EndTime, std::vector<std::string> lines);
  void DetectCodePage(std::string_view Bytes, const LoadOptions& options);

  std::vector<SubtitleLine> Lines;
  std::vector<std::string> notes_;
  std::map<int, std::vector<std::string>> extraLines_;  // by 1-based entry number
  std::vector<int> notDrawn_;  // entries with text that is not drawn, ascending
  std::set<int> textLost_;     // entries with text not kept in extraLines_
};

}  // namespace kestrelpix
