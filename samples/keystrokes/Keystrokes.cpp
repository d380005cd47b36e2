// The Keystrokes add-in: the list control, its form, the per-window extension and the
// notifier that feeds them.
#include "Keystrokes.h"

#include <cstdio>

#include "platform/vcl/SysUtils.h"

IMPLEMENT_CLASS(TKeystrokeList, TCustomControl)
IMPLEMENT_CLASS(TKeystrokesForm, TForm)
IMPLEMENT_EXTENSION_CLASS(TKeystrokesExtension, TEIExtension)

namespace {

constexpr const char* kAddCommand = "TKeystrokesExtension.Add";

// The notifier sees every editor's keys; it hands each release to its own window's list by
// routing a command there, so the list needs to know nothing of notifiers.
class TKeystrokesNotifier : public TEIKeyboardNotifier {
 public:
  TKeystrokesNotifier() { FOnKeyUp = TEIKeyEvent::Bind<&TKeystrokesNotifier::KeyUp>(this); }

 private:
  void KeyUp(TEIManager* Manager, Word& Key, TShiftState Shift) {
    if (!Manager) return;
    TEIExtensionMessage message(this, kAddCommand, Key | (static_cast<Integer>(Shift.Bits()) << 16), nullptr);
    Manager->ExecuteCommand(&message);
  }
};

TIDEManager* gManager = nullptr;
TKeystrokesNotifier* gNotifier = nullptr;

}  // namespace

// ---- the list -------------------------------------------------------------------------------

TKeystrokeList::TKeystrokeList(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clWindow);
  SetParentColor(false);
}

void TKeystrokeList::Add(const String& Line) {
  FLines.insert(FLines.begin(), Line);
  if (FLines.size() > kCapacity) FLines.pop_back();
  Invalidate();
}

void TKeystrokeList::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->GetBrush()->SetColor(GetColor());
  canvas->FillRect(GetClientRect());
  canvas->GetFont()->SetColor(clWindowText);
  const Integer lineHeight = canvas->TextHeight("Wg") + 1;
  Integer y = 2;
  for (const String& line : FLines) {
    if (y >= GetClientRect().Bottom) break;
    canvas->TextOut(4, y, line);
    y += lineHeight;
  }
}

// ---- the form -------------------------------------------------------------------------------

TKeystrokesForm::TKeystrokesForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Keystrokes");
  SetBorderStyle(bsSizeToolWin);
  SetClientWidth(160);
  SetClientHeight(120);
  FList = new TKeystrokeList(this);
  FList->SetName("KeystrokeList");
  FList->SetParent(this);
  FList->SetBounds(0, 0, GetClientWidth(), GetClientHeight());
  FList->SetAlign(alClient);
}

// ---- the extension --------------------------------------------------------------------------

TKeystrokesExtension::TKeystrokesExtension(TComponent* AOwner) : TEIExtension(AOwner) {
  FForm = new TKeystrokesForm(this);
  FForm->FreeNotification(this);
  // Beside its editor window, as a tool window of its own.
  if (auto* manager = dynamic_cast<TEIManager*>(AOwner)) {
    const TRect editor = manager->GetEditorForm()->GetBoundsRect();
    FForm->SetBounds(editor.Right, editor.Top, FForm->GetWidth(), FForm->GetHeight());
  }
  FForm->Show();
}

void TKeystrokesExtension::Destroy() {
  if (FForm) FForm->RemoveFreeNotification(this);
  inherited::Destroy();
}

void TKeystrokesExtension::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FForm) FForm = nullptr;
}

bool TKeystrokesExtension::ExecuteCommand(TEIExtensionMessage*& Message) {
  if (Message->Command != "Add" || !FForm) return false;
  const Word key = static_cast<Word>(Message->Param & 0xFFFF);
  const TShiftState shift = TShiftState::FromBits(static_cast<uint8_t>(Message->Param >> 16));
  FForm->GetList()->Add(KeystrokeText(key, shift));
  return true;
}

// ---- key names ------------------------------------------------------------------------------

String KeystrokeText(Word Key, TShiftState Shift) {
  String name;
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) {
    name = String(1, static_cast<char>(Key));
  } else {
    switch (Key) {
      case VK_RETURN: name = "Enter"; break;
      case VK_BACK: name = "Backspace"; break;
      case VK_TAB: name = "Tab"; break;
      case VK_SPACE: name = "Space"; break;
      case VK_DELETE: name = "Del"; break;
      case VK_ESCAPE: name = "Esc"; break;
      case VK_SHIFT: name = "Shift"; break;
      case VK_CONTROL: name = "Ctrl"; break;
      case VK_MENU: name = "Alt"; break;
      default: {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "Key $%.2X", Key);
        name = buffer;
      }
    }
  }
  String prefix;
  if (Shift.Contains(ssCtrl) && Key != VK_CONTROL) prefix += "Ctrl+";
  if (Shift.Contains(ssAlt) && Key != VK_MENU) prefix += "Alt+";
  if (Shift.Contains(ssShift) && Key != VK_SHIFT) prefix += "Shift+";
  return prefix + name;
}

// ---- installation ---------------------------------------------------------------------------

void Keystrokes_Initialize() {
  gManager = InstallIDEIntegrationManager("Keystrokes");
  gManager->AddExtensionClass(TKeystrokesExtension::StaticClass());
  gNotifier = new TKeystrokesNotifier();
  gManager->AddNotifier(gNotifier);
}

void Keystrokes_Finalize() {
  // The IDE-wide manager may have gone first (the IDE closing); then it took our
  // extensions with it and there is nothing to remove from.
  if (gManager && FindIDEIntegrationManager() == gManager) {
    gManager->RemoveNotifier(gNotifier);
    gManager->RemoveExtensionClass(TKeystrokesExtension::StaticClass());
  }
  FreeAndNil(gNotifier);
  gManager = nullptr;
}
