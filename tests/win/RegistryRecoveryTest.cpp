// The store file as people and machines leave it: edited by hand, damaged, unreadable,
// read-only, in a folder that cannot be written, littered by killed saves. The settings are
// never lost silently and the store never stops its process.
#include <grp.h>
#include <sys/stat.h>

#include <csignal>
#include <random>

#include "RegistryFixture.h"

namespace {

using namespace regtest;

const char* const kConfig = "Software\\Orvane Software\\QV Brisk\\Configuration";

class RegistryRecoveryTest : public RegistryStoreTest {
 protected:
  // The typing-sound settings and one more key, saved the way the store writes them.
  std::string SeedSettings() {
    HKEY k = Create(HKEY_CURRENT_USER, kConfig);
    EXPECT_EQ(SetDword(k, "Active", 1), ERROR_SUCCESS);
    EXPECT_EQ(SetString(k, "File name wave key", "/My Waves/key.wav"), ERROR_SUCCESS);
    EXPECT_EQ(SetString(k, "File name wave enter", "/My Waves/enter.wav"), ERROR_SUCCESS);
    EXPECT_EQ(SetString(k, "File name wave backspace", "/My Waves/back.wav"), ERROR_SUCCESS);
    RegCloseKey(k);
    k = Create(HKEY_CURRENT_USER, "Software\\Other");
    EXPECT_EQ(SetDword(k, "x", 2), ERROR_SUCCESS);
    RegCloseKey(k);
    return ReadFile(StorePath);
  }
  // What the store holds of those settings, in one line.
  static std::string Settings() {
    return GetValue(kConfig, "Active") + " " + GetValue(kConfig, "File name wave key") + " " +
           GetValue(kConfig, "File name wave enter") + " " + GetValue(kConfig, "File name wave backspace") + " " +
           GetValue("Software\\Other", "x");
  }
  bool HasFileLike(const std::string& fragment) const {
    for (const std::string& name : Files())
      if (name.find(fragment) != std::string::npos) return true;
    return false;
  }
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
  return text;
}

TEST_F(RegistryRecoveryTest, WhatTextEditorsDoToTheFileChangesNothing) {
  const std::string good = SeedSettings();
  const std::string before = Dump();
  std::string indented;
  for (size_t at = 0, end; (end = good.find('\n', at)) != std::string::npos; at = end + 1)
    indented += "  " + good.substr(at, end - at) + " \t\n";
  struct Row {
    const char* what;
    std::string text;
  } rows[] = {
      {"CR LF line ends", Replace(good, "\n", "\r\n")},
      {"CR line ends", Replace(good, "\n", "\r")},
      {"blank lines, trailing ones too", Replace(good, "]\n", "]\n\n") + "\n\n\n"},
      {"white space around every line", indented},
      {"byte-order mark and no final line break", "\xEF\xBB\xBF" + good.substr(0, good.size() - 1)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    WriteFile(StorePath, row.text);
    Reload();
    EXPECT_EQ(GetRegistryLoadError(), "");
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{});
    EXPECT_EQ(ReadFile(StorePath), row.text) << "a file that reads cleanly is left as the user has it";
    EXPECT_FALSE(HasFileLike(".damaged-"));
  }
}

TEST_F(RegistryRecoveryTest, DamageKeepsEverySettingThatCanBeReadAndTheOriginalBeside) {
  const std::string good = SeedSettings();
  const std::string all = "dword:1 sz:/My Waves/key.wav sz:/My Waves/enter.wav sz:/My Waves/back.wav dword:2";
  ASSERT_EQ(Settings(), all);
  const std::string enterLine = "\"File name wave enter\"=sz:\"/My Waves/enter.wav\"\n";
  const std::string body = good.substr(0, good.find("crc32:"));
  struct Row {
    const char* what;
    std::string text;
    std::string kept;     // Settings() afterwards
    std::string problem;  // in the box
    std::string count;    // in the box
  } rows[] = {
      {"a flipped byte breaks one line", Replace(good, "\"File name wave enter\"=", "\"File name wave enter\"}"),
       "dword:1 sz:/My Waves/key.wav <missing> sz:/My Waves/back.wav dword:2", "line 8: bad value line",
       "4 settings could be read and are kept; 1 line could not be read"},
      {"a value changed by hand", Replace(good, "key.wav", "click.wav"),
       "dword:1 sz:/My Waves/click.wav sz:/My Waves/enter.wav sz:/My Waves/back.wav dword:2",
       "checksum does not match", "All 5 settings could be read"},
      {"a damaged key line loses that key's values", Replace(good, "Software\\Other]", "Software\\Other)"),
       "dword:1 sz:/My Waves/key.wav sz:/My Waves/enter.wav sz:/My Waves/back.wav <missing>",
       "line 10: bad key line", "4 settings could be read and are kept; 2 lines could not be read"},
      {"cut off", good.substr(0, good.find(enterLine) + enterLine.size() + 10),
       "dword:1 sz:/My Waves/key.wav sz:/My Waves/enter.wav <missing> <missing>", "line 9: bad value line",
       "3 settings could be read"},
      {"text after the checksum", good + "[HKEY_CURRENT_USER\\Software\\Other]\n\"x\"=dword:7\n",
       "dword:1 sz:/My Waves/key.wav sz:/My Waves/enter.wav sz:/My Waves/back.wav dword:7",
       "line 13: text after the checksum line", "All 5 settings"},
      {"garbage for a header", "\x01\x7F garbage\n" + good.substr(good.find('\n') + 1), all,
       "line 1: the first line is not the store's header", "5 settings could be read and are kept; 1 line"},
      {"a value listed twice: the later counts", WithChecksum(body + "\"X\"=dword:9\n"),
       "dword:1 sz:/My Waves/key.wav sz:/My Waves/enter.wav sz:/My Waves/back.wav dword:9",
       "line 12: value listed twice", "All 5 settings"},
      {"an empty file", "", "<missing> <missing> <missing> <missing> <missing>", "the file is empty",
       "No setting could be read.\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove(StorePath + ".damaged-1");
    WriteFile(StorePath, row.text);
    Reload();
    EXPECT_EQ(Settings(), row.kept);
    const std::vector<std::string> boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("The settings file " + StorePath + " is damaged"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find(row.problem), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find(row.count), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("The damaged file is kept as " + StorePath + ".damaged-1."), std::string::npos)
        << boxes[0];
    EXPECT_EQ(GetRegistryLoadError(), boxes[0]);
    EXPECT_EQ(ReadFile(StorePath + ".damaged-1"), row.text);
    // What was kept is saved at once, so the next start reads it cleanly and says nothing.
    Reload();
    EXPECT_EQ(GetRegistryLoadError(), "");
    EXPECT_EQ(Settings(), row.kept);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{});
  }

  // A second damaged file goes beside the first instead of replacing it.
  WriteFile(StorePath, "second");
  Reload();
  EXPECT_NE(GetRegistryLoadError().find(".damaged-2"), std::string::npos);
  EXPECT_EQ(ReadFile(StorePath + ".damaged-1"), rows[std::size(rows) - 1].text);
  EXPECT_EQ(ReadFile(StorePath + ".damaged-2"), "second");
}

TEST_F(RegistryRecoveryTest, AFileThatCannotBeReadIsLeftAloneAndTheSettingsLiveInMemory) {
  const std::string newer = WithChecksum("BRISK-REGISTRY 2\n[HKEY_CURRENT_USER\\Software]\n");
  struct Row {
    const char* what;
    std::function<void()> make;
    const char* why;
  } rows[] = {
      {"a directory", [&] { fs::create_directory(StorePath); }, "(it is not a regular file)"},
      // Opening a FIFO for reading would wait for a writer forever.
      {"a FIFO", [&] { ASSERT_EQ(::mkfifo(StorePath.c_str(), 0600), 0); }, "(it is not a regular file)"},
      {"a newer format", [&] { WriteFile(StorePath, newer); }, "(it was written in a newer format (version 2))"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(StorePath);
    row.make();
    const fs::file_type type = fs::symlink_status(StorePath).type();
    Reload();
    ::alarm(60);  // a hang ends the run instead of stalling it
    EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "x", 1), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "x", 2), ERROR_SUCCESS);
    ::alarm(0);
    EXPECT_EQ(GetValue("", "x"), "dword:2");
    const std::vector<std::string> boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u) << "said once";
    EXPECT_EQ(boxes[0], "The settings file " + StorePath + " cannot be read " + row.why +
                            ".\nThe IDE goes on without the saved settings and leaves the file as it is; "
                            "changes to the settings will not be saved.");
    EXPECT_EQ(fs::symlink_status(StorePath).type(), type);
    if (type == fs::file_type::regular) {
      EXPECT_EQ(ReadFile(StorePath), newer);
    }
    EXPECT_FALSE(HasFileLike(".damaged-"));
    EXPECT_FALSE(HasFileLike(".tmp-"));
  }
}

