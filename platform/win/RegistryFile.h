// The registry store's file without the file system: the key tree, its text form (written one
// canonical way, read back tolerantly so that every record that can still be read is kept),
// and the merge of the changes another process wrote into it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "WinReg.h"

struct TRegValue {
  std::string Name;
  DWORD Type = REG_NONE;
  std::vector<BYTE> Data;
};

struct TRegNode : std::enable_shared_from_this<TRegNode> {
  std::string Name;
  TRegNode* Parent = nullptr;                   // null for roots and for deleted keys
  std::vector<TRegValue> Values;                // in creation order
  std::vector<std::shared_ptr<TRegNode>> Keys;  // in name order, without case
  bool Deleted = false;
};
using TRegNodePtr = std::shared_ptr<TRegNode>;

struct TRegRootInfo {
  HKEY Key;
  const char* Name;
};
inline constexpr std::array<TRegRootInfo, 5> RegRootKeys{{{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
                                                          {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                                                          {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                                                          {HKEY_USERS, "HKEY_USERS"},
                                                          {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"}}};
using TRegRoots = std::array<TRegNodePtr, RegRootKeys.size()>;

constexpr size_t RegMaxKeyName = 255;
constexpr size_t RegMaxValueName = 16383;
constexpr size_t RegMaxDepth = 512;  // keeps recursion over the tree bounded

// Names compare without regard to case (ASCII), as the registry's do.
int CompareRegName(std::string_view a, std::string_view b);
bool SameRegName(std::string_view a, std::string_view b);

TRegRoots NewRegRoots();
TRegRoots CopyRegRoots(const TRegRoots& roots);
TRegNode* FindRegKey(const TRegNode& node, std::string_view name);
void InsertRegKey(TRegNode& parent, TRegNodePtr child);
TRegNodePtr DetachRegKey(TRegNode& parent, const TRegNode* child);
// A key taken out of the tree, and every key below it: handles still open on them fail.
void MarkRegKeyDeleted(TRegNode& node);
TRegValue* FindRegValue(TRegNode& node, std::string_view name);
const TRegValue* FindRegValue(const TRegNode& node, std::string_view name);
size_t RegKeyDepth(const TRegNode* node);

// The file's text:
//   BRISK-REGISTRY 1
//   [HKEY_CURRENT_USER\Software\Orvane Software]           a key, by its full path
//   "Active"=dword:00000001                                 values of the key above
//   "File name wave key"=sz:"C:\Waves\key.wav"              REG_SZ: text without its NUL
//   ""=hex(3):0a0b0c                                        anything else: type and bytes
//   crc32:1a2b3c4d                                          CRC-32 of the lines before it
// In names and texts, bytes outside 0x20..0x7E and the characters % and " are written as %HH,
// so a record never holds a line break or white space at either end. Every key has its own
// line, so empty keys survive; a root appears only when it holds values itself.
std::string WriteRegistryFile(const TRegRoots& roots);

// What reading a file's text gave. The checksum covers the lines as a text editor may leave
// them: line breaks of any kind, blank lines, white space around a line and a byte-order mark
// change nothing. Reading never stops at a problem: a line that cannot be read is skipped
// (and so are the values of a key whose line cannot be read), a key listed twice is one key,
// and of a value listed twice the later one counts.
struct TRegistryFileRead {
  enum TResult : uint8_t {
    rfClean,        // every line read and the checksum matches
    rfDamaged,      // Roots holds what could be read; Problem says what was wrong first
    rfNewerFormat,  // a later version of the format: nothing was read
  };
  TResult Result = rfClean;
  TRegRoots Roots = NewRegRoots();
  std::string Problem;    // "line 7: ...", or about the file as a whole
  size_t Values = 0;      // values read
  size_t LostLines = 0;   // lines of records that could not be read
};
TRegistryFileRead ReadRegistryFile(std::string_view text);

// Brings what another process changed (from `base`, the file as this process last read or
// wrote it, to `disk`, the file now) into `live`, in place, so that open handles keep their
// keys. What only `live` changed stays; where both changed the same value or key, `disk`
// wins, being the later commit. Keys the other process deleted are marked deleted. A damaged
// file's lost lines are not deletions: for one, `takeDeletions` is false.
void MergeRegistryChanges(TRegRoots& live, const TRegRoots& base, const TRegRoots& disk, bool takeDeletions = true);
