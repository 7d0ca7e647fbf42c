// Environment variables and the expansion of %NAME% references.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"

namespace {

size_t Length(LPCWSTR s) {
  size_t n = 0;
  while (s[n])
    ++n;
  return n;
}

// The variable's value as UTF-16, or false when it is not set. An empty name or one with
// "=" is never set.
bool Lookup(std::u16string_view name, std::u16string* value) {
  if (name.empty() || name.find(u'=') != std::u16string_view::npos ||
      name.find(u'\0') != std::u16string_view::npos)
    return false;
  const char* v = std::getenv(kx::Utf16ToUtf8(name).c_str());
  if (!v) return false;
  *value = kx::Utf8ToUtf16(v);
  return true;
}

// Copies `text` into a caller's buffer with the Windows conventions: returns the size
// needed including the NUL; truncates (NUL-terminated) when it does not fit.
DWORD CopyOut(const std::u16string& text, LPWSTR dst, DWORD size) {
  size_t needed = text.size() + 1;
  if (dst && size > 0) {
    size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(dst, text.data(), n * sizeof(WCHAR));
    dst[n] = 0;
  }
  return static_cast<DWORD>(needed);
}

}  // namespace

namespace kx {

std::u16string ExpandEnvironmentStrings(std::u16string_view src) {
  std::u16string out;
  out.reserve(src.size());
  size_t i = 0;
  while (i < src.size()) {
    if (src[i] != u'%') {
      size_t next = src.find(u'%', i);
      if (next == std::u16string_view::npos) next = src.size();
      out.append(src.substr(i, next - i));
      i = next;
      continue;
    }
    size_t close = src.find(u'%', i + 1);
    if (close == std::u16string_view::npos) {  // an unfinished reference stays as written
      out.append(src.substr(i));
      break;
    }
    std::u16string value;
    if (Lookup(src.substr(i + 1, close - i - 1), &value)) {
      out.append(value);
    } else {  // not set: the reference stays, percent signs included
      out.append(src.substr(i, close - i + 1));
    }
    i = close + 1;
  }
  return out;
}

}  // namespace kx

DWORD ExpandEnvironmentStringsW(LPCWSTR src, LPWSTR dst, DWORD size) {
  if (!src) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string out = kx::ExpandEnvironmentStrings(std::u16string_view(src, Length(src)));
  DWORD needed = CopyOut(out, dst, size);
  SetLastError(needed > size ? ERROR_INSUFFICIENT_BUFFER : ERROR_SUCCESS);
  return needed;
}

DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string value;
  if (!Lookup(std::u16string_view(name, Length(name)), &value)) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  // Windows: the length without the NUL when it fits, else the size needed with it.
  if (value.size() + 1 > size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<DWORD>(value.size() + 1);
  }
  CopyOut(value, buffer, size);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(value.size());
}
