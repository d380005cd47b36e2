// The file-name box.
#include "ZKFilenameBox.h"

#include "../vcl/Filer.h"

static const TPropInfo FilenameBoxProps[] = {
    PUBLISHED_SET(TZKFilenameBox, "DialogOptions", GetDialogOptions, SetDialogOptions, NoDefault),
    PUBLISHED_OBJECT(TZKFilenameBox, "EditFont", GetEditFont),
    PUBLISHED_ENUM(TZKFilenameBox, "Enabled", GetEnabled, SetEnabled, true),
    PUBLISHED_OBJECT(TZKFilenameBox, "Glyph", GetGlyph),
    PUBLISHED_ENUM(TZKFilenameBox, "Readonly", GetReadonly, SetReadonly, NoDefault),
    PUBLISHED_INT_FIELD(TZKFilenameBox, "TabOrder", TabOrder, -1),
    PUBLISHED_ENUM(TZKFilenameBox, "Visible", GetVisible, SetVisible, true),
};

IMPLEMENT_COMPONENT_CLASS_PROPS(TZKFilenameBox, TWinControl, FilenameBoxProps)

static const TClassRegistration ZKFilenameBoxClasses{TZKFilenameBox::StaticClass()};

TZKFilenameBox::TZKFilenameBox(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 209;
  FHeight = 21;
  FEditFont = new TFont();
  FEditFont->OnChange = MethodOf<&TZKFilenameBox::EditFontChanged>(this);
  FGlyph = new TBitmap();
  FGlyph->OnChange = MethodOf<&TZKFilenameBox::GlyphChanged>(this);
  FEdit = new TEdit(this);
  FEdit->SetParentFont(false);
  FEdit->SetParent(this);
  FButton = new TBitBtn(this);
  FButton->SetCaption("...");
  FButton->TabStop = false;
  FButton->OnClick = MethodOf<&TZKFilenameBox::ButtonClick>(this);
  FButton->SetParent(this);
  ArrangeControls();
}

void TZKFilenameBox::Destroy() {
  FreeAndNil(FEditFont);
  FreeAndNil(FGlyph);
  inherited::Destroy();
}

void TZKFilenameBox::EditFontChanged(TObject*) { FEdit->SetFont(FEditFont); }

void TZKFilenameBox::GlyphChanged(TObject*) {
  FButton->SetGlyph(FGlyph);
  FButton->SetNumGlyphs(1);
  FButton->SetCaption(FGlyph->Empty() ? "..." : "");
}

void TZKFilenameBox::SetDefault(const String& Extension) {
  FDefault = !Extension.empty() && Extension[0] == '.' ? Extension.substr(1) : Extension;
}

void TZKFilenameBox::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  ArrangeControls();
}

void TZKFilenameBox::ArrangeControls() {
  Integer button = FHeight < FWidth ? FHeight : FWidth;
  FEdit->SetBounds(0, 0, FWidth - button, FHeight);
  FButton->SetBounds(FWidth - button, 0, button, FHeight);
}

void TZKFilenameBox::ButtonClick(TObject*) { Browse(); }

bool TZKFilenameBox::Browse() {
  auto* dialog = new TOpenDialog(nullptr);
  bool chosen = false;
  try {
    const String name = GetFilename();
    dialog->SetFileName(name);
    dialog->SetInitialDir(ExtractFilePath(name));
    dialog->SetDefaultExt(FDefault);
    dialog->SetFilter(FFilter.empty() || FFilter.find('|') != String::npos ? FFilter : FFilter + "|" + FFilter);
    dialog->SetOptions(FDialogOptions);
    chosen = dialog->Execute();
    if (chosen) SetFilename(dialog->GetFileName());
  } catch (...) {
    dialog->Free();
    throw;
  }
  dialog->Free();
  return chosen;
}
