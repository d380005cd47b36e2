// brisk-ide run headless as a user runs it: the package loads, typed keys are heard and
// written to the WAV, a never-configured profile shows the missing-files message, bad inputs
// are refused with the system's reason, a long session costs no more memory than a short, no
// profile keeps the IDE from starting, and the screenshot shows what a person would see.
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "platform/vellumkit/WaveClip.h"
#include "support/Pixels.h"

namespace fs = std::filesystem;

namespace {

struct TRun {
  int ExitCode = -1;
  std::string Output;
  long MaxRssKiB = 0;  // the child's peak resident memory
};

// Runs the host through the shell with its output captured; `env` goes before the command.
// Every run is bounded by `timeout`, so a host that hangs fails the test instead of stalling it.
// No display is named: these runs are headless wherever the tests run.
TRun RunHost(const std::string& args, const std::string& env = "SDL_AUDIODRIVER=dummy") {
  TRun run;
  const std::string command = "DISPLAY= WAYLAND_DISPLAY= " + env + " timeout 120 '" BRISK_IDE_EXE "' " + args + " 2>&1";
  int out[2];
  if (pipe(out) != 0) return run;
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  char buf[4096];
  ssize_t n;
  while ((n = read(out[0], buf, sizeof(buf))) > 0) run.Output.append(buf, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  struct rusage usage {};
  if (child > 0 && wait4(child, &status, 0, &usage) == child) {
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.MaxRssKiB = usage.ru_maxrss;
  }
  return run;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

uint32_t LE32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
  return v;
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

  // A 16-bit stereo PCM wave long enough to hold the typing and its tail, written as it was
  // mixed, with the sizes put right at the end, and the sounds in it.
  std::ifstream in(wav, std::ios::binary);
  ASSERT_TRUE(in) << run.Output;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_GT(bytes.size(), 44u + 48000u * 4u);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(LE32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(bytes.substr(36, 4), "data");
  EXPECT_EQ(LE32(bytes, 40), bytes.size() - 44);
  std::string error;
  const TWaveClip::TRef session = TWaveClip::Decode(bytes.data(), bytes.size(), &error);
  ASSERT_TRUE(session) << error;
  float peak = 0;
  for (size_t i = 0; i < static_cast<size_t>(session->GetFrames()) * kMixChannels; ++i)
    peak = std::max(peak, std::abs(session->GetSamples()[i]));
  EXPECT_GT(peak, 0.05f) << "the typing is heard in the file";
  EXPECT_NE(run.Output.find("WAV written: " + wav.string()), std::string::npos) << run.Output;

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

// Inputs that are not regular files, or too large, are refused at once with the system's
// reason, and the temporary profile made before is removed on that path too.
TEST_F(HostTest, InputsThatAreNotUnitsAreRefusedWithTheReason) {
  const fs::path tmp = Dir / "tmp";
  fs::create_directories(tmp);
  const fs::path fifo = Dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const fs::path huge = Dir / "huge.pas";
  std::ofstream(huge).close();
  fs::resize_file(huge, 17u * 1024 * 1024);  // sparse: nothing is written
  struct TRow {
    std::string Args;
    std::string Message;
  } rows[] = {
      {"--file /dev/zero", "cannot read /dev/zero: not a regular file"},
      {"--file '" + fifo.string() + "'", "cannot read " + fifo.string() + ": not a regular file"},
      {"--file '" + Dir.string() + "'", "cannot read " + Dir.string() + ": it is a directory"},
      {"--file '" + (Dir / "none.pas").string() + "'", "cannot read " + (Dir / "none.pas").string() + ": No such file or directory"},
      {"--file '" + huge.string() + "'", "cannot read " + huge.string() + ": larger than the 16 MiB"},
      {"--type-file /dev/zero", "cannot read /dev/zero: not a regular file"},
      {"--type-file '" + fifo.string() + "'", "cannot read " + fifo.string() + ": not a regular file"},
      {"--project '" + (Dir / "none").string() + "' --type a",
       "Cannot read folder \"" + (Dir / "none").string() + "\". No such file or directory"},
      {"--audio-out '" + (Dir / "no-dir" / "x.wav").string() + "' --type a",
       "cannot write " + (Dir / "no-dir" / "x.wav").string() + ": No such file or directory"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Args);
    const TRun run = RunHost(row.Args, "SDL_AUDIODRIVER=dummy TMPDIR='" + tmp.string() + "'");
    EXPECT_EQ(run.ExitCode, 1) << run.Output;
    EXPECT_NE(run.Output.find("brisk-ide: " + row.Message), std::string::npos) << run.Output;
    EXPECT_TRUE(fs::is_empty(tmp)) << "the temporary profile is left behind";
  }
}

TEST_F(HostTest, TypesTheTextOfAFile) {
  const fs::path text = Dir / "text.txt";
  std::ofstream(text, std::ios::binary) << "ab\r\ncd";
  const TRun run = RunHost("--type-file '" + text.string() + "' --no-audio-out --profile '" + (Dir / "p").string() + "'");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(run.Output.find("keys typed: 5 (1 Enter, 0 Backspace)"), std::string::npos) << run.Output;
  EXPECT_NE(run.Output.find("sounds played: 4 key, 1 enter, 0 backspace\n"), std::string::npos) << run.Output;

  const TRun both = RunHost("--type x --type-file '" + text.string() + "'");
  EXPECT_EQ(both.ExitCode, 2);
  EXPECT_NE(both.Output.find("--type and --type-file cannot be used together"), std::string::npos) << both.Output;
}

// A folder of units and form files is the project: its first unit is typed into, its form
// read from the form file beside it.
TEST_F(HostTest, OpensAProjectFromAFolder) {
  const fs::path project = Dir / "My.Game";
  fs::create_directories(project);
  std::ofstream(project / "Board.pas", std::ios::binary) << "unit Board;\r\nend.\r\n";
  std::ofstream(project / "Board.dfm", std::ios::binary)
      << "object BoardForm: TBoardForm\r\n  object Grid: TDrawGrid\r\n  end\r\n  object Timer1: TTimer\r\n  end\r\nend\r\n";
  std::ofstream(project / "Tools.pas", std::ios::binary) << "unit Tools;\r\nend.\r\n";
  const TRun run = RunHost("--project '" + project.string() + "/' --type ab --no-audio-out --profile '" +
                           (Dir / "p").string() + "'");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(run.Output.find("editing Board.pas (3 lines)"), std::string::npos) << run.Output;
  EXPECT_NE(run.Output.find("project My.Game.dpr: 2 unit(s), 1 form(s)\n"), std::string::npos) << run.Output;
  EXPECT_NE(run.Output.find("form BoardForm (TBoardForm) read from Board.dfm: 2 components\n"), std::string::npos)
      << run.Output;
}

// The time from key release to the sound's first mixed sample is measured where the device
// mixes it, one figure per sound; without a device nothing is claimed, and the missing device
// is told once, without the sound library's own complaints.
TEST_F(HostTest, LatencyIsMeasuredOnTheDeviceOrNotReported) {
  const std::string args = "--type 'ab c' --no-audio-out --profile '" + (Dir / "p").string() + "'";
  const TRun device = RunHost(args);
  ASSERT_EQ(device.ExitCode, 0) << device.Output;
  EXPECT_NE(device.Output.find("audio device: dummy, buffer 256 frames"), std::string::npos) << device.Output;
  EXPECT_NE(device.Output.find("key release to first mixed sample, on the device's thread: p50 "), std::string::npos)
      << device.Output;
  EXPECT_NE(device.Output.find(" over 4 sounds\n"), std::string::npos) << device.Output;

  const TRun none = RunHost(args, "SDL_AUDIODRIVER=alsa AUDIODEV=hw:99");
  ASSERT_EQ(none.ExitCode, 0) << none.Output;
  EXPECT_EQ(Count(none.Output, "no audio device"), 1u) << none.Output;
  EXPECT_EQ(none.Output.find("ALSA lib"), std::string::npos) << none.Output;
  EXPECT_EQ(none.Output.find("first mixed sample"), std::string::npos) << none.Output;
  EXPECT_EQ(none.Output.find("latency"), std::string::npos) << none.Output;
  EXPECT_NE(none.Output.find("sounds played: 4 key"), std::string::npos) << none.Output;
}

// The session's sound is streamed to its file as it is mixed: ten times the keys cost no
// more memory (before, every key kept its audio: about 90 MB per thousand keys).
TEST_F(HostTest, MemoryStaysTheSameHoweverLongTheSessionRuns) {
  auto typeKeys = [&](int keys) {
    const fs::path text = Dir / ("keys-" + std::to_string(keys) + ".txt");
    std::string s;
    for (int i = 0; i < keys; ++i) s += i % 40 == 39 ? '\n' : static_cast<char>('a' + i % 26);
    std::ofstream(text, std::ios::binary) << s;
    return RunHost("--type-file '" + text.string() + "' --audio-out /dev/null --profile '" + (Dir / "p").string() + "'");
  };
  const TRun few = typeKeys(400);
  const TRun many = typeKeys(4000);
  ASSERT_EQ(few.ExitCode, 0) << few.Output;
  ASSERT_EQ(many.ExitCode, 0) << many.Output;
  EXPECT_NE(many.Output.find("keys typed: 4000"), std::string::npos) << many.Output;
  EXPECT_LT(many.MaxRssKiB - few.MaxRssKiB, 32 * 1024)
      << "peak memory " << few.MaxRssKiB << " KiB for 400 keys, " << many.MaxRssKiB << " KiB for 4000";
}

// What a person sees at the end of a run: the main window's caption and menu bar, the editor
// with its text on white.
TEST_F(HostTest, TheScreenshotShowsTheMainWindowsMenuAndTheEditorWithItsText) {
  const fs::path png = Dir / "shot.png";
  const TRun run = RunHost("--type 'x' --no-audio-out --screen 800x600 --screenshot '" + png.string() + "' --profile '" +
                           (Dir / "p").string() + "'");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(run.Output.find("screenshot written"), std::string::npos) << run.Output;
  SDL_Surface* loaded = IMG_Load(png.string().c_str());
  ASSERT_NE(loaded, nullptr) << IMG_GetError();
  SDL_Surface* img = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->w, 800);
  EXPECT_EQ(img->h, 600);
  auto count = [&](int l, int t, int r, int b, uint32_t rgb) {
    int n = 0;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x)
        n += (reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(img->pixels) + y * img->pitch)[x] & 0xFFFFFF) == rgb;
    return n;
  };
  // The main window's menu bar (below its 4-pixel frame and 19-pixel caption): face and black text.
  EXPECT_GT(count(4, 23, 300, 42, 0xD4D0C8), 1000);
  EXPECT_GT(count(4, 23, 300, 42, 0x000000), 50) << "the menu captions";
  // The editor: white with black text.
  EXPECT_GT(count(50, 190, 660, 500, 0xFFFFFF), 50000);
  EXPECT_GT(count(50, 190, 660, 500, 0x000000), 500) << "the unit's text";
  SDL_FreeSurface(img);
}

// The settings store is never a reason not to start: whatever the profile holds, the IDE runs,
// keeps what it can read, and says once, in a box, what it found. Folder and file permissions
// are what an ordinary user meets; a root run takes the part of "nobody" for those rows.
TEST_F(HostTest, AProfileTheStoreCannotFullyUseNeverStopsTheIDE) {
  const bool root = geteuid() == 0;
  const std::string asUser = root ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  const bool canBeAUser =
      std::system(("SDL_AUDIODRIVER=dummy " + asUser + "'" BRISK_IDE_EXE "' --help >/dev/null 2>&1").c_str()) == 0;
  auto giveToUser = [&](const fs::path& p) {
    if (root) {
      ASSERT_EQ(chown(p.c_str(), 65534, 65534), 0) << p;
    }
  };
  auto replace = [](const fs::path& file, const std::string& from, const std::string& to) {
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
  };
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
  fs::permissions(Dir, readOnly | fs::perms::owner_write);  // "nobody" may look inside
  struct Row {
    const char* what;
    bool ordinaryUser;  // where permissions matter
    std::function<void(const fs::path& profile)> damage;  // done to a profile an installer left
    std::string box;    // in the one box about the settings; "" for no box
    std::string heard;  // the summary of what was played
  } rows[] = {
      // Opening a FIFO for reading would wait for a writer forever.
      {"a FIFO for the store", false,
       [](const fs::path& p) {
         fs::remove(p / "registry.dat");
         ASSERT_EQ(mkfifo((p / "registry.dat").c_str(), 0600), 0);
       },
       "cannot be read (it is not a regular file).", "sounds played: 0 key"},
      {"line ends changed by an editor", false, [&](const fs::path& p) { replace(p / "registry.dat", "\n", "\r\n"); },
       "", "sounds played: 2 key, 1 enter, 0 backspace"},
      {"a flipped byte in the first line", false,
       [&](const fs::path& p) { replace(p / "registry.dat", "BRISK-REGISTRY", "BRISK-REGISTRZ"); },
       "is damaged (line 1: the first line is not the store's header).", "sounds played: 2 key, 1 enter, 0 backspace"},
      {"a folder that cannot be written", true,
       [&](const fs::path& p) {
         for (const char* f : {"registry.dat", "registry.dat.lock"}) giveToUser(p / f);
         fs::permissions(p, readOnly);
       },
       "could not be saved to " + (Dir / "a folder that cannot be written" / "registry.dat").string() +
           " (cannot create files in " + (Dir / "a folder that cannot be written").string() + ": Permission denied).",
       "sounds played: 2 key, 1 enter, 0 backspace"},
      {"a file that cannot be read", true,
       [&](const fs::path& p) {
         giveToUser(p / "registry.dat.lock");
         fs::permissions(p / "registry.dat", root ? fs::perms::owner_read | fs::perms::owner_write : fs::perms::none);
       },
       "cannot be read (Permission denied).", "sounds played: 0 key"},
  };
  std::string skipped;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.ordinaryUser && !canBeAUser) {
      skipped += std::string(skipped.empty() ? "" : ", ") + row.what;
      continue;
    }
    const fs::path profile = Dir / row.what;
    const std::string args = "--type 'a\\nb' --no-audio-out --profile '" + profile.string() + "'";
    ASSERT_EQ(RunHost(args).ExitCode, 0);
    row.damage(profile);
    const TRun run = RunHost(args, "SDL_AUDIODRIVER=dummy " + (row.ordinaryUser ? asUser : std::string()));
    fs::permissions(profile, fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_NE(run.Output.find(row.heard), std::string::npos) << run.Output;
    EXPECT_EQ(Count(run.Output, "[message box] Settings: "), row.box.empty() ? 0u : 1u) << run.Output;
    EXPECT_TRUE(row.box.empty() || run.Output.find(row.box) != std::string::npos) << run.Output;
  }
  if (!skipped.empty()) GTEST_SKIP() << "not run, as the IDE cannot be run as an ordinary user here: " << skipped;
}

