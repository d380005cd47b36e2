// One key release on the IDE's thread — posted key-up through the message loop, the hook,
// the notifiers and the wave player's Play — against the same key-up to an editor of an IDE
// without the package.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "brisk/QVBrisk.h"
#include "platform/ide/AppBuilder.h"
#include "platform/vcl/Registry.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WinReg.h"

namespace {

std::filesystem::path ResourceDir() {
  return std::filesystem::path(BRISK_SOURCE_DIR) / "resources";
}

struct TBenchIde {
  TEditWindow* Window = nullptr;
  std::filesystem::path Dir;

  explicit TBenchIde(bool withPackage) {
    Dir = std::filesystem::temp_directory_path() / ("brisk-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir);
    SetRegistryStorePath((Dir / "registry.dat").string());
    SetMessageBoxAnswerer([](const TMessageBoxRequest&) { return IDOK; });
    InitApplication();
    BootIDE();
    Window = CreateEditWindow(Application);
    Window->Show();
    if (!withPackage) return;
    auto* reg = new TRegistry();
    reg->OpenKey(QVBriskRegistryKey, true);
    reg->WriteBool("Active", true);
    reg->WriteString("File name wave key", (ResourceDir() / "key.wav").string());
    reg->WriteString("File name wave enter", (ResourceDir() / "enter.wav").string());
    reg->WriteString("File name wave backspace", (ResourceDir() / "backspace.wav").string());
    reg->Free();
    QVBrisk_Register();
  }
  ~TBenchIde() {
    ShutdownIDE();
    DoneApplication();
    SetMessageBoxAnswerer(nullptr);
    SetRegistryStorePath("");
    std::filesystem::remove_all(Dir);
  }
};

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
