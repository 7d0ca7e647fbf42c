// The bridge between GDI handles and cairo, for the window system (platform/user,
// platform/display) and the 2-D drawing layer (marquee/). Nothing else includes it.
#pragma once

#include <cairo.h>

#include "platform/gdi/Gdi.h"

namespace kx {

// A DC drawing on `surface` (an ARGB32 or RGB24 image surface, referenced for the DC's
// life). Device point (0, 0) is `origin` in surface pixels; `clip` is the system clip in
// device units (e.g. a window's visible client area), which SelectClipRgn can only narrow.
// Free it with DeleteDC.
HDC CreateSurfaceDC(cairo_surface_t* surface, POINT origin, RECT clip);
// Replaces the system clip of a surface DC with a region (device units; copied). nullptr
// restores the rectangle given at creation.
void SetSurfaceDCClip(HDC hdc, const cairo_region_t* clip);

// A bitmap over an existing image surface (referenced, not copied).
HBITMAP CreateBitmapForSurface(cairo_surface_t* surface);
// The image surface of a bitmap (borrowed; valid while the bitmap lives).
cairo_surface_t* BitmapSurface(HBITMAP bitmap);

// The surface a DC draws on (the selected bitmap's, or the window surface); borrowed.
cairo_surface_t* DCSurface(HDC hdc);
// Where device point (0, 0) of the DC lies on its surface.
POINT DCOrigin(HDC hdc);
// The effective clip (system clip ∩ clip region, limited to the surface) in device units.
// The caller destroys it with cairo_region_destroy.
cairo_region_t* DCClipRegion(HDC hdc);
// A cairo context on the DC's surface whose user space is the DC's logical coordinates
// (origin, window/viewport mapping) and whose clip is the DC's effective clip. The caller
// destroys it with cairo_destroy. Drawing through it is seen by later GDI calls.
// nullptr for an invalid DC.
cairo_t* CreateDCContext(HDC hdc);

}  // namespace kx
