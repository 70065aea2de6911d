#pragma once
// The two step pictures, drawn in code so that they stay sharp at any
// device pixel ratio: a red diagonal cross (step not passed) and a green
// check mark (step passed), 16 x 16 logical pixels on a transparent ground.
#include <QPixmap>
#include <QtGlobal>

namespace vellumo {

enum class StepPicture { Cross, Check };

class StepPictures {
 public:
  static constexpr int kSize = 16;

  // A kSize x kSize logical picture rendered for `devicePixelRatio`
  // (32 x 32 device pixels at 2).
  static QPixmap Render(StepPicture picture, qreal devicePixelRatio);
};

}  // namespace vellumo
