// The GDI object table, stock objects, and the object and region functions.
#include "GdiObjects.h"

#include <cstring>

#include "DeviceContext.h"
#include "FontFace.h"
#include "HandleSlots.h"

namespace {

constexpr uint32_t kIndexBits = 20, kIndexMask = (1u << kIndexBits) - 1;

struct TSlot {
  uint32_t Generation = 1;
  std::unique_ptr<TGdiObject> Object;
};

struct TTable {
  std::vector<TSlot> Slots = std::vector<TSlot>(1);  // slot 0 is never used: handle 0 means none
  std::vector<uint32_t> Free;
  int Live = 0;  // non-stock objects, contexts excluded
};

TTable& Table() {
  static TTable t;
  return t;
}

// Handles carry the type in their top bits (as the real ones carry it in their own way) and a
// generation above the slot index, so a deleted handle never reaches a later object.
HGDIOBJ MakeHandle(uint32_t index, uint32_t generation, DWORD type) {
  return ((type & 0xF) << 28) | ((generation & 0xFF) << kIndexBits) | index;
}

}  // namespace

HGDIOBJ AddGdiObject(std::unique_ptr<TGdiObject> obj) {
  TTable& t = Table();
  const uint32_t index = TakeSlot(t.Slots, t.Free);
  TSlot& s = t.Slots[index];
  if ((s.Generation & 0xFF) == 0) ++s.Generation;
  DWORD type = obj->Type;
  if (!obj->Stock && type != OBJ_DC && type != OBJ_MEMDC) ++t.Live;
  s.Object = std::move(obj);
  return MakeHandle(index, s.Generation, type);
}

TGdiObject* LookupGdiObject(HGDIOBJ h) {
  TTable& t = Table();
  uint32_t index = h & kIndexMask;
  if (h == 0 || index >= t.Slots.size()) return nullptr;
  TSlot& s = t.Slots[index];
  if (!s.Object || MakeHandle(index, s.Generation, s.Object->Type) != h) return nullptr;
  return s.Object.get();
}

void RemoveGdiObject(HGDIOBJ h) {
  TTable& t = Table();
  TGdiObject* o = LookupGdiObject(h);
  if (!o) return;
  if (!o->Stock && o->Type != OBJ_DC && o->Type != OBJ_MEMDC) --t.Live;
  TSlot& s = t.Slots[h & kIndexMask];
  s.Object.reset();
  ++s.Generation;
  t.Free.push_back(h & kIndexMask);
}

void MarkStock(HGDIOBJ h) {
  TGdiObject* o = LookupGdiObject(h);
  if (!o || o->Stock) return;
  o->Stock = true;
  if (o->Type != OBJ_DC && o->Type != OBJ_MEMDC) --Table().Live;
}

TDeviceContext* LookupDC(HDC h) {
  TGdiObject* o = LookupGdiObject(h);
  return o && (o->Type == OBJ_DC || o->Type == OBJ_MEMDC) ? static_cast<TDeviceContext*>(o) : nullptr;
}

int GetGdiObjectCount() { return Table().Live; }

DWORD GetObjectType(HGDIOBJ obj) {
  TGdiObject* o = LookupGdiObject(obj);
  return o ? o->Type : 0;
}

// ---- stock objects -----------------------------------------------------------------------

