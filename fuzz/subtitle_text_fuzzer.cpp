// Subtitle text is outside data too: its bytes reach the charset decoder,
// the measuring and the rasterizer unchanged. This target draws arbitrary
// bytes as the two lines of an entry with settings taken from the input,
// and encodes and packs the band. Properties checked:
//  - decoding gives characters that encode as valid UTF-8, and message text
//    is always valid UTF-8;
//  - measuring gives a non-negative width and a positive height;
//  - the drawn frame has the size its frame rate gives and holds only the
//    background and the three key colours;
//  - the band is at least one row high with an even top; a band inside the
//    frame encodes (or is refused as too large) into whole packs;
//  - wrapping loses no text: lines it breaks anew hold the entry's words in
//    order; lines that both fit are kept as they are.
//
// Input layout: font, charset, style, size, outline width, alignment, offset
// and line spacing, frame rate (one byte each), then the text: line 1 up to
// the first LF, line 2 after it (each cut to 1000 bytes).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/control_lists.h"
#include "render/font_tables.h"
#include "render/line_wrap.h"
#include "render/measure.h"
#include "render/rasterizer.h"
#include "render/text_decode.h"
#include "subtitle/unicode_text.h"
#include "support/test_fonts.h"
#include "vobsub/ps_packer.h"
#include "vobsub/spu_encoder.h"

using kestrelpix::testing::TestFonts;

namespace {

using namespace kestrelpix;

void Check(bool ok) {
  if (!ok) std::abort();
}

template <typename T>
const T& PickFrom(const std::vector<T>& list, uint8_t selector) {
  return list[selector % list.size()];
}

// The words of the lines, split at blanks and tabs.
// The text without its blanks: what breaking a line may not change.
std::string WithoutBlanks(const std::vector<std::string_view>& lines) {
  std::string text;
  for (std::string_view line : lines) {
    for (char c : line) {
      if (c != ' ' && c != '\t') text += c;
    }
  }
  return text;
}

void CheckDecoding(std::string_view text, uint8_t charset) {
  Check(IsValidUtf8(EncodeUtf8(DecodeText(text, charset))));
  Check(IsValidUtf8(SystemTextToUtf8(text)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  static const std::vector<std::string> fonts = FontList();

  RenderSettings s;
  s.FontName = PickFrom(fonts, data[0]);
  s.FontCharset = CharsetFromName(PickFrom(CharsetNames(), data[1]));
  s.FontStyle = data[2] & 15;
  s.FontSize = std::stoi(PickFrom(FontSizeNames(), data[3]));
  s.OutlineWidth = 2 + data[4] % 3;
  s.Align = PickFrom(AlignList(), data[5]);
  s.BottomOffset = kBottomOffsetMin + data[6] * (kBottomOffsetMax - kBottomOffsetMin) / 255;
  s.LineSpacing = kLineSpacingMin + 2 * (data[7] % 13);
  s.Fps = PickFrom(FpsList(), data[8]);
  s.TextColor = MakeColor(255, 255, 255);
  s.OutlineColor = MakeColor(0, 0, 0);
  s.AntialiasColor = MakeColor(128, 128, 128);

  std::string_view text(reinterpret_cast<const char*>(data) + 9, size - 9);
  const size_t lf = text.find('\n');
  std::string_view line1 = text.substr(0, lf);
  std::string_view line2 = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
  line1 = line1.substr(0, 1000);
  line2 = line2.substr(0, 1000);

  CheckDecoding(line1, s.FontCharset);
  CheckDecoding(line2, s.FontCharset);
  const TextExtent extent =
      MeasureLine(TestFonts(), line1, s.FontName, s.FontSize, s.FontStyle, s.FontCharset);
  Check(extent.width >= 0 && extent.height > 0);

  RenderSettings wrapping = s;
  wrapping.WrapLines = true;
  const std::vector<std::string> wrapped = LayOutLines(TestFonts(), {line1, line2}, wrapping);
  const bool fits =
      LineWidth(TestFonts(), line1, s) < FitLimit && LineWidth(TestFonts(), line2, s) < FitLimit;
  if (fits) {
    Check(wrapped == std::vector<std::string>{std::string(line1), std::string(line2)});
  } else {
    // Breaking loses no text.
    const std::vector<std::string_view> pieces(wrapped.begin(), wrapped.end());
    Check(WithoutBlanks(pieces) == WithoutBlanks({line1, line2}));
  }

  IndexFrame drawn;
  const Band band = RenderFrame(TestFonts(), line1, line2, s, drawn);
  FrameBitmap frame;
  PaintPicture(drawn, frame);
  Check(frame.width() == kFrameWidth && frame.height() == FrameHeightForFps(s.Fps));
  Check(band.BandTop % 2 == 0 && band.BandHeight >= 1);
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) {
      const ColorValue c = frame.PixelAt(x, y);
      Check(c == kBackgroundBlue || c == s.TextColor || c == s.OutlineColor ||
            c == s.AntialiasColor);
    }
  }

  if (band.BandTop < 0 || band.BandTop + band.BandHeight > frame.height()) return 0;
  const ColorKeys keys = ColorKeysFrom(s.TextColor, s.OutlineColor, s.AntialiasColor);
  std::vector<uint8_t> unit;
  try {
    unit = EncodeSubpicture(drawn, band.BandTop, band.BandHeight, 1000, 3000, keys);
    // The frame of values encodes as its picture does.
    Check(unit == EncodeSubpicture(frame, band.BandTop, band.BandHeight, 1000, 3000, keys));
  } catch (const SubpictureTooLargeError&) {
    return 0;
  }
  std::vector<uint8_t> packs;
  const int count = PackSubpicture(unit, 1000, packs);
  Check(count >= 1 && packs.size() == static_cast<size_t>(count) * kPackSize);
  return 0;
}
