#include "subtitle/subtitle.h"

#include "base/idx_time.h"
#include "subtitle/line_reader.h"

namespace kestrelpix {

void TSubtitle::LoadSubtitle(const std::string& FileName, bool ClearFirst, MessageSink& sink) {
  Loaded = false;
  if (IsSrtFile(FileName)) {
    if (ClearFirst) ClearLines();
    ReadSrt(FileName);
  } else if (IsFrameFile(FileName)) {
    if (ClearFirst) ClearLines();
    ReadFrames(FileName, sink);
  } else {
    sink.ShowMessage("Unsupported Subtitle Format !");
  }
}

void TSubtitle::AddLine(std::string StartTime, std::string EndTime, std::string Text1,
                        std::string Text2, std::string Text3) {
  Lines.push_back(SubtitleLine{std::move(StartTime), std::move(EndTime), std::move(Text1),
                               std::move(Text2), std::move(Text3)});
}

std::string TSubtitle::MsToIdxTime(double Ms) { return FormatIdxTime(Ms); }

std::string TSubtitle::RemoveTags(std::string Text) {
  static const char* const kTags[] = {"<u>",  "<b>",  "<i>",  "<U>",  "<B>",  "<I>",
                                      "</u>", "</b>", "</i>", "</U>", "</B>", "</I>"};
  for (const char* tag : kTags) {
    const std::string_view t(tag);
    const size_t at = Text.find(t);
    if (at != std::string::npos) Text.erase(at, t.size());
  }
  return Text;
}

}  // namespace kestrelpix
