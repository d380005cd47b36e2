// The package unit: what BriskPack declares about itself and the entry points the IDE's
// package loader calls.
#pragma once

#include "platform/ide/PackageInfo.h"

extern "C" {
// The manifest: flags, required packages, contained units (layout in PackageInfo.h).
const uint8_t* GetPackageInfoTable(size_t* size);
// Compiler option bytes, the unit-alias list and the description.
const uint8_t* GetPackageOptions(size_t* size);
// "Brisk Editor" as zero-terminated UTF-16.
const uint8_t* GetPackageDescription(size_t* size);
const TPackageVersionInfo* GetPackageVersionInfo();
// Registers the package with the run-time library, loading its localized resource module
// when one lies beside it, then runs the package's units' initialization in unit-table order;
// if one raises, the units already initialized are finalized in reverse and the exception goes
// on to the loader.
void Initialize();
// Runs the finalization of the initialized units in reverse order, then releases the localized
// resource module.
void Finalize();
}
