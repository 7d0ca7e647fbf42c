#include "platform/inet/WinInet.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/Unicode.h"

namespace {

constexpr DWORD kDefaultTimeoutMs = 60000;
constexpr long kMaxRedirects = 10;
// A larger receive buffer than libcurl's default 16 KiB: fewer wake-ups per megabyte on fast
// links. InternetReadFile still hands the bytes out in whatever portions it is asked for.
constexpr long kReceiveBufferSize = 128 * 1024;
// The longest a single poll sleeps, so that the idle clock is looked at regularly.
constexpr int kMaxPollMs = 1000;

std::atomic<DWORD> gConnectTimeoutMs{0};
std::atomic<DWORD> gIdleTimeoutMs{0};

// libcurl is opened with the first request, not with the program: it and the thirty
// libraries it depends on would otherwise be loaded before the window first shows.
struct CurlLibrary {
  bool loaded = false;
  decltype(&curl_global_init) global_init = nullptr;
  decltype(&curl_easy_init) easy_init = nullptr;
  decltype(&curl_easy_setopt) easy_setopt = nullptr;
  decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
  decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
  decltype(&curl_multi_init) multi_init = nullptr;
  decltype(&curl_multi_add_handle) multi_add_handle = nullptr;
  decltype(&curl_multi_remove_handle) multi_remove_handle = nullptr;
  decltype(&curl_multi_perform) multi_perform = nullptr;
  decltype(&curl_multi_poll) multi_poll = nullptr;
  decltype(&curl_multi_info_read) multi_info_read = nullptr;
  decltype(&curl_multi_cleanup) multi_cleanup = nullptr;
  decltype(&curl_slist_append) slist_append = nullptr;
  decltype(&curl_slist_free_all) slist_free_all = nullptr;

  template <class F>
  static bool Find(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
  }

  void Load() {
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) return;
    loaded = Find(library, "curl_global_init", global_init) &&
             Find(library, "curl_easy_init", easy_init) &&
             Find(library, "curl_easy_setopt", easy_setopt) &&
             Find(library, "curl_easy_getinfo", easy_getinfo) &&
             Find(library, "curl_easy_cleanup", easy_cleanup) &&
             Find(library, "curl_multi_init", multi_init) &&
             Find(library, "curl_multi_add_handle", multi_add_handle) &&
             Find(library, "curl_multi_remove_handle", multi_remove_handle) &&
             Find(library, "curl_multi_perform", multi_perform) &&
             Find(library, "curl_multi_poll", multi_poll) &&
             Find(library, "curl_multi_info_read", multi_info_read) &&
             Find(library, "curl_multi_cleanup", multi_cleanup) &&
             Find(library, "curl_slist_append", slist_append) &&
             Find(library, "curl_slist_free_all", slist_free_all) &&
             global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    // The library stays loaded for the rest of the process, as a linked one would.
  }
};

// Loaded and set up once per process; never unloaded.
const CurlLibrary& Curl() {
  static const CurlLibrary* library = [] {
    auto* l = new CurlLibrary;
    l->Load();
    return l;
  }();
  return *library;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

std::string Text(LPCSTR s) {
  return s ? std::string(s) : std::string();
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A host name, an IPv4 address or an IPv6 address (bracketed or not): nothing that could
// change the meaning of the URL built from it (user information, path, query, spaces).
bool ValidHost(std::string_view host) {
  if (host.empty()) return false;
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    for (char c : host.substr(1, host.size() - 2))
      if (!IsHex(c) && c != ':' && c != '.' && c != '%') return false;
    return true;
  }
  if (host.find(':') != std::string_view::npos) {
    for (char c : host)
      if (!IsHex(c) && c != ':' && c != '.' && c != '%') return false;
    return true;
  }
  for (unsigned char c : host) {
    if (c >= 0x80) continue;  // an international name; libcurl converts it
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '.' || c == '_' || c == '~')
      continue;
    return false;
  }
  return true;
}

// The request target as it goes on the wire: bytes a URL cannot carry literally are
// percent-encoded; everything else (query included) is kept as given.
std::string EncodePath(std::string_view path) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  if (path.empty() || path.front() != '/') out.push_back('/');
  for (unsigned char c : path) {
    if (c <= 0x20 || c >= 0x7F) {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    } else {
      out.push_back(char(c));
    }
  }
  return out;
}

struct Session : HINTERNET__ {
  std::string agent;
  DWORD accessType = INTERNET_OPEN_TYPE_PRECONFIG;
  std::string proxy;
  std::string proxyBypass;
};

