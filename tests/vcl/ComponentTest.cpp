// The component model: notifications down the ownership tree, destruction order, free
// notification, names per owner.
#include <algorithm>

#include "Recorder.h"
#include "support/ErrorOf.h"

namespace {

class ComponentTest : public TIdeFixture {
 protected:
  static TMessageLog Sorted(TMessageLog l) {
    std::sort(l.begin(), l.end());
    return l;
  }
  TMessageLog log;
};


// The order in which an owner passes a notification on differs between library versions,
// so these tests compare who heard what, not in which order.
TEST_F(ComponentTest, InsertAndRemoveAreToldToEveryComponentDownTheOwnershipTree) {
  auto* owner = new TRecorder(nullptr, "Owner", log);
  auto* r1 = new TRecorder(owner, "R1", log);
  new TRecorder(r1, "G", log);
  auto* r2 = new TRecorder(owner, "R2", log);
  log.clear();

  auto* plain = new TComponent(owner);  // still unnamed when it is announced
  EXPECT_EQ(Sorted(log), (TMessageLog{"G <- insert ''", "Owner <- insert ''", "R1 <- insert ''", "R2 <- insert ''"}));

  log.clear();
  r2->Free();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), "R2 destroyed while owned");
  EXPECT_EQ(Sorted({log.begin() + 1, log.end()}),
            (TMessageLog{"G <- remove R2", "Owner <- remove R2", "R1 <- remove R2", "R2 <- remove R2"}))
      << "the component being removed hears of it too";
  ASSERT_EQ(owner->GetComponentCount(), 2);
  EXPECT_EQ(owner->GetComponent(0), r1);
  EXPECT_EQ(owner->GetComponent(1), plain);
  EXPECT_EQ(plain->GetComponentIndex(), 1);
  owner->Free();
}

TEST_F(ComponentTest, AnOwnerDestroysItsComponentsLastFirstDetachingEachSilently) {
  auto* owner = new TRecorder(nullptr, "Owner", log);
  auto* r1 = new TRecorder(owner, "R1", log);
  new TRecorder(owner, "R2", log);
  auto* r3 = new TRecorder(owner, "R3", log);
  r3->OnDestroying = [&] { log.push_back(std::string("R1 marked destroying: ") + (r1->Destroying() ? "yes" : "no")); };
  log.clear();
  owner->Free();
  EXPECT_EQ(log, (TMessageLog{"Owner destroyed", "R3 destroyed", "R1 marked destroying: yes", "R2 destroyed", "R1 destroyed"}))
      << "no notification at all: neither the owner nor the siblings hear of the detach";
}

TEST_F(ComponentTest, FreeNotificationReachesAComponentOfAnotherOwnerBothWays) {
  for (bool aRegisters : {true, false}) {
    SCOPED_TRACE(aRegisters ? "A asks about B" : "B asks about A");
    auto* x = new TRecorder(nullptr, "X", log);
    auto* y = new TRecorder(nullptr, "Y", log);
    auto* a = new TRecorder(x, "A", log);
    new TRecorder(x, "A2", log);
    auto* b = new TRecorder(y, "B", log);
    if (aRegisters)
      a->FreeNotification(b);
    else
      b->FreeNotification(a);

    log.clear();
    b->Free();
    EXPECT_EQ(log, (TMessageLog{"B destroyed while owned", "A <- remove B", "Y <- remove B", "B <- remove B"}));
    log.clear();
    a->Free();  // must not reach B any more
    EXPECT_EQ(log.front(), "A destroyed while owned");
    EXPECT_EQ(Sorted({log.begin() + 1, log.end()}), (TMessageLog{"A <- remove A", "A2 <- remove A", "X <- remove A"}));
    x->Free();
    y->Free();
  }
}

