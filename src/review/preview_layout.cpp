#include "review/preview_layout.h"

#include <cstdlib>

namespace orv {

Rect PreviewPictureRect(Size picture, Size canvas) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  if (picture.width > picture.height) {
    const int height =
        static_cast<int>(static_cast<long long>(picture.height) * canvas.width / picture.width);
    return {0, (canvas.height - height) / 2, canvas.width, height};
  }
  const int width =
      static_cast<int>(static_cast<long long>(picture.width) * canvas.height / picture.height);
  return {(canvas.width - width) / 2, 0, width, canvas.height};
}

std::uint32_t CanvasBackground(std::uint32_t windowColour, std::uint32_t buttonFaceColour) {
  return windowColour == 0x00FFFFFF || windowColour == 0 ? buttonFaceColour : windowColour;
}

bool LeavesDragRectangle(Point press, Point now, Size drag) {
  return std::abs(now.x - press.x) > std::abs(drag.width) ||
         std::abs(now.y - press.y) > std::abs(drag.height);
}

}  // namespace orv
