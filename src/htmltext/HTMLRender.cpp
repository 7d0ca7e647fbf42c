#include "htmltext/HTMLRender.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "htmltext/HTMLParser.h"
#include "htmltext/Register.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"

namespace {

// The engine's font cache never holds more fonts than this; a caption that asks for more
// starts the cache afresh.
constexpr size_t kMaxCachedFonts = 512;
constexpr int kMaxFontHeight = 1000;

// Round half to even of num / den (den > 0, num >= 0).
int64_t RoundHalfEven(int64_t num, int64_t den) {
  int64_t q = num / den;
  const int64_t r = num % den;
  if (2 * r > den || (2 * r == den && (q & 1))) ++q;
  return q;
}

// Makes a text colour readable against `background`: darkened halfway toward black on a
// light background, lightened halfway toward white on a dark one.
COLORREF AdjustColor(TColor text, TColor background) {
  const COLORREF b = ColorToRGB(background);
  const int br = GetRValue(b), bg = GetGValue(b), bb = GetBValue(b);
  const int mx = std::max({br, bg, bb}), mn = std::min({br, bg, bb});
  const int64_t lightness = RoundHalfEven(int64_t(mx + mn) * 252 + 255, 510);
  const COLORREF t = ColorToRGB(text);
  int ch[3] = {GetRValue(t), GetGValue(t), GetBValue(t)};
  for (int& v : ch) {
    if (lightness > 160)
      v = std::max<int>(0, v - int(RoundHalfEven(255 - v, 2)));
    else
      v = v + (255 - v + 1) / 2;  // (255 - v) * 50 / 100, halves away from zero
  }
  return RGB(ch[0], ch[1], ch[2]);
}

TShiftState MouseKeysToShift(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ShiftBit(ssShift);
  if (keys & MK_CONTROL) s |= ShiftBit(ssCtrl);
  if (keys & MK_LBUTTON) s |= ShiftBit(ssLeft);
  if (keys & MK_RBUTTON) s |= ShiftBit(ssRight);
  if (keys & MK_MBUTTON) s |= ShiftBit(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s |= ShiftBit(ssAlt);
  return s;
}

TShiftState KeyDataToShift(LPARAM keyData) {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ShiftBit(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s |= ShiftBit(ssCtrl);
  if (keyData & (LPARAM(1) << 29)) s |= ShiftBit(ssAlt);
  return s;
}

// Selects an object for the lifetime of the guard.
class TSelectGuard {
 public:
  TSelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  ~TSelectGuard() {
    if (old_) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Life cycle and documents

THTMLRender::THTMLRender() {
  static const bool registered = (RegisterHTMLTextClasses(), true);
  (void)registered;
  FHook = std::make_unique<THTMLMessageHook>(
      [this](UINT msg, WPARAM w, LPARAM l) { HookMessage(msg, w, l); });
  FIntData = std::make_unique<THTMLData>();
  FIntData->FRender = this;
  FData = FIntData.get();
  FDoubleBuffered = true;
  FBitmap = std::make_unique<TBitmap>();
  FMemDC = CreateCompatibleDC(nullptr);
  FMeasureBitmap = CreateCompatibleBitmap(FMemDC, 1, 1);
  FSaveObj = SelectObject(FMemDC, FMeasureBitmap);
  FCanvas = std::make_unique<TCanvas>();
  FCanvas->SetHandle(FMemDC);
  FLinkSelect = false;
}

THTMLRender::~THTMLRender() {
  FHook.reset();
  FControl = nullptr;
  // The documents go first: their items may still ask the engine about fonts.
  FIntData.reset();
  FData = nullptr;
  FCanvas->SetHandle(nullptr);
  FCanvas.reset();
  FMeasureFont = nullptr;
  if (FMemDC) {
    SelectObject(FMemDC, FSaveObj);
    DeleteDC(FMemDC);
  }
  if (FMeasureBitmap) DeleteObject(FMeasureBitmap);
  for (auto& [key, entry] : FFonts)
    if (entry->font) DeleteObject(entry->font);
  FFonts.clear();
  FBitmap.reset();
}

void THTMLRender::SetData(THTMLData* data) {
  FData = data ? data : FIntData.get();
  FData->FRender = this;
}

THTMLData* THTMLRender::CreateData() {
  auto* d = new THTMLData();
  d->FRender = this;
  return d;
}

void THTMLRender::DestroyData(THTMLData* data) {
  if (!data) return;
  if (data == FData) FData = nullptr;
  if (data == FIntData.get()) {
    FIntData.reset();
    return;
  }
  delete data;
}

void THTMLRender::SetDC(HDC dc) {
  if (!dc) return;
  FCanvas->SetHandle(nullptr);
  SelectObject(FMemDC, FSaveObj);
  DeleteDC(FMemDC);
  if (FMeasureBitmap) DeleteObject(FMeasureBitmap);
  FMemDC = CreateCompatibleDC(dc);
  FMeasureBitmap = CreateCompatibleBitmap(dc, 1, 1);
  FSaveObj = SelectObject(FMemDC, FMeasureBitmap);
  FCanvas->SetHandle(FMemDC);
  FMeasureFont = nullptr;
}

void THTMLRender::SetControl(TControl* control) {
  FHook->Detach();
  FControl = control;
  if (control) FHook->Attach(control);
}

void THTMLRender::Change() {
  FOnChange(this);
}

void THTMLRender::ImageNeeded(const TUnicodeString& name, TPicture* picture) {
  if (FOnImageNeeded) {
    TBitmap* bitmap = nullptr;
    FOnImageNeeded(this, name, bitmap);
    if (bitmap) {
      picture->Assign(bitmap);
      return;
    }
  }
  if (FOnImageNeededEx) {
    try {
      FOnImageNeededEx(this, name, picture);
    } catch (...) {
      // A failing image source leaves the picture as it is.
    }
  }
}

void THTMLRender::ImageNeededBitmap(const TUnicodeString& name, TBitmap*& bitmap) {
  bitmap = nullptr;
  if (!FOnImageNeeded) return;
  try {
    FOnImageNeeded(this, name, bitmap);
  } catch (...) {
  }
}

void THTMLRender::VariableNeeded(const TUnicodeString& name, TUnicodeString& value) {
  FOnVariableNeeded(this, name, value);
}

// ---------------------------------------------------------------------------------------
// Measuring

size_t THTMLRender::FontKeyHash::operator()(const FontKey& k) const {
  return std::hash<std::u16string>()(k.face) ^
         (size_t(uint32_t(k.height)) * 0x9E3779B97F4A7C15ull) ^ (size_t(k.style) << 40) ^
         (size_t(k.charset) << 48);
}

THTMLRender::FontEntry* THTMLRender::Font(const TUnicodeString& face, int height, TFontStyles style,
                                          BYTE charset) {
  // Heights beyond any screen are measured and drawn at the largest sensible size, so a
  // hostile caption cannot make the font engine rasterise giant glyphs.
  height = std::clamp(height, -kMaxFontHeight, kMaxFontHeight);
  FontKey key{face, height, style.ToByte(), charset};
  auto it = FFonts.find(key);
  if (it != FFonts.end()) return it->second.get();
  if (FFonts.size() >= kMaxCachedFonts) {
    SelectObject(FMemDC, GetStockObject(DEFAULT_GUI_FONT));
    FMeasureFont = nullptr;
    for (auto& [k, entry] : FFonts)
      if (entry->font) DeleteObject(entry->font);
    FFonts.clear();
    ++FFontGeneration;
  }
  auto entry = std::make_unique<FontEntry>();
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style.Contains(fsItalic);
  lf.lfUnderline = style.Contains(fsUnderline);
  lf.lfStrikeOut = style.Contains(fsStrikeOut);
  lf.lfCharSet = charset;
  const size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
  std::copy_n(face.data(), n, lf.lfFaceName);
  lf.lfFaceName[n] = 0;
  entry->font = CreateFontIndirectW(&lf);
  std::fill(std::begin(entry->ascii), std::end(entry->ascii), -1);
  HGDIOBJ old = SelectObject(FMemDC, entry->font);
  GetTextMetricsW(FMemDC, &entry->tm);
  if (FMeasureFont) {
    SelectObject(FMemDC, FMeasureFont->font);
  } else if (old) {
    SelectObject(FMemDC, old);
  }
  FontEntry* raw = entry.get();
  FFonts.emplace(std::move(key), std::move(entry));
  return raw;
}

const TEXTMETRICW& THTMLRender::SelectMeasureFont(FontEntry* font) {
  if (font != FMeasureFont) {
    SelectObject(FMemDC, font->font);
    FMeasureFont = font;
  }
  return font->tm;
}

int THTMLRender::MeasureText(FontEntry* font, const char16_t* text, size_t count) {
  if (count == 0) return 0;
  SelectMeasureFont(font);
  SIZE sz{};
  // Long texts are measured in pieces: the extent is the sum of the advances.
  int64_t total = 0;
  constexpr size_t kPiece = 1 << 20;
  size_t off = 0;
  while (off < count) {
    size_t len = std::min(kPiece, count - off);
    // Never split a surrogate pair.
    if (off + len < count && len > 1 && text[off + len - 1] >= 0xD800 &&
        text[off + len - 1] <= 0xDBFF)
      --len;
    GetTextExtentPoint32W(FMemDC, text + off, int(len), &sz);
    total += sz.cx;
    off += len;
  }
  return int(std::min<int64_t>(total, 0x7FFFFFFF));
}

int THTMLRender::CharAdvance(FontEntry* font, char16_t c) {
  int* slot = nullptr;
  if (c < 128) {
    slot = &font->ascii[c];
    if (*slot >= 0) return *slot;
  } else {
    auto it = font->other.find(c);
    if (it != font->other.end()) return it->second;
  }
  SelectMeasureFont(font);
  SIZE sz{};
  GetTextExtentPoint32W(FMemDC, &c, 1, &sz);
  if (slot)
    *slot = sz.cx;
  else if (font->other.size() < 4096)
    font->other.emplace(c, sz.cx);
  return sz.cx;
}

// ---------------------------------------------------------------------------------------
// Parsing and layout

void THTMLRender::PrepareText(const TUnicodeString& text, int maxWidth, bool autoWrap) {
  THTMLData* data = FData;
  PrepareToData(text, maxWidth, autoWrap, data);
}

void THTMLRender::PrepareToData(const TUnicodeString& text, int maxWidth, bool autoWrap,
                                THTMLData*& curData) {
  if (!curData) return;
  THTMLData* previous = FData;
  FData = curData;
  curData->FRender = this;
  try {
    curData->FMaxWidth = maxWidth;
    curData->ClearArray();
    curData->FSelectedItem = nullptr;
    THTMLParser::Parse(this, text, maxWidth, autoWrap, curData);
    Layout(curData);
  } catch (...) {
    // Internal errors end the parse with an empty document; the caller never sees them.
    try {
      curData->ClearArray();
    } catch (...) {
    }
  }
  FData = previous;
}

void THTMLRender::Layout(THTMLData* data) {
  auto& items = data->FArray;
  if (items.empty()) {
    data->FTextSize = TSize{0, 0};
    return;
  }
  int64_t cx = 0, cy = 0;
  size_t i = 0;
  while (i < items.size()) {
    auto* line = dynamic_cast<THTMLBreakItem*>(items[i].get());
    if (!line) throw std::logic_error("Assertion failure");
    int64_t sum = 0;
    int maxHeight = 0, maxDescent = 0;
    size_t j = i;
    do {
      THTMLItem* item = items[j].get();
      item->FWidth = uint16_t(item->GetWidth());
      sum += item->FWidth;
      int d = 0;
      item->FHeight = uint16_t(item->GetHeight(d));
      if (item->FItemType == hitIndent && (item->FBoolState & hbsAbsolute)) sum = item->FWidth;
      if (item->FItemType == hitChar) {
        const int h = item->FHeight;
        if (item->IsSub()) {
          d += h / 4;
          item->FHeight = uint16_t(h + h / 4);
        } else if (item->IsSuper()) {
          d -= h / 2;
          item->FHeight = uint16_t(h + (2 * h) / 3);
        }
      }
      maxDescent = std::max(maxDescent, d);
      maxHeight = std::max<int>(maxHeight, item->FHeight);
      ++j;
    } while (j < items.size() && !items[j]->IsBreakItem());
    line->FHeight = uint16_t(maxHeight);
    line->FWidth = uint16_t(int64_t(line->FIndent) + sum);
    line->FParams = (uint32_t(uint16_t(maxDescent)) << 16) | (line->FParams & 0xFFFF);
    cx = std::max<int64_t>(cx, line->FWidth);
    cy += int64_t(line->FHeight) + data->FLineGap;
    i = j;
  }
  data->FTextSize = TSize{LONG(cx), LONG(uint32_t(uint64_t(cy)))};
}

// ---------------------------------------------------------------------------------------
// Drawing

void THTMLRender::DrawText(TCanvas* canvas, TPoint srcPoint, TRect r, TColor adjustFromColor) {
  DrawTextEx(canvas, srcPoint, r, false, clNone, clNone, clNone, clNone, adjustFromColor);
}

void THTMLRender::DrawTextEx(TCanvas* canvas, TPoint src, TRect ar, bool useOverColors,
                             TColor color, TColor bkColor, TColor selColor, TColor selBkColor,
                             TColor adjustFromColor) {
  THTMLData* data = FData;
  if (!data || !canvas) return;
  const int W = ar.right - ar.left + 1;
  const int H = ar.bottom - ar.top + 1;
  data->FRect = ar;
  TCanvas* target = canvas;
  TCanvas* draw = canvas;
  int dx = ar.left, dy = ar.top;
  if (FDoubleBuffered) {
    if (W <= 0 || H <= 0) return;
    FBitmap->SetSize(W, H);
    draw = FBitmap->Canvas();
    BitBlt(draw->Handle(), 0, 0, W, H, target->Handle(), ar.left, ar.top, SRCCOPY);
    draw->Brush()->SetColor(target->Brush()->Color());
    dx = dy = 0;
  }
  HDC dc = draw->Handle();
  draw->RequireState();
  const TColor startBrush = draw->Brush()->Color();
  const bool startBrushSolid = draw->Brush()->Style() == bsSolid;
  const UINT savedAlign = GetTextAlign(dc);
  SetTextAlign(dc, TA_LEFT | TA_BASELINE);
  draw->Font()->SetCharset(data->FCharset);
  const int savedBkMode = GetBkMode(dc);

  // The font of the run drawn last (list numbers use it), as the cache key: an entry may be
  // dropped when the cache starts afresh.
  const THTMLItem* lastRun = nullptr;
  TFontStyles lastStyle;
  THTMLBreakItem* line = nullptr;
  int x = 0, y = 0;
  auto& items = data->FArray;
  for (size_t idx = 0; idx < items.size(); ++idx) {
    THTMLItem* item = items[idx].get();
    if (item->IsBreakItem()) {
      auto* b = static_cast<THTMLBreakItem*>(item);
      if (line) y += line->FHeight;
      if (H + src.y < y) break;
      const int L = b->FWidth;
      switch (b->Alignment()) {
        case 1:
          x = (W - 1 - L) / 2;
          break;
        case 2:
          x = W - 1 - L;
          break;
        default:
          x = b->FIndent;
          break;
      }
      line = b;
      if (b->FItemType != hitLI) continue;
    }
    if (!line) continue;  // items before the first line are not drawn
    const int lineTop = y - src.y;
    const int lineH = line->FHeight;
    const int desc = line->Descent();
    const int baseline = lineTop + lineH - desc;

    switch (item->FItemType) {
      case hitLI: {
        auto* li = static_cast<THTMLBreakItem*>(item);
        const TColor markColor = (useOverColors && li->FFntCnt == 0) ? color : li->FontColor;
        const int bw = li->GetWidth();
        const int left = x - src.x - bw - 1;
        const int right = x - src.x - 1;
        const int top = lineTop + desc + (lineH - desc - bw) / 2;
        const int bottom = top + bw;
        if (li->FListItemN < 1) {
          draw->Brush()->SetColor(markColor);
          draw->Ellipse(left - 5 + dx, top + dy, right - 5 + dx, bottom + dy);
        } else {
          std::u16string number;
          for (char ch : std::to_string(li->FListItemN))
            number.push_back(char16_t(ch));
          number += u".";
          int bd = 0;
          const int h = li->GetHeight(bd);
          int yy = baseline;
          if (li->IsSuper())
            yy -= h / 2;
          else if (li->IsSub())
            yy += h / 4;
          if (lastRun) {
            SelectObject(
                dc,
                Font(lastRun->FFontRef, lastRun->MeasureHeight(), lastStyle, data->FCharset)->font);
          } else {
            SelectObject(dc, draw->Font()->Handle());
          }
          SetTextColor(dc, adjustFromColor != clNone ? AdjustColor(li->FontColor, adjustFromColor)
                                                     : ColorToRGB(li->FontColor));
          if (startBrushSolid) {
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, ColorToRGB(startBrush));
          } else {
            SetBkMode(dc, TRANSPARENT);
          }
          TextOutW(dc, x - src.x + dx, yy + dy, number.data(), int(number.size()));
          SIZE sz{};
          GetTextExtentPoint32W(dc, number.data(), int(number.size()), &sz);
          x += sz.cx;
        }
        break;
      }
      case hitChar:
      case hitVar: {
        const bool selected = item == data->FSelectedItem;
        TColor bk, fg;
        TFontStyles style = item->FontStyle;
        if (selected) {
          bk = useOverColors ? selBkColor : data->FHighlightBgColor;
          fg = useOverColors ? selColor : data->FHighlightColor;
        } else {
          bk = (useOverColors && item->FFntCnt == 0) ? bkColor : item->FontBgColor;
          fg = (useOverColors && item->FFntCnt == 0) ? color : item->FontColor;
          if (item->IsLink()) {
            style = data->FLinkStyle;
            fg = data->FLinkColor;
          }
        }
        FontEntry* font = Font(item->FFontRef, item->MeasureHeight(), style, data->FCharset);
        lastRun = item;
        lastStyle = style;
        SelectObject(dc, font->font);
        if (bk == clNone) {
          SetBkMode(dc, TRANSPARENT);
        } else {
          SetBkMode(dc, OPAQUE);
          SetBkColor(dc, ColorToRGB(bk));
        }
        SetTextColor(dc,
                     adjustFromColor != clNone ? AdjustColor(fg, adjustFromColor) : ColorToRGB(fg));
        int yy = baseline;
        if (item->IsSuper() || item->IsSub()) {
          int d = 0;
          const int h = item->GetHeight(d);
          if (item->IsSuper())
            yy -= h / 2;
          else
            yy += h / 4;
        }
        TextOutW(dc, x - src.x + dx, yy + dy, item->FText.data(), int(item->FText.size()));
        x += item->FWidth;
        break;
      }
      case hitIndent:
        if (item->FBoolState & hbsAbsolute)
          x = item->FWidth;
        else
          x += item->FWidth;
        break;
      case hitBitmap: {
        TPicture picture;
        ImageNeeded(item->FText, &picture);
        TGraphic* g = picture.Graphic();
        if (g && !g->Empty()) {
          auto* bmp = dynamic_cast<TBitmap*>(g);
          const int gap = data->FLineGap;
          if (bmp && item->FTransparent) {
            const int cw = std::min<int>(item->FWidth, bmp->Width());
            const int ch = std::min<int>(int(item->FHeight) - gap, bmp->Height());
            if (cw > 0 && ch > 0) {
              HDC sdc = bmp->Canvas()->Handle();
              const COLORREF key = GetPixel(sdc, 0, bmp->Height() - 1);
              TransparentBlt(dc, x - src.x + dx, lineTop + gap + dy, cw, ch, sdc, 0, 0, cw, ch,
                             key);
            }
          } else {
            const int left = x - src.x;
            const TRect box{left + dx, lineTop + lineH - item->FHeight + gap + dy,
                            left + item->FWidth + dx, lineTop + lineH + gap + dy};
            draw->StretchDraw(box, g);
          }
        }
        x += item->FWidth + 1;
        break;
      }
      case hitHR: {
        const int top = lineTop + lineH / 2;
        const int left = x - src.x;
        const int right =
            item->FWidth ? left + item->FWidth : left + std::max<int>(line->FWidth, W);
        const int r1 = right - 1, b1 = top + 2 - 1;
        HPEN shadow = CreatePen(PS_SOLID, 1, ColorToRGB(clBtnShadow));
        HPEN face = CreatePen(PS_SOLID, 1, ColorToRGB(clBtnFace));
        HGDIOBJ oldPen = SelectObject(dc, shadow);
        const POINT upper[3] = {{left + dx, b1 + dy}, {left + dx, top + dy}, {r1 + dx, top + dy}};
        Polyline(dc, upper, 3);
        SelectObject(dc, face);
        const POINT lower[3] = {{r1 + dx, top + dy}, {r1 + dx, b1 + dy}, {left + dx, b1 + dy}};
        Polyline(dc, lower, 3);
        SelectObject(dc, oldPen);
        DeleteObject(shadow);
        DeleteObject(face);
        break;
      }
      case hitInput: {
        auto* in = static_cast<THTMLInputItem*>(item);
        // The box stands on the line's bottom with the item's own height.
        const int left = x - src.x;
        const int top = lineTop + lineH - item->FHeight + data->FLineGap;
        const int bottom = top + item->FHeight - data->FLineGap;
        if (in->FControlPainter) {
          in->FControlPainter->PaintTo(
              draw, TRect{left + dx, top + dy, left + item->FWidth + dx, bottom + dy});
          draw->RequireState();
        }
        x += item->FWidth;
        break;
      }
      case hitControl: {
        auto* ci = static_cast<THTMLControlItem*>(item);
        const int left = x - src.x;
        const int top = lineTop + lineH - item->FHeight + data->FLineGap;
        TControl* control = ci->FControl;
        if (control && !control->Visible()) {
          if (auto* ownerWin = dynamic_cast<TWinControl*>(control->Owner())) {
            control->SetParent(ownerWin);
            control->SetBounds(left, top, control->Width(), control->Height());
          } else if (FControl && FControl->Parent()) {
            control->SetParent(FControl->Parent());
            control->SetBounds(FControl->Left() + left, FControl->Top() + top, control->Width(),
                               control->Height());
          }
          control->SetVisible(true);
        }
        x += item->FWidth;
        break;
      }
      default:
        break;
    }
  }

  SetBkMode(dc, savedBkMode);
  draw->RequireState();
  if (FDoubleBuffered) BitBlt(target->Handle(), ar.left, ar.top, W, H, dc, 0, 0, SRCCOPY);
  SetTextAlign(dc, savedAlign);
}

// ---------------------------------------------------------------------------------------
// Interaction

THTMLItem* THTMLRender::ItemAt(TPoint point, TPoint src, TRect r) {
  THTMLData* data = FData;
  if (!data) return nullptr;
  if (r.right == r.left) r = data->FRect;
  const int px = point.x + src.x, py = point.y + src.y;
  int lineTop = 0;
  auto& items = data->FArray;
  size_t i = 0;
  while (i < items.size() && !items[i]->IsBreakItem())
    ++i;
  while (i < items.size()) {
    auto* b = static_cast<THTMLBreakItem*>(items[i].get());
    const int lineH = b->FHeight;
    if (lineTop + lineH <= py) {
      lineTop += lineH;
      ++i;
      while (i < items.size() && !items[i]->IsBreakItem())
        ++i;
      continue;
    }
    const int L = b->FWidth;
    const int ref = std::max<int>(r.right - r.left, L);
    int x;
    switch (b->Alignment()) {
      case 1:
        x = (ref - L - 1) / 2;
        break;
      case 2:
        x = ref - L - 1;
        break;
      default:
        x = b->FIndent;
        break;
    }
    for (++i; i < items.size() && !items[i]->IsBreakItem(); ++i) {
      THTMLItem* item = items[i].get();
      int h = item->FHeight;
      const bool scripted = item->FItemType == hitChar && (item->IsSub() || item->IsSuper());
      if (scripted) {
        int d = 0;
        h = item->GetHeight(d);
      }
      const int raise =
          (item->FItemType == hitChar && item->IsSuper() && !item->IsSub()) ? h / 2 : 0;
      if (x <= px && px <= x + item->FWidth && lineTop + lineH - h - raise <= py &&
          py <= lineTop + lineH - raise)
        return item;
      x += item->FWidth;
    }
    return nullptr;
  }
  return nullptr;
}

bool THTMLRender::IsCursorOverLink(TPoint point, TPoint src, TRect r, TUnicodeString& href) {
  THTMLItem* item = ItemAt(point, src, r);
  if (item && item->IsLink()) {
    href = item->FLinkRef;
    return true;
  }
  href.clear();
  return false;
}

void THTMLRender::SelectLinkAt(TPoint point, TPoint src, TRect r) {
  if (!FData) return;
  FData->SetSelectedItem(ItemAt(point, src, r));
}

void THTMLRender::SelectNextLink() {
  THTMLData* data = FData;
  if (!data) return;
  auto& items = data->FArray;
  size_t start = 0;
  if (data->FSelectedItem) {
    if (data->FSelectedItem->FListIndex < 0) return;
    start = size_t(data->FSelectedItem->FListIndex) + 1;
  }
  for (size_t i = start; i < items.size(); ++i) {
    if (items[i]->FItemType == hitChar && items[i]->IsLink()) {
      data->SetSelectedItem(items[i].get());
      return;
    }
  }
}

void THTMLRender::SelectPrevLink() {
  THTMLData* data = FData;
  if (!data || !data->FSelectedItem || data->FSelectedItem->FListIndex < 0) return;
  auto& items = data->FArray;
  for (size_t i = size_t(data->FSelectedItem->FListIndex); i-- > 0;) {
    if (items[i]->FItemType == hitChar && items[i]->IsLink()) {
      data->SetSelectedItem(items[i].get());
      return;
    }
  }
}

void THTMLRender::SelectNextSuitableItem() {
  THTMLData* data = FData;
  if (!data || data->FControlsArray.empty()) return;
  auto& list = data->FControlsArray;
  auto it = std::find(list.begin(), list.end(), data->FSelectedItem);
  if (it == list.end() || ++it == list.end()) it = list.begin();
  data->SetSelectedItem(*it);
}

void THTMLRender::SelectPrevSuitableItem() {
  THTMLData* data = FData;
  if (!data || data->FControlsArray.empty()) return;
  auto& list = data->FControlsArray;
  auto it = std::find(list.begin(), list.end(), data->FSelectedItem);
  if (it == list.end() || it == list.begin())
    it = list.end() - 1;
  else
    --it;
  data->SetSelectedItem(*it);
}

THTMLInputItem* THTMLRender::FindInputItemByName(const TUnicodeString& name, THTMLItem* findFrom) {
  THTMLData* data = FData;
  if (!data) return nullptr;
  auto& list = data->FControlsArray;
  auto it = list.begin();
  if (findFrom) {
    it = std::find(list.begin(), list.end(), findFrom);
    if (it == list.end()) return nullptr;
    ++it;
  }
  for (; it != list.end(); ++it) {
    auto* in = dynamic_cast<THTMLInputItem*>(*it);
    if (in && in->FName == name) return in;
  }
  return nullptr;
}

void THTMLRender::MouseMoveTransfer(TShiftState, int x, int y, TRect r) {
  THTMLData* data = FData;
  if (!data) return;
  THTMLItem* item = ItemAt(Point(x, y), Point(0, 0), r);
  data->SetActiveItem(dynamic_cast<THTMLInputItem*>(item));
}

void THTMLRender::ClickTransfer(int x, int y, TRect r) {
  THTMLData* data = FData;
  if (!data) return;
  THTMLItem* item = ItemAt(Point(x, y), Point(0, 0), r);
  data->FSelectedItem = nullptr;
  if (!item) return;
  if (auto* in = dynamic_cast<THTMLInputItem*>(item)) {
    data->SetSelectedItem(in);
    in->Click();
  } else if (item->IsLink() && FLinkSelect) {
    data->SetSelectedItem(item);
  }
  Change();
}

void THTMLRender::KeyDownTransfer(WORD& key, TShiftState shift) {
  THTMLData* data = FData;
  if (!data) return;
  if (key == VK_TAB) {
    if (shift == 0)
      SelectNextSuitableItem();
    else if (shift == ShiftBit(ssShift))
      SelectPrevSuitableItem();
    Change();
    return;
  }
  if (auto* in = dynamic_cast<THTMLInputItem*>(data->FSelectedItem))
    in->KeyDownTransfer(key, shift);
}

TUnicodeString THTMLRender::AsText() const {
  TUnicodeString out;
  if (!FData) return out;
  bool first = true;
  for (const auto& p : FData->FArray) {
    const THTMLItem* item = p.get();
    switch (item->FItemType) {
      case hitChar:
        out += item->FText;
        break;
      case hitBreak:
        out += u"\r\n";
        break;
      case hitPara:
        if (!first) out += u"\r\n\r\n";
        break;
      case hitLI:
        out += u"- ";
        break;
      default:
        break;
    }
    first = false;
  }
  return out;
}

void THTMLRender::HookMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!FData) return;
  switch (msg) {
    case WM_KEYDOWN: {
      WORD key = WORD(wParam);
      KeyDownTransfer(key, KeyDataToShift(lParam));
      break;
    }
    case WM_MOUSEMOVE:
      MouseMoveTransfer(MouseKeysToShift(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam),
                        FData->FRect);
      break;
    case WM_LBUTTONUP:
      ClickTransfer(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), FData->FRect);
      break;
    default:
      break;
  }
}
