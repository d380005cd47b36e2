// User-button items and the standard buttons' names.
#include "TitleBarBtn.h"

#include "EIPanel.h"

IMPLEMENT_ENUM_INFO(TTitleBarButtonID, "tbbeX", "tbbeLeft", "tbbeRight", "tbbeTop", "tbbeBottom", "tbbeFloat",
                    "tbbeMinMax", "tbbeHelp")
IMPLEMENT_ENUM_INFO(TTitleButtonLayout, "tblGlyphLeft", "tblGlyphRight")
IMPLEMENT_CLASS(TTitleBarBtn, TObject)

const char* const TitleBarGlyphNames[8] = {
    "EDITOR_INTEGRATION_PANEL_BTN_X",      "EDITOR_INTEGRATION_PANEL_BTN_LEFT",     "EDITOR_INTEGRATION_PANEL_BTN_RIGHT",
    "EDITOR_INTEGRATION_PANEL_BTN_TOP",    "EDITOR_INTEGRATION_PANEL_BTN_BOTTOM",   "EDITOR_INTEGRATION_PANEL_BTN_FLOAT",
    "EDITOR_INTEGRATION_PANEL_BTN_MINIMIZE", "EDITOR_INTEGRATION_PANEL_BTN_HELP"};
const char* const TitleBarMaximizeGlyph = "EDITOR_INTEGRATION_PANEL_BTN_MAXIMIZE";

HMODULE PanelModule() { return GetModuleHandleA("BriskPack"); }

TTitleBarBtn::TTitleBarBtn(TEIPanel* APanel) : FPanel(APanel), FGlyph(new TBitmap()), FFont(new TFont()) {
  FGlyph->SetTransparentMode(tmAuto);
  FFont->SetName("Arial");
  FFont->SetSize(7);
  // Bound last: the item is not in its panel's list yet.
  FFont->OnChange = MethodOf<&TTitleBarBtn::FontChange>(this);
}

void TTitleBarBtn::Destroy() {
  FreeAndNil(FGlyph);
  FreeAndNil(FFont);
  inherited::Destroy();
}

void TTitleBarBtn::UpdateButton() {
  if (FPanel) FPanel->UpdateButton(this);
}

void TTitleBarBtn::UpdateButtons() {
  if (FPanel) FPanel->SetupTitleBar();
}

void TTitleBarBtn::FontChange(TObject*) { UpdateButton(); }

void TTitleBarBtn::SetCaption(const String& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  UpdateButton();
}

void TTitleBarBtn::SetGlyph(TBitmap* Value) {
  if (Value == FGlyph) return;
  if (FOwnGlyph) FGlyph->Free();
  FGlyph = Value;
  FOwnGlyph = false;
  UpdateButton();
}

void TTitleBarBtn::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  UpdateButtons();
}

void TTitleBarBtn::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateButton();
}

void TTitleBarBtn::SetButtonID(Integer Value) { FButtonID = Value; }

void TTitleBarBtn::SetWidth(Integer Value) {
  if (Value == FWidth) return;
  FWidth = Value;
  UpdateButtons();
}

void TTitleBarBtn::SetGroupIndex(Integer Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  UpdateButton();
}

void TTitleBarBtn::SetHint(const String& Value) {
  if (Value == FHint) return;
  FHint = Value;
  UpdateButton();
}

void TTitleBarBtn::SetAllowAllUp(bool Value) {
  if (Value == FAllowAllUp) return;
  FAllowAllUp = Value;
  UpdateButton();
}

void TTitleBarBtn::SetLayout(TTitleButtonLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  UpdateButton();
}

Integer TTitleBarBtn::GetIndex() const { return FPanel ? FPanel->GetIndexFromID(FButtonID) : -1; }

bool TTitleBarBtn::GetDown() const {
  if (!FPanel) return false;
  TTitleBarButton* control = FPanel->GetTitleBarButton(GetIndex());
  return control && control->GetDown();
}

void TTitleBarBtn::SetDown(bool Value) {
  if (!FPanel) return;
  if (TTitleBarButton* control = FPanel->GetTitleBarButton(GetIndex())) control->SetDown(Value);
}

TRect TTitleBarBtn::Rect() const {
  TTitleBarButton* control = FPanel ? FPanel->GetTitleBarButton(GetIndex()) : nullptr;
  if (!control || !control->GetParent()) return {};
  const TPoint at = control->GetParent()->ClientToScreen({control->GetLeft(), control->GetTop()});
  return {at.X, at.Y, at.X + control->GetWidth(), at.Y + control->GetHeight()};
}

void TTitleBarBtn::Popup(TPopupMenu* Menu) {
  if (!FPanel || !Menu) return;
  const TRect r = Rect();
  if (FPanel->IsTitleBarVertical())
    Menu->Popup(r.Right, r.Top);
  else
    Menu->Popup(r.Left, r.Bottom);
}
