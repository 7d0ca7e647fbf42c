// The system default language: the system locale files, then the process locale, then
// English, mapped to 16-bit language identifiers.
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>

#include "platform/kernel/Kernel.h"

namespace {

constexpr LANGID kEnglishUS = MAKELANGID(0x09, 0x01);

struct Territory {
  const char* code;
  WORD sub;
};
struct Language {
  const char* code;
  WORD primary;
  Territory territories[24];  // the first is the default; ends at a null code
};

// Windows primary language identifiers and the sublanguages of their territories.
const Language kLanguages[] = {
    {"ar", 0x01, {{"SA", 1}, {"IQ", 2}, {"EG", 3}, {"LY", 4}, {"DZ", 5}, {"MA", 6}, {"TN", 7}}},
    {"bg", 0x02, {{"BG", 1}}},
    {"ca", 0x03, {{"ES", 1}}},
    {"zh", 0x04, {{"TW", 1}, {"CN", 2}, {"HK", 3}, {"SG", 4}, {"MO", 5}}},
    {"cs", 0x05, {{"CZ", 1}}},
    {"da", 0x06, {{"DK", 1}}},
    {"de", 0x07, {{"DE", 1}, {"CH", 2}, {"AT", 3}, {"LU", 4}, {"LI", 5}}},
    {"el", 0x08, {{"GR", 1}}},
    {"en",
     0x09,
     {{"US", 1},
      {"GB", 2},
      {"AU", 3},
      {"CA", 4},
      {"NZ", 5},
      {"IE", 6},
      {"ZA", 7},
      {"JM", 8},
      {"BZ", 10},
      {"TT", 11},
      {"ZW", 12},
      {"PH", 13},
      {"IN", 16},
      {"MY", 17},
      {"SG", 18}}},
    {"es", 0x0A, {{"ES", 3},  {"MX", 2},  {"GT", 4},  {"CR", 5},  {"PA", 6},
                  {"DO", 7},  {"VE", 8},  {"CO", 9},  {"PE", 10}, {"AR", 11},
                  {"EC", 12}, {"CL", 13}, {"UY", 14}, {"PY", 15}, {"BO", 16},
                  {"SV", 17}, {"HN", 18}, {"NI", 19}, {"PR", 20}, {"US", 21}}},
    {"fi", 0x0B, {{"FI", 1}}},
    {"fr", 0x0C, {{"FR", 1}, {"BE", 2}, {"CA", 3}, {"CH", 4}, {"LU", 5}, {"MC", 6}}},
    {"he", 0x0D, {{"IL", 1}}},
    {"hu", 0x0E, {{"HU", 1}}},
    {"is", 0x0F, {{"IS", 1}}},
    {"it", 0x10, {{"IT", 1}, {"CH", 2}}},
    {"ja", 0x11, {{"JP", 1}}},
    {"ko", 0x12, {{"KR", 1}}},
    {"nl", 0x13, {{"NL", 1}, {"BE", 2}}},
    {"nb", 0x14, {{"NO", 1}}},
    {"no", 0x14, {{"NO", 1}}},
    {"nn", 0x14, {{"NO", 2}}},
    {"pl", 0x15, {{"PL", 1}}},
    {"pt", 0x16, {{"BR", 1}, {"PT", 2}}},
    {"rm", 0x17, {{"CH", 1}}},
    {"ro", 0x18, {{"RO", 1}}},
    {"ru", 0x19, {{"RU", 1}}},
    {"hr", 0x1A, {{"HR", 1}}},
    {"sr", 0x1A, {{"RS", 9}}},
    {"bs", 0x1A, {{"BA", 5}}},
    {"sk", 0x1B, {{"SK", 1}}},
    {"sq", 0x1C, {{"AL", 1}}},
    {"sv", 0x1D, {{"SE", 1}, {"FI", 2}}},
    {"th", 0x1E, {{"TH", 1}}},
    {"tr", 0x1F, {{"TR", 1}}},
    {"ur", 0x20, {{"PK", 1}}},
    {"id", 0x21, {{"ID", 1}}},
    {"uk", 0x22, {{"UA", 1}}},
    {"be", 0x23, {{"BY", 1}}},
    {"sl", 0x24, {{"SI", 1}}},
    {"et", 0x25, {{"EE", 1}}},
    {"lv", 0x26, {{"LV", 1}}},
    {"lt", 0x27, {{"LT", 1}}},
    {"fa", 0x29, {{"IR", 1}}},
    {"vi", 0x2A, {{"VN", 1}}},
    {"hy", 0x2B, {{"AM", 1}}},
    {"az", 0x2C, {{"AZ", 1}}},
    {"eu", 0x2D, {{"ES", 1}}},
    {"mk", 0x2F, {{"MK", 1}}},
    {"af", 0x36, {{"ZA", 1}}},
    {"ka", 0x37, {{"GE", 1}}},
    {"fo", 0x38, {{"FO", 1}}},
    {"hi", 0x39, {{"IN", 1}}},
    {"mt", 0x3A, {{"MT", 1}}},
    {"ga", 0x3C, {{"IE", 2}}},
    {"ms", 0x3E, {{"MY", 1}, {"BN", 2}}},
    {"kk", 0x3F, {{"KZ", 1}}},
    {"sw", 0x41, {{"KE", 1}}},
    {"bn", 0x45, {{"IN", 1}, {"BD", 2}}},
    {"ta", 0x49, {{"IN", 1}}},
    {"cy", 0x52, {{"GB", 1}}},
    {"gl", 0x56, {{"ES", 1}}},
};

std::mutex& FilesMutex() {
  static auto* m = new std::mutex;
  return *m;
}
std::vector<std::string> DefaultFiles() {
  return {"/etc/locale.conf", "/etc/default/locale"};
}
std::vector<std::string>& Files() {
  static auto* f = new std::vector<std::string>(DefaultFiles());
  return *f;
}

std::string Trim(std::string s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
    ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
    --e;
  return s.substr(b, e - b);
}

// The value of LANG= in a shell-style assignment file ("" when not set there).
std::string LangFromFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) return {};
  std::string line, value;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("export ", 0) == 0) line = Trim(line.substr(7));
    if (line.rfind("LANG=", 0) != 0) continue;
    std::string v = Trim(line.substr(5));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
      v = v.substr(1, v.size() - 2);
    value = Trim(v);  // the last assignment counts, as when the shell reads the file
  }
  return value;
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

}  // namespace

