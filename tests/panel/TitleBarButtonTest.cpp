// Title-bar buttons: where the own caption goes beside the glyph, across and turned, pressed
// and disabled, and which changes repaint.
#include "PanelFixture.h"

namespace {

TPoint TopLeft(const TRect& r) { return {r.Left, r.Top}; }

class TitleBarButtonTest : public TPanelFixture {
 protected:
  // A button at (10, 10) on the form with the help glyph and a caption 20 pixels long and
  // 12 high ("abcd" in Arial 7), shown and painted until its Spacing stays.
  TTitleBarButton* MakeButton(int width, int height, TButtonLayout layout, bool vertical) {
    auto* b = new TTitleBarButton(Form);
    b->SetBounds(10, 10, width, height);
    b->GetGlyph()->LoadFromResourceName(PanelModule(), TitleBarGlyphNames[tbbeHelp]);
    b->SetLayout(layout);
    b->SetVertical(vertical);
    b->SetCaption("abcd");
    b->SetParent(Form);
    Pump();
    return b;
  }
  // The caption's drawings of one repaint, in the button's coordinates.
  static std::vector<TDrawRecord> CaptionDrawn(TTitleBarButton* b) {
    StartDrawRecording();
    b->Repaint();
    std::vector<TDrawRecord> all = StopDrawRecording(), caption;
    for (TDrawRecord& r : all)
      if (r.Op == "TextOut" && r.Text == b->GetCaption()) {
        r.Rect = {r.Rect.Left - b->GetLeft(), r.Rect.Top - b->GetTop(), r.Rect.Right - b->GetLeft(), r.Rect.Bottom - b->GetTop()};
        caption.push_back(r);
      }
    return caption;
  }
};

TEST_F(TitleBarButtonTest, TheCaptionIsCentredBesideTheGlyph) {
  struct Case {
    const char* name;
    int width, height;
    TButtonLayout layout;
    bool vertical;
    Integer spacing;
    TPoint at;  // the horizontal text's top-left, the turned text's bottom-left start
  } cases[] = {
      {"across, glyph left", 40, 12, blGlyphLeft, false, 26, {14, 0}},
      {"across, glyph right", 40, 12, blGlyphRight, false, 26, {6, 0}},
      {"turned, glyph top", 12, 40, blGlyphTop, true, 16, {1, 34}},
      {"turned, glyph bottom", 12, 40, blGlyphBottom, true, 16, {1, 26}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTitleBarButton* b = MakeButton(c.width, c.height, c.layout, c.vertical);
    EXPECT_EQ(b->GetSpacing(), c.spacing);
    std::vector<TDrawRecord> drawn = CaptionDrawn(b);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].Escapement, c.vertical ? 900 : 0);
    EXPECT_EQ(drawn[0].Face, "Arial");
    EXPECT_EQ(drawn[0].Color, ColorToRGB(clBtnText));
    if (c.vertical) {
      // The record keeps a turned text's start point as its box's top-left.
      EXPECT_EQ(TopLeft(drawn[0].Rect), c.at);
    } else {
      EXPECT_EQ(TopLeft(drawn[0].Rect), c.at);
    }
    b->Free();
  }
}

