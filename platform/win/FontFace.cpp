// Faces through FreeType and fontconfig, with the metrics Windows reports for the classic fonts.
#include "FontFace.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>
#include <tuple>

namespace {

std::atomic<long> gRasterizations{0};

// What a face name stands for: the family that draws it and whose metrics rules apply.
enum TFaceKind : uint8_t { fkBitmapSans, fkArial, fkCourier, fkTimes };

struct TFaceMapping {
  const char* Name;
  const char* Family;
  TFaceKind Kind;
};

// fontconfig left to itself maps "MS Sans Serif" to another family; the table decides.
constexpr TFaceMapping kFaces[] = {
    {"MS Sans Serif", "Liberation Sans", fkBitmapSans},
    {"System", "Liberation Sans", fkBitmapSans},
    {"Arial", "Liberation Sans", fkArial},
    {"Liberation Sans", "Liberation Sans", fkArial},
    {"Courier New", "Liberation Mono", fkCourier},
    {"Courier", "Liberation Mono", fkCourier},
    {"Liberation Mono", "Liberation Mono", fkCourier},
    {"Times New Roman", "Liberation Serif", fkTimes},
    {"Liberation Serif", "Liberation Serif", fkTimes},
};

bool SameFace(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  return *a == *b;
}

// An unknown face falls back to the sans family, never to nothing.
TFaceMapping MapFace(const char* name) {
  for (const TFaceMapping& m : kFaces)
    if (SameFace(name, m.Name)) return m;
  return {name, "Liberation Sans", fkArial};
}

// The files of the three families by style, found through fontconfig in one pass when first
// needed; fontconfig is shut down again afterwards, so it keeps nothing for the process.
std::string FontFile(const std::string& family, bool bold, bool italic) {
  static std::mutex lock;
  static std::map<std::tuple<std::string, bool, bool>, std::string> files;
  std::lock_guard<std::mutex> guard(lock);
  if (files.empty() && FcInit()) {
    for (const char* name : {"Liberation Sans", "Liberation Mono", "Liberation Serif"})
      for (int style = 0; style < 4; ++style) {
        const bool b = style & 1, i = style & 2;
        FcPattern* p = FcPatternCreate();
        FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
        FcPatternAddInteger(p, FC_WEIGHT, b ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(p, FC_SLANT, i ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(nullptr, p, FcMatchPattern);
        FcDefaultSubstitute(p);
        FcResult result;
        if (FcPattern* m = FcFontMatch(nullptr, p, &result)) {
          FcChar8* file = nullptr;
          FcChar8* found = nullptr;
          // Only the family itself will do: fontconfig would otherwise offer another one.
          if (FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch && file &&
              FcPatternGetString(m, FC_FAMILY, 0, &found) == FcResultMatch && found &&
              SameFace(reinterpret_cast<const char*>(found), name))
            files[std::make_tuple(std::string(name), b, i)] = reinterpret_cast<char*>(file);
          FcPatternDestroy(m);
        }
        FcPatternDestroy(p);
      }
    FcFini();
  }
  auto it = files.find(std::make_tuple(family, bold, italic));
  if (it == files.end()) it = files.find(std::make_tuple(family, false, false));
  if (it == files.end()) throw std::runtime_error("no font file for " + family + " (is fonts-liberation2 installed?)");
  return it->second;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l)) throw std::runtime_error("FreeType cannot start");
    return l;
  }();
  return lib;
}

// Windows-1252 to Unicode for the characters that differ from Latin-1.
FT_ULong CodePoint(unsigned char c) {
  static const uint16_t k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  return c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : c;
}

// MS Sans Serif's six cells (ANSI): height, ascent, descent, internal leading, average and
// maximum width, and the Liberation Sans size that draws each.
struct TBitmapCell {
  int Height, Ascent, Descent, Leading, Ave, Max, DrawPpem;
};
constexpr TBitmapCell kCells[] = {{13, 11, 2, 2, 5, 11, 10}, {16, 13, 3, 3, 7, 14, 13}, {20, 16, 4, 4, 8, 16, 16},
                                  {24, 19, 5, 6, 9, 19, 19},  {29, 23, 6, 5, 12, 24, 24}, {37, 29, 8, 5, 16, 32, 32}};

