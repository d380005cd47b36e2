// The host's script language: one step a line, read whole before anything runs, so a
// mistyped line is reported before the IDE does anything.
#pragma once

#include <string>
#include <vector>

#include "platform/vcl/Controls.h"

enum TScriptStepKind : uint8_t {
  sskType,         // type TEXT
  sskPress,        // press CHORD...
  sskMenu,         // menu CAPTION > CAPTION...
  sskClick,        // click NAME.PATH | click X Y
  sskDoubleClick,  // double-click NAME.PATH | double-click X Y
  sskAnswer,       // answer RESULT | answer button NAME
  sskWait,         // wait N[ms|s]
  sskScreenshot,   // screenshot FILE
  sskMouseDown,    // mouse down X Y
  sskMouseMove,    // mouse move X Y
  sskMouseUp,      // mouse up X Y
  sskDrag,         // drag X1 Y1 X2 Y2
};

// A key with the modifiers held around it, as "Ctrl+Shift+S" names it.
struct TKeyChord {
  std::vector<WORD> Modifiers;  // VK_CONTROL, VK_SHIFT, VK_MENU in the order written
  WORD Key = 0;
  std::string Name;  // as written
};

struct TScriptStep {
  int Line = 0;
  TScriptStepKind Kind = sskType;
  std::string Text;               // type: the text, escapes decoded; screenshot: the file
  std::vector<std::string> Path;  // menu: captions; click, double-click, answer button: names
  std::vector<TKeyChord> Chords;  // press
  TModalResult Result = mrNone;   // answer RESULT
  DWORD Ms = 0;                   // wait
  TPoint From, To;                // points of the mouse steps; click at a point uses From
  bool AtPoint = false;           // click or double-click at a screen point, not a control
};

struct TScript {
  std::string Name;  // the file, for messages
  std::vector<TScriptStep> Steps;
};

// Reads a script. Blank lines and lines starting with '#' are skipped. False with
// "NAME:LINE: reason" for the first line that is not a step.
bool ParseScript(const std::string& text, const std::string& name, TScript& script, std::string& error);
// "Ctrl+Z", "Alt+F4", "Escape", "Shift+Tab", "F5", "a", ";" — names compared without case.
bool ParseKeyChord(const std::string& text, TKeyChord& chord, std::string& error);
// "OK", "Cancel", "Yes", "No", "Abort", "Retry", "Ignore", "All", with or without "mr".
bool ParseModalResult(const std::string& text, TModalResult& result);
// A caption as a person reads it: '&' marks gone ("&&" is one '&'), spaces at the ends gone.
std::string PlainCaption(const std::string& caption);

// The language, for --help and the README.
const char* ScriptLanguageHelp();
