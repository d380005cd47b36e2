// The registry store: key and value calls, their error codes, persistence across a reload,
// atomic writes, and damaged store files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "platform/win/WinReg.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The standard CRC-32, to forge files whose checksum is right but whose content is not.
uint32_t Crc32(const std::string& s) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : s) {
    crc ^= c;
    for (int b = 0; b < 8; ++b) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string WithChecksum(const std::string& body) {
  char line[32];
  std::snprintf(line, sizeof line, "crc32:%08x\n", Crc32(body));
  return body + line;
}

LONG SetDword(HKEY k, const char* name, DWORD v) {
  return RegSetValueEx(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

LONG SetString(HKEY k, const char* name, const std::string& s) {
  return RegSetValueEx(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()), DWORD(s.size() + 1));
}

HKEY Create(HKEY parent, const char* path, DWORD* disposition = nullptr, REGSAM sam = KEY_ALL_ACCESS) {
  HKEY k = 0;
  EXPECT_EQ(RegCreateKeyEx(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr, &k, disposition),
            ERROR_SUCCESS)
      << path;
  return k;
}

std::string Hex(const std::vector<BYTE>& data) {
  std::string out;
  char b[3];
  for (BYTE c : data) {
    std::snprintf(b, sizeof b, "%02x", c);
    out += b;
  }
  return out;
}

// Every key and value below a key, one line each, through the enumeration calls.
void DumpKey(HKEY k, const std::string& path, std::string& out) {
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

std::string Dump() {
  std::string out;
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG})
    DumpKey(root, std::to_string(root), out);
  return out;
}

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "brisk-registry-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    Dir = tmpl;
    StorePath = Dir + "/registry.dat";
    SetRegistryStorePath(StorePath);
  }
  void TearDown() override {
    SetRegistryStorePath("");
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

  std::string Dir;
  std::string StorePath;
};

TEST_F(RegistryStoreTest, CreateMakesEveryLevelAndThenReportsTheKeyAsExisting) {
  DWORD disposition = 0;
  HKEY k = Create(HKEY_CURRENT_USER, "Software\\Orvane Software\\QV Brisk", &disposition);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  HKEY again = Create(HKEY_CURRENT_USER, "SOFTWARE\\orvane software\\qv brisk\\", &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  HKEY self = Create(k, "", &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));

  // Three handles, one key: a value set through one is seen through the others.
  ASSERT_EQ(SetDword(self, "Active", 1), ERROR_SUCCESS);
  DWORD v = 0, cb = sizeof v;
  EXPECT_EQ(RegQueryValueEx(again, "Active", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb), ERROR_SUCCESS);
  EXPECT_EQ(v, 1u);

  // The intermediate level exists and keeps the spelling it was created with.
  HKEY mid = 0;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "software\\ORVANE SOFTWARE", 0, KEY_READ, &mid), ERROR_SUCCESS);
  char name[64];
  DWORD cch = sizeof name;
  ASSERT_EQ(RegEnumKeyEx(mid, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "QV Brisk");
  EXPECT_EQ(cch, 8u);

  EXPECT_EQ(GetOpenRegistryKeyCount(), 4);
  for (HKEY h : {k, again, self, mid}) EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
  EXPECT_EQ(GetOpenRegistryKeyCount(), 0);
}

