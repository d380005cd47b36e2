// The IDE's editor windows and the editor control's editing.
#include "EditWindows.h"

#include <algorithm>

static const TPropInfo EditControlProps[] = {
    PUBLISHED_INT(TEditControl, "TopLine", GetTopLine, SetTopLine),
    PUBLISHED_INT_RO(TEditControl, "LineCount", GetLineCount),
    PUBLISHED_INT_RO(TEditControl, "LinesInWindow", GetLinesInWindow),
    PUBLISHED_INT(TEditControl, "CaretY", GetCaretY, SetCaretY),
    PUBLISHED_INT(TEditControl, "CaretX", GetCaretX, SetCaretX),
};

IMPLEMENT_COMPONENT_CLASS_PROPS(TEditControl, TCustomControl, EditControlProps)
IMPLEMENT_COMPONENT_CLASS(TXTabControl, TWinControl)
IMPLEMENT_COMPONENT_CLASS(TMessageViewForm, TWinControl)
IMPLEMENT_COMPONENT_CLASS(TStatusbar, TWinControl)
IMPLEMENT_COMPONENT_CLASS(TEditWindow, TForm)

TEditControl::TEditControl(TComponent* AOwner) : TCustomControl(AOwner), FBuffer(new TEditBuffer()) {
  TabStop = true;
}

void TEditControl::Destroy() {
  FreeAndNil(FBuffer);
  inherited::Destroy();
}

void TEditControl::SetText(const String& s) {
  FBuffer->SetText(s);
  FCaretX = FCaretY = FTopLine = FLeftCol = 1;
  UpdateCaret();
  Invalidate();
}

void TEditControl::SetCaretX(Integer x) {
  FCaretX = x < 1 ? 1 : x;
  ScrollToCaret();
}

void TEditControl::SetCaretY(Integer y) {
  FCaretY = y < 1 ? 1 : (y > GetLineCount() ? GetLineCount() : y);
  ScrollToCaret();
}

void TEditControl::SetTopLine(Integer v) {
  if (v < 1) v = 1;
  if (v > GetLineCount()) v = GetLineCount();
  if (v == FTopLine) return;
  FTopLine = v;
  UpdateCaret();
  Invalidate();
}

void TEditControl::SetLeftCol(Integer v) {
  if (v < 1) v = 1;
  if (v == FLeftCol) return;
  FLeftCol = v;
  UpdateCaret();
  Invalidate();
}

Integer TEditControl::GetLinesInWindow() const { return FHeight / LineHeight; }

Integer TEditControl::GetColsInWindow() const { return FWidth / CharWidth; }

TPoint TEditControl::GetCaretPoint() const {
  return Point((FCaretX - FLeftCol) * CharWidth, (FCaretY - FTopLine) * LineHeight);
}

// The caret is the focused window's: only the editor that has the focus moves it.
void TEditControl::UpdateCaret() {
  if (!HandleAllocated() || GetFocus() != GetHandle()) return;
  TPoint p = GetCaretPoint();
  SetCaretPos(p.X, p.Y);
}

void TEditControl::ScrollToCaret() {
  Integer lines = std::max<Integer>(GetLinesInWindow(), 1), cols = std::max<Integer>(GetColsInWindow(), 1);
  Integer top = FTopLine, left = FLeftCol;
  if (FCaretY < top) top = FCaretY;
  if (FCaretY >= top + lines) top = FCaretY - lines + 1;
  if (FCaretX < left) left = FCaretX;
  if (FCaretX >= left + cols) left = FCaretX - cols + 1;
  if (top != FTopLine || left != FLeftCol) Invalidate();
  FTopLine = top;
  FLeftCol = left;
  UpdateCaret();
}

LongInt TEditControl::CaretIndex() const {
  LongInt index = FBuffer->ColumnToIndex(FCaretY, FCaretX);
  return std::min<LongInt>(index, static_cast<LongInt>(FBuffer->GetLine(FCaretY).size()));
}

