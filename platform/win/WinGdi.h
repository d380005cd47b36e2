// The drawing half of the window system: GDI objects, device contexts and their attributes,
// drawing, text, bitmaps and icons, system colours, resources. Included by Windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using HGDIOBJ = uint32_t;
using HPEN = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HFONT = HGDIOBJ;
using HBITMAP = HGDIOBJ;
using HRGN = HGDIOBJ;
using HICON = HGDIOBJ;
using HMODULE = uint32_t;
using HMENU = uint32_t;

constexpr HGDIOBJ HGDI_ERROR = 0xFFFFFFFF;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (static_cast<uint32_t>(b) << 16); }
constexpr uint8_t GetRValue(COLORREF c) { return c & 0xFF; }
constexpr uint8_t GetGValue(COLORREF c) { return (c >> 8) & 0xFF; }
constexpr uint8_t GetBValue(COLORREF c) { return (c >> 16) & 0xFF; }

// Object types (GetObjectType).
constexpr DWORD OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_FONT = 6, OBJ_BITMAP = 7, OBJ_REGION = 8, OBJ_MEMDC = 10;
constexpr DWORD OBJ_ICON = 14;  // not a GDI type on the real system; icons live in the same table here

// Stock objects.
constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4, NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8, SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// Pens and brushes.
constexpr int PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5, PS_INSIDEFRAME = 6;
constexpr UINT BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1, BS_HATCHED = 2, BS_PATTERN = 3;
struct LOGPEN {
  UINT lopnStyle = PS_SOLID;
  TPoint lopnWidth;
  COLORREF lopnColor = 0;
};
struct LOGBRUSH {
  UINT lbStyle = BS_SOLID;
  COLORREF lbColor = 0;
  uintptr_t lbHatch = 0;
};

// Fonts.
constexpr int LF_FACESIZE = 32;
constexpr LONG FW_DONTCARE = 0, FW_NORMAL = 400, FW_BOLD = 700;
constexpr BYTE OUT_DEFAULT_PRECIS = 0, OUT_TT_ONLY_PRECIS = 7;
constexpr BYTE DEFAULT_QUALITY = 0, NONANTIALIASED_QUALITY = 3, ANTIALIASED_QUALITY = 4;
constexpr BYTE TMPF_FIXED_PITCH = 0x01, TMPF_VECTOR = 0x02, TMPF_TRUETYPE = 0x04;
struct LOGFONTA {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 0;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  char lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA is the 60-byte record");
struct TEXTMETRICA {
  LONG tmHeight, tmAscent, tmDescent, tmInternalLeading, tmExternalLeading, tmAveCharWidth, tmMaxCharWidth;
  LONG tmWeight, tmOverhang, tmDigitizedAspectX, tmDigitizedAspectY;
  BYTE tmFirstChar, tmLastChar, tmDefaultChar, tmBreakChar, tmItalic, tmUnderlined, tmStruckOut;
  BYTE tmPitchAndFamily, tmCharSet;
};
static_assert(sizeof(TEXTMETRICA) == 56, "TEXTMETRICA is the 56-byte record");
struct SIZE {
  LONG cx = 0, cy = 0;
};

// Bitmaps.
struct BITMAP {
  LONG bmType = 0, bmWidth = 0, bmHeight = 0, bmWidthBytes = 0;
  WORD bmPlanes = 1, bmBitsPixel = 32;
  void* bmBits = nullptr;
};

// Device-context attributes.
constexpr int TRANSPARENT = 1, OPAQUE = 2;
constexpr UINT TA_LEFT = 0, TA_TOP = 0, TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8, TA_BASELINE = 24;
constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;
int SetROP2(HDC dc, int rop2);
int GetROP2(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF c);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF c);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
BOOL SetWindowOrgEx(HDC dc, int x, int y, TPoint* old);
BOOL GetWindowOrgEx(HDC dc, TPoint* org);
BOOL SetViewportOrgEx(HDC dc, int x, int y, TPoint* old);
BOOL GetViewportOrgEx(HDC dc, TPoint* org);
BOOL SetBrushOrgEx(HDC dc, int x, int y, TPoint* old);
int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int saved);  // saved < 0: relative to the top of the stack

