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
IMPLEMENT_COMPONENT_CLASS(TXTabControl, TCustomControl)
IMPLEMENT_COMPONENT_CLASS(TMessageViewForm, TWinControl)
IMPLEMENT_COMPONENT_CLASS(TStatusbar, TCustomControl)
IMPLEMENT_COMPONENT_CLASS(TEditWindow, TForm)

TEditControl::TEditControl(TComponent* AOwner)
    : TCustomControl(AOwner), FBuffer(new TEditBuffer()), FOwnBuffer(FBuffer) {
  TabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FCursor = crIBeam;
  FFont->SetName("Courier New");
  FFont->SetHeight(-13);
}

void TEditControl::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEditControl::Paint() {
  const TRect client = GetClientRect();
  FCanvas->GetFont()->Assign(FFont);
  FCanvas->GetBrush()->SetColor(FColor);
  FCanvas->GetBrush()->SetStyle(bsSolid);
  for (Integer row = 0; row * LineHeight < client.Bottom; ++row) {
    const Integer y = FTopLine + row;
    // The line as columns: each tab as the spaces up to its stop.
    String text;
    if (y <= GetLineCount()) {
      const std::string_view line = FBuffer->GetLine(y);
      for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\t') {
          text += line[i];
          continue;
        }
        const LongInt from = FBuffer->IndexToColumn(y, static_cast<LongInt>(i));
        const LongInt to = FBuffer->IndexToColumn(y, static_cast<LongInt>(i) + 1);
        text.append(static_cast<size_t>(std::max<LongInt>(to - from, 1)), ' ');
      }
    }
    text = FLeftCol - 1 < static_cast<Integer>(text.size()) ? text.substr(static_cast<size_t>(FLeftCol - 1)) : String();
    // Each line fills its own strip: the background is drawn with the text, never twice.
    const TRect r{0, row * LineHeight, client.Right, (row + 1) * LineHeight};
    FCanvas->TextRect(r, 0, r.Top, text);
  }
}

void TEditControl::NotifyStatus() {
  if (!FParent) return;
  for (Integer i = 0; i < FParent->GetControlCount(); ++i)
    if (auto* bar = As<TStatusbar>(FParent->GetControl(i))) bar->Invalidate();
}

void TEditControl::Destroy() {
  FBuffer = nullptr;
  FreeAndNil(FOwnBuffer);
  inherited::Destroy();
}

void TEditControl::SetText(const String& s) {
  FBuffer->SetText(s);
  SetBuffer(FBuffer, {});
}

void TEditControl::SetBuffer(TEditBuffer* Buffer, const TEditPlace& Place) {
  FBuffer = Buffer ? Buffer : FOwnBuffer;
  FTopLine = std::clamp<Integer>(Place.TopLine, 1, GetLineCount());
  FLeftCol = std::max<Integer>(Place.LeftCol, 1);
  FCaretY = std::clamp<Integer>(Place.CaretY, 1, GetLineCount());
  FCaretX = std::max<Integer>(Place.CaretX, 1);
  ScrollToCaret();
  Invalidate();
  NotifyStatus();
}

void TEditControl::SetCaretX(Integer x) {
  FCaretX = x < 1 ? 1 : x;
  ScrollToCaret();
  NotifyStatus();
}