namespace kx {

LANGID LangIdFromLocaleName(std::string_view locale) {
  // language[_territory][.codeset][@modifier]
  size_t end = locale.find_first_of(".@");
  std::string_view base = locale.substr(0, end);
  std::string_view lang = base, territory;
  size_t sep = base.find_first_of("_-");
  if (sep != std::string_view::npos) {
    lang = base.substr(0, sep);
    territory = base.substr(sep + 1);
  }
  std::string l, t;
  for (char c : lang)
    l.push_back(char(std::tolower(static_cast<unsigned char>(c))));
  for (char c : territory)
    t.push_back(char(std::toupper(static_cast<unsigned char>(c))));
  for (const Language& language : kLanguages) {
    if (l != language.code) continue;
    WORD sub = language.territories[0].sub;
    for (const Territory& terr : language.territories) {
      if (terr.code == nullptr) break;
      if (t == terr.code) {
        sub = terr.sub;
        break;
      }
    }
    return MAKELANGID(language.primary, sub);
  }
  return kEnglishUS;
}

std::string SystemLocaleName() {
  std::vector<std::string> files;
  {
    std::lock_guard<std::mutex> lock(FilesMutex());
    files = Files();
  }
  for (const std::string& f : files) {
    std::string v = LangFromFile(f);
    if (!v.empty()) return v;
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string v = Env(name);
    if (!v.empty()) return v;
  }
  return {};
}

void SetLocaleFilesForTesting(std::vector<std::string> files) {
  std::lock_guard<std::mutex> lock(FilesMutex());
  Files() = std::move(files);
}

void ResetLocaleFilesForTesting() {
  std::lock_guard<std::mutex> lock(FilesMutex());
  Files() = DefaultFiles();
}

}  // namespace kx

LANGID GetSystemDefaultLangID() {
  std::string name = kx::SystemLocaleName();
  if (name.empty()) return kEnglishUS;
  return kx::LangIdFromLocaleName(name);
}
