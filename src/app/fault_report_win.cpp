#include "app/fault_report_win.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstring>
#include <string>
#include <utility>

#include "app/fault_report.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "win/clipboard.h"
#include "win/system.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

// Yes and No, the warning icon, No as the default answer.
constexpr UINT kReportBoxType = MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2;

// Stack the user-interface thread keeps back for the report: after a stack overflow the filter,
// the report text and the message box run on what is left.
constexpr ULONG kReportStackBytes = 128 * 1024;

// The filter is called with no context of ours, so what it needs lives here, from its
// installation to its release.
struct FaultHandler {
  LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;
  std::function<void()> releaseProgramObjects;  // empty while not installed
  FaultRecord fault;
  std::atomic<DWORD> reportingThread{0};  // the thread showing the report, 0 while none is
};
FaultHandler handler;

// While the report shows, the program's other windows can neither be used nor cover it: visible
// windows are disabled and topmost ones (the preview window) leave the topmost band. The
// destructor puts both back. The windows are kept in a fixed table, which allocates nothing; the
// report's text is built on the heap all the same, and when the fault broke the heap, the fault
// that follows inside the report ends the process at once (FaultFilter).
class ProgramWindowsSetAside {
 public:
  ProgramWindowsSetAside() {
    EnumWindows(
        [](HWND window, LPARAM self) -> BOOL {
          reinterpret_cast<ProgramWindowsSetAside*>(self)->SetAside(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
  }
  ProgramWindowsSetAside(const ProgramWindowsSetAside&) = delete;
  ProgramWindowsSetAside& operator=(const ProgramWindowsSetAside&) = delete;
  ~ProgramWindowsSetAside() {
    for (std::size_t i = 0; i < count_; ++i) {
      const Entry& entry = entries_[i];
      if (entry.wasEnabled) EnableWindow(entry.window, TRUE);
      if (entry.wasTopmost) {
        SetWindowPos(entry.window, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
    }
  }

 private:
  struct Entry {
    HWND window;
    bool wasEnabled;
    bool wasTopmost;
  };

  void SetAside(HWND window) {
    if (count_ == entries_.size() || !IsWindowVisible(window)) return;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != GetCurrentProcessId()) return;
    Entry& entry = entries_[count_++];
    entry.window = window;
    entry.wasTopmost = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (entry.wasTopmost) {
      SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    entry.wasEnabled = !EnableWindow(window, FALSE);  // returns whether it was disabled before
  }

  std::array<Entry, 64> entries_{};
  std::size_t count_ = 0;
};

// The report as Unicode text on the clipboard, in one attempt; silent when the clipboard cannot be
// opened. The clipboard is opened for a message-only window made for this on the reporting
// thread: opened for no window, it gets no owner when it is emptied, and Windows then refuses the
// data (Wine takes it all the same).
void CopyReportToClipboard(const std::wstring& report) {
  const std::size_t bytes = (report.size() + 1) * sizeof(wchar_t);
  win::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) return;
  void* target = GlobalLock(memory.get());
  if (!target) return;
  std::memcpy(target, report.c_str(), bytes);
  GlobalUnlock(memory.get());
  const win::UniqueWindow owner(CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                nullptr, GetModuleHandleW(nullptr), nullptr));
  const win::OpenedClipboard clipboard(owner.get(), 0, 0);
  if (clipboard) win::ReplaceClipboardContent(CF_UNICODETEXT, memory);
}

// Ends the process at once with exit code 0. Not ExitProcess: after a fault it would run other
// libraries' detach code, which may wait for a lock a dead thread holds and hang, keeping the
// single-instance mutex so that a restart says the program is already running.
[[noreturn]] void EndProcess() {
  TerminateProcess(GetCurrentProcess(), 0);  // does not return when it ends its own process
  ExitProcess(0);                            // only if the termination was refused
}

LONG WINAPI FaultFilter(EXCEPTION_POINTERS* pointers) {
  const DWORD thread = GetCurrentThreadId();
  DWORD none = 0;
  if (!handler.reportingThread.compare_exchange_strong(none, thread)) {
    // A fault inside the report itself ends the process at once; a fault on another thread
    // waits for the report that is showing, which ends the process.
    if (none == thread) EndProcess();
    for (;;) Sleep(INFINITE);
  }
  FaultRecord& fault = handler.fault;
  fault.code = pointers && pointers->ExceptionRecord ? pointers->ExceptionRecord->ExceptionCode : 0;
  fault.location = CurrentFaultLocation();
  ReportFatalError();
  EndProcess();  // not reached: the report ends the process itself
}

}  // namespace

void InstallFaultHandler(std::function<void()> releaseProgramObjects) {
  if (handler.releaseProgramObjects || !releaseProgramObjects) return;
  ULONG reserve = kReportStackBytes;
  SetThreadStackGuarantee(&reserve);  // without it the report is lost after a stack overflow
  handler.previousFilter = SetUnhandledExceptionFilter(FaultFilter);
  handler.releaseProgramObjects = std::move(releaseProgramObjects);
}

void ReleaseFaultHandler() {
  if (!handler.releaseProgramObjects) return;
  SetUnhandledExceptionFilter(handler.previousFilter);
  handler.previousFilter = nullptr;
  handler.releaseProgramObjects = {};
}

void ReportFatalError() {
  const std::wstring report = BuildFaultReport(handler.fault, Text);
  const std::wstring question = report + Text(TextKey::FaultCopyQuestion);
  const std::wstring& caption = Text(TextKey::FaultCaption);
  int answer = 0;
  {
    const HWND owner = win::MessageBoxOwner();
    const ProgramWindowsSetAside setAside;
    answer = MessageBoxW(owner, question.c_str(), caption.c_str(), kReportBoxType);
  }
  if (answer == IDYES) CopyReportToClipboard(report);
  // Taken out first: the release puts the earlier filter back, which forgets this function.
  if (const std::function<void()> release = handler.releaseProgramObjects) release();
  EndProcess();
}

}  // namespace orv
