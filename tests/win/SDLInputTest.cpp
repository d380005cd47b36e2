// The person's keyboard and mouse from SDL events: the messages the window system makes of
// them, as the real keyboard and mouse drivers would.
#include "DesktopFixture.h"
#include "platform/win/SDLInput.h"
#include "platform/win/Surface.h"

namespace {

class SDLInputTest : public TDesktopTest {
 protected:
  void SetUp() override {
    TDesktopTest::SetUp();
    MakeFocusedWindow();
  }
  // A fresh desktop: no key down, one focused window.
  void Fresh() {
    ResetWindowManager();
    input = TSDLInput();
    MakeFocusedWindow();
  }
  void MakeFocusedWindow() {
    TCreateWindowParams p;
    p.ClassName = "W";
    p.Style = WS_VISIBLE;
    p.Bounds = {100, 50, 300, 250};
    wnd = CreateWindowEx(p);
    SetFocus(wnd);
  }
  static SDL_Event Key(bool down, SDL_Scancode code, Uint16 mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.scancode = code;
    e.key.keysym.mod = mod;
    return e;
  }
  static SDL_Event Button(bool down, Uint8 button, int x, int y) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    return e;
  }
  // Everything the events made, as the class library's loop takes it: translated, in order
  // (the window's paint cycle aside).
  std::vector<MSG> Take() {
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
      if (msg.message != WM_PAINT) out.push_back(msg);
    }
    return out;
  }

  TSDLInput input;
  HWND wnd = 0;
};

struct TExpected {
  UINT Message;
  WPARAM WParam;
  uint32_t LParam;
};

void ExpectMessages(const std::vector<MSG>& seen, const std::vector<TExpected>& expected) {
  ASSERT_EQ(seen.size(), expected.size());
  for (size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE("message " + std::to_string(i));
    EXPECT_EQ(seen[i].message, expected[i].Message);
    EXPECT_EQ(seen[i].wParam, expected[i].WParam);
    EXPECT_EQ(static_cast<uint32_t>(seen[i].lParam), expected[i].LParam);
  }
}

