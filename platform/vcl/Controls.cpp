// Controls and windowed controls.
#include "Controls.h"

#include <algorithm>
#include <unordered_map>

#include "Forms.h"
#include "Menus.h"
#include "Reader.h"
#include "platform/win/Region.h"

static const TIdentMapEntry CursorIdents[] = {
    {crDefault, "crDefault"},   {crNone, "crNone"},         {crArrow, "crArrow"},       {crCross, "crCross"},
    {crIBeam, "crIBeam"},       {-6, "crSizeNESW"},         {-7, "crSizeNS"},
    {-8, "crSizeNWSE"},         {-9, "crSizeWE"},           {-10, "crUpArrow"},         {-11, "crHourGlass"},
    {-12, "crDrag"},            {-13, "crNoDrop"},          {-14, "crHSplit"},          {-15, "crVSplit"},
    {-16, "crMultiDrag"},       {-17, "crSQLWait"},         {-18, "crNo"},              {-19, "crAppStart"},
    {-20, "crHelp"},            {crHandPoint, "crHandPoint"}, {-22, "crSizeAll"}};
const TTypeInfo TCursor_TypeInfo{.Kind = tkInteger, .Name = "TCursor", .Idents = CursorIdents,
                                 .IdentCount = sizeof(CursorIdents) / sizeof(CursorIdents[0])};

// Every control has its place and size, cursor and hint; the rest each class publishes itself.
static const TPropInfo ControlProps[] = {
    PUBLISHED_INT_DEFAULT(TControl, "Left", GetLeft, SetLeft, NoDefault),
    PUBLISHED_INT_DEFAULT(TControl, "Top", GetTop, SetTop, NoDefault),
    PUBLISHED_INT_DEFAULT(TControl, "Width", GetWidth, SetWidth, NoDefault),
    PUBLISHED_INT_DEFAULT(TControl, "Height", GetHeight, SetHeight, NoDefault),
    PUBLISHED_IDENT_INT(TControl, "Cursor", GetCursor, SetCursor, &TCursor_TypeInfo, crDefault),
    PUBLISHED_STR(TControl, "Hint", GetHint, SetHint),
};

IMPLEMENT_ENUM_INFO(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient")
IMPLEMENT_COMPONENT_CLASS_PROPS(TControl, TComponent, ControlProps)
IMPLEMENT_COMPONENT_CLASS(TWinControl, TControl)
IMPLEMENT_COMPONENT_CLASS(TCustomControl, TWinControl)
IMPLEMENT_COMPONENT_CLASS(TGraphicControl, TControl)

namespace {
// Window handle → control, the original's window property.
std::unordered_map<HWND, TWinControl*>& ControlsByHandle() {
  static std::unordered_map<HWND, TWinControl*> map;
  return map;
}
TControl* gCaptureControl = nullptr;
TControl* gMouseControl = nullptr;

Integer XOf(const TMessage& m) { return static_cast<int16_t>(m.LParam & 0xFFFF); }
Integer YOf(const TMessage& m) { return static_cast<int16_t>((m.LParam >> 16) & 0xFFFF); }
LPARAM PointParam(Integer x, Integer y) { return static_cast<LPARAM>((static_cast<uint32_t>(y & 0xFFFF) << 16) | (x & 0xFFFF)); }
bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST; }
}  // namespace

HCURSOR CursorHandle(TCursor cursor) {
  switch (cursor) {
    case crIBeam: return IDC_IBEAM;
    case crCross: return IDC_CROSS;
    case crSizeNESW: return IDC_SIZENESW;
    case crSizeNS: case crVSplit: return IDC_SIZENS;
    case crSizeNWSE: return IDC_SIZENWSE;
    case crSizeWE: case crHSplit: return IDC_SIZEWE;
    case crSize: return IDC_SIZEALL;
    case crNoDrop: return IDC_NO;
    case crHandPoint: return IDC_HAND;
    case crNone: return 0;
    default: return IDC_ARROW;
  }
}

