// The IDE's main window, its boot and its shutdown.
#include "AppBuilder.h"

#include "PackageList.h"
#include "platform/vcl/Dialogs.h"

IMPLEMENT_COMPONENT_CLASS(TAppBuilder, TForm)
IMPLEMENT_CLASS(TIDEHost, TComponent)

TIDEHost* IDE = nullptr;

// ---- TAppBuilder ---------------------------------------------------------------------------

TAppBuilder::TAppBuilder(TComponent* AOwner) : TForm(AOwner), FMainMenu(new TMainMenu(this)) {
  SetName("AppBuilder");
  SetBounds(0, 0, 1024, 100);
  FMainMenu->SetName("MainMenu1");
  SetMenu(FMainMenu);
  TMenuItem* root = FMainMenu->GetItems();

  TMenuItem* file = AddItem(root, "FileMenu", "&File");
  AddItem(file, "FileOpenItem", "&Open...")->OnClick = MethodOf<&TAppBuilder::FileOpenClick>(this);
  TMenuItem* save = AddItem(file, "FileSaveItem", "&Save");
  save->SetShortCut(ShortCut('S', 4 /* Ctrl */));
  save->OnClick = MethodOf<&TAppBuilder::FileSaveClick>(this);
  AddItem(file, "N1", "-");
  AddItem(file, "FileExitItem", "E&xit")->OnClick = MethodOf<&TAppBuilder::FileExitClick>(this);

  TMenuItem* edit = AddItem(root, "EditMenu", "&Edit");
  TMenuItem* undo = AddItem(edit, "EditUndoItem", "&Undo");
  undo->SetShortCut(ShortCut('Z', 4 /* Ctrl */));
  undo->OnClick = MethodOf<&TAppBuilder::EditUndoClick>(this);

  TMenuItem* view = AddItem(root, "ViewMenu", "&View");
  AddItem(view, "ViewNewEditWindowItem", "New &Edit Window")->OnClick = MethodOf<&TAppBuilder::ViewNewEditWindowClick>(this);

  TMenuItem* component = AddItem(root, "ComponentMenu", "&Component");
  AddItem(component, "ComponentInstallPackagesItem", "Install &Packages...")->OnClick =
      MethodOf<&TAppBuilder::InstallPackagesClick>(this);

  TMenuItem* tools = AddItem(root, "ToolsMenu", "&Tools");
  AddItem(tools, "ToolsOptionsItem", "&Environment Options...");
  AddItem(tools, "ToolsEditorOptionsItem", "E&ditor Options...");
  AddItem(tools, "ToolsToolsItem", "&Configure Tools...");

  TMenuItem* help = AddItem(root, "HelpMenu", "&Help");
  AddItem(help, "HelpAboutItem", "&About...")->OnClick = MethodOf<&TAppBuilder::HelpAboutClick>(this);
}

TMenuItem* TAppBuilder::AddItem(TMenuItem* Parent, const String& Name, const String& Caption) {
  auto* item = new TMenuItem(this);
  item->SetName(Name);
  item->SetCaption(Caption);
  Parent->Add(item);
  return item;
}

TMenuItem* TAppBuilder::GetToolsMenu() const { return FMainMenu->GetItems()->FindByName("ToolsMenu"); }

namespace {
TIDEModule* CurrentModule() {
  TIDEProject* project = IDE ? IDE->GetProject() : nullptr;
  return project ? project->GetCurrentModule() : nullptr;
}
}  // namespace

void TAppBuilder::FileOpenClick(TObject*) {
  TIDEProject* project = IDE ? IDE->GetProject() : nullptr;
  if (!project) return;
  auto* dialog = new TOpenDialog(nullptr);
  try {
    dialog->SetTitle("Open");
    dialog->SetFilter("Delphi unit (*.pas)|*.pas|Any file (*.*)|*.*");
    dialog->SetDefaultExt("pas");
    dialog->SetOptions({ofHideReadOnly, ofFileMustExist, ofPathMustExist, ofEnableSizing});
    if (TIDEModule* current = CurrentModule()) dialog->SetInitialDir(ExtractFilePath(current->GetFileName()));
    if (dialog->Execute() && !project->OpenFile(dialog->GetFileName()))
      MessageDlg(Format("Cannot open file \"%s\".", dialog->GetFileName().c_str()), mtError, {mbOK}, 0);
  } catch (...) {
    dialog->Free();
    throw;
  }
  dialog->Free();
}

void TAppBuilder::FileSaveClick(TObject*) {
  TIDEModule* module = CurrentModule();
  String error;
  if (module && !module->Save(error)) MessageDlg(error, mtError, {mbOK}, 0);
}

// The same road as the window's close box: the main form closing ends the application.
void TAppBuilder::FileExitClick(TObject*) { Close(); }

void TAppBuilder::EditUndoClick(TObject*) {
  if (TIDEModule* m = CurrentModule()) m->Undo();
}

void TAppBuilder::ViewNewEditWindowClick(TObject*) {
  if (TIDEProject* project = IDE ? IDE->GetProject() : nullptr) project->NewEditWindow();
}

void TAppBuilder::HelpAboutClick(TObject*) {
  MessageDlg("Brisk IDE\n\nThe stand-in IDE that hosts BriskPack.", mtInformation, {mbOK}, 0);
}

void TAppBuilder::InstallPackagesClick(TObject*) { ShowInstalledPackages(); }

// ---- TIDEHost ------------------------------------------------------------------------------

TIDEHost::TIDEHost(TComponent* AOwner, const String& ProjectFile) : TComponent(AOwner) {
  FMainWindow = new TAppBuilder(this);
  FMainWindow->SetCaption(ExtractFileName(ProjectFile));
  FProject = new TIDEProject(this, ProjectFile);
  FToolServices = NewToolServices(this);
}

void TIDEHost::Destroy() {
  if (ExpertRegistry) {
    TExpertRegistry* registry = ExpertRegistry;
    registry->DestroyExperts();
    ExpertRegistry = nullptr;
    registry->Free();
  }
  if (FToolServices) {
    if (ToolServices == FToolServices) ToolServices = nullptr;
    FToolServices->Release();
    FToolServices = nullptr;
  }
  if (IDE == this) IDE = nullptr;
  if (FProject) FProject->CloseAll();
  ClearInterfaceFaults();
  // Owned components die silently; whoever still asks the host meanwhile finds nothing.
  FMainWindow = nullptr;
  FProject = nullptr;
  inherited::Destroy();
}

void TIDEHost::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMainWindow) FMainWindow = nullptr;
  if (AComponent == FProject) FProject = nullptr;
}

// Raised and handled the way an exception in the IDE's own code is, so an add-in's report
// reaches the user through the same path (the application's OnException, else printed).
void TIDEHost::ReportException(const String& Message) {
  FReported.push_back(Message);
  try {
    throw Exception(Message);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

TIDEHost* BootIDE(const String& ProjectFile) {
  if (!Application) throw EInvalidOperation("The IDE needs an application: call InitApplication first");
  if (IDE) throw EInvalidOperation("The IDE is already running");
  auto* host = new TIDEHost(Application, ProjectFile);
  IDE = host;
  Application->SetMainForm(host->GetMainWindow());
  ExpertRegistry = new TExpertRegistry();
  ToolServices = host->GetToolServices();
  host->GetMainWindow()->Show();
  return host;
}

void ShutdownIDE() {
  if (IDE) IDE->Free();
}
