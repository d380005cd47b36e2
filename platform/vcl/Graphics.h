// Fonts, pens, brushes and canvases over device contexts, and the pictures drawn on them
// (bitmaps and icons).
#pragma once

#include "Classes.h"
#include "Streams.h"

using TColor = int32_t;
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080;
constexpr TColor clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;
// System colours: the index with the high bit, resolved through GetSysColor.
constexpr TColor SysColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index)); }
constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR), clBackground = SysColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION), clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SysColor(COLOR_MENU), clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME), clMenuText = SysColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT), clCaptionText = SysColor(COLOR_CAPTIONTEXT);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT), clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE), clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT), clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT), cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT), clInfoText = SysColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SysColor(COLOR_INFOBK), clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
// A colour as the screen shows it: system colours (high byte 0x80 or 0xFF) through GetSysColor.
COLORREF ColorToRGB(TColor color);

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
DECLARE_ENUM_INFO(TFontStyle)
using TFontStyles = TSet<TFontStyle>;
using TFontCharset = uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1;
// The names form files use for colours (clBtnFace) and character sets (DEFAULT_CHARSET).
extern const TTypeInfo TColor_TypeInfo;
extern const TTypeInfo TFontCharset_TypeInfo;

// Something with a window-system handle made on demand and remade after a change.
class TGraphicsObject : public TPersistent {
  DECLARE_CLASS(TGraphicsObject, TPersistent)
 public:
  void Destroy() override;
  TNotifyEvent OnChange;

 protected:
  void Changed();
  void DropHandle();
  HGDIOBJ FHandle = 0;
};

// A font as a control asks for it; the defaults are the class library's ("MS Sans Serif",
// Height -11, i.e. 8 points at 96 pixels per inch).
class TFont : public TGraphicsObject {
  DECLARE_CLASS(TFont, TGraphicsObject)
 public:
  const String& GetName() const { return FName; }
  void SetName(const String& v);
  // Negative: the character height in pixels; positive: the cell height, leading included.
  Integer GetHeight() const { return FHeight; }
  void SetHeight(Integer v);
  Integer GetSize() const;  // points at 96 pixels per inch
  void SetSize(Integer points);
  TFontCharset GetCharset() const { return FCharset; }
  void SetCharset(TFontCharset v);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  TFontStyles GetStyle() const { return FStyle; }
  void SetStyle(TFontStyles v);
  // Copies every attribute; OnChange fires once, and only when something differed.
  void Assign(const TFont* source);
  // The font's HFONT, made when first asked for.
  HFONT GetHandle();

 private:
  String FName = "MS Sans Serif";
  Integer FHeight = -11;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
};

enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// In declaration order these are the ROP2 codes 1 … 16 reordered as the class library has them.
enum TPenMode : uint8_t {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
int PenModeToRop2(TPenMode mode);

class TPen : public TGraphicsObject {
  DECLARE_CLASS(TPen, TGraphicsObject)
 public:
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  Integer GetWidth() const { return FWidth; }
  void SetWidth(Integer v);
  TPenStyle GetStyle() const { return FStyle; }
  void SetStyle(TPenStyle v);
  TPenMode GetMode() const { return FMode; }
  void SetMode(TPenMode v);
  void Assign(const TPen* source);
  HPEN GetHandle();

 private:
  TColor FColor = clBlack;
  Integer FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

enum TBrushStyle : uint8_t { bsSolid, bsClear };

class TBrush : public TGraphicsObject {
  DECLARE_CLASS(TBrush, TGraphicsObject)
 public:
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  TBrushStyle GetStyle() const { return FStyle; }
  void SetStyle(TBrushStyle v);
  void Assign(const TBrush* source);
  HBRUSH GetHandle();

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

class TCanvas;

// A picture that draws itself on a canvas.
class TGraphic : public TPersistent {
  DECLARE_CLASS(TGraphic, TPersistent)
 public:
  virtual Integer GetWidth() const = 0;
  virtual Integer GetHeight() const = 0;
  virtual bool Empty() const = 0;
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool v) { FTransparent = v; }
  TNotifyEvent OnChange;

 protected:
  bool FTransparent = false;
};

class TCanvas : public TPersistent {
  DECLARE_CLASS(TCanvas, TPersistent)
 public:
  TCanvas();
  void Destroy() override;

  HDC GetHandle();  // the context, made on demand by canvases that know how
  virtual void SetHandle(HDC dc);
  bool HandleAllocated() const { return FHandle != 0; }

