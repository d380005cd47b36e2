// The registry store: the key tree in memory, the table of open keys, and the store file the
// tree is saved to after every change, shared safely by every process on the same profile.
//
// A change is committed under an exclusive lock on "<file>.lock": what other processes saved
// since this one last read the file is merged in first, then the whole tree is written to a
// temporary file that is renamed over the store, so a reader sees the old file or the new one.
// Reads of values never touch the disk; opening a key picks up what others saved meanwhile.
// Nothing here stops the process: a store that cannot be read or written leaves the settings
// in memory, and the user is told once, in a message box, why they will not be saved.
#include "WinReg.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include "MessageBox.h"
#include "RegistryFile.h"

namespace {

constexpr size_t kMaxFileSize = 16u << 20;  // a settings store; anything larger is not ours
constexpr mode_t kNewFileMode = 0600;
constexpr const char* kNoticeCaption = "Settings";

// ---- files -----------------------------------------------------------------------------

std::string ErrnoText(int err) { return std::strerror(err); }

std::string DirOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

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

// Why a file could not be made in the store's directory, in the user's terms when the
// directory itself is the cause.
std::string CannotCreate(const std::string& path, int err) {
  if (err == EACCES || err == EPERM || err == EROFS || err == ENOSPC || err == EDQUOT)
    return "cannot create files in " + DirOf(path) + ": " + ErrnoText(err);
  return "cannot create " + path + ": " + ErrnoText(err);
}

bool WriteAll(int fd, std::string_view text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Which file a read found: a write by anyone replaces the file, so its identity changes.
struct TFileStamp {
  dev_t Dev = 0;
  ino_t Ino = 0;
  off_t Size = -1;
  timespec MTime{};
  bool operator==(const TFileStamp& o) const {
    return Dev == o.Dev && Ino == o.Ino && Size == o.Size && MTime.tv_sec == o.MTime.tv_sec &&
           MTime.tv_nsec == o.MTime.tv_nsec;
  }
};

TFileStamp StampOf(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_size, st.st_mtim}; }

struct TStoreFile {
  enum TState : uint8_t { sfMissing, sfUnchanged, sfRead, sfUnreadable };
  TState State = sfMissing;
  std::string Text;
  TFileStamp Stamp;
  mode_t Mode = kNewFileMode;
  bool ReadOnly = false;  // the user (or the file system) keeps it from being written
  std::string Why;        // why it could not be read
};

// Reads the store file, unless it is still the one `known` describes. Only a regular file is
// opened, and without waiting, so a FIFO or a device at the path cannot hang the process.
TStoreFile ReadStoreFile(const std::string& path, const TFileStamp* known) {
  TStoreFile f;
  auto unreadable = [&](std::string why) {
    f.State = TStoreFile::sfUnreadable;
    f.Why = std::move(why);
    return f;
  };
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? f : unreadable(ErrnoText(errno));
  if (!S_ISREG(st.st_mode)) return unreadable("it is not a regular file");
  if (known && StampOf(st) == *known) {
    f.State = TStoreFile::sfUnchanged;
    return f;
  }
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno == ENOENT ? f : unreadable(ErrnoText(errno));
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {  // replaced since the stat
    ::close(fd);
    return unreadable("it is not a regular file");
  }
  if (static_cast<uint64_t>(st.st_size) > kMaxFileSize) {
    ::close(fd);
    return unreadable("it is larger than 16 MiB");
  }
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int err = errno;
      ::close(fd);
      return unreadable(ErrnoText(err));
    }
    if (n == 0) break;
    f.Text.append(buf, static_cast<size_t>(n));
    if (f.Text.size() > kMaxFileSize) {
      ::close(fd);
      return unreadable("it is larger than 16 MiB");
    }
  }
  ::close(fd);
  f.State = TStoreFile::sfRead;
  f.Stamp = StampOf(st);
  f.Mode = st.st_mode & 07777;
  // No write permission at all is the user's choice even where the superuser could write.
  f.ReadOnly = (st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
  return f;
}

std::string TemporaryPrefix(const std::string& path) { return path + ".tmp-"; }

