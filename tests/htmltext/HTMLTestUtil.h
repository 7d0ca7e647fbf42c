// Helpers of the HTML engine tests: parsing with a pinned default style, item signatures,
// measuring, and pixel inspection of drawn documents.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/Graphics.h"
#include "htmltext/HTMLDump.h"
#include "htmltext/HTMLRender.h"
#include "platform/kernel/Unicode.h"

namespace htmltest {

inline std::u16string U(const std::string& s) {
  return kx::Utf8ToUtf16(s);
}
inline std::string A(const std::u16string& s) {
  return kx::Utf16ToUtf8(s);
}

// An engine whose internal document has the wizard labels' style: Verdana -13, black text.
struct Engine {
  THTMLRender render;
  Engine(const char16_t* face = u"Verdana", int height = -13) {
    THTMLData* d = render.Data();
    d->SetDefaultFont(face);
    d->SetDefaultHeight(height);
    d->SetDefaultColor(clBlack);
  }
  THTMLData& Data() { return *render.Data(); }
  THTMLData& Parse(const std::string& markup, int width = 0, bool wrap = false) {
    render.PrepareText(U(markup), width, wrap);
    return *render.Data();
  }
  // The advance width of text in the default font (or the given style/height).
  int Advance(const std::string& text, TFontStyles style = {}, int height = 0) {
    THTMLData* d = render.Data();
    auto* f =
        render.Font(d->DefaultFont(), height ? height : d->DefaultHeight(), style, d->Charset());
    const std::u16string t = U(text);
    return render.MeasureText(f, t.data(), t.size());
  }
  const TEXTMETRICW& Metrics(TFontStyles style = {}, int height = 0) {
    THTMLData* d = render.Data();
    return render.SelectMeasureFont(d->DefaultFont(), height ? height : d->DefaultHeight(), style,
                                    d->Charset());
  }
};

// One item as "Kind" or "Kind\"text\"" plus " STYLE" letters for runs.
inline std::string Signature(const THTMLItem* item) {
  std::string s = HTMLItemTypeName(item->FItemType) + 3;  // without "hit"
  if (item->FItemType == hitChar || item->FItemType == hitVar || item->FItemType == hitBitmap)
    s += "\"" + A(item->FText) + "\"";
  std::string st;
  if (item->FontStyle.Contains(fsBold)) st += 'B';
  if (item->FontStyle.Contains(fsItalic)) st += 'I';
  if (item->FontStyle.Contains(fsUnderline)) st += 'U';
  if (item->FontStyle.Contains(fsStrikeOut)) st += 'S';
  if (!st.empty() && item->FItemType == hitChar) s += " " + st;
  return s;
}

inline std::vector<std::string> Signatures(const THTMLData& d) {
  std::vector<std::string> out;
  for (int i = 0; i < d.ItemCount(); ++i)
    out.push_back(Signature(d.Items(i)));
  return out;
}

// --- pixels
inline uint32_t Pixel(TBitmap& b, int x, int y) {
  return b.ScanLine(y)[x] & 0xFFFFFF;
}
inline int Red(uint32_t p) {
  return int((p >> 16) & 0xFF);
}
inline int Green(uint32_t p) {
  return int((p >> 8) & 0xFF);
}
inline int Blue(uint32_t p) {
  return int(p & 0xFF);
}
inline uint32_t Rgb(int r, int g, int b) {
  return uint32_t(r << 16 | g << 8 | b);
}

inline std::unique_ptr<TBitmap> WhiteBitmap(int w, int h, TColor color = clWhite) {
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas()->Brush()->SetColor(color);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

// The bounding box of the pixels for which pred holds; empty (0,0,0,0) when none.
template <class Pred>
TRect InkBox(TBitmap& b, Pred pred, TRect area = TRect{0, 0, 0, 0}) {
  if (area.right == 0 && area.bottom == 0) area = Rect(0, 0, b.Width(), b.Height());
  TRect r{1 << 30, 1 << 30, -1, -1};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (pred(Pixel(b, x, y))) {
        r.left = std::min<LONG>(r.left, x);
        r.top = std::min<LONG>(r.top, y);
        r.right = std::max<LONG>(r.right, x + 1);
        r.bottom = std::max<LONG>(r.bottom, y + 1);
      }
  if (r.right < 0) return TRect{0, 0, 0, 0};
  return r;
}

inline bool Dark(uint32_t p) {
  return Red(p) < 128 && Green(p) < 128 && Blue(p) < 128;
}
inline bool NotWhite(uint32_t p) {
  return p != 0xFFFFFF;
}

// Writes the picture to $KX_TEST_ARTIFACTS (when set) for a failed comparison.
inline void SaveArtifact(TBitmap& b, const std::string& name) {
  const char* dir = std::getenv("KX_TEST_ARTIFACTS");
  if (dir && *dir) b.SaveToPngFile(std::string(dir) + "/" + name + ".png");
}

}  // namespace htmltest
