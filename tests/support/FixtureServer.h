// A loopback HTTP server for tests: each test scripts the responses, and every request is
// recorded as it arrived (request line, headers, body).
//
// One connection per request (HTTP/1.0 style): the handler runs on a thread of its own
// and the connection is closed when it returns. A response can be cut short, closed with a
// reset, trickled slowly or stalled; a stall lasts until the client goes away or the server
// stops, so that no test waits for it on the clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kx::test {

using FixtureHeaders = std::vector<std::pair<std::string, std::string>>;

struct FixtureRequest {
  std::string requestLine;  // as received, without the line break
  std::string method;
  std::string target;  // path and query as sent (or an absolute address, to a proxy)
  std::string version;
  FixtureHeaders headers;  // in order, names as sent
  std::string body;

  // The first header of that name (case-insensitive), or "" when there is none.
  std::string Header(std::string_view name) const;
  bool HasHeader(std::string_view name) const;
  int HeaderCount(std::string_view name) const;
  // The path of the target: the text before "?".
  std::string Path() const;
};

// The client's side of one exchange, as the handler sees it.
class FixtureConnection {
 public:
  virtual ~FixtureConnection() = default;
  // Sends the bytes; false when the client has gone.
  virtual bool Send(std::string_view bytes) = 0;
  // Waits until the client closes its side or the server stops.
  virtual void Stall() = 0;
  // Waits up to ms milliseconds; returns false early when the server stops.
  virtual bool Pause(int ms) = 0;
  // Ends the connection with a reset (RST) instead of an orderly close.
  virtual void Reset() = 0;
};

using FixtureHandler = std::function<void(const FixtureRequest&, FixtureConnection&)>;

// A scripted response.
struct FixtureReply {
  enum class End { Close, Reset, Stall };

  int status = 200;
  std::string reason;  // "" picks the usual one
  std::string body;
  bool withLength = true;                  // send Content-Length
  std::optional<uint64_t> lengthOverride;  // announce this instead of the body's size
  FixtureHeaders headers;                  // more header lines
  std::string version = "HTTP/1.0";
  // Only this many bytes of the whole response (head and body) are sent before `end`.
  std::optional<size_t> cutAfter;
  End end = End::Close;
  // Sends the body in portions of this size with a pause between them (0: all at once).
  size_t trickleBytes = 0;
  int trickleDelayMs = 0;

  // The response as it goes on the wire.
  std::string Wire() const;
};

FixtureHandler Serve(FixtureReply reply);
// 200 with the body and its length.
FixtureHandler ServeBody(std::string body);
// A redirect with a Location header and a short body.
FixtureHandler Redirect(std::string location, int status = 302);
// Challenges with Basic authentication until the credentials match, then runs `inner`.
FixtureHandler RequireBasic(std::string user, std::string password, FixtureHandler inner);
// The same with Digest authentication (MD5, qop "auth" or none).
FixtureHandler RequireDigest(std::string realm, std::string user, std::string password,
                             FixtureHandler inner);

class FixtureServer {
 public:
  // Listens on an ephemeral port of the address ("127.0.0.1", "127.0.0.2", "::1").
  explicit FixtureServer(std::string bindAddress = "127.0.0.1");
  ~FixtureServer();
  FixtureServer(const FixtureServer&) = delete;
  FixtureServer& operator=(const FixtureServer&) = delete;

  bool Ok() const;  // listening
  int Port() const;
  // "127.0.0.1:PORT" or "[::1]:PORT".
  std::string Authority() const;
  // "http://" + Authority() + path.
  std::string Url(std::string_view path) const;

  // Handles requests whose path (without query) is `path`; others get `OnAny`'s handler,
  // by default a 404 with a length.
  void On(std::string path, FixtureHandler handler);
  void OnAny(FixtureHandler handler);

  std::vector<FixtureRequest> Requests() const;
  size_t RequestCount() const;
  // Waits until n requests have arrived; false after timeoutMs.
  bool WaitForRequests(size_t n, int timeoutMs = 10000) const;

  // Ends every stall and pause, closes all connections and stops listening.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Removes the proxy variables from the environment, so that loopback requests go direct.
void ClearProxyEnvironment();

// MD5 of the bytes as 32 lower-case hex digits (for Digest authentication).
std::string Md5Hex(std::string_view data);

}  // namespace kx::test
