// Loading, registering and unloading run-time packages, and the IDE's known-packages list.
#include "PackageLoader.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "ExptIntf.h"
#include "VirtIntf.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WinReg.h"

IMPLEMENT_CLASS(TPackageLoader, TObject)

// ---- known packages ------------------------------------------------------------------------

std::vector<TKnownPackage> ReadKnownPackages() {
  std::vector<TKnownPackage> list;
  HKEY key = 0;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, KnownPackagesKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return list;
  for (DWORD i = 0;; ++i) {
    char name[1024];
    DWORD nameLen = sizeof(name);
    DWORD type = 0;
    BYTE data[1024];
    DWORD dataLen = sizeof(data);
    const LONG rc = RegEnumValue(key, i, name, &nameLen, nullptr, &type, data, &dataLen);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS || nameLen == 0) continue;  // an unreadable or nameless entry is no package
    String description;
    if (type == REG_SZ) description.assign(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), dataLen));
    list.push_back({String(name, nameLen), description});
  }
  RegCloseKey(key);
  return list;
}

void RegisterKnownPackage(const String& fileName, const String& description) {
  HKEY key = 0;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, KnownPackagesKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                     nullptr, &key, nullptr) != ERROR_SUCCESS)
    throw EPackageError("Cannot register package " + fileName);
  RegSetValueEx(key, fileName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(description.c_str()),
                static_cast<DWORD>(description.size() + 1));
  RegCloseKey(key);
}

void UnregisterKnownPackage(const String& fileName) {
  HKEY key = 0;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, KnownPackagesKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  RegDeleteValue(key, fileName.c_str());
  RegCloseKey(key);
}

// ---- providers of required packages --------------------------------------------------------

namespace {

std::map<String, String>& Providers() {
  static std::map<String, String> providers{
      {"VCL50", "libvcl.so"},        {"VCLX50", "libvcl.so"},      {"VCLSMP50", "libvcl.so"},
      {"VCLJPG50", "libvcl.so"},     {"VELLUMKIT", "libVellumkit.so"}, {"RZ21ND50", "libRZ21ND50.so"},
  };
  return providers;
}

String LastDlError() {
  const char* e = dlerror();
  return e ? e : "unknown error";
}

// A provider already in the process is used as it is; otherwise it is looked for beside the
// package first, then on the library search path.
void* OpenProvider(const String& library, const String& packageDir) {
  if (void* h = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD)) return h;
  if (!packageDir.empty())
    if (void* h = dlopen((packageDir + library).c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
  return dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
}

// A symbol of the package's own library. dlsym also searches the libraries a package
// depends on, and a client package linked against another package would otherwise run that
// package's entry points as its own.
template <class T>
T OwnSymbol(void* handle, const char* name) {
  void* sym = dlsym(handle, name);
  if (!sym) return nullptr;
  link_map* map = nullptr;
  Dl_info info{};
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !dladdr(sym, &info) || !map || !info.dli_fname ||
      std::strcmp(map->l_name, info.dli_fname) != 0)
    return nullptr;
  return reinterpret_cast<T>(sym);
}

}  // namespace

String GetPackageProvider(const String& packageName) {
  const auto it = Providers().find(UpperCase(packageName));
  return it != Providers().end() ? it->second : "lib" + packageName + ".so";
}

void RegisterPackageProvider(const String& packageName, const String& libraryName) {
  Providers()[UpperCase(packageName)] = libraryName;
}

// ---- the loader ------------------------------------------------------------------------------

TPackageLoader* PackageLoader = nullptr;

TPackageLoader::TPackageLoader() {
  if (!PackageLoader) PackageLoader = this;
}

TPackage* TPackageLoader::FindPackageOfUnit(const String& unitName) const {
  for (TPackage* p : FPackages)
    for (const auto& u : p->Info.Contains)
      if (SameText(u.Name, unitName)) return p;
  return nullptr;
}

