// The registry store's key tree, its text form and the merge of another process's changes.
#include "RegistryFile.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

namespace {

constexpr std::string_view kHeader = "BRISK-REGISTRY 1";
constexpr std::string_view kHeaderPrefix = "BRISK-REGISTRY ";
constexpr std::string_view kChecksumPrefix = "crc32:";

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Fold(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = Upper(c);
  return folded;
}

uint32_t Crc32Update(uint32_t crc, std::string_view data) {
  for (char ch : data) {
    crc ^= static_cast<unsigned char>(ch);
    for (int b = 0; b < 8; ++b) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc;
}

// ---- text encoding ---------------------------------------------------------------------

const char kHex[] = "0123456789abcdef";
const char kHexUpper[] = "0123456789ABCDEF";

void Escape(std::string& out, std::string_view in) {
  for (char ch : in) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c <= 0x7E && c != '%' && c != '"') {
      out += ch;
    } else {
      out += '%';
      out += kHexUpper[c >> 4];
      out += kHexUpper[c & 15];
    }
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(std::string_view in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(in[i]);
    if (c < 0x20 || c > 0x7E || c == '"') return false;
    if (c != '%') {
      out += static_cast<char>(c);
      continue;
    }
    if (i + 2 >= in.size()) return false;
    int hi = HexDigit(in[i + 1]), lo = HexDigit(in[i + 2]);
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

bool ParseHexBytes(std::string_view in, std::vector<BYTE>& out) {
  if (in.size() % 2) return false;
  out.clear();
  out.reserve(in.size() / 2);
  for (size_t i = 0; i < in.size(); i += 2) {
    int hi = HexDigit(in[i]), lo = HexDigit(in[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<BYTE>(hi * 16 + lo));
  }
  return true;
}

// Up to eight hex digits: the file writes eight, a person may write fewer.
bool ParseHex32(std::string_view in, uint32_t& v) {
  if (in.empty() || in.size() > 8) return false;
  v = 0;
  for (char c : in) {
    int d = HexDigit(c);
    if (d < 0) return false;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  return true;
}

void WriteHex32(std::string& out, uint32_t v) {
  for (int s = 28; s >= 0; s -= 4) out += kHex[(v >> s) & 15];
}

void WriteValue(std::string& out, const TRegValue& v) {
  out += '"';
  Escape(out, v.Name);
  out += "\"=";
  const auto& d = v.Data;
  if (v.Type == REG_DWORD && d.size() == 4) {
    out += "dword:";
    WriteHex32(out, uint32_t(d[0]) | uint32_t(d[1]) << 8 | uint32_t(d[2]) << 16 | uint32_t(d[3]) << 24);
  } else if (v.Type == REG_SZ && !d.empty() && d.back() == 0) {
    out += "sz:\"";
    Escape(out, std::string_view(reinterpret_cast<const char*>(d.data()), d.size() - 1));
    out += '"';
  } else {
    out += "hex(" + std::to_string(v.Type) + "):";
    for (BYTE b : d) {
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  out += '\n';
}

void WriteNode(std::string& out, std::string& path, const TRegNode& node, bool isRoot) {
  if (!isRoot || !node.Values.empty()) {
    out += '[';
    out += path;
    out += "]\n";
    for (const TRegValue& v : node.Values) WriteValue(out, v);
  }
  for (const TRegNodePtr& k : node.Keys) {
    size_t mark = path.size();
    path += '\\';
    Escape(path, k->Name);
    WriteNode(out, path, *k, false);
    path.resize(mark);
  }
}

bool ValidKeyName(const std::string& name) {
  return !name.empty() && name.size() <= RegMaxKeyName && name.find('\0') == std::string::npos &&
         name.find('\\') == std::string::npos;
}

std::string_view Trim(std::string_view s) {
  constexpr std::string_view kSpace = " \t\v\f";
  size_t b = s.find_first_not_of(kSpace);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(kSpace) - b + 1);
}

// ---- reading ---------------------------------------------------------------------------

// Reads the records of one text into a result, one line at a time.
class TFileReader {
 public:
  explicit TFileReader(TRegistryFileRead& result) : R(result) {}

  void Record(int lineNo, std::string_view line) {
    FLine = lineNo;
    std::string why;
    if (line.front() == '[') {
      if (Key(line, why)) return;
      FCurrent = nullptr;
      FNoKeyReason = "value of a key whose line could not be read";
    } else if (line.front() == '"') {
      if (Value(line, why)) return;
    } else {
      why = "unrecognised line";
    }
    Lost(lineNo, why);
  }
  void Lost(int lineNo, const std::string& why) {
    ++R.LostLines;
    Note(lineNo, why);
  }
  void Note(int lineNo, const std::string& why) {
    if (R.Problem.empty()) R.Problem = lineNo ? "line " + std::to_string(lineNo) + ": " + why : why;
  }
  // A duplicate loses nothing, so it is told only when nothing worse was found.
  void Finish() {
    if (!FDuplicate.empty()) Note(FDuplicateLine, FDuplicate);
  }

 private:
  void NoteDuplicate(const char* what) {
    if (FDuplicate.empty()) FDuplicateLine = FLine, FDuplicate = what;
  }

  bool Key(std::string_view line, std::string& why) {
    if (line.size() < 2 || line.back() != ']') return why = "bad key line", false;
    std::string_view path = line.substr(1, line.size() - 2);
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
      size_t sep = path.find('\\', start);
      std::string part;
      if (!Unescape(path.substr(start, sep == std::string_view::npos ? sep : sep - start), part) ||
          !ValidKeyName(part))
        return why = "bad key name", false;
      parts.push_back(std::move(part));
      if (sep == std::string_view::npos) break;
      if (parts.size() > RegMaxDepth) return why = "key nested too deep", false;
      start = sep + 1;
    }
    size_t r = 0;
    while (r < RegRootKeys.size() && !SameRegName(parts[0], RegRootKeys[r].Name)) ++r;
    if (r == RegRootKeys.size()) return why = "unknown root key", false;
    std::string folded = RegRootKeys[r].Name;
    TRegNode* node = R.Roots[r].get();
    for (size_t k = 1; k < parts.size(); ++k) {
      folded += '\\';
      folded += Fold(parts[k]);
      TRegNode* next = FindRegKey(*node, parts[k]);
      if (!next) {
        auto made = std::make_shared<TRegNode>();
        made->Name = parts[k];
        next = made.get();
        InsertRegKey(*node, std::move(made));
      }
      node = next;
    }
    if (!FKeyPaths.insert(folded).second) NoteDuplicate("key listed twice");
    FCurrent = node;
    return true;
  }

  bool Value(std::string_view line, std::string& why) {
    if (!FCurrent) return why = FNoKeyReason, false;
    size_t close = line.find('"', 1);
    if (close == std::string_view::npos) return why = "bad value line", false;
    std::string_view rest = Trim(line.substr(close + 1));
    if (rest.empty() || rest.front() != '=') return why = "bad value line", false;
    std::string_view data = Trim(rest.substr(1));
    TRegValue v;
    if (!Unescape(line.substr(1, close - 1), v.Name) || v.Name.size() > RegMaxValueName ||
        v.Name.find('\0') != std::string::npos)
      return why = "bad value name", false;
    if (data.substr(0, 6) == "dword:") {
      uint32_t d = 0;
      if (!ParseHex32(data.substr(6), d)) return why = "bad dword", false;
      v.Type = REG_DWORD;
      v.Data = {BYTE(d), BYTE(d >> 8), BYTE(d >> 16), BYTE(d >> 24)};
    } else if (data.substr(0, 4) == "sz:\"") {
      std::string s;
      if (data.size() < 5 || data.back() != '"' || !Unescape(data.substr(4, data.size() - 5), s))
        return why = "bad string", false;
      v.Type = REG_SZ;
      v.Data.assign(s.begin(), s.end());
      v.Data.push_back(0);
    } else if (data.substr(0, 4) == "hex(") {
      size_t close2 = data.find("):");
      if (close2 == std::string_view::npos) return why = "bad hex value", false;
      std::string_view type = data.substr(4, close2 - 4);
      auto [end, ec] = std::from_chars(type.data(), type.data() + type.size(), v.Type);
      if (type.empty() || ec != std::errc() || end != type.data() + type.size()) return why = "bad value type", false;
      if (!ParseHexBytes(data.substr(close2 + 2), v.Data)) return why = "bad hex data", false;
    } else {
      return why = "unknown value form", false;
    }
    if (!FValueNames.emplace(FCurrent, Fold(v.Name)).second) {
      NoteDuplicate("value listed twice");
      TRegValue* old = FindRegValue(*FCurrent, v.Name);
      old->Type = v.Type;
      old->Data = std::move(v.Data);
      return true;
    }
    FCurrent->Values.push_back(std::move(v));
    ++R.Values;
    return true;
  }

  TRegistryFileRead& R;
  int FLine = 0;
  TRegNode* FCurrent = nullptr;
  std::string FNoKeyReason = "value before any key";
  std::set<std::string> FKeyPaths;                                // folded, of the keys listed
  std::set<std::pair<const TRegNode*, std::string>> FValueNames;  // folded, of the values read
  int FDuplicateLine = 0;
  std::string FDuplicate;
};

// ---- merging ---------------------------------------------------------------------------

using TValueIndex = std::unordered_map<std::string, size_t>;

TValueIndex IndexValues(const TRegNode& node) {
  TValueIndex index;
  for (size_t i = 0; i < node.Values.size(); ++i) index.emplace(Fold(node.Values[i].Name), i);
  return index;
}

void MergeNode(TRegNode& live, const TRegNode* base, const TRegNode& disk, bool takeDeletions) {
  const TValueIndex baseIndex = base ? IndexValues(*base) : TValueIndex();
  const TValueIndex diskIndex = IndexValues(disk);
  TValueIndex liveIndex = IndexValues(live);
  for (const TRegValue& d : disk.Values) {
    std::string name = Fold(d.Name);
    auto b = baseIndex.find(name);
    if (b != baseIndex.end() && base->Values[b->second].Type == d.Type && base->Values[b->second].Data == d.Data)
      continue;  // not changed there
    if (auto l = liveIndex.find(name); l != liveIndex.end()) {
      live.Values[l->second].Type = d.Type;
      live.Values[l->second].Data = d.Data;
    } else {
      liveIndex.emplace(std::move(name), live.Values.size());
      live.Values.push_back(d);
    }
  }
  if (base && takeDeletions) {
    std::set<std::string> gone;
    for (const TRegValue& b : base->Values)
      if (std::string name = Fold(b.Name); !diskIndex.count(name)) gone.insert(std::move(name));
    if (!gone.empty())
      std::erase_if(live.Values, [&](const TRegValue& v) { return gone.count(Fold(v.Name)) != 0; });
  }
  for (const TRegNodePtr& dk : disk.Keys) {
    const TRegNode* bk = base ? FindRegKey(*base, dk->Name) : nullptr;
    TRegNode* lk = FindRegKey(live, dk->Name);
    if (!lk) {
      if (bk) continue;  // deleted here and left as it was there: the deletion stands
      auto made = std::make_shared<TRegNode>();
      made->Name = dk->Name;
      lk = made.get();
      InsertRegKey(live, std::move(made));
    }
    MergeNode(*lk, bk, *dk, takeDeletions);
  }
  if (base && takeDeletions)
    for (const TRegNodePtr& bk : base->Keys)
      if (!FindRegKey(disk, bk->Name))
        if (TRegNode* lk = FindRegKey(live, bk->Name)) MarkRegKeyDeleted(*DetachRegKey(live, lk));
}

TRegNodePtr CopyNode(const TRegNode& from, TRegNode* parent) {
  auto to = std::make_shared<TRegNode>();
  to->Name = from.Name;
  to->Parent = parent;
  to->Values = from.Values;
  to->Keys.reserve(from.Keys.size());
  for (const TRegNodePtr& k : from.Keys) to->Keys.push_back(CopyNode(*k, to.get()));
  return to;
}

}  // namespace

int CompareRegName(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(Upper(a[i]));
    unsigned char cb = static_cast<unsigned char>(Upper(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameRegName(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareRegName(a, b) == 0; }

TRegRoots NewRegRoots() {
  TRegRoots roots;
  for (size_t i = 0; i < RegRootKeys.size(); ++i) {
    roots[i] = std::make_shared<TRegNode>();
    roots[i]->Name = RegRootKeys[i].Name;
  }
  return roots;
}

TRegRoots CopyRegRoots(const TRegRoots& roots) {
  TRegRoots copy;
  for (size_t i = 0; i < roots.size(); ++i) copy[i] = CopyNode(*roots[i], nullptr);
  return copy;
}

TRegNode* FindRegKey(const TRegNode& node, std::string_view name) {
  auto at = std::lower_bound(node.Keys.begin(), node.Keys.end(), name,
                             [](const TRegNodePtr& k, std::string_view n) { return CompareRegName(k->Name, n) < 0; });
  return at != node.Keys.end() && SameRegName((*at)->Name, name) ? at->get() : nullptr;
}

void InsertRegKey(TRegNode& parent, TRegNodePtr child) {
  child->Parent = &parent;
  auto at = std::lower_bound(parent.Keys.begin(), parent.Keys.end(), child, [](const TRegNodePtr& a, const TRegNodePtr& b) {
    return CompareRegName(a->Name, b->Name) < 0;
  });
  parent.Keys.insert(at, std::move(child));
}

TRegNodePtr DetachRegKey(TRegNode& parent, const TRegNode* child) {
  for (auto it = parent.Keys.begin(); it != parent.Keys.end(); ++it)
    if (it->get() == child) {
      TRegNodePtr keep = *it;
      parent.Keys.erase(it);
      keep->Parent = nullptr;
      return keep;
    }
  return nullptr;
}

void MarkRegKeyDeleted(TRegNode& node) {
  node.Deleted = true;
  for (const TRegNodePtr& k : node.Keys) MarkRegKeyDeleted(*k);
}

TRegValue* FindRegValue(TRegNode& node, std::string_view name) {
  for (TRegValue& v : node.Values)
    if (SameRegName(v.Name, name)) return &v;
  return nullptr;
}

const TRegValue* FindRegValue(const TRegNode& node, std::string_view name) {
  return FindRegValue(const_cast<TRegNode&>(node), name);
}

size_t RegKeyDepth(const TRegNode* node) {
  size_t d = 0;
  for (; node->Parent; node = node->Parent) ++d;
  return d;
}

std::string WriteRegistryFile(const TRegRoots& roots) {
  std::string out(kHeader);
  out += '\n';
  for (size_t i = 0; i < roots.size(); ++i) {
    std::string path = RegRootKeys[i].Name;
    WriteNode(out, path, *roots[i], true);
  }
  uint32_t crc = ~Crc32Update(0xFFFFFFFFu, out);
  out += kChecksumPrefix;
  WriteHex32(out, crc);
  out += '\n';
  return out;
}

TRegistryFileRead ReadRegistryFile(std::string_view text) {
  TRegistryFileRead r;
  TFileReader reader(r);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  uint32_t crc = 0xFFFFFFFFu;
  bool sawLine = false, sawChecksum = false;
  int lineNo = 0;
  for (size_t pos = 0; pos < text.size();) {
    // Any of LF, CR LF and CR ends a line; records never hold one.
    size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    std::string_view line = Trim(text.substr(pos, end - pos));
    ++lineNo;
    pos = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    if (line.empty()) continue;
    const bool first = !sawLine;
    sawLine = true;
    if (first && line.substr(0, kHeaderPrefix.size()) == kHeaderPrefix && line != kHeader) {
      unsigned version = 0;
      std::string_view digits = line.substr(kHeaderPrefix.size());
      auto [at, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), version);
      if (ec == std::errc() && at == digits.data() + digits.size() && version > 1) {
        r.Result = TRegistryFileRead::rfNewerFormat;
        r.Problem = "it was written in a newer format (version " + std::string(digits) + ")";
        return r;
      }
    }
    if (line.substr(0, kChecksumPrefix.size()) == kChecksumPrefix) {
      uint32_t stored = 0;
      if (sawChecksum) {
        reader.Lost(lineNo, "a second checksum line");
      } else if (line.size() != kChecksumPrefix.size() + 8 || !ParseHex32(line.substr(kChecksumPrefix.size()), stored)) {
        reader.Lost(lineNo, "bad checksum line");
      } else {
        sawChecksum = true;
        if (stored != ~crc)
          reader.Note(lineNo, "the checksum does not match: the file was changed by another program or damaged");
      }
      continue;
    }
    if (sawChecksum)
      reader.Note(lineNo, "text after the checksum line");
    else
      crc = Crc32Update(Crc32Update(crc, line), "\n");
    if (first && line == kHeader) continue;
    if (first) reader.Note(lineNo, "the first line is not the store's header");
    reader.Record(lineNo, line);
  }
  reader.Finish();
  if (!sawLine)
    reader.Note(0, "the file is empty");
  else if (!sawChecksum)
    reader.Note(0, "the checksum line is missing: the file ends early");
  r.Result = r.Problem.empty() ? TRegistryFileRead::rfClean : TRegistryFileRead::rfDamaged;
  return r;
}

void MergeRegistryChanges(TRegRoots& live, const TRegRoots& base, const TRegRoots& disk, bool takeDeletions) {
  for (size_t i = 0; i < live.size(); ++i) MergeNode(*live[i], base[i].get(), *disk[i], takeDeletions);
}
