// The window side of the settings file: window placement taken from and
// applied to Qt's geometry and state.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/form_storage.h"

class QWidget;

namespace kestrelpix::window {

// The placement of a top-level window: show state, the screen's logical
// pixels per inch and size, and the normal (restored) frame rectangle, right
// and bottom exclusive.
WindowPlacement PlacementOf(const QWidget* window);

// Moves the window to the restored position, kept on the screen so that a
// position stored for a larger desktop cannot hide it, and applies the show
// state.
void ApplyPlacementTo(QWidget* window, const RestoredPlacement& placement);

}  // namespace kestrelpix::window
