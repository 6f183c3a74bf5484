// Owners of COM interface references: the reference is released when its owner goes.
#pragma once

#include <unknwn.h>

#include <memory>

namespace orv::win {

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComReference = std::unique_ptr<T, ComRelease>;

// Owns the reference that `make` leaves in the pointer it is given, when it succeeds.
template <class T, class Make>
ComReference<T> Made(Make&& make) {
  T* made = nullptr;
  return ComReference<T>(SUCCEEDED(make(&made)) ? made : nullptr);
}

// The object's interface T, or none.
template <class T>
ComReference<T> Query(IUnknown* object) {
  return Made<T>([object](T** out) {
    return object->QueryInterface(__uuidof(T), reinterpret_cast<void**>(out));
  });
}

}  // namespace orv::win
