// The registry store: key and value calls, their error codes, persistence across a reload
// and atomic writes.
#include "RegistryFixture.h"

namespace {

using namespace regtest;

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
  EXPECT_EQ(Files(), (std::vector<std::string>{"registry.dat", "registry.dat.lock"}));
  RegCloseKey(k);

  // The directory is made when missing.
  StorePath = Dir + "/deeper/still/registry.dat";
  Reload();
  ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "x", 1), ERROR_SUCCESS);
  EXPECT_TRUE(fs::is_regular_file(StorePath));
}

}  // namespace
