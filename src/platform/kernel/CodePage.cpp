// The ANSI code page: the locale's character set, converted with iconv.
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"

namespace {

std::mutex& Mutex() {
  static auto* m = new std::mutex;
  return *m;
}
std::string& Forced() {
  static auto* s = new std::string;
  return *s;
}

std::string CodesetOfLocale() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = std::getenv(name);
    if (!v || !*v) continue;
    std::string_view loc(v);
    size_t dot = loc.find('.');
    if (dot == std::string_view::npos) return {};
    std::string_view cs = loc.substr(dot + 1);
    cs = cs.substr(0, cs.find('@'));
    return std::string(cs);
  }
  return {};
}

bool IsUtf8(const std::string& cs) {
  std::string n;
  for (char c : cs)
    if (c != '-' && c != '_') n.push_back(char(std::toupper(static_cast<unsigned char>(c))));
  return n.empty() || n == "UTF8";
}

// An open conversion, closed on scope exit.
struct Converter {
  iconv_t cd;
  Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
  ~Converter() {
    if (Valid()) iconv_close(cd);
  }
  bool Valid() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

// Utf16ToUtf8, except that an unpaired surrogate, which UTF-8 cannot carry, becomes "?".
std::string Utf16ToUtf8Strict(std::u16string_view s) {
  std::u16string clean(s);
  for (size_t i = 0; i < clean.size(); ++i) {
    char16_t c = clean[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < clean.size() && clean[i + 1] >= 0xDC00 &&
        clean[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      clean[i] = u'?';
    }
  }
  return kx::Utf16ToUtf8(clean);
}

}  // namespace

namespace kx {

std::string AnsiCodePage() {
  std::string cs;
  {
    std::lock_guard<std::mutex> lock(Mutex());
    cs = Forced();
  }
  if (cs.empty()) cs = CodesetOfLocale();
  if (IsUtf8(cs)) return "UTF-8";
  Converter probe(cs.c_str(), "UTF-16LE");
  return probe.Valid() ? cs : "UTF-8";
}

void SetAnsiCodePageForTesting(std::string charset) {
  std::lock_guard<std::mutex> lock(Mutex());
  Forced() = std::move(charset);
}

std::string UnicodeToAnsi(std::u16string_view text) {
  std::string cs = AnsiCodePage();
  if (cs == "UTF-8") return Utf16ToUtf8Strict(text);
  Converter conv(cs.c_str(), "UTF-16LE");
  if (!conv.Valid()) return Utf16ToUtf8Strict(text);
  std::string in;
  in.reserve(text.size() * 2);
  for (char16_t c : text) {
    in.push_back(char(c & 0xFF));
    in.push_back(char(c >> 8));
  }
  std::string out;
  char buf[1024];
  char* src = in.data();
  size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t r = iconv(conv.cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, size_t(dst - buf));
    if (r != size_t(-1)) continue;
    if (errno == E2BIG) continue;
    // Unrepresentable or broken: one "?" for the character (a surrogate pair is one).
    out.push_back('?');
    size_t skip = 2;
    if (srcLeft >= 4) {
      char16_t c = char16_t(uint8_t(src[0]) | (uint8_t(src[1]) << 8));
      char16_t d = char16_t(uint8_t(src[2]) | (uint8_t(src[3]) << 8));
      if (c >= 0xD800 && c <= 0xDBFF && d >= 0xDC00 && d <= 0xDFFF) skip = 4;
    }
    skip = std::min(skip, srcLeft);
    src += skip;
    srcLeft -= skip;
    iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
  }
  char* dst = buf;
  size_t dstLeft = sizeof buf;
  iconv(conv.cd, nullptr, nullptr, &dst, &dstLeft);
  out.append(buf, size_t(dst - buf));
  return out;
}

std::u16string AnsiToUnicode(std::string_view text) {
  std::string cs = AnsiCodePage();
  if (cs == "UTF-8") return Utf8ToUtf16(text);
  Converter conv("UTF-16LE", cs.c_str());
  if (!conv.Valid()) return Utf8ToUtf16(text);
  std::string in(text);
  std::string bytes;
  char buf[1024];
  char* src = in.data();
  size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t r = iconv(conv.cd, &src, &srcLeft, &dst, &dstLeft);
    bytes.append(buf, size_t(dst - buf));
    if (r != size_t(-1)) continue;
    if (errno == E2BIG) continue;
    bytes.push_back(char(0xFD));
    bytes.push_back(char(0xFF));
    ++src;
    --srcLeft;
    iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
  }
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    out.push_back(char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
  return out;
}

}  // namespace kx
