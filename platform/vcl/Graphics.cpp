// Fonts, pens, brushes, canvases, bitmaps and icons.
#include "Graphics.h"

#include <algorithm>
#include <cstring>

#include "Controls.h"
#include "Filer.h"

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

IMPLEMENT_CLASS(TGraphicsObject, TPersistent)
IMPLEMENT_CLASS_PROPS(TFont, TGraphicsObject, FontProps)
IMPLEMENT_CLASS(TPen, TGraphicsObject)
IMPLEMENT_CLASS(TBrush, TGraphicsObject)
IMPLEMENT_CLASS(TGraphic, TPersistent)
IMPLEMENT_CLASS(TCanvas, TPersistent)
IMPLEMENT_CLASS(TControlCanvas, TCanvas)
IMPLEMENT_CLASS(TBitmapCanvas, TCanvas)
IMPLEMENT_CLASS(TBitmap, TGraphic)
IMPLEMENT_CLASS(TIcon, TGraphic)


namespace {
template <class T>
bool Change(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}
}  // namespace

COLORREF ColorToRGB(TColor color) {
  const uint32_t c = static_cast<uint32_t>(color);
  // Both the old (0x80) and the newer (0xFF) high byte mark a system colour.
  if ((c & 0xFF000000u) == 0x80000000u || (c & 0xFF000000u) == 0xFF000000u) return GetSysColor(static_cast<int>(c & 0xFF));
  return c & 0x00FFFFFF;
}

int PenModeToRop2(TPenMode mode) {
  static const int kRop2[] = {R2_BLACK,       R2_WHITE,       R2_NOP,       R2_NOT,         R2_COPYPEN,    R2_NOTCOPYPEN,
                              R2_MERGEPENNOT, R2_MASKPENNOT,  R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,   R2_NOTMERGEPEN,
                              R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN,    R2_NOTXORPEN};
  return kRop2[mode];
}

// ---- graphics objects --------------------------------------------------------------------

void TGraphicsObject::Destroy() {
  DropHandle();
  inherited::Destroy();
}

void TGraphicsObject::DropHandle() {
  // Canvases deselect before the handle goes (through OnChange), so it is never selected here.
  if (FHandle) DeleteObject(FHandle);
  FHandle = 0;
}

// Listeners see the object without a handle (the next use makes a new one); the old handle
// goes only after they let go of it, a canvas deselecting it first.
void TGraphicsObject::Changed() {
  HGDIOBJ old = FHandle;
  FHandle = 0;
  if (OnChange) OnChange(this);
  if (old) DeleteObject(old);
}

