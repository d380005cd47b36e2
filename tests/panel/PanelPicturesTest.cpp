// Panels as a person sees them, written as PNGs under the build folder: the title bar on each
// side, with and without an icon, flat and disabled buttons, user buttons with captions.
#include <filesystem>

#include "PanelFixture.h"

namespace {

class PanelPictures : public TPanelFixture {
 protected:
  void SetUp() override {
    TPanelFixture::SetUp();
    SetScreenSize(660, 520);
    Form->SetBounds(0, 0, 660, 520);
    Pump();
    Icon = MakeIcon();
  }
  void TearDown() override {
    Icon->Free();
    TPanelFixture::TearDown();
  }
  // A panel at (x, y) whose client shows a white page, as a hosted editor form would.
  TEIPanel* Place(int x, int y, int w, int h, TTitleBarAlign side, const char* caption, bool icon) {
    auto* panel = new TEIPanel(Form);
    panel->SetBounds(x, y, w, h);
    panel->SetTitleBarAlign(side);
    panel->SetTitleBarCaption(caption);
    if (icon) panel->SetTitleBarIcon(Icon);
    panel->SetParent(Form);
    auto* page = new TPanel(panel);
    page->SetParent(panel);
    page->SetBevelOuter(bvLowered);
    page->SetColor(clWindow);
    page->SetAlign(alClient);
    return panel;
  }
  static void Save(const char* name) {
    std::filesystem::create_directories(BRISK_PICTURE_DIR);
    const std::string path = std::string(BRISK_PICTURE_DIR) + "/" + name;
    std::string error;
    ASSERT_TRUE(SaveScreenPNG(0, path, &error)) << error;
  }
  TIcon* Icon = nullptr;
};

TEST_F(PanelPictures, TheTitleBarOnEachSide) {
  Place(10, 10, 150, 170, talLeft, "Left", false);
  Place(170, 10, 150, 170, talRight, "Right with icon", true);
  Place(330, 10, 150, 170, talTop, "Top with icon", true);
  Place(490, 10, 160, 170, talBottom, "Bottom", false);

  TEIPanel* flat = Place(10, 200, 200, 90, talTop, "Flat buttons", false);
  flat->SetTitleBarButtonFlat(true);
  flat->SetTitleBarButtonVisible(DefaultTitleBarButtons + TTitleBarButtonIDs{tbbeHelp, tbbeFloat});
  TEIPanel* disabled = Place(220, 200, 200, 90, talTop, "Disabled", true);
  disabled->SetTitleBarButtonEnabled({tbbeX});
  TEIPanel* all = Place(430, 200, 220, 90, talTop, "All eight", false);
  all->SetTitleBarButtonVisible(TTitleBarButtonIDs::FromBits(0xFF));

  TEIPanel* users = Place(10, 300, 300, 90, talTop, "User buttons", true);
  TEIPanel* vertical = Place(320, 300, 150, 210, talLeft, "Users", false);
  TEIPanel* flatRight = Place(480, 300, 170, 210, talRight, "Flat, icon", true);
  flatRight->SetTitleBarButtonFlat(true);
  for (TEIPanel* p : {users, vertical}) {
    p->LockButtonUpdate();
    const char* captions[] = {"Run", "Stop", "Find"};
    for (int i = 0; i < 3; ++i) {
      TTitleBarBtn* b = p->AddButton();
      b->SetButtonID(i + 1);
      b->SetCaption(captions[i]);
      b->SetWidth(p == users ? 40 : 36);
      b->GetGlyph()->LoadFromResourceName(PanelModule(), TitleBarGlyphNames[tbbeFloat + i % 2 * 2]);
      b->SetLayout(i == 2 ? tblGlyphRight : tblGlyphLeft);
      b->SetVisible(true);
    }
    p->GetTitleBarBtn(1)->SetEnabled(false);
    p->GetTitleBarBtn(2)->SetGroupIndex(1);
    p->GetTitleBarBtn(2)->SetDown(true);
    p->UnlockButtonUpdate();
  }
  Pump();
  Save("panels.png");
}

}  // namespace
