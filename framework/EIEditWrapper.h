// The hook on one editor control's window procedure: every message is offered to a
// "before" callback, then (unless vetoed) to the control, then to an "after" callback.
#pragma once

#include "platform/vcl/Controls.h"

// (Sender, OriginalMessage, var ModifiedMessage): the receiver's own copy of the message as
// it arrived, and the live record whose Result 1, set before the control runs, vetoes it.
using TMessageProcessProc = TMethod<void(TObject* Sender, TMessage OriginalMessage, TMessage& ModifiedMessage)>;

// One running call of an object's message path, kept on the stack and linked into the
// object's chain of running calls. Receivers may free the object (or the thing the call is
// made for) inside a callback; the object then marks its running calls ended, and each call
// tests the mark after every callback before it touches the object again.
struct TEIActivation {
// The chain holds this stack record only until the destructor below unlinks it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
  TEIActivation(TEIActivation*& chain, const void* subject = nullptr)
      : Outer(chain), Chain(&chain), Subject(subject) {
    chain = this;
  }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
  ~TEIActivation() {
    if (Chain) *Chain = Outer;
  }
  TEIActivation(const TEIActivation&) = delete;
  TEIActivation& operator=(const TEIActivation&) = delete;

  // The object goes: every running call ends, and none unlinks itself from it any more.
  static void EndAll(TEIActivation*& chain) {
    for (TEIActivation* a = chain; a; a = a->Outer) {
      a->Ended = true;
      a->Chain = nullptr;
    }
    chain = nullptr;
  }
  // What the calls were made for goes: those calls end, the object's chain stays.
  static void EndFor(TEIActivation* chain, const void* subject) {
    for (TEIActivation* a = chain; a; a = a->Outer)
      if (a->Subject == subject) a->Ended = true;
  }

  TEIActivation* Outer;
  TEIActivation** Chain;
  const void* Subject;
  bool Ended = false;
};

class TEIHookStub;

class TEIEditWrapper : public TComponent {
  DECLARE_CLASS(TEIEditWrapper, TComponent)
 public:
  TEIEditWrapper(TComponent* AControl, TMessageProcessProc ABeforeProcess, TMessageProcessProc AAfterProcess);
  void Destroy() override;

  void HookOwner();
  void UnhookOwner();
  void HookWndProc(TMessage& Message);

  Integer GetTopLine() const;
  Integer GetLineCount() const;
  Integer GetLinesInWindow() const;
  Integer GetCurrentLine() const;

  TWinControl* GetControl() const { return FControl; }
  bool GetHooked() const { return FObjectInstance != nullptr; }
  WNDPROC GetOldWndProc() const { return FOldWndProc; }
  WNDPROC GetObjectInstance() const;
  // Cut the callbacks off: used when their target goes away before the control does.
  void DetachCallbacks() {
    FBeforeProcess = nullptr;
    FAfterProcess = nullptr;
  }
  const TMessageProcessProc& GetBeforeProcess() const { return FBeforeProcess; }
  const TMessageProcessProc& GetAfterProcess() const { return FAfterProcess; }

 private:
  Integer ReadLineFigure(const char* property) const;

  TWinControl* FControl;
  WNDPROC FOldWndProc = nullptr;
  TEIHookStub* FObjectInstance = nullptr;
  TMessageProcessProc FBeforeProcess;
  TMessageProcessProc FAfterProcess;
  HWND FHookedWindow = 0;  // 0 once the window is destroyed
  TEIActivation* FActivations = nullptr;
};

// Exported with the hook; nothing in the framework uses it.
class TCustomControlHacker : public TCustomControl {
  DECLARE_CLASS(TCustomControlHacker, TCustomControl)
 public:
  explicit TCustomControlHacker(TComponent* AOwner) : TCustomControl(AOwner) {}
};
