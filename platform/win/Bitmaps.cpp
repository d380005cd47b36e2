// Blits between contexts, transparent blits, icons, and images read from files and resources
// through SDL2 and SDL2_image.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>

#include "DeviceContext.h"
#include "RasterOps.h"

namespace {

struct TBlitSide {
  TDeviceContext* DC = nullptr;
  TSurface* Surface = nullptr;
  bool Mono = false;
};

TBlitSide Side(HDC h) {
  TBlitSide s;
  s.DC = LookupDC(h);
  s.Surface = PrepareDC(s.DC);
  if (s.DC && s.DC->Memory)
    if (auto* bm = LookupGdi<TGdiBitmap>(s.DC->Bitmap, OBJ_BITMAP)) s.Mono = bm->BitsPerPixel == 1;
  return s;
}

TPixelMap MapBetween(const TBlitSide& dst, const TBlitSide& src) {
  TPixelMap m;
  if (src.Mono && !dst.Mono) {
    m.Kind = TPixelMap::pmMonoToColor;
    m.Black = ColorToPixel(dst.DC->State.TextColor);
    m.White = ColorToPixel(dst.DC->State.BkColor);
  } else if (!src.Mono && dst.Mono) {
    m.Kind = TPixelMap::pmColorToMono;
    m.Key = ColorToPixel(src.DC->State.BkColor);
  }
  return m;
}

// The general blit: each destination pixel of the clipped rectangle takes its source pixel
// by nearest-neighbour scaling, then the raster operation (or, with a key, is skipped where
// the source has the key colour).
bool Blit(HDC hdst, int x, int y, int w, int h, HDC hsrc, int sx, int sy, int sw, int sh, DWORD rop, const COLORREF* key,
          const char* op) {
  TBlitSide dst = Side(hdst);
  if (!dst.Surface) return false;
  const bool usesSource = key || RopUsesSource(rop);
  TBlitSide src;
  if (usesSource) {
    src = Side(hsrc);
    if (!src.Surface) return false;
  }
  if (DrawRecordingOn()) RecordDraw(dst.DC, op, ToDevice(dst.DC, NormalizeRect({x, y, x + w, y + h})), 0, static_cast<int>(rop));
  TRect dr = ToSurface(dst.DC, NormalizeRect({x, y, x + w, y + h}));
  if (!usesSource) {
    // Pattern-only operations are PatBlt.
    return PatBlt(hdst, x, y, w, h, rop) != FALSE;
  }
  TPoint so = ToSurface(src.DC, sx, sy);
  const TPixelMap map = MapBetween(dst, src);
  const bool straight = w == sw && h == sh && w > 0 && h > 0;
  const bool usesPattern = !key && RopUsesPattern(rop);
  if (straight && !usesPattern && !key) {
    // Keep to the part of the source that exists.
    const int32_t dx = dr.Left - so.X, dy = dr.Top - so.Y;
    TRect within = IntersectRects(dr, {dx, dy, dx + src.Surface->Width, dy + src.Surface->Height});
    const int rop2 = Rop2FromSrcRop(rop);
    ForEachClipped(dst.DC, within, [&](const TRect& part) { CopySpan(*dst.Surface, part, *src.Surface, dx, dy, rop2, map); });
    return true;
  }
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return true;
  const TGdiBrush* brush = usesPattern ? LookupGdi<TGdiBrush>(dst.DC->State.Brush, OBJ_BRUSH) : nullptr;
  const uint32_t pat = brush ? ColorToPixel(brush->Color) : 0;
  const uint32_t keyPixel = key ? ColorToPixel(*key & 0xFFFFFF) : 0;
  // A copy of the source keeps a blit within one surface from reading what it wrote.
  TSurface copy;
  if (src.Surface == dst.Surface) copy = *src.Surface;
  const TSurface& source = src.Surface == dst.Surface ? copy : *src.Surface;
  ForEachClipped(dst.DC, dr, [&](const TRect& part) {
    for (int32_t py = part.Top; py < part.Bottom; ++py) {
      // Mirrored sizes walk the source backwards.
      int32_t ry = py - dr.Top;
      int32_t srcY = so.Y + static_cast<int32_t>((static_cast<int64_t>(h < 0 ? std::abs(h) - 1 - ry : ry) * std::abs(sh)) / std::abs(h));
      if (sh < 0) srcY = so.Y - 1 - (srcY - so.Y);
      if (srcY < 0 || srcY >= source.Height) continue;
      uint32_t* row = dst.Surface->Row(py);
      const uint32_t* srow = source.Row(srcY);
      for (int32_t px = part.Left; px < part.Right; ++px) {
        int32_t rx = px - dr.Left;
        int32_t srcX = so.X + static_cast<int32_t>((static_cast<int64_t>(w < 0 ? std::abs(w) - 1 - rx : rx) * std::abs(sw)) / std::abs(w));
        if (sw < 0) srcX = so.X - 1 - (srcX - so.X);
        if (srcX < 0 || srcX >= source.Width) continue;
        uint32_t s = srow[srcX];
        if (key) {
          if ((s & 0xFFFFFF) != keyPixel) row[px] = map(s);
        } else if (usesPattern) {
          row[px] = ApplyRop3(rop, pat, map(s), row[px]);
        } else {
          row[px] = RopMaskOf(Rop2FromSrcRop(rop), map(s)).Apply(row[px]);
        }
      }
    }
  });
  return true;
}

}  // namespace

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  return Blit(dst, x, y, w, h, src, sx, sy, w, h, rop, nullptr, "BitBlt");
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
  return Blit(dst, x, y, w, h, src, sx, sy, sw, sh, rop, nullptr, "StretchBlt");
}

BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, UINT key) {
  COLORREF k = key;
  return Blit(dst, x, y, w, h, src, sx, sy, sw, sh, SRCCOPY, &k, "TransparentBlt");
}

// ---- icons -------------------------------------------------------------------------------

namespace {
TGdiBitmap* BitmapOf(HBITMAP h) { return LookupGdi<TGdiBitmap>(h, OBJ_BITMAP); }
}  // namespace

BOOL EqualBitmapBits(HBITMAP a, HBITMAP b) {
  const TGdiBitmap *x = BitmapOf(a), *y = BitmapOf(b);
  if (!x || !y) return FALSE;
  return x->BitsPerPixel == y->BitsPerPixel && x->Pixels.Width == y->Pixels.Width && x->Pixels.Pixels == y->Pixels.Pixels;
}

HICON CreateIconIndirect(const ICONINFO* info) {
  TGdiBitmap* mask = info ? BitmapOf(info->hbmMask) : nullptr;
  if (!mask) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto icon = std::make_unique<TGdiIcon>();
  icon->Type = OBJ_ICON;
  icon->IsIcon = info->fIcon != FALSE;
  icon->HotSpot = {static_cast<int32_t>(info->xHotspot), static_cast<int32_t>(info->yHotspot)};
  if (TGdiBitmap* color = BitmapOf(info->hbmColor)) {
    icon->Mask = mask->Pixels;
    icon->Color = color->Pixels;
  } else {
    // A monochrome icon: the mask's upper half is the AND mask, the lower half the XOR image.
    int half = mask->Pixels.Height / 2;
    icon->Mask.Resize(mask->Pixels.Width, half);
    icon->Color.Resize(mask->Pixels.Width, half);
    for (int y = 0; y < half; ++y) {
      std::copy_n(mask->Pixels.Row(y), mask->Pixels.Width, icon->Mask.Row(y));
      std::copy_n(mask->Pixels.Row(y + half), mask->Pixels.Width, icon->Color.Row(y));
    }
  }
  return AddGdiObject(std::move(icon));
}

BOOL DestroyIcon(HICON h) {
  if (!LookupGdi<TGdiIcon>(h, OBJ_ICON)) return FALSE;
  RemoveGdiObject(h);
  return TRUE;
}

namespace {
HBITMAP BitmapFromSurface(const TSurface& s) {
  HBITMAP h = CreateBitmap(s.Width, s.Height, 1, 32, nullptr);
  if (TGdiBitmap* bm = BitmapOf(h)) bm->Pixels = s;
  return h;
}
}  // namespace

BOOL GetIconInfo(HICON h, ICONINFO* info) {
  auto* icon = LookupGdi<TGdiIcon>(h, OBJ_ICON);
  if (!icon || !info) return FALSE;
  info->fIcon = icon->IsIcon;
  info->xHotspot = static_cast<DWORD>(icon->HotSpot.X);
  info->yHotspot = static_cast<DWORD>(icon->HotSpot.Y);
  info->hbmMask = BitmapFromSurface(icon->Mask);
  info->hbmColor = BitmapFromSurface(icon->Color);
  return TRUE;
}

