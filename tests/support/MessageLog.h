// Window procedures that log the messages reaching a window, for message-order tests.
#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win/Windows.h"

using TMessageLog = std::vector<std::string>;

// "WM_KEYUP", "CN_KEYUP", "WM_USER+2" …; hex for the rest.
std::string MessageName(UINT msg);

// A message with the window it went to and its parameters, for sequences where the
// parameters matter (key data, the window that took the capture, a quit's exit code).
struct TMessageRecord {
  HWND Window = 0;
  UINT Message = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  friend bool operator==(const TMessageRecord&, const TMessageRecord&) = default;
};
using TMessageRecords = std::vector<TMessageRecord>;
void PrintTo(const TMessageRecord& r, std::ostream* os);

// A window procedure that logs "Name:MESSAGE", answers some messages itself and passes the
// rest to the procedure it displaced, as a subclasser does.
struct TLoggingProc : TWndProcThunk {
  TLoggingProc(std::string name, TMessageLog& log);
  TLoggingProc(const TLoggingProc&) = delete;
  TLoggingProc& operator=(const TLoggingProc&) = delete;

  std::string Name;
  TMessageLog* Log;
  WNDPROC Next = nullptr;                     // where unanswered messages go; none: they get 0
  std::map<UINT, LRESULT> Answers;            // answered here and not passed on
  std::vector<UINT> Only;                     // the messages worth logging; all when empty
  TMessageRecords* Records = nullptr;         // when set, logged messages are recorded here too
  std::function<void(HWND, UINT)> OnMessage;  // runs before the message is answered or passed on

  WNDPROC Value() const { return this; }
  // Installs this procedure over the window's current one and remembers what it displaced.
  void Subclass(HWND hWnd);

 private:
  static LRESULT Call(const TWndProcThunk* self, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