// The shipped configuration script, on a profile nobody configured: the sounds are switched
// on and their files chosen in the dialog, the About box opened over it, and OK takes effect
// at once. The WAV has the short key sound at each key and the long Enter sound at each Enter.
TEST_F(HostTest, TheConfigurationScriptSwitchesTheSoundsOnAndEachEnterIsHeardWithTheEnterSound) {
  // The script names the wave files from the repository's root, where scripts/run runs.
  fs::create_directory_symlink(BRISK_SOURCE_DIR "/resources", Dir / "resources");
  const fs::path wav = Dir / "configure.wav";
  const TRun run = RunHost("--no-seed --script resources/configure.script --audio-out '" + wav.string() +
                               "' --profile '" + (Dir / "p").string() + "'",
                           "cd '" + Dir.string() + "' && SDL_AUDIODRIVER=dummy");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(run.Output.find("configure.script ran to its end"), std::string::npos) << run.Output;
  EXPECT_NE(run.Output.find("sounds played: 9 key, 2 enter, 0 backspace\n"), std::string::npos) << run.Output;
  for (const char* shot : {"configure-dialog.png", "configure-about.png", "configure-chosen.png", "configure-typed.png"})
    EXPECT_TRUE(fs::exists(Dir / shot)) << shot;

  std::ifstream in(wav, std::ios::binary);
  ASSERT_TRUE(in) << run.Output;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // 16-bit stereo from byte 44 (a clip decoder keeps only a clip's first seconds). The sounds
  // one after another, each as long as it is heard: a burst ends 50 ms after its last
  // audible sample.
  ASSERT_GT(bytes.size(), 44u);
  constexpr double kRate = 48000;
  const size_t frames = (bytes.size() - 44) / 4;
  std::vector<std::pair<size_t, size_t>> bursts;
  for (size_t f = 0; f < frames; ++f) {
    const auto left = static_cast<int16_t>(static_cast<uint8_t>(bytes[44 + 4 * f]) |
                                           static_cast<uint8_t>(bytes[45 + 4 * f]) << 8);
    if (std::abs(left) < 300) continue;
    if (bursts.empty() || f - bursts.back().second > 0.05 * kRate)
      bursts.push_back({f, f});
    else
      bursts.back().second = f;
  }
  // "begin\nend;\n": the sixth and the eleventh keys are the Enters.
  ASSERT_EQ(bursts.size(), 11u);
  for (size_t i = 0; i < bursts.size(); ++i) {
    const double ms = (bursts[i].second - bursts[i].first) / kRate * 1000;
    if (i == 5 || i == 10)
      EXPECT_GT(ms, 100) << "key " << i + 1 << " is an Enter: the 150 ms Enter sound";
    else
      EXPECT_LT(ms, 40) << "key " << i + 1 << ": the 22 ms key sound";
  }
}

