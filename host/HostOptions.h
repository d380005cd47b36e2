// The command line of brisk-ide.
#pragma once

#include <string>
#include <vector>

struct THostOptions {
  std::string File;              // the unit to open; empty: the project's first, else the shipped sample
  std::string Project;           // a folder of units and form files to open as the project
  std::string Text;              // what to type (with \n, \b escapes decoded)
  std::string TypeFile;          // type this file's text instead (read by the host)
  bool Demonstration = true;     // no --type, --type-file or --script: the built-in typing
  std::string Script;            // run this script instead of typing
  std::string AudioOut;          // WAV to write; empty: none
  bool NoAudioOut = false;
  std::string Profile;           // empty: a fresh temporary directory
  bool Seed = true;
  bool Fast = false;             // never pace the typing in real time
  int TabWidth = 8;              // the editor's tab stops
  std::vector<std::string> Packages;  // extra packages to register as known
  std::string Screenshot;        // PNG of the desktop at the end; empty: none
  int ScreenWidth = 1280, ScreenHeight = 1024;
  bool Help = false;
  // A window: -1 when a display is there, 1 always (--window), 0 never (--no-window).
  int Window = -1;
  bool AudioOutChosen = false;   // --audio-out or --no-audio-out was given
};

// Parses argv; false with a message for a bad command line.
bool ParseHostOptions(int argc, char** argv, THostOptions& options, std::string& error);
// \n is Enter, \b Backspace, \t Tab, \\ a backslash; anything else stands for itself.
std::string DecodeTypingText(const std::string& text);
const char* HostUsage();
