// Canvases over device contexts; the drawing operations grow with the controls that use them.
#pragma once

#include "Classes.h"

using TColor = int32_t;
constexpr TColor clBlack = 0x000000, clWhite = 0xFFFFFF, clRed = 0x0000FF, clBlue = 0xFF0000;
constexpr TColor clBtnFace = static_cast<TColor>(0x8000000F);
constexpr TColor clWindow = static_cast<TColor>(0x80000005);
constexpr TColor clWindowText = static_cast<TColor>(0x80000008);

class TCanvas : public TPersistent {
  DECLARE_CLASS(TCanvas, TPersistent)
 public:
  HDC GetHandle() const { return FHandle; }
  virtual void SetHandle(HDC dc) { FHandle = dc; }
  bool HandleAllocated() const { return FHandle != 0; }

 protected:
  HDC FHandle = 0;
};

class TControl;

// A canvas for a control's device context. Created without a control it draws on whatever
// device context it is given.
class TControlCanvas : public TCanvas {
  DECLARE_CLASS(TControlCanvas, TCanvas)
 public:
  TControl* GetControl() const { return FControl; }
  void SetControl(TControl* c) { FControl = c; }

 private:
  TControl* FControl = nullptr;
};