// The 8-point cell's advances, recovered from real labels; 0 where none was observed.
constexpr int8_t kSansSerif8[95] = {
    3, 3, 5, 7, 6, 8, 0, 2, 3, 3, 4, 6, 3, 3, 3, 5,     // space ! " # $ % & ' ( ) * + , - . /
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 6, 6, 6, 6,     // 0-9 : ; < = > ?
    11, 7, 7, 7, 8, 7, 6, 8, 8, 3, 5, 7, 6, 9, 8, 8,    // @ A-O
    7, 8, 8, 7, 7, 8, 7, 11, 7, 7, 7, 3, 5, 3, 6, 6,    // P-Z [ \ ] ^ _
    0, 6, 6, 6, 6, 6, 3, 6, 6, 2, 2, 6, 2, 8, 6, 6,     // ` a-o
    6, 6, 3, 5, 3, 6, 6, 8, 5, 5, 5, 0, 2, 0, 7};       // p-z { | } ~

// Arial's cell heights by ppem where its VDMX table makes them differ from the OS/2 rule
// (9 is the best guess where no sample exists).
const std::map<int, int> kArialHeights = {{9, 12}, {10, 13}, {11, 14}, {12, 15}, {13, 16}, {14, 16}, {15, 17},
                                          {16, 18}, {17, 19}, {19, 22}, {29, 33}, {44, 50}};
const std::map<int, int> kArialBoldHeights = {{11, 14}, {12, 15}, {13, 16}, {15, 18}, {16, 19},
                                              {19, 22}, {21, 24}, {23, 27}, {27, 32}, {29, 34}};
const std::map<int, int> kCourierHeights = {{11, 14}};
const std::map<int, int> kTimesHeights = {{11, 14}, {12, 15}};

}  // namespace

struct TFontFaceImpl {
  FT_Face Face = nullptr;
  ~TFontFaceImpl() {
    if (Face) FT_Done_Face(Face);
  }
};

void CountRasterization() { ++gRasterizations; }
long GetGlyphRasterizationCount() { return gRasterizations.load(); }

TFontFace::TFontFace(const LOGFONTA& log, std::string file, int kind, int drawPpem, int cellHeight)
    : FImpl(std::make_unique<TFontFaceImpl>()), FFile(std::move(file)) {
  if (FT_New_Face(Library(), FFile.c_str(), 0, &FImpl->Face)) throw std::runtime_error("cannot open font " + FFile);
  FFamily = FImpl->Face->family_name ? FImpl->Face->family_name : "";
  FUnderline = log.lfUnderline != 0;
  FStrikeOut = log.lfStrikeOut != 0;
  FAntialias = log.lfQuality == ANTIALIASED_QUALITY;
  FPpem = drawPpem;
  FT_Set_Pixel_Sizes(FImpl->Face, 0, static_cast<FT_UInt>(std::max(1, drawPpem)));
  const bool bitmapFace = kind == fkBitmapSans;
  if (bitmapFace)
    ComputeBitmapMetrics(log, cellHeight);
  else
    ComputeTrueTypeMetrics(log, kind);
  // Turned text: the hinted outline rotated by the escapement.
  FEscapement = bitmapFace ? 0 : log.lfEscapement % 3600;
  if (FEscapement != 0) {
    FT_Matrix m;
    if (FEscapement % 900 == 0) {
      static const FT_Fixed kCos[4] = {0x10000, 0, -0x10000, 0}, kSin[4] = {0, 0x10000, 0, -0x10000};
      int q = ((FEscapement / 900) % 4 + 4) % 4;
      m.xx = kCos[q], m.xy = -kSin[q], m.yx = kSin[q], m.yy = kCos[q];
    } else {
      double a = FEscapement * 3.14159265358979323846 / 1800.0;
      m.xx = static_cast<FT_Fixed>(std::lround(std::cos(a) * 65536)), m.xy = static_cast<FT_Fixed>(std::lround(-std::sin(a) * 65536));
      m.yx = -m.xy, m.yy = m.xx;
    }
    FT_Set_Transform(FImpl->Face, &m, nullptr);
  }
}

TFontFace::~TFontFace() = default;

