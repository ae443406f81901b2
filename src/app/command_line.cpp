#include "app/command_line.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "app/control_lists.h"
#include "base/errors.h"
#include "base/number_text.h"
#include "render/font_tables.h"
#include "vobsub/palette.h"

namespace kestrelpix {

const std::array<const char*, 16>& PlaceholderWords() {
  static const std::array<const char*, 16> kWords = {
      "filename", "fontname", "fontcharset", "fontstyle",     "fontsize",     "align",
      "offset",   "offsetor", "outline",     "colorantalias", "coloroutline", "colortext",
      "lang",     "fps",      "method",      "wrap"};
  return kWords;
}

std::optional<CommandLineValues> DetectCommandLine(const std::vector<std::string>& args) {
  CommandLineValues values;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i >= args.size() || args[i].empty() || args[i] == PlaceholderWords()[i])
      return std::nullopt;
    values[i] = args[i];
  }
  if (args.size() > values.size()) values.Wrap = args[values.size()];
  return values;
}

PaletteMode PaletteModeFromCode(const std::string& code) {
  if (code == "0") return PaletteMode::PcOnly;
  if (code == "1") return PaletteMode::DvdOnly;
  if (code == "2") return PaletteMode::TwoPalettes;
  return PaletteMode::SafePalette;
}

std::string PaletteModeCode(PaletteMode mode) {
  switch (mode) {
    case PaletteMode::PcOnly:
      return "0";
    case PaletteMode::DvdOnly:
      return "1";
    case PaletteMode::TwoPalettes:
      return "2";
    case PaletteMode::SafePalette:
      break;
  }
  return "3";
}

ControlPositions PositionsFromCommandLine(const CommandLineValues& v) {
  ControlPositions p;
  p.FontName = StrToInt(v[1]);
  p.FontCharset = StrToInt(v[2]);
  p.FontStyle = StrToInt(v[3]);
  p.FontSize = StrToInt(v[4]);
  p.Align = StrToInt(v[5]);
  p.BottomOffset = std::clamp(StrToInt(v[6]), kBottomOffsetMin, kBottomOffsetMax);
  p.LineSpacing = std::clamp(StrToInt(v[7]), kLineSpacingMin, kLineSpacingMax);
  p.OutlineWidth = StrToInt(v[8]);
  p.Language = StrToInt(v[12]);
  p.Fps = StrToInt(v[13]);
  p.Palette = PaletteModeFromCode(v[14]);
  if (!v.Wrap.empty()) {
    const int wrap = StrToInt(v.Wrap);
    if (wrap != 0 && wrap != 1) throw Error(ParameterOutsideListMessage(16, wrap, 2));
    p.WrapLines = wrap == 1;
  }
  return p;
}

void ColorPositionsFromCommandLine(const CommandLineValues& v, ControlPositions& p) {
  p.AntialiasColor = StrToInt(v[9]);
  p.OutlineColor = StrToInt(v[10]);
  p.TextColor = StrToInt(v[11]);
}

std::string ParameterOutsideListMessage(int parameter, int position, int listSize,
                                        const std::string& list) {
  return "Parameter " + std::to_string(parameter) + " (" +
         PlaceholderWords()[static_cast<size_t>(parameter - 1)] + ") is " +
         std::to_string(position) + ", outside " + list + " (0 to " + std::to_string(listSize - 1) +
         ")";
}

namespace {

const std::string& Pick(const std::vector<std::string>& list, int position, int parameter) {
  const int size = static_cast<int>(list.size());
  if (position < 0 || position >= size) {
    throw Error(ParameterOutsideListMessage(parameter, position, size));
  }
  return list[static_cast<size_t>(position)];
}

ColorValue PickColor(const std::vector<NamedColor>& list, int position, int parameter) {
  const int size = static_cast<int>(list.size());
  if (position < 0 || position >= size) {
    throw Error(ParameterOutsideListMessage(parameter, position, size, "the colour list"));
  }
  return list[static_cast<size_t>(position)].Value;
}

}  // namespace

RenderSettings SettingsFromPositions(const ControlPositions& p,
                                     const std::vector<std::string>& fontList) {
  RenderSettings s;
  s.FontName = Pick(fontList, p.FontName, 2);
  s.FontCharset = CharsetFromName(Pick(CharsetNames(), p.FontCharset, 3));
  s.FontStyle = StyleFromName(Pick(StyleNames(), p.FontStyle, 4));
  s.FontSize = StrToInt(Pick(FontSizeNames(), p.FontSize, 5));
  s.Align = Pick(AlignList(), p.Align, 6);
  s.BottomOffset = std::clamp(p.BottomOffset, kBottomOffsetMin, kBottomOffsetMax);
  // The line spacing slider only rests on even positions.
  s.LineSpacing = std::clamp(p.LineSpacing + (p.LineSpacing % 2 != 0 ? 1 : 0), kLineSpacingMin,
                             kLineSpacingMax);
  s.OutlineWidth = StrToInt(Pick(OutlineWidthList(), p.OutlineWidth, 9));
  s.Language = Pick(LanguageList(), p.Language, 13);
  s.Fps = Pick(FpsList(), p.Fps, 14);
  s.Palette = p.Palette;
  const std::vector<NamedColor>& colors = ColorListFor(p.Palette);
  s.AntialiasColor = PickColor(colors, p.AntialiasColor, 10);
  s.OutlineColor = PickColor(colors, p.OutlineColor, 11);
  s.TextColor = PickColor(colors, p.TextColor, 12);
  s.WrapLines = p.WrapLines.value_or(false);
  return s;
}

