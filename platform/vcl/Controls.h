// Controls: parent/child links, windows created on demand, the object-bound window
// procedure dispatching to message handlers, key events, and the original destruction order.
#pragma once

#include "Classes.h"
#include "Graphics.h"

class TWinControl;
class TCustomForm;
class TPopupMenu;

enum TShiftStateItem : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

// Shift and Ctrl from the key state as the queue last handed out; Alt from bit 29 of the
// key data.
TShiftState KeyDataToShiftState(int32_t KeyData);
TShiftState KeysToShiftState(WORD Keys);

using TModalResult = Integer;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5;
constexpr TModalResult mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
DECLARE_ENUM_INFO(TAlign)

using TCursor = int16_t;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -22;
constexpr TCursor crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crHSplit = -14, crVSplit = -15;
constexpr TCursor crDrag = -12, crNoDrop = -13, crHandPoint = -21;
// The window system's cursor for a control cursor (crDefault is the arrow).
HCURSOR CursorHandle(TCursor cursor);
// The cursor names form files use for cursor properties (crHandPoint).
extern const TTypeInfo TCursor_TypeInfo;

enum TControlStyleItem : uint8_t {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption, csOpaque,
  csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents
};
using TControlStyle = TSet<TControlStyleItem, 16>;

using TKeyEvent = TMethod<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = TMethod<void(TObject* Sender, char& Key)>;
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
using TMouseEvent = TMethod<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = TMethod<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;

class TControl : public TComponent {
  DECLARE_CLASS(TControl, TComponent)
 public:
  explicit TControl(TComponent* AOwner);
  void Destroy() override;

  TWinControl* GetParent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  Integer GetLeft() const { return FLeft; }
  Integer GetTop() const { return FTop; }
  Integer GetWidth() const { return FWidth; }
  Integer GetHeight() const { return FHeight; }
  TRect GetBoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  void SetLeft(Integer v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(Integer v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(Integer v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(Integer v) { SetBounds(FLeft, FTop, FWidth, v); }
  virtual TRect GetClientRect() const { return {0, 0, FWidth, FHeight}; }
  TAlign GetAlign() const { return FAlign; }
  // Asks the parent to align its children, also when the value is the same; a change between
  // a horizontal edge and a vertical one swaps Width and Height first.
  void SetAlign(TAlign Value);

  bool GetVisible() const { return FVisible; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Last among its parent's children of its kind, and a window on top of its siblings.
  void BringToFront();
  bool GetEnabled() const { return FEnabled; }
  virtual void SetEnabled(bool v);
  const String& GetCaption() const { return FText; }
  void SetCaption(const String& s) { SetText(s); }
  const String& GetText() const { return FText; }
  virtual void SetText(const String& s);
  String GetHint() const { return FHint; }
  void SetHint(const String& s) { FHint = s; }
  // Whether the hint is shown; kept for the hint window, which the stand-in does not draw.
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool v) { FShowHint = v; }
  // The menu a right-button release over the control pops up, at the mouse.
  TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor c) { FCursor = c; }
  TControlStyle GetControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle s) { FControlStyle = s; }
  // The background colour; ParentColor takes the parent's.
  TColor GetColor() const { return FColor; }
  void SetColor(TColor c);
  bool GetParentColor() const { return FParentColor; }
  void SetParentColor(bool v);
  // The font; ParentFont (the default) keeps it equal to the parent's.
  TFont* GetFont() const { return FFont; }
  void SetFont(const TFont* font) { FFont->Assign(font); }
  bool GetParentFont() const { return FParentFont; }
  void SetParentFont(bool v);
  bool GetMouseCapture() const;
  void SetMouseCapture(bool v);

  // The window procedure of the control's messages: WndProc unless someone replaced it.
  TWndMethod WindowProc;
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  virtual void WndProc(TMessage& Message);
  // Message handlers by number; unhandled messages reach DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  virtual void Click();
  virtual void DblClick();
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;
  virtual TPoint GetClientOrigin() const;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;

  // A control read from a form stream takes the control it was read inside as its parent.
  void ReadState(TReader* Reader) override;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The parent lays out its aligned children again, with this one first among its equals.
  void RequestAlign();
  // After each change of size (a windowed control's when its window has one): OnResize.
  virtual void Resize();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  // Mouse messages: capture on a button press (csCaptureMouse), the events, Click on release
  // inside (csClickEvents), DblClick (csDoubleClicks).
  void MouseMessage(TMessage& Message);
  virtual void FontChanged(TObject* Sender);
  void ParentFontChanged();
  void ParentColorChanged();

  TWinControl* FParent = nullptr;
  Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  // A descendant's constructor that raised never reaches Destroy(): what the constructor made
  // is released here then.
  ~TControl() override;
  TColor FColor = clBtnFace;
  bool FParentColor = true;
  TFont* FFont;
  bool FParentFont = true;
  TAlign FAlign = alNone;
  bool FVisible = true;
  bool FEnabled = true;
  String FText;
  String FHint;
  TCursor FCursor = crDefault;
  bool FShowHint = false;
  TPopupMenu* FPopupMenu = nullptr;

  friend class TWinControl;
};

class TWinControl : public TControl {
  DECLARE_CLASS(TWinControl, TControl)
 public:
  explicit TWinControl(TComponent* AOwner);
  void Destroy() override;

