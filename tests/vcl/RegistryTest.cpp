// TRegistry: OpenKey's path rules, the read conversions and their exact error messages,
// Boolean values as REG_DWORD, and settings that outlive a restart.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/vcl/Registry.h"

namespace fs = std::filesystem;

namespace {

const char* const kConfigKey = "\\Software\\Orvane Software\\QV Brisk\\Configuration";

class TRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "brisk-tregistry-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    Dir = tmpl;
    SetRegistryStorePath(Dir + "/registry.dat");
    Reg = new TRegistry;
  }
  void TearDown() override {
    FreeAndNil(Reg);
    EXPECT_EQ(GetOpenRegistryKeyCount(), 0) << "every key a TRegistry opened is closed";
    SetRegistryStorePath("");
    fs::remove_all(Dir);
  }

  // A value written through the raw calls, so the reads meet exactly the data under test.
  static void Put(HKEY k, DWORD type, const std::string& bytes) {
    ASSERT_EQ(RegSetValueEx(k, "Active", 0, type, reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size())),
              ERROR_SUCCESS);
  }
  // The value a read returned, or "raises: <message>".
  static std::string Outcome(const std::function<std::string()>& read) {
    try {
      return read();
    } catch (const ERegistryException& e) {
      return "raises: " + e.Message;
    }
  }

  std::string Dir;
  TRegistry* Reg = nullptr;
};

TEST_F(TRegistryTest, ReadsConvertOrRaiseTheOriginalMessages) {
  const std::string noData = "raises: Failed to get data for 'Active'";
  const std::string badType = "raises: Invalid data type for 'Active'";
  struct Row {
    const char* stored;
    DWORD type;  // REG_NONE: no value at all
    std::string bytes;
    std::string asString, asInteger, asBool;
  } rows[] = {
      {"missing", REG_NONE, "", "", noData, noData},
      {"REG_SZ '1' (2 bytes fit the integer buffer)", REG_SZ, std::string("1\0", 2), "1", badType, badType},
      {"REG_SZ 'abc' (exactly 4 bytes)", REG_SZ, std::string("abc\0", 4), "abc", badType, badType},
      {"REG_SZ 'hello' (larger than 4 bytes)", REG_SZ, std::string("hello\0", 6), "hello", noData, noData},
      {"REG_SZ ''", REG_SZ, std::string("\0", 1), "", badType, badType},
      {"REG_DWORD 7", REG_DWORD, std::string("\7\0\0\0", 4), badType, "7", "true"},
      {"REG_DWORD 0", REG_DWORD, std::string("\0\0\0\0", 4), badType, "0", "false"},
      {"REG_DWORD -2", REG_DWORD, std::string("\xFE\xFF\xFF\xFF", 4), badType, "-2", "true"},
      {"REG_BINARY 4 bytes", REG_BINARY, std::string("\1\0\0\0", 4), badType, badType, badType},
  };
  ASSERT_TRUE(Reg->OpenKey(kConfigKey, true));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stored);
    Reg->DeleteValue("Active");
    if (row.type != REG_NONE) Put(Reg->GetCurrentKey(), row.type, row.bytes);
    EXPECT_EQ(Outcome([&] { return Reg->ReadString("Active"); }), row.asString);
    EXPECT_EQ(Outcome([&] { return std::to_string(Reg->ReadInteger("Active")); }), row.asInteger);
    EXPECT_EQ(Outcome([&] { return std::string(Reg->ReadBool("Active") ? "true" : "false"); }), row.asBool);
  }
}

TEST_F(TRegistryTest, OpenKeyFollowsThePathRulesAndKeepsTheCurrentKeyOnFailure) {
  struct Row {
    const char* start;  // key opened first, or null for none
    const char* key;
    bool canCreate;
    bool opens;
    const char* path;  // CurrentPath afterwards
  } rows[] = {
      {nullptr, "Software\\A", true, true, "Software\\A"},
      {nullptr, "\\Software\\A", true, true, "Software\\A"},
      {"Software", "A", true, true, "Software\\A"},
      {"Software", "\\A", true, true, "A"},
      {"Software", "", false, true, "Software\\"},
      {"Software", "Missing", false, false, "Software"},
      {"Software", "Bad\\\\Path", true, false, "Software"},
      {nullptr, "Missing", false, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.start ? row.start : "(none)") + " then " + row.key);
    TRegistry* reg = new TRegistry;
    if (row.start) {
      ASSERT_TRUE(reg->OpenKey(row.start, true));
      reg->WriteString("Marker", row.start);
    }
    HKEY before = reg->GetCurrentKey();
    EXPECT_EQ(reg->OpenKey(row.key, row.canCreate), row.opens);
    EXPECT_EQ(reg->GetCurrentPath(), row.path);
    if (row.opens) {
      EXPECT_NE(reg->GetCurrentKey(), 0u);
      EXPECT_EQ(GetOpenRegistryKeyCount(), 1) << "the previous key was closed";
    } else {
      EXPECT_EQ(reg->GetCurrentKey(), before);
      if (row.start) {
        EXPECT_EQ(reg->ReadString("Marker"), row.start) << "still reading the old key";
      }
    }
    reg->Free();
  }
  // Where the relative open from an open key landed, seen from the root.
  EXPECT_TRUE(Reg->KeyExists("Software\\A"));
  EXPECT_TRUE(Reg->KeyExists("\\A"));
  EXPECT_FALSE(Reg->KeyExists("Missing"));
  EXPECT_EQ(GetOpenRegistryKeyCount(), 0) << "KeyExists leaves nothing open";
}

