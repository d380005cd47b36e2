// A PNG file's pixels as 0xRRGGBB values, for tests that check a screenshot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TPixels {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Rgb;
  uint32_t At(int x, int y) const { return Rgb[static_cast<size_t>(y) * Width + x]; }
};

// False when the file cannot be read as an image.
bool LoadPng(const std::string& Path, TPixels& Out);
