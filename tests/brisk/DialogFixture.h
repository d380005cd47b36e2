// The typing-sound expert registered in a booted IDE, with the means to open its dialogs from
// the Tools menu and answer them as a person would, one step per idle turn of their modal
// loops.
#pragma once

#include <functional>

#include "BriskFixture.h"
#include "brisk/QVBriskAbout.h"
#include "brisk/QVBriskCfg.h"
#include "platform/vcl/Dialogs.h"

class TDialogFixture : public TBriskFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // One thing a person does to the modal form in front of them.
  using TStep = std::function<void(TCustomForm& Form)>;
  // Answers modal forms with these steps, one per idle turn, each given the innermost form.
  void Answer(std::vector<TStep> Steps);
  // Whether every step was taken.
  bool AllStepsTaken() const { return FNext == FSteps.size(); }
  // Clicks the expert's Tools-menu item, as the IDE's menu does.
  void ClickMenuItem();

  // Steps: click a control with the mouse (a windowed one, or a graphic control at its
  // middle through its parent's window); type a key to the focused control; press and
  // release the left button on the form's close box.
  static TStep Click(const char* Name);
  static TStep Key(WORD Vk);
  static TStep CloseBox();
  static TStep Do(std::function<void(TCustomForm&)> Action) { return Action; }

  // The file dialog's seam: the next dialogs are answered with these names in turn.
  void AnswerFileDialogs(std::vector<String> Names);
  std::vector<TOpenDialogRequest> FileDialogs;

  // Writes the desktop to BRISK_BINARY_DIR/screenshots/<Name>.png.
  static void Screenshot(const char* Name);

 private:
  std::vector<TStep> FSteps;
  size_t FNext = 0;
};

// The control of that name on a form (or its descendants), or null.
TControl* FindControlByName(TCustomForm& Form, const char* Name);
