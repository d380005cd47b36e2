// Where brisk-ide finds its files and keeps its settings: the shipped resources, the build's
// package library, the profile directory with the registry store, and the installer's seed.
#pragma once

#include <string>

// The directory of the running executable.
std::string ExecutableDir();
// The shipped resources (wave files, sample unit): beside the build or in the source tree.
// Empty when none is found.
std::string FindResourceDir();
// The build's BriskPack library; empty when none is found.
std::string FindBriskPackLibrary();

// Makes the directory if it can and points the registry store into it. `fresh` tells whether
// the store did not exist yet. A directory that cannot be made or used does not stop the
// host: the store keeps the settings in memory and says why they are not saved.
void OpenProfile(const std::string& dir, bool& fresh);
// A fresh temporary profile directory; empty with the system's reason on failure.
std::string MakeTemporaryProfile(std::string& error);

// Removes a temporary profile when the host leaves by any path, an exception included: the
// settings store is let go first, so nothing writes into the directory after it is gone.
class TTemporaryProfile {
 public:
  explicit TTemporaryProfile(std::string dir) : FDir(std::move(dir)) {}
  ~TTemporaryProfile();
  TTemporaryProfile(const TTemporaryProfile&) = delete;
  TTemporaryProfile& operator=(const TTemporaryProfile&) = delete;

 private:
  std::string FDir;
};

// What an installer writes: the typing sounds on, with the shipped wave files.
void SeedTypingSoundSettings(const std::string& resourceDir);
