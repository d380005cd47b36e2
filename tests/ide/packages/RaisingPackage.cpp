// A package whose registration registers an expert and then raises.
#include "PackageProbe.h"
#include "platform/vcl/Registry.h"

namespace {
constexpr std::string_view kRequires[] = {"vcl50"};
constexpr TPackageUnitEntry kContains[] = {{"RaisingPackage", ufMainUnit | ufPackageUnit}, {"SysInit", 0}, {"RaisingUnit", 0}};
}  // namespace

PROBE_PACKAGE("raising", kRequires, kContains)

extern "C" void RaisingUnit_Register() {
  RegisterLibraryExpert(new TProbeExpert("Raising.Expert"));
  throw ERegistryException("Invalid data type for 'Active'");
}
