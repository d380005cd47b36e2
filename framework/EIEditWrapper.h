// The hook on one editor control's window procedure: every message is offered to a
// "before" callback, then (unless vetoed) to the control, then to an "after" callback.
#pragma once

#include "platform/vcl/Controls.h"

// (Sender, OriginalMessage, var ModifiedMessage): the receiver's own copy of the message as
// it arrived, and the live record whose Result 1, set before the control runs, vetoes it.
using TMessageProcessProc = TMethod<void(TObject* Sender, TMessage OriginalMessage, TMessage& ModifiedMessage)>;

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
  HWND FHookedWindow = 0;
};

// Exported with the hook; nothing in the framework uses it.
class TCustomControlHacker : public TCustomControl {
  DECLARE_CLASS(TCustomControlHacker, TCustomControl)
 public:
  explicit TCustomControlHacker(TComponent* AOwner) : TCustomControl(AOwner) {}
};
