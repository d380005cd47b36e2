// Windows: destruction order, lookup by class, parents and owners, beeps and device contexts.
#include <algorithm>
#include <map>

#include "DesktopFixture.h"

namespace {

using WindowTest = TDesktopTest;

TEST_F(WindowTest, DestroyingAWindowTakesOwnedWindowsFirstAndChildrenInsideItsDestroyMessages) {
  TLoggingProc pp{"P", log}, c1p{"C1", log}, c2p{"C2", log}, gp{"G", log}, op{"O", log};
  for (TLoggingProc* p : {&pp, &c1p, &c2p, &gp, &op}) p->Only = {WM_DESTROY, WM_NCDESTROY};
  int before = GetWindowCount();
  HWND p = MakeWindow("P", pp.Value());
  HWND c1 = MakeWindow("C", c1p.Value(), WS_CHILD, p);
  HWND c2 = MakeWindow("C", c2p.Value(), WS_CHILD, p);
  HWND g = MakeWindow("G", gp.Value(), WS_CHILD, c1);
  HWND o = MakeWindow("O", op.Value(), WS_POPUP, 0, p);
  std::vector<HWND> all = {p, c1, c2, g, o};

  // What still exists while the parent handles its two messages.
  std::vector<bool> atDestroy, atNcDestroy;
  pp.OnMessage = [&](HWND, UINT msg) {
    auto& seen = msg == WM_DESTROY ? atDestroy : atNcDestroy;
    for (HWND h : {p, c1, c2, g, o}) seen.push_back(IsWindow(h) != FALSE);
  };
  ASSERT_TRUE(DestroyWindow(p));

  EXPECT_EQ(atDestroy, (std::vector<bool>{true, true, true, true, false}));
  EXPECT_EQ(atNcDestroy, (std::vector<bool>{true, false, false, false, false}));
  ASSERT_EQ(log.size(), 10u);
  auto at = [&](const std::string& entry) { return std::find(log.begin(), log.end(), entry) - log.begin(); };
  const std::pair<const char*, const char*> before_after[] = {
      {"O:WM_NCDESTROY", "P:WM_DESTROY"},  // owned windows go first, completely
      {"P:WM_DESTROY", "C1:WM_DESTROY"},   {"P:WM_DESTROY", "C2:WM_DESTROY"},
      {"C1:WM_DESTROY", "G:WM_DESTROY"},   {"G:WM_NCDESTROY", "C1:WM_NCDESTROY"},
      {"C1:WM_NCDESTROY", "P:WM_NCDESTROY"}, {"C2:WM_NCDESTROY", "P:WM_NCDESTROY"},
  };
  for (const auto& [first, second] : before_after) EXPECT_LT(at(first), at(second)) << first << " before " << second;
  EXPECT_EQ(log.back(), "P:WM_NCDESTROY");

  for (HWND h : all) EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(GetWindowCount(), before);
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(p));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

// WM_DESTROY runs down the tree, a parent before its children and siblings from the top of
// the z-order; WM_NCDESTROY comes back up, children first. Children made in order keep that
// order from the top; C2, moved in last with SetParent, went on top. G is C1's child.
TEST_F(WindowTest, DestroyMessagesRunDownTheTreeAndNcDestroyMessagesComeBackUp) {
  TLoggingProc pp{"P", log}, c1p{"C1", log}, c2p{"C2", log}, c3p{"C3", log}, gp{"G", log};
  HWND p = MakeWindow("P", pp.Value());
  HWND c1 = MakeWindow("C", c1p.Value(), WS_CHILD, p);
  HWND c3 = MakeWindow("C", c3p.Value(), WS_CHILD, p);
  HWND g = MakeWindow("G", gp.Value(), WS_CHILD, c1);
  HWND c2 = MakeWindow("C", c2p.Value());
  SetParent(c2, p);
  const std::map<HWND, std::string> names = {{0, "-"}, {p, "P"}, {c1, "C1"}, {c2, "C2"}, {c3, "C3"}, {g, "G"}};
  const std::map<HWND, std::vector<HWND>> children = {{p, {c1, c2, c3}}, {c1, {g}}};

  // Each message with the parent the window still reports and how many of its children live.
  std::vector<std::string> seen;
  for (TLoggingProc* proc : {&pp, &c1p, &c2p, &c3p, &gp}) {
    proc->Only = {WM_DESTROY, WM_NCDESTROY};
    proc->OnMessage = [&](HWND h, UINT msg) {
      int live = 0;
      if (auto it = children.find(h); it != children.end())
        for (HWND c : it->second) live += IsWindow(c) ? 1 : 0;
      seen.push_back(names.at(h) + " " + MessageName(msg) + " parent " + names.at(GetParent(h)) + " children " +
                     std::to_string(live));
    };
  }
  ASSERT_TRUE(DestroyWindow(p));
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "P WM_DESTROY parent - children 3",
                      "C2 WM_DESTROY parent P children 0",
                      "C1 WM_DESTROY parent P children 1",
                      "G WM_DESTROY parent C1 children 0",
                      "C3 WM_DESTROY parent P children 0",
                      "C2 WM_NCDESTROY parent P children 0",
                      "G WM_NCDESTROY parent C1 children 0",
                      "C1 WM_NCDESTROY parent P children 0",
                      "C3 WM_NCDESTROY parent P children 0",
                      "P WM_NCDESTROY parent - children 0",
                  }));
  for (HWND h : {p, c1, c2, c3, g}) EXPECT_FALSE(IsWindow(h));
}

