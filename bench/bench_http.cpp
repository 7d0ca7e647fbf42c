// The getter's performance:
//   Download/no_progress, Download/with_progress: a file-mode download of KX_BENCH_URL into
//     KX_BENCH_FILE (both set by bench/http_bench.sh), without and with a bound OnProgress;
//   StalledWait: the user-interface thread's CPU time while GetFile waits 5 s on a server
//     that has sent the headers and stopped; counter ui_cpu_percent (of one core).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include "framework/Thread.h"
#include "httpget/HTTPGet.h"
#include "support/FixtureServer.h"

namespace {

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void Download(benchmark::State& state, bool progress) {
  const char* url = std::getenv("KX_BENCH_URL");
  const char* file = std::getenv("KX_BENCH_FILE");
  if (!url || !file) {
    state.SkipWithError("KX_BENCH_URL and KX_BENCH_FILE are not set (run bench/http_bench.sh)");
    return;
  }
  TThread::InitSynchronization();
  THTTPGet getter(nullptr);
  getter.SetURL(url);
  getter.SetFileName(file);
  getter.SetWaitThread(true);
  getter.SetBinaryData(true);
  bool ok = false;
  int32_t size = 0;
  int64_t calls = 0;
  getter.SetOnDoneFile(TOnDoneFileEvent([&](TObject*, AnsiString, int32_t s) {
    ok = true;
    size = s;
  }));
  getter.SetOnError(TNotifyEvent([&](TObject*) { ok = false; }));
  if (progress) getter.SetOnProgress(TOnProgressEvent([&](TObject*, int32_t, int32_t) { ++calls; }));
  for (auto _ : state) {
    ok = false;
    getter.GetFile();
    if (!ok) {
      state.SkipWithError("download failed");
      return;
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * size);
  state.counters["bytes"] = double(size);
  if (progress) state.counters["progress_calls"] = double(calls) / double(state.iterations());
}

void StalledWait(benchmark::State& state) {
  kx::test::ClearProxyEnvironment();
  kx::test::FixtureServer server;
  server.On("/stall", [](const kx::test::FixtureRequest&, kx::test::FixtureConnection& conn) {
    conn.Send("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n0123456789");
    conn.Pause(5000);
  });
  TThread::InitSynchronization();
  THTTPGet getter(nullptr);
  getter.SetURL(server.Url("/stall"));
  getter.SetFileName("/dev/null");
  getter.SetWaitThread(true);
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    double cpu0 = ThreadCpuSeconds();
    auto wall0 = std::chrono::steady_clock::now();
    getter.GetFile();
    cpu += ThreadCpuSeconds() - cpu0;
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  }
  state.counters["ui_cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
  state.counters["wait_s"] = wall / double(state.iterations());
}

}  // namespace

// Iterations come from KX_BENCH_ITERATIONS (default 3), so that the script can interleave
// single downloads with curl's on a machine whose load changes.
int main(int argc, char** argv) {
  int iterations = 3;
  if (const char* v = std::getenv("KX_BENCH_ITERATIONS")) iterations = std::max(1, std::atoi(v));
  benchmark::RegisterBenchmark("Download/no_progress", Download, false)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(iterations);
  benchmark::RegisterBenchmark("Download/with_progress", Download, true)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(iterations);
  benchmark::RegisterBenchmark("StalledWait", StalledWait)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
