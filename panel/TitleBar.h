// The caption strip of a panel: its colour, an icon and the caption, across or turned along
// a vertical strip; an owner painter; and mouse presses and moves turned into drag events.
#pragma once

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"

// The side of a panel its title bar (and its splitter strip) runs along.
enum TTitleBarAlign : uint8_t { talLeft, talRight, talTop, talBottom };
DECLARE_ENUM_INFO(TTitleBarAlign)

// A point in the title bar's client coordinates.
using TTitleBarDragEvent = TMethod<void(TObject* Sender, Integer StartX, Integer StartY)>;
// Cancel comes in False; True keeps the icon and the caption from being painted.
using TTitleBarDrawEvent = TMethod<void(TObject* Sender, TCanvas* Canvas, bool& Cancel)>;

class TTitleBar : public TCustomPanel {
  DECLARE_CLASS(TTitleBar, TCustomPanel)
 public:
  // No bevels, Arial, dragging not allowed, filled.
  explicit TTitleBar(TComponent* AOwner);
  void Destroy() override;

  // Presses are recorded and drag events fired only while True.
  bool GetDragAllowed() const { return FDragAllowed; }
  void SetDragAllowed(bool Value) { FDragAllowed = Value; }
  TIcon* GetIcon() const { return FIcon; }
  // Copies the picture; the title bar keeps its own icon.
  void SetIcon(const TIcon* Value);
  // The background is filled with Color first. Only a title bar with an owner painter can
  // leave it unfilled.
  bool GetFilling() const { return FFilling; }
  void SetFilling(bool Value);
  TTitleBarDrawEvent GetOnPaint() const { return FOnPaint; }
  // Stores the painter; Filling stays as it is.
  void SetOnPaint(TTitleBarDrawEvent Value) { FOnPaint = Value; }
  // Text turned to read upward, from 6 pixels above the bottom (or above the icon).
  void DrawVertical(TCanvas* Canvas, const String& Text);

  // A move of more than 5 pixels from the press on either axis starts a drag (with the point
  // of that move); each further move continues it; the release ends it.
  TTitleBarDragEvent OnTitleBarStartDrag;
  TTitleBarDragEvent OnTitleBarEndDrag;
  TTitleBarDragEvent OnTitleBarDoDrag;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

 private:
  bool IsVertical() const { return GetAlign() == alLeft || GetAlign() == alRight; }
  Integer FDragStartX = -1;
  Integer FDragStartY = -1;
  bool FDragging = false;
  bool FDragAllowed = false;
  TIcon* FIcon;
  TTitleBarDrawEvent FOnPaint;
  bool FFilling = true;
};
