// A non-owning reference from an interface object to an IDE component that turns null when
// the component is destroyed, so objects handed out never reach freed menus, modules or forms.
#pragma once

#include "platform/vcl/Classes.h"

class TComponentLink : public TComponent {
  DECLARE_CLASS(TComponentLink, TComponent)
 public:
  explicit TComponentLink(TComponent* Target = nullptr);
  void Destroy() override;

  TComponent* Get() const { return FTarget; }
  template <class T>
  T* GetAs() const { return As<T>(FTarget); }
  void Set(TComponent* Target);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TComponent* FTarget = nullptr;
};