void TFont::SetName(const String& v) {
  if (Change(FName, v)) Changed();
}
void TFont::SetHeight(Integer v) {
  if (Change(FHeight, v)) Changed();
}
Integer TFont::GetSize() const { return -(FHeight * 72 - 48) / 96; }
void TFont::SetSize(Integer points) { SetHeight(-(points * 96 + 36) / 72); }
void TFont::SetCharset(TFontCharset v) {
  if (Change(FCharset, v)) Changed();
}
void TFont::SetColor(TColor v) {
  // The colour is not part of the handle: nothing to remake.
  if (Change(FColor, v) && OnChange) OnChange(this);
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

HFONT TFont::GetHandle() {
  if (!FHandle) {
    LOGFONTA lf;
    lf.lfHeight = FHeight;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic);
    lf.lfUnderline = FStyle.Contains(fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    lf.lfCharSet = FCharset;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", FName.c_str());
    FHandle = CreateFontIndirectA(&lf);
  }
  return FHandle;
}

void TPen::SetColor(TColor v) {
  if (Change(FColor, v)) Changed();
}
void TPen::SetWidth(Integer v) {
  if (Change(FWidth, v < 1 ? 1 : v)) Changed();
}
void TPen::SetStyle(TPenStyle v) {
  if (Change(FStyle, v)) Changed();
}
void TPen::SetMode(TPenMode v) {
  // The mode is the context's, not the pen's: nothing to remake.
  if (Change(FMode, v) && OnChange) OnChange(this);
}
void TPen::Assign(const TPen* source) {
  if (!source || source == this) return;
  bool changed = Change(FColor, source->FColor);
  changed |= Change(FWidth, source->FWidth);
  changed |= Change(FStyle, source->FStyle);
  changed |= Change(FMode, source->FMode);
  if (changed) Changed();
}
HPEN TPen::GetHandle() {
  if (!FHandle) FHandle = CreatePen(static_cast<int>(FStyle), FWidth, ColorToRGB(FColor));
  return FHandle;
}

void TBrush::SetColor(TColor v) {
  // A colour makes a clear brush solid again, as in the class library.
  bool changed = Change(FColor, v);
  if (FStyle == bsClear && changed) FStyle = bsSolid;
  if (changed) Changed();
}
void TBrush::SetStyle(TBrushStyle v) {
  if (Change(FStyle, v)) Changed();
}
void TBrush::Assign(const TBrush* source) {
  if (!source || source == this) return;
  bool changed = Change(FColor, source->FColor);
  changed |= Change(FStyle, source->FStyle);
  if (changed) Changed();
}
HBRUSH TBrush::GetHandle() {
  if (!FHandle) {
    LOGBRUSH lb;
    lb.lbStyle = FStyle == bsClear ? BS_NULL : BS_SOLID;
    lb.lbColor = ColorToRGB(FColor);
    FHandle = CreateBrushIndirect(&lb);
  }
  return FHandle;
}

// ---- TCanvas -----------------------------------------------------------------------------

TCanvas::TCanvas() : FFont(new TFont()), FPen(new TPen()), FBrush(new TBrush()) {
  FFont->OnChange = MethodOf<&TCanvas::ObjectChanged>(this);
  FPen->OnChange = MethodOf<&TCanvas::ObjectChanged>(this);
  FBrush->OnChange = MethodOf<&TCanvas::ObjectChanged>(this);
}

void TCanvas::Destroy() {
  SetHandle(0);
  FreeAndNil(FFont);
  FreeAndNil(FPen);
  FreeAndNil(FBrush);
  inherited::Destroy();
}

// A changed object is deselected first: its handle is about to be deleted and remade.
void TCanvas::ObjectChanged(TObject* Sender) {
  if (!FHandle) return;
  if (Sender == FFont && FState.Contains(csFontValid)) {
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
    FState.Exclude(csFontValid);
  } else if (Sender == FPen && FState.Contains(csPenValid)) {
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
    FState.Exclude(csPenValid);
  } else if (Sender == FBrush && FState.Contains(csBrushValid)) {
    SelectObject(FHandle, GetStockObject(WHITE_BRUSH));
    FState.Exclude(csBrushValid);
  }
}

void TCanvas::DeselectHandles() {
  if (!FHandle) return;
  if (FState.Contains(csFontValid)) SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  if (FState.Contains(csPenValid)) SelectObject(FHandle, GetStockObject(BLACK_PEN));
  if (FState.Contains(csBrushValid)) SelectObject(FHandle, GetStockObject(WHITE_BRUSH));
  FState = {};
}

HDC TCanvas::GetHandle() {
  if (!FHandle) CreateHandle();
  return FHandle;
}

void TCanvas::SetHandle(HDC dc) {
  if (FHandle == dc) return;
  DeselectHandles();
  FHandle = dc;
  FState = {};
  if (dc) FState.Include(csHandleValid);
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::RequiredState(TSet<TState> state) {
  if (!FHandle) CreateHandle();
  if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
  if (state.Contains(csFontValid)) {
    if (!FState.Contains(csFontValid)) {
      SelectObject(FHandle, FFont->GetHandle());
      FState.Include(csFontValid);
    }
    SetTextColor(FHandle, ColorToRGB(FFont->GetColor()));
  }
  if (state.Contains(csPenValid)) {
    if (!FState.Contains(csPenValid)) {
      SelectObject(FHandle, FPen->GetHandle());
      FState.Include(csPenValid);
    }
    SetROP2(FHandle, PenModeToRop2(FPen->GetMode()));
  }
  if (state.Contains(csBrushValid)) {
    if (!FState.Contains(csBrushValid)) {
      SelectObject(FHandle, FBrush->GetHandle());
      FState.Include(csBrushValid);
    }
    SetBkColor(FHandle, ColorToRGB(FBrush->GetColor()));
    SetBkMode(FHandle, FBrush->GetStyle() == bsClear ? TRANSPARENT : OPAQUE);
  }
}

void TCanvas::FillRect(const TRect& r) {
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(FHandle, &r, FBrush->GetHandle());
}

void TCanvas::FrameRect(const TRect& r) {
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(FHandle, &r, FBrush->GetHandle());
}

void TCanvas::Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, x1, y1, x2, y2);
}

