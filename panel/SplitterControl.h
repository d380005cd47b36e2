// One sizing of a panel by its splitter strip: the bounds, the mouse capture, and the XOR
// line as thick as the strip drawn on the form while the mouse moves.
#pragma once

#include "platform/vcl/Forms.h"

class TSplitterControl : public TObject {
  DECLARE_CLASS(TSplitterControl, TObject)
 public:
  // AControl is the strip, APanel the panel whose client coordinates GetCurrentSize gives.
  TSplitterControl(TControl* AControl, TControl* APanel) : FControl(AControl), FPanel(APanel) {}
  void Destroy() override;
  TControl* GetControl() const { return FControl; }
  TControl* GetPanel() const { return FPanel; }
  bool GetSizing() const { return FForm != nullptr; }
  bool GetHorizontal() const { return FHorizontal; }
  Integer GetMinPos() const { return FMinPos; }
  Integer GetMaxPos() const { return FMaxPos; }
  const TPoint& GetPosition() const { return FPosition; }

  // MinPos ≤ 0 ≤ MaxPos are offsets from where the strip is now; the line is drawn on
  // AForm's client area, across its child windows, unless ShowLine is False.
  void BeginSizing(bool Horizontal, Integer MinPos, Integer MaxPos, TCustomForm* AForm, bool ShowLine);
  // X, Y in the strip's client coordinates; only the moving axis counts, within the bounds.
  void ChangeSizing(Integer X, Integer Y);
  // The line's moving coordinate in the panel's client coordinates.
  Integer GetCurrentSize() const;
  Integer EndSizing();
  void DrawSizingLine();

 private:
  TCustomForm* FForm = nullptr;
  TControl* FControl;
  TControl* FPanel;
  bool FHorizontal = false;
  TPoint FPosition{};
  Integer FMinPos = 0;
  Integer FMaxPos = 0;
  bool FShowLine = false;
};
