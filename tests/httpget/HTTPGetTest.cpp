// The getter and its worker against the scripted loopback server: outcomes, the request on
// the wire, stop requests, Abort, the wait loop and the getter's lifetime.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <string>

#include "framework/Thread.h"
#include "httpget/GetterHarness.h"
#include "httpget/HTTPGet.h"
#include "platform/inet/WinInet.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"
#include "support/FixtureServer.h"

using namespace kx::test;

#if defined(__SANITIZE_THREAD__)
// Ending the process inside an outcome event leaves the parked worker and the fixture
// server's threads behind, by design; that is not a leak worth a report.
extern "C" const char* __tsan_default_options() {
  return "report_thread_leaks=0";
}
#endif

namespace {

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i)
    s[i] = char((i * 31 + i / 1025) & 0xFF);
  return s;
}

class GetterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProxyEnvironment();
    ASSERT_TRUE(server.Ok());
    kx::SetInetTimeoutsForTesting(5000, 1000);
    TThread::InitSynchronization();
    getter = std::make_unique<THTTPGet>(nullptr);
    events.Bind(*getter);
    getter->SetFileName(target);
    getter->SetWaitThread(true);
    getter->SetBinaryData(true);
  }

  void TearDown() override {
    getter.reset();
    server.Stop();  // ends stalls, so that every worker reaches its end
    EXPECT_TRUE(PumpUntil([] { return kx::LiveHTTPGetWorkersForTesting() == 0; }));
    kx::SetHTTPGetCheckPointHookForTesting(nullptr);
    kx::SetInetTimeoutsForTesting(0, 0);
  }

  // Runs one transfer of `path` to its outcome.
  void Get(const std::string& path, bool toFile = true) {
    getter->SetURL(server.Url(path));
    if (toFile)
      getter->GetFile();
    else
      getter->GetString();
    if (!getter->WaitThread()) {
      ASSERT_TRUE(PumpUntil([this] { return !getter->Busy(); }));
    }
    EXPECT_FALSE(getter->Busy());
  }

  FixtureServer server;
  TempDir dir;
  std::string target = dir.File("setup.exe");
  std::unique_ptr<THTTPGet> getter;
  GetterEvents events;
};

// ---- outcomes ----------------------------------------------------------------------------
struct OutcomeCase {
  const char* name;
  FixtureReply reply;
  bool binaryData;
  bool toFile;
  bool success;
  bool fileExists;  // file mode: the target exists afterwards
  std::string fileContent;
};

FixtureReply Reply(std::string body, bool withLength = true,
                   std::optional<uint64_t> announce = {}) {
  FixtureReply r;
  r.body = std::move(body);
  r.withLength = withLength;
  r.lengthOverride = announce;
  return r;
}

FixtureReply CutReply(std::string body, size_t keep, FixtureReply::End end) {
  FixtureReply r = Reply(std::move(body));
  r.cutAfter = r.Wire().size() - r.body.size() + keep;
  r.end = end;
  return r;
}

class OutcomeTest : public GetterTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(OutcomeTest, OutcomeFollowsTheCountsAndTheTransfer) {
  const OutcomeCase& c = GetParam();
  server.On("/f", Serve(c.reply));
  getter->SetBinaryData(c.binaryData);
  Get("/f", c.toFile);
  ASSERT_EQ(events.Outcomes(), 1);
  EXPECT_EQ(events.outcomeSender, getter.get());
  if (!c.success) {
    EXPECT_EQ(events.errors, 1);
  } else if (c.toFile) {
    EXPECT_EQ(events.files, 1);
    EXPECT_EQ(events.fileName, target);
    EXPECT_EQ(events.fileSize, int32_t(c.fileContent.size()));
  } else {
    EXPECT_EQ(events.strings, 1);
    EXPECT_EQ(events.body, c.reply.body);
  }
  if (c.toFile) {
    EXPECT_EQ(FileExists(target), c.fileExists);
    if (c.fileExists) {
      EXPECT_EQ(ReadWholeFile(target), c.fileContent);
    }
  } else {
    EXPECT_FALSE(FileExists(target));
  }
}

const std::string kBody = Pattern(5000);
const std::string kHalf = kBody.substr(0, 2500);

