#include "job/fit_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "job/load_action.h"
#include "render/glyph_coverage.h"
#include "render/line_wrap.h"
#include "render/measure.h"
#include "support/collecting_sink.h"
#include "support/temp_dir.h"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

using testing::CollectingMessageSink;
using testing::TempDir;

RenderSettings Font(int size = 20) {
  RenderSettings s;
  s.FontName = "Liberation Sans";
  s.FontSize = size;
  return s;
}

int Width(const std::string& text, const RenderSettings& s = Font()) {
  return MeasureLine(TestFonts(), text, s.FontName, s.FontSize, s.FontStyle, s.FontCharset).width;
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

// A front end that counts what the check asks of it.
struct Recorder : FrontEnd {
  CollectingMessageSink sink;
  AppState state;
  int emptied = 0;
  int file_names = 0;
  int reads = 0;
  RenderSettings font = Font();
  std::function<RenderSettings()> read = [this] { return font; };
  std::string wrapHint;

  RenderSettings ReadRenderSettings() override {
    ++reads;
    return read();
  }
  void ShowMessage(std::string_view text) override { sink.ShowMessage(text); }
  void Warn(std::string_view text) override { sink.Warn(text); }
  Fonts& GetFonts() override { return TestFonts(); }
  std::vector<std::string> events;
  void LoadStarted(const std::string& name) override { events.push_back("started " + name); }
  void LoadRefused() override {
    ++emptied;
    events.push_back("refused");
  }
  void AllEntriesFit() override {
    ++file_names;
    events.push_back("fit");
  }
  void LoadEnded() override { events.push_back("ended"); }
  // What the reader noted, as the command line shows it.
  void Loaded(const SubtitleDocument& doc, const std::vector<std::string>& notes) override {
    events.push_back("loaded " + std::to_string(doc.LineCount()) + " entries, " +
                     std::to_string(notes.size()) + " notes");
    for (const std::string& note : notes) sink.Warn(note);
  }
  std::string WrapHint() const override { return wrapHint; }
};

TEST(FitCheck, LimitIsBelowSixHundredEighty) {
  const std::string w679 = LineOfWidth(679);
  const std::string w680 = LineOfWidth(680);
  ASSERT_EQ(Width(w679), 679);
  ASSERT_EQ(Width(w680), 680);
  Recorder r;
  CheckEntryFits(w679, w679, r.font, r.state, r);
  EXPECT_TRUE(r.state.SubtitleFits);
  EXPECT_TRUE(r.sink.messages.empty());
  CheckEntryFits(w679, w680, r.font, r.state, r);
  EXPECT_FALSE(r.state.SubtitleFits);
  EXPECT_EQ(r.sink.messages.size(), 1u);
  CheckEntryFits(w680, "", r.font, r.state, r);
  EXPECT_FALSE(r.state.SubtitleFits);
  EXPECT_EQ(r.sink.messages.size(), 2u);
  // A fitting check sets the flag again.
  CheckEntryFits("short", "", r.font, r.state, r);
  EXPECT_TRUE(r.state.SubtitleFits);
}

// Far wider than the frame in few characters (50 x 28 pixels): quoted whole.
const std::string kWide(50, 'W');

TEST(FitCheck, MessageWhileLoadingEmptiesTheList) {
  const std::string wide = kWide;
  Recorder r;
  CheckEntryFits("fits", wide, r.font, r.state, r);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0],
            "The entry is too wide: 1400 pixels, and a line must stay under 680.\rfits\r" + wide +
                "\rPlease wrap long lines or use a smaller font size, or correct the subtitle and "
                "reload it.");
  EXPECT_EQ(r.emptied, 1);
  EXPECT_EQ(r.file_names, 0);
}

TEST(FitCheck, MessageAfterAFontChangeKeepsTheList) {
  const std::string wide = kWide;
  Recorder r;
  r.state.SubtitleLoaded = true;
  r.state.SubtitleFits = true;
  CheckEntryFits(wide, "", r.font, r.state, r);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  // An empty second line: nothing between the second and third carriage
  // return.
  EXPECT_EQ(r.sink.messages[0],
            "The entry is too wide: 1400 pixels, and a line must stay under "
            "680.\r" +
                wide + "\r\rPlease wrap long lines or use a smaller font size.");
  EXPECT_EQ(r.emptied, 0);
  EXPECT_TRUE(r.state.SubtitleLoaded);
  EXPECT_FALSE(r.state.SubtitleFits);
}

