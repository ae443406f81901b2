// The settings file: an in-memory copy of an INI text file that keeps its
// own layout. Sections stay in the order in which they were first created,
// entries in the order in which they were first written, and an entry keeps
// its place when its value changes. Entries the program does not know,
// comments and the lines before the first section are kept in their places
// and written back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrelpix {

// Section names of the program's two windows. A file holding either is this
// program's settings file.
inline constexpr std::string_view kMainWindowSection = "Form1";
inline constexpr std::string_view kColorOptionsSection = "FormColorOptions";

// The largest settings file read; anything larger is no settings file.
inline constexpr size_t kSettingsFileLimit = size_t{1} << 20;

class IniFile {
 public:
  // Reads the whole file into the copy, replacing what it held. A missing
  // file gives an empty copy. A file that is read-only (no write permission
  // bit, or not writable by this process) is read normally and remembered
  // as read-only, so SaveToFile leaves it alone. Only a regular file of at
  // most kSettingsFileLimit bytes is read, without waiting at a FIFO and
  // without opening a device. Anything else, or a failed read, leaves the
  // copy empty and marked read-only (what the name holds is never written
  // over) and throws FileError, whose text names the file and the reason.
  void LoadFromFile(const std::string& path);

  // Replaces the copy with the parsed text and clears the read-only mark.
  // Reading rules: lines end at CR LF, LF or CR; every line is trimmed of
  // leading and trailing blanks (space and control characters) to be
  // understood; "[" name "]" opens the section named by the trimmed text
  // between the brackets (a name seen before continues that section); in a
  // section, a line holding "=" that does not begin with ";" is an entry,
  // split at its first "=" into a trimmed key and a trimmed value; empty
  // lines in a section are dropped (ToText puts one after each section).
  // Every other line (comments, lines without "=", and all lines before the
  // first section, empty ones too) is kept untouched in its place and
  // written back, but never matches a key.
  void LoadFromText(std::string_view text);

  // The whole copy as file text: the lines before the first section, then
  // for each section "[name]", its lines ("key=value" for an entry) and one
  // empty line, every line ending in CR LF. An empty copy gives an empty
  // text.
  std::string ToText() const;

  // Writes ToText() to `path` as a whole: the text goes to a temporary file
  // in the same folder, which is flushed to disk and then renamed over the
  // old file, so a failed write (full disk, crash) leaves the old file as it
  // was. A file that was loaded read-only, or that is read-only now, is never
  // written, nor is anything at `path` that is not a regular file. A link is
  // written through (the file it points to is replaced, the link stays)
  // only when it points to a regular file that is empty (or blank) or holds
  // a [Form1] or [FormColorOptions] section; any other link is left alone
  // with all it points to. Any failure throws FileError, whose text is a
  // message for the user ("File access denied", "it is a link to ..., which
  // is not a settings file" and the like, preceded by the path).
  void SaveToFile(const std::string& path) const;

  // True when the file loaded last must not be written: it was read-only,
  // or it could not be read at all.
  bool ReadOnly() const { return readOnly_; }

  // Sections and keys are matched without regard to (ASCII) case.
  bool ReadString(std::string_view section, std::string_view key, std::string& out) const;
  // Changes the value of an existing entry in its place (the key takes the
  // spelling given here), or appends a new entry (creating the section at
  // the end when needed). Line breaks in the
  // value become blanks, so a value can never add lines or sections to the
  // file. Keys and section names are the program's own: they must not hold
  // "=", line breaks, or begin with "[" or ";".
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Section names as stored, in file order.
  std::vector<std::string> SectionNames() const;
  // The keys of a section's entries in file order (lines without "=" are
  // left out); empty for a missing section.
  std::vector<std::string> Keys(std::string_view section) const;

  void Clear();

 private:
  struct Entry {
    std::string key;  // for a kept line that is no entry: the whole line
    std::string value;
    bool HasSeparator = true;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };

  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;
  static Entry* FindEntry(Section& section, std::string_view key);
  static const Entry* FindEntry(const Section& section, std::string_view key);

  std::vector<std::string> preamble_;  // the lines before the first section
  std::vector<Section> sections_;
  bool readOnly_ = false;
};

// ASCII case-insensitive equality, the matching rule of sections and keys.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace kestrelpix
