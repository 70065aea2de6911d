#include "app/win32/StepPictureRaster.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace vellumo {

namespace {

struct Point {
  double x;
  double y;
};

constexpr double kStrokeWidth = 2.6;
constexpr std::uint32_t kCrossColour = 0xcc2b22;
constexpr std::uint32_t kCheckColour = 0x2a933a;

// Strokes as polylines in logical pixels.
constexpr Point kCrossA[] = {{4.0, 4.0}, {12.0, 12.0}};
constexpr Point kCrossB[] = {{12.0, 4.0}, {4.0, 12.0}};
constexpr Point kCheck[] = {{3.5, 8.5}, {6.5, 11.5}, {12.5, 4.0}};

double DistanceToSegment(Point p, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

double DistanceToPolyline(Point p, std::span<const Point> line) {
  double nearest = INFINITY;
  for (std::size_t i = 1; i < line.size(); ++i) {
    nearest = std::min(nearest, DistanceToSegment(p, line[i - 1], line[i]));
  }
  return nearest;
}

std::uint32_t Mix(std::uint32_t ground, std::uint32_t ink, double coverage) {
  std::uint32_t mixed = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double g = (ground >> shift) & 0xff, i = (ink >> shift) & 0xff;
    const auto channel = static_cast<std::uint32_t>(std::lround(g + (i - g) * coverage));
    mixed |= channel << shift;
  }
  return mixed;
}

}  // namespace

StepPictureBitmap RenderStepPicture(StepPictureKind kind, double scale, std::uint32_t background) {
  if (!(scale > 0)) scale = 1.0;
  StepPictureBitmap bitmap;
  bitmap.side = static_cast<int>(std::ceil(kStepPictureSize * scale - 1e-9));
  bitmap.pixels.assign(static_cast<std::size_t>(bitmap.side * bitmap.side), background);

  std::vector<std::span<const Point>> strokes;
  if (kind == StepPictureKind::Cross) {
    strokes = {kCrossA, kCrossB};
  } else {
    strokes = {kCheck};
  }
  const std::uint32_t ink = kind == StepPictureKind::Cross ? kCrossColour : kCheckColour;
  // Coverage from the distance of the pixel's centre to the stroke, in
  // device pixels: full inside, a one-pixel ramp across the edge.
  const double halfWidth = kStrokeWidth * scale / 2;
  for (int y = 0; y < bitmap.side; ++y) {
    for (int x = 0; x < bitmap.side; ++x) {
      const Point centre{(x + 0.5) / scale, (y + 0.5) / scale};
      double distance = INFINITY;
      for (const auto& stroke : strokes) {
        distance = std::min(distance, DistanceToPolyline(centre, stroke));
      }
      const double coverage = std::clamp(halfWidth + 0.5 - distance * scale, 0.0, 1.0);
      if (coverage > 0) {
        bitmap.pixels[static_cast<std::size_t>(y * bitmap.side + x)] =
            Mix(background, ink, coverage);
      }
    }
  }
  return bitmap;
}

}  // namespace vellumo
