// Panels and the 3-D frames they are drawn with; timers.
#include "ExtCtrls.h"

#include "Filer.h"
#include "Forms.h"
#include "StdCtrls.h"

IMPLEMENT_ENUM_INFO(TPanelBevel, "bvNone", "bvLowered", "bvRaised", "bvSpace")

static const TPropInfo TimerProps[] = {
    PUBLISHED_ENUM(TTimer, "Enabled", GetEnabled, SetEnabled, true),
    PUBLISHED_INT_DEFAULT(TTimer, "Interval", GetInterval, SetInterval, 1000),
    PUBLISHED_EVENT_ACCESSORS(TTimer, "OnTimer", GetOnTimer, SetOnTimer),
};

IMPLEMENT_COMPONENT_CLASS(TCustomPanel, TCustomControl)
IMPLEMENT_COMPONENT_CLASS(TPanel, TCustomPanel)
IMPLEMENT_COMPONENT_CLASS_PROPS(TTimer, TComponent, TimerProps)

static const TClassRegistration ExtCtrlsClasses{TTimer::StaticClass()};

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width) {
  Canvas->GetPen()->SetWidth(1);
  --Rect.Bottom;
  --Rect.Right;
  for (Integer i = 0; i < Width; ++i) {
    Canvas->GetPen()->SetColor(TopColor);
    Canvas->Polyline({{Rect.Left, Rect.Bottom}, {Rect.Left, Rect.Top}, {Rect.Right, Rect.Top}});
    Canvas->GetPen()->SetColor(BottomColor);
    Canvas->Polyline({{Rect.Right, Rect.Top}, {Rect.Right, Rect.Bottom}, {Rect.Left - 1, Rect.Bottom}});
    Rect = {Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1};
  }
  ++Rect.Bottom;
  ++Rect.Right;
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 185;
  FHeight = 41;
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks, csReplicatable};
  FColor = clBtnFace;
  FParentColor = false;
}

void TCustomPanel::SetBevelOuter(TPanelBevel v) {
  if (FBevelOuter == v) return;
  FBevelOuter = v;
  Realign();
  Invalidate();
}
void TCustomPanel::SetBevelInner(TPanelBevel v) {
  if (FBevelInner == v) return;
  FBevelInner = v;
  Realign();
  Invalidate();
}
void TCustomPanel::SetBevelWidth(TBevelWidth v) {
  if (FBevelWidth == v) return;
  FBevelWidth = v;
  Realign();
  Invalidate();
}
void TCustomPanel::SetBorderWidth(Integer v) {
  if (FBorderWidth == v) return;
  FBorderWidth = v;
  Realign();
  Invalidate();
}
void TCustomPanel::SetAlignment(TAlignment v) {
  if (FAlignment == v) return;
  FAlignment = v;
  Invalidate();
}

void TCustomPanel::AdjustClientRect(TRect& Rect) const {
  Integer inset = FBorderWidth + (FBevelOuter != bvNone ? FBevelWidth : 0) + (FBevelInner != bvNone ? FBevelWidth : 0);
  Rect = {Rect.Left + inset, Rect.Top + inset, Rect.Right - inset, Rect.Bottom - inset};
}

// Outer bevel, the border in Color, inner bevel, the face, then the caption centred.
void TCustomPanel::Paint() {
  TRect r = GetClientRect();
  auto bevel = [&](TPanelBevel b) {
    if (b == bvNone) return;
    TColor top = b == bvLowered ? clBtnShadow : clBtnHighlight, bottom = b == bvLowered ? clBtnHighlight : clBtnShadow;
    if (b == bvSpace) top = bottom = FColor;
    Frame3D(FCanvas, r, top, bottom, FBevelWidth);
  };
  bevel(FBevelOuter);
  Frame3D(FCanvas, r, FColor, FColor, FBorderWidth);
  bevel(FBevelInner);
  FCanvas->GetBrush()->SetColor(FColor);
  FCanvas->GetBrush()->SetStyle(bsSolid);
  FCanvas->FillRect(r);
  if (FText.empty()) return;
  static const UINT kAlignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  FCanvas->GetFont()->Assign(FFont);
  DrawCaption(FCanvas, FText, r, DT_SINGLELINE | DT_VCENTER | kAlignments[FAlignment], true);
}

void TCustomPanel::Dispatch(TMessage& Message) {
  // The panel paints all of its face: erasing first would only flicker.
  if (Message.Msg == WM_ERASEBKGND) {
    Message.Result = 1;
    return;
  }
  TCustomControl::Dispatch(Message);
}

// ---- TTimer --------------------------------------------------------------------------------

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindowHandle = AllocateHWnd(MethodOf<&TTimer::WndProc>(this));
}

void TTimer::Destroy() {
  FEnabled = false;
  UpdateTimer();
  DeallocateHWnd(FWindowHandle);
  FWindowHandle = 0;
  inherited::Destroy();
}

void TTimer::UpdateTimer() {
  KillTimer(FWindowHandle, 1);
  FRunning = FEnabled && FInterval != 0 && FOnTimer && SetTimer(FWindowHandle, 1, FInterval) != 0;
}

void TTimer::SetEnabled(bool v) {
  if (FEnabled == v) return;
  FEnabled = v;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal v) {
  if (FInterval == v) return;
  FInterval = v;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent v) {
  FOnTimer = v;
  UpdateTimer();
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

void TTimer::WndProc(TMessage& Message) {
  if (Message.Msg != WM_TIMER) {
    Message.Result = DefWindowProc(FWindowHandle, Message.Msg, static_cast<WPARAM>(Message.WParam), Message.LParam);
    return;
  }
  // A handler's exception is the application's to report; the timer keeps running.
  try {
    Timer();
  } catch (...) {
    if (!Application) throw;
    Application->HandleException(this);
  }
}
