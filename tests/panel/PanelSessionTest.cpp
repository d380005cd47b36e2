// A docked panel moved the way a person moves it, with the mouse, in an IDE with two editor
// windows: docked on the left, dragged to the top, dragged onto the other window (whose drop
// handler moves it there), minimized with a double click, sized with the splitter. The screen
// after each step is left in build/pictures/panel-session-N.png.
#include <filesystem>

#include "framework/EIManager.h"
#include "panel/EIPanel.h"
#include "platform/win/Surface.h"
#include "support/IdeFixture.h"

namespace {

constexpr WPARAM MK_LBUTTON = 0x1;

// What a client add-in does with its panel: the title bar along the docked side, and a drop on
// another editor window moves the panel there.
struct TClient {
  TForm* Tool = nullptr;
  void DragToForm(TObject*, TForm* DestForm, TAlign Area, const TPoint&) {
    FindIDEIntegrationManager()->MovePanel(DestForm, Tool, Area);
  }
  void Aligned(TObject* Sender) {
    auto* panel = static_cast<TEIPanel*>(Sender);
    const TAlign a = panel->GetAlign();
    panel->SetTitleBarAlign(a == alLeft ? talLeft : a == alRight ? talRight : a == alBottom ? talBottom : talTop);
  }
};

class PanelSession : public TIdeFixture {
 protected:
  static void Pump() { Application->ProcessMessages(); }
  static void Mouse(UINT msg, TPoint p) {
    MouseInput(msg, p, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON);
    Pump();
  }
  static void Drag(TPoint from, TPoint to) {
    Mouse(WM_LBUTTONDOWN, from);
    Mouse(WM_MOUSEMOVE, {from.X + 10, from.Y + 10});
    Mouse(WM_MOUSEMOVE, {(from.X + to.X) / 2, (from.Y + to.Y) / 2});
    Mouse(WM_MOUSEMOVE, to);
    Mouse(WM_LBUTTONUP, to);
  }
  static void Screenshot(int step) {
    std::filesystem::create_directories(BRISK_PICTURE_DIR);
    const std::string path = std::string(BRISK_PICTURE_DIR) + "/panel-session-" + std::to_string(step) + ".png";
    EXPECT_TRUE(SaveSurfacePNG(ScreenSurface(), nullptr, path)) << path;
  }
  // A point of a control's client area on the screen.
  static TPoint At(TControl* c, Integer x, Integer y) { return c->ClientToScreen({x, y}); }
};

TEST_F(PanelSession, DockDragToTheTopToAnotherWindowMinimizeAndSize) {
  auto* main = new TForm(Application);
  main->SetCaption("Main");
  main->SetBounds(0, 0, 1280, 100);
  Application->SetMainForm(main);
  main->Show();
  TEditWindow* editors[2];
  for (int i = 0; i < 2; ++i) {
    TEditWindowLayout layout;
    layout.Caption = "Unit" + std::to_string(i + 1) + ".pas";
    editors[i] = CreateEditWindow(Application, layout);
    editors[i]->SetBounds(20 + 630 * i, 120, 620, 480);
    editors[i]->Show();
  }
  Pump();
  TIDEManager* ide = InstallIDEIntegrationManager("Session");
  TEIManager* first = ide->GetManagerByEditor(editors[0]);
  TEIManager* second = ide->GetManagerByEditor(editors[1]);
  ASSERT_TRUE(first && second);

  TClient client;
  client.Tool = new TForm(Application);
  client.Tool->SetCaption("Keystrokes");
  client.Tool->Show();
  client.Tool->SetClientWidth(160);
  client.Tool->SetClientHeight(120);
  TEIPanel* panel = first->Dock(client.Tool);
  panel->OnAlign = MethodOf<&TClient::Aligned>(&client);
  panel->OnDragToForm = MethodOf<&TClient::DragToForm>(&client);
  panel->SetAlign(alLeft);
  panel->SetWidth(182);
  panel->Show();
  Pump();
  EXPECT_EQ(panel->GetTitleBarAlign(), talLeft);
  Screenshot(1);

  // From the left side to the top: dropped 30 below the client area's top, in its middle.
  const std::vector<uint32_t> before = ScreenSurface().Pixels;
  Drag(At(panel->GetTitleBar(), 8, panel->GetTitleBar()->GetHeight() - 30), At(editors[0], 310, 30));
  EXPECT_EQ(panel->GetAlign(), alTop);
  EXPECT_EQ(panel->GetTitleBarAlign(), talTop);
  EXPECT_NE(ScreenSurface().Pixels, before) << "the panel is drawn at the top now";
  Screenshot(2);

  // Onto the other window, near its left edge: its drop handler moves the panel there.
  Drag(At(panel->GetTitleBar(), 60, 8), At(editors[1], 40, 200));
  EXPECT_EQ(panel->GetParent(), editors[1]);
  EXPECT_EQ(panel->GetAlign(), alLeft);
  EXPECT_TRUE(second->CheckIntegrated(client.Tool));
  EXPECT_FALSE(first->CheckIntegrated(client.Tool));
  Screenshot(3);

  // A double click on the title bar, clear of its buttons: shrunk to the title bar.
  const TPoint bar = At(panel->GetTitleBar(), 8, panel->GetTitleBar()->GetHeight() - 30);
  Mouse(WM_LBUTTONDBLCLK, bar);
  Mouse(WM_LBUTTONUP, bar);
  EXPECT_TRUE(panel->GetMinimized());
  EXPECT_EQ(panel->GetWidth(), 18);
  Screenshot(4);
  Mouse(WM_LBUTTONDBLCLK, bar);
  Mouse(WM_LBUTTONUP, bar);
  EXPECT_EQ(panel->GetWidth(), 182);

  // The splitter on the right edge, dragged 60 to the right.
  TSplitterPanel* strip = panel->GetSplitter();
  const TPoint grip = At(strip, 1, 100);
  Mouse(WM_LBUTTONDOWN, grip);
  Mouse(WM_MOUSEMOVE, {grip.X + 30, grip.Y});
  Mouse(WM_MOUSEMOVE, {grip.X + 60, grip.Y});
  Mouse(WM_LBUTTONUP, {grip.X + 60, grip.Y});
  EXPECT_EQ(panel->GetWidth(), 242);
  Screenshot(5);
}

}  // namespace
