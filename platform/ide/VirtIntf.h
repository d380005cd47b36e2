// The base of every object the IDE's tool interfaces hand out: reference counting, a count
// of live objects, the exception helper, and a guard that releases what a scope obtained.
#pragma once

#include <vector>

#include "platform/vcl/SysUtils.h"

// The interface generation this IDE implements, as GetVersion reports it.
constexpr Integer VirtIntfVersion = 3;

// Reference-counted: a new object holds one reference for whoever obtained it, AddRef adds
// one, Release gives one back and frees the object at zero.
class TInterface : public TObject {
  DECLARE_CLASS(TInterface, TObject)
 public:
  TInterface();
  virtual Integer AddRef();
  virtual Integer Release();
  virtual Integer GetVersion();
  Integer GetRefCount() const { return FRefCount; }

 protected:
  // Counted here rather than in Destroy so that a constructor that raised (whose Destroy
  // never runs) still leaves the live count right.
  ~TInterface() override;

 private:
  Integer FRefCount = 1;
};

// Interface objects alive in the process (IDE services, experts and everything handed out).
// A test compares it before and after a call to prove the caller released what it obtained.
int GetLiveInterfaceCount();

// Inside an exception handler: the message of the exception being handled (empty outside a
// handler). The exception object itself ends with the handler, as C++ exceptions do.
String ReleaseException();

// Holds one reference obtained from the IDE and releases it when the scope ends, on the
// exception path too; guards declared in the order of obtaining release in reverse order.
template <class T>
class TInterfaceGuard {
 public:
  explicit TInterfaceGuard(T* intf = nullptr) : FIntf(intf) {}
  TInterfaceGuard(const TInterfaceGuard&) = delete;
  TInterfaceGuard& operator=(const TInterfaceGuard&) = delete;
  ~TInterfaceGuard() { Reset(); }

  T* Get() const { return FIntf; }
  T* operator->() const { return FIntf; }
  explicit operator bool() const { return FIntf != nullptr; }
  // Releases the held reference now and takes `intf` instead.
  void Reset(T* intf = nullptr) {
    T* old = FIntf;
    FIntf = intf;
    if (old) old->Release();
  }
  // Hands the reference on to the caller, who now releases it.
  T* Detach() {
    T* r = FIntf;
    FIntf = nullptr;
    return r;
  }

 private:
  T* FIntf;
};

// ---- test seam ---------------------------------------------------------------------------
// Makes every call of one tool-interface operation raise Exception(Message) until cleared,
// so tests can prove a caller releases what it obtained when the IDE raises. Operations are
// named "Class.Method", e.g. "TIEditorInterface.GetView". Shutting the IDE down clears them.
void SetInterfaceFault(const String& Operation, const String& Message);
void ClearInterfaceFaults();
// Called on entry by every operation of the IDE's interface objects.
void CheckInterfaceFault(const char* Operation);
// While set, every operation called ("Class.Method") and every Release ("Class.Release",
// Class being the interface) is appended to Trace, so a test sees what a caller obtained,
// used and gave back, in order. Null stops it.
void SetInterfaceTrace(std::vector<String>* Trace);
