// The GDI object table: pens, brushes, fonts, bitmaps, regions, icons and device contexts
// behind handles with a generation, so a stale handle fails instead of reaching a new object.
#pragma once

#include <memory>
#include <vector>

#include "Region.h"
#include "Surface.h"
#include "Windows.h"

class TFontFace;

struct TGdiObject {
  virtual ~TGdiObject() = default;
  DWORD Type = 0;
  bool Stock = false;
  int SelectCount = 0;  // contexts it is selected into
};

struct TGdiPen : TGdiObject {
  int Style = PS_SOLID;
  int Width = 1;
  COLORREF Color = 0;
};

struct TGdiBitmap;

struct TGdiBrush : TGdiObject {
  UINT Style = BS_SOLID;
  COLORREF Color = 0;
  // A pattern brush keeps its own copy of the bitmap's pixels. A monochrome pattern takes its
  // colours from the context when used: set bits the background colour, clear bits the text
  // colour, as the real system does.
  TSurface Pattern;
  bool MonoPattern = false;
};

struct TGdiFont : TGdiObject {
  LOGFONTA Log;
  const TFontFace* Face = nullptr;  // realised on creation
};

struct TGdiBitmap : TGdiObject {
  TSurface Pixels;
  int BitsPerPixel = 32;  // 1 for monochrome bitmaps: pixels are then black or white
  HDC SelectedInto = 0;
};

struct TGdiRegion : TGdiObject {
  TRegion Region;
};

struct TGdiIcon : TGdiObject {
  TSurface Mask;   // white where the screen shows through (the AND mask)
  TSurface Color;  // XORed onto what the mask left
  TPoint HotSpot;
  bool IsIcon = true;
};

struct TDeviceContext;

// Inserts an object and returns its new handle.
HGDIOBJ AddGdiObject(std::unique_ptr<TGdiObject> obj);
TGdiObject* LookupGdiObject(HGDIOBJ h);
template <class T>
T* LookupGdi(HGDIOBJ h, DWORD type) {
  TGdiObject* o = LookupGdiObject(h);
  return o && o->Type == type ? static_cast<T*>(o) : nullptr;
}
void RemoveGdiObject(HGDIOBJ h);
// Makes an object the system's own: kept for the process, never counted as the application's.
void MarkStock(HGDIOBJ h);
TDeviceContext* LookupDC(HDC h);

// The stock objects a context starts with.
HPEN DefaultPen();
HBRUSH DefaultBrush();
HFONT DefaultFont();
HBITMAP DefaultBitmap();
// The 50 % gray checkerboard the focus rectangle inverts with.
HBRUSH HalftoneBrush();

// The region behind an HRGN, or null.
const TRegion* RegionOf(HRGN rgn);
// A new region handle holding a copy of `r`.
HRGN CreateRegionHandle(const TRegion& r);
