// Title-bar buttons by kind: the panel's eight standard buttons and their glyph resources,
// and the items that describe user buttons and push each change into their controls.
#pragma once

#include "platform/vcl/Menus.h"
#include "TitleBarButton.h"

class TEIPanel;

enum TTitleBarButtonID : uint8_t { tbbeX, tbbeLeft, tbbeRight, tbbeTop, tbbeBottom, tbbeFloat, tbbeMinMax, tbbeHelp };
DECLARE_ENUM_INFO(TTitleBarButtonID)
using TTitleBarButtonIDs = TSet<TTitleBarButtonID>;
static_assert(sizeof(TTitleBarButtonIDs) == 1, "one byte, bit n for value n");
// Close and the four docking buttons (0x1F).
constexpr TTitleBarButtonIDs DefaultTitleBarButtons{tbbeX, tbbeLeft, tbbeRight, tbbeTop, tbbeBottom};

// The glyph's side in reading direction; a turned caption reads upward, so on a vertical
// title bar the left end is the bottom.
enum TTitleButtonLayout : uint8_t { tblGlyphLeft, tblGlyphRight };
DECLARE_ENUM_INFO(TTitleButtonLayout)

// The bitmap resources of the standard buttons' glyphs, in the package's module.
extern const char* const TitleBarGlyphNames[8];  // by TTitleBarButtonID; the min/max one minimizes
extern const char* const TitleBarMaximizeGlyph;
HMODULE PanelModule();

// A user button: its looks and flags, pushed into its control whenever one changes. Owned by
// its panel, which makes and frees it together with the control.
class TTitleBarBtn : public TObject {
  DECLARE_CLASS(TTitleBarBtn, TObject)
 public:
  explicit TTitleBarBtn(TEIPanel* APanel);
  void Destroy() override;

  TEIPanel* GetPanel() const { return FPanel; }
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& Value);
  TBitmap* GetGlyph() const { return FGlyph; }
  // Holds the given bitmap itself from then on and frees it at the end; a bitmap handed
  // over before is the caller's again (the one the item made itself is freed).
  void SetGlyph(TBitmap* Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Chosen by the caller; the panel finds items by it (the first of equal ones).
  Integer GetButtonID() const { return FButtonID; }
  void SetButtonID(Integer Value);
  // The length along the title bar; across it a button is always 12.
  Integer GetWidth() const { return FWidth; }
  void SetWidth(Integer Value);
  Integer GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer Value);
  const String& GetHint() const { return FHint; }
  void SetHint(const String& Value);
  bool GetAllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  TTitleButtonLayout GetLayout() const { return FLayout; }
  void SetLayout(TTitleButtonLayout Value);
  // The control's Down; False and ignored without a panel.
  bool GetDown() const;
  void SetDown(bool Value);
  // A change of any attribute pushes the looks.
  TFont* GetFont() const { return FFont; }
  // The position in the panel's list of the first item with this ButtonID; -1 without a panel.
  Integer GetIndex() const;
  // The control's rectangle on the screen; empty without a panel.
  TRect Rect() const;
  // Shows the menu below the button, or right of it on a vertical title bar.
  void Popup(TPopupMenu* Menu);

 protected:
  void UpdateButton();   // the looks into the control
  void UpdateButtons();  // the whole title bar laid out again
  void FontChange(TObject* Sender);

 private:
  TEIPanel* FPanel;
  String FCaption;
  TBitmap* FGlyph;
  bool FVisible = false;
  bool FEnabled = true;
  Integer FButtonID = 0;
  Integer FWidth = 12;
  Integer FGroupIndex = 0;
  String FHint;
  bool FAllowAllUp = false;
  TTitleButtonLayout FLayout = tblGlyphLeft;
  TFont* FFont;
  bool FOwnGlyph = true;  // FGlyph is the bitmap the item made, not one handed over
};
