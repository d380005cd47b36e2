// Drawing on the screen surface: raster operations, XOR that undoes itself, half-open edges,
// 3-D edges, blits, transparent blits, icons, objects and their counts.
#include <functional>

#include "ScreenFixture.h"

namespace {

using DrawTest = TScreenTest;

// The result of each ROP2 for one pen bit and one destination bit, written out from its name.
const std::function<uint32_t(uint32_t, uint32_t)> kRop2[17] = {
    nullptr,
    [](uint32_t, uint32_t) { return 0u; },                 // R2_BLACK
    [](uint32_t p, uint32_t d) { return ~(p | d); },        // R2_NOTMERGEPEN
    [](uint32_t p, uint32_t d) { return ~p & d; },          // R2_MASKNOTPEN
    [](uint32_t p, uint32_t) { return ~p; },                // R2_NOTCOPYPEN
    [](uint32_t p, uint32_t d) { return p & ~d; },          // R2_MASKPENNOT
    [](uint32_t, uint32_t d) { return ~d; },                // R2_NOT
    [](uint32_t p, uint32_t d) { return p ^ d; },           // R2_XORPEN
    [](uint32_t p, uint32_t d) { return ~(p & d); },        // R2_NOTMASKPEN
    [](uint32_t p, uint32_t d) { return p & d; },           // R2_MASKPEN
    [](uint32_t p, uint32_t d) { return ~(p ^ d); },        // R2_NOTXORPEN
    [](uint32_t, uint32_t d) { return d; },                 // R2_NOP
    [](uint32_t p, uint32_t d) { return ~p | d; },          // R2_MERGENOTPEN
    [](uint32_t p, uint32_t) { return p; },                 // R2_COPYPEN
    [](uint32_t p, uint32_t d) { return p | ~d; },          // R2_MERGEPENNOT
    [](uint32_t p, uint32_t d) { return p | d; },           // R2_MERGEPEN
    [](uint32_t, uint32_t) { return 0xFFFFFFFFu; },         // R2_WHITE
};

TEST_F(DrawTest, EveryBinaryRasterOperationFollowsItsTruthTable) {
  Scramble();
  HDC dc = ScreenDC();
  const COLORREF pens[] = {RGB(0x12, 0xF0, 0x5A), RGB(255, 255, 255), RGB(0, 0, 0)};
  for (int rop = 1; rop <= 16; ++rop) {
    for (COLORREF c : pens) {
      SCOPED_TRACE(testing::Message() << "ROP2 " << rop << " pen " << std::hex << c);
      HPEN pen = CreatePen(PS_SOLID, 1, c);
      HGDIOBJ old = SelectObject(dc, pen);
      SetROP2(dc, rop);
      const int y = rop, x = 3;
      uint32_t d = ScreenSurface().Row(y)[x];
      MoveToEx(dc, x, y, nullptr);
      LineTo(dc, x + 1, y);
      const uint32_t p = ColorToPixel(c);
      EXPECT_EQ(ScreenSurface().Row(y)[x] & 0xFFFFFF, kRop2[rop](p, d) & 0xFFFFFF);
      EXPECT_EQ(ScreenSurface().Row(y)[x + 1], Snapshot()[static_cast<size_t>(y * 64 + x + 1)]) << "the end point is not drawn";
      SelectObject(dc, old);
      DeleteObject(pen);
    }
  }
  ReleaseDC(0, dc);
}

// Drawn once to show and once to erase: every pixel, the top byte included, comes back.
TEST_F(DrawTest, XorDrawingTwiceRestoresEveryPixel) {
  HDC screen = GetDC(0);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bm = CreateCompatibleBitmap(screen, 8, 8);  // a fresh memory context's own would be monochrome
  ReleaseDC(0, screen);
  HGDIOBJ oldBm = SelectObject(mem, bm);
  TRect all{0, 0, 8, 8};
  HBRUSH red = CreateSolidBrush(RGB(200, 10, 10));
  FillRect(mem, &all, red);
  struct {
    const char* Name;
    std::function<void(HDC)> Draw;
    TRect Bounds;
  } rows[] = {
      {"R2_XORPEN diagonal line", [](HDC dc) {
         SetROP2(dc, R2_XORPEN);
         SelectObject(dc, GetStockObject(WHITE_PEN));  // a black pen would change nothing
         MoveToEx(dc, 2, 3, nullptr);
         LineTo(dc, 40, 30);
       }, {2, 3, 40, 30}},
      {"R2_NOT rectangle", [](HDC dc) { SetROP2(dc, R2_NOT); Rectangle(dc, 5, 5, 30, 20); }, {5, 5, 30, 20}},
      {"R2_NOTXORPEN polyline", [](HDC dc) {
         SetROP2(dc, R2_NOTXORPEN);
         TPoint pts[] = {{1, 1}, {20, 1}, {20, 15}, {1, 1}};
         Polyline(dc, pts, 4);
       }, {1, 1, 21, 16}},
      {"PATINVERT", [&](HDC dc) { HGDIOBJ o = SelectObject(dc, red); PatBlt(dc, 10, 10, 20, 7, PATINVERT); SelectObject(dc, o); }, {10, 10, 30, 17}},
      {"DSTINVERT", [](HDC dc) { PatBlt(dc, 0, 0, 64, 48, DSTINVERT); }, {0, 0, 64, 48}},
      {"focus rectangle", [](HDC dc) { TRect r{3, 4, 33, 24}; DrawFocusRect(dc, &r); }, {3, 4, 33, 24}},
      {"focus rectangle 1 x 1", [](HDC dc) { TRect r{6, 7, 7, 8}; DrawFocusRect(dc, &r); }, {6, 7, 7, 8}},
      {"focus rectangle 2 x 2", [](HDC dc) { TRect r{7, 6, 9, 8}; DrawFocusRect(dc, &r); }, {7, 6, 9, 8}},
      {"focus rectangle 1 x 9", [](HDC dc) { TRect r{7, 5, 8, 14}; DrawFocusRect(dc, &r); }, {7, 5, 8, 14}},
      {"SRCINVERT", [&](HDC dc) { BitBlt(dc, 20, 20, 8, 8, mem, 0, 0, SRCINVERT); }, {20, 20, 28, 28}},
      {"4-pixel drag frame", [](HDC dc) {
         HGDIOBJ o = SelectObject(dc, GetStockObject(WHITE_BRUSH));
         PatBlt(dc, 8, 8, 40, 4, PATINVERT);
         PatBlt(dc, 8, 36, 40, 4, PATINVERT);
         PatBlt(dc, 8, 12, 4, 24, PATINVERT);
         PatBlt(dc, 44, 12, 4, 24, PATINVERT);
         SelectObject(dc, o);
       }, {8, 8, 48, 40}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    Scramble();
    const std::vector<uint32_t> before = Snapshot();
    HDC dc = ScreenDC();
    row.Draw(dc);
    EXPECT_GT(Changed(before), 0);
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 64; ++x) {
        if (!PtInRect(row.Bounds, {x, y})) {
          ASSERT_EQ(ScreenSurface().Row(y)[x], before[static_cast<size_t>(y * 64 + x)]) << x << "," << y;
        }
      }
    }
    row.Draw(dc);
    ReleaseDC(0, dc);
    EXPECT_EQ(Changed(before), 0);
  }
  SelectObject(mem, oldBm);
  DeleteObject(bm);
  DeleteDC(mem);
  DeleteObject(red);
}

