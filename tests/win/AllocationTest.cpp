// What the drag outline costs in allocations.
#include "ScreenFixture.h"
#include "support/AllocationCounter.h"

namespace {

using AllocationTest = TScreenTest;

// One step of a drag: the 4-pixel frame erased where it was and drawn where the mouse is.
void Frame(HDC dc, int x, int y) {
  PatBlt(dc, x, y, 300, 4, PATINVERT);
  PatBlt(dc, x, y + 196, 300, 4, PATINVERT);
  PatBlt(dc, x, y + 4, 4, 192, PATINVERT);
  PatBlt(dc, x + 296, y + 4, 4, 192, PATINVERT);
}

TEST_F(AllocationTest, AStepOfADragOutlineAllocatesNothing) {
  SetScreenSize(640, 480);
  TCreateWindowParams p;
  p.ClassName = "Below";
  p.Style = WS_VISIBLE | WS_CAPTION | WS_THICKFRAME;
  p.Bounds = {50, 50, 400, 300};
  CreateWindowEx(p);
  HDC dc = ScreenDC();
  HGDIOBJ old = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  Frame(dc, 10, 10);  // the first frame shown: the context's region is worked out here
  const std::vector<uint32_t> shown = Snapshot();
  ResetAllocationCount();
  CountAllocations(true);
  for (int i = 0; i < 20; ++i) {
    Frame(dc, 10 + i, 10 + i);
    Frame(dc, 11 + i, 11 + i);
  }
  CountAllocations(false);
  EXPECT_EQ(CountedAllocations(), 0);
  Frame(dc, 30, 30);  // the last frame erased, the first drawn again: the screen as it was
  Frame(dc, 10, 10);
  EXPECT_EQ(Changed(shown), 0);
  SelectObject(dc, old);
  ReleaseDC(0, dc);
}

}  // namespace
