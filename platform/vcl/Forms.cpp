// Forms, the screen and the application.
#include "Forms.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <thread>

#include "Menus.h"
#include "Reader.h"
#include "Writer.h"

namespace {
bool FalseStored(const TControl*) { return false; }
}  // namespace

// Forms keep their client size, not their outer size, and PixelsPerInch and TextHeight after
// everything else (DefineProperties).
IMPLEMENT_ENUM_INFO(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin")

static const TPropInfo CustomFormProps[] = {
    PUBLISHED_REFERENCE(TCustomForm, "ActiveControl", GetActiveControl, SetActiveControl),
    PUBLISHED_ENUM(TCustomForm, "BorderStyle", GetBorderStyle, SetBorderStyle, bsSizeable),
    PUBLISHED_STR(TCustomForm, "Caption", GetCaption, SetCaption),
    PUBLISHED_INT_DEFAULT(TCustomForm, "ClientHeight", GetClientHeight, SetClientHeight, NoDefault),
    PUBLISHED_INT_DEFAULT(TCustomForm, "ClientWidth", GetClientWidth, SetClientWidth, NoDefault),
    PUBLISHED_IDENT_INT(TCustomForm, "Color", GetColor, SetColor, &TColor_TypeInfo, clBtnFace),
    PUBLISHED_ENUM(TCustomForm, "Enabled", GetEnabled, SetEnabled, true),
    PUBLISHED_OBJECT(TCustomForm, "Font", GetFont),
    PUBLISHED_ENUM(TCustomForm, "OldCreateOrder", GetOldCreateOrder, SetOldCreateOrder, NoDefault),
    PUBLISHED_ENUM(TCustomForm, "Visible", GetVisible, SetVisible, false),
    PUBLISHED_EVENT(TCustomForm, "OnActivate", OnActivate),
    PUBLISHED_EVENT(TCustomForm, "OnClick", OnClick),
    PUBLISHED_EVENT(TCustomForm, "OnClose", OnClose),
    PUBLISHED_EVENT(TCustomForm, "OnCloseQuery", OnCloseQuery),
    PUBLISHED_EVENT(TCustomForm, "OnCreate", OnCreate),
    PUBLISHED_EVENT(TCustomForm, "OnDeactivate", OnDeactivate),
    PUBLISHED_EVENT(TCustomForm, "OnDestroy", OnDestroy),
    PUBLISHED_EVENT(TCustomForm, "OnHide", OnHide),
    PUBLISHED_EVENT(TCustomForm, "OnKeyDown", OnKeyDown),
    PUBLISHED_EVENT(TCustomForm, "OnKeyPress", OnKeyPress),
    PUBLISHED_EVENT(TCustomForm, "OnKeyUp", OnKeyUp),
    PUBLISHED_EVENT(TCustomForm, "OnMouseDown", OnMouseDown),
    PUBLISHED_EVENT(TCustomForm, "OnMouseMove", OnMouseMove),
    PUBLISHED_EVENT(TCustomForm, "OnMouseUp", OnMouseUp),
    PUBLISHED_EVENT(TCustomForm, "OnShow", OnShow),
    PUBLISHED_INT_STORED(TCustomForm, "PixelsPerInch", GetPixelsPerInch, SetPixelsPerInch, FalseStored),
};
static const TPropInfo FormSizeProps[] = {
    PUBLISHED_INT_STORED(TForm, "Width", GetWidth, SetWidth, FalseStored),
    PUBLISHED_INT_STORED(TForm, "Height", GetHeight, SetHeight, FalseStored),
};

IMPLEMENT_COMPONENT_CLASS_PROPS(TCustomForm, TWinControl, CustomFormProps)
IMPLEMENT_COMPONENT_CLASS_PROPS(TForm, TCustomForm, FormSizeProps)
IMPLEMENT_COMPONENT_CLASS(TScreen, TComponent)
IMPLEMENT_COMPONENT_CLASS(TApplication, TComponent)

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

// ---- TCustomForm ---------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  FWidth = 320;
  FHeight = 240;
  FParentColor = false;
  FParentFont = false;
  if (Screen) Screen->AddForm(this);
}

