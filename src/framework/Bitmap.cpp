// TGraphic, TBitmap and TPicture.
#include <algorithm>

#include "framework/Graphics.h"

// ---------------------------------------------------------------------------------------
// TGraphic

void TGraphic::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  Changed();
}

void TGraphic::Changed() {
  FOnChange(this);
}

// ---------------------------------------------------------------------------------------
// TBitmap

// The canvas of a bitmap: a memory DC created on first use, with the bitmap selected.
class TBitmap::TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* owner) : FOwner(owner) {}
  ~TBitmapCanvas() override { FreeDC(); }

  // Selects the owner's current bitmap (or the DC's own default while it is empty).
  void Reselect() {
    if (!FDC) return;
    HBITMAP b = FOwner->FHandle;
    HGDIOBJ prev = SelectObject(FDC, b ? static_cast<HGDIOBJ>(b) : FDefault);
    if (!FDefault) FDefault = prev;
  }

  void FreeDC() {
    if (!FDC) return;
    HDC dc = FDC;
    SetHandle(nullptr);  // gives the DC its original font, brush and pen back
    if (FDefault) SelectObject(dc, FDefault);
    DeleteDC(dc);
    FDC = nullptr;
    FDefault = nullptr;
  }

 protected:
  void CreateHandle() override {
    FDC = CreateCompatibleDC(nullptr);
    FDefault = nullptr;
    if (FOwner->FHandle) FDefault = SelectObject(FDC, FOwner->FHandle);
    SetHandle(FDC);
  }

 private:
  TBitmap* FOwner;
  HDC FDC = nullptr;
  HGDIOBJ FDefault = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) {
  SetSize(width, height);
}

TBitmap::~TBitmap() {
  FCanvas.reset();
  FreeImage();
}

void TBitmap::FreeImage() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
  return FCanvas.get();
}

void TBitmap::SetSize(int w, int h) {
  w = std::max(0, w);
  h = std::max(0, h);
  if (w == FWidth && h == FHeight) return;
  HBITMAP next = nullptr;
  if (w > 0 && h > 0) {
    next = CreateBitmap32(w, h);
    if (!next) return;  // too large: the bitmap stays as it was
    if (FHandle) {
      HDC from = CreateCompatibleDC(nullptr);
      HDC to = CreateCompatibleDC(nullptr);
      HGDIOBJ o1 = SelectObject(from, FHandle);
      HGDIOBJ o2 = SelectObject(to, next);
      BitBlt(to, 0, 0, std::min(w, FWidth), std::min(h, FHeight), from, 0, 0, SRCCOPY);
      SelectObject(from, o1);
      SelectObject(to, o2);
      DeleteDC(from);
      DeleteDC(to);
    }
  }
  HBITMAP old = FHandle;
  FHandle = next;
  FWidth = next ? w : 0;
  FHeight = next ? h : 0;
  if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->Reselect();
  if (old) DeleteObject(old);
  Changed();
}

void TBitmap::SetHandle(HBITMAP bitmap) {
  if (bitmap == FHandle) return;
  HBITMAP old = FHandle;
  FHandle = bitmap;
  BITMAP bm;
  if (bitmap && GetObject(bitmap, sizeof bm, &bm)) {
    FWidth = bm.bmWidth;
    FHeight = bm.bmHeight;
  } else {
    FHandle = nullptr;
    FWidth = FHeight = 0;
  }
  if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->Reselect();
  if (old) DeleteObject(old);
  Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
  HBITMAP h = FHandle;
  FHandle = nullptr;
  FWidth = FHeight = 0;
  if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->Reselect();
  Changed();
  return h;
}

uint32_t* TBitmap::ScanLine(int y) {
  if (!FHandle || y < 0 || y >= FHeight) return nullptr;
  BITMAP bm;
  if (!GetObject(FHandle, sizeof bm, &bm)) return nullptr;
  return reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(bm.bmBits) +
                                     size_t(y) * size_t(bm.bmWidthBytes));
}

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor c) {
  if (c == FTransparentColor && FTransparentMode == tmFixed) return;
  FTransparentColor = c;
  FTransparentMode = c == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode m) {
  if (m == FTransparentMode) return;
  FTransparentMode = m;
  if (m == tmAuto) FTransparentColor = clDefault;
  Changed();
}