// Temporary file in the same directory with the store's permissions, synced, then renamed
// over the store. The stamp is the new file's.
bool WriteFileAtomically(const std::string& path, std::string_view text, mode_t mode, TFileStamp& stamp,
                         std::string& why) {
  const std::string dir = DirOf(path);
  if (!MakeDirs(dir, why)) return false;
  const std::string tmp = TemporaryPrefix(path) + std::to_string(::getpid());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, kNewFileMode);
  if (fd < 0) {
    why = CannotCreate(tmp, errno);
    return false;
  }
  struct stat st {};
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0 && ::fstat(fd, &st) == 0;
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
  stamp = StampOf(st);
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);  // makes the rename itself durable; best effort
    ::close(dfd);
  }
  return true;
}

// Keeps a copy of a damaged file as the first free "<path>.damaged-<n>".
bool KeepDamagedCopy(const std::string& path, std::string_view text, std::string& aside, std::string& why) {
  for (int n = 1; n <= 9999; ++n) {
    aside = path + ".damaged-" + std::to_string(n);
    int fd = ::open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) break;
    bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
    int err = errno;
    ::close(fd);
    if (ok) return true;
    ::unlink(aside.c_str());
    errno = err;
    break;
  }
  why = errno == EEXIST ? "no free name for a copy" : CannotCreate(aside, errno);
  return false;
}

