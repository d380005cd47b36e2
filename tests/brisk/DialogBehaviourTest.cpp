// The dialogs as a user meets them from the Tools menu: how they close and what that keeps,
// the order they fill themselves in, the hidden "Default" box, the About box, and the menu
// item after its expert is gone.
#include <algorithm>

#include "DialogFixture.h"
#include "platform/ide/VirtIntf.h"
#include "platform/vcl/ObjectText.h"
#include "platform/vellumkit/ZKHotLink.h"

namespace {

// ---- recording what the configuration dialog does to its controls ---------------------------

std::vector<std::string>* gLog = nullptr;

void Log(const std::string& Line) {
  if (gLog) gLog->push_back(Line);
}

// A file-name box that notes every call the dialog makes on it.
class TRecordingFilenameBox : public TZKFilenameBox {
  DECLARE_CLASS(TRecordingFilenameBox, TZKFilenameBox)
 public:
  using TZKFilenameBox::TZKFilenameBox;
  void SetFilename(const String& Name) override {
    Log(GetName() + ".SetFilename " + Name);
    inherited::SetFilename(Name);
  }
  void SetDefault(const String& Extension) override {
    Log(GetName() + ".SetDefault " + Extension);
    inherited::SetDefault(Extension);
  }
  void SetFilter(const String& Filter) override {
    Log(GetName() + ".SetFilter " + Filter);
    inherited::SetFilter(Filter);
  }
};
IMPLEMENT_COMPONENT_CLASS(TRecordingFilenameBox, TZKFilenameBox)

// Notes every caption change of a control, through its window procedure.
struct TCaptionRecorder {
  TControl* Control;
  TWndMethod Saved;
  void WndProc(TMessage& Message) {
    Saved(Message);
    if (Message.Msg == CM_TEXTCHANGED) Log((Control->GetName().empty() ? "?" : Control->GetName()) + " " + Control->GetText());
  }
};

// The package's resource for the form class, its file-name boxes made recording ones.
bool RecordingConfigurationResource(const TClass* FormClass, String& Data) {
  if (FormClass != TfrmConfiguration::StaticClass()) return false;
  const void* data = nullptr;
  size_t size = 0;
  if (!FindResourceData(FindClassHInstance(FormClass), "TFRMCONFIGURATION", RT_RCDATA, &data, &size)) return false;
  TAutoFree<TMemoryStream> binary(new TMemoryStream()), text(new TMemoryStream());
  binary->SetDataString(String(static_cast<const char*>(data), size));
  ObjectBinaryToText(binary.Get(), text.Get());
  String source = text->GetDataString();
  const String from = ": TZKFilenameBox", to = ": TRecordingFilenameBox";
  for (size_t at = source.find(from); at != String::npos; at = source.find(from, at + to.size()))
    source.replace(at, from.size(), to);
  text->SetDataString(source);
  TAutoFree<TMemoryStream> recording(new TMemoryStream());
  ObjectTextToBinary(text.Get(), recording.Get());
  Data = recording->GetDataString();
  return true;
}

class DialogBehaviourTest : public TDialogFixture {
 protected:
  void SetUp() override {
    TDialogFixture::SetUp();
    if (IsSkipped()) return;
    StoreSettings(true, KeyWav, EnterWav, BackWav);
    Chime = (Dir / "chime.wav").string();
    std::filesystem::copy_file(EnterWav, Chime);
  }
  void TearDown() override {
    SetHotLinkOpener(nullptr);
    TDialogFixture::TearDown();
  }
  // Releases Enter in the code editor; the file the capture sink heard for it.
  std::string EnterHeard() {
    HWND h = Editor->GetEditControl()->GetHandle();
    Editor->SetFocus();
    const size_t before = Capture.GetPlays().size();
    PostKey(h, WM_KEYDOWN, VK_RETURN);
    PostKey(h, WM_KEYUP, VK_RETURN);
    Application->ProcessMessages();
    return Capture.GetPlays().size() == before + 1 ? Capture.GetPlays().back().FileName : "<nothing or more>";
  }
  static TfrmConfiguration& Cfg(TCustomForm& Form) { return static_cast<TfrmConfiguration&>(Form); }
  std::string Chime;
};

// The user picks another Enter sound and switches Enable off and on again, then leaves the
// dialog one way or another: only OK (by mouse or by Enter) keeps the change, and it is heard
// at the very next key release.
TEST_F(DialogBehaviourTest, OnlyOKKeepsTheChangeAndItIsHeardAtOnce) {
  struct Row {
    const char* How;
    TStep Close;
    bool Kept;
  } rows[] = {
      {"OK button", Click("zkbtnOk"), true},
      {"Enter", Key(VK_RETURN), true},
      {"Cancel button", Click("zkbtnCancel"), false},
      {"Escape", Key(VK_ESCAPE), false},
      {"close box", CloseBox(), false},
  };
  QVBrisk_Register();
  ASSERT_EQ(EnterHeard(), EnterWav);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.How);
    StoreSettings(true, KeyWav, EnterWav, BackWav);
    LoadParams();
    SetPlayerVar();
    ClearShownMessageBoxes();
    AnswerFileDialogs({Chime});
    TfrmConfiguration* shown = nullptr;
    Answer({Do([&](TCustomForm& f) {
              shown = &Cfg(f);
              EXPECT_EQ(frmConfiguration, shown);
              EXPECT_FALSE(IsWindowEnabled(IDE->GetMainWindow()->GetHandle())) << "the IDE waits behind the dialog";
              Cfg(f).zkflnboxWaveEnter->GetButton()->Click();
              EXPECT_EQ(Cfg(f).zkflnboxWaveEnter->GetFilename(), Chime);
            }),
            Click("chkEnable"), Click("chkEnable"), row.Close});
    ClickMenuItem();
    EXPECT_TRUE(AllStepsTaken());
    EXPECT_EQ(frmConfiguration, nullptr) << "freed and forgotten";
    EXPECT_TRUE(IsWindowEnabled(IDE->GetMainWindow()->GetHandle()));
    const std::string enter = row.Kept ? Chime : EnterWav;
    EXPECT_EQ(ExpertParams.WaveEnter, enter);
    EXPECT_EQ(StoredValue("File name wave enter"), "sz:" + enter);
    EXPECT_EQ(StoredValue("Active"), "dword:1");
    EXPECT_EQ(StoredValue("File name wave key"), "sz:" + KeyWav);
    EXPECT_EQ(StoredValue("File name wave backspace"), "sz:" + BackWav);
    EXPECT_TRUE(SoundEnabled);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(EnterHeard(), enter);
  }
}

