// The project and its open modules.
#include "IDEModules.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

IMPLEMENT_CLASS(TIDEModule, TComponent)
IMPLEMENT_CLASS(TIDEProject, TComponent)

namespace {
String ChangeFileExt(const String& fileName, const String& ext) {
  String e = ExtractFileExt(fileName);
  return fileName.substr(0, fileName.size() - e.size()) + ext;
}
}  // namespace

// ---- TIDEModule ----------------------------------------------------------------------------

TIDEModule::TIDEModule(TIDEProject* Project, const String& FileName, const String& FormFileName, const String& Text)
    : TComponent(Project), FFileName(FileName), FFormFileName(FormFileName), FBuffer(new TEditBuffer()) {
  FBuffer->SetText(Text);
}

void TIDEModule::Destroy() {
  MarkDestroying();
  // The editor lets go of the buffer before it goes.
  if (TIDEProject* p = Project()) p->ModuleClosing(this);
  FreeAndNil(FBuffer);
  inherited::Destroy();
}

void TIDEModule::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDesigner) FDesigner = nullptr;
}

TIDEProject* TIDEModule::Project() const { return As<TIDEProject>(GetOwner()); }

TEditWindow* TIDEModule::GetEditWindow() const { return Project() ? Project()->GetEditWindow() : nullptr; }

TEditControl* TIDEModule::GetEditControl() const {
  TIDEProject* p = Project();
  return p && p->GetShownModule() == this && p->GetEditWindow() ? p->GetEditWindow()->GetEditControl() : nullptr;
}

TEditPlace TIDEModule::GetPlace() const {
  TEditControl* c = GetEditControl();
  return c ? c->GetPlace() : FPlace;
}

bool TIDEModule::ApplyEdits(const std::vector<TBufferEdit>& Edits) {
  if (TEditControl* c = GetEditControl()) return c->ApplyEdits(Edits);
  if (!ApplyEditsAt(*FBuffer, Edits, FPlace)) return false;
  InvalidateBufferViews(FBuffer);
  return true;
}

bool TIDEModule::Undo() {
  if (TEditControl* c = GetEditControl()) return c->Undo();
  if (FBuffer->GetLocked() || !FBuffer->Undo(FPlace.CaretX, FPlace.CaretY)) return false;
  InvalidateBufferViews(FBuffer);
  return true;
}

bool TIDEModule::Save(String& Error) {
  std::FILE* f = std::fopen(FFileName.c_str(), "wb");
  const String& text = FBuffer->GetText();
  bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
  int why = errno;
  if (f && std::fclose(f) != 0 && ok) {
    ok = false;
    why = errno;
  }
  if (!ok) {
    Error = Format("Cannot write \"%s\". %s", FFileName.c_str(), std::strerror(why));
    return false;
  }
  FBuffer->MarkSaved();
  if (TEditControl* c = GetEditControl()) c->NotifyStatus();
  return true;
}

bool TIDEModule::IsFile(const String& FileName) const {
  return !FileName.empty() && (SameText(FFileName, FileName) || SameText(FFormFileName, FileName));
}

bool TIDEModule::HasView() const { return GetEditControl() && GetEditWindow()->GetVisible(); }

// A form file that cannot be read is reported and the unit stays open without its form (or
// with the form as last read), as the IDE opens a unit whose form it cannot read.
bool TIDEModule::OpenForm() {
  if (FFormFileName.empty()) return false;
  try {
    if (FDesigner) {
      FDesigner->Refresh();
    } else {
      FDesigner = TFormDesigner::Open(this, FFormFileName);
      FDesigner->FreeNotification(this);
    }
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
  return FDesigner != nullptr;
}

namespace {
bool BringToFront(TCustomForm* form) {
  if (!form) return false;
  form->Show();
  if (form->CanFocus()) form->SetFocus();
  return true;
}
}  // namespace

bool TIDEModule::ShowSource() {
  TIDEProject* p = Project();
  if (!p || !p->GetEditWindow()) return false;
  p->ShowModule(this);
  return BringToFront(p->GetEditWindow());
}

bool TIDEModule::ShowForm() { return OpenForm() && BringToFront(FDesigner); }

// ---- TIDEProject ---------------------------------------------------------------------------

TIDEProject::TIDEProject(TComponent* AOwner, const String& FileName) : TComponent(AOwner), FFileName(FileName) {}

void TIDEProject::Destroy() {
  CloseAll();
  inherited::Destroy();
}

void TIDEProject::AddUnit(const String& UnitFile, const String& FormFile) { FUnits.push_back({UnitFile, FormFile}); }

std::vector<TProjectUnit> TIDEProject::FolderUnits(const String& Dir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(Dir, ec);
  if (ec) throw EInOutError(Format("Cannot read folder \"%s\". %s", Dir.c_str(), ec.message().c_str()));
  std::vector<String> units;
  std::map<String, String> forms;  // upper-cased path without extension -> form file
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) throw EInOutError(Format("Cannot read folder \"%s\". %s", Dir.c_str(), ec.message().c_str()));
    const String path = it->path().string();
    if (!FileExists(path)) continue;
    const String ext = ExtractFileExt(path);
    if (SameText(ext, ".pas")) units.push_back(path);
    if (!SameText(ext, ".dfm")) continue;
    // Of two form files whose names differ only in case, the first by name, whatever order
    // the folder lists them in.
    auto [form, added] = forms.emplace(UpperCase(ChangeFileExt(path, "")), path);
    if (!added && path < form->second) form->second = path;
  }
  std::sort(units.begin(), units.end());
  std::vector<TProjectUnit> result;
  for (const String& unit : units) {
    auto form = forms.find(UpperCase(ChangeFileExt(unit, "")));
    result.push_back({unit, form != forms.end() ? form->second : String()});
  }
  return result;
}

