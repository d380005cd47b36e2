// The expert interface and the IDE's expert registry.
#include "ExptIntf.h"

#include "platform/vcl/Forms.h"

IMPLEMENT_CLASS(TIExpert, TInterface)
IMPLEMENT_CLASS(TExpertRegistry, TObject)

TExpertRegistry* ExpertRegistry = nullptr;

namespace {
[[noreturn]] void AbstractError() { throw EAbstractError("Abstract Error"); }
}  // namespace

String TIExpert::GetName() { AbstractError(); }
String TIExpert::GetAuthor() { AbstractError(); }
String TIExpert::GetComment() { AbstractError(); }
String TIExpert::GetPage() { AbstractError(); }
HICON TIExpert::GetGlyph() { AbstractError(); }
TExpertStyle TIExpert::GetStyle() { AbstractError(); }
TExpertState TIExpert::GetState() { AbstractError(); }
String TIExpert::GetIDString() { AbstractError(); }
String TIExpert::GetMenuText() { AbstractError(); }
void TIExpert::Execute() { AbstractError(); }

void RegisterLibraryExpert(TIExpert* Expert) {
  if (!Expert) return;
  if (!ExpertRegistry) {
    Expert->Release();
    throw EInvalidOperation("Experts can only be registered while the IDE is running");
  }
  ExpertRegistry->Register(Expert);
}

void TExpertRegistry::Destroy() {
  DestroyExperts();
  inherited::Destroy();
}

void TExpertRegistry::Register(TIExpert* Expert) {
  if (!Expert) return;
  TEntry entry{Expert, String(), String(), esStandard, FRegisteringPackage};
  try {
    entry.IDString = Expert->GetIDString();
    entry.Name = Expert->GetName();
    entry.Style = Expert->GetStyle();
    if (FindExpert(entry.IDString))
      throw EInvalidOperation(Format("An expert with the ID \"%s\" is already registered", entry.IDString.c_str()));
  } catch (...) {
    Expert->Release();
    throw;
  }
  FEntries.push_back(entry);
}

const TExpertRegistry::TEntry& TExpertRegistry::GetEntry(Integer Index) const {
  if (Index < 0 || Index >= GetCount()) TList::Error("List index out of bounds (%d)", Index);
  return FEntries[static_cast<size_t>(Index)];
}

TIExpert* TExpertRegistry::FindExpert(const String& IDString) const {
  for (const TEntry& e : FEntries)
    if (e.IDString == IDString) return e.Expert;
  return nullptr;
}

void TExpertRegistry::DestroyExperts(const String& Package) { ReleaseWhere(false, Package); }

void TExpertRegistry::DestroyExperts() { ReleaseWhere(true, String()); }

// Each entry leaves the list before its expert is released, so an expert's destructor that
// looks at the registry (or registers another) never sees itself half gone.
void TExpertRegistry::ReleaseWhere(bool all, const String& Package) {
  for (size_t i = FEntries.size(); i-- > 0;) {
    if (i >= FEntries.size()) continue;
    if (!all && !SameText(FEntries[i].Package, Package)) continue;
    TIExpert* expert = FEntries[i].Expert;
    FEntries.erase(FEntries.begin() + static_cast<std::ptrdiff_t>(i));
    try {
      expert->Release();
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
}
