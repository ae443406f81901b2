// What a load found out about the file besides its entries: the notes the
// readers made, the code page of the text, and the entries whose text is
// not all drawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/charset.h"
#include "base/errors.h"

namespace kestrelpix {

struct LoadReport {
  // What the readers noted, one sentence each: what the tolerant reading
  // accepted, the code page detected. AllNotes() adds the note on text
  // that is not drawn.
  std::vector<std::string> Notes;
  // The charset whose code page the text is in, as the load detected it:
  // DEFAULT (1) for UTF-8 or plain ASCII text or when nothing was detected,
  // else a code of the charset list (238 for Windows-1250, 204 for
  // Windows-1251, ...). Drawing with DEFAULT decodes with it.
  uint8_t DetectedCharset = CharsetCode(CharsetId::kDefault);
  // The tolerant reading found the file to be Unicode (UTF-16 or UTF-32,
  // now held as UTF-8, or UTF-8 with a byte-order mark): the text reads as
  // UTF-8 whatever charset is chosen.
  bool TextIsUtf8 = false;
  // The entries (1-based) whose text is not all drawn as two lines, and
  // among them those the load lost text of (a line it could not keep);
  // both ascending.
  std::vector<int> NotDrawn;
  std::vector<int> TextLost;

  // Notes, then one sentence naming the entries not drawn when there are
  // any. Empty when the load had nothing to note.
  std::vector<std::string> AllNotes() const;
  // These entries (ascending) are drawn with all their text after all
  // (wrapping joins their lines into two): NotDrawn no longer names them,
  // except those in TextLost. Linear in the entries named.
  void MarkAllTextDrawn(const std::vector<int>& indices);
};

// A strict reader met a line it cannot read, of a file its format test
// accepted: the entries before it stay, and the load reads the file again
// with the tolerant reading. The text names the line and the entry.
class ReadStopped : public ConvertError {
 public:
  ReadStopped(size_t line, int entry, std::string why)
      : ConvertError("Line " + std::to_string(line) + " (entry " + std::to_string(entry) +
                     "): " + why),
        Line(line),
        Entry(entry),
        Why(std::move(why)) {}
  size_t Line;
  int Entry;
  std::string Why;
};

}  // namespace kestrelpix
