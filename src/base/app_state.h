// The application-wide flags, held in one object that the front end owns and
// hands to the stages that read or change them.
#pragma once

namespace kestrelpix {

struct AppState {
  // A document is loaded and passed its fit check.
  bool SubtitleLoaded = false;
  // The last text measured against the width limit fitted.
  bool SubtitleFits = false;
  // No generation run is active (or the active one has been told to stop).
  bool JobIdle = true;
};

}  // namespace kestrelpix
