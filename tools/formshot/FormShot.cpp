#include "FormShot.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "framework/Forms.h"
#include "framework/Register.h"
#include "framework/Streaming.h"
#include "framework/TypInfo.h"
#include "platform/display/Headless.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/User.h"

#ifdef KX_HAVE_CONTROLS
#include "controls/Register.h"
#endif
#ifdef KX_HAVE_MARQUEE
#include "marquee/Register.h"
#endif
#ifdef KX_HAVE_HTTPGET
#include "httpget/Register.h"
#endif

namespace kx::formshot {
namespace {

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

bool ParseInt(std::string_view s, int* out) {
  if (s.empty() || s.size() > 9) return false;
  size_t i = 0;
  bool negative = false;
  if (s[0] == '-') {
    negative = true;
    i = 1;
    if (s.size() == 1) return false;
  }
  int v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  *out = negative ? -v : v;
  return true;
}

// "object Name: TClass" on the first non-blank line: the class name, or "".
std::string RootClassName(std::string_view text, size_t* classPos) {
  std::istringstream in{std::string(text)};
  std::string line;
  size_t offset = 0;
  while (std::getline(in, line)) {
    size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos) {
      offset += line.size() + 1;
      continue;
    }
    if (Lower(line.substr(start, 7)) != "object ") return {};
    size_t colon = line.find(':', start);
    if (colon == std::string::npos) return {};
    size_t b = line.find_first_not_of(" \t", colon + 1);
    if (b == std::string::npos) return {};
    size_t e = b;
    while (e < line.size() && (std::isalnum(static_cast<unsigned char>(line[e])) || line[e] == '_'))
      ++e;
    *classPos = offset + b;
    return line.substr(b, e - b);
  }
  return {};
}

// Drops "OnXxx = Method" lines: the generic root form has no methods to bind them to.
std::string WithoutEvents(std::string_view text) {
  std::istringstream in{std::string(text)};
  std::string line, out;
  while (std::getline(in, line)) {
    size_t s = line.find_first_not_of(" \t");
    bool event = false;
    if (s != std::string::npos && line.compare(s, 2, "On") == 0) {
      size_t eq = line.find('=', s);
      if (eq != std::string::npos && line.find('\'', s) == std::string::npos) {
        std::string name = line.substr(s, eq - s);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
          name.pop_back();
        event = name.find('.') == std::string::npos && name.find(' ') == std::string::npos;
      }
    }
    // Keep the line count, so that error line numbers still point into the file.
    out += event ? std::string() : line;
    out += '\n';
  }
  return out;
}

}  // namespace

bool ParseKeyName(std::string_view name, unsigned* vk, unsigned* shift) {
  *shift = 0;
  std::string n = Lower(name);
  for (;;) {
    if (n.rfind("shift+", 0) == 0) {
      *shift |= kx::headless::kShift;
      n = n.substr(6);
    } else if (n.rfind("ctrl+", 0) == 0) {
      *shift |= kx::headless::kCtrl;
      n = n.substr(5);
    } else if (n.rfind("alt+", 0) == 0) {
      *shift |= kx::headless::kAlt;
      n = n.substr(4);
    } else {
      break;
    }
  }
  static const struct {
    const char* name;
    unsigned vk;
  } kKeys[] = {
      {"tab", VK_TAB},      {"enter", VK_RETURN},  {"return", VK_RETURN},  {"escape", VK_ESCAPE},
      {"esc", VK_ESCAPE},   {"space", VK_SPACE},   {"backspace", VK_BACK}, {"delete", VK_DELETE},
      {"del", VK_DELETE},   {"insert", VK_INSERT}, {"left", VK_LEFT},      {"right", VK_RIGHT},
      {"up", VK_UP},        {"down", VK_DOWN},     {"home", VK_HOME},      {"end", VK_END},
      {"pageup", VK_PRIOR}, {"pagedown", VK_NEXT}, {"apps", VK_APPS}};
  for (const auto& k : kKeys) {
    if (n == k.name) {
      *vk = k.vk;
      return true;
    }
  }
  if (n.size() == 1 && std::isalnum(static_cast<unsigned char>(n[0]))) {
    *vk = unsigned(std::toupper(static_cast<unsigned char>(n[0])));
    return true;
  }
  if (n.size() >= 2 && n[0] == 'f') {
    int f = 0;
    if (ParseInt(n.substr(1), &f) && f >= 1 && f <= 12) {
      *vk = VK_F1 + unsigned(f - 1);
      return true;
    }
  }
  return false;
}