// Objects.
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HFONT CreateFontIndirectA(const LOGFONTA* lf);
HBITMAP CreateBitmap(int w, int h, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateCompatibleBitmap(HDC dc, int w, int h);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
HGDIOBJ GetStockObject(int index);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
BOOL DeleteObject(HGDIOBJ obj);
int GetObjectA(HGDIOBJ obj, int size, void* buffer);
DWORD GetObjectType(HGDIOBJ obj);
int GetGdiObjectCount();  // objects created and not yet deleted (stock objects excluded)
// Whether two bitmaps hold the same picture (depth, size and every pixel), so that a copy
// that would change nothing can be left out. Not in the real system.
BOOL EqualBitmapBits(HBITMAP a, HBITMAP b);

// Regions.
constexpr int ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
HRGN CreateRectRgn(int l, int t, int r, int b);
HRGN CreateRectRgnIndirect(const TRect* r);
BOOL SetRectRgn(HRGN rgn, int l, int t, int r, int b);
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const TRect* r);
int GetRgnBox(HRGN rgn, TRect* r);
BOOL EqualRgn(HRGN a, HRGN b);
int SelectClipRgn(HDC dc, HRGN rgn);  // a copy; null removes the clip
int IntersectClipRect(HDC dc, int l, int t, int r, int b);
int ExcludeClipRect(HDC dc, int l, int t, int r, int b);
int GetClipBox(HDC dc, TRect* r);

// Drawing.
constexpr DWORD SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6, MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049, DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;
int FillRect(HDC dc, const TRect* r, HBRUSH brush);  // brush ≤ COLOR_MAX + 1: system colour index + 1
int FrameRect(HDC dc, const TRect* r, HBRUSH brush);
BOOL InvertRect(HDC dc, const TRect* r);
BOOL Rectangle(HDC dc, int l, int t, int r, int b);
BOOL MoveToEx(HDC dc, int x, int y, TPoint* old);
BOOL LineTo(HDC dc, int x, int y);
BOOL Polyline(HDC dc, const TPoint* points, int count);
BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop);
BOOL DrawFocusRect(HDC dc, const TRect* r);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF c);
COLORREF GetPixel(HDC dc, int x, int y);
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop);
// Copies all source pixels except those of the key colour.
BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, UINT key);

// Classic 3-D edges.
constexpr UINT BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8;
constexpr UINT BDR_OUTER = 0x3, BDR_INNER = 0xC;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr UINT BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_RECT = 0xF;
constexpr UINT BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;
BOOL DrawEdge(HDC dc, TRect* r, UINT edge, UINT flags);
constexpr UINT DFC_BUTTON = 4, DFCS_BUTTONCHECK = 0x0, DFCS_BUTTONPUSH = 0x10, DFCS_ADJUSTRECT = 0x2000;
constexpr UINT DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_FLAT = 0x4000;
BOOL DrawFrameControl(HDC dc, TRect* r, UINT type, UINT state);

// Text.
constexpr UINT ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4;
constexpr UINT DT_TOP = 0, DT_LEFT = 0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8;
constexpr UINT DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80;
constexpr UINT DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800;
constexpr UINT DT_END_ELLIPSIS = 0x8000;
BOOL TextOutA(HDC dc, int x, int y, const char* text, int count);
BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const TRect* r, const char* text, UINT count, const int* dx);
BOOL GetTextExtentPoint32A(HDC dc, const char* text, int count, SIZE* size);
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* tm);
int DrawTextA(HDC dc, const char* text, int count, TRect* r, UINT format);
// Glyphs rasterised since the process started (the glyph cache's misses).
long GetGlyphRasterizationCount();

// Icons.
constexpr UINT DI_MASK = 0x1, DI_IMAGE = 0x2, DI_NORMAL = 0x3, DI_COMPAT = 0x4, DI_DEFAULTSIZE = 0x8;
struct ICONINFO {
  BOOL fIcon = TRUE;
  DWORD xHotspot = 0, yHotspot = 0;
  HBITMAP hbmMask = 0, hbmColor = 0;
};
HICON CreateIconIndirect(const ICONINFO* info);
BOOL DestroyIcon(HICON icon);
BOOL GetIconInfo(HICON icon, ICONINFO* info);  // copies of the icon's bitmaps, to be deleted
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker, UINT flags);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

// Images from files and resources (BMP of 1, 4, 8 and 24 bits; ICO).
constexpr UINT IMAGE_BITMAP = 0, IMAGE_ICON = 1;
constexpr UINT LR_LOADFROMFILE = 0x10;
HBITMAP LoadBitmapA(HMODULE module, const char* name);
HICON LoadIconA(HMODULE module, const char* name);
HGDIOBJ LoadImageA(HMODULE module, const char* name, UINT type, int cx, int cy, UINT flags);
// The same from memory (a file image); 0 with the last error set when the data is not an image.
HBITMAP LoadBitmapFromMemory(const void* data, size_t size);
HICON LoadIconFromMemory(const void* data, size_t size);

