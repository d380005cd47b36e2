// Reading a package's manifest and description back from the bytes it exports.
#include "PackageInfo.h"

namespace {

class TReader {
 public:
  TReader(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
  bool U8(uint8_t& v) {
    if (FAt >= FSize) return false;
    v = FData[FAt++];
    return true;
  }
  bool U32(uint32_t& v) {
    if (FSize - FAt < 4) return false;
    v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(FData[FAt++]) << (8 * i);
    return true;
  }
  bool Name(std::string& s) {
    size_t end = FAt;
    while (end < FSize && FData[end] != 0) ++end;
    if (end == FSize) return false;
    s.assign(reinterpret_cast<const char*>(FData + FAt), end - FAt);
    FAt = end + 1;
    return true;
  }
  size_t Left() const { return FSize - FAt; }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FAt = 0;
};

bool Fail(std::string* error, std::string why) {
  if (error) *error = std::move(why);
  return false;
}

}  // namespace

bool ParsePackageInfo(const uint8_t* data, size_t size, TPackageInfo& info, std::string* error) {
  info = TPackageInfo{};
  if (!data) return Fail(error, "the package has no manifest");
  TReader r(data, size);
  uint32_t count = 0;
  if (!r.U32(info.Flags) || !r.U32(count)) return Fail(error, "the manifest is truncated");
  if ((info.Flags & pfPackageModule) == 0) return Fail(error, "the module is not a package");
  // Each entry takes at least two bytes, so a count beyond the bytes left is damage, not a
  // reason to reserve memory.
  if (count > r.Left() / 2) return Fail(error, "the manifest is truncated");
  for (uint32_t i = 0; i < count; ++i) {
    TPackageInfo::TRequired req;
    if (!r.U8(req.Hash) || !r.Name(req.Name)) return Fail(error, "the manifest is truncated");
    if (req.Hash != PackageNameHash(req.Name))
      return Fail(error, "the manifest's entry for required package '" + req.Name + "' is damaged");
    info.Requires.push_back(std::move(req));
  }
  if (!r.U32(count)) return Fail(error, "the manifest is truncated");
  if (count > r.Left() / 3) return Fail(error, "the manifest is truncated");
  for (uint32_t i = 0; i < count; ++i) {
    TPackageInfo::TContained unit;
    if (!r.U8(unit.Flags) || !r.U8(unit.Hash) || !r.Name(unit.Name)) return Fail(error, "the manifest is truncated");
    if (unit.Hash != PackageNameHash(unit.Name))
      return Fail(error, "the manifest's entry for unit '" + unit.Name + "' is damaged");
    info.Contains.push_back(std::move(unit));
  }
  if (r.Left() != 0) return Fail(error, "the manifest has bytes after its last unit");
  return true;
}

std::string DecodePackageDescription(const uint8_t* data, size_t size) {
  std::string s;
  if (!data || size % 2 != 0) return s;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const uint16_t unit = static_cast<uint16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) return s;
    s.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
  }
  return {};  // no terminator
}
