#include "app/about_layout.h"

#include <gtest/gtest.h>

#include "base/scale.h"

namespace orv {
namespace {

// The window lays the table out with the scale's truncating rules (base/scale.h).
TEST(AboutLayout, EveryControlStaysInsideTheClientAreaAtEveryScale) {
  for (const float scale : {1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 3.0f}) {
    const Size client = ScaledSize(kAboutClientSize, scale);
    for (const ControlSpec& control : kAboutControls) {
      const Rect r = ScaledRect(control.bounds, scale);
      EXPECT_GE(r.x, 0);
      EXPECT_GE(r.y, 0);
      EXPECT_LE(r.x + r.width, client.width) << static_cast<int>(control.id) << " at " << scale;
      EXPECT_LE(r.y + r.height, client.height) << static_cast<int>(control.id) << " at " << scale;
    }
  }
}

}  // namespace
}  // namespace orv
