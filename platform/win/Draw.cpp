// Drawing through device contexts: rectangles, lines, pattern blits, focus rectangles, 3-D
// edges and frame controls, pixels.
#include <algorithm>
#include <cstdlib>

#include "DeviceContext.h"
#include "RasterOps.h"

namespace {

struct TTarget {
  TDeviceContext* DC = nullptr;
  TSurface* Surface = nullptr;
  explicit operator bool() const { return Surface != nullptr; }
};

TTarget Target(HDC h) {
  TTarget t;
  t.DC = LookupDC(h);
  t.Surface = PrepareDC(t.DC);
  return t;
}

// Fills a surface rectangle with a brush under a ROP2, clipped to the context.
void FillBrush(const TTarget& t, const TRect& r, const TGdiBrush* b, int rop2) {
  if (!b || b->Style == BS_NULL) return;
  if (b->Style == BS_PATTERN) {
    TPattern p{b->Pattern.Width, b->Pattern.Height, b->Pattern.Pixels.data()};
    TPixelMap map;
    if (b->MonoPattern) {
      map.Kind = TPixelMap::pmMonoToColor;
      map.Black = ColorToPixel(t.DC->State.TextColor);
      map.White = ColorToPixel(t.DC->State.BkColor);
    }
    // The brush origin is in device units, not moved by the window origin.
    TPoint origin{t.DC->State.BrushOrg.X + t.DC->Origin.X, t.DC->State.BrushOrg.Y + t.DC->Origin.Y};
    ForEachClipped(t.DC, r, [&](const TRect& part) { FillPattern(*t.Surface, part, p, origin, rop2, map); });
    return;
  }
  TRopMask m = RopMaskOf(rop2, ColorToPixel(b->Color));
  ForEachClipped(t.DC, r, [&](const TRect& part) { FillSpan(*t.Surface, part, m); });
}

void FillColor(const TTarget& t, const TRect& r, COLORREF c, int rop2) {
  TRopMask m = RopMaskOf(rop2, ColorToPixel(c));
  ForEachClipped(t.DC, r, [&](const TRect& part) { FillSpan(*t.Surface, part, m); });
}

const TGdiBrush* BrushOf(HBRUSH h) {
  // Small values name a system colour: index + 1.
  if (h != 0 && h <= static_cast<HBRUSH>(COLOR_MENUBAR + 1)) h = GetSysColorBrush(static_cast<int>(h) - 1);
  return LookupGdi<TGdiBrush>(h, OBJ_BRUSH);
}

COLORREF ColorOfBrush(const TGdiBrush* b) { return b ? b->Color : 0; }

// Pixel by pixel through the clip: for lines and single pixels.
class TClipTest {
 public:
  explicit TClipTest(const TDeviceContext* dc) { FBoxes = dc->DrawArea.Rects(&FCount); }
  bool operator()(int32_t x, int32_t y) {
    if (FLast >= 0) {
      const pixman_box32_t& b = FBoxes[FLast];
      if (x >= b.x1 && x < b.x2 && y >= b.y1 && y < b.y2) return true;
    }
    for (int i = 0; i < FCount; ++i) {
      const pixman_box32_t& b = FBoxes[i];
      if (x >= b.x1 && x < b.x2 && y >= b.y1 && y < b.y2) {
        FLast = i;
        return true;
      }
    }
    return false;
  }