TEST_F(DrawTest, RectanglesAndLinesLeaveOutTheirRightAndBottomEdges) {
  Fill(0);
  HDC dc = ScreenDC();
  TRect two{0, 0, 2, 2};
  FillRect(dc, &two, static_cast<HBRUSH>(COLOR_BTNFACE + 1));
  EXPECT_EQ(InkBox(0), two);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(212, 208, 200)) << "button face of the classic scheme";
  TRect reversed{10, 10, 5, 5}, empty{10, 10, 10, 20};
  FillRect(dc, &reversed, static_cast<HBRUSH>(COLOR_WINDOW + 1));
  FillRect(dc, &empty, static_cast<HBRUSH>(COLOR_WINDOW + 1));
  EXPECT_EQ(InkBox(0), two) << "empty and reversed rectangles draw nothing";

  Fill(0);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 4, 4, 10, 8);
  EXPECT_EQ(InkBox(0), (TRect{4, 4, 10, 8}));
  EXPECT_EQ(Pixel(9, 7), 0xFFFFFFu) << "outline on right - 1 and bottom - 1";
  EXPECT_EQ(Pixel(5, 5), 0u) << "a null brush leaves the inside";
  Fill(0);
  MoveToEx(dc, 20, 20, nullptr);
  LineTo(dc, 20, 20);
  EXPECT_EQ(InkBox(0), TRect{}) << "a line to its own start draws nothing";
  LineTo(dc, 25, 20);
  LineTo(dc, 25, 30);
  EXPECT_EQ(InkBox(0), (TRect{20, 20, 26, 30}));
  TPoint pos;
  MoveToEx(dc, 0, 0, &pos);
  EXPECT_EQ(pos, (TPoint{25, 30}));
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  ReleaseDC(0, dc);
}

