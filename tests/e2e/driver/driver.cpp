// orvanta-driver: a small Windows console program that the end-to-end tests run under Wine to
// act on orvanta.exe the way a user or the system would: find windows, read texts, click
// controls, post commands, inject keys and mouse input, read the clipboard, the registry and
// shortcut files, and count what a process holds (memory, GDI objects, handles, windows). A
// batch runs many commands in one process.
// Every command prints "key=value" lines on success and exits 0; failures print a reason on
// stderr and exit 1 (2 for a time-out). Waiting commands poll with a time limit.
#include <windows.h>

#include <commctrl.h>
#include <dwmapi.h>
#include <mmsystem.h>
#include <oleacc.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::wstring>;

// Set while a batch runs: its current line, named in a failure, and whether that line's output
// is shown.
std::wstring batchLine;
bool quiet = false;

// A command's failure while the driver serves commands (serve): it ends the command, not the
// process.
struct CommandFailure {
  int code;
  std::wstring message;
};
bool serving = false;

[[noreturn]] void Fail(const wchar_t* format, const std::wstring& detail = L"", int code = 1) {
  std::wstring message(4096, L'\0');
  message.resize(std::max(0, swprintf(message.data(), message.size(), format, detail.c_str())));
  if (!batchLine.empty()) message = L"batch line: " + batchLine + L"\n" + message;
  if (serving) throw CommandFailure{code, message};
  fwprintf(stderr, L"%ls\n", message.c_str());
  fflush(stderr);
  ExitProcess(code);
}

void Print(const std::wstring& line) {
  if (quiet) return;
  // Output is UTF-8 so that the Linux side reads non-ASCII texts correctly.
  const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), size, nullptr, nullptr);
  fwrite(utf8.data(), 1, utf8.size(), stdout);
  fputc('\n', stdout);
  fflush(stdout);
}

std::wstring Option(const Args& args, const std::wstring& name,
                    const std::wstring& fallback = L"") {
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == L"--" + name) return args[i + 1];
  }
  return fallback;
}
bool HasFlag(const Args& args, const std::wstring& name) {
  for (const auto& a : args) {
    if (a == L"--" + name) return true;
  }
  return false;
}
long Number(const std::wstring& text) {
  return std::wcstol(text.c_str(), nullptr, 0);
}
long NumberOption(const Args& args, const std::wstring& name, long fallback) {
  const std::wstring text = Option(args, name);
  return text.empty() ? fallback : Number(text);
}
std::wstring Hex(UINT_PTR value) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%llx", static_cast<unsigned long long>(value));
  return buffer;
}

// A text on one line: backslash, CR, LF and TAB written as \\, \r, \n and \t.
std::wstring Escaped(const std::wstring& text) {
  std::wstring out;
  for (const wchar_t c : text) {
    switch (c) {
      case L'\\':
        out += L"\\\\";
        break;
      case L'\r':
        out += L"\\r";
        break;
      case L'\n':
        out += L"\\n";
        break;
      case L'\t':
        out += L"\\t";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[4096] = {};
  // WM_GETTEXT is marshalled across processes, unlike GetWindowTextW on a foreign control.
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK, 2000,
                      nullptr);
  return buffer;
}
std::wstring ClassName(HWND window) {
  wchar_t buffer[256] = {};
  GetClassNameW(window, buffer, 256);
  return buffer;
}

struct WindowQuery {
  std::wstring title;      // exact, empty: any
  std::wstring className;  // exact, empty: any
  bool visibleOnly = false;
};
WindowQuery QueryFrom(const Args& args) {
  return {Option(args, L"title"), Option(args, L"class"), HasFlag(args, L"visible")};
}

std::vector<HWND> FindTopLevel(const WindowQuery& query) {
  struct Context {
    const WindowQuery* query;
    std::vector<HWND> found;
  } context{&query, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* c = reinterpret_cast<Context*>(param);
        if (c->query->visibleOnly && !IsWindowVisible(window)) return TRUE;
        if (!c->query->className.empty() && ClassName(window) != c->query->className) return TRUE;
        if (!c->query->title.empty()) {
          wchar_t title[1024] = {};
          GetWindowTextW(window, title, 1024);
          if (c->query->title != title) return TRUE;
        }
        c->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&context));
  return context.found;
}

// Polls until check() succeeds or the time-out (ms) passes.
bool WaitFor(long timeoutMs, const std::function<bool()>& check) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (check()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(1);
  }
}

HWND WaitWindow(const Args& args) {
  const WindowQuery query = QueryFrom(args);
  HWND found = nullptr;
  if (!WaitFor(NumberOption(args, L"timeout", 10000), [&] {
        const auto windows = FindTopLevel(query);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      })) {
    Fail(L"no window titled '%ls'", query.title, 2);
  }
  return found;
}

void DescribeWindow(HWND window) {
  RECT rect{}, client{};
  GetWindowRect(window, &rect);
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  Print(L"hwnd=" + Hex(reinterpret_cast<UINT_PTR>(window)));
  Print(L"pid=" + std::to_wstring(pid));
  Print(L"class=" + ClassName(window));
  Print(L"title=" + WindowText(window));
  Print(L"visible=" + std::to_wstring(IsWindowVisible(window) ? 1 : 0));
  Print(L"enabled=" + std::to_wstring(IsWindowEnabled(window) ? 1 : 0));
  Print(L"rect=" + std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L"," +
        std::to_wstring(rect.right) + L"," + std::to_wstring(rect.bottom));
  Print(L"client=" + std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom));
  Print(L"client_origin=" + std::to_wstring(origin.x) + L"," + std::to_wstring(origin.y));
  Print(L"style=" + Hex(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE))));
  Print(L"exstyle=" + Hex(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE))));
  Print(L"owner=" + Hex(reinterpret_cast<UINT_PTR>(GetWindow(window, GW_OWNER))));
  // The bounds the compositor draws, where the system has one that says (Wine 8 does not).
  RECT drawn{};
  const bool haveDrawn =
      SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &drawn, sizeof(drawn)));
  Print(L"drawn=" + (haveDrawn
                         ? std::to_wstring(drawn.left) + L"," + std::to_wstring(drawn.top) + L"," +
                               std::to_wstring(drawn.right) + L"," + std::to_wstring(drawn.bottom)
                         : std::wstring(L"none")));
}

HWND ParseWindow(const Args& args) {
  const std::wstring handle = Option(args, L"hwnd");
  if (!handle.empty())
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(handle.c_str(), nullptr, 0)));
  return WaitWindow(args);
}

HWND Control(HWND window, const Args& args) {
  const long id = NumberOption(args, L"id", -1);
  const HWND control = GetDlgItem(window, id);
  if (!control) Fail(L"no control %ls", std::to_wstring(id));
  return control;
}

// --- commands -------------------------------------------------------------------------------

int Launch(const Args& args) {
  // Starts a program (optionally in a working folder), waits for it and reports its full exit
  // code, which the Unix side of Wine cannot (it keeps only the low eight bits).
  std::wstring commandLine = L"\"" + args.at(1) + L"\"";
  const std::wstring folder = Option(args, L"cwd");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    Fail(L"cannot start %ls", args.at(1));
  }
  CloseHandle(process.hThread);
  Print(L"pid=" + std::to_wstring(process.dwProcessId));
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  Print(L"exit=" + std::to_wstring(code));
  return 0;
}

int ListWindows(const Args& args) {
  for (HWND window : FindTopLevel(QueryFrom(args))) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    Print(Hex(reinterpret_cast<UINT_PTR>(window)) + L" pid=" + std::to_wstring(pid) + L" visible=" +
          std::to_wstring(IsWindowVisible(window) ? 1 : 0) + L" class=" + ClassName(window) +
          L" title=" + WindowText(window));
  }
  return 0;
}

int WindowAt(const Args& args) {
  // The top-level window at a point of the screen (--x, --y): "hwnd=0x..." (0x0 for none).
  const POINT at{NumberOption(args, L"x", 0), NumberOption(args, L"y", 0)};
  const HWND window = WindowFromPoint(at);
  Print(L"hwnd=" +
        Hex(reinterpret_cast<UINT_PTR>(window ? GetAncestor(window, GA_ROOT) : nullptr)));
  return 0;
}

int CountWindows(const Args& args) {
  Print(L"count=" + std::to_wstring(FindTopLevel(QueryFrom(args)).size()));
  return 0;
}

int WaitGone(const Args& args) {
  const WindowQuery query = QueryFrom(args);
  if (!WaitFor(NumberOption(args, L"timeout", 10000),
               [&] { return FindTopLevel(query).empty(); })) {
    Fail(L"window '%ls' is still there", query.title, 2);
  }
  return 0;
}

int PostCommand(const Args& args) {
  const HWND window = ParseWindow(args);
  PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(NumberOption(args, L"id", 0)), 0);
  return 0;
}

