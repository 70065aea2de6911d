// The marks drawn from their strokes: sharp at every scale, in their own
// colours, on the dialog's ground.
#include "app/win32/StepPictureRaster.h"

#include <gtest/gtest.h>

namespace vellumo {
namespace {

constexpr std::uint32_t kGround = 0xd8cfc5;

struct ScaleCase {
  double scale;
  int side;
};

class StepPictureScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(StepPictureScale, StrokesStaySharpOnTheGround) {
  const ScaleCase c = GetParam();
  const auto cross = RenderStepPicture(StepPictureKind::Cross, c.scale, kGround);
  const auto check = RenderStepPicture(StepPictureKind::Check, c.scale, kGround);
  ASSERT_EQ(cross.side, c.side);
  ASSERT_EQ(check.side, c.side);
  const auto at = [&](const StepPictureBitmap& picture, double x, double y) {
    return picture.At(static_cast<int>(x * c.scale), static_cast<int>(y * c.scale));
  };
  // Where the strokes run, full colour: drawn at this scale, not blurred
  // up from a small picture.
  EXPECT_EQ(at(cross, 8, 8), 0xcc2b22u);
  EXPECT_EQ(at(cross, 5, 5), 0xcc2b22u);
  EXPECT_EQ(at(check, 6.5, 11.3), 0x2a933au);
  // Away from them, the ground, up to a pixel of the stroke's edge.
  EXPECT_EQ(at(cross, 8, 1), kGround);
  EXPECT_EQ(at(cross, 8, 4.5), kGround);
  EXPECT_EQ(at(check, 1, 1), kGround);
  EXPECT_EQ(at(check, 12, 12), kGround);
}

INSTANTIATE_TEST_SUITE_P(Scales, StepPictureScale,
                         ::testing::Values(ScaleCase{1.0, 16}, ScaleCase{1.25, 20},
                                           ScaleCase{1.5, 24}, ScaleCase{2.0, 32},
                                           ScaleCase{3.0, 48}));

}  // namespace
}  // namespace vellumo
