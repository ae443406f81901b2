#include "subtitle/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/errors.h"

namespace kestrelpix {

namespace {

constexpr size_t kBufferSize = 1 << 16;

}  // namespace

LineReader::LineReader(const std::string& path) : buffer_(kBufferSize), path_(path) {
  // Opened without waiting and checked on the open file itself: a name
  // that became a FIFO after the format test must not block the reader
  // until some writer appears, and a folder is not read as an empty file.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw FileErrorFor("open", path_, errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool folder = S_ISDIR(st.st_mode);
    ::close(fd);
    throw FileError(
        "Cannot open file \"" + path_ + "\": " +
            (folder ? "it is a folder" : "it is not a regular file (a FIFO, a socket or a device)"),
        folder ? EISDIR : EINVAL);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  file_ = ::fdopen(fd, "rb");
  if (file_ == nullptr) {
    const int err = errno;
    ::close(fd);
    throw FileErrorFor("open", path_, err);
  }
}

LineReader::~LineReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool LineReader::Fill() {
  if (pos_ < end_) return true;
  if (eof_) return false;
  pos_ = 0;
  errno = 0;
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (std::ferror(file_)) {
    // A failed read ends reading here, also after a part of a buffer.
    end_ = 0;
    eof_ = true;
    throw FileErrorFor("read", path_, errno != 0 ? errno : EIO);
  }
  if (end_ == 0) {
    eof_ = true;
    return false;
  }
  return true;
}

std::string ByteLineReader::ReadLine(size_t keep) {
  std::string line;
  const size_t lf = bytes_.find('\n', pos_);
  const size_t end = lf == std::string_view::npos ? bytes_.size() : lf;
  const std::string_view chunk = bytes_.substr(pos_, end - pos_);
  if (chunk.find('\r') == std::string_view::npos) {
    line.assign(chunk.substr(0, keep));
  } else {
    for (size_t i = 0; i < chunk.size() && line.size() < keep; ++i) {
      if (chunk[i] != '\r') line.push_back(chunk[i]);
    }
  }
  pos_ = lf == std::string_view::npos ? bytes_.size() : lf + 1;
  return line;
}

std::string ByteLineReader::LineStart(size_t count) {
  std::string start;
  while (start.size() < count && pos_ < bytes_.size()) {
    const char c = bytes_[pos_++];
    if (c == '\n') break;
    if (c != '\r') start.push_back(c);
  }
  return start;
}

std::string ReadFileBytes(const std::string& path, size_t limit) {
  LineReader reader(path);
  return reader.ReadAll(limit + 1);
}

std::string LineReader::ReadAll(size_t limit) {
  std::string bytes;
  // Room for the whole file (or the limit) at once: growing by doubling
  // would hold a file near the limit twice over while it is copied.
  struct stat st {};
  if (::fstat(::fileno(file_), &st) == 0 && st.st_size > 0) {
    bytes.reserve(std::min(limit, static_cast<size_t>(st.st_size)));
  }
  while (bytes.size() < limit && Fill()) {
    const size_t take = std::min(end_ - pos_, limit - bytes.size());
    bytes.append(buffer_.data() + pos_, take);
    pos_ += take;
  }
  return bytes;
}

bool RegularFileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string UpperExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  for (char& c : ext) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return ext;
}

}  // namespace kestrelpix
