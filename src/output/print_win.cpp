#include "output/print_win.h"

#include <windows.h>

#include <commdlg.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "base/fault_location.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "output/print_layout.h"
#include "win/dib_transforms.h"
#include "win/system.h"
#include "win/system_functions.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

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
  const win::SpoolerFunctions spooler;
  // The first call asks for the length; the default can change in between, hence the retries.
  for (int attempt = 0; spooler.GetDefaultPrinterW && attempt < 3; ++attempt) {
    DWORD length = 0;
    ORV_TRACE_LOCATION();
    spooler.GetDefaultPrinterW(nullptr, &length);
    if (length == 0) break;
    std::wstring name(length, L'\0');
    ORV_TRACE_LOCATION();
    if (spooler.GetDefaultPrinterW(name.data(), &length)) {
      name.resize(std::wcslen(name.c_str()));
      if (!name.empty()) return name;
      break;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
  }
  return ProfilePrinterName();
}

win::UniqueCreatedDc OpenDefaultPrinter() {
  const std::wstring name = DefaultPrinterName();
  if (name.empty()) return {};
  ORV_TRACE_LOCATION();
  return win::UniqueCreatedDc(CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr));
}

// Shows the print dialog; its device context (printer, paper, orientation and copies as
// chosen there) is the printer. None when it is cancelled or fails.
win::UniqueCreatedDc ChoosePrinterInDialog(HWND owner) {
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof(dialog);
  // Owned by the program's own (hidden) main window: a modal dialog disables its owner, and the
  // window in front may belong to another program.
  dialog.hwndOwner = owner;
  // No "Print to file" box: ticked, it would still print on paper, as no file name is asked.
  dialog.Flags = PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE;
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
  win::UniqueCreatedDc printer(dialog.hDC);
  if (!chosen) printer.reset();
  return printer;
}

// One print job: the printer and the document and page as far as they were started. The job
// ends with the scope: page and document are ended once the picture is drawn; a job where it
// could not be drawn is cancelled instead, so that no blank page comes out. The printer is let
// go. It is not kept
// for the next job: nothing reuses it (the next default printer job makes a new one, the next
// dialog returns its own), and a printer held between jobs would only tie up the driver.
class PrintJob {
 public:
  // Chooses the printer (the default one, or in the print dialog when there is none or
  // useDefaultPrinter is false), starts the document named jobName and its page and reads the
  // page metrics; the print dialog is owned by owner. Without a printer or a started document
  // the job holds nothing.
  PrintJob(const std::wstring& jobName, bool useDefaultPrinter, HWND owner);
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;
  ~PrintJob();

  bool IsOpen() const { return documentStarted_; }
  bool PageStarted() const { return pageStarted_; }
  const PageMetrics& Page() const { return page_; }

  // Stretches the whole image onto a rectangle of the page in device pixels (which placement
  // worked out from the picture's size in millimetres); the job is printed only when this
  // succeeded.
  void StretchOntoPage(const win::DibImage& image, const Rect& device);

 private:
  win::UniqueCreatedDc printer_;
  bool documentStarted_ = false;
  bool pageStarted_ = false;
  bool drawn_ = false;
  PageMetrics page_;
};

PrintJob::PrintJob(const std::wstring& jobName, bool useDefaultPrinter, HWND owner) {
  if (useDefaultPrinter) printer_ = OpenDefaultPrinter();
  if (!printer_) printer_ = ChoosePrinterInDialog(owner);
  if (!printer_) return;
  DOCINFOW document{};
  document.cbSize = sizeof(document);
  document.lpszDocName = jobName.c_str();
  ORV_TRACE_LOCATION();
  documentStarted_ = StartDocW(printer_.get(), &document) > 0;
  if (!documentStarted_) {
    printer_.reset();  // no document, nothing to end
    return;
  }
  ORV_TRACE_LOCATION();
  pageStarted_ = StartPage(printer_.get()) > 0;
  ORV_TRACE_LOCATION();
  page_ = {GetDeviceCaps(printer_.get(), HORZRES), GetDeviceCaps(printer_.get(), VERTRES),
           GetDeviceCaps(printer_.get(), HORZSIZE), GetDeviceCaps(printer_.get(), VERTSIZE)};
}

