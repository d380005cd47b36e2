// Reads a screenshot through SDL_image, whatever pixel format the file has.
#include "Pixels.h"

#include <SDL2/SDL_image.h>

bool LoadPng(const std::string& Path, TPixels& Out) {
  SDL_Surface* loaded = IMG_Load(Path.c_str());
  if (!loaded) return false;
  SDL_Surface* s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
  SDL_FreeSurface(loaded);
  if (!s) return false;
  Out.Width = s->w;
  Out.Height = s->h;
  Out.Rgb.resize(static_cast<size_t>(s->w) * s->h);
  for (int y = 0; y < s->h; ++y)
    for (int x = 0; x < s->w; ++x)
      Out.Rgb[static_cast<size_t>(y) * s->w + x] =
          reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch)[x] & 0xFFFFFF;
  SDL_FreeSurface(s);
  return true;
}