void TCanvas::MoveTo(Integer x, Integer y) {
  RequiredState({csHandleValid});
  MoveToEx(FHandle, x, y, nullptr);
  FPenPos = {x, y};
}

void TCanvas::LineTo(Integer x, Integer y) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, x, y);
  FPenPos = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(FHandle, points.data(), static_cast<int>(points.size()));
}

void TCanvas::DrawFocusRect(const TRect& r) {
  RequiredState({csHandleValid, csBrushValid});
  ::DrawFocusRect(FHandle, &r);
}

void TCanvas::TextOut(Integer x, Integer y, const String& text) {
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  ExtTextOutA(FHandle, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  MoveTo(x + TextWidth(text), y);
}

void TCanvas::TextRect(const TRect& r, Integer x, Integer y, const String& text) {
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED | (FBrush->GetStyle() != bsClear ? ETO_OPAQUE : 0);
  ExtTextOutA(FHandle, x, y, options, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

TPoint TCanvas::TextExtent(const String& text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE size;
  GetTextExtentPoint32A(FHandle, text.c_str(), static_cast<int>(text.size()), &size);
  return {size.cx, size.cy};
}

Integer TCanvas::TextWidth(const String& text) { return TextExtent(text).X; }
Integer TCanvas::TextHeight(const String& text) { return TextExtent(text).Y; }

void TCanvas::Draw(Integer x, Integer y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  graphic->Draw(this, {x, y, x + graphic->GetWidth(), y + graphic->GetHeight()});
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (graphic && !graphic->Empty()) graphic->Draw(this, r);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& src) {
  if (!source) return;
  RequiredState({csHandleValid, csBrushValid});
  HDC from = source->GetHandle();
  StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), from, src.Left, src.Top, src.Width(), src.Height(),
             CopyMode);
}

TColor TCanvas::GetPixel(Integer x, Integer y) {
  RequiredState({csHandleValid});
  return static_cast<TColor>(::GetPixel(FHandle, x, y));
}

void TCanvas::SetPixel(Integer x, Integer y, TColor c) {
  RequiredState({csHandleValid});
  ::SetPixel(FHandle, x, y, ColorToRGB(c));
}

// ---- TControlCanvas ----------------------------------------------------------------------

namespace {
// Canvases holding a context of their own, given back together after each message.
std::vector<TControlCanvas*>& CanvasList() {
  static std::vector<TControlCanvas*> list;
  return list;
}
}  // namespace

void FreeDeviceContexts() {
  while (!CanvasList().empty()) CanvasList().back()->FreeHandle();
}

void TControlCanvas::Destroy() {
  FreeHandle();
  inherited::Destroy();
}

void TControlCanvas::SetControl(TControl* c) {
  if (FControl == c) return;
  FreeHandle();
  FControl = c;
}

void TControlCanvas::FreeHandle() {
  if (!FDeviceWindow) return;
  auto& list = CanvasList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  HDC dc = FHandle;
  SetHandle(0);
  ReleaseDC(FDeviceWindow, dc);
  FDeviceWindow = 0;
}

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  HWND window;
  TPoint offset{0, 0};
  if (auto* wc = As<TWinControl>(FControl)) {
    window = wc->GetHandle();
  } else {
    TWinControl* parent = FControl->GetParent();
    if (!parent) throw EInvalidOperation(Format("Control '%s' has no parent window", FControl->GetName().c_str()));
    window = parent->GetHandle();
    offset = {FControl->GetLeft(), FControl->GetTop()};
  }
  HDC dc = GetDC(window);
  if (!dc) return;
  if (offset.X || offset.Y) SetViewportOrgEx(dc, offset.X, offset.Y, nullptr);
  if (!As<TWinControl>(FControl)) IntersectClipRect(dc, 0, 0, FControl->GetWidth(), FControl->GetHeight());
  FDeviceWindow = window;
  SetHandle(dc);
  CanvasList().push_back(this);
}

