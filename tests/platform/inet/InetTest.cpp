// The HTTP client against the scripted loopback server: what goes on the wire, what the
// length query and the reads report, and how transfers fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/inet/WinInet.h"
#include "support/FixtureServer.h"

using namespace kx::test;

namespace {

const char16_t kFormHeader[] = u"Content-Type: application/x-www-form-urlencoded";

struct Options {
  std::string agent = "Kestrix HTTPGet";
  std::string host = "127.0.0.1";
  INTERNET_PORT port = 0;
  std::string user, password;
  std::string verb = "GET";
  std::string path = "/";
  std::string referrer;
  std::string accept = "*/*";
  DWORD flags = INTERNET_FLAG_RELOAD;
  std::string post;
  DWORD readSize = 1025;
};

struct Outcome {
  bool opened = false;
  bool sent = false;
  bool hasLength = false;
  DWORD length = 0;
  DWORD status = 0;
  bool readOk = false;  // the last read: true means a clean end of the body
  std::string body;
  DWORD largestRead = 0;
};

Outcome Fetch(const Options& o) {
  Outcome out;
  HINTERNET net = InternetOpenA(o.agent.empty() ? nullptr : o.agent.c_str(),
                                INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET conn = InternetConnectA(net, o.host.c_str(), o.port, o.user.c_str(), o.password.c_str(),
                                    INTERNET_SERVICE_HTTP, 0, 0);
  const char* accept[] = {o.accept.c_str(), nullptr};
  HINTERNET req = HttpOpenRequestA(conn, o.verb.c_str(), o.path.c_str(), "HTTP/1.0",
                                   o.referrer.c_str(), accept, o.flags, 0);
  out.opened = req != nullptr;
  if (o.post.empty())
    out.sent = HttpSendRequestW(req, nullptr, 0, nullptr, 0);
  else
    out.sent = HttpSendRequestW(req, kFormHeader, 47, const_cast<char*>(o.post.data()),
                                DWORD(o.post.size()));
  DWORD size = sizeof(DWORD);
  out.hasLength = HttpQueryInfoW(req, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                                 &out.length, &size, nullptr);
  size = sizeof(DWORD);
  HttpQueryInfoW(req, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &out.status, &size, nullptr);
  std::string buf(o.readSize, '\0');
  for (;;) {
    DWORD n = 0;
    out.readOk = InternetReadFile(req, buf.data(), o.readSize, &n);
    if (!out.readOk || n == 0) break;
    EXPECT_LE(n, o.readSize);
    out.largestRead = std::max(out.largestRead, n);
    out.body.append(buf.data(), n);
  }
  if (req) InternetCloseHandle(req);
  if (conn) InternetCloseHandle(conn);
  if (net) InternetCloseHandle(net);
  return out;
}

class InetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProxyEnvironment();
    ASSERT_TRUE(server.Ok());
    kx::SetInetTimeoutsForTesting(5000, 1000);
    options.port = INTERNET_PORT(server.Port());
  }
  void TearDown() override { kx::SetInetTimeoutsForTesting(0, 0); }

  FixtureRequest OnlyRequest() {
    auto r = server.Requests();
    EXPECT_EQ(r.size(), 1u);
    return r.empty() ? FixtureRequest{} : r[0];
  }

  FixtureServer server;
  Options options;
};

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i)
    s[i] = char((i * 7 + i / 251) & 0xFF);
  return s;
}

TEST_F(InetTest, GetRequestCarriesMethodPathVersionAndHeaders) {
  server.On("/dir/file.exe", ServeBody("abc"));
  options.path = "/dir/file.exe?a=1&b=two";
  options.referrer = "http://ref.example/page";
  options.accept = "application/octet-stream";
  Outcome o = Fetch(options);
  EXPECT_TRUE(o.sent);
  EXPECT_EQ(o.body, "abc");
  FixtureRequest r = OnlyRequest();
  EXPECT_EQ(r.requestLine, "GET /dir/file.exe?a=1&b=two HTTP/1.0");
  EXPECT_EQ(r.Header("User-Agent"), "Kestrix HTTPGet");
  EXPECT_EQ(r.Header("Referer"), "http://ref.example/page");
  EXPECT_EQ(r.HeaderCount("Accept"), 1);
  EXPECT_EQ(r.Header("Accept"), "application/octet-stream");
  EXPECT_EQ(r.Header("Pragma"), "no-cache");
  EXPECT_EQ(r.Header("Host"), server.Authority());
  EXPECT_FALSE(r.HasHeader("Authorization"));
  EXPECT_TRUE(r.body.empty());
}

