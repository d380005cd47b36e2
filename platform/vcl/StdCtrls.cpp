// Labels, edits, push buttons and check boxes, drawn in the classic look.
#include "StdCtrls.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "Filer.h"
#include "Forms.h"

IMPLEMENT_ENUM_INFO(TTextLayout, "tlTop", "tlCenter", "tlBottom")

static const TPropInfo LabelProps[] = {
    PUBLISHED_ENUM(TLabel, "Alignment", GetAlignment, SetAlignment, taLeftJustify),
    PUBLISHED_ENUM(TLabel, "AutoSize", GetAutoSize, SetAutoSize, true),
    PUBLISHED_STR(TLabel, "Caption", GetCaption, SetCaption),
    PUBLISHED_ENUM(TLabel, "Enabled", GetEnabled, SetEnabled, true),
    PUBLISHED_OBJECT(TLabel, "Font", GetFont),
    PUBLISHED_ENUM(TLabel, "Layout", GetLayout, SetLayout, tlTop),
    PUBLISHED_ENUM(TLabel, "ShowAccelChar", GetShowAccelChar, SetShowAccelChar, true),
    PUBLISHED_ENUM(TLabel, "Visible", GetVisible, SetVisible, true),
    PUBLISHED_EVENT(TLabel, "OnClick", OnClick),
    PUBLISHED_EVENT(TLabel, "OnMouseDown", OnMouseDown),
    PUBLISHED_EVENT(TLabel, "OnMouseMove", OnMouseMove),
    PUBLISHED_EVENT(TLabel, "OnMouseUp", OnMouseUp),
};

static const TPropInfo EditProps[] = {
    PUBLISHED_ENUM(TEdit, "Enabled", GetEnabled, SetEnabled, true),
    PUBLISHED_ENUM(TEdit, "ReadOnly", GetReadOnly, SetReadOnly, false),
    PUBLISHED_INT_FIELD(TEdit, "TabOrder", TabOrder, -1),
    PUBLISHED_BOOL_FIELD(TEdit, "TabStop", TabStop, true),
    PUBLISHED_STR(TEdit, "Text", GetText, SetText),
    PUBLISHED_ENUM(TEdit, "Visible", GetVisible, SetVisible, true),
    PUBLISHED_EVENT(TEdit, "OnChange", OnChange),
    PUBLISHED_EVENT(TEdit, "OnClick", OnClick),
    PUBLISHED_EVENT(TEdit, "OnEnter", OnEnter),
    PUBLISHED_EVENT(TEdit, "OnExit", OnExit),
    PUBLISHED_EVENT(TEdit, "OnKeyDown", OnKeyDown),
    PUBLISHED_EVENT(TEdit, "OnKeyPress", OnKeyPress),
    PUBLISHED_EVENT(TEdit, "OnKeyUp", OnKeyUp),
};

static const TPropInfo ButtonProps[] = {
    PUBLISHED_ENUM(TButton, "Cancel", GetCancel, SetCancel, false),
    PUBLISHED_STR(TButton, "Caption", GetCaption, SetCaption),
    PUBLISHED_ENUM(TButton, "Default", GetDefault, SetDefault, false),
    PUBLISHED_ENUM(TButton, "Enabled", GetEnabled, SetEnabled, true),
    PUBLISHED_INT_DEFAULT(TButton, "ModalResult", GetModalResult, SetModalResult, mrNone),
    PUBLISHED_INT_FIELD(TButton, "TabOrder", TabOrder, -1),
    PUBLISHED_BOOL_FIELD(TButton, "TabStop", TabStop, true),
    PUBLISHED_ENUM(TButton, "Visible", GetVisible, SetVisible, true),
    PUBLISHED_EVENT(TButton, "OnClick", OnClick),
    PUBLISHED_EVENT(TButton, "OnEnter", OnEnter),
    PUBLISHED_EVENT(TButton, "OnExit", OnExit),
    PUBLISHED_EVENT(TButton, "OnKeyDown", OnKeyDown),
    PUBLISHED_EVENT(TButton, "OnKeyPress", OnKeyPress),
    PUBLISHED_EVENT(TButton, "OnKeyUp", OnKeyUp),
};

