#include "vobsub/idx_writer.h"

#include <cmath>
#include <cstdio>

#include "base/frame_geometry.h"
#include "base/idx_time.h"

namespace kestrelpix {

namespace {

constexpr const char* kCrLf = "\r\n";

// Lines 1 to 22, up to the frame size.
constexpr const char* kHeadLines[] = {
    "# VobSub index file, v7 (do not modify this line!)",
    "#",
    "# To repair desyncronization, you can insert gaps this way:",
    "# (it usually happens after vob id changes)",
    "#",
    "#\t delay: [sign]hh:mm:ss:ms",
    "#",
    "# Where:",
    "#\t [sign]: +, - (optional)",
    "#\t hh: hours (0 <= hh)",
    "#\t mm/ss: minutes/seconds (0 <= mm/ss <= 59)",
    "#\t ms: milliseconds (0 <= ms <= 999)",
    "#",
    "#\t Note: You can' t position a sub before the previous with a negative value.",
    "#",
    "# You can also modify timestamps or delete a few subs you don' t like.",
    "# Just make sure they stay in increasing order.",
    "",
    "",
    "# Settings",
    "",
    "# Original frame size",
};

// Lines 24 to 50, between the frame size and the palette block.
constexpr const char* kSettingsLines[] = {
    "",
    "# Origin, relative to the upper-left corner, can be overloaded by aligment",
    "org: 0, 0",
    "",
    ("# Image scaling (hor,ver), origin is at the upper-left corner or at the alignment coord "
     "(x, y)"),
    "scale: 100%, 100%",
    "# Alpha blending",
    "alpha: 100%",
    "",
    "# Smoothing for very blocky images (use OLD for no filtering)",
    "smooth: OFF",
    "",
    "# In millisecs",
    "fadein/out: 0, 0",
    "",
    "# Force subtitle placement relative to (org.x, org.y)",
    "",
    "align: OFF at LEFT TOP",
    "",
    "# for correcting non - progressive desync.(in millisecs or hh: mm: ss: ms)",
    "# Note: not effective in DirectVobSub, use \"delay: ...\" instead.",
    "time offset: 0",
    "",
    "# on: displays only forced subtitles, OFF: shows everything",
    "forced subs: OFF",
    "",
    "# The original palette of the DVD",
};

void AppendLine(std::string& text, const std::string& line) {
  text += line;
  text += kCrLf;
}

}  // namespace

std::string IndexSettingsHeader(const std::string& Fps, const std::string& paletteBlock) {
  std::string text;
  text.reserve(2048);
  for (const char* line : kHeadLines) AppendLine(text, line);
  AppendLine(text,
             "size: " + std::to_string(kFrameWidth) + "x" + std::to_string(FrameHeightForFps(Fps)));
  for (const char* line : kSettingsLines) AppendLine(text, line);
  text += paletteBlock;
  if (paletteBlock.size() < 2 || paletteBlock.compare(paletteBlock.size() - 2, 2, kCrLf) != 0) {
    text += kCrLf;
  }
  AppendLine(text, "");
  AppendLine(text, "# Language index in use");
  AppendLine(text, "langidx: 0");
  AppendLine(text, "");
  return text;
}

std::string IndexLanguageBlock(const std::string& name, const std::string& Language, int index) {
  std::string text;
  AppendLine(text, "# " + name);
  AppendLine(text, "id: " + Language.substr(0, 2) + ", index: " + std::to_string(index));
  AppendLine(text,
             "# Decomment next line to activate alternative name in DirectVobSub / Windows Media "
             "Player 6.x");
  AppendLine(text, "# alt: " + name);
  AppendLine(text, "# Vob/Cell ID: 1, 1 (PTS: 0)");
  return text;
}

std::string IndexHeader(const std::string& Fps, const std::string& Language,
                        const std::string& paletteBlock) {
  // A single stream is always named English, whatever its language: the
  // "id:" line alone carries the code.
  return IndexSettingsHeader(Fps, paletteBlock) + IndexLanguageBlock("English", Language, 0);
}

std::string IndexEntry(double StartTime, uint64_t filePosition) {
  char position[32];
  std::snprintf(position, sizeof position, "%09llx", static_cast<unsigned long long>(filePosition));
  return "timestamp: " + FormatIdxTime(StartTime) + ", filepos: " + position + kCrLf;
}

}  // namespace kestrelpix