// Temporary files of saves that were killed before their rename. Only called under the
// lock, so no save in progress can own one.
void RemoveStaleTemporaries(const std::string& path) {
  const std::string dir = DirOf(path);
  const std::string prefix = TemporaryPrefix(path.substr(path.rfind('/') + 1));
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  while (const dirent* e = ::readdir(d)) {
    std::string_view name = e->d_name;
    if (name.substr(0, prefix.size()) != prefix) continue;
    struct stat st {};
    if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      ::unlinkat(::dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

// The exclusive lock that commits, cleanups and repairs of one store file take, held on a
// file beside it (the store itself is replaced on every save). The kernel drops it when
// the holder dies.
class TStoreLock {
 public:
  ~TStoreLock() {
    if (FFd >= 0) ::close(FFd);
  }
  bool Acquire(const std::string& path, bool makeDirs, std::string& why) {
    if (makeDirs && !MakeDirs(DirOf(path), why)) return false;
    const std::string name = path + ".lock";
    FFd = ::open(name.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, kNewFileMode);
    if (FFd < 0) {
      const int err = errno;
      struct stat st {};
      why = ::lstat(name.c_str(), &st) == 0 ? "cannot open " + name + ": " + ErrnoText(err) : CannotCreate(name, err);
      return false;
    }
    while (::flock(FFd, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      why = "cannot lock " + name + ": " + ErrnoText(errno);
      return false;
    }
    return true;
  }

 private:
  int FFd = -1;
};

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

std::string Count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// ---- the store -------------------------------------------------------------------------

struct TOpenKey {
  TRegNodePtr Node;
  REGSAM Access = 0;
};

class TStore {
 public:
  std::mutex Lock;

  void SetPath(const std::string& path) {
    FExplicitPath = path;
    FHandles.clear();
    FRoots = NewRegRoots();
    FBase = NewRegRoots();
    FLoaded = false;
  }
  std::string Path() const { return FExplicitPath.empty() ? DefaultStorePath() : FExplicitPath; }
  const std::string& LoadError() {
    EnsureLoaded();
    return FLoadError;
  }
  int OpenCount() const { return static_cast<int>(FHandles.size()); }
  std::vector<std::string> TakeNotices() { return std::exchange(FNotices, {}); }

  // Finds the key behind a handle and checks it was opened with the `need` rights; the
  // predefined roots are always open with full access.
  LONG Resolve(HKEY h, REGSAM need, TRegNode*& node, REGSAM* granted = nullptr) {
    EnsureLoaded();
    REGSAM access = KEY_ALL_ACCESS;
    node = nullptr;
    for (size_t i = 0; i < RegRootKeys.size(); ++i)
      if (RegRootKeys[i].Key == h) node = FRoots[i].get();
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
    TRegNodePtr keep = node->shared_from_this();
    do {
      FNextHandle = FNextHandle >= 0x7FFFFFFF ? 1 : FNextHandle + 1;
    } while (FHandles.count(FNextHandle));
    FHandles[FNextHandle] = TOpenKey{std::move(keep), access};
    return FNextHandle;
  }

  LONG Close(HKEY h) {
    for (const TRegRootInfo& r : RegRootKeys)
      if (r.Key == h) return ERROR_SUCCESS;
    return FHandles.erase(h) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
  }

  // Before a key is opened: merges what other processes saved since the last read. No lock
  // is needed to read, as every save replaces the file whole; a file that is not clean is
  // left to the next commit, which handles it under the lock.
  void Refresh() {
    EnsureLoaded();
    if (FPath.empty()) return;
    TStoreFile file = ReadStoreFile(FPath, &FStamp);
    if (file.State != TStoreFile::sfRead) return;
    TRegistryFileRead read = ReadRegistryFile(file.Text);
    if (read.Result != TRegistryFileRead::rfClean) return;
    TakeClean(file, std::move(read));
  }

  // One change to the key behind `h`: under the file's lock, merges what others saved, then
  // applies the change and writes the tree. The change is kept in memory even when it cannot
  // be written; the user is told once.
  LONG Change(HKEY h, REGSAM need, const std::function<LONG(TRegNode&)>& apply) {
    TRegNode* node = nullptr;
    if (LONG rc = Resolve(h, need, node)) return rc;
    TStoreLock lock;
    std::string why;
    const bool locked = FReadOnlyWhy.empty() && lock.Acquire(FPath, true, why);
    if (locked) RefreshLocked();
    if (LONG rc = Resolve(h, need, node)) return rc;  // the merge may have deleted it
    if (LONG rc = apply(*node)) return rc;
    if (!FReadOnlyWhy.empty())
      TellNotSaved(FReadOnlyWhy);
    else if (!locked || !Save(why))
      TellCannotSave(why);
    return ERROR_SUCCESS;
  }

 private:
  void EnsureLoaded() {
    if (FLoaded) return;
    FLoaded = true;
    FRoots = NewRegRoots();
    FBase = NewRegRoots();
    FStamp = TFileStamp{};
    FMode = kNewFileMode;
    FLoadError.clear();
    FReadOnlyWhy.clear();
    FToldNotSaved = false;
    FPath = Path();
    if (FPath.empty()) {
      FReadOnlyWhy = "There is no settings file (neither BRISK_REGISTRY nor HOME is set), so settings will not be saved.";
      return;
    }
    // The lock makes the cleanup safe and keeps a repair from racing another process's save;
    // without the store's directory there is nothing to clean or repair.
    TStoreLock lock;
    std::string why;
    const bool locked = lock.Acquire(FPath, false, why);
    if (locked) RemoveStaleTemporaries(FPath);
    TStoreFile file = ReadStoreFile(FPath, nullptr);
    if (file.State == TStoreFile::sfMissing) return;
    if (file.State == TStoreFile::sfUnreadable) return Unreadable(file.Why);
    TakeFileState(file);
    TRegistryFileRead read = ReadRegistryFile(file.Text);
    if (read.Result == TRegistryFileRead::rfNewerFormat) return Unreadable(read.Problem);
    if (read.Result == TRegistryFileRead::rfClean) return TakeClean(file, std::move(read));
    FRoots = std::move(read.Roots);
    FStamp = file.Stamp;
    if (Damaged(file, read, locked ? std::string() : why) && !Save(why)) TellCannotSave(why);
  }

  // Under the lock, before a change: what others saved, clean or damaged, is merged in.
  void RefreshLocked() {
    TStoreFile file = ReadStoreFile(FPath, &FStamp);
    if (file.State == TStoreFile::sfMissing || file.State == TStoreFile::sfUnchanged) return;
    if (file.State == TStoreFile::sfUnreadable) return Unreadable(file.Why);
    TakeFileState(file);
    TRegistryFileRead read = ReadRegistryFile(file.Text);
    if (read.Result == TRegistryFileRead::rfNewerFormat) return Unreadable(read.Problem);
    if (read.Result == TRegistryFileRead::rfClean) return TakeClean(file, std::move(read));
    // Lines lost to the damage are not taken for deletions: nothing is merged away.
    MergeRegistryChanges(FRoots, FBase, read.Roots, false);
    FStamp = file.Stamp;
    Damaged(file, read, "");
  }

  void TakeFileState(const TStoreFile& file) {
    FMode = file.Mode;
    if (file.ReadOnly && FReadOnlyWhy.empty())
      FReadOnlyWhy = "The settings file " + FPath +
                     " is read-only, so changes to the settings will not be saved.\n"
                     "The IDE goes on with them in memory.";
  }

  void TakeClean(const TStoreFile& file, TRegistryFileRead&& read) {
    MergeRegistryChanges(FRoots, FBase, read.Roots);
    FBase = std::move(read.Roots);
    FStamp = file.Stamp;
  }

  // Tells what was found in a damaged file and keeps a copy of it. True when the store may
  // replace the file; without a copy it must not, as the copy holds what could not be read.
  // `why` is set when the file cannot be replaced anyway.
  bool Damaged(const TStoreFile& file, const TRegistryFileRead& read, std::string why) {
    std::string text = "The settings file " + FPath + " is damaged (" + read.Problem + ").\n";
    const std::string lost = Count(read.LostLines, "line", "lines") + " could not be read";
    if (read.Values == 0)
      text += read.LostLines ? "No setting could be read; " + lost + ".\n" : "No setting could be read.\n";
    else if (read.LostLines == 0)
      text += "All " + Count(read.Values, "setting", "settings") + " could be read and are kept.\n";
    else
      text += Count(read.Values, "setting", "settings") + " could be read and are kept; " + lost + ".\n";
    std::string aside;
    if (file.ReadOnly) why = "the file is read-only";
    const bool replace = why.empty() && KeepDamagedCopy(FPath, file.Text, aside, why);
    if (replace) {
      text += "The damaged file is kept as " + aside + ".";
    } else {
      text += "The file is left as it is, and changes to the settings will not be saved (" + why + ").";
      ReadOnly(text);
    }
    Report(text);
    return replace;
  }

  // A file that cannot be read must not be replaced by a store that lacks its keys.
  void Unreadable(const std::string& why) {
    const std::string text = "The settings file " + FPath + " cannot be read (" + why +
                             ").\nThe IDE goes on without the saved settings and leaves the file as it is; "
                             "changes to the settings will not be saved.";
    ReadOnly(text);
    Report(text);
  }

  // This session will not write the file; `told` is what the user was told.
  void ReadOnly(const std::string& told) {
    FReadOnlyWhy = told;
    FToldNotSaved = true;
  }

  bool Save(std::string& why) {
    const std::string text = WriteRegistryFile(FRoots);
    if (text.size() > kMaxFileSize) {  // the store would not read it back
      why = "the settings would take more than 16 MiB";
      return false;
    }
    TFileStamp stamp;
    if (!WriteFileAtomically(FPath, text, FMode, stamp, why)) return false;
    FBase = CopyRegRoots(FRoots);
    FStamp = stamp;
    return true;
  }

  void TellCannotSave(const std::string& why) {
    TellNotSaved("The settings could not be saved to " + FPath + " (" + why +
                 ").\nThe IDE goes on with them in memory and tries again at the next change; "
                 "what is not saved is lost when it closes.");
  }

  void TellNotSaved(const std::string& text) {
    if (FToldNotSaved) return;
    FToldNotSaved = true;
    FNotices.push_back(text);
  }

  void Report(const std::string& text) {
    FLoadError = text;
    FNotices.push_back(text);
  }

  std::string FExplicitPath;
  std::string FPath;
  bool FLoaded = false;
  std::string FLoadError;
  TRegRoots FRoots = NewRegRoots();  // the live tree, which handles point into
  TRegRoots FBase = NewRegRoots();   // the file as this process last read or wrote it
  TFileStamp FStamp;                 // and which file that was
  mode_t FMode = kNewFileMode;       // kept when the file is replaced
  std::string FReadOnlyWhy;          // set when this session must not write the file: what to tell
  bool FToldNotSaved = false;
  std::vector<std::string> FNotices;  // shown once the store's lock is released
  std::map<HKEY, TOpenKey> FHandles;
  HKEY FNextHandle = 0;  // never reissued soon, so a stale handle fails cleanly
};

// Never destroyed: keys may still be closed by objects freed during process exit.
TStore& Store() {
  static TStore* store = new TStore;
  return *store;
}

// Runs one call on the store under its lock, then shows what the store has to tell, outside
// the lock, so that whoever answers the box may use the registry.
template <class Body>
auto WithStore(Body body) {
  std::vector<std::string> notices;
  auto result = [&] {
    std::lock_guard guard(Store().Lock);
    auto r = body(Store());
    notices = Store().TakeNotices();
    return r;
  }();
  for (const std::string& text : notices) MessageBox(0, text, kNoticeCaption, MB_OK | MB_ICONWARNING);
  return result;
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
    if (part.size() > RegMaxKeyName) return ERROR_INVALID_PARAMETER;
    parts.emplace_back(part);
    if (sep == std::string_view::npos) break;
    start = sep + 1;
  }
  return ERROR_SUCCESS;
}

// The deepest existing key along `parts` from `node`; `found` counts the names walked.
TRegNode* WalkExisting(TRegNode* node, const std::vector<std::string>& parts, size_t& found) {
  for (found = 0; found < parts.size(); ++found) {
    TRegNode* next = FindRegKey(*node, parts[found]);
    if (!next) break;
    node = next;
  }
  return node;
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
  return WithStore([&](TStore& store) -> LONG {
    store.Refresh();
    TRegNode* node = nullptr;
    REGSAM granted = 0;
    if (LONG rc = store.Resolve(hKey, 0, node, &granted)) return rc;
    std::vector<std::string> parts;
    if (LONG rc = SplitPath(lpSubKey, parts)) return rc;
    size_t found = 0;
    node = WalkExisting(node, parts, found);
    bool created = false;
    if (found < parts.size()) {
      // Only making a key needs the create right; opening an existing one does not.
      if (!(granted & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
      LONG rc = store.Change(hKey, 0, [&](TRegNode& base) -> LONG {
        node = WalkExisting(&base, parts, found);  // again: the merge may have made some
        if (RegKeyDepth(node) + parts.size() - found > RegMaxDepth) return ERROR_INVALID_PARAMETER;
        created = found < parts.size();
        for (; found < parts.size(); ++found) {
          auto made = std::make_shared<TRegNode>();
          made->Name = parts[found];
          TRegNode* next = made.get();
          InsertRegKey(*node, std::move(made));
          node = next;
        }
        return ERROR_SUCCESS;
      });
      if (rc) return rc;
    }
    *phkResult = store.Open(node, samDesired);
    if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
  });
}

LONG RegOpenKeyEx(HKEY hKey, const char* lpSubKey, DWORD, REGSAM samDesired, HKEY* phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = 0;
  return WithStore([&](TStore& store) -> LONG {
    store.Refresh();
    TRegNode* node = nullptr;
    if (LONG rc = store.Resolve(hKey, 0, node)) return rc;
    std::vector<std::string> parts;
    if (LONG rc = SplitPath(lpSubKey, parts)) return rc;
    size_t found = 0;
    node = WalkExisting(node, parts, found);
    if (found < parts.size()) return ERROR_FILE_NOT_FOUND;
    *phkResult = store.Open(node, samDesired);
    return ERROR_SUCCESS;
  });
}

LONG RegCloseKey(HKEY hKey) {
  return WithStore([&](TStore& store) { return store.Close(hKey); });
}

LONG RegFlushKey(HKEY hKey) {
  return WithStore([&](TStore& store) {
    TRegNode* node = nullptr;
    return store.Resolve(hKey, 0, node);
  });
}

LONG RegQueryValueEx(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                     DWORD* lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  return WithStore([&](TStore& store) -> LONG {
    TRegNode* node = nullptr;
    if (LONG rc = store.Resolve(hKey, KEY_QUERY_VALUE, node)) return rc;
    const TRegValue* v = FindRegValue(*node, lpValueName ? lpValueName : "");
    if (!v) return ERROR_FILE_NOT_FOUND;
    return CopyData(*v, lpType, lpData, lpcbData);
  });
}

LONG RegSetValueEx(HKEY hKey, const char* lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  std::string name = lpValueName ? lpValueName : "";
  if (name.size() > RegMaxValueName) return ERROR_INVALID_PARAMETER;
  std::vector<BYTE> data(lpData, lpData + cbData);
  return WithStore([&](TStore& store) {
    return store.Change(hKey, KEY_SET_VALUE, [&](TRegNode& node) -> LONG {
      // An existing value keeps the case of its name, as it does on Windows.
      if (TRegValue* v = FindRegValue(node, name)) {
        v->Type = dwType;
        v->Data = data;
      } else {
        node.Values.push_back(TRegValue{name, dwType, data});
      }
      return ERROR_SUCCESS;
    });
  });
}

LONG RegDeleteValue(HKEY hKey, const char* lpValueName) {
  std::string_view name = lpValueName ? lpValueName : "";
  return WithStore([&](TStore& store) -> LONG {
    TRegNode* node = nullptr;
    if (LONG rc = store.Resolve(hKey, KEY_SET_VALUE, node)) return rc;
    if (!FindRegValue(*node, name)) return ERROR_FILE_NOT_FOUND;
    return store.Change(hKey, KEY_SET_VALUE, [&](TRegNode& node) -> LONG {
      TRegValue* v = FindRegValue(node, name);
      if (!v) return ERROR_FILE_NOT_FOUND;
      node.Values.erase(node.Values.begin() + (v - node.Values.data()));
      return ERROR_SUCCESS;
    });
  });
}

LONG RegDeleteKey(HKEY hKey, const char* lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  return WithStore([&](TStore& store) -> LONG {
    std::vector<std::string> parts;
    auto victim = [&](TRegNode& base, TRegNode*& node) -> LONG {
      if (LONG rc = SplitPath(lpSubKey, parts)) return rc;
      size_t found = 0;
      node = WalkExisting(&base, parts, found);
      if (found < parts.size()) return ERROR_FILE_NOT_FOUND;
      if (!node->Parent || !node->Keys.empty()) return ERROR_ACCESS_DENIED;
      return ERROR_SUCCESS;
    };
    TRegNode* base = nullptr;
    TRegNode* node = nullptr;
    if (LONG rc = store.Resolve(hKey, 0, base)) return rc;
    if (LONG rc = victim(*base, node)) return rc;
    return store.Change(hKey, 0, [&](TRegNode& key) -> LONG {
      if (LONG rc = victim(key, node)) return rc;
      MarkRegKeyDeleted(*DetachRegKey(*node->Parent, node));
      return ERROR_SUCCESS;
    });
  });
}

LONG RegEnumKeyEx(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved, char* lpClass,
                  DWORD* lpcchClass, void*) {
  if (!lpName || !lpcchName || lpReserved) return ERROR_INVALID_PARAMETER;
  return WithStore([&](TStore& store) -> LONG {
    TRegNode* node = nullptr;
    if (LONG rc = store.Resolve(hKey, KEY_ENUMERATE_SUB_KEYS, node)) return rc;
    if (dwIndex >= node->Keys.size()) return ERROR_NO_MORE_ITEMS;
    if (LONG rc = CopyName(node->Keys[dwIndex]->Name, lpName, lpcchName)) return rc;
    if (lpClass && lpcchClass && *lpcchClass) *lpClass = '\0';
    if (lpcchClass) *lpcchClass = 0;
    return ERROR_SUCCESS;
  });
}

LONG RegEnumValue(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD* lpReserved,
                  DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
  if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  return WithStore([&](TStore& store) -> LONG {
    TRegNode* node = nullptr;
    if (LONG rc = store.Resolve(hKey, KEY_QUERY_VALUE, node)) return rc;
    if (dwIndex >= node->Values.size()) return ERROR_NO_MORE_ITEMS;
    const TRegValue& v = node->Values[dwIndex];
    if (LONG rc = CopyName(v.Name, lpValueName, lpcchValueName)) return rc;
    return CopyData(v, lpType, lpData, lpcbData);
  });
}

void SetRegistryStorePath(const std::string& path) {
  WithStore([&](TStore& store) {
    store.SetPath(path);
    return 0;
  });
}

std::string GetRegistryStorePath() {
  return WithStore([&](TStore& store) { return store.Path(); });
}

std::string GetRegistryLoadError() {
  return WithStore([&](TStore& store) { return store.LoadError(); });
}

int GetOpenRegistryKeyCount() {
  return WithStore([&](TStore& store) { return store.OpenCount(); });
}
