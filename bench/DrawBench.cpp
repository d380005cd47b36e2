// Drawing costs against plain loops over the same pixels: a step of a drag outline (a 4-pixel
// XOR frame around 300 x 200, erased and drawn again through the desktop's context), and a
// full repaint of an 800 x 600 editor with 40 lines of text.
#include <benchmark/benchmark.h>

#include <cstring>

#include "RatioReporter.h"
#include "platform/ide/EditWindows.h"
#include "platform/win/Surface.h"

namespace {

void FrameXor(uint32_t* pixels, int stride, int x, int y) {
  auto strip = [&](int l, int t, int w, int h) {
    for (int r = t; r < t + h; ++r)
      for (int c = l; c < l + w; ++c) pixels[r * stride + c] ^= 0xFFFFFF;
  };
  strip(x, y, 300, 4);
  strip(x, y + 196, 300, 4);
  strip(x, y + 4, 4, 192);
  strip(x + 296, y + 4, 4, 192);
}

void BM_DragBaseline(benchmark::State& state) {
  std::vector<uint32_t> pixels(1280 * 1024, 0x123456);
  int i = 0;
  for (auto _ : state) {
    FrameXor(pixels.data(), 1280, 100 + i % 7, 100);
    FrameXor(pixels.data(), 1280, 101 + i % 7, 100);
    ++i;
    benchmark::DoNotOptimize(pixels.data());
  }
}

void Frame(HDC dc, int x, int y) {
  PatBlt(dc, x, y, 300, 4, PATINVERT);
  PatBlt(dc, x, y + 196, 300, 4, PATINVERT);
  PatBlt(dc, x, y + 4, 4, 192, PATINVERT);
  PatBlt(dc, x + 296, y + 4, 4, 192, PATINVERT);
}

void BM_DragStep(benchmark::State& state) {
  ResetWindowManager();
  HDC dc = GetDCEx(GetDesktopWindow(), 0, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  int i = 0;
  for (auto _ : state) {
    Frame(dc, 100 + i % 7, 100);
    Frame(dc, 101 + i % 7, 100);
    ++i;
  }
  ReleaseDC(0, dc);
}

void BM_EditorBaseline(benchmark::State& state) {
  TSurface& s = ScreenSurface();
  for (auto _ : state) {
    for (int y = 100; y < 700; ++y) std::memset(s.Row(y) + 100, 0xFF, 800 * sizeof(uint32_t));
    benchmark::DoNotOptimize(s.Pixels.data());
  }
}

void BM_EditorRepaint(benchmark::State& state) {
  InitApplication();
  auto* form = new TForm(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(100, 100, 800, 600);
  auto* editor = new TEditControl(form);
  editor->SetParent(form);
  editor->SetBounds(0, 0, 800, 600);
  String text;
  for (int i = 0; i < 40; ++i) text += "  procedure TForm1.Button1Click(Sender);\r\n";
  editor->SetText(text);
  form->Show();
  Application->ProcessMessages();
  for (auto _ : state) {
    editor->Invalidate();
    editor->Update();
  }
  DoneApplication();
}

}  // namespace

BENCHMARK(BM_DragBaseline)->Name("drag/baseline: XOR loop");
BENCHMARK(BM_DragStep)->Name("drag/step through the desktop context");
BENCHMARK(BM_EditorBaseline)->Name("editor/baseline: memset 800x600");
BENCHMARK(BM_EditorRepaint)->Name("editor/repaint 800x600, 40 lines");