// Posts a message (--msg, or the registered message --msg-name) to a window, or to every
// top-level window with --broadcast.
int PostMessage(const Args& args) {
  const HWND window = HasFlag(args, L"broadcast") ? HWND_BROADCAST : ParseWindow(args);
  const std::wstring name = Option(args, L"msg-name");
  const UINT message = name.empty() ? static_cast<UINT>(NumberOption(args, L"msg", 0))
                                    : RegisterWindowMessageW(name.c_str());
  if (!PostMessageW(window, message, static_cast<WPARAM>(NumberOption(args, L"wparam", 0)),
                    static_cast<LPARAM>(NumberOption(args, L"lparam", 0)))) {
    Fail(L"cannot post the message%ls");
  }
  return 0;
}

// Tries to register a hot key (--mods, --vk) for this process and reports whether it could
// (registered=1 or 0); gives it up at once.
int RegisterHotKeyCommand(const Args& args) {
  const bool registered =
      RegisterHotKey(nullptr, 1, static_cast<UINT>(NumberOption(args, L"mods", 0)),
                     static_cast<UINT>(NumberOption(args, L"vk", 0))) != FALSE;
  if (registered) UnregisterHotKey(nullptr, 1);
  Print(L"registered=" + std::to_wstring(registered ? 1 : 0));
  return 0;
}

// Removes a window's notification-area icon (--id), as a taskbar that restarts forgets it.
int DeleteTrayIcon(const Args& args) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = ParseWindow(args);
  data.uID = static_cast<UINT>(NumberOption(args, L"id", 0));
  if (!Shell_NotifyIconW(NIM_DELETE, &data)) Fail(L"the icon was not there%ls");
  return 0;
}

int Describe(const Args& args) {
  const HWND window = ParseWindow(args);
  // A window waited for as shown has also handled what reached its thread before: under Wine,
  // the X events of its appearing, which can move the pointer back to where the X pointer was.
  if (HasFlag(args, L"visible")) {
    // Twice: a thread may answer the first message before it reads what X has sent it.
    for (int round = 0; round < 2; ++round) {
      SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 5000, nullptr);
    }
  }
  DescribeWindow(window);
  return 0;
}

int Controls(const Args& args) {
  // The child windows of a window, in creation (Z) order.
  const HWND window = ParseWindow(args);
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    Print(std::to_wstring(GetDlgCtrlID(child)) + L" class=" + ClassName(child) + L" rect=" +
          std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L"," +
          std::to_wstring(rect.right - rect.left) + L"," + std::to_wstring(rect.bottom - rect.top) +
          L" enabled=" + std::to_wstring(IsWindowEnabled(child) ? 1 : 0) + L" visible=" +
          std::to_wstring(IsWindowVisible(child) ? 1 : 0) + L" checked=" +
          std::to_wstring(SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0) +
          L" style=" + Hex(static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE))) + L" text=" +
          WindowText(child));
  }
  return 0;
}

int Click(const Args& args) {
  // Posted, not sent: a modal dialog opened by the click must not block the driver.
  PostMessageW(Control(ParseWindow(args), args), BM_CLICK, 0, 0);
  return 0;
}

int MessageBoxCommand(const Args& args) {
  // Waits for a message box (dialog class #32770) with the given caption, prints its text (also
  // escaped onto one line) and its buttons, and presses one when asked (--press ID).
  Args query = args;
  query.push_back(L"--class");
  query.push_back(L"#32770");
  const HWND box = WaitWindow(query);
  DWORD pid = 0;
  GetWindowThreadProcessId(box, &pid);
  Print(L"pid=" + std::to_wstring(pid));
  Print(L"owner=" + Hex(reinterpret_cast<UINT_PTR>(GetWindow(box, GW_OWNER))));
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child);
    const std::wstring cls = ClassName(child);
    if (cls == L"Static" && !WindowText(child).empty()) {
      Print(L"text=" + WindowText(child));
      Print(L"text_escaped=" + Escaped(WindowText(child)));
    }
    if (cls == L"Button" && IsWindowVisible(child)) {
      Print(L"button=" + std::to_wstring(id) + L":" + WindowText(child));
    }
  }
  const long press = NumberOption(args, L"press", 0);
  if (press) PostMessageW(box, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), 0);
  return 0;
}

WORD VirtualKey(const std::wstring& name) {
  static const std::pair<const wchar_t*, WORD> names[] = {
      {L"ctrl", VK_CONTROL},  {L"lctrl", VK_LCONTROL}, {L"shift", VK_SHIFT},
      {L"lshift", VK_LSHIFT}, {L"alt", VK_MENU},       {L"snapshot", VK_SNAPSHOT},
      {L"ralt", VK_RMENU},    {L"escape", VK_ESCAPE},  {L"return", VK_RETURN},
      {L"down", VK_DOWN},     {L"up", VK_UP},          {L"f4", VK_F4},
      {L"tab", VK_TAB},       {L"space", VK_SPACE}};
  for (const auto& [n, vk] : names) {
    if (name == n) return vk;
  }
  if (name.size() == 1 && name[0] >= L'a' && name[0] <= L'z') return name[0] - L'a' + 'A';
  return static_cast<WORD>(Number(name));
}

// Lets every other thread with a window on screen handle the X events that have reached it.
// Under Wine the pointer entering a window or a window taking the focus is followed by the X
// keyboard state, and Wine lets go of every modifier the X keyboard does not hold, which the
// modifiers sent here never are: handled while a combination is held, that would take its Ctrl
// or Shift away. A thread handles its X events whenever it waits for messages, so each is
// reached twice: the second message finds it after a wait.
void SettleOtherWindows() {
  for (int round = 0; round < 2; ++round) {
    // The desktop window's thread too, which takes the X focus when no window has it.
    SendMessageTimeoutW(GetDesktopWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, nullptr);
    EnumWindows(
        [](HWND window, LPARAM) -> BOOL {
          DWORD process = 0;
          GetWindowThreadProcessId(window, &process);
          if (process != GetCurrentProcessId() && IsWindowVisible(window)) {
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, nullptr);
          }
          return TRUE;
        },
        0);
  }
}

INPUT KeyInput(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  if (vk == VK_SNAPSHOT) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  return input;
}

int Keys(const Args& args) {
  // keys down:ctrl press:snapshot up:ctrl release:shift ... ; each token is one action, sent
  // in order.
  SettleOtherWindows();
  std::vector<INPUT> inputs;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::wstring& token = args[i];
    const size_t colon = token.find(L':');
    if (colon == std::wstring::npos) continue;
    const std::wstring action = token.substr(0, colon);
    const WORD vk = VirtualKey(token.substr(colon + 1));
    if (action == L"down" || action == L"press") inputs.push_back(KeyInput(vk, false));
    if (action == L"up" || action == L"press") inputs.push_back(KeyInput(vk, true));
    // release: up only when the key is down now.
    if (action == L"release" && GetAsyncKeyState(vk) < 0) inputs.push_back(KeyInput(vk, true));
  }
  for (INPUT& input : inputs) {
    SendInput(1, &input, sizeof(INPUT));
    Sleep(10);  // lets the hook thread see each event on its own
  }
  return 0;
}

void SendPointerMove(long x, long y) {
  const int screenW = GetSystemMetrics(SM_CXVIRTUALSCREEN),
            screenH = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int originX = GetSystemMetrics(SM_XVIRTUALSCREEN),
            originY = GetSystemMetrics(SM_YVIRTUALSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = ((x - originX) * 65536 + screenW - 1) / screenW;
  input.mi.dy = ((y - originY) * 65536 + screenH - 1) / screenH;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  SendInput(1, &input, sizeof(INPUT));
}

// Moves the pointer as the mouse would. Under Wine an injected move can be undone by a motion
// event of the X pointer, which stays where it was (for example when a window appears under
// it), whenever the window's thread comes to handle it: so the other windows handle what has
// reached them first, and if the pointer has gone back, the X pointer is warped there too and
// the move is sent again.
void MovePointer(long x, long y) {
  const auto arrived = [x, y] {
    POINT at{};
    return GetCursorPos(&at) && at.x == x && at.y == y;
  };
  for (int attempt = 0; attempt < 5; ++attempt) {
    SendPointerMove(x, y);
    if (WaitFor(50, arrived)) {
      SettleOtherWindows();
      if (arrived()) return;
    }
    SetCursorPos(x, y);
  }
  Fail(L"the pointer did not move%ls");
}

int Mouse(const Args& args) {
  // mouse move X Y | mouse down|up left|right | mouse click X Y [left|right]
  // | mouse drag X1 Y1 X2 Y2 [STEPS]
  const std::wstring action = args.at(1);
  const auto move = MovePointer;
  auto button = [&](const std::wstring& which, bool up) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    const bool right = which == L"right";
    input.mi.dwFlags = right ? (up ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_RIGHTDOWN)
                             : (up ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN);
    SendInput(1, &input, sizeof(INPUT));
  };
  if (action == L"move") {
    move(Number(args.at(2)), Number(args.at(3)));
  } else if (action == L"down" || action == L"up") {
    button(args.size() > 2 ? args[2] : L"left", action == L"up");
  } else if (action == L"drag") {
    // drag X1 Y1 X2 Y2 [STEPS]: press at the first point, move there in steps, release. Each
    // input carries its own position, so the short pauses only keep the events apart in time,
    // as a hand would.
    const long x1 = Number(args.at(2)), y1 = Number(args.at(3));
    const long x2 = Number(args.at(4)), y2 = Number(args.at(5));
    const long steps = args.size() > 6 ? Number(args[6]) : 8;
    move(x1, y1);
    button(L"left", false);
    for (long i = 1; i <= steps; ++i) {
      Sleep(10);
      move(x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps);
    }
    Sleep(10);
    button(L"left", true);
  } else if (action == L"click") {
    move(Number(args.at(2)), Number(args.at(3)));
    Sleep(20);
    const std::wstring which = args.size() > 4 ? args[4] : L"left";
    button(which, false);
    Sleep(20);
    button(which, true);
  } else {
    Fail(L"unknown mouse action %ls", action);
  }
  return 0;
}

