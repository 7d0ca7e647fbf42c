#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/kernel/Kernel.h"
#include "wizard/WizardSettings.h"

namespace fs = std::filesystem;

namespace {

class Language : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = fs::temp_directory_path() / ("kx-wizard-locale-" + std::to_string(::getpid()));
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* old = std::getenv(v);
      saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
      ::unsetenv(v);
    }
    kx::SetLocaleFilesForTesting({file_.string()});
  }
  void TearDown() override {
    kx::ResetLocaleFilesForTesting();
    for (auto& [name, value] : saved_) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
    fs::remove(file_);
  }
  fs::path file_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace

TEST_F(Language, GermanForEveryGermanSublanguageOnly) {
  struct Case {
    const char* lang;  // nullptr: unset
    bool german;
  } cases[] = {
      {"de_DE.UTF-8", true},  {"de_AT.UTF-8", true}, {"de_CH.UTF-8", true}, {"en_US.UTF-8", false},
      {"fr_FR.UTF-8", false}, {"C", false},          {nullptr, false},
  };
  for (const Case& c : cases) {
    if (c.lang)
      ::setenv("LANG", c.lang, 1);
    else
      ::unsetenv("LANG");
    EXPECT_EQ(kx::wizard::IsGermanSystem(), c.german) << (c.lang ? c.lang : "<unset>");
  }
}

TEST_F(Language, SystemFileWinsOverTheProcessLocale) {
  std::ofstream(file_) << "LANG=en_US.UTF-8\n";
  ::setenv("LANG", "de_DE.UTF-8", 1);  // a German user interface on an English system
  EXPECT_FALSE(kx::wizard::IsGermanSystem());
  std::ofstream(file_) << "LANG=de_AT.UTF-8\n";
  ::setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_TRUE(kx::wizard::IsGermanSystem());  // and evaluated afresh
}

TEST(WizardTexts, HeadlinesAreComposedAroundTheProductName) {
  EXPECT_EQ(kx::wizard::Headline(true, u"Parvel"),
            u"Kostenlose Registrierung f\u00FCr die <br><b>Vollversion von <font "
            u"size=22>Parvel</b></font>");
  EXPECT_EQ(kx::wizard::Headline(false, u"Parvel"),
            u"Free registration for <br><b><font size=22>Parvel</font> (full version)</b>");
}

TEST(WizardTexts, EnglishReplacesEveryGermanText) {
  const auto& de = kx::wizard::Texts(true);
  const auto& en = kx::wizard::Texts(false);
  std::vector<std::pair<TUnicodeString, TUnicodeString>> pairs = {
      {de.caption, en.caption},
      {de.step1, en.step1},
      {de.link, en.link},
      {de.step2, en.step2},
      {de.customerId, en.customerId},
      {de.step3, en.step3},
      {de.button, en.button},
      {de.note, en.note},
      {de.failureTitle, en.failureTitle},
      {de.failureText, en.failureText},
  };
  for (auto& [g, e] : pairs) {
    EXPECT_FALSE(e.empty());
    EXPECT_NE(g, e);
  }
  EXPECT_EQ(en.caption, u"Register full version");
  EXPECT_EQ(de.link, u"Jetzt registrieren");
  EXPECT_EQ(en.failureText,
            u"Downloading full version failed!\r\n\r\nPlease check your customer ID and make sure "
            u"your firewall is not blocking internet access.");
  EXPECT_EQ(kx::wizard::kFailureFlags,
            UINT(MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL | MB_SETFOREGROUND));
}

TEST(WizardSettings, AddressesAndCredentials) {
  const std::string url = kx::wizard::kDownloadURL;
  EXPECT_EQ(url.rfind("http://", 0), 0u);
  EXPECT_EQ(url.substr(url.find('/', 7)), "/download/parvelVV.exe");
  const std::string password = kx::wizard::kPassword;
  EXPECT_EQ(password.size(), 12u);
  for (char c : password)
    EXPECT_TRUE(c >= 'a' && c <= 'z') << password;
  const TUnicodeString de = kx::wizard::SignUpBase(true), en = kx::wizard::SignUpBase(false);
  EXPECT_EQ(de.rfind(u"https://", 0), 0u);
  EXPECT_EQ(en.rfind(u"https://", 0), 0u);
  EXPECT_EQ(de.substr(de.size() - 16), u"/vollversion/?l=");
  EXPECT_EQ(en.substr(en.size() - 16), u"/fullversion/?l=");
  EXPECT_FALSE(TUnicodeString(kx::wizard::kSignUpCode).empty());
}
