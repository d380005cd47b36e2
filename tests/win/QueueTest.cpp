// The message queue: order, messages of windows that die, WM_QUIT and synthesized WM_PAINT.
#include "DesktopFixture.h"

namespace {

using QueueTest = TDesktopTest;

// Runs the queue dry the way a message loop does; returns the WM_QUIT exit code, or -1.
int Pump() {
  MSG msg;
  while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
    DispatchMessage(&msg);
  }
  return -1;
}

// Takes messages off the queue as a message loop does and records them, until the queue is
// dry, a WM_QUIT came, or `limit` were taken (an invalid window keeps WM_PAINT coming).
TMessageRecords Retrieve(HWND filter = 0, size_t limit = 20) {
  TMessageRecords taken;
  MSG msg;
  while (taken.size() < limit && PeekMessage(&msg, filter, 0, 0, PM_REMOVE)) {
    taken.push_back({msg.hwnd, msg.message, msg.wParam, msg.lParam});
    if (msg.message == WM_QUIT) break;
    DispatchMessage(&msg);
  }
  return taken;
}

TEST_F(QueueTest, PostedMessagesKeepTheirOrderAndThoseOfDeadWindowsAreDropped) {
  TLoggingProc p1{"W1", log}, p2{"W2", log}, p3{"W3", log};
  p1.Only = p2.Only = p3.Only = {WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4, WM_USER + 5};
  HWND w1 = MakeWindow("W", p1.Value()), w2 = MakeWindow("W", p2.Value()), w3 = MakeWindow("W", p3.Value());
  // W1's first message destroys W3 while W3's message waits behind it.
  p1.OnMessage = [&](HWND, UINT msg) { if (msg == WM_USER + 1) DestroyWindow(w3); };
  ASSERT_TRUE(PostMessage(w1, WM_USER + 1, 0, 0));
  ASSERT_TRUE(PostMessage(w2, WM_USER + 2, 0, 0));
  ASSERT_TRUE(PostMessage(w3, WM_USER + 3, 0, 0));
  ASSERT_TRUE(PostMessage(w2, WM_USER + 4, 0, 0));
  ASSERT_TRUE(PostMessage(w1, WM_USER + 5, 0, 0));
  DestroyWindow(w2);
  EXPECT_EQ(Pump(), -1);
  EXPECT_EQ(log, (TMessageLog{"W1:WM_USER+1", "W1:WM_USER+5"}));
  EXPECT_EQ(GetQueueLength(), 0);

  SetLastError(0);
  EXPECT_FALSE(PostMessage(w2, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(QueueTest, SendMessageRunsAtOnceAndAWindowFilterLeavesTheRestInOrder) {
  TLoggingProc p1{"W1", log}, p2{"W2", log};
  p1.Only = p2.Only = {WM_USER + 1, WM_USER + 2, WM_USER + 3};
  HWND w1 = MakeWindow("W", p1.Value()), w2 = MakeWindow("W", p2.Value());
  PostMessage(w1, WM_USER + 1, 0, 0);
  PostMessage(w2, WM_USER + 2, 0, 0);
  SendMessage(w1, WM_USER + 3, 0, 0);
  EXPECT_EQ(log, (TMessageLog{"W1:WM_USER+3"}));

  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, w2, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, w2);
  EXPECT_EQ(msg.message, WM_USER + 2);
  ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1);
  EXPECT_EQ(GetQueueLength(), 1);
}

// WM_QUIT waits for every posted message, even those posted after PostQuitMessage.
TEST_F(QueueTest, QuitComesAfterEveryPostedMessage) {
  TLoggingProc p{"W", log};
  p.Only = {WM_USER + 1, WM_USER + 2};
  HWND w = MakeWindow("W", p.Value());
  PostMessage(w, WM_USER + 1, 0, 0);
  PostQuitMessage(3);
  PostMessage(w, WM_USER + 2, 0, 0);

  MSG msg;
  EXPECT_TRUE(GetMessage(&msg, 0, 0, 0));
  DispatchMessage(&msg);
  EXPECT_TRUE(GetMessage(&msg, 0, 0, 0));
  DispatchMessage(&msg);
  EXPECT_FALSE(GetMessage(&msg, 0, 0, 0));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_EQ(log, (TMessageLog{"W:WM_USER+1", "W:WM_USER+2"}));
  EXPECT_FALSE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) << "the quit message is handed out once";
}

