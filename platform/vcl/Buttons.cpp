// Bitmap buttons, speed buttons, and the glyph layout and drawing they share.
#include "Buttons.h"

#include <algorithm>
#include <vector>

#include "Filer.h"
#include "Forms.h"

IMPLEMENT_ENUM_INFO(TBitBtnKind, "bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry",
                    "bkIgnore", "bkAll")

// A kind's glyph is the kind's to make again: a form stores only a custom one.
static const TPropInfo BitBtnProps[] = {
    TPropInfo{.Name = "Glyph", .Kind = tkClass, .GetOrd = nullptr, .SetOrd = nullptr, .GetStr = nullptr, .SetStr = nullptr,
              .PropType = &ClassTypeInfo<TBitmap>,
              .IsStored = [](const TObject* o) -> bool { return static_cast<const TBitBtn*>(o)->GetKind() == bkCustom; },
              .GetObj = [](const TObject* o) -> TObject* { return static_cast<const TBitBtn*>(o)->GetGlyph(); }},
    PUBLISHED_ENUM(TBitBtn, "Kind", GetKind, SetKind, bkCustom),
    PUBLISHED_INT_DEFAULT(TBitBtn, "NumGlyphs", GetNumGlyphs, SetNumGlyphs, 1),
};

IMPLEMENT_COMPONENT_CLASS_PROPS(TBitBtn, TButton, BitBtnProps)
IMPLEMENT_COMPONENT_CLASS(TSpeedButton, TGraphicControl)

static const TClassRegistration ButtonsClasses{TBitBtn::StaticClass(), TSpeedButton::StaticClass()};

HMODULE VclModule() { return GetModuleHandleA("VCL"); }

// ---- glyph layout and drawing --------------------------------------------------------------

TButtonLayoutResult CalcButtonLayout(TCanvas* Canvas, const TRect& Client, TPoint Offset, const String& Caption,
                                     TButtonLayout Layout, Integer Margin, Integer Spacing, TPoint GlyphSize) {
  TPoint text{0, 0};
  Canvas->TextExtent("");  // the canvas's font selected
  if (!Caption.empty()) {
    TRect r{0, 0, Client.Width(), 0};
    DrawTextA(Canvas->GetHandle(), Caption.c_str(), static_cast<int>(Caption.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    text = {r.Width(), r.Height()};
  }
  const TPoint size{Client.Width(), Client.Height()};
  TPoint glyph, textPos;
  const bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  // The cross axis: each centred on its own.
  if (horizontal) {
    glyph.Y = (size.Y - GlyphSize.Y + 1) / 2;
    textPos.Y = (size.Y - text.Y + 1) / 2;
  } else {
    glyph.X = (size.X - GlyphSize.X + 1) / 2;
    textPos.X = (size.X - text.X + 1) / 2;
  }
  if (Caption.empty() || GlyphSize.X == 0) Spacing = 0;
  const Integer axis = horizontal ? size.X : size.Y;
  const Integer g = horizontal ? GlyphSize.X : GlyphSize.Y, t = horizontal ? text.X : text.Y;
  if (Margin == -1) {
    if (Spacing == -1) {
      Margin = Spacing = (axis - (g + t)) / 3;
    } else {
      Margin = (axis - (g + Spacing + t) + 1) / 2;
    }
  } else if (Spacing == -1) {
    Spacing = (axis - (Margin + g) - t) / 2;
  }
  switch (Layout) {
    case blGlyphLeft:
      glyph.X = Margin;
      textPos.X = glyph.X + GlyphSize.X + Spacing;
      break;
    case blGlyphRight:
      glyph.X = size.X - Margin - GlyphSize.X;
      textPos.X = glyph.X - Spacing - text.X;
      break;
    case blGlyphTop:
      glyph.Y = Margin;
      textPos.Y = glyph.Y + GlyphSize.Y + Spacing;
      break;
    case blGlyphBottom:
      glyph.Y = size.Y - Margin - GlyphSize.Y;
      textPos.Y = glyph.Y - Spacing - text.Y;
      break;
  }
  TButtonLayoutResult result;
  result.GlyphPos = {glyph.X + Client.Left + Offset.X, glyph.Y + Client.Top + Offset.Y};
  const TPoint at{textPos.X + Client.Left + Offset.X, textPos.Y + Client.Top + Offset.Y};
  result.TextBounds = {at.X, at.Y, at.X + text.X, at.Y + text.Y};
  return result;
}

void DrawButtonGlyph(TCanvas* Canvas, TBitmap* Glyph, Integer NumGlyphs, TButtonState State, bool Transparent, TPoint Pos) {
  if (!Glyph || Glyph->Empty() || NumGlyphs < 1) return;
  const Integer w = Glyph->GetWidth() / NumGlyphs, h = Glyph->GetHeight();
  Integer cell = State;
  if (State == bsDown && NumGlyphs < 3) cell = bsUp;
  if (cell >= NumGlyphs) cell = 0;
  const bool emboss = State == bsDisabled && NumGlyphs == 1;
  // The cell's pixels, read once; its bottom-left pixel is the transparent colour.
  TCanvas* src = Glyph->GetCanvas();
  std::vector<COLORREF> px(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) px[static_cast<size_t>(y * w + x)] = static_cast<COLORREF>(src->GetPixel(cell * w + x, y));
  const COLORREF key = Glyph->GetMonochrome() ? RGB(255, 255, 255) : px[static_cast<size_t>((h - 1) * w)];
  const COLORREF face = ColorToRGB(clBtnFace), light = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow);
  HDC dc = Canvas->GetHandle();
  if (emboss) {
    // A monochrome picture of the glyph: highlight one pixel down and right, shadow over it.
    // White counts as background, as when the original turns the glyph monochrome.
    for (int pass = 0; pass < 2; ++pass)
      for (Integer y = 0; y < h; ++y)
        for (Integer x = 0; x < w; ++x) {
          COLORREF c = px[static_cast<size_t>(y * w + x)];
          if (c == key || c == RGB(255, 255, 255)) continue;
          SetPixel(dc, Pos.X + x + (pass == 0 ? 1 : 0), Pos.Y + y + (pass == 0 ? 1 : 0), pass == 0 ? light : shadow);
        }
    return;
  }
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      COLORREF c = px[static_cast<size_t>(y * w + x)];
      if (State == bsDisabled) {
        // A glyph's own disabled cell is recoloured into the button's colours.
        if (c == RGB(255, 255, 255)) c = light;
        else if (c == RGB(128, 128, 128)) c = shadow;
      }
      if (c == key) {
        if (Transparent) continue;
        c = face;
      }
      SetPixel(dc, Pos.X + x, Pos.Y + y, c);
    }
}

