// The base class of the package's experts: the source-line list and the helpers that talk
// to the IDE through its tool interfaces, releasing everything they obtain on every path.
#pragma once

#include "platform/ide/ExptIntf.h"
#include "platform/ide/ToolIntf.h"

class TQVCustomExpert : public TIExpert {
  DECLARE_CLASS(TQVCustomExpert, TIExpert)
 public:
  TQVCustomExpert();
  void Destroy() override;

  // Inside an exception handler: has the IDE report the exception (nothing outside the IDE).
  void HandleException();
  // The first top-level editor window, or 0.
  HWND GetEditHandle();
  // Inserts an item under the main-menu item named ParentName; the caller releases the
  // returned item. Null when there is no IDE, no such parent, or the IDE raised.
  TIMenuItemIntf* IDEAddMenu(const String& ParentName, const String& Caption, const String& Name, Word ShortCut,
                             Integer Index, TIMenuClickEvent OnClick);

  TStringList* GetSource() const { return FSource; }

 protected:
  TStringList* FSource = nullptr;
};
