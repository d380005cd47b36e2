// Window procedures replaced and restored: the subclass chain and SetWindowLongPtr failures.
#include "DesktopFixture.h"

namespace {

class SubclassChain : public TDesktopTest {
 protected:
  void SetUp() override {
    TDesktopTest::SetUp();
    original.Answers[WM_USER] = 42;
    wnd = MakeWindow("Target", original.Value());
    ASSERT_NE(wnd, 0u);
  }

  TLoggingProc& Proc(char name) { return name == 'A' ? a : name == 'B' ? b : original; }
  TMessageLog Deliver() {
    log.clear();
    EXPECT_EQ(SendMessage(wnd, WM_USER, 0, 0), 42) << "the original's answer comes back unchanged";
    return log;
  }

  TLoggingProc original{"O", log}, a{"A", log}, b{"B", log};
  HWND wnd = 0;
};

TEST_F(SubclassChain, TheNewestProcedureRunsFirstAndForwardsToWhatItDisplaced) {
  a.Subclass(wnd);
  b.Subclass(wnd);
  EXPECT_EQ(a.Next, original.Value());
  EXPECT_EQ(b.Next, a.Value());
  EXPECT_EQ(Deliver(), (TMessageLog{"B:WM_USER", "A:WM_USER", "O:WM_USER"}));
}

// One step of taking a subclass off: who restores, whether it first checks that it is on
// top, what SetWindowLongPtr hands back ('-' when the check stopped it), who then gets messages.
struct TRemoval {
  char Who;
  bool CheckFirst;
  char Returned;
  TMessageLog After;
};
struct TRemovalCase {
  const char* Name;
  std::vector<TRemoval> Steps;
};

TEST_F(SubclassChain, RemovalInEveryOrderLeavesTheChainTheWindowManagerReports) {
  const std::vector<TRemovalCase> cases = {
      {"last in, first out",
       {{'B', false, 'B', {"A:WM_USER", "O:WM_USER"}}, {'A', false, 'A', {"O:WM_USER"}}}},
      // A is not on top: writing its predecessor back cuts B out, and B's own restore later
      // reinstates A although A believes it is gone.
      {"A removed first",
       {{'A', false, 'B', {"O:WM_USER"}}, {'B', false, 'O', {"A:WM_USER", "O:WM_USER"}}}},
      // The safe pattern: restore only while on top, otherwise stay in as a pass-through.
      {"check before restoring",
       {{'A', true, '-', {"B:WM_USER", "A:WM_USER", "O:WM_USER"}},
        {'B', true, 'B', {"A:WM_USER", "O:WM_USER"}},
        {'A', true, 'A', {"O:WM_USER"}}}},
  };
  for (const TRemovalCase& c : cases) {
    SCOPED_TRACE(c.Name);
    SetWindowLongPtr(wnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(original.Value()));
    a.Subclass(wnd);
    b.Subclass(wnd);
    for (const TRemoval& step : c.Steps) {
      SCOPED_TRACE(std::string("step of ") + step.Who);
      TLoggingProc& p = Proc(step.Who);
      auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtr(wnd, GWL_WNDPROC));
      if (!step.CheckFirst || current == p.Value()) {
        auto returned = reinterpret_cast<WNDPROC>(SetWindowLongPtr(wnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(p.Next)));
        EXPECT_EQ(returned, Proc(step.Returned).Value());
      } else {
        EXPECT_EQ(step.Returned, '-');
      }
      EXPECT_EQ(Deliver(), step.After);
    }
  }
}

TEST_F(SubclassChain, AFailedSetChangesNothingAndSaysWhy) {
  a.Subclass(wnd);
  HWND dead = MakeWindow("Dead", nullptr);
  DestroyWindow(dead);
  HWND reuser = MakeWindow("Reuser", nullptr);  // takes the dead window's slot
  ASSERT_NE(reuser, dead);
  const auto proc = reinterpret_cast<LONG_PTR>(b.Value());
  struct {
    const char* Name;
    HWND Target;
    int Index;
    LONG_PTR Value;
    DWORD Error;
  } rows[] = {
      {"destroyed window", dead, GWL_WNDPROC, proc, ERROR_INVALID_WINDOW_HANDLE},
      {"never a window", 0x7777, GWL_WNDPROC, proc, ERROR_INVALID_WINDOW_HANDLE},
      {"unknown index", wnd, 999, proc, ERROR_INVALID_INDEX},
      {"desktop's procedure", GetDesktopWindow(), GWL_WNDPROC, proc, ERROR_ACCESS_DENIED},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    SetLastError(0);
    EXPECT_EQ(SetWindowLongPtr(row.Target, row.Index, row.Value), 0);
    EXPECT_EQ(GetLastError(), row.Error);
    EXPECT_EQ(GetWindowLongPtr(wnd, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(a.Value()));
    EXPECT_EQ(GetWindowLongPtr(reuser, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(DefWindowProcValue()));
    EXPECT_EQ(Deliver(), (TMessageLog{"A:WM_USER", "O:WM_USER"}));
  }
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtr(dead, GWL_WNDPROC), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

// A null procedure is no procedure to install: the window keeps the one it has, which comes
// back as the previous value, and the last error is not touched.
TEST_F(SubclassChain, ANullProcedureLeavesTheChainAsItIs) {
  a.Subclass(wnd);
  SetLastError(ERROR_NOT_ENOUGH_QUOTA);  // whatever was there before
  EXPECT_EQ(SetWindowLongPtr(wnd, GWL_WNDPROC, 0), reinterpret_cast<LONG_PTR>(a.Value()));
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
  EXPECT_EQ(GetWindowLongPtr(wnd, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(a.Value()));
  EXPECT_EQ(Deliver(), (TMessageLog{"A:WM_USER", "O:WM_USER"}));
}

// A previous value of 0 looks like a failure; only the untouched last error tells them apart.
TEST_F(SubclassChain, APreviousValueOfZeroIsTellableOnlyByTheLastError) {
  SetLastError(0);
  EXPECT_EQ(SetWindowLongPtr(wnd, GWL_USERDATA, 7), 0);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(SetWindowLongPtr(wnd, GWL_USERDATA, 8), 7);
}

}  // namespace
