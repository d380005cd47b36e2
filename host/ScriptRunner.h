// Runs a script from the IDE's message loop: each time the loop goes idle, the next input
// event of the current step goes into the window system's queue, so steps after one that
// opens a modal dialog run from inside that dialog's modal loop, as a person's input would.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "Script.h"
#include "Typist.h"
#include "platform/vcl/Forms.h"

DECLARE_EXCEPTION(EScriptError, Exception)

class TScriptRunner {
 public:
  struct THooks {
    // The session clock moves on to `ms` (the audio capture follows it; a person hears it
    // in real time). Called before each input event that lies later than the last.
    std::function<void(DWORD ms)> AdvanceTo;
    // Bracket the handling of each key release of typed text, from its posting until the
    // queue has run dry again.
    std::function<void()> OnRelease;
    std::function<void()> AfterRelease;
    // Asked before each event; true ends the script early (a signal), not as a failure.
    std::function<bool()> ShouldStop;
  };
  TScriptRunner(TScript script, THooks hooks);
  ~TScriptRunner();
  TScriptRunner(const TScriptRunner&) = delete;
  TScriptRunner& operator=(const TScriptRunner&) = delete;

  // Runs the application's message loop with the script as its idle work until the script
  // has ended: done, failed or stopped. A failure ends every modal loop it ran in.
  void Run();

  bool GetFailed() const { return !FError.empty(); }
  // "FILE:LINE: what went wrong" for a failed step.
  const std::string& GetError() const { return FError; }
  bool GetStopped() const { return FStopped; }
  DWORD GetNow() const { return FNow; }
  // What the type steps typed: keys struck (Shift not counted), Enter and Backspace among
  // them, characters no key types.
  int GetKeys() const { return FKeys; }
  int GetEnters() const { return FEnters; }
  int GetBackspaces() const { return FBackspaces; }
  int GetSkipped() const { return FTypist.GetSkipped(); }
  const std::vector<std::string>& GetScreenshots() const { return FScreenshots; }

 private:
  struct TAction {
    DWORD At = 0;
    std::function<void()> Do;
    bool Release = false;  // a key release of typed text
  };
  void AppIdle(TObject* Sender, bool& Done);
  bool Step();  // one action; false when the script has ended
  void Expand(const TScriptStep& step);
  void Fail(const std::string& why);
  void At(DWORD ms, std::function<void()> action, bool release = false);
  DWORD Later(DWORD ms);

  // Input as the keyboard and the mouse deliver it.
  void Key(WORD vk, bool up);
  void Mouse(UINT message, TPoint p);
  void Chord(const TKeyChord& chord);
  void ClickAt(TPoint p, int clicks);

  // Finding what a step names.
  TCustomForm* ModalForm() const;
  TControl* FindControl(const std::vector<std::string>& path) const;
  TPoint ClickPoint(TControl* control, const std::string& name) const;

  TScript FScript;
  THooks FHooks;
  TTypist FTypist;
  size_t FNext = 0;  // the next step to expand
  const TScriptStep* FCurrent = nullptr;
  std::deque<TAction> FActions;
  DWORD FNow = 0;      // the session clock, in ms
  DWORD FPlanned = 0;  // when the last planned action happens
  bool FEnded = false;
  bool FStopped = false;
  bool FReleasing = false;
  bool FButtonDown = false;
  std::optional<DWORD> FPlannedPress;  // when the last planned button press happens
  std::string FError;
  int FKeys = 0, FEnters = 0, FBackspaces = 0;
  std::vector<std::string> FScreenshots;
  TIdleEvent FOldIdle;
};
