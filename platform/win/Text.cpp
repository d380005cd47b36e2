// Text output: TextOut and ExtTextOut over the cached glyphs, turned text, measuring, and
// DrawText's lines, alignment, tabs, prefixes, ellipsis and clipping.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "DeviceContext.h"
#include "FontFace.h"
#include "RasterOps.h"

namespace {

const TFontFace* FaceOf(const TDeviceContext* dc) {
  auto* f = LookupGdi<TGdiFont>(dc->State.Font, OBJ_FONT);
  return f ? f->Face : nullptr;
}

int32_t Extent(const TFontFace* face, const char* text, size_t n) {
  if (n == 0) return 0;
  int32_t w = 0;
  for (size_t i = 0; i < n; ++i) w += face->Advance(static_cast<unsigned char>(text[i]));
  return w + face->Metrics().tmOverhang;
}

uint32_t Blend(uint32_t d, uint32_t s, uint8_t a) {
  if (a == 255) return s;
  auto ch = [&](int shift) {
    uint32_t dc = (d >> shift) & 0xFF, sc = (s >> shift) & 0xFF;
    return ((sc * a + dc * (255 - a)) / 255) << shift;
  };
  return ch(16) | ch(8) | ch(0);
}

// The direction of the baseline and of "down" in the text's own frame, in surface pixels.
struct TFrame {
  double Cos = 1, Sin = 0;
  TPoint Along(int32_t s, int32_t down) const {
    return {static_cast<int32_t>(std::lround(s * Cos + down * Sin)), static_cast<int32_t>(std::lround(-s * Sin + down * Cos))};
  }
};

TFrame FrameOf(const TFontFace* face) {
  TFrame f;
  LONG e = face->Escapement();
  if (e % 900 == 0) {
    static const int kCos[4] = {1, 0, -1, 0}, kSin[4] = {0, 1, 0, -1};
    int q = ((e / 900) % 4 + 4) % 4;
    f.Cos = kCos[q], f.Sin = kSin[q];
  } else {
    double a = e * 3.14159265358979323846 / 1800.0;
    f.Cos = std::cos(a), f.Sin = std::sin(a);
  }
  return f;
}

// One glyph's ink at the pen position, clipped to the context and to `clip` (surface).
void DrawGlyph(TDeviceContext* dc, TSurface& s, const TGlyph& g, TPoint pen, uint32_t color, const TRect* clip) {
  TRect box{pen.X + g.Left, pen.Y + g.Top, pen.X + g.Left + g.Width, pen.Y + g.Top + g.Height};
  if (clip) box = IntersectRects(box, *clip);
  ForEachClipped(dc, box, [&](const TRect& part) {
    for (int32_t y = part.Top; y < part.Bottom; ++y) {
      const uint8_t* cov = g.Coverage.data() + static_cast<size_t>(y - pen.Y - g.Top) * static_cast<size_t>(g.Width);
      uint32_t* row = s.Row(y);
      for (int32_t x = part.Left; x < part.Right; ++x) {
        uint8_t a = cov[x - pen.X - g.Left];
        if (a) row[x] = Blend(row[x], color, a);
      }
    }
  });
}

void FillSurfaceRect(TDeviceContext* dc, TSurface& s, const TRect& r, COLORREF c) {
  TRopMask m = RopMaskOf(R2_COPYPEN, ColorToPixel(c));
  ForEachClipped(dc, r, [&](const TRect& part) { FillSpan(s, part, m); });
}

// Draws a run of text whose reference point is at surface point `ref`, with the context's
// alignment; returns the advance. `clip` (surface) limits the ink when not null.
int32_t DrawRun(TDeviceContext* dc, TSurface& s, TPoint ref, const char* text, size_t n, const int* dx, const TRect* clip,
                bool opaqueBox, int underlineIndex = -1) {
  const TFontFace* face = FaceOf(dc);
  if (!face) return 0;
  const TEXTMETRICA& tm = face->Metrics();
  int32_t width = 0;
  if (dx) {
    for (size_t i = 0; i < n; ++i) width += dx[i];
  } else {
    width = Extent(face, text, n);
  }
  const UINT align = dc->State.TextAlign;
  int32_t start = 0, down = tm.tmAscent;
  if ((align & TA_CENTER) == TA_CENTER)
    start = -width / 2;
  else if (align & TA_RIGHT)
    start = -width;
  if ((align & TA_BASELINE) == TA_BASELINE)
    down = 0;
  else if (align & TA_BOTTOM)
    down = -tm.tmDescent;
  const TFrame frame = FrameOf(face);
  const TPoint origin{ref.X + frame.Along(start, down).X, ref.Y + frame.Along(start, down).Y};
  if (opaqueBox) {
    // The cell's box: exact for text at right angles, the bounding box otherwise.
    TPoint corners[4] = {frame.Along(0, -tm.tmAscent), frame.Along(width, -tm.tmAscent), frame.Along(0, tm.tmDescent),
                         frame.Along(width, tm.tmDescent)};
    TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (TPoint c : corners) {
      box.Left = std::min(box.Left, origin.X + c.X), box.Right = std::max(box.Right, origin.X + c.X);
      box.Top = std::min(box.Top, origin.Y + c.Y), box.Bottom = std::max(box.Bottom, origin.Y + c.Y);
    }
    if (clip) box = IntersectRects(box, *clip);
    FillSurfaceRect(dc, s, box, dc->State.BkColor);
  }
  const uint32_t color = ColorToPixel(dc->State.TextColor);
  int32_t pos = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const TGlyph& g = face->Glyph(c);
    TPoint pen{origin.X + frame.Along(pos, 0).X, origin.Y + frame.Along(pos, 0).Y};
    DrawGlyph(dc, s, g, pen, color, clip);
    // A face without a bold file is drawn twice, one pixel apart.
    if (face->SimulatedBold()) DrawGlyph(dc, s, g, {pen.X + frame.Along(1, 0).X, pen.Y + frame.Along(1, 0).Y}, color, clip);
    const int32_t adv = dx ? dx[i] : face->Advance(c);
    if (static_cast<int>(i) == underlineIndex || face->Underline() || face->StrikeOut()) {
      auto line = [&](int32_t offset, int32_t from, int32_t to) {
        for (int32_t k = from; k < to; ++k) {
          TPoint p{origin.X + frame.Along(k, offset).X, origin.Y + frame.Along(k, offset).Y};
          TRect px{p.X, p.Y, p.X + 1, p.Y + 1};
          if (clip) px = IntersectRects(px, *clip);
          FillSurfaceRect(dc, s, px, dc->State.TextColor);
        }
      };
      if (static_cast<int>(i) == underlineIndex || face->Underline()) line(1, pos, pos + adv);
      if (face->StrikeOut()) line(-(tm.tmAscent - tm.tmInternalLeading) / 3, pos, pos + adv);
    }
    pos += adv;
  }
  return width;
}

}  // namespace

