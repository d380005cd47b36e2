// The shared log of the test packages and their expert.
#include "PackageProbe.h"

IMPLEMENT_CLASS(TProbeExpert, TIExpert)

std::vector<std::string>& PackageLog() {
  static std::vector<std::string> log;
  return log;
}

void TProbeExpert::Destroy() {
  PackageLog().push_back(FID + " destroyed");
  inherited::Destroy();
}
