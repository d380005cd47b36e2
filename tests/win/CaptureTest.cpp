// The mouse capture: whoever loses it is told with WM_CAPTURECHANGED, destruction included.
#include <functional>

#include "DesktopFixture.h"

namespace {

using CaptureTest = TDesktopTest;

// The windows of the fixture; a popup owned by Owner, and Child inside Host.
enum TWho { kNobody = -1, kOwner, kPopup, kOther, kHost, kChild, kWindowCount };

// A message seen, and for WM_CAPTURECHANGED the window that took the capture (its lParam).
struct TSeen {
  TWho Window;
  UINT Message;
  TWho NewCapture = kNobody;
};

TEST_F(CaptureTest, TheWindowLosingTheCaptureIsToldEveryTime) {
  struct {
    const char* Name;
    TWho Holder;
    std::function<void(const HWND*)> Lose;
    std::vector<TSeen> Expected;
    TWho CaptureAfter;
  } rows[] = {
      {"another window takes it", kPopup, [](const HWND* w) { SetCapture(w[kOther]); },
       {{kPopup, WM_CAPTURECHANGED, kOther}}, kOther},
      {"released", kPopup, [](const HWND*) { ReleaseCapture(); }, {{kPopup, WM_CAPTURECHANGED}}, kNobody},
      {"the popup holding it is destroyed", kPopup, [](const HWND* w) { DestroyWindow(w[kPopup]); },
       {{kPopup, WM_DESTROY}, {kPopup, WM_CAPTURECHANGED}, {kPopup, WM_NCDESTROY}}, kNobody},
      {"the popup's owner is destroyed", kPopup, [](const HWND* w) { DestroyWindow(w[kOwner]); },
       {{kPopup, WM_DESTROY}, {kPopup, WM_CAPTURECHANGED}, {kPopup, WM_NCDESTROY}, {kOwner, WM_DESTROY},
        {kOwner, WM_NCDESTROY}},
       kNobody},
      {"the parent of the child holding it is destroyed", kChild, [](const HWND* w) { DestroyWindow(w[kHost]); },
       {{kHost, WM_DESTROY}, {kChild, WM_DESTROY}, {kChild, WM_CAPTURECHANGED}, {kChild, WM_NCDESTROY},
        {kHost, WM_NCDESTROY}},
       kNobody},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    ResetWindowManager();
    TMessageRecords seen;
    TLoggingProc procs[kWindowCount] = {{"Owner", log}, {"Popup", log}, {"Other", log}, {"Host", log}, {"Child", log}};
    for (TLoggingProc& p : procs) {
      p.Only = {WM_DESTROY, WM_NCDESTROY, WM_CAPTURECHANGED};
      p.Records = &seen;
    }
    HWND w[kWindowCount];
    w[kOwner] = MakeWindow("Owner", procs[kOwner].Value(), WS_VISIBLE);
    w[kPopup] = MakeWindow("Popup", procs[kPopup].Value(), WS_POPUP | WS_VISIBLE, 0, w[kOwner]);
    w[kOther] = MakeWindow("Other", procs[kOther].Value(), WS_VISIBLE);
    w[kHost] = MakeWindow("Host", procs[kHost].Value(), WS_VISIBLE);
    w[kChild] = MakeWindow("Child", procs[kChild].Value(), WS_CHILD | WS_VISIBLE, w[kHost]);
    auto handle = [&](TWho who) { return who == kNobody ? HWND{0} : w[who]; };

    EXPECT_EQ(SetCapture(w[row.Holder]), 0u);
    row.Lose(w);
    TMessageRecords expected;
    for (const TSeen& e : row.Expected)
      expected.push_back({w[e.Window], e.Message, 0, static_cast<LPARAM>(handle(e.NewCapture))});
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(GetCapture(), handle(row.CaptureAfter));
  }
}

}  // namespace
