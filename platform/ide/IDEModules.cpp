// The project, its open modules, their buffers and undo lists.
#include "IDEModules.h"

#include <fstream>
#include <iterator>

IMPLEMENT_CLASS(TIDEModule, TComponent)
IMPLEMENT_CLASS(TIDEProject, TComponent)

namespace {
std::vector<String> SplitLines(const String& text) {
  std::vector<String> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

String NormalizeBreaks(const String& text) {
  String r;
  r.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      r += "\r\n";
    } else {
      r += text[i];
    }
  }
  return r;
}

String ChangeFileExt(const String& fileName, const String& ext) {
  String e = ExtractFileExt(fileName);
  return fileName.substr(0, fileName.size() - e.size()) + ext;
}
}  // namespace

// ---- TIDEModule ----------------------------------------------------------------------------

TIDEModule::TIDEModule(TIDEProject* Project, const String& FileName, const String& FormFileName, const String& Text)
    : TComponent(Project), FFileName(FileName), FFormFileName(FormFileName) {
  TEditWindowLayout layout;
  layout.Caption = ExtractFileName(FileName);
  FEditWindow = CreateEditWindow(Application, layout);
  FEditWindow->FreeNotification(this);
  FEditControl = FEditWindow->GetEditControl();
  if (FEditControl) FEditControl->FreeNotification(this);
  SetLines(Text);
}

void TIDEModule::Destroy() {
  MarkDestroying();
  if (TEditWindow* w = FEditWindow) {
    FEditWindow = nullptr;
    FEditControl = nullptr;
    w->Free();
  }
  inherited::Destroy();
}

// The module lives as long as its editor window: when the window goes (the user closed it
// for good, or the application ends), the file is closed. The window has already let go of
// this module when it tells it, so freeing it here touches nothing of the window's.
void TIDEModule::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FForm) FForm = nullptr;
  if (AComponent == FEditControl) FEditControl = nullptr;
  if (AComponent == FEditWindow) {
    FEditWindow = nullptr;
    FEditControl = nullptr;
    if (!Destroying()) Free();
  }
}

bool TIDEModule::IsFile(const String& FileName) const {
  return !FileName.empty() && (SameText(FFileName, FileName) || SameText(FFormFileName, FileName));
}

bool TIDEModule::HasView() const { return FEditWindow && FEditControl && FEditWindow->GetVisible(); }

void TIDEModule::SetForm(TForm* Form) {
  if (FForm == Form) return;
  FForm = Form;
  if (Form) Form->FreeNotification(this);
}

namespace {
bool BringToFront(TCustomForm* form) {
  if (!form) return false;
  form->Show();
  if (form->CanFocus()) form->SetFocus();
  return true;
}
}  // namespace

bool TIDEModule::ShowSource() { return BringToFront(FEditWindow); }

bool TIDEModule::ShowForm() { return BringToFront(FForm); }

String TIDEModule::GetText() const {
  if (!FEditControl) return String();
  TStringList* lines = FEditControl->GetLines();
  String r;
  for (Integer i = 0; i < lines->GetCount(); ++i) {
    if (i > 0) r += "\r\n";
    r += lines->Get(i);
  }
  return r;
}

void TIDEModule::SetLines(const String& Text) {
  if (!FEditControl) return;
  TStringList* lines = FEditControl->GetLines();
  lines->BeginUpdate();
  lines->Clear();
  for (const String& s : SplitLines(Text)) lines->Add(s);
  lines->EndUpdate();
  FEditControl->SetTopLine(FEditControl->GetTopLine());  // clamped to the new line count
  FEditControl->Invalidate();
}

Integer TIDEModule::GetLineCount() const { return FEditControl ? FEditControl->GetLineCount() : 0; }

