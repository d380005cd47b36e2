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

// The thread's key state follows the keyboard messages it takes off its queue.
void KeyMessageRetrieved(const MSG& msg) {
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

WORD ScanCodeOf(WORD vk) {
  static const BYTE letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                   0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  if (vk >= 'A' && vk <= 'Z') return letters[vk - 'A'];
  if (vk >= '1' && vk <= '9') return static_cast<WORD>(0x02 + (vk - '1'));
  if (vk >= VK_F1 && vk <= VK_F10) return static_cast<WORD>(0x3B + (vk - VK_F1));
  switch (vk) {
    case '0': return 0x0B;
    case VK_RETURN: return 0x1C;
    case VK_BACK: return 0x0E;
    case VK_TAB: return 0x0F;
    case VK_SPACE: return 0x39;
    case VK_ESCAPE: return 0x01;
    case VK_SHIFT: case VK_LSHIFT: return 0x2A;
    case VK_RSHIFT: return 0x36;
    case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL: return 0x1D;
    case VK_MENU: case VK_LMENU: case VK_RMENU: return 0x38;
    case VK_DELETE: return 0x53;
    case VK_INSERT: return 0x52;
    case VK_HOME: return 0x47;
    case VK_END: return 0x4F;
    case VK_PRIOR: return 0x49;
    case VK_NEXT: return 0x51;
    case VK_LEFT: return 0x4B;
    case VK_UP: return 0x48;
    case VK_RIGHT: return 0x4D;
    case VK_DOWN: return 0x50;
    default: return 0;
  }
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
