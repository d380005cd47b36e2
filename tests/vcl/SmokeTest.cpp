#include "support/IdeFixture.h"

using SmokeTest = TIdeFixture;

TEST_F(SmokeTest, TypingChangesTheEditorText) {
  TEditWindow* w = CreateEditWindow(Application);
  w->Show();
  TEditControl* e = w->GetEditControl();
  ASSERT_NE(e, nullptr);
  TypeKey(e->GetHandle(), 'A');
  TypeKey(e->GetHandle(), 'B');
  EXPECT_EQ(e->GetText(), "ab");
}
