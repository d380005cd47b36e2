// The window manager the class library runs on: windows, window procedures, the message
// queue, input state, device contexts, beeps — the parts of user32/gdi32 the system calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Messages.h"

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using SHORT = int16_t;
using LONG_PTR = intptr_t;
using COLORREF = uint32_t;

// Handles are numbers: a slot index with a generation, so a stale handle fails cleanly
// instead of reaching another window that reused the slot.
using HWND = uint32_t;
using HDC = uint32_t;
using HKEY = uint32_t;
using HINSTANCE = uint32_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Window values that name no window but a place in the z-order or a broadcast; as a
// PeekMessage filter each means "messages posted with no window".
constexpr HWND HWND_BOTTOM = 1;
constexpr HWND HWND_BROADCAST = 0xFFFF;
constexpr HWND HWND_TOPMOST = 0xFFFFFFFF;  // (HWND)-1

struct TPoint {
  int32_t X = 0, Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};
struct TRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};
using POINT = TPoint;
using RECT = TRect;

inline TRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return {l, t, r, b}; }
constexpr WORD LOWORD(uint32_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(uint32_t v) { return static_cast<WORD>(v >> 16); }
constexpr WPARAM MAKEWPARAM(uint32_t lo, uint32_t hi) { return (lo & 0xFFFF) | (hi << 16); }
constexpr LPARAM MAKELPARAM(uint32_t lo, uint32_t hi) { return static_cast<LPARAM>((lo & 0xFFFF) | (hi << 16)); }
// A point packed as mouse messages carry it (signed 16-bit halves), and back.
constexpr LPARAM PointToParam(TPoint p) { return MAKELPARAM(static_cast<uint32_t>(p.X), static_cast<uint32_t>(p.Y)); }
constexpr TPoint ParamToPoint(LPARAM l) {
  return {static_cast<int16_t>(static_cast<uint32_t>(l) & 0xFFFF), static_cast<int16_t>(static_cast<uint32_t>(l) >> 16)};
}
inline TPoint Point(int32_t x, int32_t y) { return {x, y}; }
bool PtInRect(const TRect& r, TPoint p);

struct MSG {
  HWND hwnd = 0;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  TPoint pt;
};

// A window procedure is a value: a pointer to a thunk whose first member is the entry the
// window manager calls. Plain procedures are static thunks; MakeObjectInstance allocates one
// bound to an object. CallWindowProc is the only way to call such a value.
struct TWndProcThunk;
using WNDPROC = const TWndProcThunk*;
using TWndProcEntry = LRESULT (*)(const TWndProcThunk* self, HWND, UINT, WPARAM, LPARAM);
struct TWndProcThunk {
  TWndProcEntry Entry;
};
// Wraps a plain C procedure as a thunk value (for DefWindowProc and test procedures).
template <LRESULT (*Proc)(HWND, UINT, WPARAM, LPARAM)>
struct TStaticWndProc {
  static LRESULT Call(const TWndProcThunk*, HWND h, UINT m, WPARAM w, LPARAM l) { return Proc(h, m, w, l); }
  static constexpr TWndProcThunk Thunk{&Call};
  static WNDPROC Value() { return &Thunk; }
};

// Window styles the stand-in keeps (real bit values).
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001, WS_EX_TRANSPARENT = 0x00000020, WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100, WS_EX_CLIENTEDGE = 0x00000200;

constexpr int GWL_WNDPROC = -4;
constexpr int GWL_HINSTANCE = -6;
constexpr int GWL_HWNDPARENT = -8;
constexpr int GWL_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_USERDATA = -21;

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_INVALID_INDEX = 1413;
constexpr DWORD ERROR_NOT_ENOUGH_QUOTA = 1816;
constexpr DWORD ERROR_INVALID_DC_HANDLE = 1119;

constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// Virtual-key codes.
constexpr WORD VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04;
constexpr WORD VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D;
constexpr WORD VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14;
constexpr WORD VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23;
constexpr WORD VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28;
constexpr WORD VK_INSERT = 0x2D, VK_DELETE = 0x2E;
constexpr WORD VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C;
constexpr WORD VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F4 = 0x73, VK_F10 = 0x79;
constexpr WORD VK_F12 = 0x7B;
constexpr WORD VK_NUMLOCK = 0x90, VK_SCROLL = 0x91;
constexpr WORD VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3;
constexpr WORD VK_LMENU = 0xA4, VK_RMENU = 0xA5;
constexpr WORD VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD;
constexpr WORD VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB;
constexpr WORD VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE, VK_OEM_102 = 0xE2;
constexpr WORD VK_SNAPSHOT = 0x2C, VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D;

// Message beep and message box types.
constexpr UINT MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4;
constexpr UINT MB_ICONHAND = 0x10, MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40, MB_ICONASTERISK = 0x40;
constexpr UINT MB_TYPEMASK = 0xF, MB_ICONMASK = 0xF0;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

// ---- windows -----------------------------------------------------------------------------
struct TCreateWindowParams {
  std::string ClassName;
  std::string WindowName;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  TRect Bounds;              // relative to the parent's client area for child windows
  HWND Parent = 0;           // WS_CHILD windows
  HWND Owner = 0;            // top-level windows
  WNDPROC WndProc = nullptr; // null means DefWindowProc
  LPARAM CreateParam = 0;
  UINT ClassStyle = 0;       // CS_ bits of the window's class
};
// A window of a class with this style gets a second press of a button, soon enough and near
// enough to the first, as a double-click message.
constexpr UINT CS_DBLCLKS = 0x0008;

// Creates a window, sends it WM_CREATE and returns its handle (0 on failure). A top-level
// window starts on top of the z-order, a child window below its siblings.
HWND CreateWindowEx(const TCreateWindowParams& params);
// Destroys owned windows first; then sends WM_DESTROY to the window and every descendant
// (parents first, siblings from the top of the z-order down), then WM_NCDESTROY to each
// (children first), releasing the capture on the way. Queued messages for the windows are
// dropped; the first WM_QUIT among them becomes the thread's quit message.
BOOL DestroyWindow(HWND hWnd);
BOOL IsWindow(HWND hWnd);
BOOL IsWindowVisible(HWND hWnd);
BOOL IsWindowEnabled(HWND hWnd);
BOOL EnableWindow(HWND hWnd, BOOL enable);
BOOL ShowWindow(HWND hWnd, int cmd);
BOOL MoveWindow(HWND hWnd, int x, int y, int w, int h, BOOL repaint);
BOOL GetWindowRect(HWND hWnd, TRect* rect);  // screen coordinates
BOOL GetClientRect(HWND hWnd, TRect* rect);  // (0,0,w,h)
BOOL ClientToScreen(HWND hWnd, TPoint* p);
BOOL ScreenToClient(HWND hWnd, TPoint* p);
HWND GetParent(HWND hWnd);  // the parent of a child, the owner of a WS_POPUP window, else 0
HWND GetWindowOwner(HWND hWnd);
HWND SetParent(HWND hWnd, HWND newParent);
HWND GetDesktopWindow();
int GetClassName(HWND hWnd, std::string* name);
std::string GetWindowClassName(HWND hWnd);
BOOL SetWindowText(HWND hWnd, const std::string& text);
std::string GetWindowTextString(HWND hWnd);
HWND FindWindow(const char* className, const char* windowName);
HWND WindowFromPoint(TPoint screenPoint);
BOOL BringWindowToTop(HWND hWnd);
// Calls Proc for each top-level window, topmost first, until it returns FALSE.
BOOL EnumWindows(const std::function<BOOL(HWND)>& Proc);
int GetWindowCount();  // live windows, for leak checks

LONG_PTR GetWindowLongPtr(HWND hWnd, int index);
LONG_PTR SetWindowLongPtr(HWND hWnd, int index, LONG_PTR value);
LONG GetWindowLong(HWND hWnd, int index);
LRESULT CallWindowProc(WNDPROC proc, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
WNDPROC DefWindowProcValue();

DWORD GetLastError();
void SetLastError(DWORD code);

// ---- messages ----------------------------------------------------------------------------
LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL PeekMessage(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeMsg);
BOOL GetMessage(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax);  // never blocks: FALSE on WM_QUIT or empty
LRESULT DispatchMessage(const MSG* msg);
BOOL TranslateMessage(const MSG* msg);  // posts WM_CHAR for character keys
int GetQueueLength();
DWORD GetMessageTime();  // the time stamped on the message last taken off the queue
// The system clock is virtual: it stands where the host or a test last set it, in
// milliseconds. Posted messages are stamped with it and timers fall due against it.
void SetMessageTime(DWORD ms);
DWORD GetTickCount();

// ---- timers ------------------------------------------------------------------------------
// A timer belongs to a window and is identified by the window and its id; setting it again
// restarts it. When it falls due and the queue holds no posted message and no paint, the
// window gets WM_TIMER (wParam the id). Periods a busy thread misses are not queued up: one
// WM_TIMER stands for all of them, and the next falls due on the timer's own beat. Periods
// below 10 ms are 10 ms. Destroying the window kills its timers. Returns the id, or 0 for
// a window that does not exist or an id of 0.
using UINT_PTR = uint32_t;
UINT_PTR SetTimer(HWND hWnd, UINT_PTR id, UINT elapse);
BOOL KillTimer(HWND hWnd, UINT_PTR id);
constexpr UINT USER_TIMER_MINIMUM = 10;

// Update regions: rectangles in client coordinates; null means the whole client area. A window
// with an invalid area gets WM_PAINT whenever its queue is otherwise empty, until something
// validates the area: BeginPaint/EndPaint, ValidateRect or DefWindowProc.
BOOL InvalidateRect(HWND hWnd, const TRect* rect, BOOL erase);
BOOL ValidateRect(HWND hWnd, const TRect* rect);
BOOL UpdateWindow(HWND hWnd);  // sends WM_PAINT now if the window has an invalid area
BOOL GetUpdateRect(HWND hWnd, TRect* rect, BOOL erase);

struct PAINTSTRUCT {
  HDC hdc = 0;
  BOOL fErase = FALSE;  // the background still needs erasing
  TRect rcPaint;        // client coordinates
  BOOL fRestore = FALSE;
  BOOL fIncUpdate = FALSE;
  BYTE rgbReserved[32] = {};
};
// Validates the invalid area and hands out a device context for painting it.
HDC BeginPaint(HWND hWnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* ps);

// ---- input -------------------------------------------------------------------------------
SHORT GetKeyState(int vk);       // as this thread took keyboard messages off its queue
SHORT GetAsyncKeyState(int vk);  // as the keyboard reported its keys (0x8000: down)
BOOL GetKeyboardState(BYTE* state256);
BOOL SetKeyboardState(const BYTE* state256);
HWND GetFocus();
HWND SetFocus(HWND hWnd);
HWND GetActiveWindow();
HWND SetActiveWindow(HWND hWnd);
HWND GetCapture();
HWND SetCapture(HWND hWnd);
BOOL ReleaseCapture();
BOOL GetCursorPos(TPoint* p);
BOOL SetCursorPos(int x, int y);
// A mouse event as the mouse driver reports it: the cursor moves to the screen point and the
// message is posted to the capture window in its client coordinates; without a capture, to
// the window under the point, which WM_NCHITTEST asks where the point is: its client area
// gets the client message, anything else (caption, close box, menu bar, borders) the
// non-client one (WM_NCLBUTTONDOWN …) with the hit-test code and the screen point. A button
// press without a capture also activates the window's top-level window.
// keys: the MK_ flags of the buttons and modifiers held.
constexpr WPARAM MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8, MK_MBUTTON = 0x10;
// A second press of the same button on the same window within the double-click time and
// the double-click rectangle around the first becomes WM_xBUTTONDBLCLK when the window's
// class has CS_DBLCLKS. Times are message times (the virtual clock). The buttons are keys:
// GetAsyncKeyState(VK_LBUTTON) follows the report at once, GetKeyState the messages as they
// are taken off the queue.
void MouseInput(UINT msg, TPoint screenPoint, WPARAM keys);
UINT GetDoubleClickTime();  // 500 ms
// Cursors are the system's shapes by their IDC_ numbers; SetCursor returns the previous one.
using HCURSOR = uint32_t;
constexpr UINT IDC_ARROW = 32512, IDC_IBEAM = 32513, IDC_WAIT = 32514, IDC_CROSS = 32515, IDC_UPARROW = 32516;
constexpr UINT IDC_SIZENWSE = 32642, IDC_SIZENESW = 32643, IDC_SIZEWE = 32644, IDC_SIZENS = 32645;
constexpr UINT IDC_SIZEALL = 32646, IDC_NO = 32648, IDC_HAND = 32649;
HCURSOR LoadCursorA(HINSTANCE instance, UINT id);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
BOOL GetCaretPos(TPoint* p);
BOOL SetCaretPos(int x, int y);
BOOL CreateCaret(HWND hWnd, int w, int h);
BOOL DestroyCaret();
// Activates or deactivates the whole application: WM_ACTIVATEAPP to every top-level window.
void SetApplicationActive(bool active);
bool GetApplicationActive();

// A keystroke arriving from the keyboard: records it in the keyboard's key state and returns
// the key data (lParam) its message carries. Repeat count 1, the scan code and extended flag
// given; previous state (the key was already down), context (Alt is down) and transition
// (a release) come from that key state, as the real keyboard input builds them.
LPARAM KeyInputData(UINT message, WORD vk, WORD scanCode, bool extended);
// The same for a key of the stand-in's US keyboard, with its scan code and extended flag.
LPARAM MakeKeyData(UINT message, WORD vk);
WORD ScanCodeOf(WORD vk);
bool IsExtendedKey(WORD vk);
// A key of the stand-in's US keyboard by where it sits (its USB usage, which SDL's scan
// codes are): its virtual-key code as the layout maps it, scan code and extended flag. Vk 0
// for a key the keyboard does not have.
struct TKeyCode {
  WORD Vk = 0;
  WORD ScanCode = 0;
  bool Extended = false;
};
TKeyCode KeyOfUsage(uint16_t usage, bool numLock);

// Synthesizes a keystroke as the keyboard makes it: picks WM_KEYDOWN/UP or WM_SYSKEYDOWN/UP
// from Alt, Ctrl and F10, builds the key data and posts the message to the focus window, or
// as a system keystroke to the active window when nothing has the focus.
constexpr DWORD KEYEVENTF_EXTENDEDKEY = 0x1, KEYEVENTF_KEYUP = 0x2;
void keybd_event(BYTE vk, BYTE scanCode, DWORD flags, uintptr_t extraInfo);

// ---- device contexts -------------------------------------------------------------------
HDC GetDC(HWND hWnd);
// clipRgn: a region ANDed (DCX_INTERSECTRGN) or subtracted (DCX_EXCLUDERGN); the context
// takes it over and deletes it on release, as the real system does.
HDC GetDCEx(HWND hWnd, uint32_t clipRgn, DWORD flags);
HDC GetWindowDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);
HWND WindowFromDC(HDC hDC);
int GetLiveDCCount();  // device contexts handed out and not yet released (memory ones included)

constexpr DWORD DCX_WINDOW = 0x1, DCX_CACHE = 0x2, DCX_NORESETATTRS = 0x4, DCX_CLIPCHILDREN = 0x8;
constexpr DWORD DCX_CLIPSIBLINGS = 0x10, DCX_PARENTCLIP = 0x20, DCX_EXCLUDERGN = 0x40, DCX_INTERSECTRGN = 0x80;
constexpr DWORD DCX_EXCLUDEUPDATE = 0x100, DCX_INTERSECTUPDATE = 0x200, DCX_LOCKWINDOWUPDATE = 0x400;
constexpr DWORD DCX_USESTYLE = 0x10000, DCX_VALIDATE = 0x200000;

// ---- sounds ------------------------------------------------------------------------------
BOOL MessageBeep(UINT type);
int GetMessageBeepCount();
UINT GetLastMessageBeepType();

// ---- test and host support ---------------------------------------------------------------
// Drops every window, queued message, device context and input state: a fresh desktop.
void ResetWindowManager();

#include "WinGdi.h"
#include "WinMenu.h"
