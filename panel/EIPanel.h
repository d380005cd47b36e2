// The dockable editor panel: a title bar with eight standard buttons and any number of user
// buttons, a splitter strip on its inner edge, and the control it hosts in the rest.
#pragma once

#include "DragControl.h"
#include "SplitterControl.h"
#include "platform/vcl/Forms.h"
#include "TitleBar.h"
#include "TitleBarBtn.h"
#include "TitleBarButton.h"

// Sender is always the panel.
using TEIPanelButtonEvent = TMethod<void(TObject* Sender, TTitleBarButtonID Button, bool& Cancel)>;
using TEIPanelBtnEvent = TMethod<void(TObject* Sender, Integer ButtonID)>;
using TEIPanelCancelEvent = TMethod<void(TObject* Sender, bool& Cancel)>;
using TEIPanelDragOffEvent = TMethod<void(TObject* Sender, const TPoint& TargetScreenPoint)>;
using TEIPanelDragToEvent = TMethod<void(TObject* Sender, TAlign Area, bool& Cancel)>;
using TEIPanelDragToFormEvent =
    TMethod<void(TObject* Sender, TForm* DestForm, TAlign Area, const TPoint& TargetScreenPoint)>;

// The panel's release of itself, posted with this number in both parameters; the number is
// the class library's CM_DOCKCLIENT, which gets any other parameters.
constexpr UINT CM_EIPANELRELEASE = 0xB038;
static_assert(CM_EIPANELRELEASE == CM_DOCKCLIENT);

// The 4-pixel strip on the panel's inner edge that sizes it.
class TSplitterPanel : public TCustomPanel {
  DECLARE_CLASS(TSplitterPanel, TCustomPanel)
 public:
  explicit TSplitterPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

class TEIPanel : public TCustomPanel {
  DECLARE_CLASS(TEIPanel, TCustomPanel)
 public:
  // A raised panel with a "Title" bar along its left side carrying close and the four docking
  // buttons, and its splitter strip at the right edge.
  explicit TEIPanel(TComponent* AOwner);
  void Destroy() override;

  // ---- the panel ----
  TAlign GetAlign() const { return TCustomPanel::GetAlign(); }
  // A change also moves the splitter strip to the inner edge and fires OnAlign; between the
  // vertical and the horizontal sides a minimized panel is restored first.
  void SetAlign(TAlign Value);
  bool IsVertical() const;          // aligned alLeft or alRight
  bool IsTitleBarVertical() const;  // the title bar aligned alLeft or alRight
  // Width of a left or right panel, Height of any other.
  Integer GetSize() const;
  void SetSize(Integer Value);
  bool GetDragable() const;
  void SetDragable(bool Value);
  bool GetLiveSplit() const { return FLiveSplit; }
  void SetLiveSplit(bool Value) { FLiveSplit = Value; }
  bool GetMinimized() const { return FMinimized; }
  // Shrinks the panel across its docked edge to the title bar and the bevels, the splitter
  // hidden, and gives size and splitter back; only with the title bar parallel to that edge.
  void SetMinimized(bool Value);
  // Enables the min/max button only where minimizing can work (title bar parallel to the
  // docked edge) and mirrors that into TitleBarButtonEnabled.
  void UpdateMinMaxButton();
  // Frees the panel from the message loop, once the current message has been handled.
  void DoFree();

  // ---- the title bar ----
  TTitleBarAlign GetTitleBarAlign() const { return FTitleBarAlign; }
  void SetTitleBarAlign(TTitleBarAlign Value);
  bool GetTitleBarVisible() const;
  void SetTitleBarVisible(bool Value);
  TTitleBarButtonIDs GetTitleBarButtonVisible() const { return FTitleBarButtonVisible; }
  void SetTitleBarButtonVisible(TTitleBarButtonIDs Value);
  TTitleBarButtonIDs GetTitleBarButtonEnabled() const { return FTitleBarButtonEnabled; }
  void SetTitleBarButtonEnabled(TTitleBarButtonIDs Value);
  bool GetTitleBarButtonFlat() const { return FTitleBarButtonFlat; }
  void SetTitleBarButtonFlat(bool Value);
  TColor GetTitleBarColor() const;
  void SetTitleBarColor(TColor Value);
  TFont* GetTitleBarFont() const;
  void SetTitleBarFont(const TFont* Value);  // copies
  String GetTitleBarCaption() const;
  void SetTitleBarCaption(const String& Value);
  String GetTitleBarHint() const;
  void SetTitleBarHint(const String& Value);
  TPopupMenu* GetTitleBarPopupMenu() const;
  void SetTitleBarPopupMenu(TPopupMenu* Value);
  TIcon* GetTitleBarIcon() const;
  void SetTitleBarIcon(const TIcon* Value);  // copies
  bool GetTitleBarFilling() const;
  void SetTitleBarFilling(bool Value);
  TTitleBarDrawEvent GetTitleBarDrawEvent() const;
  void SetTitleBarDrawEvent(TTitleBarDrawEvent Value);
  // The title bar's thickness (16 once laid out), its client rectangle, its canvas.
  Integer TitleBarHeight() const;
  TRect TitleBarClientRect() const;
  TCanvas* GetTitleBarCanvas() const;
  void TitleBarRefresh();
  TTitleBar* GetTitleBar() const { return FTitleBar; }
  TDragControl* GetDragControl() const { return FDragControl; }
  TSplitterControl* GetSplitterControl() const { return FSplitterControl; }

