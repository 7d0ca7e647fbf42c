#include "support/FixtureServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <list>
#include <mutex>
#include <thread>

namespace kx::test {

namespace {

constexpr int kRequestTimeoutMs = 10000;
constexpr int kStallLimitMs = 60000;
constexpr size_t kMaxRequestBytes = 1 << 20;

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return std::string(s);
}

std::string Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 307:
      return "Temporary Redirect";
    case 401:
      return "Unauthorized";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

// ---- MD5 (RFC 1321) -------------------------------------------------------------------
struct Md5 {
  uint32_t a = 0x67452301, b = 0xefcdab89, c = 0x98badcfe, d = 0x10325476;

  static uint32_t Rol(uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

  void Block(const unsigned char* p) {
    static const uint32_t K[64] = {
        0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
        0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
        0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
        0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
        0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
        0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
        0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
        0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
        0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
        0xeb86d391};
    static const int S[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                              5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                              4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                              6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
    uint32_t m[16];
    for (int i = 0; i < 16; ++i)
      m[i] = uint32_t(p[i * 4]) | (uint32_t(p[i * 4 + 1]) << 8) | (uint32_t(p[i * 4 + 2]) << 16) |
             (uint32_t(p[i * 4 + 3]) << 24);
    uint32_t A = a, B = b, C = c, D = d;
    for (int i = 0; i < 64; ++i) {
      uint32_t F;
      int g;
      if (i < 16) {
        F = (B & C) | (~B & D);
        g = i;
      } else if (i < 32) {
        F = (D & B) | (~D & C);
        g = (5 * i + 1) % 16;
      } else if (i < 48) {
        F = B ^ C ^ D;
        g = (3 * i + 5) % 16;
      } else {
        F = C ^ (B | ~D);
        g = (7 * i) % 16;
      }
      uint32_t t = D;
      D = C;
      C = B;
      B = B + Rol(A + F + K[i] + m[g], S[i]);
      A = t;
    }
    a += A;
    b += B;
    c += C;
    d += D;
  }

  std::string Hex(std::string_view data) {
    std::string msg(data);
    uint64_t bits = uint64_t(data.size()) * 8;
    msg.push_back(char(0x80));
    while (msg.size() % 64 != 56)
      msg.push_back('\0');
    for (int i = 0; i < 8; ++i)
      msg.push_back(char((bits >> (8 * i)) & 0xFF));
    for (size_t i = 0; i < msg.size(); i += 64)
      Block(reinterpret_cast<const unsigned char*>(msg.data() + i));
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (uint32_t v : {a, b, c, d})
      for (int i = 0; i < 4; ++i) {
        unsigned byte = (v >> (8 * i)) & 0xFF;
        out.push_back(hex[byte >> 4]);
        out.push_back(hex[byte & 15]);
      }
    return out;
  }
};

// key="value" or key=value pairs of an authentication header.
std::map<std::string, std::string> ParseAuthParams(std::string_view s) {
  std::map<std::string, std::string> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == ','))
      ++i;
    size_t eq = s.find('=', i);
    if (eq == std::string_view::npos) break;
    std::string key = Trim(s.substr(i, eq - i));
    for (char& ch : key)
      ch = Lower(ch);
    i = eq + 1;
    std::string value;
    if (i < s.size() && s[i] == '"') {
      ++i;
      while (i < s.size() && s[i] != '"') {
        if (s[i] == '\\' && i + 1 < s.size()) ++i;
        value.push_back(s[i++]);
      }
      ++i;
    } else {
      while (i < s.size() && s[i] != ',')
        value.push_back(s[i++]);
      value = Trim(value);
    }
    out[key] = value;
  }
  return out;
}

std::string Base64Decode(std::string_view in) {
  auto val = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  std::string out;
  int bits = 0;
  uint32_t acc = 0;
  for (char c : in) {
    int v = val(c);
    if (v < 0) continue;
    acc = (acc << 6) | uint32_t(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(char((acc >> bits) & 0xFF));
    }
  }
  return out;
}

void SendChallenge(FixtureConnection& conn, const std::string& header) {
  FixtureReply r;
  r.status = 401;
  r.body = "<html>401 Unauthorized</html>";
  r.headers.emplace_back("WWW-Authenticate", header);
  conn.Send(r.Wire());
}

