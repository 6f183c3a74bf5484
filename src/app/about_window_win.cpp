#include "app/about_window_win.h"

#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <utility>

#include "app/about_layout.h"
#include "base/fault_location.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "runtime/app_state_win.h"
#include "runtime/event_queue_win.h"
#include "runtime/scaled_resources_win.h"
#include "win/accessibility.h"
#include "win/dpi.h"
#include "win/shell.h"
#include "win/system.h"
#include "win/unique_handle.h"
#include "win/window_class.h"

namespace orv {
namespace {

constexpr wchar_t kWindowClass[] = L"OrvantaAbout";
// Title bar only: no system menu (so no close box), not resizable, no minimise or maximise.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION;
// Tab moves between the link and the button.
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
constexpr COLORREF kLinkHotColour = RGB(0, 0, 255);
constexpr COLORREF kLinkColour = RGB(0, 0, 0);
constexpr UINT_PTR kLinkSubclassId = 1;

struct AboutState {
  win::UniqueWindow window;
  win::UniqueFont linkFont;   // the control font, underlined
  bool linkHot = false;       // the pointer is over the link
  ScaledResources resources;  // fonts at the scale of the window's monitor
};
AboutState about;

void SetLinkHot(HWND link, bool hot) {
  if (about.linkHot == hot) return;
  about.linkHot = hot;
  InvalidateRect(link, nullptr, TRUE);
}

// Blue exactly while the pointer is over the link, judged by where the pointer is now rather
// than by the message at hand: a mouse message that arrives late must not leave the link blue
// once the pointer has gone. rearm: the leave notice was used up and is asked for again.
void FollowPointer(HWND link, bool rearm) {
  POINT pointer{};
  const bool over = GetCursorPos(&pointer) && WindowFromPoint(pointer) == link;
  if (over && (rearm || !about.linkHot)) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, link, 0};
    TrackMouseEvent(&track);  // WM_MOUSELEAVE when the pointer leaves the link
  }
  SetLinkHot(link, over);
}

// Where the link's text is drawn: at the top, centred, as the static control places it.
RECT LinkTextRect(HWND link, HDC dc) {
  RECT client{};
  GetClientRect(link, &client);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(link)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(link, text.data(), static_cast<int>(text.size()))));
  const win::SelectObjectGuard font(dc,
                                    reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)));
  RECT measured = client;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured,
            DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  // One pixel of room around the text, within the control.
  const LONG width = std::min<LONG>(measured.right - measured.left + 2, client.right);
  const LONG left = (client.right - width) / 2;
  return {left, 0, left + width, std::min<LONG>(measured.bottom + 1, client.bottom)};
}

// The static control draws the link; the focus rectangle goes around its text while it has the
// keyboard focus (and focus rectangles are shown), as a link control of the system draws it.
void PaintLink(HWND link) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(link, &paint);
  DefSubclassProc(link, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  if (GetFocus() == link && !(SendMessageW(link, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
    const RECT text = LinkTextRect(link, dc);
    DrawFocusRect(dc, &text);
  }
  EndPaint(link, &paint);
}

// The key message the dialog keys ask the link about is Enter being pressed.
bool IsEnterPress(LPARAM keyMessage) {
  const auto* key = reinterpret_cast<const MSG*>(keyMessage);
  return key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
}

// The link's own messages: the hand pointer, the colour that follows the pointer, the focus
// rectangle, and Enter, which follows the link as a click does.
LRESULT CALLBACK LinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
  switch (message) {
    case WM_GETDLGCODE:
      // Enter comes to the link itself rather than going to a default button.
      if (IsEnterPress(lParam)) {
        return DefSubclassProc(link, message, wParam, lParam) | DLGC_WANTMESSAGE;
      }
      break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        // The notification the static control sends for a click, so the press takes its road.
        SendMessageW(GetParent(link), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(link), STN_CLICKED),
                     reinterpret_cast<LPARAM>(link));
        return 0;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
      InvalidateRect(link, nullptr, TRUE);
      break;
    case WM_PAINT:
      PaintLink(link);
      return 0;
    case WM_SETCURSOR:
      SetCursor(App().HandCursor);
      return TRUE;
    case WM_MOUSEMOVE:
      FollowPointer(link, false);
      break;
    case WM_MOUSELEAVE:
      FollowPointer(link, true);
      break;
    case WM_NCDESTROY:
      win::ClearAccessibleRole(link);
      RemoveWindowSubclass(link, LinkProc, kLinkSubclassId);
      break;
  }
  return DefSubclassProc(link, message, wParam, lParam);
}

void LayOutAtScale(float scale);

