#include "app/about_layout.h"

#include <gtest/gtest.h>

#include "base/scale.h"

namespace orv {
namespace {

TEST(AboutLayout, ClientAreaAndControlsScaleWithTruncation) {
  EXPECT_EQ(AboutClientSize(1.0f), (Size{330, 224}));
  EXPECT_EQ(AboutClientSize(ComputeDpiScale(120)), (Size{412, 280}));
  const auto at125 = AboutControlsAt(1.25f);
  EXPECT_EQ(at125[4].id, ControlId::AboutLink);
  EXPECT_EQ(at125[4].bounds, (Rect{112, 168, 225, 25}));
  // 185 x 1.5 = 277.5 and 25 x 1.5 = 37.5 are cut, not rounded.
  const auto at150 = AboutControlsAt(1.5f);
  EXPECT_EQ(at150[5].id, ControlId::AboutClose);
  EXPECT_EQ(at150[5].bounds, (Rect{180, 277, 135, 37}));
  EXPECT_EQ(AboutControlsAt(1.0f)[0].bounds, kAboutControls[0].bounds);
}

TEST(AboutLayout, EveryControlStaysInsideTheClientArea) {
  for (const float scale : {1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 3.0f}) {
    const Size client = AboutClientSize(scale);
    for (const ControlSpec& control : AboutControlsAt(scale)) {
      const Rect& r = control.bounds;
      EXPECT_GE(r.x, 0);
      EXPECT_GE(r.y, 0);
      EXPECT_LE(r.x + r.width, client.width) << static_cast<int>(control.id) << " at " << scale;
      EXPECT_LE(r.y + r.height, client.height) << static_cast<int>(control.id) << " at " << scale;
    }
  }
}

}  // namespace
}  // namespace orv
