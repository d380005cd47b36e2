// The script's steps as input: keystrokes through the keyboard's path, mouse events through
// the mouse driver's, menu choices as the menu loop ends them, one event per idle turn.
#include "ScriptRunner.h"

#include <algorithm>
#include <cmath>

#include "platform/vcl/Menus.h"

namespace {

// A person's pace between the gestures of a step: reaching for a key or a button, holding it.
constexpr DWORD kReach = 150, kHold = 80, kModifierGap = 40, kMouseTravel = 200, kMenuTime = 300;
constexpr DWORD kWaitSlice = 10;  // time passes in slices, so what runs on the clock runs on time

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string ListOf(const std::vector<std::string>& names) {
  std::string s;
  for (const std::string& n : names) s += (s.empty() ? "" : ", ") + n;
  return s.empty() ? "none" : s;
}

bool IsWindowOrChild(HWND window, HWND hit) {
  for (HWND h = hit; h; h = GetParent(h))
    if (h == window) return true;
  return false;
}

}  // namespace

TScriptRunner::TScriptRunner(TScript script, THooks hooks) : FScript(std::move(script)), FHooks(std::move(hooks)) {
  FNow = FPlanned = GetMessageTime();
}

TScriptRunner::~TScriptRunner() {
  if (Application && Application->OnIdle == MethodOf<&TScriptRunner::AppIdle>(this)) Application->OnIdle = FOldIdle;
}

void TScriptRunner::Run() {
  if (!Application) throw EScriptError("A script needs a running application");
  FOldIdle = Application->OnIdle;
  Application->OnIdle = MethodOf<&TScriptRunner::AppIdle>(this);
  // Never waits: the script's next event is always due, and when it has ended the loop is
  // left at once.
  while (!FEnded && !Application->GetTerminated()) {
    MSG msg;
    if (!Application->ProcessMessage(msg)) Application->RunOnIdle();
  }
  Application->OnIdle = FOldIdle;
  if (FReleasing && FHooks.AfterRelease) FHooks.AfterRelease();
  FReleasing = false;
}

void TScriptRunner::AppIdle(TObject*, bool& Done) { Done = !Step(); }

bool TScriptRunner::Step() {
  if (FEnded) return false;
  // The queue has run dry since the last event: a key release has been handled in full.
  if (FReleasing) {
    FReleasing = false;
    if (FHooks.AfterRelease) FHooks.AfterRelease();
  }
  if (FHooks.ShouldStop && FHooks.ShouldStop()) {
    FStopped = true;
    Fail("");
    return false;
  }
  try {
    while (FActions.empty()) {
      if (FNext == FScript.Steps.size()) {
        FEnded = true;
        FCurrent = nullptr;
        return false;
      }
      FCurrent = &FScript.Steps[FNext++];
      Expand(*FCurrent);
    }
    TAction action = std::move(FActions.front());
    FActions.pop_front();
    if (action.At > FNow) {
      FNow = action.At;
      SetMessageTime(FNow);
      if (FHooks.AdvanceTo) FHooks.AdvanceTo(FNow);
    }
    if (action.Release && FHooks.OnRelease) FHooks.OnRelease();
    FReleasing = action.Release;
    if (action.Do) action.Do();
  } catch (const Exception& e) {
    Fail(e.Message);
    return false;
  } catch (const std::exception& e) {
    Fail(e.what());
    return false;
  }
  return true;
}

void TScriptRunner::Fail(const std::string& why) {
  if (!why.empty())
    FError = FScript.Name + ":" + std::to_string(FCurrent ? FCurrent->Line : 0) + ": " + why;
  FEnded = true;
  FActions.clear();
  // The dialogs the script opened would wait for it forever: each is cancelled, and their
  // modal loops end from the innermost out.
  for (Integer i = 0; Screen && i < Screen->GetCustomFormCount(); ++i)
    if (TCustomForm* f = Screen->GetCustomForm(i); f->GetModal() && f->GetModalResult() == mrNone)
      f->SetModalResult(mrCancel);
}

void TScriptRunner::At(DWORD ms, std::function<void()> action, bool release) {
  FActions.push_back({ms, std::move(action), release});
  if (ms > FPlanned) FPlanned = ms;
}

DWORD TScriptRunner::Later(DWORD ms) { return FPlanned + ms; }

// ---- input -----------------------------------------------------------------------------------

void TScriptRunner::Key(WORD vk, bool up) {
  keybd_event(static_cast<BYTE>(vk), static_cast<BYTE>(ScanCodeOf(vk)),
              (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0), 0);
}