IMPLEMENT_ENUM_INFO(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed")

// Checked and State are one value: a form stores State only when it is grayed.
static bool IsGrayed(const TCheckBox* c) { return c->GetState() == cbGrayed; }
static const TPropInfo CheckBoxProps[] = {
    PUBLISHED_ENUM(TCheckBox, "Alignment", GetAlignment, SetAlignment, taRightJustify),
    PUBLISHED_ENUM(TCheckBox, "AllowGrayed", GetAllowGrayed, SetAllowGrayed, false),
    PUBLISHED_STR(TCheckBox, "Caption", GetCaption, SetCaption),
    PUBLISHED_ENUM(TCheckBox, "Checked", GetChecked, SetChecked, false),
    PUBLISHED_ENUM(TCheckBox, "Enabled", GetEnabled, SetEnabled, true),
    PUBLISHED_OBJECT(TCheckBox, "Font", GetFont),
    TPropInfo{.Name = "State", .Kind = tkEnumeration,
              .GetOrd = [](const TObject* o) -> Int64 { return static_cast<const TCheckBox*>(o)->GetState(); },
              .SetOrd = [](TObject* o, Int64 v) { static_cast<TCheckBox*>(o)->SetState(static_cast<TCheckBoxState>(v)); },
              .GetStr = nullptr, .SetStr = nullptr, .PropType = &TCheckBoxState_TypeInfo,
              .IsStored = [](const TObject* o) -> bool { return IsGrayed(static_cast<const TCheckBox*>(o)); }},
    PUBLISHED_INT_FIELD(TCheckBox, "TabOrder", TabOrder, -1),
    PUBLISHED_BOOL_FIELD(TCheckBox, "TabStop", TabStop, true),
    PUBLISHED_ENUM(TCheckBox, "Visible", GetVisible, SetVisible, true),
    PUBLISHED_EVENT(TCheckBox, "OnClick", OnClick),
    PUBLISHED_EVENT(TCheckBox, "OnEnter", OnEnter),
    PUBLISHED_EVENT(TCheckBox, "OnExit", OnExit),
};

IMPLEMENT_COMPONENT_CLASS_PROPS(TLabel, TGraphicControl, LabelProps)
IMPLEMENT_COMPONENT_CLASS_PROPS(TEdit, TWinControl, EditProps)
IMPLEMENT_COMPONENT_CLASS_PROPS(TButton, TWinControl, ButtonProps)

IMPLEMENT_COMPONENT_CLASS_PROPS(TCheckBox, TWinControl, CheckBoxProps)

static const TClassRegistration StdCtrlsClasses{TLabel::StaticClass(), TEdit::StaticClass(), TButton::StaticClass(),
                                                TCheckBox::StaticClass()};

TPoint EstimateTextExtent(const TFont* Font, const String& Text) {
  return MeasureText(const_cast<TFont*>(Font), Text, DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX);
}

void DrawCaption(TCanvas* Canvas, const String& Caption, TRect Rect, UINT Flags, bool Enabled) {
  Canvas->GetBrush()->SetStyle(bsClear);
  HDC dc = Canvas->GetHandle();
  SetBkMode(dc, TRANSPARENT);
  auto draw = [&](TColor color, int offset) {
    Canvas->GetFont()->SetColor(color);
    Canvas->TextExtent("");  // selects the font and its colour
    TRect r{Rect.Left + offset, Rect.Top + offset, Rect.Right + offset, Rect.Bottom + offset};
    DrawTextA(dc, Caption.c_str(), static_cast<int>(Caption.size()), &r, Flags);
  };
  if (Enabled) {
    draw(Canvas->GetFont()->GetColor(), 0);
    return;
  }
  // Disabled: a highlight one pixel down and right, the shadow over it.
  draw(clBtnHighlight, 1);
  draw(clBtnShadow, 0);
}

// ---- TLabel --------------------------------------------------------------------------------

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 65;
  FHeight = 17;
  FControlStyle.Include(csReplicatable);
}

void TLabel::Destroy() { inherited::Destroy(); }

void TLabel::SetAutoSize(bool v) {
  if (FAutoSize == v) return;
  FAutoSize = v;
  AdjustBounds();
}

void TLabel::SetAlignment(TAlignment v) {
  if (FAlignment == v) return;
  FAlignment = v;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout v) {
  if (FLayout == v) return;
  FLayout = v;
  Invalidate();
}

