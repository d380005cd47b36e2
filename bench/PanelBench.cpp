// What the editor panel's title-bar layout adds to a size change: a panel with all eight
// standard buttons and two user buttons resized, against a plain panel of the same size with
// an aligned child, resized the same way.
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

}  // namespace

BENCHMARK(BM_PanelBaseline)->Name("panel/baseline: plain panel resized");
BENCHMARK(BM_PanelResize)->Name("panel/resize with the title bar laid out");
