// The run-time library's list of loaded modules, each with the localized resource module that
// answers for its resources when one lies beside it for the user's language.
#pragma once

#include <vector>

#include "SysUtils.h"
#include "platform/win/Windows.h"

// Where the user names, for one module, the resource module to use whatever the language: a
// string value named by the module's full file name holding the extension ("DEU"); the
// default value of the key does the same for every module.
constexpr const char* LocaleOverrideKey = "Software\\Orvane\\Locales";

struct TLibModule {
  String FileName;           // the module's library, as it was loaded
  HMODULE Instance = 0;      // the module's own resources
  HMODULE ResInstance = 0;   // where its resources are looked for: the localized module, or Instance
  String ResFileName;        // the localized module's file; empty when there is none
  void* ResLibrary = nullptr;
};

// A module's resource name: its library's file name without the "lib" in front and without
// ".so" ("libBriskPack.so" is "BriskPack", "libBriskPack.DEU" is "BriskPack.DEU").
String ModuleResourceName(const String& FileName);
// The user's language as the three letters of its abbreviated name ("DEU" for de_DE, "ENU" for
// en_US, "HEB" for he_IL), from LC_ALL, LC_MESSAGES or LANG; empty for the C locale.
String UserLocaleAbbreviation();
// The localized resource module files to try for a module, in order: the override, else the
// language's three letters, then its first two ("libBriskPack.DEU", "libBriskPack.DE").
std::vector<String> ResourceModuleCandidates(const String& FileName);

// Registers a module, loading the first of its candidates that exists and is a library with
// resources of its own name; Instance is given its handle from FileName.
void RegisterModule(TLibModule* Module);
// Releases the localized module and forgets the module.
void UnregisterModule(TLibModule* Module);
// The module that answers for an instance's resources: its localized module while one is
// loaded, else the instance itself.
HMODULE FindResourceHInstance(HMODULE Instance);
// The registered modules, the last registered first.
std::vector<const TLibModule*> GetLibModules();
