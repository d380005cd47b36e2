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

  TEditWindow* GetEditWindow() const { return FEditWindow; }
  TEditControl* GetEditControl() const { return FEditControl; }
  // The buffer has a view while its editor window is shown; a hidden window keeps the text.
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

  // The buffer, null once the editor control is gone.
  TEditBuffer* GetBuffer() const { return FEditControl ? FEditControl->GetBuffer() : nullptr; }
  String GetText() const { return FEditControl ? FEditControl->GetText() : String(); }
  Integer GetLineCount() const { return FEditControl ? FEditControl->GetLineCount() : 0; }
  // Takes back the last step of the buffer's undo list; false when there is none.
  bool Undo() { return FEditControl && FEditControl->Undo(); }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  String FFileName, FFormFileName;
  TEditWindow* FEditWindow = nullptr;
  TEditControl* FEditControl = nullptr;
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
  // The module whose editor window was activated last among those shown.
  TIDEModule* GetCurrentModule() const;

 private:
  TIDEModule* Open(const String& FileName, const String& Text);
  String FFileName;
  std::vector<TProjectUnit> FUnits;
};
