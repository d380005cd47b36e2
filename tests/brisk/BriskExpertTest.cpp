// The typing-sound expert: its key rule, settings, construction and destruction.
#include "BriskFixture.h"

#include "platform/ide/VirtIntf.h"

namespace {

using BriskExpertTest = TBriskFixture;

constexpr const char* kMissingMessage = "The QV Brisk Expert is disabled because at least one of the files is missing !";

TQVBriskExpert* RegisteredExpert() {
  return ExpertRegistry ? static_cast<TQVBriskExpert*>(ExpertRegistry->FindExpert("QV.BriskExpert")) : nullptr;
}

}  // namespace

TEST_F(BriskExpertTest, KeyRuleTable) {
  StoreSettings(true, KeyWav, EnterWav, BackWav);
  QVBrisk_Register();
  ASSERT_TRUE(SoundEnabled);
  struct Case {
    Word key;
    TShiftState shift;
    const std::string* heard;  // null: silence
  };
  const TShiftState none, shift{ssShift}, ctrl{ssCtrl}, alt{ssAlt};
  const Case cases[] = {
      {47, none, nullptr},   {48, none, &KeyWav},   {90, none, &KeyWav},   {91, none, nullptr},
      {95, none, nullptr},   {96, none, &KeyWav},   {111, none, &KeyWav},  {112, none, nullptr},
      {185, none, nullptr},  {186, none, &KeyWav},  {222, none, &KeyWav},  {223, none, nullptr},
      {32, none, &KeyWav},   {13, none, &EnterWav}, {8, none, &BackWav},   {46, none, &BackWav},
      {12, none, &BackWav},  {'S', ctrl, nullptr},  {'F', alt, nullptr},   {13, ctrl, nullptr},
      {'A', shift, &KeyWav}, {VK_LEFT, none, nullptr}, {VK_SHIFT, shift, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const size_t before = Capture.GetPlays().size();
    Word key = c.key;
    PlayKeySound(nullptr, key, c.shift);
    EXPECT_EQ(key, c.key);  // the rule never changes the key
    if (c.heard) {
      ASSERT_EQ(Capture.GetPlays().size(), before + 1);
      EXPECT_EQ(Capture.GetPlays().back().FileName, *c.heard);
    } else {
      EXPECT_EQ(Capture.GetPlays().size(), before);
    }
    EXPECT_EQ(WavePlayer->FFileName, KeyWav);  // Enter and Backspace put the key sound back
  }
}

TEST_F(BriskExpertTest, EnterAndBackspaceWithoutAFileStaySilent) {
  StoreSettings(true, KeyWav, EnterWav, BackWav);
  QVBrisk_Register();
  ExpertParams.WaveEnter.clear();
  ExpertParams.WaveBackspace.clear();
  for (Word key : {Word(13), Word(8), Word(46), Word(12)}) {
    Word k = key;
    PlayKeySound(nullptr, k, {});
  }
  EXPECT_TRUE(Heard().empty());
}

TEST_F(BriskExpertTest, OnlyKeyReleaseNotificationsPlay) {
  StoreSettings(true, KeyWav, EnterWav, BackWav);
  QVBrisk_Register();
  HWND h = Editor->GetEditControl()->GetHandle();
  SendMessage(h, CN_KEYDOWN, 'A', MakeKeyData(WM_KEYDOWN, 'A'));
  SendMessage(h, WM_KEYUP, 'A', MakeKeyData(WM_KEYUP, 'A'));
  EXPECT_TRUE(Heard().empty());
  EXPECT_EQ(SendMessage(h, CN_KEYUP, 'A', MakeKeyData(WM_KEYUP, 'A')), 0);
  EXPECT_EQ(Heard(), std::vector<std::string>{KeyWav});
  // A key release that arrives with key code 0 is kept from the editor.
  EXPECT_EQ(SendMessage(h, CN_KEYUP, 0, MakeKeyData(WM_KEYUP, 0)), 1);
}

TEST_F(BriskExpertTest, TypingThroughTheLoopPlaysAtTheReleaseTime) {
  StoreSettings(true, KeyWav, EnterWav, BackWav);
  QVBrisk_Register();
  HWND h = Editor->GetEditControl()->GetHandle();
  Editor->SetFocus();
  PostKey(h, WM_KEYDOWN, 'K');
  Application->ProcessMessages();
  Capture.Advance(4410);  // 100 ms between press and release
  PostKey(h, WM_KEYUP, 'K');
  Application->ProcessMessages();
  PostKey(h, WM_KEYDOWN, VK_RETURN);
  PostKey(h, WM_KEYUP, VK_RETURN);
  Application->ProcessMessages();
  ASSERT_EQ(Heard(), (std::vector<std::string>{KeyWav, EnterWav}));
  EXPECT_EQ(Capture.GetPlays()[0].Time, 4410u);
  EXPECT_GT(Capture.GetPlays()[0].Frames, 0u);
  EXPECT_EQ(Editor->GetEditControl()->GetText(), "k\r\n");
}

TEST_F(BriskExpertTest, FirstLoadCreatesActiveAsZeroAndReportsMissingFiles) {
  const int beeps = GetMessageBeepCount();
  QVBrisk_Register();
  TQVBriskExpert* expert = RegisteredExpert();
  ASSERT_NE(expert, nullptr);
  EXPECT_EQ(StoredValue("Active"), "dword:0");
  EXPECT_EQ(StoredValue("File name wave key"), "<missing>");
  EXPECT_FALSE(SoundEnabled);
  EXPECT_EQ(GetMessageBeepCount(), beeps + 1);
  EXPECT_EQ(GetLastMessageBeepType(), 1u);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Text, kMissingMessage);
  EXPECT_EQ(Boxes()[0].Icon(), MB_ICONINFORMATION);
  ASSERT_EQ(Boxes()[0].Buttons.size(), 1u);
  EXPECT_EQ(Boxes()[0].HelpContext, 0);

  // The menu item is the Tools menu's first entry and keeps working.
  TMenuItem* tools = IDE->GetMainWindow()->GetToolsMenu();
  EXPECT_EQ(tools->GetItem(0)->GetCaption(), "QV Brisk ..");
  EXPECT_EQ(tools->GetItem(0)->GetName(), "QVBrisk");
  EXPECT_NE(expert->GetMenuItem(), nullptr);
  EXPECT_EQ(expert->GetName(), "Brisk Expert");
  EXPECT_EQ(expert->GetIDString(), "QV.BriskExpert");
  EXPECT_EQ(expert->GetStyle(), esAddIn);

  TIDEManager* ide = FindIDEIntegrationManager();
  ASSERT_NE(ide, nullptr);
  EXPECT_EQ(ide->GetEIIExpertNames(0), "QV Brisk");
  EXPECT_EQ(ide->GetNotifiers()->GetNotifier(0), expert->GetKeyboardNotifier());
}

