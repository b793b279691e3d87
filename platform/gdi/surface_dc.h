// What the window system needs of the drawing layer: DCs on a window's backing store, the cairo
// surfaces behind DCs and bitmaps, and the rectangles behind regions.
#pragma once

#include <cairo.h>

#include "platform/win_gdi.h"

// A DC drawing into a backing store (a CAIRO_FORMAT_ARGB32 image surface, referenced by the DC).
// origin: where the window's client (0, 0) lies in surface pixels. clip: what the DC may touch,
// in surface coordinates, copied; null means the whole surface. Release it with DeleteDC or
// ReleaseSurfaceDC. Returns null when the surface is not a usable ARGB32 image surface.
HDC CreateSurfaceDC(cairo_surface_t* target, POINT origin, const cairo_region_t* clip);
BOOL ReleaseSurfaceDC(HDC hdc);

// Points a surface DC at a new backing store, origin and clip (after a move, resize or a new
// update region) and keeps everything else: selected objects, colours, modes and its own clip.
BOOL SetSurfaceDCTarget(HDC hdc, cairo_surface_t* target, POINT origin, const cairo_region_t* clip);

// The window a surface DC belongs to, for the window system's own bookkeeping (WindowFromDC).
BOOL SetWindowOfDC(HDC hdc, HWND hwnd);
HWND WindowOfDC(HDC hdc);

// The screen size every DC reports through GetDeviceCaps (HORZRES, VERTRES); 1920x1080 until set.
void SetScreenSizeOfDCs(int width, int height);

// True for a live surface DC (not a memory DC).
bool IsSurfaceDC(HDC hdc);

// The surface a DC draws into: the backing store of a surface DC or the selected bitmap of a
// memory DC. Borrowed: valid while the DC keeps it (take a reference to keep it longer). Null
// for a stale handle. Pending drawing is flushed, so the pixels are current.
cairo_surface_t* SurfaceOfDC(HDC hdc);
// Where the DC's logical (0, 0) lies on that surface (surface DC origin plus viewport origin).
POINT OriginOfDC(HDC hdc);
// The bitmap's pixels as an ARGB32 image surface (rows top-down in memory only for top-down
// DIBs and every bitmap not made by CreateDIBSection). Borrowed, flushed; null for a stale handle.
cairo_surface_t* SurfaceOfBitmap(HBITMAP hbm);
// True when the bitmap's rows lie bottom-up in memory (a DIB section with a positive height).
bool IsBottomUpBitmap(HBITMAP hbm);
// A bitmap drawing into (and referencing) an existing ARGB32 image surface, rows top-down; for
// code that renders with cairo and hands the result out as a bitmap. Null when unusable.
HBITMAP CreateBitmapOnSurface(cairo_surface_t* surface);

// A region's rectangles. Borrowed: valid until the region is changed or deleted. Null for a
// stale handle.
const cairo_region_t* RegionRects(HRGN hrgn);
// A new region holding a copy of the rectangles (null rects: an empty region).
HRGN CreateRegionFromRects(const cairo_region_t* rects);
// Replaces a region's rectangles with a copy of rects. FALSE for a stale handle.
BOOL SetRegionRects(HRGN hrgn, const cairo_region_t* rects);
