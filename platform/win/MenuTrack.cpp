// The menu loop: popup menu windows, and the tracking of a menu bar or a popup menu with the
// mouse captured and the keyboard, until an item is chosen or the menu is cancelled.
#include <algorithm>

#include "MenuTable.h"

namespace {

constexpr int32_t kPopupFrame = 3;  // a sub-menu overlaps its parent by the frame

// One open menu: the owner's menu bar (no window) or a popup menu in its window.
struct TLevel {
  HMENU Menu = 0;
  HWND Window = 0;
};

struct TTracker {
  HWND Owner = 0;
  UINT Flags = 0;
  bool Bar = false;  // level 0 is the owner's menu bar
  std::vector<TLevel> Levels;
  bool End = false;
  bool Chosen = false;
  UINT Command = 0;
};

// One menu loop at a time, as on the real system; EndMenu reaches it here.
TTracker* gTracker = nullptr;

struct THit {
  int Level = -1;
  int Item = -1;
};

TMenuObject* MenuAt(const TTracker& t, size_t level) {
  return level < t.Levels.size() ? LookupMenu(t.Levels[level].Menu) : nullptr;
}

bool IsBarLevel(const TTracker& t, size_t level) { return t.Bar && level == 0; }

size_t Deepest(const TTracker& t) { return t.Levels.size() - 1; }

// The next item from `from` in `step`'s direction that can be selected (not a separator),
// wrapping round; -1 when there is none.
int NextSelectable(const TMenuObject* m, int from, int step) {
  const int n = static_cast<int>(m->Items.size());
  if (from < 0 || from >= n) from = step > 0 ? -1 : n;
  int i = from;
  for (int k = 0; k < n; ++k) {
    i += step;
    if (i >= n) i = 0;
    if (i < 0) i = n - 1;
    if (!IsSeparator(m->Items[static_cast<size_t>(i)])) return i;
  }
  return -1;
}

void SetFocused(TMenuObject* m, int index) {
  if (m->Focused >= 0 && m->Focused < static_cast<int>(m->Items.size()))
    m->Items[static_cast<size_t>(m->Focused)].State &= ~MFS_HILITE;
  m->Focused = index;
  if (index >= 0) m->Items[static_cast<size_t>(index)].State |= MFS_HILITE;
}

// Selection shows at once, as the real menus draw it while they track.
void RedrawItem(const TTracker& t, size_t level, int index) {
  if (IsBarLevel(t, level)) {
    RedrawMenuBar(t.Owner);
    return;
  }
  TMenuObject* m = MenuAt(t, level);
  const HWND win = level < t.Levels.size() ? t.Levels[level].Window : 0;
  if (!m || index < 0 || !IsWindow(win)) return;
  HDC dc = GetDC(win);
  HGDIOBJ old = SelectObject(dc, CaptionFont(false));
  DrawPopupItem(dc, m, index);
  SelectObject(dc, old);
  ReleaseDC(win, dc);
}

// Closes the menus opened below `level`.
void CloseAfter(TTracker& t, size_t level) {
  while (t.Levels.size() > level + 1) {
    const TLevel gone = t.Levels.back();
    t.Levels.pop_back();
    if (TMenuObject* m = LookupMenu(gone.Menu)) {
      SetFocused(m, -1);
      m->Window = 0;
    }
    if (IsWindow(gone.Window)) DestroyWindow(gone.Window);
  }
  TMenuObject* bar = IsBarLevel(t, level) ? MenuAt(t, 0) : nullptr;
  if (bar && bar->BarOpen) {
    bar->BarOpen = false;
    RedrawMenuBar(t.Owner);
  }
}

void Select(TTracker& t, size_t level, int index, bool byMouse) {
  TMenuObject* m = MenuAt(t, level);
  if (!m) return;
  if (index >= static_cast<int>(m->Items.size())) index = -1;
  if (m->Focused == index) return;
  CloseAfter(t, level);
  const int old = m->Focused;
  SetFocused(m, index);
  RedrawItem(t, level, old);
  RedrawItem(t, level, index);
  if (index < 0) return;
  const TMenuItemRec& item = m->Items[static_cast<size_t>(index)];
  const UINT flags = MF_HILITE | (item.State & (MF_GRAYED | MF_DISABLED | MF_CHECKED)) | (item.SubMenu ? MF_POPUP : 0) |
                     (byMouse ? MF_MOUSESELECT : 0);
  // A sub-menu is named by its position, a command by its identifier.
  const UINT id = item.SubMenu ? static_cast<UINT>(index) : item.Id;
  SendMessage(t.Owner, WM_MENUSELECT, MAKEWPARAM(id, flags), static_cast<LPARAM>(m->Handle));
}

HWND ShowPopup(TTracker& t, TMenuObject* menu, int32_t x, int32_t y) {
  if (!menu->Width) LayoutPopupMenu(menu);
  const int32_t sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  x = std::max(0, std::min(x, sw - menu->Width));
  y = std::max(0, std::min(y, sh - menu->Height));
  TCreateWindowParams p;
  p.ClassName = kPopupMenuClass;
  p.Style = WS_POPUP | WS_CLIPSIBLINGS;
  p.ExStyle = WS_EX_TOOLWINDOW;
  p.Bounds = {x, y, x + menu->Width, y + menu->Height};
  p.Owner = t.Owner;
  p.WndProc = PopupMenuWndProc();
  const HWND win = CreateWindowEx(p);
  if (!win) return 0;
  SetWindowLongPtr(win, GWL_USERDATA, static_cast<LONG_PTR>(menu->Handle));
  menu->Window = win;
  ShowWindow(win, SW_SHOW);
  UpdateWindow(win);
  return win;
}

// Opens the selected item's sub-menu below a bar item or beside a popup item, kept on the
// screen (flipped above the bar or to the popup's left when there is no room).
bool OpenSubMenu(TTracker& t, size_t level, bool selectFirst) {
  TMenuObject* m = MenuAt(t, level);
  if (!m || m->Focused < 0) return false;
  const int index = m->Focused;
  const HMENU subHandle = m->Items[static_cast<size_t>(index)].SubMenu;
  if (!subHandle || IsGrayed(m->Items[static_cast<size_t>(index)]) || !LookupMenu(subHandle)) return false;
  if (t.Levels.size() > level + 1 && t.Levels[level + 1].Menu == subHandle) return true;
  CloseAfter(t, level);
  if (!(t.Flags & TPM_NONOTIFY))
    SendMessage(t.Owner, WM_INITMENUPOPUP, static_cast<WPARAM>(subHandle), MAKELPARAM(static_cast<uint32_t>(index), 0));
  // The owner may have changed or ended anything meanwhile.
  TMenuObject* sub = LookupMenu(subHandle);
  m = MenuAt(t, level);
  if (t.End || !sub || !m || m->Focused != index || !IsWindow(t.Owner)) return false;
  LayoutPopupMenu(sub);
  const int32_t sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  int32_t x, y;
  if (IsBarLevel(t, level)) {
    TWindow* w = LookupWindow(t.Owner);
    const TRect whole = WindowScreenRect(w);
    LayoutMenuBar(m, NonClientParts(w).MenuBar);
    const TRect& r = m->Items[static_cast<size_t>(index)].Rect;
    x = whole.Left + r.Left;
    y = whole.Top + r.Bottom;
    if (y + sub->Height > sh && whole.Top + r.Top - sub->Height >= 0) y = whole.Top + r.Top - sub->Height;
  } else {
    TWindow* pw = LookupWindow(t.Levels[level].Window);
    if (!pw) return false;
    const TRect parent = WindowScreenRect(pw);
    x = parent.Right - kPopupFrame;
    y = parent.Top + m->Items[static_cast<size_t>(index)].Rect.Top - kPopupFrame;
    if (x + sub->Width > sw) x = parent.Left - sub->Width + kPopupFrame;
  }
  const HWND win = ShowPopup(t, sub, x, y);
  if (!win) return false;
  t.Levels.push_back({subHandle, win});
  if (IsBarLevel(t, level)) {
    m->BarOpen = true;
    RedrawMenuBar(t.Owner);
  }
  if (selectFirst) Select(t, level + 1, NextSelectable(sub, -1, 1), false);
  return true;
}

// Runs the selected item: -2 when it opens a sub-menu (the loop goes on), -1 when nothing
// runs (a disabled item), else the command, posted to the owner as WM_COMMAND.
int Execute(TTracker& t, size_t level) {
  TMenuObject* m = MenuAt(t, level);
  if (!m || m->Focused < 0) return -1;
  const TMenuItemRec& item = m->Items[static_cast<size_t>(m->Focused)];
  if (item.SubMenu) {
    OpenSubMenu(t, level, true);
    return -2;
  }
  if (IsSeparator(item) || IsGrayed(item)) return -1;
  t.Chosen = true;
  t.Command = item.Id;
  if (!(t.Flags & TPM_RETURNCMD)) PostMessage(t.Owner, WM_COMMAND, MAKEWPARAM(item.Id, 0), 0);
  return static_cast<int>(item.Id & 0xFFFF);
}

// ---- the mouse -------------------------------------------------------------------------------

THit HitAt(const TTracker& t, TPoint pt) {
  for (size_t level = t.Levels.size(); level-- > 0;) {
    TMenuObject* m = MenuAt(t, level);
    if (!m) continue;
    TPoint p;
    if (IsBarLevel(t, level)) {
      TWindow* w = LookupWindow(t.Owner);
      if (!w || WindowFromPoint(pt) != t.Owner) continue;
      const TRect whole = WindowScreenRect(w);
      const TRect bar = NonClientParts(w).MenuBar;
      p = {pt.X - whole.Left, pt.Y - whole.Top};
      if (!PtInRect(bar, p)) continue;
      LayoutMenuBar(m, bar);
    } else {
      TWindow* w = LookupWindow(t.Levels[level].Window);
      if (!w) continue;
      const TRect whole = WindowScreenRect(w);
      if (!PtInRect(whole, pt)) continue;
      p = {pt.X - whole.Left, pt.Y - whole.Top};
    }
    for (size_t i = 0; i < m->Items.size(); ++i)
      if (PtInRect(m->Items[i].Rect, p))
        return {static_cast<int>(level), IsSeparator(m->Items[i]) ? -1 : static_cast<int>(i)};
    return {static_cast<int>(level), -1};
  }
  return {};
}

bool IsMouseInput(UINT msg) {
  return (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || (msg >= WM_NCMOUSEMOVE && msg <= WM_NCMBUTTONUP + 1);
}

// The client message of a non-client one: where it landed does not matter to the menu loop,
// only the screen point.
UINT ClientKind(UINT msg) { return msg < WM_MOUSEFIRST ? msg - WM_NCMOUSEMOVE + WM_MOUSEMOVE : msg; }

bool IsPress(const TTracker& t, UINT kind) {
  if (kind == WM_LBUTTONDOWN || kind == WM_LBUTTONDBLCLK) return true;
  return (kind == WM_RBUTTONDOWN || kind == WM_RBUTTONDBLCLK) && (t.Flags & TPM_RIGHTBUTTON);
}

bool IsRelease(const TTracker& t, UINT kind) {
  return kind == WM_LBUTTONUP || (kind == WM_RBUTTONUP && (t.Flags & TPM_RIGHTBUTTON));
}

void MouseMove(TTracker& t, THit hit) {
  const size_t deepest = Deepest(t);
  if (hit.Level < 0) {
    // Nothing is selected where the mouse is not, unless a sub-menu hangs from it.
    if (!IsBarLevel(t, deepest)) Select(t, deepest, -1, true);
    return;
  }
  const size_t level = static_cast<size_t>(hit.Level);
  if (IsBarLevel(t, level)) {
    TMenuObject* bar = MenuAt(t, 0);
    if (hit.Item < 0 || bar->Focused == hit.Item) return;
    // Across the bar the selection follows, and so does the open menu.
    const bool wasOpen = t.Levels.size() > 1;
    Select(t, 0, hit.Item, true);
    if (wasOpen) OpenSubMenu(t, 0, false);
    return;
  }
  if (hit.Item < 0) {
    if (level == deepest) Select(t, level, -1, true);
    return;
  }
  Select(t, level, hit.Item, true);
  OpenSubMenu(t, level, false);
}

void Press(TTracker& t, THit hit) {
  if (hit.Level < 0 || hit.Item < 0) return;
  const size_t level = static_cast<size_t>(hit.Level);
  if (IsBarLevel(t, level)) {
    // A press on the item whose menu is down closes it all.
    if (MenuAt(t, 0)->Focused == hit.Item && t.Levels.size() > 1) {
      t.End = true;
      return;
    }
    Select(t, 0, hit.Item, true);
    OpenSubMenu(t, 0, false);  // a command on the bar itself runs on release
    return;
  }
  Select(t, level, hit.Item, true);
  OpenSubMenu(t, level, false);
}

void Release(TTracker& t, THit hit) {
  if (hit.Level < 0 || hit.Item < 0) return;
  const size_t level = static_cast<size_t>(hit.Level);
  TMenuObject* m = MenuAt(t, level);
  if (!m || m->Focused != hit.Item || m->Items[static_cast<size_t>(hit.Item)].SubMenu) return;
  // A disabled item keeps the menu open.
  if (Execute(t, level) >= 0) t.End = true;
}

// ---- the keyboard ------------------------------------------------------------------------

// Along the bar, wrapping; the menu that was down comes down again for the new item.
void MoveAlongBar(TTracker& t, int step) {
  TMenuObject* bar = MenuAt(t, 0);
  const bool wasOpen = t.Levels.size() > 1;
  CloseAfter(t, 0);
  Select(t, 0, NextSelectable(bar, bar->Focused, step), false);
  if (wasOpen) OpenSubMenu(t, 0, true);
}

void KeyLeft(TTracker& t) {
  const size_t deepest = Deepest(t);
  if (deepest >= 2 || (deepest == 1 && !t.Bar)) {
    CloseAfter(t, deepest - 1);
    return;
  }
  if (t.Bar) MoveAlongBar(t, -1);
}

void KeyRight(TTracker& t) {
  const size_t deepest = Deepest(t);
  if (!IsBarLevel(t, deepest) && OpenSubMenu(t, deepest, true)) return;
  if (t.Bar) MoveAlongBar(t, 1);
}

// Escape closes one level; at the top it ends the loop.
void KeyEscape(TTracker& t) {
  const size_t deepest = Deepest(t);
  if (deepest == 0)
    t.End = true;
  else
    CloseAfter(t, deepest - 1);
}

void KeyDown(TTracker& t, const MSG& msg) {
  const size_t deepest = Deepest(t);
  TMenuObject* m = MenuAt(t, deepest);
  if (!m) {
    t.End = true;
    return;
  }
  switch (msg.wParam) {
    case VK_MENU:
    case VK_F10:
      t.End = true;
      break;
    case VK_HOME:
    case VK_END:
      if (!IsBarLevel(t, deepest))
        Select(t, deepest, msg.wParam == VK_HOME ? NextSelectable(m, -1, 1) : NextSelectable(m, -1, -1), false);
      break;
    case VK_UP:
    case VK_DOWN:
      if (IsBarLevel(t, deepest))
        OpenSubMenu(t, 0, true);
      else
        Select(t, deepest, NextSelectable(m, m->Focused, msg.wParam == VK_UP ? -1 : 1), false);
      break;
    case VK_LEFT:
      KeyLeft(t);
      break;
    case VK_RIGHT:
      KeyRight(t);
      break;
    case VK_ESCAPE:
      KeyEscape(t);
      break;
    default:
      TranslateMessage(&msg);  // the character comes next
      break;
  }
}

// Enter runs the selected item; a letter the item it marks with '&'.
void Char(TTracker& t, const MSG& msg) {
  const size_t deepest = Deepest(t);
  const char c = static_cast<char>(msg.wParam);
  if (c == '\r' || c == ' ') {
    t.End = Execute(t, deepest) != -2;
    return;
  }
  if (static_cast<unsigned char>(c) < 0x20) return;
  TMenuObject* m = MenuAt(t, deepest);
  const int pos = m ? FindItemByKey(m, c) : -1;
  if (pos < 0) {
    MessageBeep(0);
    return;
  }
  Select(t, deepest, pos, false);
  t.End = Execute(t, deepest) != -2;
}

// ---- the loop ----------------------------------------------------------------------------

void Begin(TTracker& t, HMENU menu, bool popup) {
  HideCaret(0);
  if (!(t.Flags & TPM_NONOTIFY)) {
    SendMessage(t.Owner, WM_ENTERMENULOOP, popup ? TRUE : FALSE, 0);
    SendMessage(t.Owner, WM_INITMENU, static_cast<WPARAM>(menu), 0);
  }
}

// Input is read off the queue as it comes, with the owner holding the capture; everything
// else (painting, posted messages) is dispatched as usual. A press outside every menu ends
// the loop and stays queued for the window under it.
void Run(TTracker& t) {
  gTracker = &t;
  SetCapture(t.Owner);
  while (!t.End && !t.Levels.empty()) {
    if (!IsWindow(t.Owner) || GetCapture() != t.Owner) break;
    MSG msg;
    if (!PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE)) {
      if (!WaitMessage()) break;  // nobody there: as if cancelled
      continue;
    }
    if (msg.message == WM_QUIT) break;  // the application's loop takes it
    if (IsMouseInput(msg.message)) {
      const UINT kind = ClientKind(msg.message);
      const THit hit = HitAt(t, msg.pt);
      if (hit.Level < 0 && (kind == WM_LBUTTONDOWN || kind == WM_RBUTTONDOWN || kind == WM_MBUTTONDOWN ||
                            kind == WM_LBUTTONDBLCLK || kind == WM_RBUTTONDBLCLK)) {
        t.End = true;
        break;
      }
      PeekMessage(&msg, 0, msg.message, msg.message, PM_REMOVE);
      if (kind == WM_MOUSEMOVE)
        MouseMove(t, hit);
      else if (IsPress(t, kind))
        Press(t, hit);
      else if (IsRelease(t, kind))
        Release(t, hit);
    } else if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
      // Keys all belong to the menu while it is up, releases included.
      PeekMessage(&msg, 0, msg.message, msg.message, PM_REMOVE);
      if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) KeyDown(t, msg);
      else if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) Char(t, msg);
    } else {
      PeekMessage(&msg, 0, msg.message, msg.message, PM_REMOVE);
      DispatchMessage(&msg);
    }
  }
  gTracker = nullptr;
}

