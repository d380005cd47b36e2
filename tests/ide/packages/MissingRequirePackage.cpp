// A package that requires a package no library provides.
#include "PackageProbe.h"

namespace {
constexpr std::string_view kRequires[] = {"vcl50", "NoSuch50"};
constexpr TPackageUnitEntry kContains[] = {{"MissingPackage", ufMainUnit | ufPackageUnit}, {"MissingUnit", 0}};
}  // namespace

PROBE_PACKAGE("missing", kRequires, kContains)

extern "C" void MissingUnit_Register() { PackageLog().push_back("MissingUnit register"); }
