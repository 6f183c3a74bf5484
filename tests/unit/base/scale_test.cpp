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

TEST(Scale, EachWindowFollowsTheResolutionOfItsMonitor) {
  EXPECT_EQ(ScaleForDpi(120, 1.5f), 1.25f);
  EXPECT_EQ(ScaleForDpi(192, 1.0f), 2.0f);
  EXPECT_EQ(ScaleForDpi(0, 1.5f), 1.5f);  // the system cannot say: the system's scale
  // On a monitor at the system's resolution a window's scale is DpiScale itself, so that
  // nothing changes where every monitor has the same scale.
  for (const int dpi : {96, 120, 144, 168, 192}) {
    EXPECT_EQ(ScaleForDpi(dpi, 0.0f), ComputeDpiScale(dpi)) << dpi;
    EXPECT_EQ(DpiForScale(ScaleForDpi(dpi, 0.0f)), dpi) << dpi;
  }
  EXPECT_EQ(ScaledSize({395, 220}, ScaleForDpi(120, 1.0f)), (Size{493, 275}));
}

TEST(Scale, FontsAndButtonPicturesAreMadeForTheWindowsScale) {
  // The icon files hold pictures of exactly these sizes.
  EXPECT_EQ(ButtonIconSize(1.0f), 20);
  EXPECT_EQ(ButtonIconSize(1.25f), 25);
  EXPECT_EQ(ButtonIconSize(1.5f), 30);
  EXPECT_EQ(ButtonIconSize(2.0f), 40);
  EXPECT_EQ(ButtonIconSize(1.75f), 35);  // between them: the system scales the nearest
  // A font made for the system's 150 % on a monitor at 100 %, and the other way round.
  EXPECT_EQ(FontHeightAtScale(-18, 1.5f, 1.0f), -12);
  EXPECT_EQ(FontHeightAtScale(-12, 1.0f, 1.5f), -18);
  EXPECT_EQ(FontHeightAtScale(-17, 1.5f, 1.0f), -11);   // 11.33
  EXPECT_EQ(FontHeightAtScale(-15, 1.0f, 1.25f), -19);  // 18.75
  EXPECT_EQ(FontHeightAtScale(-16, 1.25f, 1.25f), -16);
}

}  // namespace
}  // namespace orv
