// Standard controls: labels, single-line edits and push buttons with modal results and the
// default and cancel roles.
#pragma once

#include "Controls.h"

enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
DECLARE_ENUM_INFO(TTextLayout)

// The size Text takes in Font on one line, every character drawn ('&' too): "Wave Key" in
// the default font is 50 by 13 pixels, as on the real platform.
TPoint EstimateTextExtent(const TFont* Font, const String& Text);

// A caption drawn on the parent. With AutoSize (the default) the label takes its caption's
// size after every change of caption or font; a right-justified label keeps its right edge.
class TLabel : public TGraphicControl {
  DECLARE_CLASS(TLabel, TGraphicControl)
 public:
  explicit TLabel(TComponent* AOwner);
  void Destroy() override;

  bool GetAutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TTextLayout GetLayout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  bool GetShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool v);
  // The caption as it is shown: with ShowAccelChar, "&&" is one '&' and a single '&' only
  // marks the next character as the accelerator.
  String GetDisplayText() const;

  // Transparent: the parent shows through instead of the label's Color.
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool v);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);

  void Dispatch(TMessage& Message) override;

 protected:
  virtual void AdjustBounds();
  // A label read from a form stream takes its caption's size once everything is read.
  void Loaded() override;
  void Paint() override;
  // DrawText with the label's font and flags; a disabled label is embossed.
  void DoDrawText(TRect& Rect, UINT Flags);
  void FontChanged(TObject* Sender) override;

 private:
  bool FAutoSize = true;
  bool FTransparent = false;
  bool FWordWrap = false;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FShowAccelChar = true;
};

// A single-line edit in a sunken white field: text, a selection shown highlighted, and the
// system caret while focused. Typing replaces the selection or inserts at the caret, Backspace
// deletes before it, the arrow keys, Home and End move it. Assigning Text puts the caret at
// its end. Every change of Text, typed or assigned, fires OnChange; ReadOnly stops typing, not
// assignments.
class TEdit : public TWinControl {
  DECLARE_CLASS(TEdit, TWinControl)
 public:
  explicit TEdit(TComponent* AOwner);

  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  Integer GetSelStart() const { return FSelStart; }
  void SetSelStart(Integer v);
  Integer GetSelLength() const { return FSelLength; }
  void SetSelLength(Integer v);
  String GetSelText() const;
  void SelectAll();

  void SetText(const String& s) override;
  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  void CreateParams(TCreateParams& Params) override;
  void PaintWindow(HDC dc) override;

 private:
  void ReplaceSelection(const String& s);
  void PlaceCaret();
  Integer TextX(Integer chars);
  bool FReadOnly = false;
  Integer FSelStart = 0, FSelLength = 0;
};

// A push button. Click sets the parent form's ModalResult to the button's, even when that is
// mrNone, and then fires OnClick. Through the form's dialog keys, Escape clicks a Cancel
// button and Enter the active default: the focused button, or the Default button while the
// focus is on something that is not a button; its accelerator clicks it too.
class TButton : public TWinControl {
  DECLARE_CLASS(TButton, TWinControl)
 public:
  explicit TButton(TComponent* AOwner);

  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult v) { FModalResult = v; }
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool v) { FDefault = v; }
  bool GetCancel() const { return FCancel; }
  void SetCancel(bool v) { FCancel = v; }

  void Click() override;
  void Dispatch(TMessage& Message) override;

 protected:
  bool IsActiveDefault() const;
  void PaintWindow(HDC dc) override;
  // The face inside the frame: the caption (TBitBtn adds its glyph).
  virtual void PaintFace(TCanvas* Canvas, const TRect& Face, bool Pressed);
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool FPressed = false;   // drawn pushed in
  bool FTracking = false;  // the left button went down on it

 private:
  TModalResult FModalResult = mrNone;
  bool FDefault = false;
  bool FCancel = false;
};

enum TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };
DECLARE_ENUM_INFO(TCheckBoxState)

// A check box: the classic sunken box with its mark, the caption beside it and a focus
// rectangle around the caption while focused. A click or the space bar toggles it (through
// grayed when AllowGrayed) and fires OnClick.
class TCheckBox : public TWinControl {
  DECLARE_CLASS(TCheckBox, TWinControl)
 public:
  explicit TCheckBox(TComponent* AOwner);

  bool GetChecked() const { return FState == cbChecked; }
  virtual void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  TCheckBoxState GetState() const { return FState; }
  void SetState(TCheckBoxState v);
  bool GetAllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool v) { FAllowGrayed = v; }
  TAlignment GetAlignment() const { return FAlignment; }  // taRightJustify: caption right of the box
  void SetAlignment(TAlignment v);
  virtual void Toggle();

  void Dispatch(TMessage& Message) override;

 protected:
  void PaintWindow(HDC dc) override;

 private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TAlignment FAlignment = taRightJustify;
};

// Whether Key is the accelerator that a '&' marks in Caption (letters without regard to case).
bool IsAccel(Word Key, const String& Caption);

// Caption drawing shared by the buttons: centred text, embossed when disabled.
void DrawCaption(TCanvas* Canvas, const String& Caption, TRect Rect, UINT Flags, bool Enabled);