TEST_F(RegistryRecoveryTest, AReadOnlyFileIsReadButNeverMadeWritable) {
  SeedSettings();
  const std::string text = ReadFile(StorePath);
  fs::permissions(StorePath, fs::perms::owner_read | fs::perms::group_read);
  Reload();
  EXPECT_EQ(GetValue(kConfig, "Active"), "dword:1");
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{}) << "nothing is lost until something changes";

  HKEY k = Create(HKEY_CURRENT_USER, kConfig);
  EXPECT_EQ(SetDword(k, "Active", 0), ERROR_SUCCESS);
  EXPECT_EQ(SetString(k, "File name wave key", "/other.wav"), ERROR_SUCCESS);
  RegCloseKey(k);
  EXPECT_EQ(GetValue(kConfig, "Active"), "dword:0");
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"The settings file " + StorePath +
                                                  " is read-only, so changes to the settings will not be saved.\n"
                                                  "The IDE goes on with them in memory."});
  EXPECT_EQ(ReadFile(StorePath), text);
  EXPECT_EQ(fs::status(StorePath).permissions(), fs::perms::owner_read | fs::perms::group_read);

  // Damaged as well: what can be read is used, and the file is still not touched.
  fs::permissions(StorePath, fs::perms::owner_write, fs::perm_options::add);
  const std::string damaged = Replace(text, "key.wav", "click.wav");
  WriteFile(StorePath, damaged);
  fs::permissions(StorePath, fs::perms::owner_read | fs::perms::group_read);
  Reload();
  EXPECT_EQ(GetValue(kConfig, "File name wave key"), "sz:/My Waves/click.wav");
  EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "x", 1), ERROR_SUCCESS);
  const std::vector<std::string> boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("The file is left as it is, and changes to the settings will not be saved (the file is "
                          "read-only)."),
            std::string::npos)
      << boxes[0];
  EXPECT_EQ(ReadFile(StorePath), damaged);
  EXPECT_FALSE(HasFileLike(".damaged-"));
}

