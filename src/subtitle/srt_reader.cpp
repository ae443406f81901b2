// The SubRip reader: a line scanner keyed on fixed columns. It looks only
// for time lines, takes the two times from fixed positions, and takes the
// three lines after each time line as text.
#include <cstdint>

#include "base/number_text.h"
#include "subtitle/line_reader.h"
#include "subtitle/subtitle.h"

namespace kestrelpix {

namespace {

// Columns 14 to 16 (1-based) hold the arrow.
bool ArrowAtColumn14(std::string_view line) {
  return line.size() >= 16 && line.substr(13, 3) == "-->";
}

}  // namespace

bool TSubtitle::IsSrtFile(const std::string& FileName) {
  if (!RegularFileExists(FileName) || UpperExtension(FileName) != ".SRT") return false;
  LineReader reader(FileName);
  reader.ReadLine(0);
  return ArrowAtColumn14(reader.LineStart(16));
}

bool TSubtitle::IsTimeLine(std::string_view Line) {
  return Line.size() >= 29 && ArrowAtColumn14(Line);
}

std::string TSubtitle::SrtTimeToMs(std::string_view Time) {
  // hh:mm:ss,mmm; the separators at columns 3, 6 and 9 are not examined.
  auto field = [&](size_t start, size_t count) {
    return start < Time.size() ? Time.substr(start, count) : std::string_view();
  };
  const int64_t hours = StrToInt(field(0, 2));
  const int64_t minutes = StrToInt(field(3, 2));
  const int64_t seconds = StrToInt(field(6, 2));
  const int64_t millis = StrToInt(field(9, std::string_view::npos));
  // Two- and three-character fields keep the sum well inside 32 bits.
  return std::to_string(hours * 3600000 + minutes * 60000 + seconds * 1000 + millis);
}

void TSubtitle::ReadSrt(const std::string& FileName) {
  LineReader reader(FileName);
  while (!reader.AtEnd()) {
    const std::string line = reader.ReadLine();
    if (IsTimeLine(line)) {
      std::string start = SrtTimeToMs(std::string_view(line).substr(0, 12));
      std::string end = SrtTimeToMs(std::string_view(line).substr(17, 12));
      // Exactly three lines follow a time line, whatever they hold.
      std::string text1 = reader.ReadLine();
      std::string text2 = reader.ReadLine();
      std::string text3 = reader.ReadLine();
      if (text1.empty()) text2.clear();
      if (text2.empty()) text3.clear();
      AddLine(std::move(start), std::move(end), RemoveTags(std::move(text1)),
              RemoveTags(std::move(text2)), RemoveTags(std::move(text3)));
    }
    Loaded = true;
  }
}

}  // namespace kestrelpix
