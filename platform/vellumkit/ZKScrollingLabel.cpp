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
}

void TZKScrollingLabel::Destroy() { inherited::Destroy(); }

void TZKScrollingLabel::SetText(const String& s) {
  FOffset = 0;
  TGraphicControl::SetText(s);
  Invalidate();
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
