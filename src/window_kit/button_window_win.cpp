#include "window_kit/button_window_win.h"

#include <utility>

#include "base/fault_location.h"
#include "base/scale.h"
#include "base/text_table.h"
#include "win/dpi.h"
#include "win/system.h"
#include "win/window_class.h"

namespace orv {
namespace {

struct ControlClass {
  const wchar_t* name;
  DWORD style;  // besides WS_CHILD and WS_VISIBLE
};

ControlClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
      return {L"Static", SS_CENTER};
    case ControlKind::Notice:
    case ControlKind::Title:
      return {L"Static", SS_CENTER | SS_NOPREFIX};
    case ControlKind::Link:
      // SS_NOTIFY: it gets the pointer and clicks; a tab stop, as a link is reached by Tab.
      return {L"Static", SS_CENTER | SS_NOPREFIX | SS_NOTIFY | WS_TABSTOP};
    case ControlKind::Canvas:
      return {win::kCanvasClass, 0};
    case ControlKind::IconToggle:
      // Not automatic: the owner sets its state from what it shows.
      return {L"Button", WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE | BS_ICON};
    case ControlKind::IconButton:
      return {L"Button", WS_TABSTOP | BS_PUSHBUTTON | BS_ICON};
    case ControlKind::PushButton:
      return {L"Button", WS_TABSTOP | BS_PUSHBUTTON};
  }
  return {L"Static", 0};
}

bool ShowsIcon(ControlKind kind) {
  return kind == ControlKind::IconToggle || kind == ControlKind::IconButton;
}

bool IsPushButton(HWND control) {
  return (SendMessageW(control, WM_GETDLGCODE, 0, 0) &
          (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

void SetIcon(HWND control, HICON icon) {
  SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

}  // namespace

void ButtonWindow::Close() {
  if (!IsOpen()) return;
  host_.dialogKeys.Remove(Handle());
  Destroy();  // the controls with it, which no longer need the fonts and pictures
  scaled_ = {};
  controlsMade_ = false;
  focusedControl_ = nullptr;
}

bool ButtonWindow::OpenWindow(const std::wstring& title, std::vector<KeyBinding> bindings) {
  Close();
  const Resources& program = host_.resources;
  // At the scale of the monitor it opens on, the primary one.
  float scale = win::PrimaryMonitorScale(program.DpiScale);
  const Size client = ScaledSize(kind_.client, scale);
  const RECT frame =
      win::CentredFrame(client.width, client.height, kind_.style, kind_.exStyle, scale);
  const win::WindowClass windowClass{kind_.className, program.Icon(IconId::App),
                                     program.ArrowCursor,
                                     reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
  ORV_TRACE_LOCATION();
  if (!Create(windowClass, kind_.exStyle, title, kind_.style, frame)) return false;
  scale = win::SettleWindowScale(Handle(), kind_.client, scale);
  scaled_ = ScaledResources(program, scale);
  host_.dialogKeys.Add(Handle(), std::move(bindings));
  return true;
}

void ButtonWindow::MakeControls() {
  for (const ControlSpec& control : kind_.controls) {
    const ControlClass controlClass = ClassOf(control.kind);
    // An icon button shows only its icon; its text is its name, which ControlMade gives it.
    const std::wstring text =
        control.text.empty() || ShowsIcon(control.kind) ? std::wstring() : Text(control.text);
    ORV_TRACE_LOCATION();
    const HWND handle =
        win::CreateChildControl(Handle(), controlClass.name, text, controlClass.style,
                                ScaledRect(control.bounds, scaled_.Scale()),
                                static_cast<int>(control.id), FontFor(control));
    if (!handle) continue;
    if (ShowsIcon(control.kind)) SetIcon(handle, scaled_.Icon(control.icon));
    ControlMade(control, handle);
  }
  controlsMade_ = true;
}

HFONT ButtonWindow::FontFor(const ControlSpec& control) {
  if (control.kind == ControlKind::Title) return scaled_.TitleFont();
  if (control.kind == ControlKind::Link) return scaled_.LinkFont();
  return scaled_.ControlFont();
}

// When the window has moved to a monitor of another scale: the controls, their fonts and
// pictures.
void ButtonWindow::LayOutAtScale(float scale) {
  if (!controlsMade_ || scale == scaled_.Scale()) return;
  ScaledResources previous = std::exchange(scaled_, ScaledResources(host_.resources, scale));
  for (const ControlSpec& control : kind_.controls) {
    const HWND handle = Control(control.id);
    const Rect r = ScaledRect(control.bounds, scale);
    SetWindowPos(handle, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control)), TRUE);
    if (control.kind == ControlKind::IconButton) SetIcon(handle, scaled_.Icon(control.icon));
  }
  LaidOutAgain();
  // Only now does no control use the fonts and pictures of the old scale, which go here.
}

LRESULT ButtonWindow::Answer(UINT message, WPARAM wParam, LPARAM lParam) {
  if (const auto answer = win::AnswerScaleChange(Handle(), message, wParam, lParam, kind_.client,
                                                 [this](float scale) { LayOutAtScale(scale); })) {
    return *answer;
  }
  if (const auto answer = AnswerButtons(message, wParam, lParam)) return *answer;
  if (const auto answer = AnswerOwn(message, wParam, lParam)) return *answer;
  return DefWindowProcW(Handle(), message, wParam, lParam);
}

std::optional<LRESULT> ButtonWindow::AnswerButtons(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // A static control's STN_CLICKED shares the code 0 with BN_CLICKED, so a link that
      // notifies counts as a button.
      if (lParam == 0 || HIWORD(wParam) != BN_CLICKED) return std::nullopt;
      host_.events.Queue(
          ControlEvent{.window = kind_.id, .control = static_cast<ControlId>(LOWORD(wParam))});
      return 0;
    case WM_CLOSE:
      return 0;
    case WM_ACTIVATE:
      return AnswerActivation(wParam);
    case DM_GETDEFID: {
      // Asked by the dialog keys when Enter is pressed: the focused push button, or none, so
      // that Enter on any other control presses nothing.
      const HWND focus = GetFocus();
      if (focus && IsChild(Handle(), focus) && IsWindowEnabled(focus) && IsPushButton(focus)) {
        return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
      }
      return 0;
    }
    default:
      return std::nullopt;
  }
}

// Left alone, the window would take the focus itself on every activation, and a keyboard user
// would start again at its first control.
std::optional<LRESULT> ButtonWindow::AnswerActivation(WPARAM wParam) {
  const HWND focus = GetFocus();
  if (LOWORD(wParam) == WA_INACTIVE) {
    if (focus && IsChild(Handle(), focus)) focusedControl_ = focus;
    return std::nullopt;
  }
  const HWND control = focusedControl_;
  if (!control || !IsChild(Handle(), control) || !IsWindowEnabled(control)) return std::nullopt;
  SetFocus(control);
  return 0;
}

}  // namespace orv
