// Where the main window goes on the desktop: centred on the first start,
// back on its stored rectangle afterwards, and always onto a screen.
#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>

namespace kestrelpix::window {

// The frame a window manager usually puts around a window, taken until the
// real one is known: a title bar and thin borders.
inline constexpr QMargins kFrameEstimate{4, 30, 4, 4};

// Moves a frame rectangle onto the screens' available areas: onto the area
// it overlaps most, or, when it overlaps none, the area nearest to it (the
// first one when all are equally far). A frame larger than that area is cut
// to it; a frame that sticks out is moved in, so the whole window shows.
QRect PlaceOnScreens(const QRect& frame, const QList<QRect>& areas);

// The first start's frame: the wanted size, at most the area's, centred in
// the area.
QRect CentredFrame(const QSize& wanted, const QRect& area);

// The available areas (screen minus panels) of all screens, the primary
// screen first.
QList<QRect> AvailableAreas();

}  // namespace kestrelpix::window
