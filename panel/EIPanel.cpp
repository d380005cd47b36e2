// The panel: construction and destruction, its properties, the deferred release, and the
// title bar's buttons with their layout and clicks.
#include "EIPanel.h"

#include "platform/vcl/Filer.h"

static const TPropInfo SplitterPanelProps[] = {
    PUBLISHED_ENUM(TSplitterPanel, "Align", GetAlign, SetAlign, alNone),
    PUBLISHED_ENUM(TSplitterPanel, "BevelInner", GetBevelInner, SetBevelInner, bvNone),
    PUBLISHED_ENUM(TSplitterPanel, "BevelOuter", GetBevelOuter, SetBevelOuter, bvRaised),
    PUBLISHED_INT_DEFAULT(TSplitterPanel, "BevelWidth", GetBevelWidth, SetBevelWidth, 1),
    PUBLISHED_INT_DEFAULT(TSplitterPanel, "BorderWidth", GetBorderWidth, SetBorderWidth, 0),
    PUBLISHED_EVENT(TSplitterPanel, "OnMouseDown", OnMouseDown),
    PUBLISHED_EVENT(TSplitterPanel, "OnMouseMove", OnMouseMove),
    PUBLISHED_EVENT(TSplitterPanel, "OnMouseUp", OnMouseUp),
};

static const TPropInfo EIPanelProps[] = {
    PUBLISHED_IDENT_INT(TEIPanel, "Color", GetColor, SetColor, &TColor_TypeInfo, clBtnFace),
    PUBLISHED_STR(TEIPanel, "Caption", GetCaption, SetCaption),
    PUBLISHED_ENUM(TEIPanel, "BevelInner", GetBevelInner, SetBevelInner, bvNone),
    PUBLISHED_ENUM(TEIPanel, "BevelOuter", GetBevelOuter, SetBevelOuter, bvRaised),
    PUBLISHED_ENUM(TEIPanel, "Align", GetAlign, SetAlign, NoDefault),
    PUBLISHED_ENUM(TEIPanel, "Dragable", GetDragable, SetDragable, NoDefault),
    PUBLISHED_INT_DEFAULT(TEIPanel, "Size", GetSize, SetSize, NoDefault),
    PUBLISHED_EVENT(TEIPanel, "OnButtonClick", OnButtonClick),
    PUBLISHED_EVENT(TEIPanel, "OnDragOffForm", OnDragOffForm),
    PUBLISHED_EVENT(TEIPanel, "OnDragTo", OnDragTo),
    PUBLISHED_EVENT_ACCESSORS(TEIPanel, "OnTitleBarPaint", GetTitleBarDrawEvent, SetTitleBarDrawEvent),
    PUBLISHED_EVENT(TEIPanel, "OnTitleBarDblClick", OnTitleBarDblClick),
    PUBLISHED_EVENT(TEIPanel, "OnUserButtonClick", OnUserButtonClick),
    PUBLISHED_EVENT(TEIPanel, "OnAlign", OnAlign),
    PUBLISHED_EVENT(TEIPanel, "OnDragToForm", OnDragToForm),
    PUBLISHED_ENUM(TEIPanel, "TitleBarAlign", GetTitleBarAlign, SetTitleBarAlign, NoDefault),
    PUBLISHED_ENUM(TEIPanel, "TitleBarVisible", GetTitleBarVisible, SetTitleBarVisible, NoDefault),
    PUBLISHED_SET(TEIPanel, "TitleBarButtonVisible", GetTitleBarButtonVisible, SetTitleBarButtonVisible, NoDefault),
    PUBLISHED_SET(TEIPanel, "TitleBarButtonEnabled", GetTitleBarButtonEnabled, SetTitleBarButtonEnabled, NoDefault),
    PUBLISHED_IDENT_INT(TEIPanel, "TitleBarColor", GetTitleBarColor, SetTitleBarColor, &TColor_TypeInfo, NoDefault),
    PUBLISHED_OBJECT(TEIPanel, "TitleBarFont", GetTitleBarFont),
    PUBLISHED_STR(TEIPanel, "TitleBarCaption", GetTitleBarCaption, SetTitleBarCaption),
    PUBLISHED_STR(TEIPanel, "TitleBarHint", GetTitleBarHint, SetTitleBarHint),
    PUBLISHED_REFERENCE(TEIPanel, "TitleBarPopupMenu", GetTitleBarPopupMenu, SetTitleBarPopupMenu),
    PUBLISHED_OBJECT(TEIPanel, "TitleBarIcon", GetTitleBarIcon),
    PUBLISHED_ENUM(TEIPanel, "TitleBarButtonFlat", GetTitleBarButtonFlat, SetTitleBarButtonFlat, NoDefault),
    PUBLISHED_ENUM(TEIPanel, "SplitterAlign", GetSplitterAlign, SetSplitterAlign, NoDefault),
    PUBLISHED_ENUM(TEIPanel, "SplitterVisible", GetSplitterVisible, SetSplitterVisible, NoDefault),
    PUBLISHED_IDENT_INT(TEIPanel, "SplitterColor", GetSplitterColor, SetSplitterColor, &TColor_TypeInfo, NoDefault),
    PUBLISHED_ENUM(TEIPanel, "SplitterBevel", GetSplitterBevel, SetSplitterBevel, NoDefault),
    PUBLISHED_ENUM(TEIPanel, "TitleBarFilling", GetTitleBarFilling, SetTitleBarFilling, NoDefault),
    PUBLISHED_ENUM(TEIPanel, "LiveSplit", GetLiveSplit, SetLiveSplit, NoDefault),
};

