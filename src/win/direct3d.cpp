#include "win/direct3d.h"

namespace orv::win {

Direct3D::Direct3D() {
  if (dxgi_.CreateDXGIFactory1 && d3d11_.D3D11CreateDevice) {
    factory_ = Made<IDXGIFactory1>([this](IDXGIFactory1** out) {
      return dxgi_.CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(out));
    });
  }
}

Direct3D::Device Direct3D::CreateDevice(IDXGIAdapter1* adapter) const {
  ID3D11Device* device = nullptr;
  ID3D11DeviceContext* context = nullptr;
  // With an adapter given, the driver type must be "unknown".
  if (!factory_ ||
      FAILED(d3d11_.D3D11CreateDevice(adapter, D3D_DRIVER_TYPE_UNKNOWN, nullptr, 0, nullptr, 0,
                                      D3D11_SDK_VERSION, &device, nullptr, &context))) {
    return {};
  }
  return {ComReference<ID3D11Device>(device), ComReference<ID3D11DeviceContext>(context)};
}

bool ReadHalfFloatTexture(const Direct3D::Device& device, ID3D11Texture2D* texture,
                          const std::function<void(const ScRgbView&)>& use) {
  if (!device.device || !texture) return false;
  D3D11_TEXTURE2D_DESC desc{};
  texture->GetDesc(&desc);
  if (desc.Format != DXGI_FORMAT_R16G16B16A16_FLOAT || desc.SampleDesc.Count != 1) return false;
  desc.MipLevels = 1;
  desc.ArraySize = 1;
  desc.Usage = D3D11_USAGE_STAGING;
  desc.BindFlags = 0;
  desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  desc.MiscFlags = 0;
  const auto staging = Made<ID3D11Texture2D>(
      [&](ID3D11Texture2D** out) { return device.device->CreateTexture2D(&desc, nullptr, out); });
  if (!staging) return false;
  ID3D11DeviceContext& context = *device.context;
  context.CopyResource(staging.get(), texture);
  D3D11_MAPPED_SUBRESOURCE mapped{};
  if (FAILED(context.Map(staging.get(), 0, D3D11_MAP_READ, 0, &mapped))) return false;
  struct Unmap {
    ID3D11DeviceContext& context;
    ID3D11Texture2D* texture;
    ~Unmap() { context.Unmap(texture, 0); }
  } const unmap{context, staging.get()};
  use({static_cast<int>(desc.Width), static_cast<int>(desc.Height),
       static_cast<std::ptrdiff_t>(mapped.RowPitch),
       static_cast<const std::uint8_t*>(mapped.pData)});
  return true;
}

}  // namespace orv::win
