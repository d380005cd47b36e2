// One key release on the IDE's thread — posted key-up through the message loop, the hook,
// the notifiers and the wave player's Play — against the same key-up to an editor of an IDE
// without the package.
#include <benchmark/benchmark.h>

#include "BenchIde.h"

namespace {

using benchide::TBenchIde;

void BM_KeyRelease(benchmark::State& state) {
  TBenchIde ide(state.range(0) != 0);
  HWND h = ide.Window->GetEditControl()->GetHandle();
  const LPARAM up = MakeKeyData(WM_KEYUP, 'A');
  PostMessage(h, WM_KEYUP, 'A', up);  // the first play reads the file; the rest hit the cache
  Application->ProcessMessages();
  for (auto _ : state) {
    PostMessage(h, WM_KEYUP, 'A', up);
    Application->ProcessMessages();
  }
}

}  // namespace

BENCHMARK(BM_KeyRelease)->Name("key release/baseline without the package")->Arg(0);
BENCHMARK(BM_KeyRelease)->Name("key release/with the package")->Arg(1);