TEST(FitCheck, MessageQuotesFileTextAsUtf8) {
  Recorder r;
  // Windows-1252 "é" (E9) in a line that is not UTF-8.
  const std::string wide = kWide + "\xE9";
  CheckEntryFits(wide, "", r.font, r.state, r);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_NE(r.sink.messages[0].find(kWide + "\xC3\xA9\r"), std::string::npos);
}

TEST(FitCheck, MessageQuotesTheFirstHundredCharactersOfALongLine) {
  Recorder r;
  // 99 letters, then 2-byte "é" characters: the cut falls after the first
  // of them, never inside one.
  const std::string line = std::string(99, 'W') + std::string(20, '\xE9');
  CheckEntryFits(line, LineOfWidth(700), r.font, r.state, r);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  // 99 x 28 pixels for W and 20 x 15 for é.
  EXPECT_EQ(r.sink.messages[0],
            "The entry is too wide: 3072 pixels, and a line must stay under 680.\r" +
                std::string(99, 'W') + "\xC3\xA9…\r" + LineOfWidth(700).substr(0, 100) +
                "…\rPlease wrap long lines or use a smaller font size, or correct the subtitle "
                "and reload it.");
}

SubtitleDocument Document(int entries, std::initializer_list<int> too_wide) {
  SubtitleDocument doc;
  for (int i = 1; i <= entries; ++i) {
    bool wide = std::find(too_wide.begin(), too_wide.end(), i) != too_wide.end();
    doc.AddLine(i * 1000, i * 1000 + 500,
                wide ? "Entry " + std::to_string(i) + " " + std::string(80, 'W')
                     : "Entry " + std::to_string(i),
                "second", "");
  }
  return doc;
}

TEST(FitCheck, WholeDocumentStopsAtTheFirstTooWideEntry) {
  SubtitleDocument doc = Document(9, {3, 7});
  Recorder r;
  CheckAllEntriesFit(doc, r.state, r);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].rfind("Entry 3 is too wide: ", 0), 0u);
  EXPECT_NE(r.sink.messages[0].find("\rEntry 3 WWW"), std::string::npos);
  // Settings are read afresh for every entry checked, and no further.
  EXPECT_EQ(r.reads, 3);
  EXPECT_EQ(r.emptied, 1);
  EXPECT_EQ(r.file_names, 0);
  EXPECT_FALSE(r.state.SubtitleLoaded);
  EXPECT_FALSE(r.state.SubtitleFits);
}

TEST(FitCheck, WholeDocumentPassesAndMarksItLoaded) {
  SubtitleDocument doc = Document(4, {});
  // The third text line is never measured, however long.
  doc.AddLine(9000, 9500, "fine", "", std::string(500, 'W'));
  Recorder r;
  CheckAllEntriesFit(doc, r.state, r);
  // The front end hears that all fit; the check itself shows nothing.
  EXPECT_TRUE(r.sink.messages.empty());
  EXPECT_EQ(r.reads, 5);
  EXPECT_EQ(r.file_names, 1);
  EXPECT_TRUE(r.state.SubtitleLoaded);
  EXPECT_TRUE(r.state.SubtitleFits);
  // Again after a font change: told again, each time.
  CheckAllEntriesFit(doc, r.state, r);
  EXPECT_EQ(r.file_names, 2);
}

TEST(FitCheck, TheLoadTellsTheFrontEndWhatHappenedInOrder) {
  TempDir dir;
  const std::string good = dir.Write("good.srt", "1\n00:00:01,000 --> 00:00:02,000\nHi\n\n");
  const std::string wide =
      dir.Write("wide.srt", "1\n00:00:01,000 --> 00:00:02,000\n" + std::string(50, 'W') + "\n\n");
  std::unique_ptr<SubtitleDocument> doc;
  Recorder r;
  LoadSubtitleFile(good, doc, r.state, r);
  EXPECT_EQ(r.events, (std::vector<std::string>{"started " + good, "loaded 1 entries, 0 notes",
                                                "fit", "ended"}));
  EXPECT_TRUE(r.sink.messages.empty());
  EXPECT_TRUE(r.state.SubtitleLoaded);
  r.events.clear();
  LoadSubtitleFile(wide, doc, r.state, r);
  EXPECT_EQ(r.events, (std::vector<std::string>{"started " + wide, "loaded 1 entries, 0 notes",
                                                "refused", "ended"}));
  EXPECT_EQ(r.sink.messages.size(), 1u);
  EXPECT_FALSE(r.state.SubtitleLoaded);
  // No name: the load ends at once, nothing read.
  r.events.clear();
  LoadSubtitleFile("", doc, r.state, r);
  EXPECT_EQ(r.events, std::vector<std::string>{"started "});
}