IMPLEMENT_COMPONENT_CLASS_PROPS(TSplitterPanel, TCustomPanel, SplitterPanelProps)
IMPLEMENT_COMPONENT_CLASS_PROPS(TEIPanel, TCustomPanel, EIPanelProps)

static const TClassRegistration PanelClasses{TEIPanel::StaticClass(), TTitleBar::StaticClass(),
                                             TTitleBarButton::StaticClass(), TSplitterPanel::StaticClass()};

namespace {
bool IsVerticalAlign(TAlign a) { return a == alLeft || a == alRight; }
bool IsHorizontalAlign(TAlign a) { return a == alTop || a == alBottom; }
}  // namespace

// ---- construction and destruction ----------------------------------------------------------

TEIPanel::TEIPanel(TComponent* AOwner) : TCustomPanel(AOwner) {
  SetBevelOuter(bvRaised);
  SetBevelInner(bvNone);
  SetFullRepaint(false);
  FDestroying = false;
  SetCaption("");

  FTitleBar = new TTitleBar(this);
  FTitleBar->SetParent(this);
  FTitleBar->OnTitleBarStartDrag = MethodOf<&TEIPanel::DoTitleBarDragStart>(this);
  FTitleBar->OnTitleBarEndDrag = MethodOf<&TEIPanel::DoTitleBarDragEnd>(this);
  FTitleBar->OnTitleBarDoDrag = MethodOf<&TEIPanel::DoTitleBarDragMove>(this);
  FTitleBar->OnDblClick = MethodOf<&TEIPanel::DoTitleBarDblClick>(this);
  FTitleBar->SetDragAllowed(true);
  FTitleBar->SetShowHint(true);

  CreateButtons();

  OnButtonClick = nullptr;
  FTitleBarAlign = talLeft;

  FTitleBar->SetColor(clActiveCaption);
  FTitleBar->GetFont()->SetColor(clCaptionText);
  FTitleBar->GetFont()->SetStyle({fsBold});
  FTitleBar->SetBevelInner(bvNone);
  FTitleBar->SetBevelOuter(bvNone);
  SetTitleBarCaption("Title");

  FTitleBarButtonVisible = FTitleBarButtonEnabled = DefaultTitleBarButtons;

  FSplitter = new TSplitterPanel(this);
  FSplitter->SetParent(this);
  FSplitter->OnMouseDown = MethodOf<&TEIPanel::DoSplitterMouseDown>(this);
  FSplitter->OnMouseUp = MethodOf<&TEIPanel::DoSplitterMouseUp>(this);
  FSplitter->OnMouseMove = MethodOf<&TEIPanel::DoSplitterMouseMove>(this);
  FSplitter->SetCaption("");
  SetSplitterAlign(talRight);

  FDragControl = new TDragControl();
  FSplitterControl = new TSplitterControl(FSplitter, this);

  FRestoreSize = -1;
  FRestoreSplitterVisible = -1;
  FButtons = new TListOf<TTitleBarBtn>();
  FButtonControls = new TListOf<TTitleBarButton>();

  SetTitleBarButtonFlat(false);
  SetupTitleBar();
  FLiveSplit = false;
}

// No layout from here on: the buttons and the title bar go while the flag is set.
void TEIPanel::Destroy() {
  FDestroying = true;
  FreeAndNil(FSplitterControl);
  FreeAndNil(FDragControl);
  for (TTitleBarButton** b : {&FBtnX, &FBtnLeft, &FBtnRight, &FBtnTop, &FBtnBottom, &FBtnFloat, &FBtnMinMax, &FBtnHelp})
    FreeAndNil(*b);
  if (FButtons)
    for (Integer i = 0; i < FButtons->GetCount(); ++i) FButtons->Get(i)->Free();
  FreeAndNil(FButtons);
  FreeAndNil(FButtonControls);
  FreeAndNil(FTitleBar);
  inherited::Destroy();
}

// The standard buttons tell the panel when they go (their owner is the title bar), so a field
// never outlives its button.
void TEIPanel::CreateButtons() {
  TTitleBarButton** fields[] = {&FBtnX, &FBtnLeft, &FBtnRight, &FBtnTop, &FBtnBottom, &FBtnFloat, &FBtnMinMax, &FBtnHelp};
  for (TTitleBarButton** field : fields) {
    *field = new TTitleBarButton(FTitleBar);
    (*field)->SetParent(FTitleBar);
    (*field)->SetWidth(12);
    (*field)->SetHeight(12);
    (*field)->FreeNotification(this);
  }
  TBitmap* glyph = new TBitmap();
  for (int id = tbbeX; id <= tbbeHelp; ++id) {
    glyph->LoadFromResourceName(PanelModule(), TitleBarGlyphNames[id]);
    (*fields[id])->SetGlyph(glyph);
  }
  glyph->Free();
  for (TTitleBarButton** field : fields) (*field)->SetLayout(blGlyphRight);
  for (TTitleBarButton** field : fields) (*field)->OnClick = MethodOf<&TEIPanel::DoButtonClick>(this);
}

