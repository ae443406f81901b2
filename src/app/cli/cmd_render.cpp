// kestrelpix-cli render [render options] --out FILE.png LINE1 [LINE2]: draws
// one subtitle entry into a blue frame as the conversion does, writes it as
// PNG and prints BandTop and BandHeight, e.g. "474 72".
#include <cstdio>
#include <string>

#include "app/cli/command.h"
#include "app/cli/render_options.h"
#include "render/png_file.h"
#include "render/rasterizer.h"

namespace kestrelpix::cli {

namespace {

void PrintUsage(FILE* out) {
  std::fprintf(out,
               "Usage: kestrelpix-cli render [options] --out FILE.png LINE1 [LINE2]\n"
               "Draws the two lines of a subtitle entry into a 720x576 (PAL) or 720x480 frame,\n"
               "writes it as PNG and prints the band of rows that holds the text: BandTop and\n"
               "BandHeight, e.g. \"474 72\". Lines are taken as bytes and read by the charset.\n\n"
               "  --out FILE.png         the picture to write (required)\n%s",
               RenderOptionsHelp(false).c_str());
}

int RunRender(const std::vector<std::string>& args) {
  std::vector<std::string> names = RenderOptionNames();
  names.push_back("out");
  CommandArgs parsed;
  RenderSettings s;
  std::string out;
  try {
    parsed = SplitArgs(args, names);
    if (parsed.help) {
      PrintUsage(stdout);
      return kExitOk;
    }
    for (const auto& [name, value] : parsed.options) {
      if (name == "out") {
        out = value;
      } else {
        ApplyRenderOption(name, value, s);
      }
    }
  } catch (const UsageError& e) {
    return ReportUsage("render", e.what());
  }
  if (out.empty() || parsed.positional.empty() || parsed.positional.size() > 2) {
    if (out.empty()) std::fprintf(stderr, "kestrelpix-cli render: --out FILE.png is required\n");
    PrintUsage(stderr);
    return kExitUsage;
  }
  const std::string line1 = parsed.positional[0];
  const std::string line2 = parsed.positional.size() > 1 ? parsed.positional[1] : "";
  FrameBitmap frame;
  Fonts fonts;
  Band band = RenderFrame(fonts, line1, line2, s, frame);
  WritePng(frame, out);
  std::printf("%d %d\n", band.BandTop, band.BandHeight);
  return kExitOk;
}

const RegisterCommand kRegistration({"render", "draw a subtitle entry into a PNG frame",
                                     RunRender});

}  // namespace

}  // namespace kestrelpix::cli