bool ParseScript(const std::vector<std::string>& args, std::vector<Step>* steps,
                 std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a != "--ticks" && a != "--type" && a != "--key" && a != "--click" && a != "--focus") {
      *error = "unknown argument '" + a + "'";
      return false;
    }
    if (i + 1 >= args.size()) {
      *error = a + " needs a value";
      return false;
    }
    const std::string& v = args[++i];
    Step s;
    if (a == "--ticks") {
      s.kind = Step::Kind::Ticks;
      if (!ParseInt(v, &s.count) || s.count < 0) {
        *error = "--ticks takes a count of 10 ms ticks, not '" + v + "'";
        return false;
      }
    } else if (a == "--type") {
      s.kind = Step::Kind::Type;
      s.text = kx::Utf8ToUtf16(v);
    } else if (a == "--key") {
      s.kind = Step::Kind::Key;
      unsigned vk, shift;
      if (!ParseKeyName(v, &vk, &shift)) {
        *error = "unknown key '" + v + "'";
        return false;
      }
      s.name = v;
    } else if (a == "--click") {
      s.kind = Step::Kind::Click;
      size_t comma = v.find(',');
      if (comma == std::string::npos || !ParseInt(v.substr(0, comma), &s.x) ||
          !ParseInt(v.substr(comma + 1), &s.y)) {
        *error = "--click takes X,Y, not '" + v + "'";
        return false;
      }
    } else {
      s.kind = Step::Kind::Focus;
      s.name = v;
    }
    steps->push_back(std::move(s));
  }
  return true;
}

bool ParseArguments(const std::vector<std::string>& args, Options* options, std::string* error) {
  if (args.size() < 2) {
    *error = "a layout file and an output file are needed";
    return false;
  }
  if (args[0].rfind("--", 0) == 0 || args[1].rfind("--", 0) == 0) {
    *error = "the layout file and the output file come first";
    return false;
  }
  options->layoutPath = args[0];
  options->outPath = args[1];
  return ParseScript(std::vector<std::string>(args.begin() + 2, args.end()), &options->steps,
                     error);
}

void RegisterKnownClasses() {
  RegisterFrameworkClasses();
#ifdef KX_HAVE_CONTROLS
  RegisterControlsClasses();
#endif
#ifdef KX_HAVE_MARQUEE
  RegisterMarqueeClasses();
#endif
#ifdef KX_HAVE_HTTPGET
  RegisterHTTPGetClasses();
#endif
}

bool Render(std::string_view layout, const std::vector<Step>& steps, Image* image,
            std::string* error) {
  if (kx::CurrentDisplay() != kx::DisplayKind::Headless && !kx::headless::Start()) {
    *error = "the headless display could not be started";
    return false;
  }
  RegisterKnownClasses();

  size_t classPos = 0;
  std::string className = RootClassName(layout, &classPos);
  if (className.empty()) {
    *error = "line 1: the layout does not start with 'object Name: TClass'";
    return false;
  }
  // A registered form class is created as itself; any other root becomes a plain TForm
  // (with the event bindings dropped, since it has no handlers).
  TCustomForm* form = nullptr;
  std::string text(layout);
  const TClassInfo* cls = FindClass(className);
  if (cls && cls->CanCreate() && cls->InheritsFrom(TCustomForm::StaticClass())) {
    form = dynamic_cast<TCustomForm*>(cls->Create(nullptr));
  }
  if (!form) {
    text.replace(classPos, className.size(), "TForm");
    text = WithoutEvents(text);
    form = new TForm(nullptr);
  }
  TLayoutError err;
  if (!ReadComponentText(text, form, &err)) {
    *error = "line " + std::to_string(err.line) + ": " + err.message;
    delete form;
    return false;
  }
  form->DoCreate();
  form->Show();
  kx::headless::Tick(0);

  bool ok = true;
  for (const Step& s : steps) {
    switch (s.kind) {
      case Step::Kind::Ticks:
        kx::headless::Tick(uint32_t(s.count) * 10u);
        break;
      case Step::Kind::Type:
        kx::headless::TypeText(s.text);
        break;
      case Step::Kind::Key: {
        unsigned vk = 0, shift = 0;
        ParseKeyName(s.name, &vk, &shift);
        kx::headless::PressKey(vk, shift);
        break;
      }
      case Step::Kind::Click:
        kx::headless::Click(s.x, s.y);
        break;
      case Step::Kind::Focus: {
        auto* c = dynamic_cast<TWinControl*>(form->FindComponent(s.name));
        if (!c) {
          *error = "--focus: no windowed control named '" + s.name + "'";
          ok = false;
          break;
        }
        if (!c->CanFocus()) {
          *error = "--focus: '" + s.name + "' cannot take the focus";
          ok = false;
          break;
        }
        c->SetFocus();
        kx::headless::Tick(0);
        break;
      }
    }
    if (!ok) break;
  }
  if (ok) *image = kx::headless::Screenshot();
  delete form;
  kx::headless::Tick(0);
  return ok;
}

int Run(const Options& options, std::string* error) {
  std::ifstream in(options.layoutPath, std::ios::binary);
  if (!in) {
    *error = "cannot read '" + options.layoutPath + "'";
    return 1;
  }
  std::ostringstream buf;
  buf << in.rdbuf();
  Image image;
  if (!Render(buf.str(), options.steps, &image, error)) {
    *error = options.layoutPath + ": " + *error;
    return 1;
  }
  if (image.width <= 0 || image.height <= 0) {
    *error = "the form has an empty client area";
    return 1;
  }
  if (!kx::SavePng(image, options.outPath)) {
    *error = "cannot write '" + options.outPath + "'";
    return 1;
  }
  return 0;
}

}  // namespace kx::formshot
