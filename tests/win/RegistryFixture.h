// A registry store of its own per test, in a fresh directory, with the boxes the store showed
// recorded; helpers to write values, dump the whole tree and run other processes on the store.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win/MessageBox.h"
#include "platform/win/WinReg.h"

namespace regtest {

namespace fs = std::filesystem;

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The standard CRC-32, to forge files whose checksum is right but whose content is not.
inline uint32_t Crc32(const std::string& s) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : s) {
    crc ^= c;
    for (int b = 0; b < 8; ++b) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline std::string WithChecksum(const std::string& body) {
  char line[32];
  std::snprintf(line, sizeof line, "crc32:%08x\n", Crc32(body));
  return body + line;
}

inline LONG SetDword(HKEY k, const char* name, DWORD v) {
  return RegSetValueEx(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

inline LONG SetString(HKEY k, const char* name, const std::string& s) {
  return RegSetValueEx(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()), DWORD(s.size() + 1));
}

inline HKEY Create(HKEY parent, const char* path, DWORD* disposition = nullptr, REGSAM sam = KEY_ALL_ACCESS) {
  HKEY k = 0;
  EXPECT_EQ(RegCreateKeyEx(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr, &k, disposition),
            ERROR_SUCCESS)
      << path;
  return k;
}

// A value below HKEY_CURRENT_USER as "sz:<text>" or "dword:<n>", or "<missing>".
inline std::string GetValue(const char* key, const char* name) {
  HKEY k = 0;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return "<missing>";
  char data[65536] = {};
  DWORD type = 0, cb = sizeof data - 1;
  LONG rc = RegQueryValueEx(k, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &cb);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) return "<missing>";
  if (type == REG_DWORD && cb == 4) {
    uint32_t v = 0;
    std::memcpy(&v, data, 4);
    return "dword:" + std::to_string(v);
  }
  return "sz:" + std::string(data);
}

inline std::string Hex(const std::vector<BYTE>& data) {
  std::string out;
  char b[3];
  for (BYTE c : data) {
    std::snprintf(b, sizeof b, "%02x", c);
    out += b;
  }
  return out;
}

// Every key and value below a key, one line each, through the enumeration calls.
inline void DumpKey(HKEY k, const std::string& path, std::string& out) {
  std::vector<char> name(16384);
  for (DWORD i = 0;; ++i) {
    DWORD cch = DWORD(name.size()), type = 0, cb = 0;
    LONG rc = RegEnumValue(k, i, name.data(), &cch, nullptr, &type, nullptr, &cb);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, ERROR_SUCCESS);
    std::vector<BYTE> data(cb + 1);
    ASSERT_EQ(RegQueryValueEx(k, name.data(), nullptr, &type, data.data(), &cb), ERROR_SUCCESS);
    data.resize(cb);
    out += path + " \"" + std::string(name.data(), cch) + "\" " + std::to_string(type) + " " + Hex(data) + "\n";
  }
  for (DWORD i = 0;; ++i) {
    DWORD cch = DWORD(name.size());
    LONG rc = RegEnumKeyEx(k, i, name.data(), &cch, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, ERROR_SUCCESS);
    std::string sub = path + "\\" + std::string(name.data(), cch);
    out += sub + "\n";
    HKEY child = 0;
    ASSERT_EQ(RegOpenKeyEx(k, name.data(), 0, KEY_READ, &child), ERROR_SUCCESS);
    DumpKey(child, sub, out);
    RegCloseKey(child);
  }
}

inline std::string Dump() {
  std::string out;
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG})
    DumpKey(root, std::to_string(root), out);
  return out;
}

// Runs `body` in a forked process, which is another process on the same store, and returns its
// exit code (-1 when it did not exit). The child starts the store afresh, as a new process
// would; it must not touch the test framework.
inline int RunProcess(const std::string& storePath, const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    SetRegistryStorePath(storePath);
    ::_exit(body());
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "brisk-registry-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    Dir = tmpl;
    StorePath = Dir + "/registry.dat";
    SetRegistryStorePath(StorePath);
    ClearShownMessageBoxes();
    FPreviousAnswerer = SetMessageBoxAnswerer([](const TMessageBoxRequest&) { return IDOK; });
  }
  void TearDown() override {
    SetRegistryStorePath("");
    SetMessageBoxAnswerer(FPreviousAnswerer);
    ClearShownMessageBoxes();
    fs::permissions(Dir, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(Dir);
  }
  // Drops everything in memory; the next call reads the file, as a restarted host would.
  void Reload() { SetRegistryStorePath(StorePath); }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The texts of the boxes shown since the last call.
  static std::vector<std::string> TakeBoxes() {
    std::vector<std::string> texts;
    for (const TMessageBoxRequest& box : GetShownMessageBoxes()) texts.push_back(box.Text);
    ClearShownMessageBoxes();
    return texts;
  }

  std::string Dir;
  std::string StorePath;

 private:
  TMessageBoxAnswerer FPreviousAnswerer;
};

}  // namespace regtest
