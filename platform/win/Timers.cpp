// Window timers: WM_TIMER made up by the queue for timers that fell due on the system clock.
#include <algorithm>
#include <vector>

#include "WindowTable.h"

namespace {

struct TTimer {
  HWND Window = 0;
  UINT_PTR Id = 0;
  UINT Elapse = 0;
  DWORD Due = 0;
};

// In the order they were set. Of the timers due, the one due longest is handed out first;
// of two due at the same moment, the older.
std::vector<TTimer>& Timers() {
  static std::vector<TTimer> timers;
  return timers;
}

// The clock runs on 32 bits and wraps after 49 days, as the real one does.
bool IsDue(const TTimer& t, DWORD now) { return static_cast<int32_t>(now - t.Due) >= 0; }

}  // namespace

UINT_PTR SetTimer(HWND hWnd, UINT_PTR id, UINT elapse) {
  if (!LookupWindow(hWnd) || id == 0) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, 0x7FFFFFFF);
  auto& timers = Timers();
  auto it = std::find_if(timers.begin(), timers.end(), [&](const TTimer& t) { return t.Window == hWnd && t.Id == id; });
  TTimer timer{hWnd, id, elapse, GetTickCount() + elapse};
  if (it != timers.end())
    *it = timer;
  else
    timers.push_back(timer);
  return id;
}

BOOL KillTimer(HWND hWnd, UINT_PTR id) {
  auto& timers = Timers();
  auto it = std::find_if(timers.begin(), timers.end(), [&](const TTimer& t) { return t.Window == hWnd && t.Id == id; });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}

bool TakeDueTimer(HWND filter, UINT fmin, UINT fmax, bool remove, MSG* out) {
  const DWORD now = GetTickCount();
  TTimer* first = nullptr;
  for (TTimer& t : Timers()) {
    if (!IsDue(t, now)) continue;
    const MSG m{t.Window, WM_TIMER, t.Id, 0, now, {}};
    if (!QueueFilterMatches(m, filter, fmin, fmax)) continue;
    if (!first || static_cast<int32_t>(t.Due - first->Due) < 0) first = &t;
  }
  if (!first) return false;
  if (out) {
    *out = MSG{first->Window, WM_TIMER, first->Id, 0, now, {}};
    GetCursorPos(&out->pt);
  }
  // The next period starts on the timer's own beat, after every one the clock passed.
  if (remove) first->Due += first->Elapse * ((now - first->Due) / first->Elapse + 1);
  return true;
}

void KillWindowTimers(HWND h) {
  auto& timers = Timers();
  timers.erase(std::remove_if(timers.begin(), timers.end(), [h](const TTimer& t) { return t.Window == h; }), timers.end());
}

void ResetTimers() { Timers().clear(); }