// The AND mask then the XOR image; transparent where the mask is white.
BOOL DrawIconEx(HDC h, int x, int y, HICON hi, int cx, int cy, UINT, HBRUSH flicker, UINT flags) {
  auto* icon = LookupGdi<TGdiIcon>(hi, OBJ_ICON);
  TDeviceContext* dc = LookupDC(h);
  TSurface* s = PrepareDC(dc);
  if (!icon || !s) return FALSE;
  if (flags & DI_DEFAULTSIZE) {
    if (cx == 0) cx = GetSystemMetrics(SM_CXICON);
    if (cy == 0) cy = GetSystemMetrics(SM_CYICON);
  }
  if (cx == 0) cx = icon->Color.Width;
  if (cy == 0) cy = icon->Color.Height;
  if ((flags & DI_NORMAL) == 0) flags |= DI_NORMAL;
  if (DrawRecordingOn()) RecordDraw(dc, "DrawIconEx", ToDevice(dc, {x, y, x + cx, y + cy}), 0, static_cast<int>(flags));
  if (flicker) {
    TRect r{x, y, x + cx, y + cy};
    FillRect(h, &r, flicker);
  }
  TRect dr = ToSurface(dc, TRect{x, y, x + cx, y + cy});
  const int32_t iw = icon->Color.Width, ih = icon->Color.Height;
  if (iw == 0 || ih == 0) return TRUE;
  ForEachClipped(dc, dr, [&](const TRect& part) {
    for (int32_t py = part.Top; py < part.Bottom; ++py) {
      const int32_t sy = (py - dr.Top) * ih / cy;
      uint32_t* row = s->Row(py);
      for (int32_t px = part.Left; px < part.Right; ++px) {
        const int32_t sx = (px - dr.Left) * iw / cx;
        uint32_t d = row[px];
        if (flags & DI_MASK) d = (flags & DI_IMAGE) ? (d & (icon->Mask.Row(sy)[sx] | 0xFF000000u)) : icon->Mask.Row(sy)[sx];
        if (flags & DI_IMAGE) d = (flags & DI_MASK) ? (d ^ icon->Color.Row(sy)[sx]) : icon->Color.Row(sy)[sx];
        row[px] = d & 0xFFFFFF;
      }
    }
  });
  return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) { return DrawIconEx(dc, x, y, icon, 0, 0, 0, 0, DI_NORMAL | DI_DEFAULTSIZE); }

// ---- images ------------------------------------------------------------------------------

namespace {

// An SDL surface as 32-bit pixels, alpha kept in the top byte.
bool ReadPixels(SDL_Surface* in, TSurface& out, std::vector<uint8_t>* alpha) {
  SDL_Surface* conv = SDL_ConvertSurfaceFormat(in, SDL_PIXELFORMAT_ARGB8888, 0);
  if (!conv) return false;
  out.Resize(conv->w, conv->h);
  if (alpha) alpha->assign(static_cast<size_t>(conv->w) * static_cast<size_t>(conv->h), 255);
  for (int y = 0; y < conv->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(conv->pixels) + y * conv->pitch);
    for (int x = 0; x < conv->w; ++x) {
      out.Row(y)[x] = row[x] & 0xFFFFFF;
      if (alpha) (*alpha)[static_cast<size_t>(y) * static_cast<size_t>(conv->w) + static_cast<size_t>(x)] = static_cast<uint8_t>(row[x] >> 24);
    }
  }
  SDL_FreeSurface(conv);
  return true;
}

bool ReadFile(const char* path, std::vector<uint8_t>& data) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  data.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

// The header read before the pixels are: a file that claims more pixels than its data can
// hold, or than any screen shows, is refused rather than allocated.
static bool PlausibleBitmapHeader(const uint8_t* b, size_t size) {
  auto u16 = [b](size_t at) { return static_cast<uint32_t>(b[at] | (b[at + 1] << 8)); };
  auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
  const uint32_t header = u32(14);
  int64_t width = 0, height = 0;
  uint32_t bits = 0, compression = 0;
  if (header == 12) {
    width = u16(18);
    height = static_cast<int16_t>(u16(20));
    bits = u16(24);
  } else if (header >= 40 && header <= size - 14) {
    width = static_cast<int32_t>(u32(18));
    height = static_cast<int32_t>(u32(22));
    bits = u16(28);
    compression = u32(30);
  } else {
    return false;
  }
  height = height < 0 ? -height : height;
  if (width <= 0 || height == 0 || width > 32767 || height > 32767 || width * height > (int64_t{1} << 26)) return false;
  if (compression != 0 && compression != 3) return true;  // run-length data is any size
  const uint64_t row = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint32_t offset = u32(10);
  return offset <= size && row * static_cast<uint64_t>(height) <= size - offset;
}