TControl* GetCaptureControl() {
  // The remembered control counts only while its parent's window (or its own) holds the capture.
  HWND capture = ::GetCapture();
  if (!capture) return nullptr;
  if (gCaptureControl && gCaptureControl->GetParent() && gCaptureControl->GetParent()->HandleAllocated() &&
      gCaptureControl->GetParent()->GetHandle() == capture)
    return gCaptureControl;
  return FindControl(capture);
}

void SetCaptureControl(TControl* control) {
  ReleaseCapture();
  gCaptureControl = nullptr;
  if (!control) return;
  if (auto* wc = As<TWinControl>(control)) {
    ::SetCapture(wc->GetHandle());
    return;
  }
  if (!control->GetParent()) return;
  gCaptureControl = control;
  ::SetCapture(control->GetParent()->GetHandle());
}

TControl* GetMouseControl() { return gMouseControl; }

void SetMouseControl(TControl* control) {
  if (control == gMouseControl) return;
  TControl* old = gMouseControl;
  gMouseControl = control;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  if (control && gMouseControl == control) control->Perform(CM_MOUSEENTER, 0, 0);
}

TWinControl* FindControl(HWND handle) {
  auto it = ControlsByHandle().find(handle);
  return it == ControlsByHandle().end() ? nullptr : it->second;
}

TShiftState KeyDataToShiftState(int32_t KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (static_cast<uint32_t>(KeyData) & 0x20000000u) s.Include(ssAlt);
  return s;
}

TShiftState KeysToShiftState(WORD Keys) {
  TShiftState s;
  if (Keys & 0x0004) s.Include(ssShift);
  if (Keys & 0x0008) s.Include(ssCtrl);
  if (Keys & 0x0001) s.Include(ssLeft);
  if (Keys & 0x0002) s.Include(ssRight);
  if (Keys & 0x0010) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TCustomForm* GetParentForm(TControl* control) {
  while (control && control->GetParent()) control = control->GetParent();
  return As<TCustomForm>(control);
}

// ---- TControl ------------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(new TFont()) {
  WindowProc = MethodOf<&TControl::WndProc>(this);
  FFont->OnChange = MethodOf<&TControl::FontChanged>(this);
}

void TControl::Destroy() {
  if (Application) Application->ControlDestroyed(this);
  if (gCaptureControl == this) SetCaptureControl(nullptr);
  if (gMouseControl == this) gMouseControl = nullptr;
  SetParent(nullptr);
  FreeAndNil(FFont);
  inherited::Destroy();
}

void TControl::SetColor(TColor c) {
  FParentColor = false;
  if (FColor == c) return;
  FColor = c;
  Perform(CM_COLORCHANGED, 0, 0);
  Invalidate();
}

void TControl::SetParentColor(bool v) {
  FParentColor = v;
  if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (FParentColor && FParent && FColor != FParent->GetColor()) {
    FColor = FParent->GetColor();
    Invalidate();
  }
}

void TControl::SetParentFont(bool v) {
  FParentFont = v;
  if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || !FParent) return;
  FFont->Assign(FParent->GetFont());
  FParentFont = true;  // taking the parent's font is not a font of its own
}

// A font of its own ends ParentFont; children that follow this control's font take it over.
void TControl::FontChanged(TObject*) {
  FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
  if (auto* wc = As<TWinControl>(this))
    for (Integer i = 0; i < wc->GetControlCount(); ++i) wc->GetControl(i)->ParentFontChanged();
  Invalidate();
}

