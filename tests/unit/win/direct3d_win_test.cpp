// The Direct3D steps of the grab of a monitor composed in floating point, on Wine's device: a
// half-float texture copied to one the processor reads, mapped and read back by the grab's code.
#include "win/direct3d.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "imaging/scrgb_kernels.h"

namespace orv {
namespace {

TEST(Direct3D, AHalfFloatTextureIsReadBackThroughAStagingCopy) {
  const win::Direct3D direct3d;
  ASSERT_TRUE(direct3d);
  const auto adapter = win::Made<IDXGIAdapter1>(
      [&](IDXGIAdapter1** out) { return direct3d.Factory()->EnumAdapters1(0, out); });
  ASSERT_TRUE(adapter);
  const win::Direct3D::Device device = direct3d.CreateDevice(adapter.get());
  ASSERT_TRUE(device.device);
  constexpr int w = 37, h = 5;
  std::vector<std::uint16_t> halves(4 * w * h), read;
  for (std::size_t i = 0; i < halves.size(); ++i) halves[i] = scrgb_kernels::HalfOf(i * 0.03f - 2);
  const D3D11_TEXTURE2D_DESC desc{w, h, 1, 1, DXGI_FORMAT_R16G16B16A16_FLOAT, {1, 0}, {}, 0, 0, 0};
  const D3D11_SUBRESOURCE_DATA data{halves.data(), 8 * w, 0};
  const auto texture = win::Made<ID3D11Texture2D>(
      [&](ID3D11Texture2D** out) { return device.device->CreateTexture2D(&desc, &data, out); });
  EXPECT_TRUE(win::ReadHalfFloatTexture(device, texture.get(), [&](const ScRgbView& view) {
    ASSERT_EQ((std::array{view.width, view.height}), (std::array{w, h}));
    for (int y = 0; y < h; ++y) {
      const auto* row = reinterpret_cast<const std::uint16_t*>(view.Row(y));
      read.insert(read.end(), row, row + 4 * w);
    }
  }));
  EXPECT_EQ(read, halves);
}

}  // namespace
}  // namespace orv
