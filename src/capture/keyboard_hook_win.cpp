#include "capture/keyboard_hook_win.h"

#include <windows.h>

#include <atomic>

#include "capture/hook_decision.h"

namespace orv {
namespace {

// A hook procedure has no context of its own, so what it needs lives here. The rule is touched
// only by the hook's thread; the target is set by the event-loop thread, which makes and destroys
// the main window.
struct HookState {
  std::atomic<HWND> target{nullptr};
  PrintScreenRule rule;
};
HookState hookState;

// Posted to the hook's thread.
constexpr UINT kStopHookMessage = WM_APP;
constexpr UINT kReinstallHookMessage = WM_APP + 1;
// How long shutdown waits for the thread to unhook and end; it only reads its messages.
constexpr DWORD kStopWait = 5000;

bool KeyIsDown(int virtualKey) {
  return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

// Runs on the hook's thread, called through its message queue; it only decides and posts, and
// never waits for the program.
LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
  const HWND target = hookState.target.load();
  if (nCode == HC_ACTION && target) {
    try {
      const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
      const KeyVerdict verdict =
          hookState.rule.Decide({nCode, wParam, key->vkCode, key->time}, KeyIsDown);
      // A release is swallowed only when its command is on its way.
      if (verdict.post) {
        if (PostMessageW(target, WM_COMMAND, static_cast<WPARAM>(*verdict.post), 0)) return 1;
      } else if (verdict.swallow) {
        return 1;
      }
    } catch (...) {
      // Nothing may unwind into the system's hook chain; the key simply passes on.
    }
  }
  return CallNextHookEx(nullptr, nCode, wParam, lParam);  // the hook handle is ignored there
}

win::UniqueHook SetHook() {
  return win::UniqueHook(
      SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHookProc, GetModuleHandleW(nullptr), 0));
}

struct HookThreadStart {
  HANDLE ready;  // set once the hook is in place or has failed
  bool installed = false;
};

// The hook's thread: installs the hook, then does nothing but read its messages (the system
// calls the hook procedure from inside GetMessageW) until it is told to stop.
DWORD WINAPI RunHookThread(void* parameter) {
  auto* start = static_cast<HookThreadStart*>(parameter);
  // Windows removes a hook that has not answered within its time-out; on a busy machine a thread
  // of normal priority can wait that long for a processor.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  MSG message;
  // Makes the thread's message queue, which the messages below need, before anyone can post.
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  win::UniqueHook hook = SetHook();
  start->installed = static_cast<bool>(hook);
  SetEvent(start->ready);  // start belongs to the installer, which goes on from here
  if (!hook) return 0;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd != nullptr) continue;
    if (message.message == kStopHookMessage) break;
    if (message.message == kReinstallHookMessage) {
      // The new hook is in place before the old one goes (an old one Windows removed unhooks
      // with nothing to do). This thread answers neither hook between the two steps, and the
      // rule stays the same, so every key press is still decided once.
      if (win::UniqueHook fresh = SetHook()) hook = std::move(fresh);
    }
  }
  return 0;  // the hook goes with its owner, on this thread, which installed it
}

struct HotKey {
  UINT modifiers;
  CommandId command;  // also the hot key's id
};
constexpr HotKey kHotKeys[] = {
    {MOD_CONTROL, CommandId::CaptureRegion},
    {MOD_SHIFT, CommandId::CaptureScreen},
    {MOD_CONTROL | MOD_SHIFT, CommandId::CaptureWindow},
};

}  // namespace

void KeyboardHook::Reinstall() const {
  if (thread_) PostThreadMessageW(threadId_, kReinstallHookMessage, 0, 0);
}

void KeyboardHook::Remove() {
  if (!thread_) return;
  if (PostThreadMessageW(threadId_, kStopHookMessage, 0, 0)) {
    WaitForSingleObject(thread_.get(), kStopWait);
  }
  thread_.reset();
  threadId_ = 0;
}

KeyboardHook InstallKeyboardHook() {
  // A failure is not reported: captures stay available from the hot keys and the tray.
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
  hookState.target.store(window);
}

CaptureHotKeys::CaptureHotKeys(HWND window) : window_(window) {
  for (const HotKey& key : kHotKeys) {
    // Fails when another program has the combination; the hook, which is called before hot
    // keys are matched, still takes it here. Not reported.
    RegisterHotKey(window_, static_cast<int>(key.command), key.modifiers | MOD_NOREPEAT,
                   VK_SNAPSHOT);
  }
}

CaptureHotKeys::~CaptureHotKeys() {
  for (const HotKey& key : kHotKeys) UnregisterHotKey(window_, static_cast<int>(key.command));
}

std::optional<CommandId> CaptureHotKeyCommand(WPARAM hotKeyId) {
  for (const HotKey& key : kHotKeys) {
    if (hotKeyId == static_cast<WPARAM>(key.command)) return key.command;
  }
  return std::nullopt;
}

}  // namespace orv
