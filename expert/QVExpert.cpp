// The expert base class, its IDE menu helper, its source-editing, caret and form helpers.
#include "QVExpert.h"

#include <algorithm>
#include <array>

#include "platform/vcl/Streams.h"

IMPLEMENT_CLASS(TQVCustomExpert, TIExpert)

namespace {

// The current module and its editor, held for one helper call. Members end in the reverse
// order of their declaration, so the editor is released before the module, on the
// exception path too; either is null when the IDE has none.
struct TCurrentEditor {
  TInterfaceGuard<TIModuleInterface> Module;
  TInterfaceGuard<TIEditorInterface> Editor;

  TCurrentEditor() {
    if (!ToolServices) return;
    Module.Reset(ToolServices->GetModuleInterface(ToolServices->GetCurrentFile()));
    if (Module) Editor.Reset(Module->GetEditorInterface());
  }
  bool HasView() const { return Editor->GetViewCount() > 0; }
  // The editor's first view, or null; the caller releases it.
  TIEditView* FirstView() const { return HasView() ? Editor->GetView(0) : nullptr; }
};

// The part of a file name before its first ".": the unit's name for a form file's. A dot in a
// folder of the path does not count, so a project under "My.Projects" finds its units.
String NameBeforeFirstDot(const String& FileName) {
  const String name = ExtractFileName(FileName);
  return ExtractFilePath(FileName) + name.substr(0, name.find('.'));
}

SmallInt ToColumn(Integer Col) { return static_cast<SmallInt>(std::clamp<Integer>(Col, INT16_MIN, INT16_MAX)); }

// Buffer offsets of editor positions (line, column) through the editor's first view; -1
// for each when there is no view. The view is released before the caller goes on.
template <size_t N>
std::array<LongInt, N> ToOffsets(const TCurrentEditor& Current, const std::array<std::pair<Integer, Integer>, N>& Positions) {
  std::array<LongInt, N> offsets;
  offsets.fill(-1);
  TInterfaceGuard<TIEditView> view(Current.FirstView());
  if (!view) return offsets;
  for (size_t i = 0; i < N; ++i) {
    TEditPos editPos{ToColumn(Positions[i].second), Positions[i].first};
    TCharPos charPos;
    view->ConvertPos(true, editPos, charPos);
    offsets[i] = view->CharPosToPos(charPos);
  }
  return offsets;
}

}  // namespace

TQVCustomExpert::TQVCustomExpert() : FSource(new TStringList()) {}

void TQVCustomExpert::Destroy() {
  FreeAndNil(FSource);
  inherited::Destroy();
}

void TQVCustomExpert::HandleException() {
  if (ToolServices) ToolServices->RaiseException(ReleaseException());
}

HWND TQVCustomExpert::GetEditHandle() { return FindWindow("TEditWindow", nullptr); }

TIMenuItemIntf* TQVCustomExpert::IDEAddMenu(const String& ParentName, const String& Caption, const String& Name,
                                            Word ShortCut, Integer Index, TIMenuClickEvent OnClick) {
  TIMenuItemIntf* result = nullptr;
  if (!ToolServices) return result;
  try {
    TInterfaceGuard<TIMainMenuIntf> mainMenu(ToolServices->GetMainMenu());
    if (!mainMenu) return result;
    TInterfaceGuard<TIMenuItemIntf> parent(mainMenu->FindMenuItem(ParentName));
    if (!parent) return result;
    result = parent->InsertItem(Index, Caption, Name, String(), ShortCut, 0, 0, TIMenuFlags{mfEnabled, mfVisible},
                                OnClick);
  } catch (...) {
    HandleException();
  }
  return result;
}

