// The panel itself: what a new panel is, alignment and size, the splitter strip's edge, the
// title bar's setters, the standard buttons' clicks, the deferred release and destruction.
#include "PanelFixture.h"

namespace {

using PanelCore = TPanelFixture;

TEST_F(PanelCore, ANewPanelHasATitleBarAlongItsLeftSideAndTheSplitterAtItsRight) {
  TEIPanel* panel = MakePanel();
  TTitleBar* bar = panel->GetTitleBar();
  EXPECT_EQ(Bounds(bar), (TRect{1, 1, 17, 99}));
  EXPECT_EQ(Bounds(panel->GetSplitter()), (TRect{195, 1, 199, 99}));
  EXPECT_EQ(panel->GetSplitter()->GetCursor(), crHSplit);
  EXPECT_EQ(panel->GetSplitterAlign(), talRight);
  EXPECT_EQ(panel->GetAlign(), alNone);
  EXPECT_EQ(panel->GetBevelOuter(), bvRaised);
  EXPECT_EQ(panel->GetBevelInner(), bvNone);
  EXPECT_EQ(panel->GetCaption(), "");
  EXPECT_EQ(panel->GetTitleBarCaption(), "Title");
  EXPECT_EQ(panel->GetTitleBarColor(), clActiveCaption);
  EXPECT_EQ(panel->GetTitleBarFont()->GetColor(), clCaptionText);
  EXPECT_EQ(panel->GetTitleBarFont()->GetStyle(), TFontStyles{fsBold});
  EXPECT_EQ(panel->GetTitleBarFont()->GetName(), "Arial");
  EXPECT_TRUE(panel->GetDragable());
  EXPECT_TRUE(panel->GetTitleBar()->GetShowHint());
  EXPECT_TRUE(panel->GetTitleBarFilling());
  EXPECT_TRUE(panel->GetTitleBarIcon()->Empty());
  EXPECT_EQ(panel->GetTitleBarButtonVisible().Bits(), 0x1F);
  EXPECT_EQ(panel->GetTitleBarButtonEnabled().Bits(), 0x1F);
  EXPECT_FALSE(panel->GetLiveSplit());
  EXPECT_EQ(panel->GetSize(), 100);
  for (int id = tbbeX; id <= tbbeHelp; ++id) {
    TTitleBarButton* b = panel->GetTitleBarButtonFromID(static_cast<TTitleBarButtonID>(id));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(panel->GetIDFromButton(b), id);
    EXPECT_EQ(b->GetOwner(), bar);
    EXPECT_EQ(b->GetLayout(), blGlyphRight);
    EXPECT_EQ(b->GetGlyph()->GetWidth(), 8);
    EXPECT_EQ(b->GetCaption(), "");
    EXPECT_EQ(b->GetVisible(), id <= tbbeBottom);
  }
  EXPECT_EQ(panel->GetIDFromButton(nullptr), tbbeFloat);

  // As a person sees it: the caption's ink in the caption colour on the active-caption fill.
  const COLORREF fill = ColorToRGB(clActiveCaption), ink = ColorToRGB(clCaptionText);
  EXPECT_EQ(Pixel(11, 11 + 80), fill);
  int inked = 0;
  for (int y = 11 + 62; y < 11 + 98; ++y)
    for (int x = 11; x < 11 + 16; ++x) inked += Pixel(x, y) == ink;
  EXPECT_GT(inked, 20) << "the turned bold caption";
}

// Changing sides moves the splitter strip to the inner edge and tells OnAlign once.
TEST_F(PanelCore, AlignmentMovesTheSplitterToTheInnerEdge) {
  auto* host = new TPanel(Form);
  host->SetBounds(0, 0, 300, 220);
  host->SetParent(Form);
  auto* panel = new TEIPanel(host);
  panel->SetBounds(10, 10, 120, 80);
  panel->SetParent(host);
  TEventLog events;
  panel->OnAlign = MethodOf<&TEventLog::Align>(&events);
  struct Case {
    TAlign align;
    TTitleBarAlign splitter;
    TCursor cursor;
    TRect splitterBounds;
    Integer size;
  } cases[] = {
      // The host's client is 298 x 218.
      {alTop, talBottom, crVSplit, {1, 75, 297, 79}, 80},
      {alBottom, talTop, crVSplit, {1, 1, 297, 5}, 80},
      {alLeft, talRight, crHSplit, {115, 1, 119, 217}, 120},
      {alRight, talLeft, crHSplit, {1, 1, 5, 217}, 120},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(GetEnumName(&TAlign_TypeInfo, c.align));
    panel->SetAlign(c.align);
    panel->SetAlign(c.align);
    EXPECT_EQ(panel->GetSplitterAlign(), c.splitter);
    EXPECT_EQ(panel->GetSplitter()->GetCursor(), c.cursor);
    panel->SetSize(c.align == alTop || c.align == alBottom ? 80 : 120);
    EXPECT_EQ(panel->GetSize(), c.size);
    EXPECT_EQ(panel->IsVertical(), c.align == alLeft || c.align == alRight);
    EXPECT_EQ(Bounds(panel->GetSplitter()), c.splitterBounds);
  }
  EXPECT_EQ(events.Log, (TMessageLog{"Align alTop", "Align alBottom", "Align alLeft", "Align alRight"}));
  // alNone and alClient leave the strip where it is.
  panel->SetAlign(alNone);
  EXPECT_EQ(panel->GetSplitterAlign(), talLeft);
  panel->SetSize(90);
  EXPECT_EQ(panel->GetHeight(), 90);
}

// The strip is the outermost child on its edge, and showing it puts it back there.
TEST_F(PanelCore, TheSplitterStripStaysAtTheVeryEdge) {
  TEIPanel* panel = MakePanel();
  panel->SetTitleBarAlign(talRight);
  EXPECT_EQ(Bounds(panel->GetTitleBar()), (TRect{179, 1, 195, 99}));
  EXPECT_EQ(Bounds(panel->GetSplitter()), (TRect{195, 1, 199, 99}));
  panel->SetSplitterVisible(false);
  EXPECT_EQ(Bounds(panel->GetTitleBar()), (TRect{183, 1, 199, 99}));
  panel->SetSplitterVisible(true);
  EXPECT_EQ(Bounds(panel->GetSplitter()), (TRect{195, 1, 199, 99}));
  EXPECT_EQ(Bounds(panel->GetTitleBar()), (TRect{179, 1, 195, 99}));
  // Top and bottom children take the whole width before the sides are placed.
  panel->SetSplitterAlign(talTop);
  EXPECT_EQ(Bounds(panel->GetSplitter()), (TRect{1, 1, 199, 5}));
  EXPECT_EQ(Bounds(panel->GetTitleBar()), (TRect{183, 5, 199, 99}));
  panel->SetSplitterColor(clRed);
  panel->SetSplitterBevel(bvLowered);
  EXPECT_EQ(panel->GetSplitter()->GetColor(), clRed);
  EXPECT_EQ(panel->GetSplitterBevel(), bvLowered);
}

// Setters that find their value already there do nothing: no repaint, no layout, no event.
TEST_F(PanelCore, SettersDoNothingWhenTheValueIsAlreadyThere) {
  TEIPanel* panel = MakePanel();
  TEventLog events;
  panel->OnAlign = MethodOf<&TEventLog::Align>(&events);
  // A button moved by hand stays where it is unless a layout runs.
  TTitleBarButton* x = panel->GetTitleBarButtonFromID(tbbeX);
  x->SetTop(40);
  Pump();
  StartDrawRecording();
  panel->SetAlign(alNone);
  panel->SetTitleBarAlign(talLeft);
  panel->SetTitleBarVisible(true);
  panel->SetTitleBarButtonVisible(DefaultTitleBarButtons);
  panel->SetTitleBarButtonEnabled(DefaultTitleBarButtons);
  panel->SetTitleBarButtonFlat(false);
  panel->SetTitleBarColor(clActiveCaption);
  panel->SetTitleBarCaption("Title");
  panel->SetTitleBarHint("");
  panel->SetTitleBarPopupMenu(nullptr);
  panel->SetTitleBarFilling(true);
  Pump();
  EXPECT_TRUE(StopDrawRecording().empty());
  EXPECT_EQ(x->GetTop(), 40);
  EXPECT_TRUE(events.Log.empty());

  panel->SetTitleBarHint("Drag me");
  EXPECT_EQ(panel->GetTitleBar()->GetHint(), "Drag me");
  panel->SetTitleBarCaption("Other");
  EXPECT_EQ(x->GetTop(), 40) << "a caption lays nothing out";
  panel->SetTitleBarButtonFlat(true);
  EXPECT_EQ(x->GetTop(), 2);
}

TEST_F(PanelCore, FontAndIconAreCopied) {
  TEIPanel* panel = MakePanel();
  auto* font = new TFont();
  font->SetName("Courier New");
  font->SetSize(10);
  panel->SetTitleBarFont(font);
  font->SetSize(12);
  EXPECT_EQ(panel->GetTitleBarFont()->GetName(), "Courier New");
  EXPECT_EQ(panel->GetTitleBarFont()->GetSize(), 10);
  font->Free();

  TIcon* icon = MakeIcon();
  panel->SetTitleBarIcon(icon);
  EXPECT_FALSE(panel->GetTitleBarIcon()->Empty());
  EXPECT_NE(panel->GetTitleBarIcon()->GetHandle(), icon->GetHandle());
  icon->Free();
  Pump();
  // Drawn at the bottom of the vertical bar after the copy's original is gone: (11, 11 + 98 - 16).
  EXPECT_EQ(Pixel(11 + 4, 11 + 98 - 16 + 8), RGB(255, 255, 255));
  panel->SetTitleBarIcon(nullptr);
  EXPECT_TRUE(panel->GetTitleBarIcon()->Empty());
}

// A panel that hears what reaches its default handling and when it goes.
class TProbePanel : public TEIPanel {
 public:
  TProbePanel(TComponent* AOwner, TMessageLog& Log) : TEIPanel(AOwner), FLog(&Log) {}
  void Destroy() override {
    FLog->push_back("freed");
    TEIPanel::Destroy();
  }
  void DefaultHandler(TMessage& Message) override {
    if (Message.Msg == CM_DOCKCLIENT) FLog->push_back("dock client " + std::to_string(Message.WParam) + "," + std::to_string(Message.LParam));
    TEIPanel::DefaultHandler(Message);
  }

