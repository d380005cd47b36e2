// The registry store: one key tree per predefined root, the table of open keys, and the
// versioned, checksummed text file the tree is written to after every change.
//
// File format (ASCII, one record per line, every line ends in '\n'):
//   BRISK-REGISTRY 1
//   [HKEY_CURRENT_USER\Software\Orvane Software]           a key, by its full path
//   "Active"=dword:00000001                                 values of the key above
//   "File name wave key"=sz:"C:\Waves\key.wav"              REG_SZ: text without its NUL
//   ""=hex(3):0a0b0c                                        anything else: type and bytes
//   crc32:1a2b3c4d                                          CRC-32 of every byte before it
// In names and texts, bytes outside 0x20..0x7E and the characters % and " are written as
// %HH. Every key has its own header, so empty keys survive; a root appears only when it
// holds values itself.
#include "WinReg.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kHeader = "BRISK-REGISTRY 1";
constexpr size_t kMaxFileSize = 16u << 20;  // a settings store; anything larger is not ours
constexpr size_t kMaxKeyName = 255;
constexpr size_t kMaxValueName = 16383;
constexpr size_t kMaxDepth = 512;  // keeps recursion over the tree bounded

struct TRegValue {
  std::string Name;
  DWORD Type = REG_NONE;
  std::vector<BYTE> Data;
};

struct TRegNode : std::enable_shared_from_this<TRegNode> {
  std::string Name;
  TRegNode* Parent = nullptr;  // null for roots and for deleted keys
  std::vector<TRegValue> Values;                  // in creation order
  std::vector<std::shared_ptr<TRegNode>> Keys;    // in name order, without case
  bool Deleted = false;
};
using TNodePtr = std::shared_ptr<TRegNode>;