int CursorPos(const Args&) {
  POINT p{};
  GetCursorPos(&p);
  Print(L"x=" + std::to_wstring(p.x));
  Print(L"y=" + std::to_wstring(p.y));
  CURSORINFO info{};
  info.cbSize = sizeof(info);
  if (GetCursorInfo(&info)) Print(L"handle=" + Hex(reinterpret_cast<UINT_PTR>(info.hCursor)));
  return 0;
}

// Writes a CF_DIB as a .bmp file: a file header, then the packed DIB as it is; its header goes
// to `info`. False when it could not be read or written.
bool WriteDibAsBmp(HANDLE data, const std::wstring& path, BITMAPINFOHEADER& info) {
  const SIZE_T size = GlobalSize(data);
  const auto* bytes = static_cast<const BYTE*>(GlobalLock(data));
  if (!bytes) return false;
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
  DWORD colors = header->biBitCount <= 8
                     ? (header->biClrUsed ? header->biClrUsed : 1u << header->biBitCount)
                     : 0;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfSize = static_cast<DWORD>(sizeof(file) + size);
  file.bfOffBits = static_cast<DWORD>(sizeof(file) + header->biSize + colors * 4);
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out) {
    fwrite(&file, sizeof(file), 1, out);
    fwrite(bytes, 1, size, out);
    fclose(out);
  }
  info = *header;
  GlobalUnlock(data);
  return out != nullptr;
}

// A clipboard format by name: "dib", "dibv5", or a registered format's name ("PNG").
UINT ClipboardFormat(const std::wstring& name) {
  if (name == L"dib") return CF_DIB;
  if (name == L"dibv5") return CF_DIBV5;
  return RegisterClipboardFormatW(name.c_str());
}

// A format's name as the tests see it: "dib", "dibv5", "hdrop", a registered format's name,
// else its number.
std::wstring ClipboardFormatName(UINT format) {
  if (format == CF_DIB) return L"dib";
  if (format == CF_DIBV5) return L"dibv5";
  if (format == CF_HDROP) return L"hdrop";
  wchar_t name[256] = {};
  if (format >= 0xC000 && GetClipboardFormatNameW(format, name, 256) > 0) return name;
  return std::to_wstring(format);
}

// The header fields of a packed bitmap.
void PrintDibFields(HANDLE data) {
  const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(data));
  if (!header) return;
  Print(L"size=" + std::to_wstring(GlobalSize(data)));
  Print(L"header_size=" + std::to_wstring(header->biSize));
  Print(L"width=" + std::to_wstring(header->biWidth));
  Print(L"height=" + std::to_wstring(header->biHeight));
  Print(L"planes=" + std::to_wstring(header->biPlanes));
  Print(L"bits=" + std::to_wstring(header->biBitCount));
  Print(L"compression=" + std::to_wstring(header->biCompression));
  Print(L"image_size=" + std::to_wstring(header->biSizeImage));
  GlobalUnlock(data);
}

int ClipboardDib(const Args& args) {
  // clipboard-dib PATH [--format dib|dibv5]: writes the clipboard's CF_DIB (or CF_DIBV5) as a
  // .bmp file and prints its header's fields.
  const UINT format = ClipboardFormat(Option(args, L"format", L"dib"));
  if (!OpenClipboard(nullptr)) Fail(L"cannot open the clipboard");
  const HANDLE data = GetClipboardData(format);
  if (!data) {
    CloseClipboard();
    Fail(L"no %ls on the clipboard", ClipboardFormatName(format));
  }
  BITMAPINFOHEADER info{};
  const bool written = WriteDibAsBmp(data, args.at(1), info);
  if (written) PrintDibFields(data);
  CloseClipboard();
  return written ? 0 : 1;
}

int ClipboardPng(const Args& args) {
  // clipboard-png PATH: writes the clipboard's "PNG" to the file and prints its size.
  if (!OpenClipboard(nullptr)) Fail(L"cannot open the clipboard");
  const HANDLE data = GetClipboardData(RegisterClipboardFormatW(L"PNG"));
  const void* bytes = data ? GlobalLock(data) : nullptr;
  FILE* out = bytes ? _wfopen(args.at(1).c_str(), L"wb") : nullptr;
  const size_t size = data ? GlobalSize(data) : 0;
  const bool written = out && fwrite(bytes, 1, size, out) == size;
  if (out) fclose(out);
  if (bytes) GlobalUnlock(data);
  CloseClipboard();
  if (!written) Fail(L"no PNG on the clipboard%ls");
  Print(L"size=" + std::to_wstring(size));
  return 0;
}

int ClipboardText(const Args&) {
  if (!OpenClipboard(nullptr)) Fail(L"cannot open the clipboard");
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) {
    CloseClipboard();
    Print(L"none=1");
    return 0;
  }
  std::wstring text(static_cast<const wchar_t*>(GlobalLock(data)));
  GlobalUnlock(data);
  CloseClipboard();
  Print(L"text=" + text);
  Print(L"escaped=" + Escaped(text));
  return 0;
}

int SetClipboardText(const Args& args) {
  const std::wstring text = args.at(1);
  if (!OpenClipboard(nullptr)) Fail(L"cannot open the clipboard");
  EmptyClipboard();
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
  CloseClipboard();
  return 0;
}

int Foreground(const Args&) {
  DescribeWindow(GetForegroundWindow());
  return 0;
}

int SetForeground(const Args& args) {
  SetForegroundWindow(ParseWindow(args));
  return 0;
}

int Raise(const Args& args) {
  // Puts a window in front of the others that are not topmost, without activating it.
  if (!SetWindowPos(ParseWindow(args), HWND_TOP, 0, 0, 0, 0,
                    SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE)) {
    Fail(L"cannot raise the window%ls");
  }
  return 0;
}

int Metrics(const Args&) {
  const HDC screen = GetDC(nullptr);
  RECT box{};
  GetClipBox(screen, &box);
  Print(L"logpixelsy=" + std::to_wstring(GetDeviceCaps(screen, LOGPIXELSY)));
  ReleaseDC(nullptr, screen);
  Print(L"clipbox=" + std::to_wstring(box.left) + L"," + std::to_wstring(box.top) + L"," +
        std::to_wstring(box.right) + L"," + std::to_wstring(box.bottom));
  Print(L"virtual=" + std::to_wstring(GetSystemMetrics(SM_XVIRTUALSCREEN)) + L"," +
        std::to_wstring(GetSystemMetrics(SM_YVIRTUALSCREEN)) + L"," +
        std::to_wstring(GetSystemMetrics(SM_CXVIRTUALSCREEN)) + L"," +
        std::to_wstring(GetSystemMetrics(SM_CYVIRTUALSCREEN)));
  Print(L"syscolor_window=" + Hex(GetSysColor(COLOR_WINDOW)));
  Print(L"syscolor_btnface=" + Hex(GetSysColor(COLOR_BTNFACE)));
  return 0;
}

int Monitors(const Args&) {
  // One line per monitor, as the system lists them: its rectangle, its work area, whether it is
  // the primary one, and its resolution as this (per-monitor aware) process sees it (0 when the
  // system cannot say).
  using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  const HMODULE shcore = LoadLibraryW(L"shcore.dll");
  static DpiForMonitor dpiForMonitor =
      shcore ? reinterpret_cast<DpiForMonitor>(
                   reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
             : nullptr;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, RECT*, LPARAM) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        GetMonitorInfoW(monitor, &info);
        UINT dpiX = 0, dpiY = 0;
        if (dpiForMonitor) dpiForMonitor(monitor, 0, &dpiX, &dpiY);
        const auto edges = [](const RECT& r) {
          return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
                 std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom);
        };
        Print(L"monitor=" + edges(info.rcMonitor) + L" work=" + edges(info.rcWork) + L" primary=" +
              std::to_wstring(info.dwFlags & MONITORINFOF_PRIMARY ? 1 : 0) + L" dpi=" +
              std::to_wstring(dpiY));
        return TRUE;
      },
      0);
  if (shcore) FreeLibrary(shcore);
  return 0;
}