namespace {

struct TKindInfo {
  const char* Caption;
  TModalResult Result;
  const char* GlyphName;
};
// Indexed by TBitBtnKind.
constexpr TKindInfo kKinds[] = {
    {nullptr, mrNone, nullptr},   {"OK", mrOk, "BBOK"},           {"Cancel", mrCancel, "BBCANCEL"},
    {"&Help", mrNone, "BBHELP"},  {"&Yes", mrYes, "BBYES"},       {"&No", mrNo, "BBNO"},
    {"&Close", mrNone, "BBCLOSE"}, {"Abort", mrAbort, "BBABORT"}, {"&Retry", mrRetry, "BBRETRY"},
    {"&Ignore", mrIgnore, "BBIGNORE"}, {"&All", mrAll, "BBALL"}};

bool IsDefaultKind(TBitBtnKind k) { return k == bkOK || k == bkYes; }
bool IsCancelKind(TBitBtnKind k) { return k == bkCancel || k == bkNo; }

}  // namespace

TBitBtnKind TBitBtn::GetKind() const {
  if (FKind == bkCustom) return bkCustom;
  if (IsDefaultKind(FKind) != GetDefault() || IsCancelKind(FKind) != GetCancel() ||
      GetModalResult() != kKinds[FKind].Result || FModifiedGlyph)
    return bkCustom;
  return FKind;
}

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(new TBitmap()) {
  FGlyph->OnChange = MethodOf<&TBitBtn::GlyphChanged>(this);
}

void TBitBtn::Destroy() {
  FreeAndNil(FGlyph);
  inherited::Destroy();
}

TBitBtn::~TBitBtn() {
  if (FGlyph) FGlyph->Free();
}

void TBitBtn::GlyphChanged(TObject*) {
  if (!FLoadingStockGlyph) FModifiedGlyph = true;
  Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind v) {
  if (v == FKind) return;
  if (v != bkCustom) {
    SetDefault(IsDefaultKind(v));
    SetCancel(IsCancelKind(v));
    if (!GetComponentState().Contains(csLoading) || GetCaption().empty()) SetCaption(kKinds[v].Caption);
    SetModalResult(kKinds[v].Result);
    FLoadingStockGlyph = true;
    try {
      FGlyph->LoadFromResourceName(VclModule(), kKinds[v].GlyphName);
    } catch (const Exception&) {
      // A glyph that cannot be read leaves the button with its caption alone.
      FGlyph->SetHandle(0);
    }
    FLoadingStockGlyph = false;
    FNumGlyphs = 2;
    FModifiedGlyph = false;
  }
  FKind = v;
  Invalidate();
}

