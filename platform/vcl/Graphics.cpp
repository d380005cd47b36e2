// Fonts and canvases.
#include "Graphics.h"

IMPLEMENT_CLASS(TCanvas, TPersistent)
IMPLEMENT_CLASS(TControlCanvas, TCanvas)
IMPLEMENT_CLASS(TFont, TPersistent)

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