int Awareness(const Args& args) {
  // awareness --hwnd H | --title T: the DPI awareness of that window (0 unaware, 1 system, 2 per
  // monitor), which follows the awareness its process declared; -1 when the system cannot say.
  const HWND window = ParseWindow(args);
  using WindowContext = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
  using ContextAwareness = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto windowContext = reinterpret_cast<WindowContext>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
  const auto contextAwareness = reinterpret_cast<ContextAwareness>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
  const int awareness =
      windowContext && contextAwareness ? contextAwareness(windowContext(window)) : -1;
  Print(L"awareness=" + std::to_wstring(awareness));
  return 0;
}

int DpiChanged(const Args& args) {
  // dpi-changed --hwnd H --dpi D --rect L,T,R,B: tells a window of another process what the
  // system tells it when it has moved to a monitor of another scale, with the suggested
  // rectangle in that process's memory as the message requires. Waits until it is handled.
  const HWND window = ParseWindow(args);
  RECT suggested{};
  if (swscanf(Option(args, L"rect").c_str(), L"%ld,%ld,%ld,%ld", &suggested.left, &suggested.top,
              &suggested.right, &suggested.bottom) != 4) {
    Fail(L"bad --rect %ls", Option(args, L"rect"));
  }
  const auto dpi = static_cast<WORD>(NumberOption(args, L"dpi", 96));
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) Fail(L"cannot open process %ls", std::to_wstring(pid));
  void* remote =
      VirtualAllocEx(process, nullptr, sizeof(suggested), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote || !WriteProcessMemory(process, remote, &suggested, sizeof(suggested), nullptr)) {
    Fail(L"cannot write into process %ls", std::to_wstring(pid));
  }
  DWORD_PTR result = 0;
  const bool sent =
      SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                          reinterpret_cast<LPARAM>(remote), SMTO_BLOCK, 10000, &result) != 0;
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  if (!sent) Fail(L"the window did not answer%ls");
  return 0;
}

// Says that a window of a background command is on screen, then serves its messages until it
// is closed or the process ends.
int ServeShownWindow() {
  Print(L"shown=1");
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

int ShowImage(const Args& args) {
  // Shows a BMP file in a borderless window (--framed: a normal captioned window) at --x/--y
  // (default 0,0) at its own size (--maximized: then maximised on its monitor), titled --title
  // (default "Orvanta test picture"), until the window is closed or the process ends. Prints
  // "shown=1" once the window is on screen. Run it in the background.
  const std::wstring file = Option(args, L"file");
  const HBITMAP picture = static_cast<HBITMAP>(
      LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (!picture) Fail(L"cannot load %ls", file);
  BITMAP info{};
  GetObjectW(picture, sizeof(info), &info);
  static HBITMAP shown = picture;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_PAINT) {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(window, &paint);
      const HDC source = CreateCompatibleDC(dc);
      const HGDIOBJ old = SelectObject(source, shown);
      BITMAP b{};
      GetObjectW(shown, sizeof(b), &b);
      BitBlt(dc, 0, 0, b.bmWidth, b.bmHeight, source, 0, 0, SRCCOPY);
      SelectObject(source, old);
      DeleteDC(source);
      EndPaint(window, &paint);
      return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
  };
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"OrvantaTestPicture";
  RegisterClassW(&windowClass);
  const std::wstring title = Option(args, L"title", L"Orvanta test picture");
  // --framed: an ordinary captioned, resizable window whose client area is the picture.
  const DWORD style = HasFlag(args, L"framed") ? WS_OVERLAPPEDWINDOW : WS_POPUP;
  RECT frame{0, 0, info.bmWidth, info.bmHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  const HWND window = CreateWindowExW(
      0, windowClass.lpszClassName, title.c_str(), style | WS_VISIBLE, NumberOption(args, L"x", 0),
      NumberOption(args, L"y", 0), frame.right - frame.left, frame.bottom - frame.top, nullptr,
      nullptr, windowClass.hInstance, nullptr);
  if (!window) Fail(L"cannot create the picture window%ls");
  if (HasFlag(args, L"maximized")) ShowWindow(window, SW_MAXIMIZE);
  UpdateWindow(window);
  GdiFlush();
  return ServeShownWindow();
}

// A drop target of another program: takes a drag that offers a bitmap or files, and writes out
// every form of it that it knows.
class DropTarget final : public IDropTarget {
 public:
  explicit DropTarget(std::wstring out) : out_(out) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the process
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // enter-N is written when a drag comes in, so that a test knows the drag is under way.
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    accepted_ = Offers(data, CF_DIB) || Offers(data, CF_HDROP);
    WriteBytes(out_ + L"\\enter-" + std::to_wstring(++enters_), "", 0);
    return DragOver(0, {}, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = accepted_ ? (*effect & DROPEFFECT_COPY) : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    // drop-N-forms.txt lists the offered formats (ASCII, comma-separated: dib, dibv5, hdrop, or a
    // registered format's name); drop-N.bmp and drop-N-v5.bmp hold the bitmaps as they came,
    // drop-N.png the PNG, drop-N.txt the names of the files (UTF-16, one a line); drop-N.done is
    // written last.
    const std::wstring base = out_ + L"\\drop-" + std::to_wstring(++drops_);
    std::string forms;
    IEnumFORMATETC* formats = nullptr;
    if (data->EnumFormatEtc(DATADIR_GET, &formats) == S_OK) {
      FORMATETC format{};
      while (formats->Next(1, &format, nullptr) == S_OK) {
        const std::wstring name = ClipboardFormatName(format.cfFormat);
        forms += (forms.empty() ? "" : ",") + std::string(name.begin(), name.end());
      }
      formats->Release();
    }
    WriteBytes(base + L"-forms.txt", forms.data(), forms.size());
    BITMAPINFOHEADER info{};
    Take(data, CF_DIB, [&](HGLOBAL dib) { WriteDibAsBmp(dib, base + L".bmp", info); });
    Take(data, CF_DIBV5, [&](HGLOBAL dib) { WriteDibAsBmp(dib, base + L"-v5.bmp", info); });
    Take(data, static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"PNG")), [&](HGLOBAL png) {
      WriteBytes(base + L".png", GlobalLock(png), GlobalSize(png));
      GlobalUnlock(png);
    });
    Take(data, CF_HDROP, [&](HGLOBAL memory) {
      const auto drop = static_cast<HDROP>(memory);
      std::wstring names;
      for (UINT i = 0, n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0); i < n; ++i) {
        wchar_t name[MAX_PATH] = {};
        DragQueryFileW(drop, i, name, MAX_PATH);
        names += name + std::wstring(L"\n");
      }
      WriteBytes(base + L".txt", names.data(), names.size() * sizeof(wchar_t));
    });
    WriteBytes(base + L".done", "", 0);
    *effect = accepted_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

 private:
  static bool Offers(IDataObject* data, CLIPFORMAT format) {
    FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return data->QueryGetData(&wanted) == S_OK;
  }
  static void Take(IDataObject* data, CLIPFORMAT format, const std::function<void(HGLOBAL)>& use) {
    FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data->GetData(&wanted, &medium) != S_OK) return;
    use(medium.hGlobal);
    ReleaseStgMedium(&medium);
  }
  static void WriteBytes(const std::wstring& path, const void* bytes, size_t size) {
    if (FILE* out = _wfopen(path.c_str(), L"wb")) {
      fwrite(bytes, 1, size, out);
      fclose(out);
    }
  }

  bool accepted_ = false;
  std::wstring out_;
  int drops_ = 0;
  int enters_ = 0;
};

int DropTargetWindow(const Args& args) {
  // drop-target --x X --y Y --width W --height H --out DIR: a window titled "Orvanta drop target"
  // that takes drops and writes their forms to DIR (see DropTarget::Drop). Prints "shown=1" once
  // it is on screen; runs until killed.
  if (FAILED(OleInitialize(nullptr))) Fail(L"OLE cannot be initialised%ls");
  static DropTarget target(Option(args, L"out"));
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = L"OrvantaDropTarget";
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowExW(
      WS_EX_TOPMOST, windowClass.lpszClassName, L"Orvanta drop target", WS_POPUP | WS_VISIBLE,
      NumberOption(args, L"x", 0), NumberOption(args, L"y", 0), NumberOption(args, L"width", 200),
      NumberOption(args, L"height", 200), nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) Fail(L"cannot create the drop target%ls");
  if (FAILED(RegisterDragDrop(window, &target))) Fail(L"cannot register the drop target%ls");
  UpdateWindow(window);
  return ServeShownWindow();
}

// The explorer-style save requester: id 1136 is the pattern list, 1137 the folder list, 1148 the
// name box (a ComboBoxEx32), 1 and 2 the Save and Cancel buttons.
constexpr int kRequesterPatterns = 1136;
constexpr int kRequesterFolders = 1137;
constexpr int kRequesterName = 1148;

HWND WaitRequester(const Args& args) {
  Args query = args;
  query.push_back(L"--class");
  query.push_back(L"#32770");
  return WaitWindow(query);
}

