// htmlrender [options] [FILE]: parses a caption of the HTML dialect (UTF-8, from FILE or
// stdin), lays it out and dumps the items, the plain text or the markup, or draws it to a
// PNG file.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "framework/Graphics.h"
#include "htmltext/HTMLDump.h"
#include "htmltext/HTMLParser.h"
#include "htmltext/HTMLRender.h"
#include "platform/kernel/Unicode.h"

namespace {

const char kUsage[] =
    "usage: htmlrender [--font FACE] [--height H] [--style LETTERS] [--color C]\n"
    "                  [--link-color C] [--width W] [--line-gap N] [--line-spacing N]\n"
    "                  [--dump] [--text] [--html] [--png OUT] [--bg C] [FILE]\n"
    "  LETTERS: any of B, I, U, S. C: a colour number (decimal or 0x hex) or a colour name.\n"
    "  --width W wraps the text at W pixels; without it the text is not wrapped.\n";

int Usage(const std::string& problem) {
  if (!problem.empty()) std::fprintf(stderr, "htmlrender: %s\n", problem.c_str());
  std::fputs(kUsage, stderr);
  return 2;
}

bool ParseInt(const std::string& s, int& out) {
  int32_t v;
  if (s.empty() || !THTMLParser::ReadInteger(kx::Utf8ToUtf16(s), v)) return false;
  out = v;
  return true;
}

bool ParseColor(const std::string& s, TColor& out) {
  if (s.empty()) return false;
  const std::u16string u = kx::Utf8ToUtf16(s);
  if (THTMLParser::ColorFromName(u, out)) return true;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(s.c_str(), &end, 0);
  if (errno || !end || *end || s[0] == '-' || v > 0xFFFFFFFFull) return false;
  out = TColor(uint32_t(v));
  return true;
}

bool ParseStyle(const std::string& s, TFontStyles& out) {
  TFontStyles st;
  for (char c : s) {
    switch (c) {
      case 'B':
      case 'b':
        st.Include(fsBold);
        break;
      case 'I':
      case 'i':
        st.Include(fsItalic);
        break;
      case 'U':
      case 'u':
        st.Include(fsUnderline);
        break;
      case 'S':
      case 's':
        st.Include(fsStrikeOut);
        break;
      default:
        return false;
    }
  }
  out = st;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string face, file, png;
  bool haveFace = false, haveHeight = false, haveStyle = false, haveColor = false, haveLink = false,
       dump = false, text = false, html = false, haveFile = false;
  int height = 0, width = -1, lineGap = 0, lineSpacing = 0;
  TFontStyles style;
  TColor color = 0, linkColor = 0, bg = clWhite;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string& v) {
      if (i + 1 >= argc) return false;
      v = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--font") {
      if (!value(v)) return Usage("--font needs a face name");
      face = v;
      haveFace = true;
    } else if (a == "--height") {
      if (!value(v) || !ParseInt(v, height)) return Usage("--height needs an integer");
      haveHeight = true;
    } else if (a == "--style") {
      if (!value(v) || !ParseStyle(v, style)) return Usage("--style takes letters of B, I, U, S");
      haveStyle = true;
    } else if (a == "--color") {
      if (!value(v) || !ParseColor(v, color)) return Usage("--color needs a colour");
      haveColor = true;
    } else if (a == "--link-color") {
      if (!value(v) || !ParseColor(v, linkColor)) return Usage("--link-color needs a colour");
      haveLink = true;
    } else if (a == "--width") {
      if (!value(v) || !ParseInt(v, width) || width < 0)
        return Usage("--width needs a non-negative integer");
    } else if (a == "--line-gap") {
      if (!value(v) || !ParseInt(v, lineGap)) return Usage("--line-gap needs an integer");
    } else if (a == "--line-spacing") {
      if (!value(v) || !ParseInt(v, lineSpacing)) return Usage("--line-spacing needs an integer");
    } else if (a == "--dump") {
      dump = true;
    } else if (a == "--text") {
      text = true;
    } else if (a == "--html") {
      html = true;
    } else if (a == "--png") {
      if (!value(v) || v.empty()) return Usage("--png needs a file name");
      png = v;
    } else if (a == "--bg") {
      if (!value(v) || !ParseColor(v, bg)) return Usage("--bg needs a colour");
    } else if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage("unknown option " + a);
    } else {
      if (haveFile) return Usage("only one FILE");
      file = a;
      haveFile = true;
    }
  }
  if (!dump && !text && !html && png.empty()) dump = true;

  std::string input;
  if (haveFile) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return Usage("cannot read " + file);
    input.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } else {
    input.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  }

  THTMLRender render;
  THTMLData* data = render.Data();
  if (haveFace) data->SetDefaultFont(kx::Utf8ToUtf16(face));
  if (haveHeight) data->SetDefaultHeight(height);
  if (haveStyle) data->SetDefaultStyle(style);
  if (haveColor) data->SetDefaultColor(color);
  if (haveLink) data->SetLinkColor(linkColor);
  data->SetLineGap(lineGap);
  data->SetLineSpacing(lineSpacing);
  render.PrepareText(kx::Utf8ToUtf16(input), width < 0 ? 0 : width, width >= 0);

  if (dump) std::fputs(kx::HTMLDump(*data).c_str(), stdout);
  if (text) std::printf("%s\n", kx::HTMLQuote(render.AsText()).c_str());
  if (html) std::printf("%s\n", kx::HTMLQuote(data->GenerateHTML()).c_str());
  if (!png.empty()) {
    const TSize size = data->TextSize();
    const int w = size.cx < 1 ? 1 : size.cx, h = size.cy < 1 ? 1 : size.cy;
    TBitmap bitmap(w, h);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetColor(bg);
    canvas->FillRect(Rect(0, 0, w, h));
    render.DrawText(canvas, Point(0, 0), Rect(0, 0, w, h), clNone);
    if (!bitmap.SaveToPngFile(png)) {
      std::fprintf(stderr, "htmlrender: cannot write %s\n", png.c_str());
      return 1;
    }
  }
  return 0;
}
