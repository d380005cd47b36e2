// Labels, edits and push buttons.
#include "StdCtrls.h"

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

IMPLEMENT_COMPONENT_CLASS_PROPS(TLabel, TGraphicControl, LabelProps)
IMPLEMENT_COMPONENT_CLASS_PROPS(TEdit, TWinControl, EditProps)
IMPLEMENT_COMPONENT_CLASS_PROPS(TButton, TWinControl, ButtonProps)

static const TClassRegistration StdCtrlsClasses{TLabel::StaticClass(), TEdit::StaticClass(), TButton::StaticClass()};

TPoint EstimateTextExtent(const TFont* Font, const String& Text) {
  Integer height = Font ? Font->GetHeight() : -11;
  // A negative height is the character height; a positive one includes the leading.
  Integer charHeight = height < 0 ? -height : (height > 2 ? height - 2 : 11);
  Integer charWidth = (charHeight + 1) / 2;
  return {static_cast<int32_t>(Text.size()) * charWidth, charHeight + 2};
}

// ---- TLabel --------------------------------------------------------------------------------

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 65;
  FHeight = 17;
  FFont = new TFont();
  FFont->OnChange = MethodOf<&TLabel::FontChanged>(this);
}

void TLabel::Destroy() {
  FreeAndNil(FFont);
  inherited::Destroy();
}

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

void TLabel::AdjustBounds() {
  if (!FAutoSize || GetComponentState().Contains(csReading)) return;
  String shown = GetDisplayText();
  // An empty caption still measures one line, as the original does.
  TPoint extent = EstimateTextExtent(FFont, shown.empty() ? String(" ") : shown);
  Integer left = FAlignment == taRightJustify ? FLeft + FWidth - extent.X : FLeft;
  SetBounds(left, FTop, extent.X, extent.Y);
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::FontChanged(TObject*) {
  AdjustBounds();
  Invalidate();
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
}

void TEdit::Change() {
  if (OnChange) OnChange(this);
}

void TEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      Change();
      return;
    case WM_CHAR: {
      if (DoKeyPress(Message)) return;
      char c = static_cast<char>(Message.WParam);
      if (FReadOnly) return;
      if (c == '\b') {
        if (!FText.empty()) SetText(FText.substr(0, FText.size() - 1));
      } else if (static_cast<unsigned char>(c) >= 0x20) {
        SetText(FText + c);
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

void TButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGKEY) {
    WORD key = static_cast<WORD>(Message.WParam);
    if (((key == VK_RETURN && IsActiveDefault()) || (key == VK_ESCAPE && FCancel)) &&
        KeyDataToShiftState(Message.LParam).Empty() && CanFocus()) {
      Click();
      Message.Result = 1;
      return;
    }
  }
  TWinControl::Dispatch(Message);
}
