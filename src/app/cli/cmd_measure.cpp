// kestrelpix-cli measure [font options] TEXT: prints the width and height in
// pixels of TEXT as the fit check and the rasterizer measure it.
#include <cstdio>
#include <string>

#include "app/cli/command.h"
#include "app/cli/render_options.h"
#include "render/measure.h"

namespace kestrelpix::cli {

namespace {

void PrintUsage(FILE* out) {
  std::fprintf(out,
               "Usage: kestrelpix-cli measure [--font NAME] [--size PT] [--style NAME]\n"
               "                              [--charset NAME] TEXT\n"
               "Prints the width and height in pixels of one subtitle line, e.g. \"301 31\".\n"
               "TEXT is taken as bytes and read by the charset.\n\n%s",
               RenderOptionsHelp(true).c_str());
}

int RunMeasure(const std::vector<std::string>& args) {
  CommandArgs parsed;
  RenderSettings s;
  try {
    parsed = SplitArgs(args, FontOptionNames());
    if (parsed.help) {
      PrintUsage(stdout);
      return kExitOk;
    }
    for (const auto& [name, value] : parsed.options) ApplyRenderOption(name, value, s);
  } catch (const UsageError& e) {
    return ReportUsage("measure", e.what());
  }
  if (parsed.positional.size() != 1) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  Fonts fonts;
  TextExtent e =
      MeasureLine(fonts, parsed.positional[0], s.FontName, s.FontSize, s.FontStyle, s.FontCharset);
  std::printf("%d %d\n", e.width, e.height);
  return kExitOk;
}

const RegisterCommand kRegistration({"measure", "print the width and height of a text line",
                                     RunMeasure});

}  // namespace

}  // namespace kestrelpix::cli