void TBitmap::Assign(const TPersistent* source) {
  if (!source) {
    if (FHandle) SetHandle(nullptr);
    return;
  }
  const auto* b = dynamic_cast<const TBitmap*>(source);
  if (!b) {
    TGraphic::Assign(source);
    return;
  }
  if (b == this) return;
  HBITMAP copy = nullptr;
  if (b->FHandle) {
    copy = CreateBitmap32(b->FWidth, b->FHeight);
    if (copy) {
      HDC from = CreateCompatibleDC(nullptr);
      HDC to = CreateCompatibleDC(nullptr);
      HGDIOBJ o1 = SelectObject(from, b->FHandle);
      HGDIOBJ o2 = SelectObject(to, copy);
      BitBlt(to, 0, 0, b->FWidth, b->FHeight, from, 0, 0, SRCCOPY);
      SelectObject(from, o1);
      SelectObject(to, o2);
      DeleteDC(from);
      DeleteDC(to);
    }
  }
  FTransparentColor = b->FTransparentColor;
  FTransparentMode = b->FTransparentMode;
  SetTransparent(b->Transparent());
  if (copy || FHandle) {
    SetHandle(copy);
  } else {
    Changed();
  }
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect) {
  if (!canvas || Empty()) return;
  HDC dst = canvas->Handle();
  HDC src = Canvas()->Handle();
  if (!dst || !src) return;
  int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (Transparent()) {
    TColor key = TransparentColor();
    TransparentBlt(dst, rect.left, rect.top, w, h, src, 0, 0, FWidth, FHeight, ColorToRGB(key));
  } else if (w == FWidth && h == FHeight) {
    BitBlt(dst, rect.left, rect.top, w, h, src, 0, 0, SRCCOPY);
  } else {
    StretchBlt(dst, rect.left, rect.top, w, h, src, 0, 0, FWidth, FHeight, SRCCOPY);
  }
}

bool TBitmap::LoadFromFile(const std::string& path) {
  HBITMAP b = kx::LoadPng(path);
  if (!b) return false;
  SetHandle(b);
  return true;
}

bool TBitmap::SaveToPngFile(const std::string& path) {
  return FHandle && kx::WritePng(FHandle, path);
}

// ---------------------------------------------------------------------------------------
// TPicture

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  FOnChange(this);
}

void TPicture::Adopt(std::unique_ptr<TGraphic> g) {
  FGraphic = std::move(g);
  if (FGraphic) {
    FGraphic->SetOnChange(TNotifyEvent([this](TObject*) { Changed(); }, this));
  }
  Changed();
}

void TPicture::SetGraphic(const TGraphic* g) {
  if (!g) {
    if (FGraphic) Adopt(nullptr);
    return;
  }
  if (g == FGraphic.get()) return;
  if (const auto* b = dynamic_cast<const TBitmap*>(g)) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(b);
    Adopt(std::move(copy));
  }
}

TBitmap* TPicture::Bitmap() {
  auto* b = dynamic_cast<TBitmap*>(FGraphic.get());
  if (!b) {
    Adopt(std::make_unique<TBitmap>());
    b = static_cast<TBitmap*>(FGraphic.get());
  }
  return b;
}

void TPicture::Assign(const TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (const auto* p = dynamic_cast<const TPicture*>(source)) {
    if (p != this) SetGraphic(p->Graphic());
  } else if (const auto* g = dynamic_cast<const TGraphic*>(source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(source);
  }
}

bool TPicture::LoadFromFile(const std::string& path) {
  auto b = std::make_unique<TBitmap>();
  if (!b->LoadFromFile(path)) return false;
  Adopt(std::move(b));
  return true;
}

bool TPicture::SaveToFile(const std::string& path) {
  return FGraphic && FGraphic->SaveToFile(path);
}