// Confirming unchanged settings stores them as they are, except that sounds a failed file
// check switched off are stored switched off; a missing Enter file typed in is accepted by
// the box and then switches the sounds off with the message.
TEST_F(DialogBehaviourTest, ConfirmingStoresWhatTheFileCheckLeft) {
  StoreSettings(true, KeyWav, (Dir / "gone.wav").string(), BackWav);
  QVBrisk_Register();
  ASSERT_FALSE(SoundEnabled);
  Answer({Click("zkbtnOk")});
  ClickMenuItem();
  EXPECT_EQ(StoredValue("Active"), "dword:0");
  EXPECT_EQ(StoredValue("File name wave enter"), "sz:" + (Dir / "gone.wav").string());

  StoreSettings(true, KeyWav, EnterWav, BackWav);
  LoadParams();
  SetPlayerVar();
  ClearShownMessageBoxes();
  const std::string typo = (Dir / "enter2.wav").string();
  Answer({Do([&](TCustomForm& f) { Cfg(f).zkflnboxWaveEnter->SetFilename(typo); }), Click("zkbtnOk")});
  ClickMenuItem();
  EXPECT_EQ(StoredValue("File name wave enter"), "sz:" + typo);
  EXPECT_FALSE(SoundEnabled);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Text, "The QV Brisk Expert is disabled because at least one of the files is missing !");
}

