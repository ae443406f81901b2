#include "subtitle/frame_reader.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "subtitle/subtitle_document.h"
#include "support/collecting_sink.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::CollectingMessageSink;
using testing::TempDir;

const char* const kNoFpsMessage =
    "Please write at the first line of your *.txt subtitle the fps of this subtitle\r"
    "Example: {1}{1}25.000";

TEST(FrameReader, ConvertsFramesWithTheFilesOwnRate) {
  auto ms = [](const char* line, double fps) { return ParseFrameLine(line, fps); };
  EXPECT_EQ(ms("{100}{250}Hello", 25), (SubtitleEntry{4000, 10000, "Hello", "", ""}));
  // 1000 / 23.976 = 41.708 -> 42; 24000 / 23.976 = 1001.001 -> 1001.
  EXPECT_EQ(ms("{1}{24}x", 23.976).StartMs, 42);
  EXPECT_EQ(ms("{1}{24}x", 23.976).EndMs, 1001);
  // 1000 / 16 = 62.5 -> 62 and 3000 / 16 = 187.5 -> 188: halves to even.
  EXPECT_EQ(ms("{1}{3}x", 16).StartMs, 62);
  EXPECT_EQ(ms("{1}{3}x", 16).EndMs, 188);
  // 2147483 frames is the largest that times 1000 fits 32 bits.
  EXPECT_EQ(ms("{2147483}{0}x", 1000).StartMs, 2147483);
}

TEST(FrameReader, SplitsTextAtTheFirstTwoBars) {
  auto p = [](const char* line) { return ParseFrameLine(line, 25); };
  EXPECT_EQ(p("{10}{20}one|two|three|four"), (SubtitleEntry{400, 800, "one", "two", "three|four"}));
  EXPECT_EQ(p("{10}{20}|second"), (SubtitleEntry{400, 800, "", "second", ""}));
  EXPECT_EQ(p("{10}{20}"), (SubtitleEntry{400, 800, "", "", ""}));
  EXPECT_EQ(p("junk{10}{20}{y:i}text"), (SubtitleEntry{400, 800, "{y:i}text", "", ""}));
}

