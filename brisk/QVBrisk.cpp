// The typing-sound expert.
#include "QVBrisk.h"

#include "QVBriskCfg.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Registry.h"

IMPLEMENT_CLASS(TQVKeyboardNotifier, TEIKeyboardNotifier)
IMPLEMENT_CLASS(TQVBriskExpert, TQVCustomExpert)

bool SoundEnabled = false;
TZKWavePlayer* WavePlayer = nullptr;
TQVBriskExpertParams ExpertParams;

// ---- the key filter -------------------------------------------------------------------------

void TQVKeyboardNotifier::BeforeEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage,
                                                     TMessage& ModifiedMessage) {
  if (OriginalMessage.Msg != CN_KEYUP) return;
  TShiftState shift = KeyDataToShiftState(ModifiedMessage.LParam);
  Word key = static_cast<Word>(static_cast<uint32_t>(ModifiedMessage.WParam) & 0xFFFF);
  PlayKeySound(Manager, key, shift);
  if (key == 0) ModifiedMessage.Result = 1;
}

static void PlayFile(const String& fileName) {
  WavePlayer->FFileName = fileName;
  WavePlayer->Play();
  WavePlayer->FFileName = ExpertParams.WaveKey;
}

void PlayKeySound(TEIManager*, Word& Key, TShiftState Shift) {
  if (!SoundEnabled || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt) || !WavePlayer) return;
  if ((Key >= 48 && Key <= 90) || (Key >= 96 && Key <= 111) || (Key >= 186 && Key <= 222) || Key == 32)
    WavePlayer->Play();
  else if (Key == 13 && !ExpertParams.WaveEnter.empty())
    PlayFile(ExpertParams.WaveEnter);
  else if ((Key == 12 || Key == 46 || Key == 8) && !ExpertParams.WaveBackspace.empty())
    PlayFile(ExpertParams.WaveBackspace);
}

// ---- settings -------------------------------------------------------------------------------

// Reads and writes go through one registry object that is freed on every path.
template <class Body>
static void WithSettingsKey(Body body) {
  auto* reg = new TRegistry();
  try {
    reg->SetRootKey(HKEY_CURRENT_USER);
    reg->OpenKey(QVBriskRegistryKey, true);
    body(*reg);
  } catch (...) {
    reg->Free();
    throw;
  }
  reg->Free();
}

void LoadParams() {
  WithSettingsKey([](TRegistry& reg) {
    if (reg.ValueExists("Active")) {
      ExpertParams.Active = reg.ReadBool("Active");
    } else {
      ExpertParams.Active = false;
      reg.WriteBool("Active", false);
    }
    ExpertParams.WaveKey = reg.ValueExists("File name wave key") ? reg.ReadString("File name wave key") : String();
    ExpertParams.WaveEnter = reg.ValueExists("File name wave enter") ? reg.ReadString("File name wave enter") : String();
    ExpertParams.WaveBackspace =
        reg.ValueExists("File name wave backspace") ? reg.ReadString("File name wave backspace") : String();
  });
  ExpertParams.Default = false;
  SoundEnabled = ExpertParams.Active;
}

void SaveParams() {
  WithSettingsKey([](TRegistry& reg) {
    reg.WriteBool("Active", ExpertParams.Active);
    reg.WriteString("File name wave key", ExpertParams.WaveKey);
    reg.WriteString("File name wave enter", ExpertParams.WaveEnter);
    reg.WriteString("File name wave backspace", ExpertParams.WaveBackspace);
  });
  SoundEnabled = ExpertParams.Active;
  SetPlayerVar();
}

void SetPlayerVar() {
  if (WavePlayer) {
    WavePlayer->FDefault = ExpertParams.Default;
    WavePlayer->FFileName = ExpertParams.WaveKey;
  }
  if (!FileExists(ExpertParams.WaveKey) || !FileExists(ExpertParams.WaveEnter) || !FileExists(ExpertParams.WaveBackspace)) {
    ExpertParams.Active = false;
    SoundEnabled = false;
    MessageDlg("The QV Brisk Expert is disabled because at least one of the files is missing !", mtInformation,
               TMsgDlgButtons{mbOK}, 0);
  }
}

// ---- the expert -----------------------------------------------------------------------------

TQVBriskExpert::TQVBriskExpert() {
  try {
    FMenuItem = AdoptMenuItem();
    if (!FMenuItem)
      FMenuItem = IDEAddMenu("ToolsMenu", "QV Brisk ..", "QVBrisk", 0, 0, MethodOf<&TQVBriskExpert::MenuExecuteClick>(this));
    LoadEditorExperts();
    LoadParams();
    WavePlayer = new TZKWavePlayer(nullptr);
    WavePlayer->SetAsync(true);
    SetPlayerVar();
  } catch (...) {
    // A constructor that raises destroys what it built, as the original's do.
    Destroy();
    throw;
  }
}

// The menu item stays in the menu, but no longer calls this expert: after the expert (or its
// package) is gone a click on it does nothing, and the next expert takes it over.
void TQVBriskExpert::Destroy() {
  FreeAndNil(WavePlayer);
  FreeEditorExperts();
  try {
    TInterfaceGuard<TIMenuItemIntf> item(FMenuItem);
    FMenuItem = nullptr;
    if (item) item->SetMenuClickEvent(nullptr);
    item.Reset();
    inherited::Destroy();
  } catch (...) {
    HandleException();
  }
}

// An item named "QVBrisk" whose handler is unassigned was left by an expert that is gone;
// taking it over keeps the menu at one working item.
TIMenuItemIntf* TQVBriskExpert::AdoptMenuItem() {
  if (!ToolServices) return nullptr;
  try {
    TInterfaceGuard<TIMainMenuIntf> mainMenu(ToolServices->GetMainMenu());
    if (!mainMenu) return nullptr;
    TInterfaceGuard<TIMenuItemIntf> item(mainMenu->FindMenuItem("QVBrisk"));
    if (item && !item->GetMenuClickEvent() &&
        item->SetMenuClickEvent(MethodOf<&TQVBriskExpert::MenuExecuteClick>(this)))
      return item.Detach();
  } catch (...) {
    HandleException();
  }
  return nullptr;
}

void TQVBriskExpert::LoadEditorExperts() {
  FreeEditorExperts();
  MessageBeep(1);
  if (!FIDEManager) {
    FIDEManager = InstallIDEIntegrationManager("QV Brisk");
    FKeyboardNotifier = new TQVKeyboardNotifier();
    FIDEManager->AddNotifier(FKeyboardNotifier);
  }
}

// The notifier is taken out only while the IDE-wide manager it was added to still exists
// among the application's components; it is freed always.
void TQVBriskExpert::FreeEditorExperts() {
  if (FIDEManager && FKeyboardNotifier && FindIDEIntegrationManager() == FIDEManager)
    FIDEManager->RemoveNotifier(FKeyboardNotifier);
  FreeAndNil(FKeyboardNotifier);
}

// The dialog is this call's: it is freed on every path and the unit variable cleared again.
void TQVBriskExpert::MenuExecuteClick(TIMenuItemIntf*) {
  frmConfiguration = new TfrmConfiguration(nullptr);
  try {
    frmConfiguration->Params = ExpertParams;
    if (frmConfiguration->ShowModal() == mrOk) {
      ExpertParams = frmConfiguration->Params;
      SaveParams();
    }
  } catch (...) {
    FreeAndNil(frmConfiguration);
    throw;
  }
  FreeAndNil(frmConfiguration);
}

extern "C" void QVBrisk_Register() { RegisterLibraryExpert(new TQVBriskExpert()); }