// ---- connections ----------------------------------------------------------------------
class SocketConnection : public FixtureConnection {
 public:
  SocketConnection(int fd, int stopFd) : fd_(fd), stopFd_(stopFd) {}

  bool Send(std::string_view bytes) override {
    while (!bytes.empty()) {
      ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(size_t(n));
    }
    return true;
  }

  void Stall() override {
    char buf[256];
    for (;;) {
      std::array<pollfd, 2> p{pollfd{fd_, POLLIN, 0}, pollfd{stopFd_, POLLIN, 0}};
      int r = ::poll(p.data(), p.size(), kStallLimitMs);
      if (r <= 0 || p[1].revents) return;
      if (p[0].revents) {
        ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n <= 0) return;  // the client closed its side
      }
    }
  }

  bool Pause(int ms) override {
    pollfd p{stopFd_, POLLIN, 0};
    return ::poll(&p, 1, ms) == 0;
  }

  void Reset() override {
    linger l{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  }

 private:
  int fd_;
  int stopFd_;
};

// Reads one request: head up to the blank line, then Content-Length bytes of body.
bool ReadRequest(int fd, FixtureRequest& req) {
  std::string data;
  char buf[8192];
  size_t headEnd = std::string::npos;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestTimeoutMs);
  size_t bodyLength = 0;
  for (;;) {
    if (headEnd == std::string::npos) {
      headEnd = data.find("\r\n\r\n");
      if (headEnd != std::string::npos) {
        std::string_view head(data.data(), headEnd);
        size_t lineEnd = head.find("\r\n");
        req.requestLine = std::string(head.substr(0, lineEnd));
        size_t s1 = req.requestLine.find(' ');
        size_t s2 = req.requestLine.rfind(' ');
        if (s1 == std::string::npos || s2 == s1) return false;
        req.method = req.requestLine.substr(0, s1);
        req.target = req.requestLine.substr(s1 + 1, s2 - s1 - 1);
        req.version = req.requestLine.substr(s2 + 1);
        size_t pos = lineEnd == std::string_view::npos ? head.size() : lineEnd + 2;
        while (pos < head.size()) {
          size_t e = head.find("\r\n", pos);
          if (e == std::string_view::npos) e = head.size();
          std::string_view line = head.substr(pos, e - pos);
          size_t colon = line.find(':');
          if (colon != std::string_view::npos)
            req.headers.emplace_back(std::string(line.substr(0, colon)),
                                     Trim(line.substr(colon + 1)));
          pos = e + 2;
        }
        std::string cl = req.Header("Content-Length");
        bodyLength = cl.empty() ? 0 : size_t(std::strtoull(cl.c_str(), nullptr, 10));
        if (bodyLength > kMaxRequestBytes) return false;
      }
    }
    if (headEnd != std::string::npos && data.size() >= headEnd + 4 + bodyLength) {
      req.body = data.substr(headEnd + 4, bodyLength);
      return true;
    }
    if (data.size() > kMaxRequestBytes) return false;
    int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                       deadline - std::chrono::steady_clock::now())
                       .count());
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, left) <= 0) return false;
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return false;
    data.append(buf, size_t(n));
  }
}

}  // namespace

// ---- requests and replies ---------------------------------------------------------------
std::string FixtureRequest::Header(std::string_view name) const {
  for (const auto& [k, v] : headers)
    if (EqualsNoCase(k, name)) return v;
  return {};
}

bool FixtureRequest::HasHeader(std::string_view name) const {
  return HeaderCount(name) > 0;
}

int FixtureRequest::HeaderCount(std::string_view name) const {
  int n = 0;
  for (const auto& [k, v] : headers)
    if (EqualsNoCase(k, name)) ++n;
  return n;
}

std::string FixtureRequest::Path() const {
  return target.substr(0, target.find('?'));
}

std::string FixtureReply::Wire() const {
  std::string out = version + " " + std::to_string(status) + " " +
                    (reason.empty() ? Reason(status) : reason) + "\r\n";
  if (withLength)
    out += "Content-Length: " + std::to_string(lengthOverride ? *lengthOverride : body.size()) +
           "\r\n";
  for (const auto& [k, v] : headers)
    out += k + ": " + v + "\r\n";
  out += "\r\n";
  out += body;
  return out;
}

