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

}  // namespace
