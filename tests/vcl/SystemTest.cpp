// Class descriptors with published properties read by name, and method pointers.
#include <gtest/gtest.h>

#include "platform/vcl/Classes.h"
#include "platform/vcl/TypInfo.h"

namespace {

class TFigures : public TComponent {
  DECLARE_CLASS(TFigures, TComponent)
 public:
  explicit TFigures(TComponent* AOwner) : TComponent(AOwner) {}
  Integer GetTopLine() const { return FTopLine; }
  void SetTopLine(Integer v) { FTopLine = v; }
  String GetTitle() const { return "title"; }
  void SetTitle(const String&) {}

 private:
  Integer FTopLine = 3;
};

class TMoreFigures : public TFigures {
  DECLARE_CLASS(TMoreFigures, TFigures)
 public:
  explicit TMoreFigures(TComponent* AOwner) : TFigures(AOwner) {}
  Integer GetCaretY() const { return 12; }
};

const TPropInfo FiguresProps[] = {
    PUBLISHED_INT(TFigures, "TopLine", GetTopLine, SetTopLine),
    PUBLISHED_STR(TFigures, "Title", GetTitle, SetTitle),
};
const TPropInfo MoreFiguresProps[] = {PUBLISHED_INT_RO(TMoreFigures, "CaretY", GetCaretY)};

IMPLEMENT_COMPONENT_CLASS_PROPS(TFigures, TComponent, FiguresProps)
IMPLEMENT_COMPONENT_CLASS_PROPS(TMoreFigures, TFigures, MoreFiguresProps)

TEST(TypInfoTest, PublishedOrdinalsAreReadByNameWithoutRegardToCase) {
  TComponent* owner = new TComponent(nullptr);
  // Made through the class descriptor's virtual constructor, as class references do.
  TComponent* made = TMoreFigures::StaticClass()->Create(owner);
  ASSERT_EQ(made->ClassName(), "TMoreFigures");
  EXPECT_TRUE(made->InheritsFrom(TFigures::StaticClass()));
  EXPECT_EQ(made->GetOwner(), owner);

  struct {
    const char* Name;
    Int64 Value;  // -1: not published
  } rows[] = {{"TopLine", 3}, {"topline", 3}, {"TOPLINE", 3}, {"CaretY", 12}, {"caretY", 12}, {"LineCount", -1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    PPropInfo info = GetPropInfo(made, row.Name);
    if (row.Value < 0) {
      EXPECT_EQ(info, nullptr);
      continue;
    }
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(GetOrdProp(made, info), row.Value);
  }
  EXPECT_EQ(GetPropInfo(TFigures::StaticClass(), "CaretY"), nullptr) << "a parent does not see its heirs' properties";

  SetOrdProp(made, GetPropInfo(made, "topLine"), 7);
  EXPECT_EQ(static_cast<TFigures*>(made)->GetTopLine(), 7);
  EXPECT_THROW(GetOrdProp(made, GetPropInfo(made, "Title")), EPropertyError);
  EXPECT_THROW(SetOrdProp(made, GetPropInfo(made, "CaretY"), 1), EPropertyError);
  owner->Free();
}

struct TTarget {
  int Hits = 0;
  void First(TObject*) { ++Hits; }
  void Second(TObject*) { Hits += 10; }
};

TEST(MethodTest, MethodPointersCompareByObjectAndCode) {
  TTarget t1, t2;
  TNotifyEvent t1First = MethodOf<&TTarget::First>(&t1);
  TNotifyEvent none;
  static_assert(sizeof(TNotifyEvent) == 2 * sizeof(void*), "two words, like the original");
  EXPECT_TRUE(t1First == MethodOf<&TTarget::First>(&t1));
  EXPECT_FALSE(t1First == MethodOf<&TTarget::Second>(&t1)) << "same object, other code";
  EXPECT_FALSE(t1First == MethodOf<&TTarget::First>(&t2)) << "same code, other object";
  EXPECT_FALSE(Assigned(none));
  EXPECT_TRUE(none == TNotifyEvent(nullptr));
  EXPECT_TRUE(Assigned(t1First));

  TNotifyEvent copy = t1First;
  copy(nullptr);
  MethodOf<&TTarget::Second>(&t2)(nullptr);
  EXPECT_EQ(t1.Hits, 1);
  EXPECT_EQ(t2.Hits, 10);
}

}  // namespace
