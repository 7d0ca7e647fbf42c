// The wizard window, headless: its texts by system language, the download run against a
// scripted loopback server, the outcome by size, and the sign-up link.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "controls/FlatEdit.h"
#include "controls/FlatPanel.h"
#include "controls/HTMLLabel.h"
#include "framework/StdCtrls.h"
#include "httpget/HTTPGet.h"
#include "platform/display/Headless.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/User.h"
#include "support/FixtureServer.h"
#include "wizard/Form1.h"
#include "wizard/WizardSettings.h"

namespace fs = std::filesystem;
using namespace kx::test;

namespace {

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kx::headless::Start();
    kx::headless::ClearRecords();
    static int serial = 0;
    dir_ = fs::path("/tmp") /
           ("kestrix-wizard-test-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "tmp");
    setenv("TMPDIR", (dir_ / "tmp").c_str(), 1);
    SetSystemLanguage("en_US.UTF-8");
    TForm1::SetProgramEnd([this](int code) {
      ended_ = true;
      exitCode_ = code;
    });
  }
  void TearDown() override {
    Application->Reset();
    form_ = nullptr;
    TForm1::SetProgramEnd(nullptr);
    kx::ResetLocaleFilesForTesting();
    fs::remove_all(dir_);
  }

  void SetSystemLanguage(const std::string& locale) {
    std::ofstream(dir_ / "locale") << "LANG=" << locale << "\n";
    kx::SetLocaleFilesForTesting({(dir_ / "locale").string()});
  }

  TForm1* Create() {
    Application->CreateForm(form_);
    form_->Show();
    kx::headless::Tick(0);
    return form_;
  }

  // Points the getter at the fixture and types the customer number.
  void Prepare(const std::string& path, const std::string& customer) {
    form_->HTTPGetUpdate->SetURL(server_.Url(path));
    form_->HTTPGetUpdate->SetFileName((dir_ / "tmp" / "parvelVV.exe").string());
    form_->FlatEdit1->SetText(kx::Utf8ToUtf16(customer));
  }

  fs::path Target() const { return dir_ / "tmp" / "parvelVV.exe"; }

  fs::path dir_;
  FixtureServer server_;
  TForm1* form_ = nullptr;
  bool ended_ = false;
  int exitCode_ = -1;
};

struct LanguageCase {
  const char* locale;
  bool german;
};

class WizardLanguageTest : public WizardTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(WizardLanguageTest, EveryTextFollowsTheSystemLanguage) {
  SetSystemLanguage(GetParam().locale);
  TForm1* form = Create();
  const kx::wizard::TWizardTexts& texts = kx::wizard::Texts(GetParam().german);
  EXPECT_EQ(form->Caption(), texts.caption);
  EXPECT_EQ(form->HTMLLabel1->Caption(), kx::wizard::Headline(GetParam().german, u"Parvel"));
  EXPECT_EQ(form->HTMLLabel2->Caption(), texts.step1);
  EXPECT_EQ(form->HTMLLabel3->Caption(), texts.link);
  EXPECT_EQ(form->HTMLLabel4->Caption(), texts.step2);
  EXPECT_EQ(form->Label1->Caption(), texts.customerId);
  EXPECT_EQ(form->HTMLLabel6->Caption(), texts.step3);
  EXPECT_EQ(form->Button1->Caption(), texts.button);
  EXPECT_EQ(form->HTMLLabel5->Caption(), texts.note);
  EXPECT_EQ(form->HTTPGetUpdate->URL(), kx::wizard::kDownloadURL);
  EXPECT_EQ(form->HTTPGetUpdate->Password(), kx::wizard::kPassword);
  EXPECT_EQ(form->HTTPGetUpdate->FileName(), (dir_ / "tmp" / "parvelVV.exe").string());
}

INSTANTIATE_TEST_SUITE_P(Locales, WizardLanguageTest,
                         ::testing::Values(LanguageCase{"de_DE.UTF-8", true},
                                           LanguageCase{"de_AT.UTF-8", true},
                                           LanguageCase{"de_CH.UTF-8", true},
                                           LanguageCase{"en_US.UTF-8", false}),
                         [](const auto& info) {
                           std::string name = info.param.locale;
                           return name.substr(0, name.find('.'));
                         });