 private:
  TMessageLog* FLog;
};

// The close button frees the panel only when the loop dispatches the release message, after
// the click and the button's mouse handling have returned.
TEST_F(PanelCore, TheCloseButtonReleasesThePanelFromTheMessageLoop) {
  TMessageLog log;
  auto* panel = new TProbePanel(Form, log);
  panel->SetBounds(10, 10, 200, 100);
  panel->SetParent(Form);
  Pump();
  TEventLog events;
  panel->OnButtonClick = MethodOf<&TEventLog::Button>(&events);
  TTitleBarButton* x = panel->GetTitleBarButtonFromID(tbbeX);
  MouseInput(WM_LBUTTONDOWN, {11 + 8, 11 + 8}, 1);
  MouseInput(WM_LBUTTONUP, {11 + 8, 11 + 8}, 0);
  // Dispatch the press and the release one message at a time: the click runs in the release.
  MSG msg;
  while (PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE) && msg.message != CM_EIPANELRELEASE) {
    PeekMessage(&msg, 0, 0, 0, PM_REMOVE);
    DispatchMessage(&msg);
  }
  EXPECT_EQ(events.Log, (TMessageLog{"Button tbbeX"}));
  EXPECT_TRUE(log.empty()) << "still alive after the click";
  EXPECT_EQ(x->GetState(), bsUp) << "the button finished its mouse handling";
  ASSERT_EQ(msg.message, CM_EIPANELRELEASE);
  EXPECT_EQ(msg.hwnd, panel->GetHandle());
  EXPECT_EQ(msg.wParam, 0xB038u);
  EXPECT_EQ(msg.lParam, 0xB038);
  const int before = Form->GetComponentCount();
  Pump();
  EXPECT_EQ(log, (TMessageLog{"freed"}));
  EXPECT_EQ(Form->GetComponentCount(), before - 1);
}