// The about window closes only through its button or its link.
LRESULT CALLBACK AboutWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (const auto answer = win::AnswerScaleChange(window, message, wParam, lParam, kAboutClientSize,
                                                 LayOutAtScale)) {
    return *answer;
  }
  if (const auto answer =
          AnswerButtonWindowMessage(App().Events, WindowId::About, message, wParam, lParam)) {
    return *answer;
  }
  if (message == WM_CTLCOLORSTATIC &&
      reinterpret_cast<HWND>(lParam) ==
          GetDlgItem(window, static_cast<int>(ControlId::AboutLink))) {
    const HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, about.linkHot ? kLinkHotColour : kLinkColour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

win::UniqueFont CreateUnderlinedFont(HFONT base) {
  LOGFONTW font{};
  if (!base || !GetObjectW(base, sizeof(font), &font)) {
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  }
  font.lfUnderline = TRUE;
  return win::UniqueFont(CreateFontIndirectW(&font));
}

HFONT FontFor(const ControlSpec& control) {
  if (control.kind == ControlKind::Title) return about.resources.TitleFont();
  if (control.kind == ControlKind::Link && about.linkFont) return about.linkFont.get();
  return about.resources.ControlFont();
}

void CreateControl(const ControlSpec& control) {
  const wchar_t* className = L"Static";
  DWORD style = 0;
  switch (control.kind) {
    case ControlKind::Link:
      // SS_NOTIFY: it gets the pointer and clicks; a tab stop, as a link is reached by Tab.
      style |= SS_CENTER | SS_NOPREFIX | SS_NOTIFY | WS_TABSTOP;
      break;
    case ControlKind::PushButton:
      className = L"Button";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    default:
      // The text as it stands: an "&" in a name or notice is not a mnemonic.
      style |= SS_CENTER | SS_NOPREFIX;
      break;
  }
  ORV_TRACE_LOCATION();
  const HWND handle =
      win::CreateChildControl(about.window.get(), className, Text(control.text), style,
                              control.bounds, static_cast<int>(control.id), FontFor(control));
  if (handle && control.kind == ControlKind::Link) {
    SetWindowSubclass(handle, LinkProc, kLinkSubclassId, 0);
    // A screen reader announces it as a link, named by the address it shows.
    win::SetAccessibleRole(handle, ROLE_SYSTEM_LINK);
  }
}

// Lays the open window out again at another scale, when it has moved to a monitor of another
// scale: the controls and their fonts.
void LayOutAtScale(float scale) {
  if (!about.window || scale == about.resources.Scale()) return;
  ScaledResources previous = std::exchange(about.resources, ScaledResources(scale));
  win::UniqueFont previousLinkFont =
      std::exchange(about.linkFont, CreateUnderlinedFont(about.resources.ControlFont()));
  for (const ControlSpec& control : AboutControlsAt(scale)) {
    const HWND handle = GetDlgItem(about.window.get(), static_cast<int>(control.id));
    const Rect& r = control.bounds;
    SetWindowPos(handle, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control)), TRUE);
  }
  // Only now does no control use the fonts of the old scale, which go here.
}

}  // namespace

void OpenAboutWindow() {
  CloseAboutWindow();
  win::RegisterWindowClass({kWindowClass, AboutWindowProc, Icon(ImageId::AppIcon),
                            App().ArrowCursor, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
  const AppState& app = App();
  // At the scale of the monitor it opens on, the primary one.
  float scale = win::PrimaryMonitorScale(app.DpiScale);
  const Size client = AboutClientSize(scale);
  const RECT frame =
      win::CentredFrame(client.width, client.height, kWindowStyle, kWindowExStyle, scale);
  const std::wstring title = Text(TextKey::AboutTitle) + L" " + Text(TextKey::ProgramName);
  ORV_TRACE_LOCATION();
  about.window.reset(CreateWindowExW(kWindowExStyle, kWindowClass, title.c_str(), kWindowStyle,
                                     frame.left, frame.top, frame.right - frame.left,
                                     frame.bottom - frame.top, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr));
  if (!about.window) return;  // nothing is shown
  App().Events.RegisterWindow(WindowId::About, about.window.get());
  scale = win::SettleWindowScale(about.window.get(), kAboutClientSize, scale);
  about.resources = ScaledResources(scale);
  about.linkFont = CreateUnderlinedFont(about.resources.ControlFont());
  for (const ControlSpec& control : AboutControlsAt(scale)) CreateControl(control);
  App().Events.UseDialogKeys(WindowId::About);
  ShowWindow(about.window.get(), SW_SHOW);
  SetForegroundWindow(about.window.get());
}

void CloseAboutWindow() {
  if (!about.window) return;
  App().Events.UnregisterWindow(WindowId::About);
  about.window.reset();  // destroys its controls, which no longer need their fonts
  about.linkFont.reset();
  about.linkHot = false;
  about.resources = {};
}

void OpenAboutLink() {
  win::OpenWithShell(Text(TextKey::WebAddress));
}

}  // namespace orv
