// Line breaking, the lines an entry is laid out in, and where the lines of
// the entries of one sub-picture are placed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "render/line_break.h"
#include "render/line_wrap.h"
#include "render/rasterizer.h"
#include "render/subpicture.h"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

constexpr uint8_t kUtf8 = 1;

RenderSettings Wrapping(int size = 20) {
  RenderSettings s;
  s.FontName = "Liberation Sans";
  s.FontSize = size;
  s.WrapLines = true;
  return s;
}

TEST(LineBreak, OpportunitiesAreCharacterStartsInTheFilesCharset) {
  struct Case {
    const char* what;
    std::string bytes;
    uint8_t charset;
    std::vector<size_t> expected;
  };
  const Case cases[] = {
      {"after blanks", "Hello big world", kUtf8, {6, 10}},
      {"between Chinese characters, three bytes each",
       "\xE4\xBD\xA0\xE5\xA5\xBD\xE4\xB8\x96\xE7\x95\x8C",
       kUtf8,
       {3, 6, 9}},
      {"never before a fullwidth comma: 你好，世界",
       "\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C\xE4\xB8\x96\xE7\x95\x8C",
       kUtf8,
       {3, 9, 12}},
      {"the same Chinese in GBK, two bytes each",
       "\xC4\xE3\xBA\xC3\xCA\xC0\xBD\xE7",
       134,
       {2, 4, 6}},
      {"こんにちは in Shift-JIS", "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD", 128, {2, 4, 6, 8}},
      {"Thai words by dictionary: สวัสดี|ครับ",
       "\xE0\xB8\xAA\xE0\xB8\xA7\xE0\xB8\xB1\xE0\xB8\xAA\xE0\xB8\x94\xE0\xB8\xB5"
       "\xE0\xB8\x84\xE0\xB8\xA3\xE0\xB8\xB1\xE0\xB8\x9A",
       kUtf8,
       {18}},
      {"Привет мир in Windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0", 204, {7}},
      {"no opportunity in one word", "Lighthouse", kUtf8, {}},
      {"nothing in nothing", "", kUtf8, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineBreakOffsets(c.bytes, c.charset), c.expected) << c.what;
  }
}

std::string Repeat(const std::string& text, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += text;
  return out;
}

std::string WithoutBlanks(const std::vector<std::string_view>& lines) {
  std::string out;
  for (std::string_view line : lines) {
    for (char c : line) {
      if (c != ' ') out += c;
    }
  }
  return out;
}

TEST(LineBreak, LongLinesBreakIntoTheFewestEvenPieces) {
  struct Case {
    const char* what;
    std::string line;
    uint8_t charset;
    size_t pieces;
    int slack;  // the widest piece is at most this much wider than the narrowest
  };
  // At 20 points a Chinese or Japanese character is 27 pixels wide (25 fit
  // under 680), ภาษาไทย ("Thai language") with its blank 118 (five fit) and
  // "harbour " 101 (six fit):
  //  - 48 Chinese characters (1296): two pieces of 24;
  //  - 80 in GBK (2160): three would need 720 each, so four of 20;
  //  - 75 kana in Shift-JIS (2025): three of 25 (675);
  //  - 20 Thai words (2360): four of five;
  //  - 25 Latin words: four pieces hold at most 24, so five, and five of five
  //    rather than four of six and one of one.
  const Case cases[] = {
      {"Chinese", Repeat("\xE4\xBD\xA0\xE5\xA5\xBD\xE4\xB8\x96\xE7\x95\x8C", 12), kUtf8, 2, 0},
      {"Chinese in GBK", Repeat("\xC4\xE3\xBA\xC3\xCA\xC0\xBD\xE7", 20), 134, 4, 0},
      {"Japanese in Shift-JIS", Repeat("\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD", 15), 128, 3, 0},
      {"Thai",
       Repeat("\xE0\xB8\xA0\xE0\xB8\xB2\xE0\xB8\xA9\xE0\xB8\xB2\xE0\xB9\x84\xE0\xB8\x97"
              "\xE0\xB8\xA2 ",
              20),
       kUtf8, 4, 0},
      {"Latin", Repeat("harbour ", 25), kUtf8, 5, 0},
  };
  for (const Case& c : cases) {
    RenderSettings s = Wrapping();
    s.FontCharset = c.charset;
    const std::vector<std::string_view> pieces = BreakLine(TestFonts(), c.line, s);
    EXPECT_EQ(pieces.size(), c.pieces) << c.what;
    EXPECT_EQ(WithoutBlanks(pieces), WithoutBlanks({c.line})) << c.what;
    int widest = 0;
    int narrowest = FitLimit;
    for (std::string_view piece : pieces) {
      const int w = LineWidth(TestFonts(), piece, s);
      widest = std::max(widest, w);
      narrowest = std::min(narrowest, w);
      EXPECT_NE(piece.back(), ' ') << c.what;
    }
    EXPECT_LT(widest, FitLimit) << c.what;
    EXPECT_LE(widest - narrowest, c.slack) << c.what;
  }
}