BOOL ExtTextOutA(HDC h, int x, int y, UINT options, const TRect* r, const char* text, UINT count, const int* dx) {
  TDeviceContext* dc = LookupDC(h);
  TSurface* s = PrepareDC(dc);
  if (!s) return FALSE;
  if (!text) count = 0;
  TPoint ref = dc->State.TextAlign & TA_UPDATECP ? dc->State.Pos : TPoint{x, y};
  TRect clip;
  const bool clipped = r && (options & ETO_CLIPPED);
  if (r) clip = ToSurface(dc, NormalizeRect(*r));
  if (r && (options & ETO_OPAQUE)) FillSurfaceRect(dc, *s, clip, dc->State.BkColor);
  const TFontFace* face = FaceOf(dc);
  if (DrawRecordingOn() && face) {
    SIZE ext;
    GetTextExtentPoint32A(h, text, static_cast<int>(count), &ext);
    RecordText(dc, "TextOut", ToDevice(dc, {ref.X, ref.Y, ref.X + ext.cx, ref.Y + ext.cy}), std::string(text ? text : "", count));
  }
  TPoint sp = ToSurface(dc, ref.X, ref.Y);
  int32_t advance = DrawRun(dc, *s, sp, text, count, dx, clipped ? &clip : nullptr,
                            dc->State.BkMode == OPAQUE && !(options & ETO_OPAQUE));
  if (dc->State.TextAlign & TA_UPDATECP) dc->State.Pos.X += advance;
  return TRUE;
}