void TEditControl::SetCaretY(Integer y) {
  FCaretY = y < 1 ? 1 : (y > GetLineCount() ? GetLineCount() : y);
  ScrollToCaret();
  NotifyStatus();
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

// Whole lines and columns of the client area: a line cut off at the bottom does not count.
Integer TEditControl::GetLinesInWindow() const { return GetClientRect().Height() / LineHeight; }

Integer TEditControl::GetColsInWindow() const { return GetClientRect().Width() / CharWidth; }

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

bool ApplyEditsAt(TEditBuffer& Buffer, const std::vector<TBufferEdit>& Edits, TEditPlace& Place) {
  // Where the cursor stands in the text: a character, and the columns past its start (inside
  // a tab, or past the line's end).
  const LongInt line = std::clamp<LongInt>(Place.CaretY, 1, Buffer.GetLineCount());
  const LongInt index =
      std::min<LongInt>(Buffer.ColumnToIndex(line, Place.CaretX), static_cast<LongInt>(Buffer.GetLine(line).size()));
  const LongInt at = Buffer.CharPosToPos(line, index);
  LongInt extra = Place.CaretX - Buffer.IndexToColumn(line, index);
  if (!Buffer.Apply(Edits, Place.CaretX, Place.CaretY)) return false;

  LongInt moved = at;
  for (const TEditChange& c : Buffer.GetUndoStep(Buffer.GetUndoCount() - 1).Changes) {
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
  LongInt newLine, newIndex;
  Buffer.PosToCharPos(moved, newLine, newIndex);
  Place.CaretY = static_cast<Integer>(newLine);
  Place.CaretX = static_cast<Integer>(Buffer.IndexToColumn(newLine, newIndex) + extra);
  return true;
}

bool TEditControl::ApplyEdits(const std::vector<TBufferEdit>& Edits) {
  TEditPlace place = GetPlace();
  if (!ApplyEditsAt(*FBuffer, Edits, place)) return false;
  FCaretX = place.CaretX;
  FCaretY = place.CaretY;
  ScrollToCaret();
  Invalidate();
  NotifyStatus();
  InvalidateBufferViews(FBuffer, this);
  return true;
}

bool TEditControl::Undo() {
  Integer x, y;
  if (FBuffer->GetLocked() || !FBuffer->Undo(x, y)) return false;
  SetCaretY(y);
  SetCaretX(x);
  Invalidate();
  NotifyStatus();
  InvalidateBufferViews(FBuffer, this);
  return true;
}

// A key's edit: one undo step, the cursor going to CaretOffset. Nothing while a writer holds
// the buffer.
void TEditControl::KeyEdit(LongInt Offset, LongInt Count, const String& Text, LongInt CaretOffset) {
  if (FBuffer->GetLocked()) return;
  if (!FBuffer->Apply({{Offset, Count, Text}}, FCaretX, FCaretY)) return;
  MoveCaretTo(CaretOffset);
  InvalidateBufferViews(FBuffer, this);
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
      const bool ctrl = GetKeyState(VK_CONTROL) < 0;
      if (key == 'Z' && ctrl) {
        Undo();
        return;
      }
      if (key == VK_TAB && ctrl) {
        if (auto* window = As<TEditWindow>(GetParentForm(this))) window->SelectNextTab(GetKeyState(VK_SHIFT) >= 0);
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
      NotifyStatus();
      return;
    }
    case WM_CHAR: {
      char c = static_cast<char>(Message.WParam);
      if (c == '\t' && GetKeyState(VK_CONTROL) < 0) return;  // Ctrl+Tab changed the tab
      if (c == '\r')
        NewLine();
      else if (c == '\b')
        DeleteBack();
      else if (c == '\t' || static_cast<unsigned char>(c) >= 0x20)
        InsertChar(c);
      else
        return;
      Invalidate();
      NotifyStatus();
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
      ShowCaret(GetHandle());
      return;
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(Message);
      DestroyCaret();
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;  // every line paints its own background
      return;
    default:
      TCustomControl::Dispatch(Message);
  }
}

String TXTabControl::GetTab(Integer Index) const {
  return Index >= 0 && Index < GetTabCount() ? FTabs[static_cast<size_t>(Index)] : String();
}

void TXTabControl::InsertTab(Integer Index, const String& Caption) {
  Index = std::clamp<Integer>(Index, 0, GetTabCount());
  FTabs.insert(FTabs.begin() + Index, Caption);
  if (FTabIndex < 0) FTabIndex = 0;
  else if (FTabIndex >= Index) ++FTabIndex;
  Invalidate();
}

// The selection stays on its tab; the deleted selected tab passes it to its right neighbour.
void TXTabControl::DeleteTab(Integer Index) {
  if (Index < 0 || Index >= GetTabCount()) return;
  FTabs.erase(FTabs.begin() + Index);
  if (FTabIndex > Index || FTabIndex >= GetTabCount()) --FTabIndex;
  Invalidate();
}

void TXTabControl::SetTabIndex(Integer Index) {
  if (Index < 0 || Index >= GetTabCount() || Index == FTabIndex) return;
  FTabIndex = Index;
  Invalidate();
}

namespace {
constexpr Integer kTabPadding = 6;
// The captions shown: the tabs, or the form's caption while there are none.
std::vector<String> TabCaptions(const TXTabControl& c, const std::vector<String>& tabs) {
  if (!tabs.empty()) return tabs;
  return {c.GetParent() ? c.GetParent()->GetCaption() : String()};
}
}  // namespace

TRect TXTabControl::GetTabRect(Integer Index) const {
  const std::vector<String> captions = TabCaptions(*this, FTabs);
  if (Index < 0 || Index >= static_cast<Integer>(captions.size())) return {};
  // Measured with the control's font on a screen context, as painting measures them.
  HDC dc = GetDC(0);
  HGDIOBJ old = SelectObject(dc, FFont->GetHandle());
  Integer x = 2;
  TRect r{};
  for (Integer i = 0; i <= Index; ++i) {
    TRect size{0, 0, 0, 0};
    DrawTextA(dc, captions[static_cast<size_t>(i)].c_str(), -1, &size, DT_SINGLELINE | DT_CALCRECT);
    r = {x, 2, x + size.Width() + 2 * kTabPadding, GetClientRect().Bottom};
    x = r.Right;
  }
  SelectObject(dc, old);
  ReleaseDC(0, dc);
  return r;
}

Integer TXTabControl::TabAt(TPoint P) const {
  for (Integer i = 0; i < GetTabCount(); ++i)
    if (PtInRect(GetTabRect(i), P)) return i;
  return -1;
}

void TXTabControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_LBUTTONDOWN) {
    const Integer tab = TabAt(ParamToPoint(Message.LParam));
    if (tab >= 0 && tab != FTabIndex) {
      SetTabIndex(tab);
      if (OnChange) OnChange(this);
    }
  }
  TCustomControl::Dispatch(Message);
}

