// Text: the mapped faces' metrics against the real platform's figures, measuring, DrawText's
// layout and clipping, turned text, and the glyph cache.
#include <cstring>

#include "ScreenFixture.h"
#include "platform/win/Region.h"

namespace {

using TextTest = TScreenTest;

// A font selected into a context for the life of the object.
struct TSelectedFont {
  HDC DC;
  HFONT Font;
  HGDIOBJ Old;
  TSelectedFont(HDC dc, const char* face, LONG height, LONG weight = FW_NORMAL, LONG escapement = 0, BYTE precision = 0)
      : DC(dc) {
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfEscapement = lf.lfOrientation = escapement;
    lf.lfOutPrecision = precision;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", face);
    Font = CreateFontIndirectA(&lf);
    Old = SelectObject(dc, Font);
  }
  ~TSelectedFont() {
    SelectObject(DC, Old);
    DeleteObject(Font);
  }
  LONG Width(const char* s) const {
    SIZE size;
    GetTextExtentPoint32A(DC, s, static_cast<int>(std::strlen(s)), &size);
    return size.cx;
  }
};

// What Windows reports for the classic faces at 96 dpi (heights, ascent/descent split where
// it is known, and the widths of real captions), and the face each one is drawn with.
TEST_F(TextTest, MappedFacesMeasureAsTheRealPlatformReports) {
  struct {
    const char* Face;
    LONG Height, Weight;
    const char* Family;
    LONG TmHeight, Ascent, Descent, Ave, Max;
    LONG Cancel, Ok, Title, WaveKey;
  } rows[] = {
      {"MS Sans Serif", -11, FW_NORMAL, "Liberation Sans", 13, 11, 2, 5, 11, 33, 15, 20, 50},
      {"MS Sans Serif", 8, FW_NORMAL, "Liberation Sans", 13, 11, 2, 5, 11, 33, 15, 20, 50},
      {"MS Sans Serif", -12, FW_NORMAL, "Liberation Sans", 13, 11, 2, 5, 11, 33, 15, 20, 50},
      {"MS Sans Serif", -11, FW_BOLD, "Liberation Sans", 13, 11, 2, 6, 12, 40, 18, 26, 59},
      {"MS Sans Serif", -13, FW_NORMAL, "Liberation Sans", 16, 13, 3, 7, 14, 0, 0, 0, 0},
      {"MS Sans Serif", -16, FW_NORMAL, "Liberation Sans", 20, 16, 4, 8, 16, 0, 0, 0, 0},
      {"Arial", -11, FW_NORMAL, "Liberation Sans", 14, 11, 3, 5, 0, 33, 15, 19, 50},
      {"Arial", -13, FW_NORMAL, "Liberation Sans", 16, 13, 3, 6, 0, 40, 19, 24, 59},
      {"Arial", -16, FW_NORMAL, "Liberation Sans", 18, 15, 3, 7, 0, 49, 23, 29, 71},
      {"Arial", -11, FW_BOLD, "Liberation Sans", 14, 0, 0, 0, 0, 37, 15, 24, 52},
      {"Arial", -9, FW_NORMAL, "Liberation Sans", 12, 0, 0, 4, 0, 29, 13, 17, 45},
      {"Arial", 14, FW_NORMAL, "Liberation Sans", 14, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Courier New", -11, FW_NORMAL, "Liberation Mono", 14, 0, 0, 7, 0, 42, 0, 0, 56},
      {"Courier New", -13, FW_NORMAL, "Liberation Mono", 0, 0, 0, 8, 0, 48, 0, 0, 64},
      {"Times New Roman", -11, FW_NORMAL, "Liberation Serif", 14, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Times New Roman", -12, FW_NORMAL, "Liberation Serif", 15, 0, 0, 0, 0, 0, 0, 0, 0},
      {"No Such Face", -11, FW_NORMAL, "Liberation Sans", 14, 11, 3, 5, 0, 33, 15, 19, 50},
  };
  HDC dc = GetDC(0);
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.Face << " " << row.Height << (row.Weight == FW_BOLD ? " bold" : ""));
    TSelectedFont f(dc, row.Face, row.Height, row.Weight);
    TEXTMETRICA tm;
    ASSERT_TRUE(GetTextMetricsA(dc, &tm));
    // 0 marks a figure the platform notes do not give.
    auto expect = [](const char* what, LONG actual, LONG expected) {
      if (expected != 0) {
        EXPECT_EQ(actual, expected) << what;
      }
    };
    expect("tmHeight", tm.tmHeight, row.TmHeight);
    expect("tmAscent", tm.tmAscent, row.Ascent);
    expect("tmDescent", tm.tmDescent, row.Descent);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    expect("tmAveCharWidth", tm.tmAveCharWidth, row.Ave);
    expect("tmMaxCharWidth", tm.tmMaxCharWidth, row.Max);
    expect("Cancel", f.Width("Cancel"), row.Cancel);
    expect("OK", f.Width("OK"), row.Ok);
    expect("Title", f.Width("Title"), row.Title);
    expect("Wave Key", f.Width("Wave Key"), row.WaveKey);
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "x", 1, &size));
    EXPECT_EQ(size.cy, tm.tmHeight) << "the extent's height is the cell";
  }
  SIZE empty{5, 5};
  EXPECT_TRUE(GetTextExtentPoint32A(dc, "", 0, &empty));
  EXPECT_EQ(empty.cx, 0);
  EXPECT_EQ(empty.cy, 0) << "an empty string measures nothing";
  ReleaseDC(0, dc);
}

