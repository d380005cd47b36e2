// Package loading: manifests read and checked, units initialized and registered in order,
// failures refused and undone, known packages loaded past the ones that fail.
#include <dlfcn.h>

#include "IDEHostFixture.h"
#include "packages/PackageProbe.h"
#include "platform/ide/PackageLoader.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WinReg.h"

namespace {

using Log = std::vector<std::string>;

class PackageLoaderTest : public TIDEHostFixture {
 protected:
  void SetUp() override {
    TIDEHostFixture::SetUp();
    std::filesystem::create_directories(FDir);
    SetRegistryStorePath((FDir / "registry.dat").string());
    PackageLog().clear();
    ClearShownMessageBoxes();
    FOldAnswerer = SetMessageBoxAnswerer([](const TMessageBoxRequest&) { return IDOK; });
    Loader = new TPackageLoader();
  }
  void TearDown() override {
    Loader->Free();
    SetMessageBoxAnswerer(FOldAnswerer);
    SetRegistryStorePath("");
    TIDEHostFixture::TearDown();
  }

  // The message of the EPackageError the load raised, or "" when it loaded.
  String LoadError(const String& file) {
    try {
      Loader->LoadPackage(file);
    } catch (const EPackageError& e) {
      return e.Message;
    }
    return "";
  }

  TPackageLoader* Loader = nullptr;

 private:
  TMessageBoxAnswerer FOldAnswerer;
};

// The manifest as the layout spells it, written out independently of the package builder.
struct TManifestWriter {
  std::vector<uint8_t> Bytes;
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) Bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Name(const std::string& s) {
    Bytes.insert(Bytes.end(), s.begin(), s.end());
    Bytes.push_back(0);
  }
  void Require(const std::string& s) {
    Bytes.push_back(PackageNameHash(s));
    Name(s);
  }
  void Contain(uint8_t flags, const std::string& s) {
    Bytes.push_back(flags);
    Bytes.push_back(PackageNameHash(s));
    Name(s);
  }
};

std::vector<uint8_t> ExpectedBriskPackManifest() {
  TManifestWriter w;
  w.U32(0x4C000000);
  w.U32(6);
  for (const char* p : {"RZ21ND50", "Vellumkit", "VCLJPG50", "VCLSMP50", "VCLX50", "vcl50"}) w.Require(p);
  w.U32(11);
  w.Contain(0x03, "BriskPack");
  for (const char* u : {"QVBriskAbout", "SysInit", "EIPanel", "EINotifiers", "EIManager", "EIEditWrapper",
                        "EIExtension", "QVBriskCfg", "QVBrisk", "QVExpert"})
    w.Contain(0x00, u);
  return w.Bytes;
}

template <class T>
T Symbol(void* lib, const char* name) {
  return reinterpret_cast<T>(dlsym(lib, name));
}

}  // namespace

