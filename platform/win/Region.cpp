// pixman regions behind a value class with GDI's rectangle conventions.
#include "Region.h"

#include <algorithm>
#include <utility>

TRect NormalizeRect(const TRect& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right), std::max(r.Top, r.Bottom)};
}

TRect IntersectRects(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
  if (r.Left >= r.Right || r.Top >= r.Bottom) return {};
  return r;
}

bool IsRectEmpty(const TRect& r) { return r.Left >= r.Right || r.Top >= r.Bottom; }

TRegion::TRegion(const TRect& r) : TRegion() { SetRect(r); }

TRegion::TRegion(const TRegion& other) : TRegion() { pixman_region32_copy(&FRegion, &other.FRegion); }

TRegion::TRegion(TRegion&& other) noexcept : TRegion() { std::swap(FRegion, other.FRegion); }

TRegion& TRegion::operator=(const TRegion& other) {
  if (this != &other) pixman_region32_copy(&FRegion, &other.FRegion);
  return *this;
}

TRegion& TRegion::operator=(TRegion&& other) noexcept {
  std::swap(FRegion, other.FRegion);
  return *this;
}

void TRegion::Clear() { pixman_region32_clear(&FRegion); }

void TRegion::SetRect(const TRect& r) {
  TRect n = NormalizeRect(r);
  if (IsRectEmpty(n)) {
    Clear();
    return;
  }
  pixman_region32_fini(&FRegion);
  pixman_region32_init_rect(&FRegion, n.Left, n.Top, static_cast<unsigned>(n.Width()), static_cast<unsigned>(n.Height()));
}

void TRegion::Union(const TRegion& other) { pixman_region32_union(&FRegion, &FRegion, &other.FRegion); }
void TRegion::Union(const TRect& r) { Union(TRegion(r)); }
void TRegion::Intersect(const TRegion& other) { pixman_region32_intersect(&FRegion, &FRegion, &other.FRegion); }
void TRegion::Intersect(const TRect& r) { Intersect(TRegion(r)); }
void TRegion::Subtract(const TRegion& other) { pixman_region32_subtract(&FRegion, &FRegion, &other.FRegion); }
void TRegion::Subtract(const TRect& r) { Subtract(TRegion(r)); }

void TRegion::Xor(const TRegion& other) {
  TRegion a(*this), b(other);
  a.Subtract(other);
  b.Subtract(*this);
  a.Union(b);
  *this = std::move(a);
}

void TRegion::Offset(int32_t dx, int32_t dy) { pixman_region32_translate(&FRegion, dx, dy); }

bool TRegion::Overlaps(const TRect& r) const {
  TRect n = NormalizeRect(r);
  if (IsRectEmpty(n)) return false;
  pixman_box32_t box{n.Left, n.Top, n.Right, n.Bottom};
  return pixman_region32_contains_rectangle(&FRegion, &box) != PIXMAN_REGION_OUT;
}

TRect TRegion::Extents() const {
  if (Empty()) return {};
  const pixman_box32_t* e = pixman_region32_extents(&FRegion);
  return {e->x1, e->y1, e->x2, e->y2};
}
