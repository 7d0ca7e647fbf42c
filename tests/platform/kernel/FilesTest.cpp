#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"

namespace fs = std::filesystem;

namespace {

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kx-files-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::u16string W(const std::string& rel) const { return kx::Utf8ToUtf16((dir_ / rel).string()); }
  void Touch(const std::string& rel, const std::string& text = "x") {
    std::ofstream(dir_ / rel) << text;
  }
  fs::path dir_;
};

std::u16string FoundName(const std::u16string& name) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(name.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return u"<none>";
  FindClose(h);
  return data.cFileName;
}

}  // namespace

TEST_F(Files, FindFirstFileReturnsStoredNameOfOneEntry) {
  fs::create_directories(dir_ / "Folder");
  Touch("Folder/Setup.EXE");
  EXPECT_EQ(FoundName(W("Folder")), u"Folder");
  EXPECT_EQ(FoundName(W("Folder/Setup.EXE")), u"Setup.EXE");
  EXPECT_EQ(FoundName(W("Folder/missing")), u"<none>");
  EXPECT_EQ(FoundName(W("Folder/")), u"<none>");  // an empty last segment names nothing
  EXPECT_EQ(FoundName(W("Fold*")), u"<none>");    // no wildcards
  EXPECT_EQ(FoundName(u"/"), u"<none>");
}

TEST_F(Files, FindFirstFileFindsLinksThemselves) {
  fs::create_directory_symlink(dir_ / "nowhere", dir_ / "dangling");
  EXPECT_EQ(FoundName(W("dangling")), u"dangling");
}

TEST_F(Files, AttributesFollowLinks) {
  fs::create_directories(dir_ / "d");
  Touch("f");
  fs::create_directory_symlink(dir_ / "d", dir_ / "linkdir");
  fs::create_symlink(dir_ / "f", dir_ / "linkfile");
  fs::create_symlink(dir_ / "gone", dir_ / "dangling");
  EXPECT_EQ(GetFileAttributesW(W("d").c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesW(W("f").c_str()), DWORD(FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesW(W("linkdir").c_str()),
            DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  EXPECT_FALSE(GetFileAttributesW(W("linkfile").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(W("dangling").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(W("missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, DeleteFileRemovesFilesOnly) {
  Touch("f");
  fs::create_directories(dir_ / "d");
  EXPECT_TRUE(DeleteFileW(W("f").c_str()));
  EXPECT_FALSE(fs::exists(dir_ / "f"));
  EXPECT_FALSE(DeleteFileW(W("f").c_str()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(DeleteFileW(W("d").c_str()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(fs::exists(dir_ / "d"));
}

TEST_F(Files, SmallWritesArriveInOrderAfterClose) {
  std::u16string name = W("out.bin");
  HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::string expected;
  char chunk[1025];
  for (int i = 0; i < 300; ++i) {  // 300 KiB in the getter's chunk size
    for (size_t k = 0; k < sizeof chunk; ++k)
      chunk[k] = char((i * 31 + int(k)) & 0xFF);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, chunk, sizeof chunk, &written, nullptr));
    EXPECT_EQ(written, sizeof chunk);
    expected.append(chunk, sizeof chunk);
  }
  EXPECT_TRUE(CloseHandle(h));
  std::ifstream in(dir_ / "out.bin", std::ios::binary);
  std::string actual((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(actual, expected);
}

TEST_F(Files, ReadBackThroughOneHandle) {
  std::u16string name = W("rw.txt");
  HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                         nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "hello", 5, &n, nullptr));
  EXPECT_EQ(GetFileSize(h, nullptr), 5u);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), 0u);
  char buf[16] = {};
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
  EXPECT_EQ(std::string(buf, n), "hello");
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
  EXPECT_EQ(n, 0u);
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(Files, CreationDispositions) {
  Touch("exists");
  std::u16string e = W("exists"), m = W("missing");
  EXPECT_EQ(CreateFileW(e.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
  EXPECT_EQ(CreateFileW(m.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  kx::UniqueHandle h(CreateFileW(e.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  EXPECT_TRUE(h);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(fs::file_size(dir_ / "exists"), 0u);
  DWORD n;
  EXPECT_FALSE(ReadFile(h.Get(), &n, 1, &n, nullptr));  // opened for writing only
  std::u16string d = kx::Utf8ToUtf16(dir_.string());
  EXPECT_EQ(CreateFileW(d.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
}

TEST_F(Files, BufferedWriteFailureIsReportedByClose) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  HANDLE h = CreateFileA("/dev/full", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  EXPECT_TRUE(WriteFile(h, "abc", 3, &n, nullptr));
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
}

TEST(Handles, InvalidHandlesAreRefused) {
  DWORD n;
  EXPECT_FALSE(WriteFile(nullptr, "x", 1, &n, nullptr));
  EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "x", 1, &n, nullptr));
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}
