// What a person sees of the dialogs, written as PNGs under the build folder: the configuration
// dialog as it opens, after a wave file was picked in the file dialog, and the About box over
// it.
#include "DialogFixture.h"

namespace {

using DialogScreenshotTest = TDialogFixture;

TEST_F(DialogScreenshotTest, TheDialogsAsAPersonSeesThem) {
  StoreSettings(true, KeyWav, EnterWav, BackWav);
  QVBrisk_Register();
  const std::string picked = (Dir / "chime.wav").string();
  AnswerFileDialogs({picked});
  std::vector<TRect> shown;
  Answer({Do([&](TCustomForm& f) {
            shown.push_back(f.GetBoundsRect());
            Screenshot("configuration");
          }),
          Click("zkflnboxWaveEnter"),  // the edit: the focus goes there
          Do([&](TCustomForm& f) {
            auto& cfg = static_cast<TfrmConfiguration&>(f);
            EXPECT_EQ(Screen->GetActiveControl(), cfg.zkflnboxWaveEnter->GetEdit());
            cfg.zkflnboxWaveEnter->GetButton()->Click();
          }),
          Do([&](TCustomForm&) { Screenshot("configuration-file-picked"); }), Click("zkbtnAbout"),
          Do([&](TCustomForm& f) {
            shown.push_back(f.GetBoundsRect());
            Screenshot("about");
          }),
          Click("zkbtnOk"), Key(VK_ESCAPE)});
  ClickMenuItem();
  EXPECT_TRUE(AllStepsTaken());
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].Left, shown[0].Left + 30);
  EXPECT_EQ(shown[1].Top, shown[0].Top + 30);
  EXPECT_EQ(FileDialogs.size(), 1u);
}

}  // namespace
