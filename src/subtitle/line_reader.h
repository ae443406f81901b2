// Reading a subtitle file: once, whole, through a checked open; and as lines
// the way both strict readers and both format tests need it: a line ends at
// LF; every CR is dropped (a CR before LF ends the line with it, any other CR
// vanishes); the end of the file is reached when no byte is left or when the
// next line would begin with 0x1A. Reading past the end yields empty lines.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kestrelpix {

// An open subtitle file.
class LineReader {
 public:
  // Throws FileError, naming the file, when it cannot be opened or read.
  explicit LineReader(const std::string& path);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The unread bytes as they are, at most `limit` of them.
  std::string ReadAll(size_t limit);

 private:
  // Makes sure at least one unread byte is buffered; false at end of file.
  bool Fill();

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  std::string path_;
  size_t pos_ = 0;
  size_t end_ = 0;
  bool eof_ = false;
};

// The line rules over bytes in memory: the readers work on a buffer that
// the load read once from the file.
class ByteLineReader {
 public:
  explicit ByteLineReader(std::string_view bytes) : bytes_(bytes) {}

  // True when no byte is left or the next byte is 0x1A.
  bool AtEnd() const { return pos_ >= bytes_.size() || bytes_[pos_] == '\x1A'; }
  // The next line without its line end; empty when no byte is left. The
  // whole line is consumed, but only its first `keep` bytes are kept: the
  // format tests look at a few columns and must not copy a file of one
  // endless line.
  std::string ReadLine(size_t keep = std::string::npos);
  // The first `count` bytes of the next line (CRs dropped, fewer when the
  // line is shorter) without reading on to its end: the reader is left
  // inside the line, so this is a reader's last read.
  std::string LineStart(size_t count);
  // The next line, left unread.
  std::string PeekLine() const {
    ByteLineReader copy = *this;
    return copy.ReadLine();
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

// Subtitle files larger than this are refused rather than read.
constexpr size_t kMaxSubtitleBytes = size_t{64} << 20;

// Reads the file whole, at most `limit` + 1 bytes (so the caller can tell a
// larger file), through the same checked open as LineReader.
std::string ReadFileBytes(const std::string& path, size_t limit = kMaxSubtitleBytes);

// True when path names an existing regular file.
bool RegularFileExists(const std::string& path);

// The extension from the last dot of the file name (dot included), upper
// case; empty when the name has no dot.
std::string UpperExtension(const std::string& path);

}  // namespace kestrelpix