TEST_F(TextTest, DrawTextInkStaysInsideTheRectangleItReportsAndIsClippedToIt) {
  HDC dc = ScreenDC();
  TSelectedFont f(dc, "MS Sans Serif", -11);
  SetTextColor(dc, 0);
  SetBkMode(dc, TRANSPARENT);
  Fill(0xFFFFFF);
  TRect need{4, 4, 4, 4};
  EXPECT_EQ(DrawTextA(dc, "Wave &Key", -1, &need, DT_SINGLELINE | DT_CALCRECT), 13);
  EXPECT_EQ(need, (TRect{4, 4, 54, 17})) << "measured without the prefix";
  EXPECT_EQ(InkBox(0xFFFFFF), TRect{}) << "DT_CALCRECT draws nothing";
  TRect r = need;
  DrawTextA(dc, "Wave &Key", -1, &r, DT_SINGLELINE);
  TRect ink = InkBox(0xFFFFFF);
  EXPECT_FALSE(IsRectEmpty(ink));
  EXPECT_GE(ink.Left, need.Left);
  EXPECT_GE(ink.Top, need.Top);
  EXPECT_LE(ink.Right, need.Right);
  EXPECT_LE(ink.Bottom, need.Bottom);
  EXPECT_EQ(ink.Bottom, need.Top + 11 + 1 + 1) << "the K is underlined one pixel below the baseline";

  // Clipped to a narrow rectangle unless DT_NOCLIP.
  for (UINT noclip : {0u, DT_NOCLIP}) {
    Fill(0xFFFFFF);
    TRect narrow{10, 10, 20, 17};
    DrawTextA(dc, "Cancel", -1, &narrow, DT_SINGLELINE | noclip);
    TRect box = InkBox(0xFFFFFF);
    if (noclip) {
      EXPECT_GT(box.Right, narrow.Right);
      EXPECT_GT(box.Bottom, narrow.Bottom);
    } else {
      EXPECT_EQ(IntersectRects(box, narrow), box);
    }
  }
  ReleaseDC(0, dc);
}