// ---- bitmaps -----------------------------------------------------------------------------

void TBitmapCanvas::Destroy() {
  Attach(0);
  inherited::Destroy();
}

void TBitmapCanvas::Attach(HBITMAP bitmap) {
  if (FHandle) {
    HDC dc = FHandle;
    SetHandle(0);
    SelectObject(dc, FOldBitmap);
    DeleteDC(dc);
  }
  FBitmap = bitmap;
}

void TBitmapCanvas::CreateHandle() {
  if (!FBitmap) return;
  HDC dc = CreateCompatibleDC(0);
  FOldBitmap = SelectObject(dc, FBitmap);
  SetHandle(dc);
}

void TBitmap::Destroy() {
  // Going away is no change anyone is told of.
  OnChange = nullptr;
  FreeAndNil(FCanvas);
  SetHandle(0);
  inherited::Destroy();
}

namespace {
BITMAP InfoOf(HBITMAP h) {
  BITMAP bm;
  if (h) GetObjectA(h, sizeof bm, &bm);
  return bm;
}
}  // namespace

Integer TBitmap::GetWidth() const { return InfoOf(FHandle).bmWidth; }
Integer TBitmap::GetHeight() const { return InfoOf(FHandle).bmHeight; }
bool TBitmap::GetMonochrome() const { return FHandle && InfoOf(FHandle).bmBitsPixel == 1; }

void TBitmap::Changed() {
  if (OnChange) OnChange(this);
}

void TBitmap::SetHandle(HBITMAP h) {
  if (FCanvas) FCanvas->Attach(0);
  if (FHandle && FHandle != h) DeleteObject(FHandle);
  FHandle = h;
  if (FCanvas) FCanvas->Attach(h);
  Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
  if (FCanvas) FCanvas->Attach(0);
  HBITMAP h = FHandle;
  FHandle = 0;
  return h;
}

void TBitmap::SetSize(Integer w, Integer h) {
  HDC screen = GetDC(0);
  HBITMAP bm = CreateCompatibleBitmap(screen, w, h);
  ReleaseDC(0, screen);
  // What was there is kept where the sizes overlap.
  if (FCanvas) FCanvas->Attach(0);
  if (FHandle) {
    HDC src = CreateCompatibleDC(0), dst = CreateCompatibleDC(0);
    HGDIOBJ os = SelectObject(src, FHandle), od = SelectObject(dst, bm);
    BitBlt(dst, 0, 0, w, h, src, 0, 0, SRCCOPY);
    SelectObject(src, os);
    SelectObject(dst, od);
    DeleteDC(src);
    DeleteDC(dst);
  }
  SetHandle(bm);
}