void TEditControl::MoveCaretTo(LongInt Offset, LongInt ExtraCols) {
  LongInt line, index;
  FBuffer->PosToCharPos(Offset, line, index);
  FCaretY = line;
  FCaretX = static_cast<Integer>(FBuffer->IndexToColumn(line, index) + ExtraCols);
  ScrollToCaret();
}

bool TEditControl::ApplyEdits(const std::vector<TBufferEdit>& Edits) {
  // Where the cursor stands in the text: a character, and the columns past its start (inside
  // a tab, or past the line's end).
  LongInt index = CaretIndex();
  LongInt at = FBuffer->CharPosToPos(FCaretY, index);
  LongInt extra = FCaretX - FBuffer->IndexToColumn(FCaretY, index);
  if (!FBuffer->Apply(Edits, FCaretX, FCaretY)) return false;

  LongInt moved = at;
  for (const TEditChange& c : FBuffer->GetUndoStep(FBuffer->GetUndoCount() - 1).Changes) {
    if (c.Offset >= at) break;
    LongInt grew = static_cast<LongInt>(c.Inserted.size()) - static_cast<LongInt>(c.Deleted.size());
    if (c.Offset + static_cast<LongInt>(c.Deleted.size()) <= at) {
      moved += grew;
    } else {  // the text around the cursor went
      moved = c.Offset + (moved - at) + static_cast<LongInt>(c.Inserted.size());
      extra = 0;
      break;
    }
  }
  MoveCaretTo(moved, extra);
  Invalidate();
  return true;
}

bool TEditControl::Undo() {
  Integer x, y;
  if (FBuffer->GetLocked() || !FBuffer->Undo(x, y)) return false;
  SetCaretY(y);
  SetCaretX(x);
  Invalidate();
  return true;
}

// A key's edit: one undo step, the cursor going to CaretOffset. Nothing while a writer holds
// the buffer.
void TEditControl::KeyEdit(LongInt Offset, LongInt Count, const String& Text, LongInt CaretOffset) {
  if (FBuffer->GetLocked()) return;
  if (FBuffer->Apply({{Offset, Count, Text}}, FCaretX, FCaretY)) MoveCaretTo(CaretOffset);
}

// A cursor past the end of its line types at the end of the line, as the editor's default
// (no "cursor beyond end of line") does; one inside a tab types before the tab.
void TEditControl::InsertChar(char c) {
  LongInt at = CaretOffset();
  KeyEdit(at, 0, String(1, c), at + 1);
}

void TEditControl::NewLine() {
  LongInt at = CaretOffset();
  KeyEdit(at, 0, "\r\n", at + 2);
}

// Past the line's end it only moves the cursor back; at a line's start the break before it
// goes, joining the line to the one above.
void TEditControl::DeleteBack() {
  LongInt at = CaretOffset();
  if (FCaretX > FBuffer->IndexToColumn(FCaretY, static_cast<LongInt>(FBuffer->GetLine(FCaretY).size()))) {
    SetCaretX(FCaretX - 1);
  } else if (CaretIndex() > 0) {
    KeyEdit(at - 1, 1, String(), at - 1);
  } else if (FCaretY > 1) {
    LongInt end = FBuffer->CharPosToPos(FCaretY - 1, INT32_MAX);
    KeyEdit(end, at - end, String(), end);
  }
}

// At or past a line's end the break after it goes, joining the next line to it.
void TEditControl::DeleteForward() {
  LongInt at = CaretOffset();
  if (CaretIndex() < static_cast<LongInt>(FBuffer->GetLine(FCaretY).size())) {
    KeyEdit(at, 1, String(), at);
  } else if (FCaretY < GetLineCount()) {
    LongInt next = FBuffer->GetLineStart(FCaretY + 1);
    KeyEdit(at, next - at, String(), at);
  }
}

