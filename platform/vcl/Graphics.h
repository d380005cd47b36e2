// Canvases over device contexts; the drawing operations grow with the controls that use them.
#pragma once

#include "Classes.h"

using TColor = int32_t;
constexpr TColor clBlack = 0x000000, clWhite = 0xFFFFFF, clRed = 0x0000FF, clBlue = 0xFF0000;
constexpr TColor clBtnFace = static_cast<TColor>(0x8000000F);
constexpr TColor clWindow = static_cast<TColor>(0x80000005);
constexpr TColor clWindowText = static_cast<TColor>(0x80000008);

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
DECLARE_ENUM_INFO(TFontStyle)
using TFontStyles = TSet<TFontStyle>;
using TFontCharset = uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1;
// The names form files use for colours (clBtnFace) and character sets (DEFAULT_CHARSET).
extern const TTypeInfo TColor_TypeInfo;
extern const TTypeInfo TFontCharset_TypeInfo;

// A font as a control asks for it; the defaults are the class library's ("MS Sans Serif",
// Height -11, i.e. 8 points at 96 pixels per inch). Nothing draws with it yet.
class TFont : public TPersistent {
  DECLARE_CLASS(TFont, TPersistent)
 public:
  const String& GetName() const { return FName; }
  void SetName(const String& v);
  // Negative: the character height in pixels; positive: the cell height, leading included.
  Integer GetHeight() const { return FHeight; }
  void SetHeight(Integer v);
  TFontCharset GetCharset() const { return FCharset; }
  void SetCharset(TFontCharset v);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  TFontStyles GetStyle() const { return FStyle; }
  void SetStyle(TFontStyles v);
  // Copies every attribute; OnChange fires once, and only when something differed.
  void Assign(const TFont* source);

  TNotifyEvent OnChange;

 private:
  void Changed();
  String FName = "MS Sans Serif";
  Integer FHeight = -11;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
};

class TCanvas : public TPersistent {
  DECLARE_CLASS(TCanvas, TPersistent)
 public:
  HDC GetHandle() const { return FHandle; }
  virtual void SetHandle(HDC dc) { FHandle = dc; }
  bool HandleAllocated() const { return FHandle != 0; }

 protected:
  HDC FHandle = 0;
};

class TControl;

// A canvas for a control's device context. Created without a control it draws on whatever
// device context it is given.
class TControlCanvas : public TCanvas {
  DECLARE_CLASS(TControlCanvas, TCanvas)
 public:
  TControl* GetControl() const { return FControl; }
  void SetControl(TControl* c) { FControl = c; }

 private:
  TControl* FControl = nullptr;
};
