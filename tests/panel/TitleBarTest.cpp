// The title bar: where its icon and caption go on each side, the owner painter and Filling,
// and the drag events a press and moves make.
#include "PanelFixture.h"

namespace {

class TitleBarTest : public TPanelFixture {
 protected:
  // A title bar aligned to a side of a plain 200 x 200 container at (10, 10) on the form.
  TTitleBar* MakeBar(TAlign align, bool icon) {
    auto* box = new TPanel(Form);
    box->SetBevelOuter(bvNone);
    box->SetBounds(10, 10, 200, 200);
    box->SetParent(Form);
    auto* bar = new TTitleBar(box);
    bar->SetParent(box);
    bar->SetBounds(0, 0, 16, 16);
    bar->SetAlign(align);
    bar->SetCaption("Title");
    bar->GetFont()->SetStyle({fsBold});
    if (icon) {
      TIcon* i = MakeIcon();
      bar->SetIcon(i);
      i->Free();
    }
    Pump();
    return bar;
  }
  // One repaint's records of the given kind, in the title bar's client coordinates.
  static std::vector<TDrawRecord> Drawn(TTitleBar* bar, const char* op) {
    StartDrawRecording();
    bar->Repaint();
    std::vector<TDrawRecord> kept;
    for (const TDrawRecord& r : StopDrawRecording())
      if (r.Op == op && r.Window == bar->GetHandle()) kept.push_back(r);
    return kept;
  }
};

TEST_F(TitleBarTest, IconAndCaptionOnEachSide) {
  struct Case {
    TAlign align;
    bool icon;
    const char* textOp;
    TRect text;  // DrawText: the line's box; turned TextOut: Left and Bottom are the start
    TPoint icon_at;
  } cases[] = {
      {alTop, true, "DrawText", {22, 1, 0, 14}, {0, 0}},
      {alBottom, false, "DrawText", {6, 1, 0, 14}, {}},
      {alLeft, false, "TextOut", {1, 0, 0, 194}, {}},
      {alRight, true, "TextOut", {1, 0, 0, 178}, {0, 184}},
      {alNone, true, "DrawText", {22, 1, 0, 14}, {0, 0}},  // 16 x 16: the icon at (0, Height - 16)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(GetEnumName(&TAlign_TypeInfo, c.align));
    TTitleBar* bar = MakeBar(c.align, c.icon);
    bar->GetFont()->SetHeight(13);  // the cell height of the worked example
    const std::vector<TDrawRecord> text = Drawn(bar, c.textOp);
    ASSERT_EQ(bar->GetCanvas()->TextHeight("W"), 13);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].Text, "Title");
    EXPECT_EQ(text[0].Color, ColorToRGB(bar->GetFont()->GetColor()));
    EXPECT_EQ(text[0].Rect.Left, c.text.Left);
    if (std::string(c.textOp) == "DrawText") {
      EXPECT_EQ(text[0].Escapement, 0);
      EXPECT_EQ(text[0].Rect.Top, c.text.Top);
      EXPECT_EQ(text[0].Rect.Bottom, c.text.Bottom);
    } else {
      EXPECT_EQ(text[0].Escapement, 900);
      EXPECT_EQ(text[0].Rect.Top, c.text.Bottom);  // the start point
    }
    const std::vector<TDrawRecord> icons = Drawn(bar, "DrawIconEx");
    ASSERT_EQ(icons.size(), c.icon ? 1u : 0u);
    if (c.icon) {
      EXPECT_EQ(icons[0].Rect, (TRect{c.icon_at.X, c.icon_at.Y, c.icon_at.X + 16, c.icon_at.Y + 16}));
    }
    bar->GetParent()->Free();
  }
}

// The line is one "W" high: a second line is clipped away, and the buttons (children) cover
// the end of a long caption.
TEST_F(TitleBarTest, AHorizontalCaptionShowsOneLine) {
  TTitleBar* bar = MakeBar(alTop, false);
  bar->SetCaption("Upper\nLower");
  Pump();
  const TPoint o = bar->ClientToScreen({0, 0});
  int ink = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 6; x < 60; ++x) ink += Pixel(o.X + x, o.Y + y) == ColorToRGB(bar->GetFont()->GetColor());
  EXPECT_GT(ink, 10) << "the first line shows";
  for (int x = 0; x < 200; ++x) EXPECT_EQ(Pixel(o.X + x, o.Y + 15), ColorToRGB(bar->GetColor())) << x;
}

// Turned to read upward, an "L" lies with its stem along the bottom and its foot rising at the
// right; turned the other way the stem would be at the top and the foot at the left.
TEST_F(TitleBarTest, TheTurnedCaptionReadsUpward) {
  TTitleBar* bar = MakeBar(alLeft, false);
  bar->SetCaption("L");
  bar->GetFont()->SetSize(12);
  Pump();
  const TPoint o = bar->ClientToScreen({0, 0});
  const COLORREF ink = ColorToRGB(bar->GetFont()->GetColor());
  int lowest = -1, rightmost = -1;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 16; ++x)
      if (Pixel(o.X + x, o.Y + y) == ink) {
        lowest = std::max(lowest, y);
        rightmost = std::max(rightmost, x);
      }
  ASSERT_GT(lowest, 150) << "the caption starts near the bottom";
  int stem = 0, foot = 0;
  for (int x = 0; x < 16; ++x) stem += Pixel(o.X + x, o.Y + lowest) == ink;
  for (int y = 0; y < 200; ++y) foot += Pixel(o.X + rightmost, o.Y + y) == ink;
  EXPECT_GT(stem, 6) << "the stem lies along the bottom row";
  EXPECT_GT(foot, 3) << "the foot rises from the stem's right end";
  EXPECT_LT(foot, stem);
}