bool TControl::GetMouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool v) {
  if (GetMouseCapture() == v) return;
  SetCaptureControl(v ? this : nullptr);
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::BringToFront() {
  if (FParent) {
    auto last = [this](auto& list) {
      auto it = std::find(list.begin(), list.end(), this);
      if (it != list.end()) std::rotate(it, it + 1, list.end());
    };
    if (As<TWinControl>(this))
      last(FParent->FWinControls);
    else
      last(FParent->FControls);
  }
  if (auto* wc = As<TWinControl>(this); wc && wc->HandleAllocated()) BringWindowToTop(wc->GetHandle());
  Invalidate();
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();
  RequestAlign();
  if (!GetComponentState().Contains(csLoading)) Resize();
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign != Value) {
    const TAlign old = FAlign;
    FAlign = Value;
    const bool wasVertical = old == alLeft || old == alRight, isVertical = Value == alLeft || Value == alRight;
    const bool edges = old != alNone && old != alClient && Value != alNone && Value != alClient;
    if (!GetComponentState().Contains(csLoading) && edges && wasVertical != isVertical)
      SetBounds(FLeft, FTop, FHeight, FWidth);
  }
  RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent) FParent->AlignControl(this);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::SetVisible(bool v) {
  if (FVisible == v) return;
  // Invalidate while still visible, so the place it leaves is painted again.
  if (!v) Invalidate();
  FVisible = v;
  Perform(CM_VISIBLECHANGED, v ? 1 : 0, 0);
  if (v) Invalidate();
  RequestAlign();
}

void TControl::SetEnabled(bool v) {
  if (FEnabled == v) return;
  FEnabled = v;
  Perform(CM_ENABLEDCHANGED, 0, 0);
  Invalidate();
}

void TControl::SetText(const String& s) {
  if (FText == s) return;
  FText = s;
  Perform(CM_TEXTCHANGED, 0, 0);
  Invalidate();
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = static_cast<int32_t>(WParam);
  m.LParam = LParam;
  m.Result = 0;
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  if (!FControlStyle.Contains(csDoubleClicks) &&
      (Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_RBUTTONDBLCLK || Message.Msg == WM_MBUTTONDBLCLK))
    Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
  if (IsMouseMessage(Message.Msg)) {
    MouseMessage(Message);
    return;
  }
  DefaultHandler(Message);
}

void TControl::MouseMessage(TMessage& Message) {
  const TShiftState shift = KeysToShiftState(static_cast<WORD>(Message.WParam));
  const Integer x = XOf(Message), y = YOf(Message);
  ::SetCursor(CursorHandle(FCursor));
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
      MouseMove(shift, x, y);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
      if (Message.Msg == WM_LBUTTONDBLCLK && FControlStyle.Contains(csDoubleClicks)) DblClick();
      MouseDown(mbLeft, Message.Msg == WM_LBUTTONDBLCLK ? shift + TShiftState{ssDouble} : shift, x, y);
      return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      MouseDown(mbRight, shift, x, y);
      return;
    case WM_MBUTTONDOWN:
      MouseDown(mbMiddle, shift, x, y);
      return;
    case WM_LBUTTONUP: {
      const bool captured = GetMouseCapture();
      if (captured) SetMouseCapture(false);
      // A click is a release inside the control (of a press it captured, when it captures).
      if (FControlStyle.Contains(csClickEvents) && PtInRect(GetClientRect(), {x, y}) &&
          (captured || !FControlStyle.Contains(csCaptureMouse) || ::GetCapture() == 0))
        Click();
      MouseUp(mbLeft, shift, x, y);
      return;
    }
    case WM_RBUTTONUP: {
      MouseUp(mbRight, shift, x, y);
      // The context menu: the popup menu of this control or of the nearest parent with one.
      TControl* owner = this;
      while (owner && !owner->FPopupMenu) owner = owner->FParent;
      if (owner && FParent) {
        const TPoint at = ClientToScreen({x, y});
        owner->FPopupMenu->PopupComponent = owner;
        owner->FPopupMenu->Popup(at.X, at.Y);
      }
      return;
    }
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, shift, x, y);
      return;
    default:
      DefaultHandler(Message);
  }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

// A graphic control's area on its parent, background erased unless it paints all of it.
void TControl::Invalidate() {
  if (!FParent || !FVisible || !FParent->HandleAllocated()) return;
  TRect r = GetBoundsRect();
  InvalidateRect(FParent->GetHandle(), &r, !FControlStyle.Contains(csOpaque));
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

TPoint TControl::GetClientOrigin() const {
  if (!FParent) throw EInvalidOperation(Format("Control '%s' has no parent window", GetName().c_str()));
  TPoint p = FParent->GetClientOrigin();
  return {p.X + FLeft, p.Y + FTop};
}

void TControl::ReadState(TReader* Reader) {
  if (auto* parent = As<TWinControl>(Reader->GetParent())) SetParent(parent);
  inherited::ReadState(Reader);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* parent = As<TWinControl>(Value)) SetParent(parent);
}

