#include "job/pair_writer.h"

#include <filesystem>

#include "job/job_support.h"
#include "vobsub/idx_writer.h"
#include "vobsub/output_names.h"
#include "vobsub/ps_packer.h"

namespace kestrelpix {

PairNames PairNames::BesideInput(const std::string& path) {
  return {OutputFileName(path, kIndexSuffix), OutputFileName(path, kSubSuffix),
          OutputFileName(path, kHelpSuffix), path};
}

PairNames PairNames::ForInput(const std::string& input, const std::string& place) {
  const std::string& path = place.empty() ? input : place;
  PairNames names = BesideInput(path);
  for (const std::string& output : names.All()) {
    if (!SameFile(output, input)) continue;
    // OutputFileName with no suffix is the name without its extension.
    names = WithBase(OutputFileName(path, "") + ".vobsub");
    names.Avoided = input;
    break;
  }
  return names;
}

PairNames PairNames::WithBase(const std::string& outBase) {
  // The help text replaces the last four characters of the path it names
  // the outputs after: OUTBASE.idx gives OUTBASE's three names.
  return {outBase + kIndexSuffix, outBase + kSubSuffix, outBase + kHelpSuffix,
          outBase + kIndexSuffix};
}

PairWriter::PairWriter(PairNames names, int streamCount)
    : names_(std::move(names)), entryLines_(static_cast<size_t>(streamCount)) {}

void PairWriter::Open(const std::string& settingsHeader) {
  index_.Create(names_.Index);
  index_.Write(settingsHeader);
  sub_.Create(names_.Sub);
}

void PairWriter::AddUnit(int stream, double startMs, const std::vector<uint8_t>& unit) {
  packs_.clear();
  const uint8_t subStreamId = static_cast<uint8_t>(kSubStreamId + stream);
  const int packsOfUnit = PackSubpicture(unit, startMs, packs_, subStreamId);
  entryLines_[static_cast<size_t>(stream)] += IndexEntry(startMs, packCount_ * kPackSize);
  packCount_ += static_cast<uint64_t>(packsOfUnit);
  sub_.Write(packs_.data(), packs_.size());
}

void PairWriter::Commit(const std::vector<std::string>& languageBlocks,
                        const std::string* helpText) {
  for (size_t s = 0; s < entryLines_.size(); ++s) {
    index_.Write(languageBlocks[s]);
    index_.Write(entryLines_[s]);
  }
  // All three keep their temporary names until all are written; then all
  // replace whatever held their names, so an earlier pair stays whole until
  // this one is.
  OutputFile help;
  std::vector<OutputFile*> outputs = {&index_, &sub_};
  if (helpText != nullptr) {
    help.Create(names_.Help);
    help.Write(*helpText);
    outputs.push_back(&help);
  }
  OutputFile::Commit(outputs);
  if (helpText == nullptr) {
    std::error_code removeError;
    std::filesystem::remove(names_.Help, removeError);
  }
}

bool PairWriter::Abandon() {
  const bool indexRemoved = index_.Discard();
  const bool subRemoved = sub_.Discard();
  return indexRemoved || subRemoved;
}

}  // namespace kestrelpix