void Finish(TTracker& t, bool popup) {
  if (!t.Levels.empty()) {
    CloseAfter(t, 0);
    if (TMenuObject* top = MenuAt(t, 0)) {
      SetFocused(top, -1);
      if (popup) {
        const HWND win = t.Levels[0].Window;
        top->Window = 0;
        if (IsWindow(win)) DestroyWindow(win);
      }
    }
    if (t.Bar) RedrawMenuBar(t.Owner);
  }
  if (GetCapture() == t.Owner) ReleaseCapture();
  if (IsWindow(t.Owner)) {
    SendMessage(t.Owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    if (!(t.Flags & TPM_NONOTIFY)) SendMessage(t.Owner, WM_EXITMENULOOP, popup ? TRUE : FALSE, 0);
  }
  ShowCaret(0);
}

LRESULT PopupMenuProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      if (TMenuObject* m = LookupMenu(static_cast<HMENU>(GetWindowLongPtr(h, GWL_USERDATA)))) {
        if (!m->Width) LayoutPopupMenu(m);
        DrawPopupMenu(dc, m);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the menu paints every pixel
    case WM_NCHITTEST:
      return HTCLIENT;
    case MN_GETHMENU:
      return static_cast<LRESULT>(GetWindowLongPtr(h, GWL_USERDATA));
    default:
      return DefWindowProc(h, msg, wParam, lParam);
  }
}

}  // namespace

