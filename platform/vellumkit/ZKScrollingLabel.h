// TZKScrollingLabel, the marquee: a one-line text that runs through the label one character
// per step and starts over.
#pragma once

#include "../vcl/ExtCtrls.h"
#include "../vcl/StdCtrls.h"

enum TScrollDirection : uint8_t { sdRightToLeft, sdLeftToRight };
DECLARE_ENUM_INFO(TScrollDirection)

// The text and a gap of spaces form a loop; the label shows the loop rotated by the scroll
// offset, clipped to its width. Right to left, each step moves the text one character to the
// left (the offset grows); left to right the other way. The label's own timer takes a step
// every ScrollInterval milliseconds while it has a text and is shown on a form.
class TZKScrollingLabel : public TGraphicControl {
  DECLARE_CLASS(TZKScrollingLabel, TGraphicControl)
 public:
  explicit TZKScrollingLabel(TComponent* AOwner);
  void Destroy() override;
  void SetParent(TWinControl* AParent) override;
  void SetVisible(bool v) override;

  static constexpr const char* ScrollGap = "   ";
  static constexpr Cardinal ScrollInterval = 150;

  // Sets Text and starts the scroll from the beginning.
  void FSetScrollText(const String& Text) { SetText(Text); }
  void SetText(const String& s) override;

  // With Autosize the height follows the font's text height; the width is the window the
  // text runs through and stays the user's.
  bool GetAutosize() const { return FAutosize; }
  void SetAutosize(bool v);
  TScrollDirection GetScrollDirection() const { return FScrollDirection; }
  void SetScrollDirection(TScrollDirection v) { FScrollDirection = v; }

  // One step of the scroll (what the timer does).
  void Tick();
  // Whether the timer runs now.
  bool GetScrolling() const { return FTimer->GetRunning(); }
  // Where the shown text starts in the loop, 0 to its length - 1.
  Integer GetScrollOffset() const { return FOffset; }
  // The loop as shown now, starting at the offset; empty for an empty text.
  String GetVisibleText() const;

 protected:
  // The control's own font: a change sizes the label again.
  void FontChanged(TObject* Sender) override;
  void Paint() override;

 private:
  void AdjustBounds();
  // Runs the timer while there is something to scroll where someone can see it.
  void UpdateScrolling();
  void TimerTick(TObject* Sender);
  TTimer* FTimer;
  Integer LoopLength() const;
  bool FAutosize = true;
  TScrollDirection FScrollDirection = sdRightToLeft;
  Integer FOffset = 0;
};
