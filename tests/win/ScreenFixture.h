// A small screen filled with a known pattern, for pixel tests on the window system.
#pragma once

#include <cstdint>
#include <vector>

#include "DesktopFixture.h"
#include "platform/win/Surface.h"

class TScreenTest : public TDesktopTest {
 protected:
  void SetUp() override {
    TDesktopTest::SetUp();
    FSavedWidth = ScreenSurface().Width;
    FSavedHeight = ScreenSurface().Height;
    SetScreenSize(64, 48);
    FObjects = GetGdiObjectCount();
  }
  void TearDown() override {
    EXPECT_EQ(GetLiveDCCount(), 0) << "a device context was not released";
    EXPECT_EQ(GetGdiObjectCount(), FObjects) << "a GDI object was not deleted";
    SetScreenSize(FSavedWidth, FSavedHeight);
    TDesktopTest::TearDown();
  }

  // Every pixel different and the top byte clear: a change anywhere shows.
  static void Scramble() {
    uint32_t v = 0x12345678;
    for (uint32_t& p : ScreenSurface().Pixels) {
      v = v * 1664525u + 1013904223u;
      p = v >> 8;
    }
  }
  static std::vector<uint32_t> Snapshot() { return ScreenSurface().Pixels; }
  static uint32_t Pixel(int x, int y) { return ScreenSurface().Row(y)[x] & 0xFFFFFF; }
  static void Fill(uint32_t pixel) { std::fill(ScreenSurface().Pixels.begin(), ScreenSurface().Pixels.end(), pixel); }
  // The bounding box of pixels that differ from `pixel` (empty when none).
  static TRect InkBox(uint32_t background) {
    TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    const TSurface& s = ScreenSurface();
    for (int y = 0; y < s.Height; ++y)
      for (int x = 0; x < s.Width; ++x)
        if ((s.Row(y)[x] & 0xFFFFFF) != background) {
          box.Left = std::min(box.Left, x), box.Top = std::min(box.Top, y);
          box.Right = std::max(box.Right, x + 1), box.Bottom = std::max(box.Bottom, y + 1);
        }
    return box.Left == INT32_MAX ? TRect{} : box;
  }
  static int Changed(const std::vector<uint32_t>& before) {
    int n = 0;
    for (size_t i = 0; i < before.size(); ++i) n += before[i] != ScreenSurface().Pixels[i];
    return n;
  }

 private:
  int FSavedWidth = 0, FSavedHeight = 0, FObjects = 0;
};

// The whole-screen context the drag outlines use: it draws over every window.
inline HDC ScreenDC() { return GetDCEx(GetDesktopWindow(), 0, DCX_CACHE | DCX_LOCKWINDOWUPDATE); }
