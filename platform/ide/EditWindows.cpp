// The IDE's editor windows and the editor control's editing.
#include "EditWindows.h"

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

TEditControl::TEditControl(TComponent* AOwner) : TCustomControl(AOwner), FLines(new TStringList()) {
  TabStop = true;
}

void TEditControl::Destroy() {
  FreeAndNil(FLines);
  inherited::Destroy();
}

String TEditControl::GetText() const { return FLines->GetText(); }

void TEditControl::SetText(const String& s) {
  FLines->SetText(s);
  FCaretX = FCaretY = FTopLine = 1;
  Invalidate();
}

void TEditControl::SetCaretX(Integer x) { FCaretX = x < 1 ? 1 : x; }

void TEditControl::SetCaretY(Integer y) {
  FCaretY = y < 1 ? 1 : (y > GetLineCount() ? GetLineCount() : y);
  ScrollToCaret();
}

void TEditControl::SetTopLine(Integer v) {
  if (v < 1) v = 1;
  if (v > GetLineCount()) v = GetLineCount();
  if (v == FTopLine) return;
  FTopLine = v;
  Invalidate();
}

Integer TEditControl::GetLinesInWindow() const { return FHeight / LineHeight; }

// Reading a line past the end gives an empty one without adding it: keys that change
// nothing leave the buffer as it was.
String TEditControl::Line(Integer y) const { return y <= FLines->GetCount() ? FLines->Get(y - 1) : String(); }

void TEditControl::EnsureLine(Integer y) {
  while (FLines->GetCount() < y) FLines->Add(String());
}

void TEditControl::ScrollToCaret() {
  Integer lines = GetLinesInWindow() > 0 ? GetLinesInWindow() : 1;
  if (FCaretY < FTopLine) FTopLine = FCaretY;
  if (FCaretY >= FTopLine + lines) FTopLine = FCaretY - lines + 1;
  SetCaretPos((FCaretX - 1) * CharWidth, (FCaretY - FTopLine) * LineHeight);
}

// A caret past the end of its line types at the end of the line, as the editor's default
// (no "cursor beyond end of line") does.
void TEditControl::InsertChar(char c) {
  EnsureLine(FCaretY);
  String s = Line(FCaretY);
  size_t x = static_cast<size_t>(FCaretX - 1);
  if (x > s.size()) x = s.size();
  s.insert(x, 1, c);
  FLines->Put(FCaretY - 1, s);
  FCaretX = static_cast<Integer>(x) + 2;
}

void TEditControl::NewLine() {
  EnsureLine(FCaretY);
  String s = Line(FCaretY);
  size_t x = static_cast<size_t>(FCaretX - 1);
  if (x > s.size()) x = s.size();
  FLines->Put(FCaretY - 1, s.substr(0, x));
  FLines->Insert(FCaretY, s.substr(x));
  ++FCaretY;
  FCaretX = 1;
}

void TEditControl::DeleteBack() {
  String s = Line(FCaretY);
  size_t x = static_cast<size_t>(FCaretX - 1);
  if (x > s.size()) x = s.size();
  if (x > 0) {
    s.erase(x - 1, 1);
    FLines->Put(FCaretY - 1, s);
    FCaretX = static_cast<Integer>(x);
  } else if (FCaretY > 1) {
    String prev = FLines->Get(FCaretY - 2);
    FLines->Put(FCaretY - 2, prev + s);
    FLines->Delete(FCaretY - 1);
    --FCaretY;
    FCaretX = static_cast<Integer>(prev.size()) + 1;
  }
}

void TEditControl::DeleteForward() {
  String s = Line(FCaretY);
  size_t x = static_cast<size_t>(FCaretX - 1);
  if (x < s.size()) {
    s.erase(x, 1);
    FLines->Put(FCaretY - 1, s);
  } else if (FCaretY < FLines->GetCount()) {
    FLines->Put(FCaretY - 1, s + FLines->Get(FCaretY));
    FLines->Delete(FCaretY);
  }
}

void TEditControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN: {
      ++FKeysHandled;
      switch (Message.WParam & 0xFFFF) {
        case VK_LEFT: if (FCaretX > 1) --FCaretX; break;
        case VK_RIGHT: ++FCaretX; break;
        case VK_UP: if (FCaretY > 1) --FCaretY; break;
        case VK_DOWN: if (FCaretY < GetLineCount()) ++FCaretY; break;
        case VK_HOME: FCaretX = 1; break;
        case VK_END: FCaretX = static_cast<Integer>(Line(FCaretY).size()) + 1; break;
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
      ScrollToCaret();
      Invalidate();
      return;
    }
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