TEST(FitCheck, FontChangeToTooLargeKeepsTheDocumentLoaded) {
  SubtitleDocument doc = Document(5, {});
  Recorder r;
  CheckAllEntriesFit(doc, r.state, r);
  ASSERT_TRUE(r.state.SubtitleLoaded);
  // Fifty points: "Entry 1" still fits but 20 letters W do not.
  doc.AddLine(9000, 9500, std::string(20, 'W'), "", "");
  r.font = Font(50);
  r.sink.messages.clear();
  CheckAllEntriesFit(doc, r.state, r);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].rfind("Entry 6 is too wide: ", 0), 0u);
  EXPECT_NE(r.sink.messages[0].find("or use a smaller font size."), std::string::npos);
  EXPECT_TRUE(r.state.SubtitleLoaded);
  EXPECT_FALSE(r.state.SubtitleFits);
  EXPECT_EQ(r.emptied, 0);
  // A smaller font passes again.
  r.font = Font(20);
  CheckAllEntriesFit(doc, r.state, r);
  EXPECT_TRUE(r.state.SubtitleFits);
  EXPECT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.file_names, 2);
}

TEST(FitCheck, SettingsAreReadForEachEntry) {
  // Twenty letters W fit at 6 points but not at 50; the settings change to
  // 50 points from the third read on, so entry 3 is the first too wide.
  SubtitleDocument doc2;
  for (int i = 1; i <= 4; ++i) doc2.AddLine(0, 1, std::string(20, 'W'), "", "");
  Recorder r2;
  r2.read = [&r2] { return r2.reads >= 3 ? Font(50) : Font(6); };
  CheckAllEntriesFit(doc2, r2.state, r2);
  EXPECT_EQ(r2.reads, 3);
  EXPECT_FALSE(r2.state.SubtitleLoaded);
}

TEST(FitCheck, EmptyDocumentAfterALoadStaysNotLoaded) {
  SubtitleDocument doc;
  Recorder r;
  CheckAllEntriesFit(doc, r.state, r);
  EXPECT_TRUE(r.sink.messages.empty());
  EXPECT_FALSE(r.state.SubtitleLoaded);
  EXPECT_EQ(r.reads, 0);
  EXPECT_EQ(r.file_names, 0);
}

TEST(FitCheck, AFrontEndWithoutListOrFileNameBoxStillGetsTheRefusal) {
  struct SettingsOnly : FrontEnd {
    CollectingMessageSink sink;
    RenderSettings ReadRenderSettings() override { return Font(); }
    Fonts& GetFonts() override { return TestFonts(); }
    void ShowMessage(std::string_view text) override { sink.ShowMessage(text); }
  } frontEnd;
  SubtitleDocument doc = Document(2, {2});
  AppState state;
  CheckAllEntriesFit(doc, state, frontEnd);
  EXPECT_EQ(frontEnd.sink.messages.size(), 1u);
  EXPECT_FALSE(state.SubtitleFits);
}

// ---- wrapping --------------------------------------------------------------
// Liberation Sans at 20 points, no kerning: "W" 28, "a" 15, blank 8 pixels,
// so "WWWW" is 112 and n such words with blanks between are 120 n - 8.

std::string Words(int n, const std::string& word = "WWWW") {
  std::string text;
  for (int i = 0; i < n; ++i) text += (i > 0 ? " " : "") + word;
  return text;
}

SubtitleEntry Entry(std::string t1, std::string t2, std::string t3 = "") {
  return SubtitleEntry{0, 1000, std::move(t1), std::move(t2), std::move(t3)};
}

RenderSettings Wrapping() {
  RenderSettings s = Font();
  s.WrapLines = true;
  return s;
}

TEST(LineWrap, WidthsOfTheHandWorkedCases) {
  ASSERT_EQ(Width("W"), 28);
  ASSERT_EQ(Width("a"), 15);
  ASSERT_EQ(Width(" "), 8);
  ASSERT_EQ(Width(Words(10)), 1192);
}