LongInt TIDEModule::CharPosToOffset(LongInt Line, LongInt CharIndex) const {
  if (!FEditControl || Line < 1 || CharIndex < 0) return -1;
  TStringList* lines = FEditControl->GetLines();
  LongInt offset = 0;
  for (Integer i = 0; i < lines->GetCount(); ++i) {
    LongInt len = static_cast<LongInt>(lines->Get(i).size());
    if (i + 1 == Line) return offset + (CharIndex < len ? CharIndex : len);
    offset += len + 2;
  }
  // Past the last line: the end of the buffer (the last line has no break after it).
  return lines->GetCount() > 0 ? offset - 2 : 0;
}

void TIDEModule::OffsetToCharPos(LongInt Offset, LongInt& Line, LongInt& CharIndex) const {
  Line = 1;
  CharIndex = 0;
  if (!FEditControl) return;
  TStringList* lines = FEditControl->GetLines();
  LongInt start = 0;
  for (Integer i = 0; i < lines->GetCount(); ++i) {
    LongInt len = static_cast<LongInt>(lines->Get(i).size());
    Line = i + 1;
    if (Offset <= start + len || i + 1 == lines->GetCount()) {
      LongInt idx = Offset - start;
      CharIndex = idx < 0 ? 0 : (idx > len ? len : idx);
      return;
    }
    start += len + 2;
  }
}

LongInt TIDEModule::SnapOffset(LongInt Offset) const {
  String text = GetText();
  LongInt len = static_cast<LongInt>(text.size());
  if (Offset <= 0) return 0;
  if (Offset >= len) return len;
  size_t o = static_cast<size_t>(Offset);
  if (text[o - 1] == '\r' && text[o] == '\n') return Offset + 1;
  return Offset;
}

LongInt TIDEModule::Replace(LongInt Offset, LongInt Count, const String& Text) {
  if (!FEditControl) return 0;
  String before = GetText();
  LongInt start = SnapOffset(Offset);
  LongInt finish = SnapOffset(start + (Count > 0 ? Count : 0));
  String inserted = NormalizeBreaks(Text);
  if (finish == start && inserted.empty()) return 0;

  // Where the cursor stands in the text, and how far past its line's end it is.
  Integer caretX = FEditControl->GetCaretX(), caretY = FEditControl->GetCaretY();
  LongInt caretOff = CharPosToOffset(caretY, caretX - 1);
  LongInt lineStart = CharPosToOffset(caretY, 0);
  LongInt beyond = (caretX - 1) - (caretOff - lineStart);
  if (caretY > GetLineCount()) beyond = 0;

  String after = before;
  after.replace(static_cast<size_t>(start), static_cast<size_t>(finish - start), inserted);
  SetLines(after);

  if (start < caretOff) {
    LongInt moved = caretOff >= finish ? caretOff + static_cast<LongInt>(inserted.size()) - (finish - start)
                                       : start + static_cast<LongInt>(inserted.size());
    LongInt line, index;
    OffsetToCharPos(moved, line, index);
    FEditControl->SetCaretX(index + 1 + (caretOff >= finish ? beyond : 0));
    FEditControl->SetCaretY(line);
  } else {
    FEditControl->SetCaretY(caretY);  // clamped to the new line count
  }

  FUndo.push_back({start, before.substr(static_cast<size_t>(start), static_cast<size_t>(finish - start)), Text});
  FSnapshots.push_back({std::move(before), GetText(), caretX, caretY});
  return static_cast<LongInt>(inserted.size());
}

const TEditStep& TIDEModule::GetUndoStep(Integer Index) const {
  if (Index < 0 || Index >= GetUndoCount()) TList::Error("List index out of bounds (%d)", Index);
  return FUndo[static_cast<size_t>(Index)];
}

bool TIDEModule::Undo() {
  if (FSnapshots.empty() || !FEditControl) return false;
  TSnapshot& last = FSnapshots.back();
  if (GetText() != last.After) {
    FUndo.clear();
    FSnapshots.clear();
    return false;
  }
  SetLines(last.Before);
  FEditControl->SetCaretX(last.CaretX);
  FEditControl->SetCaretY(last.CaretY);
  FSnapshots.pop_back();
  FUndo.pop_back();
  return true;
}

// ---- TIDEProject ---------------------------------------------------------------------------

