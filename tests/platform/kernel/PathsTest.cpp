#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"

namespace {
std::u16string U(const char* s) {
  return kx::Utf8ToUtf16(s);
}
std::string A(const std::u16string& s) {
  return kx::Utf16ToUtf8(s);
}
}  // namespace

TEST(ExpandEnvironmentStrings, WindowsReferenceRules) {
  ::setenv("KX_A", "alpha", 1);
  ::setenv("KX_EMPTY", "", 1);
  ::unsetenv("KX_UNSET");
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"%KX_A%", "alpha"},
      {"x%KX_A%y", "xalphay"},
      {"%KX_A%%KX_A%", "alphaalpha"},
      {"%KX_UNSET%", "%KX_UNSET%"},
      {"%KX_UNSET%%KX_A%", "%KX_UNSET%alpha"},
      {"%KX_EMPTY%|", "|"},
      {"100%", "100%"},
      {"%%", "%%"},
      {"a%KX_A", "a%KX_A"},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(A(kx::ExpandEnvironmentStrings(U(c.in))), c.out) << c.in;
}

TEST(ExpandEnvironmentStrings, BufferSizeIsReportedWithNul) {
  ::setenv("KX_A", "alpha", 1);
  std::u16string src = U("[%KX_A%]");
  WCHAR buf[4];
  EXPECT_EQ(ExpandEnvironmentStringsW(src.c_str(), buf, 4), 8u);
  EXPECT_EQ(buf[3], 0);
  WCHAR big[16];
  EXPECT_EQ(ExpandEnvironmentStringsW(src.c_str(), big, 16), 8u);
  EXPECT_EQ(std::u16string(big), U("[alpha]"));
}

TEST(GetFullPathName, AbsoluteAndLexicallyNormalised) {
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  std::string here = cwd;
  if (here != "/") here += "/";
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"/tmp", "/tmp"},   {"/tmp/", "/tmp/"},          {"/tmp/./x", "/tmp/x"},
      {"/tmp/.", "/tmp"}, {"/tmp/a/../b", "/tmp/b"},   {"/tmp/a/..", "/tmp"},
      {"/../..", "/"},    {"/tmp//x///y", "/tmp/x/y"}, {"//server/share", "//server/share"},
      {"///tmp", "/tmp"}, {"rel/x", here + "rel/x"},   {".", cwd},
  };
  for (const Case& c : cases)
    EXPECT_EQ(A(kx::FullPathName(U(c.in.c_str()))), c.out) << c.in;
}

TEST(GetFullPathName, BufferAndFilePart) {
  std::u16string name = U("/tmp/a/../file.txt");
  WCHAR small[4];
  EXPECT_EQ(GetFullPathNameW(name.c_str(), 4, small, nullptr), 14u);  // "/tmp/file.txt" + NUL
  WCHAR buf[64];
  LPWSTR part = nullptr;
  EXPECT_EQ(GetFullPathNameW(name.c_str(), 64, buf, &part), 13u);
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(std::u16string(part), U("file.txt"));
  EXPECT_EQ(GetFullPathNameW(u"", 64, buf, nullptr), 0u);
}