// Resources: named data linked into a module. RT_* in the real numbering.
constexpr UINT RT_BITMAP = 2, RT_ICON = 3, RT_RCDATA = 10, RT_GROUP_ICON = 14;
// A module is a name; the process's own is "" (handle 1, what GWL_HINSTANCE gives).
HMODULE GetModuleHandleA(const char* name);
// Registers a resource of a module (the build's resource step calls this at load time).
void RegisterResource(const char* module, UINT type, const char* name, const void* data, size_t size);
// Forgets every resource of a module: its library is being unloaded and the data goes with it.
// The module keeps its handle, so a library loaded again answers to the same one.
void UnregisterResources(const char* module);
// The module's handle, given to it now if it has none yet (a library without resources).
HMODULE RegisterModuleHandle(const char* name);
// Finds a resource by module and name (case-insensitive names); false when there is none.
bool FindResourceData(HMODULE module, const char* name, UINT type, const void** data, size_t* size);
// The module that holds an address (a function, a class descriptor): a library is named
// after its file without "lib" and ".so" (libBriskPack.so is "BriskPack"), the program is
// the process's own module. 0 for a library that has no resources.
HMODULE FindHInstance(const void* address);
// The name FindHInstance gives the library file at `path`; "" for the program.
std::string ModuleNameOfFile(const std::string& path);

// System colours, the classic Windows 2000 scheme.
constexpr int COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7, COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10, COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_3DFACE = 15;
constexpr int COLOR_BTNSHADOW = 16, COLOR_3DSHADOW = 16, COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19, COLOR_BTNHIGHLIGHT = 20, COLOR_3DHILIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27, COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30;
DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

// System metrics of the classic look at 96 dpi.
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CYCAPTION = 4, SM_CXBORDER = 5, SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CXICON = 11, SM_CYICON = 12, SM_CYMENU = 15;
constexpr int SM_CXFRAME = 32, SM_CYFRAME = 33, SM_CXSMICON = 49, SM_CYSMICON = 50, SM_CYSMCAPTION = 51;
constexpr int SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CXMENUCHECK = 71, SM_CYMENUCHECK = 72;
constexpr int SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37;
int GetSystemMetrics(int index);

// The screen: its size (default 1280 × 1024) and its pixels as a PNG.
void SetScreenSize(int width, int height);
// Writes the desktop (hWnd 0) or one window's rectangle as a PNG; false with a reason.
bool SaveScreenPNG(HWND hWnd, const std::string& path, std::string* error = nullptr);
// For a host that shows the screen in a window of its own: while tracking, every change to
// the screen surface is remembered; TakeScreenDamage hands out the changed area since the
// last call (the whole screen right after tracking starts) as disjoint rectangles.
void TrackScreenDamage(bool on);
std::vector<TRect> TakeScreenDamage();

// The drawing recorder: while on, every drawing call is also kept as an entry, so a test can
// assert where something was drawn and with what.
struct TDrawRecord {
  std::string Op;          // "FillRect", "TextOut", "LineTo", "BitBlt" …
  HWND Window = 0;         // the window of the context, 0 for the desktop or a memory context
  TRect Rect;              // device rectangle (window or client coordinates of the context)
  std::string Text;        // drawn text
  std::string Face;        // font face name for text
  LONG FontHeight = 0;
  LONG Escapement = 0;
  COLORREF Color = 0;      // pen, brush or text colour
  COLORREF BkColor = 0;
  int Rop = 0;             // ROP2 code, or the ROP3 of blits
};
void StartDrawRecording();
std::vector<TDrawRecord> StopDrawRecording();
const std::vector<TDrawRecord>& GetDrawRecords();

// Painting.
constexpr UINT RDW_INVALIDATE = 0x1, RDW_INTERNALPAINT = 0x2, RDW_ERASE = 0x4, RDW_VALIDATE = 0x8;
constexpr UINT RDW_NOINTERNALPAINT = 0x10, RDW_NOERASE = 0x20, RDW_NOCHILDREN = 0x40, RDW_ALLCHILDREN = 0x80;
constexpr UINT RDW_UPDATENOW = 0x100, RDW_ERASENOW = 0x200, RDW_FRAME = 0x400, RDW_NOFRAME = 0x800;
BOOL RedrawWindow(HWND hWnd, const TRect* rect, HRGN rgn, UINT flags);
BOOL InvalidateRgn(HWND hWnd, HRGN rgn, BOOL erase);
int GetUpdateRgn(HWND hWnd, HRGN rgn, BOOL erase);

// The caret, drawn by the system as an inverted block.
BOOL ShowCaret(HWND hWnd);
BOOL HideCaret(HWND hWnd);