// The selected tab stands raised in front, a little taller; the others sit behind it.
void TXTabControl::Paint() {
  const TRect client = GetClientRect();
  FCanvas->GetBrush()->SetColor(FColor);
  FCanvas->FillRect(client);
  FCanvas->GetFont()->Assign(FFont);
  const std::vector<String> captions = TabCaptions(*this, FTabs);
  const Integer selected = FTabs.empty() ? 0 : FTabIndex;
  for (Integer i = 0; i < static_cast<Integer>(captions.size()); ++i) {
    TRect tab = GetTabRect(i);
    if (i != selected) tab.Top += 2;
    DrawEdge(FCanvas->GetHandle(), &tab, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
    FCanvas->GetBrush()->SetStyle(bsClear);
    const String& caption = captions[static_cast<size_t>(i)];
    FCanvas->TextOut(tab.Left + kTabPadding, tab.Top + (tab.Height() - FCanvas->TextHeight(caption)) / 2, caption);
    FCanvas->GetBrush()->SetStyle(bsSolid);
  }
}

String TStatusbar::GetPanelText(Integer Index) const {
  auto* window = As<TEditWindow>(GetParent());
  TEditControl* editor = window ? window->GetEditControl() : nullptr;
  if (!editor) return String();
  switch (Index) {
    case 0: return Format("%d: %d", editor->GetCaretY(), editor->GetCaretX());
    case 1: return editor->GetBuffer()->GetModified() ? "Modified" : "";
    case 2: return "Insert";
    default: return String();
  }
}

void TStatusbar::Paint() {
  const TRect client = GetClientRect();
  FCanvas->GetBrush()->SetColor(FColor);
  FCanvas->FillRect(client);
  FCanvas->GetFont()->Assign(FFont);
  const Integer widths[PanelCount] = {100, 80, 80};
  Integer x = 0;
  for (Integer i = 0; i < PanelCount; ++i) {
    TRect panel{x, 2, x + widths[i], client.Bottom};
    x = panel.Right + 2;
    DrawEdge(FCanvas->GetHandle(), &panel, BDR_SUNKENOUTER, BF_RECT);
    const String text = GetPanelText(i);
    FCanvas->GetBrush()->SetStyle(bsClear);
    DrawTextA(FCanvas->GetHandle(), text.c_str(), -1, &panel, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    FCanvas->GetBrush()->SetStyle(bsSolid);
  }
}

TEditControl* TEditWindow::GetEditControl() const {
  TEditControl* found = nullptr;
  for (Integer i = 0; i < GetComponentCount(); ++i)
    if (auto* e = As<TEditControl>(GetComponent(i))) found = e;
  return found;
}

TXTabControl* TEditWindow::GetTabControl() const {
  TXTabControl* found = nullptr;
  for (Integer i = 0; i < GetComponentCount(); ++i)
    if (auto* t = As<TXTabControl>(GetComponent(i))) found = t;
  return found;
}

void TEditWindow::SelectNextTab(bool Forward) {
  TXTabControl* tabs = GetTabControl();
  if (!tabs || tabs->GetTabCount() < 2) return;
  const Integer n = tabs->GetTabCount();
  tabs->SetTabIndex((tabs->GetTabIndex() + (Forward ? 1 : n - 1)) % n);
  if (tabs->OnChange) tabs->OnChange(tabs);
}

void InvalidateBufferViews(const TEditBuffer* Buffer, const TEditControl* Except) {
  if (!Screen) return;
  for (Integer i = 0; i < Screen->GetFormCount(); ++i)
    if (auto* window = As<TEditWindow>(Screen->GetForm(i)))
      if (TEditControl* editor = window->GetEditControl(); editor && editor != Except && editor->GetBuffer() == Buffer)
        editor->Invalidate();
}

TEditWindow* CreateEditWindow(TComponent* owner, const TEditWindowLayout& layout) {
  auto* form = new TEditWindow(owner);
  form->SetCaption(layout.Caption);
  form->SetBounds(40, 130, 640, 480);
  // Laid out in the client area of the sizeable frame (8 by 27 pixels of frame and caption),
  // aligned as the IDE's are, so a panel docked to a side takes its room from the editor.
  const Integer width = 640 - 8, height = 480 - 27;
  auto place = [&](TWinControl* c, Integer top, Integer h, TAlign align) {
    c->SetBounds(0, top, width, h);
    c->SetParent(form);
    c->SetAlign(align);
  };
  if (layout.TabControl) place(new TXTabControl(form), 0, 24, alTop);
  for (int i = 0; i < layout.EditControls; ++i) place(new TEditControl(form), 24, height - 24 - 56 - 20, alClient);
  if (layout.MessageView) place(new TMessageViewForm(form), height - 56 - 20, 56, alBottom);
  if (layout.StatusBar) place(new TStatusbar(form), height - 20, 20, alBottom);
  if (!layout.LocalMenuName.empty()) (new TPopupMenu(form))->SetName(layout.LocalMenuName);
  if (!layout.MsgViewMenuName.empty()) (new TPopupMenu(form))->SetName(layout.MsgViewMenuName);
  if (TEditControl* e = form->GetEditControl()) form->SetActiveControl(e);
  return form;
}
