#include "output/preview_window_win.h"

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <utility>

#include "base/scale.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "imaging/downscale.h"
#include "output/preview_layout.h"
#include "runtime/app_state_win.h"
#include "runtime/event_queue_win.h"
#include "runtime/images_win.h"
#include "runtime/scaled_resources_win.h"
#include "settings/preferences_win.h"
#include "win/dpi.h"
#include "win/system.h"
#include "win/unique_handle.h"
#include "win/window_class.h"

namespace orv {
namespace {

constexpr wchar_t kWindowClass[] = L"OrvantaPreview";
// Title bar only: no system menu, so no close box, and no resizing.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION;
// Kept above other windows; Tab moves through its buttons.
constexpr DWORD kWindowExStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;

struct PreviewState {
  win::UniqueWindow window;
  HWND canvas = nullptr;
  HWND tooltip = nullptr;
  win::UniqueBitmap canvasPicture;  // what the canvas shows, redrawn by RefreshPreview
  Size canvasSize;
  ScaledResources resources;  // fonts and button pictures at the scale of the window's monitor
};
PreviewState preview;

HWND Control(ControlId id) {
  return GetDlgItem(preview.window.get(), static_cast<int>(id));
}

void LayOutAtScale(float scale);

// The preview closes only through its buttons, Escape or a new capture.
LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (const auto answer = win::AnswerScaleChange(window, message, wParam, lParam,
                                                 kPreviewClientSize, LayOutAtScale)) {
    return *answer;
  }
  const auto answer =
      AnswerButtonWindowMessage(App().Events, WindowId::Preview, message, wParam, lParam);
  return answer ? *answer : DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClasses() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  win::RegisterWindowClass({kWindowClass, PreviewWindowProc, Icon(ImageId::AppIcon),
                            App().ArrowCursor, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
  win::RegisterCanvasClass();
}

// An icon button's tooltip is also its window text: the button shows only its icon, but the
// text is the name screen readers announce.
void NameIconButton(HWND control, std::wstring_view textKey, UINT message) {
  std::wstring text = Text(textKey);
  SetWindowTextW(control, text.c_str());
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = preview.window.get();
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  SendMessageW(preview.tooltip, message, 0, reinterpret_cast<LPARAM>(&tool));
}

void CreateControl(const ControlSpec& control, float dpiScale) {
  const wchar_t* className = L"Button";
  DWORD style = 0;
  switch (control.kind) {
    case ControlKind::Label:
    case ControlKind::Notice:
    case ControlKind::Title:
    case ControlKind::Link:
      className = L"Static";
      style |= SS_CENTER;
      break;
    case ControlKind::Canvas:
      className = win::kCanvasClass;
      break;
    case ControlKind::IconToggle:
      style |= WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_ICON;
      break;
    case ControlKind::IconButton:
      style |= WS_TABSTOP | BS_PUSHBUTTON | BS_ICON;
      break;
    case ControlKind::PushButton:
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
  }
  const bool icon =
      control.kind == ControlKind::IconToggle || control.kind == ControlKind::IconButton;
  const std::wstring text = control.text.empty() || icon ? std::wstring() : Text(control.text);
  const HWND handle = win::CreateChildControl(
      preview.window.get(), className, text, style, ScaledRect(control.bounds, dpiScale),
      static_cast<int>(control.id), preview.resources.ControlFont());
  if (handle && icon) {
    SendMessageW(handle, BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(preview.resources.Icon(control.icon)));
    NameIconButton(handle, control.text, TTM_ADDTOOLW);
  }
}

void ShowFitToPaperState(bool on) {
  const HWND toggle = Control(ControlId::FitToPaper);
  SendMessageW(toggle, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(toggle, BM_SETIMAGE, IMAGE_ICON,
               reinterpret_cast<LPARAM>(
                   preview.resources.Icon(on ? ImageId::FitOnIcon : ImageId::FitOffIcon)));
  NameIconButton(toggle, on ? TextKey::FitToPaperOnTip : TextKey::FitToPaperOffTip,
                 TTM_UPDATETIPTEXTW);
}

void ApplyOutputPolicy() {
  const OutputPolicy policy = ReadOutputPolicy();
  const std::pair<bool, ControlId> buttons[] = {
      {policy.PrintToSelection, ControlId::PrintWithDialog},
      {policy.PrintToStandard, ControlId::PrintToDefault},
      {policy.ExportToClipboard, ControlId::Clipboard},
      {policy.ExportToPaint, ControlId::Paint},
      {policy.ExportToFile, ControlId::SaveToFile},
  };
  for (const auto& [allowed, id] : buttons) {
    if (!allowed) EnableWindow(Control(id), FALSE);
  }
}

// Draws the background, the scaled capture and the outline into the canvas picture.
void DrawCanvasPicture() {
  const Size canvas = preview.canvasSize;
  const win::UniqueCreatedDc target(CreateCompatibleDC(nullptr));
  const win::SelectObjectGuard selectTarget(target.get(), preview.canvasPicture.get());

  const win::UniqueBrush background(
      CreateSolidBrush(CanvasBackground(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_BTNFACE))));
  const RECT all{0, 0, canvas.width, canvas.height};
  FillRect(target.get(), &all, background.get());

  if (const win::DibImage* capture = Images::Get(ImageId::Capture)) {
    const std::wstring size = SizeLabel(capture->size());
    SetWindowTextW(Control(ControlId::SizeLabel), size.c_str());
    // The size names the canvas as well: what a screen reader tells of the picture.
    SetWindowTextW(preview.canvas, size.c_str());
    const Rect r = PreviewPictureRect(capture->size(), canvas);
    // A picture of exactly the canvas rectangle's size is copied as it is. Any other is scaled
    // by averaging: the smooth result halftone stretching stands for, the same on every system,
    // and several times quicker on a large screen than the system's halftone stretch.
    const bool sameSize = r.width == capture->width() && r.height == capture->height();
    win::DibImage scaled;
    if (!sameSize) {
      scaled = win::DibImage::Create(r.width, r.height);
      GdiFlush();
      if (scaled && !ScaleByAveraging(capture->View(), scaled.View())) scaled = {};
    }
    if (const win::DibImage* shown = sameSize ? capture : (scaled ? &scaled : nullptr)) {
      const win::UniqueCreatedDc source(CreateCompatibleDC(nullptr));
      const win::SelectObjectGuard selectSource(source.get(), shown->bitmap());
      BitBlt(target.get(), r.x, r.y, r.width, r.height, source.get(), 0, 0, SRCCOPY);
    }
  }

  const win::UniquePen outline(CreatePen(PS_SOLID, 1, kCanvasOutlineColour));
  const win::SelectObjectGuard selectPen(target.get(), outline.get());
  const win::SelectObjectGuard selectBrush(target.get(), GetStockObject(NULL_BRUSH));
  Rectangle(target.get(), 0, 0, canvas.width, canvas.height);
}

// A new canvas picture of the canvas's size at the given scale, which the canvas shows from now
// on (the old one goes).
void MakeCanvasPicture(float scale) {
  const Rect& canvas = PreviewControl(ControlId::Canvas).bounds;
  preview.canvasSize = ScaledSize({canvas.width, canvas.height}, scale);
  win::UniqueBitmap picture;
  {
    const win::WindowDc dc(preview.canvas);
    picture.reset(
        CreateCompatibleBitmap(dc.get(), preview.canvasSize.width, preview.canvasSize.height));
  }
  win::SetCanvasPicture(preview.canvas, picture.get());
  preview.canvasPicture = std::move(picture);
}

// Lays the open preview out again at another scale, when it has moved to a monitor of another
// scale: the controls, their font and pictures, and the canvas with the picture redrawn.
void LayOutAtScale(float scale) {
  if (!preview.window || scale == preview.resources.Scale()) return;
  ScaledResources previous = std::exchange(preview.resources, ScaledResources(scale));
  for (const ControlSpec& control : kPreviewControls) {
    const HWND handle = Control(control.id);
    const Rect r = ScaledRect(control.bounds, scale);
    SetWindowPos(handle, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(preview.resources.ControlFont()),
                 TRUE);
    if (control.kind == ControlKind::IconButton) {
      SendMessageW(handle, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(preview.resources.Icon(control.icon)));
    }
  }
  ShowFitToPaperState(SendMessageW(Control(ControlId::FitToPaper), BM_GETCHECK, 0, 0) ==
                      BST_CHECKED);
  MakeCanvasPicture(scale);
  RefreshPreview();
  // Only now does no control use the fonts and pictures of the old scale, which go here.
}

}  // namespace

void OpenPreviewWindow() {
  ClosePreviewWindow();
  RegisterClasses();
  AppState& app = App();
  // At the scale of the monitor it opens on, the primary one.
  float scale = win::PrimaryMonitorScale(app.DpiScale);
  const Size client = ScaledSize(kPreviewClientSize, scale);
  const RECT frame =
      win::CentredFrame(client.width, client.height, kWindowStyle, kWindowExStyle, scale);
  preview.window.reset(CreateWindowExW(
      kWindowExStyle, kWindowClass, Text(TextKey::PreviewTitle).c_str(), kWindowStyle, frame.left,
      frame.top, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
      GetModuleHandleW(nullptr), nullptr));
  if (!preview.window) return;
  app.Events.RegisterWindow(WindowId::Preview, preview.window.get());
  scale = win::SettleWindowScale(preview.window.get(), kPreviewClientSize, scale);
  preview.resources = ScaledResources(scale);

  preview.tooltip =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                      preview.window.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
  for (const ControlSpec& control : kPreviewControls) CreateControl(control, scale);
  // Keyboard first: the top icon button has the focus whenever the window is activated, until
  // the user moves it, and the focus is shown from the start. Set before anything can activate
  // the window (making it topmost can).
  app.Events.UseDialogKeys(WindowId::Preview);
  app.Events.SetFocusedControl(WindowId::Preview, Control(ControlId::FitToPaper));
  SendMessageW(preview.window.get(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  preview.canvas = Control(ControlId::Canvas);
  MakeCanvasPicture(scale);

  SetWindowPos(preview.window.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ApplyOutputPolicy();
  if (app.Settings.FitPaperOrientation != 0) ShowFitToPaperState(true);
  RefreshPreview();
  if (const win::DibImage* capture = Images::Get(ImageId::Capture)) {
    Images::Put(ImageId::BackupImage, capture->Clone());
  }
  app.Events.BindEscapeKey(WindowId::Preview, CommandId::ClosePreview);
  ShowWindow(preview.window.get(), SW_SHOW);
  win::BringToFront(preview.window.get());  // a keyboard hook's key gives no right to the front
}

void ClosePreviewWindow() {
  if (!preview.window) return;
  App().Events.UnregisterWindow(WindowId::Preview);
  preview.window.reset();  // destroys the controls and the tooltip it owns
  preview.canvasPicture.reset();
  preview = {};
}

void RefreshPreview() {
  if (!preview.window || !preview.canvasPicture) return;
  DrawCanvasPicture();
  // Only now, with the picture no longer selected into the drawing context, can the canvas
  // select it to paint.
  InvalidateRect(preview.canvas, nullptr, FALSE);
  UpdateWindow(preview.canvas);
}

void FollowFitToPaperToggle() {
  if (!preview.window) return;
  const bool on = SendMessageW(Control(ControlId::FitToPaper), BM_GETCHECK, 0, 0) == BST_CHECKED;
  App().Settings.FitPaperOrientation = on ? 1 : 0;
  ShowFitToPaperState(on);
}

void OpenPrintersFolder() {
  // The control panel from the system folder by its full path, never whichever "control.exe"
  // the search path finds first.
  const std::wstring systemFolder = win::SystemFolder();
  if (systemFolder.empty()) return;
  const std::wstring program = systemFolder + L"control.exe";
  win::StartProgram(program, L"\"" + program + L"\" printers", App().WindowsDir);
}

void CopyBackupToCapture() {
  if (const win::DibImage* backup = Images::Get(ImageId::BackupImage)) {
    Images::Put(ImageId::Capture, backup->Clone());
  }
}

}  // namespace orv
