// Non-owning component references cleared by free notification.
#include "ComponentLink.h"

IMPLEMENT_CLASS(TComponentLink, TComponent)

TComponentLink::TComponentLink(TComponent* Target) : TComponent(nullptr) { Set(Target); }

// Unhooked quietly: the target need not hear that a mere reference went away.
void TComponentLink::Destroy() {
  Set(nullptr);
  inherited::Destroy();
}

void TComponentLink::Set(TComponent* Target) {
  if (FTarget == Target) return;
  if (FTarget) {
    FTarget->RemoveFreeNotification(this);
    RemoveFreeNotification(FTarget);
  }
  FTarget = Target;
  if (FTarget) FTarget->FreeNotification(this);
}

void TComponentLink::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FTarget) FTarget = nullptr;
}
