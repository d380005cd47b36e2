// brisk-ide run headless as a user runs it: the package loads, typed keys are heard and
// written to the WAV, and a never-configured profile shows the missing-files message.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct TRun {
  int ExitCode = -1;
  std::string Output;
};

TRun RunHost(const std::string& args) {
  TRun run;
  const std::string command = "SDL_AUDIODRIVER=dummy '" BRISK_IDE_EXE "' " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), pipe)) > 0) run.Output.append(buf, n);
  const int status = pclose(pipe);
  run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("brisk-host-test-" + std::to_string(getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }
  fs::path Dir;
};

}  // namespace

TEST_F(HostTest, TypedKeysAreHeardAndWritten) {
  const fs::path wav = Dir / "out.wav";
  const TRun run = RunHost("--type 'ab\\nc\\b' --audio-out '" + wav.string() + "' --profile '" + (Dir / "p").string() + "'");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(run.Output.find("keys typed: 5 (1 Enter, 1 Backspace)"), std::string::npos) << run.Output;
  EXPECT_NE(run.Output.find("sounds played: 3 key, 1 enter, 1 backspace\n"), std::string::npos) << run.Output;
  EXPECT_EQ(run.Output.find("[message box]"), std::string::npos) << run.Output;

  // A 16-bit stereo PCM wave long enough to hold the typing and its tail.
  std::ifstream in(wav, std::ios::binary);
  ASSERT_TRUE(in) << run.Output;
  char header[44];
  ASSERT_TRUE(in.read(header, sizeof(header)));
  EXPECT_EQ(std::string(header, 4), "RIFF");
  EXPECT_EQ(std::string(header + 8, 4), "WAVE");
  EXPECT_GT(fs::file_size(wav), 44u + 48000u * 4u);

  // The profile keeps the settings: a second run on it is not seeded again and still plays.
  const TRun again = RunHost("--type a --no-audio-out --profile '" + (Dir / "p").string() + "'");
  ASSERT_EQ(again.ExitCode, 0) << again.Output;
  EXPECT_NE(again.Output.find("sounds played: 1 key, 0 enter, 0 backspace"), std::string::npos) << again.Output;
}

TEST_F(HostTest, AnUnconfiguredProfileIsToldTheFilesAreMissingAndStaysSilent) {
  const TRun run = RunHost("--no-seed --type ab --no-audio-out --profile '" + (Dir / "p").string() + "'");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(run.Output.find("The QV Brisk Expert is disabled because at least one of the files is missing ! -> OK"),
            std::string::npos)
      << run.Output;
  EXPECT_NE(run.Output.find("sounds played: 0 key, 0 enter, 0 backspace"), std::string::npos) << run.Output;
}

TEST_F(HostTest, ABadCommandLineIsRefusedWithTheUsage) {
  const TRun run = RunHost("--frobnicate");
  EXPECT_EQ(run.ExitCode, 2);
  EXPECT_NE(run.Output.find("unknown option --frobnicate"), std::string::npos) << run.Output;
  EXPECT_NE(run.Output.find("usage: brisk-ide"), std::string::npos) << run.Output;
}