TEST_F(TextTest, DrawTextAlignsBreaksExpandsAndShortens) {
  HDC dc = ScreenDC();
  TSelectedFont f(dc, "MS Sans Serif", -11);
  SetBkMode(dc, TRANSPARENT);
  const TRect box{0, 0, 60, 40};
  struct {
    const char* Name;
    const char* Text;
    UINT Format;
    TRect Ink;  // bounds the ink must keep to; the edge named by the row is also reached
    int Height;
  } rows[] = {
      {"centred", "OK", DT_SINGLELINE | DT_CENTER | DT_VCENTER, {22, 14, 38, 27}, 27},
      {"right and bottom", "OK", DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, {45, 27, 60, 40}, 40},
      {"vertical centre needs a single line", "OK", DT_VCENTER, {0, 0, 15, 13}, 13},
      {"word break", "Wave Key Cancel", DT_WORDBREAK, {0, 0, 60, 26}, 26},
      {"line feeds", "OK\nOK\r\nOK", 0, {0, 0, 15, 39}, 39},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    Fill(0xFFFFFF);
    TRect r = box;
    EXPECT_EQ(DrawTextA(dc, row.Text, -1, &r, row.Format), row.Height);
    TRect ink = InkBox(0xFFFFFF);
    EXPECT_EQ(IntersectRects(ink, row.Ink), ink) << ink.Left << "," << ink.Top << "," << ink.Right << "," << ink.Bottom;
  }
  // Tabs go to multiples of eight average widths; an ellipsis keeps the text in the box.
  TRect calc{0, 0, 0, 0};
  DrawTextA(dc, "a\tb", -1, &calc, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
  EXPECT_EQ(calc.Right, 40 + 6);
  Fill(0xFFFFFF);
  TRect small{0, 0, 30, 13};
  DrawTextA(dc, "Cancel everything", -1, &small, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
  EXPECT_LE(InkBox(0xFFFFFF).Right, 30);
  ReleaseDC(0, dc);
}

// Escapement 900 reads upward: the ink starts at the reference point and runs up, in a column
// one cell wide to its right.
TEST_F(TextTest, TurnedTextRunsUpwardFromItsReferencePoint) {
  HDC dc = ScreenDC();
  SetBkMode(dc, TRANSPARENT);
  Fill(0xFFFFFF);
  TSelectedFont f(dc, "MS Sans Serif", -11, FW_NORMAL, 900, OUT_TT_ONLY_PRECIS);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  const LONG width = f.Width("Title");
  TextOutA(dc, 10, 44, "Title", 5);
  TRect ink = InkBox(0xFFFFFF);
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Right, 10 + tm.tmHeight);
  EXPECT_LE(ink.Bottom, 45);
  EXPECT_GE(ink.Top, 44 - width);
  EXPECT_GT(ink.Height(), ink.Width()) << "a column, not a row";
  // The first letter is at the bottom: the T's bar is the lowest ink row's neighbour.
  int lowRowInk = 0;
  for (int x = ink.Left; x < ink.Right; ++x) lowRowInk += Pixel(x, ink.Bottom - 1) != 0xFFFFFF;
  EXPECT_GT(lowRowInk, 0);

  // A raster face cannot turn: without the TrueType request the text stays level.
  Fill(0xFFFFFF);
  TSelectedFont raster(dc, "MS Sans Serif", -11, FW_NORMAL, 900);
  TextOutA(dc, 10, 20, "Title", 5);
  ink = InkBox(0xFFFFFF);
  EXPECT_GT(ink.Width(), ink.Height());
  ReleaseDC(0, dc);
}

TEST_F(TextTest, OpaqueTextFillsItsCellAndAlignmentMovesTheReferencePoint) {
  HDC dc = ScreenDC();
  TSelectedFont f(dc, "MS Sans Serif", -11);
  Fill(0);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 255, 255));
  TextOutA(dc, 5, 5, "OK", 2);
  EXPECT_EQ(InkBox(0), (TRect{5, 5, 20, 18}));
  Fill(0);
  SetTextAlign(dc, TA_RIGHT | TA_BOTTOM);
  TextOutA(dc, 40, 30, "OK", 2);
  EXPECT_EQ(InkBox(0), (TRect{25, 17, 40, 30}));
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  ReleaseDC(0, dc);
}

TEST_F(TextTest, ALineDrawnASecondTimeRasterizesNothing) {
  HDC dc = ScreenDC();
  TSelectedFont f(dc, "Courier New", -13);
  const char* line = "procedure TForm1.Button1Click(Sender: );";
  ASSERT_EQ(std::strlen(line), 40u);
  TextOutA(dc, 0, 0, line, 40);
  const long after = GetGlyphRasterizationCount();
  TextOutA(dc, 0, 20, line, 40);
  EXPECT_EQ(GetGlyphRasterizationCount(), after);
  ReleaseDC(0, dc);
}

TEST_F(TextTest, TheRecorderKeepsWhereAndWithWhatTextWasDrawn) {
  HDC dc = ScreenDC();
  TSelectedFont f(dc, "Arial", -11, FW_NORMAL, 900, OUT_TT_ONLY_PRECIS);
  SetTextColor(dc, RGB(1, 2, 3));
  StartDrawRecording();
  TextOutA(dc, 7, 40, "Title", 5);
  std::vector<TDrawRecord> records = StopDrawRecording();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Op, "TextOut");
  EXPECT_EQ(records[0].Text, "Title");
  EXPECT_EQ(records[0].Face, "Arial");
  EXPECT_EQ(records[0].Escapement, 900);
  EXPECT_EQ(records[0].Color, RGB(1, 2, 3));
  EXPECT_EQ(records[0].Rect.Left, 7);
  EXPECT_EQ(records[0].Rect.Top, 40);
  ReleaseDC(0, dc);
}

}  // namespace
