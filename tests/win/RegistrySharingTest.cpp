// Several processes on one store file: each keeps what the others saved, the later commit
// wins, saves made at the same moment lose nothing, and a save killed at any moment leaves
// the old file or the new one, never a broken one or its temporary files.
#include <csignal>
#include <random>
#include <thread>

#include "RegistryFixture.h"

namespace {

using namespace regtest;

class RegistrySharingTest : public RegistryStoreTest {};

TEST_F(RegistrySharingTest, WhatAnotherProcessSavedIsMergedAndTheLaterCommitWins) {
  HKEY k = Create(HKEY_CURRENT_USER, "Software\\Shared");
  for (const char* name : {"Mine", "Both", "Gone"}) ASSERT_EQ(SetDword(k, name, 1), ERROR_SUCCESS);
  HKEY doomed = Create(k, "Doomed");

  const int rc = RunProcess(StorePath, [] {
    HKEY other = 0;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Shared", 0, KEY_ALL_ACCESS, &other)) return 1;
    if (SetDword(other, "Theirs", 2) || SetDword(other, "Both", 2) || RegDeleteValue(other, "Gone")) return 2;
    if (RegDeleteKey(other, "Doomed")) return 3;
    return 0;
  });
  ASSERT_EQ(rc, 0);
  // A read never touches the disk: until this process opens a key or commits, it sees its own.
  DWORD v = 0, cb = sizeof v;
  EXPECT_EQ(RegQueryValueEx(k, "Gone", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb), ERROR_SUCCESS);

  // A change here merges theirs first; where both changed "Both", theirs came later and wins.
  ASSERT_EQ(SetDword(k, "Mine", 3), ERROR_SUCCESS);
  EXPECT_EQ(GetValue("Software\\Shared", "Mine"), "dword:3");
  EXPECT_EQ(GetValue("Software\\Shared", "Theirs"), "dword:2");
  EXPECT_EQ(GetValue("Software\\Shared", "Both"), "dword:2");
  EXPECT_EQ(GetValue("Software\\Shared", "Gone"), "<missing>");
  EXPECT_EQ(SetDword(doomed, "x", 1), LONG(ERROR_KEY_DELETED)) << "its key was deleted by the other process";
  RegCloseKey(doomed);

  // Opening a key sees what was saved meanwhile, without a change of its own.
  ASSERT_EQ(RunProcess(StorePath, [] { return int(SetDword(HKEY_CURRENT_USER, "Fresh", 5)); }), 0);
  EXPECT_EQ(GetValue("", "Fresh"), "dword:5");
  RegCloseKey(k);

  const std::string merged = Dump();
  Reload();
  EXPECT_EQ(Dump(), merged);
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{});
}

TEST_F(RegistrySharingTest, TwoProcessesSavingAtTheSameTimeLoseNothing) {
  constexpr int kEach = 60;
  auto saveMany = [](const char* who) {
    for (int i = 0; i < kEach; ++i)
      if (SetDword(HKEY_CURRENT_USER, (std::string(who) + std::to_string(i)).c_str(), DWORD(i))) return 1;
    return 0;
  };
  ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "start", 1), ERROR_SUCCESS);
  pid_t pid = ::fork();
  if (pid == 0) {
    SetRegistryStorePath(StorePath);
    ::_exit(saveMany("child "));
  }
  ASSERT_GT(pid, 0);
  EXPECT_EQ(saveMany("parent "), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  Reload();
  for (const char* who : {"child ", "parent "})
    for (int i = 0; i < kEach; ++i)
      EXPECT_EQ(GetValue("", (std::string(who) + std::to_string(i)).c_str()), "dword:" + std::to_string(i)) << who << i;
}

// A child saves a counter and a payload that belongs to it, over and over, and is killed at
// a random moment; the next process to open the store finds a file that reads cleanly and
// holds the state after one save or the one before, and no temporary file is left behind.
TEST_F(RegistrySharingTest, ASaveKilledAtAnyMomentLeavesTheOldFileOrTheNewOne) {
  // Sizes vary from save to save, so a file cut short could not pass for a whole one.
  auto payload = [](uint32_t n) { return std::string(100 + (n * 7919u) % 30000u, char('a' + n % 26)); };
  ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "Counter", 0), ERROR_SUCCESS);
  ASSERT_EQ(SetString(HKEY_CURRENT_USER, "Payload", payload(0)), ERROR_SUCCESS);
  std::mt19937 rng(18);
  int interrupted = 0;
  for (int round = 0; round < 80; ++round) {
    int progress[2];
    ASSERT_EQ(::pipe(progress), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
      ::close(progress[0]);
      SetRegistryStorePath(StorePath);
      const uint32_t from = uint32_t(std::stoul(GetValue("", "Counter").substr(6))) + 1;
      for (uint32_t n = from;; ++n) {
        if (SetDword(HKEY_CURRENT_USER, "Counter", n) || SetString(HKEY_CURRENT_USER, "Payload", payload(n))) ::_exit(1);
        if (::write(progress[1], "s", 1) != 1) ::_exit(2);
      }
    }
    ASSERT_GT(pid, 0);
    ::close(progress[1]);
    // Let it finish a few saves, then pick the moment: the wait only chooses where the kill
    // lands; the checks below hold wherever it does.
    char saved[4];
    ASSERT_EQ(::read(progress[0], saved, 1 + rng() % 3) > 0, true);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 4000));
    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(progress[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped on its own: " << status;
    for (const std::string& name : Files()) interrupted += name.find(".tmp-") != std::string::npos;

    Reload();
    ASSERT_EQ(GetRegistryLoadError(), "") << "round " << round;
    const std::string counter = GetValue("", "Counter");
    ASSERT_EQ(counter.substr(0, 6), "dword:");
    const uint32_t n = uint32_t(std::stoul(counter.substr(6)));
    const std::string kept = GetValue("", "Payload");
    ASSERT_TRUE(kept == "sz:" + payload(n) || kept == "sz:" + payload(n - 1)) << "round " << round << ", counter " << n;
    ASSERT_EQ(Files(), (std::vector<std::string>{"registry.dat", "registry.dat.lock"})) << "round " << round;
  }
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{});
  // Some kills must have landed inside a save, or the test showed nothing about them.
  EXPECT_GT(interrupted, 0);
}

}  // namespace