TEST_F(PanelCore, OtherReleaseParametersAreTheDockClientMessage) {
  TMessageLog log;
  auto* panel = new TProbePanel(Form, log);
  panel->SetParent(Form);
  SendMessage(panel->GetHandle(), CM_EIPANELRELEASE, 0xB038, 1);
  PostMessage(panel->GetHandle(), CM_EIPANELRELEASE, 0, 0xB038);
  Pump();
  EXPECT_EQ(log, (TMessageLog{"dock client 45112,1", "dock client 0,45112"}));
  // Two releases before the loop runs: the second dies with the window.
  panel->DoFree();
  panel->DoFree();
  Pump();
  EXPECT_EQ(log.back(), "freed");
  EXPECT_EQ(log.size(), 3u);
}

TEST_F(PanelCore, StandardButtonClicksAndTheirCancel) {
  TEIPanel* panel = MakePanel();
  TEventLog events;
  panel->OnButtonClick = MethodOf<&TEventLog::Button>(&events);
  panel->SetTitleBarButtonVisible(TTitleBarButtonIDs::FromBits(0xFF));
  panel->SetTitleBarButtonEnabled(TTitleBarButtonIDs::FromBits(0xFF));
  auto clickOn = [&](TTitleBarButtonID id) {
    TTitleBarButton* b = panel->GetTitleBarButtonFromID(id);
    const TPoint at = b->GetParent()->ClientToScreen({b->GetLeft() + 6, b->GetTop() + 6});
    Click(at.X, at.Y);
  };
  // Vetoed: nothing happens, not even the close.
  events.CancelWith = true;
  for (TTitleBarButtonID id : {tbbeX, tbbeTop}) clickOn(id);
  Pump();
  EXPECT_EQ(panel->GetAlign(), alNone);
  EXPECT_EQ(events.Log, (TMessageLog{"Button tbbeX", "Button tbbeTop"}));

  // Min/max on a panel aligned alNone: disabled, and a click does nothing.
  events.CancelWith = false;
  EXPECT_FALSE(panel->GetTitleBarButtonFromID(tbbeMinMax)->GetEnabled());
  EXPECT_FALSE(panel->GetTitleBarButtonEnabled().Contains(tbbeMinMax));
  panel->GetTitleBarButtonFromID(tbbeMinMax)->Click();
  EXPECT_FALSE(panel->GetMinimized());

  clickOn(tbbeLeft);
  EXPECT_EQ(panel->GetAlign(), alLeft);
  EXPECT_TRUE(panel->GetTitleBarButtonFromID(tbbeMinMax)->GetEnabled()) << "title bar and panel both vertical";
  EXPECT_TRUE(panel->GetTitleBarButtonEnabled().Contains(tbbeMinMax));
  clickOn(tbbeBottom);
  EXPECT_EQ(panel->GetAlign(), alBottom);
  EXPECT_FALSE(panel->GetTitleBarButtonEnabled().Contains(tbbeMinMax));
  clickOn(tbbeFloat);
  clickOn(tbbeHelp);
  EXPECT_EQ(panel->GetAlign(), alBottom) << "float and help have no default action";
  EXPECT_EQ(events.Log.back(), "Button tbbeHelp");
}