 private:
  const pixman_box32_t* FBoxes = nullptr;
  int FCount = 0, FLast = -1;
};

// A pen's dash pattern: lengths of on and off runs; empty for solid.
struct TDashes {
  int Runs[4] = {};
  int Count = 0;
};
TDashes DashesOf(int style) {
  switch (style) {
    case PS_DASH: return {{18, 6}, 2};
    case PS_DOT: return {{3, 3}, 2};
    case PS_DASHDOT: return {{9, 6, 3, 6}, 4};
    case PS_DASHDOTDOT: return {{9, 3, 3, 3}, 4};
    default: return {};
  }
}

// One pen line in surface coordinates, the end point excluded.
void PenLine(const TTarget& t, TPoint a, TPoint b) {
  const TGdiPen* pen = LookupGdi<TGdiPen>(t.DC->State.Pen, OBJ_PEN);
  if (!pen || pen->Style == PS_NULL || a == b) return;
  const int rop2 = t.DC->State.Rop2;
  const TRopMask on = RopMaskOf(rop2, ColorToPixel(pen->Color));
  const TRopMask off = RopMaskOf(rop2, ColorToPixel(t.DC->State.BkColor));
  const bool opaque = t.DC->State.BkMode == OPAQUE;
  const TDashes dashes = pen->Width > 1 ? TDashes{} : DashesOf(pen->Style);
  const int w = pen->Width;
  // Straight solid lines are rectangles.
  if (dashes.Count == 0 && (a.X == b.X || a.Y == b.Y)) {
    TRect r;
    if (a.Y == b.Y)
      r = a.X < b.X ? TRect{a.X, a.Y, b.X, a.Y + 1} : TRect{b.X + 1, a.Y, a.X + 1, a.Y + 1};
    else
      r = a.Y < b.Y ? TRect{a.X, a.Y, a.X + 1, b.Y} : TRect{a.X, b.Y + 1, a.X + 1, a.Y + 1};
    if (w > 1) r = {r.Left - (w - 1) / 2, r.Top - (w - 1) / 2, r.Right + w / 2, r.Bottom + w / 2};
    ForEachClipped(t.DC, r, [&](const TRect& part) { FillSpan(*t.Surface, part, on); });
    return;
  }
  TClipTest inside(t.DC);
  if (!t.DC->Memory)
    NoteScreenDamage({std::min(a.X, b.X) - (w - 1) / 2, std::min(a.Y, b.Y) - (w - 1) / 2,
                      std::max(a.X, b.X) + w / 2 + 1, std::max(a.Y, b.Y) + w / 2 + 1});
  const int32_t dx = std::abs(b.X - a.X), dy = std::abs(b.Y - a.Y);
  const int32_t sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
  int32_t err = dx - dy;
  int32_t x = a.X, y = a.Y;
  int dashIndex = 0, dashLeft = dashes.Count ? dashes.Runs[0] : 0;
  while (x != b.X || y != b.Y) {
    bool penOn = dashes.Count == 0 || dashIndex % 2 == 0;
    if (penOn || opaque) {
      const TRopMask& m = penOn ? on : off;
      for (int32_t py = y - (w - 1) / 2; py <= y + w / 2; ++py)
        for (int32_t px = x - (w - 1) / 2; px <= x + w / 2; ++px)
          if (inside(px, py)) t.Surface->Row(py)[px] = m.Apply(t.Surface->Row(py)[px]);
    }
    if (dashes.Count && --dashLeft == 0) {
      dashIndex = (dashIndex + 1) % dashes.Count;
      dashLeft = dashes.Runs[dashIndex];
    }
    int32_t e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x += sx;
    }
    if (e2 < dx) {
      err += dx;
      y += sy;
    }
  }
}

}  // namespace

BOOL PatBlt(HDC h, int x, int y, int w, int hgt, DWORD rop) {
  TTarget t = Target(h);
  if (!t) return FALSE;
  TRect r = ToSurface(t.DC, NormalizeRect({x, y, x + w, y + hgt}));
  int rop2 = Rop2FromPatRop(rop);
  const TGdiBrush* b = LookupGdi<TGdiBrush>(t.DC->State.Brush, OBJ_BRUSH);
  if (DrawRecordingOn()) RecordDraw(t.DC, "PatBlt", ToDevice(t.DC, NormalizeRect({x, y, x + w, y + hgt})), ColorOfBrush(b), static_cast<int>(rop));
  if (!RopUsesPattern(rop))
    FillColor(t, r, 0, rop2);
  else
    FillBrush(t, r, b, rop2);
  return TRUE;
}