TIDEProject::TIDEProject(TComponent* AOwner, const String& FileName) : TComponent(AOwner), FFileName(FileName) {}

void TIDEProject::Destroy() {
  CloseAll();
  inherited::Destroy();
}

void TIDEProject::AddUnit(const String& UnitFile, const String& FormFile) { FUnits.push_back({UnitFile, FormFile}); }

String TIDEProject::GetUnitName(Integer Index) const {
  return Index >= 0 && Index < GetUnitCount() ? FUnits[static_cast<size_t>(Index)].UnitFile : String();
}

Integer TIDEProject::GetFormCount() const {
  Integer n = 0;
  for (const TUnit& u : FUnits)
    if (!u.FormFile.empty()) ++n;
  return n;
}

String TIDEProject::GetFormName(Integer Index) const {
  for (const TUnit& u : FUnits) {
    if (u.FormFile.empty()) continue;
    if (Index-- == 0) return u.FormFile;
  }
  return String();
}

String TIDEProject::FindFormFile(const String& UnitFile) const {
  for (const TUnit& u : FUnits)
    if (SameText(u.UnitFile, UnitFile)) return u.FormFile;
  String beside = ChangeFileExt(UnitFile, ".dfm");
  return FileExists(beside) ? beside : String();
}

TIDEModule* TIDEProject::OpenFile(const String& FileName) {
  if (TIDEModule* m = FindModule(FileName)) {
    m->ShowSource();
    return m;
  }
  if (!FileExists(FileName)) return nullptr;
  std::ifstream in(FileName, std::ios::binary);
  if (!in) return nullptr;
  String text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return Open(FileName, text);
}

TIDEModule* TIDEProject::OpenBuffer(const String& FileName, const String& Text) {
  if (TIDEModule* m = FindModule(FileName)) {
    m->ShowSource();
    return m;
  }
  return Open(FileName, Text);
}

// A form file that fails to load is reported and the unit opens without its form, as the
// IDE opens a unit whose form it cannot read.
TIDEModule* TIDEProject::Open(const String& FileName, const String& Text) {
  auto* module = new TIDEModule(this, FileName, FindFormFile(FileName), Text);
  if (FormLoader && !module->GetFormFileName().empty()) {
    try {
      module->SetForm(FormLoader(*module, module->GetFormFileName()));
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
  module->ShowSource();
  return module;
}

bool TIDEProject::CloseFile(const String& FileName) {
  TIDEModule* m = FindModule(FileName);
  if (!m) return false;
  m->Free();
  return true;
}

void TIDEProject::CloseAll() {
  while (GetModuleCount() > 0) GetModule(GetModuleCount() - 1)->Free();
}

Integer TIDEProject::GetModuleCount() const { return GetComponentCount(); }

TIDEModule* TIDEProject::GetModule(Integer Index) const { return As<TIDEModule>(GetComponent(Index)); }

TIDEModule* TIDEProject::FindModule(const String& FileName) const {
  for (Integer i = 0; i < GetModuleCount(); ++i)
    if (GetModule(i)->IsFile(FileName)) return GetModule(i);
  return nullptr;
}

TIDEModule* TIDEProject::FindFormModule(const String& FormName) const {
  if (FormName.empty()) return nullptr;
  for (Integer i = 0; i < GetModuleCount(); ++i) {
    TForm* form = GetModule(i)->GetForm();
    if (form && SameText(form->GetName(), FormName)) return GetModule(i);
  }
  return nullptr;
}

// The screen lists forms most recently activated first; the first shown editor window that
// belongs to a module is the one the user is working in.
TIDEModule* TIDEProject::GetCurrentModule() const {
  if (!Screen) return nullptr;
  for (Integer f = 0; f < Screen->GetCustomFormCount(); ++f) {
    TCustomForm* form = Screen->GetCustomForm(f);
    if (!form->GetVisible()) continue;
    for (Integer i = 0; i < GetModuleCount(); ++i)
      if (GetModule(i)->GetEditWindow() == form) return GetModule(i);
  }
  return nullptr;
}
