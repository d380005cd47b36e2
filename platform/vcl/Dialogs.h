// MessageDlg and ShowMessage: the class library's message dialogs, shown through the
// recorded message-box seam; and the file-open dialog, answered through its own seam.
#pragma once

#include <functional>

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

// ---- the file-open dialog -----------------------------------------------------------------
enum TOpenOption : uint8_t {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
  ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
  ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
  ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing
};
DECLARE_ENUM_INFO(TOpenOption)
using TOpenOptions = TSet<TOpenOption, 32>;

// What an open dialog asks. The answerer plays the user: it reads the request, may put the
// chosen name in FileName (and the chosen type in FilterIndex, the folder it last showed in
// InitialDir, which a refused answer's next request keeps), and returns true for Open or
// false for Cancel.
struct TOpenDialogRequest {
  String Title;
  String FileName;  // the dialog's initial name; the answerer replaces it with its choice
  String InitialDir;
  String Filter;  // "Description|pattern" pairs, as the dialog's Filter holds them
  Integer FilterIndex = 1;
  String DefaultExt;
  TOpenOptions Options;
  // Empty when first asked. When the dialog refused the previous answer (a file or path
  // that must exist and does not), the message it showed; the dialog is asking again.
  String Refusal;
};

using TOpenDialogAnswerer = std::function<bool(TOpenDialogRequest&)>;

// Installs the process-wide answerer and returns the one it replaces. With none installed a
// dialog prints its request to stderr and is cancelled, as on a machine without a screen.
// Dialogs are shown on the main thread only.
TOpenDialogAnswerer SetOpenDialogAnswerer(TOpenDialogAnswerer answerer);

class TCommonDialog : public TComponent {
  DECLARE_CLASS(TCommonDialog, TComponent)
 public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  virtual bool Execute() = 0;
};

// The file-open dialog. The stand-in never changes the process's current directory, as if
// ofNoChangeDir were always set.
class TOpenDialog : public TCommonDialog {
  DECLARE_CLASS(TOpenDialog, TCommonDialog)
 public:
  explicit TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

  const String& GetFileName() const { return FFileName; }
  void SetFileName(const String& v) { FFileName = v; }
  const String& GetDefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const String& v) { FDefaultExt = v; }
  const String& GetFilter() const { return FFilter; }
  void SetFilter(const String& v) { FFilter = v; }
  Integer GetFilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(Integer v) { FFilterIndex = v; }
  const String& GetInitialDir() const { return FInitialDir; }
  void SetInitialDir(const String& v) { FInitialDir = v; }
  const String& GetTitle() const { return FTitle; }
  void SetTitle(const String& v) { FTitle = v; }
  TOpenOptions GetOptions() const { return FOptions; }
  void SetOptions(TOpenOptions v) { FOptions = v; }

  // Shows the dialog; true when a file was chosen, which FileName then holds (and FilterIndex
  // the type the user had chosen). As the real
  // dialog does, a chosen name without extension gets DefaultExt, and with ofPathMustExist
  // or ofFileMustExist a name whose folder or file is missing is refused and the user asked
  // again; after three refusals the dialog counts as cancelled. An empty name cancels.
  bool Execute() override;

 private:
  String CheckAnswer(const String& name) const;
  String FFileName, FDefaultExt, FFilter, FInitialDir, FTitle;
  Integer FFilterIndex = 1;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
};
