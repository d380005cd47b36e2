// Regions as GDI sees them (half-open rectangles, y-x banded), kept by pixman.
#pragma once

#include <pixman.h>

#include <cstdint>

#include "Windows.h"

class TRegion {
 public:
  TRegion() { pixman_region32_init(&FRegion); }
  explicit TRegion(const TRect& r);
  TRegion(const TRegion& other);
  TRegion(TRegion&& other) noexcept;
  TRegion& operator=(const TRegion& other);
  TRegion& operator=(TRegion&& other) noexcept;
  ~TRegion() { pixman_region32_fini(&FRegion); }

  void Clear();
  void SetRect(const TRect& r);  // normalises reversed edges; an empty rect gives an empty region
  void Union(const TRegion& other);
  void Union(const TRect& r);
  void Intersect(const TRegion& other);
  void Intersect(const TRect& r);
  void Subtract(const TRegion& other);
  void Subtract(const TRect& r);
  void Xor(const TRegion& other);
  void Offset(int32_t dx, int32_t dy);

  bool Empty() const { return !pixman_region32_not_empty(&FRegion); }
  bool Contains(int32_t x, int32_t y) const { return pixman_region32_contains_point(&FRegion, x, y, nullptr); }
  bool Overlaps(const TRect& r) const;
  TRect Extents() const;
  int RectCount() const { return pixman_region32_n_rects(&FRegion); }
  // The rectangles, top to bottom and left to right.
  const pixman_box32_t* Rects(int* count) const { return pixman_region32_rectangles(&FRegion, count); }
  bool operator==(const TRegion& other) const { return pixman_region32_equal(&FRegion, &other.FRegion); }

 private:
  mutable pixman_region32_t FRegion;  // pixman's queries take non-const pointers
};

TRect NormalizeRect(const TRect& r);
TRect IntersectRects(const TRect& a, const TRect& b);
bool IsRectEmpty(const TRect& r);
