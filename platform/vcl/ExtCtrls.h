// Panels: a windowed container with raised or lowered bevels and a centred caption; timers.
#pragma once

#include "Controls.h"

enum TPanelBevel : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
DECLARE_ENUM_INFO(TPanelBevel)
using TBevelWidth = Integer;

// Draws a 3-D frame of Width pixels inside Rect (top-left in TopColor, bottom-right in
// BottomColor, the bottom-left and top-right corners in BottomColor) and shrinks Rect by it.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width);

class TCustomPanel : public TCustomControl {
  DECLARE_CLASS(TCustomPanel, TCustomControl)
 public:
  explicit TCustomPanel(TComponent* AOwner);

  TPanelBevel GetBevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel v);
  TPanelBevel GetBevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel v);
  TBevelWidth GetBevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(TBevelWidth v);
  // Inside the client area: a frame in Color between the two bevels.
  Integer GetBorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(Integer v);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  // The rectangle children align in: the client area less border and bevels.
  void AdjustClientRect(TRect& Rect) const override;
  // Whether a size change repaints the whole panel. The window system here always repaints a
  // resized window whole, so False saves nothing yet; the flag is kept for those who set it.
  bool GetFullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool v) { FFullRepaint = v; }

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;

 private:
  TPanelBevel FBevelOuter = bvRaised;
  TPanelBevel FBevelInner = bvNone;
  TBevelWidth FBevelWidth = 1;
  Integer FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
  bool FFullRepaint = true;
};

class TPanel : public TCustomPanel {
  DECLARE_CLASS(TPanel, TCustomPanel)
 public:
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

// A timer: OnTimer every Interval milliseconds of the system clock while Enabled, through a
// hidden window of its own and the window system's timer. Interval 0, or no OnTimer, keeps
// it from running.
class TTimer : public TComponent {
  DECLARE_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* AOwner);
  void Destroy() override;

  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool v);
  Cardinal GetInterval() const { return FInterval; }
  void SetInterval(Cardinal v);
  // Assigning the handler starts the timer when it is enabled; use SetOnTimer, not the field.
  TNotifyEvent GetOnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent v);
  // Whether a window-system timer is set now.
  bool GetRunning() const { return FRunning; }

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& Message);
  HWND FWindowHandle = 0;
  bool FEnabled = true;
  bool FRunning = false;
  Cardinal FInterval = 1000;
  TNotifyEvent FOnTimer;
};