TEST_F(RegistryStoreTest, ValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  HKEY k = Create(HKEY_CURRENT_USER, "Software\\Test");
  ASSERT_EQ(SetDword(k, "Active", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(k, "ACTIVE", 0), ERROR_SUCCESS);  // replaces, does not add

  char name[32];
  DWORD cch = sizeof name, type = 0, v = 7, cb = sizeof v;
  ASSERT_EQ(RegEnumValue(k, 0, name, &cch, nullptr, &type, reinterpret_cast<BYTE*>(&v), &cb), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Active");
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(v, 0u);
  cch = sizeof name;
  EXPECT_EQ(RegEnumValue(k, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), LONG(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(RegDeleteValue(k, "active"), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueEx(k, "Active", nullptr, nullptr, nullptr, nullptr), LONG(ERROR_FILE_NOT_FOUND));
  RegCloseKey(k);
}

TEST_F(RegistryStoreTest, QueriesReportSizesTheWayCallersSizeTheirBuffers) {
  HKEY k = Create(HKEY_CURRENT_USER, "Software\\Test");
  ASSERT_EQ(SetString(k, "Name", "hello"), ERROR_SUCCESS);

  DWORD type = 0, cb = 0;
  ASSERT_EQ(RegQueryValueEx(k, "Name", nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(cb, 6u) << "REG_SZ counts its terminating NUL";

  char small[4] = {'x', 'x', 'x', 'x'};
  cb = sizeof small;
  EXPECT_EQ(RegQueryValueEx(k, "Name", nullptr, &type, reinterpret_cast<BYTE*>(small), &cb), LONG(ERROR_MORE_DATA));
  EXPECT_EQ(cb, 6u);
  char exact[6];
  cb = sizeof exact;
  ASSERT_EQ(RegQueryValueEx(k, "Name", nullptr, &type, reinterpret_cast<BYTE*>(exact), &cb), ERROR_SUCCESS);
  EXPECT_EQ(std::string(exact, 6), std::string("hello\0", 6));

  // REG_DWORD is four bytes, little-endian; the unnamed value is "" or null alike.
  ASSERT_EQ(SetDword(k, nullptr, 0x12345678), ERROR_SUCCESS);
  BYTE bytes[8] = {};
  cb = sizeof bytes;
  ASSERT_EQ(RegQueryValueEx(k, "", nullptr, &type, bytes, &cb), ERROR_SUCCESS);
  EXPECT_EQ(cb, 4u);
  EXPECT_EQ(Hex({bytes, bytes + 4}), "78563412");
  RegCloseKey(k);
}

TEST_F(RegistryStoreTest, MissingKeysAndValuesAreFileNotFound) {
  HKEY k = 0x1234;
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Nowhere", 0, KEY_READ, &k), LONG(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(k, 0u);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Nowhere"), LONG(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(RegQueryValueEx(HKEY_CURRENT_USER, "Missing", nullptr, nullptr, nullptr, nullptr),
            LONG(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(RegDeleteValue(HKEY_CURRENT_USER, "Missing"), LONG(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryStoreTest, BadCallsFailWithTheirErrorCodes) {
  HKEY parent = Create(HKEY_CURRENT_USER, "Software\\Parent\\Child");
  RegCloseKey(parent);
  HKEY readOnly = 0;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  HKEY closed = Create(HKEY_CURRENT_USER, "Software");
  RegCloseKey(closed);
  HKEY doomed = Create(HKEY_CURRENT_USER, "Software\\Doomed");
  ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Doomed"), ERROR_SUCCESS);

  HKEY out = 0;
  auto create = [&](HKEY h, const char* sub, DWORD options = REG_OPTION_NON_VOLATILE) {
    LONG rc = RegCreateKeyEx(h, sub, 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &out, nullptr);
    if (rc == ERROR_SUCCESS) RegCloseKey(out);
    return rc;
  };
  struct Row {
    const char* what;
    std::function<LONG()> call;
    DWORD expected;
  } rows[] = {
      {"leading backslash", [&] { return create(HKEY_CURRENT_USER, "\\Software"); }, ERROR_BAD_PATHNAME},
      {"empty level", [&] { return create(HKEY_CURRENT_USER, "Software\\\\X"); }, ERROR_BAD_PATHNAME},
      {"volatile key", [&] { return create(HKEY_CURRENT_USER, "V", REG_OPTION_VOLATILE); }, ERROR_INVALID_PARAMETER},
      {"no handle", [&] { return SetDword(0, "x", 1); }, ERROR_INVALID_HANDLE},
      {"unknown handle", [&] { return SetDword(0x7777, "x", 1); }, ERROR_INVALID_HANDLE},
      {"closed handle", [&] { return SetDword(closed, "x", 1); }, ERROR_INVALID_HANDLE},
      {"closed twice", [&] { return RegCloseKey(closed); }, ERROR_INVALID_HANDLE},
      {"write through read-only", [&] { return SetDword(readOnly, "x", 1); }, ERROR_ACCESS_DENIED},
      {"create through read-only", [&] { return create(readOnly, "New"); }, ERROR_ACCESS_DENIED},
      {"delete a key with subkeys", [&] { return RegDeleteKey(HKEY_CURRENT_USER, "Software\\Parent"); },
       ERROR_ACCESS_DENIED},
      {"delete a root", [&] { return RegDeleteKey(HKEY_CURRENT_USER, ""); }, ERROR_ACCESS_DENIED},
      {"use a deleted key", [&] { return SetDword(doomed, "x", 1); }, ERROR_KEY_DELETED},
      {"create under a deleted key", [&] { return create(doomed, "Sub"); }, ERROR_KEY_DELETED},
  };
  for (const Row& row : rows) EXPECT_EQ(row.call(), LONG(row.expected)) << row.what;

  // Opening an existing key needs no create right, and a deleted key's handle still closes.
  EXPECT_EQ(create(readOnly, "Parent"), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(doomed), ERROR_SUCCESS);
  RegCloseKey(readOnly);
  EXPECT_EQ(GetOpenRegistryKeyCount(), 0);
}

TEST_F(RegistryStoreTest, EnumerationListsKeysByNameAndValuesByCreation) {
  HKEY k = Create(HKEY_CURRENT_USER, "Software\\List");
  for (const char* sub : {"beta", "Alpha", "gamma"}) RegCloseKey(Create(k, sub));
  for (const char* v : {"zulu", "yankee"}) ASSERT_EQ(SetDword(k, v, 1), ERROR_SUCCESS);

  std::vector<std::string> keys, values;
  char name[16];
  DWORD cch = sizeof name;
  for (DWORD i = 0; RegEnumKeyEx(k, i, name, &(cch = sizeof name), nullptr, nullptr, nullptr, nullptr) == 0; ++i)
    keys.push_back(name);
  for (DWORD i = 0; RegEnumValue(k, i, name, &(cch = sizeof name), nullptr, nullptr, nullptr, nullptr) == 0; ++i)
    values.push_back(name);
  EXPECT_EQ(keys, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
  EXPECT_EQ(values, (std::vector<std::string>{"zulu", "yankee"}));

  cch = 5;  // "Alpha" needs 6 with its NUL
  EXPECT_EQ(RegEnumKeyEx(k, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), LONG(ERROR_MORE_DATA));
  RegCloseKey(k);
}

TEST_F(RegistryStoreTest, EverythingSurvivesAReload) {
  HKEY k = Create(HKEY_CURRENT_USER, "Software\\Orvane Software\\QV Brisk\\Configuration");
  ASSERT_EQ(SetDword(k, "Active", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetString(k, "File name wave key", "C:\\Waves\\key.wav"), ERROR_SUCCESS);
  ASSERT_EQ(SetString(k, "odd \"text\" 100%", "line\nbreak\t%41 \"q\" \xE9t\xE9"), ERROR_SUCCESS);
  ASSERT_EQ(SetString(k, "back\\slash", ""), ERROR_SUCCESS);
  std::vector<BYTE> all(256);
  for (int i = 0; i < 256; ++i) all[i] = BYTE(i);
  ASSERT_EQ(RegSetValueEx(k, "", 0, REG_BINARY, all.data(), 256), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(k, "no NUL", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(k, "short dword", 0, REG_DWORD, all.data() + 1, 2), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(k, "custom type", 0, 0xDEADBEEF, nullptr, 0), ERROR_SUCCESS);
  RegCloseKey(Create(HKEY_CURRENT_USER, "Software\\Empty [key] 100% \"x\"\\\x01\xFF"));
  RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Software\\Elsewhere"));
  ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "On the root", 5), ERROR_SUCCESS);
  RegCloseKey(Create(HKEY_CURRENT_USER, "Software\\Gone"));
  ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Gone"), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(k, "Deleted", 1), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValue(k, "Deleted"), ERROR_SUCCESS);
  RegCloseKey(k);

  std::string before = Dump();
  Reload();
  EXPECT_EQ(GetOpenRegistryKeyCount(), 0) << "a reload closes every key";
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(GetRegistryLoadError(), "");
  EXPECT_NE(before.find("Configuration \"Active\" 4 01000000"), std::string::npos) << before;
  EXPECT_EQ(before.find("Gone"), std::string::npos);
  EXPECT_EQ(before.find("Deleted"), std::string::npos);
}

TEST_F(RegistryStoreTest, EachChangeIsWrittenAtOnceLeavingNoTemporaryFile) {
  HKEY k = Create(HKEY_CURRENT_USER, "Software\\Test");
  ASSERT_EQ(SetString(k, "Wave", "key.wav"), ERROR_SUCCESS);
  // Written before the key is closed, and nothing but the store is left beside it.
  std::string text = ReadFile(StorePath);
  EXPECT_EQ(text.rfind("BRISK-REGISTRY 1\n", 0), 0u) << text;
  EXPECT_NE(text.find("\"Wave\"=sz:\"key.wav\""), std::string::npos) << text;
  EXPECT_EQ(Files(), (std::vector<std::string>{"registry.dat"}));
  RegCloseKey(k);

  // The directory is made when missing.
  StorePath = Dir + "/deeper/still/registry.dat";
  Reload();
  ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "x", 1), ERROR_SUCCESS);
  EXPECT_TRUE(fs::is_regular_file(StorePath));
}

TEST_F(RegistryStoreTest, AChangeThatCannotBeWrittenFailsAndIsUndone) {
  HKEY k = Create(HKEY_CURRENT_USER, "Software\\Test");
  ASSERT_EQ(SetDword(k, "Kept", 1), ERROR_SUCCESS);
  RegCloseKey(Create(k, "Leaf"));
  std::string before = Dump();
  std::string file = ReadFile(StorePath);

  // A directory where the temporary file must go makes every write fail.
  std::string blocker = StorePath + ".tmp-" + std::to_string(::getpid());
  fs::create_directory(blocker);
  testing::internal::CaptureStderr();
  HKEY out = 0;
  EXPECT_EQ(RegCreateKeyEx(k, "New\\Deeper", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr),
            LONG(ERROR_REGISTRY_IO_FAILED));
  EXPECT_EQ(out, 0u);
  EXPECT_EQ(SetDword(k, "Kept", 2), LONG(ERROR_REGISTRY_IO_FAILED));
  EXPECT_EQ(SetDword(k, "Added", 2), LONG(ERROR_REGISTRY_IO_FAILED));
  EXPECT_EQ(RegDeleteValue(k, "Kept"), LONG(ERROR_REGISTRY_IO_FAILED));
  EXPECT_EQ(RegDeleteKey(k, "Leaf"), LONG(ERROR_REGISTRY_IO_FAILED));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find(StorePath), std::string::npos) << err;

  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(ReadFile(StorePath), file);
  fs::remove(blocker);
  EXPECT_EQ(SetDword(k, "Kept", 3), ERROR_SUCCESS);
  RegCloseKey(k);
}

TEST_F(RegistryStoreTest, ADamagedStoreIsMovedAsideReportedOnceAndNeverOverwritten) {
  HKEY k = Create(HKEY_CURRENT_USER, "Software\\Test");
  ASSERT_EQ(SetDword(k, "Active", 1), ERROR_SUCCESS);
  RegCloseKey(k);
  const std::string good = ReadFile(StorePath);
  std::string flipped = good;
  flipped[flipped.find("00000001")] = '1';  // a changed value the checksum no longer covers

  struct Row {
    const char* what;
    std::string text;
  } rows[] = {
      {"empty file", ""},
      {"not a store", "[HKEY_CURRENT_USER\\x]\n"},
      {"newer version", WithChecksum("BRISK-REGISTRY 2\n")},
      {"no checksum line", "BRISK-REGISTRY 1\n[HKEY_CURRENT_USER\\Software]\n"},
      {"cut off mid-line", good.substr(0, good.size() - 3)},
      {"checksum mismatch", flipped},
      {"value before any key", WithChecksum("BRISK-REGISTRY 1\n\"x\"=dword:00000001\n")},
      {"bad escape", WithChecksum("BRISK-REGISTRY 1\n[HKEY_CURRENT_USER\\a%4]\n")},
      {"unknown root", WithChecksum("BRISK-REGISTRY 1\n[HKEY_NOWHERE\\a]\n")},
      {"key listed twice", WithChecksum("BRISK-REGISTRY 1\n[HKEY_CURRENT_USER\\a]\n[HKEY_CURRENT_USER\\A]\n")},
      {"value listed twice",
       WithChecksum("BRISK-REGISTRY 1\n[HKEY_CURRENT_USER\\a]\n\"v\"=dword:00000001\n\"V\"=sz:\"\"\n")},
      {"type too large", WithChecksum("BRISK-REGISTRY 1\n[HKEY_CURRENT_USER\\a]\n\"v\"=hex(4294967296):\n")},
      {"odd hex data", WithChecksum("BRISK-REGISTRY 1\n[HKEY_CURRENT_USER\\a]\n\"v\"=hex(3):abc\n")},
      {"text after the checksum", good + "[HKEY_CURRENT_USER\\b]\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove(StorePath + ".damaged-1");
    WriteFile(StorePath, row.text);
    Reload();
    testing::internal::CaptureStderr();
    std::string error = GetRegistryLoadError();
    HKEY probe = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Test", 0, KEY_READ, &probe), LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetRegistryLoadError(), error);
    std::string printed = testing::internal::GetCapturedStderr();

    EXPECT_NE(error.find(StorePath), std::string::npos) << error;
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << "reported once: " << printed;
    EXPECT_NE(printed.find(error), std::string::npos) << printed;
    EXPECT_FALSE(fs::exists(StorePath));
    EXPECT_EQ(ReadFile(StorePath + ".damaged-1"), row.text);
    // The store goes on, empty, and writes a fresh file.
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "fresh", 1), ERROR_SUCCESS);
    Reload();
    EXPECT_EQ(GetRegistryLoadError(), "");
  }

  // A second damaged file goes beside the first instead of replacing it.
  WriteFile(StorePath, "second");
  Reload();
  testing::internal::CaptureStderr();
  EXPECT_NE(GetRegistryLoadError().find(".damaged-2"), std::string::npos);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(ReadFile(StorePath + ".damaged-1"), rows[std::size(rows) - 1].text);
  EXPECT_EQ(ReadFile(StorePath + ".damaged-2"), "second");
}

TEST_F(RegistryStoreTest, AStoreThatCannotBeReadIsNeverReplaced) {
  fs::create_directory(StorePath);
  Reload();
  testing::internal::CaptureStderr();
  EXPECT_NE(GetRegistryLoadError().find("cannot read"), std::string::npos);
  EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "x", 1), LONG(ERROR_REGISTRY_IO_FAILED));
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(fs::is_directory(StorePath));
}

// Mutated store files, most of them with a repaired checksum so the parser sees them, must
// either load into a store that round-trips, or be set aside intact; never crash.
TEST_F(RegistryStoreTest, MutatedStoreFilesLoadOrAreSetAsideButNeverCrash) {
  HKEY k = Create(HKEY_CURRENT_USER, "Software\\Orvane Software\\QV Brisk\\Configuration");
  ASSERT_EQ(SetDword(k, "Active", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetString(k, "File name wave key", "C:\\Waves\\key 100%.wav"), ERROR_SUCCESS);
  ASSERT_EQ(SetString(k, "File name wave enter", "\"enter\".wav"), ERROR_SUCCESS);
  const BYTE blob[] = {0, 1, 0x22, 0x25, 0x5C, 0x0A, 0xFF};
  ASSERT_EQ(RegSetValueEx(k, "", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
  RegCloseKey(k);
  RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Software\\A\\B\\C"));
  const std::string seed = ReadFile(StorePath);

  std::mt19937 rng(20240611);
  auto pick = [&](size_t n) { return n ? size_t(rng() % n) : 0; };
  const std::string alphabet = "%\"\\[]=:()\n0123456789abcdefxyzHKEY_ \x01\xFF";
  int loaded = 0, setAside = 0;
  testing::internal::CaptureStderr();
  for (int round = 0; round < 400; ++round) {
    std::string text = seed;
    for (size_t m = 0, count = 1 + pick(3); m < count; ++m) {
      size_t at = pick(text.size());
      switch (pick(6)) {
        case 0: if (!text.empty()) text[at] = char(text[at] ^ (1 << pick(8))); break;
        case 1: if (!text.empty()) text[at] = alphabet[pick(alphabet.size())]; break;
        case 2: text.insert(at, 1, alphabet[pick(alphabet.size())]); break;
        case 3: text.erase(at, 1 + pick(8)); break;
        case 4: text.resize(at); break;
        default: {  // repeat a whole line somewhere else
          size_t b = text.rfind('\n', at), e = text.find('\n', at);
          b = b == std::string::npos ? 0 : b + 1;
          if (e != std::string::npos) text.insert(pick(text.size()), text.substr(b, e + 1 - b));
        }
      }
    }
    if (rng() % 4) {
      size_t tail = text.rfind("crc32:");
      text = WithChecksum(text.substr(0, tail == std::string::npos ? text.size() : tail));
    }
    WriteFile(StorePath, text);
    Reload();
    if (GetRegistryLoadError().empty()) {
      ++loaded;
      std::string contents = Dump();
      ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "fuzz probe", 1), ERROR_SUCCESS);
      ASSERT_EQ(RegDeleteValue(HKEY_CURRENT_USER, "fuzz probe"), ERROR_SUCCESS);
      Reload();
      ASSERT_EQ(GetRegistryLoadError(), "") << "our own file must load: round " << round;
      ASSERT_EQ(Dump(), contents) << "round " << round;
    } else {
      ++setAside;
      ASSERT_FALSE(fs::exists(StorePath)) << "round " << round;
      ASSERT_EQ(ReadFile(StorePath + ".damaged-1"), text) << "round " << round;
      fs::remove(StorePath + ".damaged-1");
    }
  }
  testing::internal::GetCapturedStderr();
  // Both outcomes must occur, or the mutations never reached the parser's inner paths.
  EXPECT_GT(loaded, 40) << setAside;
  EXPECT_GT(setAside, 40) << loaded;
}

}  // namespace
