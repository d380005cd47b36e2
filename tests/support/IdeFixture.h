// A fresh application, screen and window manager per test, torn down in the IDE's order.
#pragma once

#include <gtest/gtest.h>

#include "platform/ide/EditWindows.h"

// A component of `parent`, named and placed on it.
template <class T>
T* MakeChild(TWinControl* parent, const char* name) {
  T* c = new T(parent);
  c->SetName(name);
  c->SetParent(parent);
  return c;
}

class TIdeFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    FGdiObjects = GetGdiObjectCount();
    InitApplication();
  }
  // Nothing drawn with may outlive the application: no context, no GDI object.
  void TearDown() override {
    DoneApplication();
    FreeDeviceContexts();
    EXPECT_EQ(GetLiveDCCount(), 0) << "a device context was not released";
    EXPECT_EQ(GetGdiObjectCount(), FGdiObjects) << "a GDI object was not deleted";
  }

  // Posts a key press and release to a window and runs the message loop over them.
  static void TypeKey(HWND target, WORD vk);
  // The same with Ctrl held around it, as a chord such as Ctrl+Z.
  static void TypeCtrlKey(HWND target, WORD vk);
  static void PostKey(HWND target, UINT message, WORD vk);

 private:
  int FGdiObjects = 0;
};
