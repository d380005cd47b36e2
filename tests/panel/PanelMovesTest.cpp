// The panel moves: minimizing to the title bar and back, the drop-area rule, drags of the
// title bar with their XOR outline on the desktop, the double click, and the splitter.
#include "PanelFixture.h"
#include "panel/DragControl.h"

namespace {

// The button and key flags of a mouse message's WParam.
constexpr WPARAM MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_CONTROL = 0x8;

// What the drag events report, one line each: "To alTop", "ToForm Other alLeft 150,40", "Off 12,3".
struct TDropLog {
  TMessageLog Log;
  bool CancelWith = false;
  static std::string Name(TAlign a) { return GetEnumName(&TAlign_TypeInfo, a); }
  static std::string At(const TPoint& p) { return std::to_string(p.X) + "," + std::to_string(p.Y); }
  void To(TObject*, TAlign Area, bool& Cancel) {
    Log.push_back("To " + Name(Area));
    Cancel = CancelWith;
  }
  void ToForm(TObject*, TForm* Dest, TAlign Area, const TPoint& P) { Log.push_back("ToForm " + Dest->GetCaption() + " " + Name(Area) + " " + At(P)); }
  void Off(TObject*, const TPoint& P) { Log.push_back("Off " + At(P)); }
  void DblClick(TObject*, bool& Cancel) {
    Log.push_back("DblClick");
    Cancel = CancelWith;
  }
};

class PanelMoves : public TPanelFixture {
 protected:
  // The whole screen's pixels.
  static std::vector<uint32_t> Screen() { return ScreenSurface().Pixels; }
  // A press on the title bar at a screen point, then the moves, then the release at the last.
  static void Drag(TPoint from, std::initializer_list<TPoint> moves) {
    Mouse(WM_LBUTTONDOWN, from.X, from.Y, MK_LBUTTON);
    TPoint last = from;
    for (TPoint p : moves) {
      Mouse(WM_MOUSEMOVE, p.X, p.Y, MK_LBUTTON);
      last = p;
    }
    Mouse(WM_LBUTTONUP, last.X, last.Y);
  }
  TEIPanel* Docked(TAlign align, TTitleBarAlign bar, Integer size) {
    TEIPanel* panel = MakePanel();
    panel->SetTitleBarAlign(bar);
    panel->SetAlign(align);
    panel->SetSize(size);
    Pump();
    return panel;
  }
  static bool SameGlyph(TBitmap* glyph, const char* resource) {
    auto* expected = new TBitmap();
    expected->LoadFromResourceName(PanelModule(), resource);
    bool same = glyph->GetWidth() == expected->GetWidth() && glyph->GetHeight() == expected->GetHeight();
    for (Integer y = 0; same && y < glyph->GetHeight(); ++y)
      for (Integer x = 0; same && x < glyph->GetWidth(); ++x)
        same = glyph->GetCanvas()->GetPixel(x, y) == expected->GetCanvas()->GetPixel(x, y);
    expected->Free();
    return same;
  }
};

// ---- minimize and maximize -------------------------------------------------------------------

TEST_F(PanelMoves, MinimizingShrinksToTheTitleBarAndRestoringKeepsTheOuterEdge) {
  struct Case {
    TAlign Align;
    TTitleBarAlign Bar;
  } cases[] = {{alTop, talTop}, {alBottom, talBottom}, {alLeft, talLeft}, {alRight, talRight}};
  for (const Case& c : cases) {
    SCOPED_TRACE(TDropLog::Name(c.Align));
    TEIPanel* panel = Docked(c.Align, c.Bar, 200);
    TTitleBarButton* minMax = panel->GetTitleBarButtonFromID(tbbeMinMax);
    const TRect before = Bounds(panel);
    ASSERT_TRUE(SameGlyph(minMax->GetGlyph(), TitleBarGlyphNames[tbbeMinMax]));

    panel->SetMinimized(true);
    EXPECT_TRUE(panel->GetMinimized());
    EXPECT_EQ(panel->GetSize(), 16 + 2) << "title bar and the raised outer bevel";
    EXPECT_FALSE(panel->GetSplitterVisible());
    EXPECT_TRUE(SameGlyph(minMax->GetGlyph(), TitleBarMaximizeGlyph));
    // Minimizing again changes nothing, not even the glyph.
    panel->SetMinimized(true);
    EXPECT_EQ(panel->GetSize(), 18);

    panel->SetMinimized(false);
    Pump();
    EXPECT_EQ(Bounds(panel), before);
    EXPECT_TRUE(panel->GetSplitterVisible());
    EXPECT_TRUE(SameGlyph(minMax->GetGlyph(), TitleBarGlyphNames[tbbeMinMax]));
    panel->Free();
  }
}

TEST_F(PanelMoves, ABottomPanelMinimizedAndRestoredMovesItsTopBy182) {
  TEIPanel* panel = Docked(alBottom, talTop, 200);
  const Integer top = panel->GetTop();
  panel->SetMinimized(true);
  Pump();
  EXPECT_EQ(panel->GetTop(), top + 182) << "its bottom edge stays at the form's";
  panel->SetMinimized(false);
  Pump();
  EXPECT_EQ(panel->GetTop(), top);
  EXPECT_EQ(panel->GetHeight(), 200);
}

TEST_F(PanelMoves, MinimizingAcrossTheDockedEdgeIsIgnored) {
  TEIPanel* panel = Docked(alLeft, talTop, 120);
  EXPECT_FALSE(panel->GetTitleBarButtonFromID(tbbeMinMax)->GetEnabled());
  EXPECT_FALSE(panel->GetTitleBarButtonEnabled().Contains(tbbeMinMax));
  panel->SetMinimized(true);
  EXPECT_FALSE(panel->GetMinimized());
  EXPECT_EQ(panel->GetWidth(), 120);
}

TEST_F(PanelMoves, AHiddenSplitterStaysHiddenAfterRestoring) {
  TEIPanel* panel = Docked(alTop, talTop, 150);
  panel->SetSplitterVisible(false);
  panel->SetMinimized(true);
  panel->SetMinimized(false);
  EXPECT_EQ(panel->GetHeight(), 150);
  EXPECT_FALSE(panel->GetSplitterVisible());
}

TEST_F(PanelMoves, RedockingAMinimizedPanel) {
  TEIPanel* panel = Docked(alTop, talTop, 150);
  panel->SetMinimized(true);
  // Within the pair it stays minimized, and restores at the new side.
  panel->SetAlign(alBottom);
  Pump();
  EXPECT_TRUE(panel->GetMinimized());
  EXPECT_EQ(panel->GetHeight(), 18);
  panel->SetMinimized(false);
  Pump();
  EXPECT_EQ(panel->GetHeight(), 150);
  EXPECT_EQ(panel->GetTop() + panel->GetHeight(), Form->GetClientHeight());
  // Across the pairs it is restored first, at its old side, and forgets what it saved.
  panel->SetMinimized(true);
  panel->SetAlign(alLeft);
  Pump();
  EXPECT_FALSE(panel->GetMinimized());
  EXPECT_TRUE(panel->GetSplitterVisible());
  EXPECT_EQ(panel->GetSplitterAlign(), talRight);
}

TEST_F(PanelMoves, ADoubleClickTogglesOnlyWithTheTitleBarAlongTheDockedEdge) {
  struct Case {
    TAlign Align;
    TTitleBarAlign Bar;
    bool Toggles;
  } cases[] = {{alTop, talTop, true}, {alTop, talLeft, false}, {alLeft, talRight, true}, {alNone, talTop, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(TDropLog::Name(c.Align) + " " + GetEnumName(&TTitleBarAlign_TypeInfo, c.Bar));
    TEIPanel* panel = Docked(c.Align, c.Bar, 100);
    TDropLog events;
    panel->OnTitleBarDblClick = MethodOf<&TDropLog::DblClick>(&events);
    TTitleBar* bar = panel->GetTitleBar();
    // Clear of the buttons: low on a vertical bar, at the left of a horizontal one.
    const TPoint at = bar->ClientToScreen(panel->IsTitleBarVertical() ? TPoint{8, bar->GetHeight() - 10} : TPoint{10, 8});
    Mouse(WM_LBUTTONDBLCLK, at.X, at.Y, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, at.X, at.Y);
    EXPECT_EQ(panel->GetMinimized(), c.Toggles);
    EXPECT_EQ(events.Log, c.Toggles ? TMessageLog{"DblClick"} : TMessageLog{}) << "no event when it cannot act";
    if (c.Toggles) {
      events.CancelWith = true;
      Mouse(WM_LBUTTONDBLCLK, at.X, at.Y, MK_LBUTTON);
      Mouse(WM_LBUTTONUP, at.X, at.Y);
      EXPECT_TRUE(panel->GetMinimized()) << "vetoed";
    }
    panel->Free();
  }
}

// ---- the drop-area rule ----------------------------------------------------------------------

TEST(DropArea, OutlineEdgesFirstThenTheDropPosition) {
  // A client area from (100, 100) to (700, 500); the panel at Top 0, 400 high.
  const TRect client{100, 100, 700, 500};
  const TPoint middle{400, 300};
  const TRect far{-1000, -1000, -900, -900};
  struct Case {
    const char* What;
    TRect R;
    TPoint C;
    TAlign Area;
  } cases[] = {
      {"left edge 49 in, at the panel's height", {149, 100, 249, 500}, middle, alLeft},
      {"left edge 50 in: the drop position decides", {150, 100, 250, 500}, middle, alNone},
      {"right edge 49 in", {500, 100, 651, 451}, middle, alRight},
      {"across the width, near top and bottom: top wins", {100, 100, 700, 500}, middle, alTop},
      {"across the width at the bottom", {100, 300, 700, 549}, middle, alBottom},
      {"89 from the right and the top: right wins", far, {611, 189}, alRight},
      {"90 from every edge", far, {190, 190}, alNone},
      {"over the caption bar", far, {400, 80}, alTop},
      {"89 from the left and the bottom: left wins", far, {189, 411}, alLeft},
      {"89 from the bottom only", far, {400, 411}, alBottom},
  };
  for (const Case& c : cases) EXPECT_EQ(GetDropArea(client, c.R, c.C, 0, 400), c.Area) << c.What;
}

// ---- dragging by the title bar ---------------------------------------------------------------

TEST_F(PanelMoves, TheOutlineFollowsTheMouseAndLeavesTheScreenAsItWas) {
  TEIPanel* panel = Docked(alLeft, talLeft, 60);
  TDropLog events;
  panel->OnDragTo = MethodOf<&TDropLog::To>(&events);
  const std::vector<uint32_t> before = Screen();
  const int dcs = GetLiveDCCount();
  TTitleBar* bar = panel->GetTitleBar();

  // A drop in the middle of the own form matches no side: nothing changes anywhere.
  Mouse(WM_LBUTTONDOWN, 8, 150, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, 12, 150, MK_LBUTTON);
  EXPECT_FALSE(panel->GetDragControl()->GetDragging()) << "5 pixels start no drag";
  Mouse(WM_MOUSEMOVE, 100, 120, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, 150, 110, MK_LBUTTON);
  TDragControl* drag = panel->GetDragControl();
  ASSERT_TRUE(drag->GetDragging());
  EXPECT_EQ(GetCaptureControl(), bar);
  EXPECT_EQ(GetLiveDCCount(), dcs + 1) << "the desktop's context, held for the drag";
  // The drag starts where the mouse crossed the threshold.
  EXPECT_EQ(drag->GetStartPoint(), (TPoint{100, 120}));
  EXPECT_EQ(drag->GetDragRect(), (TRect{50, -10, 110, 210})) << "the start rectangle moved by the mouse";
  EXPECT_NE(Screen(), before) << "the outline is on the screen";
  EXPECT_EQ(Bounds(panel), (TRect{0, 0, 60, 220})) << "the panel does not move during the drag";
  Mouse(WM_LBUTTONUP, 150, 110);
  EXPECT_FALSE(drag->GetDragging());
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(GetLiveDCCount(), dcs);
  EXPECT_TRUE(events.Log.empty());
  EXPECT_EQ(panel->GetAlign(), alLeft);
  Pump();
  EXPECT_TRUE(Screen() == before) << "every pixel as before the drag";

  // Near the top of the client area: docked there, after OnDragTo, unless it cancels.
  events.CancelWith = true;
  Drag({8, 150}, {{100, 100}, {150, 20}});
  EXPECT_EQ(panel->GetAlign(), alLeft);
  events.CancelWith = false;
  Drag({8, 150}, {{100, 100}, {150, 20}});
  EXPECT_EQ(panel->GetAlign(), alTop);
  EXPECT_EQ(events.Log, (TMessageLog{"To alTop", "To alTop"}));
  // Dropped on the side it already has: no event.
  Drag({150, 8}, {{150, 30}, {150, 20}});
  EXPECT_EQ(events.Log.size(), 2u);
}

TEST_F(PanelMoves, DropsOverAnotherFormOrOffEveryForm) {
  SetScreenSize(640, 240);
  TEIPanel* panel = Docked(alLeft, talLeft, 60);
  auto* other = new TForm(Application);
  other->SetCaption("Other");
  other->SetBorderStyle(bsNone);
  other->SetBounds(320, 0, 300, 220);
  other->Show();
  // A form docked into a panel of the other form is passed over for its host.
  auto* host = new TEIPanel(other);
  host->SetParent(other);
  host->SetAlign(alBottom);
  host->SetHeight(100);
  auto* docked = new TForm(Application);
  docked->SetCaption("Docked");
  docked->SetBorderStyle(bsNone);
  docked->SetParent(host);
  docked->SetAlign(alClient);
  docked->Show();
  Pump();
  TDropLog events;
  panel->OnDragOffForm = MethodOf<&TDropLog::Off>(&events);

  // OnDragToForm unassigned: a drop over another form is a drop off the forms.
  Drag({8, 100}, {{100, 100}, {500, 60}});
  panel->OnDragToForm = MethodOf<&TDropLog::ToForm>(&events);
  Drag({8, 100}, {{100, 100}, {330, 60}});   // 10 into the other form: its left side
  Drag({8, 100}, {{100, 100}, {470, 110}});  // far from every edge: the panel's own side
  Drag({8, 100}, {{100, 100}, {470, 180}});  // over the docked form: its host, near the bottom
  Drag({8, 100}, {{100, 100}, {630, 230}});  // the desktop
  // The outline's corner: the panel's, (0, 0), moved by the mouse from (100, 100).
  EXPECT_EQ(events.Log, (TMessageLog{"Off 400,-40", "ToForm Other alLeft 230,-40", "ToForm Other alLeft 370,10",
                                     "ToForm Other alBottom 370,80", "Off 530,130"}));
  EXPECT_EQ(panel->GetParent(), Form) << "the panel never moves itself";
  EXPECT_EQ(panel->GetAlign(), alLeft);
  other->Free();  // with its panel and the form docked in it
}

// ---- the splitter ----------------------------------------------------------------------------

class PanelSplitter : public PanelMoves {
 protected:
  void SetUp() override {
    PanelMoves::SetUp();
    SetScreenSize(640, 560);
    Form->SetBounds(0, 0, 600, 500);  // borderless: client height 500
    Pump();
  }
  TEIPanel* Flat(TAlign align, Integer size) {
    TEIPanel* panel = Docked(align, talLeft, size);
    panel->SetBevelOuter(bvNone);
    Pump();
    return panel;
  }
  // The strip's screen rectangle.
  static TRect Strip(TEIPanel* panel) {
    TSplitterPanel* s = panel->GetSplitter();
    const TPoint tl = s->ClientToScreen({0, 0});
    return {tl.X, tl.Y, tl.X + s->GetWidth(), tl.Y + s->GetHeight()};
  }
};

TEST_F(PanelSplitter, ATopPanelIsBoundedAndReleasedAt320GivesSize420) {
  TEIPanel* panel = Flat(alTop, 100);
  ASSERT_EQ(Strip(panel), (TRect{0, 96, 600, 100}));
  const std::vector<uint32_t> before = Screen();
  Mouse(WM_LBUTTONDOWN, 300, 97, MK_LBUTTON);
  TSplitterControl* sizing = panel->GetSplitterControl();
  ASSERT_TRUE(sizing->GetSizing());
  EXPECT_EQ(sizing->GetMinPos(), -78);
  EXPECT_EQ(sizing->GetMaxPos(), 320);
  EXPECT_EQ(GetCaptureControl(), panel->GetSplitter());
  Mouse(WM_MOUSEMOVE, 300, 147, MK_LBUTTON);
  // The line moved from the strip to 50 below it; nothing else changed.
  const std::vector<uint32_t> during = Screen();
  for (int y = 0; y < 500; ++y) {
    const bool line = y >= 146 && y < 150;
    const bool same = std::equal(during.begin() + y * 640, during.begin() + y * 640 + 600, before.begin() + y * 640);
    EXPECT_EQ(same, !line) << "row " << y;
  }
  Mouse(WM_MOUSEMOVE, 300, 900, MK_LBUTTON);
  EXPECT_EQ(sizing->GetPosition().Y, 320) << "held at the bound";
  Mouse(WM_LBUTTONUP, 300, 900);
  EXPECT_FALSE(sizing->GetSizing());
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(panel->GetHeight(), 420) << "the form's lowest 80 pixels stay free";

  // Past the limit it cannot grow.
  Mouse(WM_LBUTTONDOWN, 300, 417, MK_LBUTTON);
  EXPECT_EQ(sizing->GetMaxPos(), 0);
  Mouse(WM_LBUTTONUP, 300, 417);
}

TEST_F(PanelSplitter, ABottomPanelReleased30AboveGrowsUpwards) {
  TEIPanel* panel = Flat(alBottom, 100);
  ASSERT_EQ(Strip(panel), (TRect{0, 400, 600, 404}));
  Mouse(WM_LBUTTONDOWN, 300, 400, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, 300, 370, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 300, 370);
  Pump();
  EXPECT_EQ(panel->GetHeight(), 100 + 30 + 4);
  EXPECT_EQ(panel->GetTop() + panel->GetHeight(), 500) << "the bottom edge stays";
  // Released where pressed: a bottom panel grows by the strip's thickness.
  Mouse(WM_LBUTTONDOWN, 300, panel->GetTop(), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 300, panel->GetTop());
  EXPECT_EQ(panel->GetHeight(), 138);
}

TEST_F(PanelSplitter, OnlyAPlainLeftPressSizesAndTheSizeKeepsItsMinimum) {
  TEIPanel* panel = Flat(alLeft, 150);
  const TRect strip = Strip(panel);
  const int x = strip.Left + 1, y = 200;
  const int dcs = GetLiveDCCount();
  StartDrawRecording();
  Mouse(WM_RBUTTONDOWN, x, y, MK_RBUTTON);
  EXPECT_FALSE(panel->GetSplitterControl()->GetSizing());
  Mouse(WM_RBUTTONUP, x, y);
  Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON | MK_CONTROL);
  EXPECT_FALSE(panel->GetSplitterControl()->GetSizing());
  Mouse(WM_LBUTTONUP, x, y);
  for (const TDrawRecord& r : StopDrawRecording()) EXPECT_NE(r.Op, "LineTo") << "no line drawn";

  // Dragged far past the title bar: the size stops at title bar and strip. (A moment later,
  // or the press would complete a double-click with the one before.)
  SetMessageTime(GetMessageTime() + GetDoubleClickTime() + 1);
  Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
  EXPECT_EQ(panel->GetSplitterControl()->GetMinPos(), 16 + 4 + 2 - 150);
  Mouse(WM_MOUSEMOVE, 0, y, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 0, y);
  EXPECT_EQ(panel->GetWidth(), 22 + 4 - 4) << "the line stops 2 past the title bar";
  EXPECT_EQ(GetLiveDCCount(), dcs);
}

TEST_F(PanelSplitter, LiveSizingResizesOnEveryMoveAndDrawsNoLine) {
  TEIPanel* panel = Flat(alTop, 100);
  panel->SetLiveSplit(true);
  StartDrawRecording();
  Mouse(WM_LBUTTONDOWN, 300, 97, MK_LBUTTON);
  // Pressed 1 into the strip, the strip's top follows the mouse.
  Mouse(WM_MOUSEMOVE, 300, 127, MK_LBUTTON);
  EXPECT_EQ(panel->GetHeight(), 131);
  Mouse(WM_MOUSEMOVE, 300, 157, MK_LBUTTON);
  EXPECT_EQ(panel->GetHeight(), 161);
  Mouse(WM_LBUTTONUP, 300, 157);
  for (const TDrawRecord& r : StopDrawRecording()) EXPECT_NE(r.Op, "LineTo");
  EXPECT_FALSE(panel->GetSplitterControl()->GetSizing());
  EXPECT_EQ(panel->GetHeight(), 161) << "released where the last move left it: no jump";
}

TEST_F(PanelSplitter, AnUndockedPanelSizesNothingButGivesEverythingBack) {
  TEIPanel* panel = MakePanel(200, 100);
  const TRect before = Bounds(panel);
  const TRect strip = Strip(panel);
  Mouse(WM_LBUTTONDOWN, strip.Left + 1, 50, MK_LBUTTON);
  ASSERT_TRUE(panel->GetSplitterControl()->GetSizing());
  EXPECT_EQ(panel->GetSplitterControl()->GetMinPos(), 0);
  EXPECT_EQ(panel->GetSplitterControl()->GetMaxPos(), 0);
  Mouse(WM_MOUSEMOVE, strip.Left + 40, 50, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, strip.Left + 40, 50);
  EXPECT_FALSE(panel->GetSplitterControl()->GetSizing());
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(Bounds(panel), before);
}

}  // namespace
