// The message-box icons, each described once as shapes on a 32 × 32 grid and drawn pixel by
// pixel, without smoothing, as the classic 16-colour icons are.
#include "SystemIcons.h"

#include <cmath>

#include "Windows.h"

namespace {

constexpr COLORREF kNone = 0xFFFFFFFF;  // a transparent pixel
constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0),
                   kYellow = RGB(255, 255, 0), kBlue = RGB(0, 0, 255), kShadow = RGB(128, 128, 128);

// Pixel centres: the grid's middle is between pixels 15 and 16.
bool InCircle(double x, double y, double cx, double cy, double r) {
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

bool InBox(double x, double y, double l, double t, double r, double b) { return x >= l && x < r && y >= t && y < b; }

// The warning's triangle: apex at the top middle, base along row 29.
bool InTriangle(double x, double y, double inset) {
  const double top = 1 + inset * 2, bottom = 29.5 - inset, half = (bottom - top) * 0.55;
  if (y < top || y > bottom) return false;
  const double w = (y - top) / (bottom - top) * half;
  return std::fabs(x - 15.5) <= w + 0.5;
}

// The speech balloon of the information and question icons: a round body and a tail that
// points down to the left.
bool InBalloon(double x, double y, double inset) {
  if (InCircle(x, y, 15.5, 13.5, 13 - inset)) return true;
  // The tail: a wedge below the body's lower left.
  const double ty = y - 22, tx = x - 6;
  return ty >= inset && ty <= 8 - inset && tx >= inset && tx <= 7 - ty * 0.8 - inset;
}

COLORREF StopPixel(double x, double y) {
  if (InCircle(x, y, 15.5, 15.5, 13.5)) {
    // The white cross: two strokes along the diagonals, kept inside the disc.
    const double u = x - 15.5, v = y - 15.5;
    if (std::fabs(u) <= 7 && std::fabs(v) <= 7 && (std::fabs(u - v) <= 2.3 || std::fabs(u + v) <= 2.3)) return kWhite;
    return kRed;
  }
  if (InCircle(x, y, 15.5, 15.5, 14.5)) return RGB(128, 0, 0);
  if (InCircle(x - 2, y - 2, 15.5, 15.5, 14.5)) return kShadow;
  return kNone;
}

COLORREF WarningPixel(double x, double y) {
  if (InTriangle(x, y, 1.2)) {
    // The exclamation mark: a bar narrowing downwards and a dot.
    const double bar = 2.2 - (y - 9) * 0.06;
    if (y >= 9 && y < 21 && std::fabs(x - 15.5) <= bar) return kBlack;
    if (InBox(x, y, 14, 23, 18, 27)) return kBlack;
    return kYellow;
  }
  if (InTriangle(x, y, 0)) return kBlack;
  if (InTriangle(x - 2, y - 1, 0)) return kShadow;
  return kNone;
}

COLORREF BalloonPixel(double x, double y, bool question) {
  if (InBalloon(x, y, 1)) {
    if (!question) {
      // A serif "i": the dot, the stem and its foot.
      if (InBox(x, y, 14, 5, 18, 9)) return kBlue;
      if (InBox(x, y, 14, 11, 18, 21) || InBox(x, y, 12, 11, 18, 13) || InBox(x, y, 12, 19, 20, 21)) return kBlue;
      return kWhite;
    }
    // "?": the upper arc, the stem that hangs from its right end, and the dot.
    const double r = std::hypot(x - 15.5, y - 10);
    if (r >= 3 && r <= 6.5 && (y <= 10.5 || x >= 15.5) && !(y > 10 && x < 17)) return kBlue;
    if (InBox(x, y, 14, 13, 18, 18)) return kBlue;
    if (InBox(x, y, 14, 20, 18, 24)) return kBlue;
    return kWhite;
  }
  if (InBalloon(x, y, 0)) return kBlack;
  if (InBalloon(x - 2, y - 2, 0)) return kShadow;
  return kNone;
}

}  // namespace

BOOL DrawSystemIcon(HDC dc, int x, int y, UINT icon) {
  const UINT kind = icon & MB_ICONMASK;
  if (kind != MB_ICONERROR && kind != MB_ICONWARNING && kind != MB_ICONINFORMATION && kind != MB_ICONQUESTION)
    return FALSE;
  for (int row = 0; row < kSystemIconSize; ++row) {
    for (int col = 0; col < kSystemIconSize; ++col) {
      const double px = col + 0.5, py = row + 0.5;
      const COLORREF c = kind == MB_ICONERROR     ? StopPixel(px, py)
                         : kind == MB_ICONWARNING ? WarningPixel(px, py)
                                                  : BalloonPixel(px, py, kind == MB_ICONQUESTION);
      if (c != kNone) SetPixel(dc, x + col, y + row, c);
    }
  }
  return TRUE;
}