FixtureHandler Serve(FixtureReply reply) {
  return [reply](const FixtureRequest&, FixtureConnection& conn) {
    std::string wire = reply.Wire();
    if (reply.cutAfter && *reply.cutAfter < wire.size()) wire.resize(*reply.cutAfter);
    if (reply.trickleBytes == 0) {
      if (!conn.Send(wire)) return;
    } else {
      // The head goes at once; the body in portions.
      size_t bodyStart = std::min(wire.size(), reply.Wire().size() - reply.body.size());
      if (!conn.Send(std::string_view(wire).substr(0, bodyStart))) return;
      for (size_t i = bodyStart; i < wire.size(); i += reply.trickleBytes) {
        if (!conn.Pause(reply.trickleDelayMs)) return;
        if (!conn.Send(std::string_view(wire).substr(i, reply.trickleBytes))) return;
      }
    }
    switch (reply.end) {
      case FixtureReply::End::Close:
        break;
      case FixtureReply::End::Reset:
        conn.Reset();
        break;
      case FixtureReply::End::Stall:
        conn.Stall();
        break;
    }
  };
}

FixtureHandler ServeBody(std::string body) {
  FixtureReply r;
  r.body = std::move(body);
  return Serve(std::move(r));
}

FixtureHandler Redirect(std::string location, int status) {
  FixtureReply r;
  r.status = status;
  r.body = "moved";
  r.headers.emplace_back("Location", std::move(location));
  return Serve(std::move(r));
}

FixtureHandler RequireBasic(std::string user, std::string password, FixtureHandler inner) {
  return [=](const FixtureRequest& req, FixtureConnection& conn) {
    std::string auth = req.Header("Authorization");
    if (auth.rfind("Basic ", 0) == 0 && Base64Decode(auth.substr(6)) == user + ":" + password)
      return inner(req, conn);
    SendChallenge(conn, "Basic realm=\"kx\"");
  };
}

FixtureHandler RequireDigest(std::string realm, std::string user, std::string password,
                             FixtureHandler inner) {
  return [=](const FixtureRequest& req, FixtureConnection& conn) {
    const std::string nonce = "5f1c0ad5e2b64e2f";
    std::string auth = req.Header("Authorization");
    if (auth.rfind("Digest ", 0) == 0) {
      auto p = ParseAuthParams(std::string_view(auth).substr(7));
      std::string ha1 = Md5Hex(p["username"] + ":" + realm + ":" + password);
      std::string ha2 = Md5Hex(req.method + ":" + p["uri"]);
      std::string expect = p.count("qop") ? Md5Hex(ha1 + ":" + nonce + ":" + p["nc"] + ":" +
                                                   p["cnonce"] + ":" + p["qop"] + ":" + ha2)
                                          : Md5Hex(ha1 + ":" + nonce + ":" + ha2);
      if (p["username"] == user && p["realm"] == realm && p["nonce"] == nonce &&
          p["uri"] == req.target && p["response"] == expect)
        return inner(req, conn);
    }
    SendChallenge(conn, "Digest realm=\"" + realm + "\", qop=\"auth\", nonce=\"" + nonce +
                            "\", algorithm=MD5");
  };
}

std::string Md5Hex(std::string_view data) {
  return Md5().Hex(data);
}

void ClearProxyEnvironment() {
  for (const char* v : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                        "ALL_PROXY", "no_proxy", "NO_PROXY"})
    ::unsetenv(v);
}

// ---- the server -------------------------------------------------------------------------
struct FixtureServer::Impl {
  int listenFd = -1;
  int stopFd = -1;
  int port = 0;
  bool v6 = false;
  std::string address;
  std::thread acceptThread;

  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::map<std::string, FixtureHandler> handlers;
  FixtureHandler fallback;
  std::vector<FixtureRequest> requests;
  std::list<std::thread> workers;
  bool stopped = false;

