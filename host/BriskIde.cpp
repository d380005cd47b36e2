// brisk-ide: boots the stand-in IDE, loads its known packages, opens an editor on a unit and
// types into it, then reports what was typed and heard.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "HostOptions.h"
#include "Profile.h"
#include "SessionAudio.h"
#include "Typist.h"
#include "platform/ide/AppBuilder.h"
#include "platform/ide/PackageLoader.h"
#include "platform/vcl/Registry.h"
#include "platform/win/MessageBox.h"

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

bool ReadFile(const std::string& name, std::string& text) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

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

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

int Run(const THostOptions& options) {
  // Profile and files.
  EditorOptions.TabWidth = options.TabWidth;
  const bool temporaryProfile = options.Profile.empty();
  const std::string profile = temporaryProfile ? MakeTemporaryProfile() : options.Profile;
  bool fresh = false;
  std::string error;
  if (profile.empty() || !OpenProfile(profile, fresh, error)) {
    std::fprintf(stderr, "brisk-ide: %s\n", profile.empty() ? "cannot make a temporary profile" : error.c_str());
    return 1;
  }
  const std::string resources = FindResourceDir();
  const std::string file = !options.File.empty() ? options.File : resources.empty() ? "" : resources + "/Sample.pas";
  std::string source;
  if (file.empty() || !ReadFile(file, source)) {
    std::fprintf(stderr, "brisk-ide: cannot read %s\n", file.empty() ? "the sample unit (no resources found)" : file.c_str());
    return 1;
  }

  // Nobody sits at a headless run: boxes are printed and answered OK, dialogs cancelled.
  SetMessageBoxAnswerer(AnswerMessageBox);
  SetModalHandler([](TCustomForm& form) {
    std::printf("[dialog] %s -> Cancel\n", form.GetCaption().c_str());
    form.SetModalResult(mrCancel);
  });

  TSessionAudio audio(true);
  const bool paced = audio.DeviceIsAudible() && !options.Fast;

  // Start-up, as the IDE does it: main window, settings, known packages.
  InitApplication();
  Application->Title = "Brisk IDE";
  TIDEHost* ide = BootIDE();
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

  // The editor, focused, with the caret where the typing goes.
  TIDEModule* module = ide->GetProject()->OpenFile(fs::absolute(file).string());
  if (!module) throw Exception("cannot open " + file);
  TEditControl* editor = module->GetEditControl();
  const std::string unitName = fs::path(file).filename().string();
  editor->SetFocus();
  Application->ProcessMessages();
  PlaceCaret(editor);

  // The typing, on the session clock; with a device a person hears, at the same pace.
  const auto wallStart = std::chrono::steady_clock::now();
  TTypist::THooks hooks;
  hooks.AdvanceTo = [&](DWORD ms) {
    const uint64_t frame = static_cast<uint64_t>(ms) * kMixRate / 1000;
    TAudioCapture& capture = audio.GetCapture();
    if (frame > capture.GetNow()) capture.Advance(frame - capture.GetNow());
    if (paced) std::this_thread::sleep_until(wallStart + std::chrono::milliseconds(ms));
  };
  hooks.OnRelease = [&] { audio.MarkKeyRelease(); };
  hooks.AfterRelease = [&] { audio.ClearMark(); };
  TTypist typist(editor->GetHandle(), hooks);
  const std::string text = options.Demonstration ? kDemonstration : options.Text;
  const int keys = typist.Type(text);
  hooks.AdvanceTo(typist.GetNow() + kTailMs);

  // The summary.
  const auto kinds = SoundKinds();
  std::map<std::string, int> heard;
  int silent = 0;
  for (const TPlayRecord& play : audio.GetCapture().GetPlays()) {
    if (play.Frames == 0) ++silent;
    const auto it = kinds.find(play.FileName);
    ++heard[play.BuiltIn ? "built-in" : it != kinds.end() ? it->second : "other"];
  }
  const int enters = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  const int backspaces = static_cast<int>(std::count(text.begin(), text.end(), '\b'));
  std::printf("brisk-ide: %d package(s) loaded; editing %s (%d lines)\n", loaded, unitName.c_str(),
              editor->GetLineCount());
  std::printf("keys typed: %d (%d Enter, %d Backspace) over %.1f s of session time%s\n", keys, enters, backspaces,
              typist.GetNow() / 1000.0, typist.GetSkipped() ? ", some characters have no key and were skipped" : "");
  std::printf("sounds played: %d key, %d enter, %d backspace", heard["key"], heard["enter"], heard["backspace"]);
  if (heard["other"]) std::printf(", %d other", heard["other"]);
  if (heard["built-in"]) std::printf(", %d built-in", heard["built-in"]);
  if (silent) std::printf(" (%d gave no clip)", silent);
  std::printf("\n");
  const auto& mix = audio.GetReleaseToMixFrames();
  const auto& micros = audio.GetReleaseToPlayMicros();
  if (micros.empty()) {
    std::printf("release-to-mix latency: nothing played\n");
  } else {
    const uint64_t worst = *std::max_element(mix.begin(), mix.end());
    std::printf("release-to-mix latency: %llu frames on the session clock (%s);\n"
                "  key release to voice queued on the IDE thread: median %.1f us, max %.1f us (wall clock; a file's first play decodes it)\n",
                static_cast<unsigned long long>(worst),
                worst == 0 ? "every voice starts in the mix at its key release" : "the latest voice",
                Median(micros),
                *std::max_element(micros.begin(), micros.end()));
  }
  std::printf("audio device: %s%s\n", audio.DeviceDescription().c_str(),
              audio.HasDevice() ? "; the device adds up to one buffer" : "");
  int rc = 0;
  if (!options.AudioOut.empty()) {
    std::string why;
    if (audio.GetCapture().WriteWav(options.AudioOut, &why)) {
      std::printf("WAV written: %s (%.1f s)\n", fs::absolute(options.AudioOut).string().c_str(),
                  audio.GetCapture().GetNow() / static_cast<double>(kMixRate));
    } else {
      std::fprintf(stderr, "brisk-ide: cannot write %s: %s\n", options.AudioOut.c_str(), why.c_str());
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
  SetModalHandler(nullptr);
  if (temporaryProfile) {
    SetRegistryStorePath("");
    std::error_code ec;
    fs::remove_all(profile, ec);
  }
  return rc;
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
