// brisk-ide reads a script file a person wrote: every line is a step or a refusal naming it.
#include <string>

#include "FuzzTarget.h"
#include "host/Script.h"

BRISK_FUZZ_TARGET(Script) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TScript script;
  std::string error;
  if (ParseScript(text, "f", script, error)) {
    if (!error.empty()) __builtin_trap();
    for (const TScriptStep& step : script.Steps) {
      // Steps carry what they need: a key for each chord, a name for each level of a path.
      for (const TKeyChord& chord : step.Chords)
        if (!chord.Key) __builtin_trap();
      for (const std::string& part : step.Path)
        if (part.empty() && step.Kind != sskAnswer) __builtin_trap();
      if (step.Line < 1) __builtin_trap();
    }
  } else if (error.rfind("f:", 0) != 0) {
    __builtin_trap();  // a refusal names the line
  }
  return 0;
}
