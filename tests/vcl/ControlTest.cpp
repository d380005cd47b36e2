// Windowed controls: windows made on demand, parents first, and the destruction order.
#include "Recorder.h"

namespace {

class ControlTest : public TIdeFixture {
 protected:
  TMessageLog log;
};

TEST_F(ControlTest, TheWindowIsMadeWhenTheHandleIsFirstAskedForParentsFirst) {
  auto* form = new TForm(Application);
  auto* panel = new TLogControl(form, "P", log);
  panel->SetParent(form);
  auto* control = new TLogControl(form, "C", log);
  control->SetParent(panel);
  int windows = GetWindowCount();
  for (TWinControl* c : {static_cast<TWinControl*>(form), static_cast<TWinControl*>(panel), static_cast<TWinControl*>(control)})
    EXPECT_FALSE(c->HandleAllocated());
  EXPECT_EQ(GetWindowCount(), windows) << "asking whether there is a window makes none";

  HWND h = control->GetHandle();
  EXPECT_EQ(log, (TMessageLog{"P:WM_CREATE", "C:WM_CREATE"}));
  ASSERT_TRUE(form->HandleAllocated());
  EXPECT_EQ(GetParent(h), panel->GetHandle());
  EXPECT_EQ(GetParent(panel->GetHandle()), form->GetHandle());
  EXPECT_EQ(GetParent(form->GetHandle()), 0u) << "a form is an overlapped top-level window";
  EXPECT_EQ(GetWindowClassName(h), "TLogControl") << "the window class is the control's class name";
  EXPECT_EQ(GetWindowClassName(form->GetHandle()), "TForm");
  EXPECT_EQ(FindControl(h), control);
  EXPECT_EQ(GetWindowCount(), windows + 3);
}

TEST_F(ControlTest, AWindowedControlWithoutParentHasNoWindow) {
  auto* lonely = new TLogControl(Application, "Lonely", log);
  int windows = GetWindowCount();
  try {
    lonely->GetHandle();
    ADD_FAILURE() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message, "Control 'Lonely' has no parent window");
  }
  EXPECT_FALSE(lonely->HandleAllocated());
  EXPECT_EQ(GetWindowCount(), windows);
}

// The window goes first (with its child windows), then the child controls whatever their
// owner, each of which the owner hears about, then the control leaves its own owner.
TEST_F(ControlTest, DestructionEndsTheWindowThenChildControlsThenTheOwnersEntry) {
  auto* form = new TForm(Application);
  auto* o1 = new TRecorder(Application, "O1", log);
  auto* o2 = new TRecorder(Application, "O2", log);
  auto* panel = new TLogControl(o1, "P", log);
  panel->SetParent(form);
  auto* child = new TLogControl(o2, "C", log);
  child->SetParent(panel);
  child->GetHandle();
  log.clear();

  panel->Free();
  EXPECT_EQ(log, (TMessageLog{"P destroyed with its window", "C:WM_NCDESTROY", "P:WM_NCDESTROY", "C destroyed",
                              "O2 <- remove C", "O1 <- remove P"}));
  EXPECT_EQ(form->GetControlCount(), 0);
  EXPECT_TRUE(form->HandleAllocated());
  EXPECT_EQ(o1->GetComponentCount(), 0);
  EXPECT_EQ(o2->GetComponentCount(), 0);
}

}  // namespace
