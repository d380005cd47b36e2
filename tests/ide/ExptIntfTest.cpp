// The expert registry: registration with the IDE's checks, ownership, per-package unload.
#include <vector>

#include "IDEHostFixture.h"

namespace {

std::vector<String> gDestroyed;

class TTestExpert : public TIExpert {
 public:
  TTestExpert(String id, TExpertStyle style = esAddIn, bool raiseOnDestroy = false)
      : FID(std::move(id)), FStyle(style), FRaiseOnDestroy(raiseOnDestroy) {}
  String GetIDString() override { return FID; }
  String GetName() override { return FID + " name"; }
  TExpertStyle GetStyle() override { return FStyle; }
  void Destroy() override {
    gDestroyed.push_back(FID);
    // What the IDE still offers while it ends its experts.
    FSawToolServices = ToolServices != nullptr;
    TIExpert::Destroy();
  }
  // Raises once the expert is gone, so the failure leaks nothing.
  Integer Release() override {
    String failure = FRaiseOnDestroy ? "expert " + FID + " failed to end" : String();
    Integer r = TIExpert::Release();
    if (r == 0 && !failure.empty()) throw Exception(failure);
    return r;
  }
  static inline bool FSawToolServices = false;

 private:
  String FID;
  TExpertStyle FStyle;
  bool FRaiseOnDestroy;
};

class ExpertRegistryTest : public TIDEHostFixture {
 protected:
  void SetUp() override {
    gDestroyed.clear();
    TIDEHostFixture::SetUp();
  }
  void Register(const String& package, const String& id) {
    ExpertRegistry->SetRegisteringPackage(package);
    RegisterLibraryExpert(new TTestExpert(id));
    ExpertRegistry->SetRegisteringPackage("");
  }
};

TEST_F(ExpertRegistryTest, RegisteredExpertsAreListedWithTheIdentityTheyGave) {
  ExpertRegistry->SetRegisteringPackage("BriskPack");
  RegisterLibraryExpert(new TTestExpert("QV.Test", esAddIn));
  ExpertRegistry->SetRegisteringPackage("");
  RegisterLibraryExpert(new TTestExpert("Plain", esStandard));

  ASSERT_EQ(ExpertRegistry->GetCount(), 2);
  const auto& e = ExpertRegistry->GetEntry(0);
  EXPECT_EQ(e.IDString, "QV.Test");
  EXPECT_EQ(e.Name, "QV.Test name");
  EXPECT_EQ(e.Style, esAddIn);
  EXPECT_EQ(e.Package, "BriskPack");
  EXPECT_EQ(ExpertRegistry->GetEntry(1).Package, "");
  EXPECT_EQ(ExpertRegistry->FindExpert("Plain"), ExpertRegistry->GetEntry(1).Expert);
  EXPECT_EQ(ExpertRegistry->FindExpert("plain"), nullptr);  // IDs compare exactly
}

TEST_F(ExpertRegistryTest, UnloadingAPackageEndsOnlyItsExpertsLastRegisteredFirst) {
  Register("A", "a1");
  Register("B", "b1");
  Register("A", "a2");
  ExpertRegistry->DestroyExperts("a");  // package names compare without regard to case
  EXPECT_EQ(gDestroyed, (std::vector<String>{"a2", "a1"}));
  ASSERT_EQ(ExpertRegistry->GetCount(), 1);
  EXPECT_EQ(ExpertRegistry->GetEntry(0).IDString, "b1");
}

TEST_F(ExpertRegistryTest, RejectedExpertsAreReleasedAndTheCallRaises) {
  int live = GetLiveInterfaceCount();
  RegisterLibraryExpert(new TTestExpert("Same"));
  EXPECT_THROW(RegisterLibraryExpert(new TTestExpert("Same")), EInvalidOperation);
  EXPECT_EQ(ExpertRegistry->GetCount(), 1);
  EXPECT_EQ(gDestroyed, std::vector<String>{"Same"});  // the second one, released at once

  // An expert that leaves its identity abstract cannot be registered either.
  class TNoIdentity : public TIExpert {};
  EXPECT_THROW(RegisterLibraryExpert(new TNoIdentity()), EAbstractError);
  EXPECT_EQ(GetLiveInterfaceCount(), live + 1);
}

TEST_F(ExpertRegistryTest, AnExpertThatFailsToEndIsReportedAndTheOthersStillEnd) {
  RegisterLibraryExpert(new TTestExpert("first"));
  RegisterLibraryExpert(new TTestExpert("failing", esAddIn, true));
  RegisterLibraryExpert(new TTestExpert("last"));
  ExpertRegistry->DestroyExperts();
  EXPECT_EQ(gDestroyed, (std::vector<String>{"last", "failing", "first"}));
  EXPECT_EQ(Application->GetLastExceptionMessage(), "expert failing failed to end");
  EXPECT_EQ(ExpertRegistry->GetCount(), 0);
}

TEST_F(ExpertRegistryTest, ShutdownEndsTheExpertsWhileTheToolServicesStillStand) {
  RegisterLibraryExpert(new TTestExpert("x"));
  TTestExpert::FSawToolServices = false;
  ShutdownIDE();
  EXPECT_EQ(gDestroyed, std::vector<String>{"x"});
  EXPECT_TRUE(TTestExpert::FSawToolServices);
  EXPECT_EQ(ExpertRegistry, nullptr);
  EXPECT_EQ(ToolServices, nullptr);
}

TEST_F(ExpertRegistryTest, EndingTheApplicationAloneStillEndsTheIDEAndItsExperts) {
  RegisterLibraryExpert(new TTestExpert("x"));
  Project()->OpenBuffer("Unit1.pas", "unit Unit1;");
  DoneApplication();
  EXPECT_EQ(gDestroyed, std::vector<String>{"x"});
  EXPECT_EQ(IDE, nullptr);
  EXPECT_EQ(ToolServices, nullptr);
  EXPECT_EQ(ExpertRegistry, nullptr);
}

TEST(ExpertOutsideIDETest, RegisteringWithoutAnIDEReleasesTheExpertAndRaises) {
  ASSERT_EQ(ExpertRegistry, nullptr);
  gDestroyed.clear();
  EXPECT_THROW(RegisterLibraryExpert(new TTestExpert("orphan")), EInvalidOperation);
  EXPECT_EQ(gDestroyed, std::vector<String>{"orphan"});
}

TEST(ExpertOutsideIDETest, OperationsAnExpertLeavesOutRaiseAbstractError) {
  TTestExpert* e = new TTestExpert("x");
  EXPECT_EQ(e->GetStyle(), esAddIn);
  EXPECT_THROW(e->GetMenuText(), EAbstractError);
  EXPECT_THROW(e->Execute(), EAbstractError);
  EXPECT_THROW(e->GetState(), EAbstractError);
  e->Release();
}

}  // namespace
