#include "BriskFixture.h"

#include <unistd.h>

#include "vellumkit/WaveFixtures.h"

void TBriskFixture::SetUp() {
  SKIP_WITHOUT_SAMPLE_WAVES();
  Dir = std::filesystem::temp_directory_path() /
        ("brisk-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(Dir);
  std::filesystem::create_directories(Dir);
  SetRegistryStorePath((Dir / "registry.dat").string());
  const char* names[3][2] = {{"MsgType.wav", "key.wav"}, {"HubConnected.wav", "enter.wav"}, {"percussion-12.wav", "back.wav"}};
  std::string* targets[3] = {&KeyWav, &EnterWav, &BackWav};
  for (int i = 0; i < 3; ++i) {
    std::filesystem::copy_file(wavetest::SamplePath(names[i][0]), Dir / names[i][1]);
    *targets[i] = (Dir / names[i][1]).string();
  }
  ClearShownMessageBoxes();
  SetMessageBoxAnswerer([](const TMessageBoxRequest&) { return IDOK; });
  TZKWavePlayer::UseCaptureSink(&Capture);
  TIdeFixture::SetUp();
  BootIDE();
  Editor = CreateEditWindow(Application);
  Editor->Show();
}

void TBriskFixture::TearDown() {
  if (IsSkipped()) return;
  ShutdownIDE();
  TIdeFixture::TearDown();
  TZKWavePlayer::UseSilence();
  SetMessageBoxAnswerer(nullptr);
  SetRegistryStorePath("");
  std::filesystem::remove_all(Dir);
}

void TBriskFixture::StoreSettings(bool active, const std::string& key, const std::string& enter, const std::string& back) {
  auto* reg = new TRegistry();
  reg->OpenKey(QVBriskRegistryKey, true);
  reg->WriteBool("Active", active);
  reg->WriteString("File name wave key", key);
  reg->WriteString("File name wave enter", enter);
  reg->WriteString("File name wave backspace", back);
  reg->Free();
}

std::string TBriskFixture::StoredValue(const char* name) {
  auto* reg = new TRegistry();
  std::string r = "<missing>";
  if (reg->OpenKey(QVBriskRegistryKey, false) && reg->ValueExists(name)) {
    r = reg->GetDataType(name) == rdInteger ? "dword:" + std::to_string(reg->ReadInteger(name)) : "sz:" + reg->ReadString(name);
  }
  reg->Free();
  return r;
}

std::vector<std::string> TBriskFixture::Heard() const {
  std::vector<std::string> r;
  for (const TPlayRecord& p : Capture.GetPlays()) r.push_back(p.FileName);
  return r;
}
