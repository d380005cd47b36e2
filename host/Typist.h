// Plans the keystrokes a person at a keyboard makes to type a text: key down, key up, Shift
// for capitals, at a human pace measured on the session's virtual clock.
#pragma once

#include <string>
#include <vector>

#include "platform/win/Windows.h"

struct TKeyStroke {
  WORD Key = 0;
  bool Shift = false;
};

// The key (and Shift) that types `c` on the keyboard layout the window manager translates
// with; Key 0 for a character no key types.
TKeyStroke KeyStrokeOf(char c);

// One key going down or up at a moment of the session clock.
struct TTypedKey {
  DWORD At = 0;
  WORD Key = 0;
  bool Up = false;
};

class TTypist {
 public:
  // The keystrokes that type `text`, the first a moment after `now`, which moves on to when
  // the typist is done (after the pause that follows an Enter). Characters no key types are
  // skipped and counted. Deterministic: the same texts planned in the same order give the
  // same times.
  std::vector<TTypedKey> Plan(const std::string& text, DWORD& now);
  int GetSkipped() const { return FSkipped; }

 private:
  DWORD Jitter(DWORD range);

  uint32_t FSeed = 12345;
  int FSkipped = 0;
};