int FillRect(HDC h, const TRect* r, HBRUSH brush) {
  TTarget t = Target(h);
  const TGdiBrush* b = BrushOf(brush);
  if (!t || !r || !b) return 0;
  if (DrawRecordingOn()) RecordDraw(t.DC, "FillRect", ToDevice(t.DC, *r), b->Color);
  if (!IsRectEmpty(*r)) FillBrush(t, ToSurface(t.DC, *r), b, R2_COPYPEN);
  return 1;
}

int FrameRect(HDC h, const TRect* r, HBRUSH brush) {
  TTarget t = Target(h);
  const TGdiBrush* b = BrushOf(brush);
  if (!t || !r || !b || IsRectEmpty(*r)) return 0;
  if (DrawRecordingOn()) RecordDraw(t.DC, "FrameRect", ToDevice(t.DC, *r), b->Color);
  TRect s = ToSurface(t.DC, *r);
  FillBrush(t, {s.Left, s.Top, s.Right, s.Top + 1}, b, R2_COPYPEN);
  FillBrush(t, {s.Left, s.Bottom - 1, s.Right, s.Bottom}, b, R2_COPYPEN);
  FillBrush(t, {s.Left, s.Top + 1, s.Left + 1, s.Bottom - 1}, b, R2_COPYPEN);
  FillBrush(t, {s.Right - 1, s.Top + 1, s.Right, s.Bottom - 1}, b, R2_COPYPEN);
  return 1;
}

BOOL InvertRect(HDC h, const TRect* r) { return r && PatBlt(h, r->Left, r->Top, r->Width(), r->Height(), DSTINVERT); }

// Outline with the pen, interior with the brush, right and bottom edges excluded; no pixel is
// drawn twice, so XOR rectangles undo themselves.
BOOL Rectangle(HDC h, int l, int tp, int r, int b) {
  TTarget t = Target(h);
  if (!t) return FALSE;
  TRect lr = NormalizeRect({l, tp, r, b});
  const TGdiPen* pen = LookupGdi<TGdiPen>(t.DC->State.Pen, OBJ_PEN);
  const TGdiBrush* brush = LookupGdi<TGdiBrush>(t.DC->State.Brush, OBJ_BRUSH);
  if (DrawRecordingOn()) RecordDraw(t.DC, "Rectangle", ToDevice(t.DC, lr), pen ? pen->Color : 0, t.DC->State.Rop2);
  TRect s = ToSurface(t.DC, lr);
  const int rop2 = t.DC->State.Rop2;
  if (!pen || pen->Style == PS_NULL) {
    FillBrush(t, {s.Left, s.Top, s.Right - 1, s.Bottom - 1}, brush, rop2);
    return TRUE;
  }
  const int w = std::max(1, std::min({pen->Width, s.Width() / 2, s.Height() / 2}));
  if (s.Width() <= 2 * w || s.Height() <= 2 * w) {
    FillColor(t, s, pen->Color, rop2);
    return TRUE;
  }
  FillColor(t, {s.Left, s.Top, s.Right, s.Top + w}, pen->Color, rop2);
  FillColor(t, {s.Left, s.Bottom - w, s.Right, s.Bottom}, pen->Color, rop2);
  FillColor(t, {s.Left, s.Top + w, s.Left + w, s.Bottom - w}, pen->Color, rop2);
  FillColor(t, {s.Right - w, s.Top + w, s.Right, s.Bottom - w}, pen->Color, rop2);
  FillBrush(t, {s.Left + w, s.Top + w, s.Right - w, s.Bottom - w}, brush, rop2);
  return TRUE;
}

BOOL LineTo(HDC h, int x, int y) {
  TTarget t = Target(h);
  if (!t) return FALSE;
  TPoint from = t.DC->State.Pos;
  if (DrawRecordingOn()) {
    const TGdiPen* pen = LookupGdi<TGdiPen>(t.DC->State.Pen, OBJ_PEN);
    RecordDraw(t.DC, "LineTo", ToDevice(t.DC, {from.X, from.Y, x, y}), pen ? pen->Color : 0, t.DC->State.Rop2);
  }
  PenLine(t, ToSurface(t.DC, from.X, from.Y), ToSurface(t.DC, x, y));
  t.DC->State.Pos = {x, y};
  return TRUE;
}

