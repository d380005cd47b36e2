// Message dialogs built the way the class library builds its message form; the file-open
// dialog.
#include "Dialogs.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

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

struct TDlgTypeInfo {
  const char* Title;
  UINT Icon;
};
constexpr TDlgTypeInfo kTypes[] = {{"Warning", MB_ICONWARNING},
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

// ---- TOpenDialog ----------------------------------------------------------------------------

IMPLEMENT_ENUM_INFO(TOpenOption, "ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp",
                    "ofNoValidate", "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist",
                    "ofCreatePrompt", "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton",
                    "ofNoLongNames", "ofOldStyleDialog", "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing")

IMPLEMENT_CLASS(TCommonDialog, TComponent)
IMPLEMENT_COMPONENT_CLASS(TOpenDialog, TCommonDialog)

namespace {

TOpenDialogAnswerer& OpenDialogAnswerer() {
  static TOpenDialogAnswerer answerer;
  return answerer;
}

// How many refused answers the dialog takes before it counts as cancelled: an answerer that
// keeps answering a missing file would otherwise hold the dialog open for ever.
constexpr int kMaxAnswers = 3;

void PrintRequest(const TOpenDialogRequest& r) {
  std::fprintf(stderr, "[open dialog] \"%s\" file \"%s\" in \"%s\" filter \"%s\" default extension \"%s\" -> cancelled\n",
               r.Title.c_str(), r.FileName.c_str(), r.InitialDir.c_str(), r.Filter.c_str(), r.DefaultExt.c_str());
}

}  // namespace

TOpenDialogAnswerer SetOpenDialogAnswerer(TOpenDialogAnswerer answerer) {
  std::swap(OpenDialogAnswerer(), answerer);
  return answerer;
}

String TOpenDialog::CheckAnswer(const String& name) const {
  if (FOptions.Contains(ofPathMustExist) || FOptions.Contains(ofFileMustExist)) {
    String dir = ExtractFilePath(name);
    std::error_code ec;
    if (!dir.empty() && !std::filesystem::is_directory(dir, ec))
      return name + "\nPath does not exist.\nPlease verify the correct path was given.";
  }
  if (FOptions.Contains(ofFileMustExist) && !FileExists(name))
    return name + "\nFile not found.\nPlease verify the correct file name was given.";
  return String();
}

bool TOpenDialog::Execute() {
  TOpenDialogRequest request;
  request.Title = FTitle;
  request.FileName = FFileName;
  request.InitialDir = FInitialDir;
  request.Filter = FFilter;
  request.FilterIndex = FFilterIndex;
  request.DefaultExt = FDefaultExt;
  request.Options = FOptions;
  // A copy: an answerer may install another answerer while it runs.
  TOpenDialogAnswerer answerer = OpenDialogAnswerer();
  if (!answerer) {
    PrintRequest(request);
    return false;
  }
  for (int answer = 0; answer < kMaxAnswers; ++answer) {
    if (!answerer(request) || request.FileName.empty()) return false;
    String name = request.FileName;
    if (!FDefaultExt.empty() && ExtractFileExt(name).empty()) name += "." + FDefaultExt;
    request.Refusal = CheckAnswer(name);
    if (request.Refusal.empty()) {
      FFileName = name;
      FFilterIndex = request.FilterIndex;
      return true;
    }
    request.FileName = name;
  }
  std::fprintf(stderr, "[open dialog] \"%s\" refused %d times; cancelled\n", FTitle.c_str(), kMaxAnswers);
  return false;
}