namespace {

template <typename List, typename Match>
int PositionIn(const List& list, Match match, const std::string& what) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (match(list[i])) return static_cast<int>(i);
  }
  throw Error(what + " is not in the window's list, so a batch line cannot give it");
}

}  // namespace

ControlPositions PositionsFromSettings(const RenderSettings& s,
                                       const std::vector<std::string>& fontList) {
  ControlPositions p;
  const auto equals = [](const std::string& wanted) {
    return [&wanted](const std::string& item) { return item == wanted; };
  };
  p.FontName = PositionIn(fontList, equals(s.FontName), "The font \"" + s.FontName + "\"");
  p.FontCharset = PositionIn(
      CharsetNames(), [&](const std::string& n) { return CharsetFromName(n) == s.FontCharset; },
      "The character set " + std::to_string(s.FontCharset));
  p.FontStyle = PositionIn(
      StyleNames(), [&](const std::string& n) { return StyleFromName(n) == s.FontStyle; },
      "The font style");
  const std::string size = std::to_string(s.FontSize);
  p.FontSize = PositionIn(FontSizeNames(), equals(size), "The font size " + size);
  p.Align = PositionIn(AlignList(), equals(s.Align), "The alignment \"" + s.Align + "\"");
  p.BottomOffset = std::clamp(s.BottomOffset, kBottomOffsetMin, kBottomOffsetMax);
  p.LineSpacing = std::clamp(s.LineSpacing, kLineSpacingMin, kLineSpacingMax);
  const std::string outline = std::to_string(s.OutlineWidth);
  p.OutlineWidth = PositionIn(OutlineWidthList(), equals(outline), "The outline width " + outline);
  p.Language = PositionIn(LanguageList(), equals(s.Language), "The language " + s.Language);
  p.Fps = PositionIn(FpsList(), equals(s.Fps), "The frame rate " + s.Fps);
  p.Palette = s.Palette;
  const std::vector<NamedColor>& colors = ColorListFor(s.Palette);
  const auto color = [&](ColorValue value, const char* role) {
    return PositionIn(
        colors, [value](const NamedColor& c) { return c.Value == value; },
        std::string("The ") + role + " colour");
  };
  p.AntialiasColor = color(s.AntialiasColor, "antialias");
  p.OutlineColor = color(s.OutlineColor, "outline");
  p.TextColor = color(s.TextColor, "text");
  p.WrapLines = s.WrapLines;
  return p;
}

std::string BatchQuote(const std::string& argument) {
#ifdef _WIN32
  return "\"" + argument + "\"";
#else
  std::string quoted = "'";
  for (char c : argument) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
#endif
}

std::string BatchLine(const std::string& programFolder, const std::string& subtitlePath,
                      const ControlPositions& p) {
#ifdef _WIN32
  const char* const kProgram = "kestrelpix.exe";
#else
  const char* const kProgram = "kestrelpix";
#endif
  std::string line = BatchQuote(programFolder + kProgram) + " " + BatchQuote(subtitlePath) + " ";
  const int values[] = {
      p.FontName,     p.FontCharset, p.FontStyle,    p.FontSize,       p.Align,
      p.BottomOffset, p.LineSpacing, p.OutlineWidth, p.AntialiasColor, p.OutlineColor,
      p.TextColor,    p.Language,    p.Fps};
  for (int v : values) line += std::to_string(v) + " ";
  line += PaletteModeCode(p.Palette);
  if (p.WrapLines) line += *p.WrapLines ? " 1" : " 0";
  return line;
}

const char* BatchLineEnd() {
#ifdef _WIN32
  return "\r\n";
#else
  return "\n";
#endif
}

