// A package linked against another package's library, with a manifest but no entry points or
// registration of its own: the loader must not run the other package's in their place.
#include "PackageProbe.h"

extern "C" void GoodOther_Register();

namespace {
constexpr std::string_view kRequires[] = {"vcl50"};
constexpr TPackageUnitEntry kContains[] = {{"DependentPackage", ufMainUnit | ufPackageUnit}, {"GoodOther", 0}};
constexpr auto kInfo =
    BuildPackageInfo<PackageInfoSize(kRequires, kContains)>(pfPackageModule | pfProducerCurrent, kRequires, kContains);
}  // namespace

extern "C" const uint8_t* GetPackageInfoTable(size_t* size) {
  *size = kInfo.size();
  return kInfo.data();
}

// Uses the other library, so the link keeps it.
extern "C" void DependentPackage_Touch() { GoodOther_Register(); }