// Keys by where they sit: the virtual-key code, scan code and extended flag of a US
// keyboard, characters through TranslateMessage, Alt making system keystrokes.
TEST_F(SDLInputTest, KeysBecomeTheKeystrokesAndCharactersOfTheRealKeyboard) {
  struct {
    const char* Name;
    std::vector<SDL_Event> Events;
    std::vector<TExpected> Expected;
  } rows[] = {
      {"a letter", {Key(true, SDL_SCANCODE_A), Key(false, SDL_SCANCODE_A)},
       {{WM_KEYDOWN, 'A', 0x001E0001}, {WM_CHAR, 'a', 0x001E0001}, {WM_KEYUP, 'A', 0xC01E0001}}},
      {"a capital with the right Shift",
       {Key(true, SDL_SCANCODE_RSHIFT), Key(true, SDL_SCANCODE_SEMICOLON), Key(false, SDL_SCANCODE_SEMICOLON),
        Key(false, SDL_SCANCODE_RSHIFT)},
       {{WM_KEYDOWN, VK_SHIFT, 0x00360001},
        {WM_KEYDOWN, VK_OEM_1, 0x00270001},
        {WM_CHAR, ':', 0x00270001},
        {WM_KEYUP, VK_OEM_1, 0xC0270001},
        {WM_KEYUP, VK_SHIFT, 0xC0360001}}},
      {"a key held until it repeats", {Key(true, SDL_SCANCODE_SPACE), Key(true, SDL_SCANCODE_SPACE)},
       {{WM_KEYDOWN, VK_SPACE, 0x00390001},
        {WM_CHAR, ' ', 0x00390001},
        {WM_KEYDOWN, VK_SPACE, 0x40390001},
        {WM_CHAR, ' ', 0x40390001}}},
      {"the navigation cluster is extended", {Key(true, SDL_SCANCODE_DELETE), Key(true, SDL_SCANCODE_RIGHT)},
       {{WM_KEYDOWN, VK_DELETE, 0x01530001}, {WM_KEYDOWN, VK_RIGHT, 0x014D0001}}},
      {"the keypad's Enter is extended, its 7 is Home without Num Lock",
       {Key(true, SDL_SCANCODE_KP_ENTER), Key(true, SDL_SCANCODE_KP_7)},
       {{WM_KEYDOWN, VK_RETURN, 0x011C0001}, {WM_CHAR, '\r', 0x011C0001}, {WM_KEYDOWN, VK_HOME, 0x00470001}}},
      {"with Num Lock the keypad types digits", {Key(true, SDL_SCANCODE_KP_7, KMOD_NUM)},
       {{WM_KEYDOWN, VK_NUMPAD0 + 7, 0x00470001}, {WM_CHAR, '7', 0x00470001}}},
      {"the right Ctrl", {Key(true, SDL_SCANCODE_RCTRL), Key(false, SDL_SCANCODE_RCTRL)},
       {{WM_KEYDOWN, VK_CONTROL, 0x011D0001}, {WM_KEYUP, VK_CONTROL, 0xC11D0001}}},
      {"Alt held for F", {Key(true, SDL_SCANCODE_LALT), Key(true, SDL_SCANCODE_F), Key(false, SDL_SCANCODE_F),
                          Key(false, SDL_SCANCODE_LALT)},
       {{WM_SYSKEYDOWN, VK_MENU, 0x20380001},
        {WM_SYSKEYDOWN, 'F', 0x20210001},
        {WM_SYSCHAR, 'f', 0x20210001},
        {WM_SYSKEYUP, 'F', 0xE0210001},
        {WM_KEYUP, VK_MENU, 0xC0380001}}},
      {"a key the keyboard does not have", {Key(true, SDL_SCANCODE_AUDIOPLAY)}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    Fresh();
    for (const SDL_Event& e : row.Events) EXPECT_TRUE(input.Post(e, 1000));
    const std::vector<MSG> seen = Take();
    ExpectMessages(seen, row.Expected);
    for (const MSG& m : seen) EXPECT_EQ(m.hwnd, wnd);
  }
}

// Buttons and moves at screen points: client coordinates of the window under the point,
// or of the capture window wherever the mouse is; the keys down ride in WParam.
TEST_F(SDLInputTest, MouseEventsGoToTheWindowUnderThePointOrTheCapture) {
  const SDL_Event shiftDown = Key(true, SDL_SCANCODE_LSHIFT);
  input.Post(Button(true, SDL_BUTTON_LEFT, 110, 60), 10);
  SDL_Event move{};
  move.type = SDL_MOUSEMOTION;
  move.motion.x = 150;
  move.motion.y = 70;
  input.Post(move, 20);
  input.Post(shiftDown, 25);
  input.Post(Button(false, SDL_BUTTON_LEFT, 120, 65), 30);
  input.Post(Button(true, SDL_BUTTON_RIGHT, 400, 400), 40);  // outside: the desktop's
  std::vector<MSG> mouse;
  for (const MSG& m : Take())
    if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) mouse.push_back(m);
  ExpectMessages(mouse, {{WM_LBUTTONDOWN, MK_LBUTTON, (10u << 16) | 10u},
                         {WM_MOUSEMOVE, MK_LBUTTON, (20u << 16) | 50u},
                         {WM_LBUTTONUP, MK_SHIFT, (15u << 16) | 20u}});
  ASSERT_EQ(mouse.size(), 3u);
  EXPECT_EQ(mouse[0].time, 10u);
  EXPECT_EQ(mouse[2].time, 30u);

  // Captured, a press far outside still comes to the window, in its client coordinates
  // (negative ones too); a point off the screen is the screen's edge. The right button
  // pressed over the desktop is still down.
  SetCapture(wnd);
  input.Post(Button(true, SDL_BUTTON_MIDDLE, 20, 30), 50);
  input.Post(Button(false, SDL_BUTTON_MIDDLE, -40, 5000), 60);
  const uint32_t bottom = static_cast<uint32_t>(ScreenSurface().Height - 1 - 50);
  std::vector<MSG> captured;
  for (const MSG& m : Take())
    if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) captured.push_back(m);
  ExpectMessages(captured, {{WM_MBUTTONDOWN, MK_MBUTTON | MK_RBUTTON | MK_SHIFT, 0xFFECFFB0u},
                            {WM_MBUTTONUP, MK_RBUTTON | MK_SHIFT, (bottom << 16) | 0xFF9Cu}});
}

// The wheel goes to the focus window wherever the mouse is, a notch at a time, with the
// cursor's screen point.
TEST_F(SDLInputTest, TheWheelGoesToTheFocusWindow) {
  SDL_Event move{};
  move.type = SDL_MOUSEMOTION;
  move.motion.x = 700;
  move.motion.y = 600;
  input.Post(move, 0);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.y = -2;
  input.Post(wheel, 0);
  wheel.wheel.y = 1;
  wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
  input.Post(wheel, 0);
  std::vector<MSG> wheels;
  for (const MSG& m : Take())
    if (m.message == WM_MOUSEWHEEL) wheels.push_back(m);
  ExpectMessages(wheels, {{WM_MOUSEWHEEL, 0xFF100000u, (600u << 16) | 700u},
                          {WM_MOUSEWHEEL, 0xFF880000u, (600u << 16) | 700u}});
  for (const MSG& m : wheels) EXPECT_EQ(m.hwnd, wnd);
}

}  // namespace
