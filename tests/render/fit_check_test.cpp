#include "render/fit_check.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "render/measure.h"

namespace kestrelpix {
namespace {

RenderSettings Font(int size = 20) {
  RenderSettings s;
  s.FontName = "Liberation Sans";
  s.FontSize = size;
  return s;
}

int Width(const std::string& text, const RenderSettings& s = Font()) {
  return MeasureLine(text, s.FontName, s.FontSize, s.FontStyle, s.FontCharset).width;
}

// A line of exactly `target` pixels, made of two letters: widths add up
// because there is no kerning.
std::string LineOfWidth(int target) {
  const std::string narrow = "il.|!tfjr";
  const std::string wide = "abcdeghkmnopqsuvwxyzABCDEFGHJKLMNOPQRSTUVWXYZ";
  for (char a : narrow) {
    int wa = Width(std::string(1, a));
    for (char b : wide) {
      int wb = Width(std::string(1, b));
      for (int m = 0; m * wb <= target; ++m) {
        if ((target - m * wb) % wa == 0) {
          return std::string(m, b) + std::string((target - m * wb) / wa, a);
        }
      }
    }
  }
  return "";
}

struct Recorder {
  CollectingMessageSink sink;
  AppState state;
  int emptied = 0;
  int file_names = 0;
  int reads = 0;
  RenderSettings font = Font();
  FitCheckHooks hooks{[this] {
                        ++reads;
                        return font;
                      },
                      [this] { ++emptied; }, [this] { ++file_names; }};
};

TEST(FitCheck, LimitIsBelowSixHundredEighty) {
  const std::string w679 = LineOfWidth(679);
  const std::string w680 = LineOfWidth(680);
  ASSERT_EQ(Width(w679), 679);
  ASSERT_EQ(Width(w680), 680);
  Recorder r;
  CheckEntryFits(w679, w679, r.font, r.state, r.sink, r.hooks);
  EXPECT_TRUE(r.state.SubtitleFits);
  EXPECT_TRUE(r.sink.messages.empty());
  CheckEntryFits(w679, w680, r.font, r.state, r.sink, r.hooks);
  EXPECT_FALSE(r.state.SubtitleFits);
  EXPECT_EQ(r.sink.messages.size(), 1u);
  CheckEntryFits(w680, "", r.font, r.state, r.sink, r.hooks);
  EXPECT_FALSE(r.state.SubtitleFits);
  EXPECT_EQ(r.sink.messages.size(), 2u);
  // A fitting check sets the flag again.
  CheckEntryFits("short", "", r.font, r.state, r.sink, r.hooks);
  EXPECT_TRUE(r.state.SubtitleFits);
}

// Far wider than the frame in few characters: quoted whole.
const std::string kWide(50, 'W');

TEST(FitCheck, MessageWhileLoadingEmptiesTheList) {
  const std::string wide = kWide;
  Recorder r;
  CheckEntryFits("fits", wide, r.font, r.state, r.sink, r.hooks);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0], "The string \rfits\r" + wide +
                                    "\ris too long. Please correct the srt and reload it. You can "
                                    "just use a smaler font size.");
  EXPECT_EQ(r.emptied, 1);
  EXPECT_EQ(r.file_names, 0);
}

TEST(FitCheck, MessageAfterAFontChangeKeepsTheList) {
  const std::string wide = kWide;
  Recorder r;
  r.state.SubtitleLoaded = true;
  r.state.SubtitleFits = true;
  CheckEntryFits(wide, "", r.font, r.state, r.sink, r.hooks);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  // An empty second line: nothing between the second and third carriage
  // return.
  EXPECT_EQ(r.sink.messages[0],
            "The string \r" + wide + "\r\ris too long. Please use a smaler font size.");
  EXPECT_EQ(r.emptied, 0);
  EXPECT_TRUE(r.state.SubtitleLoaded);
  EXPECT_FALSE(r.state.SubtitleFits);
}

TEST(FitCheck, MessageQuotesFileTextAsUtf8) {
  Recorder r;
  // Windows-1252 "é" (E9) in a line that is not UTF-8.
  const std::string wide = kWide + "\xE9";
  CheckEntryFits(wide, "", r.font, r.state, r.sink, r.hooks);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_NE(r.sink.messages[0].find(kWide + "\xC3\xA9\r"), std::string::npos);
}

TEST(FitCheck, MessageQuotesTheFirstHundredCharactersOfALongLine) {
  Recorder r;
  // 99 letters, then 2-byte "é" characters: the cut falls after the first
  // of them, never inside one.
  const std::string line = std::string(99, 'W') + std::string(20, '\xE9');
  CheckEntryFits(line, LineOfWidth(700), r.font, r.state, r.sink, r.hooks);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0], "The string \r" + std::string(99, 'W') + "\xC3\xA9…\r" +
                                    LineOfWidth(700).substr(0, 100) +
                                    "…\ris too long. Please correct the srt and reload it. You "
                                    "can just use a smaler font size.");
}