void TCustomForm::Destroy() {
  MarkDestroying();
  if (OnDestroy) OnDestroy(this);
  if (Screen) Screen->RemoveForm(this);
  inherited::Destroy();
  // After the children: one still sizing on the canvas gives its context back as it goes.
  FreeAndNil(FCanvas);
}

void TCustomForm::SetParent(TWinControl* AParent) {
  if (AParent == FParent || AParent == this) return inherited::SetParent(AParent);
  if (!FParent && HandleAllocated()) DestroyHandle();
  inherited::SetParent(AParent);
}

TCanvas* TCustomForm::GetCanvas() {
  if (!FCanvas) {
    FCanvas = new TControlCanvas();
    FCanvas->SetControl(this);
  }
  return FCanvas;
}

TCustomForm::~TCustomForm() {
  if (!Destroying() && Screen) Screen->RemoveForm(this);
}

void TCustomForm::CreateFromResource() {
  try {
    if (!InitInheritedComponent(this, TForm::StaticClass()))
      throw EResNotFound(Format("Resource %s not found", ClassName().c_str()));
    DoCreate();
  } catch (...) {
    // Still inside the derived constructor, every part of the form is alive: destroy it
    // properly now; the constructor's unwinding then only releases the memory.
    Destroy();
    throw;
  }
}

void TCustomForm::DoCreate() {
  try {
    if (OnCreate) OnCreate(this);
  } catch (...) {
    if (!Application) throw;  // nobody to report it: the form is not made
    Application->HandleException(this);
  }
}

// The client area is the window's: its frame, caption and menu bar are known once the window
// exists, so it is made first, as reading the client rectangle does in the original.
void TCustomForm::SetClientWidth(Integer v) {
  if (GetComponentState().Contains(csLoading)) {
    FLoadedClientWidth = v;
    return;
  }
  // The border is known only with the window, which the client area asks for.
  HandleNeeded();
  SetWidth(GetWidth() - GetClientWidth() + v);
}

void TCustomForm::SetClientHeight(Integer v) {
  if (GetComponentState().Contains(csLoading)) {
    FLoadedClientHeight = v;
    return;
  }
  // The border is known only with the window, which the client area asks for.
  HandleNeeded();
  SetHeight(GetHeight() - GetClientHeight() + v);
}

void TCustomForm::Loaded() {
  inherited::Loaded();
  if (FLoadedClientWidth >= 0) SetClientWidth(FLoadedClientWidth);
  if (FLoadedClientHeight >= 0) SetClientHeight(FLoadedClientHeight);
  FLoadedClientWidth = FLoadedClientHeight = -1;
  if (FLoadedVisible) SetVisible(true);
  FLoadedVisible = false;
}

void TCustomForm::GetChildren(TGetChildProc Proc, TComponent* Root) {
  TWinControl::GetChildren(Proc, Root);
  if (Root != this) return;
  for (Integer i = 0; i < GetComponentCount(); ++i) {
    TComponent* c = GetComponent(i);
    if (!c->HasParent()) Proc(c);
  }
}

void TCustomForm::DefineProperties(TFiler* Filer) {
  TWinControl::DefineProperties(Filer);
  Filer->DefineProperty("PixelsPerInch", TReaderProc(), MethodOf<&TCustomForm::WritePixelsPerInch>(this), true);
  Filer->DefineProperty("TextHeight", MethodOf<&TCustomForm::ReadTextHeight>(this),
                        MethodOf<&TCustomForm::WriteTextHeight>(this), true);
}

void TCustomForm::ReadTextHeight(TReader* Reader) { FTextHeight = Reader->ReadInteger(); }
void TCustomForm::WriteTextHeight(TWriter* Writer) { Writer->WriteInteger(FTextHeight); }
void TCustomForm::WritePixelsPerInch(TWriter* Writer) { Writer->WriteInteger(FPixelsPerInch); }

namespace {
// A reference "Form2.Button1" starts at the screen's form of that name.
TComponent* FindScreenForm(const String& Name) {
  if (!Screen) return nullptr;
  for (Integer i = 0; i < Screen->GetCustomFormCount(); ++i) {
    TCustomForm* f = Screen->GetCustomForm(i);
    if (SameText(f->GetName(), Name)) return f;
  }
  return nullptr;
}
const bool kFindScreenForms = (RegisterFindGlobalComponentProc(&FindScreenForm), true);
const TClassRegistration kFormClasses{TForm::StaticClass()};
}  // namespace

void TCustomForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  static const struct {
    DWORD Style, ExStyle;
  } kBorders[] = {
      {WS_POPUP, 0},                                                  // bsNone
      {WS_CAPTION, 0},                                                // bsSingle
      {WS_CAPTION | WS_THICKFRAME, 0},                                // bsSizeable
      {WS_POPUP | WS_CAPTION, WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE},  // bsDialog
      {WS_CAPTION, WS_EX_TOOLWINDOW},                                 // bsToolWindow
      {WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW},                 // bsSizeToolWin
  };
  Params.Style = kBorders[FBorderStyle].Style | WS_CLIPCHILDREN | (FVisible ? WS_VISIBLE : 0);
  Params.ExStyle = kBorders[FBorderStyle].ExStyle;
  // A form placed in another control (docked) is a child window of it, not a popup.
  if (FParent) {
    Params.Style = (Params.Style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
    return;
  }
  Params.WndParent = Application ? Application->GetHandle() : 0;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
  if (FBorderStyle == v) return;
  FBorderStyle = v;
  RecreateWnd();
}

void TCustomForm::SetMenu(TMainMenu* m) {
  if (FMenu == m) return;
  if (FMenu && FHandle) FMenu->SetWindowHandle(0);
  FMenu = m;
  if (m) m->FreeNotification(this);
  MenuChanged();
}

void TCustomForm::MenuChanged() {
  if (!FHandle) return;
  const HMENU menu = FMenu ? FMenu->GetHandle() : 0;
  if (FMenu) FMenu->SetWindowHandle(FHandle);
  if (::GetMenu(FHandle) != menu)
    ::SetMenu(FHandle, menu);
  else if (menu)
    DrawMenuBar(FHandle);
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  MenuChanged();
}

bool TCustomForm::IsShortCut(TWMKey& Message) {
  bool handled = false;
  if (OnShortCut) OnShortCut(Message, handled);
  return handled || (FMenu && FMenu->IsShortCut(Message));
}

void TCustomForm::SetVisible(bool v) {
  // A form read from its stream is shown once it is loaded, not before its controls are there.
  if (GetComponentState().Contains(csLoading)) {
    FLoadedVisible = v;
    return;
  }
  if (FVisible == v) return;
  if (v) {
    HandleNeeded();
    FVisible = true;
    ShowWindow(FHandle, SW_SHOW);
    if (OnShow) OnShow(this);
    // A form placed in another control (docked) shows in place; only a window of its own is activated.
    if (!FParent) SetFocus();
  } else {
    FVisible = false;
    if (FHandle) ShowWindow(FHandle, SW_HIDE);
    if (FActive && FHandle) SetActiveWindow(0);
    if (OnHide) OnHide(this);
  }
}

void TCustomForm::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  // An activated form without an active control selects its first one, as the original does.
  if (!FActiveControl) FActiveControl = FindNextControl(nullptr, true, true, false);
  if (FActiveControl) FActiveControl->FreeNotification(this);
  HWND h = GetHandle();
  SetActiveWindow(h);
  if (FActiveControl && FActiveControl->HandleAllocated() && FActiveControl->CanFocus())
    ::SetFocus(FActiveControl->GetHandle());
  else if (::GetFocus() == 0 || !ContainsControl(FindControl(::GetFocus())))
    ::SetFocus(h);
}

void TCustomForm::SetActiveControl(TWinControl* c) {
  if (FActiveControl == c) return;
  FActiveControl = c;
  if (c) c->FreeNotification(this);
  if (FActive && c && c->CanFocus()) ::SetFocus(c->GetHandle());
}

void TCustomForm::SetFocusedControl(TWinControl* c) {
  if (c != this && c) {
    FActiveControl = c;
    c->FreeNotification(this);
  }
  if (Screen) Screen->SetFocusedForm(this, c);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    if (AComponent == FActiveControl) FActiveControl = nullptr;
    if (AComponent == FMenu) {
      FMenu = nullptr;
      MenuChanged();
    }
  }
}

