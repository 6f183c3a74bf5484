#include "capture/keyboard_hook_win.h"

#include <windows.h>

#include <atomic>

#include "capture/hook_decision.h"

namespace orv {
namespace {

// The thread reads the main window's handle from here: the window registry of the application
// state belongs to the event-loop thread.
std::atomic<HWND> hookTarget{nullptr};

// Posted to the hook's thread to end it.
constexpr UINT kStopHookMessage = WM_APP;
// How long shutdown waits for the thread to unhook and end; it only reads its messages.
constexpr DWORD kStopWait = 5000;

int AsyncKeyState(int virtualKey) {
  return GetAsyncKeyState(virtualKey);
}

// Runs on the hook's thread, called through its message queue; it only decides and posts, and
// never waits for the program.
LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
  const HWND target = hookTarget.load();
  if (nCode == HC_ACTION && target) {
    try {
      const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
      if (IsSwallowedPrintScreenPress(nCode, wParam, key->vkCode, AsyncKeyState)) return 1;
      const auto command = DecidePrintScreenCommand(nCode, wParam, key->vkCode, AsyncKeyState);
      // Swallow the release only when the command is on its way.
      if (command && PostMessageW(target, WM_COMMAND, static_cast<WPARAM>(*command), 0) != FALSE) {
        return 1;
      }
    } catch (...) {
      // Nothing may unwind into the system's hook chain; the key simply passes on.
    }
  }
  return CallNextHookEx(nullptr, nCode, wParam, lParam);  // the hook handle is ignored there
}

struct HookThreadStart {
  HANDLE ready;  // set once the hook is in place or has failed
  bool installed = false;
};

// The hook's thread: installs the hook, then does nothing but read its messages (the system
// calls the hook procedure from inside GetMessageW) until it is told to stop.
DWORD WINAPI RunHookThread(void* parameter) {
  auto* start = static_cast<HookThreadStart*>(parameter);
  MSG message;
  // Makes the thread's message queue, which the stop message needs, before anyone can post.
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  const win::UniqueHook hook(
      SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHookProc, GetModuleHandleW(nullptr), 0));
  start->installed = static_cast<bool>(hook);
  SetEvent(start->ready);  // start belongs to the installer, which goes on from here
  if (!hook) return 0;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == kStopHookMessage) break;
  }
  return 0;  // the hook goes with its owner, on this thread, which installed it
}

}  // namespace

void KeyboardHook::Remove() {
  if (!thread_) return;
  if (PostThreadMessageW(threadId_, kStopHookMessage, 0, 0)) {
    WaitForSingleObject(thread_.get(), kStopWait);
  }
  thread_.reset();
  threadId_ = 0;
}

KeyboardHook InstallKeyboardHook() {
  // A failure is not reported: captures stay available from the tray.
  const win::UniqueKernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ready) return {};
  HookThreadStart start{ready.get()};
  DWORD threadId = 0;
  win::UniqueKernelHandle thread(CreateThread(nullptr, 0, RunHookThread, &start, 0, &threadId));
  if (!thread) return {};
  // The thread sets the event on every path, or ends.
  const HANDLE waits[] = {ready.get(), thread.get()};
  const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  if (woken != WAIT_OBJECT_0 || !start.installed) {
    WaitForSingleObject(thread.get(), kStopWait);  // it ends at once without a hook
    return {};
  }
  return KeyboardHook(std::move(thread), threadId);
}

void SetKeyboardHookTarget(HWND window) {
  hookTarget.store(window);
}

}  // namespace orv
