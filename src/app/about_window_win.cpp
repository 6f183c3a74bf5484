#include "app/about_window_win.h"

#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <string>

#include "app/about_layout.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "win/accessibility.h"
#include "win/shell.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

constexpr ButtonWindowKind kAboutWindow{
    .id = WindowId::About,
    .className = L"OrvantaAbout",
    // Title bar only: no system menu (so no close box), not resizable, no minimise or maximise.
    .style = WS_OVERLAPPED | WS_CAPTION,
    // Tab moves between the link and the button.
    .exStyle = WS_EX_CONTROLPARENT,
    .client = kAboutClientSize,
    .controls = kAboutControls,
};
constexpr COLORREF kLinkHotColour = RGB(0, 0, 255);
constexpr COLORREF kLinkColour = RGB(0, 0, 0);
constexpr UINT_PTR kLinkSubclassId = 1;

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

}  // namespace

AboutWindow::AboutWindow(const WindowHost& host) : ButtonWindow(host, kAboutWindow) {}

void AboutWindow::Open() {
  Close();
  const std::wstring title = Text(TextKey::AboutTitle) + L" " + Text(TextKey::ProgramName);
  if (!OpenWindow(title, {})) return;  // nothing is shown
  MakeControls();
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
}

void AboutWindow::Close() {
  ButtonWindow::Close();
  linkHot_ = false;
}

void AboutWindow::ControlMade(const ControlSpec& control, HWND handle) {
  if (control.kind != ControlKind::Link) return;
  SetWindowSubclass(handle, LinkProc, kLinkSubclassId, reinterpret_cast<DWORD_PTR>(this));
  // A screen reader announces it as a link, named by the address it shows.
  win::SetAccessibleRole(handle, ROLE_SYSTEM_LINK);
}

// The link is blue while the pointer is over it.
std::optional<LRESULT> AboutWindow::AnswerOwn(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_CTLCOLORSTATIC ||
      reinterpret_cast<HWND>(lParam) != Control(ControlId::AboutLink)) {
    return std::nullopt;
  }
  const HDC dc = reinterpret_cast<HDC>(wParam);
  SetTextColor(dc, linkHot_ ? kLinkHotColour : kLinkColour);
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void AboutWindow::SetLinkHot(HWND link, bool hot) {
  if (linkHot_ == hot) return;
  linkHot_ = hot;
  InvalidateRect(link, nullptr, TRUE);
}

// Blue exactly while the pointer is over the link, judged by where the pointer is now rather
// than by the message at hand: a mouse message that arrives late must not leave the link blue
// once the pointer has gone. rearm: the leave notice was used up and is asked for again.
void AboutWindow::FollowPointer(HWND link, bool rearm) {
  POINT pointer{};
  const bool over = GetCursorPos(&pointer) && WindowFromPoint(pointer) == link;
  if (over && (rearm || !linkHot_)) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, link, 0};
    TrackMouseEvent(&track);  // WM_MOUSELEAVE when the pointer leaves the link
  }
  SetLinkHot(link, over);
}

LRESULT CALLBACK AboutWindow::LinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
  return reinterpret_cast<AboutWindow*>(self)->AnswerLink(link, message, wParam, lParam);
}

// The link's own messages: the hand pointer, the colour that follows the pointer, the focus
// rectangle, and Enter, which follows the link as a click does.
LRESULT AboutWindow::AnswerLink(HWND link, UINT message, WPARAM wParam, LPARAM lParam) {
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
      SetCursor(Host().resources.HandCursor);
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

void OpenAboutLink() {
  win::OpenWithShell(Text(TextKey::WebAddress));
}

}  // namespace orv
