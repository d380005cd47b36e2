// Forms, the screen and the application: form lists and the active form, application
// activation, the message loop with its key routing, the modal loop.
#pragma once

#include "Controls.h"

class TMainMenu;

enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
DECLARE_ENUM_INFO(TFormBorderStyle)

enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
using TCloseEvent = TMethod<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TMethod<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = TMethod<void(TWMKey& Msg, bool& Handled)>;

class TCustomForm : public TWinControl {
  DECLARE_CLASS(TCustomForm, TWinControl)
 public:
  explicit TCustomForm(TComponent* AOwner);
  void Destroy() override;

  void SetVisible(bool v) override;
  // A window of its own placed into another control loses that window, so the control's
  // child window takes its place.
  void SetParent(TWinControl* AParent) override;
  void SetFocus() override;
  bool CanFocus() const override { return GetVisible() && GetEnabled(); }
  void Close();
  void Release();  // frees the form from the message loop, after the current message
  // Shows the form and runs the message loop until it closes: the other windows take no
  // input meanwhile, and whatever the loop dispatches (a person's or a script's input, the
  // modal answerer) may close it by setting ModalResult, by Close or by its close box.
  // A ModalResult the form's CloseQuery or OnClose (caNone) refuses keeps it open; caFree
  // releases it once the loop is over. The form is hidden again, the windows it disabled
  // enabled and the window that was active before activated; returns the ModalResult.
  TModalResult ShowModal();
  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult r) { FModalResult = r; }
  bool GetActive() const { return FActive; }
  TWinControl* GetActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* c);
  // Called when a control of this form gets the focus.
  void SetFocusedControl(TWinControl* c);
  TMainMenu* GetMenu() const { return FMenu; }
  // The menu becomes the window's menu bar; its items' commands and popups reach it here.
  void SetMenu(TMainMenu* m);
  void MenuChanged();
  // A key that is a shortcut of the form: OnShortCut first, then the main menu's items.
  virtual bool IsShortCut(TWMKey& Message);
  TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle v);
  bool GetModal() const { return FModal; }
  // A canvas on the form's client area, made when first asked for.
  TCanvas* GetCanvas();

  // The client area's size; while the form is read from its stream the values wait for
  // Loaded, when the form's border is known.
  Integer GetClientWidth() const { return GetClientRect().Right; }
  void SetClientWidth(Integer v);
  Integer GetClientHeight() const { return GetClientRect().Bottom; }
  void SetClientHeight(Integer v);
  // What the form was designed at. The screen is 96 pixels per inch, so a form designed at
  // 96 is shown as designed.
  Integer GetPixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer v) { FPixelsPerInch = v; }
  Integer GetTextHeight() const { return FTextHeight; }
  bool GetOldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(bool v) { FOldCreateOrder = v; }

  void Dispatch(TMessage& Message) override;
  // The form's controls and then its components without a parent (menus, dialogs).
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void DefineProperties(TFiler* Filer) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDestroy;
  TShortCutEvent OnShortCut;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual bool CloseQuery();
  virtual void DoClose(TCloseAction& Action);
  // What the modal loop does once ModalResult is set: CloseQuery, OnClose, and the action.
  void CloseModal();
  void Loaded() override;
  // OnCreate; an exception it raises is reported by the application and the form lives on,
  // as in the original (without an application it is raised).
  virtual void DoCreate();

  // What the original constructor does for a form class with a form resource, which a C++
  // base constructor cannot do for its derived class: reads the resources of this class and
  // its ancestors below TForm (InitInheritedComponent) and fires OnCreate. A form class
  // calls it as the last step of its constructor. No resource raises EResNotFound
  // "Resource TFrmX not found"; on any error the form is destroyed before the error leaves
  // the constructor, so nothing half-built remains.
  void CreateFromResource();

  // A form whose constructor raised never reaches Destroy(): it leaves the screen's list here.
  ~TCustomForm() override;

  TModalResult FModalResult = mrNone;
  bool FActive = false;
  bool FModal = false;
  TWinControl* FActiveControl = nullptr;
  TMainMenu* FMenu = nullptr;
  TFormBorderStyle FBorderStyle = bsSizeable;
  bool FOldCreateOrder = false;
  Integer FPixelsPerInch = 96;
  Integer FTextHeight = 13;
  Integer FLoadedClientWidth = -1, FLoadedClientHeight = -1;
  bool FLoadedVisible = false;
  TControlCanvas* FCanvas = nullptr;

 private:
  void ReadTextHeight(TReader* Reader);
  void WriteTextHeight(TWriter* Writer);
  void WritePixelsPerInch(TWriter* Writer);
};