void TFontFace::ComputeTrueTypeMetrics(const LOGFONTA& log, int kind) {
  FT_Face f = FImpl->Face;
  const TFaceMapping map{log.lfFaceName, "", static_cast<TFaceKind>(kind)};
  const bool bold = log.lfWeight >= 600;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
  const int upem = f->units_per_EM ? f->units_per_EM : 2048;
  const int winA = os2 ? os2->usWinAscent : f->ascender, winD = os2 ? os2->usWinDescent : -f->descender;
  TEXTMETRICA& tm = FMetrics;
  // Advances, the hinted top and the widest ink over the code page, all at the drawing size.
  int hintedTop = 0, maxInk = 0;
  for (int c = 0; c < 256; ++c) {
    if (FT_Load_Char(f, CodePoint(static_cast<unsigned char>(c)), FT_LOAD_TARGET_MONO)) continue;
    FAdvances[c] = static_cast<int32_t>((f->glyph->advance.x + 32) >> 6);
    if (c >= 0x20) {
      hintedTop = std::max(hintedTop, static_cast<int>((f->glyph->metrics.horiBearingY + 63) >> 6));
      maxInk = std::max(maxInk, static_cast<int>((f->glyph->metrics.width + 63) >> 6));
    }
  }
  const int ppem = FPpem;
  if (log.lfHeight > 0) {
    tm.tmHeight = log.lfHeight;
    tm.tmAscent = static_cast<LONG>(std::lround(static_cast<double>(log.lfHeight) * winA / (winA + winD)));
  } else {
    const int ruleA = static_cast<int>(std::lround(static_cast<double>(winA) * ppem / upem));
    const int ruleD = static_cast<int>(std::lround(static_cast<double>(winD) * ppem / upem));
    const std::map<int, int>* table = map.Kind == fkArial    ? (bold ? &kArialBoldHeights : &kArialHeights)
                                      : map.Kind == fkCourier ? &kCourierHeights
                                                              : &kTimesHeights;
    auto it = table->find(ppem);
    tm.tmHeight = it != table->end() ? it->second : ruleA + ruleD + 1;
    tm.tmAscent = std::min<LONG>(std::max(ruleA, hintedTop), tm.tmHeight);
  }
  tm.tmDescent = tm.tmHeight - tm.tmAscent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - ppem);
  tm.tmExternalLeading = 0;
  if (map.Kind == fkArial)
    tm.tmAveCharWidth = static_cast<LONG>(std::lround((bold ? 980.0 : 904.0) * ppem / 2048));
  else
    tm.tmAveCharWidth = FAdvances['x'];
  tm.tmMaxCharWidth = maxInk;
  tm.tmWeight = log.lfWeight ? log.lfWeight : FW_NORMAL;
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x20, tm.tmLastChar = 0xFF, tm.tmDefaultChar = 0x1F, tm.tmBreakChar = 0x20;
  tm.tmItalic = log.lfItalic, tm.tmUnderlined = log.lfUnderline, tm.tmStruckOut = log.lfStrikeOut;
  // The low bit set means variable pitch, as the real field has it.
  const BYTE family = map.Kind == fkCourier ? 0x30 : map.Kind == fkTimes ? 0x10 : 0x20;
  tm.tmPitchAndFamily = static_cast<BYTE>(TMPF_TRUETYPE | TMPF_VECTOR | (map.Kind == fkCourier ? 0 : TMPF_FIXED_PITCH) | family);
  tm.tmCharSet = 0;
}

void TFontFace::ComputeBitmapMetrics(const LOGFONTA& log, int cellHeight) {
  FT_Face f = FImpl->Face;
  const TBitmapCell* cell = &kCells[0];
  for (const TBitmapCell& c : kCells)
    if (c.Height == cellHeight) cell = &c;
  FSimBold = log.lfWeight >= 600 || SameFace(log.lfFaceName, "System");
  for (int c = 0; c < 256; ++c) {
    int adv = 0;
    if (cell->Height == 13 && c >= 0x20 && c < 0x7F) adv = kSansSerif8[c - 0x20];
    if (adv == 0 && !FT_Load_Char(f, CodePoint(static_cast<unsigned char>(c)), FT_LOAD_TARGET_MONO))
      adv = static_cast<int>((f->glyph->advance.x + 32) >> 6);
    FAdvances[c] = adv + (FSimBold ? 1 : 0);
  }
  TEXTMETRICA& tm = FMetrics;
  tm.tmHeight = cell->Height;
  tm.tmAscent = cell->Ascent;
  tm.tmDescent = cell->Descent;
  tm.tmInternalLeading = cell->Leading;
  tm.tmExternalLeading = 0;
  tm.tmAveCharWidth = cell->Ave + (FSimBold ? 1 : 0);
  tm.tmMaxCharWidth = cell->Max + (FSimBold ? 1 : 0);
  tm.tmWeight = FSimBold ? FW_BOLD : FW_NORMAL;
  tm.tmOverhang = FSimBold ? 1 : 0;
  tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x20, tm.tmLastChar = 0xFF, tm.tmDefaultChar = 0x81, tm.tmBreakChar = 0x20;
  tm.tmItalic = log.lfItalic, tm.tmUnderlined = log.lfUnderline, tm.tmStruckOut = log.lfStrikeOut;
  tm.tmPitchAndFamily = TMPF_FIXED_PITCH | 0x20;  // a raster face: neither TrueType nor vector
  tm.tmCharSet = 0;
}

