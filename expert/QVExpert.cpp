// The expert base class and its IDE menu helper.
#include "QVExpert.h"

IMPLEMENT_CLASS(TQVCustomExpert, TIExpert)

TQVCustomExpert::TQVCustomExpert() : FSource(new TStringList()) {}

void TQVCustomExpert::Destroy() {
  FreeAndNil(FSource);
  inherited::Destroy();
}

void TQVCustomExpert::HandleException() {
  if (ToolServices) ToolServices->RaiseException(ReleaseException());
}

HWND TQVCustomExpert::GetEditHandle() { return FindWindow("TEditWindow", nullptr); }

TIMenuItemIntf* TQVCustomExpert::IDEAddMenu(const String& ParentName, const String& Caption, const String& Name,
                                            Word ShortCut, Integer Index, TIMenuClickEvent OnClick) {
  TIMenuItemIntf* result = nullptr;
  if (!ToolServices) return result;
  try {
    TInterfaceGuard<TIMainMenuIntf> mainMenu(ToolServices->GetMainMenu());
    if (!mainMenu) return result;
    TInterfaceGuard<TIMenuItemIntf> parent(mainMenu->FindMenuItem(ParentName));
    if (!parent) return result;
    result = parent->InsertItem(Index, Caption, Name, String(), ShortCut, 0, 0, TIMenuFlags{mfEnabled, mfVisible},
                                OnClick);
  } catch (...) {
    HandleException();
  }
  return result;
}