TEST_F(WizardTest, GermanHeadlineIsComposedNotTheStoredOne) {
  SetSystemLanguage("de_DE.UTF-8");
  TForm1* form = Create();
  EXPECT_EQ(form->HTMLLabel1->Caption(),
            u"Kostenlose Registrierung f\u00fcr die <br><b>Vollversion von <font size=22>Parvel"
            u"</b></font>");
}

TEST_F(WizardTest, FocusStartsInTheFieldAndTabGoesToTheButtonOnly) {
  TForm1* form = Create();
  EXPECT_TRUE(form->FlatEdit1->Focused());
  kx::headless::PressKey(VK_TAB);
  EXPECT_TRUE(form->Button1->Focused());
  kx::headless::PressKey(VK_TAB);
  EXPECT_TRUE(form->FlatEdit1->Focused());
}

struct SizeCase {
  size_t bytes;
  bool installer;
};

class WizardOutcomeTest : public WizardTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(WizardOutcomeTest, MoreThan2200BytesStartsTheInstallerElseTheFailureMessage) {
  server_.On("/download/parvelVV.exe", RequireBasic("4711", kx::wizard::kPassword,
                                                    ServeBody(std::string(GetParam().bytes, 'x'))));
  TForm1* form = Create();
  Prepare("/download/parvelVV.exe", "4711");
  bool overlayDuringDownload = false;
  form->HTTPGetUpdate->SetOnProgress(TOnProgressEvent(
      [&](TObject*, int32_t, int32_t) { overlayDuringDownload = form->FlatPanel2->Visible(); }));

  form->Button1Click(form->Button1);

