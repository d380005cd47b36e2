// A shown borderless form at the screen's top-left on a small screen, for panels: client
// coordinates are screen coordinates, and every pixel a panel draws can be read back.
#pragma once

#include "panel/EIPanel.h"
#include "platform/win/Surface.h"
#include "support/IdeFixture.h"
#include "support/MessageLog.h"

// Handlers for the panel's and the title bar's events that log what they hear, "Start 46,5";
// the ones with a Cancel set it from CancelWith.
struct TEventLog {
  TMessageLog Log;
  bool CancelWith = false;
  void Drag(const char* what, Integer X, Integer Y) { Log.push_back(std::string(what) + " " + std::to_string(X) + "," + std::to_string(Y)); }
  void Start(TObject*, Integer X, Integer Y) { Drag("Start", X, Y); }
  void Move(TObject*, Integer X, Integer Y) { Drag("Move", X, Y); }
  void End(TObject*, Integer X, Integer Y) { Drag("End", X, Y); }
  void Paint(TObject*, TCanvas*, bool& Cancel) {
    Log.push_back("Paint");
    Cancel = CancelWith;
  }
  void Button(TObject*, TTitleBarButtonID ID, bool& Cancel) {
    Log.push_back(std::string("Button ") + GetEnumName(&TTitleBarButtonID_TypeInfo, ID));
    Cancel = CancelWith;
  }
  void UserButton(TObject*, Integer ButtonID) { Log.push_back("User " + std::to_string(ButtonID)); }
  void Align(TObject* Sender) { Log.push_back(std::string("Align ") + GetEnumName(&TAlign_TypeInfo, static_cast<TControl*>(Sender)->GetAlign())); }
};

class TPanelFixture : public TIdeFixture {
 protected:
  void SetUp() override {
    TIdeFixture::SetUp();
    FSavedWidth = ScreenSurface().Width;
    FSavedHeight = ScreenSurface().Height;
    SetScreenSize(320, 240);
    Form = new TForm(Application);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(0, 0, 300, 220);
    Form->Show();
    Pump();
  }
  void TearDown() override {
    Form->Free();
    Pump();
    SetScreenSize(FSavedWidth, FSavedHeight);
    TIdeFixture::TearDown();
  }
  static void Pump() { Application->ProcessMessages(); }
  static COLORREF Pixel(int x, int y) { return PixelToColor(ScreenSurface().Row(y)[x] & 0xFFFFFF); }
  // The mouse at a screen point, delivered as the window system delivers it.
  static void Mouse(UINT msg, int x, int y, WPARAM keys = 0) {
    MouseInput(msg, {x, y}, keys);
    Pump();
  }
  static void Click(int x, int y) {
    Mouse(WM_LBUTTONDOWN, x, y, 1);
    Mouse(WM_LBUTTONUP, x, y);
  }
  // A panel on the form at (10, 10), of the given size, shown and painted.
  TEIPanel* MakePanel(int width = 200, int height = 100) {
    auto* panel = new TEIPanel(Form);
    panel->SetBounds(10, 10, width, height);
    panel->SetParent(Form);
    Pump();
    return panel;
  }
  // A 16 x 16 icon: a white page with a blue corner fold and three lines, its surroundings
  // transparent.
  static TIcon* MakeIcon() {
    auto* mask = new TBitmap();
    auto* color = new TBitmap();
    mask->SetSize(16, 16);
    color->SetSize(16, 16);
    TCanvas* m = mask->GetCanvas();
    TCanvas* c = color->GetCanvas();
    m->GetBrush()->SetColor(clWhite);
    m->FillRect({0, 0, 16, 16});
    m->GetBrush()->SetColor(clBlack);
    m->FillRect({2, 0, 14, 16});
    c->GetBrush()->SetColor(clBlack);
    c->FillRect({0, 0, 16, 16});
    c->GetBrush()->SetColor(clNavy);
    c->FillRect({2, 0, 14, 16});
    c->GetBrush()->SetColor(clWhite);
    c->FillRect({3, 1, 9, 15});
    c->FillRect({9, 5, 13, 15});
    c->GetBrush()->SetColor(clBlue);
    for (int y : {7, 10, 13}) c->FillRect({5, y - 1, 11, y});
    ICONINFO info;
    info.hbmMask = mask->GetHandle();
    info.hbmColor = color->GetHandle();
    auto* icon = new TIcon();
    icon->SetHandle(CreateIconIndirect(&info));
    mask->Free();
    color->Free();
    return icon;
  }
  // A control's place in its parent.
  static TRect Bounds(const TControl* c) { return c->GetBoundsRect(); }

  TForm* Form = nullptr;

 private:
  int FSavedWidth = 0, FSavedHeight = 0;
};