BOOL TextOutA(HDC dc, int x, int y, const char* text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOutA(dc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

BOOL GetTextExtentPoint32A(HDC h, const char* text, int count, SIZE* size) {
  TDeviceContext* dc = LookupDC(h);
  const TFontFace* face = dc ? FaceOf(dc) : nullptr;
  if (!face || !size || count < 0 || (count > 0 && !text)) return FALSE;
  size->cx = Extent(face, text, static_cast<size_t>(count));
  size->cy = count == 0 ? 0 : face->Metrics().tmHeight;
  return TRUE;
}

BOOL GetTextMetricsA(HDC h, TEXTMETRICA* tm) {
  TDeviceContext* dc = LookupDC(h);
  const TFontFace* face = dc ? FaceOf(dc) : nullptr;
  if (!face || !tm) return FALSE;
  *tm = face->Metrics();
  return TRUE;
}

// ---- DrawText ----------------------------------------------------------------------------

namespace {

struct TLine {
  std::string Text;
  int Underline = -1;  // index of the prefixed character
  int32_t Width = 0;
};

// Width of a line with tabs expanded from its start.
int32_t LineWidth(const TFontFace* face, const std::string& s, UINT format, int32_t tabWidth) {
  int32_t w = 0;
  for (unsigned char c : s) {
    if (c == '\t' && (format & DT_EXPANDTABS))
      w = (w / tabWidth + 1) * tabWidth;
    else
      w += face->Advance(c);
  }
  return s.empty() ? 0 : w + face->Metrics().tmOverhang;
}

// Splits text into lines: CR, LF and CR-LF break unless single-line; word breaks wrap at
// spaces so a line fits the width (a word wider than the width keeps a line of its own).
std::vector<TLine> BreakLines(const TFontFace* face, const std::string& text, UINT format, int32_t width, int32_t tabWidth) {
  std::vector<TLine> lines;
  std::vector<std::string> paragraphs;
  if (format & DT_SINGLELINE) {
    paragraphs.push_back(text);
  } else {
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' || text[i] == '\n') {
        paragraphs.push_back(cur);
        cur.clear();
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        cur += text[i];
      }
    }
    paragraphs.push_back(cur);
  }
  for (const std::string& p : paragraphs) {
    if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) {
      lines.push_back({p, -1, 0});
      continue;
    }
    size_t start = 0;
    while (true) {
      // Take as many words as fit.
      size_t end = start, lastFit = std::string::npos;
      while (end <= p.size()) {
        size_t next = p.find(' ', end);
        if (next == std::string::npos) next = p.size();
        if (LineWidth(face, p.substr(start, next - start), format, tabWidth) > width && lastFit != std::string::npos) break;
        lastFit = next;
        if (next == p.size()) break;
        end = next + 1;
      }
      lines.push_back({p.substr(start, lastFit - start), -1, 0});
      if (lastFit >= p.size()) break;
      start = lastFit + 1;
      while (start < p.size() && p[start] == ' ') ++start;
      if (start >= p.size()) break;
    }
  }
  return lines;
}

// Removes '&' prefixes: "&&" is one '&', "&x" underlines x.
void StripPrefix(TLine& line) {
  std::string out;
  for (size_t i = 0; i < line.Text.size(); ++i) {
    if (line.Text[i] == '&' && i + 1 < line.Text.size()) {
      ++i;
      if (line.Text[i] != '&' && line.Underline < 0) line.Underline = static_cast<int>(out.size());
    } else if (line.Text[i] == '&') {
      continue;
    }
    out += line.Text[i];
  }
  line.Text = out;
}

}  // namespace

