// What the editor panel's title-bar layout adds to a size change: a panel with all eight
// standard buttons and two user buttons resized, against a plain panel of the same size with
// an aligned child, resized the same way. And what a mouse move costs while the panel is
// dragged by its title bar or sized by its splitter, against drawing its two XOR outlines alone.
#include <benchmark/benchmark.h>

#include "RatioReporter.h"
#include "panel/EIPanel.h"

namespace {

// A shown borderless form holding the control, resized by one pixel back and forth, with no
// painting in between (the layout is what is measured).
template <class Make>
void Resizes(benchmark::State& state, Make make) {
  InitApplication();
  auto* form = new TForm(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 400, 300);
  TControl* control = make(form);
  control->SetParent(form);
  form->Show();
  Application->ProcessMessages();
  int i = 0;
  for (auto _ : state) {
    control->SetBounds(10, 10, 300 + i % 2, 200);
    ++i;
  }
  form->Free();
  Application->ProcessMessages();
  DoneApplication();
}

void BM_PanelBaseline(benchmark::State& state) {
  Resizes(state, [](TForm* form) -> TControl* {
    auto* panel = new TPanel(form);
    auto* bar = new TPanel(panel);
    bar->SetParent(panel);
    bar->SetHeight(16);
    bar->SetAlign(alTop);
    return panel;
  });
}

void BM_PanelResize(benchmark::State& state) {
  Resizes(state, [](TForm* form) -> TControl* {
    auto* panel = new TEIPanel(form);
    panel->SetTitleBarAlign(talTop);
    panel->SetTitleBarButtonVisible(TTitleBarButtonIDs::FromBits(0xFF));
    for (int id = 1; id <= 2; ++id) {
      TTitleBarBtn* b = panel->AddButton();
      b->SetButtonID(id);
      b->SetCaption("User");
      b->SetWidth(30);
      b->SetVisible(true);
    }
    return panel;
  });
}

// A left panel 60 wide on a shown borderless form, for drags and sizings.
struct TDragScene {
  TForm* Form;
  TEIPanel* Panel;
  TDragScene() {
    InitApplication();
    Form = new TForm(Application);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(0, 0, 400, 300);
    Panel = new TEIPanel(Form);
    Panel->SetParent(Form);
    Panel->SetAlign(alLeft);
    Panel->SetWidth(60);
    Form->Show();
    Application->ProcessMessages();
  }
  ~TDragScene() {
    Form->Free();
    Application->ProcessMessages();
    DoneApplication();
  }
};

// Two focus rectangles on the desktop's context, the erase and the draw of one move.
void BM_DragBaseline(benchmark::State& state) {
  TDragScene scene;
  HDC dc = GetDCEx(GetDesktopWindow(), 0, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE);
  int i = 0;
  for (auto _ : state) {
    const TRect a{i % 2, 0, 60 + i % 2, 300}, b{(i + 1) % 2, 0, 60 + (i + 1) % 2, 300};
    DrawFocusRect(dc, &a);
    DrawFocusRect(dc, &b);
    ++i;
  }
  ReleaseDC(GetDesktopWindow(), dc);
}

void BM_DragMove(benchmark::State& state) {
  TDragScene scene;
  TTitleBar* bar = scene.Panel->GetTitleBar();
  bar->OnTitleBarStartDrag(bar, 8, 100);
  int i = 0;
  for (auto _ : state) {
    bar->OnTitleBarDoDrag(bar, 8 + i % 2, 100);
    ++i;
  }
  scene.Panel->GetDragControl()->EndDragging();
}

// Two XOR lines as thick as the strip on the form's context.
void BM_SplitterBaseline(benchmark::State& state) {
  TDragScene scene;
  TCanvas* canvas = scene.Form->GetCanvas();
  canvas->SetHandle(GetDCEx(scene.Form->GetHandle(), 0, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE));
  canvas->GetPen()->SetColor(clWhite);
  canvas->GetPen()->SetWidth(4);
  canvas->GetPen()->SetMode(pmXor);
  int i = 0;
  for (auto _ : state) {
    canvas->MoveTo(58 + i % 2, 0);
    canvas->LineTo(58 + i % 2, 300);
    canvas->MoveTo(58 + (i + 1) % 2, 0);
    canvas->LineTo(58 + (i + 1) % 2, 300);
    ++i;
  }
  HDC dc = canvas->GetHandle();
  canvas->SetHandle(0);
  ReleaseDC(scene.Form->GetHandle(), dc);
}

void BM_SplitterMove(benchmark::State& state) {
  TDragScene scene;
  TSplitterPanel* strip = scene.Panel->GetSplitter();
  strip->OnMouseDown(strip, mbLeft, TShiftState{ssLeft}, 1, 100);
  int i = 0;
  for (auto _ : state) {
    strip->OnMouseMove(strip, TShiftState{ssLeft}, 1 + i % 2, 100);
    ++i;
  }
  scene.Panel->GetSplitterControl()->EndSizing();
}

}  // namespace

BENCHMARK(BM_DragBaseline)->Name("panel drag/baseline: two outlines drawn");
BENCHMARK(BM_DragMove)->Name("panel drag/a mouse move of the title-bar drag");
BENCHMARK(BM_SplitterBaseline)->Name("panel splitter/baseline: two lines drawn");
BENCHMARK(BM_SplitterMove)->Name("panel splitter/a mouse move of the splitter drag");
BENCHMARK(BM_PanelBaseline)->Name("panel/baseline: plain panel resized");
BENCHMARK(BM_PanelResize)->Name("panel/resize with the title bar laid out");
