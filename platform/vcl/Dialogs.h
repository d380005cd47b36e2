// MessageDlg and ShowMessage: the class library's message dialogs, shown through the
// recorded message-box seam.
#pragma once

#include "../win/MessageBox.h"
#include "Controls.h"

enum TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : uint8_t {
  mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn, 16>;

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// Shows Msg with the type's title ("Warning", "Error", "Information", "Confirm"; the
// application title for mtCustom) and icon, and the buttons in their fixed order; returns
// the modal result of the button pressed.
TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, LongInt HelpCtx);
// MessageDlg(Msg, mtCustom, [mbOK], 0).
void ShowMessage(const String& Msg);
