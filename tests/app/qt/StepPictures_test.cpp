#include "app/qt/StepPictures.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include <ostream>

namespace vellumo {
namespace {

struct Average {
  double red = 0, green = 0, blue = 0;
  int opaque = 0;
};

Average AverageOfOpaquePixels(const QImage& image) {
  Average sum;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.alpha() < 200) continue;
      sum.red += c.red();
      sum.green += c.green();
      sum.blue += c.blue();
      ++sum.opaque;
    }
  }
  if (sum.opaque > 0) {
    sum.red /= sum.opaque;
    sum.green /= sum.opaque;
    sum.blue /= sum.opaque;
  }
  return sum;
}

struct PictureCase {
  StepPicture picture;
  qreal ratio;
  bool redDominant;
};

void PrintTo(const PictureCase& c, std::ostream* os) {
  *os << (c.picture == StepPicture::Cross ? "cross" : "check") << " at " << c.ratio << "x";
}

class StepPicturesTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(StepPicturesTest, SixteenLogicalPixelsTransparentCornersRightColour) {
  const PictureCase& c = GetParam();
  const QPixmap pixmap = StepPictures::Render(c.picture, c.ratio);

  EXPECT_EQ(pixmap.deviceIndependentSize().toSize(), QSize(16, 16));
  EXPECT_EQ(pixmap.size(), QSize(static_cast<int>(16 * c.ratio), static_cast<int>(16 * c.ratio)));
  EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), c.ratio);

  const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  const int last = image.width() - 1;
  for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)}) {
    EXPECT_EQ(image.pixelColor(corner).alpha(), 0) << corner.x() << "," << corner.y();
  }

  const Average average = AverageOfOpaquePixels(image);
  // A stroke, not a dot and not a filled square.
  const int area = image.width() * image.height();
  EXPECT_GT(average.opaque, area / 12);
  EXPECT_LT(average.opaque, area / 2);
  if (c.redDominant) {
    EXPECT_GT(average.red, 2 * average.green);
    EXPECT_GT(average.red, 2 * average.blue);
  } else {
    EXPECT_GT(average.green, 2 * average.red);
    EXPECT_GT(average.green, 2 * average.blue);
  }
}

INSTANTIATE_TEST_SUITE_P(BothPicturesBothRatios, StepPicturesTest,
                         ::testing::Values(PictureCase{StepPicture::Cross, 1.0, true},
                                           PictureCase{StepPicture::Cross, 2.0, true},
                                           PictureCase{StepPicture::Check, 1.0, false},
                                           PictureCase{StepPicture::Check, 2.0, false}));

TEST(StepPictures, CrossPassesThroughItsCentre) {
  const QImage image = StepPictures::Render(StepPicture::Cross, 1.0).toImage();
  const QColor centre = image.pixelColor(8, 8);
  EXPECT_GT(centre.alpha(), 200);
  EXPECT_GT(centre.red(), 2 * centre.green());
}

TEST(StepPictures, TwiceTheRatioIsDrawnAgainNotScaledUp) {
  // A picture scaled up from 16 pixels has every pixel doubled; one drawn at
  // 32 pixels has anti-aliased edges of its own.
  const QImage sharp = StepPictures::Render(StepPicture::Check, 2.0).toImage();
  const QImage scaled = StepPictures::Render(StepPicture::Check, 1.0)
                            .toImage()
                            .scaled(32, 32, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  EXPECT_NE(sharp.convertToFormat(QImage::Format_ARGB32),
            scaled.convertToFormat(QImage::Format_ARGB32));
}

}  // namespace
}  // namespace vellumo
