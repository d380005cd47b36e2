// Where the title bar's buttons go: the standard ones on every side and with other visible
// sets, user buttons, the lock, and the room left for the caption.
#include "PanelFixture.h"

namespace {

using PanelLayout = TPanelFixture;

// The places of the standard buttons, in the title bar, in their layout order; hidden ones
// are left out.
std::vector<TPoint> StandardPlaces(TEIPanel* panel) {
  std::vector<TPoint> places;
  for (TTitleBarButtonID id : {tbbeX, tbbeHelp, tbbeMinMax, tbbeLeft, tbbeRight, tbbeTop, tbbeBottom, tbbeFloat}) {
    TTitleBarButton* b = panel->GetTitleBarButtonFromID(id);
    if (b->GetVisible()) places.push_back({b->GetLeft(), b->GetTop()});
  }
  return places;
}

TEST_F(PanelLayout, TheStandardButtonsFollowEachOtherFromTheOuterEnd) {
  struct Case {
    const char* name;
    TTitleBarAlign side;
    int width;
    TTitleBarButtonIDs visible;
    std::vector<TPoint> places;
    Integer end, room;
  } cases[] = {
      {"left", talLeft, 200, DefaultTitleBarButtons, {{2, 2}, {2, 14}, {2, 26}, {2, 38}, {2, 50}}, 62, 62},
      {"right", talRight, 200, DefaultTitleBarButtons, {{2, 2}, {2, 14}, {2, 26}, {2, 38}, {2, 50}}, 62, 62},
      {"top", talTop, 200, DefaultTitleBarButtons, {{185, 2}, {173, 2}, {161, 2}, {149, 2}, {137, 2}}, 125, 137},
      {"bottom, 150 wide", talBottom, 150, DefaultTitleBarButtons, {{135, 2}, {123, 2}, {111, 2}, {99, 2}, {87, 2}}, 75, 87},
      {"help shown: the docking buttons one slot on",
       talTop,
       200,
       DefaultTitleBarButtons + TTitleBarButtonIDs{tbbeHelp},
       {{185, 2}, {173, 2}, {161, 2}, {149, 2}, {137, 2}, {125, 2}},
       113,
       125},
      {"close hidden: the others one slot out",
       talLeft,
       200,
       DefaultTitleBarButtons - TTitleBarButtonIDs{tbbeX},
       {{2, 2}, {2, 14}, {2, 26}, {2, 38}},
       50,
       50},
      {"all eight", talLeft, 200, TTitleBarButtonIDs::FromBits(0xFF),
       {{2, 2}, {2, 14}, {2, 26}, {2, 38}, {2, 50}, {2, 62}, {2, 74}, {2, 86}}, 98, 0},
      {"too narrow for all", talTop, 40, DefaultTitleBarButtons, {{25, 2}, {13, 2}, {1, 2}, {-11, 2}, {-23, 2}}, -35, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TEIPanel* panel = MakePanel(c.width, 96);
    panel->SetTitleBarAlign(c.side);
    panel->SetTitleBarButtonVisible(c.visible);
    EXPECT_EQ(StandardPlaces(panel), c.places);
    EXPECT_EQ(panel->GetButtonLayoutEnd(), c.end);
    EXPECT_EQ(panel->TitleBarVisibleWidth(), c.room);
    EXPECT_EQ(panel->TitleBarHeight(), 16);
    const bool vertical = c.side == talLeft || c.side == talRight;
    EXPECT_EQ(panel->IsTitleBarVertical(), vertical);
    const TAlign aligned[] = {alLeft, alRight, alTop, alBottom};
    EXPECT_EQ(panel->GetTitleBar()->GetAlign(), aligned[c.side]);
    for (TTitleBarButtonID id : {tbbeX, tbbeLeft, tbbeHelp})
      EXPECT_EQ(panel->GetTitleBarButtonFromID(id)->GetBoundsRect().Width(), 12);
    panel->Free();
  }
}

TEST_F(PanelLayout, TheButtonsFollowTheSizeAndTheFlags) {
  TEIPanel* panel = MakePanel();
  panel->SetTitleBarAlign(talTop);
  panel->SetWidth(260);
  EXPECT_EQ(panel->GetTitleBarButtonFromID(tbbeX)->GetLeft(), 245) << "laid out again after a resize";

  panel->SetTitleBarButtonEnabled({tbbeX, tbbeTop});
  panel->SetTitleBarButtonFlat(true);
  for (TTitleBarButtonID id : {tbbeX, tbbeLeft, tbbeRight, tbbeTop, tbbeBottom}) {
    SCOPED_TRACE(GetEnumName(&TTitleBarButtonID_TypeInfo, id));
    EXPECT_EQ(panel->GetTitleBarButtonFromID(id)->GetEnabled(), id == tbbeX || id == tbbeTop);
    EXPECT_TRUE(panel->GetTitleBarButtonFromID(id)->GetFlat());
  }

  // A hidden title bar lays nothing out; showing it again does.
  panel->SetTitleBarVisible(false);
  panel->SetTitleBarButtonVisible(DefaultTitleBarButtons - TTitleBarButtonIDs{tbbeX});
  EXPECT_EQ(panel->GetTitleBarButtonFromID(tbbeLeft)->GetLeft(), 233);
  EXPECT_TRUE(panel->GetTitleBarButtonFromID(tbbeX)->GetVisible());
  panel->SetTitleBarVisible(true);
  EXPECT_EQ(panel->GetTitleBarButtonFromID(tbbeLeft)->GetLeft(), 245);
  EXPECT_FALSE(panel->GetTitleBarButtonFromID(tbbeX)->GetVisible());

  // Between the lock and the unlock nothing moves; then everything at once.
  panel->LockButtonUpdate();
  panel->SetTitleBarAlign(talLeft);
  panel->SetTitleBarButtonVisible(DefaultTitleBarButtons);
  EXPECT_EQ(panel->GetTitleBar()->GetAlign(), alTop);
  EXPECT_EQ(panel->GetTitleBarButtonFromID(tbbeLeft)->GetLeft(), 245);
  panel->UnlockButtonUpdate();
  EXPECT_EQ(panel->GetTitleBar()->GetAlign(), alLeft);
  EXPECT_EQ(StandardPlaces(panel), (std::vector<TPoint>{{2, 2}, {2, 14}, {2, 26}, {2, 38}, {2, 50}}));
}

// A click on a standard button lets the lock go without laying out.
TEST_F(PanelLayout, AStandardButtonClickReleasesTheLock) {
  TEIPanel* panel = MakePanel();
  TEventLog events;
  events.CancelWith = true;
  panel->OnButtonClick = MethodOf<&TEventLog::Button>(&events);
  panel->LockButtonUpdate();
  panel->SetTitleBarButtonVisible(DefaultTitleBarButtons + TTitleBarButtonIDs{tbbeHelp});
  Click(11 + 2 + 6, 11 + 26 + 6);  // Right
  EXPECT_EQ(events.Log, (TMessageLog{"Button tbbeRight"}));
  EXPECT_FALSE(panel->GetTitleBarButtonFromID(tbbeHelp)->GetVisible()) << "no layout at the click";
  panel->SetTitleBarFilling(true);  // the same: lays out nothing
  panel->SetTitleBarButtonFlat(true);
  EXPECT_TRUE(panel->GetTitleBarButtonFromID(tbbeHelp)->GetVisible()) << "the next change lays out";
}

// Close, help, min/max, the docking buttons, float, then the user buttons in list order; on a
// vertical bar each as high as its item's Width.
TEST_F(PanelLayout, UserButtonsComeAfterTheStandardOnes) {
  TEIPanel* panel = MakePanel(200, 200);
  TTitleBarBtn* first = panel->AddButton();
  TTitleBarBtn* second = panel->AddButton();
  first->SetButtonID(1);
  second->SetButtonID(2);
  TTitleBarButton* c1 = panel->GetTitleBarButton(0);
  TTitleBarButton* c2 = panel->GetTitleBarButton(1);
  EXPECT_FALSE(c1->GetVisible()) << "a new button is hidden";
  EXPECT_EQ(c1->GetParent(), panel->GetTitleBar());
  EXPECT_EQ(c1->GetOwner(), panel->GetTitleBar());

  first->SetWidth(30);
  first->SetVisible(true);
  second->SetVisible(true);
  EXPECT_EQ(c1->GetBoundsRect(), (TRect{2, 62, 14, 92}));
  EXPECT_EQ(c2->GetBoundsRect(), (TRect{2, 92, 14, 104}));
  EXPECT_TRUE(c1->GetVertical());
  EXPECT_EQ(panel->GetButtonLayoutEnd(), 104);

  panel->ExchangeButtons(0, 1);
  EXPECT_EQ(c2->GetBoundsRect(), (TRect{2, 62, 14, 74}));
  EXPECT_EQ(c1->GetBoundsRect(), (TRect{2, 74, 14, 104}));
  panel->ExchangeButtons(0, 2);  // past the end: nothing
  EXPECT_EQ(panel->GetTitleBarBtn(0), second);

  // Across: each as wide as its item's Width, the running position moving left by it.
  panel->SetTitleBarAlign(talTop);
  EXPECT_FALSE(c1->GetVertical());
  EXPECT_EQ(c2->GetBoundsRect(), (TRect{125, 2, 137, 14}));
  EXPECT_EQ(c1->GetBoundsRect(), (TRect{95, 2, 125, 14}));
  EXPECT_EQ(panel->GetButtonLayoutEnd(), 83);
  EXPECT_EQ(panel->TitleBarVisibleWidth(), 95);

  panel->DeleteButton(0);
  EXPECT_EQ(panel->ButtonCount(), 1);
  EXPECT_EQ(panel->GetTitleBarBtn(0), first);
  EXPECT_EQ(c1->GetBoundsRect(), (TRect{107, 2, 137, 14})) << "laid out again";
  panel->DeleteButton(1);  // past the end: nothing
  EXPECT_EQ(panel->ButtonCount(), 1);
  panel->ClearButtons();
  EXPECT_EQ(panel->ButtonCount(), 0);
  EXPECT_EQ(panel->GetButtonLayoutEnd(), 125);
}

// Lookups by ButtonID find the first item with it, so the later item's changes go to the
// first one's control.
TEST_F(PanelLayout, ItemsSharingAButtonIDUpdateTheFirstOnesControl) {
  TEIPanel* panel = MakePanel();
  TTitleBarBtn* first = panel->AddButton();
  TTitleBarBtn* second = panel->AddButton();
  EXPECT_EQ(second->GetIndex(), 0);
  second->SetCaption("Second");
  EXPECT_EQ(panel->GetTitleBarButton(0)->GetCaption(), "Second");
  EXPECT_EQ(panel->GetTitleBarButton(1)->GetCaption(), "");
  EXPECT_EQ(panel->GetTitleBarBtnFromID(0), first);
  second->SetButtonID(7);
  EXPECT_EQ(second->GetIndex(), 1);
  EXPECT_EQ(panel->GetTitleBarBtnFromID(7), second);
  EXPECT_EQ(panel->GetIndexFromID(8), -1);
  EXPECT_EQ(panel->GetTitleBarBtnFromID(8), nullptr);
}

// Looks go to the control at once; only Visible and Width lay the title bar out.
TEST_F(PanelLayout, AnItemPushesEachChangeIntoItsControl) {
  TEIPanel* panel = MakePanel();
  TTitleBarBtn* item = panel->AddButton();
  item->SetButtonID(3);
  item->SetVisible(true);
  TTitleBarButton* control = panel->GetTitleBarButton(0);
  item->SetCaption("Go");
  item->SetHint("Runs it");
  item->SetEnabled(false);
  item->SetGroupIndex(4);
  item->SetAllowAllUp(true);
  item->GetFont()->SetSize(9);
  EXPECT_EQ(control->GetCaption(), "Go");
  EXPECT_EQ(control->GetHint(), "Runs it");
  EXPECT_FALSE(control->GetEnabled());
  EXPECT_EQ(control->GetGroupIndex(), 4);
  EXPECT_TRUE(control->GetAllowAllUp());
  EXPECT_EQ(control->GetFont()->GetSize(), 9);
  EXPECT_EQ(control->GetLayout(), blGlyphBottom) << "glyph left reads from the bottom";
  item->SetLayout(tblGlyphRight);
  EXPECT_EQ(control->GetLayout(), blGlyphTop);

  auto* glyph = new TBitmap();
  glyph->LoadFromResourceName(PanelModule(), TitleBarGlyphNames[tbbeHelp]);
  item->SetGlyph(glyph);
  EXPECT_EQ(item->GetGlyph(), glyph) << "held, not copied";
  EXPECT_NE(control->GetGlyph(), glyph) << "the control has its own copy";
  EXPECT_EQ(control->GetGlyph()->GetWidth(), 8);
  auto* other = new TBitmap();
  item->SetGlyph(other);  // the first one is the caller's again
  EXPECT_TRUE(control->GetGlyph()->Empty()) << "an empty glyph empties the control's";
  glyph->Free();

  // Moved only by a layout.
  control->SetTop(150);
  item->SetCaption("Stop");
  item->SetButtonID(3);
  EXPECT_EQ(control->GetTop(), 150);
  item->SetWidth(20);
  EXPECT_EQ(control->GetBoundsRect(), (TRect{2, 62, 14, 82}));

  item->SetEnabled(true);
  EXPECT_FALSE(item->GetDown());
  item->SetDown(true);
  EXPECT_TRUE(control->GetDown());
  EXPECT_TRUE(item->GetDown());
}

TEST_F(PanelLayout, AnItemWithoutAPanelKeepsItsValuesToItself) {
  auto* item = new TTitleBarBtn(nullptr);
  item->SetCaption("Alone");
  item->SetVisible(true);
  item->SetDown(true);
  EXPECT_FALSE(item->GetDown());
  EXPECT_EQ(item->GetIndex(), -1);
  auto* menu = new TPopupMenu(Form);
  item->Popup(menu);
  EXPECT_EQ(menu->GetPopupPoint(), (TPoint{0, 0}));
  item->Free();
}

// Below the button on a horizontal title bar, right of it on a vertical one, in screen
// coordinates.
TEST_F(PanelLayout, APopupOpensBesideItsButton) {
  TEIPanel* panel = MakePanel();
  TTitleBarBtn* item = panel->AddButton();
  item->SetVisible(true);
  auto* menu = new TPopupMenu(Form);
  item->Popup(menu);
  // The bar at (1, 1) in the panel at (10, 10); the button at (2, 62) in the bar, 12 x 12.
  EXPECT_EQ(item->Rect(), (TRect{13, 73, 25, 85}));
  EXPECT_EQ(menu->GetPopupPoint(), (TPoint{25, 73}));
  panel->SetTitleBarAlign(talTop);
  item->Popup(menu);
  EXPECT_EQ(item->Rect(), (TRect{136, 13, 148, 25}));
  EXPECT_EQ(menu->GetPopupPoint(), (TPoint{136, 25}));
}

TEST_F(PanelLayout, BadIndexesReachTheListOrAreIgnored) {
  TEIPanel* panel = MakePanel();
  panel->AddButton();
  EXPECT_EQ(panel->GetTitleBarButton(1), nullptr);
  EXPECT_EQ(panel->GetTitleBarBtn(5), nullptr);
  EXPECT_THROW(panel->GetTitleBarButton(-1), EListError);
  EXPECT_THROW(panel->GetTitleBarBtn(-1), EListError);
  EXPECT_THROW(panel->DeleteButton(-1), EListError);
  EXPECT_THROW(panel->ExchangeButtons(-1, 0), EListError);
  EXPECT_THROW(panel->InsertButton(2), EListError);
  EXPECT_THROW(panel->InsertButton(-1), EListError);
  EXPECT_EQ(panel->ButtonCount(), 1) << "nothing inserted by a refused index";
  EXPECT_EQ(panel->GetTitleBar()->GetControlCount(), 9);
  TTitleBarBtn* inserted = panel->InsertButton(0);
  EXPECT_EQ(panel->GetTitleBarBtn(0), inserted);
  EXPECT_EQ(panel->ButtonCount(), 2);
}

}  // namespace
