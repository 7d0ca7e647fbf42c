// libFuzzer target: the layout reader on arbitrary text, then the writer and a second read
// of what it wrote, which must succeed.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "TestClasses.h"
#include "framework/Streaming.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  TTestRoot root(nullptr);
  TLayoutError err;
  if (!ReadComponentText(text, &root, &err)) {
    if (root.ComponentCount() != 0) std::abort();  // a failed read leaves nothing behind
    return 0;
  }
  const std::string written = WriteComponentText(&root);
  TTestRoot again(nullptr);
  if (!ReadComponentText(written, &again, &err)) std::abort();
  if (WriteComponentText(&again) != written) std::abort();
  return 0;
}
