// The message queue: order, messages of windows that die, WM_QUIT, window filters and
// synthesized WM_PAINT.
#include <functional>

#include "DesktopFixture.h"
#include "platform/win/WinMenu.h"

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

// WM_PAINT is never queued: it is made up for an invalid window when nothing is posted, and
// comes again until the window's update region is validated.
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
  ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE)) << "taking the paint message validates nothing";
  EXPECT_EQ(msg.message, WM_PAINT);
  ValidateRect(w, nullptr);
  EXPECT_FALSE(PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE));

  InvalidateRect(w, nullptr, TRUE);
  EXPECT_FALSE(PeekMessage(&msg, 0, WM_USER, WM_USER + 10, PM_NOREMOVE)) << "a filter above WM_PAINT";
  EXPECT_FALSE(PeekMessage(&msg, 0, WM_NULL, WM_CREATE, PM_NOREMOVE)) << "a filter below WM_PAINT";
  EXPECT_TRUE(PeekMessage(&msg, 0, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

// WM_PAINT keeps coming while the window's area stays invalid: a procedure that answers it
// without painting gets it again and again. Painting, ValidateRect or DefWindowProc ends it.
TEST_F(QueueTest, PaintComesAgainUntilTheWindowIsValidated) {
  struct {
    const char* Name;
    std::function<void(HWND)> OnPaint;
    size_t Paints;  // of at most three taken
  } rows[] = {
      {"answered without painting", [](HWND) {}, 3},
      {"BeginPaint and EndPaint",
       [](HWND h) {
         PAINTSTRUCT ps;
         BeginPaint(h, &ps);
         EndPaint(h, &ps);
       },
       1},
      {"ValidateRect", [](HWND h) { ValidateRect(h, nullptr); }, 1},
      {"DefWindowProc", [](HWND h) { DefWindowProc(h, WM_PAINT, 0, 0); }, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    TLoggingProc proc{"W", log};
    proc.Answers[WM_PAINT] = 0;
    proc.OnMessage = [&](HWND h, UINT msg) {
      if (msg == WM_PAINT) row.OnPaint(h);
    };
    HWND w = MakeWindow("W", proc.Value(), WS_VISIBLE);
    EXPECT_EQ(Retrieve(0, 3), TMessageRecords(row.Paints, {w, WM_PAINT, 0, 0}));
    EXPECT_EQ(GetUpdateRect(w, nullptr, FALSE), row.Paints == 3 ? TRUE : FALSE);
    DestroyWindow(w);
  }
}

TEST_F(QueueTest, BeginPaintLendsAContextForTheInvalidAreaUntilEndPaint) {
  HWND w = MakeWindow("W", nullptr, WS_VISIBLE);
  const int contexts = GetLiveDCCount();
  struct {
    const char* Name;
    bool Invalidate, Erase;
    TRect Area;
  } rows[] = {
      {"invalidated with erasing", true, true, {0, 0, 100, 100}},
      {"invalidated without erasing", true, false, {0, 0, 100, 100}},
      {"nothing invalid", false, false, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    ValidateRect(w, nullptr);
    if (row.Invalidate) InvalidateRect(w, nullptr, row.Erase);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    ASSERT_NE(dc, 0u);
    EXPECT_EQ(ps.hdc, dc);
    EXPECT_EQ(WindowFromDC(dc), w);
    EXPECT_EQ(ps.rcPaint, row.Area);
    EXPECT_EQ(ps.fErase, row.Erase ? TRUE : FALSE);
    EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE)) << "BeginPaint validates";
    EXPECT_TRUE(EndPaint(w, &ps));
    EXPECT_EQ(GetLiveDCCount(), contexts) << "EndPaint gives the context back";
  }
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

// A window filter of HWND_BROADCAST, HWND_BOTTOM or HWND_TOPMOST takes only the messages
// posted with no window, in their order.
TEST_F(QueueTest, FiltersNamingNoWindowTakeTheMessagesPostedWithoutOne) {
  HWND w = MakeWindow("W", nullptr);
  const TMessageRecords posted = {
      {w, WM_USER + 1, 1, 0}, {0, WM_USER + 2, 2, 0}, {w, WM_USER + 3, 3, 0}, {0, WM_USER + 4, 4, 0}};
  struct {
    const char* Name;
    HWND Filter;
    std::vector<size_t> Taken;  // indices into posted
  } rows[] = {
      {"HWND_BROADCAST", HWND_BROADCAST, {1, 3}},
      {"HWND_BOTTOM", HWND_BOTTOM, {1, 3}},
      {"HWND_TOPMOST", HWND_TOPMOST, {1, 3}},
      {"the window", w, {0, 2}},
      {"none", 0, {0, 1, 2, 3}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    for (const TMessageRecord& m : posted) PostMessage(m.Window, m.Message, m.WParam, m.LParam);
    TMessageRecords expected;
    for (size_t i : row.Taken) expected.push_back(posted[i]);
    EXPECT_EQ(Retrieve(row.Filter), expected);
    EXPECT_EQ(Retrieve().size(), posted.size() - row.Taken.size()) << "the rest stays queued";
  }
}

// Window timers on the virtual clock: due after their period, after every other posted
// message, one WM_TIMER for all the periods a busy thread missed and the next on the timer's
// own beat; setting again restarts, killing or destroying the window stops them.
TEST_F(QueueTest, TimersFallDueOnTheClockBehindPostedMessages) {
  TLoggingProc p{"W", log};
  HWND w = MakeWindow("W", p.Value());
  HWND other = MakeWindow("W", p.Value());
  SetMessageTime(1000);
  EXPECT_EQ(SetTimer(w, 7, 100), 7u);
  EXPECT_EQ(SetTimer(other, 1, 3), 1u) << "below the minimum: 10 ms";
  const TMessageRecords none, tick{{w, WM_TIMER, 7, 0}}, fast{{other, WM_TIMER, 1, 0}};
  struct Step {
    DWORD Now;
    TMessageRecords W, Other;
  } steps[] = {
      {1009, none, none},
      {1010, none, fast},
      {1099, none, fast},
      {1100, tick, none},  // the fast timer was killed
      {1350, tick, none},  // 1200 and 1300 missed: one message
      {1399, none, none},
      {1400, tick, none},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.Now);
    SetMessageTime(s.Now);
    EXPECT_EQ(Retrieve(w), s.W);
    EXPECT_EQ(Retrieve(other), s.Other);
    if (s.Now == 1099) {
      EXPECT_TRUE(KillTimer(other, 1));
    }
  }
  EXPECT_FALSE(KillTimer(other, 1)) << "already gone";

  // Posted messages go first; setting the timer again restarts its period.
  SetMessageTime(1500);
  PostMessage(w, WM_USER, 0, 0);
  EXPECT_EQ(Retrieve(w), (TMessageRecords{{w, WM_USER, 0, 0}, {w, WM_TIMER, 7, 0}}));
  SetTimer(w, 7, 100);
  SetMessageTime(1599);
  EXPECT_EQ(Retrieve(w), TMessageRecords{});

  // Bad arguments, and a destroyed window's timers.
  EXPECT_EQ(SetTimer(w, 0, 100), 0u);
  EXPECT_EQ(SetTimer(HWND(0xDEAD), 1, 100), 0u);
  DestroyWindow(w);
  SetMessageTime(5000);
  EXPECT_EQ(Retrieve(), TMessageRecords{});
}

// WaitMessage asks the installed waiter for new input once, whatever already waits (a loop
// that takes only some kinds of message must not spin on the rest); without a waiter, or
// once it has nothing more, nothing can arrive.
TEST_F(QueueTest, WaitMessageAsksTheWaiterForNewInput) {
  TLoggingProc p{"W", log};
  HWND w = MakeWindow("W", p.Value());
  SetMessageTime(0);
  EXPECT_FALSE(WaitMessage()) << "no waiter";
  int asked = 0;
  const TInputWaiter previous = SetInputWaiter([&] {
    ++asked;
    if (asked == 1) SetMessageTime(50);  // the timer falls due
    return asked < 3;
  });
  SetTimer(w, 1, 50);
  EXPECT_TRUE(WaitMessage());
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Retrieve(w), (TMessageRecords{{w, WM_TIMER, 1, 0}}));
  PostMessage(w, WM_USER, 0, 0);
  EXPECT_TRUE(WaitMessage());
  EXPECT_EQ(asked, 2) << "asked although something waits";
  Retrieve(w);
  EXPECT_FALSE(WaitMessage()) << "the waiter ran out";
  EXPECT_EQ(asked, 3);
  SetInputWaiter(previous);
}

}  // namespace
