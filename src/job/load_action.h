// The load action: replaces the current document with a newly read one and
// runs the fit check, telling the front end what happened.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/app_state.h"
#include "job/front_end.h"
#include "subtitle/subtitle_document.h"

namespace kestrelpix {

// The list row of an entry: Text1, then "|" and Text2 when Text2 is not
// empty. Text3 is never shown.
std::string ListRowText(const SubtitleEntryView& line);

// What a load adds to its message when the text is read in a charset the
// user chose rather than DEFAULT: "The text is read as
// EASTEUROPE (CP1250), the charset chosen; ...".
std::string ChosenCharsetNote(uint8_t charset);

// Reads fileName (an empty name ends the load at once) into a new document
// that replaces CurrentSubtitle, and runs the fit check. The front end hears
// LoadStarted, Loaded with the reader's notes, the fit check's events and
// LoadEnded. A conversion or file error while reading propagates to the
// caller, without LoadEnded.
void LoadSubtitleFile(const std::string& fileName, std::unique_ptr<SubtitleDocument>& CurrentSubtitle,
                      AppState& state, FrontEnd& frontEnd);

}  // namespace kestrelpix
