#include "output/print_win.h"

#include <windows.h>

#include <commdlg.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state_win.h"
#include "app/images_win.h"
#include "app/text_table.h"
#include "imaging/transforms_win.h"
#include "output/print_layout.h"
#include "settings/fault_location.h"
#include "win/system.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

// The printer state: at most one printer device context, held while a job runs. It is deleted
// when the job ends rather than kept for the next one: nothing reuses it (the next default
// printer job makes a new one, the next dialog returns its own), and a printer held between
// jobs would only tie up the driver.
struct PrintJob {
  win::UniqueCreatedDc printer;
  bool documentStarted = false;
  bool pageStarted = false;
  PageMetrics page;
};
PrintJob job;

// The "device" entry of the system profile is "name,driver,port"; the name is all before the
// first comma. Systems without GetDefaultPrinterW keep the default printer there.
std::wstring ProfilePrinterName() {
  std::vector<wchar_t> buffer(256);
  for (;;) {
    ORV_TRACE_LOCATION();
    const DWORD length = GetProfileStringW(L"windows", L"device", L"", buffer.data(),
                                           static_cast<DWORD>(buffer.size()));
    // A full buffer (size - 1 characters) may mean a cut entry: try again with more room.
    if (length + 1 < buffer.size() || buffer.size() >= 32768) {
      const std::wstring entry(buffer.data(), length);
      return entry.substr(0, entry.find(L','));
    }
    buffer.resize(buffer.size() * 2);
  }
}

// The default printer's name, or empty when there is none.
std::wstring DefaultPrinterName() {
  // The spooler is looked up at run time, from the system folder only.
  if (const win::UniqueModule spooler = win::LoadSystemLibrary(L"winspool.drv")) {
    using GetDefaultPrinterFn = BOOL(WINAPI*)(LPWSTR, LPDWORD);
    const auto getDefaultPrinter =
        win::GetProc<GetDefaultPrinterFn>(spooler.get(), "GetDefaultPrinterW");
    // The first call asks for the length; the default can change in between, hence the retries.
    for (int attempt = 0; getDefaultPrinter && attempt < 3; ++attempt) {
      DWORD length = 0;
      ORV_TRACE_LOCATION();
      getDefaultPrinter(nullptr, &length);
      if (length == 0) break;
      std::wstring name(length, L'\0');
      ORV_TRACE_LOCATION();
      if (getDefaultPrinter(name.data(), &length)) {
        name.resize(std::wcslen(name.c_str()));
        if (!name.empty()) return name;
        break;
      }
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    }
  }
  return ProfilePrinterName();
}

bool OpenDefaultPrinter() {
  const std::wstring name = DefaultPrinterName();
  if (name.empty()) return false;
  ORV_TRACE_LOCATION();
  job.printer.reset(CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr));
  return static_cast<bool>(job.printer);
}

// Shows the print dialog; its device context (printer, paper, orientation and copies as
// chosen there) becomes the printer. False when it is cancelled or fails.
bool ChoosePrinterInDialog() {
  job.printer.reset();  // a new dialog first lets go of any printer held
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = GetForegroundWindow();
  dialog.Flags = PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE;
  dialog.nCopies = 1;
  dialog.nFromPage = 1;
  dialog.nToPage = 0;
  dialog.nMinPage = 1;
  dialog.nMaxPage = 65535;
  ORV_TRACE_LOCATION();
  const BOOL chosen = PrintDlgW(&dialog);
  // The dialog allocates the device mode and the device names for the caller, chosen or not.
  const win::UniqueGlobal deviceMode(dialog.hDevMode);
  const win::UniqueGlobal deviceNames(dialog.hDevNames);
  job.printer.reset(dialog.hDC);
  if (!chosen) job.printer.reset();
  return static_cast<bool>(job.printer);
}

// Chooses the printer, starts the document (named jobName) and its page and reads the page
// metrics. False when no printer was chosen or the document could not be started; then nothing
// is held.
bool OpenPrintJob(const std::wstring& jobName, bool useDefaultPrinter) {
  // No usable default printer: the user chooses one instead.
  if (!(useDefaultPrinter && OpenDefaultPrinter()) && !ChoosePrinterInDialog()) return false;
  const HDC printer = job.printer.get();
  DOCINFOW document{};
  document.cbSize = sizeof(document);
  document.lpszDocName = jobName.c_str();
  ORV_TRACE_LOCATION();
  job.documentStarted = StartDocW(printer, &document) > 0;
  if (!job.documentStarted) {
    job.printer.reset();  // no document, nothing to end
    return false;
  }
  ORV_TRACE_LOCATION();
  job.pageStarted = StartPage(printer) > 0;
  ORV_TRACE_LOCATION();
  job.page = {GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES),
              GetDeviceCaps(printer, HORZSIZE), GetDeviceCaps(printer, VERTSIZE)};
  return true;
}

// Stretches the whole image onto the device rectangle of the page, which placement worked out
// from its size in millimetres.
void PlaceImageMm(const win::DibImage& image, const Rect& device) {
  const ImageView view = image.View();
  if (!view.top || view.bitsPerPixel != 24) return;  // captures are always 24-bit
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = view.width;
  info.bmiHeader.biHeight = view.height;  // bottom-up, as the section stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const HDC printer = job.printer.get();
  SetStretchBltMode(printer, COLORONCOLOR);
  ORV_TRACE_LOCATION();
  // The bottom row comes first in memory.
  StretchDIBits(printer, device.x, device.y, device.width, device.height, 0, 0, view.width,
                view.height, view.Row(view.height - 1), &info, DIB_RGB_COLORS, SRCCOPY);
}

// Ends the page and the document, as far as they were started, and lets go of the printer.
void ClosePrintJob() {
  const HDC printer = job.printer.get();
  if (job.pageStarted) {
    ORV_TRACE_LOCATION();
    EndPage(printer);
  }
  if (job.documentStarted) {
    ORV_TRACE_LOCATION();
    EndDoc(printer);
  }
  ORV_TRACE_LOCATION();
  job = {};
}

}  // namespace

void PrintCapture(bool useDefaultPrinter) {
  const win::DibImage* capture = Images::Get(ImageId::Capture);
  if (!capture) return;
  const bool fitPaperOrientation = App().settings.FitPaperOrientation != 0;
  if (fitPaperOrientation) {
    // Turned before the printer is known, so made whether or not the paper then asks for it.
    Images::Free(ImageId::PrintImage);
    Images::Put(ImageId::PrintImage, capture->Clone());
    RotateImage(ImageId::PrintImage);
  }

  if (!OpenPrintJob(Text(L"#Program_Name"), useDefaultPrinter)) return;
  const Size captureSize = capture->size();
  // A copy that could not be turned (memory ran out) is no turned copy.
  const win::DibImage* turned = fitPaperOrientation ? Images::Get(ImageId::PrintImage) : nullptr;
  if (turned && turned->size() != Size{captureSize.height, captureSize.width}) turned = nullptr;
  const std::optional<Size> turnedSize =
      turned ? std::optional<Size>(turned->size()) : std::nullopt;
  // Metrics that make no page (a driver reporting zero sizes) end the job without drawing.
  if (const auto placement = PlacePrint(job.page, captureSize, fitPaperOrientation, turnedSize)) {
    if (job.pageStarted) PlaceImageMm(placement->useTurned ? *turned : *capture, placement->device);
  }
  ClosePrintJob();
}

}  // namespace orv