TEST_F(PanelCore, UserButtonClicksReportTheButtonID) {
  TEIPanel* panel = MakePanel();
  TEventLog events;
  panel->OnUserButtonClick = MethodOf<&TEventLog::UserButton>(&events);
  panel->OnButtonClick = MethodOf<&TEventLog::Button>(&events);
  TTitleBarBtn* item = panel->AddButton();
  item->SetButtonID(42);
  item->SetVisible(true);
  Click(11 + 8, 11 + 62 + 6);
  EXPECT_EQ(events.Log, (TMessageLog{"User 42"}));
  // An inserted button reports its clicks as an added one does.
  TTitleBarBtn* inserted = panel->InsertButton(0);
  inserted->SetButtonID(7);
  inserted->SetVisible(true);
  Click(11 + 8, 11 + 62 + 6);
  Click(11 + 8, 11 + 74 + 6);
  EXPECT_EQ(events.Log, (TMessageLog{"User 42", "User 7", "User 42"}));
}

TEST_F(PanelCore, ButtonHintsAndRemovedButtons) {
  TEIPanel* panel = MakePanel();
  panel->SetButtonHint(tbbeTop, "Dock at the top");
  EXPECT_EQ(panel->GetButtonHint(tbbeTop), "Dock at the top");
  EXPECT_EQ(panel->GetTitleBarButtonFromID(tbbeTop)->GetHint(), "Dock at the top");
  // A standard button freed by someone else is forgotten, and the layout goes on without it.
  panel->GetTitleBarButtonFromID(tbbeX)->Free();
  EXPECT_EQ(panel->GetTitleBarButtonFromID(tbbeX), nullptr);
  EXPECT_EQ(panel->GetButtonHint(tbbeX), "");
  panel->SetButtonHint(tbbeX, "gone");
  panel->SetTitleBarButtonFlat(true);
  EXPECT_EQ(panel->GetTitleBarButtonFromID(tbbeLeft)->GetTop(), 2);
  // The title bar takes the user buttons' controls with it; their items stay, without them.
  TTitleBarBtn* item = panel->AddButton();
  item->SetVisible(true);
  panel->GetTitleBar()->Free();
  EXPECT_EQ(panel->GetTitleBar(), nullptr);
  EXPECT_EQ(panel->GetTitleBarButtonFromID(tbbeLeft), nullptr);
  EXPECT_EQ(panel->ButtonCount(), 1);
  EXPECT_EQ(panel->GetTitleBarButton(0), nullptr);
  item->SetCaption("Still here");
  item->SetDown(true);
  EXPECT_FALSE(item->GetDown());
  panel->SetTitleBarButtonFlat(false);
  panel->SetTitleBarCaption("None");
  EXPECT_EQ(panel->TitleBarHeight(), 0);
  panel->DeleteButton(0);
  EXPECT_EQ(panel->ButtonCount(), 0);
}

