// Fonts: fontconfig matching, FreeType faces, Windows-style metrics and the glyph cache.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/gdi/FontFace.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/kernel/Unicode.h"

namespace kx::gdi {

namespace {

// Faces are shared by every thread that creates fonts; FreeType's library object and
// fontconfig's configuration are used under this lock only.
std::mutex& FontMutex() {
  static std::mutex m;
  return m;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    FT_Init_FreeType(&l);
    return l;
  }();
  return lib;
}

constexpr int kDefaultEm = 12;  // lfHeight 0

using FaceKey = std::tuple<std::u16string, int, int, bool, int>;

// Faces stay cached after their last font goes: fonts are re-created on every property
// change, and a face's glyph cache is worth keeping. Unused faces are dropped past a bound.
constexpr size_t kMaxCachedFaces = 128;

std::map<FaceKey, std::shared_ptr<FontFace>>& FaceCache() {
  static auto* c = new std::map<FaceKey, std::shared_ptr<FontFace>>();
  return *c;
}

std::u16string Lower(const char16_t* s, size_t n) {
  std::u16string r(s, n);
  for (char16_t& c : r) {
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  }
  return r;
}

int FcWeightOf(int lfWeight) {
  if (lfWeight <= 0) lfWeight = FW_NORMAL;
  return FcWeightFromOpenType(std::clamp(lfWeight, 1, 1000));
}

struct Match {
  std::string file;
  int index = 0;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  std::string family;
};

Match MatchFace(const std::string& family, int lfWeight, bool italic, bool fixedPitch) {
  static std::once_flag once;
  std::call_once(once, [] { FcInit(); });
  Match m;
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(
      pat, FC_FAMILY,
      reinterpret_cast<const FcChar8*>(family.empty() ? "sans-serif" : family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, FcWeightOf(lfWeight));
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  if (fixedPitch) FcPatternAddInteger(pat, FC_SPACING, FC_MONO);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res = FcResultNoMatch;
  FcPattern* found = FcFontMatch(nullptr, pat, &res);
  if (found) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && file) {
      m.file = reinterpret_cast<const char*>(file);
    }
    FcPatternGetInteger(found, FC_INDEX, 0, &m.index);
    FcPatternGetInteger(found, FC_WEIGHT, 0, &m.weight);
    FcPatternGetInteger(found, FC_SLANT, 0, &m.slant);
    FcChar8* fam = nullptr;
    if (FcPatternGetString(found, FC_FAMILY, 0, &fam) == FcResultMatch && fam) {
      m.family = reinterpret_cast<const char*>(fam);
    }
    FcPatternDestroy(found);
  }
  FcPatternDestroy(pat);
  return m;
}

int Round(double v) {
  return int(std::lround(v));
}

}  // namespace

