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

namespace {

// Counts the presses and double-clicks the class library hands a control.
class TClickCounter : public TWinControl {
 public:
  using TWinControl::TWinControl;
  int Presses = 0, Doubles = 0;

 protected:
  void MouseDown(TMouseButton, TShiftState, Integer, Integer) override { ++Presses; }
  void DblClick() override { ++Doubles; }
};

}  // namespace

// Two presses of the mouse on the same spot soon enough are a double-click for a control that
// takes them, and two plain presses for one that does not; later or farther, always two presses.
TEST_F(ControlTest, ASecondPressSoonAndNearIsADoubleClickWhereTheControlTakesThem) {
  struct {
    bool Takes;
    DWORD Gap;  // ms between the presses
    int Dx;     // pixels between them
    int Doubles;
  } rows[] = {
      {true, 300, 0, 1}, {true, 500, 2, 1}, {true, 501, 0, 0}, {true, 300, 3, 0}, {false, 300, 0, 0},
  };
  auto* form = new TForm(Application);
  form->SetBounds(100, 100, 300, 200);
  auto* counter = new TClickCounter(form);
  counter->SetParent(form);
  counter->SetBounds(0, 0, 200, 100);
  form->Show();
  Application->ProcessMessages();
  const TPoint at = counter->ClientToScreen({50, 50});
  DWORD now = 10000;
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << "gap " << row.Gap << " dx " << row.Dx << (row.Takes ? "" : " (no double-clicks)"));
    TControlStyle style = counter->GetControlStyle();
    if (row.Takes) style.Include(csDoubleClicks);
    else style.Exclude(csDoubleClicks);
    counter->SetControlStyle(style);
    counter->Presses = counter->Doubles = 0;
    for (int i = 0; i < 2; ++i) {
      const TPoint p{at.X + i * row.Dx, at.Y};
      SetMessageTime(now += i ? row.Gap : 2000);
      MouseInput(WM_LBUTTONDOWN, p, MK_LBUTTON);
      MouseInput(WM_LBUTTONUP, p, 0);
      Application->ProcessMessages();
    }
    EXPECT_EQ(counter->Presses, 2);
    EXPECT_EQ(counter->Doubles, row.Doubles);
  }
}
