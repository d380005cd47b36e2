// Title-bar buttons: the speed button's face and glyph, then the own caption over them.
#include "TitleBarButton.h"

static const TPropInfo TitleBarButtonProps[] = {
    PUBLISHED_STR(TTitleBarButton, "Caption", GetCaption, SetCaption),
    PUBLISHED_ENUM(TTitleBarButton, "Vertical", GetVertical, SetVertical, NoDefault),
};
IMPLEMENT_COMPONENT_CLASS_PROPS(TTitleBarButton, TSpeedButton, TitleBarButtonProps)

TTitleBarButton::TTitleBarButton(TComponent* AOwner) : TSpeedButton(AOwner) {
  GetFont()->SetName("Arial");
  GetFont()->SetSize(7);
}

void TTitleBarButton::SetCaption(const String& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  if (!FCaption.empty()) {
    TControl::SetCaption(" ");
  } else {
    TControl::SetCaption("");
    SetSpacing(0);
  }
  Refresh();
}

void TTitleBarButton::SetVertical(bool Value) {
  if (Value == FVertical) return;
  FVertical = Value;
  Refresh();
}

void TTitleBarButton::Paint() {
  inherited::Paint();
  TRect r = GetClientRect();
  TCanvas* canvas = GetCanvas();
  canvas->GetFont()->Assign(GetFont());
  // The canvas sets the background mode from its brush with each text it draws.
  canvas->GetBrush()->SetStyle(bsClear);
  SetBkMode(canvas->GetHandle(), TRANSPARENT);
  Integer xo = 0, yo = 0;
  const TBitmap* glyph = GetGlyph();
  if (!glyph->Empty()) {
    // The speed button's caption is one blank this far from the glyph: the glyph goes to the
    // Layout end, and the caption here is centred in what remains. A changed Spacing paints
    // once more, after which it stays.
    if (FVertical) {
      SetSpacing(GetHeight() - glyph->GetHeight() - 16);
      if (GetLayout() == blGlyphTop) {
        r.Top += glyph->GetHeight();
        yo = glyph->GetHeight();
      } else if (GetLayout() == blGlyphBottom) {
        r.Bottom -= glyph->GetHeight();
      }
    } else {
      SetSpacing(GetWidth() - glyph->GetWidth() - 6);
      if (GetLayout() == blGlyphLeft) {
        r.Left += glyph->GetWidth();
        xo = glyph->GetWidth();
      } else if (GetLayout() == blGlyphRight) {
        r.Right -= glyph->GetWidth();
      }
    }
  }
  if (!FCaption.empty()) PaintCaption(r, xo, yo);
}

// Disabled: embossed, a highlight copy one pixel right and down under the grey text. Pressed:
// one pixel right and down.
void TTitleBarButton::PaintCaption(TRect r, Integer xo, Integer yo) {
  TCanvas* canvas = GetCanvas();
  const bool disabled = GetState() == bsDisabled, pressed = GetDown() || GetState() == bsDown;
  if (FVertical) {
    HDC dc = canvas->GetHandle();
    LOGFONTA lf;
    GetObjectA(canvas->GetFont()->GetHandle(), sizeof lf, &lf);
    lf.lfEscapement = 900;  // reads from bottom to top
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    const Integer tw = canvas->TextWidth(FCaption), th = canvas->TextHeight(FCaption);
    // (x, y) is where the turned text starts: its bottom-left corner.
    Integer x = xo + (r.Width() - th) / 2 + 1, y = yo + (r.Height() + tw) / 2;
    HFONT turned = CreateFontIndirectA(&lf);
    HGDIOBJ previous = SelectObject(dc, turned);
    const int length = static_cast<int>(FCaption.size());
    if (disabled) {
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      TextOutA(dc, x + 1, y + 1, FCaption.c_str(), length);
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else if (pressed) {
      ++x;
      ++y;
    }
    TextOutA(dc, x, y, FCaption.c_str(), length);
    SelectObject(dc, previous);
    DeleteObject(turned);
    return;
  }
  Integer y = yo + (r.Height() - canvas->TextHeight(FCaption)) / 2;
  Integer x = xo + (r.Width() - canvas->TextWidth(FCaption)) / 2;
  if (disabled) {
    canvas->GetFont()->SetColor(clBtnHighlight);
    canvas->TextOut(x + 1, y + 1, FCaption);
    canvas->GetFont()->SetColor(clGrayText);
  } else if (pressed) {
    ++x;
    ++y;
  }
  canvas->TextOut(x, y, FCaption);
}
