// Types text into a window the way a person at a keyboard does: key down, key up, Shift for
// capitals, at a human pace measured on the session's virtual clock.
#pragma once

#include <functional>
#include <string>

#include "platform/win/Windows.h"

struct TKeyStroke {
  WORD Key = 0;
  bool Shift = false;
};

// The key (and Shift) that types `c` on the keyboard layout the window manager translates
// with; Key 0 for a character no key types.
TKeyStroke KeyStrokeOf(char c);

class TTypist {
 public:
  // `advanceTo(ms)` brings the session clock to `ms` before each message is posted;
  // `onRelease`/`afterRelease` bracket the processing of each key release; `shouldStop`, asked
  // before each key, ends the typing early.
  struct THooks {
    std::function<void(DWORD ms)> AdvanceTo;
    std::function<void()> OnRelease;
    std::function<void()> AfterRelease;
    std::function<bool()> ShouldStop;
  };
  TTypist(HWND target, THooks hooks) : FTarget(target), FHooks(std::move(hooks)) {}

  // Types every character; returns the number of keys struck (Shift not counted), characters
  // no key types are skipped.
  int Type(const std::string& text);
  DWORD GetNow() const { return FNow; }
  int GetSkipped() const { return FSkipped; }

 private:
  void Post(UINT message, WORD vk);
  void At(DWORD ms);
  DWORD Jitter(DWORD range);

  HWND FTarget;
  THooks FHooks;
  DWORD FNow = 0;
  uint32_t FSeed = 12345;
  int FSkipped = 0;
};
