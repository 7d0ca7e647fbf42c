// THTTPGetThread: one HTTP transfer on a thread of its own, into a file or a byte string.
//
// Created only by THTTPGet, which copies all its settings into it and binds the end handler.
// The worker frees itself after its end handler has run on the user-interface thread;
// nobody else deletes it, and nobody touches it after the end handler has returned. Every
// failure ends as a false outcome; nothing is shown and nothing is thrown.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

#include "framework/Thread.h"
#include "framework/Types.h"
#include "platform/inet/WinInet.h"

// Sender, TotalSize (the announced length, 0 when none), Readed (bytes received so far).
using TOnProgressEvent = TEvent<TObject*, int32_t, int32_t>;

class THTTPGetThread : public TThread {
 public:
  // Created suspended with copies of all settings, freeing itself once it has ended. The
  // creator binds the end handler (SetOnTerminate) and then calls Start(), so the handler is
  // in place before the worker takes its first step. The creator does not own the worker.
  THTTPGetThread(AnsiString aAcceptTypes, AnsiString aAgent, AnsiString aURL, AnsiString aFileName,
                 AnsiString aUserName, AnsiString aPassword, AnsiString aPostQuery,
                 AnsiString aReferer, bool aBinaryData, bool aUseCache, TOnProgressEvent aProgress,
                 bool aToFile);
  ~THTTPGetThread() override;
  // Counts the worker as gone only once its memory is released (see WaitForHTTPGetWorkers).
  static void* operator new(size_t size);
  static void operator delete(void* p);

  // Splits an address into host, port and path. A scheme "http://" or "https://" (in any
  // letter case) is removed; "https://" sets `secure`. The host runs to the first "/" (or
  // "?"); the path is the rest, from that "/", query included, and "/" when there is none.
  // Digits after a colon that ends the host are the port ("[v6]:port" keeps the bracketed
  // address whole); otherwise the port is 443 with TLS, else 80. The host keeps its case.
  static void SplitAddress(const AnsiString& address, AnsiString& host, AnsiString& path,
                           bool& secure, INTERNET_PORT& port);

  // What the owner reads once the worker has ended (during the end handler).
  bool Result() const;
  bool ToFile() const { return FTToFile; }
  const AnsiString& FileName() const { return FTFileName; }
  int32_t FileSize() const { return FTFileSize; }
  const AnsiString& StringResult() const { return FTStringResult; }

  // Marks the outcome as failed for good: nothing the worker does afterwards makes it true.
  // On the user-interface thread; goes with Terminate().
  void MarkFailed();

 protected:
  void Execute() override;

 private:
  bool CheckStop(int step);
  void SetResult(bool value);
  void ReleaseHandles(HINTERNET& request, HINTERNET& connection, HINTERNET& internet);
  void ReportProgress();

  AnsiString FTAcceptTypes;
  AnsiString FTAgent;
  AnsiString FTURL;
  AnsiString FTFileName;
  AnsiString FTStringResult;
  AnsiString FTUserName;
  AnsiString FTPassword;
  AnsiString FTPostQuery;
  AnsiString FTReferer;
  bool FTBinaryData = false;
  bool FTUseCache = false;
  bool FTResult = false;  // guarded by resultMutex_
  int32_t FTFileSize = 0;
  bool FTToFile = false;
  uint32_t BytesToRead = 0;
  uint32_t BytesReaded = 0;
  TOnProgressEvent FTProgress;

  mutable std::mutex resultMutex_;
  bool failed_ = false;  // MarkFailed was called; guarded by resultMutex_
};

namespace kx {
// Test seam: called on the worker thread at each of the four stop check points, with the
// step it belongs to (2: before anything is opened, 5: after sending, 7: after the length
// query, 10: before each read), just before the stop request is tested. Empty: none.
void SetHTTPGetCheckPointHookForTesting(std::function<void(THTTPGetThread*, int step)> hook);
// Test seam: how many workers exist (created and not yet freed).
int LiveHTTPGetWorkersForTesting();
// Blocks until every worker has ended and freed itself, or timeoutMs have passed; true when
// none is left. For programs that end right after a transfer (a worker frees itself just
// after its end handler) and want to leave nothing running behind.
bool WaitForHTTPGetWorkers(DWORD timeoutMs);
}  // namespace kx