void TEIPanel::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove) {
    bool button = false;
    for (TTitleBarButton** b : {&FBtnX, &FBtnLeft, &FBtnRight, &FBtnTop, &FBtnBottom, &FBtnFloat, &FBtnMinMax, &FBtnHelp})
      if (AComponent == *b) {
        *b = nullptr;
        button = true;
      }
    if (!button && AComponent == FTitleBar) FTitleBar = nullptr;
    // A user button's control that goes (with the title bar, or freed by someone else) leaves
    // its place in the list empty, so the item and the list's length stay.
    if (!button && FButtonControls)
      for (Integer i = 0; i < FButtonControls->GetCount(); ++i)
        if (FButtonControls->Get(i) == AComponent) FButtonControls->Put(i, nullptr);
  }
  inherited::Notification(AComponent, Operation);
}

// ---- the deferred release ------------------------------------------------------------------

void TEIPanel::DoFree() { PostMessage(GetHandle(), CM_EIPANELRELEASE, CM_EIPANELRELEASE, CM_EIPANELRELEASE); }

void TEIPanel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_EIPANELRELEASE) {
    CMEIPanelRelease(Message);
    return;
  }
  inherited::Dispatch(Message);
}

void TEIPanel::CMEIPanelRelease(TMessage& Message) {
  if (Message.LParam == static_cast<LPARAM>(CM_EIPANELRELEASE) && Message.WParam == static_cast<int32_t>(CM_EIPANELRELEASE)) {
    Free();
    return;
  }
  inherited::Dispatch(Message);
}

// ---- alignment and size --------------------------------------------------------------------

void TEIPanel::SetAlign(TAlign Value) {
  if (Value == GetAlign()) return;
  const TAlign old = GetAlign();
  if (FMinimized && ((IsVerticalAlign(old) && IsHorizontalAlign(Value)) || (IsHorizontalAlign(old) && IsVerticalAlign(Value)))) {
    SetMinimized(false);
    FRestoreSize = FRestoreSplitterVisible = -1;
  }
  TCustomPanel::SetAlign(Value);
  switch (Value) {
    case alTop: SetSplitterAlign(talBottom); break;
    case alBottom: SetSplitterAlign(talTop); break;
    case alLeft: SetSplitterAlign(talRight); break;
    case alRight: SetSplitterAlign(talLeft); break;
    default: break;
  }
  UpdateMinMaxButton();
  if (OnAlign) OnAlign(this);
}

bool TEIPanel::IsVertical() const { return IsVerticalAlign(GetAlign()); }

bool TEIPanel::IsTitleBarVertical() const { return FTitleBar && IsVerticalAlign(FTitleBar->GetAlign()); }

Integer TEIPanel::GetSize() const { return IsVertical() ? GetWidth() : GetHeight(); }

void TEIPanel::SetSize(Integer Value) {
  if (IsVertical())
    SetWidth(Value);
  else
    SetHeight(Value);
}

bool TEIPanel::GetDragable() const { return FTitleBar && FTitleBar->GetDragAllowed(); }

void TEIPanel::SetDragable(bool Value) {
  if (FTitleBar) FTitleBar->SetDragAllowed(Value);
}

void TEIPanel::Resize() {
  inherited::Resize();
  SetupTitleBar();
}

void TEIPanel::UpdateMinMaxButton() {
  if (!FBtnMinMax) return;
  const TAlign bar = FTitleBar ? FTitleBar->GetAlign() : alNone, panel = GetAlign();
  const bool parallel = (IsVerticalAlign(bar) && IsVerticalAlign(panel)) || (IsHorizontalAlign(bar) && IsHorizontalAlign(panel));
  FBtnMinMax->SetEnabled(parallel);
  if (parallel)
    FTitleBarButtonEnabled.Include(tbbeMinMax);
  else
    FTitleBarButtonEnabled.Exclude(tbbeMinMax);
}

// ---- the title bar's properties ------------------------------------------------------------

void TEIPanel::SetTitleBarAlign(TTitleBarAlign Value) {
  if (Value == FTitleBarAlign) return;
  SetMinimized(false);
  FRestoreSize = FRestoreSplitterVisible = -1;
  FTitleBarAlign = Value;
  SetupTitleBar();
}

bool TEIPanel::GetTitleBarVisible() const { return FTitleBar && FTitleBar->GetVisible(); }

void TEIPanel::SetTitleBarVisible(bool Value) {
  if (!FTitleBar || Value == FTitleBar->GetVisible()) return;
  FTitleBar->SetVisible(Value);
  SetupTitleBar();
}

void TEIPanel::SetTitleBarButtonVisible(TTitleBarButtonIDs Value) {
  if (Value == FTitleBarButtonVisible) return;
  FTitleBarButtonVisible = Value;
  SetupTitleBar();
}

void TEIPanel::SetTitleBarButtonEnabled(TTitleBarButtonIDs Value) {
  if (Value == FTitleBarButtonEnabled) return;
  FTitleBarButtonEnabled = Value;
  SetupTitleBar();
}