  EXPECT_TRUE(overlayDuringDownload);
  EXPECT_FALSE(form->FlatPanel2->Visible());
  EXPECT_EQ(fs::file_size(Target()), GetParam().bytes);
  const auto& shell = kx::headless::ShellRequests();
  const auto& boxes = kx::headless::MessageBoxes();
  if (GetParam().installer) {
    EXPECT_TRUE(ended_);
    EXPECT_EQ(exitCode_, 0);
    ASSERT_EQ(shell.size(), 1u);
    EXPECT_EQ(shell[0].verb, "open");
    EXPECT_EQ(shell[0].file, Target().string());
    EXPECT_EQ(shell[0].show, SW_SHOW);
    EXPECT_TRUE(boxes.empty());
  } else {
    EXPECT_FALSE(ended_);
    EXPECT_TRUE(shell.empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u"Download failed");
    EXPECT_EQ(boxes[0].type, 0x11030u);
    EXPECT_EQ(form->FlatEdit1->Text(), u"4711");
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, WizardOutcomeTest,
                         ::testing::Values(SizeCase{2200, false}, SizeCase{2201, true},
                                           SizeCase{300000, true}, SizeCase{100, false}),
                         [](const auto& info) {
                           return std::to_string(info.param.bytes) + "Bytes";
                         });

TEST_F(WizardTest, FailedTransferShowsTheMessageOfTheSystemLanguage) {
  SetSystemLanguage("de_AT.UTF-8");
  TForm1* form = Create();
  Prepare("/nothing", "");
  form->HTTPGetUpdate->SetURL("http://127.0.0.1:1/download/parvelVV.exe");  // refused
  form->Button1Click(form->Button1);
  ASSERT_EQ(kx::headless::MessageBoxes().size(), 1u);
  const auto& box = kx::headless::MessageBoxes()[0];
  EXPECT_EQ(box.caption, u"Download fehlgeschlagen");
  EXPECT_EQ(box.text, kx::wizard::Texts(true).failureText);
  EXPECT_EQ(box.type, 0x11030u);
  EXPECT_FALSE(form->FlatPanel2->Visible());
  EXPECT_FALSE(ended_);
}

TEST_F(WizardTest, EmptyCustomerNumberStillDownloadsWithAnEmptyUserName) {
  server_.On("/download/parvelVV.exe", ServeBody("short"));
  TForm1* form = Create();
  Prepare("/download/parvelVV.exe", "");
  form->Button1Click(form->Button1);
  ASSERT_EQ(server_.RequestCount(), 1u);
  EXPECT_FALSE(server_.Requests()[0].HasHeader("Authorization"));
  EXPECT_EQ(kx::headless::MessageBoxes().size(), 1u);
}

TEST_F(WizardTest, NextClickDeletesThePreviousAttemptsFile) {
  server_.On("/download/parvelVV.exe", Serve([] {
               FixtureReply reply;
               reply.withLength = false;
               return reply;
             }()));
  TForm1* form = Create();
  Prepare("/download/parvelVV.exe", "1");
  std::ofstream(Target()) << "left over from the last attempt";
  form->Button1Click(form->Button1);
  // No length: the body is not read and no file is made, so the old one must be gone.
  EXPECT_FALSE(fs::exists(Target()));
  EXPECT_EQ(kx::headless::MessageBoxes().size(), 1u);
}

TEST_F(WizardTest, SecondActivationDuringADownloadStartsNothing) {
  int clicksInside = 0;
  TForm1* form = nullptr;
  server_.On("/download/parvelVV.exe", ServeBody(std::string(5000, 'y')));
  form = Create();
  Prepare("/download/parvelVV.exe", "7");
  form->HTTPGetUpdate->SetOnProgress(TOnProgressEvent([&](TObject*, int32_t, int32_t) {
    if (clicksInside++ == 0) form->Button1Click(form->Button1);  // as Space on the button would
  }));
  form->Button1Click(form->Button1);
  EXPECT_EQ(server_.RequestCount(), 1u);
  EXPECT_TRUE(ended_);
  EXPECT_EQ(kx::headless::ShellRequests().size(), 1u);
}

TEST_F(WizardTest, QuitPostedDuringADownloadIsConsumedByTheWait) {
  server_.On("/download/parvelVV.exe", ServeBody("tiny"));
  TForm1* form = Create();
  Prepare("/download/parvelVV.exe", "7");
  PostQuitMessage(0);
  form->Button1Click(form->Button1);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  EXPECT_FALSE(Application->Terminated());
}

TEST_F(WizardTest, SignUpLinkOpensThePageOfTheLanguageOfEachClick) {
  TForm1* form = Create();
  form->HTMLLabel3Click(form->HTMLLabel3);
  SetSystemLanguage("de_DE.UTF-8");
  form->HTMLLabel3Click(form->HTMLLabel3);
  const auto& shell = kx::headless::ShellRequests();
  ASSERT_EQ(shell.size(), 2u);
  EXPECT_EQ(shell[0].file,
            kx::Utf16ToUtf8(kx::wizard::SignUpBase(false) + kx::wizard::kSignUpCode));
  EXPECT_EQ(shell[1].file, kx::Utf16ToUtf8(kx::wizard::SignUpBase(true) + kx::wizard::kSignUpCode));
  EXPECT_EQ(shell[1].verb, "open");
  EXPECT_EQ(kx::Utf16ToUtf8(form->RegLink), shell[1].file);
}

TEST_F(WizardTest, WindowLooksAsDesigned) {
  TForm1* form = Create();
  (void)form;
  auto shot = kx::headless::Screenshot();
  const std::string artifacts = getenv("KX_TEST_ARTIFACTS") ? getenv("KX_TEST_ARTIFACTS") : ".";
  kx::headless::SavePng(artifacts + "/wizard-en.png");
  ASSERT_EQ(shot.width, 445);
  ASSERT_EQ(shot.height, 592);
  auto px = [&](int x, int y) { return shot.ColorAt(x, y); };
  EXPECT_EQ(px(2, 2), 0xCE7B00u) << "header band";  // BGR as a COLORREF
  EXPECT_EQ(px(2, 64), 0xCE7B00u);
  EXPECT_EQ(px(2, 70), 0xFFFFFFu) << "white body";
  EXPECT_EQ(px(2, 590), 0xD3F9FEu) << "bottom note";
  EXPECT_EQ(px(126, 320), 0xBB6F00u) << "field frame";
}

}  // namespace