TEST_F(TRegistryTest, ChangingTheRootKeyClosesTheCurrentKey) {
  EXPECT_EQ(Reg->GetRootKey(), HKEY_CURRENT_USER);
  EXPECT_EQ(Reg->GetCurrentKey(), 0u);
  ASSERT_TRUE(Reg->OpenKey("Software", true));
  HKEY open = Reg->GetCurrentKey();
  Reg->SetRootKey(HKEY_CURRENT_USER);  // the same root: nothing happens
  EXPECT_EQ(Reg->GetCurrentKey(), open);

  Reg->SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(Reg->GetCurrentKey(), 0u);
  EXPECT_EQ(Reg->GetCurrentPath(), "");
  EXPECT_EQ(RegCloseKey(open), LONG(ERROR_INVALID_HANDLE)) << "already closed";
  ASSERT_TRUE(Reg->OpenKey("Software\\Machine", true));
  HKEY k = 0;
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Machine", 0, KEY_READ, &k), ERROR_SUCCESS);
  RegCloseKey(k);

  // Without lazy writing the key is flushed and still closed.
  Reg->SetLazyWrite(false);
  Reg->CloseKey();
  EXPECT_EQ(GetOpenRegistryKeyCount(), 0);
}

TEST_F(TRegistryTest, WritesStoreTheOriginalTypesAndSizes) {
  ASSERT_TRUE(Reg->OpenKey(kConfigKey, true));
  struct Row {
    std::function<void()> write;
    TRegDataType type;
    DWORD regType;
    std::string bytes;
  } rows[] = {
      {[&] { Reg->WriteBool("Active", true); }, rdInteger, REG_DWORD, std::string("\1\0\0\0", 4)},
      {[&] { Reg->WriteBool("Active", false); }, rdInteger, REG_DWORD, std::string("\0\0\0\0", 4)},
      {[&] { Reg->WriteInteger("Active", 0x01020304); }, rdInteger, REG_DWORD, "\4\3\2\1"},
      {[&] { Reg->WriteString("Active", "key.wav"); }, rdString, REG_SZ, std::string("key.wav\0", 8)},
      {[&] { Reg->WriteString("Active", ""); }, rdString, REG_SZ, std::string("\0", 1)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    row.write();
    EXPECT_EQ(Reg->GetDataType("Active"), row.type);
    EXPECT_EQ(Reg->GetDataSize("Active"), Integer(row.bytes.size()));
    char data[16] = {};
    DWORD type = 0, cb = sizeof data;
    ASSERT_EQ(RegQueryValueEx(Reg->GetCurrentKey(), "Active", nullptr, &type, reinterpret_cast<BYTE*>(data), &cb),
              ERROR_SUCCESS);
    EXPECT_EQ(type, row.regType);
    EXPECT_EQ(std::string(data, cb), row.bytes);
  }
  Reg->WriteBool("Active", true);
  EXPECT_TRUE(Reg->ReadBool("Active"));
  EXPECT_TRUE(Reg->ValueExists("ACTIVE"));
  EXPECT_TRUE(Reg->DeleteValue("Active"));
  EXPECT_FALSE(Reg->ValueExists("Active"));
  EXPECT_FALSE(Reg->DeleteValue("Active"));
  EXPECT_EQ(Reg->GetDataSize("Active"), -1);
  EXPECT_EQ(Reg->GetDataType("Active"), rdUnknown);
}

TEST_F(TRegistryTest, WithoutAnOpenKeyWritesRaiseAndReadsFindNothing) {
  EXPECT_FALSE(Reg->ValueExists("Active"));
  EXPECT_EQ(Reg->ReadString("Active"), "");
  EXPECT_EQ(Outcome([&] { return std::to_string(Reg->ReadInteger("Active")); }),
            "raises: Failed to get data for 'Active'");
  EXPECT_EQ(Outcome([&] { Reg->WriteBool("Active", true); return std::string(); }),
            "raises: Failed to set data for 'Active'");
  EXPECT_EQ(Outcome([&] { Reg->WriteString("File name wave key", "a.wav"); return std::string(); }),
            "raises: Failed to set data for 'File name wave key'");
  EXPECT_EQ(Outcome([&] { return std::to_string(Reg->CreateKey("Bad\\\\Path")); }),
            "raises: Failed to create key Bad\\\\Path");
  EXPECT_TRUE(Reg->CreateKey("\\Software\\Made"));
  EXPECT_TRUE(Reg->KeyExists("Software\\Made"));
  EXPECT_EQ(Reg->GetCurrentKey(), 0u) << "CreateKey does not open the key";
}

TEST_F(TRegistryTest, SettingsSurviveARestart) {
  ASSERT_TRUE(Reg->OpenKey(kConfigKey, true));
  Reg->WriteBool("Active", true);
  Reg->WriteString("File name wave key", "/waves/key.wav");
  FreeAndNil(Reg);

  SetRegistryStorePath(Dir + "/registry.dat");  // what a new process would find
  Reg = new TRegistry;
  ASSERT_TRUE(Reg->OpenKey(kConfigKey, false));
  EXPECT_TRUE(Reg->ReadBool("Active"));
  EXPECT_EQ(Reg->ReadString("File name wave key"), "/waves/key.wav");
  EXPECT_FALSE(Reg->ValueExists("File name wave enter"));
}

}  // namespace