// A script drives a whole run: the shipped example runs to its end and writes its
// screenshots; a line that is not a step, or a step that fails, stops the host with its line.
TEST_F(HostTest, AScriptRunsToItsEndOrStopsAtTheLineThatFailed) {
  const std::string profile = " --no-audio-out --profile '" + (Dir / "p").string() + "'";
  const std::string inDir = "cd '" + Dir.string() + "' && SDL_AUDIODRIVER=dummy";
  const TRun demo = RunHost("--script '" BRISK_SOURCE_DIR "/resources/demo.script'" + profile, inDir);
  ASSERT_EQ(demo.ExitCode, 0) << demo.Output;
  EXPECT_NE(demo.Output.find("demo.script ran to its end"), std::string::npos) << demo.Output;
  EXPECT_NE(demo.Output.find("keys typed: 26 (1 Enter, 0 Backspace)"), std::string::npos) << demo.Output;
  for (const char* shot : {"demo-typed.png", "demo-undone.png", "demo-tools.png", "demo-packages.png"})
    EXPECT_TRUE(fs::exists(Dir / shot)) << shot;

  struct {
    const char* Script;
    int ExitCode;
    const char* Message;
  } rows[] = {
      {"type a\njump\n", 2, "s.script:2: unknown step 'jump'"},
      {"type a\n\nmenu Tools > Nothing\ntype b\n", 1, "s.script:3: no menu item \"Nothing\" in Tools"},
      {"answer OK\n", 1, "s.script:1: no modal form is open to answer"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Script);
    std::ofstream(Dir / "s.script") << row.Script;
    const TRun run = RunHost("--script '" + (Dir / "s.script").string() + "'" + profile);
    EXPECT_EQ(run.ExitCode, row.ExitCode) << run.Output;
    EXPECT_NE(run.Output.find(row.Message), std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find("ran to its end"), std::string::npos) << run.Output;
  }
  const TRun both = RunHost("--script x --type y");
  EXPECT_EQ(both.ExitCode, 2);
  EXPECT_NE(both.Output.find("cannot be used with --type"), std::string::npos) << both.Output;
  const TRun help = RunHost("--help");
  EXPECT_NE(help.Output.find("drag X1 Y1 X2 Y2"), std::string::npos) << help.Output;
}