bool SameFrame(const IndexFrame& a, const IndexFrame& b) {
  if (a.width() != b.width() || a.height() != b.height() || a.colors() != b.colors()) return false;
  for (int y = 0; y < a.height(); ++y) {
    if (!std::equal(a.Row(y), a.Row(y) + a.width(), b.Row(y))) return false;
  }
  return true;
}

using Row = std::tuple<std::string, std::string, int>;  // text, align, row

std::vector<Row> Rows(const PictureLayout& layout) {
  std::vector<Row> rows;
  for (const PlacedLine& line : layout.Lines) {
    rows.emplace_back(std::string(line.Text), line.Align, line.Y);
  }
  return rows;
}

TEST(Subpicture, LinesArePlacedByTheFormulas) {
  // Frame 576 rows, H 31, LineSpacing -4 (a step of 35), BottomOffset 30:
  // a bottom block's last line at 576 - 40 - 30 + 4 = 510; the edge
  // distance 40 + 30 - 4 - 31 = 35; a band of n lines n 31 + (n - 1) 4 + 6.
  using Lines = std::vector<std::string>;
  const Placement bottom;
  const Placement top{8, -1};
  const Placement middle{5, -1};
  struct Case {
    const char* what;
    std::vector<Lines> lines;
    std::vector<Placement> places;
    std::vector<Row> expected;
    Band band;
    std::vector<size_t> cut;
  };
  const Case cases[] = {
      {"two lines as always",
       {{"a", "b"}},
       {bottom},
       {{"a", "center", 475}, {"b", "center", 510}},
       {474, 72},
       {}},
      {"three lines grow upward",
       {{"a", "b", "c"}},
       {bottom},
       {{"a", "center", 440}, {"b", "center", 475}, {"c", "center", 510}},
       {440, 107},
       {}},
      {"four lines",
       {{"a", "b", "c", "d"}},
       {bottom},
       {{"a", "center", 405}, {"b", "center", 440}, {"c", "center", 475}, {"d", "center", 510}},
       {404, 142},
       {}},
      {"a top entry leaves out its empty line, 35 rows below the top",
       {{"sign", ""}},
       {top},
       {{"sign", "center", 35}},
       {34, 37},
       {}},
      {"a sign at the top over dialogue at the bottom",
       {{"hello", ""}, {"sign", ""}},
       {Placement{1, -1}, Placement{9, -1}},
       {{"hello", "left", 475}, {"", "left", 510}, {"sign", "right", 35}},
       {34, 512},
       {}},
      {"a later bottom entry goes above the first",
       {{"first", ""}, {"l1", "l2"}},
       {bottom, bottom},
       {{"l1", "center", 405},
        {"l2", "center", 440},
        {"first", "center", 475},
        {"", "center", 510}},
       {404, 142},
       {}},
      {"a later top entry goes below the first",
       {{"one", ""}, {"two", ""}},
       {top, top},
       {{"one", "center", 35}, {"two", "center", 70}},
       {34, 72},
       {}},
      {"a middle block is centred: (576 - 66) / 2",
       {{"m1", "m2"}},
       {middle},
       {{"m1", "center", 255}, {"m2", "center", 290}},
       {254, 72},
       {}},
      {"MarginV 100 is 57 rows to the block's bottom edge",
       {{"x", "y"}},
       {Placement{2, 100}},
       {{"x", "center", 453}, {"y", "center", 488}},
       {452, 72},
       {}},
      {"entries too tall together: the upper one is cut",
       {{"1", "2", "3", "4", "5", "6", "7", "8"}, {"1", "2", "3", "4", "5", "6", "7", "8"}},
       {bottom, bottom},
       {{"1", "center", -15},
        {"2", "center", 20},
        {"3", "center", 55},
        {"4", "center", 90},
        {"5", "center", 125},
        {"6", "center", 160},
        {"7", "center", 195},
        {"8", "center", 230},
        {"1", "center", 265},
        {"2", "center", 300},
        {"3", "center", 335},
        {"4", "center", 370},
        {"5", "center", 405},
        {"6", "center", 440},
        {"7", "center", 475},
        {"8", "center", 510}},
       {-16, 562},
       {1}},
  };
  RenderSettings s;
  for (const Case& c : cases) {
    const PictureLayout layout = PlaceEntries(c.lines, c.places, 31, s, 576);
    EXPECT_EQ(Rows(layout), c.expected) << c.what;
    EXPECT_EQ(layout.FormulaBand, c.band) << c.what;
    EXPECT_EQ(layout.Cut, c.cut) << c.what;
  }
}

