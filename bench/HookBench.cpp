// Messages sent to a hooked editor control with 0, 1 and 8 notifiers, against the same
// messages sent to an editor control that is not hooked.
#include <benchmark/benchmark.h>

#include "RatioReporter.h"
#include "framework/EIManager.h"
#include "platform/ide/EditWindows.h"

namespace {

class TCountingNotifier : public TEIMessageNotifier {
 public:
  long Seen = 0;
  void BeforeEditorMessageProcess(TEIManager*, TMessage, TMessage&) override { ++Seen; }
};

// An IDE with one editor window, hooked by the framework or not.
struct TIde {
  TEditWindow* Window;
  TIDEManager* Manager = nullptr;
  std::vector<TCountingNotifier*> Notifiers;

  TIde(bool hooked, int notifiers) {
    InitApplication();
    Window = CreateEditWindow(Application);
    Window->Show();
    if (!hooked) return;
    Manager = InstallIDEIntegrationManager("Bench");
    for (int i = 0; i < notifiers; ++i) {
      Notifiers.push_back(new TCountingNotifier());
      Manager->AddNotifier(Notifiers.back());
    }
  }
  ~TIde() {
    for (auto* n : Notifiers) {
      Manager->RemoveNotifier(n);
      n->Free();
    }
    DoneApplication();
  }
};

// A message the editor control passes to its default handling, as most of its traffic is.
constexpr UINT kMessage = WM_USER + 100;

// Arg -1: no framework at all; otherwise the number of notifiers.
void BM_Hook(benchmark::State& state) {
  const int notifiers = static_cast<int>(state.range(0));
  TIde ide(notifiers >= 0, notifiers < 0 ? 0 : notifiers);
  HWND h = ide.Window->GetEditControl()->GetHandle();
  for (auto _ : state) benchmark::DoNotOptimize(SendMessage(h, kMessage, 1, 2));
}

}  // namespace

BENCHMARK(BM_Hook)->Name("hook/baseline")->Arg(-1);
BENCHMARK(BM_Hook)->Name("hook/0 notifiers")->Arg(0);
BENCHMARK(BM_Hook)->Name("hook/1 notifier")->Arg(1);
BENCHMARK(BM_Hook)->Name("hook/8 notifiers")->Arg(8);