WNDPROC PopupMenuWndProc() { return TStaticWndProc<&PopupMenuProc>::Value(); }

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const TRect*) {
  TMenuObject* m = LookupMenu(menu);
  if (!m || !IsWindow(owner)) {
    SetLastError(m ? ERROR_INVALID_WINDOW_HANDLE : 1401);
    return FALSE;
  }
  if (gTracker) {
    SetLastError(1446);  // ERROR_POPUP_ALREADY_ACTIVE
    return FALSE;
  }
  TTracker t;
  t.Owner = owner;
  t.Flags = flags;
  Begin(t, menu, true);
  if (!(flags & TPM_NONOTIFY)) SendMessage(owner, WM_INITMENUPOPUP, static_cast<WPARAM>(menu), 0);
  if ((m = LookupMenu(menu)) != nullptr && !m->Items.empty() && IsWindow(owner)) {
    LayoutPopupMenu(m);
    if (flags & TPM_RIGHTALIGN) x -= m->Width;
    else if (flags & TPM_CENTERALIGN) x -= m->Width / 2;
    if (flags & TPM_BOTTOMALIGN) y -= m->Height;
    else if (flags & TPM_VCENTERALIGN) y -= m->Height / 2;
    if (const HWND win = ShowPopup(t, m, x, y)) {
      t.Levels.push_back({menu, win});
      Run(t);
    }
  }
  Finish(t, true);
  if (flags & TPM_RETURNCMD) return t.Chosen ? static_cast<BOOL>(t.Command) : 0;
  return TRUE;
}

