#include "job/output_file.h"

#include <cerrno>

#include "base/errors.h"

namespace kestrelpix {

namespace {

constexpr size_t kBufferSize = 1 << 20;

}  // namespace

OutputFile::~OutputFile() { Abandon(); }

void OutputFile::Create(const std::string& path) {
  Abandon();
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) throw FileErrorFromErrno(errno);
  std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
  path_ = path;
}

void OutputFile::Write(const void* data, size_t size) {
  if (size == 0) return;
  errno = 0;
  if (std::fwrite(data, 1, size, file_) != size) throw FileErrorFromErrno(errno != 0 ? errno : EIO);
}

void OutputFile::Close() {
  if (file_ == nullptr) return;
  std::FILE* f = file_;
  file_ = nullptr;
  errno = 0;
  const bool flushed = std::fflush(f) == 0;
  const int flushErr = errno;
  const bool closed = std::fclose(f) == 0;
  if (!flushed || !closed) throw FileErrorFromErrno(flushErr != 0 ? flushErr : (errno != 0 ? errno : EIO));
}

void OutputFile::Abandon() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

}  // namespace kestrelpix
