// Raster operations as data: every binary ROP is D' = (D & And) ^ Xor, with And and Xor taken
// from the pen (or brush, or source) pixel; the kernels here are the only code that writes
// pixels, always into rectangles that are already clipped.
#pragma once

#include <cstdint>

#include "Surface.h"

struct TRopMask {
  uint32_t And = 0, Xor = 0;
  uint32_t Apply(uint32_t d) const { return (d & And) ^ Xor; }
};

// The mask of a ROP2 code for one pen pixel: code − 1 is the truth table, bit 2·P + D.
inline TRopMask RopMaskOf(int rop2, uint32_t pen) {
  const uint32_t t = static_cast<uint32_t>(rop2 - 1) & 0xF;
  auto all = [](uint32_t bit) { return bit ? 0xFFFFFFFFu : 0u; };
  const uint32_t t0 = all(t & 1), t1 = all(t & 2), t2 = all(t & 4), t3 = all(t & 8);
  TRopMask m;
  m.Xor = (pen & t2) | (~pen & t0);
  m.And = (pen & (t2 ^ t3)) | (~pen & (t0 ^ t1));
  return m;
}

// Ternary raster operations reduced to a ROP2: with a pattern (PatBlt), or with the source
// playing the pen (blits whose result ignores the pattern).
inline int Rop2FromPatRop(uint32_t rop3) { return static_cast<int>((((rop3 >> 18) & 0x0C) | ((rop3 >> 16) & 0x03)) + 1); }
inline int Rop2FromSrcRop(uint32_t rop3) { return static_cast<int>(((rop3 >> 16) & 0x0F) + 1); }
inline bool RopUsesPattern(uint32_t rop3) { return ((rop3 >> 4) & 0x0F0000) != (rop3 & 0x0F0000); }
inline bool RopUsesSource(uint32_t rop3) { return ((rop3 >> 2) & 0x330000) != (rop3 & 0x330000); }

// A tiled pattern (a brush's bitmap) with its own pixels.
struct TPattern {
  int32_t Width = 0, Height = 0;
  const uint32_t* Pixels = nullptr;
};

void FillSpan(TSurface& s, const TRect& r, TRopMask m);
// How source pixels change on the way: a monochrome source takes the destination's text colour
// for black and background colour for white; a colour source onto a monochrome destination
// gives white where it equals the source's background colour, black elsewhere.
struct TPixelMap {
  enum TKind : uint8_t { pmNone, pmMonoToColor, pmColorToMono } Kind = pmNone;
  uint32_t Black = 0, White = 0, Key = 0;
  uint32_t operator()(uint32_t p) const {
    switch (Kind) {
      case pmMonoToColor: return (p & 0xFFFFFF) ? White : Black;
      case pmColorToMono: return (p & 0xFFFFFF) == Key ? 0xFFFFFF : 0;
      default: return p;
    }
  }
};

// Tiles the pattern from `origin` (surface coordinates of the pattern's (0,0)).
void FillPattern(TSurface& s, const TRect& r, const TPattern& p, TPoint origin, int rop2, TPixelMap map = {});
// Combines source pixels into r; src(x, y) is at dst (x + dx, y + dy). Overlap on one surface
// is handled as a copy through the original pixels.
void CopySpan(TSurface& dst, const TRect& r, const TSurface& src, int32_t dx, int32_t dy, int rop2, TPixelMap map = {});
// Any ternary raster operation, bit by bit: bit (4·P + 2·S + D) of the operation's index.
inline uint32_t ApplyRop3(uint32_t rop3, uint32_t p, uint32_t s, uint32_t d) {
  const uint32_t index = (rop3 >> 16) & 0xFF;
  uint32_t r = 0;
  for (uint32_t i = 0; i < 8; ++i)
    if (index & (1u << i)) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  return r;
}