const TGlyph& TFontFace::Glyph(unsigned char c) const {
  std::unique_ptr<TGlyph>& slot = FGlyphs[c];
  if (slot) return *slot;
  slot = std::make_unique<TGlyph>();
  FT_Face f = FImpl->Face;
  if (FT_Load_Char(f, CodePoint(c), FAntialias ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO) == 0 &&
      FT_Render_Glyph(f->glyph, FAntialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) == 0) {
    CountRasterization();
    const FT_Bitmap& bm = f->glyph->bitmap;
    TGlyph& g = *slot;
    g.Left = f->glyph->bitmap_left;
    g.Top = -f->glyph->bitmap_top;
    g.Width = static_cast<int32_t>(bm.width);
    g.Height = static_cast<int32_t>(bm.rows);
    g.Coverage.resize(static_cast<size_t>(g.Width) * static_cast<size_t>(g.Height));
    for (int32_t y = 0; y < g.Height; ++y) {
      const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
      for (int32_t x = 0; x < g.Width; ++x) {
        uint8_t v = bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0) : row[x];
        g.Coverage[static_cast<size_t>(y) * static_cast<size_t>(g.Width) + static_cast<size_t>(x)] = v;
      }
    }
  }
  return *slot;
}

const TFontFace* RealizeFont(const LOGFONTA& in) {
  LOGFONTA log = in;
  log.lfFaceName[LF_FACESIZE - 1] = 0;
  if (log.lfFaceName[0] == 0) std::strcpy(log.lfFaceName, "MS Sans Serif");
  TFaceMapping map = MapFace(log.lfFaceName);
  // A raster face cannot turn; asking for TrueType only picks the TrueType twin instead.
  if (map.Kind == fkBitmapSans && log.lfOutPrecision == OUT_TT_ONLY_PRECIS) map = MapFace("Arial");
  const bool bold = log.lfWeight >= 600;
  const bool bitmap = map.Kind == fkBitmapSans;
  int ppem = 0, cellHeight = 0;
  if (bitmap) {
    const LONG h = SameFace(log.lfFaceName, "System") && log.lfHeight == 0 ? 16 : log.lfHeight;
    const TBitmapCell* pick = nullptr;
    for (const TBitmapCell& c : kCells)
      if ((h < 0 && c.Height - c.Leading <= -h) || (h > 0 && c.Height <= h)) pick = &c;
    if (!pick) pick = &kCells[0];
    cellHeight = pick->Height;
    ppem = pick->DrawPpem;
  } else {
    LONG h = log.lfHeight == 0 ? -12 : log.lfHeight;
    // A positive height is the cell: the em is its share of the OS/2 ascent and descent,
    // 1854 + 434 for the Liberation families' Arial metrics (the others differ by little).
    ppem = h < 0 ? -h : static_cast<int>(std::lround(h * 2048.0 / 2288.0));
  }
  ppem = std::clamp(ppem, 1, 512);
  const bool italic = log.lfItalic != 0;
  const std::string file = FontFile(map.Family, bold && !bitmap, italic);

  static std::mutex lock;
  static std::map<std::string, std::unique_ptr<TFontFace>> faces;
  std::string key = file + '|' + map.Name + '|' + std::to_string(log.lfHeight) + '|' + std::to_string(log.lfWeight >= 600) +
                    '|' + std::to_string(log.lfEscapement % 3600) + '|' + std::to_string(log.lfUnderline) +
                    std::to_string(log.lfStrikeOut) + std::to_string(log.lfQuality == ANTIALIASED_QUALITY) +
                    std::to_string(bitmap);
  std::lock_guard<std::mutex> guard(lock);
  auto& face = faces[key];
  if (!face) face = std::make_unique<TFontFace>(log, file, map.Kind, ppem, cellHeight);
  return face.get();
}
