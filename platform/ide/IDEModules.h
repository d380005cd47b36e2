// The IDE's project and its open files: each module is a unit whose source is the text of an
// editor window's editor control, with an undo list of the edits tools made, and maybe a form.
#pragma once

#include <functional>
#include <vector>

#include "EditIntf.h"
#include "EditWindows.h"

class TIDEProject;

// One undoable edit made through a writer.
struct TEditStep {
  LongInt Offset = 0;
  String Deleted;
  String Inserted;  // exactly as the tool wrote it, before its line breaks became CR LF
};

// An open file. Its buffer is its editor control's lines joined by CR LF, with no break
// after the last line, so a file ending in a line break has an empty last line, as an
// editor shows it. Text written into the buffer has each CR LF, lone CR or lone LF made a CR
// LF: the buffer keeps one kind of line break, and no offset ever falls inside one.
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
  // The module's form, owned by the module; null when the unit has none (or it is not loaded).
  TForm* GetForm() const { return FForm; }
  void SetForm(TForm* Form);
  // Bring the editor window or the form to the front; false when there is none.
  bool ShowSource();
  bool ShowForm();

  String GetText() const;
  Integer GetLineCount() const;
  // The offset of a character position. Lines and indexes before the buffer give -1; an
  // index past the end of its line is the line's end, a line past the last the buffer's end.
  LongInt CharPosToOffset(LongInt Line, LongInt CharIndex) const;
  void OffsetToCharPos(LongInt Offset, LongInt& Line, LongInt& CharIndex) const;
  // Clamps an offset into the buffer; one between the CR and the LF of a line break moves
  // to after it, the break being one indivisible character pair.
  LongInt SnapOffset(LongInt Offset) const;
  // Replaces Count bytes at Offset by Text as one undoable step and returns the length Text
  // took in the buffer. The cursor keeps its place in the text: an edit before it moves it
  // along, an edit at or after it leaves it.
  LongInt Replace(LongInt Offset, LongInt Count, const String& Text);

  Integer GetUndoCount() const { return static_cast<Integer>(FUndo.size()); }
  const TEditStep& GetUndoStep(Integer Index) const;
  // Takes back the last step and puts the cursor where it was. Once the text was changed
  // another way (the user typed), taking back older steps would lose that change, so the
  // list is dropped instead and Undo answers false.
  bool Undo();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct TSnapshot {
    String Before, After;
    Integer CaretX, CaretY;
  };
  void SetLines(const String& Text);
  String FFileName, FFormFileName;
  TEditWindow* FEditWindow = nullptr;
  TEditControl* FEditControl = nullptr;
  TForm* FForm = nullptr;
  std::vector<TEditStep> FUndo;
  std::vector<TSnapshot> FSnapshots;
};

// Builds the form of a unit being opened from its form file; tests and the host set it.
using TFormLoader = std::function<TForm*(TIDEModule& Module, const String& FormFile)>;

// The open project: its units with their form files, and the files open in the editor.
class TIDEProject : public TComponent {
  DECLARE_CLASS(TIDEProject, TComponent)
 public:
  TIDEProject(TComponent* AOwner, const String& FileName);
  void Destroy() override;

  const String& GetFileName() const { return FFileName; }
  void AddUnit(const String& UnitFile, const String& FormFile = String());
  Integer GetUnitCount() const { return static_cast<Integer>(FUnits.size()); }
  String GetUnitName(Integer Index) const;  // "" out of range
  Integer GetFormCount() const;
  String GetFormName(Integer Index) const;  // the Index-th form file; "" out of range
  // The form file that goes with a unit: the project's entry, else a ".dfm" beside it.
  String FindFormFile(const String& UnitFile) const;

  // Opens a file from disk in an editor window and shows it (an open one is brought to the
  // front); null when the file cannot be read.
  TIDEModule* OpenFile(const String& FileName);
  // Opens a module on the given text, as a new file not yet saved.
  TIDEModule* OpenBuffer(const String& FileName, const String& Text);
  bool CloseFile(const String& FileName);
  void CloseAll();

  Integer GetModuleCount() const;
  TIDEModule* GetModule(Integer Index) const;
  TIDEModule* FindModule(const String& FileName) const;
  TIDEModule* FindFormModule(const String& FormName) const;
  // The module whose editor window was activated last among those shown.
  TIDEModule* GetCurrentModule() const;

  TFormLoader FormLoader;

 private:
  TIDEModule* Open(const String& FileName, const String& Text);
  struct TUnit {
    String UnitFile, FormFile;
  };
  String FFileName;
  std::vector<TUnit> FUnits;
};