TSubtitle Document(int entries, std::initializer_list<int> too_wide) {
  TSubtitle doc;
  for (int i = 1; i <= entries; ++i) {
    bool wide = std::find(too_wide.begin(), too_wide.end(), i) != too_wide.end();
    doc.AddLine(std::to_string(i * 1000), std::to_string(i * 1000 + 500),
                wide ? "Entry " + std::to_string(i) + " " + std::string(80, 'W')
                     : "Entry " + std::to_string(i),
                "second", "");
  }
  return doc;
}

TEST(FitCheck, WholeDocumentStopsAtTheFirstTooWideEntry) {
  TSubtitle doc = Document(9, {3, 7});
  Recorder r;
  CheckAllEntriesFit(doc, r.state, r.sink, r.hooks);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].rfind("The string \rEntry 3 ", 0), 0u);
  // Settings are read afresh for every entry checked, and no further.
  EXPECT_EQ(r.reads, 3);
  EXPECT_EQ(r.emptied, 1);
  EXPECT_EQ(r.file_names, 0);
  EXPECT_FALSE(r.state.SubtitleLoaded);
  EXPECT_FALSE(r.state.SubtitleFits);
}

TEST(FitCheck, WholeDocumentPassesAndMarksItLoaded) {
  TSubtitle doc = Document(4, {});
  // The third text line is never measured, however long.
  doc.AddLine("9000", "9500", "fine", "", std::string(500, 'W'));
  Recorder r;
  CheckAllEntriesFit(doc, r.state, r.sink, r.hooks);
  EXPECT_EQ(r.sink.messages,
            std::vector<std::string>{"Subtitle Style Modified/Loaded Successfully"});
  EXPECT_EQ(r.reads, 5);
  EXPECT_EQ(r.file_names, 1);
  EXPECT_TRUE(r.state.SubtitleLoaded);
  EXPECT_TRUE(r.state.SubtitleFits);
  // Again after a font change: the message again, each time.
  CheckAllEntriesFit(doc, r.state, r.sink, r.hooks);
  EXPECT_EQ(r.sink.messages.size(), 2u);
  EXPECT_EQ(r.file_names, 2);
}

TEST(FitCheck, CommandLineModeIsSilent) {
  TSubtitle doc = Document(3, {});
  Recorder r;
  r.state.CommandLineMode = true;
  CheckAllEntriesFit(doc, r.state, r.sink, r.hooks);
  EXPECT_TRUE(r.sink.messages.empty());
  EXPECT_EQ(r.file_names, 1);
  EXPECT_TRUE(r.state.SubtitleLoaded);
}

TEST(FitCheck, FontChangeToTooLargeKeepsTheDocumentLoaded) {
  TSubtitle doc = Document(5, {});
  Recorder r;
  CheckAllEntriesFit(doc, r.state, r.sink, r.hooks);
  ASSERT_TRUE(r.state.SubtitleLoaded);
  // Fifty points: "Entry 1" still fits but 20 letters W do not.
  doc.AddLine("9000", "9500", std::string(20, 'W'), "", "");
  r.font = Font(50);
  r.sink.messages.clear();
  CheckAllEntriesFit(doc, r.state, r.sink, r.hooks);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_NE(r.sink.messages[0].find("Please use a smaler font size."), std::string::npos);
  EXPECT_TRUE(r.state.SubtitleLoaded);
  EXPECT_FALSE(r.state.SubtitleFits);
  EXPECT_EQ(r.emptied, 0);
  // A smaller font passes again.
  r.font = Font(20);
  CheckAllEntriesFit(doc, r.state, r.sink, r.hooks);
  EXPECT_TRUE(r.state.SubtitleFits);
  EXPECT_EQ(r.sink.messages.back(), "Subtitle Style Modified/Loaded Successfully");
}

TEST(FitCheck, SettingsAreReadForEachEntry) {
  // Twenty letters W fit at 6 points but not at 50; the settings change to
  // 50 points from the third read on, so entry 3 is the first too wide.
  TSubtitle doc2;
  for (int i = 1; i <= 4; ++i) doc2.AddLine("0", "1", std::string(20, 'W'), "", "");
  Recorder r2;
  r2.hooks.ReadSettings = [&r2] {
    ++r2.reads;
    return r2.reads >= 3 ? Font(50) : Font(6);
  };
  CheckAllEntriesFit(doc2, r2.state, r2.sink, r2.hooks);
  EXPECT_EQ(r2.reads, 3);
  EXPECT_FALSE(r2.state.SubtitleLoaded);
}

TEST(FitCheck, EmptyDocumentAfterALoadStaysNotLoaded) {
  TSubtitle doc;
  Recorder r;
  CheckAllEntriesFit(doc, r.state, r.sink, r.hooks);
  EXPECT_TRUE(r.sink.messages.empty());
  EXPECT_FALSE(r.state.SubtitleLoaded);
  EXPECT_EQ(r.reads, 0);
  EXPECT_EQ(r.file_names, 0);
}

TEST(FitCheck, EmptyHooksAreSkipped) {
  TSubtitle doc = Document(2, {2});
  AppState state;
  CollectingMessageSink sink;
  CheckAllEntriesFit(doc, state, sink, FitCheckHooks{});
  EXPECT_EQ(sink.messages.size(), 1u);
  EXPECT_FALSE(state.SubtitleFits);
}

}  // namespace
}  // namespace kestrelpix
