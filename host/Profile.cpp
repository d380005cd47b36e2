// Locating brisk-ide's files and preparing its profile.
#include "Profile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <filesystem>
#include <system_error>

#include "platform/vcl/Registry.h"

namespace fs = std::filesystem;

std::string ExecutableDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

std::string FindResourceDir() {
  const fs::path exe = ExecutableDir();
  for (const fs::path& dir : {exe / "../../resources", exe / "../resources", exe / "resources",
                              exe / "../share/briskpack/resources",
                              fs::path(BRISK_SOURCE_DIR) / "resources"}) {
    std::error_code ec;
    if (fs::exists(dir / "key.wav", ec)) return fs::weakly_canonical(dir, ec).string();
  }
  return {};
}

std::string FindBriskPackLibrary() {
  const fs::path exe = ExecutableDir();
  for (const fs::path& file : {exe / "../lib/libBriskPack.so", exe / "libBriskPack.so", fs::path(BRISK_PACKAGE_FILE)}) {
    std::error_code ec;
    if (fs::exists(file, ec)) return fs::weakly_canonical(file, ec).string();
  }
  return {};
}

void OpenProfile(const std::string& dir, bool& fresh) {
  // A directory that cannot be made is not fatal: the store keeps the settings in memory and
  // says why they are not saved.
  std::error_code ec;
  fs::create_directories(dir, ec);
  const fs::path store = fs::absolute(fs::path(dir) / "registry.dat", ec);
  fresh = fs::symlink_status(store, ec).type() == fs::file_type::not_found;
  SetRegistryStorePath(store.string());
}

std::string MakeTemporaryProfile(std::string& error) {
  std::error_code ec;
  std::string templ = (fs::temp_directory_path(ec) / "brisk-ide-XXXXXX").string();
  if (ec) {
    error = "cannot make a temporary profile: " + ec.message();
    return {};
  }
  if (!mkdtemp(templ.data())) {
    error = "cannot make a temporary profile in " + fs::path(templ).parent_path().string() + ": " + std::strerror(errno);
    return {};
  }
  return templ;
}

TTemporaryProfile::~TTemporaryProfile() {
  SetRegistryStorePath("");
  std::error_code ec;
  fs::remove_all(FDir, ec);
}

void SeedTypingSoundSettings(const std::string& resourceDir) {
  auto* reg = new TRegistry();
  try {
    reg->SetRootKey(HKEY_CURRENT_USER);
    reg->OpenKey("\\Software\\Orvane Software\\QV Brisk\\Configuration", true);
    reg->WriteInteger("Active", 1);
    reg->WriteString("File name wave key", (fs::path(resourceDir) / "key.wav").string());
    reg->WriteString("File name wave enter", (fs::path(resourceDir) / "enter.wav").string());
    reg->WriteString("File name wave backspace", (fs::path(resourceDir) / "backspace.wav").string());
  } catch (...) {
    reg->Free();
    throw;
  }
  reg->Free();
}
