#include "job/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/errors.h"

namespace kestrelpix {

namespace {

constexpr size_t kBufferSize = 1 << 20;

}  // namespace

OutputFile::~OutputFile() { Abandon(); }

void OutputFile::Create(const std::string& path) {
  Abandon();
  path_.clear();
  // Opened without waiting: a FIFO of the output's name with no reader
  // would block the run forever. Only regular files are written.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
  struct stat st {};
  if (fd < 0 && errno != ENXIO) throw FileErrorFor("create", path, errno);
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    throw FileError("Cannot create file \"" + path +
                        "\": it is not a regular file (a FIFO, a socket or a device)",
                    EINVAL);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int err = errno;
    ::close(fd);
    throw FileErrorFor("create", path, err);
  }
  std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
  path_ = path;
}

void OutputFile::Write(const void* data, size_t size) {
  if (size == 0) return;
  errno = 0;
  if (std::fwrite(data, 1, size, file_) != size) {
    throw FileErrorFor("write", path_, errno != 0 ? errno : EIO);
  }
}

void OutputFile::Close() {
  if (file_ == nullptr) return;
  std::FILE* f = file_;
  file_ = nullptr;
  errno = 0;
  const bool flushed = std::fflush(f) == 0;
  const int flushErr = errno;
  const bool closed = std::fclose(f) == 0;
  if (!flushed || !closed) {
    throw FileErrorFor("write", path_, flushErr != 0 ? flushErr : (errno != 0 ? errno : EIO));
  }
}

void OutputFile::Abandon() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool OutputFile::Discard() {
  Abandon();
  if (path_.empty()) return false;
  const bool removed = std::remove(path_.c_str()) == 0;
  path_.clear();
  return removed;
}

}  // namespace kestrelpix
