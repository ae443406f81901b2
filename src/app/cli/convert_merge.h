// convert --merge OUTBASE INPUT...: the inputs as the language streams of
// one VobSub pair.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "render/render_settings.h"

namespace kestrelpix::cli {

struct MergeRequest {
  std::optional<std::string> outBase;    // --merge
  std::optional<std::string> languages;  // --languages en,fr,de
  RenderSettings settings;               // Language: the --language value
  std::vector<std::string> inputs;
  std::string outputDir;
  int jobs = 1;
  int threads = 1;  // that draw and encode
  bool quiet = false;
  std::string samiClass;  // --sami-class
};

// Creates `folder` and its missing parents, as --output-dir and the folder of
// --merge's OUTBASE need. False, after a message on stderr, when it cannot.
bool CreateOutputFolder(const std::string& folder);

// Help lines of the two options, for convert --help.
extern const char* const kMergeHelp;

// Runs the merge and returns the exit status: 0 done, 1 refused or failed
// (nothing written, or an unfinished pair removed), 2 bad options, 130
// stopped by Ctrl-C with a consistent, shorter pair.
int RunMerge(const MergeRequest& request);

}  // namespace kestrelpix::cli
