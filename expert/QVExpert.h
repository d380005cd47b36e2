// The base class of the package's experts: the source-line list and the helpers that talk
// to the IDE through its tool interfaces and place popups at the editor's caret, releasing everything they obtain on every path, in
// the reverse order of obtaining. Exceptions the IDE raises inside the source and form helpers
// reach the caller once everything is released.
#pragma once

#include "platform/ide/EditIntf.h"
#include "platform/ide/ExptIntf.h"
#include "platform/ide/ToolIntf.h"
#include "platform/vcl/Forms.h"

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

  // Reads the current module's source into the line list (empty when there is none).
  void InitSource();
  // Edits of the current module, each one undoable step in the IDE. Lines and columns count
  // from 1; a position the editor cannot place, or a module without an editor view, leaves
  // the text as it is.
  void DeleteSource(Integer StartLine, Integer StartCol, Integer EndLine, Integer EndCol);
  void InsertSource(Integer Line, Integer Col, const String& Text);
  // Removes line Line with the break that ends it.
  void DeleteSourceLine(Integer Line);
  // Inserts Text and a line feed (LF alone, whatever the buffer's breaks) before line Line.
  void InsertSourceLine(Integer Line, const String& Text);
  // Replaces line Line by Text as two steps: the deletion, then the insertion.
  void UpdateSourceLine(Integer Line, const String& Text);

  // The cursor of the current module's first editor view, lines and columns from 1; (0, 0)
  // when there is no view.
  TEditPos GetCaretPos();
  // Moves that cursor; nothing without a view.
  void SetCaretPos(const TEditPos& Pos);
  // A screen point just below the editor's text caret, or (0, 0) when there is no caret or no
  // editor window. A caret in the first pixel column or row counts as none.
  TPoint GetCaretXY();
  // Places Form one character height below the caret point, or above it and to its left
  // where it would leave the screen, centred where it fits neither way; without a caret point
  // it stays where it is.
  void AlignPopupToCaret(TCustomForm* Form);

  // Whether FileName is a binary form file of the form FormName: its resource name is the
  // class-name prefix letter followed by exactly FormName (TFORM1 for Form1, not TFORM10),
  // compared without regard to case. A text form file, a missing or an empty file is not.
  bool FormInUnit(const String& FormName, const String& FileName);
  // Reads a property of a component on a form of the open project into Value, opening the
  // form's unit when it is not open yet. FormName "ACTIVE" or empty stands for the form of
  // the current module. Value stays as it was when the form, its module or the component is
  // not found; the IDE's exceptions reach the caller.
  void GetPropertyValue(const String& FormName, const String& ComponentName, const String& PropertyName,
                        String& Value);

  TStringList* GetSource() const { return FSource; }

 protected:
  TStringList* FSource = nullptr;
};
