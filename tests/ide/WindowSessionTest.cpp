// brisk-ide in a real window on a virtual X display, driven by real X input: typed text
// arrives in the editor exactly as the headless typist puts it there and the display shows
// it, each key release is heard once, a click reaches the window under the pointer, and a
// signal ends it cleanly.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/Pixels.h"

namespace fs = std::filesystem;

namespace {

using TClock = std::chrono::steady_clock;

// Starts a program with its output in `out`, extra environment first; 0 when it cannot.
pid_t Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, const fs::path& out) {
  const pid_t child = fork();
  if (child != 0) return child < 0 ? 0 : child;
  FILE* f = std::fopen(out.c_str(), "w");
  if (f) {
    dup2(fileno(f), 1);
    dup2(fileno(f), 2);
  }
  for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

// Runs a program to its end; its exit code, or -1.
int RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& env, const fs::path& out) {
  const pid_t child = Start(argv, env, out);
  int status = 0;
  if (!child || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Waits for a condition, a bounded time: never a fixed sleep standing for it.
bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds limit) {
  const auto deadline = TClock::now() + limit;
  while (!condition()) {
    if (TClock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

bool OnPath(const char* program) {
  return RunToEnd({"sh", "-c", std::string("command -v ") + program}, {}, "/dev/null") == 0;
}

// What the X server shows, from xwd's dump of the root window (32-bit ZPixmap, either byte
// order, red, green and blue by their masks).
bool LoadXwd(const fs::path& p, TPixels& out) {
  const std::string b = ReadAll(p);
  if (b.size() < 100) return false;
  auto card = [&](size_t field) {
    const size_t at = field * 4;
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) << 24 | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 8 | static_cast<uint8_t>(b[at + 3]);
  };
  const uint32_t headerSize = card(0), format = card(2), width = card(4), height = card(5), byteOrder = card(7);
  const uint32_t bitsPerPixel = card(11), bytesPerLine = card(12), redMask = card(14), greenMask = card(15),
                 blueMask = card(16), colors = card(19);
  const size_t data = static_cast<size_t>(headerSize) + static_cast<size_t>(colors) * 12;
  if (format != 2 || bitsPerPixel != 32 || b.size() < data + static_cast<size_t>(bytesPerLine) * height) return false;
  auto channel = [](uint32_t v, uint32_t mask) {
    if (!mask) return 0u;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    return (v & mask) >> shift;
  };
  out.Width = static_cast<int>(width);
  out.Height = static_cast<int>(height);
  out.Rgb.resize(static_cast<size_t>(width) * height);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const auto* px = reinterpret_cast<const uint8_t*>(b.data() + data + static_cast<size_t>(y) * bytesPerLine + x * 4);
      const uint32_t v = byteOrder == 0 ? (px[0] | px[1] << 8 | px[2] << 16 | static_cast<uint32_t>(px[3]) << 24)
                                        : (static_cast<uint32_t>(px[0]) << 24 | px[1] << 16 | px[2] << 8 | px[3]);
      out.Rgb[static_cast<size_t>(y) * width + x] = channel(v, redMask) << 16 | channel(v, greenMask) << 8 | channel(v, blueMask);
    }
  return true;
}

class WindowSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("brisk-window-test-" + std::to_string(getpid()));
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    if (!OnPath("Xvfb") || !OnPath("xdotool") || !OnPath("xwd"))
      GTEST_SKIP() << "Xvfb, xdotool or xwd is not installed (scripts/setup installs them)";
    // Xvfb picks a display nobody uses and writes its number to the file, once it listens.
    const fs::path number = Dir / "display.txt";
    Xvfb = Start({"sh", "-c", "exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>'" + number.string() + "'"}, {},
                 Dir / "xvfb.txt");
    if (!Xvfb || !WaitFor([&] { return ReadAll(number).find('\n') != std::string::npos; }, std::chrono::seconds(15)))
      GTEST_SKIP() << "Xvfb did not start: " << ReadAll(Dir / "xvfb.txt");
    Display = std::atoi(ReadAll(number).c_str());
    const std::string name = ":" + std::to_string(Display);
    DisplayEnv = "DISPLAY=" + name;
  }
  void TearDown() override {
    for (pid_t p : {Host, Xvfb})
      if (p > 0) {
        kill(p, SIGKILL);
        waitpid(p, nullptr, 0);
      }
    fs::remove_all(Dir);
  }
  int X(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"timeout", "30", "xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunToEnd(argv, {DisplayEnv}, Dir / "xdotool.txt");
  }
  // Asks the host for a screenshot until `done` says it shows what is awaited.
  bool ScreenshotUntil(const std::function<bool(const std::string& output)>& done) {
    return WaitFor(
        [&] {
          const size_t seen = Count(ReadAll(Dir / "host.txt"));
          kill(Host, SIGUSR1);
          if (!WaitFor([&] { return Count(ReadAll(Dir / "host.txt")) > seen; }, std::chrono::seconds(10))) return false;
          return done(ReadAll(Dir / "host.txt"));
        },
        std::chrono::seconds(60));
  }
  static size_t Count(const std::string& output) {
    size_t n = 0;
    for (size_t at = output.find("screenshot written:"); at != std::string::npos; at = output.find("screenshot written:", at + 1)) ++n;
    return n;
  }

  fs::path Dir;
  int Display = 0;
  std::string DisplayEnv;
  pid_t Xvfb = 0, Host = 0;
};