// Creation replaces every stored caption in its order; showing fills the controls from
// Params: the Enable box, the three names, then the default extensions, then the filters.
TEST_F(DialogBehaviourTest, CaptionsAndVariablesAreSetInTheirOrder) {
  RegisterClass(TRecordingFilenameBox::StaticClass());
  const TFormResourceFinder saved = SetFormResourceFinder(RecordingConfigurationResource);
  std::vector<std::string> log;
  gLog = &log;
  QVBrisk_Register();
  std::vector<std::unique_ptr<TCaptionRecorder>> recorders;
  std::vector<std::string> captions;
  Answer({Do([&](TCustomForm& f) {
            TfrmConfiguration& cfg = Cfg(f);
            EXPECT_EQ(cfg.zkflnboxWaveKey->ClassName(), "TRecordingFilenameBox");
            EXPECT_TRUE(cfg.chkEnable->GetChecked());
            captions = log;  // what showing did
            log.clear();
            // Every caption blanked and hooked, then set again.
            std::vector<TControl*> controls{&cfg};
            for (Integer i = 0; i < cfg.GetComponentCount(); ++i)
              if (auto* c = As<TControl>(cfg.GetComponent(i))) controls.push_back(c);
            for (TControl* c : controls) {
              c->SetText("");
              recorders.push_back(std::make_unique<TCaptionRecorder>(TCaptionRecorder{c, c->WindowProc}));
              c->WindowProc = MethodOf<&TCaptionRecorder::WndProc>(recorders.back().get());
            }
            cfg.SetFormCaptions();
            for (size_t i = 0; i < controls.size(); ++i) controls[i]->WindowProc = recorders[i]->Saved;
            f.SetModalResult(mrCancel);
          })});
  ClickMenuItem();
  gLog = nullptr;
  SetFormResourceFinder(saved);
  UnRegisterClass(TRecordingFilenameBox::StaticClass());
  EXPECT_EQ(captions, (std::vector<std::string>{
                          "zkflnboxWaveKey.SetFilename " + KeyWav,
                          "zkflnboxWaveEnter.SetFilename " + EnterWav,
                          "zkflnboxWaveBackspace.SetFilename " + BackWav,
                          "zkflnboxWaveKey.SetDefault wav",
                          "zkflnboxWaveEnter.SetDefault wav",
                          "zkflnboxWaveBackspace.SetDefault wav",
                          "zkflnboxWaveKey.SetFilter *.wav",
                          "zkflnboxWaveEnter.SetFilter *.wav",
                          "zkflnboxWaveBackspace.SetFilter *.wav",
                      }));
  EXPECT_EQ(log, (std::vector<std::string>{"frmConfiguration QV Brisk Expert", "zkbtnOk OK", "zkbtnCancel Cancel",
                                           "zkbtnAbout &About", "chkEnable Enable", "chkDefault Default",
                                           "lblWaveKey Wave &Key", "lblWaveEnter Wave &Enter",
                                           "lblWaveBackspace Wave &Backspace"}));
}

// The "Default" box is never shown, not even by tabbing through the dialog, and neither its
// state nor Params.Default passes between it and the settings.
TEST_F(DialogBehaviourTest, TheDefaultBoxIsNeverShownAndNeverRead) {
  QVBrisk_Register();
  ExpertParams.Default = true;
  std::vector<std::string> focus;
  const TStep noteFocus = [&](TCustomForm&) {
    TWinControl* c = Screen->GetActiveControl();
    focus.push_back(!c ? "none" : c->GetName().empty() ? c->GetOwner()->GetName() + "'s edit" : c->GetName());
  };
  Answer({Do([&](TCustomForm& f) {
            TfrmConfiguration& cfg = Cfg(f);
            EXPECT_FALSE(cfg.chkDefault->GetVisible());
            EXPECT_FALSE(IsWindowVisible(cfg.chkDefault->GetHandle()));
            EXPECT_FALSE(cfg.chkDefault->GetChecked()) << "Params.Default is not shown";
            EXPECT_TRUE(cfg.Params.Default);
            cfg.chkDefault->SetChecked(true);
          }),
          noteFocus, Key(VK_TAB), noteFocus, Key(VK_TAB), noteFocus, Key(VK_TAB), noteFocus, Key(VK_TAB), noteFocus,
          Do([&](TCustomForm& f) {
            Cfg(f).Params.Default = false;
            Cfg(f).zkbtnOk->Click();
          })});
  ClickMenuItem();
  EXPECT_TRUE(AllStepsTaken());
  EXPECT_EQ(focus, (std::vector<std::string>{"chkEnable", "zkflnboxWaveEnter's edit", "zkflnboxWaveBackspace's edit",
                                             "zkflnboxWaveKey's edit", "zkbtnOk"}))
      << "Tab passes over the hidden box";
  EXPECT_FALSE(ExpertParams.Default) << "Params went back whole, Default as the dialog had it, not the box's";
}