// The shipped panel script, run as its first lines say, moves the sample's panel step by step;
// each screenshot shows it where the step left it. The title bar is drawn in the active
// caption colour, the splitter in the face colour, the list and the editor in the window colour.
TEST_F(HostTest, ThePanelScriptMovesTheSamplesPanelWhereEachStepSays) {
  const TRun run = RunHost("--package '" KEYSTROKES_PACKAGE "' --script '" BRISK_SOURCE_DIR "/resources/panel.script' --no-audio-out"
                           " --profile '" + (Dir / "p").string() + "'",
                           "cd '" + Dir.string() + "' && SDL_AUDIODRIVER=dummy");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(run.Output.find("panel.script ran to its end"), std::string::npos) << run.Output;
  EXPECT_NE(run.Output.find("2 package(s) loaded"), std::string::npos) << run.Output;

  constexpr uint32_t kTitle = 0x0A246A, kFace = 0xD4D0C8, kWindow = 0xFFFFFF;
  // Points: the left side of the first editor window (52,350), its top (300,186), the left
  // side of the second window (692,300), its bottom (900,520). In the second window's column
  // at 900 the moved panel's splitter, a band of face colour, stands at rows 346 to 352 and,
  // dragged 100 pixels up, about 100 rows higher.
  struct {
    const char* Shot;
    std::vector<std::tuple<int, int, uint32_t>> Points;
    int SplitterFrom, SplitterTo;  // rows at x 900 where the splitter must be; 0 for none
  } rows[] = {
      {"panel-docked.png", {{52, 350, kTitle}, {300, 186, kWindow}}, 0, 0},
      {"panel-top.png", {{52, 350, kWindow}, {300, 186, kTitle}}, 0, 0},
      {"panel-second-window.png", {{300, 186, kTitle}, {692, 300, kTitle}, {900, 520, kWindow}}, 0, 0},
      {"panel-moved.png", {{300, 186, kWindow}, {692, 300, kTitle}, {900, 520, kTitle}}, 346, 352},
      {"panel-minimized.png", {{900, 520, kTitle}, {900, 350, kWindow}, {900, 505, kWindow}}, 0, 0},
      {"panel-restored.png", {{900, 520, kTitle}, {900, 250, kWindow}}, 346, 352},
      {"panel-sized.png", {{900, 520, kTitle}, {900, 350, kWindow}}, 240, 256},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Shot);
    TPixels shot;
    ASSERT_TRUE(LoadPng((Dir / row.Shot).string(), shot));
    for (const auto& [x, y, rgb] : row.Points) EXPECT_EQ(shot.At(x, y), rgb) << x << "," << y;
    if (!row.SplitterFrom) continue;
    // The face band between the editor above and the list below.
    int band = 0;
    for (int y = row.SplitterFrom; y <= row.SplitterTo; ++y) band += shot.At(900, y) == kFace;
    EXPECT_GE(band, 2) << "no splitter at rows " << row.SplitterFrom << " to " << row.SplitterTo;
    EXPECT_EQ(shot.At(900, row.SplitterFrom - 4), kWindow) << "the editor above the splitter";
    EXPECT_EQ(shot.At(900, row.SplitterTo + 4), kWindow) << "the list below the splitter";
  }
}
