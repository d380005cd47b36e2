// TZKHotLink, the link label: a caption that opens its Url when clicked and takes another
// colour while the mouse is over it.
#pragma once

#include <functional>

#include "../vcl/StdCtrls.h"

// Opens a link target; true when it was handed to something that opens it.
using THotLinkOpener = std::function<bool(const String& Url)>;

// Installs the process-wide opener and returns the one it replaces. With none installed a
// target is printed to stderr ("open <url>") and, on a desktop (DISPLAY or WAYLAND_DISPLAY
// set), handed to xdg-open as a single argument, never through a shell.
THotLinkOpener SetHotLinkOpener(THotLinkOpener opener);
// Whether a target may be handed to an opener: not empty, no control characters (a newline
// could smuggle a second line into whatever reads it) and no leading '-' (which a program
// would read as an option).
bool IsOpenableUrl(const String& Url);

class TZKHotLink : public TLabel {
  DECLARE_CLASS(TZKHotLink, TLabel)
 public:
  explicit TZKHotLink(TComponent* AOwner);

  String Url;  // the link target, written directly

  // The caption's colour while the mouse is over the link (CM_MOUSEENTER until
  // CM_MOUSELEAVE); the font's own colour comes back when it leaves.
  TColor GetColorOnEnter() const { return FColorOnEnter; }
  void SetColorOnEnter(TColor v);
  bool GetMouseInside() const { return FMouseInside; }

  // Hands Url to the opener; false when the target was refused or not opened.
  bool Open();
  // Fires OnClick, then opens Url, so a handler may still change the target.
  void Click() override;

  void Dispatch(TMessage& Message) override;

 private:
  TColor FColorOnEnter = clBlue;
  TColor FColorOutside = clWindowText;
  bool FMouseInside = false;
};