TEST_F(WindowSessionTest, TypedTextArrivesAndIsHeardAndAClickReachesTheWindowUnderThePointer) {
  // What the typist makes of the same line headless is what the window must show.
  const std::string line = "x := Max(a, b);";
  const fs::path reference = Dir / "reference.png";
  ASSERT_EQ(RunToEnd({BRISK_IDE_EXE, "--no-window", "--fast", "--no-audio-out", "--type", line + "\\n", "--screenshot",
                 reference.string()},
                {"SDL_AUDIODRIVER=dummy"}, Dir / "reference.txt"),
            0)
      << ReadAll(Dir / "reference.txt");

  const fs::path shot = Dir / "shot.png", wav = Dir / "session.wav";
  Host = Start({BRISK_IDE_EXE, "--window", "--audio-out", wav.string(), "--screenshot", shot.string()},
               {DisplayEnv, "SDL_AUDIODRIVER=dummy"}, Dir / "host.txt");
  ASSERT_TRUE(WaitFor([&] { return ReadAll(Dir / "host.txt").find("in a window") != std::string::npos; },
                      std::chrono::seconds(90)))
      << ReadAll(Dir / "host.txt");
  // No window manager gives the window the keyboard: xdotool does.
  ASSERT_EQ(X({"search", "--sync", "--name", "Brisk IDE", "windowfocus", "--sync"}), 0) << ReadAll(Dir / "xdotool.txt");
  ASSERT_EQ(X({"type", "--delay", "67", line}), 0);
  ASSERT_EQ(X({"key", "Return"}), 0);

  // 15 characters, Shift for 4 of them, and Enter.
  const std::regex releases("after (\\d+) key releases in the window\n$");
  ASSERT_TRUE(ScreenshotUntil([&](const std::string& out) {
    std::smatch m;
    return std::regex_search(out, m, releases) && m[1] == "20";
  })) << ReadAll(Dir / "host.txt");
  TPixels typed, expected;
  ASSERT_TRUE(LoadPng(shot, typed));
  ASSERT_TRUE(LoadPng(reference, expected));
  ASSERT_EQ(typed.Width, expected.Width);
  ASSERT_EQ(typed.Height, expected.Height);
  auto differing = [](const TPixels& a, const TPixels& b) {
    int n = 0;
    for (size_t i = 0; i < a.Rgb.size(); ++i) n += a.Rgb[i] != b.Rgb[i];
    return n;
  };
  EXPECT_EQ(differing(typed, expected), 0) << "the window's screen is not what the typist's is";
  // And the display shows that screen: the damaged areas copied to the window add up to it.
  TPixels shown;
  ASSERT_EQ(RunToEnd({"xwd", "-root", "-silent", "-out", (Dir / "root.xwd").string()}, {DisplayEnv}, Dir / "xwd.txt"), 0);
  ASSERT_TRUE(LoadXwd(Dir / "root.xwd", shown));
  ASSERT_EQ(shown.Width, typed.Width);
  ASSERT_EQ(shown.Height, typed.Height);
  EXPECT_EQ(differing(shown, typed), 0) << "the display does not show what the IDE drew";

  // A press and release of the real pointer on the main window's menu bar, right of its menus,
  // activates it: the
  // captions' left ends trade the active and the inactive colour.
  const uint32_t mainCaption = typed.At(5, 5), editorCaption = typed.At(44, 134);
  ASSERT_NE(mainCaption, editorCaption);
  ASSERT_EQ(X({"mousemove", "600", "33", "click", "1"}), 0);
  TPixels clicked;
  ASSERT_TRUE(ScreenshotUntil([&](const std::string&) { return LoadPng(shot, clicked) && clicked.At(5, 5) != mainCaption; }))
      << ReadAll(Dir / "host.txt");
  EXPECT_EQ(clicked.At(5, 5), editorCaption);
  EXPECT_EQ(clicked.At(44, 134), mainCaption);

  // Tools | "QV Brisk .." with the real pointer: the bar's Tools opens its drop-down, its first
  // item the configuration dialog, which covers the desktop right of the editor window with
  // its face; Escape closes it and the desktop is back.
  const uint32_t desktop = clicked.At(900, 340);
  ASSERT_EQ(clicked.At(250, 110), desktop);
  ASSERT_EQ(X({"mousemove", "188", "33", "click", "1"}), 0);
  TPixels dropped;
  ASSERT_TRUE(ScreenshotUntil([&](const std::string&) { return LoadPng(shot, dropped) && dropped.At(250, 110) != desktop; }))
      << "Tools opened no drop-down (its bottom reaches below the main window, over the desktop)";
  ASSERT_EQ(X({"mousemove", "214", "54", "click", "1"}), 0);
  TPixels dialog;
  ASSERT_TRUE(ScreenshotUntil([&](const std::string&) { return LoadPng(shot, dialog) && dialog.At(900, 340) != desktop; }))
      << "the configuration dialog did not open";
  EXPECT_EQ(dialog.At(900, 340), 0xD4D0C8u) << "its client area";
  EXPECT_EQ(dialog.At(446, 190), editorCaption) << "its caption's left end in the active colour, over the editor";
  ASSERT_EQ(X({"key", "Escape"}), 0);
  TPixels closed;
  ASSERT_TRUE(ScreenshotUntil([&](const std::string&) { return LoadPng(shot, closed) && closed.At(900, 340) == desktop; }))
      << "Escape did not close the dialog";

  // A signal ends the session as closing does: the summary, the WAV, the profile removed.
  kill(Host, SIGTERM);
  int status = 0;
  ASSERT_TRUE(WaitFor([&] { return waitpid(Host, &status, WNOHANG) == Host; }, std::chrono::seconds(60)));
  Host = 0;
  const std::string out = ReadAll(Dir / "host.txt");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << out;
  EXPECT_NE(out.find("key releases in the window: 21\n"), std::string::npos) << out;
  // Each release of a key that sounds in the editor is heard once: Shift makes no sound, and
  // Escape went to the dialog.
  EXPECT_NE(out.find("sounds played: 15 key, 1 enter, 0 backspace\n"), std::string::npos) << out;
  EXPECT_NE(out.find("key release to first mixed sample, on the device's thread"), std::string::npos) << out;
  EXPECT_NE(out.find("CPU while the window was open"), std::string::npos) << out;
  EXPECT_NE(out.find("(temporary, removed)"), std::string::npos) << out;
  EXPECT_GT(fs::file_size(wav), 44u + 48000u * 4u) << "the session's sound is in the WAV";
  std::printf("%s", out.c_str());
}