void TEIPanel::SetTitleBarButtonFlat(bool Value) {
  if (Value == FTitleBarButtonFlat) return;
  FTitleBarButtonFlat = Value;
  SetupTitleBar();
}

TColor TEIPanel::GetTitleBarColor() const { return FTitleBar ? FTitleBar->GetColor() : clActiveCaption; }

void TEIPanel::SetTitleBarColor(TColor Value) {
  if (FTitleBar && Value != FTitleBar->GetColor()) FTitleBar->SetColor(Value);
}

TFont* TEIPanel::GetTitleBarFont() const { return FTitleBar ? FTitleBar->GetFont() : nullptr; }

void TEIPanel::SetTitleBarFont(const TFont* Value) {
  if (FTitleBar) FTitleBar->SetFont(Value);
}

String TEIPanel::GetTitleBarCaption() const { return FTitleBar ? FTitleBar->GetCaption() : String(); }

void TEIPanel::SetTitleBarCaption(const String& Value) {
  if (FTitleBar && Value != FTitleBar->GetCaption()) FTitleBar->SetCaption(Value);
}

String TEIPanel::GetTitleBarHint() const { return FTitleBar ? FTitleBar->GetHint() : String(); }

void TEIPanel::SetTitleBarHint(const String& Value) {
  if (FTitleBar && Value != FTitleBar->GetHint()) FTitleBar->SetHint(Value);
}

TPopupMenu* TEIPanel::GetTitleBarPopupMenu() const { return FTitleBar ? FTitleBar->GetPopupMenu() : nullptr; }

void TEIPanel::SetTitleBarPopupMenu(TPopupMenu* Value) {
  if (FTitleBar && Value != FTitleBar->GetPopupMenu()) FTitleBar->SetPopupMenu(Value);
}

TIcon* TEIPanel::GetTitleBarIcon() const { return FTitleBar ? FTitleBar->GetIcon() : nullptr; }

void TEIPanel::SetTitleBarIcon(const TIcon* Value) {
  if (FTitleBar) FTitleBar->SetIcon(Value);
}

bool TEIPanel::GetTitleBarFilling() const { return FTitleBar && FTitleBar->GetFilling(); }

void TEIPanel::SetTitleBarFilling(bool Value) {
  if (FTitleBar && Value != FTitleBar->GetFilling()) FTitleBar->SetFilling(Value);
}

TTitleBarDrawEvent TEIPanel::GetTitleBarDrawEvent() const { return FTitleBar ? FTitleBar->GetOnPaint() : nullptr; }

void TEIPanel::SetTitleBarDrawEvent(TTitleBarDrawEvent Value) {
  if (FTitleBar) FTitleBar->SetOnPaint(Value);
}

Integer TEIPanel::TitleBarHeight() const {
  if (!FTitleBar) return 0;
  return IsTitleBarVertical() ? FTitleBar->GetWidth() : FTitleBar->GetHeight();
}

TRect TEIPanel::TitleBarClientRect() const { return FTitleBar ? FTitleBar->GetClientRect() : TRect{}; }

TCanvas* TEIPanel::GetTitleBarCanvas() const { return FTitleBar ? FTitleBar->GetCanvas() : nullptr; }

void TEIPanel::TitleBarRefresh() {
  if (FTitleBar) FTitleBar->Refresh();
}

// ---- the splitter strip --------------------------------------------------------------------

TTitleBarAlign TEIPanel::GetSplitterAlign() const {
  switch (FSplitter->GetAlign()) {
    case alTop: return talTop;
    case alBottom: return talBottom;
    case alRight: return talRight;
    default: return talLeft;
  }
}

// Placed past every other child on its side first, so that it aligns at the very edge.
void TEIPanel::SetSplitterAlign(TTitleBarAlign Value) {
  switch (Value) {
    case talLeft:
      FSplitter->SetAlign(alLeft);
      FSplitter->SetLeft(0);
      break;
    case talRight:
      FSplitter->SetAlign(alRight);
      FSplitter->SetLeft(GetWidth());
      break;
    case talTop:
      FSplitter->SetAlign(alTop);
      FSplitter->SetTop(0);
      break;
    case talBottom:
      FSplitter->SetAlign(alBottom);
      FSplitter->SetTop(GetHeight());
      break;
  }
  if (Value == talLeft || Value == talRight) {
    FSplitter->SetCursor(crHSplit);
    FSplitter->SetWidth(4);
  } else {
    FSplitter->SetCursor(crVSplit);
    FSplitter->SetHeight(4);
  }
}

bool TEIPanel::GetSplitterVisible() const { return FSplitter->GetVisible(); }

void TEIPanel::SetSplitterVisible(bool Value) {
  FSplitter->SetVisible(Value);
  if (!FSplitter->GetVisible()) return;
  switch (FSplitter->GetAlign()) {
    case alTop: FSplitter->SetTop(0); break;
    case alBottom: FSplitter->SetTop(GetHeight()); break;
    case alLeft: FSplitter->SetLeft(0); break;
    case alRight: FSplitter->SetLeft(GetWidth()); break;
    default: break;
  }
}

