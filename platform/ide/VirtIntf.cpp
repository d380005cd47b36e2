// Reference counting, the live count, the exception helper and the fault seam.
#include "VirtIntf.h"

#include <exception>
#include <map>

IMPLEMENT_CLASS(TInterface, TObject)

namespace {
int gLiveInterfaces = 0;
std::vector<String>* gTrace = nullptr;

std::map<String, String>& Faults() {
  static std::map<String, String> faults;
  return faults;
}
}  // namespace

TInterface::TInterface() { ++gLiveInterfaces; }

TInterface::~TInterface() { --gLiveInterfaces; }

Integer TInterface::AddRef() { return ++FRefCount; }

Integer TInterface::Release() {
  if (gTrace) gTrace->push_back(ClassName() + ".Release");
  Integer r = --FRefCount;
  if (r == 0) Free();
  return r;
}

Integer TInterface::GetVersion() { return VirtIntfVersion; }

int GetLiveInterfaceCount() { return gLiveInterfaces; }

String ReleaseException() {
  std::exception_ptr ep = std::current_exception();
  if (!ep) return String();
  try {
    std::rethrow_exception(ep);
  } catch (const Exception& e) {
    return e.Message;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

void SetInterfaceFault(const String& Operation, const String& Message) { Faults()[Operation] = Message; }

void ClearInterfaceFaults() { Faults().clear(); }

void SetInterfaceTrace(std::vector<String>* Trace) { gTrace = Trace; }

void CheckInterfaceFault(const char* Operation) {
  if (gTrace) gTrace->push_back(Operation);
  auto& faults = Faults();
  if (faults.empty()) return;
  auto it = faults.find(Operation);
  if (it != faults.end()) throw Exception(it->second);
}
