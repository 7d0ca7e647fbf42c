// Internal to kx_gdi: a realised font (a FreeType face at one pixel size, matched by
// fontconfig) with its Windows-style metrics and a glyph cache.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace kx::gdi {

struct Glyph {
  uint32_t index = 0;
  int advance = 0;  // whole pixels
  bool rendered = false;
  int left = 0, top = 0;  // bitmap origin relative to the pen position on the baseline
  int width = 0, height = 0;
  std::vector<uint8_t> coverage;  // width x height, 0..255
};

class FontFace {
 public:
  // Matches and realises the font of a LOGFONTW; never fails (falls back to any face).
  static std::shared_ptr<FontFace> Get(const LOGFONTW& lf);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  // tmUnderlined / tmStruckOut are those of the realised face (false); the font object
  // supplies its own flags.
  const TEXTMETRICW& Metrics() const { return tm_; }
  const std::u16string& Family() const { return family_; }
  // Pixel offsets from the baseline (positive downwards) of the top of the lines, and
  // their thickness.
  int UnderlineTop() const { return underlineTop_; }
  int UnderlineThickness() const { return underlineThickness_; }
  int StrikeTop() const { return strikeTop_; }
  int StrikeThickness() const { return strikeThickness_; }

  // The advance of a code point in whole pixels.
  int Advance(char32_t cp) {
    if (cp < kDirect) {
      int a = direct_[cp];
      if (a >= 0) return a;
    }
    return Lookup(cp).advance;
  }
  // The glyph with its coverage bitmap.
  const Glyph& Rendered(char32_t cp);

 private:
  static constexpr char32_t kDirect = 0x250;
  FontFace() = default;
  Glyph& Lookup(char32_t cp);
  void Load(Glyph& g, char32_t cp, bool render);

  FT_Face face_ = nullptr;
  bool synthBold_ = false;
  bool synthItalic_ = false;
  int boldStrength_ = 0;  // 26.6
  TEXTMETRICW tm_;
  std::u16string family_;
  int underlineTop_ = 1, underlineThickness_ = 1, strikeTop_ = -4, strikeThickness_ = 1;
  int direct_[kDirect];
  std::unordered_map<char32_t, Glyph> glyphs_;
};

// Decodes UTF-16 into code points, keeping for each code point the index of its first
// UTF-16 unit. Unpaired surrogates become U+FFFD.
void DecodeUtf16(const char16_t* text, int count, std::vector<char32_t>& cps,
                 std::vector<int>* units);

}  // namespace kx::gdi
