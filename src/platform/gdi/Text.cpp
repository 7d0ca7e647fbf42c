// Text: colours and modes, extents, TextOut/ExtTextOut and DrawText.
#include <algorithm>
#include <cstring>

#include "platform/gdi/FontFace.h"
#include "platform/gdi/GdiObjects.h"

namespace kx::gdi {

namespace {

int Length(LPCWSTR text, int count) {
  if (!text) return 0;
  if (count >= 0) return count;
  int n = 0;
  while (text[n])
    ++n;
  return n;
}

// Fills r ∩ extra ∩ clip (surface pixels).
void FillClipped(DCObj* dc, RECT r, const RECT* extra, uint32_t pixel) {
  if (extra) r = Intersect(r, *extra);
  FillSurfaceRect(dc, r, pixel);
}

uint8_t Mix(uint32_t c, uint32_t d, uint32_t a) {
  return uint8_t((c * a + d * (255 - a) + 127) / 255);
}

// Draws a run of glyphs with its pen starting at (x, baseline) in surface pixels.
// advances[i] is the pen advance after glyph i.
void DrawGlyphs(DCObj* dc, FontFace& face, const std::vector<char32_t>& cps,
                const std::vector<int>& advances, int x, int baseline, COLORREF color,
                const RECT* extra) {
  cairo_surface_t* s = Surface(dc);
  if (!s) return;
  const std::vector<RECT>& clips = ClipRects(dc);
  if (clips.empty()) return;
  PixelAccess px(s);
  uint32_t cr = GetRValue(color), cg = GetGValue(color), cb = GetBValue(color);
  uint32_t solid = PixelOf(color);
  int pen = x;
  for (size_t i = 0; i < cps.size(); ++i) {
    const Glyph& g = face.Rendered(cps[i]);
    if (g.width > 0 && g.height > 0) {
      RECT box{pen + g.left, baseline - g.top, pen + g.left + g.width, baseline - g.top + g.height};
      if (extra) box = Intersect(box, *extra);
      for (const RECT& c : clips) {
        RECT b = Intersect(box, c);
        if (IsEmpty(b)) continue;
        for (int y = b.top; y < b.bottom; ++y) {
          uint32_t* row = px.Row(y);
          const uint8_t* cov = &g.coverage[size_t(y - (baseline - g.top)) * size_t(g.width)];
          const int gx = pen + g.left;
          for (int xx = b.left; xx < b.right; ++xx) {
            uint32_t a = cov[xx - gx];
            if (a == 0) continue;
            if (a == 255) {
              row[xx] = solid;
              continue;
            }
            uint32_t d = row[xx];
            uint32_t da = d >> 24;
            uint32_t na = a + (da * (255 - a) + 127) / 255;
            row[xx] = (na << 24) | (uint32_t(Mix(cr, (d >> 16) & 0xFF, a)) << 16) |
                      (uint32_t(Mix(cg, (d >> 8) & 0xFF, a)) << 8) | Mix(cb, d & 0xFF, a);
          }
        }
      }
    }
    pen += advances[i];
  }
}

// One run of text at a reference point, as TextOut/ExtTextOut draw it. (x, y) are surface
// pixels of the reference point; returns the run's width.
int OutputRun(DCObj* dc, int x, int y, UINT align, const std::vector<char32_t>& cps,
              const std::vector<int>* dx, bool opaqueCells, const RECT* extra) {
  FontFace& face = CurrentFace(dc);
  const TEXTMETRICW& tm = face.Metrics();
  std::vector<int> adv(cps.size());
  int width = 0;
  for (size_t i = 0; i < cps.size(); ++i) {
    adv[i] = dx && i < dx->size() ? (*dx)[i] : face.Advance(cps[i]);
    width += adv[i];
  }
  int left = x;
  switch (align & (TA_LEFT | TA_RIGHT | TA_CENTER)) {
    case TA_RIGHT:
      left = x - width;
      break;
    case TA_CENTER:
      left = x - width / 2;
      break;
    default:
      break;
  }
  int baseline = y + tm.tmAscent;
  switch (align & (TA_TOP | TA_BOTTOM | TA_BASELINE)) {
    case TA_BASELINE:
      baseline = y;
      break;
    case TA_BOTTOM:
      baseline = y - tm.tmDescent;
      break;
    default:
      break;
  }
  if (opaqueCells) {
    FillClipped(dc, RECT{left, baseline - tm.tmAscent, left + width, baseline + tm.tmDescent},
                extra, PixelOf(dc->cur.bkColor));
  }
  COLORREF color = dc->cur.textColor & 0x00FFFFFF;
  DrawGlyphs(dc, face, cps, adv, left, baseline, color, extra);
  const LOGFONTW& lf = dc->cur.font->lf;
  if (lf.lfUnderline) {
    int top = baseline + face.UnderlineTop();
    FillClipped(dc, RECT{left, top, left + width, top + face.UnderlineThickness()}, extra,
                PixelOf(color));
  }
  if (lf.lfStrikeOut) {
    int top = baseline + face.StrikeTop();
    FillClipped(dc, RECT{left, top, left + width, top + face.StrikeThickness()}, extra,
                PixelOf(color));
  }
  return width;
}

bool IsSpace(char32_t c) {
  return c == U' ' || c == U'\t' || c == 0x3000;
}

// Neutral characters take the paragraph's direction in right-to-left reading order.
bool IsNeutral(char32_t c) {
  return c < 0x80 &&
         !((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z'));
}

char32_t Mirror(char32_t c) {
  switch (c) {
    case U'(':
      return U')';
    case U')':
      return U'(';
    case U'[':
      return U']';
    case U']':
      return U'[';
    case U'{':
      return U'}';
    case U'}':
      return U'{';
    case U'<':
      return U'>';
    case U'>':
      return U'<';
    default:
      return c;
  }
}

struct Line {
  std::vector<char32_t> cps;
  std::vector<bool> underline;
  int width = 0;
};

struct Measurer {
  FontFace& face;
  bool expandTabs;
  int tabWidth;
  // Advance of cps[i] when the pen is at x (relative to the line's start).
  int AdvanceAt(char32_t c, int x) const {
    if (c == U'\t') {
      if (expandTabs && tabWidth > 0) return (x / tabWidth + 1) * tabWidth - x;
      return face.Advance(U' ');
    }
    return face.Advance(c);
  }
  int Width(const std::vector<char32_t>& cps, size_t from, size_t to) const {
    int x = 0;
    for (size_t i = from; i < to; ++i)
      x += AdvanceAt(cps[i], x);
    return x;
  }
};

void AppendLine(std::vector<Line>& lines, const std::vector<char32_t>& cps,
                const std::vector<bool>& ul, size_t from, size_t to, const Measurer& m) {
  Line l;
  l.cps.assign(cps.begin() + ptrdiff_t(from), cps.begin() + ptrdiff_t(to));
  l.underline.assign(ul.begin() + ptrdiff_t(from), ul.begin() + ptrdiff_t(to));
  l.width = m.Width(cps, from, to);
  lines.push_back(std::move(l));
}

// Breaks one paragraph into lines no wider than `avail` where possible: at spaces, and a
// word wider than the line at the last character that fits (unless keepWords).
void WrapParagraph(std::vector<Line>& lines, const std::vector<char32_t>& cps,
                   const std::vector<bool>& ul, size_t from, size_t to, int avail, bool keepWords,
                   const Measurer& m) {
  size_t start = from;
  while (true) {
    int x = 0;
    size_t i = start;
    size_t breakEnd = std::string::npos;  // end of the text before the last space run
    size_t breakNext = 0;                 // first character after that run
    bool broke = false;
    while (i < to) {
      char32_t c = cps[i];
      if (IsSpace(c)) {
        size_t j = i;
        int xs = x;
        while (j < to && IsSpace(cps[j]))
          xs += m.AdvanceAt(cps[j++], xs);
        if (i > start) {
          breakEnd = i;
          breakNext = j;
        }
        x = xs;
        i = j;
        continue;
      }
      int a = m.AdvanceAt(c, x);
      if (x + a > avail && i > start) {
        if (breakEnd != std::string::npos) {
          AppendLine(lines, cps, ul, start, breakEnd, m);
          start = breakNext;
        } else if (!keepWords) {
          AppendLine(lines, cps, ul, start, i, m);
          start = i;
        } else {
          // The word stays whole: the line runs to the word's end.
          size_t j = i;
          while (j < to && !IsSpace(cps[j]))
            ++j;
          AppendLine(lines, cps, ul, start, j, m);
          while (j < to && IsSpace(cps[j]))
            ++j;
          start = j;
        }
        broke = true;
        break;
      }
      x += a;
      ++i;
    }
    if (!broke) {
      AppendLine(lines, cps, ul, start, to, m);
      return;
    }
    if (start >= to) return;
  }
}

// Cuts a line so that it and "..." fit in avail.
void Ellipsize(Line& l, int avail, const Measurer& m) {
  static const std::vector<char32_t> dots{U'.', U'.', U'.'};
  int dotsWidth = m.Width(dots, 0, 3);
  size_t n = l.cps.size();
  while (n > 0 && m.Width(l.cps, 0, n) + dotsWidth > avail)
    --n;
  l.cps.resize(n);
  l.underline.resize(n);
  l.cps.insert(l.cps.end(), dots.begin(), dots.end());
  l.underline.insert(l.underline.end(), 3, false);
  l.width = m.Width(l.cps, 0, l.cps.size());
}

// Visual order of a line of left-to-right text in a right-to-left paragraph: the neutral
// runs at either end move to the other end, mirrored.
void ReorderRtl(Line& l) {
  size_t n = l.cps.size();
  size_t a = 0;
  while (a < n && IsNeutral(l.cps[a]))
    ++a;
  if (a == n) {
    std::reverse(l.cps.begin(), l.cps.end());
    std::reverse(l.underline.begin(), l.underline.end());
    for (char32_t& c : l.cps)
      c = Mirror(c);
    return;
  }
  size_t b = n;
  while (b > a && IsNeutral(l.cps[b - 1]))
    --b;
  std::vector<char32_t> cps;
  std::vector<bool> ul;
  for (size_t i = n; i > b; --i) {
    cps.push_back(Mirror(l.cps[i - 1]));
    ul.push_back(l.underline[i - 1]);
  }
  for (size_t i = a; i < b; ++i) {
    cps.push_back(l.cps[i]);
    ul.push_back(l.underline[i]);
  }
  for (size_t i = a; i > 0; --i) {
    cps.push_back(Mirror(l.cps[i - 1]));
    ul.push_back(l.underline[i - 1]);
  }
  l.cps = std::move(cps);
  l.underline = std::move(ul);
}

int DrawTextCore(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format,
                 DRAWTEXTPARAMS* params) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !rect) return 0;
  int n = Length(text, count);
  FontFace& face = CurrentFace(dc);
  const TEXTMETRICW& tm = face.Metrics();
  int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  int lmargin = params ? params->iLeftMargin : 0;
  int rmargin = params ? params->iRightMargin : 0;
  int tabLength = params && params->iTabLength > 0 ? params->iTabLength : 8;
  if (params) params->uiLengthDrawn = 0;
  bool single = (format & DT_SINGLELINE) != 0;

  if (n == 0) {
    if (format & DT_CALCRECT) {
      rect->right = rect->left;
      rect->bottom = rect->top + (single ? lineHeight : 0);
    }
    return single ? lineHeight : 0;
  }

  std::vector<char32_t> raw;
  DecodeUtf16(text, n, raw, nullptr);

  // Accelerator prefixes: "&x" underlines x, "&&" is "&", a final "&" vanishes.
  std::vector<char32_t> cps;
  std::vector<bool> ul;
  cps.reserve(raw.size());
  bool prefixes = !(format & DT_NOPREFIX);
  bool showUnderline = !(format & DT_HIDEPREFIX);
  for (size_t i = 0; i < raw.size(); ++i) {
    char32_t c = raw[i];
    if (prefixes && c == U'&') {
      if (i + 1 >= raw.size()) break;
      c = raw[++i];
      cps.push_back(c);
      ul.push_back(c != U'&' && showUnderline);
      continue;
    }
    cps.push_back(c);
    ul.push_back(false);
  }

  if (cps.empty()) {
    // Nothing but a prefix: measured like empty text.
    if (format & DT_CALCRECT) {
      rect->right = rect->left;
      rect->bottom = rect->top + (single ? lineHeight : 0);
    }
    return single ? lineHeight : 0;
  }

  Measurer m{face, (format & DT_EXPANDTABS) != 0, tabLength * tm.tmAveCharWidth};
  int avail = (rect->right - rect->left) - lmargin - rmargin;
  bool ellipsis = (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) != 0;

  std::vector<Line> lines;
  if (single) {
    // Line breaks have no place in a single line.
    std::vector<char32_t> c2;
    std::vector<bool> u2;
    for (size_t i = 0; i < cps.size(); ++i) {
      if (cps[i] == U'\r' || cps[i] == U'\n') continue;
      c2.push_back(cps[i]);
      u2.push_back(ul[i]);
    }
    AppendLine(lines, c2, u2, 0, c2.size(), m);
  } else {
    size_t start = 0;
    for (size_t i = 0; i <= cps.size(); ++i) {
      bool end = i == cps.size();
      if (!end && cps[i] != U'\r' && cps[i] != U'\n') continue;
      if (format & DT_WORDBREAK) {
        WrapParagraph(lines, cps, ul, start, i, avail, ellipsis, m);
      } else {
        AppendLine(lines, cps, ul, start, i, m);
      }
      if (end) break;
      if (cps[i] == U'\r' && i + 1 < cps.size() && cps[i + 1] == U'\n') ++i;
      start = i + 1;
      if (start == cps.size()) break;  // a final line break starts no line
    }
  }
  if (ellipsis) {
    for (Line& l : lines) {
      if (l.width > avail) Ellipsize(l, avail, m);
    }
  }
  // An edit control shows no partly visible last line.
  if ((format & DT_EDITCONTROL) && !(format & DT_CALCRECT) && !single) {
    int fit = std::max(1, (rect->bottom - rect->top) / std::max(1, lineHeight));
    if (int(lines.size()) > fit) lines.resize(size_t(fit));
  }

  int y = rect->top;
  if (single && (format & DT_VCENTER)) {
    y = rect->top + (rect->bottom - rect->top) / 2 - lineHeight / 2;
  } else if (single && (format & DT_BOTTOM)) {
    y = rect->bottom - lineHeight;
  }
  int total = int(lines.size()) * lineHeight;

  if (format & DT_CALCRECT) {
    int maxWidth = 0;
    for (const Line& l : lines)
      maxWidth = std::max(maxWidth, l.width);
    rect->right = rect->left + maxWidth + lmargin + rmargin;
    rect->bottom = rect->top + total;
    if (params) params->uiLengthDrawn = UINT(n);
    return total;
  }

  RECT clip = LogicalToSurface(dc, *rect);
  const RECT* extra = (format & DT_NOCLIP) ? nullptr : &clip;
  bool opaque = dc->cur.bkMode == OPAQUE;
  COLORREF color = dc->cur.textColor & 0x00FFFFFF;
  for (Line& l : lines) {
    if (format & DT_RTLREADING) ReorderRtl(l);
    int x;
    if (format & DT_CENTER) {
      x = (rect->left + lmargin + rect->right - rmargin - l.width) / 2;
    } else if (format & DT_RIGHT) {
      x = rect->right - rmargin - l.width;
    } else {
      x = rect->left + lmargin;
    }
    POINT p = LogicalToSurface(dc, POINT{x, y});
    // Tabs are drawn as their expanded advance.
    std::vector<int> adv(l.cps.size());
    int pen = 0;
    for (size_t i = 0; i < l.cps.size(); ++i) {
      adv[i] = m.AdvanceAt(l.cps[i], pen);
      pen += adv[i];
    }
    std::vector<char32_t> glyphs = l.cps;
    for (char32_t& c : glyphs) {
      if (c == U'\t') c = U' ';
    }
    int baseline = p.y + tm.tmAscent;
    if (opaque) {
      FillClipped(dc, RECT{p.x, p.y, p.x + l.width, p.y + tm.tmHeight}, extra,
                  PixelOf(dc->cur.bkColor));
    }
    DrawGlyphs(dc, face, glyphs, adv, p.x, baseline, color, extra);
    const LOGFONTW& lf = dc->cur.font->lf;
    int ux = p.x;
    for (size_t i = 0; i < l.cps.size(); ++i) {
      if (l.underline[i] || lf.lfUnderline) {
        int top = baseline + face.UnderlineTop();
        FillClipped(dc, RECT{ux, top, ux + adv[i], top + face.UnderlineThickness()}, extra,
                    PixelOf(color));
      }
      ux += adv[i];
    }
    if (lf.lfStrikeOut) {
      int top = baseline + face.StrikeTop();
      FillClipped(dc, RECT{p.x, top, p.x + l.width, top + face.StrikeThickness()}, extra,
                  PixelOf(color));
    }
    y += lineHeight;
  }
  if (params) params->uiLengthDrawn = UINT(n);
  return (single && (format & (DT_VCENTER | DT_BOTTOM))) ? (y - rect->top) : total;
}

}  // namespace

}  // namespace kx::gdi

