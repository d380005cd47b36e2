// What the test packages did, in order: a log shared by the packages and the test through one
// library, and the package-building helpers they use.
#pragma once

#include <string>
#include <vector>

#include "platform/ide/ExptIntf.h"
#include "platform/ide/PackageInfo.h"

std::vector<std::string>& PackageLog();

// An expert that says in the log when it ends.
class TProbeExpert : public TIExpert {
  DECLARE_CLASS(TProbeExpert, TIExpert)
 public:
  explicit TProbeExpert(std::string id) : FID(std::move(id)) {}
  void Destroy() override;
  String GetName() override { return FID; }
  String GetIDString() override { return FID; }
  TExpertStyle GetStyle() override { return esAddIn; }

 private:
  std::string FID;
};

// Exports the manifest and the Initialize/Finalize pair that log "<tag> init"/"<tag> fini".
#define PROBE_PACKAGE(Tag, RequiresArray, ContainsArray)                                         \
  namespace {                                                                                     \
  constexpr auto kProbeInfo = BuildPackageInfo<PackageInfoSize(RequiresArray, ContainsArray)>(    \
      pfPackageModule | pfProducerCurrent, RequiresArray, ContainsArray);                         \
  }                                                                                               \
  extern "C" const uint8_t* GetPackageInfoTable(size_t* size) {                                   \
    *size = kProbeInfo.size();                                                                    \
    return kProbeInfo.data();                                                                     \
  }                                                                                               \
  extern "C" void Initialize() { PackageLog().push_back(Tag " init"); }                           \
  extern "C" void Finalize() { PackageLog().push_back(Tag " fini"); }
