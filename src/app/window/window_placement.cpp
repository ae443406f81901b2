#include "app/window/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <limits>

namespace kestrelpix::window {

namespace {

long long Area(const QRect& r) {
  return r.isEmpty() ? 0 : static_cast<long long>(r.width()) * r.height();
}

// Distance from the rectangle to the area, 0 when they touch or overlap.
long long Distance(const QRect& r, const QRect& area) {
  const long long dx =
      std::max({0, area.left() - (r.left() + r.width()), r.left() - (area.left() + area.width())});
  const long long dy =
      std::max({0, area.top() - (r.top() + r.height()), r.top() - (area.top() + area.height())});
  return dx * dx + dy * dy;
}

}  // namespace

QRect PlaceOnScreens(const QRect& frame, const QList<QRect>& areas) {
  if (areas.isEmpty()) return frame;
  const QRect* best = &areas.front();
  long long bestOverlap = -1;
  long long bestDistance = std::numeric_limits<long long>::max();
  for (const QRect& area : areas) {
    const long long overlap = Area(frame.intersected(area));
    const long long distance = Distance(frame, area);
    if (overlap > bestOverlap || (overlap == 0 && bestOverlap == 0 && distance < bestDistance)) {
      best = &area;
      bestOverlap = overlap;
      bestDistance = distance;
    }
  }
  const QRect& area = *best;
  QRect placed(frame.topLeft(), frame.size().boundedTo(area.size()));
  placed.moveLeft(
      std::clamp(placed.left(), area.left(), area.left() + area.width() - placed.width()));
  placed.moveTop(
      std::clamp(placed.top(), area.top(), area.top() + area.height() - placed.height()));
  return placed;
}

QRect CentredFrame(const QSize& wanted, const QRect& area) {
  const QSize size = wanted.boundedTo(area.size());
  return QRect(area.left() + (area.width() - size.width()) / 2,
               area.top() + (area.height() - size.height()) / 2, size.width(), size.height());
}

QList<QRect> AvailableAreas() {
  QList<QRect> areas;
  if (const QScreen* primary = QGuiApplication::primaryScreen()) {
    areas << primary->availableGeometry();
  }
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen != QGuiApplication::primaryScreen()) areas << screen->availableGeometry();
  }
  return areas;
}

}  // namespace kestrelpix::window
