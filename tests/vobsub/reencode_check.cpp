#include "vobsub/reencode_check.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "support/temp_dir.h"
#include "vobsub/external_decoders.h"
#include "vobsub/ps_packer.h"
#include "vobsub/spu_decoder.h"
#include "vobsub/spu_encoder.h"

namespace kestrelpix::testing {

namespace {

struct IndexLine {
  double StartTime = 0;
  uint64_t filePosition = 0;
};

// The palette given to spuunmux: one distinct colour per pixel index, so
// that every picture maps back to indices without doubt. Entries 0..3 are
// what indices 3, 2, 1, 0 show.
const std::string kIdentPalette[4] = {"ff0000", "000000", "ffffff", "0000ff"};
constexpr ColorValue kIdentText = MakeColor(255, 255, 255);
constexpr ColorValue kIdentOutline = MakeColor(0, 0, 0);
constexpr ColorValue kIdentAntialias = MakeColor(255, 0, 0);

std::vector<IndexLine> ReadIndex(const std::string& idxPath) {
  std::ifstream in(idxPath, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + idxPath);
  std::vector<IndexLine> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("timestamp: ", 0) != 0) continue;
    unsigned long long h = 0, m = 0, s = 0, ms = 0, pos = 0;
    if (std::sscanf(line.c_str(), "timestamp: %llu:%llu:%llu:%llu, filepos: %llx", &h, &m, &s, &ms,
                    &pos) != 5) {
      throw std::runtime_error("bad index line: " + line);
    }
    lines.push_back({static_cast<double>(((h * 60 + m) * 60 + s) * 1000 + ms), pos});
  }
  return lines;
}

// Pixel index of a decoded RGBA pixel, -1 for a colour of no index.
int IndexOfPixel(const uint8_t* p) {
  if (p[3] == 0) return 0;
  const ColorValue color = MakeColor(p[0], p[1], p[2]);
  if (color == kIdentText) return 1;
  if (color == kIdentOutline) return 2;
  if (color == kIdentAntialias) return 3;
  return -1;
}

ColorValue ColorOfIndex(int index) {
  switch (index) {
    case 1:
      return kIdentText;
    case 2:
      return kIdentOutline;
    case 3:
      return kIdentAntialias;
    default:
      return kBackgroundBlue;
  }
}

std::string Describe(size_t k, const IndexLine& line) {
  std::ostringstream text;
  text << "unit " << k + 1 << " (filepos " << std::hex << line.filePosition << std::dec << ")";
  return text.str();
}

}  // namespace

