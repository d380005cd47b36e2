// The package unit: BriskPack's description, manifest, options and version, and the unit
// table its entry points walk.
#include "BriskPack.h"

#include <dlfcn.h>

#include <exception>
#include <filesystem>

#include "QVBriskUnit.h"
#include "platform/vcl/LibModules.h"

namespace {

constexpr std::string_view kDescription = "Brisk Editor";

// The IDE refuses the package unless every one of these is present.
constexpr std::string_view kRequires[] = {"RZ21ND50", "Vellumkit", "VCLJPG50", "VCLSMP50", "VCLX50", "vcl50"};

constexpr TPackageUnitEntry kContains[] = {
    {"BriskPack", ufMainUnit | ufPackageUnit},
    {"QVBriskAbout", 0},
    {"SysInit", 0},
    {"EIPanel", 0},
    {"EINotifiers", 0},
    {"EIManager", 0},
    {"EIEditWrapper", 0},
    {"EIExtension", 0},
    {"QVBriskCfg", 0},
    {"QVBrisk", 0},
    {"QVExpert", 0},
};

constexpr uint32_t kFlags = pfPackageModule | pfProducerCurrent;

constexpr auto kPackageInfo =
    BuildPackageInfo<PackageInfoSize(kRequires, kContains)>(kFlags, kRequires, kContains);

// Option bytes: the package's usage (0: design time and run time, as the manifest's flags
// say) and implicit build (1: on); then the unit aliases, zero-terminated; then the
// description with a length byte in front.
constexpr std::string_view kUnitAliases = "WinTypes=Windows;WinProcs=Windows;DbiTypes=BDE;DbiProcs=BDE;DbiErrs=BDE;";
constexpr uint8_t kOptionBytes[] = {0x00, 0x01};

constexpr auto kPackageOptions = [] {
  std::array<uint8_t, sizeof(kOptionBytes) + kUnitAliases.size() + 1 + 1 + kDescription.size()> out{};
  size_t at = 0;
  for (uint8_t b : kOptionBytes) out[at++] = b;
  for (char c : kUnitAliases) out[at++] = static_cast<uint8_t>(c);
  out[at++] = 0;
  out[at++] = static_cast<uint8_t>(kDescription.size());
  for (char c : kDescription) out[at++] = static_cast<uint8_t>(c);
  return out;
}();

constexpr auto kPackageDescription = [] {
  std::array<uint8_t, (kDescription.size() + 1) * 2> out{};
  for (size_t i = 0; i < kDescription.size(); ++i) out[2 * i] = static_cast<uint8_t>(kDescription[i]);
  return out;
}();

constexpr TPackageVersionString kVersionStrings[] = {
    {"CompanyName", ""},     {"FileDescription", ""}, {"FileVersion", "1.0.0.1"},
    {"InternalName", ""},    {"LegalCopyright", ""},  {"LegalTrademarks", ""},
    {"OriginalFilename", ""}, {"ProductName", ""},    {"ProductVersion", "1.0.0.0"},
    {"Comments", ""},
};

constexpr TPackageVersionInfo kVersionInfo{
    {1, 0, 0, 1}, {1, 0, 0, 0}, 0x040D, 1255, "040D04E7", kVersionStrings, std::size(kVersionStrings)};

// The package's own units in initialization order, each after the units it uses; units
// whose sections do nothing have no functions.
struct TUnitEntry {
  const char* Name;
  void (*Init)();
  void (*Fini)();
};
constexpr TUnitEntry kUnitTable[] = {
    {"SysInit", nullptr, nullptr},
    {"QVExpert", nullptr, nullptr},
    {"EIExtension", nullptr, nullptr},
    {"EIEditWrapper", nullptr, nullptr},
    {"EIPanel", nullptr, nullptr},
    {"EIManager", nullptr, nullptr},
    {"EINotifiers", nullptr, nullptr},
    {"QVBriskAbout", nullptr, nullptr},
    {"QVBriskCfg", nullptr, nullptr},
    {"QVBrisk", &QVBrisk_Initialize, &QVBrisk_Finalize},
};

// How many units of the table have been initialized: Finalize undoes exactly those.
size_t gInitCount = 0;

// The package as a module of the run-time library, with its localized resources while loaded.
TLibModule gModule;
bool gModuleRegistered = false;

void RegisterPackageModule() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&Initialize), &info) || !info.dli_fname) return;
  std::error_code error;
  const std::filesystem::path file = std::filesystem::absolute(info.dli_fname, error);
  gModule.FileName = error ? info.dli_fname : file.string();
  RegisterModule(&gModule);
  gModuleRegistered = true;
}

}  // namespace

static_assert(kPackageInfo.size() == PackageInfoSize(kRequires, kContains));

extern "C" const uint8_t* GetPackageInfoTable(size_t* size) {
  if (size) *size = kPackageInfo.size();
  return kPackageInfo.data();
}

extern "C" const uint8_t* GetPackageOptions(size_t* size) {
  if (size) *size = kPackageOptions.size();
  return kPackageOptions.data();
}

extern "C" const uint8_t* GetPackageDescription(size_t* size) {
  if (size) *size = kPackageDescription.size();
  return kPackageDescription.data();
}

extern "C" const TPackageVersionInfo* GetPackageVersionInfo() { return &kVersionInfo; }

extern "C" void Initialize() {
  // Before any unit runs, the package finds its resources: its own, or a localized module's.
  if (!gModuleRegistered) RegisterPackageModule();
  try {
    while (gInitCount < std::size(kUnitTable)) {
      if (kUnitTable[gInitCount].Init) kUnitTable[gInitCount].Init();
      ++gInitCount;
    }
  } catch (...) {
    try {
      Finalize();
    } catch (...) {
    }
    throw;
  }
}

extern "C" void Finalize() {
  // A unit whose finalization raises must not keep the units before it from finalizing;
  // the first exception goes on to the loader once all have run.
  std::exception_ptr first;
  while (gInitCount > 0) {
    --gInitCount;
    try {
      if (kUnitTable[gInitCount].Fini) kUnitTable[gInitCount].Fini();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  if (gModuleRegistered) {
    UnregisterModule(&gModule);
    gModuleRegistered = false;
  }
  if (first) std::rethrow_exception(first);
}
