#include "app/command_line.h"

#include <gtest/gtest.h>

#include <random>

#include "base/errors.h"
#include "render/font_tables.h"
#include "support/persisted_lists.h"
#include "support/run_command.h"
#include "vobsub/palette.h"

namespace kestrelpix {
namespace {

std::vector<std::string> Args(const std::string& line) { return SplitBatchLine(line); }

TEST(CommandLine, DetectionNeedsFifteenAcceptableParameters) {
  const std::vector<std::string> good = {"/m.srt", "0", "4", "0", "14", "0", "30", "-4",
                                         "1",      "1", "0", "2", "41", "2", "2"};
  EXPECT_TRUE(DetectCommandLine(good));
  EXPECT_EQ(DetectCommandLine(good)->Wrap, "");
  // The sixteenth is wrapping; any after it are ignored.
  auto extra = good;
  extra.push_back("1");
  extra.push_back("ignored");
  ASSERT_TRUE(DetectCommandLine(extra));
  EXPECT_EQ((*DetectCommandLine(extra))[14], "2");
  EXPECT_EQ(DetectCommandLine(extra)->Wrap, "1");
  EXPECT_FALSE(DetectCommandLine(std::vector<std::string>(good.begin(), good.end() - 1)));
  auto placeholder = good;
  placeholder[2] = "fontcharset";
  EXPECT_FALSE(DetectCommandLine(placeholder));
  auto empty = good;
  empty[9] = "";
  EXPECT_FALSE(DetectCommandLine(empty));
  // Case matters: FILENAME is a file name.
  auto upper = good;
  upper[0] = "FILENAME";
  EXPECT_TRUE(DetectCommandLine(upper));
  auto word = good;
  word[0] = "filename";
  EXPECT_FALSE(DetectCommandLine(word));
}

TEST(CommandLine, ConversionClampsSlidersAndReadsPaletteCodes) {
  CommandLineValues v = {
      {"/m.srt", "0", "4", "0", "14", "0", "500", "-20", "1", "1", "0", "2", "41", "2", "7"}, ""};
  ControlPositions p = PositionsFromCommandLine(v);
  EXPECT_EQ(p.BottomOffset, 492);
  EXPECT_EQ(p.LineSpacing, -14);
  EXPECT_EQ(p.Palette, PaletteMode::SafePalette);  // anything but 0, 1, 2
  EXPECT_EQ(p.WrapLines, std::nullopt);            // fifteen parameters: not said
  for (const auto& [wrap, wraps] : {std::pair{"1", true}, std::pair{"0", false}}) {
    v.Wrap = wrap;
    EXPECT_EQ(SettingsFromPositions(PositionsFromCommandLine(v), FontList()).WrapLines, wraps);
  }
  v.Wrap = "2";
  EXPECT_THROW(PositionsFromCommandLine(v), Error);
  v.Wrap = "";
  v[14] = "0";
  EXPECT_EQ(PositionsFromCommandLine(v).Palette, PaletteMode::PcOnly);
  v[14] = "1";
  EXPECT_EQ(PositionsFromCommandLine(v).Palette, PaletteMode::DvdOnly);
  v[14] = "2";
  EXPECT_EQ(PositionsFromCommandLine(v).Palette, PaletteMode::TwoPalettes);
  v[4] = "fourteen";
  try {
    PositionsFromCommandLine(v);
    FAIL();
  } catch (const ConvertError& e) {
    EXPECT_STREQ(e.what(), "'fourteen' is not a valid integer value");
  }
}

TEST(CommandLine, DefaultBatchLine) {
  ControlPositions defaults;
  // The PC palette; wrapping written only when the positions give it.
  EXPECT_EQ(BatchLine("/opt/kp/", "/films/My Movie.srt", defaults),
            "'/opt/kp/kestrelpix' '/films/My Movie.srt' 0 4 0 14 0 30 -4 1 1 0 2 41 2 0");
  defaults.WrapLines = true;
  EXPECT_EQ(BatchLine("/opt/kp/", "/f.srt", defaults),
            "'/opt/kp/kestrelpix' '/f.srt' 0 4 0 14 0 30 -4 1 1 0 2 41 2 0 1");
  defaults.WrapLines = std::nullopt;
  const RenderSettings s = SettingsFromPositions(defaults, FontList());
  EXPECT_EQ(s.FontName, "Arial");
  EXPECT_EQ(s.FontSize, 20);
  EXPECT_EQ(s.FontCharset, 1);
  EXPECT_EQ(s.Align, "center");
  EXPECT_EQ(s.OutlineWidth, 3);
  EXPECT_EQ(s.Language, "el GREEK");
  EXPECT_EQ(s.Fps, "25.000");
  EXPECT_EQ(s.AntialiasColor, MakeColor(128, 128, 128));
  EXPECT_EQ(s.OutlineColor, MakeColor(0, 0, 0));
  EXPECT_EQ(s.TextColor, MakeColor(255, 255, 255));
}

TEST(CommandLine, BatchLinesReadBackToTheSameSettings) {
  std::mt19937 random(1234);
  const int fonts = static_cast<int>(FontList().size());
  const auto sizeOf = [](const char* list) {
    return static_cast<int>(testing::PersistedList(list).size());
  };
  const int styles = sizeOf("font_styles"), sizes = sizeOf("font_sizes"), aligns = sizeOf("aligns");
  const int outlines = sizeOf("outline_widths"), languages = sizeOf("languages");
  const int fps = sizeOf("fps");
  for (int i = 0; i < 500; ++i) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    ControlPositions p;
    p.FontName = pick(fonts);
    p.FontCharset = pick(19);
    p.FontStyle = pick(styles);
    p.FontSize = pick(sizes);
    p.Align = pick(aligns);
    p.BottomOffset = 8 + pick(485);
    p.LineSpacing = -14 + 2 * pick(13);
    p.OutlineWidth = pick(outlines);
    p.Palette = static_cast<PaletteMode>(pick(4));
    const int colors = static_cast<int>(ColorListFor(p.Palette).size());
    p.AntialiasColor = pick(colors);
    p.OutlineColor = pick(colors);
    p.TextColor = pick(colors);
    p.Language = pick(languages);
    p.Fps = pick(fps);
    const int wrap = pick(3);
    if (wrap < 2) p.WrapLines = wrap == 1;
    const std::string path = i % 2 ? "/tmp/a b/c \"d\".srt" : "/tmp/plain.srt";
    std::string line = BatchLine("/usr/bin/", i % 2 ? "/tmp/a b/c.srt" : path, p);
    if (i % 3 == 0) line += "\r";  // a line with a Windows line end
    std::vector<std::string> args = Args(line);
    ASSERT_EQ(args.size(), p.WrapLines ? 17u : 16u) << line;
    EXPECT_EQ(args[0], "/usr/bin/kestrelpix");
    args.erase(args.begin());
    const auto values = DetectCommandLine(args);
    ASSERT_TRUE(values) << line;
    ControlPositions back = PositionsFromCommandLine(*values);
    ColorPositionsFromCommandLine(*values, back);
    EXPECT_EQ(back, p) << line;
    EXPECT_EQ((*values)[0], i % 2 ? "/tmp/a b/c.srt" : path);
  }
}

// Every position of every list a batch line names gives that list's
// persisted entry, and the position after the last is refused.
TEST(CommandLine, PositionsGiveThePersistedEntries) {
  using Read = std::string (*)(const RenderSettings&);
  const struct {
    const char* list;
    int ControlPositions::*position;
    Read read;
  } lists[] = {
      {"languages", &ControlPositions::Language,
       [](const RenderSettings& s) { return s.Language; }},
      {"fps", &ControlPositions::Fps, [](const RenderSettings& s) { return s.Fps; }},
      {"aligns", &ControlPositions::Align, [](const RenderSettings& s) { return s.Align; }},
      {"outline_widths", &ControlPositions::OutlineWidth,
       [](const RenderSettings& s) { return std::to_string(s.OutlineWidth); }},
      {"font_sizes", &ControlPositions::FontSize,
       [](const RenderSettings& s) { return std::to_string(s.FontSize); }},
      {"font_styles", &ControlPositions::FontStyle,
       [](const RenderSettings& s) { return std::to_string(s.FontStyle); }},
  };
  for (const auto& l : lists) {
    const std::vector<std::string> entries = testing::PersistedList(l.list);
    for (size_t i = 0; i < entries.size(); ++i) {
      ControlPositions p;
      p.*l.position = static_cast<int>(i);
      const std::string expected = l.position == &ControlPositions::FontStyle
                                       ? std::to_string(StyleFromName(entries[i]))
                                       : entries[i];
      EXPECT_EQ(l.read(SettingsFromPositions(p, FontList())), expected) << l.list << " " << i;
    }
    ControlPositions p;
    p.*l.position = static_cast<int>(entries.size());
    EXPECT_THROW(SettingsFromPositions(p, FontList()), Error) << l.list;
  }
  for (const auto& [mode, list] : {std::pair{PaletteMode::PcOnly, "standard_colors"},
                                   std::pair{PaletteMode::SafePalette, "safe_colors"}}) {
    const std::vector<testing::PersistedColor> colors = testing::PersistedColorList(list);
    for (size_t i = 0; i < colors.size(); ++i) {
      ControlPositions p;
      p.Palette = mode;
      p.TextColor = p.OutlineColor = p.AntialiasColor = static_cast<int>(i);
      const RenderSettings s = SettingsFromPositions(p, FontList());
      EXPECT_EQ(s.TextColor, colors[i].value) << colors[i].name;
      EXPECT_EQ(s.OutlineColor, colors[i].value) << colors[i].name;
      EXPECT_EQ(s.AntialiasColor, colors[i].value) << colors[i].name;
    }
  }
}

// The words /bin/sh makes of a line, each ended by a NUL byte; anything the
// shell says on stderr follows them, so that it fails the comparison.
std::string ShellWords(const std::string& line) {
  testing::TempDir dir;
  const std::string script =
      dir.Write("words.sh", "for a in " + line + "; do printf '%s\\0' \"$a\"; done\n");
  const testing::CommandResult r = testing::RunCommand("sh " + testing::ShellQuote(script));
  return r.out + r.err;
}

TEST(CommandLine, BatchLinesSplitAsTheShellSplitsThem) {
  const std::vector<std::string> lines = {
      "'/opt/k p/kestrelpix' '/f/it'\\''s.srt' 0 4",
      "\"d q\" \"\\$x\\`y\\\"z\\\\w\" \"\\a\\n\"",
      "a\\ b c\\'d 'e\"f' \"g'h\"",
      "'' \"\" x''y",
      "'new\nline' '$HOME' ';&|*?%'",
  };
  for (const std::string& line : lines) {
    std::string words;
    for (const std::string& a : Args(line)) words += a + '\0';
    EXPECT_EQ(words, ShellWords(line)) << line;
  }
  // Quoting any bytes and splitting again gives them back.
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::vector<std::string> back = Args(BatchQuote(all) + " " + BatchQuote("") + " x");
  EXPECT_EQ(back, (std::vector<std::string>{all, "", "x"}));
  EXPECT_EQ(ShellWords(BatchQuote(all)), all + '\0');
}

TEST(CommandLine, PositionsOutsideTheirListsAreRefusedByName) {
  ControlPositions p;
  p.FontSize = 35;
  try {
    SettingsFromPositions(p, FontList());
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Parameter 5 (fontsize) is 35, outside its list (0 to 34)");
  }
  p = ControlPositions();
  p.Palette = PaletteMode::SafePalette;
  p.TextColor = 7;  // the safe list has seven colours
  EXPECT_THROW(SettingsFromPositions(p, FontList()), Error);
  p.TextColor = 6;
  EXPECT_EQ(SettingsFromPositions(p, FontList()).TextColor, SafeColors()[6].Value);
}

TEST(CommandLine, SplittingFollowsTheShellRules) {
  EXPECT_EQ(Args("a  \"b c\"d \"\" e\r"), (std::vector<std::string>{"a", "b cd", "", "e"}));
  EXPECT_EQ(Args("   "), std::vector<std::string>{});
}

}  // namespace
}  // namespace kestrelpix