void TLabel::SetShowAccelChar(bool v) {
  if (FShowAccelChar == v) return;
  FShowAccelChar = v;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetTransparent(bool v) {
  if (FTransparent == v) return;
  FTransparent = v;
  if (v)
    FControlStyle.Exclude(csOpaque);
  else
    FControlStyle.Include(csOpaque);
  Invalidate();
}

void TLabel::SetWordWrap(bool v) {
  if (FWordWrap == v) return;
  FWordWrap = v;
  AdjustBounds();
  Invalidate();
}

String TLabel::GetDisplayText() const {
  if (!FShowAccelChar) return FText;
  String shown;
  for (size_t i = 0; i < FText.size(); ++i) {
    if (FText[i] != '&') {
      shown += FText[i];
    } else if (i + 1 < FText.size()) {
      shown += FText[++i];  // "&&" shows '&'; "&x" shows x underlined
    }
  }
  return shown;
}

void TLabel::DoDrawText(TRect& Rect, UINT Flags) {
  String text = FText;
  // An empty caption (or a lone prefix) still measures one line, as the original does.
  if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += ' ';
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  TCanvas* c = FCanvas;
  c->GetFont()->Assign(FFont);
  c->GetBrush()->SetStyle(bsClear);
  c->TextExtent("");  // selects the font and its colour
  HDC dc = c->GetHandle();
  if (!FEnabled && !(Flags & DT_CALCRECT)) {
    DrawCaption(c, text, Rect, Flags, false);
    return;
  }
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
}

void TLabel::Paint() {
  static const UINT kAlignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  TRect r = GetClientRect();
  if (!FTransparent) {
    FCanvas->GetBrush()->SetColor(FColor);
    FCanvas->GetBrush()->SetStyle(bsSolid);
    FCanvas->FillRect(r);
  }
  UINT flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | kAlignments[FAlignment];
  if (FLayout != tlTop) {
    TRect calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    r.Top = FLayout == tlBottom ? r.Bottom - calc.Height() : (r.Top + r.Bottom - calc.Height()) / 2;
  }
  DoDrawText(r, flags);
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || GetComponentState().Contains(csReading)) return;
  String text = FText;
  if (text.empty() || (FShowAccelChar && text == "&")) text += ' ';
  UINT flags = DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0) | (FShowAccelChar ? 0 : DT_NOPREFIX);
  TPoint extent = MeasureText(FFont, text, flags, FWordWrap ? FWidth : 0);
  Integer left = FAlignment == taRightJustify ? FLeft + FWidth - extent.X : FLeft;
  SetBounds(left, FTop, extent.X, extent.Y);
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::FontChanged(TObject* Sender) {
  TGraphicControl::FontChanged(Sender);
  AdjustBounds();
}

void TLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED) {
    AdjustBounds();
    Invalidate();
    return;
  }
  TGraphicControl::Dispatch(Message);
}

// ---- TEdit ---------------------------------------------------------------------------------

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 121;
  FHeight = 21;
  TabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FCursor = crIBeam;
}

void TEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::Change() {
  if (OnChange) OnChange(this);
}

void TEdit::SetText(const String& s) {
  if (s == FText) return;
  FSelStart = static_cast<Integer>(s.size());
  FSelLength = 0;
  TWinControl::SetText(s);
  PlaceCaret();
}

void TEdit::SetSelStart(Integer v) {
  FSelStart = std::clamp<Integer>(v, 0, static_cast<Integer>(FText.size()));
  FSelLength = 0;
  PlaceCaret();
  Invalidate();
}

void TEdit::SetSelLength(Integer v) {
  FSelLength = std::clamp<Integer>(v, 0, static_cast<Integer>(FText.size()) - FSelStart);
  PlaceCaret();
  Invalidate();
}

String TEdit::GetSelText() const { return FText.substr(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelLength)); }

void TEdit::SelectAll() {
  FSelStart = 0;
  FSelLength = static_cast<Integer>(FText.size());
  PlaceCaret();
  Invalidate();
}

void TEdit::ReplaceSelection(const String& s) {
  String text = FText;
  text.replace(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelLength), s);
  Integer caret = FSelStart + static_cast<Integer>(s.size());
  TWinControl::SetText(text);
  FSelStart = caret;
  FSelLength = 0;
  PlaceCaret();
}

// Text starts two pixels in from the client edge.
Integer TEdit::TextX(Integer chars) {
  if (chars <= 0) return 2;
  return 2 + EstimateTextExtent(FFont, FText.substr(0, static_cast<size_t>(chars))).X;
}

void TEdit::PlaceCaret() {
  if (!Focused()) return;
  SetCaretPos(TextX(FSelStart + FSelLength), 1);
}

void TEdit::PaintWindow(HDC dc) {
  TRect client = GetClientRect();
  FBrush->SetColor(FColor);
  ::FillRect(dc, &client, FBrush->GetHandle());
  HGDIOBJ old = SelectObject(dc, FFont->GetHandle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(FEnabled ? FFont->GetColor() : clGrayText));
  TextOutA(dc, 2, 1, FText.c_str(), static_cast<int>(FText.size()));
  if (FSelLength > 0 && Focused()) {
    // The selection: highlight behind highlight-coloured text.
    const Integer x0 = TextX(FSelStart), x1 = TextX(FSelStart + FSelLength);
    TRect sel{x0, 1, x1, 1 + EstimateTextExtent(FFont, "X").Y};
    ::FillRect(dc, &sel, static_cast<HBRUSH>(COLOR_HIGHLIGHT + 1));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    String part = GetSelText();
    TextOutA(dc, x0, 1, part.c_str(), static_cast<int>(part.size()));
  }
  SelectObject(dc, old);
}

