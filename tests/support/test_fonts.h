// The fonts a test program measures and draws with: one for the whole
// program, as the window and the command-line tool each hold one.
#pragma once

#include "render/fonts.h"

namespace kestrelpix::testing {

inline Fonts& TestFonts() {
  static Fonts fonts;
  return fonts;
}

}  // namespace kestrelpix::testing
