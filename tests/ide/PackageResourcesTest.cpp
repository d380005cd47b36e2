// The package's own resources as the IDE meets them: its icon, its localized resource module
// found beside it for the user's language and released at unload, and the Installed Packages box.
#include <dlfcn.h>

#include <cstdlib>
#include <set>

#include "IDEHostFixture.h"
#include "platform/ide/PackageList.h"
#include "platform/vcl/LibModules.h"
#include "platform/vcl/Registry.h"
#include "platform/win/MessageBox.h"

namespace {

// Sets a variable of the environment for one scope, as the user's session would have it.
class TEnv {
 public:
  TEnv(const char* name, const char* value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old, FHad = true;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~TEnv() {
    if (FHad) setenv(FName, FOld.c_str(), 1);
    else unsetenv(FName);
  }

 private:
  const char* FName;
  std::string FOld;
  bool FHad = false;
};

// The icon's pixel at (x, y), drawn as the list draws it.
COLORREF IconPixel(HICON icon, int x, int y) {
  HDC dc = CreateCompatibleDC(0);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 32, 32);
  HGDIOBJ old = SelectObject(dc, bmp);
  DrawIconEx(dc, 0, 0, icon, 32, 32, 0, 0, DI_NORMAL);
  const COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return c;
}

// The key cap's face in the icon: blue in the package's own, red in the test's localized module.
constexpr int kCapX = 15, kCapY = 18;
constexpr COLORREF kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0);

TEST(PackageIconTest, MainIconIsOne32By32ImageOfSixteenColours) {
  void* lib = dlopen(BRISKPACK_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  const HMODULE module = GetModuleHandleA("BriskPack");
  ASSERT_NE(module, 0u);
  const void* data = nullptr;
  size_t size = 0;
  ASSERT_TRUE(FindResourceData(module, "MAINICON", RT_GROUP_ICON, &data, &size));
  const auto* b = static_cast<const uint8_t*>(data);
  ASSERT_GE(size, 22u + 40u + 64u);
  EXPECT_EQ(b[4] | b[5] << 8, 1) << "one image";
  EXPECT_EQ(b[6], 32);                   // width
  EXPECT_EQ(b[7], 32);                   // height
  EXPECT_EQ(b[8], 16);                   // colours
  EXPECT_EQ(b[12] | b[13] << 8, 4);      // bits a pixel
  EXPECT_EQ(b[22 + 14] | b[22 + 15] << 8, 4);

  HICON icon = LoadIconA(module, "MAINICON");
  ASSERT_NE(icon, 0u);
  // Every pixel is one of the standard palette's 16 colours; the picture uses several.
  const std::set<COLORREF> palette = {RGB(0, 0, 0),     RGB(128, 0, 0),   RGB(0, 128, 0),     RGB(128, 128, 0),
                                      RGB(0, 0, 128),   RGB(128, 0, 128), RGB(0, 128, 128),   RGB(192, 192, 192),
                                      RGB(128, 128, 128), RGB(255, 0, 0), RGB(0, 255, 0),     RGB(255, 255, 0),
                                      RGB(0, 0, 255),   RGB(255, 0, 255), RGB(0, 255, 255),   RGB(255, 255, 255)};
  std::set<COLORREF> used;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) used.insert(IconPixel(icon, x, y));
  for (COLORREF c : used) EXPECT_TRUE(palette.count(c)) << std::hex << c;
  EXPECT_GE(used.size(), 5u);
  EXPECT_EQ(IconPixel(icon, kCapX, kCapY), kBlue);
  DestroyIcon(icon);
  dlclose(lib);
}

TEST(ResourceModuleTest, TheUsersLanguageNamesTheModulesToTry) {
  struct {
    const char* LcAll;
    const char* Lang;
    const char* Abbreviation;
  } rows[] = {
      {nullptr, "de_DE.UTF-8", "DEU"}, {nullptr, "de_CH.UTF-8", "DES"}, {nullptr, "he_IL.UTF-8", "HEB"},
      {nullptr, "en_GB", "ENG"},       {"fr_CA.UTF-8", "de_DE", "FRC"}, {nullptr, "C.UTF-8", ""},
      {nullptr, "POSIX", ""},          {nullptr, "xx_YY@euro", "XXY"},  {"", "it_IT", "ITA"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Lang);
    TEnv all("LC_ALL", row.LcAll), messages("LC_MESSAGES", nullptr), lang("LANG", row.Lang);
    EXPECT_EQ(UserLocaleAbbreviation(), row.Abbreviation);
  }
  TEnv all("LC_ALL", "de_DE.UTF-8");
  EXPECT_EQ(ResourceModuleCandidates("/opt/ide/libBriskPack.so"),
            (std::vector<String>{"/opt/ide/libBriskPack.DEU", "/opt/ide/libBriskPack.DE"}));
  EXPECT_EQ(ModuleResourceName("/opt/ide/libBriskPack.so"), "BriskPack");
  EXPECT_EQ(ModuleResourceName("/opt/ide/libBriskPack.DEU"), "BriskPack.DEU");
}