int DrawTextA(HDC h, const char* text, int count, TRect* r, UINT format) {
  TDeviceContext* dc = LookupDC(h);
  const TFontFace* face = dc ? FaceOf(dc) : nullptr;
  if (!face || !r || !text) return 0;
  const std::string all(text, count < 0 ? std::strlen(text) : static_cast<size_t>(count));
  const TEXTMETRICA& tm = face->Metrics();
  const int32_t lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  const int32_t tabCount = (format & DT_TABSTOP) ? static_cast<int32_t>((format >> 8) & 0xFF) : 8;
  const int32_t tabWidth = std::max(1, (tabCount ? tabCount : 8) * std::max<LONG>(1, tm.tmAveCharWidth));
  const int32_t width = r->Width();
  std::vector<TLine> lines = BreakLines(face, all, format & ~DT_NOPREFIX, width, tabWidth);
  for (TLine& l : lines) {
    if (!(format & DT_NOPREFIX)) StripPrefix(l);
    l.Width = LineWidth(face, l.Text, format, tabWidth);
    if ((format & DT_END_ELLIPSIS) && l.Width > width) {
      // Drop characters until the text and the ellipsis fit.
      while (!l.Text.empty() && LineWidth(face, l.Text + "...", format, tabWidth) > width) l.Text.pop_back();
      l.Text += "...";
      if (l.Underline >= static_cast<int>(l.Text.size()) - 3) l.Underline = -1;
      l.Width = LineWidth(face, l.Text, format, tabWidth);
    }
  }
  const int32_t textHeight = lineHeight * static_cast<int32_t>(lines.size());
  int32_t y = r->Top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER)
      y = r->Top + r->Height() / 2 - textHeight / 2;
    else if (format & DT_BOTTOM)
      y = r->Bottom - textHeight;
  }
  if (format & DT_CALCRECT) {
    int32_t widest = 0;
    for (const TLine& l : lines) widest = std::max(widest, l.Width);
    r->Right = r->Left + widest;
    r->Bottom = r->Top + textHeight;
    return textHeight;
  }
  TSurface* s = PrepareDC(dc);
  if (!s) return 0;
  const TRect clip = ToSurface(dc, *r);
  const bool clipped = !(format & DT_NOCLIP);
  const UINT savedAlign = dc->State.TextAlign;
  dc->State.TextAlign = TA_LEFT | TA_TOP;
  for (const TLine& l : lines) {
    int32_t x = r->Left;
    if (format & DT_CENTER)
      x = (r->Left + r->Right - l.Width) / 2;
    else if (format & DT_RIGHT)
      x = r->Right - l.Width;
    if (DrawRecordingOn()) RecordText(dc, "DrawText", ToDevice(dc, {x, y, x + l.Width, y + lineHeight}), l.Text);
    // Tabs split the line into runs, each starting at its tab stop.
    int32_t runX = 0;
    size_t start = 0;
    int underline = l.Underline;
    for (size_t i = 0; i <= l.Text.size(); ++i) {
      if (i < l.Text.size() && !(l.Text[i] == '\t' && (format & DT_EXPANDTABS))) continue;
      TPoint sp = ToSurface(dc, x + runX, y);
      int runUnderline = underline >= static_cast<int>(start) && underline < static_cast<int>(i) ? underline - static_cast<int>(start) : -1;
      runX += DrawRun(dc, *s, sp, l.Text.data() + start, i - start, nullptr, clipped ? &clip : nullptr, dc->State.BkMode == OPAQUE,
                      runUnderline);
      if (i < l.Text.size()) runX = (runX / tabWidth + 1) * tabWidth;
      start = i + 1;
    }
    y += lineHeight;
    // Output stops after the first line that reaches past the bottom.
    if (clipped && y >= r->Bottom) break;
  }
  dc->State.TextAlign = savedAlign;
  if (format & DT_SINGLELINE && (format & (DT_VCENTER | DT_BOTTOM))) return y - r->Top;
  return textHeight;
}
