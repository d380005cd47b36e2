// Message boxes: every box is recorded and answered by one process-wide answerer, which
// tests set to script the user's reply and the host sets to show the box to a person.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Windows.h"

constexpr UINT MB_ABORTRETRYIGNORE = 0x2, MB_RETRYCANCEL = 0x5;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_DEFBUTTON1 = 0x000, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_DEFBUTTON4 = 0x300;
constexpr UINT MB_DEFMASK = 0xF00;
constexpr UINT MB_APPLMODAL = 0x0000, MB_SYSTEMMODAL = 0x1000, MB_TASKMODAL = 0x2000;

struct TMessageBoxButton {
  std::string Caption;
  int Result = 0;  // what pressing it returns
  friend bool operator==(const TMessageBoxButton&, const TMessageBoxButton&) = default;
};

// One box as it was shown. MessageBox fills it from its MB_* type; the class library's
// MessageDlg fills it from its dialog type and button set (Type then holds the icon only).
struct TMessageBoxRequest {
  HWND Owner = 0;
  std::string Text;
  std::string Caption;
  UINT Type = 0;
  std::vector<TMessageBoxButton> Buttons;  // in the order they are shown
  int DefaultResult = 0;  // Enter; 0 when no button is the default
  int CancelResult = 0;   // Escape or the close box; 0 when neither closes the box
  // Only for MessageDlg: its TMsgDlgType, the bits of its TMsgDlgButtons and its help context.
  int DlgType = -1;
  uint32_t DlgButtons = 0;
  int32_t HelpContext = 0;

  UINT Icon() const { return Type & MB_ICONMASK; }
  UINT ButtonSet() const { return Type & MB_TYPEMASK; }
};

using TMessageBoxAnswerer = std::function<int(const TMessageBoxRequest&)>;

// Installs the answerer and returns the one it replaces. With none installed, a box is
// printed to stderr and answered with its default button (IDOK for an MB_OK box), as a
// host without a screen would.
TMessageBoxAnswerer SetMessageBoxAnswerer(TMessageBoxAnswerer answerer);
// Records the box, asks the answerer (outside any lock, so it may show boxes itself) and
// returns its answer.
int ShowMessageBoxRequest(const TMessageBoxRequest& request);
int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// The boxes shown since the last clear, oldest first; only the latest 1024 are kept.
std::vector<TMessageBoxRequest> GetShownMessageBoxes();
void ClearShownMessageBoxes();
