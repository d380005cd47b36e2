// The file-open dialog: what its answerer is asked, and the checks the dialog makes on an
// answer before it closes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/vcl/Dialogs.h"

namespace {

class OpenDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Previous = SetOpenDialogAnswerer(nullptr);
    Dir = std::filesystem::temp_directory_path() /
          ("open-dialog-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(Dir);
    std::ofstream(Dir / "a.wav") << "RIFF";
    Dialog = new TOpenDialog(nullptr);
  }
  void TearDown() override {
    Dialog->Free();
    SetOpenDialogAnswerer(Previous);
    std::filesystem::remove_all(Dir);
  }
  String In(const char* name) const { return (Dir / name).string(); }

  // Answers with each name in turn, keeping every request as it arrived; cancels when
  // the names run out.
  void AnswerWith(std::vector<String> names) {
    SetOpenDialogAnswerer([this, names, next = size_t(0)](TOpenDialogRequest& r) mutable {
      Asked.push_back(r);
      if (next == names.size()) return false;
      r.FileName = names[next++];
      return true;
    });
  }

  TOpenDialogAnswerer Previous;
  std::filesystem::path Dir;
  TOpenDialog* Dialog = nullptr;
  std::vector<TOpenDialogRequest> Asked;
};

TEST_F(OpenDialogTest, TheAnswererSeesTheSettingsAndItsChoiceBecomesTheFileName) {
  Dialog->SetTitle("Wave file");
  Dialog->SetFileName("old.wav");
  Dialog->SetInitialDir("/sounds/");
  Dialog->SetFilter("Waves|*.wav|All|*.*");
  Dialog->SetFilterIndex(2);
  Dialog->SetDefaultExt("wav");
  const TOpenOptions options{ofHideReadOnly, ofEnableSizing, ofNoChangeDir};
  Dialog->SetOptions(options);
  AnswerWith({In("a.wav")});

  EXPECT_TRUE(Dialog->Execute());
  EXPECT_EQ(Dialog->GetFileName(), In("a.wav"));
  ASSERT_EQ(Asked.size(), 1u);
  const TOpenDialogRequest& r = Asked[0];
  EXPECT_EQ(r.Title, "Wave file");
  EXPECT_EQ(r.FileName, "old.wav");
  EXPECT_EQ(r.InitialDir, "/sounds/");
  EXPECT_EQ(r.Filter, "Waves|*.wav|All|*.*");
  EXPECT_EQ(r.FilterIndex, 2);
  EXPECT_EQ(r.DefaultExt, "wav");
  EXPECT_EQ(r.Options, options);
  EXPECT_EQ(r.Refusal, "");

  Asked.clear();
  AnswerWith({});
  EXPECT_FALSE(Dialog->Execute());
  EXPECT_EQ(Dialog->GetFileName(), In("a.wav")) << "cancelling keeps the name";
  EXPECT_EQ(Asked.size(), 1u);
}

TEST_F(OpenDialogTest, AnAnswerGetsTheDefaultExtensionAndMustPassTheExistenceOptions) {
  const String missingDir = In("nowhere/x.wav");
  struct Row {
    const char* Name;
    TOpenOptions Options;
    std::vector<String> Answers;
    bool Chosen;
    String FileName;
    std::vector<std::string> Refusals;  // the refusal each ask carried ("" for none)
  } rows[] = {
      {"no checks; the extension is added", {}, {In("new")}, true, In("new.wav"), {""}},
      {"an extension of its own is kept", {ofFileMustExist}, {In("a.WAV"), In("a.wav")}, true, In("a.wav"),
       {"", "File not found."}},
      {"the file must exist, found with the extension", {ofFileMustExist}, {In("missing"), In("a")}, true,
       In("a.wav"), {"", "File not found."}},
      {"the path must exist", {ofPathMustExist}, {missingDir}, false, "", {"", "Path does not exist."}},
      {"the file may be new in an existing path", {ofPathMustExist}, {In("new.txt")}, true, In("new.txt"), {""}},
      {"a missing file in a missing path names the path", {ofFileMustExist}, {missingDir}, false, "",
       {"", "Path does not exist."}},
      {"three refusals cancel", {ofFileMustExist}, {In("m1"), In("m2"), In("m3"), In("a.wav")}, false, "",
       {"", "File not found.", "File not found."}},
      {"an empty name cancels", {}, {""}, false, "", {""}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    Dialog->SetFileName("");
    Dialog->SetDefaultExt("wav");
    Dialog->SetOptions(row.Options);
    Asked.clear();
    AnswerWith(row.Answers);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Dialog->Execute(), row.Chosen);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(Dialog->GetFileName(), row.FileName);
    ASSERT_EQ(Asked.size(), row.Refusals.size());
    for (size_t i = 0; i < Asked.size(); ++i) {
      if (row.Refusals[i].empty()) {
        EXPECT_EQ(Asked[i].Refusal, "");
      } else {
        EXPECT_NE(Asked[i].Refusal.find(row.Refusals[i]), String::npos) << Asked[i].Refusal;
        EXPECT_EQ(Asked[i].FileName, Asked[i].Refusal.substr(0, Asked[i].FileName.size()))
            << "the dialog shows the refused name";
      }
    }
  }
}

TEST_F(OpenDialogTest, WithoutAnAnswererTheRequestIsPrintedAndCancelled) {
  Dialog->SetFileName("keys/click.wav");
  Dialog->SetFilter("*.wav|*.wav");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Dialog->Execute());
  std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_NE(printed.find("keys/click.wav"), std::string::npos) << printed;
  EXPECT_NE(printed.find("*.wav|*.wav"), std::string::npos) << printed;
  EXPECT_EQ(Dialog->GetFileName(), "keys/click.wav");
}

}  // namespace