std::shared_ptr<FontFace> FontFace::Get(const LOGFONTW& lf) {
  size_t n = 0;
  while (n < size_t(LF_FACESIZE) && lf.lfFaceName[n])
    ++n;
  std::u16string name = Lower(lf.lfFaceName, n);
  int weight = lf.lfWeight <= 0 ? FW_NORMAL : std::min<int>(lf.lfWeight, 1000);
  bool italic = lf.lfItalic != 0;
  bool fixed = (lf.lfPitchAndFamily & 0x03) == FIXED_PITCH;
  // Height is clamped to a sane range: absurd sizes would allocate huge glyph bitmaps.
  int height = std::clamp<int>(lf.lfHeight, -2000, 2000);
  FaceKey key{name, height, weight, italic, fixed ? 1 : 0};

  std::lock_guard<std::mutex> lock(FontMutex());
  auto& cache = FaceCache();
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  if (cache.size() >= kMaxCachedFaces) {
    for (auto i = cache.begin(); i != cache.end();) {
      i = i->second.use_count() == 1 ? cache.erase(i) : std::next(i);
    }
  }

  std::shared_ptr<FontFace> f(new FontFace());
  std::fill(std::begin(f->direct_), std::end(f->direct_), -1);
  Match m = MatchFace(kx::Utf16ToUtf8(std::u16string(lf.lfFaceName, n)), weight, italic, fixed);
  FT_Face face = nullptr;
  if (m.file.empty() || FT_New_Face(Library(), m.file.c_str(), m.index, &face) != 0) {
    // Last resort: any DejaVu face the system has.
    m.family = "DejaVu Sans";
    FT_New_Face(Library(), "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, &face);
  }
  f->face_ = face;
  f->family_ = kx::Utf8ToUtf16(m.family);
  f->synthBold_ = weight >= FW_SEMIBOLD && m.weight < FC_WEIGHT_DEMIBOLD;
  f->synthItalic_ = italic && m.slant == FC_SLANT_ROMAN;

  TEXTMETRICW& tm = f->tm_;
  tm.tmWeight = weight;
  tm.tmItalic = italic ? 255 : 0;
  tm.tmCharSet = lf.lfCharSet == DEFAULT_CHARSET ? BYTE(ANSI_CHARSET) : lf.lfCharSet;
  if (!face) {
    // No font at all: plausible metrics, no glyphs.
    int em = height < 0 ? -height : height > 0 ? height : kDefaultEm;
    tm.tmAscent = em * 4 / 5;
    tm.tmDescent = em - tm.tmAscent;
    tm.tmHeight = em;
    tm.tmAveCharWidth = std::max(1, em / 2);
    tm.tmMaxCharWidth = em;
    cache[key] = f;
    return f;
  }

  double upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
  double winA = face->ascender, winD = -face->descender;
  TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && (os2->usWinAscent + os2->usWinDescent) > 0) {
    winA = os2->usWinAscent;
    winD = os2->usWinDescent;
  }
  double cell = std::max(1.0, winA + winD);
  double ppem;
  if (height < 0) {
    ppem = -height;
  } else if (height > 0) {
    ppem = height * upem / cell;
  } else {
    ppem = kDefaultEm;
  }
  int ppemInt = std::max(1, Round(ppem));
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(ppemInt));
  double s = ppem / upem;
  if (height > 0) {
    // The cell height is exact; the ascent takes its share, the descent the rest.
    tm.tmAscent = Round(winA * s);
    tm.tmDescent = height - tm.tmAscent;
  } else {
    tm.tmAscent = Round(winA * s);
    tm.tmDescent = Round(winD * s);
  }
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - ppemInt);
  TT_HoriHeader* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (hhea) {
    double hheaTotal = double(hhea->Ascender) - hhea->Descender + hhea->Line_Gap;
    tm.tmExternalLeading = std::max(0, Round((hheaTotal - cell) * s));
  }
  if (os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0) {
    tm.tmAveCharWidth = std::max(1, Round(os2->xAvgCharWidth * s));
  }
  tm.tmMaxCharWidth = std::max(1, Round(face->max_advance_width * s));
  if (f->synthBold_) {
    f->boldStrength_ = std::max(64, Round(ppem * 64 / 24.0) & ~63);
    tm.tmMaxCharWidth += f->boldStrength_ / 64;
  }
  if (tm.tmAveCharWidth == 0) tm.tmAveCharWidth = std::max(1, f->Advance(U'x'));

  // Underline: FreeType gives the centre of the stroke (negative below the baseline).
  int uth = std::max(1, Round(face->underline_thickness * s));
  int utop = Round(-face->underline_position * s - uth / 2.0);
  utop = std::clamp(utop, 1, std::max(1, tm.tmDescent - uth));
  f->underlineTop_ = utop;
  f->underlineThickness_ = uth;
  if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
    f->strikeThickness_ = std::max(1, Round(os2->yStrikeoutSize * s));
    f->strikeTop_ = -Round(os2->yStrikeoutPosition * s);
  } else {
    f->strikeThickness_ = uth;
    f->strikeTop_ = -(tm.tmAscent - tm.tmInternalLeading) / 3 - uth;
  }
  cache[key] = f;
  return f;
}

FontFace::~FontFace() {
  // Runs under FontMutex (faces die only in the cache's eviction) or at exit.
  if (face_) FT_Done_Face(face_);
}

