#include "marquee/GPGraphics.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "marquee/GPBrush.h"
#include "marquee/GPGraphicsPath.h"
#include "marquee/GPImage.h"
#include "platform/gdi/GdiCairo.h"
#include "platform/user/User.h"

ARGB ArgbFromColor(uint8_t opacity, TColor color) {
  uint32_t c = uint32_t(color);
  COLORREF rgb;
  if ((c & 0xFF000000u) == 0xFF000000u)
    rgb = GetSysColor(int(c & 0xFF));
  else
    rgb = c & 0x00FFFFFFu;
  return (uint32_t(opacity) << 24) | (uint32_t(GetRValue(rgb)) << 16) |
         (uint32_t(GetGValue(rgb)) << 8) | uint32_t(GetBValue(rgb));
}

// The cairo state holds the context's own clip and logical mapping; it is saved once at
// creation so that ResetClip can return to it.
TGPGraphics::TGPGraphics(HDC dc) {
  cr_ = dc ? kx::CreateDCContext(dc) : nullptr;
  if (!cr_) {
    lastResult = InvalidParameter;
    return;
  }
  Begin();
}

TGPGraphics::TGPGraphics(cairo_surface_t* surface, int originX, int originY) {
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    lastResult = InvalidParameter;
    return;
  }
  cr_ = cairo_create(surface);
  cairo_translate(cr_, originX, originY);
  Begin();
}

void TGPGraphics::Begin() {
  cairo_save(cr_);
}

TGPGraphics::~TGPGraphics() {
  if (cr_) cairo_destroy(cr_);
}

Status TGPGraphics::SetSmoothingMode(int mode) {
  if (mode < 0 || mode > 5) return Keep(InvalidParameter);
  smoothingMode_ = mode;
  return Ok;
}