// Taking a free notification back undoes both directions, so neither side keeps a pointer to
// the other when it dies first.
TEST_F(ComponentTest, RemovedFreeNotificationIsGoneBothWays) {
  for (bool aDiesFirst : {true, false}) {
    SCOPED_TRACE(aDiesFirst ? "A dies first" : "B dies first");
    auto* x = new TRecorder(nullptr, "X", log);
    auto* y = new TRecorder(nullptr, "Y", log);
    auto* a = new TRecorder(x, "A", log);
    auto* b = new TRecorder(y, "B", log);
    a->FreeNotification(b);
    a->RemoveFreeNotification(b);
    log.clear();
    (aDiesFirst ? a : b)->Free();
    (aDiesFirst ? b : a)->Free();
    EXPECT_EQ(Sorted(log), Sorted({"A destroyed while owned", "X <- remove A", "A <- remove A", "B destroyed while owned",
                                   "Y <- remove B", "B <- remove B"}));
    x->Free();
    y->Free();
  }
}

TEST_F(ComponentTest, NamesAreValidIdentifiersUniquePerOwnerWithoutRegardToCase) {
  auto* owner = new TComponent(Application);
  auto* button = new TComponent(owner);
  button->SetName("Button1");
  auto* edit = new TComponent(owner);
  edit->SetName("Edit1");
  auto* loose = new TComponent(nullptr);
  struct {
    TComponent* Target;
    const char* NewName;
    const char* Error;  // "" when accepted
  } rows[] = {
      {edit, "Button1", "EComponentError: A component named Button1 already exists"},
      {edit, "BUTTON1", "EComponentError: A component named BUTTON1 already exists"},
      {edit, "1abc", "EComponentError: ''1abc'' is not a valid component name"},
      {edit, "Edit 1", "EComponentError: ''Edit 1'' is not a valid component name"},
      {button, "BUTTON1", ""},  // only the letter case changes
      {edit, "", ""},
      {loose, "Button1", ""},  // no owner, nobody to clash with
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.NewName);
    String before = row.Target->GetName();
    EXPECT_EQ(ErrorOf([&] { row.Target->SetName(row.NewName); }), row.Error);
    EXPECT_EQ(row.Target->GetName(), *row.Error ? before : String(row.NewName));
  }
  EXPECT_EQ(owner->FindComponent("button1"), button);
  EXPECT_EQ(owner->FindComponent(""), nullptr);
  loose->Free();
}

class TFailing : public TComponent {
 public:
  explicit TFailing(TComponent* AOwner) : TComponent(AOwner) { throw EComponentError("refused"); }
};

class TFailingControl : public TWinControl {
 public:
  explicit TFailingControl(TComponent* AOwner) : TWinControl(AOwner) { throw EComponentError("refused"); }
};

TEST_F(ComponentTest, AConstructorThatRaisesLeavesNothingBehindInItsOwner) {
  auto* owner = new TRecorder(Application, "Owner", log);
  auto* r1 = new TRecorder(owner, "R1", log);
  int instances = GetObjectInstanceCount();
  log.clear();
  EXPECT_EQ(ErrorOf([&] { new TFailing(owner); }), "EComponentError: refused");
  EXPECT_EQ(ErrorOf([&] { new TFailingControl(owner); }), "EComponentError: refused");
  EXPECT_EQ(owner->GetComponentCount(), 1);
  EXPECT_EQ(GetObjectInstanceCount(), instances) << "the control's window procedure went too";
  EXPECT_EQ(Sorted(log), Sorted({"Owner <- insert ''", "R1 <- insert ''", "Owner <- remove ''", "R1 <- remove ''",
                                 "Owner <- insert ''", "R1 <- insert ''", "Owner <- remove ''", "R1 <- remove ''"}));
  log.clear();
  r1->Free();
  EXPECT_EQ(log.front(), "R1 destroyed while owned") << "no stale entry is told";
  EXPECT_EQ(Sorted({log.begin() + 1, log.end()}), (TMessageLog{"Owner <- remove R1", "R1 <- remove R1"}));
}

}  // namespace
