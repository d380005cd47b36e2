// The XOR outline of a panel drag on the desktop, and where it lands.
#include "DragControl.h"

IMPLEMENT_CLASS(TDragControl, TObject)

TPoint CToC(TControl* Target, TControl* Source, const TPoint& P) { return Target->ScreenToClient(Source->ClientToScreen(P)); }

namespace {
// Near: less than 50 pixels apart.
bool Near(Integer a, Integer b) { return std::abs(a - b) < 50; }
}  // namespace

// Later matches override earlier ones: among outlines top beats bottom beats right beats
// left; among drop positions right beats left beats bottom beats top.
TAlign GetDropArea(const TRect& Client, const TRect& R, const TPoint& C, Integer PanelTop, Integer PanelHeight) {
  const Integer Y0 = Client.Top + PanelTop;
  TAlign Area = alNone;
  if (Near(R.Top, Y0) && Near(R.Left, Client.Left) && Near(R.Bottom, Y0 + PanelHeight)) Area = alLeft;
  if (Near(R.Top, Y0) && Near(R.Right, Client.Right) && Near(R.Bottom, Y0 + PanelHeight)) Area = alRight;
  if (Near(R.Right, Client.Right) && Near(R.Left, Client.Left) && Near(R.Bottom, Client.Bottom)) Area = alBottom;
  if (Near(R.Right, Client.Right) && Near(R.Left, Client.Left) && Near(R.Top, Client.Top)) Area = alTop;
  if (Area != alNone) return Area;
  if (C.Y - Client.Top < 90) Area = alTop;
  if (Client.Bottom - C.Y < 90) Area = alBottom;
  if (C.X - Client.Left < 90) Area = alLeft;
  if (Client.Right - C.X < 90) Area = alRight;
  return Area;
}

// A drag still open when the panel goes gives the desktop and the mouse back.
void TDragControl::Destroy() {
  EndDragging();
  inherited::Destroy();
}

void TDragControl::DrawDragRect() { FCanvas->DrawFocusRect(FDragRect); }

void TDragControl::BeginDragging(TControl* AControl, TControl* CaptureControl, const TPoint& Point) {
  if (FDragging) EndDragging();
  FControl = AControl;
  const TPoint tl = AControl->ClientToScreen({0, 0});
  const TPoint br = AControl->ClientToScreen({AControl->GetWidth(), AControl->GetHeight()});
  FStartRect = {tl.X, tl.Y, br.X, br.Y};
  FDragRect = FStartRect;
  FStartPoint = AControl->ClientToScreen(Point);
  FCurrentPoint = FStartPoint;
  SetCaptureControl(CaptureControl);
  FCanvas = new TControlCanvas();
  // The whole desktop, drawable while window updates are locked.
  FCanvas->SetHandle(GetDCEx(GetDesktopWindow(), 0, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE));
  FCanvas->GetPen()->SetMode(pmXor);
  FCanvas->GetPen()->SetWidth(4);
  DrawDragRect();
  FDragging = true;
}

void TDragControl::ChangeDragging(const TPoint& Point) {
  if (!FDragging) return;
  DrawDragRect();
  FCurrentPoint = FControl->ClientToScreen(Point);
  const Integer dx = FCurrentPoint.X - FStartPoint.X, dy = FCurrentPoint.Y - FStartPoint.Y;
  FDragRect = {FStartRect.Left + dx, FStartRect.Top + dy, FStartRect.Right + dx, FStartRect.Bottom + dy};
  DrawDragRect();
}

TPoint TDragControl::EndDragging() {
  if (FDragging) {
    FDragging = false;
    DrawDragRect();
    SetCaptureControl(nullptr);
    FControl = nullptr;
    HDC dc = FCanvas->GetHandle();
    FCanvas->SetHandle(0);
    ReleaseDC(GetDesktopWindow(), dc);
    FreeAndNil(FCanvas);
  }
  return {FCurrentPoint.X - FStartPoint.X, FCurrentPoint.Y - FStartPoint.Y};
}
