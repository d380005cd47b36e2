// Logging components and controls.
#include "Recorder.h"

IMPLEMENT_CLASS(TRecorder, TComponent)
IMPLEMENT_CLASS(TLogControl, TWinControl)

void TRecorder::Destroy() {
  FLog->push_back(GetName() + " destroyed" + (GetOwner() ? " while owned" : ""));
  if (OnDestroying) OnDestroying();
  inherited::Destroy();
}

void TRecorder::Notification(TComponent* AComponent, TOperation Operation) {
  const String& subject = AComponent->GetName();
  FLog->push_back(GetName() + (Operation == opInsert ? " <- insert " : " <- remove ") + (subject.empty() ? "''" : subject));
  inherited::Notification(AComponent, Operation);
}

void TLogControl::Destroy() {
  FLog->push_back(GetName() + " destroyed" + (HandleAllocated() ? " with its window" : ""));
  inherited::Destroy();
}

void TLogControl::WndProc(TMessage& Message) {
  if (Message.Msg == WM_CREATE || Message.Msg == WM_NCDESTROY) FLog->push_back(GetName() + ":" + MessageName(Message.Msg));
  inherited::WndProc(Message);
}
