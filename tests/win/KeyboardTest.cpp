// Keyboard input: the key data of keystroke messages and the key state the queue keeps.
#include "DesktopFixture.h"

namespace {

using KeyboardTest = TDesktopTest;

// Each keystroke is applied to the keyboard's key state in turn: scan code and extended flag
// from the layout, the previous-state and transition bits from what was down before.
TEST_F(KeyboardTest, KeyDataHasTheKeyboardsLayoutAndItsKeyHistory) {
  struct {
    UINT Message;
    WORD Vk;
    uint32_t Expected;
  } rows[] = {
      {WM_KEYDOWN, 'A', 0x001E0001},
      {WM_KEYDOWN, 'A', 0x401E0001},  // autorepeat: the key was already down
      {WM_KEYUP, 'A', 0xC01E0001},
      {WM_KEYUP, 'A', 0x801E0001},  // released again: it was not down
      {WM_KEYDOWN, VK_RETURN, 0x001C0001},
      {WM_KEYDOWN, VK_BACK, 0x000E0001},
      {WM_KEYDOWN, VK_SHIFT, 0x002A0001},
      {WM_KEYDOWN, VK_RSHIFT, 0x00360001},  // each side has its own history
      {WM_KEYDOWN, VK_DELETE, 0x01530001},  // the navigation cluster is extended
      {WM_KEYDOWN, VK_HOME, 0x01470001},
      {WM_KEYUP, VK_LEFT, 0x814B0001},
      {WM_KEYDOWN, VK_NEXT, 0x01510001},
      {WM_KEYDOWN, VK_RCONTROL, 0x011D0001},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(MessageName(row.Message) + " vk " + std::to_string(row.Vk));
    EXPECT_EQ(static_cast<uint32_t>(MakeKeyData(row.Message, row.Vk)), row.Expected);
  }
}

// The key state follows the keyboard messages this thread takes off its queue, not the
// ones waiting in it.
TEST_F(KeyboardTest, KeyStateChangesWhenTheMessageIsRetrievedNotWhenPosted) {
  HWND w = MakeWindow("W", nullptr);
  auto post = [&](HWND target, UINT message, WORD vk) { PostMessage(target, message, vk, MakeKeyData(message, vk)); };
  MSG msg;

  post(w, WM_KEYDOWN, VK_SHIFT);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0) << "the keyboard itself knows at once";
  ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE));
  EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "peeking without removing changes nothing";
  ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);

  post(w, WM_KEYUP, VK_SHIFT);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);

  // A keystroke for a window that died before it was retrieved never happened.
  HWND doomed = MakeWindow("W", nullptr);
  post(doomed, WM_KEYDOWN, VK_CONTROL);
  DestroyWindow(doomed);
  EXPECT_FALSE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);

  // Each press flips the toggle bit; the high bit stays the down state.
  std::vector<SHORT> capsLock;
  for (int i = 0; i < 2; ++i) {
    post(w, WM_KEYDOWN, VK_CAPITAL);
    PeekMessage(&msg, 0, 0, 0, PM_REMOVE);
    capsLock.push_back(GetKeyState(VK_CAPITAL));
    post(w, WM_KEYUP, VK_CAPITAL);
    PeekMessage(&msg, 0, 0, 0, PM_REMOVE);
    capsLock.push_back(GetKeyState(VK_CAPITAL));
  }
  EXPECT_EQ(capsLock, (std::vector<SHORT>{static_cast<SHORT>(0xFF81), 1, static_cast<SHORT>(0xFF80), 0}));
}

// Keystrokes made as the keyboard makes them, to the focus window.
class KeyInput : public TDesktopTest {
 protected:
  void SetUp() override {
    TDesktopTest::SetUp();
    proc.Records = &seen;
    proc.Next = DefWindowProcValue();
    wnd = MakeWindow("W", proc.Value());
    SetFocus(wnd);
  }
  static void Key(BYTE vk, DWORD flags) { keybd_event(vk, static_cast<BYTE>(ScanCodeOf(vk)), flags, 0); }
  // Runs the queue as the class library's loop does, translating keystrokes if asked.
  void Pump(bool translate) {
    MSG msg;
    while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
      if (translate) TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }

  TLoggingProc proc{"W", log};
  TMessageRecords seen;
  HWND wnd = 0;
};

constexpr DWORD kUp = KEYEVENTF_KEYUP, kExt = KEYEVENTF_EXTENDEDKEY;