TEST(FrameReader, MalformedFramesGiveTheIntegerError) {
  auto err = [](const char* line) {
    try {
      ParseFrameLine(line, 25);
    } catch (const ConvertError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(err(""), "'' is not a valid integer value");
  EXPECT_EQ(err("{a}{2}x"), "'a' is not a valid integer value");
  EXPECT_EQ(err("{1}{b}x"), "'b' is not a valid integer value");
  EXPECT_EQ(err("12}"), "'12}' is not a valid integer value");
  // Without "}{" the end frame is missing.
  EXPECT_EQ(err("{12"), "'' is not a valid integer value");
  // A frame whose milliseconds do not fit 32 bits is refused, not wrapped.
  EXPECT_EQ(err("{2147484}{1}x"), "'2147484' is not a valid integer value");
  EXPECT_EQ(err("{1}{1}x"), "no error");
}

TEST(FrameReader, FrameRateLine) {
  EXPECT_DOUBLE_EQ(ReadFrameRate("{1}{1}25.000").value_or(0), 25.0);
  EXPECT_DOUBLE_EQ(ReadFrameRate("{1}{1} 23.976 ").value_or(0), 23.976);
  EXPECT_EQ(ReadFrameRate("{1}{2}25"), std::nullopt);
  EXPECT_EQ(ReadFrameRate("{10}{20}Hi"), std::nullopt);
  EXPECT_EQ(ReadFrameRate("{1}{1}"), std::nullopt);
  EXPECT_EQ(ReadFrameRate("{1}{1}25fps"), std::nullopt);
  // A comma before the decimals, a {0}{0} line, and text after the rate.
  EXPECT_DOUBLE_EQ(ReadFrameRate("{1}{1}12,500").value_or(0), 12.5);
  EXPECT_DOUBLE_EQ(ReadFrameRate("{0}{0}23.976").value_or(0), 23.976);
  const auto info = ParseFrameRateLine("{1}{1}25.000 movie info: XVID|/SubEdit/");
  ASSERT_TRUE(info);
  EXPECT_DOUBLE_EQ(info->Fps, 25.0);
  EXPECT_EQ(info->Rest, " movie info: XVID|/SubEdit/");
}

TEST(FrameReader, FirstLineIsTheRateOnly) {
  TempDir dir;
  SubtitleDocument doc;
  CollectingMessageSink sink;
  doc.LoadSubtitle(dir.Write("film.txt", "{1}{1}25.000\r\n{100}{250}<i>Hello</i>|World\r\n"), true,
                   sink);
  EXPECT_TRUE(doc.Loaded);
  ASSERT_EQ(doc.LineCount(), 1);
  EXPECT_EQ(doc.GetLine(1), (SubtitleEntry{4000, 10000, "Hello", "World", ""}));
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_TRUE(doc.LoadNotes().empty());
  // Text after the rate is not shown either, and the note says so.
  SubtitleDocument info;
  info.LoadSubtitle(dir.Write("info.sub", "{1}{1}25.000 movie info: XVID\n{25}{50}x\n"), true,
                    sink);
  EXPECT_EQ(info.LineCount(), 1);
  EXPECT_EQ(info.LoadNotes(), std::vector<std::string>{"The frame-rate line's text after the "
                                                       "rate, not shown: \"movie info: XVID\"."});
}

TEST(FrameReader, MissingRateShowsTheMessageAndAddsNothing) {
  TempDir dir;
  for (const char* name : {"norate.txt", "norate.SUB"}) {
    SubtitleDocument doc;
    CollectingMessageSink sink;
    doc.LoadSubtitle(dir.Write(name, "{10}{20}Hello\n{30}{40}World\n"), true, sink);
    EXPECT_FALSE(doc.Loaded);
    EXPECT_EQ(doc.LineCount(), 0);
    EXPECT_EQ(sink.messages, std::vector<std::string>{kNoFpsMessage});
  }
  SubtitleDocument zero;
  CollectingMessageSink sink;
  zero.LoadSubtitle(dir.Write("zero.txt", "{1}{1}0\n{10}{20}x\n"), true, sink);
  EXPECT_FALSE(zero.Loaded);
  EXPECT_EQ(sink.messages, std::vector<std::string>{kNoFpsMessage});
}

TEST(FrameReader, EmptyRateIsNoRateAndBlankLinesAreSkipped) {
  TempDir dir;
  SubtitleDocument doc;
  CollectingMessageSink sink;
  doc.LoadSubtitle(dir.Write("emptyrate.txt", "{1}{1}\n{10}{20}x\n"), true, sink);
  EXPECT_FALSE(doc.Loaded);
  EXPECT_EQ(sink.messages, std::vector<std::string>{kNoFpsMessage});
  SubtitleDocument extra;
  extra.LoadSubtitle(dir.Write("two.txt", "{1}{1}25\n{10}{20}a\n\n \n{30}{40}b\n\n"), true, sink);
  EXPECT_EQ(extra.LineCount(), 2);
  EXPECT_TRUE(extra.LoadNotes().empty());
}

TEST(FrameReader, AnOddLineHandsTheFileToTheTolerantReading) {
  TempDir dir;
  SubtitleDocument doc;
  CollectingMessageSink sink;
  doc.LoadSubtitle(dir.Write("odd.sub", "{1}{1}25\n{10}{20}a\n{3O}{40}typo\n{50}{60}c\n"), true,
                   sink);
  EXPECT_EQ(doc.LineCount(), 2);
  EXPECT_EQ(doc.GetLine(2), (SubtitleEntry{2000, 2400, "c", "", ""}));
  EXPECT_EQ(doc.LoadNotes(),
            std::vector<std::string>{"Read as MicroDVD by the tolerant reader as the strict "
                                     "reading stopped at line 3 (entry 2: '3O' is not a valid "
                                     "integer value): 1 line that is no entry, skipped."});
}

TEST(FrameReader, TimesAreStoredAsRead) {
  TempDir dir;
  SubtitleDocument doc;
  CollectingMessageSink sink;
  doc.LoadSubtitle(dir.Write("order.txt", "{1}{1}25\n{500}{100}back\n{-25}{0}neg\n"), true, sink);
  ASSERT_EQ(doc.LineCount(), 2);
  EXPECT_EQ(doc.GetLine(1).StartMs, 20000);
  EXPECT_EQ(doc.GetLine(1).EndMs, 4000);
  EXPECT_EQ(doc.GetLine(2).StartMs, -1000);
}

}  // namespace
}  // namespace kestrelpix