ReencodeReport ReencodeCheck(const std::string& idxPath) {
  ReencodeReport report;
  std::vector<IndexLine> index = ReadIndex(idxPath);
  // spuunmux gives the units in stream order.
  std::stable_sort(index.begin(), index.end(), [](const IndexLine& a, const IndexLine& b) {
    return a.filePosition < b.filePosition;
  });
  report.units = static_cast<int>(index.size());
  const std::string subPath = idxPath.substr(0, idxPath.size() - 4) + ".sub";
  std::ifstream subFile(subPath, std::ios::binary);
  const std::vector<uint8_t> stream((std::istreambuf_iterator<char>(subFile)),
                                    std::istreambuf_iterator<char>());

  const TempDir workFolder;
  const std::string work = workFolder.path().string();
  std::string failure;
  const std::vector<SpuunmuxEntry> pictures = RunSpuunmux(subPath, work, kIdentPalette, failure);
  if (!failure.empty()) report.problems.push_back(failure);
  if (pictures.size() != index.size()) {
    report.problems.push_back("spuunmux found " + std::to_string(pictures.size()) +
                              " units, the index lists " + std::to_string(index.size()));
  }
  failure.clear();
  std::map<uint64_t, FfprobeFrame> times;
  for (const FfprobeFrame& frame : RunFfprobe(idxPath, failure)) times[frame.position] = frame;
  if (!failure.empty()) report.problems.push_back(failure);

  const ColorKeys keys = ColorKeysFrom(kIdentText, kIdentOutline, kIdentAntialias);
  for (size_t k = 0; k < index.size() && k < pictures.size(); ++k) {
    const IndexLine& line = index[k];
    const std::string name = Describe(k, line);
    try {
      int packCount = 0;
      const std::vector<uint8_t> ours =
          UnitFromPacks(stream, line.filePosition, nullptr, &packCount);

      // The picture from spuunmux, the stop delay from ffprobe: it shows the
      // stop as floor(d * 1024 / 90) ms, and as a delay unit is longer than
      // 1 ms, d = ceil(ms * 90 / 1024) recovers d. A wholly transparent
      // picture is shown by neither (spuunmux writes no image, ffmpeg no
      // subtitle); only then are its area and delay taken from the unit.
      const SpuunmuxEntry& picture = pictures[k];
      auto time = times.find(line.filePosition);
      if (time == times.end()) {
        report.problems.push_back(name + ": ffprobe lists no packet at this position");
        continue;
      }
      int width = 0, height = 0;
      int64_t delay = 0;
      std::vector<uint8_t> rgba;
      if (!picture.image.empty()) {
        if (!ReadPng(picture.image, width, height, rgba)) {
          report.problems.push_back(name + ": cannot read " + picture.image);
          continue;
        }
        if (time->second.endDisplayMs < 0) {
          report.problems.push_back(name + ": ffprobe gives no subtitle for a visible picture");
          continue;
        }
        delay = (time->second.endDisplayMs * 90 + 1023) / 1024;
      } else {
        const DecodedUnit decoded = DecodeUnit(ours);
        width = decoded.width();
        height = decoded.height();
        delay = decoded.sequences.back().delay;
        rgba.assign(static_cast<size_t>(width) * height * 4, 0);
      }
      if (picture.xoffset != 0 || width != 720) {
        report.problems.push_back(name + ": picture at x " + std::to_string(picture.xoffset) +
                                  ", " + std::to_string(width) + " wide");
        continue;
      }

      // Back to a frame: picture column x is frame pixel x + 1, and the last
      // column is the end-of-line fill, always index 0.
      FrameBitmap frame(720, picture.yoffset + height);
      bool badPixel = false;
      for (int row = 0; row < height && !badPixel; ++row) {
        const int y = picture.yoffset + row;
        const uint8_t* src = &rgba[static_cast<size_t>(row) * width * 4];
        for (int x = 0; x < 720; ++x) {
          const int pixelIndex = IndexOfPixel(src + 4 * x);
          if (pixelIndex < 0 || (x == 719 && pixelIndex != 0)) {
            report.problems.push_back(name + ": pixel " + std::to_string(x) + " of row " +
                                      std::to_string(row) + " cannot come from our encoder");
            badPixel = true;
            break;
          }
          if (x <= 718) frame.SetPixel(x + 1, y, ColorOfIndex(pixelIndex));
        }
        frame.SetPixel(0, y, frame.PixelAt(1, y));
      }
      if (badPixel) continue;

      const double start = static_cast<double>(time->second.ptsMs);
      const std::vector<uint8_t> again =
          EncodeSubpicture(frame, picture.yoffset, height, start,
                           start + static_cast<double>(delay) * 1024.0 / 90.0, keys);
      if (again != ours) {
        size_t at = 0;
        while (at < again.size() && at < ours.size() && again[at] == ours[at]) ++at;
        report.problems.push_back(name + ": re-encoded unit differs from byte " +
                                  std::to_string(at) + " (" + std::to_string(again.size()) +
                                  " bytes against " + std::to_string(ours.size()) + ")");
        continue;
      }
      // The packs too, with the time stamp of the index line.
      std::vector<uint8_t> packs;
      const int count = PackSubpicture(again, line.StartTime, packs);
      if (count != packCount ||
          !std::equal(packs.begin(), packs.end(),
                      stream.begin() + static_cast<std::ptrdiff_t>(line.filePosition))) {
        report.problems.push_back(name + ": re-packed unit differs from the .sub file");
        continue;
      }
      ++report.matched;
    } catch (const std::exception& e) {
      report.problems.push_back(name + ": " + e.what());
    }
  }
  return report;
}

}  // namespace kestrelpix::testing