TPackage* TPackageLoader::LoadPackage(const String& fileName) {
  auto fail = [&](const String& why) -> EPackageError {
    return EPackageError("Can't load package " + fileName + ".\n" + why);
  };
  auto* p = new TPackage();
  p->FileName = fileName;
  p->Handle = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!p->Handle) {
    const String why = LastDlError();
    delete p;
    throw fail(why);
  }
  try {
    const auto table = OwnSymbol<TGetPackageInfoTableProc>(p->Handle, kGetPackageInfoTableSymbol);
    if (!table) throw fail("The module has no package information.");
    size_t size = 0;
    const uint8_t* bytes = table(&size);
    String why;
    if (!ParsePackageInfo(bytes, size, p->Info, &why)) throw fail("Its package information is invalid: " + why + ".");
    if (const auto desc = OwnSymbol<TGetPackageResourceProc>(p->Handle, kGetPackageDescriptionSymbol)) {
      size_t n = 0;
      const uint8_t* d = desc(&n);
      p->Description = DecodePackageDescription(d, n);
    }
    if (const auto version = OwnSymbol<TGetPackageVersionInfoProc>(p->Handle, kGetPackageVersionInfoSymbol)) {
      if (const TPackageVersionInfo* v = version()) {
        auto dotted = [](const uint16_t* n) {
          return std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) + "." +
                 std::to_string(n[3]);
        };
        p->HasVersion = true;
        p->Version = {dotted(v->FileVersion), dotted(v->ProductVersion), v->StringTableKey ? v->StringTableKey : ""};
      }
    }
    const String dir = ExtractFilePath(fileName);
    for (const auto& req : p->Info.Requires) {
      void* h = OpenProvider(GetPackageProvider(req.Name), dir);
      if (!h) throw fail("Required package '" + req.Name + "' not found.");
      p->RequiredHandles.push_back(h);
    }
    // Two copies of a unit would give the IDE two of its classes and variables. SysInit is
    // the exception: every module carries its own.
    for (const auto& unit : p->Info.Contains)
      if (TPackage* other = SameText(unit.Name, "SysInit") ? nullptr : FindPackageOfUnit(unit.Name))
        throw fail("It contains unit '" + unit.Name + "', which is also contained in package '" + other->FileName +
                   "'.");
  } catch (...) {
    CloseLibraries(p);
    delete p;
    throw;
  }

  // From here on the package's code has run: whatever it left with the application must
  // keep its code, so a failure finalizes it and leaves the library mapped.
  const auto init = OwnSymbol<TPackageInitProc>(p->Handle, kInitializeSymbol);
  try {
    if (init) init();
    p->Initialized = true;
    // Experts registered while the package's routines run belong to the package.
    if (ExpertRegistry) ExpertRegistry->SetRegisteringPackage(p->FileName);
    for (const auto& unit : p->Info.Contains)
      if (const auto reg = OwnSymbol<TRegisterProc>(p->Handle, RegisterSymbolOf(unit.Name).c_str()))
        reg();
    if (ExpertRegistry) ExpertRegistry->SetRegisteringPackage("");
  } catch (...) {
    const String why = ReleaseException();
    if (ExpertRegistry) ExpertRegistry->SetRegisteringPackage("");
    ReleasePackage(p);
    FUnloaded.push_back(p);
    throw fail(why);
  }
  FPackages.push_back(p);
  return p;
}

void TPackageLoader::ReleasePackage(TPackage* p) {
  // The package's experts end before its units finalize: their destructors run the
  // package's code and use its unit variables.
  if (ExpertRegistry) ExpertRegistry->DestroyExperts(p->FileName);
  if (p->Initialized) {
    p->Initialized = false;
    if (const auto fini = OwnSymbol<TPackageInitProc>(p->Handle, kFinalizeSymbol)) {
      try {
        fini();
      } catch (...) {
        MessageBox(0, "Error finalizing package " + p->FileName + ".\n" + ReleaseException(), "Error",
                   MB_OK | MB_ICONERROR);
      }
    }
  }
}

void TPackageLoader::UnloadPackage(TPackage* package) {
  auto it = std::find(FPackages.begin(), FPackages.end(), package);
  if (it == FPackages.end()) return;
  FPackages.erase(it);
  ReleasePackage(package);
  FUnloaded.push_back(package);
}

int TPackageLoader::LoadKnownPackages() {
  int loaded = 0;
  for (const TKnownPackage& known : ReadKnownPackages()) {
    try {
      LoadPackage(known.FileName);
      ++loaded;
    } catch (...) {
      MessageBox(0, ReleaseException(), "Error", MB_OK | MB_ICONERROR);
    }
  }
  return loaded;
}

void TPackageLoader::UnloadAll() {
  while (!FPackages.empty()) UnloadPackage(FPackages.back());
}

void TPackageLoader::CloseLibraries(TPackage* p) {
  if (p->Handle) dlclose(p->Handle);
  p->Handle = nullptr;
  for (auto it = p->RequiredHandles.rbegin(); it != p->RequiredHandles.rend(); ++it) dlclose(*it);
  p->RequiredHandles.clear();
}

void TPackageLoader::Destroy() {
  if (PackageLoader == this) PackageLoader = nullptr;
  UnloadAll();
  for (auto it = FUnloaded.rbegin(); it != FUnloaded.rend(); ++it) {
    CloseLibraries(*it);
    delete *it;
  }
  FUnloaded.clear();
  inherited::Destroy();
}