int SaveDialog(const Args& args) {
  // Answers a save requester: picks pattern entry --filter N (0-based), types --name PATH and
  // presses Save, or presses Cancel with --cancel.
  const HWND dialog = WaitRequester(args);
  const long filter = NumberOption(args, L"filter", -1);
  if (filter >= 0) {
    const HWND patterns = GetDlgItem(dialog, kRequesterPatterns);
    if (!patterns) Fail(L"the requester has no pattern list%ls");
    SendMessageW(patterns, CB_SETCURSEL, static_cast<WPARAM>(filter), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kRequesterPatterns, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(patterns));
  }
  if (HasFlag(args, L"cancel")) {
    PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    return 0;
  }
  const std::wstring name = Option(args, L"name");
  const HWND nameBox = GetDlgItem(dialog, kRequesterName);
  if (!nameBox) Fail(L"the requester has no name box%ls");
  SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  // Posted: a message box that the save opens must not block the driver.
  PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  return 0;
}

int SaveDialogState(const Args& args) {
  // What a save requester shows: the selected pattern entry, the folder and the name box.
  const HWND dialog = WaitRequester(args);
  const HWND patterns = GetDlgItem(dialog, kRequesterPatterns);
  Print(L"hwnd=" + Hex(reinterpret_cast<UINT_PTR>(dialog)));
  Print(L"owner=" + Hex(reinterpret_cast<UINT_PTR>(GetWindow(dialog, GW_OWNER))));
  Print(L"filter=" + std::to_wstring(SendMessageW(patterns, CB_GETCURSEL, 0, 0)));
  Print(L"filter_text=" + WindowText(patterns));
  Print(L"filter_count=" + std::to_wstring(SendMessageW(patterns, CB_GETCOUNT, 0, 0)));
  Print(L"folder=" + WindowText(GetDlgItem(dialog, kRequesterFolders)));
  Print(L"name=" + WindowText(GetDlgItem(dialog, kRequesterName)));
  return 0;
}

// Screen conditions for the timing commands: each "--expect X,Y,=0xRRGGBB" asks that the screen
// show that colour at (X, Y); "X,Y,!0xRRGGBB" that it show any other.
struct PixelExpectation {
  POINT at;
  COLORREF colour;
  bool equal;
};

std::vector<PixelExpectation> Expectations(const Args& args) {
  std::vector<PixelExpectation> expectations;
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] != L"--expect") continue;
    long x = 0, y = 0;
    wchar_t relation = L'=';
    unsigned long rgb = 0;
    if (swscanf(args[i + 1].c_str(), L"%ld,%ld,%lc%lx", &x, &y, &relation, &rgb) != 4) {
      Fail(L"bad expectation %ls", args[i + 1]);
    }
    expectations.push_back(
        {{x, y}, RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF), relation == L'='});
  }
  return expectations;
}

bool ScreenShows(HDC screen, const std::vector<PixelExpectation>& expectations) {
  for (const PixelExpectation& e : expectations) {
    if ((GetPixel(screen, e.at.x, e.at.y) == e.colour) != e.equal) return false;
  }
  return true;
}

// Runs start() and measures the time until done() holds, polling every millisecond; prints
// elapsed_ms, or fails with 2 after --timeout ms.
int TimeUntil(const Args& args, const std::function<void()>& start,
              const std::function<bool()>& done) {
  timeBeginPeriod(1);
  LARGE_INTEGER frequency, begin, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  start();
  const bool seen = WaitFor(NumberOption(args, L"timeout", 30000), done);
  QueryPerformanceCounter(&now);
  timeEndPeriod(1);
  if (!seen) Fail(L"the expected screen did not appear%ls", L"", 2);
  Print(L"elapsed_ms=" +
        std::to_wstring((now.QuadPart - begin.QuadPart) * 1000.0 / frequency.QuadPart));
  return 0;
}

int TimeCommand(const Args& args) {
  // Posts WM_COMMAND --id to the window --title/--class and measures the time until a visible
  // top-level window titled --until appears (and the screen meets every --expect).
  const HWND window = WaitWindow(args);
  const WindowQuery until{Option(args, L"until"), L"", true};
  const auto expectations = Expectations(args);
  const HDC screen = GetDC(nullptr);
  const int result = TimeUntil(
      args,
      [&] {
        PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(NumberOption(args, L"id", 0)), 0);
      },
      [&] { return !FindTopLevel(until).empty() && ScreenShows(screen, expectations); });
  ReleaseDC(nullptr, screen);
  return result;
}

int Pixel(const Args& args) {
  // pixel X Y: the colour the screen shows at (X, Y).
  const HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, Number(args.at(1)), Number(args.at(2)));
  ReleaseDC(nullptr, screen);
  if (colour == CLR_INVALID) Fail(L"no pixel there%ls");
  Print(L"rgb=" + std::to_wstring(GetRValue(colour)) + L"," + std::to_wstring(GetGValue(colour)) +
        L"," + std::to_wstring(GetBValue(colour)));
  return 0;
}

// Shows a captioned 320 x 200 window of class className at --x/--y (default 200,200), titled
// --title (default defaultTitle), whose procedure windowClass brings: the windows that key-log
// and key-during type into.
HWND ShowKeyWindow(const Args& args, WNDCLASSW& windowClass, const wchar_t* className,
                   const wchar_t* defaultTitle) {
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);
  const std::wstring title = Option(args, L"title", defaultTitle);
  const HWND window = CreateWindowExW(0, className, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      NumberOption(args, L"x", 200), NumberOption(args, L"y", 200),
                                      320, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) Fail(L"cannot create the window '%ls'", title);
  return window;
}

LRESULT CALLBACK LogHookedKey(int code, WPARAM message, LPARAM key) {
  if (code == HC_ACTION && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) {
    Print(L"hook=down:" + Hex(reinterpret_cast<const KBDLLHOOKSTRUCT*>(key)->vkCode));
  }
  return CallNextHookEx(nullptr, code, message, key);
}

int KeyLog(const Args& args) {
  // Shows a captioned window titled --title, brings it to the front and prints every key
  // message it receives ("key=down:0x2c", "key=up:0x10", "key=sysup:..."), until the process
  // ends. Prints "ready=1" once it has the focus. Run it in the background. With --hook it also
  // prints each key press its own low-level hook is called for ("hook=down:0x2c"), which passes
  // every key on: the newest hook is called first, so it sees what older ones swallow.
  if (HasFlag(args, L"hook") &&
      !SetWindowsHookExW(WH_KEYBOARD_LL, LogHookedKey, GetModuleHandleW(nullptr), 0)) {
    Fail(L"cannot install the hook%ls");
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    const wchar_t* kind = message == WM_KEYDOWN      ? L"down"
                          : message == WM_KEYUP      ? L"up"
                          : message == WM_SYSKEYDOWN ? L"sysdown"
                          : message == WM_SYSKEYUP   ? L"sysup"
                                                     : nullptr;
    if (kind) Print(L"key=" + std::wstring(kind) + L":" + Hex(wParam));
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
  };
  const HWND window = ShowKeyWindow(args, windowClass, L"OrvantaKeyLog", L"Orvanta key log");
  SetForegroundWindow(window);
  SetFocus(window);
  MSG message;
  bool ready = false;
  for (;;) {
    if (!ready && GetForegroundWindow() == window && GetFocus() == window) {
      Print(L"ready=1");
      ready = true;
    }
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, ready ? INFINITE : 10, QS_ALLINPUT) ==
        WAIT_TIMEOUT) {
      continue;
    }
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