PrintJob::~PrintJob() {
  if (documentStarted_ && !drawn_) {
    // Cancelled rather than ended, as for other print failures without a message.
    ORV_TRACE_LOCATION();
    AbortDoc(printer_.get());
  } else if (documentStarted_) {
    ORV_TRACE_LOCATION();
    EndPage(printer_.get());
    ORV_TRACE_LOCATION();
    EndDoc(printer_.get());
  }
  ORV_TRACE_LOCATION();
  printer_.reset();
}

void PrintJob::StretchOntoPage(const win::DibImage& image, const Rect& device) {
  const ImageView view = image.View();
  if (!view.top || view.bitsPerPixel != 24) return;  // captures are always 24-bit
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = view.width;
  info.bmiHeader.biHeight = view.height;  // bottom-up, as the section stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const HDC printer = printer_.get();
  SetStretchBltMode(printer, COLORONCOLOR);
  ORV_TRACE_LOCATION();
  // The bottom row comes first in memory. The result counts the rows drawn: none (0) or
  // GDI_ERROR is a failure.
  const int rows =
      StretchDIBits(printer, device.x, device.y, device.width, device.height, 0, 0, view.width,
                    view.height, view.Row(view.height - 1), &info, DIB_RGB_COLORS, SRCCOPY);
  drawn_ = rows != 0 && rows != static_cast<int>(GDI_ERROR);
}

// What one print needs besides the job.
struct Printout {
  const win::DibImage& Capture;
  win::DibImage PrintImage;  // empty: no turned copy
};

// Prints the capture on one page; while fitPaperOrientation is on, PrintImage, the capture turned
// a quarter to the left, is printed instead when the paper's orientation asks for it.
void PrintCapture(const win::DibImage& capture, bool useDefaultPrinter, bool fitPaperOrientation,
                  HWND owner) {
  if (!capture) return;
  // Turned before the printer is known, so made whether or not the paper then asks for it.
  // Turned straight from the capture rather than copied and then turned: a large capture then
  // needs one picture more while printing, never two. Empty when memory ran out: no turned copy.
  const Printout printout{capture, fitPaperOrientation ? TurnedCopy(capture) : win::DibImage()};

  PrintJob job(Text(TextKey::ProgramName), useDefaultPrinter, owner);
  if (!job.IsOpen()) return;
  const win::DibImage& turned = printout.PrintImage;
  const std::optional<Size> turnedSize = turned ? std::optional<Size>(turned.size()) : std::nullopt;
  // Metrics that make no page (a driver reporting zero sizes) end the job without drawing.
  if (const auto placement =
          PlacePrint(job.Page(), printout.Capture.size(), fitPaperOrientation, turnedSize)) {
    if (job.PageStarted()) {
      job.StretchOntoPage(placement->useTurned ? turned : printout.Capture, placement->device);
    }
  }
}

}  // namespace

void PrintWithDialog(const win::DibImage& capture, bool fitPaperOrientation, HWND owner) {
  PrintCapture(capture, false, fitPaperOrientation, owner);
}

void PrintToDefault(const win::DibImage& capture, bool fitPaperOrientation, HWND owner) {
  PrintCapture(capture, true, fitPaperOrientation, owner);
}

void OpenPrintersFolder(const std::wstring& windowsDir) {
  // The control panel from the system folder by its full path, never whichever "control.exe"
  // the search path finds first.
  const std::wstring systemFolder = win::SystemFolder();
  if (systemFolder.empty()) return;
  const std::wstring program = systemFolder + L"control.exe";
  win::StartProgram(program, L"\"" + program + L"\" printers", windowsDir);
}

}  // namespace orv