void TBitmap::LoadFromFile(const String& path) {
  HBITMAP h = static_cast<HBITMAP>(LoadImageA(0, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  if (!h) throw EInvalidGraphic(Format("Bitmap image is not valid: %s", path.c_str()));
  SetHandle(h);
}

void TBitmap::LoadFromStream(TStream* Stream) {
  const Int64 size = Stream->GetSize() - Stream->GetPosition();
  if (size < 0 || size > INT32_MAX) throw EInvalidGraphic("Bitmap image is not valid");
  String data(static_cast<size_t>(size), '\0');
  Stream->ReadBuffer(data.data(), static_cast<Integer>(size));
  HBITMAP h = LoadBitmapFromMemory(data.data(), data.size());
  if (!h) throw EInvalidGraphic("Bitmap image is not valid");
  SetHandle(h);
}

namespace {
void PutLE(String& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
}  // namespace

void TBitmap::SaveToStream(TStream* Stream) {
  const Integer w = GetWidth(), h = GetHeight();
  const bool mono = GetMonochrome();
  const uint32_t rowSize = mono ? (static_cast<uint32_t>(w) + 31) / 32 * 4 : (static_cast<uint32_t>(w) * 3 + 3) / 4 * 4;
  const uint32_t offset = 14 + 40 + (mono ? 8 : 0), imageSize = rowSize * static_cast<uint32_t>(h);
  String out = "BM";
  PutLE(out, offset + imageSize, 4);
  PutLE(out, 0, 4);
  PutLE(out, offset, 4);
  for (uint32_t v : {40u, static_cast<uint32_t>(w), static_cast<uint32_t>(h)}) PutLE(out, v, 4);
  PutLE(out, 1, 2);
  PutLE(out, mono ? 1 : 24, 2);
  for (uint32_t v : {0u, imageSize, 0u, 0u, 0u, 0u}) PutLE(out, v, 4);
  if (mono) {
    PutLE(out, 0x00000000, 4);
    PutLE(out, 0x00FFFFFF, 4);
  }
  TCanvas* canvas = w > 0 && h > 0 ? GetCanvas() : nullptr;
  for (Integer y = h - 1; y >= 0; --y) {
    String row(rowSize, '\0');
    for (Integer x = 0; x < w; ++x) {
      const COLORREF c = static_cast<COLORREF>(canvas->GetPixel(x, y)) & 0xFFFFFF;
      if (mono) {
        if (c == 0xFFFFFF) row[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
      } else {
        row[static_cast<size_t>(x * 3)] = static_cast<char>((c >> 16) & 0xFF);
        row[static_cast<size_t>(x * 3 + 1)] = static_cast<char>((c >> 8) & 0xFF);
        row[static_cast<size_t>(x * 3 + 2)] = static_cast<char>(c & 0xFF);
      }
    }
    out += row;
  }
  Stream->WriteBuffer(out.data(), static_cast<Integer>(out.size()));
}

void TBitmap::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty("Data", MethodOf<&TBitmap::ReadData>(this), MethodOf<&TBitmap::WriteData>(this), !Empty());
}

void TBitmap::ReadData(TStream* Stream) {
  uint8_t size[4];
  Stream->ReadBuffer(size, 4);
  const uint32_t length = size[0] | size[1] << 8 | size[2] << 16 | static_cast<uint32_t>(size[3]) << 24;
  if (length != Stream->GetSize() - Stream->GetPosition()) throw EInvalidGraphic("Bitmap image is not valid");
  LoadFromStream(Stream);
}

void TBitmap::WriteData(TStream* Stream) {
  TAutoFree<TMemoryStream> file(new TMemoryStream());
  SaveToStream(file.Get());
  const uint32_t length = static_cast<uint32_t>(file->GetSize());
  const uint8_t size[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length >> 16),
                           static_cast<uint8_t>(length >> 24)};
  Stream->WriteBuffer(size, 4);
  const String data = file->GetDataString();
  Stream->WriteBuffer(data.data(), static_cast<Integer>(data.size()));
}

void TBitmap::LoadFromResourceName(HMODULE module, const String& name) {
  HBITMAP h = LoadBitmapA(module, name.c_str());
  if (!h) throw EResNotFound(Format("Resource %s not found", name.c_str()));
  SetHandle(h);
}

void TBitmap::Assign(const TBitmap* source) {
  if (source == this) return;
  // Nothing to copy from empties the bitmap.
  if (!source || !source->FHandle) {
    SetHandle(0);
    return;
  }
  FTransparent = source->FTransparent;
  FTransparentMode = source->FTransparentMode;
  FTransparentColor = source->FTransparentColor;
  // The same picture again (a button's glyph pushed at each layout) costs nothing.
  if (FHandle && EqualBitmapBits(FHandle, source->FHandle)) return;
  BITMAP info = InfoOf(source->FHandle);
  HBITMAP copy = CreateBitmap(info.bmWidth, info.bmHeight, 1, info.bmBitsPixel, nullptr);
  HDC src = CreateCompatibleDC(0), dst = CreateCompatibleDC(0);
  // The source may sit in its own canvas; its pixels are read through a context of ours.
  if (source->FCanvas) source->FCanvas->Attach(0);
  HGDIOBJ os = SelectObject(src, source->FHandle), od = SelectObject(dst, copy);
  BitBlt(dst, 0, 0, info.bmWidth, info.bmHeight, src, 0, 0, SRCCOPY);
  SelectObject(src, os);
  SelectObject(dst, od);
  DeleteDC(src);
  DeleteDC(dst);
  if (source->FCanvas) source->FCanvas->Attach(source->FHandle);
  SetHandle(copy);
}

TCanvas* TBitmap::GetCanvas() {
  if (!FCanvas) {
    FCanvas = new TBitmapCanvas();
    FCanvas->Attach(FHandle);
  }
  return FCanvas;
}

TColor TBitmap::GetTransparentColor() const {
  if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
  if (!FHandle) return clDefault;
  if (GetMonochrome()) return clWhite;
  auto* self = const_cast<TBitmap*>(this);
  return static_cast<TColor>(self->GetCanvas()->GetPixel(0, GetHeight() - 1));
}

void TBitmap::SetTransparentColor(TColor c) {
  FTransparentColor = c;
  FTransparentMode = c == clDefault ? tmAuto : tmFixed;
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (!FHandle || !ACanvas) return;
  HDC dst = ACanvas->GetHandle();
  TCanvas* own = GetCanvas();
  HDC src = own->GetHandle();
  const Integer w = GetWidth(), h = GetHeight();
  if (FTransparent)
    TransparentBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, w, h, ColorToRGB(GetTransparentColor()));
  else
    StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, w, h, ACanvas->CopyMode);
}

