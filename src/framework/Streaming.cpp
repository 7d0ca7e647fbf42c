#include "framework/Streaming.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <set>
#include <vector>

#include "framework/TypInfo.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"

namespace {

// Deeper nesting than any real layout; bounds the reader's recursion on hostile input.
constexpr int kMaxDepth = 64;
constexpr int kMaxObjectDepth = 16;  // nested persistent objects (Font.Name ...)

// ---------------------------------------------------------------------------------------
// Tokens
enum class Tok {
  Ident,
  Number,
  String,
  Equals,
  Colon,
  LBracket,
  RBracket,
  Comma,
  Dot,
  Plus,
  Newline,
  End
};

struct Token {
  Tok kind = Tok::End;
  std::string text;    // identifier or number as written
  std::u16string str;  // string value
  int line = 1;
};

const char* TokName(Tok k) {
  switch (k) {
    case Tok::Ident:
      return "a name";
    case Tok::Number:
      return "a number";
    case Tok::String:
      return "a string";
    case Tok::Equals:
      return "\"=\"";
    case Tok::Colon:
      return "\":\"";
    case Tok::LBracket:
      return "\"[\"";
    case Tok::RBracket:
      return "\"]\"";
    case Tok::Comma:
      return "\",\"";
    case Tok::Dot:
      return "\".\"";
    case Tok::Plus:
      return "\"+\"";
    case Tok::Newline:
      return "the end of the line";
    case Tok::End:
      return "the end of the text";
  }
  return "?";
}

bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c) {
  return IsIdentStart(c) || (c >= '0' && c <= '9');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHex(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool Fail(TLayoutError* err, int line, std::string message) {
  if (err) {
    err->line = line;
    err->message = std::move(message);
  }
  return false;
}

// Splits the whole text into tokens; false with the line of the first lexical fault.
bool Tokenize(std::string_view s, std::vector<Token>* out, TLayoutError* err) {
  size_t i = 0;
  int line = 1;
  if (s.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
  auto push = [&](Tok k, std::string text = {}) {
    Token t;
    t.kind = k;
    t.text = std::move(text);
    t.line = line;
    out->push_back(std::move(t));
  };
  while (i < s.size()) {
    char c = s[i];
    if (c == '\n') {
      push(Tok::Newline);
      ++line;
      ++i;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++i;
    } else if (IsIdentStart(c)) {
      size_t b = i;
      while (i < s.size() && IsIdentChar(s[i]))
        ++i;
      push(Tok::Ident, std::string(s.substr(b, i - b)));
    } else if (IsDigit(c) || (c == '-' && i + 1 < s.size() && IsDigit(s[i + 1])) || c == '$' ||
               (c == '-' && i + 1 < s.size() && s[i + 1] == '$')) {
      size_t b = i;
      if (s[i] == '-') ++i;
      if (s[i] == '$') {
        ++i;
        if (i >= s.size() || !IsHex(s[i])) return Fail(err, line, "malformed hexadecimal number");
        while (i < s.size() && IsHex(s[i]))
          ++i;
      } else {
        while (i < s.size() && IsDigit(s[i]))
          ++i;
        if (i < s.size() && s[i] == '.') {
          ++i;
          while (i < s.size() && IsDigit(s[i]))
            ++i;
        }
        if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
          size_t e = i + 1;
          if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
          if (e < s.size() && IsDigit(s[e])) {
            i = e;
            while (i < s.size() && IsDigit(s[i]))
              ++i;
          }
        }
      }
      if (i < s.size() && IsIdentChar(s[i])) return Fail(err, line, "malformed number");
      push(Tok::Number, std::string(s.substr(b, i - b)));
    } else if (c == '\'' || c == '#') {
      // Quoted runs and #NNN codes, side by side, form one string.
      Token t;
      t.kind = Tok::String;
      t.line = line;
      while (i < s.size() && (s[i] == '\'' || s[i] == '#')) {
        if (s[i] == '\'') {
          ++i;
          std::string run;
          for (;;) {
            if (i >= s.size() || s[i] == '\n') return Fail(err, line, "unterminated string");
            if (s[i] == '\'') {
              if (i + 1 < s.size() && s[i + 1] == '\'') {
                run.push_back('\'');
                i += 2;
                continue;
              }
              ++i;
              break;
            }
            run.push_back(s[i++]);
          }
          t.str += kx::Utf8ToUtf16(run);
        } else {
          ++i;
          uint32_t code = 0;
          size_t b = i;
          if (i < s.size() && s[i] == '$') {
            ++i;
            b = i;
            while (i < s.size() && IsHex(s[i])) {
              code = code * 16 + uint32_t(IsDigit(s[i]) ? s[i] - '0' : (s[i] | 0x20) - 'a' + 10);
              if (code > 0xFFFF) return Fail(err, line, "character code out of range");
              ++i;
            }
          } else {
            while (i < s.size() && IsDigit(s[i])) {
              code = code * 10 + uint32_t(s[i] - '0');
              if (code > 0xFFFF) return Fail(err, line, "character code out of range");
              ++i;
            }
          }
          if (i == b) return Fail(err, line, "malformed character code after \"#\"");
          t.str.push_back(char16_t(code));
        }
      }
      out->push_back(std::move(t));
    } else {
      Tok k;
      switch (c) {
        case '=':
          k = Tok::Equals;
          break;
        case ':':
          k = Tok::Colon;
          break;
        case '[':
          k = Tok::LBracket;
          break;
        case ']':
          k = Tok::RBracket;
          break;
        case ',':
          k = Tok::Comma;
          break;
        case '.':
          k = Tok::Dot;
          break;
        case '+':
          k = Tok::Plus;
          break;
        default: {
          unsigned char u = static_cast<unsigned char>(c);
          char buf[64];
          if (u >= 0x21 && u < 0x7F)
            std::snprintf(buf, sizeof buf, "unexpected character \"%c\"", c);
          else
            std::snprintf(buf, sizeof buf, "unexpected character code %u", unsigned(u));
          return Fail(err, line, buf);
        }
      }
      push(k);
      ++i;
    }
  }
  push(Tok::End);
  return true;
}

// ---------------------------------------------------------------------------------------
// Values as read, before they meet a property.
struct RawValue {
  enum Kind { Ident, Number, String, Set } kind = Ident;
  std::string text;                   // Ident, Number
  std::u16string str;                 // String
  std::vector<std::string> elements;  // Set
  int line = 0;
};

bool ParseInteger(std::string_view text, int64_t* out) {
  bool neg = !text.empty() && text[0] == '-';
  std::string_view digits = neg ? text.substr(1) : text;
  int base = 10;
  if (!digits.empty() && digits[0] == '$') {
    base = 16;
    digits = digits.substr(1);
  }
  if (digits.empty()) return false;
  uint64_t v = 0;
  auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
  if (ec != std::errc() || p != digits.data() + digits.size()) return false;
  if (base == 16 && !neg && v <= 0xFFFFFFFFull) {
    *out = int64_t(int32_t(uint32_t(v)));  // 32 bits, as written: $FF000005 is clWindow
    return true;
  }
  if (neg) {
    if (v > uint64_t(std::numeric_limits<int64_t>::max()) + 1) return false;
    *out = v == uint64_t(std::numeric_limits<int64_t>::max()) + 1
               ? std::numeric_limits<int64_t>::min()
               : -int64_t(v);
  } else {
    if (v > uint64_t(std::numeric_limits<int64_t>::max())) return false;
    *out = int64_t(v);
  }
  return true;
}

bool ParseFloat(const RawValue& v, double* out) {
  if (v.kind == RawValue::Ident) {
    if (kx::SameText(v.text, "NAN"))
      *out = std::numeric_limits<double>::quiet_NaN();
    else if (kx::SameText(v.text, "INF"))
      *out = std::numeric_limits<double>::infinity();
    else
      return false;
    return true;
  }
  if (v.kind != RawValue::Number) return false;
  if (v.text.find('$') != std::string::npos) {
    int64_t i;
    if (!ParseInteger(v.text, &i)) return false;
    *out = double(i);
    return true;
  }
  const char* b = v.text.data();
  const char* e = b + v.text.size();
  auto [p, ec] = std::from_chars(b, e, *out);
  return ec == std::errc() && p == e;
}

// The stored form of `raw` for `prop`; false with a message naming what is wrong.
bool ConvertValue(const TPropInfo* prop, const RawValue& raw, TPropValue* out, std::string* why) {
  const std::string& name = prop->Name();
  switch (prop->Kind()) {
    case TPropKind::Integer:
    case TPropKind::Color: {
      if (raw.kind == RawValue::Number) {
        int64_t i;
        if (!ParseInteger(raw.text, &i)) {
          *why = "\"" + raw.text + "\" is not an integer (property " + name + ")";
          return false;
        }
        *out = i;
        return true;
      }
      int32_t v;
      if (raw.kind == RawValue::Ident && prop->Idents() &&
          prop->Idents()->IdentToInt(raw.text, &v)) {
        *out = int64_t(v);
        return true;
      }
      *why = raw.kind == RawValue::Ident ? "unknown value \"" + raw.text + "\" for property " + name
                                         : "property " + name + " needs an integer";
      return false;
    }
    case TPropKind::Bool: {
      if (raw.kind == RawValue::Ident) {
        if (kx::SameText(raw.text, "True")) {
          *out = true;
          return true;
        }
        if (kx::SameText(raw.text, "False")) {
          *out = false;
          return true;
        }
      }
      *why = "property " + name + " needs True or False";
      return false;
    }
    case TPropKind::Enum: {
      if (raw.kind == RawValue::Ident && prop->EnumInfo()) {
        int o = prop->EnumInfo()->Ordinal(raw.text);
        if (o >= 0) {
          *out = int64_t(o);
          return true;
        }
        *why = "unknown element \"" + raw.text + "\" of " + prop->EnumInfo()->TypeName() +
               " (property " + name + ")";
        return false;
      }
      *why = "property " + name + " needs an element name";
      return false;
    }
    case TPropKind::Set: {
      if (raw.kind != RawValue::Set || !prop->EnumInfo()) {
        *why = "property " + name + " needs a set in brackets";
        return false;
      }
      int64_t mask = 0;
      for (const std::string& e : raw.elements) {
        int o = prop->EnumInfo()->Ordinal(e);
        if (o < 0 || o > 62) {
          *why = "unknown element \"" + e + "\" of " + prop->EnumInfo()->TypeName() +
                 " (property " + name + ")";
          return false;
        }
        mask |= int64_t(1) << o;
      }
      *out = mask;
      return true;
    }
    case TPropKind::Float:
    case TPropKind::Double: {
      double d;
      if (!ParseFloat(raw, &d)) {
        *why = "property " + name + " needs a number";
        return false;
      }
      *out = d;
      return true;
    }
    case TPropKind::String:
      if (raw.kind != RawValue::String) {
        *why = "property " + name + " needs a string";
        return false;
      }
      *out = raw.str;
      return true;
    case TPropKind::AnsiString:
      if (raw.kind != RawValue::String) {
        *why = "property " + name + " needs a string";
        return false;
      }
      *out = kx::UnicodeToAnsi(raw.str);
      return true;
    case TPropKind::Object:
      *why = "property " + name + " is an object; assign its properties (" + name + ".Name = ...)";
      return false;
    case TPropKind::Event:
    case TPropKind::Component:
      *why = "property " + name + " cannot be assigned here";
      return false;
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// The reader
class Reader {
 public:
  Reader(std::vector<Token> toks, TLayoutError* err) : toks_(std::move(toks)), err_(err) {}

  bool ReadRoot(TComponent* root) {
    root_ = root;
    methods_ = root;
    SkipNewlines();
    if (!ExpectObjectKeyword()) return false;
    root->SetComponentState(root->ComponentState() | csLoading | csReading);
    bool ok = ReadObjectBody(root, nullptr, 0, true) && ExpectTail() && ResolveReferences();
    if (!ok) {
      Cleanup();
      root->SetComponentState(root->ComponentState() & ~(csLoading | csReading));
      return false;
    }
    root->SetComponentState(root->ComponentState() & ~(csLoading | csReading));
    for (TComponent* c : created_)
      c->SetComponentState(c->ComponentState() & ~(csLoading | csReading));
    root->Loaded();
    for (TComponent* c : created_)
      c->Loaded();
    return true;
  }

  bool ReadSingle(TPersistent* object) {
    single_ = true;
    auto* comp = dynamic_cast<TComponent*>(object);
    methods_ = comp;
    root_ = comp ? comp->Owner() : nullptr;
    SkipNewlines();
    if (!ExpectObjectKeyword()) return false;
    const Token& name = Peek();
    if (name.kind != Tok::Ident) return Error(name.line, "expected a name after \"object\"");
    std::string className = name.text;
    Advance();
    if (Peek().kind == Tok::Colon) {
      Advance();
      if (Peek().kind != Tok::Ident) return Error(Peek().line, "expected a class name after \":\"");
      className = Peek().text;
      Advance();
    }
    if (!kx::SameText(className, object->ClassName()))
      return Error(name.line, "the object is a " + object->ClassName() + ", not a " + className);
    if (!ExpectNewline()) return false;
    if (comp) comp->SetComponentState(comp->ComponentState() | csLoading | csReading);
    bool ok = ReadMembers(object, nullptr, 0) && ExpectTail() && ResolveReferences();
    if (comp) {
      comp->SetComponentState(comp->ComponentState() & ~(csLoading | csReading));
      if (ok) comp->Loaded();
    }
    return ok;
  }

  bool Error(int line, std::string message) { return Fail(err_, line, std::move(message)); }

  // Reads one value; the cursor stands on its first token.
  bool ReadValue(RawValue* v) {
    const Token& t = Peek();
    v->line = t.line;
    switch (t.kind) {
      case Tok::Ident:
        v->kind = RawValue::Ident;
        v->text = t.text;
        Advance();
        return true;
      case Tok::Number:
        v->kind = RawValue::Number;
        v->text = t.text;
        Advance();
        return true;
      case Tok::String: {
        v->kind = RawValue::String;
        v->str = t.str;
        Advance();
        while (Peek().kind == Tok::Plus) {  // 'first part' + <line break> 'second part'
          Advance();
          SkipNewlines();
          if (Peek().kind != Tok::String)
            return Error(Peek().line, "expected a string after \"+\"");
          v->str += Peek().str;
          Advance();
        }
        return true;
      }
      case Tok::LBracket: {
        v->kind = RawValue::Set;
        Advance();
        if (Peek().kind == Tok::RBracket) {
          Advance();
          return true;
        }
        for (;;) {
          if (Peek().kind != Tok::Ident)
            return Error(Peek().line, "expected an element name in the set");
          v->elements.push_back(Peek().text);
          Advance();
          if (Peek().kind == Tok::Comma) {
            Advance();
            continue;
          }
          if (Peek().kind == Tok::RBracket) {
            Advance();
            return true;
          }
          return Error(Peek().line, "expected \",\" or \"]\" in the set");
        }
      }
      default:
        return Error(t.line, std::string("expected a value, found ") + TokName(t.kind));
    }
  }

  const Token& Peek(size_t ahead = 0) const {
    size_t k = std::min(pos_ + ahead, toks_.size() - 1);
    return toks_[k];
  }
  void Advance() {
    if (pos_ + 1 < toks_.size()) ++pos_;
  }
  bool AtEnd() const { return Peek().kind == Tok::End; }

 private:
  struct Reference {
    TObject* object;
    const TPropInfo* prop;
    std::string name;
    int line;
  };

  void SkipNewlines() {
    while (Peek().kind == Tok::Newline)
      Advance();
  }
  bool ExpectNewline() {
    if (Peek().kind == Tok::Newline) {
      Advance();
      return true;
    }
    if (Peek().kind == Tok::End) return true;
    return Error(Peek().line,
                 std::string("expected the end of the line, found ") + TokName(Peek().kind));
  }
  bool ExpectObjectKeyword() {
    const Token& t = Peek();
    if (t.kind == Tok::Ident && kx::SameText(t.text, "object")) {
      Advance();
      return true;
    }
    if (t.kind == Tok::Ident &&
        (kx::SameText(t.text, "inherited") || kx::SameText(t.text, "inline")))
      return Error(t.line, "\"" + t.text + "\" blocks are not supported");
    if (t.kind == Tok::End) return Error(t.line, "the text holds no object");
    return Error(t.line, "expected \"object\"");
  }
  bool ExpectTail() {
    SkipNewlines();
    if (!AtEnd()) return Error(Peek().line, "unexpected text after the final \"end\"");
    return true;
  }

  bool IsKeywordLine(const char* word) const {
    const Token& t = Peek();
    if (t.kind != Tok::Ident || !kx::SameText(t.text, word)) return false;
    Tok next = Peek(1).kind;
    return next != Tok::Equals && next != Tok::Dot;
  }

  // After "object" of the root or a child: header, members, "end".
  bool ReadObjectBody(TComponent* root, TComponent* parent, int depth, bool isRoot) {
    if (depth > kMaxDepth) return Error(Peek().line, "objects are nested too deeply");
    const Token& first = Peek();
    int line = first.line;
    if (first.kind != Tok::Ident) return Error(line, "expected a name after \"object\"");
    std::string name = first.text, className;
    Advance();
    if (Peek().kind == Tok::Colon) {
      Advance();
      if (Peek().kind != Tok::Ident) return Error(Peek().line, "expected a class name after \":\"");
      className = Peek().text;
      Advance();
    } else {
      className = name;
      name.clear();
    }
    if (!ExpectNewline()) return false;

    TComponent* comp = nullptr;
    if (isRoot) {
      if (!kx::SameText(className, root->ClassName()))
        return Error(line, "the root is a " + root->ClassName() + ", not a " + className);
      if (!root->SetName(name))
        return Error(line, "the name \"" + name + "\" cannot be given to the root");
      comp = root;
    } else {
      const TClassInfo* cls = FindClass(className);
      if (!cls) return Error(line, "unknown class " + className);
      if (!cls->CanCreate())
        return Error(line, "class " + className + " cannot be created by name");
      comp = cls->Create(root);
      if (!comp) return Error(line, "class " + className + " could not be created");
      created_.push_back(comp);
      comp->SetComponentState(comp->ComponentState() | csLoading | csReading);
      if (!name.empty() && !TComponent::IsValidIdent(name))
        return Error(line, "\"" + name + "\" is not a valid component name");
      if (!comp->SetName(name))
        return Error(line, "a component named \"" + name + "\" exists already");
      comp->SetParentComponent(parent);
    }
    return ReadMembers(comp, comp, depth);
  }

  // Property lines and child objects up to the matching "end".
  bool ReadMembers(TPersistent* object, TComponent* asParent, int depth) {
    for (;;) {
      SkipNewlines();
      const Token& t = Peek();
      if (t.kind == Tok::End) return Error(t.line, "missing \"end\"");
      if (IsKeywordLine("end")) {
        Advance();
        return ExpectNewline();
      }
      if (IsKeywordLine("object") || IsKeywordLine("inherited") || IsKeywordLine("inline")) {
        if (single_ || !asParent) return Error(t.line, "nested objects are not allowed here");
        if (!ExpectObjectKeyword()) return false;
        if (!ReadObjectBody(root_, asParent, depth + 1, false)) return false;
        continue;
      }
      if (!ReadProperty(object)) return false;
    }
  }

  bool ReadProperty(TPersistent* object) {
    int line = Peek().line;
    if (Peek().kind != Tok::Ident)
      return Error(line, std::string("expected a property name, found ") + TokName(Peek().kind));
    std::vector<std::string> path{Peek().text};
    Advance();
    while (Peek().kind == Tok::Dot) {
      Advance();
      if (Peek().kind != Tok::Ident) return Error(line, "expected a property name after \".\"");
      path.push_back(Peek().text);
      Advance();
    }
    if (Peek().kind != Tok::Equals) return Error(line, "expected \"=\" after " + Join(path));
    Advance();
    RawValue v;
    if (!ReadValue(&v)) return false;
    if (!ExpectNewline()) return false;
    return Assign(object, path, v, line);
  }

  static std::string Join(const std::vector<std::string>& path) {
    std::string s;
    for (const auto& p : path)
      s += (s.empty() ? "" : ".") + p;
    return s;
  }

  bool Assign(TPersistent* object, const std::vector<std::string>& path, const RawValue& v,
              int line) {
    TObject* target = object;
    for (size_t k = 0; k + 1 < path.size(); ++k) {
      const TPropInfo* p = target->ClassInfo()->FindProperty(path[k]);
      if (!p) return Error(line, "unknown property " + path[k] + " of " + target->ClassName());
      if (p->Kind() != TPropKind::Object)
        return Error(line,
                     "property " + path[k] + " of " + target->ClassName() + " is not an object");
      TPersistent* nested = p->GetObject(target);
      if (!nested)
        return Error(line,
                     "property " + path[k] + " of " + target->ClassName() + " holds no object");
      target = nested;
    }
    const TPropInfo* prop = target->ClassInfo()->FindProperty(path.back());
    if (!prop) return Error(line, "unknown property " + path.back() + " of " + target->ClassName());
    if (prop->Kind() == TPropKind::Event) {
      if (v.kind != RawValue::Ident)
        return Error(line, "event " + prop->Name() + " needs a method name");
      if (kx::SameText(v.text, "nil")) {
        prop->ClearEvent(target);
        return true;
      }
      const std::any* m = methods_ ? methods_->FindMethod(v.text) : nullptr;
      if (!m) return Error(line, "unknown method " + v.text + " for event " + prop->Name());
      if (!prop->SetEvent(target, *m))
        return Error(line, "method " + v.text + " does not fit event " + prop->Name());
      return true;
    }
    if (prop->Kind() == TPropKind::Component) {
      if (v.kind != RawValue::Ident)
        return Error(line, "property " + prop->Name() + " needs a component name");
      if (!prop->setComponent) return Error(line, "property " + prop->Name() + " is read-only");
      if (kx::SameText(v.text, "nil")) {
        prop->SetComponent(target, nullptr);
        return true;
      }
      refs_.push_back({target, prop, v.text, line});
      return true;
    }
    if (prop->Kind() != TPropKind::Object && !prop->setValue)
      return Error(line, "property " + prop->Name() + " is read-only");
    TPropValue value;
    std::string why;
    if (!ConvertValue(prop, v, &value, &why)) return Error(line, why);
    if (!prop->SetValue(target, value))
      return Error(line, "value out of range for property " + prop->Name());
    return true;
  }

  bool ResolveReferences() {
    for (const Reference& r : refs_) {
      TComponent* c = nullptr;
      if (root_) {
        c = root_->FindComponent(r.name);
        if (!c && kx::SameText(root_->Name(), r.name)) c = root_;
      }
      if (!c)
        return Error(r.line, "unknown component " + r.name + " for property " + r.prop->Name());
      if (!r.prop->SetComponent(r.object, c))
        return Error(r.line, "component " + r.name + " does not fit property " + r.prop->Name());
    }
    return true;
  }

  // Deletes what the read created, newest first (children before their parents).
  void Cleanup() {
    for (size_t k = created_.size(); k > 0; --k) {
      TComponent* c = created_[k - 1];
      bool owned = false;
      for (int j = 0; j < root_->ComponentCount(); ++j)
        if (root_->Components(j) == c) owned = true;
      if (owned) delete c;
    }
    created_.clear();
  }

  std::vector<Token> toks_;
  size_t pos_ = 0;
  TLayoutError* err_;
  TComponent* root_ = nullptr;
  TComponent* methods_ = nullptr;
  bool single_ = false;
  std::vector<TComponent*> created_;
  std::vector<Reference> refs_;
};

// ---------------------------------------------------------------------------------------
// The writer
std::string QuoteString(std::u16string_view s) {
  if (s.empty()) return "''";
  std::string out;
  bool inQuote = false;
  for (char16_t c : s) {
    if (c >= 32 && c < 127) {
      if (!inQuote) {
        out.push_back('\'');
        inQuote = true;
      }
      if (c == u'\'') out.push_back('\'');
      out.push_back(char(c));
    } else {
      if (inQuote) {
        out.push_back('\'');
        inQuote = false;
      }
      out += "#" + std::to_string(unsigned(c));
    }
  }
  if (inQuote) out.push_back('\'');
  return out;
}

std::string FormatFloat(double d) {
  if (std::isnan(d)) return "NAN";
  if (std::isinf(d)) return d > 0 ? "INF" : "-INF";
  char buf[128];
  double a = std::fabs(d);
  std::to_chars_result r;
  if (a == 0 || (a >= 1e-4 && a < 1e15))
    r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed, 18);
  else
    r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific, 18);
  if (r.ec != std::errc()) return "0.000000000000000000";
  return std::string(buf, r.ptr);
}

bool FormatValue(const TObject* obj, const TPropInfo* p, std::string* out) {
  switch (p->Kind()) {
    case TPropKind::Object:
      return false;
    case TPropKind::Event:
      *out = p->GetEventName(obj);
      return !out->empty();
    case TPropKind::Component: {
      TComponent* c = p->GetComponent(obj);
      if (!c || c->Name().empty()) return false;
      *out = c->Name();
      return true;
    }
    default:
      break;
  }
  TPropValue v = p->GetValue(obj);
  switch (p->Kind()) {
    case TPropKind::Integer:
    case TPropKind::Color: {
      const int64_t* i = std::get_if<int64_t>(&v);
      if (!i) return false;
      std::string name;
      if (p->Idents() && *i >= INT32_MIN && *i <= INT32_MAX &&
          p->Idents()->IntToIdent(int32_t(*i), &name))
        *out = name;
      else
        *out = std::to_string(*i);
      return true;
    }
    case TPropKind::Bool: {
      const bool* b = std::get_if<bool>(&v);
      if (!b) return false;
      *out = *b ? "True" : "False";
      return true;
    }
    case TPropKind::Enum: {
      const int64_t* i = std::get_if<int64_t>(&v);
      if (!i || !p->EnumInfo()) return false;
      const std::string& name = p->EnumInfo()->Name(int(*i));
      if (name.empty() || *i < 0 || *i > INT32_MAX) return false;
      *out = name;
      return true;
    }
    case TPropKind::Set: {
      const int64_t* m = std::get_if<int64_t>(&v);
      if (!m || !p->EnumInfo()) return false;
      std::string s = "[";
      bool first = true;
      for (int o = 0; o < p->EnumInfo()->Count() && o < 63; ++o) {
        if (!((*m >> o) & 1)) continue;
        if (!first) s += ", ";
        s += p->EnumInfo()->Name(o);
        first = false;
      }
      *out = s + "]";
      return true;
    }
    case TPropKind::Float:
    case TPropKind::Double: {
      const double* d = std::get_if<double>(&v);
      if (!d) return false;
      *out = FormatFloat(*d);
      return true;
    }
    case TPropKind::String: {
      const std::u16string* s = std::get_if<std::u16string>(&v);
      if (!s) return false;
      *out = QuoteString(*s);
      return true;
    }
    case TPropKind::AnsiString: {
      const std::string* s = std::get_if<std::string>(&v);
      if (!s) return false;
      *out = QuoteString(kx::AnsiToUnicode(*s));
      return true;
    }
    default:
      return false;
  }
}

void WriteProperties(const TObject* obj, const std::string& prefix, const std::string& indent,
                     std::string* out, int depth) {
  if (depth > kMaxObjectDepth) return;
  for (const TPropInfo* p : obj->ClassInfo()->Properties()) {
    if (p->Kind() == TPropKind::Object) {
      if (p->stored && !p->stored(obj)) continue;
      TPersistent* nested = p->GetObject(obj);
      if (nested && nested != obj)
        WriteProperties(nested, prefix + p->Name() + ".", indent, out, depth + 1);
      continue;
    }
    if (!p->IsStored(obj)) continue;
    std::string value;
    if (!FormatValue(obj, p, &value)) continue;
    *out += indent + prefix + p->Name() + " = " + value + "\n";
  }
}

std::string Header(const TComponent* c) {
  if (c->Name().empty()) return "object " + c->ClassName() + "\n";
  return "object " + c->Name() + ": " + c->ClassName() + "\n";
}

void WriteChildren(const TComponent* root, const TComponent* parent, const std::string& indent,
                   std::string* out, std::set<const TComponent*>* written, int depth) {
  if (depth > kMaxDepth) return;
  for (int i = 0; i < root->ComponentCount(); ++i) {
    const TComponent* c = root->Components(i);
    if (written->count(c)) continue;
    const TComponent* p = c->GetParentComponent();
    bool underRoot = !p || p == root || p->Owner() != root;
    if (underRoot ? parent != root : p != parent) continue;
    written->insert(c);
    *out += indent + Header(c);
    WriteProperties(c, "", indent + "  ", out, 0);
    WriteChildren(root, c, indent + "  ", out, written, depth + 1);
    *out += indent + "end\n";
  }
}

// Resolves a dotted property path of `object`; nullptr with a message when it fails.
const TPropInfo* ResolvePath(const TObject* object, std::string_view path, const TObject** target,
                             std::string* why) {
  const TObject* obj = object;
  for (;;) {
    size_t dot = path.find('.');
    std::string_view seg = path.substr(0, dot);
    const TPropInfo* p = obj->ClassInfo()->FindProperty(seg);
    if (!p) {
      *why = "unknown property " + std::string(seg) + " of " + obj->ClassName();
      return nullptr;
    }
    if (dot == std::string_view::npos) {
      *target = obj;
      return p;
    }
    if (p->Kind() != TPropKind::Object || !p->GetObject(obj)) {
      *why = "property " + std::string(seg) + " of " + obj->ClassName() + " is not an object";
      return nullptr;
    }
    obj = p->GetObject(obj);
    path = path.substr(dot + 1);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
bool ReadComponentText(std::string_view text, TComponent* root, TLayoutError* err) {
  if (err) *err = TLayoutError{};
  if (!root) return Fail(err, 0, "no root component");
  std::vector<Token> toks;
  if (!Tokenize(text, &toks, err)) return false;
  Reader r(std::move(toks), err);
  return r.ReadRoot(root);
}

std::string WriteComponentText(const TComponent* root) {
  if (!root) return {};
  std::string out = Header(root);
  WriteProperties(root, "", "  ", &out, 0);
  std::set<const TComponent*> written;
  WriteChildren(root, root, "  ", &out, &written, 0);
  out += "end\n";
  return out;
}

std::string WriteObjectText(const TPersistent* object, const std::string& name) {
  if (!object) return {};
  std::string out =
      "object " + (name.empty() ? object->ClassName() : name + ": " + object->ClassName()) + "\n";
  WriteProperties(object, "", "  ", &out, 0);
  out += "end\n";
  return out;
}

bool ReadObjectText(std::string_view text, TPersistent* object, TLayoutError* err) {
  if (err) *err = TLayoutError{};
  if (!object) return Fail(err, 0, "no object");
  std::vector<Token> toks;
  if (!Tokenize(text, &toks, err)) return false;
  Reader r(std::move(toks), err);
  return r.ReadSingle(object);
}

bool WritePropertyValue(const TPersistent* object, std::string_view propertyPath,
                        std::string* valueText) {
  if (!object || !valueText) return false;
  const TObject* target = nullptr;
  std::string why;
  const TPropInfo* p = ResolvePath(object, propertyPath, &target, &why);
  if (!p) return false;
  return FormatValue(target, p, valueText);
}

bool ReadPropertyValue(TPersistent* object, std::string_view propertyPath,
                       std::string_view valueText, TLayoutError* err) {
  if (err) *err = TLayoutError{};
  if (!object) return Fail(err, 0, "no object");
  const TObject* target = nullptr;
  std::string why;
  const TPropInfo* p = ResolvePath(object, propertyPath, &target, &why);
  if (!p) return Fail(err, 1, why);
  if (p->Kind() == TPropKind::Event || p->Kind() == TPropKind::Component)
    return Fail(err, 1, "property " + p->Name() + " cannot be assigned here");
  std::vector<Token> toks;
  if (!Tokenize(valueText, &toks, err)) return false;
  Reader r(std::move(toks), err);
  RawValue v;
  if (!r.ReadValue(&v)) return false;
  if (!r.AtEnd()) return Fail(err, r.Peek().line, "unexpected text after the value");
  TPropValue value;
  if (!ConvertValue(p, v, &value, &why)) return Fail(err, 1, why);
  if (!p->setValue) return Fail(err, 1, "property " + p->Name() + " is read-only");
  if (!p->SetValue(const_cast<TObject*>(target), value))
    return Fail(err, 1, "value out of range for property " + p->Name());
  return true;
}