TEST_F(BriskExpertTest, AFailedFileCheckSwitchesSoundsOffAndLeavesTheStoreAlone) {
  StoreSettings(true, KeyWav, (Dir / "gone.wav").string(), BackWav);
  QVBrisk_Register();
  EXPECT_FALSE(SoundEnabled);
  EXPECT_FALSE(ExpertParams.Active);
  EXPECT_EQ(StoredValue("Active"), "dword:1");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Text, kMissingMessage);
  Word key = 'A';
  PlayKeySound(nullptr, key, {});
  EXPECT_TRUE(Heard().empty());

  // Saving settings whose files all exist turns the sounds on again.
  ExpertParams.WaveEnter = EnterWav;
  ExpertParams.Active = true;
  SaveParams();
  EXPECT_TRUE(SoundEnabled);
  EXPECT_EQ(StoredValue("File name wave enter"), "sz:" + EnterWav);
}

TEST_F(BriskExpertTest, AValueOfTheWrongTypeKeepsTheExpertFromRegistering) {
  {
    auto* reg = new TRegistry();
    reg->OpenKey(QVBriskRegistryKey, true);
    reg->WriteString("Active", "yes");
    reg->Free();
  }
  const int live = GetLiveInterfaceCount();
  try {
    QVBrisk_Register();
    FAIL() << "registered with a broken setting";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Invalid data type for 'Active'");
  }
  EXPECT_EQ(RegisteredExpert(), nullptr);
  EXPECT_EQ(GetLiveInterfaceCount(), live);  // the menu item's interface was released too
  EXPECT_EQ(WavePlayer, nullptr);
  TIDEManager* ide = FindIDEIntegrationManager();
  ASSERT_NE(ide, nullptr);
  EXPECT_EQ(ide->GetNotifiers()->GetCount(), 0);  // the notifier left with the expert
}

TEST_F(BriskExpertTest, DestructionReleasesInOrderAndLeavesTheMenuItem) {
  StoreSettings(true, KeyWav, EnterWav, BackWav);
  const int live = GetLiveInterfaceCount();
  QVBrisk_Register();
  TIDEManager* ide = FindIDEIntegrationManager();
  ExpertRegistry->DestroyExperts();
  EXPECT_EQ(WavePlayer, nullptr);
  EXPECT_EQ(ide->GetNotifiers()->GetCount(), 0);
  EXPECT_EQ(GetLiveInterfaceCount(), live);
  EXPECT_EQ(IDE->GetMainWindow()->GetToolsMenu()->GetItem(0)->GetCaption(), "QV Brisk ..");
}

TEST_F(BriskExpertTest, DestructionAfterTheIDEManagerWentFirst) {
  StoreSettings(true, KeyWav, EnterWav, BackWav);
  QVBrisk_Register();
  FindIDEIntegrationManager()->Free();
  EXPECT_NO_THROW(ExpertRegistry->DestroyExperts());
  EXPECT_EQ(RegisteredExpert(), nullptr);
}
