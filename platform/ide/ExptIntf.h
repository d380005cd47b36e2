// The expert interface add-ins implement, RegisterLibraryExpert, and the IDE's registry that
// owns registered experts and ends them when their package unloads.
#pragma once

#include <vector>

#include "VirtIntf.h"

using HICON = uint32_t;

enum TExpertStyle : uint8_t { esStandard, esForm, esProject, esAddIn };
enum TExpertStateItem : uint8_t { esEnabled, esChecked };
using TExpertState = TSet<TExpertStateItem>;

// Every operation is abstract in the IDE's declaration: an expert overrides those the IDE
// calls for its style. Calling one it left out raises EAbstractError, as calling an abstract
// method does, instead of making every expert spell out stubs.
class TIExpert : public TInterface {
  DECLARE_CLASS(TIExpert, TInterface)
 public:
  virtual String GetName();
  virtual String GetAuthor();
  virtual String GetComment();
  virtual String GetPage();
  virtual HICON GetGlyph();
  virtual TExpertStyle GetStyle();
  virtual TExpertState GetState();
  virtual String GetIDString();
  virtual String GetMenuText();
  virtual void Execute();
};

// Hands a constructed expert to the IDE, which owns it from then on. The IDE asks the
// expert's identity here; an expert it cannot take (no IDE running, an ID already taken, an
// identity call that raised) is released and the call raises, so nothing leaks either way.
void RegisterLibraryExpert(TIExpert* Expert);

// ---- the IDE side ------------------------------------------------------------------------

// The IDE's list of registered experts. The package loader names the package whose
// registration runs; experts registered meanwhile belong to it and are released, last
// registered first, when it unloads.
class TExpertRegistry : public TObject {
  DECLARE_CLASS(TExpertRegistry, TObject)
 public:
  struct TEntry {
    TIExpert* Expert;
    String IDString;
    String Name;
    TExpertStyle Style;
    String Package;
  };

  void Destroy() override;

  void Register(TIExpert* Expert);
  Integer GetCount() const { return static_cast<Integer>(FEntries.size()); }
  const TEntry& GetEntry(Integer Index) const;
  TIExpert* FindExpert(const String& IDString) const;

  // The package whose Register call is running ("" outside any package).
  const String& GetRegisteringPackage() const { return FRegisteringPackage; }
  void SetRegisteringPackage(const String& Package) { FRegisteringPackage = Package; }

  // Releases the experts of one package (package names compare without regard to case).
  // An expert whose destruction raises is reported and the rest are still released.
  void DestroyExperts(const String& Package);
  void DestroyExperts();

 private:
  void ReleaseWhere(bool all, const String& Package);
  std::vector<TEntry> FEntries;
  String FRegisteringPackage;
};

// The running IDE's registry; null outside the IDE.
extern TExpertRegistry* ExpertRegistry;
