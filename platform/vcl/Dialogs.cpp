// Message dialogs built the way the class library builds its message form.
#include "Dialogs.h"

#include <cerrno>

#include "Forms.h"

namespace {

struct TButtonInfo {
  const char* Caption;
  TModalResult Result;
};
// Indexed by TMsgDlgBtn, which is also the order the buttons are shown in. Help does not
// close the dialog, so pressing it has no modal result.
constexpr TButtonInfo kButtons[] = {
    {"&Yes", mrYes},        {"&No", mrNo},           {"OK", mrOk},          {"Cancel", mrCancel},
    {"&Abort", mrAbort},    {"&Retry", mrRetry},     {"&Ignore", mrIgnore}, {"&All", mrAll},
    {"N&o to All", mrNoToAll}, {"Yes to &All", mrYesToAll}, {"&Help", mrNone}};

struct TTypeInfo {
  const char* Title;
  UINT Icon;
};
constexpr TTypeInfo kTypes[] = {{"Warning", MB_ICONWARNING},
                                {"Error", MB_ICONERROR},
                                {"Information", MB_ICONINFORMATION},
                                {"Confirm", MB_ICONQUESTION},
                                {nullptr, 0}};

// The application title, which defaults to the program's name as the original's does.
String ApplicationTitle() {
  if (Application && !Application->Title.empty()) return Application->Title;
  return program_invocation_short_name;
}

TModalResult FirstOf(TMsgDlgButtons Buttons, std::initializer_list<TMsgDlgBtn> Candidates) {
  for (TMsgDlgBtn b : Candidates)
    if (Buttons.Contains(b)) return kButtons[b].Result;
  return mrNone;
}

}  // namespace

TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, LongInt HelpCtx) {
  TMessageBoxRequest r;
  r.Owner = Application ? Application->GetHandle() : 0;
  r.Text = Msg;
  bool known = DlgType < mtCustom;
  r.Caption = known ? kTypes[DlgType].Title : ApplicationTitle();
  r.Type = known ? kTypes[DlgType].Icon : 0;
  for (unsigned b = mbYes; b <= mbHelp; ++b)
    if (Buttons.Contains(static_cast<TMsgDlgBtn>(b)))
      r.Buttons.push_back({kButtons[b].Caption, kButtons[b].Result});
  r.DefaultResult = FirstOf(Buttons, {mbOK, mbYes, mbRetry});
  // Escape presses the cancel button; without one only the close box ends the dialog,
  // and closing a modal form gives mrCancel.
  r.CancelResult = FirstOf(Buttons, {mbCancel, mbNo, mbOK});
  if (r.CancelResult == mrNone) r.CancelResult = mrCancel;
  r.DlgType = DlgType;
  r.DlgButtons = Buttons.Bits();
  r.HelpContext = HelpCtx;
  return ShowMessageBoxRequest(r);
}

void ShowMessage(const String& Msg) { MessageDlg(Msg, mtCustom, {mbOK}, 0); }
