// Checks made once before a conversion run writes anything.
#pragma once

#include <string>
#include <vector>

#include "subtitle/subtitle_document.h"

namespace kestrelpix {

// The first of paths whose file name is longer than its folder's file
// system allows, as the message that refuses the run; "" when all fit.
std::string NameTooLongMessage(const std::vector<std::string>& paths);

// Entries shown for longer than an hour are written as many units (one per
// 745 s); a film of such entries grows large without a word. The warning
// names how many there are and the numbers of the first few; "" when none.
std::string LongDisplayWarning(const SubtitleDocument& doc);

}  // namespace kestrelpix
