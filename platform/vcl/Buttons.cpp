// Bitmap buttons.
#include "Buttons.h"

#include "Filer.h"
#include "Forms.h"

IMPLEMENT_ENUM_INFO(TBitBtnKind, "bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry",
                    "bkIgnore", "bkAll")

static const TPropInfo BitBtnProps[] = {
    PUBLISHED_ENUM(TBitBtn, "Kind", GetKind, SetKind, bkCustom),
    PUBLISHED_INT_DEFAULT(TBitBtn, "NumGlyphs", GetNumGlyphs, SetNumGlyphs, 1),
};

IMPLEMENT_COMPONENT_CLASS_PROPS(TBitBtn, TButton, BitBtnProps)

static const TClassRegistration ButtonsClasses{TBitBtn::StaticClass()};

namespace {

struct TKindInfo {
  const char* Caption;
  TModalResult Result;
  const char* GlyphName;
};
// Indexed by TBitBtnKind.
constexpr TKindInfo kKinds[] = {
    {nullptr, mrNone, nullptr},   {"OK", mrOk, "BBOK"},           {"Cancel", mrCancel, "BBCANCEL"},
    {"&Help", mrNone, "BBHELP"},  {"&Yes", mrYes, "BBYES"},       {"&No", mrNo, "BBNO"},
    {"&Close", mrNone, "BBCLOSE"}, {"Abort", mrAbort, "BBABORT"}, {"&Retry", mrRetry, "BBRETRY"},
    {"&Ignore", mrIgnore, "BBIGNORE"}, {"&All", mrAll, "BBALL"}};

bool IsDefaultKind(TBitBtnKind k) { return k == bkOK || k == bkYes; }
bool IsCancelKind(TBitBtnKind k) { return k == bkCancel || k == bkNo; }

}  // namespace

TBitBtnKind TBitBtn::GetKind() const {
  if (FKind == bkCustom) return bkCustom;
  if (IsDefaultKind(FKind) != GetDefault() || IsCancelKind(FKind) != GetCancel() ||
      GetModalResult() != kKinds[FKind].Result || FModifiedGlyph)
    return bkCustom;
  return FKind;
}

void TBitBtn::SetKind(TBitBtnKind v) {
  if (v == FKind) return;
  if (v != bkCustom) {
    SetDefault(IsDefaultKind(v));
    SetCancel(IsCancelKind(v));
    if (!GetComponentState().Contains(csLoading) || GetCaption().empty()) SetCaption(kKinds[v].Caption);
    SetModalResult(kKinds[v].Result);
    FGlyph = TButtonGlyph{kKinds[v].GlyphName, String()};
    FNumGlyphs = 2;
    FModifiedGlyph = false;
  }
  FKind = v;
  Invalidate();
}

void TBitBtn::SetNumGlyphs(Integer v) {
  v = v < 1 ? 1 : v > 4 ? 4 : v;
  if (v == FNumGlyphs) return;
  FNumGlyphs = v;
  Invalidate();
}

void TBitBtn::SetGlyph(const TButtonGlyph& v) {
  FGlyph = v;
  FModifiedGlyph = true;
  Invalidate();
}

void TBitBtn::Click() {
  if (GetKind() == bkClose) {
    if (TCustomForm* form = GetParentForm(this)) {
      form->Close();
      return;
    }
  }
  TButton::Click();
}
