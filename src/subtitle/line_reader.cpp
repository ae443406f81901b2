#include "subtitle/line_reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "base/errors.h"

namespace kestrelpix {

namespace {

constexpr size_t kBufferSize = 1 << 16;

}  // namespace

LineReader::LineReader(const std::string& path) : buffer_(kBufferSize) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) throw FileErrorFromErrno(errno);
}

LineReader::~LineReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool LineReader::Fill() {
  if (pos_ < end_) return true;
  if (eof_) return false;
  pos_ = 0;
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (end_ == 0) {
    eof_ = true;
    if (std::ferror(file_)) throw FileErrorFromErrno(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

bool LineReader::AtEnd() { return !Fill() || buffer_[pos_] == '\x1A'; }

std::string LineReader::ReadLine() {
  std::string line;
  while (Fill()) {
    const char* start = buffer_.data() + pos_;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
    const size_t chunk = lf != nullptr ? static_cast<size_t>(lf - start) : end_ - pos_;
    if (std::memchr(start, '\r', chunk) == nullptr) {
      line.append(start, chunk);
    } else {
      for (size_t i = 0; i < chunk; ++i) {
        if (start[i] != '\r') line.push_back(start[i]);
      }
    }
    pos_ += chunk;
    if (lf != nullptr) {
      ++pos_;  // the line feed itself
      break;
    }
  }
  return line;
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