using namespace kx::gdi;

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->cur.textColor;
  dc->cur.textColor = color;
  return old;
}

COLORREF GetTextColor(HDC hdc) {
  DCObj* dc = ToDC(hdc);
  return dc ? dc->cur.textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->cur.bkColor;
  dc->cur.bkColor = color & 0x00FFFFFF;
  return old;
}

COLORREF GetBkColor(HDC hdc) {
  DCObj* dc = ToDC(hdc);
  return dc ? dc->cur.bkColor : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode) {
  DCObj* dc = ToDC(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int old = dc->cur.bkMode;
  dc->cur.bkMode = mode;
  return old;
}

int GetBkMode(HDC hdc) {
  DCObj* dc = ToDC(hdc);
  return dc ? dc->cur.bkMode : 0;
}

UINT SetTextAlign(HDC hdc, UINT align) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return UINT(GDI_ERROR);
  UINT old = dc->cur.textAlign;
  dc->cur.textAlign = align;
  return old;
}

UINT GetTextAlign(HDC hdc) {
  DCObj* dc = ToDC(hdc);
  return dc ? dc->cur.textAlign : UINT(GDI_ERROR);
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, SIZE* size) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !size || count < 0 || (!text && count > 0)) return FALSE;
  FontFace& face = CurrentFace(dc);
  int w = 0;
  for (int i = 0; i < count; ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    w += face.Advance(c);
  }
  size->cx = w;
  size->cy = face.Metrics().tmHeight;
  return TRUE;
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, int* fit, int* dx,
                           SIZE* size) {
  DCObj* dc = ToDC(hdc);
  if (!dc || count < 0 || (!text && count > 0)) return FALSE;
  FontFace& face = CurrentFace(dc);
  std::vector<char32_t> cps;
  std::vector<int> units;
  DecodeUtf16(text, count, cps, &units);
  int w = 0;
  int fitCount = 0;
  bool fitting = true;
  for (size_t i = 0; i < cps.size(); ++i) {
    w += face.Advance(cps[i]);
    int first = units[i];
    int last = i + 1 < cps.size() ? units[i + 1] : count;
    if (fitting && w <= maxExtent) {
      fitCount = last;
    } else {
      fitting = false;
    }
    if (dx) {
      for (int u = first; u < last; ++u)
        dx[u] = w;
    }
  }
  if (fit) *fit = fitCount;
  if (size) {
    size->cx = w;
    size->cy = face.Metrics().tmHeight;
  }
  return TRUE;
}

