// Logging window procedures for message-order tests.
#include "MessageLog.h"

#include <algorithm>
#include <cstdio>

std::string MessageName(UINT msg) {
  static const std::map<UINT, const char*> names = {
      {WM_NCCREATE, "WM_NCCREATE"}, {WM_CREATE, "WM_CREATE"},     {WM_DESTROY, "WM_DESTROY"},
      {WM_NCDESTROY, "WM_NCDESTROY"}, {WM_PAINT, "WM_PAINT"},     {WM_QUIT, "WM_QUIT"},
      {WM_NCPAINT, "WM_NCPAINT"},     {WM_ERASEBKGND, "WM_ERASEBKGND"},
      {WM_KEYDOWN, "WM_KEYDOWN"},   {WM_KEYUP, "WM_KEYUP"},       {WM_CHAR, "WM_CHAR"},
      {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"}, {WM_SYSKEYUP, "WM_SYSKEYUP"}, {CN_KEYDOWN, "CN_KEYDOWN"},
      {CN_KEYUP, "CN_KEYUP"},       {CN_CHAR, "CN_CHAR"},         {CN_SYSKEYDOWN, "CN_SYSKEYDOWN"},
      {WM_USER, "WM_USER"},         {WM_CLOSE, "WM_CLOSE"},       {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
      {WM_SYSCHAR, "WM_SYSCHAR"},   {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "WM_LBUTTONUP"},
      {WM_COMMAND, "WM_COMMAND"},   {WM_SYSCOMMAND, "WM_SYSCOMMAND"},   {WM_ENTERMENULOOP, "WM_ENTERMENULOOP"},
      {WM_EXITMENULOOP, "WM_EXITMENULOOP"}, {WM_INITMENU, "WM_INITMENU"}, {WM_INITMENUPOPUP, "WM_INITMENUPOPUP"},
      {WM_MENUSELECT, "WM_MENUSELECT"},
  };
  auto it = names.find(msg);
  if (it != names.end()) return it->second;
  if (msg >= WM_USER && msg < WM_USER + 0x100) return "WM_USER+" + std::to_string(msg - WM_USER);
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", msg);
  return buf;
}

void PrintTo(const TMessageRecord& r, std::ostream* os) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%#x %s(%#x, %#x)", r.Window, MessageName(r.Message).c_str(), r.WParam,
                static_cast<uint32_t>(r.LParam));
  *os << buf;
}

TLoggingProc::TLoggingProc(std::string name, TMessageLog& log)
    : TWndProcThunk{&TLoggingProc::Call}, Name(std::move(name)), Log(&log) {}

void TLoggingProc::Subclass(HWND hWnd) {
  Next = reinterpret_cast<WNDPROC>(SetWindowLongPtr(hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(Value())));
}

LRESULT TLoggingProc::Call(const TWndProcThunk* self, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto* p = static_cast<const TLoggingProc*>(self);
  if (p->Only.empty() || std::find(p->Only.begin(), p->Only.end(), msg) != p->Only.end()) {
    p->Log->push_back(p->Name + ":" + MessageName(msg));
    if (p->Records) p->Records->push_back({hWnd, msg, wParam, lParam});
  }
  if (p->OnMessage) p->OnMessage(hWnd, msg);
  auto answer = p->Answers.find(msg);
  if (answer != p->Answers.end()) return answer->second;
  return p->Next ? CallWindowProc(p->Next, hWnd, msg, wParam, lParam) : 0;
}