BOOL Polyline(HDC h, const TPoint* points, int count) {
  TTarget t = Target(h);
  if (!t || !points || count < 2) return FALSE;
  for (int i = 1; i < count; ++i)
    PenLine(t, ToSurface(t.DC, points[i - 1].X, points[i - 1].Y), ToSurface(t.DC, points[i].X, points[i].Y));
  return TRUE;
}

// Four inverted strips of the gray checkerboard: top and bottom full width, the sides between
// them, so no pixel is inverted twice and a second call restores every pixel.
BOOL DrawFocusRect(HDC h, const TRect* r) {
  TTarget t = Target(h);
  if (!t || !r) return FALSE;
  if (DrawRecordingOn()) RecordDraw(t.DC, "DrawFocusRect", ToDevice(t.DC, *r), 0, static_cast<int>(PATINVERT));
  const TGdiBrush* gray = LookupGdi<TGdiBrush>(HalftoneBrush(), OBJ_BRUSH);
  COLORREF text = t.DC->State.TextColor, bk = t.DC->State.BkColor;
  t.DC->State.TextColor = 0;
  t.DC->State.BkColor = 0xFFFFFF;
  TRect s = ToSurface(t.DC, NormalizeRect(*r));
  const int rop2 = Rop2FromPatRop(PATINVERT);
  if (s.Height() <= 2) {
    FillBrush(t, s, gray, rop2);
  } else {
    FillBrush(t, {s.Left, s.Top, s.Right, s.Top + 1}, gray, rop2);
    FillBrush(t, {s.Left, s.Bottom - 1, s.Right, s.Bottom}, gray, rop2);
    FillBrush(t, {s.Left, s.Top + 1, s.Left + 1, s.Bottom - 1}, gray, rop2);
    if (s.Width() > 1) FillBrush(t, {s.Right - 1, s.Top + 1, s.Right, s.Bottom - 1}, gray, rop2);
  }
  t.DC->State.TextColor = text;
  t.DC->State.BkColor = bk;
  return TRUE;
}

COLORREF SetPixel(HDC h, int x, int y, COLORREF c) {
  TTarget t = Target(h);
  if (!t) return CLR_INVALID;
  TPoint p = ToSurface(t.DC, x, y);
  if (!t.DC->DrawArea.Contains(p.X, p.Y)) return CLR_INVALID;
  c = ResolveColor(c);
  t.Surface->Row(p.Y)[p.X] = ColorToPixel(c);
  if (!t.DC->Memory) NoteScreenDamage({p.X, p.Y, p.X + 1, p.Y + 1});
  return c;
}

COLORREF GetPixel(HDC h, int x, int y) {
  TTarget t = Target(h);
  if (!t) return CLR_INVALID;
  TPoint p = ToSurface(t.DC, x, y);
  if (!t.DC->DrawArea.Contains(p.X, p.Y)) return CLR_INVALID;
  return PixelToColor(t.Surface->Row(p.Y)[p.X]);
}

// ---- classic 3-D edges -------------------------------------------------------------------

