#pragma once
// The two step pictures (red diagonal cross, green check mark) drawn from
// their strokes at any scale, so that they stay sharp at 100, 150 and 200 %
// and beyond. The strokes are those of the Qt side (app/qt/StepPictures):
// 16 x 16 logical pixels, 2.6 pixels wide, round caps.
#include <cstdint>
#include <vector>

namespace vellumo {

enum class StepPictureKind { Cross, Check };

struct StepPictureBitmap {
  int side = 0;  // pixels per row and rows
  // Top-down rows of 0x00RRGGBB, the strokes laid on `background`.
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * side + x)]; }
};

inline constexpr int kStepPictureSize = 16;

// `scale` is the monitor's dots per inch over 96. The picture is
// kStepPictureSize * scale pixels wide, rounded up; each pixel covered by a
// stroke takes the stroke's colour in proportion to its coverage.
StepPictureBitmap RenderStepPicture(StepPictureKind kind, double scale, std::uint32_t background);

}  // namespace vellumo
