#include "controls/FlatFrame.h"

#include "framework/Graphics.h"
#include "platform/gdi/Gdi.h"

namespace {

void FillSpan(HDC dc, int left, int top, int right, int bottom, TColor color) {
  if (right <= left || bottom <= top) return;
  RECT rc{left, top, right, bottom};
  HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
}

// One edge in r: top and left lines in `a`, right and bottom lines in `z`. The top line
// leaves the last column to the right line and the left line the last row to the bottom
// line, so the bottom-right colour wins at the two far corners.
void DrawEdgeLines(HDC dc, const TRect& r, TColor a, TColor z, TBorderSides sides) {
  const bool left = HasSide(sides, ebsLeft), right = HasSide(sides, ebsRight);
  const bool top = HasSide(sides, ebsTop), bottom = HasSide(sides, ebsBottom);
  if (top) FillSpan(dc, r.left, r.top, r.right - (right ? 1 : 0), r.top + 1, a);
  if (left) FillSpan(dc, r.left, r.top, r.left + 1, r.bottom - (bottom ? 1 : 0), a);
  if (right) FillSpan(dc, r.right - 1, r.top, r.right, r.bottom, z);
  if (bottom) FillSpan(dc, r.left, r.bottom - 1, r.right, r.bottom, z);
}

void Shrink(TRect& r, TBorderSides sides) {
  if (HasSide(sides, ebsLeft)) ++r.left;
  if (HasSide(sides, ebsTop)) ++r.top;
  if (HasSide(sides, ebsRight)) --r.right;
  if (HasSide(sides, ebsBottom)) --r.bottom;
}

enum class Edge { None, Raised, Sunken };

struct EdgePair {
  Edge outer;
  Edge inner;
};

EdgePair EdgesOf(TFlatBorderType type) {
  switch (type) {
    case fbtSunken:
      return {Edge::Sunken, Edge::Sunken};
    case fbtSunkenInner:
      return {Edge::None, Edge::Sunken};
    case fbtSunkenOuter:
      return {Edge::Sunken, Edge::None};
    case fbtRaised:
      return {Edge::Raised, Edge::Raised};
    case fbtRaisedInner:
      return {Edge::None, Edge::Raised};
    case fbtRaisedOuter:
      return {Edge::Raised, Edge::None};
    case fbtBump:
    case fbtBigBump:
    case fbtFramed:
      return {Edge::Raised, Edge::Sunken};
    case fbtEtched:
      return {Edge::Sunken, Edge::Raised};
    default:
      return {Edge::None, Edge::None};
  }
}

// Draws a one-pixel ring on the drawn sides of r in one colour.
void Ring(HDC dc, const TRect& r, TColor c, TBorderSides sides) {
  DrawEdgeLines(dc, r, c, c, sides);
}

}  // namespace

TRect DrawFlatFrame(HDC dc, TRect r, TColor lineColor, TColor bkColor, bool active, bool enabled,
                    TBorderSides sides, TFlatBorderType type, const TFlatFrameColors& colors) {
  if (!dc || r.right <= r.left || r.bottom <= r.top) return r;
  // A disabled frame draws its line styles in the shadow colour.
  const TColor line = enabled ? lineColor : colors.Shadow;
  switch (type) {
    case fbtNone:
      // No frame: the band shows the background, like the client area.
      Ring(dc, r, bkColor, sides);
      Shrink(r, sides);
      Ring(dc, r, bkColor, sides);
      Shrink(r, sides);
      return r;
    case fbtFlat:
    case fbtLine:
      Ring(dc, r, line, sides);
      Shrink(r, sides);
      Ring(dc, r, type == fbtFlat ? colors.Face : bkColor, sides);
      Shrink(r, sides);
      return r;
    case fbtLineBorder:
    case fbtColorLineBorder: {
      // The active state thickens the line to both pixels of the band.
      Ring(dc, r, line, sides);
      Shrink(r, sides);
      const TColor innerColor = active ? line : (type == fbtLineBorder ? colors.Window : bkColor);
      Ring(dc, r, innerColor, sides);
      Shrink(r, sides);
      return r;
    }
    default:
      break;
  }
  const EdgePair edges = EdgesOf(type);
  TRect e = r;
  if (edges.outer == Edge::Sunken) DrawEdgeLines(dc, e, colors.Shadow, colors.Highlight, sides);
  if (edges.outer == Edge::Raised) DrawEdgeLines(dc, e, colors.Face, colors.DkShadow, sides);
  if (edges.outer != Edge::None) Shrink(e, sides);
  if (edges.inner == Edge::Sunken) DrawEdgeLines(dc, e, colors.DkShadow, colors.Face, sides);
  if (edges.inner == Edge::Raised) DrawEdgeLines(dc, e, colors.Highlight, colors.Shadow, sides);
  if (edges.inner != Edge::None) Shrink(e, sides);

  if (type == fbtSunkenOuter) {
    const int L = e.left, T = e.top, R = e.right, B = e.bottom;
    if (HasSide(sides, ebsLeft)) FillSpan(dc, L, T, L + 1, B - 1, colors.Face);
    if (HasSide(sides, ebsTop)) FillSpan(dc, L, T, R - 1, T + 1, colors.Face);
    if (HasSide(sides, ebsRight)) FillSpan(dc, R - 1, T, R, B, colors.Face);
    if (HasSide(sides, ebsBottom)) FillSpan(dc, L, B - 1, R, B, colors.Face);
    if (HasSide(sides, ebsRight)) FillSpan(dc, R, T - 1, R + 1, B + 1, colors.Window);
    if (HasSide(sides, ebsBottom)) FillSpan(dc, L - 1, B, R + 1, B + 1, colors.Window);
  }
  return e;
}
