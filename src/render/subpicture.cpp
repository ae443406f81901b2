#include "render/subpicture.h"

#include "render/line_wrap.h"

namespace kestrelpix {

Band RenderSubpicture(Fonts& fonts, const std::vector<ShownEntry>& shown, const RenderSettings& s,
                      IndexFrame& frame, std::vector<size_t>* cut) {
  if (cut != nullptr) cut->clear();
  // Only the first entry, drawn as a two-line entry, until the layout of
  // several entries lands.
  SubtitleEntryView entry;
  std::vector<std::string_view> lines;
  if (!shown.empty()) {
    lines = shown.front().Lines;
    if (!lines.empty()) entry.Text1 = lines[0];
    if (lines.size() > 1) entry.Text2 = lines[1];
  }
  const DrawnLines text = LinesToDraw(fonts, entry, lines, s);
  return RenderFrame(fonts, text.Line1, text.Line2, s, frame);
}

}  // namespace kestrelpix
