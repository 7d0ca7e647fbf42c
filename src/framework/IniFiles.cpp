#include "framework/IniFiles.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

// Case folding for ASCII and Latin-1 letters, in UTF-8; enough for section and key names.
std::string Fold(std::string_view s) {
  std::u16string w = kx::Utf8ToUtf16(s);
  for (char16_t& c : w) {
    if (c >= u'A' && c <= u'Z')
      c = char16_t(c + 32);
    else if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
      c = char16_t(c + 32);
  }
  return kx::Utf16ToUtf8(w);
}

bool HasBreak(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

namespace kx {

class IniDocument {
 public:
  enum class Kind { Other, Section, Key };
  struct Line {
    std::string text;  // without its line ending
    Kind kind = Kind::Other;
    std::string folded;  // section or key name, folded
    std::string eol;     // its line ending as read ("" for a last line without one)
  };

  void Parse(std::string_view text) {
    lines_.clear();
    bom_ = text.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom_) text.remove_prefix(3);
    size_t nl = text.find('\n');
    eol_ = nl != std::string_view::npos && nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
    // Every line keeps its own ending, so untouched lines are written back byte for byte.
    while (!text.empty()) {
      size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      std::string eol;
      if (end != std::string_view::npos) {
        eol = "\n";
        if (!line.empty() && line.back() == '\r') {
          line.remove_suffix(1);
          eol = "\r\n";
        }
      }
      lines_.push_back(Classify(std::string(line)));
      lines_.back().eol = eol;
      if (end == std::string_view::npos) break;
      text.remove_prefix(end + 1);
    }
  }

  std::string Text() const {
    std::string out = bom_ ? "\xEF\xBB\xBF" : "";
    for (const Line& l : lines_)
      out += l.text + l.eol;
    return out;
  }

  // Index of the first section header named `section`, or npos.
  size_t FindSection(std::string_view section) const {
    std::string f = Fold(Trim(section));
    for (size_t i = 0; i < lines_.size(); ++i)
      if (lines_[i].kind == Kind::Section && lines_[i].folded == f) return i;
    return npos;
  }
  // The end of the section starting at header `s`: the next header or the end.
  size_t SectionEnd(size_t s) const {
    size_t i = s + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section)
      ++i;
    return i;
  }
  size_t FindKey(std::string_view section, std::string_view key) const {
    size_t s = FindSection(section);
    if (s == npos) return npos;
    std::string f = Fold(Trim(key));
    for (size_t i = s + 1, e = SectionEnd(s); i < e; ++i)
      if (lines_[i].kind == Kind::Key && lines_[i].folded == f) return i;
    return npos;
  }

  bool Read(std::string_view section, std::string_view key, std::string* value) const {
    size_t k = FindKey(section, key);
    if (k == npos) return false;
    const std::string& t = lines_[k].text;
    std::string_view v = Trim(std::string_view(t).substr(t.find('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
      v = v.substr(1, v.size() - 2);
    *value = std::string(v);
    return true;
  }

  bool Write(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty() || HasBreak(section) || HasBreak(key) || HasBreak(value) ||
        section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
        key.front() == '[' || key.front() == ';')
      return false;
    size_t s = FindSection(section);
    if (s == npos) {
      if (!lines_.empty() && !Trim(lines_.back().text).empty()) InsertLine(lines_.size(), "");
      InsertLine(lines_.size(), "[" + std::string(section) + "]");
      InsertLine(lines_.size(), std::string(key) + "=" + std::string(value));
      return true;
    }
    size_t k = FindKey(section, key);
    if (k != npos) {
      // The key keeps its stored spelling; only the value changes.
      std::string stored(
          Trim(std::string_view(lines_[k].text).substr(0, lines_[k].text.find('='))));
      std::string eol = lines_[k].eol;
      lines_[k] = Classify(stored + "=" + std::string(value));
      lines_[k].eol = eol;
      return true;
    }
    size_t insertAt = s + 1;
    for (size_t i = s + 1, e = SectionEnd(s); i < e; ++i)
      if (lines_[i].kind == Kind::Key) insertAt = i + 1;
    InsertLine(insertAt, std::string(key) + "=" + std::string(value));
    return true;
  }

  bool EraseSection(std::string_view section) {
    size_t s = FindSection(section);
    if (s == npos) return false;
    lines_.erase(lines_.begin() + long(s), lines_.begin() + long(SectionEnd(s)));
    return true;
  }

  bool DeleteKey(std::string_view section, std::string_view key) {
    size_t k = FindKey(section, key);
    if (k == npos) return false;
    lines_.erase(lines_.begin() + long(k));
    return true;
  }

  std::vector<std::string> Keys(std::string_view section) const {
    std::vector<std::string> keys, folded;
    size_t s = FindSection(section);
    if (s == npos) return keys;
    for (size_t i = s + 1, e = SectionEnd(s); i < e; ++i) {
      if (lines_[i].kind != Kind::Key) continue;
      bool seen = false;
      for (const auto& f : folded)
        seen = seen || f == lines_[i].folded;
      if (seen) continue;
      folded.push_back(lines_[i].folded);
      const std::string& t = lines_[i].text;
      keys.emplace_back(Trim(std::string_view(t).substr(0, t.find('='))));
    }
    return keys;
  }

  std::vector<std::string> Sections() const {
    std::vector<std::string> names, folded;
    for (const Line& l : lines_) {
      if (l.kind != Kind::Section) continue;
      bool seen = false;
      for (const auto& f : folded)
        seen = seen || f == l.folded;
      if (seen) continue;
      folded.push_back(l.folded);
      names.push_back(SectionName(l.text));
    }
    return names;
  }

  static constexpr size_t npos = size_t(-1);

 private:
  static std::string SectionName(std::string_view text) {
    std::string_view t = Trim(text);
    t.remove_prefix(1);
    size_t close = t.find(']');
    return std::string(Trim(t.substr(0, close)));
  }

  static Line Classify(std::string text) {
    Line l;
    std::string_view t = Trim(text);
    if (!t.empty() && t.front() == '[') {
      l.kind = Kind::Section;
      l.folded = Fold(SectionName(t));
    } else if (!t.empty() && t.front() != ';') {
      size_t eq = t.find('=');
      if (eq != std::string_view::npos && !Trim(t.substr(0, eq)).empty()) {
        l.kind = Kind::Key;
        l.folded = Fold(Trim(t.substr(0, eq)));
      }
    }
    l.text = std::move(text);
    return l;
  }

  // A new line ends with the file's line ending; the line before it gets one if it had
  // none (the last line of a file without a final line break).
  void InsertLine(size_t at, std::string text) {
    if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = eol_;
    Line l = Classify(std::move(text));
    l.eol = eol_;
    lines_.insert(lines_.begin() + long(at), std::move(l));
  }

  std::vector<Line> lines_;
  bool bom_ = false;
  std::string eol_ = "\n";
};

}  // namespace kx

namespace {

std::string U8(const TUnicodeString& s) {
  return kx::Utf16ToUtf8(s);
}
TUnicodeString U16(std::string_view s) {
  return kx::Utf8ToUtf16(s);
}

bool LoadFile(const TUnicodeString& name, std::string* text) {
  text->clear();
  if (name.empty()) return false;
  std::ifstream in(kx::FileSystemName(name), std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  *text = ss.str();
  return true;
}

// Writes through a temporary file renamed over the target, so a failed write never leaves a
// half-written file behind.
bool SaveFile(const TUnicodeString& name, const std::string& text) {
  if (name.empty()) return false;
  std::string target = kx::FileSystemName(name);
  std::string tmp = target + ".kx-tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(text.data(), std::streamsize(text.size()));
    out.flush();
    if (!out) {
      out.close();
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), target.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

std::vector<TUnicodeString> ToU16(const std::vector<std::string>& v) {
  std::vector<TUnicodeString> out;
  out.reserve(v.size());
  for (const auto& s : v)
    out.push_back(U16(s));
  return out;
}

bool ParseInt(std::string_view s, int* out) {
  s = Trim(s);
  bool neg = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    neg = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s[0] == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  uint64_t v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc() || p != s.data() + s.size()) return false;
  if (base == 16 && !neg && v <= 0xFFFFFFFFull) {
    *out = int(int32_t(uint32_t(v)));
    return true;
  }
  if (neg ? v > 0x80000000ull : v > 0x7FFFFFFFull) return false;
  *out = neg ? int(-int64_t(v)) : int(v);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------
int TCustomIniFile::ReadInteger(const TUnicodeString& section, const TUnicodeString& key, int def) {
  int v;
  return ParseInt(U8(ReadString(section, key, u"")), &v) ? v : def;
}

bool TCustomIniFile::WriteInteger(const TUnicodeString& section, const TUnicodeString& key,
                                  int value) {
  return WriteString(section, key, U16(std::to_string(value)));
}

bool TCustomIniFile::ReadBool(const TUnicodeString& section, const TUnicodeString& key, bool def) {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TCustomIniFile::WriteBool(const TUnicodeString& section, const TUnicodeString& key,
                               bool value) {
  return WriteString(section, key, value ? u"1" : u"0");
}

double TCustomIniFile::ReadFloat(const TUnicodeString& section, const TUnicodeString& key,
                                 double def) {
  std::string s(Trim(U8(ReadString(section, key, u""))));
  double v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || p != s.data() + s.size()) return def;
  return v;
}

bool TCustomIniFile::WriteFloat(const TUnicodeString& section, const TUnicodeString& key,
                                double value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  if (r.ec != std::errc()) return false;
  return WriteString(section, key, U16(std::string_view(buf, size_t(r.ptr - buf))));
}

bool TCustomIniFile::SectionExists(const TUnicodeString& section) {
  std::string f = Fold(Trim(U8(section)));
  for (const auto& s : ReadSections())
    if (Fold(U8(s)) == f) return true;
  return false;
}

bool TCustomIniFile::ValueExists(const TUnicodeString& section, const TUnicodeString& key) {
  std::string k = Fold(Trim(U8(key)));
  for (const auto& s : ReadSection(section))
    if (Fold(U8(s)) == k) return true;
  return false;
}

// ---------------------------------------------------------------------------------------
TMemIniFile::TMemIniFile(TUnicodeString fileName)
    : TCustomIniFile(std::move(fileName)), doc_(std::make_unique<kx::IniDocument>()) {
  std::string text;
  LoadFile(FileName(), &text);
  doc_->Parse(text);
}

TMemIniFile::~TMemIniFile() = default;

TUnicodeString TMemIniFile::ReadString(const TUnicodeString& section, const TUnicodeString& key,
                                       const TUnicodeString& def) {
  std::string v;
  return doc_->Read(U8(section), U8(key), &v) ? U16(v) : def;
}

bool TMemIniFile::WriteString(const TUnicodeString& section, const TUnicodeString& key,
                              const TUnicodeString& value) {
  if (!doc_->Write(U8(section), U8(key), U8(value))) return false;
  modified_ = true;
  return true;
}

std::vector<TUnicodeString> TMemIniFile::ReadSection(const TUnicodeString& section) {
  return ToU16(doc_->Keys(U8(section)));
}

std::vector<TUnicodeString> TMemIniFile::ReadSections() {
  return ToU16(doc_->Sections());
}

bool TMemIniFile::EraseSection(const TUnicodeString& section) {
  if (!doc_->EraseSection(U8(section))) return false;
  modified_ = true;
  return true;
}

bool TMemIniFile::DeleteKey(const TUnicodeString& section, const TUnicodeString& key) {
  if (!doc_->DeleteKey(U8(section), U8(key))) return false;
  modified_ = true;
  return true;
}

bool TMemIniFile::UpdateFile() {
  if (!SaveFile(FileName(), doc_->Text())) return false;
  modified_ = false;
  return true;
}

std::string TMemIniFile::Text() const {
  return doc_->Text();
}

void TMemIniFile::SetText(std::string_view text) {
  doc_->Parse(text);
  modified_ = true;
}

// ---------------------------------------------------------------------------------------
namespace {
kx::IniDocument Load(const TUnicodeString& name) {
  std::string text;
  LoadFile(name, &text);
  kx::IniDocument doc;
  doc.Parse(text);
  return doc;
}
}  // namespace

TIniFile::TIniFile(TUnicodeString fileName) : TCustomIniFile(std::move(fileName)) {}

TUnicodeString TIniFile::ReadString(const TUnicodeString& section, const TUnicodeString& key,
                                    const TUnicodeString& def) {
  std::string v;
  return Load(FileName()).Read(U8(section), U8(key), &v) ? U16(v) : def;
}

bool TIniFile::WriteString(const TUnicodeString& section, const TUnicodeString& key,
                           const TUnicodeString& value) {
  kx::IniDocument doc = Load(FileName());
  return doc.Write(U8(section), U8(key), U8(value)) && SaveFile(FileName(), doc.Text());
}

std::vector<TUnicodeString> TIniFile::ReadSection(const TUnicodeString& section) {
  return ToU16(Load(FileName()).Keys(U8(section)));
}

std::vector<TUnicodeString> TIniFile::ReadSections() {
  return ToU16(Load(FileName()).Sections());
}

bool TIniFile::EraseSection(const TUnicodeString& section) {
  kx::IniDocument doc = Load(FileName());
  return doc.EraseSection(U8(section)) && SaveFile(FileName(), doc.Text());
}

bool TIniFile::DeleteKey(const TUnicodeString& section, const TUnicodeString& key) {
  kx::IniDocument doc = Load(FileName());
  return doc.DeleteKey(U8(section), U8(key)) && SaveFile(FileName(), doc.Text());
}
