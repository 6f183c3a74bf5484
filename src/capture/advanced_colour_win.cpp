// The program's side of the seam: the system's display configuration says which monitors are
// composed in floating point, desktop duplication gives their pictures. Every failure, on a system
// without these calls or at any step, leaves a monitor to the GDI copy.
#include "capture/advanced_colour_win.h"

#include <windows.h>

#include <d3d11.h>
#include <dxgi1_5.h>

#include <optional>
#include <string>

#include "capture/advanced_colour.h"
#include "win/direct3d.h"
#include "win/system_functions.h"

namespace orv {
namespace {

// The colour query of Windows 11 24H2 and its answer, which the MinGW headers do not have yet.
constexpr auto kGetAdvancedColourInfo2 = static_cast<DISPLAYCONFIG_DEVICE_INFO_TYPE>(15);
struct AdvancedColourInfo2 {
  DISPLAYCONFIG_DEVICE_INFO_HEADER header;
  UINT32 flags;
  DISPLAYCONFIG_COLOR_ENCODING colorEncoding;
  UINT32 bitsPerColorChannel;
  UINT32 activeColorMode;
};

// How long to wait for a frame, and how many frames to take until one carries an image.
constexpr UINT kFrameWaitMs = 100;
constexpr int kFrames = 4;

template <class Answer>
bool Ask(const win::DisplayConfigFunctions& system, Answer& answer,
         DISPLAYCONFIG_DEVICE_INFO_TYPE type, LUID adapter, UINT32 id) {
  answer.header = {type, sizeof answer, adapter, id};
  return system.DisplayConfigGetDeviceInfo(&answer.header) == ERROR_SUCCESS;
}

struct FloatingPointSource {
  std::wstring device;  // the GDI device name
  float sdrWhite;
};

std::vector<FloatingPointSource> FloatingPointSources() {
  const win::DisplayConfigFunctions system;
  if (!system) return {};
  std::vector<DISPLAYCONFIG_PATH_INFO> paths;
  std::vector<DISPLAYCONFIG_MODE_INFO> modes;
  LONG result = ERROR_INSUFFICIENT_BUFFER;
  // The configuration may change between the two calls; then the sizes are asked again.
  for (int attempt = 0; attempt < 3 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
    UINT32 pathCount = 0, modeCount = 0;
    if (system.GetDisplayConfigBufferSizes(QDC_ONLY_ACTIVE_PATHS, &pathCount, &modeCount) !=
        ERROR_SUCCESS) {
      return {};
    }
    paths.resize(pathCount);
    modes.resize(modeCount);
    result = system.QueryDisplayConfig(QDC_ONLY_ACTIVE_PATHS, &pathCount, paths.data(), &modeCount,
                                       modes.data(), nullptr);
    paths.resize(pathCount);
  }
  if (result != ERROR_SUCCESS) return {};

  std::vector<FloatingPointSource> sources;
  for (const DISPLAYCONFIG_PATH_INFO& path : paths) {
    const LUID adapter = path.targetInfo.adapterId;
    const UINT32 target = path.targetInfo.id;
    ColourReport report;
    AdvancedColourInfo2 info2{};
    DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO info{};
    if (Ask(system, info2, kGetAdvancedColourInfo2, adapter, target)) {
      report.activeColourMode = static_cast<int>(info2.activeColorMode);
    } else if (Ask(system, info, DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO, adapter,
                   target)) {
      report.advancedColourEnabled = info.advancedColorEnabled != 0;
      report.wideColourEnforced = info.wideColorEnforced != 0;
    }
    DISPLAYCONFIG_SDR_WHITE_LEVEL level{};
    if (Ask(system, level, DISPLAYCONFIG_DEVICE_INFO_GET_SDR_WHITE_LEVEL, adapter, target)) {
      report.sdrWhiteLevel = level.SDRWhiteLevel;
    }
    const std::optional<float> white = SdrWhiteInScRgb(report);
    DISPLAYCONFIG_SOURCE_DEVICE_NAME source{};
    if (white && Ask(system, source, DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME,
                     path.sourceInfo.adapterId, path.sourceInfo.id)) {
      sources.push_back({source.viewGdiDeviceName, *white});
    }
  }
  return sources;
}

int ClockwiseQuarterTurns(DXGI_MODE_ROTATION rotation) {
  switch (rotation) {
    case DXGI_MODE_ROTATION_ROTATE90:
      return 1;
    case DXGI_MODE_ROTATION_ROTATE180:
      return 2;
    case DXGI_MODE_ROTATION_ROTATE270:
      return 3;
    default:
      return 0;
  }
}

// A frame acquired from a duplication, given back when it goes.
class AcquiredFrame {
 public:
  explicit AcquiredFrame(IDXGIOutputDuplication* duplication) : duplication_(duplication) {}
  AcquiredFrame(const AcquiredFrame&) = delete;
  AcquiredFrame& operator=(const AcquiredFrame&) = delete;
  ~AcquiredFrame() {
    resource_.reset();
    if (acquired_) duplication_->ReleaseFrame();
  }
  HRESULT Acquire(DXGI_OUTDUPL_FRAME_INFO& info) {
    IDXGIResource* resource = nullptr;
    const HRESULT result = duplication_->AcquireNextFrame(kFrameWaitMs, &info, &resource);
    acquired_ = SUCCEEDED(result);
    if (acquired_) resource_.reset(resource);
    return result;
  }
  IDXGIResource* Resource() const { return resource_.get(); }

