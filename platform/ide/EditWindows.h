// The IDE's source-editor windows: a form of class "TEditWindow" owning the editor control,
// the tab control, the message view, the status bar and two popup menus.
#pragma once

#include "EditBuffer.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

// Where an editor stands in a buffer: the cursor and the first line and column shown.
struct TEditPlace {
  Integer CaretX = 1, CaretY = 1, TopLine = 1, LeftCol = 1;
};

// Makes the edits one undo step of the buffer and moves a cursor standing at `Place` with the
// text it stands in: an edit before it moves it along, one at or after it leaves it, and one
// that removes the text around it leaves it at the end of what replaced that text. False
// (nothing done) when the edits change nothing.
bool ApplyEditsAt(TEditBuffer& Buffer, const std::vector<TBufferEdit>& Edits, TEditPlace& Place);

// The code editor: a view of a text buffer, its own or one it is given to show. It edits the buffer from key
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
  // Shows another buffer (null: the editor's own) at a place in it; the buffer stays its
  // owner's, who gives the editor another one before it frees it.
  void SetBuffer(TEditBuffer* Buffer, const TEditPlace& Place);
  TEditPlace GetPlace() const { return {FCaretX, FCaretY, FTopLine, FLeftCol}; }
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

  // Makes the edits one undo step (see ApplyEditsAt), the cursor keeping its place in the text.
  bool ApplyEdits(const std::vector<TBufferEdit>& Edits);
  // Takes back the last step and puts the cursor where it stood before it. False when there
  // is nothing to take back or a writer holds the buffer.
  bool Undo();

  // Keys the editor has handled, for tests and the host summary.
  Integer GetKeysHandled() const { return FKeysHandled; }

  // Tells the status bar the cursor or the text changed.
  void NotifyStatus();

  void Dispatch(TMessage& Message) override;

 protected:
  // The visible lines, tabs expanded, in the editor's fixed-pitch font on the window colour.
  void Paint() override;
  void CreateParams(TCreateParams& Params) override;

 private:
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
  TEditBuffer* FOwnBuffer;
  Integer FCaretX = 1, FCaretY = 1, FTopLine = 1, FLeftCol = 1;
  Integer FKeysHandled = 0;
};

// The editor's tabs, one for each file open in the window, the selected one raised in front.
// A press on a tab selects it; OnChange tells of a change the user made. Without tabs of its
// own it shows one naming the form's caption.
class TXTabControl : public TCustomControl {
  DECLARE_CLASS(TXTabControl, TCustomControl)
 public:
  explicit TXTabControl(TComponent* AOwner) : TCustomControl(AOwner) {}

  Integer GetTabCount() const { return static_cast<Integer>(FTabs.size()); }
  String GetTab(Integer Index) const;  // "" out of range
  void InsertTab(Integer Index, const String& Caption);
  void DeleteTab(Integer Index);
  // -1 when there are no tabs; setting it does not call OnChange.
  Integer GetTabIndex() const { return FTabIndex; }
  void SetTabIndex(Integer Index);
  // The tab at a client point, -1 for none.
  Integer TabAt(TPoint P) const;
  // The tab's rectangle in client coordinates (empty out of range).
  TRect GetTabRect(Integer Index) const;

  TNotifyEvent OnChange;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;

 private:
  std::vector<String> FTabs;
  Integer FTabIndex = -1;
};

class TMessageViewForm : public TWinControl {
  DECLARE_CLASS(TMessageViewForm, TWinControl)
 public:
  explicit TMessageViewForm(TComponent* AOwner) : TWinControl(AOwner) {}
};

// The status bar: sunken panels with the editor's cursor as "line: column", "Modified" once
// its text changed, and the typing mode.
class TStatusbar : public TCustomControl {
  DECLARE_CLASS(TStatusbar, TCustomControl)
 public:
  explicit TStatusbar(TComponent* AOwner) : TCustomControl(AOwner) {}
  static constexpr Integer PanelCount = 3;
  // What a panel shows now ("" out of range or without an editor).
  String GetPanelText(Integer Index) const;

 protected:
  void Paint() override;
};

class TEditWindow : public TForm {
  DECLARE_CLASS(TEditWindow, TForm)
 public:
  explicit TEditWindow(TComponent* AOwner) : TForm(AOwner) {}
  // The last editor control among the form's components, or null; the same for its tabs.
  TEditControl* GetEditControl() const;
  TXTabControl* GetTabControl() const;
  // Ctrl+Tab in the editor: the next tab (the previous one with Shift), wrapping round, as if
  // it was clicked.
  void SelectNextTab(bool Forward);
};

// Repaints every editor showing the buffer but `Except`: a file open in two editor windows
// shows an edit made in either.
void InvalidateBufferViews(const TEditBuffer* Buffer, const TEditControl* Except = nullptr);

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
