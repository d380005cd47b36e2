// The outline a panel drag draws with XOR on the desktop, the drop-area rule that judges
// where it was dropped, and CToC, which carries a point from one control to another.
#pragma once

#include "platform/vcl/Controls.h"

// P in Source's client coordinates, as the same screen position in Target's.
TPoint CToC(TControl* Target, TControl* Source, const TPoint& P);

// The side of a form's client area (Client, screen coordinates) an outline R dropped at C
// docks to: first by the outline's edges (a panel at Top with Height in its parent), then by
// the drop position; alNone for neither.
TAlign GetDropArea(const TRect& Client, const TRect& R, const TPoint& C, Integer PanelTop, Integer PanelHeight);

// One drag of a control's outline. The desktop's device context and the mouse capture are
// held from BeginDragging to EndDragging only; the rectangles and points stay afterwards,
// the drop is judged from them.
class TDragControl : public TObject {
  DECLARE_CLASS(TDragControl, TObject)
 public:
  void Destroy() override;
  // Focus-rectangle XOR: drawn twice, the screen is as it was.
  void DrawDragRect();
  // Point in AControl's client coordinates; CaptureControl gets every mouse message until the end.
  void BeginDragging(TControl* AControl, TControl* CaptureControl, const TPoint& Point);
  void ChangeDragging(const TPoint& Point);
  // Ends a drag if one is active; the offset of the (last) drag either way.
  TPoint EndDragging();

  bool GetDragging() const { return FDragging; }
  TControl* GetControl() const { return FControl; }
  const TRect& GetStartRect() const { return FStartRect; }
  const TRect& GetDragRect() const { return FDragRect; }
  const TPoint& GetStartPoint() const { return FStartPoint; }
  const TPoint& GetCurrentPoint() const { return FCurrentPoint; }

 private:
  TControl* FControl = nullptr;
  bool FDragging = false;
  TControlCanvas* FCanvas = nullptr;
  TRect FStartRect{};
  TRect FDragRect{};
  TPoint FStartPoint{};
  TPoint FCurrentPoint{};
};