int HoldFile(const Args& args) {
  // Opens a file with no sharing, so that nobody else can read it, and keeps it open until the
  // process is ended. Prints "held=1". Run it in the background.
  const HANDLE file = CreateFileW(args.at(1).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail(L"cannot open %ls", args.at(1));
  Print(L"held=1");
  Sleep(INFINITE);
  return 0;
}

// The window of key-during: notes when its key arrives and whether the watched window was on
// screen at that moment.
struct KeyTarget {
  WPARAM key = 0;
  std::wstring watch;
  LARGE_INTEGER arrival{};
  bool watchVisible = false;
  bool deactivated = false;  // another window took the front from it
};
KeyTarget keyTarget;

int KeyDuring(const Args& args) {
  // key-during --post-title T --post-class C --id N
  //   (--after MS | --pick W --move X Y) [--watch TITLE] [--title OWN] [--x X --y Y]
  //   [--timeout MS]
  // Shows a window of its own (at --x/--y, default 200,200), posts WM_COMMAND N to the window
  // T/C (as the keyboard hook does) and types one key into its window while the program works
  // on the command, as a user typing into another program. Either its window is in front and
  // it types --after ms after the post; or, with --pick, it waits for the program's window
  // titled W to take the front, moves the pointer to (X, Y), over its own window, and types once
  // W is hidden and the program has brought the window under the pointer (its own) to the front,
  // and ends once W is back. Prints send_ms
  // (how long SendInput took), arrival_ms (from the sending to the key's arrival in the window)
  // and watch_visible (1 when a visible window titled --watch was there as the key arrived);
  // fails with 2 when the key does not arrive within --timeout ms (5000).
  keyTarget = {'Q', Option(args, L"watch")};
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_KEYDOWN && wParam == keyTarget.key && keyTarget.arrival.QuadPart == 0) {
      QueryPerformanceCounter(&keyTarget.arrival);
      keyTarget.watchVisible =
          !keyTarget.watch.empty() && !FindTopLevel({keyTarget.watch, L"", true}).empty();
    }
    if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) keyTarget.deactivated = true;
    return DefWindowProcW(window, message, wParam, lParam);
  };
  const HWND window = ShowKeyWindow(args, windowClass, L"OrvantaKeyTarget", L"Orvanta key target");
  // The window keeps reading its messages while the driver waits.
  const auto pumpUntil = [](long timeoutMs, const std::function<bool()>& done) {
    return WaitFor(timeoutMs, [&] {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      return done();
    });
  };
  const auto inFront = [&] { return GetForegroundWindow() == window && GetFocus() == window; };
  SetForegroundWindow(window);
  SetFocus(window);
  if (!pumpUntil(10000, inFront)) Fail(L"the key window did not come to the front%ls");

  const HWND target = WaitWindow(
      {L"--title", Option(args, L"post-title"), L"--class", Option(args, L"post-class")});
  keyTarget.deactivated = false;
  PostMessageW(target, WM_COMMAND, static_cast<WPARAM>(NumberOption(args, L"id", 0)), 0);
  const std::wstring picker = Option(args, L"pick");
  if (picker.empty()) {
    // Time for the program to take the command and begin its work.
    pumpUntil(NumberOption(args, L"after", 100), [] { return false; });
  } else {
    // The picker takes the front when it appears; only then is a pick what brings the window
    // back.
    if (!pumpUntil(15000, [&] {
          return keyTarget.deactivated && !FindTopLevel({picker, L"", false}).empty();
        })) {
      Fail(L"no window '%ls' took the front", picker, 2);
    }
    const auto move = std::find(args.begin(), args.end(), L"--move");
    if (args.end() - move < 3) Fail(L"--move needs X and Y%ls");
    MovePointer(Number(move[1]), Number(move[2]));
    if (!pumpUntil(10000, [&] { return FindTopLevel({picker, L"", true}).empty() && inFront(); })) {
      Fail(L"window '%ls' did not give way to the key window", picker, 2);
    }
  }

  LARGE_INTEGER frequency, sent, returned;
  QueryPerformanceFrequency(&frequency);
  const auto milliseconds = [&](const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    return std::to_wstring((to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart);
  };
  INPUT keys[] = {KeyInput(static_cast<WORD>(keyTarget.key), false),
                  KeyInput(static_cast<WORD>(keyTarget.key), true)};
  QueryPerformanceCounter(&sent);
  SendInput(2, keys, sizeof(INPUT));
  QueryPerformanceCounter(&returned);
  Print(L"send_ms=" + milliseconds(sent, returned));
  if (!pumpUntil(NumberOption(args, L"timeout", 5000),
                 [] { return keyTarget.arrival.QuadPart != 0; })) {
    Fail(L"the key did not arrive in the key window (SendInput took %ls ms)",
         milliseconds(sent, returned), 2);
  }
  Print(L"arrival_ms=" + milliseconds(sent, keyTarget.arrival));
  Print(L"watch_visible=" + std::to_wstring(keyTarget.watchVisible ? 1 : 0));
  // The picked window stays until the pick is over: the program measures it after its pause.
  if (!picker.empty() && !pumpUntil(10000, [&] {
        return !FindTopLevel({picker, L"", true}).empty();
      })) {
    Fail(L"window '%ls' did not come back", picker, 2);
  }
  DestroyWindow(window);
  return 0;
}

int ClickHoldingClipboard(const Args& args) {
  // click-holding-clipboard --title T --id N [--hold MS]: opens the clipboard, as clipboard
  // managers and remote desktops do for a moment, clicks control N of window T, and keeps the
  // clipboard open until window T is gone and --hold ms (default 150) more have passed.
  const HWND window = ParseWindow(args);
  const HWND control = Control(window, args);
  // Opened for a window, as those programs do (Wine lets two openers without a window share it).
  const HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
  if (!owner || !OpenClipboard(owner)) {
    if (owner) DestroyWindow(owner);
    Fail(L"cannot open the clipboard%ls");
  }
  PostMessageW(control, BM_CLICK, 0, 0);
  const bool gone = WaitFor(10000, [&] { return !IsWindow(window); });
  Sleep(static_cast<DWORD>(NumberOption(args, L"hold", 150)));
  CloseClipboard();
  DestroyWindow(owner);  // a driver that serves many commands lives on
  if (!gone) Fail(L"the window stayed open%ls", L"", 2);
  return 0;
}

int RecordArgs(const Args& args) {
  // record-args FILE ARG... : appends the arguments as one line (joined by tabs, UTF-8) to FILE.
  // Stands in for a browser or document viewer, so that tests see what the shell was asked to
  // open; the line is written in one piece, so a reader never sees half of it.
  std::wstring line;
  for (size_t i = 2; i < args.size(); ++i) line += (i > 2 ? L"\t" : L"") + args[i];
  line += L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), size, nullptr, nullptr);
  const HANDLE file = CreateFileW(args.at(1).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail(L"cannot open %ls", args.at(1));
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
  return written == utf8.size() ? 0 : 1;
}

int FaultThread(const Args& args) {
  // fault-thread --pid PID [--address A]: starts a thread in that process at address A (default
  // 0), which faults at once: an unhandled access violation inside the program.
  const auto pid = static_cast<DWORD>(NumberOption(args, L"pid", 0));
  const HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                         PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ,
                                     FALSE, pid);
  if (!process) Fail(L"cannot open process %ls", std::to_wstring(pid));
  const auto address =
      static_cast<UINT_PTR>(std::wcstoull(Option(args, L"address", L"0").c_str(), nullptr, 0));
  DWORD threadId = 0;
  const HANDLE thread =
      CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(address),
                         nullptr, 0, &threadId);
  CloseHandle(process);
  if (!thread) Fail(L"cannot start a thread in process %ls", std::to_wstring(pid));
  CloseHandle(thread);
  Print(L"thread=" + std::to_wstring(threadId));
  return 0;
}

int WaitText(const Args& args) {
  // wait-text --title T --id N --text X [--timeout MS]: waits until control N shows text X.
  const HWND window = ParseWindow(args);
  const std::wstring text = Option(args, L"text");
  std::wstring shown;
  if (!WaitFor(NumberOption(args, L"timeout", 10000), [&] {
        shown = WindowText(Control(window, args));
        return shown == text;
      })) {
    Fail(L"the control shows '%ls'", shown, 2);
  }
  return 0;
}

int WaitFile(const Args& args) {
  // wait-file PATH [--timeout MS]: waits until the file exists, then prints its size.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!WaitFor(NumberOption(args, L"timeout", 10000), [&] {
        return GetFileAttributesExW(args.at(1).c_str(), GetFileExInfoStandard, &data) != FALSE;
      })) {
    Fail(L"no file %ls", args.at(1), 2);
  }
  Print(L"size=" +
        std::to_wstring((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow));
  return 0;
}

int WaitClipboardDib(const Args& args) {
  // wait-clipboard-dib --width W --height H [--timeout MS]: waits until the clipboard holds a
  // CF_DIB of that size (one that another program may have emptied in between is looked for
  // again).
  const long width = NumberOption(args, L"width", 0), height = NumberOption(args, L"height", 0);
  if (!WaitFor(NumberOption(args, L"timeout", 10000), [&] {
        if (!IsClipboardFormatAvailable(CF_DIB) || !OpenClipboard(nullptr)) return false;
        bool matches = false;
        if (const HANDLE data = GetClipboardData(CF_DIB)) {
          if (const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(data))) {
            matches = header->biWidth == width && header->biHeight == height;
            GlobalUnlock(data);
          }
        }
        CloseClipboard();
        return matches;
      })) {
    Fail(L"no %ls bitmap on the clipboard", std::to_wstring(width) + L"x" + std::to_wstring(height),
         2);
  }
  return 0;
}

// --- keyboard focus and what assistive technology reads ------------------------------------

int Focus(const Args& args) {
  // focus --title T: the control that has the keyboard focus in the window's thread (the window
  // itself counts too), and whether that window shows focus rectangles.
  const HWND window = ParseWindow(args);
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
    Fail(L"no thread information for %ls", Hex(reinterpret_cast<UINT_PTR>(window)));
  }
  const HWND focus = info.hwndFocus;
  Print(L"hwnd=" + Hex(reinterpret_cast<UINT_PTR>(focus)));
  Print(L"id=" + std::to_wstring(focus && focus != window ? GetDlgCtrlID(focus) : 0));
  Print(L"class=" + (focus ? ClassName(focus) : L""));
  Print(L"active=" + Hex(reinterpret_cast<UINT_PTR>(info.hwndActive)));
  Print(L"foreground=" + std::to_wstring(GetForegroundWindow() == window ? 1 : 0));
  DWORD_PTR uiState = 0;
  if (focus) {
    SendMessageTimeoutW(focus, WM_QUERYUISTATE, 0, 0, SMTO_BLOCK, 2000, &uiState);
  }
  Print(L"hide_focus=" + std::to_wstring(uiState & UISF_HIDEFOCUS ? 1 : 0));
  return 0;
}