// Which message each keystroke makes and its key data: the context bit is Alt as it is once
// the key is applied, so Alt's own release has it clear; the previous-state bit is the key's
// own history, so a release of a key that was not down has it clear.
TEST_F(KeyInput, KeystrokesMakeTheMessagesAndKeyDataOfTheRealKeyboard) {
  proc.Only = {WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP};
  struct TStroke {
    BYTE Vk;
    DWORD Flags;
  };
  struct TSeen {
    UINT Message;
    WORD Vk;
    uint32_t KeyData;
  };
  struct {
    const char* Name;
    bool Focused;
    std::vector<TStroke> Strokes;
    std::vector<TSeen> Expected;
  } rows[] = {
      {"Alt tapped alone", true, {{VK_MENU, 0}, {VK_MENU, kUp}},
       {{WM_SYSKEYDOWN, VK_MENU, 0x20380001}, {WM_SYSKEYUP, VK_MENU, 0xC0380001}}},
      {"Alt held for another key", true, {{VK_MENU, 0}, {'F', 0}, {'F', kUp}, {VK_MENU, kUp}},
       {{WM_SYSKEYDOWN, VK_MENU, 0x20380001}, {WM_SYSKEYDOWN, 'F', 0x20210001}, {WM_SYSKEYUP, 'F', 0xE0210001},
        {WM_KEYUP, VK_MENU, 0xC0380001}}},
      {"a key held until it repeats", true, {{'A', 0}, {'A', 0}, {'A', kUp}},
       {{WM_KEYDOWN, 'A', 0x001E0001}, {WM_KEYDOWN, 'A', 0x401E0001}, {WM_KEYUP, 'A', 0xC01E0001}}},
      {"a key released that was not down", true, {{'A', kUp}}, {{WM_KEYUP, 'A', 0x801E0001}}},
      {"Ctrl+Alt", true, {{VK_CONTROL, 0}, {VK_MENU, 0}, {'N', 0}, {'N', kUp}, {VK_MENU, kUp}, {VK_CONTROL, kUp}},
       {{WM_KEYDOWN, VK_CONTROL, 0x001D0001}, {WM_KEYDOWN, VK_MENU, 0x20380001}, {WM_KEYDOWN, 'N', 0x20310001},
        {WM_KEYUP, 'N', 0xE0310001}, {WM_KEYUP, VK_MENU, 0xC0380001}, {WM_KEYUP, VK_CONTROL, 0xC01D0001}}},
      {"F10", true, {{VK_F10, 0}, {VK_F10, kUp}},
       {{WM_SYSKEYDOWN, VK_F10, 0x00440001}, {WM_SYSKEYUP, VK_F10, 0xC0440001}}},
      {"right Alt", true, {{VK_RMENU, kExt}, {VK_RMENU, kExt | kUp}},
       {{WM_SYSKEYDOWN, VK_MENU, 0x21380001}, {WM_SYSKEYUP, VK_MENU, 0xC1380001}}},
      {"nothing focused: the active window gets system keystrokes", false, {{'A', 0}, {'A', kUp}},
       {{WM_SYSKEYDOWN, 'A', 0x001E0001}, {WM_SYSKEYUP, 'A', 0xC01E0001}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    ResetWindowManager();
    seen.clear();
    wnd = MakeWindow("W", proc.Value());
    SetFocus(wnd);
    if (!row.Focused) SetFocus(0);
    ASSERT_EQ(GetActiveWindow(), wnd);
    for (const TStroke& s : row.Strokes) Key(s.Vk, s.Flags);
    Pump(false);
    TMessageRecords expected;
    for (const TSeen& e : row.Expected) expected.push_back({wnd, e.Message, e.Vk, static_cast<LPARAM>(e.KeyData)});
    EXPECT_EQ(seen, expected);
  }
}

// Shift picks the upper row, Ctrl the control characters, Alt makes system characters, and
// Ctrl+Alt (AltGr) makes none on a US keyboard.
TEST_F(KeyInput, TranslationMakesTheCharactersOfEachChord) {
  proc.Only = {WM_CHAR, WM_SYSCHAR};
  struct {
    const char* Name;
    std::vector<BYTE> Held;
    TMessageRecords Expected;
  } rows[] = {
      {"N", {}, {{wnd, WM_CHAR, 'n', 0x00310001}}},
      {"Shift+N", {VK_SHIFT}, {{wnd, WM_CHAR, 'N', 0x00310001}}},
      {"Ctrl+N", {VK_CONTROL}, {{wnd, WM_CHAR, 0x0E, 0x00310001}}},
      {"Alt+N", {VK_MENU}, {{wnd, WM_SYSCHAR, 'n', 0x20310001}}},
      {"Ctrl+Alt+N", {VK_CONTROL, VK_MENU}, {}},
      {"Ctrl+Alt+Shift+N", {VK_CONTROL, VK_MENU, VK_SHIFT}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    seen.clear();
    for (BYTE vk : row.Held) Key(vk, 0);
    Key('N', 0);
    Key('N', kUp);
    for (auto vk = row.Held.rbegin(); vk != row.Held.rend(); ++vk) Key(*vk, kUp);
    Pump(true);
    EXPECT_EQ(seen, row.Expected);
  }
}

}  // namespace