TEST(Subpicture, OneEntryAtTheBottomIsTheTwoLineFrame) {
  RenderSettings plain;
  RenderSettings big = Wrapping(50);
  big.Align = "left";
  big.Fps = "29.970";
  RenderSettings thai = Wrapping();
  thai.FontName = "Garuda";
  struct Case {
    std::string line1, line2;
    RenderSettings s;
  };
  const Case cases[] = {
      {"Hello there", "General Kenobi", plain},
      {"Hello there", "", Wrapping()},
      {"", "", Wrapping()},
      {"Harbour |gj", "WWq", big},
      // Marks stacked above the line widen the band.
      {"\xE0\xB8\x81\xE0\xB8\xB5\xE0\xB9\x88", "\xE0\xB8\x99\xE0\xB9\x89\xE0\xB8\xB3", thai},
  };
  for (const Case& c : cases) {
    IndexFrame expected;
    IndexFrame drawn;
    const Band want = RenderFrame(TestFonts(), c.line1, c.line2, c.s, expected);
    EXPECT_EQ(RenderSubpicture(TestFonts(), {ShownEntry{{c.line1, c.line2}, {}}}, c.s, drawn), want)
        << c.line1;
    EXPECT_TRUE(SameFrame(drawn, expected)) << c.line1;
  }
  IndexFrame expected;
  IndexFrame drawn;
  EXPECT_EQ(RenderSubpicture(TestFonts(), {}, plain, drawn),
            RenderFrame(TestFonts(), "", "", plain, expected));
  EXPECT_TRUE(SameFrame(drawn, expected));
}

TEST(Subpicture, ASignAtTheTopAndDialogueAtTheBottomAreBothDrawn) {
  const RenderSettings s = Wrapping();
  IndexFrame frame;
  std::vector<size_t> cut = {7};
  const Band band = RenderSubpicture(
      TestFonts(),
      {ShownEntry{{"- Hi.", "- Hello.", "- Who's there?"}, {}}, ShownEntry{{"SIGN"}, {8, -1}}}, s,
      frame, &cut);
  EXPECT_TRUE(cut.empty());
  // Text rows: the sign's cell at 35 to 66, the dialogue's at 440 to 541.
  const auto text_rows = [&frame](int from, int to) {
    int rows = 0;
    for (int y = from; y < to; ++y) {
      const uint8_t* row = frame.Row(y);
      rows += std::any_of(row, row + frame.width(), [](uint8_t v) { return v == 1; });
    }
    return rows;
  };
  EXPECT_GT(text_rows(35, 66), 15);
  EXPECT_EQ(text_rows(0, 30) + text_rows(72, 436), 0);
  EXPECT_GT(text_rows(440, 471), 15);
  EXPECT_GT(text_rows(475, 506), 15);
  EXPECT_GT(text_rows(510, 541), 15);
  EXPECT_EQ(band.BandTop, 34);
  EXPECT_EQ(band.BandTop + band.BandHeight, 440 + 107);
}

}  // namespace
}  // namespace kestrelpix