INSTANTIATE_TEST_SUITE_P(
    Table, OutcomeTest,
    ::testing::Values(
        OutcomeCase{"lengthMatches", Reply(kBody), true, true, true, true, kBody},
        OutcomeCase{"noLengthBinaryNotRead", Reply(kBody, false), true, true, false, false, ""},
        OutcomeCase{"noLengthTextNonEmpty", Reply(kBody, false), false, true, false, true, kBody},
        OutcomeCase{"noLengthTextEmpty", Reply("", false), false, true, true, true, ""},
        OutcomeCase{"shorterThanAnnounced", Reply(kHalf, true, 5000), true, true, false, true,
                    kHalf},
        OutcomeCase{"longerThanAnnounced", Reply(kBody, true, 2500), true, true, false, true,
                    kBody},
        OutcomeCase{"closedMidBody", CutReply(kBody, 2500, FixtureReply::End::Close), true, true,
                    false, true, kHalf},
        OutcomeCase{"resetMidBody", CutReply(kBody, 2500, FixtureReply::End::Reset), true, true,
                    false, true, kHalf},
        OutcomeCase{"stalledMidBody", CutReply(kBody, 2500, FixtureReply::End::Stall), true, true,
                    false, true, kHalf},
        OutcomeCase{"errorPageWithLength",
                    [] {
                      FixtureReply r = Reply("<html>Not here</html>");
                      r.status = 404;
                      return r;
                    }(),
                    true, true, true, true, "<html>Not here</html>"},
        OutcomeCase{"stringIgnoresLength", Reply(kBody, false), false, false, true, false, ""},
        OutcomeCase{"stringWithLength", Reply(kBody), true, false, true, false, ""},
        OutcomeCase{"stringEmptyBody", Reply(""), true, false, false, false, ""},
        OutcomeCase{"stringClosedMidBody", CutReply(kBody, 2500, FixtureReply::End::Close), true,
                    false, false, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GetterTest, ZeroByteBodyWithLengthZeroGivesTrueAndAnEmptyFile) {
  server.On("/empty", ServeBody(""));
  WriteWholeFile(target, "stale content");
  Get("/empty");
  EXPECT_EQ(events.files, 1);
  EXPECT_EQ(events.fileSize, 0);
  EXPECT_TRUE(FileExists(target));
  EXPECT_EQ(ReadWholeFile(target), "");
}

TEST_F(GetterTest, ExistingFileIsTruncatedAtTheDataStepOnly) {
  server.On("/nolength", Serve(Reply("abc", false)));
  WriteWholeFile(target, "keep me");
  Get("/nolength");  // BinaryData: refused before the data step
  EXPECT_EQ(events.errors, 1);
  EXPECT_EQ(ReadWholeFile(target), "keep me");
}

TEST_F(GetterTest, ConnectionRefusedFailsInBothModes) {
  FixtureServer closed;
  std::string url = closed.Url("/x");
  closed.Stop();
  for (bool binary : {true, false}) {
    getter->SetBinaryData(binary);
    getter->SetURL(url);
    getter->GetFile();
  }
  // Without BinaryData a request that got no response at all must not pass for an empty
  // file either.
  EXPECT_EQ(events.errors, 2);
  EXPECT_EQ(events.files, 0);
}

TEST_F(GetterTest, TargetThatCannotBeCreatedFails) {
  server.On("/f", ServeBody(kBody));
  getter->SetFileName(dir.File("no-such-folder/setup.exe"));
  Get("/f");
  EXPECT_EQ(events.errors, 1);
}

TEST_F(GetterTest, TargetThatCannotBeWrittenFails) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  server.On("/f", ServeBody(kBody));
  getter->SetFileName("/dev/full");
  Get("/f");
  EXPECT_EQ(events.errors, 1);
  EXPECT_EQ(events.files, 0);
}

TEST_F(GetterTest, StringModeKeepsZeroBytes) {
  const std::string body("a\0b\0\0c", 6);
  server.On("/nul", ServeBody(body));
  Get("/nul", false);
  ASSERT_EQ(events.strings, 1);
  EXPECT_EQ(events.body, body);
  EXPECT_EQ(events.body.size(), 6u);
}

TEST_F(GetterTest, ProgressReportsEveryChunkWithTheWorkerAsSender) {
  const std::string body = Pattern(1025 * 3 + 10);
  server.On("/p", ServeBody(body));
  Get("/p");
  ASSERT_EQ(events.files, 1);
  ASSERT_GE(events.progress.size(), 4u);
  int32_t last = 0;
  for (size_t i = 0; i < events.progress.size(); ++i) {
    EXPECT_EQ(events.progress[i].first, int32_t(body.size()));
    EXPECT_GT(events.progress[i].second, last);
    EXPECT_LE(events.progress[i].second - last, 1025);
    last = events.progress[i].second;
    EXPECT_NE(events.progressSenders[i], getter.get());
    EXPECT_TRUE(events.progressFromWorker[i]);
  }
  EXPECT_EQ(last, int32_t(body.size()));
  EXPECT_EQ(events.log.back(), "file");
}

TEST_F(GetterTest, ProgressWithoutLengthReportsZeroTotal) {
  server.On("/p", Serve(Reply("abc", false)));
  getter->SetBinaryData(false);
  Get("/p", false);
  ASSERT_FALSE(events.progress.empty());
  EXPECT_EQ(events.progress.back(), std::make_pair(int32_t(0), int32_t(3)));
}

// ---- the request ------------------------------------------------------------------------
TEST_F(GetterTest, RequestCarriesTheSettings) {
  server.On("/dl/setup.exe", ServeBody("x"));
  getter->SetAgent("Agent/1.0");
  getter->SetReferer("http://kestrix.example/start");
  getter->SetAcceptTypes("application/octet-stream");
  getter->SetURL(server.Url("/dl/setup.exe?lang=de&v=2"));
  getter->GetFile();
  getter->SetUseCache(true);
  getter->SetAgent("");
  getter->SetReferer("");
  getter->GetFile();
  auto r = server.Requests();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].requestLine, "GET /dl/setup.exe?lang=de&v=2 HTTP/1.0");
  EXPECT_EQ(r[0].Header("User-Agent"), "Agent/1.0");
  EXPECT_EQ(r[0].Header("Referer"), "http://kestrix.example/start");
  EXPECT_EQ(r[0].HeaderCount("Accept"), 1);
  EXPECT_EQ(r[0].Header("Accept"), "application/octet-stream");
  EXPECT_EQ(r[0].Header("Pragma"), "no-cache");
  EXPECT_FALSE(r[0].HasHeader("Authorization"));
  EXPECT_FALSE(r[1].HasHeader("User-Agent"));
  EXPECT_FALSE(r[1].HasHeader("Referer"));
  EXPECT_FALSE(r[1].HasHeader("Pragma"));
}