// The system's edits, buttons and check boxes take the focus when the left button goes down
// on them, before anything else sees the press.
static void FocusOnPress(TWinControl& Control, const TMessage& Message) {
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && Control.CanFocus() && !Control.Focused())
    Control.SetFocus();
}

void TEdit::Dispatch(TMessage& Message) {
  FocusOnPress(*this, Message);
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      Change();
      return;
    case WM_SETFOCUS:
      TWinControl::Dispatch(Message);
      CreateCaret(FHandle, 1, EstimateTextExtent(FFont, "X").Y);
      PlaceCaret();
      ShowCaret(FHandle);
      Invalidate();
      return;
    case WM_KILLFOCUS:
      DestroyCaret();
      TWinControl::Dispatch(Message);
      Invalidate();
      return;
    case WM_KEYDOWN: {
      if (DoKeyDown(Message)) return;
      const Integer len = static_cast<Integer>(FText.size());
      const Integer caret = FSelStart + FSelLength;
      switch (Message.WParam & 0xFFFF) {
        case VK_LEFT: SetSelStart(FSelLength ? FSelStart : caret - 1); return;
        case VK_RIGHT: SetSelStart(FSelLength ? caret : caret + 1); return;
        case VK_HOME: SetSelStart(0); return;
        case VK_END: SetSelStart(len); return;
        case VK_DELETE:
          if (FReadOnly) return;
          if (FSelLength == 0 && FSelStart < len) FSelLength = 1;
          ReplaceSelection("");
          return;
        default: DefaultHandler(Message); return;
      }
    }
    case WM_CHAR: {
      if (DoKeyPress(Message)) return;
      char c = static_cast<char>(Message.WParam);
      if (FReadOnly) return;
      if (c == '\b') {
        if (FSelLength == 0 && FSelStart > 0) {
          --FSelStart;
          FSelLength = 1;
        }
        if (FSelLength > 0) ReplaceSelection("");
      } else if (static_cast<unsigned char>(c) >= 0x20) {
        ReplaceSelection(String(1, c));
      }
      return;
    }
    default:
      TWinControl::Dispatch(Message);
  }
}

// ---- TButton -------------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 75;
  FHeight = 25;
  TabStop = true;
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TWinControl::Click();
}

bool TButton::IsActiveDefault() const {
  TCustomForm* form = GetParentForm(const_cast<TButton*>(this));
  TWinControl* focused = form ? form->GetActiveControl() : nullptr;
  if (focused && focused->Is<TButton>()) return focused == this;
  return FDefault;
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && FEnabled) {
    FTracking = true;
    FPressed = true;
    Invalidate();
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FTracking) {
    bool inside = PtInRect(GetClientRect(), {X, Y});
    if (inside != FPressed) {
      FPressed = inside;
      Invalidate();
    }
  }
  TWinControl::MouseMove(Shift, X, Y);
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && FTracking) {
    FTracking = false;
    FPressed = false;
    Invalidate();
  }
  TWinControl::MouseUp(Button, Shift, X, Y);
}

void TButton::PaintFace(TCanvas* Canvas, const TRect& Face, bool Pressed) {
  TRect r = Face;
  if (Pressed) r = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
  DrawCaption(Canvas, FText, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, FEnabled);
}

