// The editor control's window-procedure hook.
#include "EIEditWrapper.h"

#include "platform/vcl/TypInfo.h"

IMPLEMENT_CLASS(TEIEditWrapper, TComponent)
IMPLEMENT_COMPONENT_CLASS(TCustomControlHacker, TCustomControl)

// The window-procedure value installed on the control. It routes the window manager's call
// to the wrapper; once the wrapper is gone while the stub is still in some window's chain
// (another subclasser hooked in later and holds it as its predecessor), it passes every
// message straight on and frees itself with the window's last message.
class TEIHookStub : public TWndProcThunk {
 public:
  TEIHookStub(TEIEditWrapper* wrapper) : TWndProcThunk{&Call}, Wrapper(wrapper) {}
  TEIEditWrapper* Wrapper;
  WNDPROC PassTo = nullptr;

  static LRESULT Call(const TWndProcThunk* self, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* stub = const_cast<TEIHookStub*>(static_cast<const TEIHookStub*>(self));
    if (!stub->Wrapper) {
      LRESULT r = CallWindowProc(stub->PassTo, hWnd, msg, wParam, lParam);
      if (msg == WM_NCDESTROY) delete stub;
      return r;
    }
    TMessage m;
    m.Msg = msg;
    m.WParam = static_cast<int32_t>(wParam);
    m.LParam = lParam;
    m.Result = 0;
    stub->Wrapper->HookWndProc(m);
    return m.Result;
  }
};

static TComponent* CheckedEditControl(TComponent* AControl) {
  if (!AControl || UpperCase(AControl->ClassName()) != "TEDITCONTROL")
    throw Exception("Invalid create class for TEIEditWrapper");
  return AControl;
}

TEIEditWrapper::TEIEditWrapper(TComponent* AControl, TMessageProcessProc ABeforeProcess, TMessageProcessProc AAfterProcess)
    : TComponent(CheckedEditControl(AControl)),
      FControl(static_cast<TWinControl*>(As<TWinControl>(AControl))),
      FBeforeProcess(ABeforeProcess),
      FAfterProcess(AAfterProcess) {
  HookOwner();
}

void TEIEditWrapper::Destroy() {
  // A receiver may free the hook (with its control or its window) inside a callback: the
  // calls still running must not read the freed hook when they resume.
  TEIActivation::EndAll(FActivations);
  UnhookOwner();
  inherited::Destroy();
}

WNDPROC TEIEditWrapper::GetObjectInstance() const { return FObjectInstance; }

void TEIEditWrapper::HookOwner() {
  if (!GetOwner() || !FControl) return;
  HWND h = FControl->GetHandle();
  FOldWndProc = reinterpret_cast<WNDPROC>(GetWindowLongPtr(h, GWL_WNDPROC));
  FObjectInstance = new TEIHookStub(this);
  if (SetWindowLongPtr(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(static_cast<WNDPROC>(FObjectInstance))) == 0) {
    FOldWndProc = nullptr;
    delete FObjectInstance;
    FObjectInstance = nullptr;
    return;
  }
  FHookedWindow = h;
}

// Restores the saved procedure only while the stub is still the control's current one: a
// subclasser that hooked in later keeps its chain, and the stub stays in it as a pass-through.
void TEIEditWrapper::UnhookOwner() {
  if (FObjectInstance) {
    WNDPROC stub = FObjectInstance;
    bool live = IsWindow(FHookedWindow);
    bool onTop = live && reinterpret_cast<WNDPROC>(GetWindowLongPtr(FHookedWindow, GWL_WNDPROC)) == stub;
    if (GetOwner() && FOldWndProc && FControl->HandleAllocated() && onTop) {
      SetWindowLongPtr(FControl->GetHandle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(FOldWndProc));
      live = false;
    } else if (live && !onTop &&
               reinterpret_cast<WNDPROC>(GetWindowLongPtr(FHookedWindow, GWL_WNDPROC)) == FOldWndProc) {
      // Someone already wrote our predecessor back: the stub is out of the chain.
      live = false;
    }
    if (live) {
      FObjectInstance->Wrapper = nullptr;
      FObjectInstance->PassTo = FOldWndProc;
    } else {
      delete FObjectInstance;
    }
  }
  FObjectInstance = nullptr;
  FOldWndProc = nullptr;
  FHookedWindow = 0;
}

void TEIEditWrapper::HookWndProc(TMessage& Message) {
  if (!GetOwner()) return;
  TEIActivation call(FActivations);
  const HWND window = FHookedWindow;
  const bool last = Message.Msg == WM_NCDESTROY;
  // The window's last message: for the calls running outside this one, and for unhooking,
  // the window is gone from here on.
  if (last) FHookedWindow = 0;
  try {
    TMessage OriginalMessage = Message;
    if (FBeforeProcess) {
      FBeforeProcess(this, OriginalMessage, Message);
      if (call.Ended) return;
    }
    // A window destroyed while the before callback ran gets nothing more.
    if (Message.Result != 1 && window && (last || FHookedWindow == window)) {
      Message.Result =
          CallWindowProc(FOldWndProc, window, Message.Msg, static_cast<WPARAM>(Message.WParam), Message.LParam);
      if (call.Ended) return;
    }
    if (OriginalMessage.Msg != WM_DROPFILES && FAfterProcess) FAfterProcess(this, OriginalMessage, Message);
  } catch (...) {
    // The editor control never sees an exception.
  }
}

// A control that does not publish the figure as an integer reads as 0.
Integer TEIEditWrapper::ReadLineFigure(const char* property) const {
  if (!FControl) return 0;
  PPropInfo info = GetPropInfo(FControl->ClassType(), property);
  if (!info || !info->GetOrd) return 0;
  return static_cast<Integer>(GetOrdProp(FControl, info));
}

Integer TEIEditWrapper::GetTopLine() const { return ReadLineFigure("TopLine"); }
Integer TEIEditWrapper::GetLineCount() const { return ReadLineFigure("LineCount"); }
Integer TEIEditWrapper::GetLinesInWindow() const { return ReadLineFigure("LinesInWindow"); }
Integer TEIEditWrapper::GetCurrentLine() const { return ReadLineFigure("CaretY"); }