TEST_F(DrawTest, RaisedAndSunkenEdgesUseTheClassicColoursWithBottomRightOnTheCorners) {
  HDC dc = ScreenDC();
  struct {
    UINT Edge;
    COLORREF OuterTopLeft, OuterBottomRight, InnerTopLeft, InnerBottomRight;
  } rows[] = {
      {EDGE_RAISED, RGB(212, 208, 200), RGB(64, 64, 64), RGB(255, 255, 255), RGB(128, 128, 128)},
      {EDGE_SUNKEN, RGB(128, 128, 128), RGB(255, 255, 255), RGB(64, 64, 64), RGB(212, 208, 200)},
  };
  for (const auto& row : rows) {
    TRect r{0, 0, 8, 8};
    DrawEdge(dc, &r, row.Edge, BF_RECT | BF_ADJUST);
    EXPECT_EQ(r, (TRect{2, 2, 6, 6})) << "BF_ADJUST takes both borders off";
    EXPECT_EQ(GetPixel(dc, 0, 0), row.OuterTopLeft);
    EXPECT_EQ(GetPixel(dc, 0, 7), row.OuterBottomRight) << "bottom-left corner";
    EXPECT_EQ(GetPixel(dc, 7, 0), row.OuterBottomRight) << "top-right corner";
    EXPECT_EQ(GetPixel(dc, 1, 1), row.InnerTopLeft);
    EXPECT_EQ(GetPixel(dc, 6, 6), row.InnerBottomRight);
  }
  ReleaseDC(0, dc);
}

// An 8 x 2 memory bitmap: left half the key colour, right half blue.
struct TKeyedBitmap {
  HDC DC = CreateCompatibleDC(0);
  HBITMAP Bitmap = CreateBitmap(8, 2, 1, 32, nullptr);
  HGDIOBJ Old = SelectObject(DC, Bitmap);
  TKeyedBitmap() {
    for (int x = 0; x < 8; ++x)
      for (int y = 0; y < 2; ++y) SetPixel(DC, x, y, x < 4 ? RGB(255, 0, 255) : RGB(0, 0, 255));
  }
  ~TKeyedBitmap() {
    SelectObject(DC, Old);
    DeleteObject(Bitmap);
    DeleteDC(DC);
  }
};

TEST_F(DrawTest, BlitsCopyAndATransparentBlitLeavesTheKeyColoursPlace) {
  Scramble();
  TKeyedBitmap src;
  HDC dc = ScreenDC();
  const std::vector<uint32_t> before = Snapshot();
  TransparentBlt(dc, 10, 10, 8, 2, src.DC, 0, 0, 8, 2, RGB(255, 0, 255));
  for (int x = 0; x < 8; ++x) {
    const uint32_t expected = x < 4 ? before[static_cast<size_t>(10 * 64 + 10 + x)] & 0xFFFFFF : 0x0000FFu;
    EXPECT_EQ(Pixel(10 + x, 10), expected) << x;
  }
  BitBlt(dc, 30, 30, 8, 2, src.DC, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(dc, 30, 30), RGB(255, 0, 255));
  StretchBlt(dc, 40, 40, 16, 4, src.DC, 0, 0, 8, 2, SRCCOPY);
  EXPECT_EQ(GetPixel(dc, 47, 43), RGB(255, 0, 255));
  EXPECT_EQ(GetPixel(dc, 48, 40), RGB(0, 0, 255)) << "doubled in both directions";
  // Overlapping copies on one surface behave as through a temporary copy.
  Scramble();
  const std::vector<uint32_t> shifted = Snapshot();
  BitBlt(dc, 1, 1, 20, 20, dc, 0, 0, SRCCOPY);
  for (int y = 1; y < 21; ++y)
    for (int x = 1; x < 21; ++x) ASSERT_EQ(Pixel(x, y), shifted[static_cast<size_t>((y - 1) * 64 + x - 1)] & 0xFFFFFF);
  ReleaseDC(0, dc);
}

TEST_F(DrawTest, AMonochromeSourceTakesTheDestinationsTextAndBackgroundColours) {
  const uint8_t bits[] = {0xA0, 0, 0x50, 0};  // two rows of words: 1010 and 0101
  HBITMAP mono = CreateBitmap(4, 2, 1, 1, bits);
  HDC mem = CreateCompatibleDC(0);
  HGDIOBJ old = SelectObject(mem, mono);
  HDC dc = ScreenDC();
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkColor(dc, RGB(0, 255, 0));
  BitBlt(dc, 0, 0, 4, 2, mem, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 255, 0)) << "set bits take the background colour";
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 0, 0)) << "clear bits take the text colour";
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 255, 0));
  ReleaseDC(0, dc);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(mono);
}