// The buffer is read in blocks of 4097 bytes into one growing text, until a block comes back
// short (a text whose length is a multiple of the block ends with a call returning 0), and
// the list takes the text in one assignment. The text grows by half at a time rather than
// doubling, which keeps the spare room of a large unit's text, and the fresh memory it
// would take, small.
void TQVCustomExpert::InitSource() {
  FSource->Clear();
  TCurrentEditor current;
  if (!current.Editor || !current.HasView()) return;
  TInterfaceGuard<TIEditReader> reader(current.Editor->CreateReader());
  if (!reader) return;
  constexpr LongInt BlockSize = 4097;
  char block[BlockSize];
  String text;
  LongInt offset = 0, count;
  do {
    count = reader->GetText(offset, block, BlockSize);
    if (count <= 0) break;
    if (text.size() + static_cast<size_t>(count) > text.capacity()) text.reserve(text.capacity() / 2 * 3 + BlockSize);
    text.append(block, static_cast<size_t>(count));
    offset += count;
  } while (count == BlockSize);
  FSource->SetText(text);
}

void TQVCustomExpert::DeleteSource(Integer StartLine, Integer StartCol, Integer EndLine, Integer EndCol) {
  TCurrentEditor current;
  if (!current.Editor) return;
  const auto [start, finish] = ToOffsets<2>(current, {{{StartLine, StartCol}, {EndLine, EndCol}}});
  if (start < 0 || finish < 0) return;
  TInterfaceGuard<TIEditWriter> writer(current.Editor->CreateUndoableWriter());
  if (!writer) return;
  writer->CopyTo(start);
  writer->DeleteTo(finish);
}

void TQVCustomExpert::InsertSource(Integer Line, Integer Col, const String& Text) {
  TCurrentEditor current;
  if (!current.Editor) return;
  const auto [pos] = ToOffsets<1>(current, {{{Line, Col}}});
  if (pos < 0) return;
  TInterfaceGuard<TIEditWriter> writer(current.Editor->CreateUndoableWriter());
  if (!writer) return;
  writer->CopyTo(pos);
  writer->Insert(Text.c_str());
}

// The line after the last possible one is that line itself: both ends lie past the buffer.
void TQVCustomExpert::DeleteSourceLine(Integer Line) {
  DeleteSource(Line, 1, Line < INT32_MAX ? Line + 1 : Line, 1);
}

void TQVCustomExpert::InsertSourceLine(Integer Line, const String& Text) { InsertSource(Line, 1, Text + '\n'); }

void TQVCustomExpert::UpdateSourceLine(Integer Line, const String& Text) {
  DeleteSourceLine(Line);
  InsertSourceLine(Line, Text);
}

TEditPos TQVCustomExpert::GetCaretPos() {
  TEditPos result{0, 0};
  TCurrentEditor current;
  if (!current.Editor) return result;
  TInterfaceGuard<TIEditView> view(current.FirstView());
  if (view) result = view->GetPos(0);
  return result;
}

void TQVCustomExpert::SetCaretPos(const TEditPos& Pos) {
  TCurrentEditor current;
  if (!current.Editor) return;
  TInterfaceGuard<TIEditView> view(current.FirstView());
  if (view) view->SetPos(0, Pos);
}

// The caret stands in its control's client pixels; it is carried to the screen through the
// editor form's client origin and brought near its bottom-left corner by the form's frame
// height less one pixel and four pixels to the right.
TPoint TQVCustomExpert::GetCaretXY() {
  TPoint p{0, 0};
  if (!::GetCaretPos(&p) || p.X == 0 || p.Y == 0) return {0, 0};
  const HWND h = GetEditHandle();
  if (!h) return {0, 0};
  TRect windowRect{}, clientRect{};
  GetWindowRect(h, &windowRect);
  GetClientRect(h, &clientRect);
  if (windowRect.Bottom <= 0) return {0, 0};
  ClientToScreen(h, &p);
  p.Y += (windowRect.Bottom - windowRect.Top) - (clientRect.Bottom - clientRect.Top) - 1;
  p.X += 4;
  return p;
}

