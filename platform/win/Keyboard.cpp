// The keyboard: the key states, the key data of keystrokes, keystrokes made as the keyboard
// makes them, and their translation into characters.
#include <algorithm>
#include <iterator>

#include "Windows.h"

BOOL PostMessageAhead(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);  // Window.cpp

namespace {

struct TKeyboard {
  BYTE KeyState[256] = {};       // as keyboard messages were taken off the queue
  BYTE AsyncKeyState[256] = {};  // as the keyboard reported its keys
  bool AltAlone = false;         // Alt is down and no other key was pressed since
};

TKeyboard& KB() {
  static TKeyboard keyboard;
  return keyboard;
}

void SetKey(BYTE* state, WORD key, bool down) {
  if (down) {
    if (!(state[key] & 0x80)) state[key] ^= 0x01;  // toggle on each press
    state[key] |= 0x80;
  } else {
    state[key] &= static_cast<BYTE>(~0x80);
  }
}

// Shift, Ctrl and Alt are kept for each side and for the pair; a message names the pair,
// the scan code or the extended flag tells the side.
WORD GenericKey(WORD vk) {
  switch (vk) {
    case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU: case VK_RMENU: return VK_MENU;
    default: return vk;
  }
}

// The key a keystroke moves: Shift, Ctrl and Alt by their side, any other key as it is.
WORD SidedKey(WORD vk, WORD scanCode, bool extended) {
  switch (vk) {
    case VK_SHIFT: return scanCode == 0x36 ? VK_RSHIFT : VK_LSHIFT;
    case VK_CONTROL: return extended ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU: return extended ? VK_RMENU : VK_LMENU;
    default: return vk;
  }
}

void ApplyKeyEvent(BYTE* state, WORD vk, WORD scanCode, bool extended, bool down) {
  if (vk == 0 || vk > 0xFF) return;
  const WORD generic = GenericKey(vk);
  const WORD sided = SidedKey(vk, scanCode, extended);
  SetKey(state, sided, down);
  if (sided == generic) return;
  const WORD left = generic == VK_SHIFT ? VK_LSHIFT : generic == VK_CONTROL ? VK_LCONTROL : VK_LMENU;
  SetKey(state, generic, ((state[left] | state[left + 1]) & 0x80) != 0);
}

bool IsKeyDownMessage(UINT m) { return m == WM_KEYDOWN || m == WM_SYSKEYDOWN; }
bool IsKeyUpMessage(UINT m) { return m == WM_KEYUP || m == WM_SYSKEYUP; }

}  // namespace

// The button a mouse message presses (true in `down`) or releases; 0 for the others.
WORD MouseButtonKey(UINT msg, bool& down) {
  down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_LBUTTONDBLCLK ||
         msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: return VK_LBUTTON;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return VK_RBUTTON;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return VK_MBUTTON;
    default: return 0;
  }
}

// The mouse's buttons are keys too: the driver's report moves their asynchronous state.
void MouseButtonReported(UINT msg) {
  bool down = false;
  if (const WORD key = MouseButtonKey(msg, down)) SetKey(KB().AsyncKeyState, key, down);
}

// The thread's key state follows the keyboard and mouse-button messages it takes off its queue.
void KeyMessageRetrieved(const MSG& msg) {
  bool down = false;
  if (const WORD key = MouseButtonKey(msg.message, down)) {
    SetKey(KB().KeyState, key, down);
    return;
  }
  if (!IsKeyDownMessage(msg.message) && !IsKeyUpMessage(msg.message)) return;
  const auto data = static_cast<uint32_t>(msg.lParam);
  ApplyKeyEvent(KB().KeyState, static_cast<WORD>(msg.wParam & 0xFF), static_cast<WORD>((data >> 16) & 0xFF),
                (data & (1u << 24)) != 0, IsKeyDownMessage(msg.message));
}

// Called by ResetWindowManager: a fresh desktop has no key down.
void ResetKeyboard() { KB() = TKeyboard{}; }