 private:
  IDXGIOutputDuplication* duplication_;
  win::ComReference<IDXGIResource> resource_;
  bool acquired_ = false;
};

// The composed picture of one output, in half floats, through a duplication of it made for this
// grab alone.
bool Duplicate(const win::Direct3D& direct3d, IDXGIAdapter1* adapter, IDXGIOutput* output,
               const std::function<void(const ScRgbPicture&)>& use) {
  const auto output5 = win::Query<IDXGIOutput5>(output);  // Windows 10 1703 and later
  if (!output5) return false;
  const win::Direct3D::Device device = direct3d.CreateDevice(adapter);
  if (!device.device) return false;
  const DXGI_FORMAT format = DXGI_FORMAT_R16G16B16A16_FLOAT;
  const auto duplication = win::Made<IDXGIOutputDuplication>([&](IDXGIOutputDuplication** out) {
    return output5->DuplicateOutput1(device.device.get(), 0, 1, &format, out);
  });
  if (!duplication) return false;
  DXGI_OUTDUPL_DESC desc{};
  duplication->GetDesc(&desc);
  // A frame may bring a pointer move alone; the next one is waited for.
  for (int frame = 0; frame < kFrames; ++frame) {
    AcquiredFrame acquired(duplication.get());
    DXGI_OUTDUPL_FRAME_INFO info{};
    const HRESULT result = acquired.Acquire(info);
    if (result == DXGI_ERROR_WAIT_TIMEOUT) continue;
    if (FAILED(result)) return false;
    if (info.LastPresentTime.QuadPart == 0) continue;
    if (!acquired.Resource()) return false;
    const auto texture = win::Query<ID3D11Texture2D>(acquired.Resource());
    const int turns = ClockwiseQuarterTurns(desc.Rotation);
    return texture &&
           win::ReadHalfFloatTexture(device, texture.get(), [&](const ScRgbView& pixels) {
             use({pixels, turns});
           });
  }
  return false;
}

}  // namespace

std::vector<AdvancedColourMonitor> FindAdvancedColourMonitors() {
  struct Search {
    std::vector<FloatingPointSource> sources;
    std::vector<AdvancedColourMonitor> found;
  } search{FloatingPointSources(), {}};
  if (search.sources.empty()) return {};
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, RECT*, LPARAM data) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(data);
        MONITORINFOEXW info{};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoW(monitor, &info)) return TRUE;
        for (const FloatingPointSource& source : search.sources) {
          if (CompareStringOrdinal(info.szDevice, -1, source.device.c_str(), -1, TRUE) ==
              CSTR_EQUAL) {
            const RECT& r = info.rcMonitor;
            search.found.push_back(
                {monitor, {r.left, r.top, r.right - r.left, r.bottom - r.top}, source.sdrWhite});
          }
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool ReadAdvancedColourPicture(const AdvancedColourMonitor& monitor,
                               const std::function<void(const ScRgbPicture&)>& use) {
  const win::Direct3D direct3d;
  if (!direct3d) return false;
  // The output that shows the monitor, on the adapter that owns it.
  for (UINT a = 0;; ++a) {
    const auto adapter = win::Made<IDXGIAdapter1>(
        [&](IDXGIAdapter1** out) { return direct3d.Factory()->EnumAdapters1(a, out); });
    if (!adapter) return false;
    for (UINT o = 0;; ++o) {
      const auto output =
          win::Made<IDXGIOutput>([&](IDXGIOutput** out) { return adapter->EnumOutputs(o, out); });
      if (!output) break;
      DXGI_OUTPUT_DESC desc{};
      if (SUCCEEDED(output->GetDesc(&desc)) && desc.Monitor == monitor.monitor) {
        return Duplicate(direct3d, adapter.get(), output.get(), use);
      }
    }
  }
}

}  // namespace orv
