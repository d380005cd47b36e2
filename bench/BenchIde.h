// An IDE with one editor window for the benchmarks, with the typing-sound package registered
// on the shipped wave files, or without it.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "brisk/QVBrisk.h"
#include "platform/ide/AppBuilder.h"
#include "platform/vcl/Registry.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WinReg.h"

namespace benchide {

inline std::filesystem::path ResourceDir() {
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

}  // namespace benchide