using Lines = std::vector<std::string>;

Lines LaidOut(const SubtitleEntry& e, const RenderSettings& s) {
  return LayOutLines(TestFonts(), EntryTextLines(e), s);
}

TEST(LineWrap, EntriesAreLaidOutAsWrittenAndBrokenEvenly) {
  const std::string thirty(30, 'W');
  struct Case {
    const char* what;
    SubtitleEntry entry;
    bool wrap;
    Lines expected;
  };
  const Case cases[] = {
      {"without wrapping: the first two lines as they are",
       Entry(Words(10), "second", Words(2)),
       false,
       {Words(10), "second"}},
      {"1192 pixels: five and five words, 592 | 592",
       Entry(Words(10), ""),
       true,
       {Words(5), Words(5)}},
      {"nine words: 592 | 472 or 472 | 592; the upper line takes more",
       Entry(Words(9), ""),
       true,
       {Words(5), Words(4)}},
      {"twelve words: 1432 pixels, three lines of four (472)",
       Entry(Words(12), ""),
       true,
       {Words(4), Words(4), Words(4)}},
      {"eleven words: three lines, 472 | 472 | 352",
       Entry(Words(11), ""),
       true,
       {Words(4), Words(4), Words(3)}},
      {"each written line in its own line, a too wide one broken (472 | 352)",
       Entry(Words(7), "aaaa"),
       true,
       {Words(4), Words(3), "aaaa"}},
      {"blanks at a break are not drawn; runs of blanks are one break",
       Entry(Words(5) + "   " + Words(5) + "  ", ""),
       true,
       {Words(5), Words(5)}},
      {"three short lines stay three lines",
       Entry("- Hi.", "- Hello.", "- Who's there?"),
       true,
       {"- Hi.", "- Hello.", "- Who's there?"}},
      {"two lines that fit are kept however uneven",
       Entry("WWWW", Words(5)),
       true,
       {"WWWW", Words(5)}},
      {"an empty entry", Entry("", ""), true, {"", ""}},
      {"after a one-line entry the third slot is not its text",
       Entry("Hello", "", "2"),
       true,
       {"Hello", ""}},
      {"one run without a break stays whole (840 pixels)", Entry(thirty, ""), true, {thirty, ""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LaidOut(c.entry, c.wrap ? Wrapping() : Font()), c.expected) << c.what;
  }
}

TEST(LineWrap, LinesTheReaderKeepsBeyondTwoAreDrawnWhenWrapping) {
  // Entry 1 has three lines of two words; entry 2 has text after a blank
  // line; entry 3 is a one-line entry followed by its neighbour's counter.
  const std::string srt =
      "1\n00:00:01,000 --> 00:00:02,000\n" + Words(2) + "\n" + Words(2) + "\n" + Words(2) +
      "\n\n2\n00:00:03,000 --> 00:00:04,000\nWWWW\n\nafter a blank\n\n"
      "3\n00:00:05,000 --> 00:00:06,000\nHello\n\n4\n00:00:07,000 --> 00:00:08,000\nBye\n";
  SubtitleDocument doc;
  CollectingMessageSink sink;
  doc.LoadSubtitleBytes(srt, ".srt", true, sink);
  ASSERT_EQ(doc.LineCount(), 4);
  const auto laid = [&doc](int entry, const RenderSettings& s) {
    return LayOutLines(TestFonts(), EntryTextLines(doc, entry), s);
  };
  EXPECT_EQ(laid(1, Font()), (Lines{Words(2), Words(2)}));
  EXPECT_EQ(laid(1, Wrapping()), (Lines{Words(2), Words(2), Words(2)}));
  EXPECT_EQ(laid(2, Wrapping()), (Lines{"WWWW", "after a blank"}));
  EXPECT_EQ(laid(3, Wrapping()), (Lines{"Hello", ""}));
  EXPECT_EQ(EntryTextLines(doc, 3).size(), 2u);
}

TEST(LineWrap, TheLoadNamesOnlyTextThatWrappingLeavesUndrawn) {
  // Entries 1 and 2: three lines, all drawn with wrapping. Entry 3: text
  // after a blank line, drawn too. Entry 4: a time line the reader had to
  // drop, text no wrapping can bring back.
  const std::string srt =
      "1\n00:00:01,000 --> 00:00:02,000\n" + Words(2) + "\n" + Words(2) + "\n" + Words(2) +
      "\n\n2\n00:00:03,000 --> 00:00:04,000\n" + Words(4) + "\n" + Words(4) + "\n" + Words(4) +
      "\n\n3\n00:00:05,000 --> 00:00:06,000\nWWWW\n\nafter a blank\n\n"
      "4\n00:00:07,000 --> 00:00:08,000\nHi\n\n00:00:09,000 --> 00:00:10,000\nLost\n";
  TempDir dir;
  const std::string path = dir.Write("film.srt", srt);
  const std::string notDrawn =
      " hold text after their first two lines (a third line, or text after a blank line), "
      "which is not drawn: entries ";
  for (const bool wrap : {false, true}) {
    Recorder r;
    r.font = wrap ? Wrapping() : Font();
    std::unique_ptr<SubtitleDocument> doc;
    LoadSubtitleFile(path, doc, r.state, r);
    ASSERT_EQ(doc->LineCount(), 4);
    ASSERT_EQ(r.sink.warnings.size(), 1u) << ::testing::PrintToString(r.sink.warnings);
    if (wrap) {
      EXPECT_NE(r.sink.warnings[0].find("4"), std::string::npos) << r.sink.warnings[0];
      EXPECT_EQ(r.sink.warnings[0].find("1, 2"), std::string::npos) << r.sink.warnings[0];
    } else {
      EXPECT_EQ(r.sink.warnings[0], "4 entries" + notDrawn + "1, 2, 3, 4.");
    }
  }
}

TEST(LineWrap, WrappedRefusalsNameTheEntry) {
  // Thirty W are one run of 840 pixels with nowhere to break. Sixteen lines
  // of a frame of 576 rows: 15 steps of 35 rows and a line of 31 make 556,
  // and the last line's place lies 35 rows above the bottom edge, so the
  // first line would start above the frame (fifteen lines fit: row 20).
  std::string sixteen = "1\n00:00:01,000 --> 00:00:02,000\n";
  std::string quoted;
  for (int i = 1; i <= 16; ++i) {
    sixteen += "line " + std::to_string(i) + "\n";
    quoted += "line " + std::to_string(i) + "\r";
  }
  std::string fifteen = sixteen.substr(0, sixteen.rfind("line 16"));
  struct Case {
    std::string srt;
    std::string message;  // empty: the entry fits
  };
  const Case cases[] = {
      {"1\n00:00:00,000 --> 00:00:01,000\nfits\n\n2\n00:00:01,000 --> 00:00:02,000\n" +
           std::string(30, 'W') + "\n",
       "Entry 2 is too wide: 840 pixels, and a line must stay under 680.\r" + std::string(30, 'W') +
           "\r\rEven wrapped it is too wide: a part of it has no place to break. Please use a "
           "smaller font size, or correct the subtitle and reload it."},
      {sixteen,
       "Entry 1 is too tall: its 16 lines take 556 rows, more than the 576-row frame "
       "holds where it is placed.\r" +
           quoted +
           "Please use a smaller font size or a smaller line spacing, or correct the "
           "subtitle and reload it."},
      {fifteen, ""},
  };
  for (const Case& c : cases) {
    Recorder r;
    r.font = Wrapping();
    SubtitleDocument doc;
    CollectingMessageSink sink;
    doc.LoadSubtitleBytes(c.srt, ".srt", true, sink);
    CheckAllEntriesFit(doc, r.state, r);
    EXPECT_EQ(r.state.SubtitleLoaded, c.message.empty());
    if (c.message.empty()) {
      EXPECT_TRUE(r.sink.messages.empty()) << ::testing::PrintToString(r.sink.messages);
    } else {
      ASSERT_EQ(r.sink.messages.size(), 1u);
      EXPECT_EQ(r.sink.messages[0], c.message);
    }
  }
}

TEST(LineWrap, WrappingMakesARefusedDocumentPass) {
  SubtitleDocument doc;
  doc.AddLine(0, 1000, Words(10), "", "");
  doc.AddLine(1000, 2000, Words(7), "aaaa", "");
  Recorder r;
  r.wrapHint = "--wrap";
  CheckAllEntriesFit(doc, r.state, r);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0],
            "Entry 1 is too wide: 1192 pixels, and a line must stay under 680.\r" + Words(10) +
                "\r\rPlease wrap long lines (--wrap) or use a smaller font size, or correct the "
                "subtitle and reload it.");
  Recorder w;
  w.font = Wrapping();
  CheckAllEntriesFit(doc, w.state, w);
  EXPECT_TRUE(w.state.SubtitleLoaded);
  EXPECT_TRUE(w.sink.messages.empty());
  EXPECT_EQ(w.file_names, 1);
}

