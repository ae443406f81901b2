// The load action: replaces the current document with a newly read one,
// fills the front end's entry list and runs the fit check.
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

// What a load in the window adds to its message when the text is read in a
// charset the user chose rather than DEFAULT: "The text is read as
// EASTEUROPE (CP1250), the charset chosen; ...".
std::string ChosenCharsetNote(uint8_t charset);

// Steps after the file dialog: fileName is the dialog's file name (an empty
// name ends the action at once). CurrentSubtitle is replaced by a new
// document. A conversion or file error while reading propagates to the
// caller with the caption left at "Kestrelpix By Morvane Loading Subtitle...".
void LoadSubtitleFile(const std::string& fileName,
                      std::unique_ptr<SubtitleDocument>& CurrentSubtitle, AppState& state,
                      FrontEnd& frontEnd);

}  // namespace kestrelpix