TEST_F(InetTest, EmptyAgentAndReferrerAreNotSentAndCacheFlagDropsPragma) {
  server.On("/", ServeBody("x"));
  options.agent.clear();
  options.flags = 0;
  Fetch(options);
  FixtureRequest r = OnlyRequest();
  EXPECT_FALSE(r.HasHeader("User-Agent"));
  EXPECT_FALSE(r.HasHeader("Referer"));
  EXPECT_FALSE(r.HasHeader("Pragma"));
  EXPECT_EQ(r.Header("Accept"), "*/*");
}

TEST_F(InetTest, PostSendsTheFormHeaderOnceAndTheBodyBytes) {
  server.On("/form", ServeBody("done"));
  options.verb = "POST";
  options.path = "/form";
  options.post = std::string("a=1&b=2\0c", 9);
  Outcome o = Fetch(options);
  EXPECT_EQ(o.body, "done");
  FixtureRequest r = OnlyRequest();
  EXPECT_EQ(r.requestLine, "POST /form HTTP/1.0");
  EXPECT_EQ(r.HeaderCount("Content-Type"), 1);
  EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(r.Header("Content-Length"), "9");
  EXPECT_EQ(r.body, options.post);
}

TEST_F(InetTest, ReadsReturnAtMostTheBytesAskedForAndTrueWithZeroAtTheEnd) {
  const std::string body = Pattern(100000);
  server.On("/big", ServeBody(body));
  options.path = "/big";
  options.readSize = 1025;
  Outcome o = Fetch(options);
  EXPECT_TRUE(o.hasLength);
  EXPECT_EQ(o.length, body.size());
  EXPECT_TRUE(o.readOk);
  EXPECT_EQ(o.largestRead, 1025u);
  EXPECT_EQ(o.body, body);
}

TEST_F(InetTest, ReadReturnsWhatHasArrivedWithoutWaitingToFillTheBuffer) {
  FixtureReply reply;
  reply.body = "0123456789";
  reply.trickleBytes = 2;
  reply.trickleDelayMs = 30;
  server.On("/slow", Serve(reply));
  options.path = "/slow";
  options.readSize = 1025;
  Outcome o = Fetch(options);
  EXPECT_TRUE(o.readOk);
  EXPECT_EQ(o.body, reply.body);
  EXPECT_LT(o.largestRead, 10u);
}

TEST_F(InetTest, ZeroLengthBodyEndsCleanly) {
  server.On("/empty", ServeBody(""));
  options.path = "/empty";
  Outcome o = Fetch(options);
  EXPECT_TRUE(o.hasLength);
  EXPECT_EQ(o.length, 0u);
  EXPECT_TRUE(o.readOk);
  EXPECT_EQ(o.body, "");
}

struct LengthCase {
  const char* name;
  const char* header;  // nullptr: no Content-Length at all
  bool hasLength;
  DWORD length;
};