void TScriptRunner::Mouse(UINT message, TPoint p) {
  if (message == WM_LBUTTONDOWN) FButtonDown = true;
  if (message == WM_LBUTTONUP) FButtonDown = false;
  // The keys the message carries: the button as this event leaves it, Shift and Ctrl as held.
  WPARAM keys = FButtonDown ? MK_LBUTTON : 0;
  if (GetAsyncKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
  if (GetAsyncKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
  MouseInput(message, p, keys);
}

void TScriptRunner::Chord(const TKeyChord& chord) {
  At(Later(kReach), [] {});
  for (WORD m : chord.Modifiers) At(Later(kModifierGap), [this, m] { Key(m, false); });
  const WORD key = chord.Key;
  At(Later(kModifierGap), [this, key] { Key(key, false); });
  At(Later(kHold), [this, key] { Key(key, true); });
  for (auto it = chord.Modifiers.rbegin(); it != chord.Modifiers.rend(); ++it) {
    const WORD m = *it;
    At(Later(kModifierGap), [this, m] { Key(m, true); });
  }
}

void TScriptRunner::ClickAt(TPoint p, int clicks) {
  At(Later(kMouseTravel), [this, p] { Mouse(WM_MOUSEMOVE, p); });
  for (int i = 0; i < clicks; ++i) {
    // A click step is a click of its own: it never completes a press before it to a double-click.
    DWORD at = Later(i == 0 ? kModifierGap : 90);
    if (i == 0 && FPlannedPress && at <= *FPlannedPress + GetDoubleClickTime())
      at = *FPlannedPress + GetDoubleClickTime() + 1;
    FPlannedPress = at;
    At(at, [this, p] { Mouse(WM_LBUTTONDOWN, p); });
    At(Later(70), [this, p] { Mouse(WM_LBUTTONUP, p); });
  }
}

// ---- finding what a step names ------------------------------------------------------------------

TCustomForm* TScriptRunner::ModalForm() const {
  if (!Screen) return nullptr;
  // Forms[] lists the most recently activated first: the innermost modal form comes first.
  for (Integer i = 0; i < Screen->GetCustomFormCount(); ++i)
    if (TCustomForm* f = Screen->GetCustomForm(i); f->GetModal()) return f;
  return nullptr;
}

TControl* TScriptRunner::FindControl(const std::vector<std::string>& path) const {
  TComponent* found = nullptr;
  std::vector<std::string> forms;
  for (Integer i = 0; Screen && i < Screen->GetCustomFormCount(); ++i) {
    TCustomForm* f = Screen->GetCustomForm(i);
    if (!f->GetName().empty()) forms.push_back(f->GetName());
    if (!found && SameText(f->GetName(), path[0])) found = f;
  }
  if (!found) throw EScriptError("no form named " + path[0] + " is on the screen (forms: " + ListOf(forms) + ")");
  std::string where = found->GetName();
  for (size_t i = 1; i < path.size(); ++i) {
    TComponent* next = found->FindComponent(path[i]);
    if (!next) throw EScriptError(where + " has no component named " + path[i]);
    found = next;
    where += "." + found->GetName();
  }
  auto* control = As<TControl>(found);
  if (!control) throw EScriptError(where + " is a " + found->ClassName() + ", not a control that can be clicked");
  return control;
}

TPoint TScriptRunner::ClickPoint(TControl* control, const std::string& name) const {
  for (TControl* c = control; c; c = c->GetParent()) {
    if (!c->GetVisible()) throw EScriptError(name + " is not visible");
    if (!c->GetEnabled()) throw EScriptError(name + " is disabled");
  }
  auto* win = As<TWinControl>(control);
  TWinControl* owner = win ? win : control->GetParent();
  if (!owner || !owner->HandleAllocated()) throw EScriptError(name + " is not on the screen");
  const TRect r = control->GetClientRect();
  const TPoint p = control->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  const HWND hit = WindowFromPoint(p);
  if (!IsWindowOrChild(owner->GetHandle(), hit)) {
    const std::string by = hit ? " by a " + GetWindowClassName(hit) + " window" : " (it is off the screen)";
    throw EScriptError(name + " cannot be clicked: its middle (" + std::to_string(p.X) + ", " + std::to_string(p.Y) +
                       ") is covered" + by);
  }
  return p;
}

// ---- steps ---------------------------------------------------------------------------------------

void TScriptRunner::Expand(const TScriptStep& step) {
  switch (step.Kind) {
    case sskType: {
      DWORD end = FPlanned;
      for (const TTypedKey& k : FTypist.Plan(step.Text, end)) {
        if (!k.Up && k.Key != VK_SHIFT) {
          ++FKeys;
          FEnters += k.Key == VK_RETURN;
          FBackspaces += k.Key == VK_BACK;
        }
        const WORD key = k.Key;
        const bool up = k.Up;
        At(k.At, [this, key, up] { Key(key, up); }, up && key != VK_SHIFT);
      }
      // Nothing struck (no key types any of it) still takes no time away from the clock.
      if (end > FPlanned) At(end, [] {});
      return;
    }
    case sskPress:
      for (const TKeyChord& chord : step.Chords) Chord(chord);
      return;
    case sskMenu: {
      TCustomForm* form = Application->GetMainForm();
      TMainMenu* menu = form ? form->GetMenu() : nullptr;
      if (!menu || !form->HandleAllocated() || !form->GetVisible()) throw EScriptError("the main window has no menu");
      if (TCustomForm* modal = ModalForm())
        throw EScriptError("the main menu cannot be used while " + Quoted(modal->GetCaption()) + " is open");
      TMenuItem* item = menu->GetItems();
      std::string where;
      for (const std::string& caption : step.Path) {
        TMenuItem* next = nullptr;
        std::vector<std::string> captions;
        for (Integer i = 0; i < item->GetCount(); ++i) {
          TMenuItem* sub = item->GetItem(i);
          if (!sub->GetVisible()) continue;
          captions.push_back(PlainCaption(sub->GetCaption()));
          if (!next && SameText(captions.back(), PlainCaption(caption))) next = sub;
        }
        if (!next)
          throw EScriptError("no menu item " + Quoted(caption) + (where.empty() ? " on the menu bar" : " in " + where) +
                             " (there are: " + ListOf(captions) + ")");
        where += (where.empty() ? "" : " > ") + PlainCaption(next->GetCaption());
        if (!next->GetEnabled()) throw EScriptError("menu item " + where + " is disabled");
        item = next;
      }
      if (item->GetCount() > 0) throw EScriptError(where + " opens a menu; name one of its items");
      const HWND window = form->GetHandle();
      const Word command = item->GetCommand();
      At(Later(kMenuTime), [window, command] { PostMessage(window, WM_COMMAND, command, 0); });
      return;
    }
    case sskClick:
    case sskDoubleClick: {
      const int clicks = step.Kind == sskClick ? 1 : 2;
      if (step.AtPoint) {
        ClickAt(step.From, clicks);
        return;
      }
      std::string name;
      for (const std::string& part : step.Path) name += (name.empty() ? "" : ".") + part;
      ClickAt(ClickPoint(FindControl(step.Path), name), clicks);
      return;
    }
    case sskAnswer: {
      TCustomForm* modal = ModalForm();
      if (!modal) throw EScriptError("no modal form is open to answer");
      if (step.Path.empty()) {
        const TModalResult result = step.Result;
        At(Later(kMouseTravel), [this, result] {
          if (TCustomForm* form = ModalForm()) form->SetModalResult(result);
          else throw EScriptError("no modal form is open to answer");
        });
        return;
      }
      // A button of the modal form, by name or by the caption a person reads.
      const std::string& wanted = step.Path[0];
      TControl* button = As<TControl>(modal->FindComponent(wanted));
      std::vector<std::string> captions;
      for (Integer i = 0; !button && i < modal->GetComponentCount(); ++i) {
        auto* c = As<TWinControl>(modal->GetComponent(i));
        if (!c || c->GetCaption().empty() || !c->GetVisible()) continue;
        captions.push_back(PlainCaption(c->GetCaption()));
        if (SameText(captions.back(), PlainCaption(wanted))) button = c;
      }
      if (!button)
        throw EScriptError(Quoted(modal->GetCaption()) + " has no button " + Quoted(wanted) + " (there are: " +
                           ListOf(captions) + ")");
      ClickAt(ClickPoint(button, modal->GetName() + "." + button->GetName()), 1);
      return;
    }
    case sskWait: {
      const DWORD end = FPlanned + step.Ms;
      for (DWORD t = FPlanned + kWaitSlice; t < end; t += kWaitSlice) At(t, [] {});
      At(end, [] {});
      return;
    }
    case sskScreenshot: {
      const std::string file = step.Text;
      // Taken when the loop is idle: every window has painted what it shows.
      At(FPlanned, [this, file] {
        std::string why;
        if (!SaveScreenPNG(0, file, &why)) throw EScriptError("cannot write the screenshot: " + why);
        FScreenshots.push_back(file);
      });
      return;
    }
    case sskMouseDown:
    case sskMouseMove:
    case sskMouseUp: {
      const UINT message = step.Kind == sskMouseDown ? WM_LBUTTONDOWN
                           : step.Kind == sskMouseUp ? WM_LBUTTONUP
                                                     : WM_MOUSEMOVE;
      const TPoint p = step.From;
      const DWORD at = Later(kHold);
      if (message == WM_LBUTTONDOWN) FPlannedPress = at;
      At(at, [this, message, p] { Mouse(message, p); });
      return;
    }
    case sskDrag: {
      const TPoint from = step.From, to = step.To;
      At(Later(kMouseTravel), [this, from] { Mouse(WM_MOUSEMOVE, from); });
      FPlannedPress = Later(kModifierGap);
      At(*FPlannedPress, [this, from] { Mouse(WM_LBUTTONDOWN, from); });
      // A hand moves the mouse a few pixels per report, about sixty reports a second.
      const double length = std::hypot(to.X - from.X, to.Y - from.Y);
      const int moves = std::max(1, static_cast<int>(std::ceil(length / 8)));
      for (int i = 1; i <= moves; ++i) {
        const TPoint p{from.X + static_cast<int32_t>(std::lround((to.X - from.X) * i / static_cast<double>(moves))),
                       from.Y + static_cast<int32_t>(std::lround((to.Y - from.Y) * i / static_cast<double>(moves)))};
        At(Later(16), [this, p] { Mouse(WM_MOUSEMOVE, p); });
      }
      At(Later(kHold), [this, to] { Mouse(WM_LBUTTONUP, to); });
      return;
    }
  }
}
