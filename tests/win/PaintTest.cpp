// Painting: the paint cycle's message order, update regions, clipping by parents and
// siblings, what moving and hiding uncover, frames and captions, the caret, the screen's PNG.
#include <SDL2/SDL_image.h>

#include <cstdio>
#include <filesystem>

#include "ScreenFixture.h"

namespace {

using PaintTest = TScreenTest;

// A window procedure that logs the paint messages and paints its client area in one colour.
struct TPainter : TLoggingProc {
  TPainter(std::string name, TMessageLog& log, COLORREF color) : TLoggingProc(std::move(name), log), Color(color) {
    Only = {WM_PAINT, WM_NCPAINT, WM_ERASEBKGND, WM_USER};
    OnMessage = [this](HWND h, UINT msg) {
      if (msg != WM_PAINT) return;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      Painted.push_back(ps.rcPaint);
      HBRUSH b = CreateSolidBrush(Color);
      TRect all{0, 0, 1000, 1000};
      FillRect(dc, &all, b);
      DeleteObject(b);
      EndPaint(h, &ps);
    };
    Answers[WM_PAINT] = 0;
  }
  COLORREF Color;
  std::vector<TRect> Painted;
};

void Pump() {
  MSG msg;
  for (int i = 0; i < 1000 && PeekMessage(&msg, 0, 0, 0, PM_REMOVE); ++i) DispatchMessage(&msg);
}

HWND Make(const char* name, WNDPROC proc, DWORD style, TRect bounds, HWND parent = 0, DWORD exStyle = 0) {
  TCreateWindowParams p;
  p.ClassName = name;
  p.WindowName = name;
  p.Style = style;
  p.ExStyle = exStyle;
  p.Bounds = bounds;
  p.Parent = parent;
  p.WndProc = proc;
  return CreateWindowEx(p);
}

TEST_F(PaintTest, ThePaintCycleComesAfterPostedMessagesFrameAndBackgroundFirst) {
  TPainter p{"W", log, RGB(255, 0, 0)};
  p.Next = DefWindowProcValue();
  HWND w = Make("W", p.Value(), WS_VISIBLE | WS_CAPTION | WS_THICKFRAME, {0, 0, 40, 40});
  PostMessage(w, WM_USER, 0, 0);
  Pump();
  EXPECT_EQ(log, (TMessageLog{"W:WM_USER", "W:WM_PAINT", "W:WM_NCPAINT", "W:WM_ERASEBKGND"}));
  log.clear();
  Pump();
  EXPECT_TRUE(log.empty()) << "validated by EndPaint";

  // Two invalid rectangles: one paint whose rcPaint bounds both; the frame is not owed.
  TRect a{2, 2, 5, 5}, b{10, 8, 12, 9};
  InvalidateRect(w, &a, FALSE);
  InvalidateRect(w, &b, FALSE);
  TRect update;
  EXPECT_TRUE(GetUpdateRect(w, &update, FALSE));
  EXPECT_EQ(update, (TRect{2, 2, 12, 9}));
  Pump();
  EXPECT_EQ(log, (TMessageLog{"W:WM_PAINT"}));
  ASSERT_FALSE(p.Painted.empty());
  EXPECT_EQ(p.Painted.back(), (TRect{2, 2, 12, 9}));
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
}

TEST_F(PaintTest, ParentsPaintBeforeChildrenAndUpdateWindowPaintsAtOnce) {
  TPainter pp{"P", log, RGB(255, 0, 0)}, cp{"C", log, RGB(0, 255, 0)};
  pp.Only = cp.Only = {WM_PAINT};
  HWND parent = Make("P", pp.Value(), WS_VISIBLE, {0, 0, 40, 40});
  Make("C", cp.Value(), WS_VISIBLE | WS_CHILD, {10, 10, 20, 20}, parent);
  log.clear();
  UpdateWindow(parent);
  EXPECT_EQ(log, (TMessageLog{"P:WM_PAINT", "C:WM_PAINT"}));
  EXPECT_EQ(Pixel(15, 15), 0x00FF00u) << "the child paints over its parent";
  EXPECT_EQ(Pixel(5, 5), 0xFF0000u);
}

TEST_F(PaintTest, AChildIsClippedByItsParentAndBySiblingsAboveIt) {
  HWND parent = Make("P", nullptr, WS_VISIBLE | WS_CLIPCHILDREN, {10, 10, 40, 40});
  // Child windows made later go below the earlier ones, as dialog controls do.
  Make("Above", nullptr, WS_VISIBLE | WS_CHILD, {15, 0, 25, 30}, parent);
  HWND below = Make("Below", nullptr, WS_VISIBLE | WS_CHILD | WS_CLIPSIBLINGS, {5, 5, 50, 25}, parent);
  Pump();
  Fill(0);
  HDC dc = GetDC(below);
  TRect all{-100, -100, 100, 100};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(below, dc);
  EXPECT_EQ(Pixel(20, 20), 0xFFFFFFu);
  EXPECT_EQ(Pixel(30, 20), 0u) << "the sibling above is left alone";
  EXPECT_EQ(Pixel(45, 20), 0u) << "nothing outside the parent's client area";
  EXPECT_EQ(Pixel(20, 36), 0u) << "nothing below the child";
  EXPECT_EQ(InkBox(0), (TRect{15, 15, 40, 35}));

  // The parent's own context leaves its children out (WS_CLIPCHILDREN).
  Fill(0);
  dc = GetDC(parent);
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(parent, dc);
  EXPECT_EQ(Pixel(12, 12), 0xFFFFFFu);
  EXPECT_EQ(Pixel(20, 20), 0u);
}

TEST_F(PaintTest, TheDesktopsCacheContextDrawsOverEveryWindowAndItsStyleContextDoesNot) {
  Make("Top", nullptr, WS_VISIBLE, {10, 10, 30, 30});
  Pump();
  Fill(0);
  for (bool overAll : {true, false}) {
    HDC dc = overAll ? ScreenDC() : GetDC(GetDesktopWindow());
    TRect all{0, 0, 64, 48};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(GetDesktopWindow(), dc);
    EXPECT_EQ(Pixel(20, 20), overAll ? 0xFFFFFFu : 0u);
    EXPECT_EQ(Pixel(5, 5), 0xFFFFFFu);
    Fill(0);
  }
}

TEST_F(PaintTest, MovingAndHidingRepaintWhatTheWindowUncovered) {
  TPainter bp{"B", log, RGB(0, 0, 255)}, tp{"T", log, RGB(255, 0, 0)};
  HWND back = Make("B", bp.Value(), WS_VISIBLE, {0, 0, 40, 40});
  HWND top = Make("T", tp.Value(), WS_VISIBLE, {10, 10, 30, 30});
  Pump();
  EXPECT_EQ(Pixel(20, 20), 0xFF0000u);
  bp.Painted.clear();
  MoveWindow(top, 30, 10, 20, 20, TRUE);
  TRect update;
  EXPECT_TRUE(GetUpdateRect(back, &update, FALSE));
  EXPECT_EQ(update, (TRect{10, 10, 30, 30})) << "exactly the part no longer covered";
  Pump();
  EXPECT_EQ(Pixel(20, 20), 0x0000FFu);
  EXPECT_EQ(Pixel(35, 20), 0xFF0000u);
  const uint32_t desktop = ColorToPixel(GetSysColor(COLOR_BACKGROUND));
  ShowWindow(top, SW_HIDE);
  Pump();
  EXPECT_EQ(Pixel(35, 20), 0x0000FFu);
  EXPECT_EQ(Pixel(45, 20), desktop) << "the bare desktop is erased at once";
  DestroyWindow(back);
  EXPECT_EQ(Pixel(20, 20), desktop);
}

// Frames and captions of the classic look: a sizeable window's caption is 18 pixels with a line
// below, a tool window's 15; the client area starts below them.
TEST_F(PaintTest, SizeableAndToolWindowsHaveTheirCaptionsAndClientAreas) {
  struct {
    const char* Name;
    DWORD Style, ExStyle;
    int Frame, Caption;
  } rows[] = {
      {"sizeable", WS_CAPTION | WS_THICKFRAME, 0, 4, 18},
      {"dialog", WS_POPUP | WS_CAPTION, WS_EX_DLGMODALFRAME, 3, 18},
      {"size tool window", WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW, 4, 15},
      {"no border", WS_POPUP, 0, 0, 0},
  };
  SetScreenSize(160, 48);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    ResetWindowManager();
    HWND w = Make("F", nullptr, WS_VISIBLE | row.Style, {0, 0, 150, 45}, 0, row.ExStyle);
    SetActiveWindow(w);
    Pump();
    TRect client;
    GetClientRect(w, &client);
    const int top = row.Frame + (row.Caption ? row.Caption + 1 : 0);
    EXPECT_EQ(client, (TRect{0, 0, 150 - 2 * row.Frame, 45 - top - row.Frame}));
    TPoint origin{0, 0};
    ClientToScreen(w, &origin);
    EXPECT_EQ(origin, (TPoint{row.Frame, top}));
    // Caption rows carry the active caption's colour at the left end.
    const uint32_t caption = ColorToPixel(GetSysColor(COLOR_ACTIVECAPTION));
    int rows_ = 0;
    for (int y = 0; y < 45; ++y) rows_ += Pixel(row.Frame, y) == caption;
    EXPECT_EQ(rows_, row.Caption);
  }
}

