// The package loader reads a manifest and a description from whatever a library exports.
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "platform/ide/PackageInfo.h"

namespace {

// The manifest as the package compiler writes it; a manifest that reads back must be exactly
// these bytes, since the format has one spelling for each content.
std::vector<uint8_t> Write(const TPackageInfo& info) {
  std::vector<uint8_t> out;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto putName = [&](const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
  };
  put32(info.Flags);
  put32(static_cast<uint32_t>(info.Requires.size()));
  for (const auto& r : info.Requires) {
    out.push_back(r.Hash);
    putName(r.Name);
  }
  put32(static_cast<uint32_t>(info.Contains.size()));
  for (const auto& u : info.Contains) {
    out.push_back(u.Flags);
    out.push_back(u.Hash);
    putName(u.Name);
  }
  return out;
}

}  // namespace

BRISK_FUZZ_TARGET(PackageInfo) {
  TPackageInfo info;
  std::string error;
  if (ParsePackageInfo(data, size, info, &error)) {
    if (Write(info) != std::vector<uint8_t>(data, data + size)) __builtin_trap();
  } else if (error.empty()) {
    __builtin_trap();  // a refusal always says why
  }
  // The description is read from another export of the same library.
  const std::string description = DecodePackageDescription(data, size);
  if (description.size() > size / 2) __builtin_trap();
  return 0;
}
