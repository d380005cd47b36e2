// Fonts and canvases.
#include "Graphics.h"

IMPLEMENT_ENUM_INFO(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")

// System colours are 0x80000000 plus the colour's index.
static const TIdentMapEntry ColorIdents[] = {
    {0x000000, "clBlack"},        {0x000080, "clMaroon"},          {0x008000, "clGreen"},
    {0x008080, "clOlive"},        {0x800000, "clNavy"},            {0x800080, "clPurple"},
    {0x808000, "clTeal"},         {0x808080, "clGray"},            {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"},          {0x00FF00, "clLime"},            {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},         {0xFF00FF, "clFuchsia"},         {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"},        {-0x80000000LL + 0, "clScrollBar"}, {-0x80000000LL + 1, "clBackground"},
    {-0x80000000LL + 2, "clActiveCaption"}, {-0x80000000LL + 3, "clInactiveCaption"}, {-0x80000000LL + 4, "clMenu"},
    {-0x80000000LL + 5, "clWindow"}, {-0x80000000LL + 6, "clWindowFrame"}, {-0x80000000LL + 7, "clMenuText"},
    {-0x80000000LL + 8, "clWindowText"}, {-0x80000000LL + 9, "clCaptionText"}, {-0x80000000LL + 10, "clActiveBorder"},
    {-0x80000000LL + 11, "clInactiveBorder"}, {-0x80000000LL + 12, "clAppWorkSpace"}, {-0x80000000LL + 13, "clHighlight"},
    {-0x80000000LL + 14, "clHighlightText"}, {-0x80000000LL + 15, "clBtnFace"}, {-0x80000000LL + 16, "clBtnShadow"},
    {-0x80000000LL + 17, "clGrayText"}, {-0x80000000LL + 18, "clBtnText"}, {-0x80000000LL + 19, "clInactiveCaptionText"},
    {-0x80000000LL + 20, "clBtnHighlight"}, {-0x80000000LL + 21, "cl3DDkShadow"}, {-0x80000000LL + 22, "cl3DLight"},
    {-0x80000000LL + 23, "clInfoText"}, {-0x80000000LL + 24, "clInfoBk"}, {0x1FFFFFFF, "clNone"},
    {0x20000000, "clDefault"}};
const TTypeInfo TColor_TypeInfo{.Kind = tkInteger, .Name = "TColor", .Idents = ColorIdents,
                                .IdentCount = sizeof(ColorIdents) / sizeof(ColorIdents[0])};

static const TIdentMapEntry CharsetIdents[] = {
    {0, "ANSI_CHARSET"},        {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},      {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"},  {130, "JOHAB_CHARSET"},     {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"},  {162, "TURKISH_CHARSET"},   {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},    {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"},    {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},      {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"}};
const TTypeInfo TFontCharset_TypeInfo{.Kind = tkInteger, .Name = "TFontCharset", .Idents = CharsetIdents,
                                      .IdentCount = sizeof(CharsetIdents) / sizeof(CharsetIdents[0])};

static const TPropInfo FontProps[] = {
    PUBLISHED_IDENT_INT(TFont, "Charset", GetCharset, SetCharset, &TFontCharset_TypeInfo, NoDefault),
    PUBLISHED_IDENT_INT(TFont, "Color", GetColor, SetColor, &TColor_TypeInfo, NoDefault),
    PUBLISHED_INT_DEFAULT(TFont, "Height", GetHeight, SetHeight, NoDefault),
    PUBLISHED_STR(TFont, "Name", GetName, SetName),
    PUBLISHED_SET(TFont, "Style", GetStyle, SetStyle, NoDefault),
};

IMPLEMENT_CLASS(TCanvas, TPersistent)
IMPLEMENT_CLASS(TControlCanvas, TCanvas)
IMPLEMENT_CLASS_PROPS(TFont, TPersistent, FontProps)

namespace {
template <class T>
bool Change(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}
}  // namespace

void TFont::Changed() {
  if (OnChange) OnChange(this);
}

void TFont::SetName(const String& v) {
  if (Change(FName, v)) Changed();
}
void TFont::SetHeight(Integer v) {
  if (Change(FHeight, v)) Changed();
}
void TFont::SetCharset(TFontCharset v) {
  if (Change(FCharset, v)) Changed();
}
void TFont::SetColor(TColor v) {
  if (Change(FColor, v)) Changed();
}
void TFont::SetStyle(TFontStyles v) {
  if (Change(FStyle, v)) Changed();
}

void TFont::Assign(const TFont* source) {
  if (!source || source == this) return;
  bool changed = Change(FName, source->FName);
  changed |= Change(FHeight, source->FHeight);
  changed |= Change(FCharset, source->FCharset);
  changed |= Change(FColor, source->FColor);
  changed |= Change(FStyle, source->FStyle);
  if (changed) Changed();
}
