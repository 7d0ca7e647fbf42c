#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"
#include "wizard/TempDir.h"
#include "wizard/WizardSettings.h"

namespace fs = std::filesystem;
using kx::Utf16ToUtf8;
using kx::Utf8ToUtf16;

namespace {

// A scratch tree, TMPDIR saved and restored, and the current directory at the tree.
class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = fs::temp_directory_path() /
            ("kx-tempdir-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(base_ / "Temp");
    std::ofstream(base_ / "file.txt") << "x";
    const char* old = std::getenv("TMPDIR");
    if (old) saved_ = old;
    oldCwd_ = fs::current_path();
    fs::current_path(base_);
  }
  void TearDown() override {
    fs::current_path(oldCwd_);
    if (saved_)
      ::setenv("TMPDIR", saved_->c_str(), 1);
    else
      ::unsetenv("TMPDIR");
    fs::remove_all(base_);
  }
  std::string B(const std::string& rel = "") const { return (base_ / rel).string(); }

  fs::path base_, oldCwd_;
  std::optional<std::string> saved_;
};

}  // namespace

TEST_F(TempDir, ResolvesTheVariableToAnExistingFolder) {
  fs::create_directory_symlink(base_ / "Temp", base_ / "link");
  struct Case {
    std::optional<std::string> value;  // nullopt: unset
    std::string expected;
  } cases[] = {
      {B("Temp"), B("Temp") + "/"},
      {B("Temp") + "/", B("Temp") + "/"},             // one trailing separator
      {"  \t" + B("Temp") + " \n", B("Temp") + "/"},  // blanks and controls trimmed
      {"Temp", B("Temp") + "/"},                      // relative to the current folder
      {"./x/../Temp/.", B("Temp") + "/"},             // "." and ".." resolved
      {B("link"), B("link") + "/"},                   // a link to a folder counts, unresolved
      {B("Temp/missing/deeper"), "/tmp/"},            // missing tail
      {B("file.txt"), "/tmp/"},                       // a file, not a folder
      {"", "/tmp/"},                                  // set but empty
      {std::nullopt, "/tmp/"},                        // unset: "%TMPDIR%" names nothing
  };
  for (const Case& c : cases) {
    if (c.value)
      ::setenv("TMPDIR", c.value->c_str(), 1);
    else
      ::unsetenv("TMPDIR");
    EXPECT_EQ(Utf16ToUtf8(kx::wizard::GetTempDir()), c.expected)
        << (c.value ? *c.value : "<unset>");
  }
}

TEST_F(TempDir, ValueLongerThanTheClassicBufferIsUsedWhole) {
  fs::path deep = base_;
  for (int i = 0; i < 3; ++i)
    deep /= std::string(100, char('a' + i));
  fs::create_directories(deep);
  ASSERT_GT(deep.string().size(), 260u);
  ::setenv("TMPDIR", deep.c_str(), 1);
  EXPECT_EQ(Utf16ToUtf8(kx::wizard::GetTempDir()), deep.string() + "/");
}

TEST_F(TempDir, ExpandLongPathKeepsTheRestFromTheFirstMissingComponent) {
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {B("Temp"), B("Temp")},
      {B("Temp/"), B("Temp/")},
      {B("Temp/Missing/Sub/"), B("Temp/Missing/Sub/")},
      {"//host/share/x", "//host/share/x"},  // an empty component ends the search
  };
  for (const Case& c : cases) {
    TUnicodeString result;
    kx::wizard::ExpandLongPath(Utf8ToUtf16(c.in), result);
    EXPECT_EQ(Utf16ToUtf8(result), c.out) << c.in;
  }
}

TEST(TargetPath, LastSegmentOfTheAddressInTheAnsiCodePage) {
  struct Case {
    const char16_t* dir;
    const char* url;
    const char* target;
  } cases[] = {
      {u"/tmp/", "http://download.example.com/download/parvelVV.exe", "/tmp/parvelVV.exe"},
      {u"/tmp/", "http://download.example.com/download/", "/tmp/"},  // ends with "/"
      {u"/tmp/", "noslash.exe", "/tmp/noslash.exe"},
      {u"/home/j\u00F6rg/", "http://h/a.exe", "/home/j\xC3\xB6rg/a.exe"},
  };
  kx::SetAnsiCodePageForTesting("UTF-8");
  for (const Case& c : cases)
    EXPECT_EQ(kx::wizard::TargetPath(c.dir, c.url), c.target) << c.url;
  kx::SetAnsiCodePageForTesting("ISO-8859-1");
  EXPECT_EQ(kx::wizard::TargetPath(u"/tmp/\u20AC\u00F6/", "http://h/a.exe"), "/tmp/?\xF6/a.exe");
  kx::SetAnsiCodePageForTesting("");
}
