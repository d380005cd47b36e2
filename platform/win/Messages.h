// Window-message numbers and the message records the class library passes around.
#pragma once

#include <cstdint>

// The platform is 32-bit: parameters and results are 32-bit values.
using WPARAM = uint32_t;
using LPARAM = int32_t;
using LRESULT = int32_t;

// The class library's message record: four 32-bit fields, 16 bytes.
struct TMessage {
  uint32_t Msg = 0;
  int32_t WParam = 0;
  int32_t LParam = 0;
  int32_t Result = 0;
};
static_assert(sizeof(TMessage) == 16, "TMessage is a 16-byte record");

// The key-message view of the same 16 bytes.
struct TWMKey {
  uint32_t Msg = 0;
  uint16_t CharCode = 0;
  uint16_t Unused = 0;
  int32_t KeyData = 0;
  int32_t Result = 0;
};
static_assert(sizeof(TWMKey) == sizeof(TMessage), "TWMKey overlays TMessage");

// The key view of a message record, field by field as the overlay reads it.
inline TWMKey KeyMessageOf(const TMessage& m) {
  TWMKey k;
  k.Msg = m.Msg;
  k.CharCode = static_cast<uint16_t>(static_cast<uint32_t>(m.WParam) & 0xFFFF);
  k.Unused = static_cast<uint16_t>(static_cast<uint32_t>(m.WParam) >> 16);
  k.KeyData = m.LParam;
  k.Result = m.Result;
  return k;
}

constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_ENABLE = 0x000A;
constexpr uint32_t WM_SETTEXT = 0x000C;
constexpr uint32_t WM_GETTEXT = 0x000D;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ERASEBKGND = 0x0014;
constexpr uint32_t WM_SHOWWINDOW = 0x0018;
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t WM_CANCELMODE = 0x001F;
constexpr uint32_t WM_SETCURSOR = 0x0020;
constexpr uint32_t WM_WINDOWPOSCHANGED = 0x0047;
constexpr uint32_t WM_NCCREATE = 0x0081;
constexpr uint32_t WM_NCDESTROY = 0x0082;
constexpr uint32_t WM_NCCALCSIZE = 0x0083;
constexpr uint32_t WM_NCHITTEST = 0x0084;
constexpr uint32_t WM_NCPAINT = 0x0085;
constexpr uint32_t WM_NCACTIVATE = 0x0086;
// Mouse messages over the non-client area: wParam the hit-test code, lParam the screen point.
constexpr uint32_t WM_NCMOUSEMOVE = 0x00A0;
constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
constexpr uint32_t WM_NCLBUTTONUP = 0x00A2;
constexpr uint32_t WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr uint32_t WM_NCRBUTTONDOWN = 0x00A4;
constexpr uint32_t WM_NCRBUTTONUP = 0x00A5;
constexpr uint32_t WM_NCRBUTTONDBLCLK = 0x00A6;
constexpr uint32_t WM_GETDLGCODE = 0x0087;
constexpr uint32_t WM_NCMBUTTONDOWN = 0x00A7;
constexpr uint32_t WM_NCMBUTTONUP = 0x00A8;
constexpr uint32_t WM_KEYFIRST = 0x0100;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_DEADCHAR = 0x0103;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCHAR = 0x0106;
constexpr uint32_t WM_SYSDEADCHAR = 0x0107;
constexpr uint32_t WM_KEYLAST = 0x0108;
constexpr uint32_t WM_COMMAND = 0x0111;
// What a control answers to WM_GETDLGCODE: the keys it takes itself, and what kind it is.
constexpr uint32_t DLGC_WANTARROWS = 0x1, DLGC_WANTTAB = 0x2, DLGC_WANTALLKEYS = 0x4, DLGC_HASSETSEL = 0x8;
constexpr uint32_t DLGC_DEFPUSHBUTTON = 0x10, DLGC_UNDEFPUSHBUTTON = 0x20, DLGC_WANTCHARS = 0x80, DLGC_BUTTON = 0x2000;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_INITMENU = 0x0116;
constexpr uint32_t WM_INITMENUPOPUP = 0x0117;
constexpr uint32_t WM_MENUSELECT = 0x011F;
constexpr uint32_t WM_MENUCHAR = 0x0120;
constexpr uint32_t WM_ENTERIDLE = 0x0121;
constexpr uint32_t WM_MOUSEFIRST = 0x0200;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr uint32_t WM_MOUSELAST = 0x0209;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;  // to the focus window, in screen coordinates
constexpr int WHEEL_DELTA = 120;            // one notch of the wheel
constexpr uint32_t WM_ENTERMENULOOP = 0x0211;
constexpr uint32_t WM_EXITMENULOOP = 0x0212;
constexpr uint32_t WM_CAPTURECHANGED = 0x0215;
constexpr uint32_t WM_DROPFILES = 0x0233;
constexpr uint32_t WM_USER = 0x0400;
constexpr uint32_t WM_APP = 0x8000;

constexpr uint32_t WA_INACTIVE = 0;
constexpr uint32_t WA_ACTIVE = 1;

// The class library's private message ranges.
constexpr uint32_t CM_BASE = 0xB000;
constexpr uint32_t CM_ACTIVATE = CM_BASE + 0;
constexpr uint32_t CM_DEACTIVATE = CM_BASE + 1;
constexpr uint32_t CM_DIALOGKEY = CM_BASE + 5;
constexpr uint32_t CM_DIALOGCHAR = CM_BASE + 6;
constexpr uint32_t CM_VISIBLECHANGED = CM_BASE + 11;
constexpr uint32_t CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr uint32_t CM_TEXTCHANGED = CM_BASE + 18;
constexpr uint32_t CM_MOUSEENTER = CM_BASE + 19;
constexpr uint32_t CM_MOUSELEAVE = CM_BASE + 20;
constexpr uint32_t CM_FONTCHANGED = CM_BASE + 9;
constexpr uint32_t CM_COLORCHANGED = CM_BASE + 10;
constexpr uint32_t CM_APPKEYDOWN = CM_BASE + 22;
constexpr uint32_t CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr uint32_t CM_BUTTONPRESSED = CM_BASE + 24;
constexpr uint32_t CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr uint32_t CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr uint32_t CM_RELEASE = CM_BASE + 33;
constexpr uint32_t CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr uint32_t CM_CHILDKEY = CM_BASE + 46;
constexpr uint32_t CM_INVALIDATE = CM_BASE + 52;
constexpr uint32_t CM_CONTROLCHANGE = CM_BASE + 54;
// A control docked into a windowed control; without drag-docking it reaches the default handling.
constexpr uint32_t CM_DOCKCLIENT = CM_BASE + 56;
constexpr uint32_t CM_BORDERCHANGED = CM_BASE + 59;

constexpr uint32_t CN_BASE = 0xBC00;
constexpr uint32_t CN_KEYDOWN = CN_BASE + WM_KEYDOWN;  // 0xBD00
constexpr uint32_t CN_KEYUP = CN_BASE + WM_KEYUP;      // 0xBD01
constexpr uint32_t CN_CHAR = CN_BASE + WM_CHAR;
constexpr uint32_t CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr uint32_t CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
static_assert(CN_KEYDOWN == 0xBD00 && CN_KEYUP == 0xBD01);
