// The typing-sound expert.
#include "QVBrisk.h"

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

void TQVBriskExpert::Destroy() {
  FreeAndNil(WavePlayer);
  FreeEditorExperts();
  try {
    if (FMenuItem) FMenuItem->Release();
    FMenuItem = nullptr;
    inherited::Destroy();
  } catch (...) {
    HandleException();
  }
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

void TQVBriskExpert::MenuExecuteClick(TIMenuItemIntf*) {
  // The configuration dialog comes with its own unit; until then the item does nothing.
}

extern "C" void QVBrisk_Register() { RegisterLibraryExpert(new TQVBriskExpert()); }
