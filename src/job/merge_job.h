// Several subtitles, one per language, merged into one VobSub pair: one
// .idx with a language block per stream, one .sub whose packs carry the
// units of every stream in start-time order, each stream on a sub-stream id
// of its own (0x20 + its index). Players offer the streams as a language
// menu. A merge of one input gives exactly the pair a plain conversion
// gives.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "job/front_end.h"
#include "job/headless_run.h"

namespace kestrelpix {

// One stream of a merge: the subtitle file and its entry of the language
// list ("fr FRENCH").
struct MergeInput {
  std::string Input;
  std::string Language;
};

// The stream name of a language list entry for the index's comment lines,
// in title case and without the list's annotations: "fr FRENCH" gives
// "French", "om AFAN (OROMO)" gives "Afan", "fj FIJI FJ" gives "Fiji".
std::string LanguageDisplayName(const std::string& Language);

// One entry of one stream: `stream` from 0, `entry` from 1 (as GetLine).
struct StreamEntry {
  int stream;
  int entry;
  bool operator==(const StreamEntry&) const = default;
};

// The order in which the entries of all streams go into the .sub, given the
// start times of each stream's entries in its own order: always the entry
// with the earliest start time among the next entries of the streams, the
// lower stream first on equal times. Every stream keeps its own order, so a
// stream whose times go back keeps them as a single conversion would.
std::vector<StreamEntry> MergeOrder(const std::vector<std::vector<double>>& startTimes);

// OUTBASE as the user gave it, without a final ".idx" or ".sub" (so that
// "--merge film.idx" writes film.idx, not film.idx.idx).
std::string MergeOutputBase(const std::string& outBase);

// Loads every input, checks that all its lines fit with the front end's
// settings (read once), and only
// then writes OUTBASE.idx, OUTBASE.sub and OUTBASE.Kestrelpix_Help.txt with
// one stream per input in the given order. Refuses (nothing written) more
// than 32 inputs, an input that does not load or fit or has no entries, and
// outputs that would replace an input. Messages name the input they concern
// when there are several. Progress counts the entries of all inputs; a stop
// the front end asks for ends the run after the entry in progress and leaves
// a consistent, shorter pair.
ConversionReport MergeHeadless(const std::vector<MergeInput>& inputs, const std::string& outBase,
                               FrontEnd& frontEnd);

}  // namespace kestrelpix
