// Full paths: absolute and normalised lexically, with "/" as the separator.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"

namespace {

size_t Length(LPCWSTR s) {
  size_t n = 0;
  while (s[n])
    ++n;
  return n;
}

std::u16string CurrentDirectory() {
  std::vector<char> buf(4096);
  while (getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE || buf.size() > (1u << 20)) return u"/";
    buf.resize(buf.size() * 2);
  }
  return kx::Utf8ToUtf16(buf.data());
}

}  // namespace

namespace kx {

std::u16string FullPathName(std::u16string_view name) {
  if (name.empty()) return {};
  std::u16string path;
  if (name.front() != u'/') {
    path = CurrentDirectory();
    path.push_back(u'/');
  }
  path.append(name);

  // POSIX keeps exactly two leading separators as written; three or more are one.
  const bool doubleRoot = path.size() >= 2 && path[0] == u'/' && path[1] == u'/' &&
                          (path.size() == 2 || path[2] != u'/');
  const bool trailing = path.back() == u'/';

  std::vector<std::u16string_view> segments;
  std::u16string_view rest(path);
  while (!rest.empty()) {
    size_t sep = rest.find(u'/');
    std::u16string_view seg = rest.substr(0, sep);
    rest = sep == std::u16string_view::npos ? std::u16string_view() : rest.substr(sep + 1);
    if (seg.empty() || seg == u".") continue;
    if (seg == u"..") {
      if (!segments.empty()) segments.pop_back();
      continue;
    }
    segments.push_back(seg);
  }

  std::u16string out = doubleRoot ? u"//" : u"/";
  for (size_t i = 0; i < segments.size(); ++i) {
    if (i > 0) out.push_back(u'/');
    out.append(segments[i]);
  }
  if (trailing && !segments.empty()) out.push_back(u'/');
  return out;
}

}  // namespace kx

DWORD GetFullPathNameW(LPCWSTR name, DWORD bufLen, LPWSTR buf, LPWSTR* filePart) {
  if (filePart) *filePart = nullptr;
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  std::u16string full = kx::FullPathName(std::u16string_view(name, Length(name)));
  if (full.size() + 1 > bufLen || !buf) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<DWORD>(full.size() + 1);
  }
  std::memcpy(buf, full.data(), full.size() * sizeof(WCHAR));
  buf[full.size()] = 0;
  if (filePart && full.back() != u'/') {
    size_t last = full.rfind(u'/');
    *filePart = buf + (last + 1);
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(full.size());
}

DWORD GetCurrentDirectoryW(DWORD bufLen, LPWSTR buf) {
  std::u16string cwd = CurrentDirectory();
  if (cwd.size() + 1 > bufLen || !buf) return static_cast<DWORD>(cwd.size() + 1);
  std::memcpy(buf, cwd.data(), cwd.size() * sizeof(WCHAR));
  buf[cwd.size()] = 0;
  return static_cast<DWORD>(cwd.size());
}
