// The typing-sound package as the IDE meets it: found among the known packages, loaded from
// its shared library, and heard when keys are released in an editor.
#include "IDEHostFixture.h"
#include "platform/ide/PackageLoader.h"
#include "platform/vcl/Registry.h"
#include "platform/vellumkit/ZKWavePlayer.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WinReg.h"
#include "support/InputScript.h"
#include "support/MessageLog.h"

namespace {

std::filesystem::path Resource(const char* name) {
  return std::filesystem::path(BRISK_SOURCE_DIR) / "resources" / name;
}

class BriskPackageTest : public TIDEHostFixture {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(FDir);
    SetRegistryStorePath((FDir / "registry.dat").string());
    ClearShownMessageBoxes();
    FOldAnswerer = SetMessageBoxAnswerer([](const TMessageBoxRequest&) { return IDOK; });
    TZKWavePlayer::UseCaptureSink(&Capture);
    TIDEHostFixture::SetUp();
    Loader = new TPackageLoader();
  }
  void TearDown() override {
    Loader->UnloadAll();
    TIDEHostFixture::TearDown();
    Loader->Free();
    TZKWavePlayer::UseSilence();
    SetMessageBoxAnswerer(FOldAnswerer);
    SetRegistryStorePath("");
  }
  void StoreSettings() {
    auto* reg = new TRegistry();
    reg->OpenKey("Software\\Orvane Software\\QV Brisk\\Configuration", true);
    reg->WriteBool("Active", true);
    reg->WriteString("File name wave key", Resource("key.wav").string());
    reg->WriteString("File name wave enter", Resource("enter.wav").string());
    reg->WriteString("File name wave backspace", Resource("backspace.wav").string());
    reg->Free();
  }
  void Post(HWND h, UINT message, WORD vk) {
    PostMessage(h, message, vk, MakeKeyData(message, vk));
    Application->ProcessMessages();
  }

  TAudioCapture Capture;
  TPackageLoader* Loader = nullptr;

 private:
  TMessageBoxAnswerer FOldAnswerer;
};

}  // namespace

TEST_F(BriskPackageTest, AKnownPackageLoadsAndEveryReleaseIsHeardWhenItHappens) {
  StoreSettings();
  RegisterKnownPackage(BRISKPACK_LIBRARY, "Brisk Editor");
  ASSERT_EQ(Loader->LoadKnownPackages(), 1);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  ASSERT_NE(ExpertRegistry->FindExpert("QV.BriskExpert"), nullptr);

  TEditControl* editor = Project()->OpenBuffer("Unit1.pas", "")->GetEditControl();
  HWND h = editor->GetHandle();
  struct Step {
    WORD vk;
    uint64_t pressedFor;  // frames between press and release
    const char* heard;
  };
  const Step steps[] = {{'B', 3000, "key.wav"}, {VK_RETURN, 4000, "enter.wav"}, {VK_BACK, 2500, "backspace.wav"},
                        {VK_F1, 1000, nullptr}, {VK_SPACE, 1500, "key.wav"}};
  std::vector<std::pair<std::string, uint64_t>> expected;
  for (const Step& s : steps) {
    Post(h, WM_KEYDOWN, s.vk);
    Capture.Advance(s.pressedFor);
    Post(h, WM_KEYUP, s.vk);
    if (s.heard) expected.emplace_back(Resource(s.heard).string(), Capture.GetNow());
    Capture.Advance(800);
  }
  std::vector<std::pair<std::string, uint64_t>> heard;
  for (const TPlayRecord& p : Capture.GetPlays()) {
    heard.emplace_back(p.FileName, p.Time);
    EXPECT_GT(p.Frames, 0u) << p.FileName;
  }
  EXPECT_EQ(heard, expected);
  EXPECT_EQ(editor->GetText(), "b ");  // Enter split the line and Backspace joined it again

  // Unloading ends the expert: later keys are silent and the editor still types.
  Loader->UnloadAll();
  EXPECT_EQ(ExpertRegistry->FindExpert("QV.BriskExpert"), nullptr);
  const size_t plays = Capture.GetPlays().size();
  Post(h, WM_KEYDOWN, 'C');
  Post(h, WM_KEYUP, 'C');
  EXPECT_EQ(Capture.GetPlays().size(), plays);
}

// A person choosing Tools | "QV Brisk .." with the mouse: the package's item is the first of
// the Tools menu, and its click reaches the package (which is given the item's interface and
// gives it back) once the menu loop has ended.
TEST_F(BriskPackageTest, ToolsQVBriskChosenWithTheMouseReachesThePackageAfterTheMenuCloses) {
  StoreSettings();
  RegisterKnownPackage(BRISKPACK_LIBRARY, "Brisk Editor");
  ASSERT_EQ(Loader->LoadKnownPackages(), 1);
  TAppBuilder* main = IDE->GetMainWindow();
  TMenuItem* tools = main->GetToolsMenu();
  ASSERT_GT(tools->GetCount(), 1);
  EXPECT_EQ(tools->GetItem(0)->GetCaption(), "QV Brisk ..");

  std::vector<String> trace;
  TMessageLog unused;
  TLoggingProc spy("Main", unused);
  spy.OnMessage = [&](HWND, UINT msg) {
    if (msg == WM_EXITMENULOOP) trace.push_back("menu loop ended");
  };
  spy.Subclass(main->GetHandle());
  TRect bar, item;
  ASSERT_TRUE(GetMenuItemRect(main->GetHandle(), ::GetMenu(main->GetHandle()), tools->GetMenuIndex(), &bar));
  TInputScript script;
  script.Then([&] {
    ASSERT_TRUE(GetMenuItemRect(0, tools->GetHandle(), 0, &item));
    ClickAt(CenterOf(item));
  });
  SetInterfaceTrace(&trace);
  ClickAt(CenterOf(bar));
  Application->ProcessMessages();
  SetInterfaceTrace(nullptr);
  SetWindowLongPtr(main->GetHandle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(spy.Next));
  EXPECT_EQ(trace, (std::vector<String>{"menu loop ended", "TIMenuItemIntf.Release"}));
}