struct TRootInfo {
  HKEY Key;
  const char* Name;
};
constexpr std::array<TRootInfo, 5> kRoots{{{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
                                           {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                                           {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                                           {HKEY_USERS, "HKEY_USERS"},
                                           {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"}}};
using TRoots = std::array<TNodePtr, kRoots.size()>;

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

int CompareName(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(Upper(a[i]));
    unsigned char cb = static_cast<unsigned char>(Upper(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
bool SameName(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareName(a, b) == 0; }

TRoots NewRoots() {
  TRoots roots;
  for (size_t i = 0; i < kRoots.size(); ++i) {
    roots[i] = std::make_shared<TRegNode>();
    roots[i]->Name = kRoots[i].Name;
  }
  return roots;
}

TRegNode* FindKey(const TRegNode& node, std::string_view name) {
  for (const TNodePtr& k : node.Keys)
    if (SameName(k->Name, name)) return k.get();
  return nullptr;
}

void InsertKey(TRegNode& parent, TNodePtr child) {
  child->Parent = &parent;
  auto at = std::lower_bound(parent.Keys.begin(), parent.Keys.end(), child,
                             [](const TNodePtr& a, const TNodePtr& b) { return CompareName(a->Name, b->Name) < 0; });
  parent.Keys.insert(at, std::move(child));
}

TNodePtr DetachKey(TRegNode& parent, const TRegNode* child) {
  for (auto it = parent.Keys.begin(); it != parent.Keys.end(); ++it)
    if (it->get() == child) {
      TNodePtr keep = *it;
      parent.Keys.erase(it);
      keep->Parent = nullptr;
      return keep;
    }
  return nullptr;
}

TRegValue* FindValue(TRegNode& node, std::string_view name) {
  for (TRegValue& v : node.Values)
    if (SameName(v.Name, name)) return &v;
  return nullptr;
}

size_t Depth(const TRegNode* node) {
  size_t d = 0;
  for (; node->Parent; node = node->Parent) ++d;
  return d;
}

uint32_t Crc32(const char* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= static_cast<unsigned char>(data[i]);
    for (int b = 0; b < 8; ++b) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
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

bool ParseHex32(std::string_view in, uint32_t& v) {
  if (in.size() != 8) return false;
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
  for (const TNodePtr& k : node.Keys) {
    size_t mark = path.size();
    path += '\\';
    Escape(path, k->Name);
    WriteNode(out, path, *k, false);
    path.resize(mark);
  }
}

std::string Serialize(const TRoots& roots) {
  std::string out = kHeader;
  out += '\n';
  for (size_t i = 0; i < roots.size(); ++i) {
    std::string path = kRoots[i].Name;
    WriteNode(out, path, *roots[i], true);
  }
  uint32_t crc = Crc32(out.data(), out.size());
  out += "crc32:";
  WriteHex32(out, crc);
  out += '\n';
  return out;
}

bool ValidName(const std::string& name, size_t max) {
  return !name.empty() && name.size() <= max && name.find('\0') == std::string::npos &&
         name.find('\\') == std::string::npos;
}

// Reads a store file into fresh roots; on failure says why, with the line number.
bool Parse(const std::string& text, TRoots& roots, std::string& error) {
  roots = NewRoots();
  std::set<std::string> headers;
  TRegNode* current = nullptr;
  bool sawChecksum = false;
  size_t pos = 0;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    error = lineNo ? "line " + std::to_string(lineNo) + ": " + why : why;
    return false;
  };
  if (text.empty()) return fail("the file is empty");
  while (pos < text.size()) {
    size_t lineStart = pos;
    size_t eol = text.find('\n', pos);
    ++lineNo;
    if (eol == std::string::npos) return fail("the line is cut off");
    std::string_view line(text.data() + pos, eol - pos);
    pos = eol + 1;
    if (sawChecksum) return fail("text after the checksum line");
    if (lineNo == 1) {
      if (line == kHeader) continue;
      return fail(line.substr(0, 15) == "BRISK-REGISTRY " ? "unsupported format version"
                                                           : "not a registry store (bad first line)");
    }
    if (line.substr(0, 6) == "crc32:") {
      uint32_t stored = 0;
      if (!ParseHex32(line.substr(6), stored)) return fail("bad checksum line");
      if (stored != Crc32(text.data(), lineStart)) return fail("checksum mismatch");
      sawChecksum = true;
    } else if (!line.empty() && line.front() == '[') {
      if (line.size() < 2 || line.back() != ']') return fail("bad key line");
      std::string_view path = line.substr(1, line.size() - 2);
      std::vector<std::string> parts;
      for (size_t start = 0;;) {
        size_t sep = path.find('\\', start);
        std::string part;
        if (!Unescape(path.substr(start, sep == std::string_view::npos ? sep : sep - start), part) ||
            !ValidName(part, kMaxKeyName))
          return fail("bad key name");
        parts.push_back(std::move(part));
        if (sep == std::string_view::npos) break;
        start = sep + 1;
      }
      if (parts.size() > kMaxDepth + 1) return fail("key nested too deep");
      size_t r = 0;
      while (r < kRoots.size() && !SameName(parts[0], kRoots[r].Name)) ++r;
      if (r == kRoots.size()) return fail("unknown root key");
      std::string folded = kRoots[r].Name;
      TRegNode* node = roots[r].get();
      for (size_t k = 1; k < parts.size(); ++k) {
        const std::string& p = parts[k];
        folded += '\\';
        for (char c : p) folded += Upper(c);
        TRegNode* next = FindKey(*node, p);
        if (!next) {
          auto made = std::make_shared<TRegNode>();
          made->Name = p;
          next = made.get();
          InsertKey(*node, std::move(made));
        }
        node = next;
      }
      if (!headers.insert(folded).second) return fail("key listed twice");
      current = node;
    } else if (!line.empty() && line.front() == '"') {
      if (!current) return fail("value before any key");
      size_t close = line.find('"', 1);
      if (close == std::string_view::npos || close + 1 >= line.size() || line[close + 1] != '=')
        return fail("bad value line");
      TRegValue v;
      if (!Unescape(line.substr(1, close - 1), v.Name) || v.Name.size() > kMaxValueName ||
          v.Name.find('\0') != std::string::npos)
        return fail("bad value name");
      if (FindValue(*current, v.Name)) return fail("value listed twice");
      std::string_view data = line.substr(close + 2);
      if (data.substr(0, 6) == "dword:") {
        uint32_t d = 0;
        if (!ParseHex32(data.substr(6), d)) return fail("bad dword");
        v.Type = REG_DWORD;
        v.Data = {BYTE(d), BYTE(d >> 8), BYTE(d >> 16), BYTE(d >> 24)};
      } else if (data.substr(0, 4) == "sz:\"") {
        std::string s;
        if (data.size() < 5 || data.back() != '"' || !Unescape(data.substr(4, data.size() - 5), s))
          return fail("bad string");
        v.Type = REG_SZ;
        v.Data.assign(s.begin(), s.end());
        v.Data.push_back(0);
      } else if (data.substr(0, 4) == "hex(") {
        size_t close2 = data.find("):");
        if (close2 == std::string_view::npos) return fail("bad hex value");
        std::string_view type = data.substr(4, close2 - 4);
        auto [end, ec] = std::from_chars(type.data(), type.data() + type.size(), v.Type);
        if (type.empty() || ec != std::errc() || end != type.data() + type.size())
          return fail("bad value type");
        if (!ParseHexBytes(data.substr(close2 + 2), v.Data)) return fail("bad hex data");
      } else {
        return fail("unknown value form");
      }
      current->Values.push_back(std::move(v));
    } else {
      return fail("unrecognised line");
    }
  }
  if (!sawChecksum) return fail("the file ends early (no checksum line)");
  return true;
}

// ---- files -----------------------------------------------------------------------------

std::string ErrnoText(int err) { return std::strerror(err); }

bool MakeDirs(const std::string& dir, std::string& why) {
  for (size_t at = 1; at <= dir.size(); ++at) {
    if (at < dir.size() && dir[at] != '/') continue;
    std::string part = dir.substr(0, at);
    if (::mkdir(part.c_str(), 0700) == 0 || errno == EEXIST) {
      struct stat st {};
      if (::stat(part.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
      why = part + " is not a directory";
      return false;
    }
    why = "cannot create " + part + ": " + ErrnoText(errno);
    return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Temporary file in the same directory, synced, then renamed over the store: a reader
// sees the old file or the new one, never a part of either.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& why) {
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  if (!MakeDirs(dir, why)) return false;
  std::string tmp = path + ".tmp-" + std::to_string(::getpid());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    why = "cannot create " + tmp + ": " + ErrnoText(errno);
    return false;
  }
  bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
  int err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(tmp.c_str());
    why = "cannot write " + path + ": " + ErrnoText(err);
    return false;
  }
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);  // makes the rename itself durable; best effort
    ::close(dfd);
  }
  return true;
}

// Renames without replacing: the first free "<path>.damaged-<n>".
bool MoveAside(const std::string& path, std::string& aside, std::string& why) {
  for (int n = 1; n <= 9999; ++n) {
    aside = path + ".damaged-" + std::to_string(n);
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) continue;
    if (errno != EINVAL && errno != ENOSYS) break;
    // A file system without no-replace renames: test first, then rename.
    struct stat st {};
    if (::lstat(aside.c_str(), &st) == 0) continue;
    if (::rename(path.c_str(), aside.c_str()) == 0) return true;
    break;
  }
  why = ErrnoText(errno);
  return false;
}

std::string DefaultStorePath() {
  if (const char* env = std::getenv("BRISK_REGISTRY"); env && *env) return env;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
    return std::string(xdg) + "/brisk-ide/registry.dat";
  std::string home;
  if (const char* h = std::getenv("HOME"); h && *h) {
    home = h;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
    home = pw->pw_dir;
  }
  return home.empty() ? std::string() : home + "/.config/brisk-ide/registry.dat";
}

// ---- the store -------------------------------------------------------------------------

struct TOpenKey {
  TNodePtr Node;
  REGSAM Access = 0;
};

class TStore {
 public:
  std::mutex Lock;

  void SetPath(const std::string& path) {
    FExplicitPath = path;
    FHandles.clear();
    FRoots = NewRoots();
    FLoaded = false;
    FLoadError.clear();
  }
  std::string Path() const { return FExplicitPath.empty() ? DefaultStorePath() : FExplicitPath; }
  const std::string& LoadError() {
    EnsureLoaded();
    return FLoadError;
  }
  int OpenCount() const { return static_cast<int>(FHandles.size()); }

  // Finds the key behind a handle and checks it was opened with the `need` rights; the
  // predefined roots are always open with full access.
  LONG Resolve(HKEY h, REGSAM need, TRegNode*& node, REGSAM* granted = nullptr) {
    EnsureLoaded();
    REGSAM access = KEY_ALL_ACCESS;
    node = nullptr;
    for (size_t i = 0; i < kRoots.size(); ++i)
      if (kRoots[i].Key == h) node = FRoots[i].get();
    if (!node) {
      auto it = FHandles.find(h);
      if (it == FHandles.end()) return ERROR_INVALID_HANDLE;
      node = it->second.Node.get();
      access = it->second.Access;
    }
    if (node->Deleted) return ERROR_KEY_DELETED;
    if ((access & need) != need) return ERROR_ACCESS_DENIED;
    if (granted) *granted = access;
    return ERROR_SUCCESS;
  }

  HKEY Open(TRegNode* node, REGSAM access) {
    TNodePtr keep = node->shared_from_this();
    do {
      FNextHandle = FNextHandle >= 0x7FFFFFFF ? 1 : FNextHandle + 1;
    } while (FHandles.count(FNextHandle));
    FHandles[FNextHandle] = TOpenKey{std::move(keep), access};
    return FNextHandle;
  }

  LONG Close(HKEY h) {
    for (const TRootInfo& r : kRoots)
      if (r.Key == h) return ERROR_SUCCESS;
    return FHandles.erase(h) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
  }

  // Writes the tree after a change; if it cannot be written, `undo` puts memory back in
  // line with the file and the change fails.
  LONG Commit(const std::function<void()>& undo) {
    std::string why = "the store file could not be loaded";
    if (FWritable && WriteFileAtomically(FPath, Serialize(FRoots), why)) return ERROR_SUCCESS;
    std::fprintf(stderr, "registry: change not saved: %s\n", why.c_str());
    undo();
    return ERROR_REGISTRY_IO_FAILED;
  }

 private:
  void EnsureLoaded() {
    if (FLoaded) return;
    FLoaded = true;
    FRoots = NewRoots();
    FLoadError.clear();
    FWritable = true;
    FPath = Path();
    if (FPath.empty()) {
      Report("no registry store path (set BRISK_REGISTRY or HOME); settings cannot be saved");
      FWritable = false;
      return;
    }
    int fd = ::open(FPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      if (errno == ENOENT) return;
      Unreadable(ErrnoText(errno));
      return;
    }
    std::string text;
    struct stat st {};
    std::string damage;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      Unreadable("not a regular file");
      return;
    }
    if (static_cast<uint64_t>(st.st_size) > kMaxFileSize) {
      damage = "larger than 16 MiB";
    } else {
      char buf[65536];
      for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
          int err = errno;
          ::close(fd);
          Unreadable(ErrnoText(err));
          return;
        }
        if (n == 0) break;
        text.append(buf, static_cast<size_t>(n));
        if (text.size() > kMaxFileSize) break;
      }
      if (text.size() > kMaxFileSize) damage = "larger than 16 MiB";
    }
    ::close(fd);
    TRoots roots;
    if (damage.empty() && Parse(text, roots, damage)) {
      FRoots = std::move(roots);
      return;
    }
    std::string aside, why;
    if (MoveAside(FPath, aside, why)) {
      Report("store file " + FPath + " is damaged (" + damage + "); it was moved to " + aside +
             " and the registry starts empty");
    } else {
      FWritable = false;
      Report("store file " + FPath + " is damaged (" + damage + ") and could not be moved aside (" + why +
             "); changes will not be saved");
    }
  }

  // An existing file that cannot be read must not be replaced by a store that lacks its keys.
  void Unreadable(const std::string& why) {
    FWritable = false;
    Report("cannot read store file " + FPath + " (" + why + "); changes will not be saved");
  }

  void Report(const std::string& text) {
    FLoadError = text;
    std::fprintf(stderr, "registry: %s\n", text.c_str());
  }

  std::string FExplicitPath;
  std::string FPath;
  bool FLoaded = false;
  bool FWritable = true;
  std::string FLoadError;
  TRoots FRoots = NewRoots();
  std::map<HKEY, TOpenKey> FHandles;
  HKEY FNextHandle = 0;  // never reissued soon, so a stale handle fails cleanly
};

// Never destroyed: keys may still be closed by objects freed during process exit.
TStore& Store() {
  static TStore* store = new TStore;
  return *store;
}

// Splits "A\B\C" into its names; a trailing backslash is allowed, a leading one is not.
LONG SplitPath(const char* sub, std::vector<std::string>& parts) {
  parts.clear();
  std::string_view s = sub ? sub : "";
  if (s.empty()) return ERROR_SUCCESS;
  if (s.front() == '\\') return ERROR_BAD_PATHNAME;
  if (s.back() == '\\') s.remove_suffix(1);
  for (size_t start = 0;;) {
    size_t sep = s.find('\\', start);
    std::string_view part = s.substr(start, sep == std::string_view::npos ? sep : sep - start);
    if (part.empty()) return ERROR_BAD_PATHNAME;
    if (part.size() > kMaxKeyName) return ERROR_INVALID_PARAMETER;
    parts.emplace_back(part);
    if (sep == std::string_view::npos) break;
    start = sep + 1;
  }
  return ERROR_SUCCESS;
}

// Copies a name and its NUL into a buffer of *cch characters; on success *cch is the length.
LONG CopyName(const std::string& name, char* buf, DWORD* cch) {
  if (*cch <= name.size()) return ERROR_MORE_DATA;
  std::memcpy(buf, name.c_str(), name.size() + 1);
  *cch = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// Fills the type and data outputs of a query the way RegQueryValueEx does.
LONG CopyData(const TRegValue& v, DWORD* type, BYTE* data, DWORD* cb) {
  if (type) *type = v.Type;
  DWORD size = static_cast<DWORD>(v.Data.size());
  if (data) {
    if (*cb < size) {
      *cb = size;
      return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(data, v.Data.data(), size);
  }
  if (cb) *cb = size;
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegCreateKeyEx(HKEY hKey, const char* lpSubKey, DWORD, const char*, DWORD dwOptions, REGSAM samDesired,
                    const void*, HKEY* phkResult, DWORD* lpdwDisposition) {
  if (!phkResult || !lpSubKey) return ERROR_INVALID_PARAMETER;
  *phkResult = 0;
  if (dwOptions & REG_OPTION_VOLATILE) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(Store().Lock);
  TRegNode* node = nullptr;
  REGSAM granted = 0;
  if (LONG rc = Store().Resolve(hKey, 0, node, &granted)) return rc;
  std::vector<std::string> parts;
  if (LONG rc = SplitPath(lpSubKey, parts)) return rc;
  size_t i = 0;
  for (; i < parts.size(); ++i) {
    TRegNode* next = FindKey(*node, parts[i]);
    if (!next) break;
    node = next;
  }
  bool created = i < parts.size();
  if (created) {
    // Only making a key needs the create right; opening an existing one does not.
    if (!(granted & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    if (Depth(node) + parts.size() - i > kMaxDepth) return ERROR_INVALID_PARAMETER;
    TRegNode* top = node;
    TRegNode* first = nullptr;
    for (; i < parts.size(); ++i) {
      auto made = std::make_shared<TRegNode>();
      made->Name = parts[i];
      TRegNode* next = made.get();
      InsertKey(*node, std::move(made));
      if (!first) first = next;
      node = next;
    }
    if (LONG rc = Store().Commit([&] { DetachKey(*top, first); })) return rc;
  }
  *phkResult = Store().Open(node, samDesired);
  if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

// The existing key lpSubKey below hKey; the store's lock is held by the caller.
static LONG FindSubKey(HKEY hKey, const char* lpSubKey, TRegNode*& node) {
  if (LONG rc = Store().Resolve(hKey, 0, node)) return rc;
  std::vector<std::string> parts;
  if (LONG rc = SplitPath(lpSubKey, parts)) return rc;
  for (const std::string& p : parts)
    if (!(node = FindKey(*node, p))) return ERROR_FILE_NOT_FOUND;
  return ERROR_SUCCESS;
}

LONG RegOpenKeyEx(HKEY hKey, const char* lpSubKey, DWORD, REGSAM samDesired, HKEY* phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = 0;
  std::lock_guard guard(Store().Lock);
  TRegNode* node = nullptr;
  if (LONG rc = FindSubKey(hKey, lpSubKey, node)) return rc;
  *phkResult = Store().Open(node, samDesired);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
  std::lock_guard guard(Store().Lock);
  return Store().Close(hKey);
}

LONG RegFlushKey(HKEY hKey) {
  std::lock_guard guard(Store().Lock);
  TRegNode* node = nullptr;
  return Store().Resolve(hKey, 0, node);
}

LONG RegQueryValueEx(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                     DWORD* lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(Store().Lock);
  TRegNode* node = nullptr;
  if (LONG rc = Store().Resolve(hKey, KEY_QUERY_VALUE, node)) return rc;
  const TRegValue* v = FindValue(*node, lpValueName ? lpValueName : "");
  if (!v) return ERROR_FILE_NOT_FOUND;
  return CopyData(*v, lpType, lpData, lpcbData);
}

LONG RegSetValueEx(HKEY hKey, const char* lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  std::string name = lpValueName ? lpValueName : "";
  if (name.size() > kMaxValueName) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(Store().Lock);
  TRegNode* node = nullptr;
  if (LONG rc = Store().Resolve(hKey, KEY_SET_VALUE, node)) return rc;
  std::vector<BYTE> data(lpData, lpData + cbData);
  if (TRegValue* v = FindValue(*node, name)) {
    // An existing value keeps the case of its name, as it does on Windows.
    TRegValue old = *v;
    v->Type = dwType;
    v->Data = std::move(data);
    return Store().Commit([&] { *v = std::move(old); });
  }
  node->Values.push_back(TRegValue{name, dwType, std::move(data)});
  return Store().Commit([&] { node->Values.pop_back(); });
}

LONG RegDeleteValue(HKEY hKey, const char* lpValueName) {
  std::lock_guard guard(Store().Lock);
  TRegNode* node = nullptr;
  if (LONG rc = Store().Resolve(hKey, KEY_SET_VALUE, node)) return rc;
  TRegValue* v = FindValue(*node, lpValueName ? lpValueName : "");
  if (!v) return ERROR_FILE_NOT_FOUND;
  auto at = node->Values.begin() + (v - node->Values.data());
  TRegValue old = std::move(*v);
  at = node->Values.erase(at);
  return Store().Commit([&] { node->Values.insert(at, std::move(old)); });
}

LONG RegDeleteKey(HKEY hKey, const char* lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(Store().Lock);
  TRegNode* node = nullptr;
  if (LONG rc = FindSubKey(hKey, lpSubKey, node)) return rc;
  if (!node->Parent || !node->Keys.empty()) return ERROR_ACCESS_DENIED;
  TRegNode* parent = node->Parent;
  TNodePtr kept = DetachKey(*parent, node);
  kept->Deleted = true;
  return Store().Commit([&] {
    kept->Deleted = false;
    InsertKey(*parent, kept);
  });
}

LONG RegEnumKeyEx(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved, char* lpClass,
                  DWORD* lpcchClass, void*) {
  if (!lpName || !lpcchName || lpReserved) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(Store().Lock);
  TRegNode* node = nullptr;
  if (LONG rc = Store().Resolve(hKey, KEY_ENUMERATE_SUB_KEYS, node)) return rc;
  if (dwIndex >= node->Keys.size()) return ERROR_NO_MORE_ITEMS;
  if (LONG rc = CopyName(node->Keys[dwIndex]->Name, lpName, lpcchName)) return rc;
  if (lpClass && lpcchClass && *lpcchClass) *lpClass = '\0';
  if (lpcchClass) *lpcchClass = 0;
  return ERROR_SUCCESS;
}

LONG RegEnumValue(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD* lpReserved,
                  DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
  if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(Store().Lock);
  TRegNode* node = nullptr;
  if (LONG rc = Store().Resolve(hKey, KEY_QUERY_VALUE, node)) return rc;
  if (dwIndex >= node->Values.size()) return ERROR_NO_MORE_ITEMS;
  const TRegValue& v = node->Values[dwIndex];
  if (LONG rc = CopyName(v.Name, lpValueName, lpcchValueName)) return rc;
  return CopyData(v, lpType, lpData, lpcbData);
}

void SetRegistryStorePath(const std::string& path) {
  std::lock_guard guard(Store().Lock);
  Store().SetPath(path);
}

std::string GetRegistryStorePath() {
  std::lock_guard guard(Store().Lock);
  return Store().Path();
}

std::string GetRegistryLoadError() {
  std::lock_guard guard(Store().Lock);
  return Store().LoadError();
}

int GetOpenRegistryKeyCount() {
  std::lock_guard guard(Store().Lock);
  return Store().OpenCount();
}