class PackageResourcesTest : public TIDEHostFixture {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(FDir);
    SetRegistryStorePath((FDir / "registry.dat").string());
    FOldAnswerer = SetMessageBoxAnswerer([](const TMessageBoxRequest&) { return IDOK; });
    TIDEHostFixture::SetUp();
    Loader = new TPackageLoader();
  }
  void TearDown() override {
    Loader->UnloadAll();
    TIDEHostFixture::TearDown();
    Loader->Free();
    SetMessageBoxAnswerer(FOldAnswerer);
    SetRegistryStorePath("");
  }
  // The user's choice of resource module for the package, as the locale override stores it.
  void ChooseLocale(const String& extension) {
    auto* reg = new TRegistry();
    reg->OpenKey(LocaleOverrideKey, true);
    reg->WriteString(Package, extension);
    reg->Free();
  }
  bool IsLoaded(const String& file) {
    void* h = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
  }

  const String Package = std::filesystem::absolute(BRISKPACK_LIBRARY).string();
  const String Localized = Package.substr(0, Package.size() - 3) + ".TST";
  TPackageLoader* Loader = nullptr;
  TEnv FNoLocale{"LC_ALL", "C"};

 private:
  TMessageBoxAnswerer FOldAnswerer;
};

TEST_F(PackageResourcesTest, ALocalizedModuleBesideThePackageAnswersForItsResourcesUntilUnload) {
  ChooseLocale("TST");
  TPackage* package = Loader->LoadPackage(Package);
  EXPECT_TRUE(IsLoaded(Localized));
  const HMODULE own = GetModuleHandleA("BriskPack"), localized = GetModuleHandleA("BriskPack.TST");
  ASSERT_NE(localized, 0u);
  EXPECT_EQ(FindResourceHInstance(own), localized);

  std::vector<TPackageEntry> entries = ListPackages(*Loader);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].Resources, localized);
  ASSERT_NE(entries[0].Icon, 0u);
  EXPECT_EQ(IconPixel(entries[0].Icon, kCapX, kCapY), kRed);
  DestroyIcon(entries[0].Icon);

  // Unloading releases the module: its library and its resources are gone, the package's own stay.
  Loader->UnloadPackage(package);
  EXPECT_FALSE(IsLoaded(Localized));
  EXPECT_FALSE(FindResourceData(localized, "MAINICON", RT_GROUP_ICON, nullptr, nullptr));
  EXPECT_EQ(FindResourceHInstance(own), own);
  EXPECT_TRUE(FindResourceData(own, "MAINICON", RT_GROUP_ICON, nullptr, nullptr));
}

TEST_F(PackageResourcesTest, WithoutALocalizedModuleThePackageUsesItsOwnResources) {
  // No language; then a language whose module is not there; then one that names the package itself.
  for (const char* choice : {"", "XYZ", "so"}) {
    SCOPED_TRACE(choice);
    ChooseLocale(choice);
    TPackage* package = Loader->LoadPackage(Package);
    std::vector<TPackageEntry> entries = ListPackages(*Loader);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Resources, GetModuleHandleA("BriskPack"));
    EXPECT_EQ(IconPixel(entries[0].Icon, kCapX, kCapY), kBlue);
    DestroyIcon(entries[0].Icon);
    Loader->UnloadPackage(package);
  }
}

TEST_F(PackageResourcesTest, TheInstalledPackagesBoxListsEachPackageWithItsVersionAndIcon) {
  Loader->LoadPackage(Package);
  std::vector<TPackageEntry> shown;
  SetModalHandler([&](TCustomForm& form) {
    auto* box = As<TPackagesDialog>(&form);
    ASSERT_NE(box, nullptr);
    for (const TPackageEntry& e : box->GetList()->GetEntries()) shown.push_back(e);
    form.SetModalResult(mrOk);
  });
  IDE->GetMainWindow()->GetMainMenu()->GetItems()->FindByName("ComponentInstallPackagesItem")->Click();
  SetModalHandler(nullptr);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Description, "Brisk Editor");
  EXPECT_EQ(shown[0].FileName, Package);
  EXPECT_EQ(shown[0].Version, "1.0.0.1 (product 1.0.0.0)");
  EXPECT_NE(shown[0].Icon, 0u);
  EXPECT_EQ(Loader->GetPackages()[0]->Version.StringTableKey, "040D04E7");
}

}  // namespace
