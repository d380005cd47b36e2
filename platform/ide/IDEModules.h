// The IDE's project and its open files: each module is a unit whose source is the buffer of an
// editor window's editor control, and maybe a form.
#pragma once

#include <vector>

#include "EditIntf.h"
#include "EditWindows.h"
#include "FormDesigner.h"

class TIDEProject;

// An open file. Its buffer is its editor control's, loaded with the file's bytes as they are.
class TIDEModule : public TComponent {
  DECLARE_CLASS(TIDEModule, TComponent)
 public:
  TIDEModule(TIDEProject* Project, const String& FileName, const String& FormFileName, const String& Text);
  void Destroy() override;

  const String& GetFileName() const { return FFileName; }
  const String& GetFormFileName() const { return FFormFileName; }
  // The unit's or the form's file name, compared without regard to case.
  bool IsFile(const String& FileName) const;

  // The project's editor window, where the module has a tab; null once it is gone.
  TEditWindow* GetEditWindow() const;
  // The editor control while it shows this module (its tab is the selected one), else null.
  TEditControl* GetEditControl() const;
  // The buffer has a view while its tab is selected in the shown editor window; a hidden
  // window or another tab keeps the text.
  bool HasView() const;
  // The designer of the unit's form, owned by the module; null when the unit has no form
  // file or it could not be read.
  TFormDesigner* GetDesigner() const { return FDesigner; }
  // Reads the form file into the designer, or again when it changed on disk; an error is
  // reported as the IDE reports any, and the form stays as it was. False when there is no form.
  bool OpenForm();
  // Bring the editor window or the form (opened first) to the front; false when there is none.
  bool ShowSource();
  bool ShowForm();

  // The file's text, the module's own: each open file keeps its text, undo list and cursor
  // whichever tab is shown.
  TEditBuffer* GetBuffer() const { return FBuffer; }
  String GetText() const { return FBuffer->GetText(); }
  Integer GetLineCount() const { return FBuffer->GetLineCount(); }
  // Where the cursor stands: the editor's while it shows the module, else where it was left.
  TEditPlace GetPlace() const;
  // Makes the edits one undo step, the cursor keeping its place in the text (see ApplyEditsAt).
  bool ApplyEdits(const std::vector<TBufferEdit>& Edits);
  // Takes back the last step of the buffer's undo list; false when there is none.
  bool Undo();
  // Writes the text to the file as it is, byte for byte; then it counts as unmodified. False
  // with the system's reason in Error when the file cannot be written.
  bool Save(String& Error);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TIDEProject;
  TIDEProject* Project() const;
  String FFileName, FFormFileName;
  TEditBuffer* FBuffer;
  TEditPlace FPlace;  // while not shown
  TFormDesigner* FDesigner = nullptr;
};

// A unit of a project and its form file ("" when it has none).
struct TProjectUnit {
  String UnitFile, FormFile;
};

// The open project: its units with their form files, and the files open in the editor.
class TIDEProject : public TComponent {
  DECLARE_CLASS(TIDEProject, TComponent)
 public:
  TIDEProject(TComponent* AOwner, const String& FileName);
  void Destroy() override;

  const String& GetFileName() const { return FFileName; }
  void AddUnit(const String& UnitFile, const String& FormFile = String());
  // The units (".pas") of a folder in the order of their names, each with the form file of
  // the same name beside it (".dfm"), names compared without regard to case as the IDE's file
  // system does; EInOutError when the folder cannot be read.
  static std::vector<TProjectUnit> FolderUnits(const String& Dir);
  // Adds a folder's units with their forms; the number added.
  Integer AddFolder(const String& Dir);
  Integer GetUnitCount() const { return static_cast<Integer>(FUnits.size()); }
  String GetUnitName(Integer Index) const;  // "" out of range
  Integer GetFormCount() const;
  String GetFormName(Integer Index) const;  // the Index-th form file; "" out of range
  // The form file that goes with a unit: the project's entry, else a ".dfm" beside it.
  String FindFormFile(const String& UnitFile) const;

  // Opens a file from disk in an editor window, with its form, and shows it (an open one is
  // brought to the front); null when the file cannot be read.
  TIDEModule* OpenFile(const String& FileName);
  // Opens a module on the given text, as a new file not yet saved.
  TIDEModule* OpenBuffer(const String& FileName, const String& Text);
  bool CloseFile(const String& FileName);
  void CloseAll();

  Integer GetModuleCount() const;
  TIDEModule* GetModule(Integer Index) const;
  TIDEModule* FindModule(const String& FileName) const;
  // The open module whose form has that name ("Form1"), compared without regard to case.
  TIDEModule* FindFormModule(const String& FormName) const;
  // The module whose tab is selected in the editor window, while the window is shown.
  TIDEModule* GetCurrentModule() const;

  // The editor window the files open in, one tab each; made with the first file and freed
  // with the last. The user closing it closes every file.
  TEditWindow* GetEditWindow() const { return FEditWindow; }
  // Selects the module's tab: the editor control shows its buffer where its cursor was.
  void ShowModule(TIDEModule* Module);
  // The module whose tab is selected, shown or not.
  TIDEModule* GetShownModule() const { return FShown; }

  // View | New Edit Window: another editor window on the shown file, its editor showing the
  // same text from the same place, placed beside the others so all can be seen, and brought
  // to the front. Null when no file is open. It goes when it is closed or its file is.
  TEditWindow* NewEditWindow();
  Integer GetViewCount() const { return static_cast<Integer>(FViews.size()); }
  TEditWindow* GetView(Integer Index) const;  // null out of range

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TIDEModule;
  TIDEModule* Open(const String& FileName, const String& Text);
  void TabChange(TObject* Sender);
  void ModuleClosing(TIDEModule* Module);
  void ViewClose(TObject* Sender, TCloseAction& Action);
  void PlaceView(TEditWindow* View) const;
  static constexpr Integer kCascade = 24;  // a caption's height and a frame
  struct TView {
    TEditWindow* Window;
    TIDEModule* Module;
  };
  String FFileName;
  std::vector<TView> FViews;
  TEditWindow* FEditWindow = nullptr;
  std::vector<TIDEModule*> FTabs;  // in the tab control's order
  TIDEModule* FShown = nullptr;
  std::vector<TProjectUnit> FUnits;
};
