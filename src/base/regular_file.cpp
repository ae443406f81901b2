#include "base/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "base/errors.h"

namespace kestrelpix {

namespace {

void CheckRegular(const std::string& path, const struct stat& st) {
  if (S_ISREG(st.st_mode)) return;
  const bool folder = S_ISDIR(st.st_mode);
  throw FileError(
      "Cannot open file \"" + path + "\": " +
          (folder ? "it is a folder" : "it is not a regular file (a FIFO, a socket or a device)"),
      folder ? EISDIR : EINVAL);
}

[[noreturn]] void TooLarge(const std::string& path, size_t limit, std::string_view kind) {
  throw FileError("Cannot read file \"" + path + "\": it is larger than " + SizeLimitText(limit) +
                      ", too large for " + std::string(kind),
                  EFBIG);
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { ::close(fd_); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string SizeLimitText(size_t limit) {
  constexpr size_t kMiB = size_t{1} << 20;
  if (limit % kMiB == 0) return std::to_string(limit / kMiB) + " MiB";
  return std::to_string(limit) + " bytes";
}

std::string ReadRegularFile(const std::string& path, size_t limit, std::string_view kind,
                            struct stat* info) {
  // Opening some devices does something by itself (a tape rewinds, a
  // watchdog starts), so the name is looked at first.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw FileErrorFor("open", path, errno);
  CheckRegular(path, st);
  if (static_cast<uintmax_t>(st.st_size) > limit) TooLarge(path, limit, kind);

  // The name may have changed since: the open file is what counts.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throw FileErrorFor("open", path, errno);
  const Descriptor file(fd);
  if (::fstat(fd, &st) != 0) throw FileErrorFor("open", path, errno);
  CheckRegular(path, st);
  if (static_cast<uintmax_t>(st.st_size) > limit) TooLarge(path, limit, kind);
  if (info != nullptr) *info = st;

  std::string bytes;
  bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileErrorFor("read", path, errno);
    }
    if (n == 0) break;
    if (bytes.size() + static_cast<size_t>(n) > limit) TooLarge(path, limit, kind);
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

}  // namespace kestrelpix
