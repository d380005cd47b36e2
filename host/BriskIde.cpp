// brisk-ide: boots the stand-in IDE, loads its known packages, opens an editor on a unit and
// types into it, then reports what was typed and heard.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <thread>

#include "CpuClock.h"
#include "HostFiles.h"
#include "HostOptions.h"
#include "Profile.h"
#include "ScriptRunner.h"
#include "SessionAudio.h"
#include "WindowHost.h"
#include "platform/ide/AppBuilder.h"
#include "platform/ide/PackageLoader.h"
#include "platform/vcl/MessageForm.h"
#include "platform/vcl/OpenDialogForm.h"
#include "platform/vcl/Registry.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WinMenu.h"

namespace fs = std::filesystem;

namespace {

// A few lines of Pascal, with a typo put right.
const char* const kDemonstration =
    "procedure TCounter.Twice;\n"
    "begin\n"
    "  Nexy\bt;\n"
    "  Next;\n"
    "end;\n"
    "\n";

constexpr DWORD kTailMs = 400;  // lets the last sound ring out in the WAV

int AnswerMessageBox(const TMessageBoxRequest& box) {
  std::printf("[message box] %s: %s -> OK\n", box.Caption.c_str(), box.Text.c_str());
  std::fflush(stdout);
  return IDOK;
}

// A signal ends the typing at the next key; the session then finishes as usual, so the WAV
// is complete and a temporary profile is removed.
volatile std::sig_atomic_t gStopSignal = 0;

void StopOnSignal(int signal) { gStopSignal = signal; }

// The caret goes to the start of the unit's closing "end." line, so typed code lands inside
// the unit; without one, to the end of the text.
void PlaceCaret(TEditControl* editor) {
  const TEditBuffer* buffer = editor->GetBuffer();
  for (Integer line = buffer->GetLineCount(); line >= 1; --line) {
    if (Trim(String(buffer->GetLine(line))) == "end.") {
      editor->SetCaretY(line);
      editor->SetCaretX(1);
      return;
    }
  }
  const Integer last = buffer->GetLineCount();
  editor->SetCaretY(last);
  editor->SetCaretX(static_cast<Integer>(buffer->IndexToColumn(last, static_cast<LongInt>(buffer->GetLine(last).size()))));
}

// The configured wave files by kind, from the expert's settings as they stand now.
std::map<std::string, std::string> SoundKinds() {
  std::map<std::string, std::string> kinds;
  auto* reg = new TRegistry();
  try {
    reg->SetRootKey(HKEY_CURRENT_USER);
    if (reg->OpenKey("\\Software\\Orvane Software\\QV Brisk\\Configuration", false)) {
      const std::pair<const char*, const char*> values[] = {
          {"File name wave key", "key"}, {"File name wave enter", "enter"}, {"File name wave backspace", "backspace"}};
      for (const auto& [value, kind] : values)
        if (reg->ValueExists(value) && reg->GetDataType(value) == rdString) kinds.emplace(reg->ReadString(value), kind);
    }
  } catch (...) {
  }
  reg->Free();
  return kinds;
}

// A component and everything inside it.
int CountComponents(const TFormFileComponent& component) {
  int n = 1;
  for (const TFormFileComponent& c : component.Components) n += CountComponents(c);
  return n;
}

void PrintLatency(const char* what, const TLatencyHistogram& h, double scale, const char* unit) {
  std::printf("%s: p50 %.2f %s, p95 %.2f %s, max %.2f %s over %llu sounds\n", what,
              static_cast<double>(h.Percentile(0.5)) / scale, unit, static_cast<double>(h.Percentile(0.95)) / scale, unit,
              static_cast<double>(h.GetMax()) / scale, unit, static_cast<unsigned long long>(h.GetCount()));
}

int Run(THostOptions options) {
  // A window when asked for, or when a display is there and it is not refused. Signals are
  // blocked before any thread starts, so only the window's watcher takes them.
  bool windowed = options.Window == 1 || (options.Window == -1 && TWindowHost::DisplayNamed());
  if (windowed) {
    TWindowHost::BlockSignals();
    if (options.Window == -1 && !TWindowHost::DisplayAvailable()) {
      TWindowHost::UnblockSignals();
      windowed = false;
    }
  }
  // A person at the window types; the demonstration is for a run nobody watches.
  if (windowed && options.Demonstration) {
    options.Demonstration = false;
    if (!options.AudioOutChosen) options.AudioOut.clear();
  }

  // Profile and files.
  EditorOptions.TabWidth = options.TabWidth;
  const bool temporaryProfile = options.Profile.empty();
  std::string error;
  const std::string profile = temporaryProfile ? MakeTemporaryProfile(error) : options.Profile;
  if (profile.empty()) {
    std::fprintf(stderr, "brisk-ide: %s\n", error.c_str());
    return 1;
  }
  std::optional<TTemporaryProfile> removeProfile;
  if (temporaryProfile) removeProfile.emplace(profile);
  bool fresh = false;
  OpenProfile(profile, fresh);
  // The project's folder is read before anything starts, so a bad one is refused at once.
  std::vector<TProjectUnit> projectUnits;
  std::string projectFile = "Project1.dpr";
  if (!options.Project.empty()) {
    fs::path dir = fs::absolute(options.Project).lexically_normal();
    if (dir.filename().empty()) dir = dir.parent_path();
    try {
      projectUnits = TIDEProject::FolderUnits(dir.string());
    } catch (const Exception& e) {
      std::fprintf(stderr, "brisk-ide: %s\n", e.Message.c_str());
      return 1;
    }
    projectFile = (dir / (dir.filename().string() + ".dpr")).string();
  }
  const std::string resources = FindResourceDir();
  const std::string file = !options.File.empty()        ? options.File
                           : !projectUnits.empty()      ? projectUnits.front().UnitFile
                           : resources.empty()          ? ""
                                                        : resources + "/Sample.pas";
  std::string source;
  if (file.empty()) {
    std::fprintf(stderr, "brisk-ide: cannot read the sample unit: no shipped resources were found\n");
    return 1;
  }
  if (!ReadInputFile(file, source, error)) {
    std::fprintf(stderr, "brisk-ide: %s\n", error.c_str());
    return 1;
  }
  std::string text = options.Demonstration ? kDemonstration : options.Text;
  if (!options.TypeFile.empty()) {
    if (!ReadInputFile(options.TypeFile, text, error)) {
      std::fprintf(stderr, "brisk-ide: %s\n", error.c_str());
      return 1;
    }
    // A line break is one Enter, whichever system wrote the file.
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  }
  // A script is read whole first: a mistyped line stops the run before the IDE starts.
  TScript script;
  if (!options.Script.empty()) {
    std::string steps;
    if (!ReadInputFile(options.Script, steps, error)) {
      std::fprintf(stderr, "brisk-ide: %s\n", error.c_str());
      return 1;
    }
    if (!ParseScript(steps, options.Script, script, error)) {
      std::fprintf(stderr, "brisk-ide: %s\n", error.c_str());
      return 2;
    }
  } else if (!text.empty()) {
    // Typing is a script of one step.
    script.Name = "typing";
    TScriptStep step;
    step.Kind = sskType;
    step.Text = text;
    script.Steps.push_back(step);
  }

  TSessionAudio audio(true);
  if (!options.AudioOut.empty() && !audio.WriteTo(options.AudioOut, error)) {
    std::fprintf(stderr, "brisk-ide: %s\n", error.c_str());
    return 1;
  }
  const bool paced = audio.DeviceIsAudible() && !options.Fast;

  // Nobody sits at a headless run: boxes are printed and answered OK, dialogs cancelled.
  SetMessageBoxAnswerer(AnswerMessageBox);
  SetModalHandler([](TCustomForm& form) {
    std::printf("[dialog] %s -> Cancel\n", form.GetCaption().c_str());
    form.SetModalResult(mrCancel);
  });

  // Start-up, as the IDE does it: main window, settings, known packages.
  InitApplication();
  SetScreenSize(options.ScreenWidth, options.ScreenHeight);
  Application->Title = "Brisk IDE";
  TIDEHost* ide = BootIDE(projectFile);
  for (const TProjectUnit& unit : projectUnits) ide->GetProject()->AddUnit(unit.UnitFile, unit.FormFile);
  if (fresh && options.Seed) {
    if (resources.empty())
      std::fprintf(stderr, "brisk-ide: no shipped wave files found; the profile stays unconfigured\n");
    else
      SeedTypingSoundSettings(resources);
  }
  const std::string package = FindBriskPackLibrary();
  if (package.empty())
    std::fprintf(stderr, "brisk-ide: the BriskPack library was not found beside the executable\n");
  else
    RegisterKnownPackage(package, "Brisk Editor");
  for (const std::string& p : options.Packages) RegisterKnownPackage(fs::absolute(p).string(), "");
  auto* loader = new TPackageLoader();
  const int loaded = loader->LoadKnownPackages();

  // The editor, focused, with the caret where the typing goes. The text read above is the
  // one opened: the file is not read a second time.
  TIDEModule* module = ide->GetProject()->OpenBuffer(fs::absolute(file).string(), source);
  if (!module) throw Exception("cannot open " + file);
  TEditControl* editor = module->GetEditControl();
  const std::string unitName = fs::path(file).filename().string();
  editor->SetFocus();
  Application->ProcessMessages();
  PlaceCaret(editor);

  // The window, showing what is painted by now.
  TWindowHost screen;
  const TCpuClock sessionCpu;
  if (windowed) {
    if (!screen.Open(Application->Title, error)) {
      std::fprintf(stderr, "brisk-ide: %s\n", error.c_str());
      loader->UnloadAll();
      ShutdownIDE();
      DoneApplication();
      loader->Free();
      return 1;
    }
    screen.Present();
    // Message boxes and file dialogs are forms on the screen, answered by the person.
    SetMessageBoxAnswerer(ShowMessageForm);
    SetOpenDialogAnswerer(ShowOpenDialogForm);
    // A dialog is the person's to answer: while it waits, the window goes on showing and
    // taking input; a signal cancels it.
    SetModalHandler([&](TCustomForm& form) {
      if (gStopSignal) form.SetModalResult(mrCancel);
      else screen.WaitForInput(-1);
    });
    // A menu loop or a held close box waits on the person the same way; a signal ends it.
    SetInputWaiter([&] {
      if (gStopSignal) return false;
      screen.WaitForInput(-1);
      return gStopSignal == 0;
    });
  }
  // The session clock: the capture's mix follows it.
  auto advanceAudio = [&](DWORD ms) {
    const uint64_t frame = static_cast<uint64_t>(ms) * kMixRate / 1000;
    TAudioCapture& capture = audio.GetCapture();
    if (frame > capture.GetNow()) capture.Advance(frame - capture.GetNow());
  };

  // The script (the typing is one), on the session clock; with a device a person hears, or
  // in a window, at the same pace.
  if (!windowed)
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, StopOnSignal);
  const auto wallStart = std::chrono::steady_clock::now();
  TScriptRunner::THooks hooks;
  hooks.AdvanceTo = [&](DWORD ms) {
    advanceAudio(ms);
    if (windowed) {
      // The window goes on showing and taking input while the script waits for its next event.
      for (int left; (left = static_cast<int>(ms) - static_cast<int>(screen.Now())) > 0 && !gStopSignal;) {
        screen.WaitForInput(left);
        Application->ProcessMessages();
      }
    } else if (paced) {
      std::this_thread::sleep_until(wallStart + std::chrono::milliseconds(ms));
    }
  };
  hooks.OnRelease = [&] { audio.MarkKeyRelease(); };
  hooks.AfterRelease = [&] { audio.ClearMark(); };
  hooks.ShouldStop = [] { return gStopSignal != 0; };
  if (windowed) {
    screen.OnClock = advanceAudio;
    screen.OnKeyRelease = [&] { audio.MarkKeyRelease(); };
    screen.WatchSignals([&](int signal) {
      if (signal != SIGUSR1) {
        gStopSignal = signal;
      } else if (!options.Screenshot.empty()) {
        std::string why;
        if (SaveScreenPNG(0, options.Screenshot, &why))
          std::printf("screenshot written: %s after %d key releases in the window\n", options.Screenshot.c_str(),
                      screen.GetKeyReleases());
        else
          std::fprintf(stderr, "brisk-ide: %s\n", why.c_str());
        std::fflush(stdout);
      }
    });
  }
  TScriptRunner runner(script, hooks);
  runner.Run();
  const int keys = runner.GetKeys();
  hooks.AdvanceTo(runner.GetNow() + kTailMs);
  if (windowed) {
    // The person's session: until the window or the IDE is closed.
    std::printf("brisk-ide: in a window; close it to end the session\n");
    std::fflush(stdout);
    while (!gStopSignal) {
      Application->ProcessMessages();
      audio.ClearMark();
      // A signal may have come while a menu or a dialog waited on the person.
      if (Application->GetTerminated() || gStopSignal) break;
      screen.WaitForInput(-1);
    }
    advanceAudio(screen.Now() + kTailMs);
  }
  audio.Settle();
  if (!windowed)
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);

  // The summary.
  const auto kinds = SoundKinds();
  std::map<std::string, int> heard;
  for (const auto& [name, count] : audio.GetPlaysByFile()) {
    const auto it = kinds.find(name);
    heard[it != kinds.end() ? it->second : "other"] += count;
  }
  const int enters = runner.GetEnters();
  const int backspaces = runner.GetBackspaces();
  std::printf("brisk-ide: %d package(s) loaded; editing %s (%d lines)\n", loaded, unitName.c_str(),
              editor->GetLineCount());
  if (!options.Project.empty())
    std::printf("project %s: %d unit(s), %d form(s)\n", ExtractFileName(projectFile).c_str(),
                ide->GetProject()->GetUnitCount(), ide->GetProject()->GetFormCount());
  if (const TFormDesigner* designer = module->GetDesigner())
    std::printf("form %s (%s) read from %s: %d components\n", designer->GetFormName().c_str(),
                designer->GetRoot()->ClassName.c_str(), ExtractFileName(designer->GetFileName()).c_str(),
                CountComponents(*designer->GetRoot()) - 1);
  if (gStopSignal && windowed)
    std::printf("the session ended on signal %d\n", static_cast<int>(gStopSignal));
  else if (gStopSignal)
    std::printf("interrupted by signal %d: the typing stopped after %d keys\n", static_cast<int>(gStopSignal), keys);
  if (!gStopSignal && !(windowed && script.Steps.empty()))
    std::printf("keys typed: %d (%d Enter, %d Backspace) over %.1f s of session time%s\n", keys, enters, backspaces,
                runner.GetNow() / 1000.0, runner.GetSkipped() ? ", some characters have no key and were skipped" : "");
  if (windowed) {
    std::printf("key releases in the window: %d\n", screen.GetKeyReleases());
    const TCpuClock::TUse use = sessionCpu.Since();
    std::printf("CPU while the window was open: the IDE's thread %.2f %%, the whole process %.2f %% of one core over "
                "%.1f s\n", use.ThreadPercent, use.ProcessPercent, use.WallSeconds);
  }
  if (!options.Script.empty() && !runner.GetFailed() && !gStopSignal)
    std::printf("script: %s ran to its end (%zu steps)\n", options.Script.c_str(), script.Steps.size());
  for (const std::string& shot : runner.GetScreenshots())
    std::printf("screenshot written: %s\n", fs::absolute(shot).string().c_str());
  std::printf("sounds played: %d key, %d enter, %d backspace", heard["key"], heard["enter"], heard["backspace"]);
  if (heard["other"]) std::printf(", %d other", heard["other"]);
  if (audio.GetBuiltInPlays()) std::printf(", %d built-in", audio.GetBuiltInPlays());
  if (audio.GetSilentPlays()) std::printf(" (%d gave no clip)", audio.GetSilentPlays());
  std::printf("\n");
  if (audio.GetReleaseToQueued().GetCount())
    PrintLatency("key release to sound queued, on the IDE's thread (a file's first play decodes it)",
                 audio.GetReleaseToQueued(), 1e3, "us");
  // Measured on the device's own thread when it mixes a sound's first sample; without a
  // device there is nothing to measure and nothing is said.
  if (audio.HasDevice()) {
    std::printf("audio device: %s\n", audio.DeviceDescription().c_str());
    if (audio.GetReleaseToMix().GetCount())
      PrintLatency("key release to first mixed sample, on the device's thread", audio.GetReleaseToMix(), 1e6, "ms");
  }
  int rc = 0;
  if (runner.GetFailed()) {
    std::fprintf(stderr, "brisk-ide: %s\n", runner.GetError().c_str());
    rc = 1;
  }
  if (!options.AudioOut.empty()) {
    const TWaveFileWriter& wav = audio.GetWriter();
    const uint64_t frames = wav.GetWrittenFrames();
    if (audio.FinishFile(error)) {
      std::printf("WAV written: %s (%.1f s)\n", fs::absolute(options.AudioOut).string().c_str(),
                  frames / static_cast<double>(kMixRate));
      if (wav.GetLostFrames())
        std::printf("  the last %.1f s are not in it: a wave file holds no more than %.1f hours\n",
                    wav.GetLostFrames() / static_cast<double>(kMixRate),
                    TWaveFileWriter::kMaxFrames / static_cast<double>(kMixRate) / 3600);
    } else {
      std::fprintf(stderr, "brisk-ide: %s\n", error.c_str());
      rc = 1;
    }
  }
  if (!options.Screenshot.empty()) {
    // What a person would see now: everything painted, the caret where typing stopped.
    Application->ProcessMessages();
    std::string why;
    if (SaveScreenPNG(0, options.Screenshot, &why)) {
      std::printf("screenshot written: %s\n", fs::absolute(options.Screenshot).string().c_str());
    } else {
      std::fprintf(stderr, "brisk-ide: %s\n", why.c_str());
      rc = 1;
    }
  }
  if (temporaryProfile) std::printf("profile: %s (temporary, removed)\n", profile.c_str());
  else std::printf("profile: %s\n", profile.c_str());

  // Shut-down in the IDE's order: experts and package units, then the application and its
  // components, then the package libraries.
  loader->UnloadAll();
  ShutdownIDE();
  DoneApplication();
  loader->Free();
  SetMessageBoxAnswerer(nullptr);
  SetOpenDialogAnswerer(nullptr);
  SetModalHandler(nullptr);
  SetInputWaiter(nullptr);
  return gStopSignal ? 128 + gStopSignal : rc;
}

}  // namespace

int main(int argc, char** argv) {
  THostOptions options;
  std::string error;
  if (!ParseHostOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "brisk-ide: %s\n\n%s", error.c_str(), HostUsage());
    return 2;
  }
  if (options.Help) {
    std::fputs(HostUsage(), stdout);
    return 0;
  }
  try {
    return Run(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "brisk-ide: %s\n", e.what());
    return 1;
  }
}
