// The title bar: painting along any side, and the drag events.
#include "TitleBar.h"

#include <cstdlib>

IMPLEMENT_ENUM_INFO(TTitleBarAlign, "talLeft", "talRight", "talTop", "talBottom")

static const TPropInfo TitleBarProps[] = {
    PUBLISHED_ENUM(TTitleBar, "Align", GetAlign, SetAlign, alNone),
    PUBLISHED_STR(TTitleBar, "Caption", GetCaption, SetCaption),
    PUBLISHED_IDENT_INT(TTitleBar, "Color", GetColor, SetColor, &TColor_TypeInfo, clBtnFace),
    PUBLISHED_OBJECT(TTitleBar, "Font", GetFont),
    PUBLISHED_REFERENCE(TTitleBar, "PopupMenu", GetPopupMenu, SetPopupMenu),
    PUBLISHED_ENUM(TTitleBar, "Visible", GetVisible, SetVisible, true),
    PUBLISHED_ENUM(TTitleBar, "ShowHint", GetShowHint, SetShowHint, NoDefault),
    PUBLISHED_ENUM(TTitleBar, "DragAllowed", GetDragAllowed, SetDragAllowed, NoDefault),
    PUBLISHED_EVENT(TTitleBar, "OnTitleBarStartDrag", OnTitleBarStartDrag),
    PUBLISHED_EVENT(TTitleBar, "OnTitleBarEndDrag", OnTitleBarEndDrag),
    PUBLISHED_EVENT(TTitleBar, "OnTitleBarDoDrag", OnTitleBarDoDrag),
    PUBLISHED_EVENT_ACCESSORS(TTitleBar, "OnPaint", GetOnPaint, SetOnPaint),
    PUBLISHED_OBJECT(TTitleBar, "Icon", GetIcon),
    PUBLISHED_ENUM(TTitleBar, "Filling", GetFilling, SetFilling, NoDefault),
};
IMPLEMENT_COMPONENT_CLASS_PROPS(TTitleBar, TCustomPanel, TitleBarProps)

TTitleBar::TTitleBar(TComponent* AOwner) : TCustomPanel(AOwner), FIcon(new TIcon()) {
  SetBevelInner(bvNone);
  SetBevelOuter(bvNone);
  GetFont()->SetName("Arial");
}

void TTitleBar::Destroy() {
  FreeAndNil(FIcon);
  inherited::Destroy();
}

void TTitleBar::SetIcon(const TIcon* Value) {
  FIcon->Assign(Value);
  Refresh();
}

void TTitleBar::SetFilling(bool Value) {
  if (Value == FFilling) return;
  if (!FOnPaint && !Value) return;
  FFilling = Value;
  if (Value) Refresh();
}

void TTitleBar::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect r = GetClientRect();
  if (FFilling) {
    canvas->GetBrush()->SetColor(GetColor());
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(r);
  }
  bool cancel = false;
  if (FOnPaint) FOnPaint(this, canvas, cancel);
  if (cancel) return;
  canvas->GetBrush()->SetStyle(bsClear);
  HDC dc = canvas->GetHandle();
  SetBkMode(dc, TRANSPARENT);
  const bool icon = !FIcon->Empty();
  if (icon) {
    const bool across = GetAlign() == alTop || GetAlign() == alBottom;
    DrawIconEx(dc, 0, across ? 0 : GetHeight() - 16, FIcon->GetHandle(), 16, 16, 0, 0, DI_NORMAL);
  }
  canvas->GetFont()->Assign(GetFont());
  if (IsVertical()) {
    DrawVertical(canvas, GetCaption());
    return;
  }
  // One line high and not shortened for the buttons: they cover the end of a long caption.
  const Integer h = canvas->TextHeight("W");
  r.Left = icon ? 22 : 6;
  r.Top = (r.Top + r.Bottom - h) / 2;
  r.Bottom = r.Top + h;
  DrawTextA(dc, GetCaption().c_str(), -1, &r, DT_EXPANDTABS | DT_VCENTER);
}

void TTitleBar::DrawVertical(TCanvas* Canvas, const String& Text) {
  Canvas->GetBrush()->SetStyle(bsClear);
  LOGFONTA lf;
  GetObjectA(Canvas->GetFont()->GetHandle(), sizeof lf, &lf);
  lf.lfEscapement = 900;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  const Integer y = GetHeight() - 6 - (FIcon->Empty() ? 0 : 16);
  const Integer x = (GetWidth() - Canvas->TextHeight(Text)) / 2;
  HDC dc = Canvas->GetHandle();
  HFONT turned = CreateFontIndirectA(&lf);
  HGDIOBJ previous = SelectObject(dc, turned);
  TextOutA(dc, x, y, Text.c_str(), static_cast<int>(Text.size()));
  SelectObject(dc, previous);
  DeleteObject(turned);
}

void TTitleBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (!FDragAllowed) return;
  FDragStartX = X;
  FDragStartY = Y;
}

void TTitleBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (!FDragAllowed || FDragStartX == -1 || FDragStartY == -1) return;
  if (FDragging) {
    if (OnTitleBarDoDrag) OnTitleBarDoDrag(this, X, Y);
  } else if ((std::abs(X - FDragStartX) > 5 || std::abs(Y - FDragStartY) > 5) && OnTitleBarStartDrag) {
    OnTitleBarStartDrag(this, X, Y);
    FDragging = true;
  }
}

void TTitleBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (FDragAllowed && FDragging && OnTitleBarEndDrag) OnTitleBarEndDrag(this, X, Y);
  FDragging = false;
  FDragStartX = FDragStartY = -1;
}