// File | Open... with the real pointer shows the file-open dialog on the screen, centred, with
// the folder's list; a person closes it with Escape.
TEST_F(WindowSessionTest, FileOpenShowsTheOpenDialogOnTheScreenAndEscapeClosesIt) {
  const fs::path shot = Dir / "shot.png";
  Host = Start({BRISK_IDE_EXE, "--window", "--no-audio-out", "--screenshot", shot.string()},
               {DisplayEnv, "SDL_AUDIODRIVER=dummy"}, Dir / "host.txt");
  ASSERT_TRUE(WaitFor([&] { return ReadAll(Dir / "host.txt").find("in a window") != std::string::npos; },
                      std::chrono::seconds(90)))
      << ReadAll(Dir / "host.txt");
  // Right of the editor window, where the dialog's list will be, is the desktop.
  TPixels before;
  ASSERT_TRUE(ScreenshotUntil([&](const std::string&) { return LoadPng(shot, before); })) << ReadAll(Dir / "host.txt");
  const uint32_t desktop = before.At(1200, 1000);
  ASSERT_EQ(before.At(760, 500), desktop);

  ASSERT_EQ(X({"mousemove", "18", "33", "click", "1"}), 0);
  ASSERT_EQ(X({"mousemove", "40", "54", "click", "1"}), 0);
  TPixels open;
  ASSERT_TRUE(ScreenshotUntil([&](const std::string&) { return LoadPng(shot, open) && open.At(760, 500) != desktop; }))
      << "File | Open... showed no dialog";
  EXPECT_EQ(open.At(760, 500), 0xFFFFFFu) << "the dialog's list";
  ASSERT_EQ(X({"key", "Escape"}), 0);
  TPixels closed;
  ASSERT_TRUE(ScreenshotUntil([&](const std::string&) { return LoadPng(shot, closed) && closed.At(760, 500) == desktop; }))
      << "Escape did not close the dialog";

  kill(Host, SIGTERM);
  int status = 0;
  ASSERT_TRUE(WaitFor([&] { return waitpid(Host, &status, WNOHANG) == Host; }, std::chrono::seconds(60)));
  Host = 0;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << ReadAll(Dir / "host.txt");
  EXPECT_EQ(ReadAll(Dir / "host.txt").find("[open dialog]"), std::string::npos) << "answered on the console, not the screen";
}

