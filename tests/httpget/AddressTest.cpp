// Address splitting, and the getter's stored properties.
#include <gtest/gtest.h>

#include <string>

#include "framework/Streaming.h"
#include "framework/TypInfo.h"
#include "httpget/HTTPGet.h"
#include "httpget/HTTPGetThread.h"
#include "httpget/Register.h"

namespace {

struct SplitCase {
  const char* name;
  const char* address;
  const char* host;
  const char* path;
  bool secure;
  INTERNET_PORT port;
};

class SplitAddressTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitAddressTest, GivesHostPathPortAndTls) {
  const SplitCase& c = GetParam();
  AnsiString host = "old", path = "old";
  bool secure = !c.secure;
  INTERNET_PORT port = 1;
  THTTPGetThread::SplitAddress(c.address, host, path, secure, port);
  EXPECT_EQ(host, c.host);
  EXPECT_EQ(path, c.path);
  EXPECT_EQ(secure, c.secure);
  EXPECT_EQ(port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, SplitAddressTest,
    ::testing::Values(
        SplitCase{"plain", "http://dl.example.com/files/setup.exe", "dl.example.com",
                  "/files/setup.exe", false, 80},
        SplitCase{"schemeInCapitals", "HTTP://DL.Example.com/Setup.EXE", "DL.Example.com",
                  "/Setup.EXE", false, 80},
        SplitCase{"mixedCaseTls", "HtTpS://Secure.example/x", "Secure.example", "/x", true, 443},
        SplitCase{"noScheme", "dl.example.com/a/b", "dl.example.com", "/a/b", false, 80},
        SplitCase{"httpsWithQuery", "https://shop.example/buy?id=7&lang=de", "shop.example",
                  "/buy?id=7&lang=de", true, 443},
        SplitCase{"hostAndPort", "http://127.0.0.1:8080/f", "127.0.0.1", "/f", false, 8080},
        SplitCase{"httpsHostAndPort", "https://h.example:8443/f?q", "h.example", "/f?q", true,
                  8443},
        SplitCase{"bracketedV6AndPort", "http://[::1]:8080/f", "[::1]", "/f", false, 8080},
        SplitCase{"bracketedV6", "http://[fe80::1]/f", "[fe80::1]", "/f", false, 80},
        SplitCase{"bareV6", "http://fe80::1/f", "fe80::1", "/f", false, 80},
        SplitCase{"emptyPort", "http://h.example:/f", "h.example", "/f", false, 80},
        SplitCase{"portNotDigits", "http://h.example:abc/f", "h.example:abc", "/f", false, 80},
        SplitCase{"portOutOfRange", "http://h.example:70000/f", "h.example:70000", "/f", false, 80},
        SplitCase{"bareHost", "http://dl.example.com", "dl.example.com", "/", false, 80},
        SplitCase{"bareHostWithPort", "http://dl.example.com:81", "dl.example.com", "/", false, 81},
        SplitCase{"queryWithoutPath", "http://h.example?a=/b", "h.example", "/?a=/b", false, 80},
        SplitCase{"slashInQueryKept", "http://h.example/p?u=/x/y", "h.example", "/p?u=/x/y", false,
                  80},
        SplitCase{"empty", "", "", "/", false, 80}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetterPropertiesTest, ConstructionSetsTheDocumentedValues) {
  THTTPGet g(nullptr);
  EXPECT_EQ(g.AcceptTypes(), "*/*");
  EXPECT_EQ(g.Agent(), "Kestrix HTTPGet");
  EXPECT_FALSE(g.BinaryData());
  EXPECT_EQ(g.URL(), "");
  EXPECT_FALSE(g.UseCache());
  EXPECT_EQ(g.FileName(), "");
  EXPECT_EQ(g.UserName(), "");
  EXPECT_EQ(g.Password(), "");
  EXPECT_EQ(g.PostQuery(), "");
  EXPECT_EQ(g.Referer(), "");
  EXPECT_FALSE(g.WaitThread());
  EXPECT_FALSE(g.Busy());
  EXPECT_FALSE(g.OnError());
  EXPECT_FALSE(g.OnProgress());
  EXPECT_FALSE(g.OnDoneFile());
  EXPECT_FALSE(g.OnDoneString());
}

TEST(GetterPropertiesTest, EveryPropertyIsRegisteredAndAlwaysStored) {
  RegisterHTTPGetClasses();
  const TClassInfo* cls = FindClass("THTTPGet");
  ASSERT_NE(cls, nullptr);
  EXPECT_TRUE(cls->CanCreate());
  THTTPGet g(nullptr);
  for (const char* name : {"AcceptTypes", "Agent", "BinaryData", "URL", "UseCache", "FileName",
                           "UserName", "Password", "PostQuery", "Referer", "WaitThread"}) {
    const TPropInfo* p = cls->FindProperty(name);
    ASSERT_NE(p, nullptr) << name;
    EXPECT_FALSE(p->HasDefault()) << name;
    EXPECT_TRUE(p->IsStored(&g)) << name;
  }
  for (const char* name : {"OnError", "OnProgress", "OnDoneFile", "OnDoneString"}) {
    const TPropInfo* p = cls->FindProperty(name);
    ASSERT_NE(p, nullptr) << name;
    EXPECT_EQ(p->Kind(), TPropKind::Event) << name;
  }
}

TEST(GetterPropertiesTest, LayoutDescriptionRoundTrip) {
  RegisterHTTPGetClasses();
  THTTPGet g(nullptr);
  const char* text =
      "object HTTPGetUpdate: THTTPGet\n"
      "  AcceptTypes = 'application/octet-stream'\n"
      "  Agent = 'Kestrix Updater'\n"
      "  BinaryData = True\n"
      "  URL = 'http://dl.example.com/parvel/setup.exe'\n"
      "  UseCache = False\n"
      "  FileName = ''\n"
      "  UserName = ''\n"
      "  Password = 'fixed'\n"
      "  PostQuery = ''\n"
      "  Referer = ''\n"
      "  WaitThread = True\n"
      "end\n";
  TLayoutError err;
  ASSERT_TRUE(ReadComponentText(text, &g, &err)) << err.line << ": " << err.message;
  EXPECT_EQ(g.Name(), "HTTPGetUpdate");
  EXPECT_EQ(g.AcceptTypes(), "application/octet-stream");
  EXPECT_EQ(g.Agent(), "Kestrix Updater");
  EXPECT_TRUE(g.BinaryData());
  EXPECT_EQ(g.URL(), "http://dl.example.com/parvel/setup.exe");
  EXPECT_EQ(g.Password(), "fixed");
  EXPECT_TRUE(g.WaitThread());

  std::string written = WriteComponentText(&g);
  // Empty and false values are written too.
  for (const char* line :
       {"FileName = ''", "UseCache = False", "PostQuery = ''", "Referer = ''", "UserName = ''"})
    EXPECT_NE(written.find(line), std::string::npos) << line << "\n" << written;
  THTTPGet back(nullptr);
  ASSERT_TRUE(ReadComponentText(written, &back, &err)) << err.message << "\n" << written;
  EXPECT_EQ(WriteComponentText(&back), written);
}

}  // namespace
