// The project and its open modules.
#include "IDEModules.h"

#include <algorithm>
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
    : TComponent(Project), FFileName(FileName), FFormFileName(FormFileName) {
  TEditWindowLayout layout;
  layout.Caption = ExtractFileName(FileName);
  FEditWindow = CreateEditWindow(Application, layout);
  FEditWindow->FreeNotification(this);
  FEditControl = FEditWindow->GetEditControl();
  if (FEditControl) {
    FEditControl->FreeNotification(this);
    FEditControl->SetText(Text);
  }
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
  if (AComponent == FDesigner) FDesigner = nullptr;
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

bool TIDEModule::ShowSource() { return BringToFront(FEditWindow); }

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

TIDEModule* TIDEProject::Open(const String& FileName, const String& Text) {
  auto* module = new TIDEModule(this, FileName, FindFormFile(FileName), Text);
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
  if (!Screen) return nullptr;
  for (Integer f = 0; f < Screen->GetCustomFormCount(); ++f) {
    TCustomForm* form = Screen->GetCustomForm(f);
    if (!form->GetVisible()) continue;
    for (Integer i = 0; i < GetModuleCount(); ++i)
      if (GetModule(i)->GetEditWindow() == form) return GetModule(i);
  }
  return nullptr;
}