TEST_F(GetterTest, DefaultsSendTheDefaultAgentAndAcceptAll) {
  server.On("/", ServeBody("x"));
  getter = std::make_unique<THTTPGet>(nullptr);
  getter->SetWaitThread(true);
  getter->SetFileName(target);
  Get("/");
  auto r = server.Requests();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Header("User-Agent"), "Kestrix HTTPGet");
  EXPECT_EQ(r[0].Header("Accept"), "*/*");
}

TEST_F(GetterTest, PostQueryMakesAPostWithTheFormHeaderAndBody) {
  server.On("/form", ServeBody("posted"));
  getter->SetPostQuery("name=J%C3%B6rg&id=4711");
  Get("/form", false);
  EXPECT_EQ(events.body, "posted");
  auto r = server.Requests();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].requestLine, "POST /form HTTP/1.0");
  EXPECT_EQ(r[0].HeaderCount("Content-Type"), 1);
  EXPECT_EQ(r[0].Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(r[0].body, "name=J%C3%B6rg&id=4711");
}

TEST_F(GetterTest, CredentialsAnswerTheChallenge) {
  server.On("/basic", RequireBasic("4711", "fixed", ServeBody(kBody)));
  server.On("/digest", RequireDigest("kx", "4711", "fixed", ServeBody(kBody)));
  getter->SetUserName("4711");
  getter->SetPassword("fixed");
  Get("/basic");
  Get("/digest");
  EXPECT_EQ(events.files, 2);
  auto r = server.Requests();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_FALSE(r[0].HasHeader("Authorization"));
  EXPECT_EQ(r[1].Header("Authorization").rfind("Basic ", 0), 0u);
  EXPECT_FALSE(r[2].HasHeader("Authorization"));
  EXPECT_EQ(r[3].Header("Authorization").rfind("Digest ", 0), 0u);
}

