// The class library draws: canvases, the paint cycle of windowed and graphic controls,
// panels, labels, check boxes, push buttons, and the mouse reaching graphic controls.
#include "PaintFixture.h"

namespace {

using Painting = TPaintFixture;

// A graphic control that fills itself and counts its paints and mouse events.
class TSwatch : public TGraphicControl {
  DECLARE_CLASS(TSwatch, TGraphicControl)
 public:
  explicit TSwatch(TComponent* AOwner) : TGraphicControl(AOwner) {}
  int Paints = 0;
  TMessageLog Events;

 protected:
  void Paint() override {
    ++Paints;
    GetCanvas()->GetBrush()->SetColor(clRed);
    GetCanvas()->FillRect({-50, -50, 500, 500});  // clipped to the control
  }
  void MouseDown(TMouseButton, TShiftState, Integer X, Integer Y) override { Log("down", X, Y); }
  void MouseMove(TShiftState, Integer X, Integer Y) override { Log("move", X, Y); }
  void MouseUp(TMouseButton, TShiftState, Integer X, Integer Y) override { Log("up", X, Y); }
  void Click() override { Events.push_back("click"); }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_MOUSEENTER) Events.push_back("enter");
    if (Message.Msg == CM_MOUSELEAVE) Events.push_back("leave");
    TGraphicControl::Dispatch(Message);
  }

 private:
  void Log(const char* what, Integer x, Integer y) { Events.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y)); }
};
IMPLEMENT_COMPONENT_CLASS(TSwatch, TGraphicControl)

TEST_F(Painting, AFormErasesInItsColourAndAGraphicControlPaintsOnlyItsOwnPlace) {
  EXPECT_EQ(Pixel(5, 5), kFace) << "a form is button face";
  auto* swatch = MakeChild<TSwatch>(Form, "Swatch");
  swatch->SetBounds(20, 30, 10, 5);
  Pump();
  EXPECT_EQ(swatch->Paints, 1);
  EXPECT_EQ(Ink({0, 0, 200, 150}, kFace), 50) << "exactly its 10 x 5 pixels";
  EXPECT_EQ(Pixel(20, 30), RGB(255, 0, 0));
  EXPECT_EQ(Pixel(29, 34), RGB(255, 0, 0));

  swatch->SetLeft(60);
  Pump();
  EXPECT_EQ(Pixel(20, 30), kFace) << "the old place is painted again";
  EXPECT_EQ(Pixel(60, 30), RGB(255, 0, 0));
  swatch->Hide();
  Pump();
  EXPECT_EQ(Ink({0, 0, 200, 150}, kFace), 0);
}

TEST_F(Painting, CanvasesDrawWithTheirObjectsAndMeasureWithTheRealFont) {
  auto* swatch = MakeChild<TSwatch>(Form, "Swatch");
  swatch->SetBounds(0, 0, 20, 5);
  Pump();
  TCanvas* c = swatch->GetCanvas();
  EXPECT_EQ(c->TextWidth("Cancel"), 33);
  EXPECT_EQ(c->TextHeight("Cancel"), 13);
  c->GetFont()->SetStyle({fsBold});
  EXPECT_EQ(c->TextWidth("Cancel"), 40) << "a changed font is selected again";
  c->GetPen()->SetColor(clWhite);
  c->GetPen()->SetMode(pmXor);
  const COLORREF before = Pixel(3, 0);
  c->MoveTo(0, 0);
  c->LineTo(10, 0);
  EXPECT_EQ(Pixel(3, 0), before ^ 0xFFFFFF);
  c->MoveTo(0, 0);
  c->LineTo(10, 0);
  EXPECT_EQ(Pixel(3, 0), before) << "drawn twice with pmXor, gone";
  FreeDeviceContexts();
}

TEST_F(Painting, APanelShowsItsBevelsAndItsCaptionCentred) {
  auto* panel = MakeChild<TPanel>(Form, "Panel");
  panel->SetBounds(10, 10, 100, 40);
  panel->SetCaption("OK");
  panel->SetBevelInner(bvLowered);
  Pump();
  struct {
    int X, Y;
    COLORREF Color;
  } rows[] = {
      {10, 10, kHighlight}, {10, 49, kShadow}, {109, 10, kShadow}, {109, 49, kShadow},  // outer, raised
      {11, 11, kShadow},    {108, 48, kHighlight},                                     // inner, lowered
      {13, 13, kFace},
  };
  for (const auto& row : rows) EXPECT_EQ(Pixel(row.X, row.Y), row.Color) << row.X << "," << row.Y;
  // "OK" is 15 x 13: centred in the 96 x 36 inside.
  EXPECT_GT(Ink({52, 23, 67, 36}, kFace), 0);
  EXPECT_EQ(Ink({12, 12, 52, 48}, kFace), 0);
  EXPECT_EQ(Ink({68, 12, 108, 48}, kFace), 0);
  TRect align = panel->GetClientRect();
  panel->AdjustClientRect(align);
  EXPECT_EQ(align, (TRect{2, 2, 98, 38}));
}