HBITMAP LoadBitmapFromMemory(const void* data, size_t size) {
  if (!data || size < 54 || size > 0x7FFFFFFF || std::memcmp(data, "BM", 2) != 0 ||
      !PlausibleBitmapHeader(static_cast<const uint8_t*>(data), size)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  SDL_Surface* img = rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
  if (!img) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  TSurface pixels;
  bool ok = ReadPixels(img, pixels, nullptr);
  SDL_FreeSurface(img);
  if (!ok) return 0;
  // A 1-bit file stays a monochrome bitmap: its colours come from the context when drawn.
  const auto* bytes = static_cast<const uint8_t*>(data);
  const int bitCount = bytes[28] | (bytes[29] << 8);
  HBITMAP h = CreateBitmap(pixels.Width, pixels.Height, 1, bitCount == 1 ? 1 : 32, nullptr);
  if (TGdiBitmap* bm = BitmapOf(h)) {
    if (bitCount == 1) {
      // Colour index 0 is black and index 1 white, whatever the colour table says.
      const size_t table = 14 + static_cast<size_t>(bytes[14] | (bytes[15] << 8));
      const uint32_t zero = table + 3 <= size ? (static_cast<uint32_t>(bytes[table + 2]) << 16) | (bytes[table + 1] << 8) | bytes[table] : 0;
      for (uint32_t& p : pixels.Pixels) p = (p & 0xFFFFFF) == zero ? 0 : 0xFFFFFF;
    }
    bm->Pixels = std::move(pixels);
  }
  return h;
}

HICON LoadIconFromMemory(const void* data, size_t size) {
  if (!data || size < 6 || size > 0x7FFFFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  SDL_Surface* img = rw ? IMG_LoadICO_RW(rw) : nullptr;
  if (rw) SDL_RWclose(rw);
  if (!img) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  TSurface color;
  std::vector<uint8_t> alpha;
  bool ok = ReadPixels(img, color, &alpha);
  SDL_FreeSurface(img);
  if (!ok) return 0;
  // The decoder folds the AND mask into alpha; unfold it into a mask and a black-backed image.
  auto icon = std::make_unique<TGdiIcon>();
  icon->Type = OBJ_ICON;
  icon->Mask.Resize(color.Width, color.Height);
  for (size_t i = 0; i < color.Pixels.size(); ++i) {
    const bool clear = alpha[i] < 128;
    icon->Mask.Pixels[i] = clear ? 0xFFFFFF : 0;
    if (clear) color.Pixels[i] = 0;
  }
  icon->Color = std::move(color);
  return AddGdiObject(std::move(icon));
}

// ---- resources ---------------------------------------------------------------------------

namespace {

std::string Upper(const char* s) {
  std::string r = s ? s : "";
  for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

struct TResources {
  std::vector<std::string> Modules{""};  // handle = index + 1; the process is ""
  std::map<std::tuple<HMODULE, UINT, std::string>, std::pair<const void*, size_t>> Data;
  HMODULE Module(const std::string& name, bool add) {
    for (size_t i = 0; i < Modules.size(); ++i)
      if (Modules[i] == name) return static_cast<HMODULE>(i + 1);
    if (!add) return 0;
    Modules.push_back(name);
    return static_cast<HMODULE>(Modules.size());
  }
};

TResources& Resources() {
  static TResources r;
  return r;
}

}  // namespace

HMODULE GetModuleHandleA(const char* name) { return Resources().Module(Upper(name), false); }

void RegisterResource(const char* module, UINT type, const char* name, const void* data, size_t size) {
  TResources& r = Resources();
  r.Data[{r.Module(Upper(module), true), type, Upper(name)}] = {data, size};
}

void UnregisterResources(const char* module) {
  TResources& r = Resources();
  const HMODULE handle = r.Module(Upper(module), false);
  std::erase_if(r.Data, [handle](const auto& entry) { return std::get<0>(entry.first) == handle; });
}

HMODULE RegisterModuleHandle(const char* name) { return Resources().Module(Upper(name), true); }

bool FindResourceData(HMODULE module, const char* name, UINT type, const void** data, size_t* size) {
  TResources& r = Resources();
  auto it = r.Data.find({module ? module : 1, type, Upper(name)});
  if (it == r.Data.end()) return false;
  if (data) *data = it->second.first;
  if (size) *size = it->second.second;
  return true;
}

std::string ModuleNameOfFile(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  const size_t so = name.find(".so");
  if (so == std::string::npos) return std::string();
  name.resize(so);
  if (name.rfind("lib", 0) == 0) name.erase(0, 3);
  return name;
}

HMODULE FindHInstance(const void* address) {
  Dl_info info;
  if (!address || !dladdr(address, &info) || !info.dli_fname) return 0;
  return GetModuleHandleA(ModuleNameOfFile(info.dli_fname).c_str());
}

HBITMAP LoadBitmapA(HMODULE module, const char* name) { return static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, 0)); }
HICON LoadIconA(HMODULE module, const char* name) { return static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 0, 0, 0)); }

HGDIOBJ LoadImageA(HMODULE module, const char* name, UINT type, int, int, UINT flags) {
  std::vector<uint8_t> file;
  const void* data = nullptr;
  size_t size = 0;
  if (flags & LR_LOADFROMFILE) {
    if (!name || !ReadFile(name, file)) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return 0;
    }
    data = file.data();
    size = file.size();
  } else if (!FindResourceData(module, name, type == IMAGE_ICON ? RT_GROUP_ICON : RT_BITMAP, &data, &size)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  return type == IMAGE_ICON ? LoadIconFromMemory(data, size) : LoadBitmapFromMemory(data, size);
}
