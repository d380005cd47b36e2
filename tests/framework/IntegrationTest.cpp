// Components integrated into editor windows: the attach lists and their one-window rule,
// a form docked into a panel and floated out again, and a panel moved between windows.
#include "FrameworkFixture.h"
#include "panel/EIPanel.h"
#include "support/ErrorOf.h"

namespace {

class IntegrationTest : public TFrameworkFixture {
 protected:
  void SetUp() override {
    TFrameworkFixture::SetUp();
    IDE = InstallIDEIntegrationManager("Test");
    M0 = IDE->GetManagerByEditor(Editors[0]);
    M1 = IDE->GetManagerByEditor(Editors[1]);
    ASSERT_TRUE(M0 && M1);
    Tool = new TForm(Application);
    Tool->SetCaption("Tool");
    Tool->SetBounds(400, 300, 300, 200);
    Tool->Show();
    Tool->SetClientWidth(200);
    Tool->SetClientHeight(120);
    Application->ProcessMessages();
  }
  static std::vector<TEIPanel*> PanelsOn(TWinControl* form) {
    std::vector<TEIPanel*> panels;
    for (Integer i = 0; i < form->GetControlCount(); ++i)
      if (auto* p = As<TEIPanel>(form->GetControl(i))) panels.push_back(p);
    return panels;
  }
  Integer IndexOf(TEIManager* m) const {
    for (Integer i = 0; i < IDE->GetEIManagerCount(); ++i)
      if (IDE->GetEIManager(i) == m) return i;
    return -1;
  }
  TIDEManager* IDE = nullptr;
  TEIManager* M0 = nullptr;
  TEIManager* M1 = nullptr;
  TForm* Tool = nullptr;
};

TEST_F(IntegrationTest, DockThenFloatGivesBackASizeableToolWindowWherethePanelWas) {
  TEIPanel* panel = M0->Dock(Tool);
  EXPECT_EQ(PanelsOn(Editors[0]), std::vector<TEIPanel*>{panel});
  EXPECT_FALSE(panel->GetVisible()) << "showing it is the caller's business";
  EXPECT_EQ(panel->GetAlign(), alTop);
  EXPECT_EQ(panel->GetTitleBarCaption(), "Tool");
  EXPECT_EQ(panel->GetHeight(), 120 + panel->TitleBarHeight());
  EXPECT_EQ(Tool->GetBorderStyle(), bsNone);
  EXPECT_EQ(Tool->GetParent(), panel);
  EXPECT_EQ(Tool->GetAlign(), alClient);
  EXPECT_TRUE(M0->CheckIntegrated(Tool));

  EXPECT_EQ(ErrorOf([&] { M0->Dock(Tool); }), "EEIException: Duplicate integration request!");
  EXPECT_EQ(PanelsOn(Editors[0]).size(), 1u) << "no second panel";

  panel->Show();
  Application->ProcessMessages();
  const TPoint corner = Editors[0]->ClientToScreen({panel->GetLeft(), panel->GetTop()});
  const Integer dockedWidth = Tool->GetWidth(), dockedHeight = Tool->GetHeight();
  ASSERT_GT(dockedWidth, 0);
  M0->Float(Tool);
  Application->ProcessMessages();
  EXPECT_TRUE(PanelsOn(Editors[0]).empty()) << "the panel is freed";
  EXPECT_EQ(Tool->GetParent(), nullptr);
  EXPECT_EQ(Tool->GetAlign(), alNone);
  EXPECT_EQ(Tool->GetBorderStyle(), bsSizeToolWin);
  EXPECT_TRUE(Tool->GetVisible());
  EXPECT_EQ((TPoint{Tool->GetLeft(), Tool->GetTop()}), corner);
  EXPECT_EQ(Tool->GetClientWidth(), dockedWidth);
  EXPECT_EQ(Tool->GetClientHeight(), dockedHeight);
  EXPECT_FALSE(M0->CheckIntegrated(Tool));
  // Floated, it can be docked again.
  EXPECT_EQ(ErrorOf([&] { M1->Dock(Tool); }), "");
}

TEST_F(IntegrationTest, BadRequestsRaiseAndChangeNothing) {
  EXPECT_EQ(ErrorOf([&] { M0->Dock(nullptr); }), "EEIException: Invalid integration request!");
  EXPECT_EQ(ErrorOf([&] { M0->AttachComponent(nullptr); }), "EEIException: Invalid integration request!");
  EXPECT_EQ(ErrorOf([&] { M0->Float(Tool); }), "EEIException: Invalid float request!");
  EXPECT_EQ(ErrorOf([&] { M0->Float(nullptr); }), "EEIException: Invalid float request!");
  EXPECT_EQ(ErrorOf([&] { M0->UnAttachComponent(Tool); }), "") << "silent when not attached";
  EXPECT_TRUE(PanelsOn(Editors[0]).empty());
  EXPECT_EQ(M0->GetAttachedCount(), 0);
}

TEST_F(IntegrationTest, AComponentLivesInOneEditorWindowAtATime) {
  TComponent* thing = new TComponent(Application);
  IDE->AttachComponent(M0, thing);
  EXPECT_EQ(ErrorOf([&] { IDE->RequestIntegration(M1, thing); }), "EEIException: Component already attached to another editor");
  EXPECT_EQ(ErrorOf([&] { IDE->AttachComponent(M1, thing); }), "EEIException: Component already attached to another editor");
  EXPECT_EQ(ErrorOf([&] { IDE->RequestIntegration(M0, thing); }), "EEIException: Duplicate integration request!")
      << "the same window answers for itself";
  EXPECT_TRUE(PanelsOn(Editors[1]).empty());
  EXPECT_FALSE(M1->CheckIntegrated(thing));

  IDE->UnattachComponent(thing);
  EXPECT_FALSE(M0->CheckIntegrated(thing));
  TEIPanel* panel = IDE->RequestIntegration(M1, thing);
  EXPECT_EQ(panel->GetParent(), Editors[1]);
  EXPECT_EQ(panel->GetAlign(), alLeft);
  EXPECT_FALSE(panel->GetVisible());
  EXPECT_TRUE(M1->CheckIntegrated(thing));

  // Freed, it leaves the list instead of dangling in it.
  thing->Free();
  EXPECT_EQ(M1->GetAttachedCount(), 0);
}

TEST_F(IntegrationTest, MovePanelCarriesThePanelIntoAnotherWindow) {
  TEIPanel* panel = M0->Dock(Tool);
  panel->Show();
  Application->ProcessMessages();
  EXPECT_EQ(IDE->MovePanel(Editors[1], Tool, alBottom), IndexOf(M1));
  EXPECT_EQ(panel->GetParent(), Editors[1]);
  EXPECT_EQ(panel->GetAlign(), alBottom);
  EXPECT_TRUE(panel->GetVisible()) << "visibility is not touched";
  EXPECT_TRUE(M1->CheckIntegrated(Tool));
  EXPECT_FALSE(M0->CheckIntegrated(Tool));
  EXPECT_TRUE(PanelsOn(Editors[0]).empty());
  // The status bar stays at the bottom edge, below the panel docked there.
  TWinControl* bar = M1->GetStatusBar();
  EXPECT_EQ(bar->GetTop() + bar->GetHeight(), Editors[1]->GetClientHeight());
  EXPECT_EQ(panel->GetTop() + panel->GetHeight(), bar->GetTop() - M1->GetMessageView()->GetHeight());

  // Into the window that holds it: detached and attached again, with the new side.
  EXPECT_EQ(IDE->MovePanel(Editors[1], Tool, alRight), IndexOf(M1));
  EXPECT_EQ(panel->GetAlign(), alRight);
  EXPECT_EQ(M1->GetAttachedCount(), 1);

  // A form without a manager, a control in no panel, no control: -1 and nothing changes.
  TWinControl* loose = M0->GetEditControl();
  ASSERT_TRUE(loose);
  EXPECT_EQ(IDE->MovePanel(MainForm, Tool, alTop), -1);
  EXPECT_EQ(IDE->MovePanel(Editors[0], loose, alTop), -1);
  EXPECT_EQ(IDE->MovePanel(Editors[0], nullptr, alTop), -1);
  EXPECT_EQ(panel->GetParent(), Editors[1]);
  EXPECT_EQ(panel->GetAlign(), alRight);
  EXPECT_TRUE(M1->CheckIntegrated(Tool));
}

}  // namespace