  TFont* GetFont() const { return FFont; }
  TPen* GetPen() const { return FPen; }
  TBrush* GetBrush() const { return FBrush; }
  TPoint GetPenPos() const { return FPenPos; }
  void SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }

  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void MoveTo(Integer x, Integer y);
  void LineTo(Integer x, Integer y);
  void Polyline(const std::vector<TPoint>& points);
  void DrawFocusRect(const TRect& r);
  void TextOut(Integer x, Integer y, const String& text);
  // Text clipped to the rectangle, drawn at (x, y), the rectangle filled unless the brush is clear.
  void TextRect(const TRect& r, Integer x, Integer y, const String& text);
  Integer TextWidth(const String& text);
  Integer TextHeight(const String& text);
  TPoint TextExtent(const String& text);
  void Draw(Integer x, Integer y, TGraphic* graphic);
  void StretchDraw(const TRect& r, TGraphic* graphic);
  // Copies a part of another canvas with CopyMode (SRCCOPY by default).
  void CopyRect(const TRect& dest, TCanvas* source, const TRect& src);
  DWORD CopyMode = SRCCOPY;
  TColor GetPixel(Integer x, Integer y);
  void SetPixel(Integer x, Integer y, TColor c);
  // Forgets the selected objects, so the next drawing selects them again.
  void Refresh();

  TNotifyEvent OnChange;

 protected:
  virtual void CreateHandle() {}
  // Selects the canvas's current font, pen and brush into the context before drawing.
  enum TState : uint8_t { csHandleValid, csFontValid, csPenValid, csBrushValid };
  void RequiredState(TSet<TState> state);
  void DeselectHandles();
  void ObjectChanged(TObject* Sender);
  HDC FHandle = 0;
  TFont* FFont;
  TPen* FPen;
  TBrush* FBrush;
  TPoint FPenPos;
  TSet<TState> FState;
};

class TControl;

// A canvas for a control's device context, got when first drawn on: a windowed control's own
// window, a graphic control's parent window moved to the control's place and clipped to it.
class TControlCanvas : public TCanvas {
  DECLARE_CLASS(TControlCanvas, TCanvas)
 public:
  void Destroy() override;
  TControl* GetControl() const { return FControl; }
  void SetControl(TControl* c);
  // Gives the context back (after each message, as the class library does).
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl = nullptr;
  HWND FDeviceWindow = 0;  // the window whose context this canvas got itself
};

// A canvas on its own memory context, for bitmaps.
class TBitmapCanvas : public TCanvas {
  DECLARE_CLASS(TBitmapCanvas, TCanvas)
 public:
  void Destroy() override;
  void Attach(HBITMAP bitmap);

 protected:
  void CreateHandle() override;

 private:
  HBITMAP FBitmap = 0;
  HGDIOBJ FOldBitmap = 0;
};

enum TTransparentMode : uint8_t { tmAuto, tmFixed };

// A bitmap: read from Windows BMP files (1, 4, 8 and 24 bits) or named resources, drawn
// opaque or with one colour left out.
class TBitmap : public TGraphic {
  DECLARE_CLASS(TBitmap, TGraphic)
 public:
  void Destroy() override;
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  void SetWidth(Integer w) { SetSize(w, GetHeight()); }
  void SetHeight(Integer h) { SetSize(GetWidth(), h); }
  void SetSize(Integer w, Integer h);
  bool Empty() const override { return FHandle == 0; }
  bool GetMonochrome() const;
  HBITMAP GetHandle() const { return FHandle; }
  // Takes over a bitmap handle (null releases the current one).
  void SetHandle(HBITMAP h);
  HBITMAP ReleaseHandle();
  // Raises EInvalidGraphic when the file is missing or not a bitmap.
  void LoadFromFile(const String& path);
  // A bitmap file from the stream's position to its end; raises EInvalidGraphic for one
  // that is not a bitmap.
  void LoadFromStream(TStream* Stream);
  // Writes the picture as a bitmap file: 1 bit per pixel for a monochrome bitmap, else 24.
  void SaveToStream(TStream* Stream);
  // Form files keep a bitmap as "Data": a 32-bit length, then the bitmap file.
  void DefineProperties(TFiler* Filer) override;
  // Raises EResNotFound when the module has no such bitmap.
  void LoadFromResourceName(HMODULE module, const String& name);
  void Assign(const TBitmap* source);
  TCanvas* GetCanvas();
  // Automatic mode: the bottom-left pixel's colour.
  TColor GetTransparentColor() const;
  void SetTransparentColor(TColor c);
  TTransparentMode GetTransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode m) { FTransparentMode = m; }
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  void Changed();
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);
  HBITMAP FHandle = 0;
  TBitmapCanvas* FCanvas = nullptr;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clDefault;
};

class TIcon : public TGraphic {
  DECLARE_CLASS(TIcon, TGraphic)
 public:
  void Destroy() override;
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  bool Empty() const override { return FHandle == 0; }
  HICON GetHandle() const { return FHandle; }
  void SetHandle(HICON h);
  // Takes a copy of the other icon's picture (none when it is empty or null).
  void Assign(const TIcon* source);
  void LoadFromFile(const String& path);
  void LoadFromResourceName(HMODULE module, const String& name);
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  HICON FHandle = 0;
  Integer FWidth = 0, FHeight = 0;
};

DECLARE_EXCEPTION(EInvalidGraphic, Exception)


// A screen context with the font selected: what text measuring outside painting uses.
TPoint MeasureText(TFont* Font, const String& Text, UINT Format = DT_SINGLELINE | DT_CALCRECT, Integer Width = 0);