int Accessible(const Args& args) {
  // accessible --title T: what Active Accessibility reports of each child window, in creation
  // order: "ID class=C role=0xR state=0xS name=N" (name last; it may hold blanks).
  const HWND window = ParseWindow(args);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) Fail(L"no COM%ls");
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object))) ||
        !object) {
      Fail(L"no accessible object for control %ls", std::to_wstring(GetDlgCtrlID(child)));
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring nameText;
    if (SUCCEEDED(object->get_accName(self, &name)) && name) nameText = name;
    SysFreeString(name);
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    object->get_accRole(self, &role);
    object->get_accState(self, &state);
    Print(std::to_wstring(GetDlgCtrlID(child)) + L" class=" + ClassName(child) + L" role=" +
          Hex(role.vt == VT_I4 ? static_cast<DWORD>(role.lVal) : 0) + L" state=" +
          Hex(state.vt == VT_I4 ? static_cast<DWORD>(state.lVal) : 0) + L" name=" +
          Escaped(nameText));
    VariantClear(&role);
    VariantClear(&state);
    object->Release();
  }
  CoUninitialize();
  return 0;
}

int Tooltips(const Args& args) {
  // tooltips --title T: the tools of the tooltip windows the window owns, one a line: "ID
  // text=X", ID the control's id. The tooltip control takes its records by address, so they are
  // put into the other process's memory.
  const HWND window = ParseWindow(args);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) Fail(L"cannot open process %ls", std::to_wstring(pid));
  constexpr size_t kTextChars = 1024;
  auto* remote = static_cast<BYTE*>(VirtualAllocEx(process, nullptr,
                                                   sizeof(TOOLINFOW) + kTextChars * sizeof(wchar_t),
                                                   MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!remote) Fail(L"no memory in process %ls", std::to_wstring(pid));
  auto* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(TOOLINFOW));
  for (HWND tip : FindTopLevel({L"", TOOLTIPS_CLASSW, false})) {
    if (GetWindow(tip, GW_OWNER) != window) continue;
    const auto count = SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      TOOLINFOW tool{};
      tool.cbSize = sizeof(tool);
      WriteProcessMemory(process, remote, &tool, sizeof(tool), nullptr);
      if (!SendMessageW(tip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i),
                        reinterpret_cast<LPARAM>(remote))) {
        continue;
      }
      ReadProcessMemory(process, remote, &tool, sizeof(tool), nullptr);
      tool.lpszText = remoteText;
      const wchar_t none = 0;
      WriteProcessMemory(process, remoteText, &none, sizeof(none), nullptr);
      WriteProcessMemory(process, remote, &tool, sizeof(tool), nullptr);
      SendMessageW(tip, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(remote));
      std::wstring text(kTextChars, L'\0');
      ReadProcessMemory(process, remoteText, text.data(), kTextChars * sizeof(wchar_t), nullptr);
      text.resize(wcsnlen(text.c_str(), kTextChars));
      const HWND control = tool.uFlags & TTF_IDISHWND ? reinterpret_cast<HWND>(tool.uId) : nullptr;
      Print(std::to_wstring(control ? GetDlgCtrlID(control) : 0) + L" text=" + Escaped(text));
    }
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return 0;
}

// --- what a process holds ---------------------------------------------------------------------

// One entry of the GDI handle table as the graphics layer keeps it in the process's own memory
// (the process environment block points to it): 24 bytes, a zero type marks a free entry.
struct GdiHandleEntry {
  UINT64 object;
  ULONG owner;
  USHORT unique;
  UCHAR type;
  UCHAR flags;
  UINT64 userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24);
constexpr size_t kGdiHandleCount = 0x10000;
constexpr size_t kPebGdiTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;

// The live GDI objects of a process (stock objects included), counted in its handle table;
// -1 when the table cannot be read. Wine's GetGuiResources reports nothing for this. With
// byType, the count of each object type (the table's type code) as well.
long CountGdiObjects(HANDLE process, std::map<int, long>* byType = nullptr) {
  PROCESS_BASIC_INFORMATION basic{};
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) !=
          0 ||
      !basic.PebBaseAddress) {
    return -1;
  }
  UINT_PTR table = 0;
  SIZE_T read = 0;
  if (!ReadProcessMemory(process,
                         reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + kPebGdiTableOffset,
                         &table, sizeof(table), &read) ||
      !table) {
    return -1;
  }
  std::vector<GdiHandleEntry> entries(kGdiHandleCount);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                         entries.size() * sizeof(GdiHandleEntry), &read)) {
    return -1;
  }
  long live = 0;
  for (const GdiHandleEntry& entry : entries) {
    if (entry.type == 0) continue;
    ++live;
    if (byType) ++(*byType)[entry.type];
  }
  return live;
}

// One entry of the system's handle list (SYSTEM_HANDLE_TABLE_ENTRY_INFO).
struct SystemHandle {
  ULONG ownerPid;
  BYTE objectType;
  BYTE flags;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};

// Every kernel object handle of every process, as the system lists them; empty when it does not.
std::vector<SystemHandle> SystemHandles() {
  constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
  constexpr auto kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
  std::vector<BYTE> buffer(1 << 20);
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    const NTSTATUS status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                                     static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
      continue;
    }
    if (status != 0) break;
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* first = reinterpret_cast<const SystemHandle*>(buffer.data() + sizeof(void*));
    return {first, first + count};
  }
  return {};
}

// The object type number the system gives registry keys, found from a key this process opens.
int RegistryKeyType() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  int type = -1;
  for (const SystemHandle& entry : SystemHandles()) {
    if (entry.ownerPid == GetCurrentProcessId() &&
        entry.handle == static_cast<USHORT>(reinterpret_cast<UINT_PTR>(key))) {
      type = entry.objectType;
    }
  }
  RegCloseKey(key);
  return type;
}

// The kernel object handles a process holds; -1 when the system gives no list. With byType,
// the count of each object type as well.
long CountKernelHandles(DWORD pid, std::map<int, long>* byType = nullptr) {
  const std::vector<SystemHandle> handles = SystemHandles();
  if (handles.empty()) return -1;
  long owned = 0;
  for (const SystemHandle& entry : handles) {
    if (entry.ownerPid != pid) continue;
    ++owned;
    if (byType) ++(*byType)[entry.objectType];
  }
  return owned;
}

// The windows of a process: top-level, message-only and all their descendants.
long CountWindows(DWORD pid) {
  struct Context {
    DWORD pid;
    long count;
  } context{pid, 0};
  const WNDENUMPROC countChild = [](HWND, LPARAM param) -> BOOL {
    ++reinterpret_cast<Context*>(param)->count;
    return TRUE;
  };
  auto countTree = [&](HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != pid) return;
    ++context.count;
    EnumChildWindows(window, countChild, reinterpret_cast<LPARAM>(&context));
  };
  std::vector<HWND> roots;
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&roots));
  for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr));) {
    roots.push_back(window);
  }
  for (HWND window : roots) countTree(window);
  return context.count;
}

int ProcessStats(const Args& args) {
  // process-stats --pid PID: what the process holds, one key a line; -1 where the system does
  // not say. With --self-test the driver checks its own counting on itself first.
  const auto pid = static_cast<DWORD>(NumberOption(args, L"pid", GetCurrentProcessId()));
  if (HasFlag(args, L"self-test")) {
    const long before = CountGdiObjects(GetCurrentProcess());
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 10; ++i) brushes.push_back(CreateSolidBrush(RGB(i, 2 * i, 3 * i)));
    const long during = CountGdiObjects(GetCurrentProcess());
    for (HBRUSH brush : brushes) DeleteObject(brush);
    const long after = CountGdiObjects(GetCurrentProcess());
    const HANDLE events[3] = {CreateEventW(nullptr, FALSE, FALSE, nullptr),
                              CreateEventW(nullptr, FALSE, FALSE, nullptr),
                              CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    const long handlesDuring = CountKernelHandles(GetCurrentProcessId());
    for (HANDLE event : events) CloseHandle(event);
    const long handlesAfter = CountKernelHandles(GetCurrentProcessId());
    Print(L"self_gdi=" + std::to_wstring(before) + L"," + std::to_wstring(during) + L"," +
          std::to_wstring(after));
    Print(L"self_handles=" + std::to_wstring(handlesDuring) + L"," + std::to_wstring(handlesAfter));
  }
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) Fail(L"cannot open process %ls", std::to_wstring(pid));
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                            sizeof(memory))) {
    memory = {};
  }
  DWORD handleCount = 0;
  const bool haveHandleCount = GetProcessHandleCount(process, &handleCount) != FALSE;
  Print(L"pagefile=" + std::to_wstring(memory.PagefileUsage));
  Print(L"peak_pagefile=" + std::to_wstring(memory.PeakPagefileUsage));
  Print(L"working_set=" + std::to_wstring(memory.WorkingSetSize));
  Print(L"peak_working_set=" + std::to_wstring(memory.PeakWorkingSetSize));
  Print(L"private=" + std::to_wstring(memory.PrivateUsage));
  Print(L"gui_gdi=" + std::to_wstring(GetGuiResources(process, GR_GDIOBJECTS)));
  Print(L"gui_user=" + std::to_wstring(GetGuiResources(process, GR_USEROBJECTS)));
  Print(L"handle_count=" + (haveHandleCount ? std::to_wstring(handleCount) : L"-1"));
  const auto listed = [](const std::map<int, long>& byType) {
    std::wstring list;
    for (const auto& [type, count] : byType) {
      list += (list.empty() ? L"" : L",") + Hex(type) + L":" + std::to_wstring(count);
    }
    return list;
  };
  std::map<int, long> gdiTypes, handleTypes;
  Print(L"gdi_objects=" + std::to_wstring(CountGdiObjects(process, &gdiTypes)));
  Print(L"gdi_types=" + listed(gdiTypes));
  Print(L"kernel_handles=" + std::to_wstring(CountKernelHandles(pid, &handleTypes)));
  Print(L"kernel_handle_types=" + listed(handleTypes));
  const int keyType = RegistryKeyType();
  Print(L"registry_keys=" + std::to_wstring(keyType < 0 ? -1 : handleTypes[keyType]));
  Print(L"windows=" + std::to_wstring(CountWindows(pid)));
  CloseHandle(process);
  return 0;
}