// ---- icons -------------------------------------------------------------------------------

void TIcon::Destroy() {
  SetHandle(0);
  inherited::Destroy();
}

Integer TIcon::GetWidth() const { return FWidth; }
Integer TIcon::GetHeight() const { return FHeight; }

void TIcon::SetHandle(HICON h) {
  if (FHandle && FHandle != h) DestroyIcon(FHandle);
  FHandle = h;
  FWidth = FHeight = 0;
  ICONINFO info;
  if (h && GetIconInfo(h, &info)) {
    BITMAP bm = InfoOf(info.hbmColor);
    FWidth = bm.bmWidth;
    FHeight = bm.bmHeight;
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
  }
  if (OnChange) OnChange(this);
}

void TIcon::Assign(const TIcon* source) {
  if (source == this) return;
  HICON copy = 0;
  ICONINFO info;
  if (source && source->FHandle && GetIconInfo(source->FHandle, &info)) {
    copy = CreateIconIndirect(&info);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
  }
  SetHandle(copy);
}

void TIcon::LoadFromFile(const String& path) {
  HICON h = static_cast<HICON>(LoadImageA(0, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
  if (!h) throw EInvalidGraphic(Format("Icon image is not valid: %s", path.c_str()));
  SetHandle(h);
}

void TIcon::LoadFromResourceName(HMODULE module, const String& name) {
  HICON h = LoadIconA(module, name.c_str());
  if (!h) throw EResNotFound(Format("Resource %s not found", name.c_str()));
  SetHandle(h);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (FHandle && ACanvas) DrawIconEx(ACanvas->GetHandle(), Rect.Left, Rect.Top, FHandle, Rect.Width(), Rect.Height(), 0, 0, DI_NORMAL);
}

// ---- measuring ---------------------------------------------------------------------------

TPoint MeasureText(TFont* Font, const String& Text, UINT Format, Integer Width) {
  HDC dc = GetDC(0);
  HGDIOBJ old = SelectObject(dc, Font ? Font->GetHandle() : GetStockObject(DEFAULT_GUI_FONT));
  TRect r{0, 0, Width, 0};
  DrawTextA(dc, Text.c_str(), static_cast<int>(Text.size()), &r, Format | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(0, dc);
  return {r.Width(), r.Height()};
}