TEST_F(WindowTest, FindWindowMatchesTopLevelClassNamesRegardlessOfCaseTopmostFirst) {
  HWND lower = MakeWindow("TEditWindow", nullptr);
  HWND upper = MakeWindow("TEditWindow", nullptr);  // newer windows start on top
  HWND host = MakeWindow("THost", nullptr);
  MakeWindow("TEditControl", nullptr, WS_CHILD | WS_VISIBLE, host);
  SetWindowText(lower, "Unit1.pas");

  EXPECT_EQ(FindWindow("teditwindow", nullptr), upper);
  BringWindowToTop(lower);
  EXPECT_EQ(FindWindow("TEDITWINDOW", nullptr), lower);
  EXPECT_EQ(FindWindow("TEditControl", nullptr), 0u) << "child windows are not searched";
  EXPECT_EQ(FindWindow("TNoSuchClass", nullptr), 0u);
  EXPECT_EQ(FindWindow(nullptr, "UNIT1.PAS"), lower);
  EXPECT_EQ(FindWindow("TEditWindow", "Unit2.pas"), 0u);
  DestroyWindow(lower);
  EXPECT_EQ(FindWindow("TEditWindow", nullptr), upper);
}

TEST_F(WindowTest, GetParentGivesTheParentOfAChildAndTheOwnerOfAPopupOnly) {
  HWND top = MakeWindow("Top", nullptr);
  HWND child = MakeWindow("Child", nullptr, WS_CHILD, top);
  HWND popup = MakeWindow("Popup", nullptr, WS_POPUP, 0, top);
  HWND owned = MakeWindow("Owned", nullptr, WS_OVERLAPPED, 0, top);
  struct {
    const char* Name;
    HWND Window, Parent, Owner;
  } rows[] = {
      {"child", child, top, 0},
      {"owned popup", popup, top, top},
      {"owned overlapped", owned, 0, top},
      {"unowned top-level", top, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(GetParent(row.Window), row.Parent);
    EXPECT_EQ(GetWindowOwner(row.Window), row.Owner);
  }
}

TEST_F(WindowTest, BeepsAreCountedWithTheirType) {
  EXPECT_EQ(GetMessageBeepCount(), 0);
  MessageBeep(MB_ICONEXCLAMATION);
  MessageBeep(MB_OK);
  EXPECT_EQ(GetMessageBeepCount(), 2);
  EXPECT_EQ(GetLastMessageBeepType(), MB_OK);
  ResetWindowManager();
  EXPECT_EQ(GetMessageBeepCount(), 0);
}

TEST_F(WindowTest, DeviceContextsAreCountedUntilReleased) {
  HWND w = MakeWindow("W", nullptr);
  HDC dc = GetDC(w);
  HDC desktop = GetDCEx(GetDesktopWindow(), 0, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
  ASSERT_NE(dc, 0u);
  ASSERT_NE(desktop, 0u);
  EXPECT_EQ(GetLiveDCCount(), 2);
  EXPECT_EQ(WindowFromDC(dc), w);

  EXPECT_EQ(ReleaseDC(w, dc), 1);
  EXPECT_EQ(ReleaseDC(w, dc), 0) << "a device context is released once";
  EXPECT_EQ(GetLiveDCCount(), 1);

  DestroyWindow(w);
  SetLastError(0);
  EXPECT_EQ(GetDC(w), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(GetLiveDCCount(), 1);

  // A fresh desktop starts with none handed out, so one test's leak never shows in another's count.
  ResetWindowManager();
  EXPECT_EQ(GetLiveDCCount(), 0);
}

}  // namespace

// When the active window is destroyed or hidden, the topmost visible, enabled top-level
// window left becomes active; hidden and disabled ones are passed over.
TEST_F(WindowTest, LosingTheActiveWindowActivatesTheNextVisibleOne) {
  HWND a = MakeWindow("A", nullptr, WS_VISIBLE);
  HWND hidden = MakeWindow("Hidden", nullptr, 0);
  HWND disabled = MakeWindow("Disabled", nullptr, WS_VISIBLE | WS_DISABLED);
  HWND b = MakeWindow("B", nullptr, WS_VISIBLE);
  HWND c = MakeWindow("C", nullptr, WS_VISIBLE);
  (void)hidden;
  (void)disabled;
  SetActiveWindow(c);
  SetActiveWindow(b);
  SetActiveWindow(a);
  SetActiveWindow(c);  // z-order now c, a, b, ...
  DestroyWindow(c);
  EXPECT_EQ(GetActiveWindow(), a);
  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), b);
  DestroyWindow(b);
  EXPECT_EQ(GetActiveWindow(), 0u);  // only hidden or disabled windows are left
}
