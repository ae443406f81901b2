#include "job/output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <random>

#include "base/errors.h"

namespace kestrelpix {

namespace {

// Handed to the stream with the buffer itself: given no buffer, glibc
// ignores the size and writes in blocks of 4 KiB.
constexpr size_t kBufferSize = 1 << 20;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// ".NAME.XXXXXX" in the folder of path, the name cut so that the temporary
// name is never longer than the final one allows (the final names are
// checked against the file system's limit before a run).
std::string TempName(const std::string& path, uint64_t salt) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() > 40) name.resize(40);
  static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix;
  for (int i = 0; i < 6; ++i, salt /= 36) suffix += kDigits[salt % 36];
  return folder + "." + name + "." + suffix;
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

void OutputFile::CheckReplaceable(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return;
  if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) return;
  if (S_ISDIR(st.st_mode))
    throw FileError("Cannot create file \"" + path + "\": it is a folder", EISDIR);
  throw FileError("Cannot create file \"" + path +
                      "\": it is not a regular file (a FIFO, a socket or a device)",
                  EINVAL);
}

void OutputFile::Create(const std::string& path) {
  Discard();
  path_ = path;
  CheckReplaceable(path);
  static std::mt19937_64 random(
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      static_cast<uint64_t>(::getpid()));
  int fd = -1;
  std::string temp;
  for (int attempt = 0; fd < 0; ++attempt) {
    temp = TempName(path, random());
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && (errno != EEXIST || attempt == 100)) throw FileErrorFor("create", path, errno);
  }
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int err = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    throw FileErrorFor("create", path, err);
  }
  tempPath_ = temp;
  buffer_ = std::make_unique<char[]>(kBufferSize);
  std::setvbuf(file_, buffer_.get(), _IOFBF, kBufferSize);
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
  buffer_.reset();
  if (!flushed || !closed) {
    throw FileErrorFor("write", path_, flushErr != 0 ? flushErr : (errno != 0 ? errno : EIO));
  }
}

bool OutputFile::Discard() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  buffer_.reset();
  if (tempPath_.empty()) return false;
  const bool removed = ::unlink(tempPath_.c_str()) == 0;
  tempPath_.clear();
  return removed;
}

void OutputFile::Commit(const std::vector<OutputFile*>& files) {
  for (OutputFile* f : files) f->Close();
  if (files.empty()) return;
  // One lock for the folder of the first file; the outputs of a run share
  // their folder.
  const int folder =
      ::open(FolderOf(files.front()->path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    while (::flock(folder, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  int failure = 0;
  OutputFile* failed = nullptr;
  for (OutputFile* f : files) {
    if (f->tempPath_.empty()) continue;
    if (::rename(f->tempPath_.c_str(), f->path_.c_str()) != 0) {
      failure = errno;
      failed = f;
      break;
    }
    f->tempPath_.clear();
  }
  if (folder >= 0) ::close(folder);  // releases the lock
  if (failed != nullptr) throw FileErrorFor("create", failed->path_, failure);
}

}  // namespace kestrelpix