  // Creates the window (and its parents' windows, top down) when there is none yet.
  HWND GetHandle();
  bool HandleAllocated() const { return FHandle != 0; }
  void HandleNeeded();
  void DestroyHandle();
  void RecreateWnd();

  Integer GetControlCount() const { return static_cast<Integer>(FControls.size() + FWinControls.size()); }
  // Graphic controls first, then windowed ones, each in insertion order.
  TControl* GetControl(Integer index) const;
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  bool ContainsControl(const TControl* c) const;

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetVisible(bool v) override;
  void SetText(const String& s) override;
  TPoint GetClientOrigin() const override;
  // The window's client area when it has one.
  TRect GetClientRect() const override;
  Integer GetClientWidth() const { return GetClientRect().Width(); }
  Integer GetClientHeight() const { return GetClientRect().Height(); }
  void SetClientWidth(Integer v);
  void SetClientHeight(Integer v);
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  // The topmost visible graphic child under a client point (enabled ones only unless asked).
  TControl* ControlAtPos(TPoint p, bool AllowDisabled) const;
  TBrush* GetBrush() const { return FBrush; }

  // Alignment: the children with an Align take their places in the client area less
  // AdjustClientRect, in the passes alTop, alBottom, alLeft, alRight, alClient, whenever one
  // of them or this control changes; nothing happens before the window exists.
  // DisableAlign and EnableAlign bracket a series of changes into one pass.
  void DisableAlign();
  void EnableAlign();
  bool AlignDisabled() const { return FAlignLevel > 0; }
  void Realign() { AlignControl(nullptr); }
  // The rectangle children align in; the whole client area unless a class says otherwise.
  virtual void AdjustClientRect(TRect&) const {}

  virtual void SetFocus();
  bool Focused() const;
  virtual bool CanFocus() const;
  // The place in its parent's tab order: siblings are visited by TabOrder, those with equal
  // ones in the order they were inserted.
  Integer TabOrder = 0;
  bool TabStop = false;
  // Every windowed descendant in tab order, each followed by its own.
  void GetTabOrderList(std::vector<TWinControl*>& List) const;
  // The control after (or before) CurControl in tab order, going round; one that can take
  // the focus, with TabStop when CheckTabStop, a child of this one when CheckParent. Null
  // when there is none; CurControl null starts from the first (or last).
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) const;
  // Focuses the next control in tab order (Tab; Shift+Tab goes backward).
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // Its child controls of Root's, graphic ones first, as a form stream keeps them.
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

 protected:
  void AlignControl(TControl* AControl);
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  struct TCreateParams {
    String WinClassName;
    String Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    UINT ClassStyle = 0;  // the window class's CS_ bits
    TRect Bounds;
    HWND WndParent = 0;
  };
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  void MainWndProc(TMessage& Message);

  bool RunKeyEvent(void (TWinControl::*Event)(Word&, TShiftState), TMessage& Message);
  // The key is a menu shortcut of this control's form or of the application, and ran it.
  bool IsMenuKey(TMessage& Message);
  virtual bool DoKeyDown(TMessage& Message);
  virtual bool DoKeyUp(TMessage& Message);
  virtual bool DoKeyPress(TMessage& Message);
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void DoEnter();
  virtual void DoExit();
  // Painting: the window's own picture, then its graphic children on top, bottom first.
  void PaintHandler(HDC dc);
  virtual void PaintWindow(HDC dc);
  void PaintControls(HDC dc, TControl* First);
  // Mouse messages for a graphic child (the capture control, or the one under the point).
  bool IsControlMouseMsg(TMessage& Message);

  // A descendant's constructor that raised never reaches Destroy(): the window-procedure
  // instance is released here then.
  ~TWinControl() override;

  HWND FHandle = 0;
  WNDPROC FObjectInstance = nullptr;
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;     // graphic children
  std::vector<TWinControl*> FWinControls;  // windowed children
  TBrush* FBrush;  // the background, in Color
  Integer FAlignLevel = 0;
  bool FAlignmentNeeded = false;
  std::vector<TControl*> FAlignList;  // one pass's controls in their order

  friend class TControl;
};

// A windowed control that paints itself on its canvas.
class TCustomControl : public TWinControl {
  DECLARE_CLASS(TCustomControl, TWinControl)
 public:
  explicit TCustomControl(TComponent* AOwner);
  void Destroy() override;
  TCanvas* GetCanvas() const { return FCanvas; }

 protected:
  // Draws on Canvas, which holds the paint context meanwhile.
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;
  ~TCustomControl() override;
  TControlCanvas* FCanvas = nullptr;
};

// A control without a window of its own, drawn on its parent: its parent's paint context,
// moved to the control's place and clipped to it, arrives with WM_PAINT.
class TGraphicControl : public TControl {
  DECLARE_CLASS(TGraphicControl, TControl)
 public:
  explicit TGraphicControl(TComponent* AOwner);
  void Destroy() override;
  TCanvas* GetCanvas() const { return FCanvas; }
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint() {}
  ~TGraphicControl() override;
  TControlCanvas* FCanvas = nullptr;
};

// The control holding the mouse capture (a graphic control through its parent's window).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
// The control the mouse was last over; CM_MOUSELEAVE and CM_MOUSEENTER mark each change.
TControl* GetMouseControl();
void SetMouseControl(TControl* control);
// Gives back every control canvas's context, as the class library does after each message.
void FreeDeviceContexts();

TCustomForm* GetParentForm(TControl* control);
// The control whose window this is, or null.
TWinControl* FindControl(HWND handle);
