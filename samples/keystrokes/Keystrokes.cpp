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
  auto* manager = dynamic_cast<TEIManager*>(AOwner);
  if (!manager) {
    FForm->Show();
    return;
  }
  // Docked along the left side of its editor window, below the title bar's caption.
  const Integer width = FForm->GetClientWidth();
  TEIPanel* panel = manager->Dock(FForm);
  panel->OnAlign = MethodOf<&TKeystrokesExtension::PanelAlign>(this);
  panel->OnDragToForm = MethodOf<&TKeystrokesExtension::PanelDragToForm>(this);
  panel->SetAlign(alLeft);
  panel->SetWidth(width + panel->TitleBarHeight() + 4 + 2);  // the splitter and the bevel too
  FForm->Show();
  panel->Show();
}

// A docked list goes with its panel; the editor window keeps no empty panel behind.
void TKeystrokesExtension::Destroy() {
  if (TEIPanel* panel = GetPanel()) panel->Free();
  if (FForm) FForm->RemoveFreeNotification(this);
  inherited::Destroy();
}

TEIPanel* TKeystrokesExtension::GetPanel() const { return FForm ? As<TEIPanel>(FForm->GetParent()) : nullptr; }

// Any editor window will do; MovePanel refuses the other forms and then nothing changes.
void TKeystrokesExtension::PanelDragToForm(TObject*, TForm* DestForm, TAlign Area, const TPoint&) {
  if (TIDEManager* ide = FindIDEIntegrationManager(); ide && FForm) ide->MovePanel(DestForm, FForm, Area);
}

// Along the side the panel is docked to, so a double click on it minimizes the panel.
void TKeystrokesExtension::PanelAlign(TObject* Sender) {
  auto* panel = static_cast<TEIPanel*>(Sender);
  switch (panel->GetAlign()) {
    case alLeft: panel->SetTitleBarAlign(talLeft); break;
    case alRight: panel->SetTitleBarAlign(talRight); break;
    case alTop: panel->SetTitleBarAlign(talTop); break;
    case alBottom: panel->SetTitleBarAlign(talBottom); break;
    default: break;
  }
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
