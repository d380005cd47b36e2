// The file-open dialog on the screen: a modal form over one folder at a time, whose choice
// answers an open dialog's request.
#pragma once

#include "Dialogs.h"
#include "Forms.h"
#include "ListBox.h"
#include "StdCtrls.h"

// "Look in:" names the shown folder; the list holds its folders (with ".." above them, but
// at the root) and then its files that match the chosen type, each group in name order.
// A double-click or Enter on a folder opens it, on a file chooses it; a name typed into
// "File name:" and Open (or Enter) chooses it, taken in the shown folder when relative, or
// opens it when it names a folder. The type is chosen in "Files of type:".
constexpr UINT CM_SHOWREFUSAL = CM_BASE + 0x200;

class TOpenDialogForm : public TForm {
  DECLARE_CLASS(TOpenDialogForm, TForm)
 public:
  explicit TOpenDialogForm(TComponent* AOwner, const TOpenDialogRequest& Request);

  const String& GetFolder() const { return FFolder; }
  void SetFolder(const String& Folder);
  // The full name chosen once the form closed with mrOk.
  const String& GetChosen() const { return FChosen; }
  Integer GetFilterIndex() const { return FTypes->GetItemIndex() + 1; }
  TListBox* GetFileList() const { return FFiles; }
  TEdit* GetFileNameEdit() const { return FFileName; }
  TComboBox* GetTypeBox() const { return FTypes; }
  void Dispatch(TMessage& Message) override;

 private:
  struct TEntry {
    String Name;
    bool Folder = false;
  };
  void Fill();
  void Choose(const String& Name);
  void OpenClick(TObject* Sender);
  void FilesClick(TObject* Sender);
  void FilesDblClick(TObject* Sender);
  void TypeChange(TObject* Sender);
  void FormShow(TObject* Sender);
  TOpenDialogRequest FRequest;
  std::vector<std::pair<String, String>> FFilters;  // description and patterns
  std::vector<TEntry> FEntries;
  String FFolder, FChosen;
  TEdit* FLookIn;
  TListBox* FFiles;
  TEdit* FFileName;
  TComboBox* FTypes;
  TButton* FOpen;
  TButton* FCancel;
};

// The open-dialog answerer for a session with a person at the screen. A refused answer is
// shown in a message box over the dialog, which then takes another.
bool ShowOpenDialogForm(TOpenDialogRequest& Request);
