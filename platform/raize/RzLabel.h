// TRzLabel, the third-party label package's label: the class library's label with a frame
// drawn on the sides it names, in one of the package's frame styles.
#pragma once

#include "platform/vcl/StdCtrls.h"

enum TFrameStyle : uint8_t {
  fsNone, fsFlat, fsGroove, fsBump, fsLowered, fsButtonDown, fsRaised, fsButtonUp, fsStatus, fsPopup
};
DECLARE_ENUM_INFO(TFrameStyle)
enum TSide : uint8_t { sdLeft, sdTop, sdRight, sdBottom };
DECLARE_ENUM_INFO(TSide)
using TSides = TSet<TSide>;
constexpr TSides sdAllSides{sdLeft, sdTop, sdRight, sdBottom};

// The frame lies inside the label's bounds, BevelWidth pixels wide for the raised and lowered
// styles (two-tone styles draw two one-pixel lines); the caption keeps its place. fsNone,
// the default, draws no frame whatever the sides say.
class TRzLabel : public TLabel {
  DECLARE_CLASS(TRzLabel, TLabel)
 public:
  explicit TRzLabel(TComponent* AOwner) : TLabel(AOwner) {}

  Integer GetBevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(Integer v);
  TSides GetFrameSides() const { return FFrameSides; }
  void SetFrameSides(TSides v);
  TFrameStyle GetFrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v);

 protected:
  void Paint() override;

 private:
  // One line of the frame along the chosen sides: top-left in TopColor, bottom-right in
  // BottomColor; the rectangle shrinks by it on those sides.
  void DrawSides(TRect& Rect, TColor TopColor, TColor BottomColor);
  Integer FBevelWidth = 1;
  TSides FFrameSides = sdAllSides;
  TFrameStyle FFrameStyle = fsNone;
};
