// The preview window: the capture under review scaled down with its size, the icon buttons that
// change it, and the output buttons that send it on. Its buttons, its keys (Escape, and Ctrl+P,
// Ctrl+C and Ctrl+S for three of the buttons) and the pointer on its picture only queue events;
// the event loop decides what they do.
#pragma once

#include <optional>

#include "runtime/button_window_win.h"
#include "settings/output_policy.h"
#include "win/dib_image.h"
#include "win/unique_handle.h"

namespace orv {

class PreviewWindow final : public ButtonWindow {
 public:
  // The window shows capture, which its owner keeps and changes while the window is open.
  PreviewWindow(const WindowHost& host, const win::DibImage& capture);
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;
  ~PreviewWindow() { Close(); }

  // Opens the window (replacing an open one), kept above other windows, with the fit-to-paper
  // toggle pressed or not and the output buttons the policy turns off disabled.
  void Open(bool fitToPaper, const OutputPolicy& policy);
  void Close();
  // Draws the size label and the scaled picture again from the capture.
  void Refresh();
  // The toggle's icon and tooltip follow its state, which is returned; nothing when the window is
  // not open.
  std::optional<bool> FollowFitToPaperToggle();
  // The window's handle while it is open (what a drag of its picture answers to), else null.
  HWND Window() const { return IsOpen() ? Handle() : nullptr; }

 private:
  void ControlMade(const ControlSpec& control, HWND handle) override;
  void LaidOutAgain() override;
  std::optional<LRESULT> AnswerOwn(UINT message, WPARAM wParam, LPARAM lParam) override;
  Rect PictureRect() const;
  void NameIconButton(HWND control, std::wstring_view textKey, UINT message);
  void SetTip(HWND control, std::wstring text, UINT message);
  void ShowFitToPaperState(bool on);
  void DisableWhatPolicyTurnsOff(const OutputPolicy& policy);
  void MakeCanvasPicture();
  void DrawCanvasPicture();

  const win::DibImage& capture_;
  HWND canvas_ = nullptr;            // a control of the window
  HWND tooltip_ = nullptr;           // owned by the window, which destroys it
  win::UniqueBitmap canvasPicture_;  // what the canvas shows, redrawn by Refresh
  Size canvasSize_;
};

}  // namespace orv
