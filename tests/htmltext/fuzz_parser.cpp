// libFuzzer target for the markup parser (markup + wrapping width), with layout, drawing
// and the readers of the result. Built with -DKX_FUZZ=ON and clang.
#include <cstddef>
#include <cstdint>

#include "FuzzParserBody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static THTMLRender* render = new THTMLRender();  // one engine, as a label keeps one
  FuzzParserOnce(*render, data, size);
  return 0;
}