namespace {

// Smoothing modes 2 (high quality) and 4 (anti-alias) anti-alias, as in GDI+.
cairo_antialias_t Antialias(int mode) {
  return (mode == 2 || mode == 4) ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE;
}

void EllipsePath(cairo_t* cr, double x, double y, double w, double h) {
  cairo_save(cr);
  cairo_translate(cr, x + w / 2, y + h / 2);
  cairo_scale(cr, w / 2, h / 2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_close_path(cr);
  cairo_restore(cr);
}

bool Finite(float a, float b, float c, float d) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

}  // namespace

Status TGPGraphics::Fill(const TGPBrush* brush) {
  double x0, y0, x1, y1, cx0, cy0, cx1, cy1;
  cairo_fill_extents(cr_, &x0, &y0, &x1, &y1);
  cairo_clip_extents(cr_, &cx0, &cy0, &cx1, &cy1);
  cairo_pattern_t* p =
      brush->NativeFor(std::max(x0, cx0), std::max(y0, cy0), std::min(x1, cx1), std::min(y1, cy1));
  if (!p) {
    cairo_new_path(cr_);
    return Keep(brush->lastResult != Ok ? brush->lastResult : InvalidParameter);
  }
  cairo_set_antialias(cr_, Antialias(smoothingMode_));
  cairo_set_source(cr_, p);
  cairo_fill(cr_);
  return Ok;
}

template <class F>
Status TGPGraphics::Stroke(const TGPPen* pen, F&& buildPath) {
  cairo_pattern_t* p = pen->Native();
  if (!p) return Keep(InvalidParameter);
  cairo_new_path(cr_);
  cairo_save(cr_);
  cairo_translate(cr_, 0.5, 0.5);
  buildPath();
  cairo_restore(cr_);
  double w = pen->GetWidth();
  // A pen of width 0 still draws one pixel wide, as GDI+ pens do.
  if (w <= 0) w = 1;
  cairo_set_antialias(cr_, Antialias(smoothingMode_));
  cairo_set_source(cr_, p);
  cairo_set_line_width(cr_, w);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
  cairo_set_miter_limit(cr_, 10);
  double dashes[6];
  int n = 0;
  switch (pen->GetDashStyle()) {
    case DashStyleDash:
      dashes[0] = 3, dashes[1] = 1, n = 2;
      break;
    case DashStyleDot:
      dashes[0] = 1, dashes[1] = 1, n = 2;
      break;
    case DashStyleDashDot:
      dashes[0] = 3, dashes[1] = 1, dashes[2] = 1, dashes[3] = 1, n = 4;
      break;
    case DashStyleDashDotDot:
      dashes[0] = 3, dashes[1] = 1, dashes[2] = 1, dashes[3] = 1, dashes[4] = 1, dashes[5] = 1;
      n = 6;
      break;
    default:
      break;
  }
  for (int i = 0; i < n; ++i)
    dashes[i] *= w;
  cairo_set_dash(cr_, dashes, n, 0);
  cairo_stroke(cr_);
  return Ok;
}

Status TGPGraphics::FillRectangle(const TGPBrush* brush, const TGPRectF& r) {
  return FillRectangle(brush, r.X, r.Y, r.Width, r.Height);
}

Status TGPGraphics::FillRectangle(const TGPBrush* brush, float x, float y, float w, float h) {
  if (!cr_ || !brush || !Finite(x, y, w, h)) return Keep(InvalidParameter);
  if (w <= 0 || h <= 0) return Ok;
  cairo_rectangle(cr_, x, y, w, h);
  return Fill(brush);
}

Status TGPGraphics::FillEllipse(const TGPBrush* brush, const TGPRectF& r) {
  return FillEllipse(brush, r.X, r.Y, r.Width, r.Height);
}

Status TGPGraphics::FillEllipse(const TGPBrush* brush, float x, float y, float w, float h) {
  if (!cr_ || !brush || !Finite(x, y, w, h)) return Keep(InvalidParameter);
  if (w <= 0 || h <= 0) return Ok;
  EllipsePath(cr_, x, y, w, h);
  return Fill(brush);
}

Status TGPGraphics::FillPath(const TGPBrush* brush, const TGPGraphicsPath* path) {
  if (!cr_ || !brush || !path) return Keep(InvalidParameter);
  cairo_new_path(cr_);
  path->AppendTo(cr_);
  cairo_set_fill_rule(cr_, path->GetFillMode() == FillModeWinding ? CAIRO_FILL_RULE_WINDING
                                                                  : CAIRO_FILL_RULE_EVEN_ODD);
  Status s = Fill(brush);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  return s;
}

Status TGPGraphics::DrawRectangle(const TGPPen* pen, const TGPRectF& r) {
  return DrawRectangle(pen, r.X, r.Y, r.Width, r.Height);
}

Status TGPGraphics::DrawRectangle(const TGPPen* pen, float x, float y, float w, float h) {
  if (!cr_ || !pen || !Finite(x, y, w, h)) return Keep(InvalidParameter);
  return Stroke(pen, [&] { cairo_rectangle(cr_, x, y, w, h); });
}

Status TGPGraphics::DrawEllipse(const TGPPen* pen, const TGPRectF& r) {
  return DrawEllipse(pen, r.X, r.Y, r.Width, r.Height);
}

Status TGPGraphics::DrawEllipse(const TGPPen* pen, float x, float y, float w, float h) {
  if (!cr_ || !pen || !Finite(x, y, w, h)) return Keep(InvalidParameter);
  if (w <= 0 || h <= 0) return Ok;
  return Stroke(pen, [&] { EllipsePath(cr_, x, y, w, h); });
}

Status TGPGraphics::DrawPath(const TGPPen* pen, const TGPGraphicsPath* path) {
  if (!cr_ || !pen || !path) return Keep(InvalidParameter);
  return Stroke(pen, [&] { path->AppendTo(cr_); });
}

Status TGPGraphics::DrawLine(const TGPPen* pen, float x1, float y1, float x2, float y2) {
  if (!cr_ || !pen || !Finite(x1, y1, x2, y2)) return Keep(InvalidParameter);
  return Stroke(pen, [&] {
    cairo_move_to(cr_, x1, y1);
    cairo_line_to(cr_, x2, y2);
  });
}

Status TGPGraphics::ResetClip() {
  if (!cr_) return Keep(InvalidParameter);
  cairo_restore(cr_);
  Begin();
  return Ok;
}

Status TGPGraphics::SetClip(const TGPRegion* region, CombineMode) {
  if (!cr_ || !region) return Keep(InvalidParameter);
  ResetClip();
  cairo_new_path(cr_);
  if (region->IsPath()) {
    region->Path().AppendTo(cr_);
    cairo_set_fill_rule(cr_, region->Path().GetFillMode() == FillModeWinding
                                 ? CAIRO_FILL_RULE_WINDING
                                 : CAIRO_FILL_RULE_EVEN_ODD);
  } else {
    const TGPRectF& r = region->Rect();
    if (r.Width > 0 && r.Height > 0) cairo_rectangle(cr_, r.X, r.Y, r.Width, r.Height);
  }
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  cairo_clip(cr_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  return Ok;
}

Status TGPGraphics::SetClip(const TGPRectF& rect, CombineMode mode) {
  TGPRegion region(rect);
  return SetClip(&region, mode);
}

namespace {

// Paints `src` scaled from its (sx, sy, sw, sh) part into the logical rectangle dest.
void PaintImage(cairo_t* cr, cairo_surface_t* src, const TGPRectF& dest, double sx, double sy,
                double sw, double sh) {
  cairo_save(cr);
  cairo_rectangle(cr, dest.X, dest.Y, dest.Width, dest.Height);
  cairo_clip(cr);
  cairo_translate(cr, dest.X, dest.Y);
  cairo_scale(cr, dest.Width / sw, dest.Height / sh);
  cairo_set_source_surface(cr, src, -sx, -sy);
  cairo_pattern_t* p = cairo_get_source(cr);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  bool unscaled = std::fabs(dest.Width - sw) < 1e-6 && std::fabs(dest.Height - sh) < 1e-6;
  cairo_pattern_set_filter(p, unscaled ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace

Status TGPGraphics::DrawImageRect(TGPImage* image, float x, float y, float w, float h) {
  if (!cr_ || !image || !Finite(x, y, w, h)) return Keep(InvalidParameter);
  if (!image->Native()) return Keep(image->lastResult != Ok ? image->lastResult : InvalidParameter);
  if (w == 0 || h == 0) return Ok;
  PaintImage(cr_, image->Native(), TGPRectF{x, y, w, h}, 0, 0, image->GetWidth(),
             image->GetHeight());
  return Ok;
}

Status TGPGraphics::DrawImage(TGPImage* image, const TGPRectF& dest, float sx, float sy, float sw,
                              float sh, Unit, const TGPImageAttributes* attributes) {
  if (!cr_ || !image || !Finite(dest.X, dest.Y, dest.Width, dest.Height) || !Finite(sx, sy, sw, sh))
    return Keep(InvalidParameter);
  if (!image->Native()) return Keep(image->lastResult != Ok ? image->lastResult : InvalidParameter);
  if (sw <= 0 || sh <= 0 || dest.Width == 0 || dest.Height == 0) return Ok;
  cairo_surface_t* src = image->Native();
  cairo_surface_t* keyed = nullptr;
  if (attributes && attributes->HasColorKey()) {
    // Apply the colour key to a copy of the decoded pixels.
    int w = int(image->GetWidth()), h = int(image->GetHeight());
    keyed = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(src);
    const uint8_t* in = cairo_image_surface_get_data(src);
    int inStride = cairo_image_surface_get_stride(src);
    uint8_t* out = cairo_image_surface_get_data(keyed);
    int outStride = cairo_image_surface_get_stride(keyed);
    ARGB lo = attributes->KeyLow(), hi = attributes->KeyHigh();
    auto inRange = [&](uint32_t v, int shift) {
      uint32_t c = (v >> shift) & 0xFF;
      return c >= ((lo >> shift) & 0xFF) && c <= ((hi >> shift) & 0xFF);
    };
    for (int yy = 0; yy < h; ++yy) {
      const uint32_t* a = reinterpret_cast<const uint32_t*>(in + yy * inStride);
      uint32_t* b = reinterpret_cast<uint32_t*>(out + yy * outStride);
      for (int xx = 0; xx < w; ++xx) {
        uint32_t px = a[xx];
        // The key compares unpremultiplied colours; keyed images are opaque bitmaps.
        uint32_t alpha = px >> 24;
        uint32_t plain = px;
        if (alpha && alpha < 255) {
          auto un = [&](int shift) {
            return ((((px >> shift) & 0xFF) * 255 + alpha / 2) / alpha) & 0xFF;
          };
          plain = (alpha << 24) | (un(16) << 16) | (un(8) << 8) | un(0);
        }
        b[xx] = (inRange(plain, 16) && inRange(plain, 8) && inRange(plain, 0)) ? 0 : px;
      }
    }
    cairo_surface_mark_dirty(keyed);
    src = keyed;
  }
  PaintImage(cr_, src, dest, sx, sy, sw, sh);
  if (keyed) cairo_surface_destroy(keyed);
  return Ok;
}