TPoint TControl::ClientToScreen(TPoint p) const {
  TPoint o = GetClientOrigin();
  return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  TPoint o = GetClientOrigin();
  return {p.X - o.X, p.Y - o.Y};
}

// ---- TWinControl ---------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(new TBrush()) {
  FObjectInstance = MakeObjectInstance(MethodOf<&TWinControl::MainWndProc>(this));
  FDefWndProc = DefWindowProcValue();
  FBrush->SetColor(FColor);
}

// Window first (its children's windows go with it), then the child controls whatever their
// owner, each detached silently, then the owned components.
void TWinControl::Destroy() {
  MarkDestroying();
  if (HandleAllocated()) DestroyHandle();
  while (!FWinControls.empty() || !FControls.empty()) {
    TControl* c;
    if (!FWinControls.empty()) {
      c = FWinControls.back();
      FWinControls.pop_back();
    } else {
      c = FControls.back();
      FControls.pop_back();
    }
    c->FParent = nullptr;
    c->Free();
  }
  FreeObjectInstance(FObjectInstance);
  FObjectInstance = nullptr;
  FreeAndNil(FBrush);
  inherited::Destroy();
}

TWinControl::~TWinControl() {
  FreeObjectInstance(FObjectInstance);
  if (FBrush) FBrush->Free();
}

TControl::~TControl() {
  if (FFont) FFont->Free();
}

TCustomControl::~TCustomControl() {
  if (FCanvas) FCanvas->Free();
}

TGraphicControl::~TGraphicControl() {
  if (FCanvas) FCanvas->Free();
}

TControl* TWinControl::ControlAtPos(TPoint p, bool AllowDisabled) const {
  // The last graphic child is on top.
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (c->GetVisible() && (AllowDisabled || c->GetEnabled()) && PtInRect(c->GetBoundsRect(), p)) return c;
  }
  return nullptr;
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* target = nullptr;
  if (FHandle && ::GetCapture() == FHandle) {
    if (gCaptureControl && gCaptureControl->GetParent() == this) target = gCaptureControl;
  } else {
    target = ControlAtPos({XOf(Message), YOf(Message)}, false);
  }
  if (!target) return false;
  if (Message.Msg == WM_MOUSEMOVE) SetMouseControl(target);
  Message.Result = target->Perform(Message.Msg, static_cast<WPARAM>(Message.WParam),
                                   PointParam(XOf(Message) - target->GetLeft(), YOf(Message) - target->GetTop()));
  return true;
}

TControl* TWinControl::GetControl(Integer index) const {
  if (index < 0 || index >= GetControlCount()) TList::Error("List index out of bounds (%d)", index);
  size_t i = static_cast<size_t>(index);
  if (i < FControls.size()) return FControls[i];
  return FWinControls[i - FControls.size()];
}

void TWinControl::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (Integer i = 0; i < GetControlCount(); ++i) {
    TControl* c = GetControl(i);
    if (c->GetOwner() == Root) Proc(c);
  }
}