Integer TIDEProject::AddFolder(const String& Dir) {
  const std::vector<TProjectUnit> units = FolderUnits(Dir);
  FUnits.insert(FUnits.end(), units.begin(), units.end());
  return static_cast<Integer>(units.size());
}

String TIDEProject::GetUnitName(Integer Index) const {
  return Index >= 0 && Index < GetUnitCount() ? FUnits[static_cast<size_t>(Index)].UnitFile : String();
}

Integer TIDEProject::GetFormCount() const {
  Integer n = 0;
  for (const TProjectUnit& u : FUnits)
    if (!u.FormFile.empty()) ++n;
  return n;
}

String TIDEProject::GetFormName(Integer Index) const {
  for (const TProjectUnit& u : FUnits) {
    if (u.FormFile.empty()) continue;
    if (Index-- == 0) return u.FormFile;
  }
  return String();
}

String TIDEProject::FindFormFile(const String& UnitFile) const {
  for (const TProjectUnit& u : FUnits)
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

// The file gets a tab at the end of the editor window's, made for the first file.
TIDEModule* TIDEProject::Open(const String& FileName, const String& Text) {
  auto* module = new TIDEModule(this, FileName, FindFormFile(FileName), Text);
  if (!FEditWindow) {
    TEditWindowLayout layout;
    layout.Caption = ExtractFileName(FileName);
    FEditWindow = CreateEditWindow(Application, layout);
    FEditWindow->FreeNotification(this);
    if (TXTabControl* tabs = FEditWindow->GetTabControl()) tabs->OnChange = MethodOf<&TIDEProject::TabChange>(this);
  }
  FTabs.push_back(module);
  if (TXTabControl* tabs = FEditWindow->GetTabControl())
    tabs->InsertTab(tabs->GetTabCount(), ExtractFileName(FileName));
  module->OpenForm();
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
    TFormDesigner* designer = GetModule(i)->GetDesigner();
    if (designer && SameText(designer->GetFormName(), FormName)) return GetModule(i);
  }
  return nullptr;
}

// The screen lists forms most recently activated first; the first shown editor window that
// belongs to a module is the one the user is working in.
TIDEModule* TIDEProject::GetCurrentModule() const {
  return FEditWindow && FEditWindow->GetVisible() ? FShown : nullptr;
}

void TIDEProject::ShowModule(TIDEModule* Module) {
  const auto at = std::find(FTabs.begin(), FTabs.end(), Module);
  if (!FEditWindow || at == FTabs.end()) return;
  if (TXTabControl* tabs = FEditWindow->GetTabControl()) tabs->SetTabIndex(static_cast<Integer>(at - FTabs.begin()));
  if (Module == FShown) return;
  TEditControl* editor = FEditWindow->GetEditControl();
  if (FShown && editor) FShown->FPlace = editor->GetPlace();
  FShown = Module;
  if (editor) editor->SetBuffer(Module->FBuffer, Module->FPlace);
  FEditWindow->SetCaption(ExtractFileName(Module->GetFileName()));
}

void TIDEProject::TabChange(TObject* Sender) {
  auto* tabs = As<TXTabControl>(Sender);
  const Integer index = tabs ? tabs->GetTabIndex() : -1;
  if (index < 0 || index >= static_cast<Integer>(FTabs.size())) return;
  ShowModule(FTabs[static_cast<size_t>(index)]);
  if (FEditWindow && FEditWindow->GetVisible())
    if (TEditControl* editor = FEditWindow->GetEditControl(); editor && editor->CanFocus()) editor->SetFocus();
}

