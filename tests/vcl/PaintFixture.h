// A shown borderless form at the screen's top-left on a small screen: client coordinates are
// screen coordinates, and every pixel a control draws can be read back.
#pragma once

#include "platform/vcl/Buttons.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/win/Surface.h"
#include "support/IdeFixture.h"
#include "support/MessageLog.h"

class TPaintFixture : public TIdeFixture {
 protected:
  void SetUp() override {
    TIdeFixture::SetUp();
    FSavedWidth = ScreenSurface().Width;
    FSavedHeight = ScreenSurface().Height;
    SetScreenSize(240, 180);
    Objects = GetGdiObjectCount();
    Form = new TForm(Application);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(0, 0, 200, 150);
    Form->Show();
    Pump();
  }
  void TearDown() override {
    Form->Free();
    Pump();
    FreeDeviceContexts();
    EXPECT_EQ(GetLiveDCCount(), 0) << "a device context was not released";
    EXPECT_EQ(GetGdiObjectCount(), Objects) << "a GDI object was not deleted";
    SetScreenSize(FSavedWidth, FSavedHeight);
    TIdeFixture::TearDown();
  }
  static void Pump() { Application->ProcessMessages(); }
  static COLORREF Pixel(int x, int y) { return PixelToColor(ScreenSurface().Row(y)[x] & 0xFFFFFF); }
  // Pixels inside r that differ from `background`.
  static int Ink(const TRect& r, COLORREF background) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += Pixel(x, y) != background;
    return n;
  }
  static LPARAM At(int x, int y) { return static_cast<LPARAM>((y << 16) | (x & 0xFFFF)); }
  // The mouse at a screen point (the form's client coordinates), delivered as the window
  // system delivers it.
  static void Mouse(UINT msg, int x, int y, WPARAM keys = 0) {
    MouseInput(msg, {x, y}, keys);
    Pump();
  }

  TForm* Form = nullptr;
  int Objects = 0;

 private:
  int FSavedWidth = 0, FSavedHeight = 0;
};

inline const COLORREF kFace = RGB(212, 208, 200), kHighlight = RGB(255, 255, 255), kShadow = RGB(128, 128, 128);
