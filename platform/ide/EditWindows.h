// The IDE's source-editor windows: a form of class "TEditWindow" owning the editor control,
// the tab control, the message view, the status bar and two popup menus.
#pragma once

#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

// The code editor: a window holding a text buffer, editing it from key messages the way an
// editor does, and publishing its line figures.
class TEditControl : public TCustomControl {
  DECLARE_CLASS(TEditControl, TCustomControl)
 public:
  explicit TEditControl(TComponent* AOwner);
  void Destroy() override;

  TStringList* GetLines() const { return FLines; }
  String GetText() const;
  void SetText(const String& s) override;
  // Caret position, lines and columns counted from 1.
  Integer GetCaretX() const { return FCaretX; }
  Integer GetCaretY() const { return FCaretY; }
  void SetCaretX(Integer x);
  void SetCaretY(Integer y);
  Integer GetTopLine() const { return FTopLine; }
  void SetTopLine(Integer v);
  Integer GetLineCount() const { return FLines->GetCount() > 0 ? FLines->GetCount() : 1; }
  Integer GetLinesInWindow() const;
  static constexpr Integer LineHeight = 16;
  static constexpr Integer CharWidth = 8;
  // Keys the editor has handled, for tests and the host summary.
  Integer GetKeysHandled() const { return FKeysHandled; }

  void Dispatch(TMessage& Message) override;

 private:
  void InsertChar(char c);
  void NewLine();
  void DeleteBack();
  void DeleteForward();
  void ScrollToCaret();
  String Line(Integer y) const;
  void EnsureLine(Integer y);
  TStringList* FLines;
  Integer FCaretX = 1, FCaretY = 1, FTopLine = 1;
  Integer FKeysHandled = 0;
};

class TXTabControl : public TWinControl {
  DECLARE_CLASS(TXTabControl, TWinControl)
 public:
  explicit TXTabControl(TComponent* AOwner) : TWinControl(AOwner) {}
};

class TMessageViewForm : public TWinControl {
  DECLARE_CLASS(TMessageViewForm, TWinControl)
 public:
  explicit TMessageViewForm(TComponent* AOwner) : TWinControl(AOwner) {}
};

class TStatusbar : public TWinControl {
  DECLARE_CLASS(TStatusbar, TWinControl)
 public:
  explicit TStatusbar(TComponent* AOwner) : TWinControl(AOwner) {}
};

class TEditWindow : public TForm {
  DECLARE_CLASS(TEditWindow, TForm)
 public:
  explicit TEditWindow(TComponent* AOwner) : TForm(AOwner) {}
  // The last editor control among the form's components, or null.
  TEditControl* GetEditControl() const;
};

// What an editor window is made of; tests and the host leave parts out or double them to
// exercise the framework's failure paths.
struct TEditWindowLayout {
  bool TabControl = true;
  bool StatusBar = true;
  bool MessageView = true;
  int EditControls = 1;
  String LocalMenuName = "EditorLocalMenu";
  String MsgViewMenuName = "MsgViewPopupMenu";
  String Caption = "Unit1.pas";
};

// Builds an editor window owned by `owner` (normally Application); it is not shown yet.
TEditWindow* CreateEditWindow(TComponent* owner, const TEditWindowLayout& layout = {});
