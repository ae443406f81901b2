// What the independent decoders make of a VobSub pair: spuunmux (dvdauthor)
// extracts every unit as a picture with its position and times; ffprobe
// (ffmpeg) lists every subtitle with its start and display end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrelpix::testing {

struct SpuunmuxEntry {
  std::string image;       // PNG path; empty for a wholly transparent picture
  std::string start, end;  // "hh:mm:ss.cc"
  int xoffset = 0, yoffset = 0;
};

// Runs spuunmux on a .sub into `workFolder` with a palette file of entries
// 0..3 given as six hex digits each (RGB). Returns the units in stream order;
// sets `failure` when spuunmux fails.
std::vector<SpuunmuxEntry> RunSpuunmux(const std::string& subPath, const std::string& workFolder,
                                       const std::string (&palette)[4], std::string& failure);

// "hh:mm:ss.cc" -> milliseconds.
int64_t SpuunmuxTimeMs(const std::string& text);

struct FfprobeFrame {
  uint64_t position = 0;  // byte offset of the unit in the .sub (the index's filepos)
  int64_t ptsMs = 0;      // start, from the index
  // The unit's stop, counted from its start; -1 when ffmpeg gave no
  // subtitle for the packet (it drops pictures with nothing visible).
  int64_t endDisplayMs = -1;
};

// Runs ffprobe on an .idx: one entry per packet in its (time-sorted) order,
// with the decoded frame's display end. Sets `failure` on any error output.
std::vector<FfprobeFrame> RunFfprobe(const std::string& idxPath, std::string& failure);

// Reads a PNG as RGBA bytes.
bool ReadPng(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgba);

}  // namespace kestrelpix::testing
