// The IDE's source-editor windows: a form of class "TEditWindow" owning the editor control,
// the tab control, the message view, the status bar and two popup menus.
#pragma once

#include "EditBuffer.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

// The code editor: a view of a text buffer that it owns. It edits the buffer from key
// messages the way an editor does, each key one undo step, Ctrl+Z taking the last step back;
// keeps the cursor in view; shows the system caret at the cursor while it has the focus; and
// publishes its line figures. The cursor's column is an editor column (tabs expanded) and may
// stand past the end of its line. It paints its lines in Courier New, 8 by 16 pixel cells.
class TEditControl : public TCustomControl {
  DECLARE_CLASS(TEditControl, TCustomControl)
 public:
  explicit TEditControl(TComponent* AOwner);
  void Destroy() override;

  TEditBuffer* GetBuffer() const { return FBuffer; }
  String GetText() const { return FBuffer->GetText(); }
  // Loads the buffer (its undo list starts empty) and puts the cursor and the view at the top.
  void SetText(const String& s) override;
  // Cursor position, lines and columns counted from 1.
  Integer GetCaretX() const { return FCaretX; }
  Integer GetCaretY() const { return FCaretY; }
  void SetCaretX(Integer x);
  void SetCaretY(Integer y);
  // The first line and the first column the window shows.
  Integer GetTopLine() const { return FTopLine; }
  void SetTopLine(Integer v);
  Integer GetLeftCol() const { return FLeftCol; }
  void SetLeftCol(Integer v);
  Integer GetLineCount() const { return FBuffer->GetLineCount(); }
  Integer GetLinesInWindow() const;
  Integer GetColsInWindow() const;
  static constexpr Integer LineHeight = 16;
  static constexpr Integer CharWidth = 8;
  // Where the caret stands for the cursor, in client pixels.
  TPoint GetCaretPoint() const;

  // Makes the edits one undo step (see TEditBuffer::Apply). The cursor keeps its place in
  // the text: an edit before it moves it along, one at or after it leaves it, and one that
  // removes the text around it leaves it at the end of what replaced that text.
  bool ApplyEdits(const std::vector<TBufferEdit>& Edits);
  // Takes back the last step and puts the cursor where it stood before it. False when there
  // is nothing to take back or a writer holds the buffer.
  bool Undo();

  // Keys the editor has handled, for tests and the host summary.
  Integer GetKeysHandled() const { return FKeysHandled; }

  void Dispatch(TMessage& Message) override;

 protected:
  // The visible lines, tabs expanded, in the editor's fixed-pitch font on the window colour.
  void Paint() override;
  void CreateParams(TCreateParams& Params) override;

 private:
  // The status bar shows where the cursor is.
  void NotifyStatus();
  void KeyEdit(LongInt Offset, LongInt Count, const String& Text, LongInt CaretOffset);
  // The cursor's character index, not past its line's end, and its buffer offset.
  LongInt CaretIndex() const;
  LongInt CaretOffset() const { return FBuffer->CharPosToPos(FCaretY, CaretIndex()); }
  void MoveCaretTo(LongInt Offset, LongInt ExtraCols = 0);
  void InsertChar(char c);
  void NewLine();
  void DeleteBack();
  void DeleteForward();
  void MoveLeft();
  void MoveRight();
  void ScrollToCaret();
  void UpdateCaret();
  TEditBuffer* FBuffer;
  Integer FCaretX = 1, FCaretY = 1, FTopLine = 1, FLeftCol = 1;
  Integer FKeysHandled = 0;
};

// The editor's tabs: one raised tab naming the open unit (the form's caption).
class TXTabControl : public TCustomControl {
  DECLARE_CLASS(TXTabControl, TCustomControl)
 public:
  explicit TXTabControl(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void Paint() override;
};

class TMessageViewForm : public TWinControl {
  DECLARE_CLASS(TMessageViewForm, TWinControl)
 public:
  explicit TMessageViewForm(TComponent* AOwner) : TWinControl(AOwner) {}
};

// The status bar: a sunken panel with the cursor's line and column.
class TStatusbar : public TCustomControl {
  DECLARE_CLASS(TStatusbar, TCustomControl)
 public:
  explicit TStatusbar(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void Paint() override;
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
