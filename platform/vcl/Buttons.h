// Bitmap buttons: push buttons with a glyph and a kind that presets the caption, the modal
// result and the default and cancel roles.
#pragma once

#include "StdCtrls.h"

enum TBitBtnKind : uint8_t { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
DECLARE_ENUM_INFO(TBitBtnKind)

// A button's picture. Bitmaps are not drawn yet, so the glyph keeps what identifies the
// picture: the resource name of a stock glyph, or the bitmap file a form stored.
struct TButtonGlyph {
  String ResName;
  String Bitmap;
  bool Empty() const { return ResName.empty() && Bitmap.empty(); }
  friend bool operator==(const TButtonGlyph&, const TButtonGlyph&) = default;
};

class TBitBtn : public TButton {
  DECLARE_CLASS(TBitBtn, TButton)
 public:
  explicit TBitBtn(TComponent* AOwner) : TButton(AOwner) {}

  // bkCustom once Default, Cancel, ModalResult or the glyph no longer match the kind set.
  TBitBtnKind GetKind() const;
  // Any kind but bkCustom sets Default, Cancel, the caption (while the form is loading only
  // when there is none yet), the modal result, the stock glyph and two glyph cells.
  void SetKind(TBitBtnKind v);
  // How many cells the glyph holds (up, disabled, down, stay-down), 1 to 4.
  Integer GetNumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(Integer v);
  const TButtonGlyph& GetGlyph() const { return FGlyph; }
  void SetGlyph(const TButtonGlyph& v);

  // A bkClose button closes its form instead of clicking. A bkHelp button clicks as any
  // other: the stand-in has no help system to open.
  void Click() override;

 private:
  TBitBtnKind FKind = bkCustom;
  Integer FNumGlyphs = 1;
  TButtonGlyph FGlyph;
  bool FModifiedGlyph = false;
};
