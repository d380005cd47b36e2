// Replays every kept input of every fuzz target (its seeds and the crash inputs found so far)
// as one test each, so a fixed crash stays fixed in the ordinary and the sanitizer build.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzTarget.h"

namespace fs = std::filesystem;

namespace {
class TReplay : public testing::Test {
 public:
  TReplay(TFuzzTarget run, fs::path file) : FRun(run), FFile(std::move(file)) {}
  void TestBody() override {
    std::ifstream in(FFile, std::ios::binary);
    ASSERT_TRUE(in) << FFile;
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // libFuzzer reserves non-zero results; a target returns 0 for every input it survives.
    EXPECT_EQ(0, FRun(bytes.data(), bytes.size())) << FFile;
  }

 private:
  TFuzzTarget FRun;
  fs::path FFile;
};

std::string TestName(const fs::path& file) {
  std::string name = file.filename().string();
  std::replace_if(name.begin(), name.end(), [](char c) { return !isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
}

void RegisterReplays() {
  const fs::path root = BRISK_FUZZ_DIR;
  for (int i = 0; i < GetFuzzTargetCount(); ++i) {
    const TFuzzTargetEntry& target = GetFuzzTarget(i);
    for (const char* kind : {"corpus", "regressions"}) {
      const fs::path dir = root / kind / target.Name;
      if (!fs::is_directory(dir)) continue;
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file()) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      const std::string suite = std::string(target.Name) + (kind[0] == 'c' ? "Seed" : "Regression");
      for (const fs::path& file : files) {
        TFuzzTarget run = target.Run;
        testing::RegisterTest(suite.c_str(), TestName(file).c_str(), nullptr, nullptr, __FILE__, __LINE__,
                              [run, file]() -> testing::Test* { return new TReplay(run, file); });
      }
    }
  }
}
}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  RegisterReplays();
  return RUN_ALL_TESTS();
}
