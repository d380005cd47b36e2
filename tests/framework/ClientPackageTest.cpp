// A client package of its own, loaded at run time: it registers its extension classes, they
// answer commands, and they are gone before the package is unloaded.
#include <dlfcn.h>

#include "FrameworkFixture.h"

namespace {

class ClientPackageTest : public TFrameworkFixture {
 protected:
  void SetUp() override {
    TFrameworkFixture::SetUp();
    Lines = new TStringList();
  }
  void TearDown() override {
    Unload();
    Lines->Free();
    TFrameworkFixture::TearDown();
  }
  void Load() {
    Handle = dlopen(BRISK_CLIENT_PACKAGE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(Handle, nullptr) << dlerror();
    Register = Entry<void (*)()>("BriskClient_Register");
    Unregister = Entry<void (*)()>("BriskClient_Unregister");
    LiveInstances = Entry<int (*)()>("BriskClient_LiveInstances");
    ASSERT_TRUE(Register && Unregister && LiveInstances);
  }
  // The package's classes leave the framework before its code does.
  void Unload() {
    if (!Handle) return;
    if (Unregister) Unregister();
    if (LiveInstances) {
      EXPECT_EQ(LiveInstances(), 0);
    }
    dlclose(Handle);
    Handle = nullptr;
  }
  template <class F>
  F Entry(const char* name) {
    return reinterpret_cast<F>(dlsym(Handle, name));
  }
  // Sends a command through the IDE-wide manager; the answers come back in Param and Lines.
  bool Send(const String& command) {
    Lines->Clear();
    auto* msg = new TEIExtensionMessage(MainForm, command, 0, Lines);
    const bool result = FindIDEIntegrationManager()->ExecuteCommand(msg);
    Param = msg->Param;
    msg->Free();
    return result;
  }

  std::vector<std::string> Answers() const {
    std::vector<std::string> v;
    for (Integer i = 0; i < Lines->GetCount(); ++i) v.push_back(Lines->Get(i));
    return v;
  }

  void* Handle = nullptr;
  void (*Register)() = nullptr;
  void (*Unregister)() = nullptr;
  int (*LiveInstances)() = nullptr;
  TStringList* Lines = nullptr;
  Integer Param = 0;
};

}  // namespace

TEST_F(ClientPackageTest, RegistersAnswersAndLeavesBeforeItIsUnloaded) {
  EditorOf(Editors[0])->SetText("a\nb");
  EditorOf(Editors[1])->SetText("a\nb\nc");
  ASSERT_NO_FATAL_FAILURE(Load());
  Register();
  TIDEManager* ide = FindIDEIntegrationManager();
  ASSERT_NE(ide, nullptr);
  EXPECT_EQ(ide->GetEIIExpertNames(0), "RegisterEIExtensionClass");
  ASSERT_EQ(ide->GetExtensionClassCount(), 2);
  ASSERT_EQ(ide->GetExtensionCount(), 1);
  EXPECT_EQ(ide->GetExtensions(0)->GetName(), "ClientIDEExtension");
  ASSERT_EQ(ide->GetEIManagerCount(), 2);
  TEditWindow* later = OpenLater("Later.pas");
  ASSERT_EQ(ide->GetEIManagerCount(), 3);
  EXPECT_EQ(ide->GetEIManager(2)->GetExtensions(0)->GetName(), "ClientEditorExtension");
  EXPECT_EQ(LiveInstances(), 4);

  const String a = ide->GetEIManager(0)->GetEditorForm()->GetCaption();
  const String b = ide->GetEIManager(1)->GetEditorForm()->GetCaption();
  EXPECT_TRUE(Send("ClientIDEExtension.Ask"));
  EXPECT_EQ(Param, 42);
  EXPECT_EQ(Answers(), std::vector<std::string>{"TClientIDEExtension@IDE Ask"});

  // Answered in every window, but the IDE level decides the result.
  EXPECT_FALSE(Send("Lines"));
  EXPECT_EQ(Param, 2 + 3 + 1);
  EXPECT_EQ(Answers(), (std::vector<std::string>{"TClientIDEExtension@IDE Lines", "TClientEditorExtension@" + a + " Lines",
                                                "TClientEditorExtension@" + b + " Lines",
                                                "TClientEditorExtension@Later.pas Lines"}));

  later->Free();
  EXPECT_EQ(LiveInstances(), 3);

  Unregister();
  EXPECT_EQ(LiveInstances(), 0);
  EXPECT_EQ(ide->GetExtensionClassCount(), 0);
  EXPECT_EQ(ide->GetExtensionCount(), 0);
  for (Integer i = 0; i < ide->GetEIManagerCount(); ++i) EXPECT_EQ(ide->GetEIManager(i)->GetExtensionCount(), 0);
  Unload();

  // Nothing of the package is reached any more: commands find no one, new windows get nothing.
  EXPECT_FALSE(Send("Ask"));
  EXPECT_EQ(Lines->GetCount(), 0);
  OpenLater("Latest.pas");
  ASSERT_EQ(ide->GetEIManagerCount(), 3);
  EXPECT_EQ(ide->GetEIManager(2)->GetExtensionCount(), 0);
}
