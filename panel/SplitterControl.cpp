// The splitter's sizing line on the form and the bounds it moves in.
#include "SplitterControl.h"

#include "DragControl.h"

IMPLEMENT_CLASS(TSplitterControl, TObject)

// A sizing still open when the panel goes gives the form's context and the mouse back.
void TSplitterControl::Destroy() {
  if (GetSizing()) EndSizing();
  inherited::Destroy();
}

void TSplitterControl::BeginSizing(bool Horizontal, Integer MinPos, Integer MaxPos, TCustomForm* AForm, bool ShowLine) {
  if (GetSizing()) EndSizing();
  FForm = AForm;
  FMinPos = MinPos;
  FMaxPos = MaxPos;
  FShowLine = ShowLine;
  SetCaptureControl(FControl);
  FHorizontal = Horizontal;
  FPosition = {0, 0};
  // Not clipped to the form's children, so the line shows across them.
  TCanvas* canvas = FForm->GetCanvas();
  canvas->SetHandle(GetDCEx(FForm->GetHandle(), 0, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE));
  canvas->GetPen()->SetColor(clWhite);
  canvas->GetPen()->SetWidth(FHorizontal ? FControl->GetHeight() : FControl->GetWidth());
  canvas->GetPen()->SetMode(pmXor);
  DrawSizingLine();
}

void TSplitterControl::DrawSizingLine() {
  if (!FShowLine) return;
  TCanvas* canvas = FForm->GetCanvas();
  const TPoint p1 = CToC(FForm, FControl, FPosition);
  canvas->MoveTo(p1.X, p1.Y);
  if (FHorizontal) {
    const TPoint p2 = CToC(FForm, FControl, {FControl->GetWidth(), 0});
    canvas->LineTo(p2.X, p1.Y);
  } else {
    const TPoint p2 = CToC(FForm, FControl, {0, FControl->GetHeight()});
    canvas->LineTo(p1.X, p2.Y);
  }
}

void TSplitterControl::ChangeSizing(Integer X, Integer Y) {
  if (!GetSizing()) return;
  DrawSizingLine();
  Integer& pos = FHorizontal ? FPosition.Y : FPosition.X;
  pos = FHorizontal ? Y : X;
  if (pos < FMinPos)
    pos = FMinPos;
  else if (pos > FMaxPos)
    pos = FMaxPos;
  DrawSizingLine();
}

Integer TSplitterControl::GetCurrentSize() const {
  const TPoint p = CToC(FPanel, FControl, FPosition);
  return FHorizontal ? p.Y : p.X;
}

Integer TSplitterControl::EndSizing() {
  if (!GetSizing()) return GetCurrentSize();
  DrawSizingLine();
  const Integer result = GetCurrentSize();
  SetCaptureControl(nullptr);
  TCanvas* canvas = FForm->GetCanvas();
  HDC dc = canvas->GetHandle();
  canvas->SetHandle(0);
  ReleaseDC(FForm->GetHandle(), dc);
  FForm = nullptr;
  return result;
}