// While the panel is destroyed, nothing lays the title bar out again: a descendant that asks
// for a layout as each button goes finds the remaining buttons where they were.
TEST_F(PanelCore, NoLayoutWhileThePanelIsDestroyed) {
  class TLayoutOnRemove : public TEIPanel {
   public:
    using TEIPanel::TEIPanel;
    std::vector<Integer>* Tops = nullptr;

   protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
      TEIPanel::Notification(AComponent, Operation);
      if (Operation != opRemove || !Tops || !As<TTitleBarButton>(AComponent)) return;
      SetupTitleBar();
      if (TTitleBarButton* bottom = GetTitleBarButtonFromID(tbbeBottom)) Tops->push_back(bottom->GetTop());
    }
  };
  std::vector<Integer> tops;
  auto* panel = new TLayoutOnRemove(Form);
  panel->SetBounds(10, 10, 200, 100);
  panel->SetParent(Form);
  TTitleBarBtn* item = panel->AddButton();
  item->SetVisible(true);
  auto* hosted = new TPanel(panel);
  hosted->SetParent(panel);
  hosted->SetAlign(alClient);
  Pump();
  panel->Tops = &tops;
  panel->Free();
  EXPECT_EQ(tops, (std::vector<Integer>{50, 50, 50, 50}));
}

}  // namespace
