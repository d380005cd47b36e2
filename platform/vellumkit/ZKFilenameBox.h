// TZKFilenameBox, the file-name box: an edit holding a file name and a browse button that
// picks the name in a file-open dialog.
#pragma once

#include "../vcl/Buttons.h"
#include "../vcl/Dialogs.h"
#include "../vcl/StdCtrls.h"

// The edit fills the box but for the browse button, a square at its right end. The edit and
// the button are the box's own components, not its owner's. The box itself takes no focus:
// its place in the tab order is its edit's.
class TZKFilenameBox : public TWinControl {
  DECLARE_CLASS(TZKFilenameBox, TWinControl)
 public:
  explicit TZKFilenameBox(TComponent* AOwner);
  void Destroy() override;

  // The name in the edit.
  virtual void SetFilename(const String& Name) { FEdit->SetText(Name); }
  String GetFilename() const { return FEdit->GetText(); }
  // The dialog's default extension, without the dot ("wav"); a leading dot is dropped.
  virtual void SetDefault(const String& Extension);
  const String& GetDefault() const { return FDefault; }
  // The dialog's filter: "Description|pattern" pairs, or a bare pattern ("*.wav"), which
  // becomes one pair described by the pattern itself.
  virtual void SetFilter(const String& Filter) { FFilter = Filter; }
  const String& GetFilter() const { return FFilter; }
  // A read-only box takes no typing; the browse button still sets the name.
  bool GetReadonly() const { return FEdit->GetReadOnly(); }
  void SetReadonly(bool v) { FEdit->SetReadOnly(v); }
  TOpenOptions GetDialogOptions() const { return FDialogOptions; }
  void SetDialogOptions(TOpenOptions v) { FDialogOptions = v; }
  // The edit's font.
  TFont* GetEditFont() const { return FEditFont; }
  void SetEditFont(const TFont* font) { FEditFont->Assign(font); }
  // The browse button's picture; without one the button shows "...".
  TBitmap* GetGlyph() const { return FGlyph; }
  void SetGlyph(const TBitmap* glyph) { FGlyph->Assign(glyph); }

  TEdit* GetEdit() const { return FEdit; }
  TBitBtn* GetButton() const { return FButton; }

  // What the browse button does: opens the file dialog on the current name with the box's
  // settings and, when a file is chosen, puts its name into the edit. True when one was.
  bool Browse();

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

 private:
  void ButtonClick(TObject* Sender);
  void EditFontChanged(TObject* Sender);
  void GlyphChanged(TObject* Sender);
  void ArrangeControls();
  TEdit* FEdit;
  TBitBtn* FButton;
  TFont* FEditFont;
  TBitmap* FGlyph;
  String FDefault;
  String FFilter;
  TOpenOptions FDialogOptions{ofHideReadOnly, ofEnableSizing};
};
