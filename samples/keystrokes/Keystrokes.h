// The Keystrokes add-in: every editor window gets a small "Keystrokes" list of the last keys
// released in its editor, fed by one keyboard notifier through command routing.
#pragma once

#include "framework/EIExtension.h"
#include "framework/EINotifiers.h"
#include "panel/EIPanel.h"
#include "platform/vcl/Forms.h"

// The list itself: the newest key at the top, as many as fit.
class TKeystrokeList : public TCustomControl {
  DECLARE_CLASS(TKeystrokeList, TCustomControl)
 public:
  static constexpr int kCapacity = 64;
  explicit TKeystrokeList(TComponent* AOwner);
  void Add(const String& Line);
  Integer GetCount() const { return static_cast<Integer>(FLines.size()); }
  const String& GetLine(Integer Index) const { return FLines[static_cast<size_t>(Index)]; }

 protected:
  void Paint() override;

 private:
  std::vector<String> FLines;  // newest first
};

class TKeystrokesForm : public TForm {
  DECLARE_CLASS(TKeystrokesForm, TForm)
 public:
  explicit TKeystrokesForm(TComponent* AOwner);
  TKeystrokeList* GetList() const { return FList; }

 private:
  TKeystrokeList* FList;
};

// One per editor window: it owns that window's list, docked into the window in a panel, and
// answers "Keystrokes.Add".
class TKeystrokesExtension : public TEIExtension {
  DECLARE_EXTENSION_CLASS(TKeystrokesExtension, TEIExtension)
 public:
  explicit TKeystrokesExtension(TComponent* AOwner);
  void Destroy() override;

  static TEIExtensionType ExtensionType() { return etEditor; }
  static String ExtensionName() { return "Keystrokes"; }
  Integer GetCommandCount() override { return 1; }
  String GetCommands(Integer) override { return "Add"; }
  bool ExecuteCommand(TEIExtensionMessage*& Message) override;

  TKeystrokesForm* GetForm() const { return FForm; }
  // The panel the list is docked in; null once the panel is closed or the form floated.
  TEIPanel* GetPanel() const;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Dropped on another editor window, the panel moves there; the title bar follows the side.
  void PanelDragToForm(TObject* Sender, TForm* DestForm, TAlign Area, const TPoint& TargetScreenPoint);
  void PanelAlign(TObject* Sender);

 private:
  TKeystrokesForm* FForm = nullptr;
};

// The text a key is listed with: its name, with the shift keys held.
String KeystrokeText(Word Key, TShiftState Shift);

// Installs and removes the add-in: the extension class and the keyboard notifier.
void Keystrokes_Initialize();
void Keystrokes_Finalize();