TColor TEIPanel::GetSplitterColor() const { return FSplitter->GetColor(); }
void TEIPanel::SetSplitterColor(TColor Value) { FSplitter->SetColor(Value); }
TPanelBevel TEIPanel::GetSplitterBevel() const { return FSplitter->GetBevelOuter(); }
void TEIPanel::SetSplitterBevel(TPanelBevel Value) { FSplitter->SetBevelOuter(Value); }

// ---- standard buttons ----------------------------------------------------------------------

TTitleBarButtonID TEIPanel::GetIDFromButton(const TTitleBarButton* Button) const {
  if (!Button) return tbbeFloat;
  if (Button == FBtnX) return tbbeX;
  if (Button == FBtnLeft) return tbbeLeft;
  if (Button == FBtnRight) return tbbeRight;
  if (Button == FBtnTop) return tbbeTop;
  if (Button == FBtnBottom) return tbbeBottom;
  if (Button == FBtnMinMax) return tbbeMinMax;
  if (Button == FBtnHelp) return tbbeHelp;
  return tbbeFloat;
}

TTitleBarButton* TEIPanel::GetTitleBarButtonFromID(TTitleBarButtonID ID) const {
  switch (ID) {
    case tbbeX: return FBtnX;
    case tbbeLeft: return FBtnLeft;
    case tbbeRight: return FBtnRight;
    case tbbeTop: return FBtnTop;
    case tbbeBottom: return FBtnBottom;
    case tbbeMinMax: return FBtnMinMax;
    case tbbeHelp: return FBtnHelp;
    default: return FBtnFloat;
  }
}

String TEIPanel::GetButtonHint(TTitleBarButtonID ID) const {
  TTitleBarButton* b = GetTitleBarButtonFromID(ID);
  return b ? b->GetHint() : String();
}

void TEIPanel::SetButtonHint(TTitleBarButtonID ID, const String& Hint) {
  if (TTitleBarButton* b = GetTitleBarButtonFromID(ID)) b->SetHint(Hint);
}

void TEIPanel::DoButtonClick(TObject* Sender) {
  FButtonUpdateLocked = false;
  const TTitleBarButtonID id = GetIDFromButton(As<TTitleBarButton>(Sender));
  bool cancel = false;
  if (OnButtonClick) OnButtonClick(this, id, cancel);
  if (cancel) return;
  switch (id) {
    case tbbeX: DoFree(); break;
    case tbbeLeft: SetAlign(alLeft); break;
    case tbbeRight: SetAlign(alRight); break;
    case tbbeTop: SetAlign(alTop); break;
    case tbbeBottom: SetAlign(alBottom); break;
    case tbbeMinMax:
      if ((IsTitleBarVertical() && IsVertical()) ||
          (FTitleBar && IsHorizontalAlign(FTitleBar->GetAlign()) && IsHorizontalAlign(GetAlign())))
        SetMinimized(!FMinimized);
      break;
    default: break;  // float and help mean what an OnButtonClick handler makes of them
  }
}

// ---- user buttons --------------------------------------------------------------------------

TTitleBarButton* TEIPanel::NewButtonControl() {
  auto* control = new TTitleBarButton(FTitleBar);
  control->SetParent(FTitleBar);
  control->SetVisible(false);
  control->SetWidth(12);
  control->SetHeight(12);
  control->OnClick = MethodOf<&TEIPanel::DoTitleBarButtonClick>(this);
  control->FreeNotification(this);
  return control;
}

TTitleBarBtn* TEIPanel::AddButton() {
  auto* item = new TTitleBarBtn(this);
  FButtons->Add(item);
  FButtonControls->Add(NewButtonControl());
  return item;
}

// A bad index is refused by the list before anything is made or inserted.
TTitleBarBtn* TEIPanel::InsertButton(Integer Index) {
  auto* item = new TTitleBarBtn(this);
  try {
    FButtons->Insert(Index, item);
  } catch (...) {
    item->Free();
    throw;
  }
  FButtonControls->Insert(Index, NewButtonControl());
  return item;
}

void TEIPanel::DeleteButton(Integer Index) {
  if (Index >= ButtonCount()) return;
  TTitleBarButton* control = FButtonControls->Get(Index);
  TTitleBarBtn* item = FButtons->Get(Index);
  if (control) control->Free();
  item->Free();
  FButtonControls->Delete(Index);
  FButtons->Delete(Index);
  SetupTitleBar();
}

void TEIPanel::ClearButtons() {
  while (ButtonCount() > 0) DeleteButton(ButtonCount() - 1);
  SetupTitleBar();
}

void TEIPanel::ExchangeButtons(Integer Index1, Integer Index2) {
  if (Index1 >= ButtonCount() || Index2 >= ButtonCount()) return;
  FButtons->Exchange(Index1, Index2);
  FButtonControls->Exchange(Index1, Index2);
  SetupTitleBar();
}

Integer TEIPanel::ButtonCount() const { return FButtonControls ? FButtonControls->GetCount() : 0; }

TTitleBarButton* TEIPanel::GetTitleBarButton(Integer Index) const {
  return Index >= ButtonCount() ? nullptr : FButtonControls->Get(Index);
}

TTitleBarBtn* TEIPanel::GetTitleBarBtn(Integer Index) const { return Index >= ButtonCount() ? nullptr : FButtons->Get(Index); }

