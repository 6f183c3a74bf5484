#include "review/preview_window_win.h"

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <string>
#include <utility>
#include <vector>

#include "base/fault_location.h"
#include "base/scale.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "imaging/downscale.h"
#include "review/preview_layout.h"
#include "win/dpi.h"
#include "win/system.h"
#include "win/window_class.h"

namespace orv {
namespace {

constexpr ButtonWindowKind kPreviewWindow{
    .id = WindowId::Preview,
    .className = L"OrvantaPreview",
    // Title bar only: no system menu, so no close box, and no resizing.
    .style = WS_OVERLAPPED | WS_CAPTION,
    // Kept above other windows; Tab moves through its buttons.
    .exStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT,
    .client = kPreviewClientSize,
    .controls = kPreviewControls,
};

// The output buttons with a shortcut key, which their tooltips name; each key does what its
// button does.
struct Shortcut {
  ControlId button;
  UINT key;  // with Ctrl
  std::wstring_view tip;
};
// clang-format off
constexpr Shortcut kShortcuts[] = {
    {ControlId::PrintWithDialog, 'P', TextKey::PrintWithDialogKeyTip},
    {ControlId::Clipboard,       'C', TextKey::ClipboardKeyTip},
    {ControlId::SaveToFile,      'S', TextKey::SaveToFileKeyTip},
};
// clang-format on

std::vector<KeyBinding> PreviewKeys() {
  std::vector<KeyBinding> keys = {
      {VK_ESCAPE, CommandEvent{.window = WindowId::Preview, .command = CommandId::ClosePreview}}};
  for (const Shortcut& shortcut : kShortcuts) {
    keys.push_back({shortcut.key,
                    ControlEvent{.window = WindowId::Preview, .control = shortcut.button}, true});
  }
  return keys;
}

Point PointOf(LPARAM lParam) {
  return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

bool IsChecked(HWND button) {
  return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

PreviewWindow::PreviewWindow(const WindowHost& host, const win::DibImage& capture,
                             std::function<void()> dragOut)
    : ButtonWindow(host, kPreviewWindow), capture_(capture), dragOut_(std::move(dragOut)) {}

void PreviewWindow::Open(bool fitToPaper, const OutputPolicy& policy) {
  Close();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  win::RegisterCanvasClass();
  if (!OpenWindow(Text(TextKey::PreviewTitle), PreviewKeys())) return;
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(),
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  MakeControls();
  // Keyboard first: the top icon button has the focus whenever the window is activated, until
  // the user moves it, and the focus is shown from the start. Set before anything can activate
  // the window (making it topmost can).
  SetFocusedControl(Control(ControlId::FitToPaper));
  SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  canvas_ = Control(ControlId::Canvas);
  MakeCanvasPicture();

  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  DisableWhatPolicyTurnsOff(policy);
  if (fitToPaper) ShowFitToPaper(true);  // made showing "off"
  Refresh();
  ShowWindow(Handle(), SW_SHOW);
  win::BringToFront(Handle());  // a keyboard hook's key gives no right to the front
}

void PreviewWindow::Close() {
  ButtonWindow::Close();  // destroys the controls and the tooltip the window owns
  canvasPicture_.reset();
  canvas_ = nullptr;
  tooltip_ = nullptr;
  canvasSize_ = {};
  pressedAt_.reset();
}

void PreviewWindow::Refresh() {
  if (!IsOpen() || !canvasPicture_) return;
  DrawCanvasPicture();
  // Only now, with the picture no longer selected into the drawing context, can the canvas
  // select it to paint.
  InvalidateRect(canvas_, nullptr, FALSE);
  UpdateWindow(canvas_);
}

void PreviewWindow::ControlMade(const ControlSpec& control, HWND handle) {
  if (control.kind == ControlKind::IconToggle || control.kind == ControlKind::IconButton) {
    NameIconButton(handle, control.text, TTM_ADDTOOLW);
  }
  for (const Shortcut& shortcut : kShortcuts) {
    if (shortcut.button == control.id) SetTip(handle, Text(shortcut.tip), TTM_ADDTOOLW);
  }
}

// A press on the picture starts a drag once the pointer has left the system's drag rectangle
// around it, one drag per press; the preview stays open. The window keeps the pointer until the
// release, so that a quick move out of it still counts.
std::optional<LRESULT> PreviewWindow::AnswerOwn(UINT message, WPARAM, LPARAM lParam) {
  const Point at = PointOf(lParam);
  switch (message) {
    case WM_LBUTTONDOWN:
      if (!Contains(PictureRect(), at)) return std::nullopt;
      SetCapture(Handle());
      pressedAt_ = at;
      return 0;
    case WM_MOUSEMOVE:
      if (!pressedAt_ || !LeavesDragRectangle(*pressedAt_, at, win::DragSize(Handle()))) {
        return std::nullopt;
      }
      pressedAt_.reset();  // the drag takes the button's release
      ReleaseCapture();
      ORV_TRACE_LOCATION();
      if (dragOut_) dragOut_();
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (!pressedAt_) return std::nullopt;
      pressedAt_.reset();
      if (message == WM_LBUTTONUP) ReleaseCapture();
      return 0;
  }
  return std::nullopt;
}

// Where the scaled capture is on the canvas, in the window's client area.
Rect PreviewWindow::PictureRect() const {
  if (!canvas_ || !capture_) return {};
  RECT canvas{};
  GetWindowRect(canvas_, &canvas);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&canvas), 2);
  Rect picture = PreviewPictureRect(capture_.size(), canvasSize_);
  picture.x += canvas.left;
  picture.y += canvas.top;
  return picture;
}

// The controls are in place at the new scale; the toggle's picture and the canvas follow.
void PreviewWindow::LaidOutAgain() {
  ShowFitToPaper(IsChecked(Control(ControlId::FitToPaper)));
  MakeCanvasPicture();
  Refresh();
}

// An icon button's tooltip is also its window text: the button shows only its icon, but the
// text is the name screen readers announce.
void PreviewWindow::NameIconButton(HWND control, std::wstring_view textKey, UINT message) {
  const std::wstring text = Text(textKey);
  SetWindowTextW(control, text.c_str());
  SetTip(control, text, message);
}

// Adds (TTM_ADDTOOLW) or changes (TTM_UPDATETIPTEXTW) the tooltip of a control.
void PreviewWindow::SetTip(HWND control, std::wstring text, UINT message) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  SendMessageW(tooltip_, message, 0, reinterpret_cast<LPARAM>(&tool));
}

void PreviewWindow::ShowFitToPaper(bool on) {
  if (!IsOpen()) return;
  const HWND toggle = Control(ControlId::FitToPaper);
  SendMessageW(toggle, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(toggle, BM_SETIMAGE, IMAGE_ICON,
               reinterpret_cast<LPARAM>(Scaled().Icon(on ? IconId::FitOn : IconId::FitOff)));
  NameIconButton(toggle, on ? TextKey::FitToPaperOnTip : TextKey::FitToPaperOffTip,
                 TTM_UPDATETIPTEXTW);
}

void PreviewWindow::DisableWhatPolicyTurnsOff(const OutputPolicy& policy) {
  // clang-format off
  const std::pair<bool, ControlId> buttons[] = {
      {policy.PrintToSelection,  ControlId::PrintWithDialog},
      {policy.PrintToStandard,   ControlId::PrintToDefault},
      {policy.ExportToClipboard, ControlId::Clipboard},
      {policy.ExportToPaint,     ControlId::Paint},
      {policy.ExportToFile,      ControlId::SaveToFile},
  };
  // clang-format on
  for (const auto& [allowed, id] : buttons) {
    if (!allowed) EnableWindow(Control(id), FALSE);
  }
}

// A new canvas picture of the canvas's size at the window's scale, which the canvas shows from
// now on (the old one goes).
void PreviewWindow::MakeCanvasPicture() {
  const Rect& canvas = PreviewControl(ControlId::Canvas).bounds;
  canvasSize_ = ScaledSize({canvas.width, canvas.height}, Scaled().Scale());
  win::UniqueBitmap picture;
  {
    const win::WindowDc dc(canvas_);
    picture.reset(CreateCompatibleBitmap(dc.get(), canvasSize_.width, canvasSize_.height));
  }
  win::SetCanvasPicture(canvas_, picture.get());
  canvasPicture_ = std::move(picture);
}

// Draws the background, the scaled capture and the outline into the canvas picture.
void PreviewWindow::DrawCanvasPicture() {
  const Size canvas = canvasSize_;
  const win::UniqueCreatedDc target(CreateCompatibleDC(nullptr));
  const win::SelectObjectGuard selectTarget(target.get(), canvasPicture_.get());

  const win::UniqueBrush background(
      CreateSolidBrush(CanvasBackground(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_BTNFACE))));
  const RECT all{0, 0, canvas.width, canvas.height};
  FillRect(target.get(), &all, background.get());

  if (capture_) {
    const std::wstring size = SizeLabel(capture_.size());
    SetWindowTextW(Control(ControlId::SizeLabel), size.c_str());
    // The size names the canvas as well: what a screen reader tells of the picture.
    SetWindowTextW(canvas_, size.c_str());
    const Rect r = PreviewPictureRect(capture_.size(), canvas);
    // A picture of exactly the canvas rectangle's size is copied as it is. Any other is scaled
    // by averaging: the smooth result halftone stretching stands for, the same on every system,
    // and several times quicker on a large screen than the system's halftone stretch.
    const bool sameSize = r.width == capture_.width() && r.height == capture_.height();
    win::DibImage scaled;
    if (!sameSize) {
      scaled = win::DibImage::Create(r.width, r.height);
      GdiFlush();
      ORV_TRACE_LOCATION();
      if (scaled && !ScaleByAveraging(capture_.View(), scaled.View())) scaled = {};
    }
    if (const win::DibImage* shown = sameSize ? &capture_ : (scaled ? &scaled : nullptr)) {
      const win::UniqueCreatedDc source(CreateCompatibleDC(nullptr));
      const win::SelectObjectGuard selectSource(source.get(), shown->bitmap());
      ORV_TRACE_LOCATION();
      BitBlt(target.get(), r.x, r.y, r.width, r.height, source.get(), 0, 0, SRCCOPY);
    }
  }

  const win::UniquePen outline(CreatePen(PS_SOLID, 1, kCanvasOutlineColour));
  const win::SelectObjectGuard selectPen(target.get(), outline.get());
  const win::SelectObjectGuard selectBrush(target.get(), GetStockObject(NULL_BRUSH));
  Rectangle(target.get(), 0, 0, canvas.width, canvas.height);
}

}  // namespace orv
