#include "subtitle/line_reader.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::TempDir;

std::vector<std::string> Lines(std::string_view bytes) {
  ByteLineReader reader(bytes);
  std::vector<std::string> lines;
  while (!reader.AtEnd()) lines.push_back(reader.ReadLine());
  return lines;
}

TEST(ByteLineReader, SplitsAtLineFeedsAndDropsEveryCarriageReturn) {
  using V = std::vector<std::string>;
  const struct {
    std::string bytes;
    V lines;
  } rows[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},  // no final line end
      // A lone CR is no line end: it vanishes and the line goes on.
      {"a\rb\rc", {"abc"}},
      {"a\r\r\nb", {"a", "b"}},
      {"\n\n", {"", ""}},
      {"a\n\r\n\nb\n", {"a", "", "", "b"}},
      {"", {}},
      // NUL bytes are ordinary text.
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
      // 0x1A ends the text only at the start of a line.
      {"a\n\x1A"
       "junk\nmore\n",
       {"a"}},
      {"a\x1A"
       "b\n",
       {"a\x1A"
        "b"}},
  };
  for (const auto& row : rows) EXPECT_EQ(Lines(row.bytes), row.lines) << row.bytes;

  // Reading on past the marker returns it as text, then empty lines; a
  // format test keeps only the columns it asks for.
  ByteLineReader reader(
      "a\n\x1A"
      "z\r\nsecond line");
  EXPECT_EQ(reader.ReadLine(), "a");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.PeekLine(),
            "\x1A"
            "z");
  EXPECT_EQ(reader.ReadLine(1), "\x1A");
  EXPECT_EQ(reader.LineStart(3), "sec");
  EXPECT_EQ(reader.ReadLine(), "ond line");
  EXPECT_EQ(reader.ReadLine(), "");
}

TEST(ReadFileBytes, ReadsAcrossBufferFillsUpToOneByteOverTheLimit) {
  TempDir dir;
  std::string big(200000, 'x');
  big[100000] = '\r';  // bytes stay as they are
  const std::string path = dir.Write("long.txt", big + "\nend");
  EXPECT_EQ(ReadFileBytes(path), big + "\nend");
  EXPECT_EQ(ReadFileBytes(path, 150000), big.substr(0, 150001));
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
