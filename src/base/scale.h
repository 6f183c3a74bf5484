// Screen scale factors and the font choice that follows from them. Window and control
// coordinates are base values in 1/96 inch times DpiScale, truncated toward zero.
#pragma once

#include <string_view>

#include "base/geometry.h"

namespace orv {

// Vertical resolution / 96, or 1.0 when the resolution could not be read (below 1).
float ComputeDpiScale(int logPixelsY);

// The layout scale of a window from the resolution of the monitor it is on (dots per inch as the
// system reports it): dpi / 96, or fallback when the system could not say (below 1).
float ScaleForDpi(int dpi, float fallback);
// The resolution of a layout scale, to the nearest whole dot per inch.
int DpiForScale(float scale);

// A font's pixel height made for one scale, at another, rounded like MulDiv; the sign (negative:
// character height) is kept.
int FontHeightAtScale(int height, float fromScale, float toScale);

// Side in pixels of the square pictures on the preview's icon buttons: 20 at 100 % (the icon
// files hold 20, 25, 30 and 40 pixel images for 100, 125, 150 and 200 %).
int ButtonIconSize(float scale);

// Message-font height after the process became DPI-aware divided by the height before.
float ComputeFontScale(int heightBefore, int heightAfter);

// A layout value in 1/96 inch as pixels.
int Scaled(int base, float dpiScale);

// Every coordinate and size times dpiScale, truncated toward zero.
Rect ScaledRect(const Rect& base, float dpiScale);
Size ScaledSize(Size base, float dpiScale);

// Windows' MulDiv: a * b / c in 64 bits, rounded half away from zero; -1 when c is 0.
int MulDivRound(int a, int b, int c);

// Pixel height (negative, meaning character height) of a font of the given points.
int FontHeightForPoints(int points, int logPixelsY);

struct FontSpec {
  std::wstring_view face;
  std::wstring_view fallbackFace;  // empty: no fallback
  int points;
  bool bold;
};

struct FontChoice {
  FontSpec control;
  FontSpec title;
};

// Segoe UI scaled up when the message font grew with DPI awareness (a finite FontScale above
// 1.0); otherwise Tahoma at 9 points. The title font is always bold Arial.
FontChoice ChooseFonts(float fontScale);

}  // namespace orv