  // ---- the splitter strip ----
  TTitleBarAlign GetSplitterAlign() const;
  void SetSplitterAlign(TTitleBarAlign Value);
  bool GetSplitterVisible() const;
  void SetSplitterVisible(bool Value);
  TColor GetSplitterColor() const;
  void SetSplitterColor(TColor Value);
  TPanelBevel GetSplitterBevel() const;
  void SetSplitterBevel(TPanelBevel Value);
  TSplitterPanel* GetSplitter() const { return FSplitter; }

  // ---- buttons and their layout ----
  // Placing the buttons waits from LockButtonUpdate until UnlockButtonUpdate.
  void LockButtonUpdate() { FButtonUpdateLocked = true; }
  void UnlockButtonUpdate();
  // Sizes and aligns the title bar and places every button: close at the outer end, then
  // help, min/max, the four docking buttons, float, and the user buttons in list order.
  void SetupTitleBar();
  // The room the buttons leave: on a horizontal title bar the x of the leftmost 12-pixel
  // button (0 when none fits), on a vertical one the y below the lowest (0 past the end).
  Integer TitleBarVisibleWidth() const;
  Integer GetButtonLayoutEnd() const { return FButtonLayoutEnd; }
  TTitleBarButtonID GetIDFromButton(const TTitleBarButton* Button) const;  // tbbeFloat for others
  TTitleBarButton* GetTitleBarButtonFromID(TTitleBarButtonID ID) const;    // nil once removed
  String GetButtonHint(TTitleBarButtonID ID) const;
  void SetButtonHint(TTitleBarButtonID ID, const String& Hint);

  // User buttons, by their 0-based place in the list. A new one is hidden until its item is
  // made visible. Negative indexes raise the list's index error; one at or past the end gives
  // nil or does nothing.
  TTitleBarBtn* AddButton();
  TTitleBarBtn* InsertButton(Integer Index);
  void DeleteButton(Integer Index);
  void ClearButtons();
  void ExchangeButtons(Integer Index1, Integer Index2);
  Integer ButtonCount() const;
  TTitleBarButton* GetTitleBarButton(Integer Index) const;
  TTitleBarBtn* GetTitleBarBtn(Integer Index) const;
  Integer GetIndexFromID(Integer ButtonID) const;  // the first item with it, or -1
  TTitleBarBtn* GetTitleBarBtnFromID(Integer ButtonID) const;
  // Pushes an item's looks into its control (the control of the first item with its ID).
  void UpdateButton(TTitleBarBtn* Btn);

  void Dispatch(TMessage& Message) override;

  TEIPanelButtonEvent OnButtonClick;
  TEIPanelDragOffEvent OnDragOffForm;
  TEIPanelBtnEvent OnUserButtonClick;
  TEIPanelDragToEvent OnDragTo;
  TEIPanelCancelEvent OnTitleBarDblClick;
  TNotifyEvent OnAlign;
  TEIPanelDragToFormEvent OnDragToForm;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Resize() override;
  void CMEIPanelRelease(TMessage& Message);
  void CreateButtons();
  void SetupButton(TTitleBarButton* Button, bool Visible, bool Enabled, Integer& Pos);
  void UpdateButtons(Integer& Pos);

  // Bound to the title bar's, the strip's and the buttons' events when the panel is made, so
  // a descendant's overrides take effect.
  virtual void DoTitleBarDragStart(TObject* Sender, Integer X, Integer Y);
  virtual void DoTitleBarDragEnd(TObject* Sender, Integer X, Integer Y);
  virtual void DoTitleBarDragMove(TObject* Sender, Integer X, Integer Y);
  virtual void DoTitleBarDblClick(TObject* Sender);
  virtual void DoSplitterMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void DoSplitterMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void DoSplitterMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  // The size the splitter's line gives, at least the title bar, bevels and strip together.
  Integer CalcSplitNewSize(bool EndSizing);
  // A standard button: OnButtonClick may cancel; else close, dock to a side, or minimize.
  virtual void DoButtonClick(TObject* Sender);
  // A user button: OnUserButtonClick with its item's ButtonID.
  virtual void DoTitleBarButtonClick(TObject* Sender);

 private:
  TTitleBarButton* NewButtonControl();
  Integer BevelSize() const;
  TAlign DropArea(TCustomForm* Form) const;
  bool FDestroying = false;
  TTitleBar* FTitleBar = nullptr;
  Integer FButtonLayoutEnd = 0;
  TTitleBarButton* FBtnX = nullptr;
  TTitleBarButton* FBtnLeft = nullptr;
  TTitleBarButton* FBtnRight = nullptr;
  TTitleBarButton* FBtnTop = nullptr;
  TTitleBarButton* FBtnBottom = nullptr;
  TTitleBarButton* FBtnFloat = nullptr;
  TTitleBarButton* FBtnMinMax = nullptr;
  TTitleBarButton* FBtnHelp = nullptr;
  TTitleBarAlign FTitleBarAlign = talLeft;
  TTitleBarButtonIDs FTitleBarButtonVisible = DefaultTitleBarButtons;
  TTitleBarButtonIDs FTitleBarButtonEnabled = DefaultTitleBarButtons;
  TSplitterPanel* FSplitter = nullptr;
  TDragControl* FDragControl = nullptr;
  TSplitterControl* FSplitterControl = nullptr;
  bool FMinimized = false;
  Integer FRestoreSize = -1;
  Integer FRestoreSplitterVisible = -1;
  bool FTitleBarButtonFlat = false;
  TListOf<TTitleBarBtn>* FButtons = nullptr;
  TListOf<TTitleBarButton>* FButtonControls = nullptr;
  bool FButtonUpdateLocked = false;
  bool FLiveSplit = false;
};
