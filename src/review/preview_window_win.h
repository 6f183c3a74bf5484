// The preview window: the capture under review scaled down with its size, the icon buttons that
// change it, and the output buttons that send it on. Its buttons and its keys (Escape, and Ctrl+P,
// Ctrl+C and Ctrl+S for three of the buttons) only queue events, which the event loop decides
// on; a press on its picture and a move far enough start a drag of the picture, which it runs.
#pragma once

#include <functional>
#include <optional>

#include "settings/output_policy.h"
#include "win/dib_image.h"
#include "win/unique_handle.h"
#include "window_kit/button_window_win.h"

namespace orv {

class PreviewWindow final : public ButtonWindow {
 public:
  // The window shows capture, which its owner keeps and changes while the window is open;
  // dragOut drags it out to another program.
  PreviewWindow(const WindowHost& host, const win::DibImage& capture,
                std::function<void()> dragOut);
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;
  ~PreviewWindow() { Close(); }

  // Opens the window (replacing an open one), kept above other windows, with the fit-to-paper
  // toggle pressed or not and the output buttons the policy turns off disabled.
  void Open(bool fitToPaper, const OutputPolicy& policy);
  void Close();
  // Draws the size label and the scaled picture again from the capture.
  void Refresh();
  // The fit-to-paper toggle shows the setting: pressed or not, with its icon and tooltip.
  void ShowFitToPaper(bool on);

 private:
  void ControlMade(const ControlSpec& control, HWND handle) override;
  void LaidOutAgain() override;
  std::optional<LRESULT> AnswerOwn(UINT message, WPARAM wParam, LPARAM lParam) override;
  Rect PictureRect() const;
  void NameIconButton(HWND control, std::wstring_view textKey, UINT message);
  void SetTip(HWND control, std::wstring text, UINT message);
  void DisableWhatPolicyTurnsOff(const OutputPolicy& policy);
  void MakeCanvasPicture();
  void DrawCanvasPicture();

  const win::DibImage& capture_;
  std::function<void()> dragOut_;
  std::optional<Point> pressedAt_;   // while the button pressed on the picture is down
  HWND canvas_ = nullptr;            // a control of the window
  HWND tooltip_ = nullptr;           // owned by the window, which destroys it
  win::UniqueBitmap canvasPicture_;  // what the canvas shows, redrawn by Refresh
  Size canvasSize_;
};

}  // namespace orv