namespace {

HGDIOBJ MakeStockBrush(UINT style, COLORREF c) {
  auto b = std::make_unique<TGdiBrush>();
  b->Type = OBJ_BRUSH;
  b->Stock = true;
  b->Style = style;
  b->Color = c;
  return AddGdiObject(std::move(b));
}

HGDIOBJ MakeStockPen(int style, COLORREF c) {
  auto p = std::make_unique<TGdiPen>();
  p->Type = OBJ_PEN;
  p->Stock = true;
  p->Style = style;
  p->Color = c;
  return AddGdiObject(std::move(p));
}

HGDIOBJ MakeStockFont(const char* face, LONG height, LONG weight) {
  auto f = std::make_unique<TGdiFont>();
  f->Type = OBJ_FONT;
  f->Stock = true;
  f->Log.lfHeight = height;
  f->Log.lfWeight = weight;
  std::strncpy(f->Log.lfFaceName, face, LF_FACESIZE - 1);
  f->Face = RealizeFont(f->Log);
  return AddGdiObject(std::move(f));
}

struct TStock {
  HGDIOBJ Objects[DEFAULT_GUI_FONT + 1] = {};
  HGDIOBJ Bitmap = 0, Halftone = 0;
  HGDIOBJ SysBrushes[COLOR_MENUBAR + 1] = {};
  TStock() {
    Objects[WHITE_BRUSH] = MakeStockBrush(BS_SOLID, 0xFFFFFF);
    Objects[LTGRAY_BRUSH] = MakeStockBrush(BS_SOLID, 0xC0C0C0);
    Objects[GRAY_BRUSH] = MakeStockBrush(BS_SOLID, 0x808080);
    Objects[DKGRAY_BRUSH] = MakeStockBrush(BS_SOLID, 0x404040);
    Objects[BLACK_BRUSH] = MakeStockBrush(BS_SOLID, 0);
    Objects[NULL_BRUSH] = MakeStockBrush(BS_NULL, 0);
    Objects[WHITE_PEN] = MakeStockPen(PS_SOLID, 0xFFFFFF);
    Objects[BLACK_PEN] = MakeStockPen(PS_SOLID, 0);
    Objects[NULL_PEN] = MakeStockPen(PS_NULL, 0);
    Objects[SYSTEM_FONT] = MakeStockFont("System", 16, FW_BOLD);
    Objects[DEFAULT_GUI_FONT] = MakeStockFont("MS Sans Serif", -11, FW_NORMAL);
    auto bm = std::make_unique<TGdiBitmap>();
    bm->Type = OBJ_BITMAP;
    bm->Stock = true;
    bm->BitsPerPixel = 1;
    bm->Pixels.Resize(1, 1, 0xFFFFFF);
    Bitmap = AddGdiObject(std::move(bm));
    auto ht = std::make_unique<TGdiBrush>();
    ht->Type = OBJ_BRUSH;
    ht->Stock = true;
    ht->Style = BS_PATTERN;
    ht->MonoPattern = true;
    ht->Pattern.Resize(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) ht->Pattern.Row(y)[x] = ((x + y) & 1) ? 0xFFFFFF : 0;
    Halftone = AddGdiObject(std::move(ht));
    for (int i = 0; i <= COLOR_MENUBAR; ++i) SysBrushes[i] = MakeStockBrush(BS_SOLID, GetSysColor(i));
  }
};

TStock& Stock() {
  static TStock s;
  return s;
}

}  // namespace

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index > DEFAULT_GUI_FONT) return 0;
  return Stock().Objects[index];
}
HPEN DefaultPen() { return Stock().Objects[BLACK_PEN]; }
HBRUSH DefaultBrush() { return Stock().Objects[WHITE_BRUSH]; }
HFONT DefaultFont() { return Stock().Objects[SYSTEM_FONT]; }
HBITMAP DefaultBitmap() { return Stock().Bitmap; }
HBRUSH HalftoneBrush() { return Stock().Halftone; }

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index > COLOR_MENUBAR) return 0;
  return Stock().SysBrushes[index];
}

// ---- creating and deleting ---------------------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color) {
  auto p = std::make_unique<TGdiPen>();
  p->Type = OBJ_PEN;
  p->Style = style;
  p->Width = width < 1 ? 1 : width;
  p->Color = ResolveColor(color);
  return AddGdiObject(std::move(p));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  LOGBRUSH lb;
  lb.lbColor = color;
  return CreateBrushIndirect(&lb);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return 0;
  if (lb->lbStyle == BS_PATTERN) return CreatePatternBrush(static_cast<HBITMAP>(lb->lbHatch));
  auto b = std::make_unique<TGdiBrush>();
  b->Type = OBJ_BRUSH;
  // Hatches are drawn solid here: nothing in the system uses them.
  b->Style = lb->lbStyle == BS_NULL ? BS_NULL : BS_SOLID;
  b->Color = ResolveColor(lb->lbColor);
  return AddGdiObject(std::move(b));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  auto* bm = LookupGdi<TGdiBitmap>(bitmap, OBJ_BITMAP);
  if (!bm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto b = std::make_unique<TGdiBrush>();
  b->Type = OBJ_BRUSH;
  b->Style = BS_PATTERN;
  b->Pattern = bm->Pixels;
  b->MonoPattern = bm->BitsPerPixel == 1;
  return AddGdiObject(std::move(b));
}

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
  if (!lf) return 0;
  auto f = std::make_unique<TGdiFont>();
  f->Type = OBJ_FONT;
  f->Log = *lf;
  f->Log.lfFaceName[LF_FACESIZE - 1] = 0;
  f->Face = RealizeFont(f->Log);
  return AddGdiObject(std::move(f));
}

