// A package that loads: its requirements exist, and two of its units register something.
#include "PackageProbe.h"

namespace {
constexpr std::string_view kRequires[] = {"RZ21ND50", "vcl50"};
constexpr TPackageUnitEntry kContains[] = {
    {"GoodPackage", ufMainUnit | ufPackageUnit}, {"SysInit", 0}, {"GoodExpert", 0}, {"GoodQuiet", 0}, {"GoodOther", 0}};
}  // namespace

PROBE_PACKAGE("good", kRequires, kContains)

extern "C" void GoodExpert_Register() {
  PackageLog().push_back("GoodExpert register");
  RegisterLibraryExpert(new TProbeExpert("Good.Expert"));
}

extern "C" void GoodOther_Register() { PackageLog().push_back("GoodOther register"); }