// The About box opens 30 pixels right of and below the dialog, Escape leaves it open, its
// links open their targets, and its close box returns to the dialog, which stays open.
TEST_F(DialogBehaviourTest, TheAboutBoxOverTheDialog) {
  QVBrisk_Register();
  std::vector<String> opened;
  SetHotLinkOpener([&](const String& Url) {
    opened.push_back(Url);
    return true;
  });
  TRect cfgBounds, aboutBounds;
  bool stillOpen = false;
  Answer({Do([&](TCustomForm& f) { cfgBounds = f.GetBoundsRect(); }), Click("zkbtnAbout"),
          Do([&](TCustomForm& f) {
            aboutBounds = f.GetBoundsRect();
            auto& about = static_cast<TfrmAbout&>(f);
            EXPECT_EQ(about.GetCaption(), "About ...");
            EXPECT_EQ(about.rzlblProductVersion->GetCaption(), "Brisk expert for Delphi 5 - Version 1.00");
            EXPECT_EQ(about.zkhotlnkAuthor->GetHint(), "Mail me for anything");
            EXPECT_EQ(about.zkhotlnkWebPage->GetHint(), "Wisit my webpage for last version");
            EXPECT_EQ(about.GetOwner(), frmConfiguration);
          }),
          Key(VK_ESCAPE), Do([&](TCustomForm& f) { stillOpen = f.ClassType() == TfrmAbout::StaticClass(); }),
          Click("zkhotlnkAuthor"), Click("zkhotlnkWebPage"), CloseBox(),
          Do([&](TCustomForm& f) {
            EXPECT_EQ(&f, frmConfiguration) << "back in the dialog";
            EXPECT_EQ(f.GetModalResult(), mrNone);
            EXPECT_EQ(frmConfiguration->GetComponentCount(), 11) << "the About box was freed";
          }),
          Click("zkbtnCancel")});
  ClickMenuItem();
  EXPECT_TRUE(AllStepsTaken());
  EXPECT_TRUE(stillOpen) << "Escape does not close the About box";
  EXPECT_EQ(aboutBounds.Left, cfgBounds.Left + 30);
  EXPECT_EQ(aboutBounds.Top, cfgBounds.Top + 30);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].rfind("mailto:", 0), 0u) << opened[0];
  EXPECT_EQ(opened[1].rfind("http://", 0), 0u) << opened[1];
}

// The item stays in the Tools menu after its expert is destroyed; clicking it then does
// nothing, and registering again gives one item that opens the dialog.
TEST_F(DialogBehaviourTest, TheMenuItemAfterItsExpertIsGone) {
  TMenuItem* tools = IDE->GetMainWindow()->GetToolsMenu();
  auto items = [&] {
    int n = 0;
    for (Integer i = 0; i < tools->GetCount(); ++i) n += tools->GetItem(i)->GetCaption() == "QV Brisk ..";
    return n;
  };
  int opened = 0;
  SetModalHandler([&](TCustomForm& f) {
    ++opened;
    f.SetModalResult(mrCancel);
  });

  // Unloaded: the expert destroyed.
  QVBrisk_Register();
  ExpertRegistry->DestroyExperts();
  ASSERT_EQ(items(), 1);
  ClickMenuItem();
  EXPECT_EQ(opened, 0);

  // Its constructor raised: a setting of the wrong type.
  {
    auto* reg = new TRegistry();
    reg->OpenKey(QVBriskRegistryKey, true);
    reg->WriteString("Active", "yes");
    reg->Free();
  }
  EXPECT_THROW(QVBrisk_Register(), Exception);
  EXPECT_EQ(items(), 1);
  ClickMenuItem();
  EXPECT_EQ(opened, 0);

  // Mended and registered again: still one item, and it works.
  StoreSettings(true, KeyWav, EnterWav, BackWav);
  QVBrisk_Register();
  EXPECT_EQ(items(), 1);
  EXPECT_EQ(tools->GetItem(0)->GetName(), "QVBrisk");
  ClickMenuItem();
  EXPECT_EQ(opened, 1);
}

}  // namespace