SHORT GetKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  BYTE s = KB().KeyState[vk];
  if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) {
    // The generic shift keys reflect either side.
    BYTE l = KB().KeyState[vk == VK_SHIFT ? VK_LSHIFT : vk == VK_CONTROL ? VK_LCONTROL : VK_LMENU];
    BYTE r = KB().KeyState[vk == VK_SHIFT ? VK_RSHIFT : vk == VK_CONTROL ? VK_RCONTROL : VK_RMENU];
    s |= (l | r) & 0x80;
  }
  return static_cast<SHORT>(((s & 0x80) ? 0xFF80 : 0) | (s & 0x01));
}

BOOL GetKeyboardState(BYTE* state) {
  std::copy(std::begin(KB().KeyState), std::end(KB().KeyState), state);
  return TRUE;
}

BOOL SetKeyboardState(const BYTE* state) {
  std::copy(state, state + 256, KB().KeyState);
  return TRUE;
}

// ---- characters ------------------------------------------------------------------------

namespace {

// Character keys of a US layout; Shift picks the upper row.
int CharOf(WORD vk, bool shift) {
  if (vk >= 'A' && vk <= 'Z') return shift ? vk : vk + 32;
  if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : vk;
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return '0' + (vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    default: return -1;
  }
}

}  // namespace

// A keystroke message counts as translated whether or not it makes a character. Ctrl+Alt
// is AltGr, and the US layout has no AltGr characters.
BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (!IsKeyDownMessage(msg->message) && !IsKeyUpMessage(msg->message))) return FALSE;
  if (IsKeyUpMessage(msg->message)) return TRUE;
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  bool alt = GetKeyState(VK_MENU) < 0;
  int ch = CharOf(static_cast<WORD>(msg->wParam), shift);
  if (ch < 0 || (ctrl && alt)) return TRUE;
  if (ctrl && ch >= 'a' && ch <= 'z') ch -= 'a' - 1;
  else if (ctrl && ch >= 'A' && ch <= 'Z') ch -= 'A' - 1;
  // Translated characters go ahead of anything else waiting, as the real queue delivers them next.
  PostMessageAhead(msg->hwnd, msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR, static_cast<WPARAM>(ch), msg->lParam);
  return TRUE;
}

// ---- key data ---------------------------------------------------------------------------

