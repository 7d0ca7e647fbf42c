// The body of the parser fuzz target, shared with the regression test that replays the
// inputs it found: the first two bytes give the wrapping width (0 = no wrapping), the rest
// is the markup in UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/Graphics.h"
#include "htmltext/HTMLRender.h"
#include "platform/kernel/Unicode.h"

inline void FuzzParserOnce(THTMLRender& render, const uint8_t* data, size_t size) {
  if (size < 2) return;
  const int width = data[0] | (data[1] << 8);
  const std::string markup(reinterpret_cast<const char*>(data + 2), size - 2);
  THTMLData* doc = render.Data();
  doc->SetDefaultFont(u"Verdana");
  doc->SetDefaultHeight(-13);
  render.PrepareText(kx::Utf8ToUtf16(markup), width, width != 0);
  // Exercise the readers of the laid-out document as well.
  (void)render.AsText();
  (void)doc->GenerateHTML();
  const TSize size2 = doc->TextSize();
  TBitmap bitmap(64, 32);
  render.DrawText(bitmap.Canvas(), Point(0, 0), Rect(0, 0, 63, 31), clNone);
  TUnicodeString href;
  render.IsCursorOverLink(Point(size2.cx / 2, size2.cy / 2), Point(0, 0), Rect(0, 0, 64, 32), href);
  WORD tab = VK_TAB;
  render.KeyDownTransfer(tab, 0);
  render.ClickTransfer(5, 5, Rect(0, 0, 64, 32));
}
