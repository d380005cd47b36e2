// Message boxes and message dialogs: what they show, what they return, and the seam that
// records and answers them.
#include <gtest/gtest.h>

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"

namespace {

class MessageBoxSeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Previous = SetMessageBoxAnswerer(nullptr);
    ClearShownMessageBoxes();
  }
  void TearDown() override {
    SetMessageBoxAnswerer(Previous);
    ClearShownMessageBoxes();
  }
  // Answers every box with `answer` and keeps what it was asked.
  void AnswerWith(int answer) {
    SetMessageBoxAnswerer([this, answer](const TMessageBoxRequest& r) {
      Asked.push_back(r);
      return answer;
    });
  }
  static std::vector<std::string> Captions(const TMessageBoxRequest& r) {
    std::vector<std::string> out;
    for (const auto& b : r.Buttons) out.push_back(b.Caption);
    return out;
  }

  TMessageBoxAnswerer Previous;
  std::vector<TMessageBoxRequest> Asked;
};

TEST_F(MessageBoxSeamTest, MessageDlgTitleAndIconFollowTheDialogType) {
  InitApplication();
  Application->Title = "Brisk IDE";
  struct Row {
    TMsgDlgType type;
    const char* title;
    UINT icon;
  } rows[] = {{mtWarning, "Warning", MB_ICONWARNING},
              {mtError, "Error", MB_ICONERROR},
              {mtInformation, "Information", MB_ICONINFORMATION},
              {mtConfirmation, "Confirm", MB_ICONQUESTION},
              {mtCustom, "Brisk IDE", 0}};
  AnswerWith(mrOk);
  for (const Row& row : rows) MessageDlg("text", row.type, {mbOK}, 0);
  DoneApplication();
  ASSERT_EQ(Asked.size(), std::size(rows));
  for (size_t i = 0; i < Asked.size(); ++i) {
    EXPECT_EQ(Asked[i].Caption, rows[i].title);
    EXPECT_EQ(Asked[i].Icon(), rows[i].icon) << rows[i].title;
    EXPECT_EQ(Asked[i].DlgType, rows[i].type);
  }
}

TEST_F(MessageBoxSeamTest, MessageDlgShowsButtonsInTheirFixedOrderWithDefaultAndCancel) {
  struct Row {
    TMsgDlgButtons buttons;
    std::vector<std::string> captions;
    TModalResult defaultResult, cancelResult;
  } rows[] = {
      {{mbOK}, {"OK"}, mrOk, mrOk},
      {mbOKCancel, {"OK", "Cancel"}, mrOk, mrCancel},
      {{mbCancel, mbNo, mbYes}, {"&Yes", "&No", "Cancel"}, mrYes, mrCancel},
      {{mbNo, mbYes}, {"&Yes", "&No"}, mrYes, mrNo},
      {{mbOK, mbNo}, {"&No", "OK"}, mrOk, mrNo},
      {{mbRetry, mbYes}, {"&Yes", "&Retry"}, mrYes, mrCancel},
      {mbAbortRetryIgnore, {"&Abort", "&Retry", "&Ignore"}, mrRetry, mrCancel},
      {{}, {}, mrNone, mrCancel},
      {{mbHelp, mbYesToAll, mbNoToAll, mbAll, mbIgnore, mbRetry, mbAbort, mbCancel, mbOK, mbNo, mbYes},
       {"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help"},
       mrOk, mrCancel},
  };
  AnswerWith(mrOk);
  for (const Row& row : rows) MessageDlg("?", mtConfirmation, row.buttons, 0);
  ASSERT_EQ(Asked.size(), std::size(rows));
  for (size_t i = 0; i < Asked.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Captions(Asked[i]), rows[i].captions);
    EXPECT_EQ(Asked[i].DefaultResult, rows[i].defaultResult);
    EXPECT_EQ(Asked[i].CancelResult, rows[i].cancelResult);
    EXPECT_EQ(Asked[i].DlgButtons, rows[i].buttons.Bits());
  }
  const auto& all = Asked.back().Buttons;
  std::vector<int> results;
  for (const auto& b : all) results.push_back(b.Result);
  EXPECT_EQ(results, (std::vector<int>{mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll,
                                       mrYesToAll, mrNone}));
}

