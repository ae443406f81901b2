// Whole frames of shaped and right-to-left text compared pixel for pixel with
// reference PNGs in tests/render/golden/, and the Arabic and Hebrew frames
// read back by OCR in reading order. The fonts come from Debian packages that
// scripts/install-deps.sh installs; scripts/regen-goldens.sh rewrites the
// references after an intended change.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "render/font_tables.h"
#include "render/png_file.h"
#include "render/rasterizer.h"
#include "render/render_test_util.h"
#include "support/run_command.h"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

using testing::HaveProgram;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

// السلام عليكم يا صديقي / الكتاب على الطاولة
const std::string kArabic1 =
    "\xD8\xA7\xD9\x84\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 \xD8\xB9\xD9\x84\xD9\x8A\xD9\x83\xD9\x85 "
    "\xD9\x8A\xD8\xA7 \xD8\xB5\xD8\xAF\xD9\x8A\xD9\x82\xD9\x8A";
const std::string kArabic2 =
    "\xD8\xA7\xD9\x84\xD9\x83\xD8\xAA\xD8\xA7\xD8\xA8 \xD8\xB9\xD9\x84\xD9\x89 "
    "\xD8\xA7\xD9\x84\xD8\xB7\xD8\xA7\xD9\x88\xD9\x84\xD8\xA9";
// הספינה הגיעה לנמל / בשנת 1999 בבוקר
const std::string kHebrew1 =
    "\xD7\x94\xD7\xA1\xD7\xA4\xD7\x99\xD7\xA0\xD7\x94 \xD7\x94\xD7\x92\xD7\x99\xD7\xA2\xD7\x94 "
    "\xD7\x9C\xD7\xA0\xD7\x9E\xD7\x9C";
const std::string kHebrew2 =
    "\xD7\x91\xD7\xA9\xD7\xA0\xD7\xAA 1999 \xD7\x91\xD7\x91\xD7\x95\xD7\xA7\xD7\xA8";

struct ScriptCase {
  const char* name;
  std::string line1;
  std::string line2;
  RenderSettings settings;
  const char* ocr_language;  // tesseract's, or nullptr
};

RenderSettings With(const char* font, int size, uint8_t style, int outline, const char* align,
                    const char* fps) {
  RenderSettings s;
  s.FontName = font;
  s.FontSize = size;
  s.FontStyle = style;
  s.OutlineWidth = outline;
  s.Align = align;
  s.Fps = fps;
  return s;
}

std::vector<ScriptCase> Cases() {
  std::vector<ScriptCase> cases;
  // The window's defaults: Arial's substitute has no Arabic, so the letters
  // and the spaces between them come from the fallback face.
  cases.push_back({"arabic_arial_default", kArabic1, kArabic2,
                   With("Arial", 20, 0, 3, "center", "25.000"), "ara"});
  cases.push_back({"hebrew_numbers_liberation_right", kHebrew1, kHebrew2,
                   With("Liberation Sans", 24, 0, 3, "right", "25.000"), "heb"});
  // สวัสดีครับ ยินดีต้อนรับ / น้ำใจ ผู้ใหญ่ กี่ปี: vowels and tone marks
  // above and below, stacked.
  cases.push_back(
      {"thai_garuda",
       "\xE0\xB8\xAA\xE0\xB8\xA7\xE0\xB8\xB1\xE0\xB8\xAA\xE0\xB8\x94\xE0\xB8\xB5\xE0\xB8"
       "\x84\xE0\xB8\xA3\xE0\xB8\xB1\xE0\xB8\x9A \xE0\xB8\xA2\xE0\xB8\xB4\xE0\xB8\x99\xE0"
       "\xB8\x94\xE0\xB8\xB5\xE0\xB8\x95\xE0\xB9\x89\xE0\xB8\xAD\xE0\xB8\x99\xE0\xB8\xA3"
       "\xE0\xB8\xB1\xE0\xB8\x9A",
       "\xE0\xB8\x99\xE0\xB9\x89\xE0\xB8\xB3\xE0\xB9\x83\xE0\xB8\x88 \xE0\xB8\x9C\xE0\xB8"
       "\xB9\xE0\xB9\x89\xE0\xB9\x83\xE0\xB8\xAB\xE0\xB8\x8D\xE0\xB9\x88 \xE0\xB8\x81\xE0"
       "\xB8\xB5\xE0\xB9\x88\xE0\xB8\x9B\xE0\xB8\xB5",
       With("Garuda", 22, 0, 3, "center", "25.000"), nullptr});
  // नमस्ते दुनिया / क्षत्रिय हिन्दी श्री: conjuncts and vowel signs that go
  // before their consonant.
  cases.push_back(
      {"devanagari_lohit",
       "\xE0\xA4\xA8\xE0\xA4\xAE\xE0\xA4\xB8\xE0\xA5\x8D\xE0\xA4\xA4\xE0\xA5\x87 \xE0\xA4"
       "\xA6\xE0\xA5\x81\xE0\xA4\xA8\xE0\xA4\xBF\xE0\xA4\xAF\xE0\xA4\xBE",
       "\xE0\xA4\x95\xE0\xA5\x8D\xE0\xA4\xB7\xE0\xA4\xA4\xE0\xA5\x8D\xE0\xA4\xB0\xE0\xA4"
       "\xBF\xE0\xA4\xAF \xE0\xA4\xB9\xE0\xA4\xBF\xE0\xA4\xA8\xE0\xA5\x8D\xE0\xA4\xA6\xE0"
       "\xA5\x80 \xE0\xA4\xB6\xE0\xA5\x8D\xE0\xA4\xB0\xE0\xA5\x80",
       With("Lohit Devanagari", 24, 0, 3, "center", "25.000"), nullptr});
  {
    // مَرْحَبًا بِكُمْ، DVD رقم 12 / لا، شكرًا (2024): vowel marks, a Latin
    // word and numbers inside Arabic, a mirrored pair of brackets; bold,
    // left, NTSC.
    RenderSettings s = With("DejaVu Sans", 26, 1, 4, "left", "29.970");
    s.TextColor = MakeColor(255, 255, 0);
    s.OutlineColor = MakeColor(0, 0, 128);
    s.AntialiasColor = MakeColor(192, 192, 192);
    cases.push_back({"arabic_marks_bold_left_ntsc",
                     "\xD9\x85\xD9\x8E\xD8\xB1\xD9\x92\xD8\xAD\xD9\x8E\xD8\xA8\xD9\x8B\xD8\xA7 \xD8"
                     "\xA8\xD9\x90\xD9\x83\xD9\x8F\xD9\x85\xD9\x92\xD8\x8C DVD \xD8\xB1\xD9\x82\xD9"
                     "\x85 12",
                     "\xD9\x84\xD8\xA7\xD8\x8C \xD8\xB4\xD9\x83\xD8\xB1\xD9\x8B\xD8\xA7 (2024)", s,
                     nullptr});
  }
  return cases;
}

