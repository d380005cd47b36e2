// Realised fonts: the face a LOGFONTA maps to (an explicit table onto the Liberation
// families), the text metrics Windows reports for it, and its glyphs, each rasterised once.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "Windows.h"

struct TGlyph {
  // The ink relative to the pen position on the baseline: left edge and top (y grows down,
  // so Top is usually negative), and coverage per pixel, 0 or 255 unless anti-aliased.
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  std::vector<uint8_t> Coverage;
};

struct TFontFaceImpl;

class TFontFace {
 public:
  TFontFace(const LOGFONTA& log, std::string file, int kind, int drawPpem, int cellHeight);
  ~TFontFace();
  TFontFace(const TFontFace&) = delete;
  TFontFace& operator=(const TFontFace&) = delete;

  const TEXTMETRICA& Metrics() const { return FMetrics; }
  // The face name as realised ("Liberation Sans" …) and the file it comes from.
  const std::string& Family() const { return FFamily; }
  const std::string& File() const { return FFile; }
  // Integer advance of a character along the baseline, bold overhang excluded.
  int32_t Advance(unsigned char c) const { return FAdvances[c]; }
  // Turned glyph, cached: escapement is part of the face.
  const TGlyph& Glyph(unsigned char c) const;
  LONG Escapement() const { return FEscapement; }
  bool SimulatedBold() const { return FSimBold; }
  bool Underline() const { return FUnderline; }
  bool StrikeOut() const { return FStrikeOut; }

 private:
  void ComputeTrueTypeMetrics(const LOGFONTA& log, int kind);
  void ComputeBitmapMetrics(const LOGFONTA& log, int cellHeight);
  std::unique_ptr<TFontFaceImpl> FImpl;
  std::string FFamily, FFile;
  TEXTMETRICA FMetrics{};
  std::array<int32_t, 256> FAdvances{};
  mutable std::array<std::unique_ptr<TGlyph>, 256> FGlyphs;
  LONG FEscapement = 0;
  bool FSimBold = false, FUnderline = false, FStrikeOut = false, FAntialias = false;
  int FPpem = 0;
};

// The face for a logical font; faces are shared by equal requests and live for the process.
const TFontFace* RealizeFont(const LOGFONTA& log);
void CountRasterization();
