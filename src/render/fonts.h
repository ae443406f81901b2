// The fonts that measuring and drawing use. Each face is matched through
// fontconfig and loaded by FreeType once, and each glyph rasterized once,
// then kept for the next line. A program holds one and passes it to every
// measuring and drawing call; calls from several threads take turns.
#pragma once

#include <memory>
#include <mutex>

namespace kestrelpix {

class FontCache;

class Fonts {
 public:
  Fonts();
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  // The faces and glyphs behind it, for the measuring and drawing code.
  // Made at the first call: a run that draws nothing never loads the font
  // configuration.
  FontCache& Cache();

 private:
  std::once_flag made_;
  std::unique_ptr<FontCache> cache_;
};

}  // namespace kestrelpix