bool TWinControl::ContainsControl(const TControl* c) const {
  for (const TControl* p = c; p; p = p->GetParent())
    if (p == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* c) {
  if (auto* wc = As<TWinControl>(c))
    FWinControls.push_back(wc);
  else
    FControls.push_back(c);
  c->FParent = this;
  c->ParentFontChanged();
  c->ParentColorChanged();
  if (auto* wc = As<TWinControl>(c)) {
    // A windowed child gets its window as soon as the parent has one.
    if (HandleAllocated() && !Destroying()) wc->HandleNeeded();
  } else if (HandleAllocated()) {
    Invalidate();
  }
  if (!c->GetComponentState().Contains(csReading)) AlignControl(c);
}

void TWinControl::RemoveControl(TControl* c) {
  if (auto* wc = As<TWinControl>(c)) {
    if (wc->HandleAllocated()) wc->DestroyHandle();
    FWinControls.erase(std::remove(FWinControls.begin(), FWinControls.end(), wc), FWinControls.end());
  } else {
    c->Invalidate();
    FControls.erase(std::remove(FControls.begin(), FControls.end(), c), FControls.end());
  }
  if (gCaptureControl == c) SetCaptureControl(nullptr);
  if (gMouseControl == c) gMouseControl = nullptr;
  c->FParent = nullptr;
  Realign();
}

HWND TWinControl::GetHandle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  if (!FHandle) CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.WinClassName = ClassName();
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  // A container's own painting leaves its child windows alone.
  if (FControlStyle.Contains(csAcceptsControls)) Params.Style |= WS_CLIPCHILDREN;
  // Every control's class takes double-clicks; a control without csDoubleClicks sees them as
  // presses (WndProc).
  Params.ClassStyle = CS_DBLCLKS;
  if (FVisible) Params.Style |= WS_VISIBLE;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  Params.Bounds = GetBoundsRect();
  Params.WndParent = FParent ? FParent->GetHandle() : 0;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation(Format("Control '%s' has no parent window", GetName().c_str()));
  TCreateWindowParams wp;
  wp.ClassName = params.WinClassName;
  wp.WindowName = params.Caption;
  wp.Style = params.Style;
  wp.ExStyle = params.ExStyle;
  wp.ClassStyle = params.ClassStyle;
  wp.Bounds = params.Bounds;
  if (params.Style & WS_CHILD)
    wp.Parent = params.WndParent;
  else
    wp.Owner = params.WndParent;
  wp.WndProc = FObjectInstance;
  HWND h = CreateWindowEx(wp);
  if (!h) throw EOutOfResources("Error creating window");
  FHandle = h;
  ControlsByHandle()[h] = this;
  // The window system sizes a new window before its children exist: the children align
  // then, and the control hears of its size.
  Realign();
  if (!GetComponentState().Contains(csLoading)) Resize();
  for (TWinControl* c : FWinControls) c->HandleNeeded();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TWinControl* c : FWinControls) c->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  if (FHandle) DestroyWindow(FHandle);
  // WM_NCDESTROY cleared the handle unless the window procedure was replaced and the
  // message never reached us.
  if (FHandle) {
    ControlsByHandle().erase(FHandle);
    FHandle = 0;
  }
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  DestroyHandle();
  HandleNeeded();
}

void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (FHandle) MoveWindow(FHandle, ALeft, ATop, AWidth, AHeight, TRUE);
  RequestAlign();
}

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
  if (--FAlignLevel == 0 && FAlignmentNeeded) Realign();
}

