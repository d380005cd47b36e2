// Message boxes on the screen: the buttons a box type gives, which key and which close answer
// what, and how the box lays out its icon, text and buttons.
#include <gtest/gtest.h>

#include "DialogFormFixture.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/MessageForm.h"
#include "platform/win/WinMenu.h"

namespace {

class MessageFormTest : public TDialogFormFixture {
 protected:
  void SetUp() override {
    TDialogFormFixture::SetUp();
    Previous = SetMessageBoxAnswerer(ShowMessageForm);
  }
  void TearDown() override {
    SetMessageBoxAnswerer(Previous);
    TDialogFormFixture::TearDown();
  }
  // Records the box as the first step finds it, then runs the rest.
  void Inspect(std::function<void(TMessageForm&)> look, std::vector<TStep> rest) {
    rest.insert(rest.begin(), [look](TCustomForm& f) { look(dynamic_cast<TMessageForm&>(f)); });
    Steps(std::move(rest));
  }
  static TStep CloseBox() {
    return [](TCustomForm& f) { PostMessage(f.GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0); };
  }
  static TStep ClickButton(const char* name) {
    return [name](TCustomForm& f) { Click(ScreenRect(As<TControl>(f.FindComponent(name)))); };
  }
  TMessageBoxAnswerer Previous;
};

TEST_F(MessageFormTest, EachBoxTypeAnswersItsKeysAndItsCloseBox) {
  struct Row {
    const char* what;
    UINT type;
    std::vector<TStep> input;
    int result;
    std::vector<std::string> buttons;
    const char* focused;
  } rows[] = {
      {"OK by Enter", MB_OK, {Key(VK_RETURN)}, IDOK, {"OK"}, "OK"},
      {"OK by Escape", MB_OK, {Key(VK_ESCAPE)}, IDOK, {"OK"}, "OK"},
      {"OK by its close box", MB_OK | MB_ICONINFORMATION, {CloseBox()}, IDOK, {"OK"}, "OK"},
      {"Enter on the second default", MB_OKCANCEL | MB_DEFBUTTON2, {Key(VK_RETURN)}, IDCANCEL, {"OK", "Cancel"},
       "Cancel"},
      {"Escape is Cancel", MB_OKCANCEL, {Key(VK_ESCAPE)}, IDCANCEL, {"OK", "Cancel"}, "OK"},
      {"Yes/No ignores Escape", MB_YESNO, {Key(VK_ESCAPE)}, kLeftOpen, {"Yes", "No"}, "Yes"},
      {"Yes/No ignores its close box", MB_YESNO | MB_ICONQUESTION, {CloseBox()}, kLeftOpen, {"Yes", "No"}, "Yes"},
      {"a letter on a button is its accelerator", MB_YESNO, {Key('N')}, IDNO, {"Yes", "No"}, "Yes"},
      {"close box with a Cancel", MB_YESNOCANCEL | MB_ICONWARNING, {CloseBox()}, IDCANCEL, {"Yes", "No", "Cancel"},
       "Yes"},
      {"Tab then Enter presses the next", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, {Key(VK_TAB), Key(VK_RETURN)},
       IDIGNORE, {"Abort", "Retry", "Ignore"}, "Retry"},
      {"a click", MB_RETRYCANCEL | MB_ICONERROR, {ClickButton("Cancel")}, IDCANCEL, {"Retry", "Cancel"}, "Retry"},
      // Last: the box closes on the letter, and the Alt released after it goes with the box.
      {"Alt and a letter", MB_YESNOCANCEL, {Chord(VK_MENU, 'N')}, IDNO, {"Yes", "No", "Cancel"}, "Yes"},
  };
  for (Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<std::string> names;
    std::string focused;
    bool icon = false;
    Inspect(
        [&](TMessageForm& f) {
          for (Integer i = 0; i < f.GetComponentCount(); ++i)
            if (auto* b = As<TButton>(f.GetComponent(i))) names.push_back(b->GetName());
          if (auto* c = FindControl(::GetFocus())) focused = c->GetName();
          icon = f.FindComponent("Image") != nullptr;
        },
        row.input);
    EXPECT_EQ(MessageBox(0, "Text", "Caption", row.type), row.result);
    EXPECT_EQ(names, row.buttons);
    EXPECT_EQ(focused, row.focused);
    EXPECT_EQ(icon, (row.type & MB_ICONMASK) != 0);
  }
}

TEST_F(MessageFormTest, TheClassLibrarysDialogIsTheSameFormAndEscapeTakesItsWayOut) {
  // Yes/No: No is the way out of a message dialog, by Escape or by the close box.
  Steps({Key(VK_ESCAPE)});
  EXPECT_EQ(MessageDlg("Save the changes?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
  Steps({CloseBox()});
  EXPECT_EQ(MessageDlg("Save the changes?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
  Steps({Chord(VK_MENU, 'A')});
  EXPECT_EQ(MessageDlg("Stop?", mtWarning, mbAbortRetryIgnore, 0), mrAbort);
}

TEST_F(MessageFormTest, TextWrapsAtHalfTheScreenAndTheBoxIsCentredOnItsOwner) {
  auto* owner = new TForm(Application);
  owner->SetBounds(100, 80, 600, 400);
  owner->Show();
  Application->ProcessMessages();
  const std::string longText =
      "The settings file could not be written because the folder it lives in is read-only; your changes stay in "
      "memory for this session and are lost when the IDE closes unless the folder becomes writable again.";
  TRect form, image, text;
  std::vector<TRect> buttons;
  Inspect(
      [&](TMessageForm& f) {
        GetWindowRect(f.GetHandle(), &form);
        image = ScreenRect(As<TControl>(f.FindComponent("Image")));
        text = ScreenRect(As<TControl>(f.FindComponent("Message")));
        for (const char* name : {"Yes", "No", "Cancel"}) buttons.push_back(ScreenRect(As<TControl>(f.FindComponent(name))));
        Picture("message-box.png");
      },
      {Key(VK_RETURN)});
  EXPECT_EQ(MessageBox(owner->GetHandle(), longText, "Brisk IDE", MB_YESNOCANCEL | MB_ICONWARNING), IDYES);
  // Centred on the owner.
  EXPECT_NEAR((form.Left + form.Right) / 2, 400, 1);
  EXPECT_NEAR((form.Top + form.Bottom) / 2, 280, 1);
  // The icon at the top left, the text beside it, wrapped to at most half the screen.
  EXPECT_EQ(image.Width(), 32);
  EXPECT_EQ(image.Height(), 32);
  EXPECT_GT(text.Left, image.Right);
  EXPECT_LE(text.Width(), GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_GE(text.Height(), 2 * 13) << "the text is wrapped onto several lines";
  // The buttons in a row below the text, all 75 × 23, the row centred.
  ASSERT_EQ(buttons.size(), 3u);
  for (size_t i = 0; i < buttons.size(); ++i) {
    EXPECT_EQ(buttons[i].Width(), 75);
    EXPECT_EQ(buttons[i].Height(), 23);
    EXPECT_GT(buttons[i].Top, text.Bottom);
    if (i) {
      EXPECT_GT(buttons[i].Left, buttons[i - 1].Right);
    }
  }
  const int leftGap = buttons.front().Left - form.Left, rightGap = form.Right - buttons.back().Right;
  EXPECT_NEAR(leftGap, rightGap, 2);
  owner->Free();
}

TEST_F(MessageFormTest, EachIconIsPaintedAndTheFourDiffer) {
  std::vector<std::vector<uint32_t>> pictures;
  for (UINT icon : {MB_ICONERROR, MB_ICONWARNING, MB_ICONINFORMATION, MB_ICONQUESTION}) {
    Inspect(
        [&](TMessageForm& f) {
          Application->ProcessMessages();
          const TRect r = ScreenRect(As<TControl>(f.FindComponent("Image")));
          std::vector<uint32_t> pixels;
          for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) pixels.push_back(ScreenSurface().Row(y)[x] & 0xFFFFFF);
          pictures.push_back(pixels);
          if (icon == MB_ICONQUESTION) Picture("message-box-question.png");
        },
        {Key(VK_RETURN)});
    MessageBox(0, "Short.", "Icons", MB_OK | icon);
  }
  ASSERT_EQ(pictures.size(), 4u);
  const uint32_t face = pictures[0][0];
  for (size_t i = 0; i < pictures.size(); ++i) {
    EXPECT_GT(std::count_if(pictures[i].begin(), pictures[i].end(), [&](uint32_t p) { return p != face; }), 300)
        << "icon " << i << " has little ink";
    for (size_t j = 0; j < i; ++j) EXPECT_NE(pictures[i], pictures[j]) << "icons " << i << " and " << j;
  }
}

}  // namespace
