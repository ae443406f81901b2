#include "vobsub/pair_writer.h"

#include <fstream>
#include <stdexcept>

#include "vobsub/idx_writer.h"
#include "vobsub/palette.h"
#include "vobsub/ps_packer.h"
#include "vobsub/spu_encoder.h"

namespace kestrelpix::testing {

std::vector<WrittenUnit> WritePair(const std::string& stem, const std::vector<TestEntry>& entries,
                                   const PairOptions& options, MessageSink* sink) {
  std::ofstream idx(stem + ".idx", std::ios::binary | std::ios::trunc);
  if (!idx) throw std::runtime_error("cannot create " + stem + ".idx");
  idx << IndexHeader(options.Fps, options.Language,
                     PaletteBlock(options.Palette, options.AntialiasColor, options.OutlineColor,
                                  options.TextColor));
  const ColorKeys keys =
      ColorKeysFrom(options.TextColor, options.OutlineColor, options.AntialiasColor);

  std::vector<uint8_t> stream;
  std::vector<WrittenUnit> written;
  for (size_t k = 0; k < entries.size(); ++k) {
    const TestEntry& entry = entries[k];
    for (const DisplaySpan& span : DisplaySpans(entry.StartTime, entry.EndTime)) {
      WrittenUnit unit;
      unit.entry = k;
      unit.StartTime = span.StartTime;
      unit.EndTime = span.EndTime;
      unit.BandTop = entry.BandTop;
      unit.BandHeight = entry.BandHeight;
      unit.unit = EncodeSubpicture(entry.frame, entry.BandTop, entry.BandHeight, span.StartTime,
                                   span.EndTime, keys, sink);
      unit.filePosition = stream.size();
      idx << IndexEntry(span.StartTime, unit.filePosition);
      unit.packs = PackSubpicture(unit.unit, span.StartTime, stream);
      written.push_back(std::move(unit));
    }
  }
  std::ofstream sub(stem + ".sub", std::ios::binary | std::ios::trunc);
  sub.write(reinterpret_cast<const char*>(stream.data()),
            static_cast<std::streamsize>(stream.size()));
  if (!sub || !idx) throw std::runtime_error("cannot write the pair " + stem);
  return written;
}

}  // namespace kestrelpix::testing
