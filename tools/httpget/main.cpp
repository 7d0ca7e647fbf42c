// httpget: fetches one address with the getter component, into FILE (file mode) or to
// standard output (string mode).
//
//   httpget [-u USER] [-p PASSWORD] [-A AGENT] [-e REFERER] [--accept TYPES] [--post DATA]
//           [--binary] [--cache] [--string] URL [FILE]
//
// A progress bar goes to standard error when it is a terminal. The last line on standard
// error is "ok N bytes" or "failed". Exit code: 0 on a true outcome, 1 on a false one, 2
// on bad arguments.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Thread.h"
#include "httpget/HTTPGet.h"

namespace {

const char kUsage[] =
    "usage: httpget [-u USER] [-p PASSWORD] [-A AGENT] [-e REFERER] [--accept TYPES]\n"
    "               [--post DATA] [--binary] [--cache] [--string] URL [FILE]\n"
    "  With FILE the body goes into FILE (file mode), otherwise to standard output\n"
    "  (string mode); --string takes string mode and writes FILE, if given, at the end.\n";

int Usage(const char* message) {
  if (message) std::fprintf(stderr, "httpget: %s\n", message);
  std::fputs(kUsage, stderr);
  return 2;
}

std::string Amount(double bytes) {
  const char* units[] = {"B", "KiB", "MiB", "GiB"};
  int u = 0;
  while (bytes >= 1024 && u < 3) {
    bytes /= 1024;
    ++u;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, u ? "%.1f %s" : "%.0f %s", bytes, units[u]);
  return buf;
}

class ProgressBar {
 public:
  void Show(int32_t total, int32_t readed) {
    auto now = std::chrono::steady_clock::now();
    if (shown_ && now - lastDraw_ < std::chrono::milliseconds(100) && readed != total) return;
    lastDraw_ = now;
    shown_ = true;
    double seconds = std::chrono::duration<double>(now - start_).count();
    double rate = seconds > 0 ? readed / seconds : 0;
    constexpr int kWidth = 30;
    std::string bar;
    if (total > 0) {
      int filled = int(double(readed) / total * kWidth);
      if (filled > kWidth) filled = kWidth;
      bar =
          "[" + std::string(size_t(filled), '#') + std::string(size_t(kWidth - filled), ' ') + "] ";
    }
    std::string line = bar + Amount(readed) + (total > 0 ? " / " + Amount(total) : "") + "  " +
                       Amount(rate) + "/s";
    std::fprintf(stderr, "\r%-78s", line.c_str());
    std::fflush(stderr);
  }
  void Clear() {
    if (shown_) std::fprintf(stderr, "\r%-78s\r", "");
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastDraw_;
  bool shown_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  THTTPGet getter(nullptr);
  bool stringMode = false;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a == "-u" || a == "-p" || a == "-A" || a == "-e" || a == "--accept" || a == "--post") {
      const char* v = i + 1 < argc ? argv[++i] : nullptr;
      if (!v) return Usage(("option " + std::string(a) + " needs a value").c_str());
      if (a == "-u") getter.SetUserName(v);
      if (a == "-p") getter.SetPassword(v);
      if (a == "-A") getter.SetAgent(v);
      if (a == "-e") getter.SetReferer(v);
      if (a == "--accept") getter.SetAcceptTypes(v);
      if (a == "--post") getter.SetPostQuery(v);
    } else if (a == "--binary") {
      getter.SetBinaryData(true);
    } else if (a == "--cache") {
      getter.SetUseCache(true);
    } else if (a == "--string") {
      stringMode = true;
    } else if (a == "-h" || a == "--help") {
      Usage(nullptr);
      return 2;
    } else if (a == "--") {
      for (++i; i < argc; ++i)
        positional.emplace_back(argv[i]);
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(("unknown option " + std::string(a)).c_str());
    } else {
      positional.emplace_back(a);
    }
  }
  if (positional.empty() || positional.size() > 2) return Usage("expected URL [FILE]");
  const std::string url = positional[0];
  const std::string file = positional.size() > 1 ? positional[1] : std::string();
  if (url.empty()) return Usage("empty URL");
  const bool toFile = !file.empty() && !stringMode;

  TThread::InitSynchronization();
  getter.SetURL(url);
  getter.SetFileName(file);
  getter.SetWaitThread(true);

  ProgressBar bar;
  if (::isatty(STDERR_FILENO)) {
    getter.SetOnProgress(TOnProgressEvent(
        [&bar](TObject*, int32_t total, int32_t readed) { bar.Show(total, readed); }));
  }
  bool ok = false;
  uint64_t bytes = 0;
  std::string body;
  getter.SetOnDoneFile(TOnDoneFileEvent([&](TObject*, AnsiString, int32_t size) {
    ok = true;
    bytes = uint64_t(size < 0 ? 0 : size);
  }));
  getter.SetOnDoneString(TOnDoneStringEvent([&](TObject*, AnsiString result) {
    ok = true;
    bytes = result.size();
    body = std::move(result);
  }));
  getter.SetOnError(TNotifyEvent([&](TObject*) { ok = false; }));

  if (toFile)
    getter.GetFile();
  else
    getter.GetString();
  bar.Clear();
  // The worker frees itself just after the outcome; let it finish before the process ends.
  kx::WaitForHTTPGetWorkers(5000);

  if (ok && !toFile) {
    if (file.empty()) {
      ok = std::fwrite(body.data(), 1, body.size(), stdout) == body.size() &&
           std::fflush(stdout) == 0;
    } else if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
      ok = std::fwrite(body.data(), 1, body.size(), f) == body.size();
      ok = std::fclose(f) == 0 && ok;
    } else {
      ok = false;
    }
  }
  if (ok)
    std::fprintf(stderr, "ok %llu bytes\n", static_cast<unsigned long long>(bytes));
  else
    std::fprintf(stderr, "failed\n");
  return ok ? 0 : 1;
}
