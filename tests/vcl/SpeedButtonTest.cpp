// Speed buttons and bitmap buttons: glyph cells and their transparent colour, the embossed
// disabled glyph, layout, the stay-down face, groups, and the stock glyphs of the kinds.
#include "PaintFixture.h"

namespace {

using SpeedButtons = TPaintFixture;

// A glyph of `cells` 8 x 8 cells: olive background (the bottom-left pixel), a 4 x 4 blue
// square in the middle of each cell.
TBitmap* MakeGlyph(int cells) {
  auto* glyph = new TBitmap();
  glyph->SetSize(8 * cells, 8);
  TCanvas* c = glyph->GetCanvas();
  c->GetBrush()->SetColor(clOlive);
  c->FillRect({0, 0, 8 * cells, 8});
  c->GetBrush()->SetColor(clBlue);
  for (int i = 0; i < cells; ++i) c->FillRect({8 * i + 2, 2, 8 * i + 6, 6});
  return glyph;
}

TSpeedButton* MakeButton(TWinControl* parent, const char* name, int left, int group = 0) {
  auto* b = MakeChild<TSpeedButton>(parent, name);
  b->SetBounds(left, 10, 23, 22);
  b->SetGroupIndex(group);
  return b;
}

TEST_F(SpeedButtons, TheGlyphIsCentredAndItsBottomLeftColourShowsTheFace) {
  auto* b = MakeButton(Form, "Button", 10);
  TBitmap* glyph = MakeGlyph(1);
  b->SetGlyph(glyph);
  glyph->Free();
  EXPECT_EQ(b->GetNumGlyphs(), 1);
  Pump();
  // Face 19 x 18 inside the 2-pixel frame; the 8 x 8 glyph centred: (2 + 5, 2 + 5).
  EXPECT_EQ(Pixel(10, 10), kHighlight) << "the raised frame";
  const int gx = 10 + 2 + (19 - 8 + 1) / 2, gy = 10 + 2 + (18 - 8 + 1) / 2;
  EXPECT_EQ(Pixel(gx + 3, gy + 3), RGB(0, 0, 255));
  EXPECT_EQ(Pixel(gx, gy), kFace) << "the transparent colour leaves the face";
  for (int x = 10; x < 33; ++x)
    for (int y = 10; y < 32; ++y) ASSERT_NE(Pixel(x, y), RGB(128, 128, 0)) << x << "," << y;
}

TEST_F(SpeedButtons, ADisabledOneCellGlyphIsEmbossed) {
  auto* b = MakeButton(Form, "Button", 10);
  TBitmap* glyph = MakeGlyph(1);
  b->SetGlyph(glyph);
  glyph->Free();
  b->SetEnabled(false);
  Pump();
  const int gx = 18, gy = 17;  // centred on the 19 x 18 face
  EXPECT_EQ(Pixel(gx + 2, gy + 2), kShadow) << "the shape in shadow";
  EXPECT_EQ(Pixel(gx + 6, gy + 6), kHighlight) << "its highlight one pixel down and right";
  EXPECT_EQ(Pixel(gx + 6, gy + 3), kHighlight);
  for (int x = 12; x < 31; ++x)
    for (int y = 12; y < 30; ++y) ASSERT_NE(Pixel(x, y), RGB(0, 0, 255)) << "no original colour left";
}

TEST_F(SpeedButtons, CellsFollowTheStateAndAWideGlyphSetsTheirCount) {
  TBitmap* glyph = MakeGlyph(4);
  // Colour each cell: up blue, disabled white, down red, stay-down green.
  const TColor colours[] = {clBlue, clWhite, clRed, clLime};
  for (int i = 0; i < 4; ++i) {
    glyph->GetCanvas()->GetBrush()->SetColor(colours[i]);
    glyph->GetCanvas()->FillRect({8 * i + 2, 2, 8 * i + 6, 6});
  }
  auto* b = MakeButton(Form, "Button", 10, 1);
  b->SetGlyph(glyph);
  glyph->Free();
  EXPECT_EQ(b->GetNumGlyphs(), 4);
  Pump();
  const int cx = 20, cy = 20;
  EXPECT_EQ(Pixel(cx, cy), RGB(0, 0, 255)) << "up";
  Mouse(WM_LBUTTONDOWN, 15, 15, 1);
  EXPECT_EQ(b->GetState(), bsDown);
  EXPECT_EQ(Pixel(cx + 1, cy + 1), RGB(255, 0, 0)) << "down, moved one pixel";
  Mouse(WM_LBUTTONUP, 15, 15);
  EXPECT_TRUE(b->GetDown());
  EXPECT_EQ(b->GetState(), bsExclusive);
  EXPECT_EQ(Pixel(cx + 1, cy + 1), RGB(0, 255, 0)) << "stays down";
  b->SetAllowAllUp(true);
  b->SetDown(false);
  b->SetEnabled(false);
  Pump();
  EXPECT_EQ(Pixel(cx, cy), kHighlight) << "the disabled cell, its white in the highlight colour";
}

TEST_F(SpeedButtons, GroupsKeepOneButtonDownAndGroupZeroNeverStaysDown) {
  TSpeedButton* a = MakeButton(Form, "A", 10, 1);
  TSpeedButton* b = MakeButton(Form, "B", 40, 1);
  TSpeedButton* free = MakeButton(Form, "Free", 70, 0);
  int clicks = 0;
  struct TCounter {
    int* N;
    void Clicked(TObject*) { ++*N; }
  } counter{&clicks};
  b->OnClick = MethodOf<&TCounter::Clicked>(&counter);
  struct {
    const char* Name;
    std::function<void()> Act;
    bool A, B, Free;
  } rows[] = {
      {"A set down", [&] { a->SetDown(true); }, true, false, false},
      {"B clicked", [&] { Mouse(WM_LBUTTONDOWN, 45, 15, 1); Mouse(WM_LBUTTONUP, 45, 15); }, false, true, false},
      {"B clicked again: the last one stays down", [&] { Mouse(WM_LBUTTONDOWN, 45, 15, 1); Mouse(WM_LBUTTONUP, 45, 15); }, false, true, false},
      {"released outside: no click", [&] { Mouse(WM_LBUTTONDOWN, 15, 15, 1); Mouse(WM_LBUTTONUP, 150, 100); }, false, true, false},
      {"group zero", [&] { free->SetDown(true); Mouse(WM_LBUTTONDOWN, 75, 15, 1); Mouse(WM_LBUTTONUP, 75, 15); }, false, true, false},
      {"AllowAllUp spreads and lets B up", [&] { a->SetAllowAllUp(true); Mouse(WM_LBUTTONDOWN, 45, 15, 1); Mouse(WM_LBUTTONUP, 45, 15); }, false, false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    row.Act();
    EXPECT_EQ(a->GetDown(), row.A);
    EXPECT_EQ(b->GetDown(), row.B);
    EXPECT_EQ(free->GetDown(), row.Free);
  }
  EXPECT_TRUE(b->GetAllowAllUp());
  EXPECT_EQ(clicks, 3) << "each release inside B clicks, after Down changed";
}

TEST_F(SpeedButtons, LayoutPlacesGlyphAndCaption) {
  struct {
    TButtonLayout Layout;
    Integer Margin, Spacing;
    TPoint Glyph;
    TRect Text;
  } rows[] = {
      // A 100 x 30 face, a 16 x 16 glyph, "OK" 15 x 13.
      {blGlyphLeft, -1, 4, {33, 7}, {53, 9, 68, 22}},
      {blGlyphRight, -1, 4, {51, 7}, {32, 9, 47, 22}},
      {blGlyphLeft, 5, 4, {5, 7}, {25, 9, 40, 22}},
      {blGlyphLeft, -1, -1, {23, 7}, {62, 9, 77, 22}},
      {blGlyphLeft, 5, -1, {5, 7}, {53, 9, 68, 22}},
      {blGlyphTop, -1, 4, {42, -1}, {43, 19, 58, 32}},  // too tall: the margin goes negative
  };
  TCanvas* c = MakeButton(Form, "Button", 10)->GetCanvas();
  for (const auto& row : rows) {
    TButtonLayoutResult r = CalcButtonLayout(c, {0, 0, 100, 30}, {0, 0}, "OK", row.Layout, row.Margin, row.Spacing, {16, 16});
    EXPECT_EQ(r.GlyphPos, row.Glyph) << row.Layout << " " << row.Margin << " " << row.Spacing;
    EXPECT_EQ(r.TextBounds, row.Text) << row.Layout << " " << row.Margin << " " << row.Spacing;
  }
  FreeDeviceContexts();
}

TEST_F(SpeedButtons, ABitmapButtonOfAKindDrawsItsStockGlyph) {
  auto* ok = MakeChild<TBitBtn>(Form, "OK");
  ok->SetBounds(10, 10, 75, 25);
  ok->SetKind(bkOK);
  Pump();
  int green = 0, olive = 0;
  for (int y = 10; y < 35; ++y)
    for (int x = 10; x < 85; ++x) {
      green += Pixel(x, y) == RGB(0, 128, 0);
      olive += Pixel(x, y) == RGB(128, 128, 0);
    }
  EXPECT_GT(green, 10) << "the check mark";
  EXPECT_EQ(olive, 0) << "its background is transparent";
  TBitmap* glyph = ok->GetGlyph();
  ASSERT_NE(glyph, nullptr);
  EXPECT_EQ(glyph->GetWidth(), 36);
  EXPECT_EQ(glyph->GetTransparentColor(), static_cast<TColor>(RGB(128, 128, 0)));
}

}  // namespace