Integer TEIPanel::GetIndexFromID(Integer ButtonID) const {
  for (Integer i = 0; FButtons && i < FButtons->GetCount(); ++i)
    if (FButtons->Get(i)->GetButtonID() == ButtonID) return i;
  return -1;
}

TTitleBarBtn* TEIPanel::GetTitleBarBtnFromID(Integer ButtonID) const {
  const Integer i = GetIndexFromID(ButtonID);
  return i < 0 ? nullptr : FButtons->Get(i);
}

void TEIPanel::DoTitleBarButtonClick(TObject* Sender) {
  const Integer i = FButtonControls->IndexOf(As<TTitleBarButton>(Sender));
  TTitleBarBtn* item = FButtons->Get(i);
  if (OnUserButtonClick) OnUserButtonClick(this, item->GetButtonID());
}

void TEIPanel::UpdateButton(TTitleBarBtn* Btn) {
  TTitleBarButton* control = FButtonControls->Get(Btn->GetIndex());
  if (!control) return;
  control->SetCaption(Btn->GetCaption());
  control->SetGlyph(Btn->GetGlyph());
  control->SetHint(Btn->GetHint());
  control->SetAllowAllUp(Btn->GetAllowAllUp());
  control->GetFont()->Assign(Btn->GetFont());
  control->SetGroupIndex(Btn->GetGroupIndex());
  control->SetEnabled(Btn->GetEnabled());
  if (Btn->GetLayout() == tblGlyphLeft)
    control->SetLayout(control->GetVertical() ? blGlyphBottom : blGlyphLeft);
  else
    control->SetLayout(control->GetVertical() ? blGlyphTop : blGlyphRight);
}

// ---- layout --------------------------------------------------------------------------------

void TEIPanel::UnlockButtonUpdate() {
  FButtonUpdateLocked = false;
  SetupTitleBar();
}

// The title bar 16 thick along its side, the buttons 2 from its outer edge, one after the other.
void TEIPanel::SetupTitleBar() {
  if (FDestroying || FButtonUpdateLocked || !FTitleBar || !FTitleBar->GetVisible()) return;
  Integer pos;
  if (FTitleBarAlign == talLeft || FTitleBarAlign == talRight) {
    FTitleBar->SetWidth(16);
    FTitleBar->SetAlign(FTitleBarAlign == talLeft ? alLeft : alRight);
    pos = 2;
  } else {
    FTitleBar->SetHeight(16);
    FTitleBar->SetAlign(FTitleBarAlign == talTop ? alTop : alBottom);
    pos = GetWidth() - 2 - 12 - FTitleBar->GetBevelWidth();
  }
  auto place = [&](TTitleBarButton* button, TTitleBarButtonID id) {
    if (button) SetupButton(button, FTitleBarButtonVisible.Contains(id), FTitleBarButtonEnabled.Contains(id), pos);
  };
  place(FBtnX, tbbeX);
  place(FBtnHelp, tbbeHelp);
  if (FBtnMinMax) {
    SetupButton(FBtnMinMax, FTitleBarButtonVisible.Contains(tbbeMinMax), false, pos);
    UpdateMinMaxButton();
  }
  place(FBtnLeft, tbbeLeft);
  place(FBtnRight, tbbeRight);
  place(FBtnTop, tbbeTop);
  place(FBtnBottom, tbbeBottom);
  place(FBtnFloat, tbbeFloat);
  UpdateButtons(pos);
  FButtonLayoutEnd = pos;
}

// A hidden button takes no room.
void TEIPanel::SetupButton(TTitleBarButton* Button, bool Visible, bool Enabled, Integer& Pos) {
  if (FDestroying) return;
  if (Button->GetVisible() != Visible) Button->SetVisible(Visible);
  if (!Visible) return;
  if (Button->GetEnabled() != Enabled) Button->SetEnabled(Enabled);
  if (Button->GetFlat() != FTitleBarButtonFlat) Button->SetFlat(FTitleBarButtonFlat);
  if (FTitleBarAlign == talLeft || FTitleBarAlign == talRight) {
    if (Button->GetLeft() != 2) Button->SetLeft(2);
    if (Button->GetTop() != Pos) Button->SetTop(Pos);
    Pos += Button->GetHeight();
  } else {
    // Pos is the left edge of the next 12-pixel slot: a button of another width keeps its
    // right edge at the slot's, against the button placed before it.
    const Integer left = Pos + 12 - Button->GetWidth();
    if (Button->GetLeft() != left) Button->SetLeft(left);
    if (Button->GetTop() != 2) Button->SetTop(2);
    Pos -= Button->GetWidth();
  }
}

void TEIPanel::UpdateButtons(Integer& Pos) {
  for (Integer i = 0; i < ButtonCount(); ++i) {
    TTitleBarButton* control = FButtonControls->Get(i);
    TTitleBarBtn* item = FButtons->Get(i);
    if (!control) continue;
    control->SetVertical(IsTitleBarVertical());
    UpdateButton(item);
    if (control->GetVertical()) {
      control->SetHeight(item->GetWidth());
      control->SetWidth(12);
    } else {
      control->SetWidth(item->GetWidth());
      control->SetHeight(12);
    }
    SetupButton(control, item->GetVisible(), item->GetEnabled(), Pos);
  }
}

