// The IDE itself: its main window with the main menu, the project, the tool services and the
// expert registry, booted and shut down inside the class library's application.
#pragma once

#include "ExptIntf.h"
#include "IDEModules.h"
#include "ToolIntf.h"

// The main window. Its main menu has a File, an Edit, a View, a Component, a Tools
// ("ToolsMenu") and a Help menu, each item a named component of the window. File | Open...
// asks the file-open dialog for a unit and opens it in a tab of the editor window; Save writes
// the current file; Exit closes the window, which ends the application; Edit | Undo takes back
// the current file's last step; View | New Edit Window opens another editor window on the
// current file; Component | Install Packages... shows the installed packages' box. What goes
// wrong is said in an error box.
class TAppBuilder : public TForm {
  DECLARE_CLASS(TAppBuilder, TForm)
 public:
  explicit TAppBuilder(TComponent* AOwner);
  TMainMenu* GetMainMenu() const { return FMainMenu; }
  TMenuItem* GetToolsMenu() const;

 private:
  TMenuItem* AddItem(TMenuItem* Parent, const String& Name, const String& Caption);
  void FileOpenClick(TObject* Sender);
  void FileSaveClick(TObject* Sender);
  void FileExitClick(TObject* Sender);
  void EditUndoClick(TObject* Sender);
  void ViewNewEditWindowClick(TObject* Sender);
  void HelpAboutClick(TObject* Sender);
  void InstallPackagesClick(TObject* Sender);
  TMainMenu* FMainMenu;
};

// What BootIDE builds. It is a component of the application, so DoneApplication alone also
// ends it; ShutdownIDE ends it first, the way the IDE unloads its packages before exiting.
class TIDEHost : public TComponent {
  DECLARE_CLASS(TIDEHost, TComponent)
 public:
  TIDEHost(TComponent* AOwner, const String& ProjectFile);
  // Releases the experts while everything they use still stands, then the tool services,
  // then closes the files, and last the main window.
  void Destroy() override;

  // Null once the window is gone (the IDE shutting down).
  TAppBuilder* GetMainWindow() const { return FMainWindow; }
  TIDEProject* GetProject() const { return FProject; }
  // The IDE's own tool-services object, what ToolServices points to while the IDE runs.
  TIToolServices* GetToolServices() const { return FToolServices; }

  // RaiseException: the message is reported as the IDE reports any exception (the
  // application's OnException, else printed) and kept here for tests.
  void ReportException(const String& Message);
  const std::vector<String>& GetReportedMessages() const { return FReported; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TAppBuilder* FMainWindow = nullptr;
  TIDEProject* FProject = nullptr;
  std::vector<String> FReported;
  TIToolServices* FToolServices = nullptr;
};

// The running IDE; null when none is running.
extern TIDEHost* IDE;

// Boots the IDE inside an application made by InitApplication: main window shown with its
// menu, an empty project, ToolServices and ExpertRegistry set. Raises when there is no
// application or an IDE is already running.
TIDEHost* BootIDE(const String& ProjectFile = "Project1.dpr");
void ShutdownIDE();