namespace {

// The stand-in's US keyboard, key by key: where the key sits (its USB usage, the number a
// keyboard reports), its virtual-key code, and the scan code and extended flag its key data
// carries. The keypad's digits and point are listed as they are with Num Lock off.
struct TKeyboardKey {
  uint16_t Usage;
  WORD Vk;
  BYTE ScanCode;
  bool Extended;
};
constexpr TKeyboardKey kKeys[] = {
    {0x04, 'A', 0x1E, false}, {0x05, 'B', 0x30, false}, {0x06, 'C', 0x2E, false}, {0x07, 'D', 0x20, false},
    {0x08, 'E', 0x12, false}, {0x09, 'F', 0x21, false}, {0x0A, 'G', 0x22, false}, {0x0B, 'H', 0x23, false},
    {0x0C, 'I', 0x17, false}, {0x0D, 'J', 0x24, false}, {0x0E, 'K', 0x25, false}, {0x0F, 'L', 0x26, false},
    {0x10, 'M', 0x32, false}, {0x11, 'N', 0x31, false}, {0x12, 'O', 0x18, false}, {0x13, 'P', 0x19, false},
    {0x14, 'Q', 0x10, false}, {0x15, 'R', 0x13, false}, {0x16, 'S', 0x1F, false}, {0x17, 'T', 0x14, false},
    {0x18, 'U', 0x16, false}, {0x19, 'V', 0x2F, false}, {0x1A, 'W', 0x11, false}, {0x1B, 'X', 0x2D, false},
    {0x1C, 'Y', 0x15, false}, {0x1D, 'Z', 0x2C, false},
    {0x1E, '1', 0x02, false}, {0x1F, '2', 0x03, false}, {0x20, '3', 0x04, false}, {0x21, '4', 0x05, false},
    {0x22, '5', 0x06, false}, {0x23, '6', 0x07, false}, {0x24, '7', 0x08, false}, {0x25, '8', 0x09, false},
    {0x26, '9', 0x0A, false}, {0x27, '0', 0x0B, false},
    {0x28, VK_RETURN, 0x1C, false}, {0x29, VK_ESCAPE, 0x01, false}, {0x2A, VK_BACK, 0x0E, false},
    {0x2B, VK_TAB, 0x0F, false}, {0x2C, VK_SPACE, 0x39, false}, {0x2D, VK_OEM_MINUS, 0x0C, false},
    {0x2E, VK_OEM_PLUS, 0x0D, false}, {0x2F, VK_OEM_4, 0x1A, false}, {0x30, VK_OEM_6, 0x1B, false},
    {0x31, VK_OEM_5, 0x2B, false}, {0x33, VK_OEM_1, 0x27, false}, {0x34, VK_OEM_7, 0x28, false},
    {0x35, VK_OEM_3, 0x29, false}, {0x36, VK_OEM_COMMA, 0x33, false}, {0x37, VK_OEM_PERIOD, 0x34, false},
    {0x38, VK_OEM_2, 0x35, false}, {0x39, VK_CAPITAL, 0x3A, false},
    {0x3A, VK_F1, 0x3B, false}, {0x3B, VK_F1 + 1, 0x3C, false}, {0x3C, VK_F1 + 2, 0x3D, false},
    {0x3D, VK_F1 + 3, 0x3E, false}, {0x3E, VK_F1 + 4, 0x3F, false}, {0x3F, VK_F1 + 5, 0x40, false},
    {0x40, VK_F1 + 6, 0x41, false}, {0x41, VK_F1 + 7, 0x42, false}, {0x42, VK_F1 + 8, 0x43, false},
    {0x43, VK_F1 + 9, 0x44, false}, {0x44, VK_F1 + 10, 0x57, false}, {0x45, VK_F1 + 11, 0x58, false},
    {0x46, VK_SNAPSHOT, 0x37, true}, {0x47, VK_SCROLL, 0x46, false}, {0x48, VK_PAUSE, 0x45, false},
    {0x49, VK_INSERT, 0x52, true}, {0x4A, VK_HOME, 0x47, true}, {0x4B, VK_PRIOR, 0x49, true},
    {0x4C, VK_DELETE, 0x53, true}, {0x4D, VK_END, 0x4F, true}, {0x4E, VK_NEXT, 0x51, true},
    {0x4F, VK_RIGHT, 0x4D, true}, {0x50, VK_LEFT, 0x4B, true}, {0x51, VK_DOWN, 0x50, true},
    {0x52, VK_UP, 0x48, true}, {0x53, VK_NUMLOCK, 0x45, true}, {0x54, VK_DIVIDE, 0x35, true},
    {0x55, VK_MULTIPLY, 0x37, false}, {0x56, VK_SUBTRACT, 0x4A, false}, {0x57, VK_ADD, 0x4E, false},
    {0x58, VK_RETURN, 0x1C, true}, {0x59, VK_END, 0x4F, false}, {0x5A, VK_DOWN, 0x50, false},
    {0x5B, VK_NEXT, 0x51, false}, {0x5C, VK_LEFT, 0x4B, false}, {0x5D, VK_CLEAR, 0x4C, false},
    {0x5E, VK_RIGHT, 0x4D, false}, {0x5F, VK_HOME, 0x47, false}, {0x60, VK_UP, 0x48, false},
    {0x61, VK_PRIOR, 0x49, false}, {0x62, VK_INSERT, 0x52, false}, {0x63, VK_DELETE, 0x53, false},
    {0x64, VK_OEM_102, 0x56, false}, {0x65, VK_APPS, 0x5D, true},
    {0xE0, VK_CONTROL, 0x1D, false}, {0xE1, VK_SHIFT, 0x2A, false}, {0xE2, VK_MENU, 0x38, false},
    {0xE3, VK_LWIN, 0x5B, true}, {0xE4, VK_CONTROL, 0x1D, true}, {0xE5, VK_SHIFT, 0x36, false},
    {0xE6, VK_MENU, 0x38, true}, {0xE7, VK_RWIN, 0x5C, true},
};

// With Num Lock on, the keypad's navigation keys type digits and the point instead.
WORD NumLockKeypadVk(uint16_t usage) {
  if (usage >= 0x59 && usage <= 0x61) return static_cast<WORD>(VK_NUMPAD0 + 1 + (usage - 0x59));
  if (usage == 0x62) return VK_NUMPAD0;
  if (usage == 0x63) return VK_DECIMAL;
  return 0;
}

}  // namespace

