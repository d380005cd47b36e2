// Pixel surfaces: the screen every window draws on and the pixels of memory bitmaps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Windows.h"

// A 32-bit XRGB surface (0x00RRGGBB); the top byte is ignored when presented.
struct TSurface {
  int32_t Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;

  void Resize(int32_t w, int32_t h, uint32_t fill = 0);
  uint32_t* Row(int32_t y) { return Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(Width); }
  const uint32_t* Row(int32_t y) const { return Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(Width); }
  TRect Bounds() const { return {0, 0, Width, Height}; }
};

// COLORREF is 0x00BBGGRR, a surface pixel 0x00RRGGBB.
constexpr uint32_t ColorToPixel(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
constexpr COLORREF PixelToColor(uint32_t p) { return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF); }

// The desktop's surface; the window manager's reset keeps its size.
TSurface& ScreenSurface();
// Every write to the screen surface reports the rectangle it may have changed, so a host
// showing the screen copies only those (see TrackScreenDamage).
void NoteScreenDamage(const TRect& r);

// Writes a part of a surface (all of it when rect is null) as a PNG; false with a reason in
// *error when the file cannot be written.
bool SaveSurfacePNG(const TSurface& s, const TRect* rect, const std::string& path, std::string* error = nullptr);
