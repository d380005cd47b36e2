// A fresh desktop per window-manager test, with helpers to make windows on it.
#pragma once

#include <gtest/gtest.h>

#include "support/MessageLog.h"

class TDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWindowManager(); }
  void TearDown() override { ResetWindowManager(); }

  static HWND MakeWindow(const char* className, WNDPROC proc, DWORD style = 0, HWND parent = 0, HWND owner = 0) {
    TCreateWindowParams p;
    p.ClassName = className;
    p.Style = style;
    p.Parent = parent;
    p.Owner = owner;
    p.Bounds = {0, 0, 100, 100};
    p.WndProc = proc;
    return CreateWindowEx(p);
  }

  TMessageLog log;
};