TEST_F(Painting, ALabelDrawsItsCaptionAndADisabledOneIsEmbossed) {
  auto* label = MakeChild<TLabel>(Form, "Label");
  label->SetLeft(10);
  label->SetTop(10);
  label->SetCaption("Wave &Key");
  EXPECT_EQ(label->GetWidth(), 50);
  EXPECT_EQ(label->GetHeight(), 13);
  Pump();
  const TRect box{10, 10, 60, 23};
  EXPECT_GT(Ink(box, kFace), 0);
  EXPECT_EQ(Ink({0, 0, 200, 150}, kFace), Ink(box, kFace)) << "nothing outside the label";
  int black = 0;
  for (int y = 10; y < 23; ++y)
    for (int x = 10; x < 60; ++x) black += Pixel(x, y) == 0;
  EXPECT_GT(black, 0);

  label->SetEnabled(false);
  Pump();
  int highlight = 0, shadow = 0, other = 0;
  for (int y = 10; y < 24; ++y)
    for (int x = 10; x < 61; ++x) {
      COLORREF c = Pixel(x, y);
      highlight += c == kHighlight;
      shadow += c == kShadow;
      other += c != kHighlight && c != kShadow && c != kFace;
    }
  EXPECT_GT(highlight, 0);
  EXPECT_GT(shadow, 0);
  EXPECT_EQ(other, 0) << "only the emboss colours";
}

TEST_F(Painting, ACheckBoxShowsItsMarkAndTogglesOnClickAndSpace) {
  auto* box = MakeChild<TCheckBox>(Form, "Check");
  box->SetBounds(10, 10, 97, 17);
  box->SetCaption("Sounds");
  int clicks = 0;
  struct TCounter {
    int* N;
    void Clicked(TObject*) { ++*N; }
  } counter{&clicks};
  box->OnClick = MethodOf<&TCounter::Clicked>(&counter);
  Pump();
  // The 13 x 13 box: sunken edge, white well, no mark yet.
  const TRect well{12, 14, 21, 23};
  EXPECT_EQ(Pixel(10, 12), kShadow);
  EXPECT_EQ(Ink(well, RGB(255, 255, 255)), 0);

  Mouse(WM_LBUTTONDOWN, 15, 15, 1);
  Mouse(WM_LBUTTONUP, 15, 15);
  EXPECT_TRUE(box->GetChecked());
  EXPECT_EQ(clicks, 1);
  EXPECT_GT(Ink(well, RGB(255, 255, 255)), 10) << "the mark";
  EXPECT_EQ(Pixel(15, 19), RGB(0, 0, 0));

  box->SetFocus();
  TypeKey(box->GetHandle(), VK_SPACE);
  EXPECT_FALSE(box->GetChecked());
  EXPECT_EQ(clicks, 2);
  Pump();
  EXPECT_EQ(Ink(well, RGB(255, 255, 255)), 0);
  // Focused: the dotted rectangle (every other pixel inverted) around the caption.
  int dots = 0;
  for (int x = 28; x < 70; ++x) dots += Pixel(x, 12) == (kFace ^ 0xFFFFFF);
  EXPECT_GT(dots, 10);
}

TEST_F(Painting, MouseMessagesReachTheGraphicControlUnderThePointAndFollowTheCapture) {
  auto* swatch = MakeChild<TSwatch>(Form, "Swatch");
  swatch->SetBounds(20, 30, 10, 10);
  swatch->SetCursor(crHandPoint);
  Mouse(WM_MOUSEMOVE, 5, 5);
  Mouse(WM_MOUSEMOVE, 22, 33);
  EXPECT_EQ(GetCursor(), IDC_HAND) << "the control's cursor";
  Mouse(WM_LBUTTONDOWN, 23, 34, 1);
  EXPECT_EQ(GetCapture(), Form->GetHandle()) << "a graphic control captures through its parent";
  EXPECT_EQ(GetCaptureControl(), swatch);
  Mouse(WM_MOUSEMOVE, 100, 100, 1);  // outside, still captured
  Mouse(WM_LBUTTONUP, 25, 35);
  EXPECT_EQ(GetCapture(), 0u);
  Mouse(WM_MOUSEMOVE, 5, 5);
  EXPECT_EQ(swatch->Events, (TMessageLog{"enter", "move 2,3", "down 3,4", "move 80,70", "click", "up 5,5", "leave"}));
}

TEST_F(Painting, APushButtonHasTheClassicFaceAndFocusRectangle) {
  auto* button = MakeChild<TButton>(Form, "Button");
  button->SetBounds(10, 10, 75, 25);
  button->SetCaption("Cancel");
  Pump();
  EXPECT_EQ(Pixel(10, 10), kHighlight) << "raised";
  EXPECT_EQ(Pixel(84, 34), RGB(64, 64, 64));
  EXPECT_GT(Ink({31, 16, 64, 29}, kFace), 0) << "the caption in the middle";
  button->SetFocus();
  Pump();
  EXPECT_EQ(Pixel(10, 10), RGB(0, 0, 0)) << "the focused button is the default: a black frame";
  int dots = 0;
  for (int x = 14; x < 80; ++x) dots += Pixel(x, 14) == (kFace ^ 0xFFFFFF);
  EXPECT_GT(dots, 20) << "the focus rectangle inverts every other pixel";
}

}  // namespace