class ContentLengthTest : public InetTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(ContentLengthTest, QueryReportsOnlyLengthsThatFit32Bits) {
  const LengthCase& c = GetParam();
  FixtureReply reply;
  reply.withLength = false;
  reply.body = "abc";
  if (c.header) reply.headers.emplace_back("Content-Length", c.header);
  // A length that does not match the body also makes the read fail; only the query counts.
  server.On("/", Serve(reply));
  Outcome o = Fetch(options);
  EXPECT_EQ(o.hasLength, c.hasLength);
  if (c.hasLength) {
    EXPECT_EQ(o.length, c.length);
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, ContentLengthTest,
                         ::testing::Values(LengthCase{"absent", nullptr, false, 0},
                                           LengthCase{"exact", "3", true, 3},
                                           LengthCase{"largest32", "4294967295", true, 4294967295u},
                                           LengthCase{"over32", "4294967296", false, 0},
                                           LengthCase{"huge", "123456789012345678901234", false, 0},
                                           LengthCase{"notANumber", "3x", false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BodyCase {
  const char* name;
  FixtureReply reply;
  bool readOk;
  std::string body;
};

FixtureReply MakeReply(std::string body, bool withLength, std::optional<uint64_t> announce = {},
                       std::optional<size_t> cut = {},
                       FixtureReply::End end = FixtureReply::End::Close) {
  FixtureReply r;
  r.body = std::move(body);
  r.withLength = withLength;
  r.lengthOverride = announce;
  r.end = end;
  if (cut) r.cutAfter = r.Wire().size() - r.body.size() + *cut;
  return r;
}

class BodyEndTest : public InetTest, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(BodyEndTest, ReadReportsHowTheBodyEnded) {
  const BodyCase& c = GetParam();
  server.On("/", Serve(c.reply));
  Outcome o = Fetch(options);
  EXPECT_EQ(o.readOk, c.readOk);
  EXPECT_EQ(o.body, c.body);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, BodyEndTest,
    ::testing::Values(
        BodyCase{"withLength", MakeReply("hello", true), true, "hello"},
        BodyCase{"withoutLengthToClose", MakeReply("hello", false), true, "hello"},
        BodyCase{"shorterThanAnnounced", MakeReply("hello", true, 9), false, "hello"},
        BodyCase{"longerThanAnnounced", MakeReply("hello world", true, 5), false, "hello world"},
        BodyCase{"closedMidBody", MakeReply("hello world", true, {}, 4), false, "hell"},
        BodyCase{"resetMidBody", MakeReply("hello world", true, {}, 4, FixtureReply::End::Reset),
                 false, "hell"},
        BodyCase{"stalledMidBody", MakeReply("hello world", true, {}, 4, FixtureReply::End::Stall),
                 false, "hell"},
        BodyCase{"stalledWithoutLength",
                 MakeReply("hello world", false, {}, 4, FixtureReply::End::Stall), false, "hell"},
        BodyCase{"keepAliveServerEndsAtTheLength",
                 [] {
                   // A server that keeps the connection open: the length marks the end.
                   FixtureReply r = MakeReply("hello", true, {}, {}, FixtureReply::End::Stall);
                   r.version = "HTTP/1.1";
                   return r;
                 }(),
                 true, "hello"},
        BodyCase{"errorPageWithLength",
                 [] {
                   FixtureReply r = MakeReply("<html>404</html>", true);
                   r.status = 404;
                   return r;
                 }(),
                 true, "<html>404</html>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InetTest, StallBeforeTheHeadersFailsSendQueryAndRead) {
  FixtureReply r = MakeReply("x", true);
  r.cutAfter = 0;
  r.end = FixtureReply::End::Stall;
  server.On("/", Serve(r));
  Outcome o = Fetch(options);
  EXPECT_FALSE(o.sent);
  EXPECT_FALSE(o.hasLength);
  EXPECT_FALSE(o.readOk);
}

TEST_F(InetTest, ConnectionRefusedFailsEverything) {
  FixtureServer closed;
  options.port = INTERNET_PORT(closed.Port());
  closed.Stop();
  Outcome o = Fetch(options);
  EXPECT_TRUE(o.opened);
  EXPECT_FALSE(o.sent);
  EXPECT_FALSE(o.hasLength);
  EXPECT_FALSE(o.readOk);
}

TEST_F(InetTest, UnresolvableHostFails) {
  options.host = "no-such-host.invalid";
  Outcome o = Fetch(options);
  EXPECT_FALSE(o.sent);
  EXPECT_FALSE(o.readOk);
}

TEST_F(InetTest, HostNamesThatWouldChangeTheAddressAreRefused) {
  HINTERNET net = InternetOpenA("a", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  for (const char* host :
       {"", "user@evil", "a b", "host/path", "host?q", "host:80", "[::1", "a\r\nX-Injected: 1"}) {
    HINTERNET c = InternetConnectA(net, host, 80, "", "", INTERNET_SERVICE_HTTP, 0, 0);
    EXPECT_EQ(c, nullptr) << host;
    if (c) InternetCloseHandle(c);
  }
  for (const char* host : {"example.com", "127.0.0.1", "[::1]", "::1", "Host-1.Example.COM"}) {
    HINTERNET c = InternetConnectA(net, host, 80, "", "", INTERNET_SERVICE_HTTP, 0, 0);
    EXPECT_NE(c, nullptr) << host;
    if (c) InternetCloseHandle(c);
  }
  InternetCloseHandle(net);
}

TEST_F(InetTest, IPv6LoopbackIsReachedThroughItsBracketedAddress) {
  FixtureServer v6("::1");
  if (!v6.Ok()) GTEST_SKIP() << "no IPv6 loopback here";
  v6.On("/six", ServeBody("six"));
  options.host = "[::1]";
  options.port = INTERNET_PORT(v6.Port());
  options.path = "/six";
  EXPECT_EQ(Fetch(options).body, "six");
}

// ---- credentials ----------------------------------------------------------------------
TEST_F(InetTest, BasicCredentialsAnswerTheChallengeOnly) {
  server.On("/", RequireBasic("4711", "secret", ServeBody("granted")));
  options.user = "4711";
  options.password = "secret";
  Outcome o = Fetch(options);
  EXPECT_EQ(o.body, "granted");
  EXPECT_EQ(o.status, 200u);
  auto r = server.Requests();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_FALSE(r[0].HasHeader("Authorization"));
  EXPECT_EQ(r[1].Header("Authorization").rfind("Basic ", 0), 0u);
}

TEST_F(InetTest, DigestCredentialsAnswerTheChallenge) {
  server.On("/d", RequireDigest("kx", "4711", "secret", ServeBody("digest ok")));
  options.user = "4711";
  options.password = "secret";
  options.path = "/d";
  Outcome o = Fetch(options);
  EXPECT_EQ(o.body, "digest ok");
  auto r = server.Requests();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_FALSE(r[0].HasHeader("Authorization"));
  EXPECT_EQ(r[1].Header("Authorization").rfind("Digest ", 0), 0u);
}

TEST_F(InetTest, WrongCredentialsEndWithTheChallengePageAsBody) {
  server.On("/", RequireBasic("4711", "secret", ServeBody("granted")));
  options.user = "1234";
  options.password = "secret";
  Outcome o = Fetch(options);
  EXPECT_EQ(o.status, 401u);
  EXPECT_TRUE(o.hasLength);
  EXPECT_TRUE(o.readOk);
  EXPECT_EQ(o.body, "<html>401 Unauthorized</html>");
}

TEST_F(InetTest, NoCredentialsAreSentWhenBothAreEmpty) {
  server.On("/", RequireBasic("", "", ServeBody("granted")));
  Outcome o = Fetch(options);
  EXPECT_EQ(o.status, 401u);
  auto r = server.Requests();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_FALSE(r[0].HasHeader("Authorization"));
}

TEST_F(InetTest, RedirectToTheSameHostIsFollowedWithCredentials) {
  server.On("/old", Redirect(server.Url("/new")));
  server.On("/new", RequireBasic("4711", "pw", ServeBody("new place")));
  options.path = "/old";
  options.user = "4711";
  options.password = "pw";
  Outcome o = Fetch(options);
  EXPECT_EQ(o.body, "new place");
  auto r = server.Requests();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[1].requestLine, "GET /new HTTP/1.0");
  EXPECT_TRUE(r[2].HasHeader("Authorization"));
}

TEST_F(InetTest, CredentialsAreNeverSentToAnotherHostAfterARedirect) {
  FixtureServer other("127.0.0.2");
  ASSERT_TRUE(other.Ok());
  other.On("/elsewhere", RequireBasic("4711", "pw", ServeBody("leaked")));
  server.On("/", RequireBasic("4711", "pw", Redirect(other.Url("/elsewhere"))));
  options.user = "4711";
  options.password = "pw";
  Outcome o = Fetch(options);
  EXPECT_EQ(o.status, 401u);
  EXPECT_NE(o.body, "leaked");
  for (const FixtureRequest& r : other.Requests())
    EXPECT_FALSE(r.HasHeader("Authorization"));
  EXPECT_GE(other.RequestCount(), 1u);
}

// ---- proxy ----------------------------------------------------------------------------
TEST_F(InetTest, ProxyComesFromTheEnvironment) {
  FixtureServer proxy;
  proxy.OnAny(ServeBody("via proxy"));
  ::setenv("http_proxy", proxy.Url("").c_str(), 1);
  options.host = "download.example";
  options.port = 80;
  options.path = "/setup.exe";
  Outcome o = Fetch(options);
  ClearProxyEnvironment();
  EXPECT_EQ(o.body, "via proxy");
  auto r = proxy.Requests();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].requestLine, "GET http://download.example/setup.exe HTTP/1.0");
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(InetTest, ClosingHandlesInAnyOrderIsSafe) {
  server.On("/", ServeBody("abc"));
  HINTERNET net = InternetOpenA("a", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET conn =
      InternetConnectA(net, "127.0.0.1", options.port, "", "", INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET req = HttpOpenRequestA(conn, "GET", "/", nullptr, nullptr, nullptr, 0, 0);
  InternetCloseHandle(net);
  InternetCloseHandle(conn);
  EXPECT_TRUE(HttpSendRequestW(req, nullptr, 0, nullptr, 0));
  char buf[8];
  DWORD n = 0;
  EXPECT_TRUE(InternetReadFile(req, buf, sizeof buf, &n));
  EXPECT_EQ(std::string(buf, n), "abc");
  EXPECT_TRUE(InternetCloseHandle(req));
  EXPECT_FALSE(InternetCloseHandle(nullptr));
  EXPECT_EQ(HttpSendRequestW(nullptr, nullptr, 0, nullptr, 0), FALSE);
  EXPECT_EQ(InternetReadFile(nullptr, buf, 1, &n), FALSE);
}

}  // namespace
