// Keyboard input: the key data of keystroke messages and the key state the queue keeps.
#include "DesktopFixture.h"

namespace {

using KeyboardTest = TDesktopTest;

TEST_F(KeyboardTest, KeyDataHasTheKeyboardDriversLayout) {
  struct {
    UINT Message;
    WORD Vk;
    bool PreviousDown;
    WORD Repeat;
    uint32_t Expected;
  } rows[] = {
      {WM_KEYDOWN, 'A', false, 1, 0x001E0001},
      {WM_KEYDOWN, 'A', true, 1, 0x401E0001},  // autorepeat: the key was already down
      {WM_KEYDOWN, 'A', true, 3, 0x401E0003},
      {WM_KEYUP, 'A', false, 1, 0xC01E0001},
      {WM_KEYUP, 'A', true, 4, 0xC01E0001},  // a release always counts one and was down before
      {WM_SYSKEYDOWN, 'A', false, 1, 0x201E0001},  // system keys carry the Alt context bit
      {WM_SYSKEYUP, 'A', false, 1, 0xE01E0001},
      {WM_KEYDOWN, VK_RETURN, false, 1, 0x001C0001},
      {WM_KEYDOWN, VK_BACK, false, 1, 0x000E0001},
      {WM_KEYDOWN, VK_SHIFT, false, 1, 0x002A0001},
      {WM_KEYDOWN, VK_DELETE, false, 1, 0x01530001},  // the navigation cluster is extended
      {WM_KEYDOWN, VK_HOME, false, 1, 0x01470001},
      {WM_KEYUP, VK_LEFT, false, 1, 0xC14B0001},
      {WM_KEYDOWN, VK_NEXT, false, 1, 0x01510001},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(MessageName(row.Message) + " vk " + std::to_string(row.Vk));
    EXPECT_EQ(static_cast<uint32_t>(MakeKeyData(row.Message, row.Vk, row.PreviousDown, row.Repeat)), row.Expected);
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

}  // namespace
