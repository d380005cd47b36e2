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

// Makes the directory if needed and points the registry store into it. `fresh` tells whether
// the store did not exist yet. False with a message when the directory cannot be made.
bool OpenProfile(const std::string& dir, bool& fresh, std::string& error);
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
