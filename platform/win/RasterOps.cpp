// The pixel kernels.
#include "RasterOps.h"

#include <cstring>
#include <vector>

void FillSpan(TSurface& s, const TRect& r, TRopMask m) {
  for (int32_t y = r.Top; y < r.Bottom; ++y) {
    uint32_t* row = s.Row(y);
    if (m.And == 0) {
      for (int32_t x = r.Left; x < r.Right; ++x) row[x] = m.Xor;
    } else {
      for (int32_t x = r.Left; x < r.Right; ++x) row[x] = (row[x] & m.And) ^ m.Xor;
    }
  }
}

namespace {
// A remainder that stays non-negative for negative coordinates.
int32_t Wrap(int32_t v, int32_t n) {
  int32_t m = v % n;
  return m < 0 ? m + n : m;
}
}  // namespace

void FillPattern(TSurface& s, const TRect& r, const TPattern& p, TPoint origin, int rop2, TPixelMap map) {
  if (p.Width <= 0 || p.Height <= 0) return;
  for (int32_t y = r.Top; y < r.Bottom; ++y) {
    uint32_t* row = s.Row(y);
    const uint32_t* prow = p.Pixels + static_cast<size_t>(Wrap(y - origin.Y, p.Height)) * static_cast<size_t>(p.Width);
    int32_t px = Wrap(r.Left - origin.X, p.Width);
    for (int32_t x = r.Left; x < r.Right; ++x) {
      row[x] = RopMaskOf(rop2, map(prow[px])).Apply(row[x]);
      if (++px == p.Width) px = 0;
    }
  }
}

void CopySpan(TSurface& dst, const TRect& r, const TSurface& src, int32_t dx, int32_t dy, int rop2, TPixelMap map) {
  const bool same = &dst == &src;
  const int32_t w = r.Width();
  std::vector<uint32_t> line;
  // On one surface, rows are walked away from the source so none is read after it was written.
  const bool upward = same && dy > 0;
  for (int32_t i = 0; i < r.Height(); ++i) {
    int32_t y = upward ? r.Bottom - 1 - i : r.Top + i;
    const uint32_t* srow = src.Row(y - dy) + (r.Left - dx);
    if (same && dy == 0) {
      line.assign(srow, srow + w);
      srow = line.data();
    }
    uint32_t* drow = dst.Row(y) + r.Left;
    if (rop2 == R2_COPYPEN && map.Kind == TPixelMap::pmNone) {
      std::memcpy(drow, srow, static_cast<size_t>(w) * sizeof(uint32_t));
    } else {
      for (int32_t x = 0; x < w; ++x) drow[x] = RopMaskOf(rop2, map(srow[x])).Apply(drow[x]);
    }
  }
}
