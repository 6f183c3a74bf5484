// The system functions looked up at run time are found by the names the sets derive from the
// SDK's declarations.
#include "win/system_functions.h"

#include <gtest/gtest.h>

#include <string_view>

namespace orv {
namespace {

TEST(SystemFunctions, TheExportNameIsTheNameWithoutItsNamespaces) {
  EXPECT_EQ(std::string_view(win::ExportName("GetDefaultPrinterW")), "GetDefaultPrinterW");
  EXPECT_EQ(std::string_view(win::ExportName("::DwmIsCompositionEnabled")),
            "DwmIsCompositionEnabled");
  EXPECT_EQ(std::string_view(win::ExportName("::Gdiplus::DllExports::GdipDisposeImage")),
            "GdipDisposeImage");
}

TEST(SystemFunctions, EverySetFindsWhatEverySupportedSystemHas) {
  EXPECT_TRUE(win::GdiPlusFunctions());
  const win::DwmFunctions dwm;
  EXPECT_TRUE(dwm.DwmIsCompositionEnabled && dwm.DwmGetWindowAttribute);
  EXPECT_TRUE(win::SpoolerFunctions().GetDefaultPrinterW);
  EXPECT_TRUE(win::NtdllFunctions().RtlGetVersion);
  const win::User32Functions user32;
  EXPECT_TRUE(user32.SetProcessDPIAware && user32.IsProcessDPIAware);
  EXPECT_TRUE(win::ShcoreFunctions().GetDpiForMonitor);
}

}  // namespace
}  // namespace orv
