// Standard controls: labels, single-line edits and push buttons with modal results and the
// default and cancel roles.
#pragma once

#include "Controls.h"

enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
DECLARE_ENUM_INFO(TTextLayout)

// The size Text takes in Font. Canvases do not measure real fonts yet, so this uses one
// average width per character and the font's text height: 6 by 13 pixels for the default
// font. Callers that size themselves to their text go through it, so they all change
// together when real measuring arrives.
TPoint EstimateTextExtent(const TFont* Font, const String& Text);

// A caption drawn on the parent. With AutoSize (the default) the label takes its caption's
// size after every change of caption or font; a right-justified label keeps its right edge.
class TLabel : public TGraphicControl {
  DECLARE_CLASS(TLabel, TGraphicControl)
 public:
  explicit TLabel(TComponent* AOwner);
  void Destroy() override;

  TFont* GetFont() const { return FFont; }
  void SetFont(const TFont* font) { FFont->Assign(font); }
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

  void Dispatch(TMessage& Message) override;

 protected:
  virtual void AdjustBounds();
  // A label read from a form stream takes its caption's size once everything is read.
  void Loaded() override;

 private:
  void FontChanged(TObject* Sender);
  TFont* FFont;
  bool FAutoSize = true;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FShowAccelChar = true;
};

// A single-line edit. Typing appends at the end and Backspace removes the last character (the
// stand-in keeps no caret or selection); every change of Text, typed or assigned, fires
// OnChange. ReadOnly stops typing, not assignments.
class TEdit : public TWinControl {
  DECLARE_CLASS(TEdit, TWinControl)
 public:
  explicit TEdit(TComponent* AOwner);

  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }

  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnChange;

 protected:
  virtual void Change();

 private:
  bool FReadOnly = false;
};

// A push button. Click sets the parent form's ModalResult to the button's, even when that is
// mrNone, and then fires OnClick. Through the form's dialog keys, Escape clicks a Cancel
// button and Enter the active default: the focused button, or the Default button while the
// focus is on something that is not a button.
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

 private:
  TModalResult FModalResult = mrNone;
  bool FDefault = false;
  bool FCancel = false;
};
