// The settings-store reader takes any bytes a profile's store file may hold.
#include <string>
#include <string_view>

#include "FuzzTarget.h"
#include "platform/win/RegistryFile.h"

BRISK_FUZZ_TARGET(RegistryStore) {
  const TRegistryFileRead read = ReadRegistryFile(std::string_view(reinterpret_cast<const char*>(data), size));
  // A file that is not read cleanly always says why, and a clean one has nothing to say.
  if ((read.Result == TRegistryFileRead::rfClean) != read.Problem.empty()) __builtin_trap();
  if (read.Result == TRegistryFileRead::rfNewerFormat) return 0;

  // What was kept is written the store's way and reads back cleanly as the same tree.
  const std::string written = WriteRegistryFile(read.Roots);
  const TRegistryFileRead again = ReadRegistryFile(written);
  if (again.Result != TRegistryFileRead::rfClean || again.Values != read.Values || again.LostLines != 0 ||
      WriteRegistryFile(again.Roots) != written)
    __builtin_trap();

  // Merged in as another process's save, it arrives whole; merged out again, nothing is left.
  TRegRoots live = NewRegRoots();
  MergeRegistryChanges(live, NewRegRoots(), read.Roots);
  if (WriteRegistryFile(live) != written) __builtin_trap();
  MergeRegistryChanges(live, read.Roots, NewRegRoots());
  if (WriteRegistryFile(live) != WriteRegistryFile(NewRegRoots())) __builtin_trap();
  return 0;
}
