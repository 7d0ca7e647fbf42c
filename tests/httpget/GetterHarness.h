// Shared pieces of the getter tests: a temporary folder, a message pump with a generous
// real-time bound, and a recorder bound to every event of a getter.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "httpget/HTTPGet.h"
#include "platform/user/User.h"

namespace kx::test {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kx-httpget-XXXXXX").string();
    if (char* p = ::mkdtemp(pattern.data())) path_ = p;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline bool FileExists(const std::string& path) {
  return std::filesystem::exists(path);
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

// Dispatches this thread's messages until done() holds; false after timeoutMs of real time.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    kx::WaitForMessageOr(done, 20);
  }
}

// Everything a getter reported, in order.
struct GetterEvents {
  std::vector<std::string> log;  // "error", "file", "string", "progress"
  int errors = 0;
  int files = 0;
  int strings = 0;
  AnsiString fileName;
  int32_t fileSize = -1;
  AnsiString body;
  TObject* outcomeSender = nullptr;
  std::vector<std::pair<int32_t, int32_t>> progress;  // TotalSize, Readed
  std::vector<TObject*> progressSenders;
  std::vector<bool> progressFromWorker;  // the sender was a worker, checked during the call
  std::function<void()> onProgress;      // runs inside each progress event
  std::function<void()> onOutcome;       // runs inside the outcome event

  int Outcomes() const { return errors + files + strings; }

  void Bind(THTTPGet& g) {
    g.SetOnError(TNotifyEvent([this](TObject* s) {
      log.push_back("error");
      ++errors;
      outcomeSender = s;
      if (onOutcome) onOutcome();
    }));
    g.SetOnDoneFile(TOnDoneFileEvent([this](TObject* s, AnsiString name, int32_t size) {
      log.push_back("file");
      ++files;
      fileName = name;
      fileSize = size;
      outcomeSender = s;
      if (onOutcome) onOutcome();
    }));
    g.SetOnDoneString(TOnDoneStringEvent([this](TObject* s, AnsiString result) {
      log.push_back("string");
      ++strings;
      body = result;
      outcomeSender = s;
      if (onOutcome) onOutcome();
    }));
    g.SetOnProgress(TOnProgressEvent([this](TObject* s, int32_t total, int32_t readed) {
      log.push_back("progress");
      progress.emplace_back(total, readed);
      progressSenders.push_back(s);
      progressFromWorker.push_back(dynamic_cast<THTTPGetThread*>(s) != nullptr);
      if (onProgress) onProgress();
    }));
  }
};

}  // namespace kx::test
