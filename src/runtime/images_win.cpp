#include "runtime/images_win.h"

#include <map>
#include <utility>

namespace orv::Images {
namespace {

std::map<ImageId, win::DibImage>& Store() {
  static std::map<ImageId, win::DibImage> images;
  return images;
}

}  // namespace

void Put(ImageId id, win::DibImage image) {
  if (!image) return;  // an image that could not be made leaves the old one in place
  Store()[id] = std::move(image);
}

void Free(ImageId id) {
  Store().erase(id);
}

void Move(ImageId from, ImageId to) {
  const auto found = Store().find(from);
  if (found == Store().end()) return;
  win::DibImage image = std::move(found->second);
  Store().erase(found);
  Store()[to] = std::move(image);
}

win::DibImage* Get(ImageId id) {
  const auto found = Store().find(id);
  return found == Store().end() ? nullptr : &found->second;
}

void FreeAll() {
  Store().clear();
}

}  // namespace orv::Images
