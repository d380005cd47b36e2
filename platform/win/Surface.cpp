// The screen surface and PNG output through SDL2_image.
#include "Surface.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <algorithm>

#include "Region.h"

namespace {
struct TScreenDamage {
  bool Tracking = false;
  TRegion Area;
};
TScreenDamage& Damage() {
  static TScreenDamage damage;
  return damage;
}
}  // namespace

void TSurface::Resize(int32_t w, int32_t h, uint32_t fill) {
  Width = std::max(0, w);
  Height = std::max(0, h);
  Pixels.assign(static_cast<size_t>(Width) * static_cast<size_t>(Height), fill);
}

TSurface& ScreenSurface() {
  static TSurface screen = [] {
    TSurface s;
    s.Resize(1280, 1024, ColorToPixel(0x00A56E3A));  // the classic desktop background
    return s;
  }();
  return screen;
}

void NoteScreenDamage(const TRect& r) {
  TScreenDamage& d = Damage();
  if (d.Tracking && !IsRectEmpty(r)) d.Area.Union(r);
}

void TrackScreenDamage(bool on) {
  TScreenDamage& d = Damage();
  d.Tracking = on;
  d.Area.Clear();
  if (on) d.Area.SetRect(ScreenSurface().Bounds());  // nothing is shown yet
}

std::vector<TRect> TakeScreenDamage() {
  TScreenDamage& d = Damage();
  d.Area.Intersect(ScreenSurface().Bounds());
  int n = 0;
  const pixman_box32_t* boxes = d.Area.Rects(&n);
  std::vector<TRect> rects;
  rects.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) rects.push_back({boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
  d.Area.Clear();
  return rects;
}

bool SaveSurfacePNG(const TSurface& s, const TRect* rect, const std::string& path, std::string* error) {
  TRect r = rect ? *rect : s.Bounds();
  r.Left = std::max(r.Left, 0);
  r.Top = std::max(r.Top, 0);
  r.Right = std::min(r.Right, s.Width);
  r.Bottom = std::min(r.Bottom, s.Height);
  if (r.Width() <= 0 || r.Height() <= 0) {
    if (error) *error = "nothing to save: the rectangle is empty";
    return false;
  }
  // Opaque copy: inverted pixels have the top byte set, which must not become transparency.
  std::vector<uint32_t> rows(static_cast<size_t>(r.Width()) * static_cast<size_t>(r.Height()));
  for (int32_t y = 0; y < r.Height(); ++y) {
    const uint32_t* src = s.Row(r.Top + y) + r.Left;
    uint32_t* dst = rows.data() + static_cast<size_t>(y) * static_cast<size_t>(r.Width());
    for (int32_t x = 0; x < r.Width(); ++x) dst[x] = src[x] | 0xFF000000u;
  }
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(rows.data(), r.Width(), r.Height(), 32, r.Width() * 4,
                                                            SDL_PIXELFORMAT_ARGB8888);
  if (!surface) {
    if (error) *error = SDL_GetError();
    return false;
  }
  int rc = IMG_SavePNG(surface, path.c_str());
  SDL_FreeSurface(surface);
  if (rc != 0) {
    if (error) *error = "cannot write " + path + ": " + IMG_GetError();
    return false;
  }
  return true;
}