Integer TEIPanel::TitleBarVisibleWidth() const {
  Integer w = FButtonLayoutEnd;
  if (FTitleBarAlign == talTop || FTitleBarAlign == talBottom) {
    w += 12;
    if (w < 0) return 0;
  } else if (FTitleBar && w > FTitleBar->GetHeight()) {
    return 0;
  }
  return w;
}

// ---- minimize and maximize -----------------------------------------------------------------

Integer TEIPanel::BevelSize() const {
  Integer bevel = 0;
  if (GetBevelInner() != bvNone) bevel += 2 * GetBevelWidth();
  if (GetBevelOuter() != bvNone) bevel += 2 * GetBevelWidth();
  return bevel;
}

// The glyph shows what a click would do: maximize while minimized.
void TEIPanel::SetMinimized(bool Value) {
  if (Value == FMinimized) return;
  if (IsTitleBarVertical() != IsVertical()) return;
  FMinimized = Value;
  if (FBtnMinMax) {
    TBitmap* glyph = new TBitmap();
    glyph->LoadFromResourceName(PanelModule(), FMinimized ? TitleBarMaximizeGlyph : TitleBarGlyphNames[tbbeMinMax]);
    FBtnMinMax->SetGlyph(glyph);
    glyph->Free();
  }
  const TAlign align = GetAlign();
  if (FMinimized) {
    FRestoreSplitterVisible = GetSplitterVisible() ? 1 : 0;
    if (IsHorizontalAlign(align) || IsVerticalAlign(align)) {
      FRestoreSize = IsVerticalAlign(align) ? GetWidth() : GetHeight();
      SetSplitterVisible(false);
      if (IsVerticalAlign(align))
        SetWidth(FTitleBar->GetWidth() + BevelSize());
      else
        SetHeight(FTitleBar->GetHeight() + BevelSize());
      // Hidden and shown again, the title bar is laid out and painted anew at its new size.
      FTitleBar->BringToFront();
      if (FTitleBar->GetVisible()) {
        FTitleBar->SetVisible(false);
        FTitleBar->SetVisible(true);
      }
    }
    Refresh();
    return;
  }
  // Without a saved size (minimized while undocked) the size and the splitter stay as they are.
  if (FRestoreSize == -1) return;
  const Integer R = FRestoreSize, L = GetLeft(), T = GetTop(), W = GetWidth(), H = GetHeight();
  switch (align) {
    case alTop: SetBounds(L, T, W, R); break;
    case alBottom: SetBounds(L, T + H - R, W, R); break;
    case alLeft: SetBounds(L, T, R, H); break;
    case alRight: SetBounds(L + W - R, T, R, H); break;
    default: break;
  }
  if (FRestoreSplitterVisible == 1) SetSplitterVisible(true);
  Refresh();
}

// ---- dragging by the title bar -------------------------------------------------------------

void TEIPanel::DoTitleBarDragStart(TObject* Sender, Integer X, Integer Y) {
  auto* bar = As<TTitleBar>(Sender);
  if (!bar) return;
  FDragControl->BeginDragging(this, bar, CToC(this, bar, {X, Y}));
}

void TEIPanel::DoTitleBarDragMove(TObject* Sender, Integer X, Integer Y) {
  auto* bar = As<TTitleBar>(Sender);
  if (!bar) return;
  FDragControl->ChangeDragging(CToC(this, bar, {X, Y}));
}

TAlign TEIPanel::DropArea(TCustomForm* Form) const {
  const TPoint tl = Form->ClientToScreen({0, 0});
  const TPoint br = Form->ClientToScreen({Form->GetClientWidth(), Form->GetClientHeight()});
  return GetDropArea({tl.X, tl.Y, br.X, br.Y}, FDragControl->GetDragRect(), FDragControl->GetCurrentPoint(), GetTop(),
                     GetHeight());
}

// The drop is judged from the outline and the last mouse point, not from X and Y.
void TEIPanel::DoTitleBarDragEnd(TObject* Sender, Integer, Integer) {
  if (!As<TTitleBar>(Sender)) return;
  FDragControl->EndDragging();
  TCustomForm* parent = GetParentForm(this);
  if (!parent) return;
  const TPoint C = FDragControl->GetCurrentPoint();
  const TPoint target{FDragControl->GetDragRect().Left, FDragControl->GetDragRect().Top};
  if (C.X >= parent->GetLeft() && C.X <= parent->GetLeft() + parent->GetWidth() && C.Y >= parent->GetTop() &&
      C.Y <= parent->GetTop() + parent->GetHeight()) {
    const TAlign area = DropArea(parent);
    if (area == alNone || area == GetAlign()) return;
    bool cancel = false;
    if (OnDragTo) OnDragTo(this, area, cancel);
    if (!cancel) SetAlign(area);
    return;
  }
  // A form hosted in a panel is passed over, so the search climbs to the window holding it.
  TPoint cursor;
  GetCursorPos(&cursor);
  HWND window = WindowFromPoint(cursor);
  TForm* dest = nullptr;
  while (!dest && window) {
    for (Integer i = 0; i < Screen->GetFormCount(); ++i) {
      TForm* form = Screen->GetForm(i);
      if (form->HandleAllocated() && form->GetHandle() == window && !As<TEIPanel>(form->GetParent())) {
        dest = form;
        break;
      }
    }
    window = ::GetParent(window);
  }
  if (dest && OnDragToForm) {
    TAlign area = DropArea(dest);
    if (area == alNone) area = GetAlign();
    OnDragToForm(this, dest, area, target);
  } else if (OnDragOffForm) {
    OnDragOffForm(this, target);
  }
}

