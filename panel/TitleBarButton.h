// The small push button of a panel's title bar: a speed button that paints a caption of its
// own, across the button or turned to read upward on a vertical title bar.
#pragma once

#include "platform/vcl/Buttons.h"

class TTitleBarButton : public TSpeedButton {
  DECLARE_CLASS(TTitleBarButton, TSpeedButton)
 public:
  // Arial 7, no caption, not vertical.
  explicit TTitleBarButton(TComponent* AOwner);

  // The caption this button paints itself. The speed button's own caption is only a single
  // blank while there is one, so that its layout puts the glyph at the Layout end.
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool GetVertical() const { return FVertical; }
  void SetVertical(bool Value);

 protected:
  void Paint() override;

 private:
  void PaintCaption(TRect r, Integer xo, Integer yo);
  String FCaption;
  bool FVertical = false;
};
