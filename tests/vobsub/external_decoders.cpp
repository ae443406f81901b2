#include "vobsub/external_decoders.h"

#include <png.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "support/run_command.h"

namespace kestrelpix::testing {

namespace {

std::string Attribute(const std::string& element, const std::string& name) {
  const std::string key = " " + name + "=\"";
  const size_t at = element.find(key);
  if (at == std::string::npos) return "";
  const size_t begin = at + key.size();
  return element.substr(begin, element.find('"', begin) - begin);
}

int64_t Field(const std::string& line, const std::string& name) {
  const std::string key = "|" + name + "=";
  const size_t at = line.find(key);
  if (at == std::string::npos) return -1;
  return std::stoll(line.substr(at + key.size()));
}

}  // namespace

std::vector<SpuunmuxEntry> RunSpuunmux(const std::string& subPath, const std::string& workFolder,
                                       const std::string (&palette)[4], std::string& failure) {
  {
    std::ofstream file(workFolder + "/palette.rgb");
    for (const std::string& entry : palette) file << entry << "\n";
    for (int i = 4; i < 16; ++i) file << "000000\n";
  }
  const CommandResult result =
      RunCommand("spuunmux -o " + ShellQuote(workFolder + "/u") + " -p " +
                 ShellQuote(workFolder + "/palette.rgb") + " " + ShellQuote(subPath));
  if (result.status != 0) failure = "spuunmux failed: " + result.out + result.err;

  std::ifstream in(workFolder + "/u.xml");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<SpuunmuxEntry> entries;
  for (size_t at = text.find("<spu "); at != std::string::npos; at = text.find("<spu ", at + 1)) {
    const std::string element = text.substr(at, text.find('>', at) - at);
    SpuunmuxEntry entry;
    entry.image = Attribute(element, "image");
    entry.start = Attribute(element, "start");
    entry.end = Attribute(element, "end");
    // spuunmux leaves both offsets out when both are 0.
    const std::string x = Attribute(element, "xoffset"), y = Attribute(element, "yoffset");
    entry.xoffset = x.empty() ? 0 : std::stoi(x);
    entry.yoffset = y.empty() ? 0 : std::stoi(y);
    entries.push_back(entry);
  }
  return entries;
}

int64_t SpuunmuxTimeMs(const std::string& text) {
  int h = 0, m = 0, s = 0, cs = 0;
  if (std::sscanf(text.c_str(), "%d:%d:%d.%d", &h, &m, &s, &cs) != 4) return -1;
  return ((static_cast<int64_t>(h) * 60 + m) * 60 + s) * 1000 + cs * 10;
}

std::vector<FfprobeFrame> RunFfprobe(const std::string& idxPath, std::string& failure) {
  const CommandResult result =
      RunCommand("ffprobe -v error -show_packets -show_frames -of compact " + ShellQuote(idxPath));
  std::vector<FfprobeFrame> frames;
  if (result.status != 0) failure = "ffprobe failed: " + result.out + result.err;
  std::istringstream lines(result.out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("packet|", 0) == 0) {
      FfprobeFrame frame;
      frame.position = static_cast<uint64_t>(Field(line, "pos"));
      frame.ptsMs = Field(line, "pts");
      frames.push_back(frame);
    } else if (line.rfind("subtitle|", 0) == 0 && !frames.empty()) {
      frames.back().endDisplayMs = Field(line, "end_display_time");
    } else if (!line.empty()) {
      failure = "ffprobe said: " + line;
    }
  }
  return frames;
}

bool ReadPng(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgba) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return true;
}

}  // namespace kestrelpix::testing