void TBitBtn::SetNumGlyphs(Integer v) {
  v = v < 1 ? 1 : v > 4 ? 4 : v;
  if (v == FNumGlyphs) return;
  FNumGlyphs = v;
  Invalidate();
}

void TBitBtn::PaintFace(TCanvas* Canvas, const TRect& Face, bool Pressed) {
  if (FGlyph->Empty()) {
    TButton::PaintFace(Canvas, Face, Pressed);
    return;
  }
  const Integer cells = std::clamp<Integer>(FNumGlyphs, 1, 4);
  const TPoint size{FGlyph->GetWidth() / cells, FGlyph->GetHeight()};
  const TPoint offset = Pressed ? TPoint{1, 1} : TPoint{0, 0};
  Canvas->GetFont()->Assign(FFont);
  Canvas->TextExtent("");
  TButtonLayoutResult at = CalcButtonLayout(Canvas, Face, offset, FText, blGlyphLeft, -1, 4, size);
  DrawButtonGlyph(Canvas, FGlyph, cells, !FEnabled ? bsDisabled : Pressed ? bsDown : bsUp, true, at.GlyphPos);
  DrawCaption(Canvas, FText, at.TextBounds, DT_CENTER | DT_VCENTER | DT_SINGLELINE, FEnabled);
}

void TBitBtn::Click() {
  if (GetKind() == bkClose) {
    if (TCustomForm* form = GetParentForm(this)) {
      form->Close();
      return;
    }
  }
  TButton::Click();
}

// ---- TSpeedButton --------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(new TBitmap()) {
  FWidth = 23;
  FHeight = 22;
  // No csClickEvents: the button raises Click itself, after its Down changed.
  FControlStyle = {csCaptureMouse, csDoubleClicks};
  FColor = clBtnFace;
}

void TSpeedButton::Destroy() {
  FreeAndNil(FGlyph);
  inherited::Destroy();
}

void TSpeedButton::SetGlyph(const TBitmap* glyph) {
  FGlyph->Assign(glyph);
  if (!FGlyph->Empty() && FGlyph->GetHeight() > 0 && FGlyph->GetWidth() % FGlyph->GetHeight() == 0) {
    Integer n = FGlyph->GetWidth() / FGlyph->GetHeight();
    SetNumGlyphs(n > 4 ? 1 : n);
  }
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(Integer v) {
  v = std::clamp<Integer>(v, 1, 4);
  if (v == FNumGlyphs) return;
  FNumGlyphs = v;
  Invalidate();
}

void TSpeedButton::SetGroupIndex(Integer v) {
  if (FGroupIndex == v) return;
  FGroupIndex = v;
  UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool v) {
  if (FAllowAllUp == v) return;
  FAllowAllUp = v;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool v) {
  if (FGroupIndex == 0) v = false;
  if (v == FDown) return;
  // The last button of a group cannot be let up unless AllowAllUp.
  if (FDown && !FAllowAllUp) return;
  FDown = v;
  if (v) {
    if (FState == bsUp) Invalidate();
    FState = bsExclusive;
    UpdateExclusive();
  } else {
    FState = bsUp;
    Repaint();
  }
}

void TSpeedButton::SetFlat(bool v) {
  if (FFlat == v) return;
  FFlat = v;
  Invalidate();
}
void TSpeedButton::SetLayout(TButtonLayout v) {
  if (FLayout == v) return;
  FLayout = v;
  Invalidate();
}
void TSpeedButton::SetMargin(Integer v) {
  if (v < -1 || v == FMargin) return;
  FMargin = v;
  Invalidate();
}
void TSpeedButton::SetSpacing(Integer v) {
  if (v == FSpacing) return;
  FSpacing = v;
  Invalidate();
}
void TSpeedButton::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  if (v)
    FControlStyle.Exclude(csOpaque);
  else
    FControlStyle.Include(csOpaque);
  Invalidate();
}

// The group hears of a change through its parent only: wParam the group, lParam the sender's
// index among the parent's controls (a 32-bit message cannot carry the object itself).
void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !FParent) return;
  Integer self = -1;
  for (Integer i = 0; i < FParent->GetControlCount(); ++i)
    if (FParent->GetControl(i) == this) self = i;
  for (Integer i = 0; i < FParent->GetControlCount(); ++i)
    if (FParent->GetControl(i)->Perform(CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), self) != 0) break;
}

