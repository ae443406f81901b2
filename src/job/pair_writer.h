// The outputs of one conversion run: OUTBASE.idx and OUTBASE.sub, written
// under temporary names while units arrive, then either committed (with the
// help file, when the run completed) or abandoned, leaving whatever held the
// final names untouched. Units of up to 32 streams share one .sub, each on a
// sub-stream id of its own; a run of one stream writes the pair a plain
// conversion writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "job/output_file.h"

namespace kestrelpix {

// The three files of a pair and the path the help text names them after.
struct PairNames {
  std::string Index, Sub, Help;
  std::string HelpNamedAfter;
  // The input whose own name the outputs were moved away from (ForInput);
  // empty when they take the usual names.
  std::string Avoided;
  // Beside a subtitle (or a path standing for it): its extension replaced.
  static PairNames BesideInput(const std::string& path);
  // The outputs of converting `input`, placed as BesideInput(place) (place:
  // the input itself when empty, or a path standing for it in another
  // folder). When one of those would be the input itself (a MicroDVD or
  // SubRip file named .sub), they are NAME.vobsub.idx, NAME.vobsub.sub and
  // NAME.vobsub.Kestrelpix_Help.txt instead, and Avoided names the input.
  // Every front end names a conversion's outputs through this one rule.
  static PairNames ForInput(const std::string& input, const std::string& place = "");
  // OUTBASE.idx, OUTBASE.sub and OUTBASE.Kestrelpix_Help.txt.
  static PairNames WithBase(const std::string& outBase);
  std::vector<std::string> All() const { return {Index, Sub, Help}; }
};

class PairWriter {
 public:
  // streamCount is 1 to kMaxSubStreams; settingsHeader is the index's part
  // before the first language block.
  PairWriter(PairNames names, int streamCount);

  // Creates the temporary files and writes the index's settings part.
  void Open(const std::string& settingsHeader);
  // Packs one unit of `stream`, stamped at startMs, after the units written
  // so far, and notes its index line under that stream.
  void AddUnit(int stream, double startMs, const std::vector<uint8_t>& unit);
  // Writes each stream's language block (languageBlocks[s]) with its index
  // lines, the help file when helpText is given, and renames all over their
  // final names. Without a help text the run was stopped short: a help file
  // left by an earlier complete run is removed, as it would vouch for this
  // shorter pair.
  void Commit(const std::vector<std::string>& languageBlocks, const std::string* helpText);
  // Removes the temporary files; true when there were any.
  bool Abandon();

  const PairNames& Names() const { return names_; }

 private:
  PairNames names_;
  OutputFile index_, sub_;
  // The timestamp lines of each stream, written after its language block
  // when the run ends, so the index describes exactly the packs that
  // reached the .sub.
  std::vector<std::string> entryLines_;
  std::vector<uint8_t> packs_;
  uint64_t packCount_ = 0;
};

}  // namespace kestrelpix
