// The booted IDE with a settings store of its own, the capture sink for sound and a
// recorder for message boxes: what the typing-sound expert meets at start-up.
#pragma once

#include <filesystem>

#include "brisk/QVBrisk.h"
#include "platform/ide/AppBuilder.h"
#include "platform/vcl/Registry.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WinReg.h"
#include "support/IdeFixture.h"

class TBriskFixture : public TIdeFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Three distinct wave files: the shipped samples copied into the test's folder.
  std::string KeyWav, EnterWav, BackWav;
  // Writes the expert's settings as a user would have them stored.
  void StoreSettings(bool active, const std::string& key, const std::string& enter, const std::string& back);
  // The stored value of the settings key, or "<missing>".
  std::string StoredValue(const char* name);
  // The file names the capture sink heard, in order.
  std::vector<std::string> Heard() const;
  std::vector<TMessageBoxRequest> Boxes() const { return GetShownMessageBoxes(); }

  std::filesystem::path Dir;
  TAudioCapture Capture;
  TEditWindow* Editor = nullptr;
};