TEST(PackageInfoTest, BriskPackDeclaresItselfByteForByte) {
  void* lib = dlopen(BRISKPACK_LIBRARY, RTLD_LAZY | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();

  size_t size = 0;
  const uint8_t* table = Symbol<TGetPackageInfoTableProc>(lib, kGetPackageInfoTableSymbol)(&size);
  EXPECT_EQ(std::vector<uint8_t>(table, table + size), ExpectedBriskPackManifest());

  const uint8_t* desc = Symbol<TGetPackageResourceProc>(lib, kGetPackageDescriptionSymbol)(&size);
  std::vector<uint8_t> utf16;
  for (char c : std::string("Brisk Editor")) utf16.insert(utf16.end(), {static_cast<uint8_t>(c), 0});
  utf16.insert(utf16.end(), {0, 0});
  EXPECT_EQ(std::vector<uint8_t>(desc, desc + size), utf16);

  // Option bytes, then the alias list, then the description with its length in front.
  const uint8_t* opts = Symbol<TGetPackageResourceProc>(lib, kGetPackageOptionsSymbol)(&size);
  const std::string options(reinterpret_cast<const char*>(opts), size);
  const std::string aliases = "WinTypes=Windows;WinProcs=Windows;DbiTypes=BDE;DbiProcs=BDE;DbiErrs=BDE;";
  EXPECT_EQ(options.substr(options.size() - 13), "\x0C" "Brisk Editor");
  EXPECT_EQ(options.substr(options.size() - 13 - aliases.size() - 1, aliases.size() + 1), aliases + '\0');

  const TPackageVersionInfo* v = Symbol<TGetPackageVersionInfoProc>(lib, kGetPackageVersionInfoSymbol)();
  EXPECT_EQ(std::vector<uint16_t>(v->FileVersion, v->FileVersion + 4), (std::vector<uint16_t>{1, 0, 0, 1}));
  EXPECT_EQ(std::vector<uint16_t>(v->ProductVersion, v->ProductVersion + 4), (std::vector<uint16_t>{1, 0, 0, 0}));
  EXPECT_EQ(v->Language, 0x040D);
  EXPECT_EQ(v->CodePage, 1255);
  EXPECT_STREQ(v->StringTableKey, "040D04E7");
  for (size_t i = 0; i < v->StringCount; ++i) {
    const std::string name = v->Strings[i].Name;
    const std::string expected = name == "FileVersion" ? "1.0.0.1" : name == "ProductVersion" ? "1.0.0.0" : "";
    EXPECT_EQ(v->Strings[i].Value, expected) << name;
  }
  dlclose(lib);
}

TEST(PackageInfoTest, DamagedManifestsAreRejected) {
  const std::vector<uint8_t> good = ExpectedBriskPackManifest();
  TPackageInfo info;
  std::string why;
  ASSERT_TRUE(ParsePackageInfo(good.data(), good.size(), info, &why)) << why;
  EXPECT_EQ(info.Requires.size(), 6u);
  EXPECT_EQ(info.Contains.back().Name, "QVExpert");

  for (size_t n = 0; n < good.size(); ++n)
    EXPECT_FALSE(ParsePackageInfo(good.data(), n, info, &why)) << "accepted the first " << n << " bytes";

  struct TCase {
    const char* What;
    size_t Offset;
    uint8_t Value;
  };
  const TCase cases[] = {
      {"not a package module", 3, 0x0C},
      {"a required package's hash", 8, static_cast<uint8_t>(good[8] ^ 1)},
      {"a unit's hash", good.size() - 10, static_cast<uint8_t>(good[good.size() - 10] ^ 1)},
      {"a required-package count beyond the table", 7, 0x7F},
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> bad = good;
    bad[c.Offset] = c.Value;
    EXPECT_FALSE(ParsePackageInfo(bad.data(), bad.size(), info, &why)) << c.What;
  }
  std::vector<uint8_t> trailing = good;
  trailing.push_back(0);
  EXPECT_FALSE(ParsePackageInfo(trailing.data(), trailing.size(), info, &why));
}

TEST_F(PackageLoaderTest, APackageInitializesRegistersInManifestOrderAndEndsItsExpertsBeforeFinalizing) {
  TPackage* p = Loader->LoadPackage(GOOD_PACKAGE);
  EXPECT_EQ(PackageLog(), (Log{"good init", "GoodExpert register", "GoodOther register"}));
  ASSERT_NE(ExpertRegistry->FindExpert("Good.Expert"), nullptr);
  EXPECT_EQ(Loader->FindPackageOfUnit("goodother"), p);

  Loader->UnloadPackage(p);
  EXPECT_EQ(PackageLog(), (Log{"good init", "GoodExpert register", "GoodOther register", "Good.Expert destroyed",
                               "good fini"}));
  EXPECT_EQ(ExpertRegistry->FindExpert("Good.Expert"), nullptr);
  EXPECT_TRUE(Loader->GetPackages().empty());
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(PackageLoaderTest, APackageThatCannotLoadIsRefusedAndUndone) {
  struct TCase {
    String File;
    String Reason;  // what the message says after "Can't load package <file>.\n"
    Log Logged;
  };
  const TCase cases[] = {
      {(FDir / "libNoSuchPackage.so").string(), "No such file", {}},
      {RZ21ND50_LIBRARY, "The module has no package information.", {}},
      {MISSING_REQUIRE_PACKAGE, "Required package 'NoSuch50' not found.", {}},
      {RAISING_PACKAGE, "Invalid data type for 'Active'", {"raising init", "Raising.Expert destroyed", "raising fini"}},
  };
  for (const TCase& c : cases) {
    PackageLog().clear();
    const String message = LoadError(c.File);
    EXPECT_EQ(message.rfind("Can't load package " + c.File + ".\n", 0), 0u) << message;
    EXPECT_NE(message.find(c.Reason), String::npos) << message;
    EXPECT_EQ(PackageLog(), c.Logged) << c.File;
    EXPECT_TRUE(Loader->GetPackages().empty());
    EXPECT_EQ(ExpertRegistry->GetCount(), 0);
  }
}

TEST_F(PackageLoaderTest, OnlyThePackagesOwnEntryPointsRun) {
  // GoodPackage's library comes in as a dependency and exports Initialize, Finalize and
  // GoodOther_Register; none of them is the dependent package's.
  TPackage* p = Loader->LoadPackage(DEPENDENT_PACKAGE);
  Loader->UnloadPackage(p);
  EXPECT_EQ(PackageLog(), Log{});
}

TEST_F(PackageLoaderTest, AUnitAlreadyLoadedByAnotherPackageIsRefused) {
  TPackage* first = Loader->LoadPackage(GOOD_PACKAGE);
  PackageLog().clear();
  EXPECT_NE(LoadError(GOOD_PACKAGE).find("It contains unit 'GoodPackage', which is also contained in package"),
            String::npos);
  EXPECT_TRUE(PackageLog().empty());  // the second copy never ran
  EXPECT_EQ(Loader->GetPackages(), std::vector<TPackage*>{first});
  EXPECT_NE(ExpertRegistry->FindExpert("Good.Expert"), nullptr);
}

TEST_F(PackageLoaderTest, KnownPackagesLoadPastTheOnesThatFailEachReportedToTheUser) {
  const String missingFile = (FDir / "libGone.so").string();
  RegisterKnownPackage(missingFile, "Gone");
  RegisterKnownPackage(MISSING_REQUIRE_PACKAGE, "Missing");
  RegisterKnownPackage(GOOD_PACKAGE, "Good");
  RegisterKnownPackage(RAISING_PACKAGE, "Raising");
  const auto known = ReadKnownPackages();
  ASSERT_EQ(known.size(), 4u);
  EXPECT_EQ(known[2].FileName, GOOD_PACKAGE);
  EXPECT_EQ(known[2].Description, "Good");

  EXPECT_EQ(Loader->LoadKnownPackages(), 1);
  const auto boxes = GetShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  const String failed[] = {missingFile, MISSING_REQUIRE_PACKAGE, RAISING_PACKAGE};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(boxes[i].Text.rfind("Can't load package " + failed[i] + ".", 0), 0u) << boxes[i].Text;
    EXPECT_EQ(boxes[i].Icon(), MB_ICONERROR);
  }
  // Each module carries its own SysInit: the raising package got as far as its Register.
  EXPECT_NE(boxes[2].Text.find("Invalid data type for 'Active'"), String::npos) << boxes[2].Text;
  ASSERT_EQ(Loader->GetPackages().size(), 1u);
  EXPECT_NE(ExpertRegistry->FindExpert("Good.Expert"), nullptr);

  // The loader's end unloads what is still loaded.
  Loader->Free();
  Loader = new TPackageLoader();
  EXPECT_EQ(PackageLog().back(), "good fini");
}
