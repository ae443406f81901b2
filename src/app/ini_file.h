// The settings file: an in-memory copy of an INI text file that keeps its
// own layout. Sections stay in the order in which they were first created,
// entries in the order in which they were first written, and an entry keeps
// its place when its value changes. Entries the program does not know are
// kept and written back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrelpix {

class IniFile {
 public:
  // Reads the whole file into the copy, replacing what it held. A missing
  // file gives an empty copy. A file that is read-only (no write permission
  // bit, or not writable by this process) is read normally and remembered
  // as read-only, so SaveToFile leaves it alone. Throws FileError when the
  // file exists but cannot be read.
  void LoadFromFile(const std::string& path);

  // Replaces the copy with the parsed text and clears the read-only mark.
  // Reading rules: lines end at CR LF, LF or CR; every line is trimmed of
  // leading and trailing blanks (space and control characters); empty
  // lines, lines beginning with ";" and lines before the first section are
  // skipped; "[" name "]" opens the section named by the trimmed text between
  // the brackets (a name seen before continues that section); any other line
  // belongs to the current section, split at its first "=" into a trimmed
  // key and a trimmed value. A line without "=" is kept as it stands and
  // written back, but never matches a key.
  void LoadFromText(std::string_view text);

  // The whole copy as file text: for each section "[name]", one "key=value"
  // line per entry and one empty line, every line ending in CR LF. An empty
  // copy gives an empty text.
  std::string ToText() const;

  // Writes ToText() to `path` as a whole: the text goes to a temporary file
  // in the same folder, which is flushed to disk and then renamed over the
  // old file, so a failed write (full disk, crash) leaves the old file as it
  // was. A file that was loaded read-only, or that is read-only now, is never
  // written. Returns false on any failure and, when `error` is given, stores
  // a message for the user there ("File access denied" and the like,
  // preceded by the path).
  bool SaveToFile(const std::string& path, std::string* error = nullptr) const;

  // True when the file loaded last was read-only.
  bool ReadOnly() const { return read_only_; }

  // Sections and keys are matched without regard to (ASCII) case.
  bool ReadString(std::string_view section, std::string_view key, std::string& out) const;
  // Changes the value of an existing entry in its place (the key takes the
  // spelling given here), or appends a new entry (creating the section at
  // the end when needed). Line breaks in the
  // value become blanks, so a value can never add lines or sections to the
  // file. Keys and section names are the program's own: they must not hold
  // "=", line breaks, or begin with "[" or ";".
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool HasKey(std::string_view section, std::string_view key) const;
  void DeleteKey(std::string_view section, std::string_view key);

  void EraseSection(std::string_view section);
  // Section names as stored, in file order.
  std::vector<std::string> SectionNames() const;
  // The keys of a section's entries in file order (lines without "=" are
  // left out); empty for a missing section.
  std::vector<std::string> Keys(std::string_view section) const;

  void Clear();

 private:
  struct Entry {
    std::string key;  // for a line without "=": the whole line
    std::string value;
    bool has_separator = true;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };

  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;
  static Entry* FindEntry(Section& section, std::string_view key);
  static const Entry* FindEntry(const Section& section, std::string_view key);

  std::vector<Section> sections_;
  bool read_only_ = false;
};

// ASCII case-insensitive equality, the matching rule of sections and keys.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace kestrelpix