bool TSpeedButton::Inside(Integer X, Integer Y) const {
  // The class library's test, with <= at the bottom.
  return X >= 0 && X < FWidth && Y >= 0 && Y <= FHeight;
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !FEnabled) return;
  if (!FDown) {
    FState = bsDown;
    Invalidate();
  }
  FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  TButtonState state = FDown ? bsExclusive : bsUp;
  if (Inside(X, Y)) state = FDown ? bsExclusive : bsDown;
  if (state != FState) {
    FState = state;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!FDragging) return;
  FDragging = false;
  const bool doClick = Inside(X, Y);
  if (FGroupIndex == 0) {
    FState = bsUp;
    FMouseInControl = false;
    Invalidate();
  } else if (doClick) {
    SetDown(!FDown);
    if (FDown) Repaint();
  } else {
    if (FDown) FState = bsExclusive;
    Repaint();
  }
  if (doClick) Click();
}

// A double click means something only to a button that stays down.
void TSpeedButton::DblClick() {
  if (FDown) TGraphicControl::DblClick();
}

void TSpeedButton::Paint() {
  if (!FEnabled) {
    FState = bsDisabled;
    FDragging = false;
  } else if (FState == bsDisabled) {
    FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
  }
  TCanvas* c = FCanvas;
  c->GetFont()->Assign(FFont);
  HDC dc = c->GetHandle();
  TRect r{0, 0, FWidth, FHeight};
  const bool down = FState == bsDown || FState == bsExclusive;
  if (!FFlat) {
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (down ? DFCS_PUSHED : 0));
  } else {
    if (down || (FMouseInControl && FState != bsDisabled)) {
      DrawEdge(dc, &r, down ? BDR_SUNKENINNER : BDR_RAISEDINNER, BF_RECT | (FTransparent ? 0 : BF_MIDDLE));
    } else if (!FTransparent) {
      c->GetBrush()->SetColor(FColor);
      c->GetBrush()->SetStyle(bsSolid);
      c->FillRect(r);
    }
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  if (FState == bsExclusive && (!FFlat || !FMouseInControl)) {
    // The stay-down face: a dither of face and highlight.
    for (Integer y = r.Top; y < r.Bottom; ++y)
      for (Integer x = r.Left; x < r.Right; ++x) SetPixel(dc, x, y, ColorToRGB((x + y) % 2 ? clBtnHighlight : clBtnFace));
  }
  const TPoint offset = down ? TPoint{1, 1} : TPoint{0, 0};
  const Integer cells = FNumGlyphs;
  const TPoint size = FGlyph->Empty() ? TPoint{0, 0} : TPoint{FGlyph->GetWidth() / cells, FGlyph->GetHeight()};
  c->TextExtent("");
  TButtonLayoutResult at = CalcButtonLayout(c, r, offset, FText, FLayout, FMargin, FSpacing, size);
  DrawButtonGlyph(c, FGlyph, cells, FState, FTransparent || FState == bsExclusive, at.GlyphPos);
  DrawCaption(c, FText, at.TextBounds, DT_CENTER | DT_VCENTER | DT_SINGLELINE, FState != bsDisabled);
}

void TSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_BUTTONPRESSED: {
      if (static_cast<Integer>(Message.WParam) != FGroupIndex || !FParent) break;
      const Integer index = Message.LParam;
      if (index < 0 || index >= FParent->GetControlCount()) break;
      auto* sender = As<TSpeedButton>(FParent->GetControl(index));
      if (!sender || sender == this) break;
      // A button that stays down lets the others up silently; every one takes AllowAllUp.
      if (sender->FDown && FDown) {
        FDown = false;
        FState = bsUp;
        Invalidate();
      }
      FAllowAllUp = sender->FAllowAllUp;
      return;
    }
    case CM_MOUSEENTER:
      if (FFlat && !FMouseInControl && FEnabled && ::GetCapture() == 0) {
        FMouseInControl = true;
        Repaint();
      }
      return;
    case CM_MOUSELEAVE:
      if (FFlat && FMouseInControl && FEnabled && !FDragging) {
        FMouseInControl = false;
        Invalidate();
      }
      return;
    case CM_ENABLEDCHANGED:
      Repaint();
      return;
    default:
      break;
  }
  TGraphicControl::Dispatch(Message);
}