TEST_F(GetterTest, WrongCustomerNumberGivesTheChallengePageAsSmallFile) {
  server.On("/basic", RequireBasic("4711", "fixed", ServeBody(kBody)));
  getter->SetUserName("1234");
  getter->SetPassword("fixed");
  Get("/basic");
  // The status is not examined: the challenge page is the body, judged by its length.
  ASSERT_EQ(events.files, 1);
  EXPECT_LT(events.fileSize, 2200);
}

TEST_F(GetterTest, AddressFormsReachTheServer) {
  server.On("/a", ServeBody("a"));
  const std::string authority = server.Authority();
  for (const std::string& url : {"HTTP://" + authority + "/a", "Http://" + authority + "/a?q=1",
                                 authority + "/a", "http://" + authority + "/a"}) {
    getter->SetURL(url);
    getter->GetString();
  }
  EXPECT_EQ(events.strings, 4);
  for (const FixtureRequest& r : server.Requests())
    EXPECT_EQ(r.Path(), "/a");
}

TEST_F(GetterTest, BareHostMeansTheRootPath) {
  server.On("/", ServeBody("root"));
  getter->SetURL("http://" + server.Authority());
  getter->GetString();
  EXPECT_EQ(events.body, "root");
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].requestLine, "GET / HTTP/1.0");
}

// ---- stop requests and Abort --------------------------------------------------------------
struct StopCase {
  int step;
  int occurrence;  // which pass through the check point stops (read loop: per chunk)
  size_t requests;
  bool fileExists;
  size_t progressCalls;
};

class StopTest : public GetterTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopTest, StopAtACheckPointEndsWithFalse) {
  const StopCase& c = GetParam();
  server.On("/s", ServeBody(Pattern(1025 * 4)));
  auto seen = std::make_shared<std::atomic<int>>(0);
  kx::SetHTTPGetCheckPointHookForTesting([c, seen](THTTPGetThread* worker, int step) {
    if (step == c.step && ++*seen == c.occurrence) worker->Terminate();
  });
  Get("/s");
  EXPECT_EQ(events.errors, 1);
  EXPECT_EQ(events.files, 0);
  EXPECT_EQ(server.RequestCount(), c.requests);
  EXPECT_EQ(FileExists(target), c.fileExists);
  ASSERT_EQ(events.progress.size(), c.progressCalls);
  // Every chunk read before the stop was written and reported.
  if (c.fileExists) {
    const size_t reported = events.progress.empty() ? 0 : size_t(events.progress.back().second);
    EXPECT_EQ(ReadWholeFile(target).size(), reported);
  }
}

INSTANTIATE_TEST_SUITE_P(CheckPoints, StopTest,
                         ::testing::Values(StopCase{2, 1, 0, false, 0}, StopCase{5, 1, 1, false, 0},
                                           StopCase{7, 1, 1, false, 0}, StopCase{10, 1, 1, true, 0},
                                           StopCase{10, 3, 1, true, 2}),
                         [](const auto& info) {
                           return "step" + std::to_string(info.param.step) + "pass" +
                                  std::to_string(info.param.occurrence);
                         });

TEST_F(GetterTest, AbortDuringTheTransferGivesErrorNeverDoneFile) {
  server.On("/big", ServeBody(Pattern(1025 * 20)));
  events.onProgress = [this] {
    if (events.progress.size() == 2) getter->Abort();
  };
  Get("/big");
  EXPECT_EQ(events.errors, 1);
  EXPECT_EQ(events.files, 0);
  ASSERT_EQ(events.progress.size(), 2u);
  EXPECT_EQ(ReadWholeFile(target).size(), size_t(events.progress[1].second));
}

TEST_F(GetterTest, AbortOnTheLastChunkStillGivesError) {
  server.On("/two", ServeBody(Pattern(2050)));
  events.onProgress = [this] {
    if (events.progress.back().second == 2050) getter->Abort();
  };
  Get("/two");
  EXPECT_EQ(events.errors, 1);
  EXPECT_EQ(events.files, 0);
}