TEST_F(RegistryRecoveryTest, AChangeThatCannotBeSavedStaysInMemoryAndIsSavedWhenItCan) {
  HKEY k = Create(HKEY_CURRENT_USER, "Software\\Test");
  ASSERT_EQ(SetDword(k, "Kept", 1), ERROR_SUCCESS);
  const std::string file = ReadFile(StorePath);

  // A directory where the temporary file must go makes every save fail.
  const std::string blocker = StorePath + ".tmp-" + std::to_string(::getpid());
  fs::create_directory(blocker);
  EXPECT_EQ(SetDword(k, "Kept", 2), ERROR_SUCCESS);
  RegCloseKey(Create(k, "Sub"));
  EXPECT_EQ(RegDeleteValue(k, "Kept"), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(k, "Added", 3), ERROR_SUCCESS);
  EXPECT_EQ(GetValue("Software\\Test", "Added"), "dword:3");
  EXPECT_EQ(ReadFile(StorePath), file);
  const std::vector<std::string> boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u) << "said once";
  EXPECT_EQ(boxes[0], "The settings could not be saved to " + StorePath + " (cannot create " + blocker +
                          ": Is a directory).\nThe IDE goes on with them in memory and tries again at the next "
                          "change; what is not saved is lost when it closes.");

  // The next change that can be saved saves the earlier ones with it.
  fs::remove(blocker);
  EXPECT_EQ(SetDword(k, "Last", 4), ERROR_SUCCESS);
  RegCloseKey(k);
  const std::string before = Dump();
  Reload();
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(GetValue("Software\\Test", "Kept"), "<missing>");
  EXPECT_EQ(GetValue("Software\\Test", "Added"), "dword:3");
  EXPECT_EQ(GetValue("Software\\Test", "Last"), "dword:4");
  EXPECT_NE(before.find("Software\\Test\\Sub"), std::string::npos) << before;
}

TEST_F(RegistryRecoveryTest, AStoreTooLargeToReadBackIsNeverWritten) {
  ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "small", 1), ERROR_SUCCESS);
  const std::string file = ReadFile(StorePath);
  const std::vector<BYTE> big(9u << 20, 0xAB);  // written as hex: twice as long
  EXPECT_EQ(RegSetValueEx(HKEY_CURRENT_USER, "big", 0, REG_BINARY, big.data(), DWORD(big.size())), ERROR_SUCCESS);
  EXPECT_EQ(ReadFile(StorePath), file);
  const std::vector<std::string> boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("(the settings would take more than 16 MiB)"), std::string::npos) << boxes[0];
  EXPECT_EQ(RegDeleteValue(HKEY_CURRENT_USER, "big"), ERROR_SUCCESS);
  Reload();
  EXPECT_EQ(GetValue("", "small"), "dword:1");
  EXPECT_EQ(GetValue("", "big"), "<missing>");
}