// A request raised while the pass runs (each child's SetBounds asks again) is dropped.
void TWinControl::AlignControl(TControl* AControl) {
  if (!FHandle || Destroying()) return;
  if (FAlignLevel != 0) {
    FAlignmentNeeded = true;
    return;
  }
  DisableAlign();
  try {
    TRect r = GetClientRect();
    AlignControls(AControl, r);
  } catch (...) {
    FAlignmentNeeded = false;
    EnableAlign();
    throw;
  }
  FAlignmentNeeded = false;
  EnableAlign();
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  bool work = false;
  for (Integer i = 0; i < GetControlCount() && !work; ++i) work = GetControl(i)->GetAlign() != alNone;
  if (!work) return;
  AdjustClientRect(Rect);
  // Within one pass: the control that asked first, the others in Controls[] order, each
  // before the first placed one it lies outside of (for the bottom and right edges an equal
  // edge counts as outside, so of two at the same edge the later one ends up outermost).
  auto insertBefore = [](const TControl* c, const TControl* entry, TAlign align) {
    switch (align) {
      case alTop: return c->GetTop() < entry->GetTop();
      case alBottom: return c->GetTop() + c->GetHeight() >= entry->GetTop() + entry->GetHeight();
      case alLeft: return c->GetLeft() < entry->GetLeft();
      case alRight: return c->GetLeft() + c->GetWidth() >= entry->GetLeft() + entry->GetWidth();
      default: return false;
    }
  };
  // The list keeps its room between passes, so laying out again allocates nothing.
  std::vector<TControl*>& list = FAlignList;
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    list.clear();
    if (AControl && AControl->GetAlign() == align && AControl->GetVisible()) list.push_back(AControl);
    for (Integer i = 0; i < GetControlCount(); ++i) {
      TControl* c = GetControl(i);
      if (c == AControl || c->GetAlign() != align || !c->GetVisible()) continue;
      auto at = list.begin();
      while (at != list.end() && !insertBefore(c, *at, align)) ++at;
      list.insert(at, c);
    }
    for (TControl* c : list) {
      Integer left = Rect.Left, top = Rect.Top, width = Rect.Right - Rect.Left, height = Rect.Bottom - Rect.Top;
      if (width < 0 || align == alLeft || align == alRight) width = c->GetWidth();
      if (height < 0 || align == alTop || align == alBottom) height = c->GetHeight();
      switch (align) {
        case alTop: Rect.Top += height; break;
        case alBottom: Rect.Bottom -= height; top = Rect.Bottom; break;
        case alLeft: Rect.Left += width; break;
        case alRight: Rect.Right -= width; left = Rect.Right; break;
        default: break;
      }
      c->SetBounds(left, top, width, height);
      // A control that did not take the size it was given gives the difference back.
      switch (align) {
        case alTop: Rect.Top -= height - c->GetHeight(); break;
        case alBottom: Rect.Bottom += height - c->GetHeight(); break;
        case alLeft: Rect.Left -= width - c->GetWidth(); break;
        case alRight: Rect.Right += width - c->GetWidth(); break;
        case alClient:
          Rect.Right += width - c->GetWidth();
          Rect.Bottom += height - c->GetHeight();
          break;
        default: break;
      }
    }
  }
}