// The character height is that of a fresh device context of the editor window (its default
// font). Each step reads the place the step before it set.
void TQVCustomExpert::AlignPopupToCaret(TCustomForm* Form) {
  if (!Form || !Screen) return;
  TEXTMETRICA tm{};
  if (const HWND h = GetEditHandle()) {
    if (const HDC dc = GetDC(h)) {
      GetTextMetricsA(dc, &tm);
      ReleaseDC(h, dc);
    }
  }
  const TPoint p = GetCaretXY();
  if (p.X <= 0 || p.Y <= 0) return;
  const Integer screenWidth = Screen->GetWidth(), screenHeight = Screen->GetHeight();
  Form->SetLeft(p.X);
  Form->SetTop(p.Y + tm.tmHeight);
  if (Form->GetTop() + Form->GetHeight() > screenHeight) Form->SetTop(p.Y - Form->GetHeight());
  if (Form->GetLeft() + Form->GetWidth() > screenWidth) Form->SetLeft(p.X - Form->GetWidth());
  if (Form->GetLeft() < 0 || Form->GetLeft() + Form->GetWidth() > screenWidth)
    Form->SetLeft((screenWidth - Form->GetWidth()) / 2);
  if (Form->GetTop() < 0 || Form->GetTop() + Form->GetHeight() > screenHeight)
    Form->SetTop((screenHeight - Form->GetHeight()) / 2);
}

// The name runs from byte 3 (after the resource type) to the first zero byte or the end of
// the file; reading stops once it is longer than a match could be.
bool TQVCustomExpert::FormInUnit(const String& FormName, const String& FileName) {
  if (FormName.empty() || !FileExists(FileName)) return false;
  TAutoFree<TFileStream> stream(new TFileStream(FileName, fmOpenRead | fmShareDenyNone));
  stream->Seek(3, soBeginning);
  String resourceName;
  char c;
  while (resourceName.size() <= FormName.size() + 1 && stream->Read(&c, 1) == 1 && c != 0) resourceName += c;
  return resourceName.size() == FormName.size() + 1 && SameText(resourceName.substr(1), FormName);
}

// Every form file of the project that holds the form has its unit opened, the editor going
// back to the file that was current, and the module is looked up by form name again.
void TQVCustomExpert::GetPropertyValue(const String& FormName, const String& ComponentName,
                                       const String& PropertyName, String& Value) {
  if (!ToolServices) return;
  const String currentFile = ToolServices->GetCurrentFile();
  TInterfaceGuard<TIModuleInterface> module;
  if (FormName == "ACTIVE" || FormName.empty()) {
    module.Reset(ToolServices->GetModuleInterface(currentFile));
  } else {
    module.Reset(ToolServices->GetFormModuleInterface(FormName));
    if (!module) {
      const Integer count = ToolServices->GetFormCount();
      for (Integer i = 0; i < count; ++i) {
        const String formFile = ToolServices->GetFormName(i);
        if (!FormInUnit(FormName, formFile)) continue;
        const String unitFile = NameBeforeFirstDot(formFile) + ".pas";
        if (!FileExists(unitFile)) continue;
        ToolServices->OpenFile(unitFile);
        {
          TInterfaceGuard<TIModuleInterface> current(ToolServices->GetModuleInterface(currentFile));
          if (current) current->ShowSource();
        }
        module.Reset();  // an earlier match's module goes back before the next is looked up
        module.Reset(ToolServices->GetFormModuleInterface(FormName));
      }
    }
  }
  if (!module) return;
  TInterfaceGuard<TIFormInterface> form(module->GetFormInterface());
  if (!form) return;
  TInterfaceGuard<TIComponentInterface> component(form->FindComponent(ComponentName));
  if (!component) {
    module->ShowForm();
    module->ShowSource();
    component.Reset(form->FindComponent(ComponentName));
  }
  if (component) component->GetPropValueByName(PropertyName, Value);
}
