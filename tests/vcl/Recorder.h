// Components and controls that log what happens to them, for lifecycle-order tests.
#pragma once

#include <functional>

#include "support/IdeFixture.h"
#include "support/MessageLog.h"

// Logs "Name <- insert X" / "Name <- remove X" for each notification it hears and
// "Name destroyed" when its destruction starts.
class TRecorder : public TComponent {
  DECLARE_CLASS(TRecorder, TComponent)
 public:
  TRecorder(TComponent* AOwner, const String& name, TMessageLog& log) : TComponent(AOwner), FLog(&log) {
    SetName(name);
  }
  void Destroy() override;
  std::function<void()> OnDestroying;  // runs when destruction starts

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TMessageLog* FLog;
};

// A windowed control that logs the creation and end of its window and its own destruction.
class TLogControl : public TWinControl {
  DECLARE_CLASS(TLogControl, TWinControl)
 public:
  TLogControl(TComponent* AOwner, const String& name, TMessageLog& log) : TWinControl(AOwner), FLog(&log) {
    SetName(name);
  }
  void Destroy() override;
  void WndProc(TMessage& Message) override;

 private:
  TMessageLog* FLog;
};