TEST_F(MessageBoxSeamTest, MessageDlgReturnsTheAnswerAndRecordsTheDialog) {
  AnswerWith(mrNo);
  EXPECT_EQ(MessageDlg("Save changes?", mtConfirmation, mbYesNoCancel, 42), mrNo);
  ShowMessage("Done.");

  auto shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].Text, "Save changes?");
  EXPECT_EQ(shown[0].Caption, "Confirm");
  EXPECT_EQ(shown[0].DlgType, mtConfirmation);
  EXPECT_EQ(shown[0].DlgButtons, mbYesNoCancel.Bits());
  EXPECT_EQ(shown[0].HelpContext, 42);
  EXPECT_EQ(shown[1].Text, "Done.");
  EXPECT_EQ(shown[1].DlgType, mtCustom);
  EXPECT_EQ(Captions(shown[1]), std::vector<std::string>{"OK"});
  ClearShownMessageBoxes();
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(MessageBoxSeamTest, MessageBoxButtonsComeFromItsTypeBits) {
  struct Row {
    UINT type;
    std::vector<std::string> captions;
    int defaultResult, cancelResult;
  } rows[] = {
      {MB_OK | MB_ICONINFORMATION, {"OK"}, IDOK, IDOK},
      {MB_OKCANCEL, {"OK", "Cancel"}, IDOK, IDCANCEL},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, {"&Abort", "&Retry", "&Ignore"}, IDIGNORE, 0},
      {MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, {"&Yes", "&No", "Cancel"}, IDNO, IDCANCEL},
      {MB_YESNO | MB_ICONWARNING, {"&Yes", "&No"}, IDYES, 0},
      {MB_RETRYCANCEL | MB_DEFBUTTON4, {"&Retry", "Cancel"}, IDRETRY, IDCANCEL},
  };
  AnswerWith(IDCANCEL);
  for (const Row& row : rows) EXPECT_EQ(MessageBox(7, "text", "caption", row.type), IDCANCEL);
  ASSERT_EQ(Asked.size(), std::size(rows));
  for (size_t i = 0; i < Asked.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Captions(Asked[i]), rows[i].captions);
    EXPECT_EQ(Asked[i].DefaultResult, rows[i].defaultResult);
    EXPECT_EQ(Asked[i].CancelResult, rows[i].cancelResult);
    EXPECT_EQ(Asked[i].Icon(), rows[i].type & MB_ICONMASK);
    EXPECT_EQ(Asked[i].ButtonSet(), rows[i].type & MB_TYPEMASK);
    EXPECT_EQ(Asked[i].Owner, 7u);
    EXPECT_EQ(Asked[i].DlgType, -1) << "not a MessageDlg";
  }
}

TEST_F(MessageBoxSeamTest, WithoutAnAnswererTheBoxIsPrintedAndItsDefaultButtonAnswers) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBox(0, "Disk full", "Brisk", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(MessageBox(0, "Replace?", "Brisk", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageDlg("Retry?", mtError, mbAbortRetryIgnore, 0), mrRetry);
  EXPECT_EQ(MessageDlg("Nothing to press", mtWarning, {}, 0), mrCancel);
  std::string printed = testing::internal::GetCapturedStderr();
  for (const char* seen : {"Disk full", "Brisk", "Replace?", "&Abort | &Retry | &Ignore", "Nothing to press"})
    EXPECT_NE(printed.find(seen), std::string::npos) << seen << " in " << printed;
  EXPECT_EQ(GetShownMessageBoxes().size(), 4u);
}

TEST_F(MessageBoxSeamTest, AnAnswererMayShowAnotherBox) {
  SetMessageBoxAnswerer([](const TMessageBoxRequest& r) {
    if (r.Text == "outer") return MessageBox(0, "inner", "", MB_YESNO) == IDYES ? IDOK : IDCANCEL;
    return IDYES;
  });
  EXPECT_EQ(MessageBox(0, "outer", "", MB_OKCANCEL), IDOK);
  auto shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].Text, "outer");
  EXPECT_EQ(shown[1].Text, "inner");
}

}  // namespace