TEST_F(TitleBarTest, AnOwnerPainterCanTakeOverAndOnlyItCanLeaveTheBackgroundUnfilled) {
  TTitleBar* bar = MakeBar(alTop, true);
  StartDrawRecording();
  bar->SetFilling(false);  // no painter: always filled
  EXPECT_TRUE(StopDrawRecording().empty());
  EXPECT_TRUE(bar->GetFilling());

  TEventLog events;
  bar->SetOnPaint(MethodOf<&TEventLog::Paint>(&events));
  EXPECT_TRUE(bar->GetFilling());
  EXPECT_EQ(Drawn(bar, "DrawText").size(), 1u) << "not cancelled: caption over the painter";
  events.CancelWith = true;
  EXPECT_TRUE(Drawn(bar, "DrawText").empty());
  EXPECT_TRUE(Drawn(bar, "DrawIconEx").empty());
  EXPECT_EQ(Drawn(bar, "FillRect").size(), 1u) << "the background still filled";

  StartDrawRecording();
  bar->SetFilling(false);
  EXPECT_TRUE(StopDrawRecording().empty()) << "switching off does not repaint";
  EXPECT_FALSE(bar->GetFilling());
  EXPECT_TRUE(Drawn(bar, "FillRect").empty());
  StartDrawRecording();
  bar->SetFilling(true);
  EXPECT_FALSE(StopDrawRecording().empty()) << "switching on repaints";
  EXPECT_EQ(events.Log.size(), 6u);
}

TEST_F(TitleBarTest, PressAndMovesMakeDragEvents) {
  struct Case {
    const char* name;
    bool allowed, startHandler;
    std::vector<TPoint> moves;  // client points after a press at (40, 5)
    TMessageLog expected;
  } cases[] = {
      {"5 on both axes is no drag", true, true, {{45, 10}, {35, 0}}, {}},
      {"6 on one axis starts it at that point", true, true, {{45, 10}, {46, 5}, {50, 6}}, {"Start 46,5", "Move 50,6", "End 50,6"}},
      {"upward and leftward count too", true, true, {{40, -1}, {20, 5}}, {"Start 40,-1", "Move 20,5", "End 20,5"}},
      {"not allowed", false, true, {{60, 5}, {70, 5}}, {}},
      {"no start handler, no drag", true, false, {{60, 5}, {70, 5}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTitleBar* bar = MakeBar(alTop, false);
    TEventLog events;
    bar->SetDragAllowed(c.allowed);
    if (c.startHandler) bar->OnTitleBarStartDrag = MethodOf<&TEventLog::Start>(&events);
    bar->OnTitleBarDoDrag = MethodOf<&TEventLog::Move>(&events);
    bar->OnTitleBarEndDrag = MethodOf<&TEventLog::End>(&events);
    const TPoint o = bar->ClientToScreen({0, 0});
    Mouse(WM_LBUTTONDOWN, o.X + 40, o.Y + 5, 1);
    for (TPoint p : c.moves) Mouse(WM_MOUSEMOVE, o.X + p.X, o.Y + p.Y, 1);
    const TPoint last = c.moves.back();
    Mouse(WM_LBUTTONUP, o.X + last.X, o.Y + last.Y);
    EXPECT_EQ(events.Log, c.expected);

    // The release left the bar idle: moves without a press make nothing.
    events.Log.clear();
    bar->OnTitleBarStartDrag = MethodOf<&TEventLog::Start>(&events);
    bar->SetDragAllowed(true);
    Mouse(WM_MOUSEMOVE, o.X + 100, o.Y + 8);
    Mouse(WM_MOUSEMOVE, o.X + 120, o.Y + 8);
    EXPECT_TRUE(events.Log.empty());
    bar->GetParent()->Free();
  }
}

// Dragging switched off during a drag: the release ends the drag without an end event.
TEST_F(TitleBarTest, AReleaseAfterDraggingWasSwitchedOffSendsNoEndButResets) {
  TTitleBar* bar = MakeBar(alTop, false);
  TEventLog events;
  bar->SetDragAllowed(true);
  bar->OnTitleBarStartDrag = MethodOf<&TEventLog::Start>(&events);
  bar->OnTitleBarEndDrag = MethodOf<&TEventLog::End>(&events);
  const TPoint o = bar->ClientToScreen({0, 0});
  Mouse(WM_LBUTTONDOWN, o.X + 40, o.Y + 5, 1);
  Mouse(WM_MOUSEMOVE, o.X + 60, o.Y + 5, 1);
  bar->SetDragAllowed(false);
  Mouse(WM_LBUTTONUP, o.X + 60, o.Y + 5);
  bar->SetDragAllowed(true);
  Mouse(WM_MOUSEMOVE, o.X + 90, o.Y + 5, 1);
  EXPECT_EQ(events.Log, (TMessageLog{"Start 60,5"}));
}

}  // namespace
