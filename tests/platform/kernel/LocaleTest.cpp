#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/kernel/Kernel.h"

namespace {

// Points the lookup at files of the test's own and clears the process locale.
class SystemLanguage : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("kx-locale-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* old = std::getenv(v);
      saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
      ::unsetenv(v);
    }
    kx::SetLocaleFilesForTesting({File("locale.conf"), File("default-locale")});
  }
  void TearDown() override {
    kx::ResetLocaleFilesForTesting();
    for (auto& [name, value] : saved_) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
    std::filesystem::remove_all(dir_);
  }
  std::string File(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(File(name)) << text;
  }

  std::filesystem::path dir_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

bool IsGerman(LANGID id) {
  return (id & 0x3FF) == 7;
}

}  // namespace

TEST(LangIdFromLocaleName, MapsLanguageAndTerritory) {
  struct Case {
    const char* locale;
    LANGID id;
  } cases[] = {
      {"de_DE.UTF-8", 0x0407}, {"de_CH.UTF-8", 0x0807}, {"de_AT", 0x0C07},
      {"de_LU", 0x1007},       {"de_LI", 0x1407},       {"de", 0x0407},
      {"de_DE@euro", 0x0407},  {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809},
      {"fr_FR.UTF-8", 0x040C}, {"fr_CA", 0x0C0C},       {"C", 0x0409},
      {"C.UTF-8", 0x0409},     {"POSIX", 0x0409},       {"xx_YY", 0x0409},
      {"DE_de", 0x0407},
  };
  for (const Case& c : cases)
    EXPECT_EQ(kx::LangIdFromLocaleName(c.locale), c.id) << c.locale;
}

TEST_F(SystemLanguage, GermanOnlyForGermanPrimaryLanguage) {
  struct Case {
    const char* lang;
    bool german;
  } cases[] = {
      {"de_DE.UTF-8", true},  {"de_AT.UTF-8", true},  {"de_CH.UTF-8", true},
      {"en_US.UTF-8", false}, {"fr_FR.UTF-8", false}, {"C", false},
  };
  for (const Case& c : cases) {
    ::setenv("LANG", c.lang, 1);
    EXPECT_EQ(IsGerman(GetSystemDefaultLangID()), c.german) << c.lang;
  }
}

TEST_F(SystemLanguage, NothingSetIsEnglish) {
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
}

TEST_F(SystemLanguage, SystemFileWinsOverProcessLocale) {
  Write("locale.conf", "# system locale\nLANG=\"de_AT.UTF-8\"\n");
  ::setenv("LC_ALL", "en_US.UTF-8", 1);
  ::setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0C07);
}

TEST_F(SystemLanguage, FilesAreReadInOrder) {
  Write("default-locale", "LANG=de_CH.UTF-8\n");
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0807);
  Write("locale.conf", "LC_TIME=de_DE.UTF-8\nexport LANG='en_GB.UTF-8'\n");
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0809);
}

TEST_F(SystemLanguage, FileWithoutLangFallsBackToProcessLocale) {
  Write("locale.conf", "LC_MESSAGES=de_DE.UTF-8\nLANG=\n");
  ::setenv("LANG", "fr_FR.UTF-8", 1);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x040C);
}

TEST_F(SystemLanguage, ProcessLocaleOrder) {
  ::setenv("LANG", "fr_FR.UTF-8", 1);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x040C);
  ::setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0407);
  ::setenv("LC_ALL", "en_US.UTF-8", 1);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
}

TEST_F(SystemLanguage, EvaluatedAfreshOnEachCall) {
  ::setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_TRUE(IsGerman(GetSystemDefaultLangID()));
  ::setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_FALSE(IsGerman(GetSystemDefaultLangID()));
}