bool TCustomForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  // Closing the main form ends the application.
  if (action == caNone) return;
  if (Application && Application->GetMainForm() == this)
    Application->Terminate();
  else if (action == caHide)
    Hide();
  else if (action == caFree)
    Release();
}

void TCustomForm::Release() { PostMessage(GetHandle(), CM_RELEASE, 0, 0); }

namespace {
std::function<void(TCustomForm&)>& ModalHandler() {
  static std::function<void(TCustomForm&)> handler;
  return handler;
}
}  // namespace

void SetModalHandler(std::function<void(TCustomForm&)> handler) { ModalHandler() = std::move(handler); }

std::vector<HWND> DisableTaskWindows(HWND ActiveWindow) {
  std::vector<HWND> disabled;
  EnumWindows([&](HWND h) {
    if (h != ActiveWindow && IsWindowVisible(h) && IsWindowEnabled(h)) {
      EnableWindow(h, FALSE);
      disabled.push_back(h);
    }
    return TRUE;
  });
  return disabled;
}

void EnableTaskWindows(const std::vector<HWND>& WindowList) {
  for (HWND h : WindowList)
    if (IsWindow(h)) EnableWindow(h, TRUE);
}

namespace {
// An answerer that stops acting would leave the loop spinning.
constexpr int kMaxSilentTurns = 100;
}  // namespace

TModalResult TCustomForm::ShowModal() {
  if (FVisible || !FEnabled || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  FModal = true;
  const HWND previous = GetActiveWindow();
  const std::vector<HWND> disabled = DisableTaskWindows(0);
  auto restore = [&] {
    EnableTaskWindows(disabled);
    if (previous && IsWindow(previous)) SetActiveWindow(previous);
    FModal = false;
  };
  try {
    Show();
    FModalResult = mrNone;
    int silent = 0;
    do {
      MSG msg;
      // The idle work (a script goes on from there) may answer the dialog even when it has
      // nothing more to do.
      if (Application->ProcessMessage(msg) || Application->RunOnIdle() || FModalResult != mrNone) {
        silent = 0;
      } else if (ModalHandler() && silent < kMaxSilentTurns) {
        ++silent;
        // A copy: the answerer may replace itself while it runs.
        std::function<void(TCustomForm&)> answer = ModalHandler();
        answer(*this);
      } else if (ModalHandler() || !WaitMessage()) {
        std::fprintf(stderr, "brisk: modal dialog \"%s\" has no one to answer it; cancelled\n", FText.c_str());
        FModalResult = mrCancel;
      }
      if (Application->GetTerminated())
        FModalResult = mrCancel;
      else if (FModalResult != mrNone)
        CloseModal();
    } while (FModalResult == mrNone);
    Hide();
  } catch (...) {
    if (FVisible) Hide();
    restore();
    throw;
  }
  restore();
  return FModalResult;
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  if (action == caNone)
    FModalResult = mrNone;
  else if (action == caFree)
    Release();
}

namespace {
// Offers a dialog key to every control below `parent`, depth first in Controls[] order, and
// stops at the first that takes it. An embedded form offers the key to its own controls.
bool BroadcastDialogKey(TWinControl& parent, const TMessage& Message) {
  for (Integer i = 0; i < parent.GetControlCount(); ++i) {
    TControl* c = parent.GetControl(i);
    if (c->Perform(Message.Msg, static_cast<WPARAM>(Message.WParam), Message.LParam) != 0) return true;
    auto* container = As<TWinControl>(c);
    if (container && !container->Is<TCustomForm>() && BroadcastDialogKey(*container, Message)) return true;
  }
  return false;
}
}  // namespace

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      Message.Result = BroadcastDialogKey(*this, Message) ? 1 : 0;
      return;
    case CM_DIALOGKEY:
      // Tab and Shift+Tab move the focus along the tab order. Enter and Escape reach the
      // default and cancel buttons, which answer 1 when they click; the answer tells the
      // message loop that the key was used.
      if ((Message.WParam & 0xFFFF) == VK_TAB && GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_CONTROL) >= 0) {
        SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
        Message.Result = 1;
        return;
      }
      Message.Result = BroadcastDialogKey(*this, Message) ? 1 : 0;
      return;
    case WM_ACTIVATE:
      FActive = (Message.WParam & 0xFFFF) != WA_INACTIVE;
      if (FActive) {
        if (Screen) Screen->SetFocusedForm(this, FActiveControl);
        // The form activated takes the keyboard focus, as the platform's default does, and
        // hands it to the control that last had it: a form activated again after a dialog
        // closed goes on taking the keys.
        if (const HWND focus = ::GetFocus(); !focus || !(focus == FHandle || ContainsControl(FindControl(focus)))) {
          if (FActiveControl && FActiveControl->HandleAllocated() && FActiveControl->CanFocus())
            ::SetFocus(FActiveControl->GetHandle());
          else
            ::SetFocus(FHandle);
        }
        if (OnActivate) OnActivate(this);
      } else if (OnDeactivate) {
        OnDeactivate(this);
      }
      return;
    case WM_CLOSE:
      Close();
      return;
    case CM_RELEASE:
      Free();
      return;
    case WM_COMMAND:
      // A menu's command (no control in lParam) goes to the item that has it.
      if (Message.LParam == 0 && FMenu && FMenu->DispatchCommand(LOWORD(static_cast<uint32_t>(Message.WParam)))) return;
      TWinControl::Dispatch(Message);
      return;
    case WM_INITMENUPOPUP:
      if (FMenu) FMenu->DispatchPopup(static_cast<HMENU>(Message.WParam));
      return;
    case WM_DESTROY:
      // The menu outlives the window: the window must not take it along.
      if (FMenu && FHandle) {
        ::SetMenu(FHandle, 0);
        FMenu->SetWindowHandle(0);
      }
      TWinControl::Dispatch(Message);
      return;
    default:
      TWinControl::Dispatch(Message);
  }
}