namespace {

// Colours of one border: top-left and bottom-right, as system colour indices.
struct TBorderColors {
  int TopLeft, BottomRight;
};

TBorderColors OuterColors(UINT edge, bool soft) {
  if (edge & BDR_RAISEDOUTER) return soft ? TBorderColors{COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW} : TBorderColors{COLOR_3DLIGHT, COLOR_3DDKSHADOW};
  return soft ? TBorderColors{COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT} : TBorderColors{COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
}
TBorderColors InnerColors(UINT edge, bool soft) {
  if (edge & BDR_RAISEDINNER) return soft ? TBorderColors{COLOR_3DLIGHT, COLOR_BTNSHADOW} : TBorderColors{COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
  return soft ? TBorderColors{COLOR_BTNSHADOW, COLOR_3DLIGHT} : TBorderColors{COLOR_3DDKSHADOW, COLOR_3DLIGHT};
}

// Top and left first, then bottom and right over them, so the bottom-left and top-right corner
// pixels take the bottom-right colour.
void Border(HDC h, TRect& r, TBorderColors c, UINT sides) {
  auto strip = [&](TRect s, int color) {
    if (!IsRectEmpty(s)) FillRect(h, &s, static_cast<HBRUSH>(color + 1));
  };
  if (sides & BF_TOP) strip({r.Left, r.Top, r.Right, r.Top + 1}, c.TopLeft);
  if (sides & BF_LEFT) strip({r.Left, r.Top, r.Left + 1, r.Bottom}, c.TopLeft);
  if (sides & BF_BOTTOM) strip({r.Left, r.Bottom - 1, r.Right, r.Bottom}, c.BottomRight);
  if (sides & BF_RIGHT) strip({r.Right - 1, r.Top, r.Right, r.Bottom}, c.BottomRight);
  if (sides & BF_LEFT) ++r.Left;
  if (sides & BF_TOP) ++r.Top;
  if (sides & BF_RIGHT) --r.Right;
  if (sides & BF_BOTTOM) --r.Bottom;
}

}  // namespace

BOOL DrawEdge(HDC h, TRect* rc, UINT edge, UINT flags) {
  if (!rc || !LookupDC(h)) return FALSE;
  TRect r = *rc;
  const bool soft = (flags & BF_SOFT) != 0;
  const UINT outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
  // A lone inner border takes the outer place and the colours of its kind.
  if (flags & BF_MONO) {
    Border(h, r, {COLOR_WINDOWFRAME, COLOR_WINDOWFRAME}, flags);
  } else if (flags & BF_FLAT) {
    Border(h, r, {COLOR_BTNSHADOW, COLOR_BTNSHADOW}, flags);
    if (inner) Border(h, r, {COLOR_BTNFACE, COLOR_BTNFACE}, flags);
  } else {
    if (outer) Border(h, r, OuterColors(outer, soft), flags);
    if (inner) Border(h, r, InnerColors(inner, soft), flags);
  }
  if (flags & BF_MIDDLE) FillRect(h, &r, static_cast<HBRUSH>(COLOR_BTNFACE + 1));
  if (flags & BF_ADJUST) *rc = r;
  return TRUE;
}

namespace {
// The classic 7 × 7 check mark.
constexpr const char* kCheckMark[7] = {"......x", ".....xx", "x...xxx", "xx.xxx.", "xxxxx..", ".xxx...", "..x...."};
}  // namespace

BOOL DrawFrameControl(HDC h, TRect* rc, UINT type, UINT state) {
  if (!rc || !LookupDC(h) || type != DFC_BUTTON) return FALSE;
  TRect r = *rc;
  if (state & DFCS_BUTTONPUSH) {
    if (state & DFCS_FLAT)
      DrawEdge(h, &r, (state & DFCS_PUSHED) ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST | BF_MIDDLE);
    else
      DrawEdge(h, &r, (state & (DFCS_PUSHED | DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED,
               BF_RECT | BF_SOFT | BF_ADJUST | BF_MIDDLE);
    if (state & DFCS_ADJUSTRECT) *rc = r;
    return TRUE;
  }
  // A check box: a 13 × 13 sunken well with the mark in the middle.
  TRect box{r.Left, r.Top + (r.Height() - 13) / 2, r.Left + 13, r.Top + (r.Height() - 13) / 2 + 13};
  DrawEdge(h, &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillRect(h, &box, static_cast<HBRUSH>(((state & (DFCS_INACTIVE | DFCS_PUSHED)) ? COLOR_BTNFACE : COLOR_WINDOW) + 1));
  if (state & DFCS_CHECKED) {
    COLORREF ink = GetSysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 7; ++x)
        if (kCheckMark[y][x] == 'x') SetPixel(h, box.Left + 1 + x, box.Top + 1 + y, ink);
  }
  return TRUE;
}
