#include "app/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/errors.h"
#include "base/regular_file.h"

namespace kestrelpix {

namespace {

// Blanks are the space and every control character, as the file may have
// been edited on any system (tabs, a stray form feed, a NUL).
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view Trim(std::string_view s) {
  size_t begin = 0, end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// A written value must stay on its own line.
std::string OneLine(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

bool IsReadOnlyFile(const std::string& path, const struct stat& st) {
  // No write bit at all is the file's read-only mark even for a user (root)
  // whom the permissions would not stop.
  return (st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0;
}

std::string FailureText(const std::string& path, int err) {
  return path + ": " + FileErrorFromErrno(err).what();
}

[[noreturn]] void Fail(const std::string& path, int err) {
  throw FileError(FailureText(path, err), err);
}

[[noreturn]] void FailWith(const std::string& path, const std::string& why) {
  throw FileError(path + ": " + why, 0);
}

std::string NotRegularText(const struct stat& st) {
  return S_ISDIR(st.st_mode) ? "it is a folder"
                             : "it is not a regular file (a FIFO, a socket or a device)";
}

bool IsBlankText(std::string_view text) {
  for (char c : text) {
    if (!IsBlank(c)) return false;
  }
  return true;
}

// Where a save of `path` writes: the name itself, or the file a link at the
// name points to, when that file is empty or is this program's settings
// file. Anything else at the name is left alone: false, with the reason in
// `why`.
bool FindSaveTarget(const std::string& path, std::string& target, std::string& why) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) {
      why = FileErrorFromErrno(errno).what();
      return false;
    }
    target = path;
    return true;
  }
  if (S_ISREG(st.st_mode)) {
    target = path;
    return true;
  }
  if (!S_ISLNK(st.st_mode)) {
    why = NotRegularText(st);
    return false;
  }

  std::error_code ec;
  target = std::filesystem::read_symlink(path, ec).string();
  char* resolved = realpath(path.c_str(), nullptr);
  int err = errno;
  if (resolved != nullptr) {
    target = resolved;
    std::free(resolved);
  }
  const std::string link = "it is a link to \"" + target + "\", which ";
  std::string text;
  try {
    if (resolved == nullptr) throw FileErrorFromErrno(err);
    text = ReadRegularFile(target, kSettingsFileLimit, "a settings file");
  } catch (const FileError& e) {
    switch (e.code()) {
      case ENOENT:
      case ENOTDIR:
        why = link + "does not exist; the link is left alone";
        break;
      case EFBIG:
        why = link + "is larger than " + SizeLimitText(kSettingsFileLimit) +
              ", too large for a settings file; the link and that file are left alone";
        break;
      case EISDIR:
      case EINVAL:
        why = link + "is not a regular file; the link is left alone";
        break;
      default:
        why = link + "cannot be read (" + FileErrorFromErrno(e.code()).what() +
              "); the link and that file are left alone";
    }
    return false;
  }
  if (IsBlankText(text)) return true;
  IniFile pointed;
  pointed.LoadFromText(text);
  const std::vector<std::string> sections = pointed.SectionNames();
  for (const std::string& name : sections) {
    if (EqualsIgnoreCase(name, kMainWindowSection) || EqualsIgnoreCase(name, kColorOptionsSection))
      return true;
  }
  why = link + "is not a settings file of this program (it has no [" +
        std::string(kMainWindowSection) + "] or [" + std::string(kColorOptionsSection) +
        "] section); the link and that file are left alone";
  return false;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

void IniFile::LoadFromFile(const std::string& path) {
  struct stat st {};
  std::string text;
  try {
    text = ReadRegularFile(path, kSettingsFileLimit, "a settings file", &st);
  } catch (const FileError& e) {
    Clear();
    readOnly_ = false;
    if (e.code() == ENOENT || e.code() == ENOTDIR) return;
    readOnly_ = true;
    throw;
  }
  LoadFromText(text);
  readOnly_ = IsReadOnlyFile(path, st);
}

void IniFile::LoadFromText(std::string_view text) {
  Clear();
  readOnly_ = false;
  Section* current = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view raw = text.substr(pos, end - pos);
    const std::string_view line = Trim(raw);
    pos = end;
    if (pos < text.size()) {
      // CR LF, a lone LF or a lone CR ends the line.
      if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
      ++pos;
    }

    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      std::string_view name = Trim(line.substr(1, line.size() - 2));
      current = FindSection(name);
      if (!current) {
        sections_.push_back(Section{std::string(name), {}});
        current = &sections_.back();
      }
      continue;
    }
    if (!current) {
      preamble_.emplace_back(raw);
      continue;
    }
    if (line.empty()) continue;  // ToText puts one empty line after each section
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || line.front() == ';') {
      current->entries.push_back(Entry{std::string(raw), {}, false});
    } else {
      current->entries.push_back(Entry{std::string(Trim(line.substr(0, eq))),
                                       std::string(Trim(line.substr(eq + 1))), true});
    }
  }
}

