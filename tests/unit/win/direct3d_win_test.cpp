// The Direct3D steps of the grab of a monitor composed in floating point, on a real device: a
// half-float texture copied to one the processor reads, mapped and read back as the grab reads a
// duplicated desktop. (The rows' pitch beyond their pixels: scrgb_test.cpp.)
#include "win/direct3d.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/scrgb_encoding.h"

namespace orv {
namespace {

win::ComReference<ID3D11Texture2D> MakeTexture(const win::Direct3D::Device& device, int width,
                                               int height, DXGI_FORMAT format, const void* pixels,
                                               UINT pitch) {
  const D3D11_TEXTURE2D_DESC desc{
      static_cast<UINT>(width), static_cast<UINT>(height),  1, 1, format, {1, 0},
      D3D11_USAGE_DEFAULT,      D3D11_BIND_SHADER_RESOURCE, 0, 0};
  const D3D11_SUBRESOURCE_DATA data{pixels, pitch, 0};
  return win::Made<ID3D11Texture2D>(
      [&](ID3D11Texture2D** out) { return device.device->CreateTexture2D(&desc, &data, out); });
}

TEST(Direct3D, AHalfFloatTextureIsReadBackThroughAStagingCopy) {
  const win::Direct3D direct3d;
  ASSERT_TRUE(direct3d) << "no DXGI 1.1 factory";
  const auto adapter = win::Made<IDXGIAdapter1>(
      [&](IDXGIAdapter1** out) { return direct3d.Factory()->EnumAdapters1(0, out); });
  ASSERT_TRUE(adapter);
  const win::Direct3D::Device device = direct3d.CreateDevice(adapter.get());
  ASSERT_TRUE(device.device) << "no Direct3D 11 device";

  constexpr int w = 37, h = 5;
  std::vector<std::uint16_t> halves(4 * w * h);
  for (std::size_t i = 0; i < halves.size(); ++i) {
    halves[i] = scrgb_test::HalfOf(static_cast<float>(i) * 0.03f - 2);
  }
  const auto texture =
      MakeTexture(device, w, h, DXGI_FORMAT_R16G16B16A16_FLOAT, halves.data(), 8 * w);
  ASSERT_TRUE(texture);
  std::vector<std::uint16_t> read;
  EXPECT_TRUE(win::ReadHalfFloatTexture(device, texture.get(), [&](const ScRgbView& view) {
    ASSERT_EQ(view.width, w);
    ASSERT_EQ(view.height, h);
    ASSERT_GE(view.stride, 8 * w);
    for (int y = 0; y < h; ++y) {
      const auto* row = reinterpret_cast<const std::uint16_t*>(view.Row(y));
      read.insert(read.end(), row, row + 4 * w);
    }
  }));
  EXPECT_EQ(read, halves);

  // Pixels of another format are not read.
  const std::vector<std::uint32_t> bgra(w * h, 0xff804020u);
  const auto other = MakeTexture(device, w, h, DXGI_FORMAT_B8G8R8A8_UNORM, bgra.data(), 4 * w);
  ASSERT_TRUE(other);
  EXPECT_FALSE(win::ReadHalfFloatTexture(device, other.get(), [](const ScRgbView&) {
    ADD_FAILURE() << "called for a texture of 8-bit pixels";
  }));
}

}  // namespace
}  // namespace orv
