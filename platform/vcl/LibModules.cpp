// The module list and the load-time lookup of localized resource modules.
#include "LibModules.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>

#include "platform/win/WinReg.h"

namespace {

std::vector<TLibModule*>& Modules() {
  static std::vector<TLibModule*> modules;
  return modules;
}

// The abbreviations of the languages whose three letters are not simply the language's two
// and the country's first; anything else falls back to those.
struct TLocaleName {
  const char* Posix;  // language, or language_COUNTRY
  const char* Abbreviation;
};
constexpr TLocaleName kLocales[] = {
    {"en_US", "ENU"}, {"en_GB", "ENG"}, {"en_AU", "ENA"}, {"en_CA", "ENC"}, {"en_NZ", "ENZ"}, {"en_IE", "ENI"},
    {"de_DE", "DEU"}, {"de_CH", "DES"}, {"de_AT", "DEA"}, {"fr_FR", "FRA"}, {"fr_BE", "FRB"}, {"fr_CA", "FRC"},
    {"fr_CH", "FRS"}, {"es_ES", "ESP"}, {"es_MX", "ESM"}, {"it_IT", "ITA"}, {"nl_NL", "NLD"}, {"nl_BE", "NLB"},
    {"pt_BR", "PTB"}, {"pt_PT", "PTG"}, {"sv_SE", "SVE"}, {"da_DK", "DAN"}, {"fi_FI", "FIN"}, {"nb_NO", "NOR"},
    {"pl", "PLK"},    {"cs", "CSY"},    {"hu", "HUN"},    {"ru", "RUS"},    {"el", "ELL"},    {"tr", "TRK"},
    {"ja", "JPN"},    {"ko", "KOR"},    {"zh_CN", "CHS"}, {"zh_TW", "CHT"}, {"he", "HEB"},    {"ar", "ARA"},
};

bool IsFile(const String& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

String LocaleOverride(const String& fileName) {
  HKEY key = 0;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, LocaleOverrideKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
  String result;
  for (const String& name : {fileName, String()}) {
    char data[64] = {};
    DWORD type = 0, size = sizeof(data) - 1;
    if (RegQueryValueEx(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS &&
        type == REG_SZ && data[0]) {
      result = data;
      break;
    }
  }
  RegCloseKey(key);
  return result;
}

}  // namespace

String ModuleResourceName(const String& FileName) {
  String name = ExtractFileName(FileName);
  if (name.size() > 3 && name.compare(0, 3, "lib") == 0) name.erase(0, 3);
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0) name.resize(name.size() - 3);
  return name;
}

String UserLocaleAbbreviation() {
  String locale;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"})
    if (const char* v = std::getenv(var); v && *v) {
      locale = v;
      break;
    }
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale.size() < 2 || locale == "C" || locale == "POSIX") return "";
  const String language = locale.substr(0, locale.find('_'));
  for (const TLocaleName& l : kLocales)
    if (locale == l.Posix || language == l.Posix) return l.Abbreviation;
  const size_t us = locale.find('_');
  const String country = us != String::npos && us + 1 < locale.size() ? locale.substr(us + 1, 1) : "";
  return UpperCase(language.substr(0, 2) + country);
}

std::vector<String> ResourceModuleCandidates(const String& FileName) {
  const String name = ExtractFileName(FileName);
  const size_t dot = name.rfind('.');
  const String folder = FileName.substr(0, FileName.size() - name.size());
  const String base = folder + (dot == String::npos ? name : name.substr(0, dot));
  std::vector<String> out;
  if (const String chosen = LocaleOverride(FileName); !chosen.empty()) {
    out.push_back(base + "." + chosen);
    return out;
  }
  const String abbreviation = UserLocaleAbbreviation();
  if (abbreviation.empty()) return out;
  out.push_back(base + "." + abbreviation);
  if (abbreviation.size() > 2) out.push_back(base + "." + abbreviation.substr(0, 2));
  return out;
}

void RegisterModule(TLibModule* Module) {
  Module->Instance = RegisterModuleHandle(ModuleResourceName(Module->FileName).c_str());
  Module->ResInstance = Module->Instance;
  for (const String& candidate : ResourceModuleCandidates(Module->FileName)) {
    if (!IsFile(candidate)) continue;
    void* library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) continue;
    // A resource module is a library holding resources under its own name; anything else is
    // not one, and the next candidate is tried.
    const HMODULE res = GetModuleHandleA(ModuleResourceName(candidate).c_str());
    if (!res || res == Module->Instance) {
      dlclose(library);
      continue;
    }
    Module->ResInstance = res;
    Module->ResFileName = candidate;
    Module->ResLibrary = library;
    break;
  }
  Modules().insert(Modules().begin(), Module);
}

void UnregisterModule(TLibModule* Module) {
  std::erase(Modules(), Module);
  if (Module->ResLibrary) dlclose(Module->ResLibrary);
  Module->ResLibrary = nullptr;
  Module->ResFileName.clear();
  Module->ResInstance = Module->Instance;
}

HMODULE FindResourceHInstance(HMODULE Instance) {
  for (const TLibModule* m : Modules())
    if (m->Instance == Instance) return m->ResInstance;
  return Instance;
}

std::vector<const TLibModule*> GetLibModules() { return {Modules().begin(), Modules().end()}; }