TEditWindow* TIDEProject::NewEditWindow() {
  if (!FEditWindow || !FShown) return nullptr;
  TEditWindowLayout layout;
  layout.Caption = ExtractFileName(FShown->GetFileName());
  TEditWindow* view = CreateEditWindow(Application, layout);
  PlaceView(view);
  if (TXTabControl* tabs = view->GetTabControl()) {
    tabs->InsertTab(0, layout.Caption);
    tabs->SetTabIndex(0);
  }
  if (TEditControl* editor = view->GetEditControl()) {
    const TEditControl* shown = FEditWindow->GetEditControl();
    editor->SetBuffer(FShown->GetBuffer(), shown ? shown->GetPlace() : FShown->FPlace);
  }
  view->OnClose = MethodOf<&TIDEProject::ViewClose>(this);
  view->FreeNotification(this);
  FViews.push_back({view, FShown});
  BringToFront(view);
  return view;
}

// Beside the rightmost shown editor window, narrowed to the room the screen has there; with
// less than half a window's room, one caption lower over it, so every caption stays in sight.
void TIDEProject::PlaceView(TEditWindow* View) const {
  TEditWindow* rightmost = FEditWindow->GetVisible() ? FEditWindow : nullptr;
  auto right = [](const TEditWindow* w) { return w->GetLeft() + w->GetWidth(); };
  for (const TView& v : FViews)
    if (v.Window->GetVisible() && (!rightmost || right(v.Window) >= right(rightmost))) rightmost = v.Window;
  if (!rightmost) {
    View->SetBounds(FEditWindow->GetLeft(), FEditWindow->GetTop(), View->GetWidth(), View->GetHeight());
    return;
  }
  Integer left = right(rightmost), top = rightmost->GetTop();
  Integer width = View->GetWidth();
  const Integer screenWidth = Screen ? Screen->GetWidth() : left + width;
  const Integer screenHeight = Screen ? Screen->GetHeight() : top + View->GetHeight();
  if (screenWidth - left >= width / 2) {
    width = std::min(width, screenWidth - left);
  } else {
    left = std::max<Integer>(0, std::min(rightmost->GetLeft() + kCascade, screenWidth - width));
    top = std::max<Integer>(0, std::min(top + kCascade, screenHeight - View->GetHeight()));
  }
  View->SetBounds(left, top, width, View->GetHeight());
}

TEditWindow* TIDEProject::GetView(Integer Index) const {
  return Index >= 0 && Index < GetViewCount() ? FViews[static_cast<size_t>(Index)].Window : nullptr;
}

// Closing a second window on a file closes only the window; the file stays open.
void TIDEProject::ViewClose(TObject*, TCloseAction& Action) { Action = caFree; }

// A closing file's tab goes; its neighbour's file is shown in its place, and the window goes
// with the last file. The other windows on the file go with it.
void TIDEProject::ModuleClosing(TIDEModule* Module) {
  for (size_t i = FViews.size(); i-- > 0;) {
    if (FViews[i].Module != Module) continue;
    TEditWindow* view = FViews[i].Window;
    FViews.erase(FViews.begin() + static_cast<std::ptrdiff_t>(i));
    view->RemoveFreeNotification(this);
    if (TEditControl* editor = view->GetEditControl()) editor->SetBuffer(nullptr, {});
    view->Free();
  }
  const auto at = std::find(FTabs.begin(), FTabs.end(), Module);
  if (at == FTabs.end()) return;
  const Integer index = static_cast<Integer>(at - FTabs.begin());
  FTabs.erase(at);
  if (!FEditWindow) return;
  if (TXTabControl* tabs = FEditWindow->GetTabControl()) tabs->DeleteTab(index);
  if (FTabs.empty()) {
    FShown = nullptr;
    TEditWindow* window = FEditWindow;
    FEditWindow = nullptr;
    if (TEditControl* editor = window->GetEditControl()) editor->SetBuffer(nullptr, {});
    window->Free();
    return;
  }
  if (FShown == Module) {
    FShown = nullptr;
    ShowModule(FTabs[static_cast<size_t>(std::min<Integer>(index, static_cast<Integer>(FTabs.size()) - 1))]);
  }
}

// The user closing the editor window for good closes every file in it.
void TIDEProject::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  std::erase_if(FViews, [&](const TView& v) { return v.Window == AComponent; });
  if (AComponent != FEditWindow) return;
  FEditWindow = nullptr;
  FShown = nullptr;
  FTabs.clear();
  if (!Destroying()) CloseAll();
}