// WM_PAINT is never queued: it is made up for an invalid window when nothing is posted.
TEST_F(QueueTest, PaintIsSynthesizedAfterPostedMessagesUntilTheWindowIsValid) {
  TLoggingProc p{"W", log};
  HWND w = MakeWindow("W", p.Value(), WS_VISIBLE);
  HWND valid = MakeWindow("Valid", nullptr, WS_VISIBLE);
  ValidateRect(valid, nullptr);
  ValidateRect(w, nullptr);
  MSG msg;
  EXPECT_FALSE(PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE)) << "valid windows get no paint message";

  InvalidateRect(w, nullptr, TRUE);
  PostMessage(w, WM_USER, 0, 0);
  PostQuitMessage(0);
  std::vector<UINT> order;
  for (int i = 0; i < 3 && PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE); ++i) {
    order.push_back(msg.message);
    if (msg.message == WM_PAINT) {
      EXPECT_EQ(msg.hwnd, w);
      EXPECT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE)) << "peeking does not validate";
    }
    PeekMessage(&msg, 0, 0, 0, PM_REMOVE);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_QUIT, WM_PAINT}));
  EXPECT_FALSE(PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE)) << "taking the paint message validates";

  InvalidateRect(w, nullptr, TRUE);
  EXPECT_FALSE(PeekMessage(&msg, 0, WM_USER, WM_USER + 10, PM_NOREMOVE)) << "a filter above WM_PAINT";
  EXPECT_FALSE(PeekMessage(&msg, 0, WM_NULL, WM_CREATE, PM_NOREMOVE)) << "a filter below WM_PAINT";
  EXPECT_TRUE(PeekMessage(&msg, 0, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

// A window that posts to itself as it closes: what it posted dies with it, except the first
// WM_QUIT, which still ends the loop as the thread's quit: window 0, its exit code, lParam 0.
TEST_F(QueueTest, AQuitPostedToAWindowThatDiesStillEndsTheLoop) {
  struct {
    const char* Name;
    bool QuitPending;  // PostQuitMessage(3) came first
    bool Destroyed;    // WM_CLOSE goes on to DefWindowProc, which destroys the window
  } rows[] = {
      {"destroyed", false, true},
      {"destroyed with a quit already pending", true, true},
      {"kept alive", false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    HWND other = MakeWindow("Other", nullptr);
    TLoggingProc proc{"W", log};
    proc.Next = DefWindowProcValue();
    if (!row.Destroyed) proc.Answers[WM_CLOSE] = 0;
    proc.OnMessage = [](HWND h, UINT msg) {
      if (msg != WM_CLOSE) return;
      PostMessage(h, WM_USER + 2, 0, 0);
      PostMessage(h, WM_QUIT, 7, 9);
      PostMessage(h, WM_QUIT, 8, 10);
    };
    HWND w = MakeWindow("W", proc.Value());
    if (row.QuitPending) PostQuitMessage(3);
    PostMessage(other, WM_USER + 1, 0, 0);
    SendMessage(w, WM_CLOSE, 0, 0);

    const TMessageRecords expected =
        row.Destroyed ? TMessageRecords{{other, WM_USER + 1, 0, 0}, {0, WM_QUIT, row.QuitPending ? 3u : 7u, 0}}
                      : TMessageRecords{{other, WM_USER + 1, 0, 0}, {w, WM_USER + 2, 0, 0}, {w, WM_QUIT, 7, 9}};
    EXPECT_EQ(Retrieve(), expected);
    EXPECT_EQ(IsWindow(w), row.Destroyed ? FALSE : TRUE);
    // What is left: nothing once the window died, one quit for the thread at most.
    const TMessageRecords left = row.Destroyed ? TMessageRecords{} : TMessageRecords{{w, WM_QUIT, 8, 10}};
    EXPECT_EQ(Retrieve(), left);
    DestroyWindow(w);
    DestroyWindow(other);
  }
}

}  // namespace
