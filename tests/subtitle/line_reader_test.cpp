#include "subtitle/line_reader.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::TempDir;

std::vector<std::string> ReadAll(const std::string& path) {
  LineReader reader(path);
  std::vector<std::string> lines;
  while (!reader.AtEnd()) lines.push_back(reader.ReadLine());
  return lines;
}

TEST(LineReader, SplitsAtLineFeedsAndDropsEveryCarriageReturn) {
  TempDir dir;
  using V = std::vector<std::string>;
  EXPECT_EQ(ReadAll(dir.Write("crlf.txt", "a\r\nb\r\n")), (V{"a", "b"}));
  EXPECT_EQ(ReadAll(dir.Write("lf.txt", "a\nb")), (V{"a", "b"}));
  // A lone CR is no line end: it vanishes and the line goes on.
  EXPECT_EQ(ReadAll(dir.Write("cr.txt", "a\rb\rc")), (V{"abc"}));
  EXPECT_EQ(ReadAll(dir.Write("crcrlf.txt", "a\r\r\nb")), (V{"a", "b"}));
  EXPECT_EQ(ReadAll(dir.Write("blank.txt", "\n\n")), (V{"", ""}));
  EXPECT_EQ(ReadAll(dir.Write("empty.txt", "")), V{});
  // NUL bytes are ordinary text.
  EXPECT_EQ(ReadAll(dir.Write("nul.txt", std::string("a\0b\n", 4))), (V{std::string("a\0b", 3)}));
}

TEST(LineReader, EndOfFileMarkerEndsOnlyAtTheStartOfALine) {
  TempDir dir;
  using V = std::vector<std::string>;
  EXPECT_EQ(ReadAll(dir.Write("eof.txt",
                              "a\n\x1A"
                              "junk\nmore\n")),
            (V{"a"}));
  EXPECT_EQ(ReadAll(dir.Write("inline.txt",
                              "a\x1A"
                              "b\n")),
            (V{"a\x1A"
               "b"}));
  // Reading on explicitly returns the marker as text.
  LineReader reader(dir.Write("explicit.txt",
                              "a\n\x1A"
                              "z"));
  EXPECT_EQ(reader.ReadLine(), "a");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.ReadLine(),
            "\x1A"
            "z");
  EXPECT_EQ(reader.ReadLine(), "");
}

TEST(LineReader, LinesLongerThanTheBufferStayWhole) {
  TempDir dir;
  std::string big(200000, 'x');
  big[100000] = '\r';  // dropped
  const auto lines = ReadAll(dir.Write("long.txt", big + "\nend"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(199999, 'x'));
  EXPECT_EQ(lines[1], "end");
}

TEST(LineReader, MissingFileAndExtensionRules) {
  TempDir dir;
  EXPECT_THROW(LineReader((dir.path() / "absent.srt").string()), FileError);
  EXPECT_FALSE(RegularFileExists(dir.path().string()));
  EXPECT_EQ(UpperExtension("/a/movie.Srt"), ".SRT");
  EXPECT_EQ(UpperExtension("/a/movie.srt.bak"), ".BAK");
  EXPECT_EQ(UpperExtension("/a.b/movie"), "");
  EXPECT_EQ(UpperExtension("noext"), "");
}

}  // namespace
}  // namespace kestrelpix
