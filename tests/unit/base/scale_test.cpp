#include "base/scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orv {
namespace {

TEST(Scale, At96DotsPerInchNothingIsScaled) {
  const float dpi = ComputeDpiScale(96);
  EXPECT_EQ(dpi, 1.0f);
  EXPECT_EQ(Scaled(300, dpi), 300);
  EXPECT_EQ(Scaled(200, dpi), 200);
  const FontChoice fonts = ChooseFonts(ComputeFontScale(12, 12));
  EXPECT_EQ(fonts.control.face, L"Tahoma");
  EXPECT_EQ(fonts.control.points, 9);
  EXPECT_EQ(fonts.title.face, L"Arial");
  EXPECT_EQ(fonts.title.points, 12);
  EXPECT_TRUE(fonts.title.bold);
}

TEST(Scale, At144DotsPerInchWindowsAndFontsGrowByHalf) {
  const float dpi = ComputeDpiScale(144);
  EXPECT_EQ(Scaled(300, dpi), 450);
  EXPECT_EQ(Scaled(200, dpi), 300);
  EXPECT_EQ(Scaled(395, dpi), 592);  // truncated, not rounded
  const FontChoice fonts = ChooseFonts(ComputeFontScale(12, 18));
  EXPECT_EQ(fonts.control.face, L"Segoe UI");
  EXPECT_EQ(fonts.control.fallbackFace, L"MS Sans Serif");
  EXPECT_EQ(fonts.control.points, 13);
  EXPECT_EQ(fonts.title.points, 18);
  EXPECT_EQ(Scaled(330, ComputeDpiScale(120)), 412);
  EXPECT_EQ(Scaled(224, ComputeDpiScale(120)), 280);
}

TEST(Scale, UnreadableValuesFallBackToDefaults) {
  EXPECT_EQ(ComputeDpiScale(0), 1.0f);
  EXPECT_EQ(ComputeDpiScale(-5), 1.0f);
  // A message font that could not be read before awareness gives no usable factor.
  EXPECT_EQ(ChooseFonts(ComputeFontScale(0, 18)).control.face, L"Tahoma");
  EXPECT_EQ(ChooseFonts(ComputeFontScale(0, 0)).control.face, L"Tahoma");
  EXPECT_EQ(ChooseFonts(std::numeric_limits<float>::quiet_NaN()).control.points, 9);
  EXPECT_EQ(ChooseFonts(1.0f).control.face, L"Tahoma");  // exactly 1.0 is not "greater"
  EXPECT_EQ(ChooseFonts(0.5f).control.face, L"Tahoma");
}

TEST(Scale, FontHeightRoundsLikeMulDiv) {
  EXPECT_EQ(FontHeightForPoints(9, 96), -12);
  EXPECT_EQ(FontHeightForPoints(12, 96), -16);
  EXPECT_EQ(FontHeightForPoints(13, 144), -26);
  EXPECT_EQ(FontHeightForPoints(9, 120), -15);
  EXPECT_EQ(MulDivRound(10, 1, 4), 3);  // 2.5 rounds away from zero
  EXPECT_EQ(MulDivRound(-10, 1, 4), -3);
  EXPECT_EQ(MulDivRound(7, 3, -2), -11);  // -10.5
  EXPECT_EQ(MulDivRound(1, 1, 0), -1);
}

}  // namespace
}  // namespace orv
