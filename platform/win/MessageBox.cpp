// Message boxes through the recorded, answerable seam.
#include "MessageBox.h"

#include <cstdio>
#include <deque>
#include <mutex>

namespace {

constexpr size_t kMaxRecorded = 1024;

struct TMessageBoxState {
  std::mutex Lock;
  TMessageBoxAnswerer Answerer;
  std::deque<TMessageBoxRequest> Shown;
};

// Never destroyed: boxes may still be shown by objects freed during process exit.
TMessageBoxState& State() {
  static TMessageBoxState* state = new TMessageBoxState;
  return *state;
}

int HeadlessAnswer(const TMessageBoxRequest& r) {
  std::fprintf(stderr, "[message box] %s: %s [", r.Caption.c_str(), r.Text.c_str());
  for (size_t i = 0; i < r.Buttons.size(); ++i)
    std::fprintf(stderr, "%s%s", i ? " | " : "", r.Buttons[i].Caption.c_str());
  int answer = r.DefaultResult ? r.DefaultResult : r.CancelResult;
  std::fprintf(stderr, "] -> %d\n", answer);
  return answer;
}

}  // namespace

TMessageBoxAnswerer SetMessageBoxAnswerer(TMessageBoxAnswerer answerer) {
  std::lock_guard guard(State().Lock);
  std::swap(State().Answerer, answerer);
  return answerer;
}

int ShowMessageBoxRequest(const TMessageBoxRequest& request) {
  TMessageBoxAnswerer answerer;
  {
    std::lock_guard guard(State().Lock);
    auto& shown = State().Shown;
    shown.push_back(request);
    if (shown.size() > kMaxRecorded) shown.pop_front();
    answerer = State().Answerer;
  }
  return answerer ? answerer(request) : HeadlessAnswer(request);
}

int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  TMessageBoxRequest r;
  r.Owner = owner;
  r.Text = text;
  r.Caption = caption;
  r.Type = type;
  const TMessageBoxButton ok{"OK", IDOK}, cancel{"Cancel", IDCANCEL}, abort{"&Abort", IDABORT},
      retry{"&Retry", IDRETRY}, ignore{"&Ignore", IDIGNORE}, yes{"&Yes", IDYES}, no{"&No", IDNO};
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: r.Buttons = {ok, cancel}; break;
    case MB_ABORTRETRYIGNORE: r.Buttons = {abort, retry, ignore}; break;
    case MB_YESNOCANCEL: r.Buttons = {yes, no, cancel}; break;
    case MB_YESNO: r.Buttons = {yes, no}; break;
    case MB_RETRYCANCEL: r.Buttons = {retry, cancel}; break;
    default: r.Buttons = {ok}; break;
  }
  size_t def = (type & MB_DEFMASK) >> 8;
  r.DefaultResult = r.Buttons[def < r.Buttons.size() ? def : 0].Result;
  // Escape closes a box only when it has a way out: Cancel, or the single OK.
  for (const TMessageBoxButton& b : r.Buttons)
    if (b.Result == IDCANCEL) r.CancelResult = IDCANCEL;
  if (r.Buttons.size() == 1) r.CancelResult = IDOK;
  return ShowMessageBoxRequest(r);
}

std::vector<TMessageBoxRequest> GetShownMessageBoxes() {
  std::lock_guard guard(State().Lock);
  return {State().Shown.begin(), State().Shown.end()};
}

void ClearShownMessageBoxes() {
  std::lock_guard guard(State().Lock);
  State().Shown.clear();
}
