// Bitmap buttons (push buttons with a glyph and a kind that presets the caption, the modal
// result and the default and cancel roles) and speed buttons (graphic buttons with glyphs,
// groups and the flat look).
#pragma once

#include "StdCtrls.h"

enum TButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState : uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };

// Where a glyph and a caption go on a button face: the class library's layout rules for
// Layout, Margin (-1: centred) and Spacing (-1: equal gaps).
struct TButtonLayoutResult {
  TPoint GlyphPos;
  TRect TextBounds;
};
TButtonLayoutResult CalcButtonLayout(TCanvas* Canvas, const TRect& Client, TPoint Offset, const String& Caption,
                                     TButtonLayout Layout, Integer Margin, Integer Spacing, TPoint GlyphSize);
// Draws cell `State` of a glyph of NumGlyphs cells: the up cell for a down button without a
// down cell; a disabled button embosses a one-cell glyph and recolours its own disabled cell.
// The transparent colour is the cell's bottom-left pixel; it shows the face unless
// Transparent, when what is under the button shows through.
void DrawButtonGlyph(TCanvas* Canvas, TBitmap* Glyph, Integer NumGlyphs, TButtonState State, bool Transparent, TPoint Pos);
// The class library's module: its stock glyphs are resources of it.
HMODULE VclModule();

enum TBitBtnKind : uint8_t { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
DECLARE_ENUM_INFO(TBitBtnKind)

class TBitBtn : public TButton {
  DECLARE_CLASS(TBitBtn, TButton)
 public:
  explicit TBitBtn(TComponent* AOwner);
  void Destroy() override;

  // bkCustom once Default, Cancel, ModalResult or the glyph no longer match the kind set.
  TBitBtnKind GetKind() const;
  // Any kind but bkCustom sets Default, Cancel, the caption (while the form is loading only
  // when there is none yet), the modal result, the stock glyph and two glyph cells.
  void SetKind(TBitBtnKind v);
  // How many cells the glyph holds (up, disabled, down, stay-down), 1 to 4.
  Integer GetNumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(Integer v);
  // The picture beside the caption: the kind's stock glyph, or one given here or read from
  // a form (which makes the kind custom). Empty: the caption alone.
  TBitmap* GetGlyph() const { return FGlyph; }
  void SetGlyph(const TBitmap* v) { FGlyph->Assign(v); }

  // A bkClose button closes its form instead of clicking. A bkHelp button clicks as any
  // other: the stand-in has no help system to open.
  void Click() override;

 protected:
  void PaintFace(TCanvas* Canvas, const TRect& Face, bool Pressed) override;
  // A descendant's constructor that raised never reaches Destroy(): the glyph goes here then.
  ~TBitBtn() override;

 private:
  void GlyphChanged(TObject* Sender);
  TBitBtnKind FKind = bkCustom;
  Integer FNumGlyphs = 1;
  TBitmap* FGlyph;
  bool FModifiedGlyph = false;
  bool FLoadingStockGlyph = false;
};

// A graphic button: up, down, disabled and flat faces; glyph and caption placed by Layout,
// Margin and Spacing; buttons of one GroupIndex on one parent stay down one at a time
// (AllowAllUp lets the last one up), and a button of group 0 never stays down.
class TSpeedButton : public TGraphicControl {
  DECLARE_CLASS(TSpeedButton, TGraphicControl)
 public:
  explicit TSpeedButton(TComponent* AOwner);
  void Destroy() override;

  TBitmap* GetGlyph() const { return FGlyph; }
  // Takes a copy; a glyph whose width is a multiple of its height sets NumGlyphs (up to 4).
  void SetGlyph(const TBitmap* glyph);
  Integer GetNumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(Integer v);
  Integer GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer v);
  bool GetDown() const { return FDown; }
  void SetDown(bool v);
  bool GetAllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool v);
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool v);
  TButtonLayout GetLayout() const { return FLayout; }
  void SetLayout(TButtonLayout v);
  Integer GetMargin() const { return FMargin; }
  void SetMargin(Integer v);
  Integer GetSpacing() const { return FSpacing; }
  void SetSpacing(Integer v);
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool v);
  TButtonState GetState() const { return FState; }
  bool GetMouseInControl() const { return FMouseInControl; }

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

 private:
  void UpdateExclusive();
  bool Inside(Integer X, Integer Y) const;
  TBitmap* FGlyph;
  Integer FNumGlyphs = 1;
  Integer FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FFlat = false;
  TButtonLayout FLayout = blGlyphLeft;
  Integer FMargin = -1;
  Integer FSpacing = 4;
  bool FTransparent = true;
  TButtonState FState = bsUp;
  bool FDragging = false;
  bool FMouseInControl = false;
};
