// Images from files and resources: Windows BMP files of 1, 4, 8 and 24 bits per pixel and
// icons, read by the image library; resources found by module and name.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "ScreenFixture.h"

namespace {

using ImageTest = TScreenTest;

void Put16(std::vector<uint8_t>& v, uint32_t x) { v.push_back(x & 0xFF), v.push_back((x >> 8) & 0xFF); }
void Put32(std::vector<uint8_t>& v, uint32_t x) { Put16(v, x & 0xFFFF), Put16(v, x >> 16); }

// A bottom-up BMP file image of a 4 x 2 picture whose pixel (x, y) has palette index
// kIndex[y][x] (or, at 24 bits, the palette colour itself).
const int kIndex[2][4] = {{0, 1, 1, 0}, {1, 0, 0, 1}};
const COLORREF kPalette[2] = {RGB(255, 0, 255), RGB(0, 128, 255)};

std::vector<uint8_t> MakeBmp(int bpp) {
  const int w = 4, h = 2, colors = bpp <= 8 ? (1 << bpp) : 0;
  const int stride = ((w * bpp + 31) / 32) * 4;
  std::vector<uint8_t> v{'B', 'M'};
  const uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(colors);
  Put32(v, offset + static_cast<uint32_t>(stride * h));
  Put32(v, 0);
  Put32(v, offset);
  Put32(v, 40), Put32(v, w), Put32(v, h), Put16(v, 1), Put16(v, static_cast<uint32_t>(bpp));
  Put32(v, 0), Put32(v, static_cast<uint32_t>(stride * h)), Put32(v, 2835), Put32(v, 2835), Put32(v, static_cast<uint32_t>(colors)), Put32(v, 0);
  for (int i = 0; i < colors; ++i) {
    COLORREF c = i < 2 ? kPalette[i] : 0;
    v.push_back(GetBValue(c)), v.push_back(GetGValue(c)), v.push_back(GetRValue(c)), v.push_back(0);
  }
  for (int y = h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
    for (int x = 0; x < w; ++x) {
      const int index = kIndex[y][x];
      if (bpp == 24) {
        COLORREF c = kPalette[index];
        row[static_cast<size_t>(x * 3)] = GetBValue(c), row[static_cast<size_t>(x * 3 + 1)] = GetGValue(c), row[static_cast<size_t>(x * 3 + 2)] = GetRValue(c);
      } else {
        const int bit = x * bpp;
        row[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(index << (8 - bpp - bit % 8));
      }
    }
    v.insert(v.end(), row.begin(), row.end());
  }
  return v;
}

COLORREF PixelOf(HBITMAP bm, int x, int y) {
  HDC dc = CreateCompatibleDC(0);
  HGDIOBJ old = SelectObject(dc, bm);
  COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

TEST_F(ImageTest, BmpFilesOfEveryDepthReadAsTheirPixels) {
  for (int bpp : {1, 4, 8, 24}) {
    SCOPED_TRACE(bpp);
    const std::vector<uint8_t> file = MakeBmp(bpp);
    HBITMAP bm = LoadBitmapFromMemory(file.data(), file.size());
    ASSERT_NE(bm, 0u);
    BITMAP info;
    ASSERT_EQ(GetObjectA(bm, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 4);
    EXPECT_EQ(info.bmHeight, 2);
    EXPECT_EQ(info.bmBitsPixel, bpp == 1 ? 1 : 32) << "a 1-bit file stays monochrome";
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 4; ++x) {
        COLORREF expected = kPalette[kIndex[y][x]];
        if (bpp == 1) expected = kIndex[y][x] ? RGB(255, 255, 255) : 0;  // index 0 black, 1 white
        EXPECT_EQ(PixelOf(bm, x, y), expected) << x << "," << y;
      }
    DeleteObject(bm);
  }
  const uint8_t junk[60] = {'B', 'M'};
  EXPECT_EQ(LoadBitmapFromMemory(junk, sizeof junk), 0u) << "not a bitmap: no handle, no crash";
  EXPECT_EQ(LoadBitmapFromMemory(nullptr, 0), 0u);
}

// A 2 x 2 icon, 24 bits with an AND mask: the top-left pixel transparent.
std::vector<uint8_t> MakeIco() {
  std::vector<uint8_t> dib;
  Put32(dib, 40), Put32(dib, 2), Put32(dib, 4), Put16(dib, 1), Put16(dib, 24);
  for (int i = 0; i < 6; ++i) Put32(dib, 0);
  // XOR image, bottom-up rows padded to 4 bytes: green everywhere but the transparent pixel.
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 2; ++x) {
      const bool clear = row == 1 && x == 0;
      dib.push_back(0), dib.push_back(clear ? 0 : 200), dib.push_back(0);
    }
    dib.push_back(0), dib.push_back(0);
  }
  // AND mask, bottom-up rows of 32 bits.
  Put32(dib, 0);
  Put32(dib, 0x80);
  std::vector<uint8_t> v;
  Put16(v, 0), Put16(v, 1), Put16(v, 1);
  v.push_back(2), v.push_back(2), v.push_back(0), v.push_back(0);
  Put16(v, 1), Put16(v, 24), Put32(v, static_cast<uint32_t>(dib.size())), Put32(v, 22);
  v.insert(v.end(), dib.begin(), dib.end());
  return v;
}

TEST_F(ImageTest, IconsKeepTheirMask) {
  const std::vector<uint8_t> file = MakeIco();
  HICON icon = LoadIconFromMemory(file.data(), file.size());
  ASSERT_NE(icon, 0u);
  Fill(0x123456);
  HDC dc = ScreenDC();
  ASSERT_TRUE(DrawIconEx(dc, 10, 10, icon, 0, 0, 0, 0, DI_NORMAL));
  ReleaseDC(0, dc);
  EXPECT_EQ(Pixel(10, 10), 0x123456u) << "transparent";
  EXPECT_EQ(Pixel(11, 10), 0x00C800u);
  EXPECT_EQ(Pixel(10, 11), 0x00C800u);
  DestroyIcon(icon);
  const uint8_t junk[10] = {};
  EXPECT_EQ(LoadIconFromMemory(junk, sizeof junk), 0u);
}

TEST_F(ImageTest, ResourcesAreFoundByModuleAndNameAndFilesByPath) {
  const std::vector<uint8_t> bmp = MakeBmp(8);
  RegisterResource("TestModule", RT_BITMAP, "Picture", bmp.data(), bmp.size());
  const HMODULE module = GetModuleHandleA("testmodule");
  ASSERT_NE(module, 0u) << "module names are not case-sensitive";
  HBITMAP bm = LoadBitmapA(module, "PICTURE");
  ASSERT_NE(bm, 0u);
  EXPECT_EQ(PixelOf(bm, 1, 0), kPalette[1]);
  DeleteObject(bm);
  EXPECT_EQ(LoadBitmapA(module, "Missing"), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetModuleHandleA("NoSuchModule"), 0u);
  EXPECT_TRUE(FindResourceData(GetModuleHandleA("VCL"), "BBOK", RT_BITMAP, nullptr, nullptr)) << "linked at build time";

  const std::filesystem::path path = std::filesystem::temp_directory_path() / "brisk-image-test.bmp";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  HGDIOBJ fromFile = LoadImageA(0, path.string().c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  ASSERT_NE(fromFile, 0u);
  EXPECT_EQ(PixelOf(fromFile, 0, 1), kPalette[1]);
  DeleteObject(fromFile);
  std::filesystem::remove(path);
  EXPECT_EQ(LoadImageA(0, "/no/such/file.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), 0u);
}

}  // namespace
