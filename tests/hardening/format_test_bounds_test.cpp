// The format tests skip the first line without holding it and look at no
// more than the columns they need; long lines and CRs anywhere in them must
// not change their answers.
#include <gtest/gtest.h>

#include <string>

#include "subtitle/frame_reader.h"
#include "subtitle/srt_reader.h"
#include "subtitle/subtitle_document.h"
#include "support/collecting_sink.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::CollectingMessageSink;
using testing::TempDir;

// n bytes of text with a CR every 1000 bytes (CRs are dropped when read).
std::string LongLine(size_t n, char fill) {
  std::string line(n, fill);
  for (size_t i = 999; i < n; i += 1000) line[i] = '\r';
  return line;
}

TEST(FormatTestBounds, SrtWithLongFirstAndSecondLines) {
  TempDir dir;
  const std::string timeLine = "00:00:01,000 --> 00:00:02,000";
  // A first line of 1 MiB, then the time line.
  const std::string a = LongLine(1 << 20, '1') + "\r\n" + timeLine + "\r\nText\r\n";
  EXPECT_TRUE(IsSrtText(a));
  // The second line is long too: only its columns 14 to 16 count.
  EXPECT_TRUE(IsSrtText(LongLine(1 << 20, '1') + "\n" + timeLine + LongLine(1 << 20, 'x') + "\n"));
  // CRs before the arrow are dropped, so the arrow moves into place.
  EXPECT_TRUE(IsSrtText("1\n\r00:00:01,00\r0 --> 00:00:02,000\n"));
  EXPECT_FALSE(IsSrtText("1\n00:00:01,000  --> 00:00:02,000\n"));
  // No line break at all: there is no second line.
  EXPECT_FALSE(IsSrtText(LongLine(1 << 20, '1') + timeLine));

  // The reader still reads the whole file after the format test.
  SubtitleDocument doc;
  CollectingMessageSink sink;
  doc.LoadSubtitle(dir.Write("a.srt", a), true, sink);
  ASSERT_EQ(doc.LineCount(), 1);
  EXPECT_EQ(doc.GetLine(1), (SubtitleEntry{1000, 2000, "Text", "", ""}));
}

TEST(FormatTestBounds, FrameFileLooksAtOneCharacter) {
  EXPECT_TRUE(IsFrameText("\r\r{1}{1}25.000\n"));
  EXPECT_TRUE(IsFrameText("{" + LongLine(1 << 20, 'x')));
  EXPECT_FALSE(IsFrameText("\r\n{1}{1}25.000\n"));
  EXPECT_FALSE(IsFrameText(""));
  EXPECT_FALSE(IsFrameText(" {1}{1}25.000\n"));
}

}  // namespace
}  // namespace kestrelpix