void TWinControl::SetVisible(bool v) {
  if (FVisible == v) return;
  TControl::SetVisible(v);
  if (FHandle) ShowWindow(FHandle, v ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetText(const String& s) {
  if (FText == s) return;
  if (FHandle) SetWindowText(FHandle, s);
  TControl::SetText(s);
}

TRect TWinControl::GetClientRect() const {
  TRect r{0, 0, FWidth, FHeight};
  if (FHandle) ::GetClientRect(FHandle, &r);
  return r;
}

void TWinControl::SetClientWidth(Integer v) { SetBounds(FLeft, FTop, FWidth - GetClientRect().Right + v, FHeight); }
void TWinControl::SetClientHeight(Integer v) { SetBounds(FLeft, FTop, FWidth, FHeight - GetClientRect().Bottom + v); }

TPoint TWinControl::GetClientOrigin() const {
  TPoint p{0, 0};
  ::ClientToScreen(const_cast<TWinControl*>(this)->GetHandle(), &p);
  return p;
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::PaintHandler(HDC dc) {
  PaintWindow(dc);
  PaintControls(dc, nullptr);
}

void TWinControl::PaintWindow(HDC) {}

// Each graphic child paints through the same context, moved to its place and clipped to it.
void TWinControl::PaintControls(HDC dc, TControl* First) {
  auto it = First ? std::find(FControls.begin(), FControls.end(), First) : FControls.begin();
  TRect clip;
  GetClipBox(dc, &clip);
  for (; it != FControls.end(); ++it) {
    TControl* c = *it;
    TRect bounds = c->GetBoundsRect();
    if (!c->GetVisible() || IsRectEmpty(IntersectRects(bounds, clip))) continue;
    int saved = SaveDC(dc);
    TPoint org;
    GetViewportOrgEx(dc, &org);
    SetViewportOrgEx(dc, org.X + bounds.Left, org.Y + bounds.Top, nullptr);
    IntersectClipRect(dc, 0, 0, bounds.Width(), bounds.Height());
    c->Perform(WM_PAINT, dc, 0);
    RestoreDC(dc, saved);
  }
}

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this) {
    form->SetActiveControl(this);
    if (!form->GetActive()) {
      form->SetFocus();
      return;
    }
  }
  ::SetFocus(GetHandle());
}

bool TWinControl::Focused() const { return FHandle != 0 && ::GetFocus() == FHandle; }

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
  std::vector<TWinControl*> children = FWinControls;
  std::stable_sort(children.begin(), children.end(),
                   [](const TWinControl* a, const TWinControl* b) { return a->TabOrder < b->TabOrder; });
  for (TWinControl* c : children) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const size_t count = list.size();
  auto found = std::find(list.begin(), list.end(), CurControl);
  size_t start = found != list.end() ? static_cast<size_t>(found - list.begin()) : GoForward ? count - 1 : 0;
  size_t i = start;
  do {
    i = GoForward ? (i + 1) % count : (i + count - 1) % count;
    TWinControl* c = list[i];
    if (c->CanFocus() && (!CheckTabStop || c->TabStop) && (!CheckParent || c->GetParent() == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) next->SetFocus();
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->GetParent())
    if (!c->GetVisible() || !c->GetEnabled()) return false;
  return true;
}

void TWinControl::MainWndProc(TMessage& Message) {
  try {
    WindowProc(Message);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
  // Canvases give their contexts back after each message.
  FreeDeviceContexts();
}

void TWinControl::WndProc(TMessage& Message) {
  if (IsMouseMessage(Message.Msg)) {
    if (IsControlMouseMsg(Message)) return;
    if (Message.Msg == WM_MOUSEMOVE) SetMouseControl(this);
  }
  TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCDESTROY:
      DefaultHandler(Message);
      if (FHandle) ControlsByHandle().erase(FHandle);
      FHandle = 0;
      return;
    case CN_KEYDOWN:
    case CN_KEYUP:
    case CN_CHAR:
    case CN_SYSKEYDOWN:
    case CN_SYSCHAR:
      // A menu's shortcut runs its item and is used up; then dialog keys: a form that
      // handles the key (Enter, Escape on its buttons) eats it.
      Message.Result = 0;
      if ((Message.Msg == CN_KEYDOWN || Message.Msg == CN_SYSKEYDOWN) && IsMenuKey(Message)) {
        Message.Result = 1;
        return;
      }
      // A letter typed on a button, or with Alt anywhere, presses the control whose caption
      // has it as its accelerator.
      if (Message.Msg == CN_SYSCHAR || (Message.Msg == CN_CHAR && (Perform(WM_GETDLGCODE, 0, 0) & DLGC_BUTTON))) {
        TCustomForm* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) Message.Result = 1;
        return;
      }
      if (Message.Msg == CN_KEYDOWN) {
        TCustomForm* form = GetParentForm(this);
        WORD key = static_cast<WORD>(Message.WParam);
        if (form && (key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB) &&
            Perform(CM_WANTSPECIALKEY, key, 0) == 0 &&
            form->Perform(CM_DIALOGKEY, key, Message.LParam) != 0)
          Message.Result = 1;
      }
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!DoKeyDown(Message)) DefaultHandler(Message);
      return;
    case WM_SYSCOMMAND:
      // Alt (and a letter) on a form other than the main one: the main form's menu bar,
      // when this form has none of its own.
      if ((Message.WParam & 0xFFF0) == SC_KEYMENU && Message.LParam != ' ' && Message.LParam != '-' &&
          ::GetCapture() == 0 && Application && Application->GetMainForm() != this) {
        TCustomForm* form = GetParentForm(this);
        if (!form || !form->GetMenu()) {
          Message.Result = SendMessage(Application->GetHandle(), CM_APPSYSCOMMAND, static_cast<WPARAM>(Message.WParam),
                                       Message.LParam);
          if (Message.Result) return;
        }
      }
      DefaultHandler(Message);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (!DoKeyUp(Message)) DefaultHandler(Message);
      return;
    case WM_CHAR:
      if (!DoKeyPress(Message)) DefaultHandler(Message);
      return;
    case WM_SETFOCUS: {
      if (TCustomForm* form = GetParentForm(this)) form->SetFocusedControl(this);
      DoEnter();
      DefaultHandler(Message);
      return;
    }
    case WM_KILLFOCUS:
      DoExit();
      DefaultHandler(Message);
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(FHandle, &ps);
      try {
        PaintHandler(dc);
      } catch (...) {
        EndPaint(FHandle, &ps);
        throw;
      }
      EndPaint(FHandle, &ps);
      return;
    }
    case WM_ERASEBKGND: {
      TRect r = GetClientRect();
      FBrush->SetColor(FColor);
      ::FillRect(static_cast<HDC>(Message.WParam), &r, FBrush->GetHandle());
      Message.Result = 1;
      return;
    }
    case WM_SIZE: {
      // WM_SIZE carries the client size; the control's size is the window's.
      TRect r;
      ::GetWindowRect(FHandle, &r);
      FWidth = r.Width();
      FHeight = r.Height();
      DefaultHandler(Message);
      Realign();
      if (!GetComponentState().Contains(csLoading)) Resize();
      return;
    }
    case CM_COLORCHANGED:
      FBrush->SetColor(FColor);
      for (TControl* c : FControls) c->ParentColorChanged();
      for (TWinControl* c : FWinControls) c->ParentColorChanged();
      return;
    default:
      TControl::Dispatch(Message);
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (FHandle)
    Message.Result = CallWindowProc(FDefWndProc, FHandle, Message.Msg, static_cast<WPARAM>(Message.WParam), Message.LParam);
}

