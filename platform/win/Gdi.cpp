// Device contexts: handed out per window and counted, so a leak is visible to tests.
#include <unordered_map>

#include "Windows.h"

namespace {
struct TDC {
  HWND Window = 0;
  DWORD Flags = 0;
};
std::unordered_map<HDC, TDC>& DCs() {
  static std::unordered_map<HDC, TDC> dcs;
  return dcs;
}
HDC gNextDC = 0x100;
}  // namespace

HDC GetDCEx(HWND hWnd, uint32_t, DWORD flags) {
  if (hWnd && hWnd != GetDesktopWindow() && !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  HDC dc = gNextDC++;
  DCs()[dc] = TDC{hWnd, flags};
  return dc;
}

HDC GetDC(HWND hWnd) { return GetDCEx(hWnd ? hWnd : GetDesktopWindow(), 0, 0); }
HDC GetWindowDC(HWND hWnd) { return GetDCEx(hWnd, 0, DCX_WINDOW); }

int ReleaseDC(HWND, HDC hDC) {
  return DCs().erase(hDC) ? 1 : 0;
}

HWND WindowFromDC(HDC hDC) {
  auto it = DCs().find(hDC);
  return it == DCs().end() ? 0 : it->second.Window;
}

int GetLiveDCCount() { return static_cast<int>(DCs().size()); }

// Called by ResetWindowManager: a fresh desktop has handed out no device contexts.
void ResetDeviceContexts() { DCs().clear(); }
