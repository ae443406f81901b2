// The subtitle document: the timed entries of one subtitle file, in file
// order, handed out by 1-based index. Text stays the file's bytes.
#pragma once

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

class TSubtitle {
 public:
  // Detects the format by extension and content and reads the file. Shows
  // "Unsupported Subtitle Format !" through the sink for a file it does not
  // recognise. A malformed number stops reading with a ConvertError (the
  // entries before it stay); file errors throw FileError.
  void LoadSubtitle(const std::string& FileName, bool ClearFirst, MessageSink& sink);

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
  static bool IsTimeLine(std::string_view Line);
  static std::string SrtTimeToMs(std::string_view Time);
  static std::string RemoveTags(std::string Text);

  // Frame-numbered files.
  static bool IsFrameFile(const std::string& FileName);
  static double ReadFrameRate(std::string_view Line);
  static fivestrings ParseFrameLine(std::string_view Line, double Fps);

  // Result of the last LoadSubtitle.
  bool Loaded = false;

 private:
  void ReadSrt(const std::string& FileName);
  void ReadFrames(const std::string& FileName, MessageSink& sink);

  std::vector<SubtitleLine> Lines;
};

}  // namespace kestrelpix