struct Connection : HINTERNET__ {
  Session session;  // a copy: handles may be closed in any order
  std::string host;
  INTERNET_PORT port = INTERNET_INVALID_PORT_NUMBER;
  std::string userName;
  std::string password;
};

class Request : public HINTERNET__ {
 public:
  ~Request() override {
    if (added_) Curl().multi_remove_handle(multi_, easy_);
    if (easy_) Curl().easy_cleanup(easy_);
    if (multi_) Curl().multi_cleanup(multi_);
    if (headerList_) Curl().slist_free_all(headerList_);
  }

  bool Open(const Connection& c, std::string_view verb, std::string_view path, DWORD flags,
            std::string_view referrer, std::string accept) {
    easy_ = Curl().easy_init();
    multi_ = Curl().multi_init();
    if (!easy_ || !multi_) return false;
    verb_ = verb.empty() ? std::string("GET") : std::string(verb);

    const bool secure = (flags & INTERNET_FLAG_SECURE) != 0;
    INTERNET_PORT port = c.port;
    if (port == INTERNET_INVALID_PORT_NUMBER)
      port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    std::string host = c.host;
    if (host.front() != '[' && host.find(':') != std::string::npos) host = "[" + host + "]";
    url_ = (secure ? "https://" : "http://") + host;
    if (port != (secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT))
      url_ += ":" + std::to_string(port);
    url_ += EncodePath(path);

    DWORD connectMs = gConnectTimeoutMs.load();
    DWORD idleMs = gIdleTimeoutMs.load();
    idleMs_ = idleMs ? idleMs : kDefaultTimeoutMs;

    CURL* e = easy_;
    Curl().easy_setopt(e, CURLOPT_URL, url_.c_str());
    Curl().easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    Curl().easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    Curl().easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    Curl().easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    Curl().easy_setopt(e, CURLOPT_FOLLOWLOCATION,
                       (flags & INTERNET_FLAG_NO_AUTO_REDIRECT) ? 0L : 1L);
    Curl().easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
    // Credentials are only ever sent to the host the request was opened for.
    Curl().easy_setopt(e, CURLOPT_UNRESTRICTED_AUTH, 0L);
    Curl().easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS,
                       long(connectMs ? connectMs : kDefaultTimeoutMs));
    Curl().easy_setopt(e, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    // The body's end is the connection's end (HTTP/1.0); the announced length is checked
    // here, so that a longer body is seen as such instead of being cut to size silently.
    Curl().easy_setopt(e, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    Curl().easy_setopt(e, CURLOPT_HEADERFUNCTION, &Request::OnHeader);
    Curl().easy_setopt(e, CURLOPT_HEADERDATA, this);
    Curl().easy_setopt(e, CURLOPT_WRITEFUNCTION, &Request::OnBody);
    Curl().easy_setopt(e, CURLOPT_WRITEDATA, this);

    if (!c.session.agent.empty()) Curl().easy_setopt(e, CURLOPT_USERAGENT, c.session.agent.c_str());
    referrer_ = std::string(referrer);
    if (!referrer_.empty()) Curl().easy_setopt(e, CURLOPT_REFERER, referrer_.c_str());

    switch (c.session.accessType) {
      case INTERNET_OPEN_TYPE_DIRECT:
        Curl().easy_setopt(e, CURLOPT_PROXY, "");
        break;
      case INTERNET_OPEN_TYPE_PROXY:
        proxy_ = c.session.proxy;
        noProxy_ = c.session.proxyBypass;
        std::replace(noProxy_.begin(), noProxy_.end(), ';', ',');
        std::replace(noProxy_.begin(), noProxy_.end(), ' ', ',');
        Curl().easy_setopt(e, CURLOPT_PROXY, proxy_.c_str());
        if (!noProxy_.empty()) Curl().easy_setopt(e, CURLOPT_NOPROXY, noProxy_.c_str());
        break;
      default:  // the standard environment variables, which libcurl reads itself
        break;
    }
    Curl().easy_setopt(e, CURLOPT_PROXYAUTH, long(CURLAUTH_ANY));

    // Credentials answer a challenge; with CURLAUTH_ANY libcurl sends none unasked.
    if (!c.userName.empty() || !c.password.empty()) {
      userName_ = c.userName;
      password_ = c.password;
      Curl().easy_setopt(e, CURLOPT_USERNAME, userName_.c_str());
      Curl().easy_setopt(e, CURLOPT_PASSWORD, password_.c_str());
      Curl().easy_setopt(e, CURLOPT_HTTPAUTH, long(CURLAUTH_ANY));
    }

    AddHeader(accept.empty() ? std::string("Accept:") : "Accept: " + accept);
    if (flags & (INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE))
      AddHeader("Pragma: no-cache");
    return true;
  }

  BOOL Send(std::string_view extraHeaders, const void* body, DWORD bodyLength) {
    if (sent_) return FALSE;
    sent_ = true;
    size_t pos = 0;
    while (pos < extraHeaders.size()) {
      size_t end = extraHeaders.find("\r\n", pos);
      if (end == std::string_view::npos) end = extraHeaders.size();
      std::string_view line = Trim(extraHeaders.substr(pos, end - pos));
      if (!line.empty()) AddHeader(std::string(line));
      pos = end + 2;
    }
    Curl().easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_);

    const bool hasBody = body && bodyLength > 0;
    if (EqualsNoCase(verb_, "GET") && !hasBody) {
      Curl().easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
    } else if (EqualsNoCase(verb_, "HEAD")) {
      Curl().easy_setopt(easy_, CURLOPT_NOBODY, 1L);
    } else {
      Curl().easy_setopt(easy_, CURLOPT_POST, 1L);
      Curl().easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(hasBody ? bodyLength : 0));
      Curl().easy_setopt(easy_, CURLOPT_COPYPOSTFIELDS,
                         hasBody ? static_cast<const char*>(body) : "");
      if (!EqualsNoCase(verb_, "POST"))
        Curl().easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, verb_.c_str());
    }

    if (Curl().multi_add_handle(multi_, easy_) != CURLM_OK) {
      Finish(CURLE_FAILED_INIT);
      return FALSE;
    }
    added_ = true;
    Drive([this] { return bodyStarted_ || done_; });
    return haveResponse_ ? TRUE : FALSE;
  }

  BOOL Query(DWORD infoLevel, void* buffer, DWORD* bufferLength) {
    if (!haveResponse_ || !bufferLength) return FALSE;
    const bool number = (infoLevel & HTTP_QUERY_FLAG_NUMBER) != 0;
    std::string text;
    uint64_t value = 0;
    switch (infoLevel & 0xFFFF) {
      case HTTP_QUERY_CONTENT_LENGTH: {
        std::optional<uint64_t> length = AnnouncedLength();
        if (!length) return FALSE;
        value = *length;
        text = std::to_string(value);
        break;
      }
      case HTTP_QUERY_STATUS_CODE:
        value = uint64_t(status_);
        text = std::to_string(value);
        break;
      default:
        return FALSE;
    }
    if (number) {
      if (value > 0xFFFFFFFFull || *bufferLength < sizeof(DWORD) || !buffer) return FALSE;
      DWORD v = DWORD(value);
      std::memcpy(buffer, &v, sizeof v);
      *bufferLength = sizeof v;
      return TRUE;
    }
    const DWORD need = DWORD((text.size() + 1) * sizeof(WCHAR));
    if (!buffer || *bufferLength < need) {
      *bufferLength = need;
      return FALSE;
    }
    auto* out = static_cast<WCHAR*>(buffer);
    for (size_t i = 0; i < text.size(); ++i)
      out[i] = WCHAR(text[i]);
    out[text.size()] = 0;
    *bufferLength = DWORD(text.size() * sizeof(WCHAR));
    return TRUE;
  }

  BOOL Read(void* buffer, DWORD bytesToRead, DWORD* bytesRead) {
    *bytesRead = 0;
    if (!sent_) return FALSE;
    if (bytesToRead == 0) return TRUE;
    Drive([this] { return readPos_ < pending_.size() || done_; });
    if (readPos_ < pending_.size()) {
      size_t n = std::min<size_t>(bytesToRead, pending_.size() - readPos_);
      std::memcpy(buffer, pending_.data() + readPos_, n);
      readPos_ += n;
      if (readPos_ == pending_.size()) {
        pending_.clear();
        readPos_ = 0;
      }
      *bytesRead = DWORD(n);
      return TRUE;
    }
    return result_ == CURLE_OK ? TRUE : FALSE;
  }

 private:
  void AddHeader(const std::string& line) {
    if (curl_slist* l = Curl().slist_append(headerList_, line.c_str())) headerList_ = l;
  }

  // The final response's length, when it announces exactly one (repeated values must agree).
  std::optional<uint64_t> AnnouncedLength() const {
    std::optional<uint64_t> length;
    for (const std::string& line : headers_) {
      size_t colon = line.find(':');
      if (colon == std::string::npos ||
          !EqualsNoCase(Trim(line.substr(0, colon)), "Content-Length"))
        continue;
      std::string_view v = Trim(std::string_view(line).substr(colon + 1));
      if (v.empty() || v.size() > 19) return std::nullopt;
      uint64_t n = 0;
      for (char ch : v) {
        if (ch < '0' || ch > '9') return std::nullopt;
        n = n * 10 + uint64_t(ch - '0');
      }
      if (length && *length != n) return std::nullopt;
      length = n;
    }
    return length;
  }

  // Whether the server means to keep the connection open after the body, so that the
  // announced length (not the connection's end) marks the end of the body.
  bool KeepsAlive() const {
    bool keep = statusLine_.rfind("HTTP/1.1", 0) == 0;
    for (const std::string& line : headers_) {
      size_t colon = line.find(':');
      if (colon == std::string::npos || !EqualsNoCase(Trim(line.substr(0, colon)), "Connection"))
        continue;
      std::string_view v = Trim(std::string_view(line).substr(colon + 1));
      if (EqualsNoCase(v, "close")) keep = false;
      if (EqualsNoCase(v, "keep-alive")) keep = true;
    }
    return keep;
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* r = static_cast<Request*>(self);
    std::string_view line(data, size * count);
    r->activity_ = true;
    if (line.rfind("HTTP/", 0) == 0) {
      r->headers_.clear();
      r->statusLine_ = std::string(Trim(line));
      r->status_ = 0;
      size_t sp = r->statusLine_.find(' ');
      if (sp != std::string::npos) r->status_ = std::atoi(r->statusLine_.c_str() + sp + 1);
      r->inHeaders_ = true;
    } else if (Trim(line).empty()) {
      if (r->inHeaders_) r->haveResponse_ = true;
      r->inHeaders_ = false;
    } else if (r->inHeaders_) {
      r->headers_.emplace_back(Trim(line));
    }
    return size * count;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto* r = static_cast<Request*>(self);
    const size_t n = size * count;
    r->activity_ = true;
    if (!r->bodyStarted_) {
      r->bodyStarted_ = true;
      r->haveResponse_ = true;
      r->announced_ = r->AnnouncedLength();
      r->keepAlive_ = r->KeepsAlive();
    }
    r->pending_.append(data, n);
    r->received_ += n;
    if (r->announced_ && r->received_ > *r->announced_) {
      r->excess_ = true;
      return 0;  // ends the transfer with an error; the bytes are already kept
    }
    return n;
  }

  void Finish(CURLcode code) {
    if (done_) return;
    done_ = true;
    result_ = code;
    if (!bodyStarted_ && code == CURLE_OK && haveResponse_) {
      announced_ = AnnouncedLength();
      bodyStarted_ = true;
    }
    if (excess_) {
      result_ = CURLE_WRITE_ERROR;
    } else if (announced_) {
      // The connection's end is judged by the count: short is an error, complete is not
      // (even if the close itself was unclean).
      result_ =
          received_ == *announced_ ? CURLE_OK : (code != CURLE_OK ? code : CURLE_PARTIAL_FILE);
    }
    if (added_) {
      Curl().multi_remove_handle(multi_, easy_);
      added_ = false;
    }
  }

  // Runs the transfer until `ready` holds, the transfer ends or no byte has arrived for the
  // idle time-out (once connected). Sleeps in curl_multi_poll between turns.
  template <class Ready>
  void Drive(Ready ready) {
    using Clock = std::chrono::steady_clock;
    auto lastActivity = Clock::now();
    // Bytes already received are handed out without another turn of the transfer.
    if (ready()) return;
    while (!done_) {
      activity_ = false;
      int running = 0;
      if (Curl().multi_perform(multi_, &running) != CURLM_OK) {
        Finish(CURLE_FAILED_INIT);
        break;
      }
      int left = 0;
      while (CURLMsg* m = Curl().multi_info_read(multi_, &left))
        if (m->msg == CURLMSG_DONE && m->easy_handle == easy_) Finish(m->data.result);
      if (done_) break;
      if (keepAlive_ && announced_ && received_ == *announced_) {
        Finish(CURLE_OK);
        break;
      }
      if (ready()) return;

      auto now = Clock::now();
      if (activity_) lastActivity = now;
      curl_off_t connectTime = 0;
      Curl().easy_getinfo(easy_, CURLINFO_CONNECT_TIME_T, &connectTime);
      if (connectTime == 0) lastActivity = now;  // connecting: libcurl's own time-out rules
      auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastActivity);
      if (idle.count() >= long(idleMs_)) {
        Finish(CURLE_OPERATION_TIMEDOUT);
        break;
      }
      int wait = int(std::min<long>(kMaxPollMs, long(idleMs_) - idle.count()));
      Curl().multi_poll(multi_, nullptr, 0, std::max(wait, 1), nullptr);
    }
  }

  CURL* easy_ = nullptr;
  CURLM* multi_ = nullptr;
  curl_slist* headerList_ = nullptr;
  std::string verb_, url_, referrer_, userName_, password_, proxy_, noProxy_;
  DWORD idleMs_ = kDefaultTimeoutMs;

  bool sent_ = false;
  bool added_ = false;
  bool done_ = false;
  CURLcode result_ = CURLE_OK;

  // The latest response's status and headers; after the body has begun, the final one's.
  std::string statusLine_;
  int status_ = 0;
  std::vector<std::string> headers_;
  bool inHeaders_ = false;
  bool haveResponse_ = false;

  bool activity_ = false;
  bool bodyStarted_ = false;
  bool keepAlive_ = false;
  bool excess_ = false;
  std::optional<uint64_t> announced_;
  uint64_t received_ = 0;
  std::string pending_;  // received, not yet read
  size_t readPos_ = 0;
};

}  // namespace

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                        DWORD /*flags*/) {
  if (!Curl().loaded) return nullptr;  // no HTTP library on this system
  if (accessType != INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT &&
      accessType != INTERNET_OPEN_TYPE_PROXY)
    return nullptr;
  auto* s = new Session;
  s->agent = Text(agent);
  s->accessType = accessType;
  s->proxy = Text(proxy);
  s->proxyBypass = Text(proxyBypass);
  return s;
}

HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT port,
                           LPCSTR userName, LPCSTR password, DWORD service, DWORD /*flags*/,
                           DWORD_PTR /*context*/) {
  auto* s = dynamic_cast<Session*>(internet);
  if (!s || service != INTERNET_SERVICE_HTTP || !ValidHost(Text(serverName))) return nullptr;
  auto* c = new Connection;
  c->session = *s;
  c->host = Text(serverName);
  c->port = port;
  c->userName = Text(userName);
  c->password = Text(password);
  return c;
}

HINTERNET HttpOpenRequestA(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR /*version*/,
                           LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags,
                           DWORD_PTR /*context*/) {
  auto* c = dynamic_cast<Connection*>(connect);
  if (!c) return nullptr;
  std::string accept;
  for (LPCSTR* t = acceptTypes; t && *t; ++t) {
    if (!accept.empty()) accept += ", ";
    accept += *t;
  }
  // A header value cannot carry line breaks.
  if (accept.find_first_of("\r\n") != std::string::npos) return nullptr;
  std::string ref = Text(referrer);
  if (ref.find_first_of("\r\n") != std::string::npos) return nullptr;
  auto* r = new Request;
  if (!r->Open(*c, Text(verb), Text(objectName), flags, ref, accept)) {
    delete r;
    return nullptr;
  }
  return r;
}