TEST_F(GetterTest, FailedMarkIsNeverUndoneByTheWorker) {
  // The mark alone, without the stop request: the transfer runs to a complete body, and
  // the outcome stays false.
  server.On("/m", ServeBody(Pattern(3000)));
  kx::SetHTTPGetCheckPointHookForTesting([](THTTPGetThread* worker, int step) {
    if (step == 7) worker->MarkFailed();
  });
  Get("/m");
  EXPECT_EQ(events.errors, 1);
  EXPECT_EQ(ReadWholeFile(target).size(), 3000u);
}

TEST_F(GetterTest, AbortWhenIdleDoesNothing) {
  getter->Abort();
  EXPECT_FALSE(getter->Busy());
  EXPECT_EQ(events.Outcomes(), 0);
}

// ---- the wait ---------------------------------------------------------------------------
TEST_F(GetterTest, WaitThreadReturnsAfterTheOutcomeEventHasReturned) {
  server.On("/w", ServeBody(kBody));
  events.onOutcome = [this] { events.log.push_back("handler returns"); };
  getter->SetURL(server.Url("/w"));
  getter->GetFile();
  events.log.push_back("GetFile returned");
  ASSERT_GE(events.log.size(), 3u);
  EXPECT_EQ(events.log[events.log.size() - 3], "file");
  EXPECT_EQ(events.log[events.log.size() - 2], "handler returns");
  EXPECT_EQ(events.log.back(), "GetFile returned");
  EXPECT_FALSE(getter->Busy());
}

TEST_F(GetterTest, WithoutWaitThreadGetFileReturnsBeforeTheResponse) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  server.On("/later", [released](const FixtureRequest& req, FixtureConnection& conn) {
    released.wait();
    ServeBody("late")(req, conn);
  });
  getter->SetWaitThread(false);
  getter->SetURL(server.Url("/later"));
  getter->GetString();
  EXPECT_TRUE(getter->Busy());
  EXPECT_EQ(events.Outcomes(), 0);
  ASSERT_TRUE(server.WaitForRequests(1));
  release.set_value();
  ASSERT_TRUE(PumpUntil([this] { return !getter->Busy(); }));
  EXPECT_EQ(events.strings, 1);
  EXPECT_EQ(events.body, "late");
}

TEST_F(GetterTest, QuitPostedWhileGetFileWaitsIsConsumed) {
  const DWORD uiThread = GetCurrentThreadId();
  server.On("/q", [uiThread](const FixtureRequest& req, FixtureConnection& conn) {
    PostThreadMessageW(uiThread, WM_QUIT, 3, 0);  // from another thread, mid-transfer
    ServeBody("body")(req, conn);
  });
  events.onProgress = [] { PostQuitMessage(4); };  // and from inside the wait
  getter->SetURL(server.Url("/q"));
  getter->GetFile();
  EXPECT_EQ(events.files, 1);
  MSG msg;
  bool sawQuit = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) sawQuit = true;
  EXPECT_FALSE(sawQuit);
}

TEST_F(GetterTest, WaitingLoopDispatchesOtherMessages) {
  static std::atomic<int> dispatched{0};
  dispatched = 0;
  HWND wnd = CreateWindowExW(
      0, WS_POPUP, 0, 0, 0, 0, nullptr,
      [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER + 7) ++dispatched;
        return DefWindowProcW(h, m, w, l);
      },
      nullptr);
  ASSERT_NE(wnd, nullptr);
  FixtureReply slow = Reply("0123456789");
  slow.trickleBytes = 2;
  slow.trickleDelayMs = 20;
  server.On("/slow", Serve(slow));
  events.onProgress = [wnd] { PostMessageW(wnd, WM_USER + 7, 0, 0); };
  Get("/slow");
  EXPECT_EQ(events.files, 1);
  EXPECT_EQ(dispatched.load(), int(events.progress.size()));
  DestroyWindow(wnd);
}

