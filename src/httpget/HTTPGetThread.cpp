#include "httpget/HTTPGetThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <memory>

#include "platform/kernel/Kernel.h"

namespace {

constexpr DWORD kChunkSize = 1025;
constexpr char16_t kFormHeader[] = u"Content-Type: application/x-www-form-urlencoded";
constexpr DWORD kFormHeaderLength = 47;
static_assert(sizeof(kFormHeader) / sizeof(char16_t) - 1 == kFormHeaderLength);

std::atomic<int> gLiveWorkers{0};
// Never destroyed: a worker may still be freeing itself while the process exits.
struct LiveWorkers {
  std::mutex mutex;
  std::condition_variable changed;
};
LiveWorkers& Live() {
  static LiveWorkers* live = new LiveWorkers;
  return *live;
}

std::mutex gHookMutex;
std::shared_ptr<const std::function<void(THTTPGetThread*, int)>> gCheckPointHook;

std::shared_ptr<const std::function<void(THTTPGetThread*, int)>> CheckPointHook() {
  std::lock_guard lock(gHookMutex);
  return gCheckPointHook;
}

bool StartsWithNoCase(const AnsiString& s, const char* prefix) {
  for (size_t i = 0; prefix[i]; ++i) {
    if (i >= s.size()) return false;
    char c = s[i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// The port digits after `colon`, or 0 when they are not a port number (1..65535).
INTERNET_PORT ParsePort(const AnsiString& host, size_t colon) {
  if (colon + 1 >= host.size() || host.size() - colon - 1 > 5) return 0;
  unsigned value = 0;
  for (size_t i = colon + 1; i < host.size(); ++i) {
    if (host[i] < '0' || host[i] > '9') return 0;
    value = value * 10 + unsigned(host[i] - '0');
  }
  return value >= 1 && value <= 65535 ? INTERNET_PORT(value) : 0;
}

// The file of the data step: closed on every path out of Execute.
struct TargetFile {
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool Open(const AnsiString& name) {
    handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0, nullptr);
    return handle != INVALID_HANDLE_VALUE && handle != nullptr;
  }
  bool Write(const void* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(handle, data, size, &written, nullptr) && written == size;
  }
  // Writes what is still buffered; false when that (or anything before) failed.
  bool Close() {
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return true;
    bool ok = CloseHandle(handle) != FALSE;
    handle = INVALID_HANDLE_VALUE;
    return ok;
  }
  ~TargetFile() { Close(); }
};

}  // namespace

THTTPGetThread::THTTPGetThread(AnsiString aAcceptTypes, AnsiString aAgent, AnsiString aURL,
                               AnsiString aFileName, AnsiString aUserName, AnsiString aPassword,
                               AnsiString aPostQuery, AnsiString aReferer, bool aBinaryData,
                               bool aUseCache, TOnProgressEvent aProgress, bool aToFile)
    : TThread(true) {
  gLiveWorkers.fetch_add(1);
  SetFreeOnTerminate(true);
  FTAcceptTypes = std::move(aAcceptTypes);
  FTAgent = std::move(aAgent);
  FTURL = std::move(aURL);
  FTFileName = std::move(aFileName);
  FTUserName = std::move(aUserName);
  FTPassword = std::move(aPassword);
  FTPostQuery = std::move(aPostQuery);
  FTReferer = std::move(aReferer);
  FTBinaryData = aBinaryData;
  FTUseCache = aUseCache;
  FTProgress = std::move(aProgress);
  FTToFile = aToFile;
}

THTTPGetThread::~THTTPGetThread() = default;

void* THTTPGetThread::operator new(size_t size) {
  return ::operator new(size);
}

void THTTPGetThread::operator delete(void* p) {
  ::operator delete(p);
  LiveWorkers& live = Live();
  std::lock_guard lock(live.mutex);
  gLiveWorkers.fetch_sub(1);
  live.changed.notify_all();
}

void THTTPGetThread::SplitAddress(const AnsiString& address, AnsiString& host, AnsiString& path,
                                  bool& secure, INTERNET_PORT& port) {
  secure = false;
  AnsiString rest = address;
  if (StartsWithNoCase(address, "http://")) {
    rest = address.substr(7);
  } else if (StartsWithNoCase(address, "https://")) {
    rest = address.substr(8);
    secure = true;
  }
  const size_t slash = rest.find_first_of("/?");
  host = rest.substr(0, slash);
  path = slash == AnsiString::npos ? AnsiString() : rest.substr(slash);
  if (path.empty() || path.front() != '/') path = AnsiString(1, '/') + path;

  port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  size_t colon = AnsiString::npos;
  if (!host.empty() && host.front() == '[') {
    size_t close = host.find(']');
    if (close != AnsiString::npos && close + 1 < host.size() && host[close + 1] == ':')
      colon = close + 1;
  } else if (host.find(':') == host.rfind(':')) {
    colon = host.find(':');  // exactly one colon; an unbracketed IPv6 address has several
  }
  if (colon != AnsiString::npos) {
    if (colon + 1 == host.size()) {
      host.erase(colon);  // "host:" means the default port
    } else if (INTERNET_PORT p = ParsePort(host, colon)) {
      port = p;
      host.erase(colon);
    }
    // Anything else stays in the host, which then fails to connect.
  }
}

bool THTTPGetThread::Result() const {
  std::lock_guard lock(resultMutex_);
  return FTResult;
}

void THTTPGetThread::MarkFailed() {
  std::lock_guard lock(resultMutex_);
  failed_ = true;
  FTResult = false;
}

void THTTPGetThread::SetResult(bool value) {
  std::lock_guard lock(resultMutex_);
  FTResult = value && !failed_;
}

bool THTTPGetThread::CheckStop(int step) {
  if (auto hook = CheckPointHook(); hook && *hook) (*hook)(this, step);
  return Terminated();
}

void THTTPGetThread::ReleaseHandles(HINTERNET& request, HINTERNET& connection,
                                    HINTERNET& internet) {
  if (request) InternetCloseHandle(request);
  if (connection) InternetCloseHandle(connection);
  if (internet) InternetCloseHandle(internet);
  request = connection = internet = nullptr;
}

void THTTPGetThread::ReportProgress() {
  FTProgress(this, FTFileSize, int32_t(BytesReaded));
}

void THTTPGetThread::Execute() {
  HINTERNET internet = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  TargetFile file;
  try {
    AnsiString host, path;
    bool secure = false;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    SplitAddress(FTURL, host, path, secure, port);

    if (CheckStop(2)) {
      SetResult(false);
      return;
    }

    internet = InternetOpenA(FTAgent.empty() ? nullptr : FTAgent.c_str(),
                             INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    connection = InternetConnectA(internet, host.c_str(), port, FTUserName.c_str(),
                                  FTPassword.c_str(), INTERNET_SERVICE_HTTP, 0, 0);
    const bool post = !FTPostQuery.empty();
    DWORD flags = FTUseCache ? 0 : INTERNET_FLAG_RELOAD;
    if (secure) flags |= INTERNET_FLAG_SECURE;
    LPCSTR accept[] = {FTAcceptTypes.c_str(), nullptr};
    request =
        HttpOpenRequestA(connection, post ? "POST" : "GET", path.c_str(), "HTTP/1.0",
                         FTReferer.c_str(), FTAcceptTypes.empty() ? nullptr : accept, flags, 0);
    if (post)
      HttpSendRequestW(request, kFormHeader, kFormHeaderLength, FTPostQuery.data(),
                       DWORD(FTPostQuery.size()));
    else
      HttpSendRequestW(request, nullptr, 0, nullptr, 0);

    if (CheckStop(5)) {
      ReleaseHandles(request, connection, internet);
      SetResult(false);
      return;
    }

    DWORD length = 0;
    DWORD lengthSize = sizeof length;
    DWORD index = 0;
    // A length beyond what the signed size can hold counts as none.
    const bool lengthKnown =
        HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length,
                       &lengthSize, &index) &&
        length <= DWORD(std::numeric_limits<int32_t>::max());

    if (CheckStop(7)) {
      ReleaseHandles(request, connection, internet);
      SetResult(false);
      return;
    }

    if (!lengthKnown && FTBinaryData) {
      ReleaseHandles(request, connection, internet);
      SetResult(false);
      return;
    }

    if (lengthKnown) FTFileSize = int32_t(length);
    BytesReaded = 0;
    if (FTToFile) {
      if (!file.Open(FTFileName)) {
        ReleaseHandles(request, connection, internet);
        SetResult(false);
        return;
      }
    } else {
      FTStringResult.clear();
    }

    char buffer[kChunkSize];
    bool transferFailed = false;
    for (;;) {
      if (CheckStop(10)) {
        file.Close();
        ReleaseHandles(request, connection, internet);
        SetResult(false);
        return;
      }
      DWORD delivered = 0;
      if (!InternetReadFile(request, buffer, kChunkSize, &delivered)) {
        transferFailed = true;
        break;
      }
      BytesToRead = delivered;
      if (BytesToRead == 0) break;
      if (FTToFile) {
        if (!file.Write(buffer, BytesToRead)) {
          file.Close();
          ReleaseHandles(request, connection, internet);
          SetResult(false);
          return;
        }
      } else {
        FTStringResult.append(buffer, BytesToRead);
      }
      if (BytesToRead > std::numeric_limits<uint32_t>::max() - BytesReaded) {
        transferFailed = true;  // more than the count can hold
        break;
      }
      BytesReaded += BytesToRead;
      if (FTProgress) Synchronize([this] { ReportProgress(); });
    }

    bool outcome = FTToFile ? uint32_t(FTFileSize) == BytesReaded : BytesReaded != 0;
    // A transfer that broke off (reset, time-out, no response at all) is a failure even
    // when the counts happen to agree.
    if (transferFailed) outcome = false;
    if (FTToFile && !file.Close()) outcome = false;
    SetResult(outcome);
    ReleaseHandles(request, connection, internet);
  } catch (...) {
    file.Close();
    ReleaseHandles(request, connection, internet);
    SetResult(false);
  }
}

namespace kx {

void SetHTTPGetCheckPointHookForTesting(std::function<void(THTTPGetThread*, int step)> hook) {
  std::lock_guard lock(gHookMutex);
  gCheckPointHook =
      hook ? std::make_shared<const std::function<void(THTTPGetThread*, int)>>(std::move(hook))
           : nullptr;
}

int LiveHTTPGetWorkersForTesting() {
  return gLiveWorkers.load();
}

bool WaitForHTTPGetWorkers(DWORD timeoutMs) {
  LiveWorkers& live = Live();
  std::unique_lock lock(live.mutex);
  return live.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [] { return gLiveWorkers.load() == 0; });
}

}  // namespace kx