TKeyCode KeyOfUsage(uint16_t usage, bool numLock) {
  for (const TKeyboardKey& k : kKeys) {
    if (k.Usage != usage) continue;
    const WORD digit = numLock ? NumLockKeypadVk(usage) : 0;
    return {digit ? digit : k.Vk, k.ScanCode, k.Extended};
  }
  return {};
}

// The main block's key where a code has two (Enter, the arrows): the keypad's come later.
WORD ScanCodeOf(WORD vk) {
  const WORD generic = GenericKey(vk);
  if (vk == VK_RSHIFT) return 0x36;
  for (const TKeyboardKey& k : kKeys)
    if (k.Vk == generic && (k.Extended == IsExtendedKey(generic) || k.Vk == VK_RETURN)) return k.ScanCode;
  return 0;
}

bool IsExtendedKey(WORD vk) {
  switch (vk) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
    case VK_DIVIDE: case VK_NUMLOCK: case VK_RCONTROL: case VK_RMENU:
      return true;
    default:
      return false;
  }
}

LPARAM KeyInputData(UINT message, WORD vk, WORD scanCode, bool extended) {
  if (!IsKeyDownMessage(message) && !IsKeyUpMessage(message)) return 0;
  BYTE* state = KB().AsyncKeyState;
  const bool up = IsKeyUpMessage(message);
  const bool wasDown = vk != 0 && vk <= 0xFF && (state[SidedKey(vk, scanCode, extended)] & 0x80);
  ApplyKeyEvent(state, vk, scanCode, extended, !up);
  uint32_t data = 1u | static_cast<uint32_t>(scanCode & 0xFF) << 16;
  if (extended) data |= 1u << 24;
  // Alt as it is once this key is applied: set on Alt's own press, clear on its release.
  if (state[VK_MENU] & 0x80) data |= 1u << 29;
  if (wasDown) data |= 1u << 30;
  if (up) data |= 1u << 31;
  return static_cast<LPARAM>(data);
}

LPARAM MakeKeyData(UINT message, WORD vk) { return KeyInputData(message, vk, ScanCodeOf(vk), IsExtendedKey(vk)); }

SHORT GetAsyncKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  return (KB().AsyncKeyState[vk] & 0x80) ? static_cast<SHORT>(0x8000) : 0;
}

// Which keystrokes are system keystrokes: those made while Alt is held without Ctrl, F10,
// Alt's own press without Ctrl, and Alt's release when no other key came between (the tap
// that opens the menu bar); a Ctrl released while Alt is held ends such a tap.
void keybd_event(BYTE bVk, BYTE scanCode, DWORD flags, uintptr_t) {
  TKeyboard& kb = KB();
  const WORD vk = GenericKey(bVk);
  const bool up = (flags & KEYEVENTF_KEYUP) != 0;
  const bool altDown = (kb.AsyncKeyState[VK_MENU] & 0x80) != 0;
  const bool ctrlDown = (kb.AsyncKeyState[VK_CONTROL] & 0x80) != 0;
  bool system;
  switch (vk) {
    case VK_MENU:
      system = up ? altDown && kb.AltAlone : !ctrlDown;
      break;
    case VK_CONTROL:
      system = up && altDown;
      break;
    case VK_F10:
      system = true;
      break;
    default:
      system = altDown && !ctrlDown;
      break;
  }
  // Alt's own system press starts a tap; any other system keystroke ends it.
  if (vk == VK_MENU)
    kb.AltAlone = !up && system;
  else if (system)
    kb.AltAlone = false;
  // With nothing focused, keystrokes go to the active window, all as system keystrokes.
  HWND target = GetFocus();
  if (!target) {
    target = GetActiveWindow();
    system = true;
  }
  const UINT message = up ? (system ? WM_SYSKEYUP : WM_KEYUP) : (system ? WM_SYSKEYDOWN : WM_KEYDOWN);
  const LPARAM data = KeyInputData(message, bVk, scanCode, (flags & KEYEVENTF_EXTENDEDKEY) != 0);
  if (target) PostMessage(target, message, vk, data);
}
