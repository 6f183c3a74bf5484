#include "output/preview_window_win.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "base/scale.h"
#include "base/text_table.h"
#include "imaging/downscale.h"
#include "output/preview_layout.h"
#include "runtime/app_state_win.h"
#include "runtime/event_queue_win.h"
#include "runtime/images_win.h"
#include "settings/preferences_win.h"
#include "win/system.h"
#include "win/unique_handle.h"
#include "win/window_class.h"

namespace orv {
namespace {

constexpr wchar_t kWindowClass[] = L"OrvantaPreview";
// Title bar only: no system menu, so no close box, and no resizing.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION;

struct PreviewState {
  win::UniqueWindow window;
  HWND canvas = nullptr;
  HWND tooltip = nullptr;
  win::UniqueBitmap canvasPicture;  // what the canvas shows, redrawn by RefreshPreview
  Size canvasSize;
};
PreviewState preview;

HWND Control(ControlId id) {
  return GetDlgItem(preview.window.get(), static_cast<int>(id));
}

// The preview closes only through its buttons, Escape or a new capture.
LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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

void SetTooltip(HWND control, std::wstring_view textKey, UINT message) {
  std::wstring text = Text(textKey);
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = preview.window.get();
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  SendMessageW(preview.tooltip, message, 0, reinterpret_cast<LPARAM>(&tool));
}

void CreateControl(const PreviewControl& control, float dpiScale) {
  const wchar_t* className = L"Button";
  DWORD style = 0;
  switch (control.kind) {
    case PreviewControlKind::CentredLabel:
      className = L"Static";
      style |= SS_CENTER;
      break;
    case PreviewControlKind::Canvas:
      className = win::kCanvasClass;
      break;
    case PreviewControlKind::IconToggle:
      style |= WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_ICON;
      break;
    case PreviewControlKind::IconButton:
      style |= WS_TABSTOP | BS_PUSHBUTTON | BS_ICON;
      break;
    case PreviewControlKind::PushButton:
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
  }
  const std::wstring text = control.textKey.empty() ? std::wstring() : Text(control.textKey);
  const HWND handle = win::CreateChildControl(
      preview.window.get(), className, text, style, ScaledRect(control.bounds, dpiScale),
      static_cast<int>(control.id), App().ControlFont.get());
  if (handle && (control.kind == PreviewControlKind::IconToggle ||
                 control.kind == PreviewControlKind::IconButton)) {
    SendMessageW(handle, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(Icon(control.icon)));
    SetTooltip(handle, control.tooltipKey, TTM_ADDTOOLW);
  }
}

void ShowFitToPaperState(bool on) {
  const HWND toggle = Control(ControlId::FitToPaper);
  SendMessageW(toggle, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(toggle, BM_SETIMAGE, IMAGE_ICON,
               reinterpret_cast<LPARAM>(Icon(on ? ImageId::FitOnIcon : ImageId::FitOffIcon)));
  SetTooltip(toggle, on ? L"#TXT00049" : L"#TXT00048", TTM_UPDATETIPTEXTW);
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
    SetWindowTextW(Control(ControlId::SizeLabel), SizeLabel(capture->size()).c_str());
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

}  // namespace

void OpenPreviewWindow() {
  ClosePreviewWindow();
  RegisterClasses();
  AppState& app = App();
  const Size client = ScaledSize(kPreviewClientSize, app.DpiScale);
  const RECT frame = win::CentredFrame(client.width, client.height, kWindowStyle, WS_EX_TOPMOST);
  preview.window.reset(CreateWindowExW(WS_EX_TOPMOST, kWindowClass, Text(L"#TXT00046").c_str(),
                                       kWindowStyle, frame.left, frame.top,
                                       frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr));
  if (!preview.window) return;
  app.Events.RegisterWindow(WindowId::Preview, preview.window.get());

  preview.tooltip =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                      preview.window.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
  for (const PreviewControl& control : kPreviewControls) CreateControl(control, app.DpiScale);
  preview.canvas = Control(ControlId::Canvas);
  preview.canvasSize = ScaledSize(
      {kPreviewControls[1].bounds.width, kPreviewControls[1].bounds.height}, app.DpiScale);
  {
    const win::WindowDc dc(preview.canvas);
    preview.canvasPicture.reset(
        CreateCompatibleBitmap(dc.get(), preview.canvasSize.width, preview.canvasSize.height));
  }
  win::SetCanvasPicture(preview.canvas, preview.canvasPicture.get());

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