// ---- TScreen -------------------------------------------------------------------------------

TForm* TScreen::GetForm(Integer index) const {
  if (index < 0 || index >= GetFormCount()) TList::Error("List index out of bounds (%d)", index);
  return As<TForm>(FForms[static_cast<size_t>(index)]);
}

TCustomForm* TScreen::GetCustomForm(Integer index) const {
  if (index < 0 || index >= GetCustomFormCount()) TList::Error("List index out of bounds (%d)", index);
  return FForms[static_cast<size_t>(index)];
}

void TScreen::AddForm(TCustomForm* form) { FForms.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), form), FForms.end());
}

void TScreen::SetFocusedForm(TCustomForm* form, TWinControl* control) {
  auto it = std::find(FForms.begin(), FForms.end(), form);
  if (it != FForms.end()) {
    FForms.erase(it);
    FForms.insert(FForms.begin(), form);  // Forms[0] is the most recently activated form
  }
  FActiveCustomForm = form;
  FActiveForm = As<TForm>(form);
  FActiveControl = control;
  UpdateLastActive();
}

void TScreen::ControlDestroyed(TControl* control) {
  if (FActiveControl == control) FActiveControl = nullptr;
  if (FActiveCustomForm == control) {
    FActiveCustomForm = nullptr;
    FActiveForm = nullptr;
  }
  // The last reported form and control are only compared, never used, so they are left as
  // they are: losing the active form is announced like any other change.
  UpdateLastActive();
}

void TScreen::UpdateLastActive() {
  if (FLastActiveCustomForm != FActiveCustomForm) {
    FLastActiveCustomForm = FActiveCustomForm;
    if (OnActiveFormChange) OnActiveFormChange(this);
  }
  if (FLastActiveControl != FActiveControl) {
    FLastActiveControl = FActiveControl;
    if (OnActiveControlChange) OnActiveControlChange(this);
  }
}

// ---- TApplication --------------------------------------------------------------------------

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  FObjectInstance = MakeObjectInstance(MethodOf<&TApplication::WndProc>(this));
  TCreateWindowParams p;
  p.ClassName = "TApplication";
  p.WindowName = Title;
  p.Style = WS_POPUP | WS_CAPTION;
  p.WndProc = FObjectInstance;
  FHandle = CreateWindowEx(p);
  FActive = GetApplicationActive();
}