// An unreadable file and a folder that cannot be written, as an ordinary user meets them; the
// superuser would be let through, so a root run does this as "nobody".
TEST_F(RegistryRecoveryTest, PermissionsThatStopReadingOrSavingDoNotStopTheProcess) {
  SeedSettings();
  const bool root = ::geteuid() == 0;
  fs::permissions(Dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  enum : int { kUnreadable, kReadOnlyFolder };
  for (int scenario : {kUnreadable, kReadOnlyFolder}) {
    SCOPED_TRACE(scenario == kUnreadable ? "unreadable file" : "read-only folder");
    fs::permissions(StorePath, scenario == kUnreadable ? fs::perms::none : fs::perms::owner_read | fs::perms::owner_write |
                                                                               fs::perms::others_read);
    if (root) {
      ASSERT_EQ(::chown(StorePath.c_str(), scenario == kUnreadable ? 0 : 65534, 65534), 0);
    }
    const std::string before = ReadFile(StorePath);
    // The child says which check failed by its exit code; 77 when it could not become a user.
    const int rc = RunProcess(StorePath, [&] {
      if (root && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) return 77;
      ClearShownMessageBoxes();
      const std::string active = GetValue(kConfig, "Active");
      if (active != (scenario == kUnreadable ? "<missing>" : "dword:1")) return 1;
      HKEY k = 0;
      if (RegCreateKeyEx(HKEY_CURRENT_USER, kConfig, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr)) return 2;
      if (SetDword(k, "Active", 0) || SetDword(k, "Other", 5)) return 3;
      RegCloseKey(k);
      if (GetValue(kConfig, "Active") != "dword:0" || GetValue(kConfig, "Other") != "dword:5") return 4;
      const auto boxes = GetShownMessageBoxes();
      if (boxes.size() != 1) return 5;
      const std::string expected = scenario == kUnreadable ? "cannot be read (Permission denied)"
                                                           : "could not be saved to " + StorePath + " (cannot ";
      if (boxes[0].Text.find(expected) == std::string::npos) return 6;
      return 0;
    });
    if (rc == 77) GTEST_SKIP() << "cannot run as an ordinary user";
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(ReadFile(StorePath), before);
    EXPECT_EQ(Files(), (std::vector<std::string>{"registry.dat", "registry.dat.lock"}));
  }
}

TEST_F(RegistryRecoveryTest, TemporaryFilesOfKilledSavesAreRemovedWhenTheStoreOpens) {
  SeedSettings();
  for (const char* name : {"registry.dat.tmp-1", "registry.dat.tmp-4194304", "other.dat.tmp-5"})
    WriteFile(Dir + "/" + name, "half a save");
  fs::create_directory(Dir + "/registry.dat.tmp-dir");
  Reload();
  EXPECT_EQ(GetRegistryLoadError(), "");
  EXPECT_EQ(Files(),
            (std::vector<std::string>{"other.dat.tmp-5", "registry.dat", "registry.dat.lock", "registry.dat.tmp-dir"}));
}

// Mutated store files, most of them with a repaired checksum so the reader meets them, load:
// cleanly, or with what could be read kept and the original beside; never a crash.
TEST_F(RegistryRecoveryTest, MutatedStoreFilesLoadWhatTheyCanAndKeepTheOriginal) {
  HKEY k = Create(HKEY_CURRENT_USER, kConfig);
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
  int clean = 0, recovered = 0;
  for (int round = 0; round < 200; ++round) {
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
    const std::string error = GetRegistryLoadError();
    const std::string contents = Dump();
    if (error.find("cannot be read") != std::string::npos) {  // a later version's header: left alone
      ASSERT_EQ(ReadFile(StorePath), text) << "round " << round;
      TakeBoxes();
      continue;
    }
    if (error.empty()) {
      ++clean;
      ASSERT_EQ(ReadFile(StorePath), text) << "round " << round;
      ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "fuzz probe", 1), ERROR_SUCCESS);  // rewritten our way
      ASSERT_EQ(RegDeleteValue(HKEY_CURRENT_USER, "fuzz probe"), ERROR_SUCCESS);
    } else {
      ++recovered;
      ASSERT_EQ(ReadFile(StorePath + ".damaged-1"), text) << "round " << round;
      fs::remove(StorePath + ".damaged-1");
    }
    // Whatever was kept is in a file of our own now, which reads back cleanly and the same.
    Reload();
    ASSERT_EQ(GetRegistryLoadError(), "") << "round " << round;
    ASSERT_EQ(Dump(), contents) << "round " << round;
    TakeBoxes();
  }
  // Both outcomes must occur, or the mutations never reached the reader's inner paths.
  EXPECT_GT(clean, 20) << recovered;
  EXPECT_GT(recovered, 20) << clean;
}

}  // namespace
