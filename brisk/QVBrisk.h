// The typing-sound expert: its Tools-menu item, its settings in the registry, its wave player,
// and the keyboard notifier that turns key releases in the code editor into sounds.
#pragma once

#include "expert/QVExpert.h"
#include "framework/EINotifiers.h"
#include "platform/vellumkit/ZKWavePlayer.h"

struct TQVBriskExpertParams {
  bool Active = false;
  bool Default = false;  // never stored; the player's built-in-sound switch
  String WaveKey;
  String WaveEnter;
  String WaveBackspace;
};

constexpr const char* QVBriskRegistryKey = "Software\\Orvane Software\\QV Brisk\\Configuration";

// The unit's settings, shared by the one expert and its notifier.
extern bool SoundEnabled;
extern TZKWavePlayer* WavePlayer;
extern TQVBriskExpertParams ExpertParams;

// Sees every key notification of every managed editor; sounds go with key releases only.
class TQVKeyboardNotifier : public TEIKeyboardNotifier {
  DECLARE_CLASS(TQVKeyboardNotifier, TEIKeyboardNotifier)
 public:
  void BeforeEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage, TMessage& ModifiedMessage) override;
};

// The key-to-sound rule.
void PlayKeySound(TEIManager* Manager, Word& Key, TShiftState Shift);
void LoadParams();
void SaveParams();
void SetPlayerVar();

class TQVBriskExpert : public TQVCustomExpert {
  DECLARE_CLASS(TQVBriskExpert, TQVCustomExpert)
 public:
  TQVBriskExpert();
  void Destroy() override;

  String GetName() override { return "Brisk Expert"; }
  TExpertStyle GetStyle() override { return esAddIn; }
  String GetIDString() override { return "QV.BriskExpert"; }

  void LoadEditorExperts();
  void FreeEditorExperts();
  // Runs the configuration dialog and saves the settings on OK.
  void MenuExecuteClick(TIMenuItemIntf* Sender);

  TIMenuItemIntf* GetMenuItem() const { return FMenuItem; }
  TIDEManager* GetIDEManager() const { return FIDEManager; }
  TQVKeyboardNotifier* GetKeyboardNotifier() const { return FKeyboardNotifier; }

 private:
  TIMenuItemIntf* AdoptMenuItem();
  TIMenuItemIntf* FMenuItem = nullptr;
  TIDEManager* FIDEManager = nullptr;
  TQVKeyboardNotifier* FKeyboardNotifier = nullptr;
};

// The package's registration routine, exported under its unit-qualified name.
extern "C" void QVBrisk_Register();