// A shortcut of the form's (its menu), else of the application's main form.
bool TWinControl::IsMenuKey(TMessage& Message) {
  TWMKey key = KeyMessageOf(Message);
  if (TCustomForm* form = GetParentForm(this); form && form->IsShortCut(key)) return true;
  return Application && SendMessage(Application->GetHandle(), CM_APPKEYDOWN, static_cast<WPARAM>(Message.WParam),
                                    Message.LParam) != 0;
}

// A handler that sets the key to 0 swallows the message; another key replaces it.
bool TWinControl::RunKeyEvent(void (TWinControl::*Event)(Word&, TShiftState), TMessage& Message) {
  Word key = static_cast<Word>(Message.WParam);
  (this->*Event)(key, KeyDataToShiftState(Message.LParam));
  if (key == 0) return true;
  Message.WParam = key;
  return false;
}

bool TWinControl::DoKeyDown(TMessage& Message) { return RunKeyEvent(&TWinControl::KeyDown, Message); }
bool TWinControl::DoKeyUp(TMessage& Message) { return RunKeyEvent(&TWinControl::KeyUp, Message); }

bool TWinControl::DoKeyPress(TMessage& Message) {
  char key = static_cast<char>(Message.WParam);
  KeyPress(key);
  if (key == 0) return true;
  Message.WParam = static_cast<unsigned char>(key);
  return false;
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}
void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}
void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// ---- TCustomControl ------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
  FCanvas = new TControlCanvas();
  FCanvas->SetControl(this);
}

void TCustomControl::Destroy() {
  FreeAndNil(FCanvas);
  inherited::Destroy();
}

void TCustomControl::PaintWindow(HDC dc) {
  FCanvas->SetHandle(dc);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(0);
    throw;
  }
  FCanvas->SetHandle(0);
}

// ---- TGraphicControl -----------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
  FCanvas = new TControlCanvas();
  FCanvas->SetControl(this);
}

void TGraphicControl::Destroy() {
  FreeAndNil(FCanvas);
  inherited::Destroy();
}

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT && Message.WParam != 0) {
    FCanvas->SetHandle(static_cast<HDC>(Message.WParam));
    try {
      Paint();
    } catch (...) {
      FCanvas->SetHandle(0);
      throw;
    }
    FCanvas->SetHandle(0);
    return;
  }
  TControl::Dispatch(Message);
}