// Over the line's text the cursor steps a character at a time, so over a tab to the next or
// back to the previous tab stop; past the end, a column at a time.
void TEditControl::MoveLeft() {
  if (FCaretX <= 1) return;
  FCaretX = static_cast<Integer>(FBuffer->IndexToColumn(FCaretY, FBuffer->ColumnToIndex(FCaretY, FCaretX - 1)));
}

void TEditControl::MoveRight() {
  LongInt index = FBuffer->ColumnToIndex(FCaretY, FCaretX);
  FCaretX = index < static_cast<LongInt>(FBuffer->GetLine(FCaretY).size())
                ? static_cast<Integer>(FBuffer->IndexToColumn(FCaretY, index + 1))
                : FCaretX + 1;
}

void TEditControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN: {
      ++FKeysHandled;
      const Word key = static_cast<Word>(Message.WParam & 0xFFFF);
      if (key == 'Z' && GetKeyState(VK_CONTROL) < 0) {
        Undo();
        return;
      }
      switch (key) {
        case VK_LEFT: MoveLeft(); break;
        case VK_RIGHT: MoveRight(); break;
        case VK_UP: if (FCaretY > 1) --FCaretY; break;
        case VK_DOWN: if (FCaretY < GetLineCount()) ++FCaretY; break;
        case VK_HOME: FCaretX = 1; break;
        case VK_END:
          FCaretX = static_cast<Integer>(
              FBuffer->IndexToColumn(FCaretY, static_cast<LongInt>(FBuffer->GetLine(FCaretY).size())));
          break;
        case VK_DELETE: DeleteForward(); break;
        default: TCustomControl::Dispatch(Message); return;
      }
      ScrollToCaret();
      Invalidate();
      return;
    }
    case WM_CHAR: {
      char c = static_cast<char>(Message.WParam);
      if (c == '\r')
        NewLine();
      else if (c == '\b')
        DeleteBack();
      else if (c == '\t' || static_cast<unsigned char>(c) >= 0x20)
        InsertChar(c);
      else
        return;
      Invalidate();
      return;
    }
    // Tab and Enter are the editor's own, never the form's dialog keys.
    case CM_WANTSPECIALKEY:
      Message.Result = Message.WParam == VK_TAB || Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE;
      return;
    // The caret lives while the editor has the focus, as the window system has one caret.
    case WM_SETFOCUS:
      TCustomControl::Dispatch(Message);
      CreateCaret(GetHandle(), 2, LineHeight);
      UpdateCaret();
      return;
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(Message);
      DestroyCaret();
      return;
    default:
      TCustomControl::Dispatch(Message);
  }
}

TEditControl* TEditWindow::GetEditControl() const {
  TEditControl* found = nullptr;
  for (Integer i = 0; i < GetComponentCount(); ++i)
    if (auto* e = As<TEditControl>(GetComponent(i))) found = e;
  return found;
}

TEditWindow* CreateEditWindow(TComponent* owner, const TEditWindowLayout& layout) {
  auto* form = new TEditWindow(owner);
  form->SetCaption(layout.Caption);
  form->SetBounds(40, 40, 640, 480);
  auto place = [&](TWinControl* c, Integer top, Integer height) {
    c->SetBounds(0, top, 640, height);
    c->SetParent(form);
  };
  if (layout.TabControl) place(new TXTabControl(form), 0, 24);
  for (int i = 0; i < layout.EditControls; ++i) place(new TEditControl(form), 24, 376);
  if (layout.MessageView) place(new TMessageViewForm(form), 400, 56);
  if (layout.StatusBar) place(new TStatusbar(form), 456, 24);
  if (!layout.LocalMenuName.empty()) (new TPopupMenu(form))->SetName(layout.LocalMenuName);
  if (!layout.MsgViewMenuName.empty()) (new TPopupMenu(form))->SetName(layout.MsgViewMenuName);
  if (TEditControl* e = form->GetEditControl()) form->SetActiveControl(e);
  return form;
}
