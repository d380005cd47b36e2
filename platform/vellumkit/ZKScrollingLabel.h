// TZKScrollingLabel, the marquee: a one-line text that runs through the label one character
// per step and starts over.
#pragma once

#include "../vcl/StdCtrls.h"

enum TScrollDirection : uint8_t { sdRightToLeft, sdLeftToRight };
DECLARE_ENUM_INFO(TScrollDirection)

// The text and a gap of spaces form a loop; the label shows the loop rotated by the scroll
// offset. Right to left, each step moves the text one character to the left (the offset
// grows); left to right the other way. The library has no timers yet, so the label does not
// move by itself: whoever shows it calls Tick() once per timer period.
class TZKScrollingLabel : public TGraphicControl {
  DECLARE_CLASS(TZKScrollingLabel, TGraphicControl)
 public:
  explicit TZKScrollingLabel(TComponent* AOwner);
  void Destroy() override;

  static constexpr const char* ScrollGap = "   ";

  // Sets Text and starts the scroll from the beginning.
  void FSetScrollText(const String& Text) { SetText(Text); }
  void SetText(const String& s) override;

  // With Autosize the height follows the font's text height; the width is the window the
  // text runs through and stays the user's.
  bool GetAutosize() const { return FAutosize; }
  void SetAutosize(bool v);
  TScrollDirection GetScrollDirection() const { return FScrollDirection; }
  void SetScrollDirection(TScrollDirection v) { FScrollDirection = v; }

  // One step of the scroll.
  void Tick();
  // Where the shown text starts in the loop, 0 to its length - 1.
  Integer GetScrollOffset() const { return FOffset; }
  // The loop as shown now, starting at the offset; empty for an empty text.
  String GetVisibleText() const;

 protected:
  // The control's own font: a change sizes the label again.
  void FontChanged(TObject* Sender) override;

 private:
  void AdjustBounds();
  Integer LoopLength() const;
  bool FAutosize = true;
  TScrollDirection FScrollDirection = sdRightToLeft;
  Integer FOffset = 0;
};