  void AcceptLoop() {
    for (;;) {
      std::array<pollfd, 2> p{pollfd{listenFd, POLLIN, 0}, pollfd{stopFd, POLLIN, 0}};
      if (::poll(p.data(), p.size(), -1) < 0) continue;
      if (p[1].revents) return;
      if (!p[0].revents) continue;
      int fd = ::accept(listenFd, nullptr, nullptr);
      if (fd < 0) continue;
      int one = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      std::lock_guard lock(mutex);
      if (stopped) {
        ::close(fd);
        return;
      }
      workers.emplace_back([this, fd] { Handle(fd); });
    }
  }

  void Handle(int fd) {
    FixtureRequest req;
    if (ReadRequest(fd, req)) {
      FixtureHandler handler;
      {
        std::lock_guard lock(mutex);
        requests.push_back(req);
        auto it = handlers.find(req.Path());
        handler = it != handlers.end() ? it->second : fallback;
        changed.notify_all();
      }
      SocketConnection conn(fd, stopFd);
      if (handler) {
        handler(req, conn);
      } else {
        FixtureReply r;
        r.status = 404;
        r.body = "<html>404 Not Found</html>";
        conn.Send(r.Wire());
      }
    }
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
  }
};

FixtureServer::FixtureServer(std::string bindAddress) : impl_(std::make_unique<Impl>()) {
  Impl& s = *impl_;
  s.address = bindAddress;
  s.v6 = bindAddress.find(':') != std::string::npos;
  s.stopFd = ::eventfd(0, EFD_CLOEXEC);
  s.listenFd = ::socket(s.v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s.listenFd < 0 || s.stopFd < 0) return;
  int one = 1;
  ::setsockopt(s.listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  bool bound = false;
  if (s.v6) {
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    bound = ::inet_pton(AF_INET6, bindAddress.c_str(), &a.sin6_addr) == 1 &&
            ::bind(s.listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    socklen_t len = sizeof a;
    if (bound && ::getsockname(s.listenFd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
      s.port = ntohs(a.sin6_port);
  } else {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    bound = ::inet_pton(AF_INET, bindAddress.c_str(), &a.sin_addr) == 1 &&
            ::bind(s.listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    socklen_t len = sizeof a;
    if (bound && ::getsockname(s.listenFd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
      s.port = ntohs(a.sin_port);
  }
  if (!bound || ::listen(s.listenFd, 64) != 0) {
    ::close(s.listenFd);
    s.listenFd = -1;
    s.port = 0;
    return;
  }
  s.acceptThread = std::thread([&s] { s.AcceptLoop(); });
}

FixtureServer::~FixtureServer() {
  Stop();
  if (impl_->stopFd >= 0) ::close(impl_->stopFd);
}

bool FixtureServer::Ok() const {
  return impl_->listenFd >= 0;
}
int FixtureServer::Port() const {
  return impl_->port;
}

std::string FixtureServer::Authority() const {
  std::string host = impl_->v6 ? "[" + impl_->address + "]" : impl_->address;
  return host + ":" + std::to_string(impl_->port);
}

std::string FixtureServer::Url(std::string_view path) const {
  return "http://" + Authority() + std::string(path);
}

void FixtureServer::On(std::string path, FixtureHandler handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->handlers[std::move(path)] = std::move(handler);
}

void FixtureServer::OnAny(FixtureHandler handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->fallback = std::move(handler);
}

std::vector<FixtureRequest> FixtureServer::Requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests;
}

size_t FixtureServer::RequestCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests.size();
}

bool FixtureServer::WaitForRequests(size_t n, int timeoutMs) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return impl_->requests.size() >= n; });
}

void FixtureServer::Stop() {
  Impl& s = *impl_;
  {
    std::lock_guard lock(s.mutex);
    if (s.stopped) return;
    s.stopped = true;
  }
  if (s.stopFd >= 0) {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(s.stopFd, &one, sizeof one);
  }
  if (s.acceptThread.joinable()) s.acceptThread.join();
  std::list<std::thread> workers;
  {
    std::lock_guard lock(s.mutex);
    workers.swap(s.workers);
  }
  for (std::thread& t : workers)
    t.join();
  if (s.listenFd >= 0) {
    ::close(s.listenFd);
    s.listenFd = -1;
  }
}

}  // namespace kx::test
