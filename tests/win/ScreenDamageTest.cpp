// Screen damage: a host showing the screen copies only what changed, so every pixel that
// changes must lie in the damage handed out, and little more.
#include <functional>

#include "ScreenFixture.h"
#include "platform/win/Region.h"

namespace {

class ScreenDamageTest : public TScreenTest {
 protected:
  void SetUp() override {
    TScreenTest::SetUp();
    TrackScreenDamage(true);
  }
  void TearDown() override {
    TrackScreenDamage(false);
    TScreenTest::TearDown();
  }
  static void ExpectChangesInside(const std::vector<uint32_t>& before, const TRegion& damage) {
    const TSurface& s = ScreenSurface();
    for (int y = 0; y < s.Height; ++y)
      for (int x = 0; x < s.Width; ++x) {
        if (before[static_cast<size_t>(y) * s.Width + x] == s.Row(y)[x]) continue;
        ASSERT_TRUE(damage.Contains(x, y)) << "pixel " << x << "," << y << " changed unseen";
      }
  }
  static TRegion Damage() {
    TRegion area;
    for (const TRect& r : TakeScreenDamage()) area.Union(r);
    return area;
  }
};

TEST_F(ScreenDamageTest, AllOfTheScreenAtFirstThenNothingUntilSomethingIsDrawn) {
  EXPECT_EQ(Damage(), TRegion(ScreenSurface().Bounds())) << "nothing is shown yet";
  EXPECT_TRUE(Damage().Empty());
  HDC dc = GetDC(0);
  PatBlt(dc, 3, 4, 5, 6, DSTINVERT);
  ReleaseDC(0, dc);
  EXPECT_EQ(Damage(), TRegion(TRect{3, 4, 8, 10}));
  EXPECT_TRUE(Damage().Empty()) << "taking it forgets it";
}

// Each way of drawing on the screen, and the window system's own painting: every changed
// pixel is in the damage, and the damage stays near what changed.
TEST_F(ScreenDamageTest, EveryChangedPixelIsInTheDamage) {
  TCreateWindowParams p;
  p.ClassName = "W";
  p.Style = WS_VISIBLE;
  p.Bounds = {10, 10, 40, 30};
  HWND w = CreateWindowEx(p);
  struct {
    const char* Name;
    std::function<void(HDC)> Draw;
    int MaxArea;  // of the damage's extents
  } rows[] = {
      {"a diagonal line", [](HDC dc) {
         HPEN pen = CreatePen(PS_SOLID, 1, 0x0000FF);
         HGDIOBJ old = SelectObject(dc, pen);
         MoveToEx(dc, 1, 1, nullptr);
         LineTo(dc, 20, 12);
         SelectObject(dc, old);
         DeleteObject(pen);
       }, 21 * 13},
      {"a dashed line", [](HDC dc) {
         HPEN pen = CreatePen(PS_DOT, 1, 0x00FF00);
         HGDIOBJ old = SelectObject(dc, pen);
         MoveToEx(dc, 2, 15, nullptr);
         LineTo(dc, 25, 3);
         SelectObject(dc, old);
         DeleteObject(pen);
       }, 24 * 14},
      {"a pixel", [](HDC dc) { SetPixel(dc, 7, 8, 0x123456); }, 1},
      {"text", [](HDC dc) { TextOutA(dc, 0, 0, "Hi", 2); }, 30 * 20},
      {"an inverted block, as the caret", [](HDC dc) { PatBlt(dc, 4, 2, 2, 16, DSTINVERT); }, 32},
      {"a blit within the screen", [](HDC dc) { BitBlt(dc, 12, 6, 10, 8, dc, 0, 0, SRCCOPY); }, 80},
      {"a brush", [](HDC dc) {
         HBRUSH b = CreateSolidBrush(0xABCDEF);
         TRect r{2, 3, 9, 7};
         FillRect(dc, &r, b);
         DeleteObject(b);
       }, 28},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    Scramble();
    Damage();
    const std::vector<uint32_t> before = Snapshot();
    HDC dc = GetDC(w);
    row.Draw(dc);
    ReleaseDC(w, dc);
    const TRegion damage = Damage();
    EXPECT_GT(Changed(before), 0);
    ExpectChangesInside(before, damage);
    const TRect e = damage.Extents();
    EXPECT_LE(e.Width() * e.Height(), row.MaxArea);
  }

  // Moving the window: the desktop it uncovers is erased and the window repainted.
  Scramble();
  Damage();
  const std::vector<uint32_t> before = Snapshot();
  MoveWindow(w, 20, 15, 30, 20, TRUE);
  MSG msg;
  while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
  const TRegion damage = Damage();
  ExpectChangesInside(before, damage);
  EXPECT_FALSE(damage.Contains(0, 0)) << "the desktop nowhere near the window is not copied again";
}

}  // namespace
