// Parsing brisk-ide's command line.
#include "HostOptions.h"

#include <cstdlib>
#include <cstdio>
#include <string>

#include "Script.h"

const char* HostUsage() {
  static const std::string usage = std::string(
         "usage: brisk-ide [options]\n"
         "\n"
         "Boots the IDE, loads its known packages (this build's BriskPack among them), opens an\n"
         "editor on a unit and types into it on a virtual clock, playing the typing sounds.\n"
         "With no options it runs the built-in demonstration on a fresh profile and writes\n"
         "what was heard to brisk-session.wav.\n"
         "\n"
         "  --type TEXT        type TEXT instead of the demonstration (\\n Enter, \\b Backspace,\n"
         "                     \\t Tab, \\\\ backslash)\n"
         "  --type-file FILE   type the text of FILE (as it is: a line break is Enter)\n"
         "  --script FILE      run the steps of FILE instead of typing (see below)\n"
         "  --file FILE        the unit to open (default: the project's first unit, else the\n"
         "                     shipped resources/Sample.pas)\n"
         "                     (--file and --type-file take regular files up to 16 MiB)\n"
         "  --project DIR      open the folder's units (.pas) with their form files (.dfm) as\n"
         "                     the project\n"
         "  --audio-out FILE   write the session's sound to FILE as a WAV\n"
         "                     (default brisk-session.wav for the demonstration)\n"
         "  --no-audio-out     write no WAV\n"
         "  --profile DIR      keep the settings in DIR (default: a fresh temporary directory,\n"
         "                     removed at exit)\n"
         "  --no-seed          leave a fresh profile unconfigured, as a new user has it\n"
         "  --package FILE     also register FILE as a known package\n"
         "  --fast             type at once even when an audio device is playing\n"
         "  --tab-width N      the editor's tab stops every N columns, 1 to 32 (default 8)\n"
         "  --screenshot FILE  write the desktop as a PNG at the end of the run\n"
         "  --screen WxH       the desktop's size in pixels (default 1280x1024)\n"
         "  --window           show the IDE in a window and take the keyboard and mouse from it\n"
         "                     (the default when a display is there); without --type or\n"
         "                     --script it types nothing and writes no WAV unless\n"
         "                     --audio-out is given, and it runs until the window or the IDE is closed\n"
         "  --no-window        run headless even when a display is there\n"
         "                     (in a window, SIGUSR1 writes the --screenshot at once)\n"
         "  --help             show this text\n"
         "\n") + ScriptLanguageHelp();
  return usage.c_str();
}

std::string DecodeTypingText(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out.push_back(text[i]);
      continue;
    }
    switch (text[++i]) {
      case 'n': out.push_back('\n'); break;
      case 'b': out.push_back('\b'); break;
      case 't': out.push_back('\t'); break;
      case '\\': out.push_back('\\'); break;
      default:
        out.push_back('\\');
        out.push_back(text[i]);
    }
  }
  return out;
}

bool ParseHostOptions(int argc, char** argv, THostOptions& o, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      into = argv[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      o.Help = true;
    } else if (arg == "--type") {
      std::string t;
      if (!value(t)) return false;
      o.Text = DecodeTypingText(t);
      o.Demonstration = false;
    } else if (arg == "--type-file") {
      if (!value(o.TypeFile)) return false;
      o.Demonstration = false;
    } else if (arg == "--script") {
      if (!value(o.Script)) return false;
      o.Demonstration = false;
    } else if (arg == "--file") {
      if (!value(o.File)) return false;
    } else if (arg == "--project") {
      if (!value(o.Project)) return false;
    } else if (arg == "--audio-out") {
      if (!value(o.AudioOut)) return false;
      o.AudioOutChosen = true;
    } else if (arg == "--no-audio-out") {
      o.NoAudioOut = true;
      o.AudioOutChosen = true;
    } else if (arg == "--profile") {
      if (!value(o.Profile)) return false;
    } else if (arg == "--no-seed") {
      o.Seed = false;
    } else if (arg == "--package") {
      std::string p;
      if (!value(p)) return false;
      o.Packages.push_back(p);
    } else if (arg == "--window") {
      o.Window = 1;
    } else if (arg == "--no-window") {
      o.Window = 0;
    } else if (arg == "--fast") {
      o.Fast = true;
    } else if (arg == "--tab-width") {
      std::string n;
      if (!value(n)) return false;
      char* end = nullptr;
      const long width = std::strtol(n.c_str(), &end, 10);
      if (n.empty() || *end || width < 1 || width > 32) {
        error = "--tab-width needs a number from 1 to 32, not " + n;
        return false;
      }
      o.TabWidth = static_cast<int>(width);
    } else if (arg == "--screenshot") {
      if (!value(o.Screenshot)) return false;
    } else if (arg == "--screen") {
      std::string size;
      if (!value(size)) return false;
      int w = 0, h = 0;
      char x = 0, extra = 0;
      if (std::sscanf(size.c_str(), "%d%c%d%c", &w, &x, &h, &extra) != 3 || (x != 'x' && x != 'X') || w < 320 || h < 240 ||
          w > 8192 || h > 8192) {
        error = "--screen needs a size such as 1024x768 (320x240 to 8192x8192)";
        return false;
      }
      o.ScreenWidth = w;
      o.ScreenHeight = h;
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (!o.TypeFile.empty() && !o.Text.empty()) {
    error = "--type and --type-file cannot be used together";
    return false;
  }
  if (!o.Script.empty() && (!o.TypeFile.empty() || !o.Text.empty())) {
    error = "--script types with its own type steps: it cannot be used with --type or --type-file";
    return false;
  }
  if (o.NoAudioOut) o.AudioOut.clear();
  else if (o.AudioOut.empty() && o.Demonstration) o.AudioOut = "brisk-session.wav";
  return true;
}