TEST_F(PaintTest, TheCaretIsAnInvertedBlockHiddenWhilePainting) {
  TPainter p{"W", log, RGB(255, 255, 255)};
  HWND w = Make("W", p.Value(), WS_VISIBLE, {0, 0, 40, 40});
  Pump();
  ASSERT_TRUE(CreateCaret(w, 2, 10));
  SetCaretPos(5, 5);
  EXPECT_EQ(Pixel(5, 5), 0xFFFFFFu) << "a new caret is hidden";
  ShowCaret(w);
  EXPECT_EQ(Pixel(5, 5), 0u);
  EXPECT_EQ(Pixel(6, 14), 0u);
  EXPECT_EQ(Pixel(7, 5), 0xFFFFFFu);
  SetCaretPos(20, 5);
  EXPECT_EQ(Pixel(5, 5), 0xFFFFFFu) << "moved: the old place is restored";
  EXPECT_EQ(Pixel(20, 5), 0u);
  InvalidateRect(w, nullptr, TRUE);
  Pump();
  EXPECT_EQ(Pixel(20, 5), 0u) << "painting hides the caret and shows it again afterwards";
  HideCaret(w);
  EXPECT_EQ(Pixel(20, 5), 0xFFFFFFu);
  TPoint pos;
  GetCaretPos(&pos);
  EXPECT_EQ(pos, (TPoint{20, 5}));
  DestroyCaret();
}

TEST_F(PaintTest, TheScreenIsSavedAsAPng) {
  Make("W", nullptr, WS_VISIBLE | WS_CAPTION | WS_THICKFRAME, {4, 4, 50, 40});
  Pump();
  Fill(0x123456);
  const std::string path = (std::filesystem::temp_directory_path() / "brisk-screen-test.png").string();
  std::string error;
  ASSERT_TRUE(SaveScreenPNG(0, path, &error)) << error;
  SDL_Surface* png = IMG_Load(path.c_str());
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->w, 64);
  EXPECT_EQ(png->h, 48);
  Uint8 r, g, b;
  SDL_GetRGB(*reinterpret_cast<Uint32*>(png->pixels), png->format, &r, &g, &b);
  EXPECT_EQ((r << 16) | (g << 8) | b, 0x123456);
  SDL_FreeSurface(png);
  std::remove(path.c_str());
  EXPECT_FALSE(SaveScreenPNG(0, "/nonexistent-dir/x.png", &error));
  EXPECT_NE(error.find("cannot write"), std::string::npos);
}

}  // namespace
