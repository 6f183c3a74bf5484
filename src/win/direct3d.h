// Direct3D 11 for reading the desktop of a monitor that the system composes in floating point.
// Its libraries are loaded from the system folder for one grab and released with the object, so
// nothing of it stays while the program idles; a system without them has no such pictures.
#pragma once

#include <windows.h>

#include <d3d11.h>
#include <dxgi1_5.h>

#include <functional>

#include "imaging/scrgb.h"
#include "win/com_reference.h"
#include "win/system_functions.h"

namespace orv::win {

class Direct3D {
 public:
  Direct3D();
  explicit operator bool() const { return static_cast<bool>(factory_); }
  IDXGIFactory1* Factory() const { return factory_.get(); }

  struct Device {
    ComReference<ID3D11Device> device;
    ComReference<ID3D11DeviceContext> context;
  };
  // A device on the adapter (with its immediate context); empty when it cannot be made.
  Device CreateDevice(IDXGIAdapter1* adapter) const;

 private:
  // The libraries go after every object made from them.
  DxgiFunctions dxgi_;
  Direct3D11Functions d3d11_;
  ComReference<IDXGIFactory1> factory_;
};

// Copies a half-float RGBA texture into one the processor can read, maps it and hands its rows,
// with the row pitch the driver chose, to `use`; false, without calling it, when a step fails.
bool ReadHalfFloatTexture(const Direct3D::Device& device, ID3D11Texture2D* texture,
                          const std::function<void(const ScRgbView&)>& use);

}  // namespace orv::win