// The classic push button: a black frame around the active default, the raised (or pushed)
// edge, the face, and the focus rectangle inside while focused.
void TButton::PaintWindow(HDC dc) {
  auto* canvas = new TCanvas();
  canvas->SetHandle(dc);
  canvas->GetFont()->Assign(FFont);
  TRect r = GetClientRect();
  const bool isDefault = FEnabled && (Focused() || IsActiveDefault());
  if (isDefault) {
    FrameRect(dc, &r, static_cast<HBRUSH>(COLOR_WINDOWFRAME + 1));
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  if (FPressed) {
    FrameRect(dc, &r, static_cast<HBRUSH>(COLOR_BTNSHADOW + 1));
    TRect inner{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    ::FillRect(dc, &inner, static_cast<HBRUSH>(COLOR_BTNFACE + 1));
  } else {
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
  }
  TRect face{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
  PaintFace(canvas, face, FPressed);
  if (Focused()) {
    TRect focus{r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3};
    SetTextColor(dc, 0);
    SetBkColor(dc, 0xFFFFFF);
    DrawFocusRect(dc, &focus);
  }
  canvas->SetHandle(0);
  canvas->Free();
}

bool IsAccel(Word Key, const String& Caption) {
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != '&') continue;
    if (Caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return std::toupper(static_cast<unsigned char>(Caption[i + 1])) == std::toupper(Key & 0xFF);
  }
  return false;
}

void TButton::Dispatch(TMessage& Message) {
  FocusOnPress(*this, Message);
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_BUTTON | (IsActiveDefault() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<Word>(Message.WParam), FText) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    case CM_DIALOGKEY: {
      WORD key = static_cast<WORD>(Message.WParam);
      if (((key == VK_RETURN && IsActiveDefault()) || (key == VK_ESCAPE && FCancel)) &&
          KeyDataToShiftState(Message.LParam).Empty() && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    }
    case WM_KEYUP:
      if ((Message.WParam & 0xFFFF) == VK_SPACE && FEnabled) {
        if (DoKeyUp(Message)) return;
        Click();
        return;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TWinControl::Dispatch(Message);
      Invalidate();
      return;
    default:
      break;
  }
  TWinControl::Dispatch(Message);
}

// ---- TCheckBox -----------------------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 97;
  FHeight = 17;
  TabStop = true;
}

void TCheckBox::SetState(TCheckBoxState v) {
  if (FState == v) return;
  FState = v;
  Invalidate();
  if (!GetComponentState().Contains(csLoading)) Click();
}

void TCheckBox::SetAlignment(TAlignment v) {
  if (FAlignment == v) return;
  FAlignment = v;
  Invalidate();
}

void TCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCheckBox::PaintWindow(HDC dc) {
  TRect client = GetClientRect();
  auto* canvas = new TCanvas();
  canvas->SetHandle(dc);
  canvas->GetFont()->Assign(FFont);
  const bool right = FAlignment == taRightJustify;
  TRect box{right ? 0 : client.Right - 13, 0, right ? 13 : client.Right, client.Height()};
  UINT state = DFCS_BUTTONCHECK | (FState != cbUnchecked ? DFCS_CHECKED : 0) | (FEnabled ? 0 : DFCS_INACTIVE);
  if (FState == cbGrayed) state |= DFCS_INACTIVE;
  DrawFrameControl(dc, &box, DFC_BUTTON, state);
  // The caption four pixels from the box, vertically centred; the focus rectangle frames it.
  TPoint extent = EstimateTextExtent(FFont, GetText().empty() ? String(" ") : GetText());
  TRect text{right ? 17 : 0, (client.Height() - extent.Y) / 2, 0, 0};
  text.Right = text.Left + extent.X;
  text.Bottom = text.Top + extent.Y;
  if (!right) {
    text.Right = client.Right - 17;
    text.Left = text.Right - extent.X;
  }
  DrawCaption(canvas, FText, text, DT_SINGLELINE | DT_NOCLIP, FEnabled);
  if (Focused()) {
    TRect focus{text.Left - 1, text.Top, text.Right + 1, text.Bottom + 1};
    SetTextColor(dc, 0);
    SetBkColor(dc, 0xFFFFFF);
    DrawFocusRect(dc, &focus);
  }
  canvas->SetHandle(0);
  canvas->Free();
}

void TCheckBox::Dispatch(TMessage& Message) {
  FocusOnPress(*this, Message);
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_BUTTON;
      return;
    case CM_DIALOGCHAR:
      // Its accelerator takes the focus to the box and toggles it.
      if (IsAccel(static_cast<Word>(Message.WParam), FText) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
      }
      break;
    case WM_LBUTTONUP: {
      // A release inside after a press on it toggles; the click comes from the toggle.
      const bool captured = GetMouseCapture();
      if (captured) SetMouseCapture(false);
      TShiftState shift = KeysToShiftState(static_cast<WORD>(Message.WParam));
      const Integer x = static_cast<int16_t>(Message.LParam & 0xFFFF), y = static_cast<int16_t>((Message.LParam >> 16) & 0xFFFF);
      if (captured && FEnabled && PtInRect(GetClientRect(), {x, y})) Toggle();
      MouseUp(mbLeft, shift, x, y);
      return;
    }
    case WM_KEYUP:
      if ((Message.WParam & 0xFFFF) == VK_SPACE && FEnabled) {
        if (DoKeyUp(Message)) return;
        Toggle();
        return;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TWinControl::Dispatch(Message);
      Invalidate();
      return;
    default:
      break;
  }
  TWinControl::Dispatch(Message);
}
