// Linked into every test program: the pinned test fonts and the folder for test pictures,
// set before anything reads them (fontconfig starts lazily, at the first font).
#include <cstdlib>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    setenv("FONTCONFIG_FILE", KX_TEST_FONTCONFIG_FILE, 1);
    setenv("KX_TEST_ARTIFACTS", KX_TEST_ARTIFACTS_DIR, 0);
  }
} const testEnvironment;

}  // namespace