BOOL GetCharWidth32W(HDC hdc, UINT first, UINT last, int* widths) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !widths || last < first) return FALSE;
  FontFace& face = CurrentFace(dc);
  for (UINT c = first; c <= last; ++c)
    widths[c - first] = face.Advance(char32_t(c));
  return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
  return ExtTextOutW(hdc, x, y, 0, nullptr, text, count < 0 ? 0 : UINT(count), nullptr);
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const INT* dx) {
  DCObj* dc = ToDC(hdc);
  if (!dc || (!text && count > 0)) return FALSE;
  RECT r{0, 0, 0, 0};
  if (rect) r = LogicalToSurface(dc, *rect);
  if ((options & ETO_OPAQUE) && rect) FillSurfaceRect(dc, r, PixelOf(dc->cur.bkColor));
  const RECT* extra = (options & ETO_CLIPPED) && rect ? &r : nullptr;
  if (count == 0) return TRUE;
  std::vector<char32_t> cps;
  std::vector<int> units;
  DecodeUtf16(text, int(count), cps, &units);
  std::vector<int> advances;
  if (dx) {
    // dx is per UTF-16 unit: a surrogate pair's advance is the sum of its two entries.
    for (size_t i = 0; i < cps.size(); ++i) {
      int last = i + 1 < cps.size() ? units[i + 1] : int(count);
      int a = 0;
      for (int u = units[i]; u < last; ++u)
        a += dx[u];
      advances.push_back(a);
    }
  }
  UINT align = dc->cur.textAlign;
  POINT ref{x, y};
  if (align & TA_UPDATECP) ref = dc->cur.pos;
  POINT p = LogicalToSurface(dc, ref);
  bool opaqueCells = dc->cur.bkMode == OPAQUE && !(options & ETO_OPAQUE);
  int width = OutputRun(dc, p.x, p.y, align, cps, dx ? &advances : nullptr, opaqueCells, extra);
  if (align & TA_UPDATECP) {
    POINT a = DpToLp(dc, POINT{0, 0}), b = DpToLp(dc, POINT{width, 0});
    dc->cur.pos.x += b.x - a.x;
  }
  return TRUE;
}

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  return DrawTextCore(hdc, text, count, rect, format, nullptr);
}

int DrawTextExW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format,
                DRAWTEXTPARAMS* params) {
  return DrawTextCore(hdc, text, count, rect, format, params);
}