TEST(FitCheck, MessageQuotesTheTextAsTheCharsetReadsIt) {
  // "Привет " in Windows-1251, eight times: too wide at 20 points.
  std::string line;
  for (int i = 0; i < 8; ++i) line += "\xCF\xF0\xE8\xE2\xE5\xF2 ";
  Recorder r;
  r.font.FontCharset = 204;  // RUSSIAN
  CheckEntryFits(line, "", r.font, r.state, r);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_NE(r.sink.messages[0].find("\r\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 "),
            std::string::npos);
  // Not as Windows-1252 ("Ïðèâåò").
  EXPECT_EQ(r.sink.messages[0].find("\xC3\x8F\xC3\xB0"), std::string::npos);
}

// ---- glyphs no font has ------------------------------------------------------

TEST(MissingGlyphs, CharactersWithoutAGlyphAreCollected) {
  std::set<char32_t> missing;
  // U+10FFFD (private use, plane 16) has no glyph in any installed font;
  // Latin, Hangul (fonts-wqy-microhei) and Hebrew have.
  CollectMissingGlyphs(TestFonts(), "a \xF4\x8F\xBF\xBD b \xEA\xB0\x80 \xD7\x90", Font(), missing);
  EXPECT_EQ(missing, std::set<char32_t>{0x10FFFD});
  // Blanks, controls and U+FFFD are never reported.
  missing.clear();
  CollectMissingGlyphs(TestFonts(), "\t\xEF\xBF\xBD\xE2\x80\x8F\xC2\xA0", Font(), missing);
  EXPECT_TRUE(missing.empty());
}

