#include "vobsub/help_text.h"

#include <vector>

#include "vobsub/output_names.h"
#include "vobsub/palette.h"

namespace kestrelpix {

std::string HelpText(ColorValue antialias, ColorValue outline, ColorValue text,
                     const std::string& inputPath) {
  const std::string put = " Y Cr CB ,doubleclick it, and put the value: ";
  const std::vector<std::string> lines = {
      "All Done !!! Important Note:",
      "Some DVD Devices might want an VTS_01_0.IFO (COLORS.IFO) file in order to get correct "
      "colors",
      "Just Download VTS_01_0.IFO (COLORS.IFO) load it on Ifoedit and press VTS_PGCITI and then "
      "VTS_PGC1.",
      "Then find the Color 0" + put + YCrCbSpaced(antialias),
      "Then find the Color 1" + put + YCrCbSpaced(outline),
      "Then find the Color 2" + put + YCrCbSpaced(text),
      "Then find the Color 3" + put + YCrCbSpaced(kBackgroundBlue),
      "Then press save. Thats all.",
      "",
      "Generated Files:",
      OutputFileName(inputPath, kIndexSuffix),
      OutputFileName(inputPath, kSubSuffix),
      OutputFileName(inputPath, kHelpSuffix),
      "",
      std::string("Download Ifo File (COLORS.IFO) from here: ") + kSampleIfoAddress,
      "",
      std::string("To combine several VobSub pairs into one multi-language subtitle, use a "
                  "separate muxing tool; see ") +
          kMuxingGuideAddress,
  };
  std::string joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) joined += "\r\n";
    joined += lines[i];
  }
  return joined;
}

}  // namespace kestrelpix