class TForm : public TCustomForm {
  DECLARE_CLASS(TForm, TCustomForm)
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

class TScreen : public TComponent {
  DECLARE_CLASS(TScreen, TComponent)
 public:
  explicit TScreen(TComponent* AOwner) : TComponent(AOwner) {}
  // The desktop's size in pixels.
  Integer GetWidth() const { return GetSystemMetrics(SM_CXSCREEN); }
  Integer GetHeight() const { return GetSystemMetrics(SM_CYSCREEN); }
  Integer GetFormCount() const { return static_cast<Integer>(FForms.size()); }
  TForm* GetForm(Integer index) const;  // Forms[]: the most recently activated first
  Integer GetCustomFormCount() const { return static_cast<Integer>(FForms.size()); }
  TCustomForm* GetCustomForm(Integer index) const;
  TForm* GetActiveForm() const { return FActiveForm; }
  TCustomForm* GetActiveCustomForm() const { return FActiveCustomForm; }
  TWinControl* GetActiveControl() const { return FActiveControl; }

  TNotifyEvent OnActiveFormChange;
  TNotifyEvent OnActiveControlChange;

  // Bookkeeping called by forms and controls.
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  void SetFocusedForm(TCustomForm* form, TWinControl* control);
  void ControlDestroyed(TControl* control);

 private:
  void UpdateLastActive();
  std::vector<TCustomForm*> FForms;
  TForm* FActiveForm = nullptr;
  TCustomForm* FActiveCustomForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TCustomForm* FLastActiveCustomForm = nullptr;
  TWinControl* FLastActiveControl = nullptr;
};

using TMessageEvent = TMethod<void(MSG& Msg, bool& Handled)>;
using TExceptionEvent = TMethod<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = TMethod<void(TObject* Sender, bool& Done)>;

// The application: owner of application-wide components, the message loop, activation.
class TApplication : public TComponent {
  DECLARE_CLASS(TApplication, TComponent)
 public:
  explicit TApplication(TComponent* AOwner);
  void Destroy() override;

  HWND GetHandle() const { return FHandle; }
  TForm* GetMainForm() const { return FMainForm; }
  void SetMainForm(TForm* f) { FMainForm = f; }
  bool GetTerminated() const { return FTerminated; }
  bool GetActive() const { return FActive; }
  String Title;

  void Terminate();
  // A key that is a shortcut of the main form's, from any form of the application.
  bool IsShortCut(TWMKey& Message);
  bool ProcessMessage(MSG& Msg);
  void ProcessMessages();
  // One message, or when there is none, Idle.
  void HandleMessage();
  // Nothing to do: OnIdle, then, unless it asked to be called again, WaitMessage. False
  // when no input can arrive any more (no input source, or it has no more).
  bool Idle();
  // OnIdle alone: true when the handler has more to do (it left Done false) and wants to be
  // called again before the loop waits.
  bool RunOnIdle();
  void Run();
  // Reports an exception that reached the message loop: OnException, else a message box.
  void HandleException(TObject* Sender);
  void ShowException(const Exception& E);
  // The text of the last exception the loop reported (for tests and the host).
  const String& GetLastExceptionMessage() const { return FLastExceptionMessage; }
  void ControlDestroyed(TControl* control);

  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TMessageEvent OnMessage;
  TExceptionEvent OnException;
  TIdleEvent OnIdle;

 private:
  bool IsKeyMsg(MSG& Msg);
  static LRESULT AppWndProc(HWND, UINT, WPARAM, LPARAM);
  void WndProc(TMessage& Message);
  HWND FHandle = 0;
  WNDPROC FObjectInstance = nullptr;
  TForm* FMainForm = nullptr;
  bool FTerminated = false;
  bool FActive = false;
  String FLastExceptionMessage;
};

// The answerer of modal forms: called, instead of waiting for input, whenever a modal loop
// finds the queue empty; it acts for the user (posts input, clicks a button, sets
// ModalResult, moves the clock). Tests and the host set it. A loop whose answerer stops
// acting (100 turns in a row without a message), or that has neither an answerer nor any
// input to wait for, ends as cancelled, with a note on stderr, rather than hang.
void SetModalHandler(std::function<void(TCustomForm&)> handler);

// The visible, enabled top-level windows, disabled for a modal form; and enabled again.
std::vector<HWND> DisableTaskWindows(HWND ActiveWindow);
void EnableTaskWindows(const std::vector<HWND>& WindowList);

extern TApplication* Application;
extern TScreen* Screen;

// Creates the process's Application and Screen on a fresh window manager; DoneApplication
// frees them again (Application's components first), as the IDE does at exit.
void InitApplication();
void DoneApplication();
