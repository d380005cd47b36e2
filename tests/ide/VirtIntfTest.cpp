// Reference counting, the live count, the release guard and the exception helper.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/ide/VirtIntf.h"

namespace {

class TProbe : public TInterface {
 public:
  TProbe(std::vector<int>* log, int id) : FLog(log), FId(id) {}
  void Destroy() override {
    if (FLog) FLog->push_back(FId);
    TInterface::Destroy();
  }

 private:
  std::vector<int>* FLog;
  int FId;
};

TEST(InterfaceTest, ReleaseFreesAtZeroAndTheLiveCountFollows) {
  int before = GetLiveInterfaceCount();
  std::vector<int> freed;
  auto* p = new TProbe(&freed, 1);
  EXPECT_EQ(GetLiveInterfaceCount(), before + 1);
  EXPECT_EQ(p->GetRefCount(), 1);
  EXPECT_EQ(p->AddRef(), 2);
  EXPECT_EQ(p->Release(), 1);
  EXPECT_TRUE(freed.empty());
  EXPECT_EQ(p->Release(), 0);
  EXPECT_EQ(freed, std::vector<int>{1});
  EXPECT_EQ(GetLiveInterfaceCount(), before);
}

TEST(InterfaceTest, GuardsReleaseInReverseOrderWhenTheScopeRaises) {
  int before = GetLiveInterfaceCount();
  std::vector<int> freed;
  auto obtainAndRaise = [&] {
    TInterfaceGuard<TProbe> first(new TProbe(&freed, 1));
    TInterfaceGuard<TProbe> second(new TProbe(&freed, 2));
    TInterfaceGuard<TProbe> empty;  // a call that returned null
    throw Exception("host call failed");
  };
  EXPECT_THROW(obtainAndRaise(), Exception);
  EXPECT_EQ(freed, (std::vector<int>{2, 1}));
  EXPECT_EQ(GetLiveInterfaceCount(), before);
}

TEST(InterfaceTest, DetachedReferenceIsTheCallersToRelease) {
  std::vector<int> freed;
  TProbe* kept;
  {
    TInterfaceGuard<TProbe> g(new TProbe(&freed, 1));
    kept = g.Detach();
  }
  EXPECT_TRUE(freed.empty());
  kept->Release();
  EXPECT_EQ(freed, std::vector<int>{1});
}

TEST(InterfaceTest, ReleaseExceptionGivesTheMessageOfTheExceptionBeingHandled) {
  EXPECT_EQ(ReleaseException(), "");
  try {
    throw EConvertError("'x' is not a valid integer value");
  } catch (...) {
    EXPECT_EQ(ReleaseException(), "'x' is not a valid integer value");
  }
  try {
    throw std::runtime_error("plain C++ error");
  } catch (...) {
    EXPECT_EQ(ReleaseException(), "plain C++ error");
  }
  try {
    throw 42;
  } catch (...) {
    EXPECT_EQ(ReleaseException(), "Unknown exception");
  }
}

TEST(InterfaceTest, FaultSeamRaisesForTheNamedOperationOnlyUntilCleared) {
  SetInterfaceFault("TIEditorInterface.GetView", "view broken");
  EXPECT_NO_THROW(CheckInterfaceFault("TIEditorInterface.CreateReader"));
  try {
    CheckInterfaceFault("TIEditorInterface.GetView");
    ADD_FAILURE() << "no fault raised";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "view broken");
  }
  ClearInterfaceFaults();
  EXPECT_NO_THROW(CheckInterfaceFault("TIEditorInterface.GetView"));
}

}  // namespace
