// Dialogs on the screen answered by posted input: each time the modal loop of the dialog on
// top goes idle, the next step acts on it as a person would.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/win/Surface.h"
#include "support/IdeFixture.h"
#include "support/InputScript.h"

class TDialogFormFixture : public TIdeFixture {
 protected:
  using TStep = std::function<void(TCustomForm&)>;
  static constexpr TModalResult kLeftOpen = 1000;  // the steps ran out with the dialog still open

  void SetUp() override {
    TIdeFixture::SetUp();
    SetModalHandler([this](TCustomForm& form) {
      if (FNext < FSteps.size()) {
        TStep step = FSteps[FNext++];
        step(form);
      } else {
        form.SetModalResult(kLeftOpen);
      }
    });
  }
  void TearDown() override {
    SetModalHandler(nullptr);
    TIdeFixture::TearDown();
  }
  void Steps(std::vector<TStep> steps) {
    FSteps = std::move(steps);
    FNext = 0;
  }
  size_t StepsTaken() const { return FNext; }

  // A key pressed and released, or a chord, on the keyboard.
  static TStep Key(BYTE vk) {
    return [vk](TCustomForm&) { PressKey(vk); };
  }
  static TStep Chord(BYTE held, BYTE vk) {
    return [held, vk](TCustomForm&) { PressChord(held, vk); };
  }
  // Letters and digits typed one key at a time.
  static TStep Type(std::string text) {
    return [text](TCustomForm&) {
      for (char c : text) PressKey(c == '.' ? VK_OEM_PERIOD : static_cast<BYTE>(std::toupper(c)));
    };
  }
  // A click (or two at once: a double-click) in the middle of a screen rectangle, well after
  // any click before it.
  static void Click(const TRect& r, int clicks = 1) {
    SetMessageTime(GetMessageTime() + 1000);
    for (int i = 0; i < clicks; ++i) ClickAt(CenterOf(r));
  }
  static TRect ScreenRect(TControl* c) {
    const TPoint p = c->ClientToScreen({0, 0});
    return {p.X, p.Y, p.X + c->GetWidth(), p.Y + c->GetHeight()};
  }
  // What a person sees now, for looking at afterwards.
  static void Picture(const std::string& name) {
    Application->ProcessMessages();
    std::filesystem::create_directories(BRISK_PICTURE_DIR);
    std::string why;
    EXPECT_TRUE(SaveScreenPNG(0, std::string(BRISK_PICTURE_DIR) + "/" + name, &why)) << why;
  }

 private:
  std::vector<TStep> FSteps;
  size_t FNext = 0;
};