std::string IniFile::ToText() const {
  std::string out;
  for (const std::string& line : preamble_) {
    out += line;
    out += "\r\n";
  }
  for (const Section& s : sections_) {
    out += '[';
    out += s.name;
    out += "]\r\n";
    for (const Entry& e : s.entries) {
      out += e.key;
      if (e.HasSeparator) {
        out += '=';
        out += e.value;
      }
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

void IniFile::SaveToFile(const std::string& path) const {
  if (readOnly_) Fail(path, EACCES);

  // A link written through is replaced beside the file it points to, so
  // the link stays a link.
  std::string target, why;
  if (!FindSaveTarget(path, target, why)) FailWith(path, why);

  struct stat old;
  const bool existed = lstat(target.c_str(), &old) == 0;
  if (existed) {
    if (!S_ISREG(old.st_mode)) FailWith(path, NotRegularText(old));
    if (IsReadOnlyFile(target, old)) Fail(path, EACCES);
  } else if (errno != ENOENT) {
    Fail(path, errno);
  }

  // The temporary file gets the permissions a new file would get (the
  // process umask applies), or the old file's permissions and owner.
  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) Fail(path, errno);

  const std::string text = ToText();
  int err = 0;
  if (!WriteAll(fd, text)) err = errno;
  if (err == 0 && existed) {
    // Best effort: a file someone else owns keeps its owner when we may.
    (void)!fchown(fd, old.st_uid, old.st_gid);
    (void)!fchmod(fd, old.st_mode & 07777);
  }
  if (err == 0 && fsync(fd) != 0) err = errno;
  if (close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    unlink(temp.c_str());
    Fail(path, err);
  }

  // Make the rename itself durable; a failure here leaves a whole file of
  // either version, so it is not reported.
  std::string folder = std::filesystem::path(target).parent_path().string();
  if (folder.empty()) folder = ".";
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

bool IniFile::ReadString(std::string_view section, std::string_view key, std::string& out) const {
  const Section* s = FindSection(section);
  if (!s) return false;
  const Entry* e = FindEntry(*s, key);
  if (!e) return false;
  out = e->value;
  return true;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section* s = FindSection(section);
  if (!s) {
    sections_.push_back(Section{std::string(section), {}});
    s = &sections_.back();
  }
  if (Entry* e = FindEntry(*s, key)) {
    e->key.assign(key);  // a hand-edited spelling gives way to the program's
    e->value = OneLine(value);
  } else {
    s->entries.push_back(Entry{std::string(key), OneLine(value), true});
  }
}

std::vector<std::string> IniFile::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& s : sections_) names.push_back(s.name);
  return names;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* s = FindSection(section)) {
    for (const Entry& e : s->entries) {
      if (e.HasSeparator) keys.push_back(e.key);
    }
  }
  return keys;
}

void IniFile::Clear() {
  preamble_.clear();
  sections_.clear();
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  for (Section& s : sections_) {
    if (EqualsIgnoreCase(s.name, name)) return &s;
  }
  return nullptr;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  return const_cast<IniFile*>(this)->FindSection(name);
}

IniFile::Entry* IniFile::FindEntry(Section& section, std::string_view key) {
  for (Entry& e : section.entries) {
    if (e.HasSeparator && EqualsIgnoreCase(e.key, key)) return &e;
  }
  return nullptr;
}

const IniFile::Entry* IniFile::FindEntry(const Section& section, std::string_view key) {
  return FindEntry(const_cast<Section&>(section), key);
}

}  // namespace kestrelpix
