// The third-party package's label.
#include "RzLabel.h"

#include "platform/vcl/Filer.h"

IMPLEMENT_ENUM_INFO(TFrameStyle, "fsNone", "fsFlat", "fsGroove", "fsBump", "fsLowered", "fsButtonDown", "fsRaised",
                    "fsButtonUp", "fsStatus", "fsPopup")
IMPLEMENT_ENUM_INFO(TSide, "sdLeft", "sdTop", "sdRight", "sdBottom")

static const TPropInfo RzLabelProps[] = {
    PUBLISHED_INT_DEFAULT(TRzLabel, "BevelWidth", GetBevelWidth, SetBevelWidth, 1),
    PUBLISHED_SET(TRzLabel, "FrameSides", GetFrameSides, SetFrameSides, sdAllSides.Bits()),
    PUBLISHED_ENUM(TRzLabel, "FrameStyle", GetFrameStyle, SetFrameStyle, fsNone),
};

IMPLEMENT_COMPONENT_CLASS_PROPS(TRzLabel, TLabel, RzLabelProps)

static const TClassRegistration RzLabelClasses{TRzLabel::StaticClass()};

void TRzLabel::SetBevelWidth(Integer v) {
  if (v < 0) v = 0;
  if (FBevelWidth == v) return;
  FBevelWidth = v;
  Invalidate();
}

void TRzLabel::SetFrameSides(TSides v) {
  if (FFrameSides == v) return;
  FFrameSides = v;
  Invalidate();
}

void TRzLabel::SetFrameStyle(TFrameStyle v) {
  if (FFrameStyle == v) return;
  FFrameStyle = v;
  Invalidate();
}

void TRzLabel::DrawSides(TRect& Rect, TColor TopColor, TColor BottomColor) {
  TCanvas* c = GetCanvas();
  auto line = [&](TColor color, TRect r) {
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(color);
    c->FillRect(r);
  };
  const TRect r = Rect;
  if (FFrameSides.Contains(sdLeft)) line(TopColor, {r.Left, r.Top, r.Left + 1, r.Bottom});
  if (FFrameSides.Contains(sdTop)) line(TopColor, {r.Left, r.Top, r.Right, r.Top + 1});
  if (FFrameSides.Contains(sdRight)) line(BottomColor, {r.Right - 1, r.Top, r.Right, r.Bottom});
  if (FFrameSides.Contains(sdBottom)) line(BottomColor, {r.Left, r.Bottom - 1, r.Right, r.Bottom});
  Rect = {r.Left + (FFrameSides.Contains(sdLeft) ? 1 : 0), r.Top + (FFrameSides.Contains(sdTop) ? 1 : 0),
          r.Right - (FFrameSides.Contains(sdRight) ? 1 : 0), r.Bottom - (FFrameSides.Contains(sdBottom) ? 1 : 0)};
}

void TRzLabel::Paint() {
  TLabel::Paint();
  TRect r = GetClientRect();
  switch (FFrameStyle) {
    case fsNone:
      break;
    case fsFlat:
      DrawSides(r, clBtnShadow, clBtnShadow);
      break;
    case fsGroove:
      DrawSides(r, clBtnShadow, clBtnHighlight);
      DrawSides(r, clBtnHighlight, clBtnShadow);
      break;
    case fsBump:
      DrawSides(r, clBtnHighlight, clBtnShadow);
      DrawSides(r, clBtnShadow, clBtnHighlight);
      break;
    case fsLowered:
    case fsStatus:
      for (Integer i = 0; i < (FFrameStyle == fsStatus ? 1 : FBevelWidth); ++i) DrawSides(r, clBtnShadow, clBtnHighlight);
      break;
    case fsRaised:
    case fsPopup:
      for (Integer i = 0; i < (FFrameStyle == fsPopup ? 1 : FBevelWidth); ++i) DrawSides(r, clBtnHighlight, clBtnShadow);
      break;
    case fsButtonDown:
      DrawSides(r, cl3DDkShadow, clBtnHighlight);
      DrawSides(r, clBtnShadow, clBtnFace);
      break;
    case fsButtonUp:
      DrawSides(r, clBtnHighlight, cl3DDkShadow);
      DrawSides(r, clBtnFace, clBtnShadow);
      break;
  }
}