void TApplication::Destroy() {
  MarkDestroying();
  DestroyComponents();
  if (FHandle) DestroyWindow(FHandle);
  FHandle = 0;
  FreeObjectInstance(FObjectInstance);
  FObjectInstance = nullptr;
  inherited::Destroy();
}

void TApplication::WndProc(TMessage& Message) {
  try {
    switch (Message.Msg) {
      case WM_ACTIVATEAPP:
        // The events come from posted messages: they run on a later pass of the loop.
        FActive = Message.WParam != 0;
        PostMessage(FHandle, FActive ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0);
        return;
      case CM_ACTIVATE:
        if (OnActivate) OnActivate(this);
        return;
      case CM_DEACTIVATE:
        if (OnDeactivate) OnDeactivate(this);
        return;
      case CM_APPKEYDOWN: {
        TWMKey key = KeyMessageOf(Message);
        Message.Result = IsShortCut(key) ? 1 : 0;
        return;
      }
      case CM_APPSYSCOMMAND:
        // Alt and a letter on a form without a menu bar open the main form's.
        if (FMainForm && FMainForm->HandleAllocated() && IsWindowEnabled(FMainForm->GetHandle()) &&
            IsWindowVisible(FMainForm->GetHandle())) {
          SendMessage(FMainForm->GetHandle(), WM_SYSCOMMAND, static_cast<WPARAM>(Message.WParam), Message.LParam);
          Message.Result = 1;
        }
        return;
      default:
        Message.Result = DefWindowProc(FHandle, Message.Msg, static_cast<WPARAM>(Message.WParam), Message.LParam);
    }
  } catch (...) {
    HandleException(this);
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

bool TApplication::IsShortCut(TWMKey& Message) {
  return FMainForm && FMainForm->HandleAllocated() && IsWindowEnabled(FMainForm->GetHandle()) &&
         FMainForm->IsShortCut(Message);
}

bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  HWND target = GetCapture();
  if (!target) {
    target = Msg.hwnd;
    for (HWND h = target; h; h = GetParent(h)) {
      if (FindControl(h)) {
        target = h;
        break;
      }
    }
  }
  if (!target) return false;
  return SendMessage(target, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessage(&Msg, 0, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) OnMessage(Msg, handled);
  if (!handled && !IsKeyMsg(Msg)) {
    TranslateMessage(&Msg);
    DispatchMessage(&Msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

bool TApplication::RunOnIdle() {
  bool done = true;
  if (OnIdle) OnIdle(this, done);
  return !done;
}

bool TApplication::Idle() { return RunOnIdle() || WaitMessage(); }

void TApplication::Run() {
  while (!FTerminated) {
    MSG msg;
    if (!ProcessMessage(msg) && !RunOnIdle() && GetQueueLength() == 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void TApplication::HandleException(TObject*) {
  std::exception_ptr ep = std::current_exception();
  if (!ep) return;
  try {
    std::rethrow_exception(ep);
  } catch (const EAbort&) {
    // The silent exception is never reported.
  } catch (const Exception& e) {
    if (OnException)
      OnException(this, e);
    else
      ShowException(e);
  } catch (const std::exception& e) {
    ShowException(Exception(e.what()));
  } catch (...) {
    ShowException(Exception("Unknown exception"));
  }
}

void TApplication::ShowException(const Exception& E) {
  FLastExceptionMessage = E.Message;
  std::fprintf(stderr, "brisk: %s\n", E.Message.c_str());
}

void TApplication::ControlDestroyed(TControl* control) {
  if (FMainForm == control) FMainForm = nullptr;
  if (Screen) Screen->ControlDestroyed(control);
}

void InitApplication() {
  DoneApplication();
  ResetWindowManager();
  Screen = new TScreen(nullptr);
  Application = new TApplication(nullptr);
}

void DoneApplication() {
  if (Application) {
    TApplication* app = Application;
    app->Free();
    Application = nullptr;
  }
  if (Screen) {
    TScreen* s = Screen;
    Screen = nullptr;
    s->Free();
  }
}