HBITMAP CreateBitmap(int w, int h, UINT, UINT bitsPerPixel, const void* bits) {
  if (w < 0 || h < 0 || w > 16384 || h > 16384) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto bm = std::make_unique<TGdiBitmap>();
  bm->Type = OBJ_BITMAP;
  bm->BitsPerPixel = bitsPerPixel == 1 ? 1 : 32;
  bm->Pixels.Resize(w, h, 0);
  if (bits) {
    if (bitsPerPixel == 1) {
      // Rows of words, most significant bit first; 1 is white.
      const auto* src = static_cast<const uint8_t*>(bits);
      size_t stride = static_cast<size_t>((w + 15) / 16 * 2);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          bm->Pixels.Row(y)[x] = (src[y * stride + x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFF : 0;
    } else if (bitsPerPixel == 32) {
      std::memcpy(bm->Pixels.Pixels.data(), bits, bm->Pixels.Pixels.size() * 4);
    }
  }
  return AddGdiObject(std::move(bm));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int w, int h) {
  TDeviceContext* d = LookupDC(dc);
  // A memory context's own compatible bitmap is as monochrome as what it holds.
  UINT bpp = 32;
  if (d && d->Memory)
    if (auto* bm = LookupGdi<TGdiBitmap>(d->Bitmap, OBJ_BITMAP)) bpp = bm->BitsPerPixel == 1 ? 1 : 32;
  return CreateBitmap(w, h, 1, bpp, nullptr);
}

BOOL DeleteObject(HGDIOBJ obj) {
  TGdiObject* o = LookupGdiObject(obj);
  if (!o || o->Type == OBJ_DC || o->Type == OBJ_MEMDC || o->Type == OBJ_ICON) return FALSE;
  if (o->Stock) return TRUE;
  // An object selected into a context stays: deleting it would leave the context dangling.
  if (o->SelectCount > 0) return FALSE;
  RemoveGdiObject(obj);
  return TRUE;
}

int GetObjectA(HGDIOBJ obj, int size, void* buffer) {
  TGdiObject* o = LookupGdiObject(obj);
  if (!o) return 0;
  auto give = [&](const void* rec, int n) {
    if (!buffer) return n;
    if (size < n) return 0;
    std::memcpy(buffer, rec, static_cast<size_t>(n));
    return n;
  };
  switch (o->Type) {
    case OBJ_FONT:
      return give(&static_cast<TGdiFont*>(o)->Log, sizeof(LOGFONTA));
    case OBJ_PEN: {
      auto* p = static_cast<TGdiPen*>(o);
      LOGPEN lp{static_cast<UINT>(p->Style), {p->Width, 0}, p->Color};
      return give(&lp, sizeof(lp));
    }
    case OBJ_BRUSH: {
      auto* b = static_cast<TGdiBrush*>(o);
      LOGBRUSH lb{b->Style, b->Color, 0};
      return give(&lb, sizeof(lb));
    }
    case OBJ_BITMAP: {
      auto* b = static_cast<TGdiBitmap*>(o);
      BITMAP bm;
      bm.bmWidth = b->Pixels.Width;
      bm.bmHeight = b->Pixels.Height;
      bm.bmBitsPixel = static_cast<WORD>(b->BitsPerPixel);
      bm.bmWidthBytes = b->BitsPerPixel == 1 ? (b->Pixels.Width + 15) / 16 * 2 : b->Pixels.Width * 4;
      return give(&bm, sizeof(bm));
    }
    default:
      return 0;
  }
}

// ---- regions -----------------------------------------------------------------------------

namespace {
TGdiRegion* Rgn(HRGN h) { return LookupGdi<TGdiRegion>(h, OBJ_REGION); }
int TypeOf(const TRegion& r) {
  int n = r.RectCount();
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}
}  // namespace

HRGN CreateRectRgn(int l, int t, int r, int b) {
  auto g = std::make_unique<TGdiRegion>();
  g->Type = OBJ_REGION;
  g->Region.SetRect({l, t, r, b});
  return AddGdiObject(std::move(g));
}

HRGN CreateRectRgnIndirect(const TRect* r) { return r ? CreateRectRgn(r->Left, r->Top, r->Right, r->Bottom) : 0; }

BOOL SetRectRgn(HRGN rgn, int l, int t, int r, int b) {
  TGdiRegion* g = Rgn(rgn);
  if (!g) return FALSE;
  g->Region.SetRect({l, t, r, b});
  return TRUE;
}

int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode) {
  TGdiRegion *d = Rgn(dst), *ra = Rgn(a), *rb = Rgn(b);
  if (!d || !ra || (mode != RGN_COPY && !rb)) return ERROR;
  TRegion result = ra->Region;
  switch (mode) {
    case RGN_AND: result.Intersect(rb->Region); break;
    case RGN_OR: result.Union(rb->Region); break;
    case RGN_XOR: result.Xor(rb->Region); break;
    case RGN_DIFF: result.Subtract(rb->Region); break;
    case RGN_COPY: break;
    default: return ERROR;
  }
  d->Region = std::move(result);
  return TypeOf(d->Region);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  TGdiRegion* g = Rgn(rgn);
  if (!g) return ERROR;
  g->Region.Offset(dx, dy);
  return TypeOf(g->Region);
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  TGdiRegion* g = Rgn(rgn);
  return g && g->Region.Contains(x, y);
}

BOOL RectInRegion(HRGN rgn, const TRect* r) {
  TGdiRegion* g = Rgn(rgn);
  return g && r && g->Region.Overlaps(*r);
}

int GetRgnBox(HRGN rgn, TRect* r) {
  TGdiRegion* g = Rgn(rgn);
  if (!g || !r) return ERROR;
  *r = g->Region.Extents();
  return TypeOf(g->Region);
}

BOOL EqualRgn(HRGN a, HRGN b) {
  TGdiRegion *ra = Rgn(a), *rb = Rgn(b);
  return ra && rb && ra->Region == rb->Region;
}

const TRegion* RegionOf(HRGN rgn) {
  TGdiRegion* g = Rgn(rgn);
  return g ? &g->Region : nullptr;
}

HRGN CreateRegionHandle(const TRegion& r) {
  HRGN h = CreateRectRgn(0, 0, 0, 0);
  if (TGdiRegion* g = Rgn(h)) g->Region = r;
  return h;
}
