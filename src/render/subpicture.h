// One sub-picture: every entry shown at one time, laid out and drawn into
// the frame together.
#pragma once

#include <string_view>
#include <vector>

#include "base/frame_bitmap.h"
#include "render/fonts.h"
#include "render/rasterizer.h"
#include "render/render_settings.h"
#include "subtitle/entry_store.h"

namespace kestrelpix {

// The text of one entry shown in a sub-picture: its text lines as the file
// holds them (EntryTextLines) and where the file asks it to be shown.
struct ShownEntry {
  std::vector<std::string_view> Lines;
  Placement Place;
};

// Resets the frame as RenderFrame does and draws the entries shown, in the
// order given (start time, then file order), each where its place and the
// settings put it; returns the band that holds them all. When `cut` is
// given it receives the positions in `shown` of the entries some of whose
// text falls outside the frame (entries shown together that are too tall
// for it), ascending.
Band RenderSubpicture(Fonts& fonts, const std::vector<ShownEntry>& shown, const RenderSettings& s,
                      IndexFrame& frame, std::vector<size_t>* cut = nullptr);

}  // namespace kestrelpix
