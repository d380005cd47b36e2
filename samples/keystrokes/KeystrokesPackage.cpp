// The Keystrokes package: its manifest, description and the entry points the IDE calls when
// it loads and unloads the package.
#include <array>

#include "Keystrokes.h"
#include "platform/ide/PackageInfo.h"

namespace {

constexpr std::string_view kDescription = "Keystrokes sample";

// The framework lives in BriskPack: the IDE loads it first, and refuses this package without it.
constexpr std::string_view kRequires[] = {"BriskPack", "vcl50"};
constexpr TPackageUnitEntry kContains[] = {
    {"KeystrokesPackage", ufMainUnit | ufPackageUnit},
    {"Keystrokes", 0},
};

constexpr auto kPackageInfo = BuildPackageInfo<PackageInfoSize(kRequires, kContains)>(
    pfPackageModule | pfProducerCurrent, kRequires, kContains);

constexpr auto kPackageDescription = [] {
  std::array<uint8_t, (kDescription.size() + 1) * 2> out{};
  for (size_t i = 0; i < kDescription.size(); ++i) out[2 * i] = static_cast<uint8_t>(kDescription[i]);
  return out;
}();

bool gInitialized = false;

}  // namespace

extern "C" const uint8_t* GetPackageInfoTable(size_t* size) {
  if (size) *size = kPackageInfo.size();
  return kPackageInfo.data();
}

extern "C" const uint8_t* GetPackageDescription(size_t* size) {
  if (size) *size = kPackageDescription.size();
  return kPackageDescription.data();
}

extern "C" void Initialize() {
  Keystrokes_Initialize();
  gInitialized = true;
}

extern "C" void Finalize() {
  if (!gInitialized) return;
  gInitialized = false;
  Keystrokes_Finalize();
}