namespace {

FileError NotARegularFile(const std::string& path, mode_t mode) {
  if (S_ISDIR(mode)) return FileError("Cannot open file \"" + path + "\": it is a folder", EISDIR);
  return FileError(
      "Cannot open file \"" + path + "\": it is not a regular file (a FIFO, a socket or a device)",
      EINVAL);
}

// The line end that must come before a new line in a file of `size` bytes:
// none when the file is empty or ends with one; otherwise the style of the
// last line end in its last 4 KiB, or this platform's when there is none.
// A file that cannot be read gets one: an empty line does no harm in a batch
// file, a line joined to the last command does.
std::string MissingLineEnd(int fd, off_t size) {
  if (size == 0) return "";
  char tail[4096];
  const off_t from = size > off_t{sizeof tail} ? size - off_t{sizeof tail} : 0;
  const ssize_t n = ::pread(fd, tail, static_cast<size_t>(size - from), from);
  if (n != size - from) return BatchLineEnd();
  if (tail[n - 1] == '\n') return "";
  for (ssize_t i = n - 1; i > 0; --i) {
    if (tail[i] == '\n') return tail[i - 1] == '\r' ? "\r\n" : "\n";
  }
  return BatchLineEnd();
}

bool WriteAll(int fd, const std::string& text, int& err) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? errno : EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

BatchFileAppend AppendToBatchFile(const std::string& batchFile, const std::string& line) {
  // Opening a FIFO or a device may already do something (wait for a
  // reader, rewind a tape): they are refused by name first, and again once
  // open, in case the name was replaced in between.
  struct stat st {};
  if (::stat(batchFile.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    throw NotARegularFile(batchFile, st.st_mode);
  }
  BatchFileAppend append;
  append.path = batchFile;
  // Created here only when the name is free (O_EXCL), so the first line and
  // the mode are only ever set on a file this call made.
  int fd = ::open(batchFile.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NONBLOCK, 0777);
  append.created = fd >= 0;
  if (!append.created && errno == EEXIST) {
    fd = ::open(batchFile.c_str(), O_RDWR | O_APPEND | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == EACCES) {
      fd = ::open(batchFile.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
    }
  }
  if (fd < 0) throw FileErrorFor("open", batchFile, errno);
  // Appends of this program to one file take turns: each finds the end the
  // one before left, and an undo finds its own line last.
  ::flock(fd, LOCK_EX);
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw NotARegularFile(batchFile, st.st_mode);
  }
  append.device = st.st_dev;
  append.inode = st.st_ino;
  append.sizeBefore = st.st_size;
  std::string text = MissingLineEnd(fd, st.st_size) + line + BatchLineEnd();
#ifndef _WIN32
  if (append.created) text = "#!/bin/sh\n" + text;
#endif
  int err = 0;
  const bool written = WriteAll(fd, text, err);
  append.sizeAfter = append.sizeBefore + static_cast<int64_t>(text.size());
  if (!written) {
    // No piece of a line is left behind to join the next one.
    const bool cut =
        append.created ? ::unlink(batchFile.c_str()) == 0 : ::ftruncate(fd, st.st_size) == 0;
    ::close(fd);
    const FileError error = FileErrorFor("write", batchFile, err);
    if (cut) throw error;
    throw FileError(std::string(error.what()) + " (a piece of the line stays at its end)", err);
  }
  if (::close(fd) != 0) throw FileErrorFor("write", batchFile, errno);
  return append;
}

bool UndoBatchFileAppend(const BatchFileAppend& append) {
  const int fd = ::open(append.path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  ::flock(fd, LOCK_EX);
  struct stat st {};
  const bool unchanged = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                         st.st_dev == append.device && st.st_ino == append.inode &&
                         st.st_size == append.sizeAfter;
  bool undone = false;
  if (unchanged) {
    undone = append.created ? ::unlink(append.path.c_str()) == 0
                            : ::ftruncate(fd, append.sizeBefore) == 0;
  }
  ::close(fd);
  return undone;
}

#ifdef _WIN32
std::vector<std::string> SplitBatchLine(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    for (; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && static_cast<unsigned char>(c) <= ' ') {
        break;
      } else {
        arg += c;
      }
    }
    args.push_back(arg);
  }
  return args;
}
#else
std::vector<std::string> SplitBatchLine(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = line.size();
  while (i < n) {
    // Blanks and control characters (a CR among them) separate arguments.
    while (i < n && static_cast<unsigned char>(line[i]) <= ' ') ++i;
    if (i >= n) break;
    std::string arg;
    while (i<n&& static_cast<unsigned char>(line[i])> ' ') {
      const char c = line[i++];
      if (c == '\'') {
        while (i < n && line[i] != '\'') arg += line[i++];
        ++i;  // the closing quote
      } else if (c == '"') {
        while (i < n && line[i] != '"') {
          if (line[i] == '\\' && i + 1 < n &&
              std::string_view("$`\"\\\n").find(line[i + 1]) != std::string_view::npos) {
            ++i;
          }
          arg += line[i++];
        }
        ++i;
      } else if (c == '\\' && i < n) {
        arg += line[i++];
      } else {
        arg += c;
      }
    }
    args.push_back(arg);
  }
  return args;
}
#endif

}  // namespace kestrelpix