BOOL HttpSendRequestW(HINTERNET request, LPCWSTR headers, DWORD headersLength, LPVOID optional,
                      DWORD optionalLength) {
  auto* r = dynamic_cast<Request*>(request);
  if (!r) return FALSE;
  std::u16string_view h;
  if (headers) {
    if (headersLength == DWORD(-1))
      h = std::u16string_view(headers);
    else
      h = std::u16string_view(headers, headersLength);
  }
  return r->Send(kx::Utf16ToUtf8(h), optional, optionalLength);
}

BOOL HttpQueryInfoW(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                    LPDWORD /*index*/) {
  auto* r = dynamic_cast<Request*>(request);
  if (!r) return FALSE;
  return r->Query(infoLevel, buffer, bufferLength);
}

BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) {
  auto* r = dynamic_cast<Request*>(file);
  if (!r || !bytesRead || (!buffer && bytesToRead)) return FALSE;
  return r->Read(buffer, bytesToRead, bytesRead);
}

BOOL InternetCloseHandle(HINTERNET internet) {
  if (!internet) return FALSE;
  delete internet;
  return TRUE;
}

namespace kx {

void SetInetTimeoutsForTesting(DWORD connectMs, DWORD idleMs) {
  gConnectTimeoutMs.store(connectMs);
  gIdleTimeoutMs.store(idleMs);
}

bool InitInternet() {
  return Curl().loaded;
}

}  // namespace kx
