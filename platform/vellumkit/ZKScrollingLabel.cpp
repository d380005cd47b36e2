// The marquee label.
#include "ZKScrollingLabel.h"

#include <cstring>

#include "../vcl/Filer.h"

IMPLEMENT_ENUM_INFO(TScrollDirection, "sdRightToLeft", "sdLeftToRight")

static const TPropInfo ScrollingLabelProps[] = {
    PUBLISHED_ENUM(TZKScrollingLabel, "Autosize", GetAutosize, SetAutosize, NoDefault),
    PUBLISHED_ENUM(TZKScrollingLabel, "Enabled", GetEnabled, SetEnabled, true),
    PUBLISHED_OBJECT(TZKScrollingLabel, "Font", GetFont),
    PUBLISHED_ENUM(TZKScrollingLabel, "ScrollDirection", GetScrollDirection, SetScrollDirection, NoDefault),
    PUBLISHED_STR(TZKScrollingLabel, "Text", GetText, SetText),
    PUBLISHED_ENUM(TZKScrollingLabel, "Visible", GetVisible, SetVisible, true),
};

IMPLEMENT_COMPONENT_CLASS_PROPS(TZKScrollingLabel, TGraphicControl, ScrollingLabelProps)

static const TClassRegistration ZKScrollingLabelClasses{TZKScrollingLabel::StaticClass()};

TZKScrollingLabel::TZKScrollingLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 100;
  FHeight = 13;
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(ScrollInterval);
  FTimer->SetOnTimer(MethodOf<&TZKScrollingLabel::TimerTick>(this));
}

void TZKScrollingLabel::Destroy() {
  FTimer->SetEnabled(false);
  inherited::Destroy();
}

void TZKScrollingLabel::SetText(const String& s) {
  FOffset = 0;
  TGraphicControl::SetText(s);
  Invalidate();
  UpdateScrolling();
}

void TZKScrollingLabel::SetParent(TWinControl* AParent) {
  TGraphicControl::SetParent(AParent);
  UpdateScrolling();
}

void TZKScrollingLabel::SetVisible(bool v) {
  TGraphicControl::SetVisible(v);
  UpdateScrolling();
}

void TZKScrollingLabel::UpdateScrolling() {
  FTimer->SetEnabled(!FText.empty() && FVisible && FParent && !GetComponentState().Contains(csDestroying));
}

void TZKScrollingLabel::TimerTick(TObject*) { Tick(); }

void TZKScrollingLabel::Paint() {
  const TRect r = GetClientRect();
  FCanvas->GetBrush()->SetColor(FColor);
  FCanvas->GetBrush()->SetStyle(bsSolid);
  FCanvas->FillRect(r);
  FCanvas->GetFont()->Assign(FFont);
  FCanvas->GetBrush()->SetStyle(bsClear);
  FCanvas->TextExtent("");  // selects the font and its colour
  const String shown = GetVisibleText();
  TRect text = r;
  DrawTextA(FCanvas->GetHandle(), shown.c_str(), static_cast<int>(shown.size()), &text,
            DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_VCENTER);
}

void TZKScrollingLabel::SetAutosize(bool v) {
  if (FAutosize == v) return;
  FAutosize = v;
  AdjustBounds();
}

void TZKScrollingLabel::AdjustBounds() {
  if (FAutosize) SetHeight(EstimateTextExtent(FFont, " ").Y);
}

void TZKScrollingLabel::FontChanged(TObject* Sender) {
  TGraphicControl::FontChanged(Sender);
  AdjustBounds();
}

Integer TZKScrollingLabel::LoopLength() const {
  return FText.empty() ? 0 : static_cast<Integer>(FText.size() + std::strlen(ScrollGap));
}

void TZKScrollingLabel::Tick() {
  Integer length = LoopLength();
  if (length == 0) return;
  FOffset = (FScrollDirection == sdRightToLeft ? FOffset + 1 : FOffset + length - 1) % length;
  Invalidate();
}

String TZKScrollingLabel::GetVisibleText() const {
  if (FText.empty()) return String();
  String loop = FText + ScrollGap;
  return loop.substr(static_cast<size_t>(FOffset)) + loop.substr(0, static_cast<size_t>(FOffset));
}