BOOL EndMenu() {
  if (gTracker) gTracker->End = true;
  return TRUE;
}

void TrackMouseMenuBar(HWND hWnd, TPoint screenPoint) {
  TMenuObject* bar = WindowMenu(LookupWindow(hWnd));
  if (!bar || gTracker) return;
  TTracker t;
  t.Owner = hWnd;
  t.Bar = true;
  Begin(t, bar->Handle, false);
  if (LookupMenu(bar->Handle) == bar && IsWindow(hWnd)) {
    t.Levels.push_back({bar->Handle, 0});
    Press(t, HitAt(t, screenPoint));
    Run(t);
  }
  Finish(t, false);
}

void TrackKeyboardMenuBar(HWND hWnd, char key) {
  // From a child window, the menu bar of its top-level window.
  TWindow* w = LookupWindow(hWnd);
  while (w && (w->Style & WS_CHILD) && w->Parent) w = LookupWindow(w->Parent);
  TMenuObject* bar = WindowMenu(w);
  if (!bar || gTracker || key == ' ' || key == '-') return;
  TTracker t;
  t.Owner = w->Handle;
  t.Bar = true;
  Begin(t, bar->Handle, false);
  if (LookupMenu(bar->Handle) == bar && IsWindow(t.Owner)) {
    t.Levels.push_back({bar->Handle, 0});
    if (key) {
      // Alt and a letter: the bar item it marks opens (or, a command, runs).
      const int i = FindItemByKey(bar, key);
      if (i < 0) {
        MessageBeep(0);
        t.End = true;
      } else {
        Select(t, 0, i, false);
        if (Execute(t, 0) != -2) t.End = true;
      }
    } else {
      Select(t, 0, NextSelectable(bar, -1, 1), false);
    }
    Run(t);
  }
  Finish(t, false);
}
