// Small geometry values of the portable core. The Win32 layer converts them to POINT and RECT at
// its edge; Rect is position plus size, Edges is the left/top/right/bottom form of RECT.
#pragma once

#include <string>

namespace orv {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Whether a point lies in the rectangle: its left and top edges belong to it, its right and bottom
// ones not, as with a RECT.
constexpr bool Contains(const Rect& rect, Point point) {
  return point.x >= rect.x && point.x < rect.x + rect.width && point.y >= rect.y &&
         point.y < rect.y + rect.height;
}

struct Edges {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const Edges&, const Edges&) = default;
};

// The size label of the preview window and the selection: "640 x 480".
inline std::wstring SizeLabel(Size size) {
  return std::to_wstring(size.width) + L" x " + std::to_wstring(size.height);
}

}  // namespace orv
