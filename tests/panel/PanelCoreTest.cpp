// The panel itself: what a new panel is, alignment and size, the splitter strip's edge, the
// title bar's setters, and the deferred release.
#include "PanelFixture.h"

namespace {

using PanelCore = TPanelFixture;

TEST_F(PanelCore, ANewPanelHasATitleBarAlongItsLeftSideAndTheSplitterAtItsRight) {
  TEIPanel* panel = MakePanel();
  TTitleBar* bar = panel->GetTitleBar();
  EXPECT_EQ(Bounds(bar), (TRect{1, 1, 17, 99}));
  EXPECT_EQ(Bounds(panel->GetSplitter()), (TRect{195, 1, 199, 99}));
  EXPECT_EQ(Bounds(panel->GetTitleBarButtonFromID(tbbeX)), (TRect{2, 2, 14, 14}));
}

}  // namespace
