// What laying out the title bar costs in allocations.
#include "PanelFixture.h"
#include "support/AllocationCounter.h"

namespace {

// A panel that counts what its layout after each size change allocates.
class TCountingPanel : public TEIPanel {
 public:
  explicit TCountingPanel(TComponent* AOwner) : TEIPanel(AOwner) {}
  bool Counting = false;
  long Layouts = 0;

 protected:
  void Resize() override {
    CountAllocations(Counting);
    TEIPanel::Resize();
    CountAllocations(false);
    ++Layouts;
  }
};

// A panel that counts what its drag moves and splitter moves allocate.
class TCountingMovePanel : public TEIPanel {
 public:
  explicit TCountingMovePanel(TComponent* AOwner) : TEIPanel(AOwner) {}
  long Moves = 0;

 protected:
  void DoTitleBarDragMove(TObject* Sender, Integer X, Integer Y) override {
    CountAllocations(true);
    TEIPanel::DoTitleBarDragMove(Sender, X, Y);
    CountAllocations(false);
    ++Moves;
  }
  void DoSplitterMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y) override {
    CountAllocations(true);
    TEIPanel::DoSplitterMouseMove(Sender, Shift, X, Y);
    CountAllocations(false);
    ++Moves;
  }
};

using PanelAllocation = TPanelFixture;

TEST_F(PanelAllocation, LayingOutTheTitleBarAfterASizeChangeAllocatesNothing) {
  for (TTitleBarAlign side : {talTop, talLeft}) {
    SCOPED_TRACE(GetEnumName(&TTitleBarAlign_TypeInfo, side));
    auto* panel = new TCountingPanel(Form);
    panel->SetBounds(10, 10, 200, 100);
    panel->SetTitleBarAlign(side);
    panel->SetTitleBarButtonVisible(TTitleBarButtonIDs::FromBits(0xFF));
    panel->SetParent(Form);
    for (int i = 0; i < 2; ++i) {
      TTitleBarBtn* b = panel->AddButton();
      b->SetButtonID(i + 1);
      b->SetCaption("User");
      b->SetWidth(30);
      b->GetGlyph()->LoadFromResourceName(PanelModule(), TitleBarGlyphNames[tbbeHelp]);
      b->SetVisible(true);
    }
    Pump();
    ResetAllocationCount();
    panel->Counting = true;
    const long before = panel->Layouts;
    // Each size differs from the one before it, so each is a change.
    for (int i = 0; i < 100; ++i) panel->SetBounds(10, 10, 201 + i % 7, 100 + i % 5);
    panel->Counting = false;
    EXPECT_EQ(panel->Layouts - before, 100) << "each size change laid the title bar out";
    EXPECT_EQ(CountedAllocations(), 0);
    Pump();
    panel->Free();
  }
}

// Each move of a drag erases the outline and draws it anew, two XOR drawings on the context
// taken when the drag began, and allocates nothing; the same for the splitter's line.
TEST_F(PanelAllocation, AMoveDuringADragDrawsTwoOutlinesAndAllocatesNothing) {
  auto* panel = new TCountingMovePanel(Form);
  panel->SetParent(Form);
  panel->SetAlign(alLeft);
  panel->SetWidth(60);
  Pump();
  struct Case {
    const char* What;
    TPoint Press;
    const char* Op;
  } cases[] = {{"title bar", {8, 150}, "DrawFocusRect"}, {"splitter", {57, 150}, "LineTo"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    Mouse(WM_LBUTTONDOWN, c.Press.X, c.Press.Y, 1);
    Mouse(WM_MOUSEMOVE, c.Press.X + 10, c.Press.Y + 10, 1);  // past the drag threshold
    const long moves = panel->Moves;
    ResetAllocationCount();
    for (int i = 0; i < 20; ++i) Mouse(WM_MOUSEMOVE, c.Press.X + 20 + i, c.Press.Y + 20 + i, 1);
    EXPECT_EQ(panel->Moves - moves, 20);
    EXPECT_EQ(CountedAllocations(), 0);
    StartDrawRecording();
    Mouse(WM_MOUSEMOVE, c.Press.X + 50, c.Press.Y + 50, 1);
    const std::vector<TDrawRecord> drawn = StopDrawRecording();
    ASSERT_EQ(drawn.size(), 2u);
    for (const TDrawRecord& r : drawn) EXPECT_EQ(r.Op, c.Op);
    Mouse(WM_LBUTTONUP, c.Press.X + 50, c.Press.Y + 50);
  }
  panel->Free();
}

}  // namespace
