// Package loading as the IDE does it at start-up: the known-packages list in the IDE's
// settings, the required-package check, unit initialization, registration and unload.
#pragma once

#include <vector>

#include "PackageInfo.h"
#include "platform/vcl/SysUtils.h"

DECLARE_EXCEPTION(EPackageError, Exception)

// The IDE's own settings under HKEY_CURRENT_USER: one REG_SZ value per package, named by the
// package library's path, holding its description.
constexpr const char* KnownPackagesKey = "Software\\Orvane\\Brisk IDE\\1.0\\Known Packages";

struct TKnownPackage {
  String FileName;
  String Description;
};
// The known packages in the order they were registered; an absent key is an empty list.
std::vector<TKnownPackage> ReadKnownPackages();
void RegisterKnownPackage(const String& fileName, const String& description);
void UnregisterKnownPackage(const String& fileName);

// The library that answers to a required-package name. The class library plays "vcl50",
// "VCLX50", "VCLSMP50" and "VCLJPG50", the component package "Vellumkit", the label package
// "RZ21ND50" its own stand-in; any other name is looked for as "lib<Name>.so". Names are
// compared without regard to case.
String GetPackageProvider(const String& packageName);
void RegisterPackageProvider(const String& packageName, const String& libraryName);

// A package's version record as the loader keeps it: "1.0.0.1" style numbers and the key of
// its string table ("040D04E7").
struct TPackageVersion {
  String FileVersion;
  String ProductVersion;
  String StringTableKey;
};

// One loaded package.
struct TPackage {
  String FileName;
  String Description;  // from the package's description table
  bool HasVersion = false;
  TPackageVersion Version;  // when HasVersion: from the package's version record
  TPackageInfo Info;
  void* Handle = nullptr;
  std::vector<void*> RequiredHandles;  // the providers, kept open while the package is
  bool Initialized = false;
};

class TPackageLoader;
// The IDE's loader, whose packages the IDE lists: the first loader made, while it lives.
extern TPackageLoader* PackageLoader;

class TPackageLoader : public TObject {
  DECLARE_CLASS(TPackageLoader, TObject)
 public:
  TPackageLoader();
  // Unloads what is still loaded, then closes the libraries.
  void Destroy() override;

  // Opens the library, reads its manifest, checks every required package is present and not
  // one of its units is already loaded by another package, runs Initialize and calls
  // "<Unit>_Register" of each contained unit that exports one, in manifest order. Any failure
  // undoes what was done and raises EPackageError "Can't load package <file>.\n<reason>".
  TPackage* LoadPackage(const String& fileName);
  // Destroys the package's experts, then runs its Finalize. The library stays mapped until
  // the loader ends: the application may still hold components of the package's classes
  // (the IDE-wide manager), which it frees only at exit.
  void UnloadPackage(TPackage* package);
  // Loads every known package; each failure is shown in a message box and the rest load on.
  // Returns the number loaded.
  int LoadKnownPackages();
  // Unloads every package, the last loaded first.
  void UnloadAll();

  const std::vector<TPackage*>& GetPackages() const { return FPackages; }
  TPackage* FindPackageOfUnit(const String& unitName) const;

 private:
  void ReleasePackage(TPackage* package);
  void CloseLibraries(TPackage* package);
  std::vector<TPackage*> FPackages;
  std::vector<TPackage*> FUnloaded;  // finalized; libraries closed when the loader ends
};