// The sample's panel dragged by its title bar with the real pointer, from the left side of its
// editor window to the top: pressed, moved in steps, released, as a hand does it.
TEST_F(WindowSessionTest, TheSamplesPanelDraggedByItsTitleBarDocksAtTheTop) {
  const fs::path shot = Dir / "shot.png";
  Host = Start({BRISK_IDE_EXE, "--window", "--no-audio-out", "--package", KEYSTROKES_PACKAGE, "--screenshot", shot.string()},
               {DisplayEnv, "SDL_AUDIODRIVER=dummy"}, Dir / "host.txt");
  ASSERT_TRUE(WaitFor([&] { return ReadAll(Dir / "host.txt").find("in a window") != std::string::npos; },
                      std::chrono::seconds(90)))
      << ReadAll(Dir / "host.txt");
  // The title bar runs down the panel's left edge (x 45 to 60); at the top of the editor window,
  // below its tabs (y 178 to 193), is the editor's text.
  constexpr uint32_t kTitle = 0x0A246A, kWindow = 0xFFFFFF;
  TPixels before;
  ASSERT_TRUE(ScreenshotUntil([&](const std::string&) { return LoadPng(shot, before) && before.At(52, 350) == kTitle; }))
      << "the sample docked no panel on the left";
  EXPECT_EQ(before.At(300, 186), kWindow);

  ASSERT_EQ(X({"mousemove", "52", "350", "mousedown", "1"}), 0);
  for (const char* to : {"60 340", "120 300", "200 260", "300 220", "360 200"}) {
    const std::string point = to;
    ASSERT_EQ(X({"mousemove", point.substr(0, point.find(' ')), point.substr(point.find(' ') + 1)}), 0);
  }
  ASSERT_EQ(X({"mouseup", "1"}), 0);
  TPixels after;
  ASSERT_TRUE(ScreenshotUntil([&](const std::string&) { return LoadPng(shot, after) && after.At(300, 186) == kTitle; }))
      << "the panel did not dock at the top";
  EXPECT_EQ(after.At(52, 350), kWindow) << "the left side is the editor's again";
  // The outline drawn during the drag is gone: the desktop beside the window is as it was.
  for (const auto& [x, y] : {std::pair{800, 300}, std::pair{700, 200}}) EXPECT_EQ(after.At(x, y), before.At(x, y)) << x << "," << y;

  kill(Host, SIGTERM);
  int status = 0;
  ASSERT_TRUE(WaitFor([&] { return waitpid(Host, &status, WNOHANG) == Host; }, std::chrono::seconds(60)));
  Host = 0;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << ReadAll(Dir / "host.txt");
  EXPECT_NE(ReadAll(Dir / "host.txt").find("2 package(s) loaded"), std::string::npos) << ReadAll(Dir / "host.txt");
}

}  // namespace