TEST_F(DrawTest, IconsAreMaskedThenXored) {
  // A 2 x 1 icon: the left pixel shows through, the right one is green.
  HBITMAP mask = CreateBitmap(2, 1, 1, 32, nullptr), color = CreateBitmap(2, 1, 1, 32, nullptr);
  HDC mem = CreateCompatibleDC(0);
  HGDIOBJ old = SelectObject(mem, mask);
  SetPixel(mem, 0, 0, RGB(255, 255, 255));
  SetPixel(mem, 1, 0, 0);
  SelectObject(mem, color);
  SetPixel(mem, 0, 0, 0);
  SetPixel(mem, 1, 0, RGB(0, 255, 0));
  SelectObject(mem, old);
  DeleteDC(mem);
  ICONINFO info;
  info.hbmMask = mask;
  info.hbmColor = color;
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(color);
  Scramble();
  const uint32_t under = Pixel(5, 5);
  HDC dc = ScreenDC();
  EXPECT_TRUE(DrawIconEx(dc, 5, 5, icon, 0, 0, 0, 0, DI_NORMAL));
  EXPECT_EQ(Pixel(5, 5), under);
  EXPECT_EQ(Pixel(6, 5), 0x00FF00u);
  ReleaseDC(0, dc);
  EXPECT_TRUE(DestroyIcon(icon));
}

TEST_F(DrawTest, ObjectsAreSelectedDeletedAndCountedAndStaleHandlesFail) {
  const int objects = GetGdiObjectCount();
  HDC dc = GetDC(0);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  LOGFONTA lf;
  lf.lfHeight = -11;
  lf.lfEscapement = 900;
  std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "Arial");
  HFONT font = CreateFontIndirectA(&lf);
  EXPECT_EQ(GetGdiObjectCount(), objects + 3);
  EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_FALSE(DeleteObject(pen)) << "a selected object stays";
  LOGFONTA back;
  EXPECT_EQ(GetObjectA(font, 0, nullptr), 60);
  EXPECT_EQ(GetObjectA(font, sizeof back, &back), 60);
  EXPECT_EQ(back.lfEscapement, 900);
  EXPECT_STREQ(back.lfFaceName, "Arial");
  EXPECT_EQ(ReleaseDC(0, dc), 1);
  EXPECT_EQ(ReleaseDC(0, dc), 0) << "released once";
  TRect some{0, 0, 4, 4};
  EXPECT_FALSE(FillRect(dc, &some, brush)) << "a released context draws nothing";
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_FALSE(DeleteObject(font)) << "a deleted handle is stale";
  EXPECT_EQ(GetObjectType(pen), 0u);
  EXPECT_EQ(GetGdiObjectCount(), objects);
}

TEST_F(DrawTest, RegionsCombineAsGdiDoes) {
  HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15), r = CreateRectRgn(0, 0, 0, 0);
  struct {
    int Mode, Type;
    TPoint In, Out;
  } rows[] = {
      {RGN_AND, SIMPLEREGION, {7, 7}, {2, 2}},
      {RGN_OR, COMPLEXREGION, {12, 12}, {12, 2}},
      {RGN_DIFF, COMPLEXREGION, {2, 2}, {7, 7}},
      {RGN_XOR, COMPLEXREGION, {12, 12}, {7, 7}},
      {RGN_COPY, SIMPLEREGION, {9, 9}, {10, 10}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Mode);
    EXPECT_EQ(CombineRgn(r, a, b, row.Mode), row.Type);
    EXPECT_TRUE(PtInRegion(r, row.In.X, row.In.Y));
    EXPECT_FALSE(PtInRegion(r, row.Out.X, row.Out.Y));
  }
  TRect box;
  SetRectRgn(r, 10, 10, 5, 5);
  EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
  EXPECT_EQ(box, (TRect{5, 5, 10, 10})) << "reversed edges are swapped";
  EXPECT_EQ(OffsetRgn(r, -5, -5), SIMPLEREGION);
  HRGN moved = CreateRectRgn(0, 0, 5, 5);
  EXPECT_TRUE(EqualRgn(r, moved));
  DeleteObject(moved);
  SetRectRgn(r, 3, 3, 3, 8);
  EXPECT_EQ(GetRgnBox(r, &box), NULLREGION);
  for (HRGN h : {a, b, r}) DeleteObject(h);
}

}  // namespace