// Only with the title bar parallel to the docked edge; an undocked panel ignores it.
void TEIPanel::DoTitleBarDblClick(TObject*) {
  const TAlign align = GetAlign();
  const bool parallel = ((align == alLeft || align == alRight) && (FTitleBarAlign == talLeft || FTitleBarAlign == talRight)) ||
                        ((align == alTop || align == alBottom) && (FTitleBarAlign == talTop || FTitleBarAlign == talBottom));
  if (!parallel) return;
  FButtonUpdateLocked = false;
  FDragControl->EndDragging();
  bool cancel = false;
  if (OnTitleBarDblClick) OnTitleBarDblClick(this, cancel);
  if (!cancel) SetMinimized(!FMinimized);
}

// ---- sizing by the splitter ----------------------------------------------------------------

// Bounds are offsets from the strip: a top or left panel keeps its title bar, bevels and strip
// and leaves the form 80 (top, bottom) or 50 (left, right) pixels.
void TEIPanel::DoSplitterMouseDown(TObject*, TMouseButton Button, TShiftState Shift, Integer, Integer) {
  TCustomForm* parent = GetParentForm(this);
  if (!parent) return;
  if (Button != mbLeft || Shift != TShiftState{ssLeft}) return;
  const Integer bevel = BevelSize();
  const TAlign align = GetAlign();
  const bool horizontal = align != alLeft && align != alRight;
  const Integer bar = GetTitleBarVisible() ? 16 : 0;
  const Integer H = GetHeight(), W = GetWidth(), CH = parent->GetClientHeight(), CW = parent->GetClientWidth();
  Integer lo = 0, hi = 0;
  switch (align) {
    case alTop:
      lo = bar + bevel + FSplitter->GetHeight() + 2 - H;
      hi = CH - GetTop() - H - 80;
      break;
    case alBottom:
      lo = H + 80 - CH;
      hi = H - bar - bevel - 2;
      break;
    case alLeft:
      lo = bar + bevel + FSplitter->GetWidth() + 2 - W;
      hi = CW - GetLeft() - W - 50;
      break;
    case alRight:
      lo = W + 50 - CW;
      hi = W - bar - bevel - 2;
      break;
    default: break;
  }
  if (lo > 0) lo = 0;
  if (hi < 0) hi = 0;
  FSplitterControl->BeginSizing(horizontal, lo, hi, parent, !FLiveSplit);
}

Integer TEIPanel::CalcSplitNewSize(bool EndSizing) {
  const TAlign align = GetAlign();
  Integer strip = 0;
  if (IsVerticalAlign(align)) strip = FSplitter->GetWidth();
  if (IsHorizontalAlign(align)) strip = FSplitter->GetHeight();
  const Integer minSize = (GetTitleBarVisible() ? 16 : 0) + BevelSize() + strip;
  const Integer pos = EndSizing ? FSplitterControl->EndSizing() : FSplitterControl->GetCurrentSize();
  Integer size = 0;
  switch (align) {
    case alTop: size = pos + strip; break;
    case alBottom: size = GetHeight() - pos + strip; break;
    case alLeft: size = pos + strip; break;
    case alRight: size = GetWidth() - pos + strip; break;
    default: break;
  }
  return std::max(size, minSize);
}

// In live mode the size follows every move, bounded below only; the form's alignment keeps a
// bottom or right panel against its edge.
void TEIPanel::DoSplitterMouseMove(TObject*, TShiftState, Integer X, Integer Y) {
  if (!FSplitterControl->GetSizing()) return;
  FSplitterControl->ChangeSizing(X, Y);
  if (!FLiveSplit) return;
  const Integer size = CalcSplitNewSize(false);
  if (IsHorizontalAlign(GetAlign())) SetHeight(size);
  if (IsVerticalAlign(GetAlign())) SetWidth(size);
}

// The outer edge stays where it is. In live mode the strip has moved with the panel since the last move, so the release is
// measured from where the strip is now, not with the last move's offset applied again.
void TEIPanel::DoSplitterMouseUp(TObject*, TMouseButton, TShiftState, Integer X, Integer Y) {
  if (!FSplitterControl->GetSizing()) return;
  if (FLiveSplit) FSplitterControl->ChangeSizing(X, Y);
  const Integer size = CalcSplitNewSize(true);
  const Integer L = GetLeft(), T = GetTop(), W = GetWidth(), H = GetHeight();
  switch (GetAlign()) {
    case alTop: SetBounds(L, T, W, size); break;
    case alBottom: SetBounds(L, T + H - size, W, size); break;
    case alLeft: SetBounds(L, T, size, H); break;
    case alRight: SetBounds(L + W - size, T, size, H); break;
    default: break;
  }
  if (FSplitter->GetVisible()) FSplitter->BringToFront();
  if (FTitleBar && FTitleBar->GetVisible()) FTitleBar->BringToFront();
  Refresh();
}
