// The SAMI reader (.smi, .sami): HTML-like text of <SYNC Start=ms> blocks,
// each holding paragraphs <P Class=NAME> of one language class. It is read
// by hand and tolerantly, as players read it: tags in any case, attribute
// values quoted or not, paragraphs never closed, broken comments,
// misnested tags.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrelpix {

class SubtitleDocument;
struct LoadOptions;

// How long the last entry is shown when no SYNC after it clears it.
constexpr int64_t kSamiOpenEndMs = 5000;

// The text starts (after a byte-order mark, blanks and comments) with a
// <SAMI tag, any case.
bool IsSamiText(std::string_view bytes);

// Reads the entries of one language class into the document: the class
// options.SamiClass names, else the first the file declares in its STYLE
// block (or, without one, the first a paragraph names). An entry runs from
// its SYNC to the next SYNC that holds a paragraph of the class; a
// paragraph of only blanks and &nbsp; clears the screen and gives no entry.
// <br> breaks a line, other tags are removed, entities become characters;
// the text stays the file's bytes otherwise (its code page is detected
// later). One note names the class taken and the others. A class the file
// does not have throws ConvertError before the document changes.
void ReadSami(std::string_view bytes, bool clearFirst, SubtitleDocument& document,
              const LoadOptions& options);

}  // namespace kestrelpix