TEST(MissingGlyphs, OneWarningNamesCodesAndPackages) {
  EXPECT_EQ(MissingGlyphsWarning({}), "");
  EXPECT_EQ(MissingGlyphsWarning({0x1F600}),
            "No installed font has a glyph for 1 character of this subtitle (U+1F600); it is "
            "drawn as a box. Installing fonts-symbola (Debian package) gives the glyphs.");
  EXPECT_EQ(MissingGlyphsWarning({0x4E2D, 0xAC00}),
            "No installed font has a glyph for 2 characters of this subtitle (U+4E2D U+AC00); "
            "they are drawn as boxes. Installing fonts-noto-cjk (Debian package) gives the "
            "glyphs.");
  std::set<char32_t> many;
  for (char32_t c = 0x10FF00; c < 0x10FF0E; ++c) many.insert(c);
  many.insert(0x0E01);
  const std::string text = MissingGlyphsWarning(many);
  EXPECT_NE(text.find("for 15 characters"), std::string::npos);
  EXPECT_NE(text.find("(U+0E01 U+10FF00 "), std::string::npos);
  EXPECT_NE(text.find(" U+10FF0A and 3 more)"), std::string::npos);
  EXPECT_NE(text.find("Installing fonts-thai-tlwg and fonts-noto-core "), std::string::npos);
  EXPECT_EQ(FontPackageFor(0x3042), std::string("fonts-noto-cjk"));
  EXPECT_EQ(FontPackageFor(0x1F600), std::string("fonts-symbola"));
}

TEST(MissingGlyphs, TheLoadWarnsOnceAndAFontChangeDoesNot) {
  SubtitleDocument doc;
  doc.AddLine(0, 1000, "a \xF4\x8F\xBF\xBD", "", "");
  doc.AddLine(1000, 2000, "\xF4\x8F\xBF\xBD b", "\xF4\x8F\xBF\xBC", "");
  Recorder r;
  CheckAllEntriesFit(doc, r.state, r);
  ASSERT_EQ(r.sink.warnings.size(), 1u);
  EXPECT_NE(r.sink.warnings[0].find("2 characters of this subtitle (U+10FFFC U+10FFFD)"),
            std::string::npos);
  EXPECT_TRUE(r.state.SubtitleLoaded);
  CheckAllEntriesFit(doc, r.state, r);
  EXPECT_EQ(r.sink.warnings.size(), 1u);
}

}  // namespace
}  // namespace kestrelpix
