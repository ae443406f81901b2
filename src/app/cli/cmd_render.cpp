// kestrelpix-cli render [render options] --out FILE.png LINE...: draws one
// subtitle entry into a blue frame as the conversion does (laid out and
// wrapped unless --no-wrap), writes it as PNG and prints BandTop and
// BandHeight, e.g. "474 72".
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/command.h"
#include "app/cli/render_options.h"
#include "render/png_file.h"
#include "render/rasterizer.h"
#include "render/subpicture.h"

namespace kestrelpix::cli {

namespace {

void PrintUsage(FILE* out) {
  std::fprintf(out,
               "Usage: kestrelpix-cli render [options] --out FILE.png LINE1 [LINE2 ...]\n"
               "Draws the lines of a subtitle entry into a 720x576 (PAL) or 720x480 frame as\n"
               "the conversion does, writes it as PNG and prints the band of rows that holds\n"
               "the text: BandTop and BandHeight, e.g. \"474 72\". Lines are taken as bytes and\n"
               "read by the charset.\n\n"
               "  --out FILE.png         the picture to write (required)\n"
               "  --no-wrap              draw the first two lines as they are; without it every\n"
               "                         line is drawn, long ones broken as players do\n%s",
               RenderOptionsHelp(false).c_str());
}

int RunRender(const std::vector<std::string>& args) {
  std::vector<std::string> names = RenderOptionNames();
  names.push_back("out");
  CommandArgs parsed;
  RenderSettings s;
  s.WrapLines = true;
  std::string out;
  std::vector<std::string> filtered;
  for (const std::string& a : args) {
    if (a == "--wrap" || a == "--no-wrap") {
      s.WrapLines = a == "--wrap";
    } else {
      filtered.push_back(a);
    }
  }
  try {
    parsed = SplitArgs(filtered, names);
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
  if (out.empty() || parsed.positional.empty()) {
    if (out.empty()) std::fprintf(stderr, "kestrelpix-cli render: --out FILE.png is required\n");
    PrintUsage(stderr);
    return kExitUsage;
  }
  ShownEntry entry;
  for (const std::string& line : parsed.positional) entry.Lines.push_back(line);
  if (entry.Lines.size() < 2) entry.Lines.emplace_back();
  IndexFrame drawn;
  Fonts fonts;
  const Band band = RenderSubpicture(fonts, {entry}, s, drawn);
  FrameBitmap frame;
  PaintPicture(drawn, frame);
  WritePng(frame, out);
  std::printf("%d %d\n", band.BandTop, band.BandHeight);
  return kExitOk;
}

const RegisterCommand kRegistration({"render", "draw a subtitle entry into a PNG frame",
                                     RunRender});

}  // namespace

}  // namespace kestrelpix::cli