TEST(ScriptGoldenFrames, FontsAreInstalled) {
  const std::vector<std::string> fonts = FontList();
  for (const char* family : {"Garuda", "Lohit Devanagari", "DejaVu Sans", "Liberation Sans"}) {
    EXPECT_NE(std::find(fonts.begin(), fonts.end(), family), fonts.end())
        << family << " is not installed; scripts/install-deps.sh installs it";
  }
}

TEST(ScriptGoldenFrames, MatchTheReferencePictures) {
  for (const ScriptCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    FrameBitmap frame;
    RenderFrame(TestFonts(), c.line1, c.line2, c.settings, frame);
    const RenderSettings& s = c.settings;
    EXPECT_EQ(testing::ColorsOf(frame), (std::set<ColorValue>{kBackgroundBlue, s.TextColor,
                                                              s.OutlineColor, s.AntialiasColor}));
    testing::ExpectGoldenFrame(c.name, frame);
  }
}

// The lines of an OCR result, blanks collapsed, empty lines dropped.
std::vector<std::string> OcrLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string joined;
    for (std::string w; words >> w;) joined += (joined.empty() ? "" : " ") + w;
    if (!joined.empty()) lines.push_back(joined);
  }
  return lines;
}

bool TesseractHas(const std::string& language) {
  auto r = RunCommand("tesseract --list-langs");
  return r.status == 0 && (r.out + r.err).find("\n" + language + "\n") != std::string::npos;
}

// Tesseract reads the Arabic and Hebrew frames in logical order. Were the
// letters laid out left to right, it would read each word backwards. As in
// the other OCR tests, the frame becomes dark text on a light ground first.
TEST(ScriptGoldenFrames, OcrReadsRightToLeftLinesInReadingOrder) {
  if (!HaveProgram("tesseract") || !HaveProgram("ffmpeg")) {
    GTEST_SKIP() << "tesseract or ffmpeg is not installed";
  }
  TempDir dir;
  const std::string png = (dir.path() / "frame.png").string();
  const std::string negated = (dir.path() / "negated.png").string();
  int read = 0;
  for (const ScriptCase& c : Cases()) {
    if (c.ocr_language == nullptr) continue;
    SCOPED_TRACE(c.name);
    if (!TesseractHas(c.ocr_language)) {
      ADD_FAILURE() << "tesseract has no '" << c.ocr_language
                    << "' data; scripts/install-deps.sh installs it";
      continue;
    }
    FrameBitmap frame;
    RenderFrame(TestFonts(), c.line1, c.line2, c.settings, frame);
    WritePng(frame, png);
    auto convert = RunCommand("ffmpeg -loglevel error -y -i " + ShellQuote(png) +
                              " -vf format=gray,negate " + ShellQuote(negated));
    ASSERT_EQ(convert.status, 0) << convert.err;
    auto ocr = RunCommand("tesseract " + ShellQuote(negated) + " stdout -l " + c.ocr_language +
                          " --psm 6");
    ASSERT_EQ(ocr.status, 0) << ocr.err;
    EXPECT_EQ(OcrLines(ocr.out), (std::vector<std::string>{c.line1, c.line2}))
        << "OCR read: " << ocr.out;
    ++read;
  }
  EXPECT_EQ(read, 2);
}

}  // namespace
}  // namespace kestrelpix