int RunCommand(const Args& args);

std::wstring Widen(const char* bytes, int size) {
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  text.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, bytes, size, text.data(), static_cast<int>(text.size()))));
  return text;
}

// One line of commands, split as a command line is.
Args SplitCommandLine(const std::wstring& line) {
  int count = 0;
  // The program name CommandLineToArgvW expects first, then the command.
  LPWSTR* parts = CommandLineToArgvW((L"driver " + line).c_str(), &count);
  if (!parts) Fail(L"cannot split %ls", line);
  const Args args(parts + 1, parts + count);
  LocalFree(parts);
  return args;
}

int Batch(const Args& args) {
  // batch FILE: runs the commands in FILE (UTF-8, one command with its arguments a line, quoted
  // as on a command line) one after the other in this process, which saves starting the driver
  // for each. Only lines starting with @ show their output; the first failure ends the batch.
  // Prints "lines=N" and the time the batch took at the end.
  const HANDLE file = CreateFileW(args.at(1).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail(L"cannot open %ls", args.at(1));
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  const std::wstring text = Widen(bytes.data(), static_cast<int>(read));
  const ULONGLONG start = GetTickCount64();
  long lines = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find(L'\n', at);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (line.empty()) continue;
    const bool show = line[0] == L'@';
    if (show) line.erase(0, 1);
    const Args lineArgs = SplitCommandLine(line);
    batchLine = line;
    quiet = !show;
    if (lineArgs.empty() || lineArgs[0] == L"batch" || RunCommand(lineArgs) != 0) {
      quiet = false;
      Fail(L"failed: %ls", line);
    }
    ++lines;
  }
  batchLine.clear();
  quiet = false;
  Print(L"lines=" + std::to_wstring(lines));
  Print(L"elapsed_ms=" + std::to_wstring(GetTickCount64() - start));
  return 0;
}

int Serve(const Args&) {
  // serve: runs the commands that arrive on standard input (UTF-8, one command with its
  // arguments a line, quoted as on a command line) one after the other in this process, which
  // saves starting the driver for each, until the input ends. After each command's output comes
  // the line "--end=N", N its exit code; a failure's message comes before it, each of its lines
  // as "--error=...". Commands that run until they are ended (key-log, show-image, hold-file)
  // do not belong here.
  serving = true;
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  std::string pending;
  for (;;) {
    std::size_t newline;
    while ((newline = pending.find('\n')) == std::string::npos) {
      char buffer[4096];
      DWORD read = 0;
      if (!ReadFile(input, buffer, sizeof buffer, &read, nullptr) || read == 0) return 0;
      pending.append(buffer, read);
    }
    std::wstring line = Widen(pending.data(), static_cast<int>(newline));
    pending.erase(0, newline + 1);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    int code = 0;
    try {
      const Args lineArgs = SplitCommandLine(line);
      if (lineArgs.empty() || lineArgs[0] == L"serve" || lineArgs[0] == L"batch") {
        Fail(L"not a command to serve: %ls", line);
      }
      code = RunCommand(lineArgs);
    } catch (const CommandFailure& failure) {
      for (std::size_t at = 0; at <= failure.message.size();) {
        const std::size_t end = std::min(failure.message.find(L'\n', at), failure.message.size());
        Print(L"--error=" + failure.message.substr(at, end - at));
        at = end + 1;
      }
      code = failure.code;
    }
    Print(L"--end=" + std::to_wstring(code));
  }
}

int Shortcut(const Args& args) {
  // Reads the shortcut file --file the way the shell does (IShellLinkW) and prints what it
  // starts: target, arguments, working folder, icon and description.
  const std::wstring file = Option(args, L"file");
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) Fail(L"no COM%ls");
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))) ||
      FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) ||
      FAILED(persist->Load(file.c_str(), STGM_READ))) {
    Fail(L"cannot read the shortcut %ls", file);
  }
  wchar_t text[MAX_PATH] = {};
  int icon = 0;
  link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
  Print(L"target=" + std::wstring(text));
  text[0] = 0;
  link->GetArguments(text, MAX_PATH);
  Print(L"arguments=" + std::wstring(text));
  text[0] = 0;
  link->GetWorkingDirectory(text, MAX_PATH);
  Print(L"workdir=" + std::wstring(text));
  text[0] = 0;
  link->GetIconLocation(text, MAX_PATH, &icon);
  Print(L"icon=" + std::wstring(text) + L"," + std::to_wstring(icon));
  text[0] = 0;
  link->GetDescription(text, MAX_PATH);
  Print(L"description=" + std::wstring(text));
  persist->Release();
  link->Release();
  CoUninitialize();
  return 0;
}

struct Command {
  const wchar_t* name;
  int (*run)(const Args&);
};
const Command kCommands[] = {
    {L"launch", Launch},
    {L"windows", ListWindows},
    {L"count", CountWindows},
    {L"window-at", WindowAt},
    {L"wait", Describe},
    {L"wait-gone", WaitGone},
    {L"post-command", PostCommand},
    {L"post", PostMessage},
    {L"register-hotkey", RegisterHotKeyCommand},
    {L"tray-delete", DeleteTrayIcon},
    {L"controls", Controls},
    {L"click", Click},
    {L"message-box", MessageBoxCommand},
    {L"keys", Keys},
    {L"mouse", Mouse},
    {L"cursor", CursorPos},
    {L"clipboard-dib", ClipboardDib},
    {L"clipboard-png", ClipboardPng},
    {L"clipboard-text", ClipboardText},
    {L"set-clipboard-text", SetClipboardText},
    {L"foreground", Foreground},
    {L"set-foreground", SetForeground},
    {L"raise", Raise},
    {L"metrics", Metrics},
    {L"monitors", Monitors},
    {L"awareness", Awareness},
    {L"dpi-changed", DpiChanged},
    {L"show-image", ShowImage},
    {L"drop-target", DropTargetWindow},
    {L"time-command", TimeCommand},
    {L"pixel", Pixel},
    {L"key-log", KeyLog},
    {L"save-dialog", SaveDialog},
    {L"save-dialog-state", SaveDialogState},
    {L"hold-file", HoldFile},
    {L"key-during", KeyDuring},
    {L"click-holding-clipboard", ClickHoldingClipboard},
    {L"record-args", RecordArgs},
    {L"fault-thread", FaultThread},
    {L"process-stats", ProcessStats},
    {L"wait-text", WaitText},
    {L"wait-file", WaitFile},
    {L"wait-clipboard-dib", WaitClipboardDib},
    {L"focus", Focus},
    {L"accessible", Accessible},
    {L"tooltips", Tooltips},
    {L"batch", Batch},
    {L"serve", Serve},
    {L"shortcut", Shortcut},
};

int RunCommand(const Args& args) {
  for (const Command& command : kCommands) {
    if (args[0] == command.name) return command.run(args);
  }
  Fail(L"unknown command %ls", args[0]);
}

// The driver works in physical pixels, as the program does, also in a prefix whose processes
// start unaware of the display's resolution: per-monitor aware where the system offers it.
void DeclarePerMonitorAwareness() {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
  const auto setContext = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  if (setContext && setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) return;
  if (const HMODULE shcore = LoadLibraryW(L"shcore.dll")) {
    using SetAwareness = HRESULT(WINAPI*)(int);
    if (const auto setAwareness = reinterpret_cast<SetAwareness>(
            reinterpret_cast<void*>(GetProcAddress(shcore, "SetProcessDpiAwareness")))) {
      setAwareness(2);  // PROCESS_PER_MONITOR_DPI_AWARE; refused when already aware
    }
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  DeclarePerMonitorAwareness();
  Args args(argv + 1, argv + argc);
  if (args.empty()) Fail(L"usage: orvanta-driver COMMAND [options]%ls");
  return RunCommand(args);
}