TEST_F(GetterTest, GetFileIsRefusedWhileRunning) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  server.On("/first", [released](const FixtureRequest& req, FixtureConnection& conn) {
    released.wait();
    ServeBody("first")(req, conn);
  });
  server.On("/second", ServeBody("second"));
  getter->SetWaitThread(false);
  getter->SetURL(server.Url("/first"));
  getter->GetFile();
  getter->SetURL(server.Url("/second"));
  getter->GetFile();
  getter->GetString();
  ASSERT_TRUE(server.WaitForRequests(1));
  release.set_value();
  ASSERT_TRUE(PumpUntil([this] { return !getter->Busy(); }));
  EXPECT_EQ(events.Outcomes(), 1);
  EXPECT_EQ(events.files, 1);
  EXPECT_EQ(ReadWholeFile(target), "first");
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(GetterTest, GetFileFromInsideTheOutcomeEventIsRefused) {
  server.On("/o", ServeBody("o"));
  events.onOutcome = [this] { getter->GetFile(); };
  Get("/o");
  EXPECT_EQ(events.Outcomes(), 1);
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(GetterTest, NoEventsBoundStillRunsToTheEnd) {
  server.On("/n", ServeBody(kBody));
  for (bool wait : {true, false}) {
    auto bare = std::make_unique<THTTPGet>(nullptr);
    bare->SetURL(server.Url("/n"));
    bare->SetFileName(target);
    bare->SetWaitThread(wait);
    bare->GetFile();
    ASSERT_TRUE(PumpUntil([&] { return !bare->Busy(); }));
    EXPECT_EQ(ReadWholeFile(target), kBody);
    std::filesystem::remove(target);
  }
}

// ---- lifetime ---------------------------------------------------------------------------
TEST_F(GetterTest, DestroyWhileRunningStopsTheWorkerAndNoEventArrives) {
  FixtureReply stall = CutReply(kBody, 2000, FixtureReply::End::Stall);
  server.On("/stall", Serve(stall));
  getter->SetWaitThread(false);
  getter->SetURL(server.Url("/stall"));
  getter->GetFile();
  ASSERT_TRUE(PumpUntil([this] { return !events.progress.empty(); }));
  const size_t progressBefore = events.progress.size();
  getter.reset();
  // The worker ends at its next check point or when the stalled read times out.
  ASSERT_TRUE(PumpUntil([] { return kx::LiveHTTPGetWorkersForTesting() == 0; }));
  EXPECT_EQ(events.Outcomes(), 0);
  EXPECT_EQ(events.progress.size(), progressBefore);
}

TEST_F(GetterTest, GetterDestroyedInsideItsOutcomeEventIsNotTouchedAgain) {
  server.On("/d", ServeBody("d"));
  events.onOutcome = [this] { getter.reset(); };
  getter->SetURL(server.Url("/d"));
  THTTPGet* raw = getter.get();
  raw->GetFile();  // returns although the getter is gone
  EXPECT_EQ(getter, nullptr);
  EXPECT_EQ(events.files, 1);
}

TEST_F(GetterTest, OwnerDestroysTheGetter) {
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* owned = new THTTPGet(owner.get());
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owned->Owner(), owner.get());
  owner.reset();  // deletes `owned`
}

TEST(GetterExitTest, EndingTheProcessInsideTheOutcomeEventIsClean) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ClearProxyEnvironment();
        FixtureServer server;
        server.On("/big", ServeBody(Pattern(10000)));
        FixtureReply stall = Reply(Pattern(10000));
        stall.cutAfter = 100;
        stall.end = FixtureReply::End::Stall;
        server.On("/stall", Serve(stall));
        TThread::InitSynchronization();
        TempDir dir;
        // A second transfer is stuck in a stalled read while the process ends.
        // Held by statics, so that leak checkers see them as reachable at the exit.
        static THTTPGet* other = new THTTPGet(nullptr);
        other->SetURL(server.Url("/stall"));
        other->SetFileName(dir.File("other"));
        other->GetString();
        static THTTPGet* g = new THTTPGet(nullptr);
        g->SetURL(server.Url("/big"));
        g->SetFileName(dir.File("big"));
        g->SetWaitThread(true);
        g->SetOnDoneFile(TOnDoneFileEvent(
            [](TObject*, AnsiString, int32_t size) { std::exit(size == 10000 ? 7 : 8); }));
        g->GetFile();
        std::exit(9);
      },
      ::testing::ExitedWithCode(7), "");
}

}  // namespace
