// The run-time package format the IDE reads: the manifest ("PACKAGEINFO") with its name
// hashes, the entry points a package exports, and the version record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Manifest flags: a package module built by the host's own package compiler (version 4 or
// later); design-only and run-only narrow where the package may be used.
constexpr uint32_t pfPackageModule = 0x40000000;
constexpr uint32_t pfProducerCurrent = 0x0C000000;
constexpr uint32_t pfDesignOnly = 0x00000002;
constexpr uint32_t pfRunOnly = 0x00000004;

// Contained-unit flags.
constexpr uint8_t ufMainUnit = 0x01;
constexpr uint8_t ufPackageUnit = 0x02;

// The one-byte name hash stored before each name. Names are compared without regard to
// case, so the hash is too.
constexpr uint8_t PackageNameHash(std::string_view name) {
  uint8_t h = 0;
  for (char c : name) {
    const uint8_t u = static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    h = static_cast<uint8_t>(((h << 1) | (h >> 7)) ^ u);
  }
  return h;
}

struct TPackageUnitEntry {
  std::string_view Name;
  uint8_t Flags;
};

// Builds a manifest at compile time: flags, the required packages, the contained units, all
// integers little-endian, each name hashed and zero-terminated. N is the exact byte size
// (PackageInfoSize), so the array holds the manifest and nothing else.
constexpr size_t PackageInfoSize(std::span<const std::string_view> requires_,
                                 std::span<const TPackageUnitEntry> contains) {
  size_t n = 12;
  for (auto r : requires_) n += 1 + r.size() + 1;
  for (auto u : contains) n += 2 + u.Name.size() + 1;
  return n;
}

template <size_t N>
constexpr std::array<uint8_t, N> BuildPackageInfo(uint32_t flags, std::span<const std::string_view> requires_,
                                                  std::span<const TPackageUnitEntry> contains) {
  std::array<uint8_t, N> out{};
  size_t at = 0;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at++] = static_cast<uint8_t>(v >> (8 * i));
  };
  auto putName = [&](std::string_view s) {
    for (char c : s) out[at++] = static_cast<uint8_t>(c);
    out[at++] = 0;
  };
  put32(flags);
  put32(static_cast<uint32_t>(requires_.size()));
  for (auto r : requires_) {
    out[at++] = PackageNameHash(r);
    putName(r);
  }
  put32(static_cast<uint32_t>(contains.size()));
  for (auto u : contains) {
    out[at++] = u.Flags;
    out[at++] = PackageNameHash(u.Name);
    putName(u.Name);
  }
  return out;
}

// A manifest as the loader reads it back.
struct TPackageInfo {
  struct TRequired {
    uint8_t Hash = 0;
    std::string Name;
  };
  struct TContained {
    uint8_t Flags = 0;
    uint8_t Hash = 0;
    std::string Name;
  };
  uint32_t Flags = 0;
  std::vector<TRequired> Requires;
  std::vector<TContained> Contains;
};

// Reads a manifest. False with a reason for a truncated table, a name without its
// terminator, a hash that does not match its name, a missing package-module flag or bytes
// left over.
bool ParsePackageInfo(const uint8_t* data, size_t size, TPackageInfo& info, std::string* error);

// The version record of a package; the string table holds FileVersion and ProductVersion
// and the other standard names with empty values.
struct TPackageVersionString {
  const char* Name;
  const char* Value;
};
struct TPackageVersionInfo {
  uint16_t FileVersion[4];
  uint16_t ProductVersion[4];
  uint16_t Language;
  uint16_t CodePage;
  const char* StringTableKey;  // language and code page in hex, "040D04E7"
  const TPackageVersionString* Strings;
  size_t StringCount;
};

// Symbols a package exports. A unit's registration routine is "<Unit>_Register".
extern "C" {
using TGetPackageInfoTableProc = const uint8_t* (*)(size_t* size);
using TGetPackageResourceProc = const uint8_t* (*)(size_t* size);
using TGetPackageVersionInfoProc = const TPackageVersionInfo* (*)();
using TPackageInitProc = void (*)();
using TRegisterProc = void (*)();
}
constexpr const char* kGetPackageInfoTableSymbol = "GetPackageInfoTable";
constexpr const char* kGetPackageOptionsSymbol = "GetPackageOptions";
constexpr const char* kGetPackageDescriptionSymbol = "GetPackageDescription";
constexpr const char* kGetPackageVersionInfoSymbol = "GetPackageVersionInfo";
constexpr const char* kInitializeSymbol = "Initialize";
constexpr const char* kFinalizeSymbol = "Finalize";
inline std::string RegisterSymbolOf(const std::string& unitName) { return unitName + "_Register"; }

// The description resource: UTF-16 little-endian code units up to the terminating zero,
// narrowed to 8 bits (non-ASCII units become '?'). Empty for a missing or odd-sized table.
std::string DecodePackageDescription(const uint8_t* data, size_t size);
