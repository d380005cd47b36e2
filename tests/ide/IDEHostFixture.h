// A booted IDE per test, and the check that every interface object a test obtained was
// released by the time the IDE is shut down.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include <unistd.h>

#include "platform/ide/AppBuilder.h"
#include "platform/ide/EditIntf.h"
#include "platform/vcl/ObjectText.h"
#include "support/IdeFixture.h"

// A form's text as the IDE writes its form file: a resource header and binary data.
inline String BinaryFormFile(const String& text) {
  TAutoFree<TMemoryStream> in(new TMemoryStream());
  TAutoFree<TMemoryStream> out(new TMemoryStream());
  in->SetDataString(text);
  ObjectTextToResource(in.Get(), out.Get());
  return out->GetDataString();
}

// The entries of an interface trace (SetInterfaceTrace) that end in `suffix`, in order:
// ".Release" gives what was given back.
inline std::vector<String> TraceEndingIn(const std::vector<String>& trace, const String& suffix) {
  std::vector<String> r;
  for (const String& s : trace)
    if (s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0) r.push_back(s);
  return r;
}

class TIDEHostFixture : public TIdeFixture {
 protected:
  void SetUp() override {
    TIdeFixture::SetUp();
    FLiveAtStart = GetLiveInterfaceCount();
    BootIDE();
  }
  void TearDown() override {
    ShutdownIDE();
    EXPECT_EQ(GetLiveInterfaceCount(), FLiveAtStart) << "interface objects left unreleased";
    std::filesystem::remove_all(FDir);
    TIdeFixture::TearDown();
  }

  TIDEProject* Project() const { return IDE->GetProject(); }

  // Runs `call` with the IDE raising Exception("the IDE failed") in the operation `failing`
  // ("Class.Method"), checks that the exception reached the caller with every interface
  // obtained given back, and returns the releases in the order they came.
  std::vector<String> ReleasedWhenFailing(const char* failing, const std::function<void()>& call) {
    const int live = GetLiveInterfaceCount();
    std::vector<String> trace;
    SetInterfaceFault(failing, "the IDE failed");
    SetInterfaceTrace(&trace);
    try {
      call();
      ADD_FAILURE() << "the exception did not reach the caller";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message, "the IDE failed");
    }
    SetInterfaceTrace(nullptr);
    ClearInterfaceFaults();
    EXPECT_EQ(GetLiveInterfaceCount(), live) << "interface objects left unreleased";
    return TraceEndingIn(trace, ".Release");
  }

  // A file in this test's own directory.
  String WriteFile(const String& name, const String& text) {
    std::filesystem::create_directories(FDir);
    String path = (FDir / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  int FLiveAtStart = 0;
  std::filesystem::path FDir = TestDirectory();

 private:
  static std::filesystem::path TestDirectory() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::filesystem::temp_directory_path() /
           ("brisk-ide-" + std::to_string(getpid()) + "-" + info->test_suite_name() + "-" + info->name());
  }
};
