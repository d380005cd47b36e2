// The text of an open file as the code editor keeps it: one block of 8-bit text, an index of
// where its lines start, the editor's tab columns, and the list of undoable steps.
#pragma once

#include <string_view>
#include <vector>

#include "platform/vcl/SysUtils.h"

// The editor options that shape positions: a tab stop every TabWidth columns (1, 9, 17 …
// with the default 8). Every editor reads them when it converts a column.
struct TEditorOptions {
  Integer TabWidth = 8;
};
extern TEditorOptions EditorOptions;

// One change of a step: the bytes at Offset that were Deleted gave way to Inserted.
struct TEditChange {
  LongInt Offset = 0;
  String Deleted;
  String Inserted;
};

// What one undo takes back: the changes of one writer or one key, ascending by offset (each
// offset as the buffer stood before the step), and where the cursor stood before it.
struct TEditStep {
  std::vector<TEditChange> Changes;
  Integer CaretX = 1, CaretY = 1;
};

// A replacement asked of the buffer: Count bytes at Offset become Text.
struct TBufferEdit {
  LongInt Offset = 0;
  LongInt Count = 0;
  String Text;
};

// Bytes are kept as they are. CR LF, a lone CR and a lone LF each end a line (LF CR is two
// breaks), the class library's rule, so a tool that writes a bare LF gets a new line and the
// LF stays. Offsets count bytes from 0; an offset never falls between the CR and the LF of a
// pair. Lines count from 1 and there is always at least one.
class TEditBuffer : public TObject {
  DECLARE_CLASS(TEditBuffer, TObject)
 public:
  TEditBuffer();

  const String& GetText() const { return FText; }
  // Loads new text: the undo list starts empty.
  void SetText(const String& Text);
  LongInt GetSize() const { return static_cast<LongInt>(FText.size()); }
  // Copies up to Count bytes from Offset; the number copied, 0 outside the text.
  LongInt Read(LongInt Offset, char* Buffer, LongInt Count) const;

  Integer GetLineCount() const { return static_cast<Integer>(FLineStarts.size()); }
  // The line's text without its break; empty for a line outside the buffer.
  std::string_view GetLine(LongInt Line) const;
  LongInt GetLineStart(LongInt Line) const;  // Line within 1..GetLineCount()

  // A character position to an offset: -1 before the buffer (line or index below 0 or 1);
  // an index past its line's end is the line's end, a line past the last the buffer's end.
  LongInt CharPosToPos(LongInt Line, LongInt CharIndex) const;
  // The line and index of an offset, clamped into the buffer.
  void PosToCharPos(LongInt Pos, LongInt& Line, LongInt& CharIndex) const;
  // Clamps an offset into the buffer, moving one between CR and LF to after the pair.
  LongInt Snap(LongInt Pos) const;

  // Editor columns and character indexes within a line. A tab covers the columns up to the
  // next tab stop; past the line's end each column is one (virtual) character, and a line
  // past the last is an empty one. A column inside a tab is that tab's index.
  LongInt ColumnToIndex(LongInt Line, LongInt Col) const;
  LongInt IndexToColumn(LongInt Line, LongInt Index) const;

  // Makes the edits one undo step. They are ascending by offset, in the buffer as it is, and
  // do not overlap; offsets are snapped and clamped. CaretX/CaretY is where the cursor stood,
  // for the undo to put it back. False (nothing done) when the edits change nothing.
  bool Apply(const std::vector<TBufferEdit>& Edits, Integer CaretX, Integer CaretY);
  // Takes back the last step; CaretX/CaretY get where the cursor stood before it.
  bool Undo(Integer& CaretX, Integer& CaretY);
  Integer GetUndoCount() const { return static_cast<Integer>(FUndo.size()); }
  const TEditStep& GetUndoStep(Integer Index) const;

  // Counts every change of the text, so a holder of offsets can tell they went stale.
  uint64_t GetSerial() const { return FSerial; }
  // Changed since it was loaded or last saved (an undo back to that point still counts).
  bool GetModified() const { return FSerial != FSavedSerial; }
  void MarkSaved() { FSavedSerial = FSerial; }
  // An undoable writer holds the buffer while it collects its edits: no other writer, no
  // typing and no undo meanwhile, so its offsets stay true until it is applied.
  bool GetLocked() const { return FLocked; }
  void SetLocked(bool Value) { FLocked = Value; }

 private:
  void Replace(LongInt Offset, LongInt Count, const String& Text);
  bool IsLineStart(LongInt Pos) const;
  LongInt LineEnd(size_t LineIndex) const;
  String FText;
  std::vector<LongInt> FLineStarts;  // ascending; FLineStarts[0] is 0
  std::vector<TEditStep> FUndo;
  uint64_t FSerial = 0, FSavedSerial = 0;
  bool FLocked = false;
};
