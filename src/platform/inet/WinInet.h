// The HTTP client: the WinInet operations the getter's worker calls, over libcurl.
//
// One request per easy handle; a multi handle drives it, so that InternetReadFile returns
// at most the bytes asked for, as soon as any have arrived. Every operation is synchronous
// and may be called from any thread; a handle is used by one thread at a time.
//
// Behaviour the callers rely on:
//   - requests are HTTP/1.0; the user agent is sent only when not empty, the referrer only
//     when not empty, one "Accept" header carries the accepted-types text;
//   - INTERNET_FLAG_RELOAD (and INTERNET_FLAG_PRAGMA_NOCACHE) add "Pragma: no-cache";
//   - credentials given to InternetConnectA answer the server's challenge (any scheme
//     libcurl offers: Basic, Digest, ...); they are never sent unasked, never when both are
//     empty, and never to another host after a redirect;
//   - redirects are followed (at most 10), a POST becoming a GET after 301/302/303;
//   - INTERNET_OPEN_TYPE_PRECONFIG takes the proxy from the standard environment variables
//     (http_proxy, https_proxy, all_proxy, no_proxy); HTTPS verifies against the system CA
//     store;
//   - time-outs: 60 s to connect, 60 s without any received byte while a call waits; a
//     transfer that hits one fails;
//   - HttpQueryInfoW with HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER fails when the
//     final response has no length, or one that does not fit 32 bits;
//   - InternetReadFile returns TRUE with 0 bytes at the end of the body, FALSE on a transfer
//     error: a reset, a time-out, a body shorter than its announced length when the
//     connection closes early, or a body longer than announced (its extra bytes are
//     delivered first, so a caller counting bytes sees the mismatch too).
#pragma once

#include "platform/Windows.h"

using INTERNET_PORT = WORD;
using LPDWORD = DWORD*;

// InternetOpenA access types.
constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;  // the system's proxy settings
constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;     // no proxy
constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;      // the named proxy

// InternetConnectA ports and services.
constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;  // the scheme's default port
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;
constexpr DWORD INTERNET_SERVICE_HTTP = 3;

// HttpOpenRequestA flags.
constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000;
constexpr DWORD INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;
constexpr DWORD INTERNET_FLAG_PRAGMA_NOCACHE = 0x00000100;

// HttpQueryInfoW info levels and modifiers.
constexpr DWORD HTTP_QUERY_CONTENT_LENGTH = 5;
constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000;

// Returns the Internet (session) handle, or nullptr.
HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                        DWORD flags);

// Returns a connection handle, or nullptr when the session is missing, the service is not
// HTTP or the server name is not a plain host name or address ("[v6]" bracketed or not).
// Nothing goes on the network yet.
HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT port,
                           LPCSTR userName, LPCSTR password, DWORD service, DWORD flags,
                           DWORD_PTR context);

// Returns a request handle, or nullptr. acceptTypes is a null-terminated list (or nullptr);
// the entries are joined with ", " into the one Accept header. version nullptr means
// "HTTP/1.0" too: this client speaks nothing else.
HINTERNET HttpOpenRequestA(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                           LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context);

// Sends the request and waits until the final response's headers are in (its body has
// begun or the transfer has ended). headers are extra header lines separated by "\r\n";
// headersLength is their length in characters, or DWORD(-1) for a zero-terminated text.
// optional/optionalLength is the body. Returns FALSE when no response could be had.
// A request is sent once.
BOOL HttpSendRequestW(HINTERNET request, LPCWSTR headers, DWORD headersLength, LPVOID optional,
                      DWORD optionalLength);

// Queries the final response. With HTTP_QUERY_FLAG_NUMBER the buffer receives a DWORD
// (*bufferLength must be at least 4); without it, the value as zero-terminated UTF-16 text
// (*bufferLength in bytes, set to the bytes needed on failure). index is ignored.
BOOL HttpQueryInfoW(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                    LPDWORD index);

// Reads the next bytes of the body: at most bytesToRead, as soon as any are there.
BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead);

// Closes any handle of this header. Handles may be closed in any order.
BOOL InternetCloseHandle(HINTERNET internet);

namespace kx {

// Loads and sets up the HTTP library once per process; false when it is not available
// (InternetOpenA then fails). InternetOpenA does it, too, but the library wants it done on
// the program's main thread before other threads use it: its own exit handlers then belong
// to that thread. Callers that open requests on worker threads call this first.
bool InitInternet();

// Time-outs of requests opened after the call, in milliseconds: connecting (name look-up
// included), and waiting without receiving a byte. 0 restores the defaults (60 s each).
// Tests shorten them so that stalled servers end their transfers quickly.
void SetInetTimeoutsForTesting(DWORD connectMs, DWORD idleMs);

}  // namespace kx