// The pressed caption moves one pixel right and down; a disabled one is embossed, also when
// it is down.
TEST_F(TitleBarButtonTest, PressedAndDisabledCaptions) {
  TTitleBarButton* b = MakeButton(40, 12, blGlyphLeft, false);
  b->SetGroupIndex(1);
  b->SetAllowAllUp(true);
  b->SetDown(true);
  std::vector<TDrawRecord> drawn = CaptionDrawn(b);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(TopLeft(drawn[0].Rect), (TPoint{15, 1}));
  b->SetDown(false);

  // Held under the mouse.
  Mouse(WM_LBUTTONDOWN, 20, 15, 1);
  ASSERT_EQ(b->GetState(), bsDown);
  drawn = CaptionDrawn(b);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(TopLeft(drawn[0].Rect), (TPoint{15, 1}));
  Mouse(WM_LBUTTONUP, 20, 15);

  b->SetDown(true);
  b->SetEnabled(false);
  drawn = CaptionDrawn(b);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(TopLeft(drawn[0].Rect), (TPoint{15, 1}));
  EXPECT_EQ(drawn[0].Color, ColorToRGB(clBtnHighlight));
  EXPECT_EQ(TopLeft(drawn[1].Rect), (TPoint{14, 0}));
  EXPECT_EQ(drawn[1].Color, ColorToRGB(clGrayText));

  b->SetVertical(true);
  b->SetBounds(10, 10, 12, 40);
  b->SetLayout(blGlyphTop);
  Pump();
  drawn = CaptionDrawn(b);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].Escapement, 900);
  EXPECT_EQ(drawn[0].Color, GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(TopLeft(drawn[0].Rect), (TPoint{2, 35}));
  EXPECT_EQ(drawn[1].Color, GetSysColor(COLOR_GRAYTEXT));
  EXPECT_EQ(TopLeft(drawn[1].Rect), (TPoint{1, 34}));
}

// The disabled caption in pixels: highlight one pixel right and down of the grey text.
TEST_F(TitleBarButtonTest, TheDisabledCaptionShowsEmbossed) {
  TTitleBarButton* b = MakeButton(40, 12, blGlyphLeft, false);
  b->SetCaption("l");  // one upright stroke
  b->SetEnabled(false);
  Pump();
  std::vector<TDrawRecord> drawn = CaptionDrawn(b);
  ASSERT_EQ(drawn.size(), 2u);
  const TRect r = drawn[1].Rect;
  int grey = 0, highlight = 0;
  for (int y = 10 + r.Top; y < 10 + r.Bottom; ++y)
    for (int x = 10 + r.Left; x < 10 + r.Right + 1; ++x) {
      if (Pixel(x, y) != ColorToRGB(clGrayText)) continue;
      ++grey;
      // A grey pixel whose lower-right neighbour is not grey shows the highlight there.
      if (Pixel(x + 1, y + 1) != ColorToRGB(clGrayText)) highlight += Pixel(x + 1, y + 1) == ColorToRGB(clBtnHighlight);
    }
  EXPECT_GT(grey, 4);
  EXPECT_GT(highlight, 0);
}

TEST_F(TitleBarButtonTest, CaptionAndVerticalChangesRepaintOnlyWhenTheyChange) {
  TTitleBarButton* b = MakeButton(40, 12, blGlyphLeft, false);
  StartDrawRecording();
  b->SetCaption("abcd");
  b->SetVertical(false);
  EXPECT_TRUE(StopDrawRecording().empty());
  EXPECT_EQ(b->GetSpacing(), 26);
  EXPECT_EQ(b->TControl::GetCaption(), " ");

  // Cleared: the speed button's caption goes, so its layout centres the glyph (whatever
  // Spacing the paint leaves), and no caption is drawn.
  StartDrawRecording();
  b->SetCaption("");
  const std::vector<TDrawRecord> drawn = StopDrawRecording();
  EXPECT_FALSE(drawn.empty()) << "a changed caption repaints at once";
  EXPECT_EQ(b->TControl::GetCaption(), "");
  for (const TDrawRecord& r : drawn) EXPECT_NE(r.Op, "TextOut") << r.Text;
  Pump();
  // The help glyph's ink spans its columns 1 to 6: centred in 40 it spans 17 to 22.
  int left = 100, right = -1;
  for (int y = 10; y < 22; ++y)
    for (int x = 10; x < 50; ++x)
      if (Pixel(x, y) == RGB(0, 0, 0)) {
        left = std::min(left, x - 10);
        right = std::max(right, x - 10);
      }
  EXPECT_EQ(left, 17);
  EXPECT_EQ(right, 22);
}

}  // namespace