Glyph& FontFace::Lookup(char32_t cp) {
  auto it = glyphs_.find(cp);
  if (it != glyphs_.end()) return it->second;
  Glyph& g = glyphs_[cp];
  Load(g, cp, false);
  if (cp < kDirect) direct_[cp] = g.advance;
  return g;
}

const Glyph& FontFace::Rendered(char32_t cp) {
  Glyph& g = Lookup(cp);
  if (!g.rendered) Load(g, cp, true);
  return g;
}

void FontFace::Load(Glyph& g, char32_t cp, bool render) {
  if (!face_) return;
  // Control characters have no ink and no width.
  if (cp < 0x20 || cp == 0x7F) {
    g.advance = 0;
    g.rendered = true;
    return;
  }
  g.index = FT_Get_Char_Index(face_, FT_ULong(cp));
  if (FT_Load_Glyph(face_, g.index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) {
    g.rendered = true;
    return;
  }
  FT_GlyphSlot slot = face_->glyph;
  if (synthItalic_) FT_GlyphSlot_Oblique(slot);
  if (synthBold_) FT_GlyphSlot_Embolden(slot);
  g.advance = int((slot->advance.x + 32) >> 6);
  if (!render) return;
  g.rendered = true;
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return;
  const FT_Bitmap& bm = slot->bitmap;
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.width = int(bm.width);
  g.height = int(bm.rows);
  g.coverage.assign(size_t(g.width) * size_t(g.height), 0);
  for (int y = 0; y < g.height; ++y) {
    const unsigned char* src = bm.buffer + ptrdiff_t(y) * bm.pitch;
    uint8_t* dst = &g.coverage[size_t(y) * size_t(g.width)];
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
      std::memcpy(dst, src, size_t(g.width));
    } else if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
      for (int x = 0; x < g.width; ++x)
        dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
  }
}

void DecodeUtf16(const char16_t* text, int count, std::vector<char32_t>& cps,
                 std::vector<int>* units) {
  cps.clear();
  if (units) units->clear();
  for (int i = 0; i < count; ++i) {
    char32_t c = text[i];
    int start = i;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    cps.push_back(c);
    if (units) units->push_back(start);
  }
}

FontFace& CurrentFace(DCObj* dc) {
  FontObj* f = dc->cur.font;
  if (!f) f = static_cast<FontObj*>(GetStockObject(DEFAULT_GUI_FONT));
  if (!f->face) f->face = FontFace::Get(f->lf);
  return *f->face;
}

}  // namespace kx::gdi

using namespace kx::gdi;

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  auto* f = new FontObj();
  f->lf = *lf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  Register(f);
  return f;
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
  LOGFONTW lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = BYTE(italic != 0);
  lf.lfUnderline = BYTE(underline != 0);
  lf.lfStrikeOut = BYTE(strikeOut != 0);
  lf.lfCharSet = BYTE(charSet);
  lf.lfOutPrecision = BYTE(outPrecision);
  lf.lfClipPrecision = BYTE(clipPrecision);
  lf.lfQuality = BYTE(quality);
  lf.lfPitchAndFamily = BYTE(pitchAndFamily);
  if (faceName) {
    for (int i = 0; i < LF_FACESIZE - 1 && faceName[i]; ++i)
      lf.lfFaceName[i] = faceName[i];
  }
  return CreateFontIndirectW(&lf);
}

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* tm) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !tm) return FALSE;
  FontFace& face = CurrentFace(dc);
  *tm = face.Metrics();
  const LOGFONTW& lf = dc->cur.font->lf;
  tm->tmUnderlined = lf.lfUnderline ? 255 : 0;
  tm->tmStruckOut = lf.lfStrikeOut ? 255 : 0;
  return TRUE;
}

int GetTextFaceW(HDC hdc, int count, LPWSTR name) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return 0;
  const std::u16string& fam = CurrentFace(dc).Family();
  if (!name) return int(fam.size()) + 1;
  if (count <= 0) return 0;
  int n = std::min<int>(count - 1, int(fam.size()));
  std::copy(fam.begin(), fam.begin() + n, name);
  name[n] = 0;
  return n;
}
