#include "htmltext/HTMLParser.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/Classes.h"
#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/TypInfo.h"
#include "htmltext/HTMLControlItem.h"
#include "htmltext/HTMLData.h"
#include "htmltext/HTMLInputItem.h"
#include "htmltext/HTMLRender.h"
#include "platform/kernel/Unicode.h"

namespace {

using std::u16string;
using std::u16string_view;

// ---------------------------------------------------------------------------------------
// Fixed tables, shared by every engine.

enum TagAction : int {
  taSub = 0,
  taSup = 1,
  taBold = 2,
  taItalic = 3,
  taBoldItalic = 4,
  taStrike = 5,
  taUnderline = 6,
  taUL = 7,
  taEndUL = 8,
  taOL = 9,
  taEndOL = 10,
  taLI = 11,
  taPara = 12,
  taBreak = 13,
  taIndent = 14,
  taImage = 15,
  taLink = 16,
  taEndLink = 17,
  taHtml = 18,
  taRule = 19,
  taEndFont = 20,
  taFont = 21,
  taInput = 22,
  taControl = 23,
  taVariable = 24,
};

const std::unordered_map<u16string, int>& TagTable() {
  static const std::unordered_map<u16string, int> table = {
      {u"sub", taSub},
      {u"/sub", taSub},
      {u"sup", taSup},
      {u"/sup", taSup},
      {u"b", taBold},
      {u"/b", taBold},
      {u"strong", taBold},
      {u"/strong", taBold},
      {u"i", taItalic},
      {u"/i", taItalic},
      {u"em", taItalic},
      {u"/em", taItalic},
      {u"var", taBoldItalic},
      {u"/var", taBoldItalic},
      {u"cite", taBoldItalic},
      {u"/cite", taBoldItalic},
      {u"strikeout", taStrike},
      {u"/strikeout", taStrike},
      {u"s", taStrike},
      {u"/s", taStrike},
      {u"u", taUnderline},
      {u"/u", taUnderline},
      {u"ul", taUL},
      {u"/ul", taEndUL},
      {u"ol", taOL},
      {u"/ol", taEndOL},
      {u"li", taLI},
      {u"p", taPara},
      {u"/p", taPara},
      {u"br", taBreak},
      {u"ind", taIndent},
      {u"img", taImage},
      {u"a", taLink},
      {u"/a", taEndLink},
      {u"html", taHtml},
      {u"hr", taRule},
      {u"/font", taEndFont},
      {u"font", taFont},
      {u"input", taInput},
      {u"control", taControl},
      {u"~~", taVariable},
  };
  return table;
}

const std::unordered_map<u16string, char16_t>& EntityTable() {
  static const std::unordered_map<u16string, char16_t> table = {
      {u"nbsp", 32},    {u"quot", 34},    {u"amp", 38},     {u"lt", 60},      {u"gt", 62},
      {u"iexcl", 161},  {u"cent", 162},   {u"pound", 163},  {u"curren", 164}, {u"yen", 165},
      {u"brvbar", 166}, {u"sect", 167},   {u"uml", 168},    {u"copy", 169},   {u"ordf", 170},
      {u"laquo", 171},  {u"not", 172},    {u"shy", 173},    {u"reg", 174},    {u"macr", 175},
      {u"deg", 176},    {u"plusmn", 177}, {u"sup2", 178},   {u"sup3", 179},   {u"acute", 180},
      {u"micro", 181},  {u"para", 182},   {u"middot", 183}, {u"cedil", 184},  {u"sup1", 185},
      {u"ordm", 186},   {u"raquo", 187},  {u"frac14", 188}, {u"frac12", 189}, {u"frac34", 190},
      {u"iquest", 191}, {u"times", 215},  {u"szlig", 223},  {u"agrave", 224}, {u"aacute", 225},
      {u"acirc", 226},  {u"atilde", 227}, {u"auml", 228},   {u"aring", 229},  {u"aelig", 230},
      {u"ccedil", 231}, {u"egrave", 232}, {u"eacute", 233}, {u"ecirc", 234},  {u"euml", 235},
      {u"igrave", 236}, {u"iacute", 237}, {u"icirc", 238},  {u"iuml", 239},   {u"eth", 240},
      {u"ntilde", 241}, {u"ograve", 242}, {u"oacute", 243}, {u"ocirc", 244},  {u"otilde", 245},
      {u"ouml", 246},   {u"divide", 247}, {u"oslash", 248}, {u"ugrave", 249}, {u"uacute", 250},
      {u"trade", 8482}, {u"euro", 8364},
  };
  return table;
}

struct ColorEntry {
  const char16_t* name;
  TColor color;
};

constexpr ColorEntry kColors[] = {
    {u"clBlack", clBlack},
    {u"clMaroon", clMaroon},
    {u"clGreen", clGreen},
    {u"clOlive", clOlive},
    {u"clNavy", clNavy},
    {u"clPurple", clPurple},
    {u"clTeal", clTeal},
    {u"clGray", clGray},
    {u"clSilver", clSilver},
    {u"clRed", clRed},
    {u"clLime", clLime},
    {u"clYellow", clYellow},
    {u"clBlue", clBlue},
    {u"clFuchsia", clFuchsia},
    {u"clAqua", clAqua},
    {u"clWhite", clWhite},
    {u"clMoneyGreen", clMoneyGreen},
    {u"clSkyBlue", clSkyBlue},
    {u"clCream", clCream},
    {u"clMedGray", clMedGray},
    {u"clScrollBar", clScrollBar},
    {u"clBackground", clBackground},
    {u"clActiveCaption", clActiveCaption},
    {u"clInactiveCaption", clInactiveCaption},
    {u"clMenu", clMenu},
    {u"clWindow", clWindow},
    {u"clWindowFrame", clWindowFrame},
    {u"clMenuText", clMenuText},
    {u"clWindowText", clWindowText},
    {u"clCaptionText", clCaptionText},
    {u"clActiveBorder", clActiveBorder},
    {u"clInactiveBorder", clInactiveBorder},
    {u"clAppWorkSpace", clAppWorkSpace},
    {u"clHighlight", clHighlight},
    {u"clHighlightText", clHighlightText},
    {u"clBtnFace", clBtnFace},
    {u"clBtnShadow", clBtnShadow},
    {u"clGrayText", clGrayText},
    {u"clBtnText", clBtnText},
    {u"clInactiveCaptionText", clInactiveCaptionText},
    {u"clBtnHighlight", clBtnHighlight},
    {u"cl3DDkShadow", cl3DDkShadow},
    {u"cl3DLight", cl3DLight},
    {u"clInfoText", clInfoText},
    {u"clInfoBk", clInfoBk},
    {u"clHotLight", clHotLight},
    {u"clGradientActiveCaption", TColorOf(0xFF000000 | COLOR_GRADIENTACTIVECAPTION)},
    {u"clGradientInactiveCaption", TColorOf(0xFF000000 | COLOR_GRADIENTINACTIVECAPTION)},
    {u"clMenuHighlight", clMenuHighlight},
    {u"clMenuBar", clMenuBar},
    {u"clNone", clNone},
    {u"clDefault", clDefault},
};

char16_t Lower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

u16string LowerCase(u16string_view s) {
  u16string r(s);
  for (auto& c : r)
    c = Lower(c);
  return r;
}

bool SameText(u16string_view a, u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

const std::unordered_map<u16string, TColor>& ColorTable() {
  static const std::unordered_map<u16string, TColor> table = [] {
    std::unordered_map<u16string, TColor> t;
    for (const auto& e : kColors)
      t.emplace(LowerCase(e.name), e.color);
    return t;
  }();
  return table;
}

// Removes characters of code 32 or below at both ends.
u16string Trim(u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= 32)
    ++b;
  while (e > b && s[e - 1] <= 32)
    --e;
  return u16string(s.substr(b, e - b));
}

// Removes a leading quote, and the last character when it equals that quote.
u16string Unquote(u16string_view v) {
  if (v.empty() || (v[0] != u'\'' && v[0] != u'"')) return u16string(v);
  const char16_t q = v[0];
  const bool closed = v.size() >= 2 && v.back() == q;
  return u16string(v.substr(1, v.size() - 1 - (closed ? 1 : 0)));
}

bool IsBlank(u16string_view s) {
  for (char16_t c : s)
    if (c > 32) return false;
  return true;
}

int Sign(int64_t v) {
  return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// Wraps an arbitrary 64-bit value to 32 bits without undefined behaviour.
int32_t Wrap32(int64_t v) {
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

int64_t Abs64(int64_t v) {
  return v < 0 ? -v : v;
}

// Round to nearest, halves away from zero.
int64_t RoundAway(double v) {
  return static_cast<int64_t>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}

// The screen's vertical resolution, read once.
int ScreenPixelsPerInch() {
  static const int dpi = [] {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return 100;
    int v = GetDeviceCaps(dc, LOGPIXELSY);
    DeleteDC(dc);
    return v > 0 ? v : 100;
  }();
  return dpi;
}

// The error that ends a parse.
struct ParseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TFontSettings {
  u16string FontName;
  int32_t Height = 0;
  TColor Color = 0;
  TColor BgColor = 0;
};

// One tag's attribute lines, "name=value", the name lower case.
class TAttributes {
 public:
  void Add(u16string name, u16string value) {
    lines_.push_back({std::move(name), std::move(value)});
  }
  bool Empty() const { return lines_.empty(); }
  // The raw value of the first line with this name (ignoring case), or empty.
  const u16string& Value(u16string_view name) const {
    static const u16string empty;
    for (const auto& l : lines_)
      if (SameText(l.first, name)) return l.second;
    return empty;
  }
  u16string Unquoted(u16string_view name) const { return Unquote(Value(name)); }
  const std::vector<std::pair<u16string, u16string>>& Lines() const { return lines_; }

 private:
  std::vector<std::pair<u16string, u16string>> lines_;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Public helpers

bool THTMLParser::ReadInteger(const TUnicodeString& s, int32_t& value) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n && s[i] == u' ')
    ++i;
  bool neg = false;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) {
    neg = s[i] == u'-';
    ++i;
  }
  bool hex = false;
  if (i < n && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  uint64_t v = 0;
  for (; i < n; ++i) {
    const char16_t c = s[i];
    int d;
    if (c >= u'0' && c <= u'9')
      d = c - u'0';
    else if (hex && c >= u'a' && c <= u'f')
      d = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F')
      d = c - u'A' + 10;
    else
      return false;
    v = v * (hex ? 16 : 10) + uint64_t(d);
    // Decimal values must fit a signed 32-bit integer, hexadecimal ones 32 bits.
    if (v > (hex ? 0xFFFFFFFFull : 0x80000000ull)) return false;
  }
  if (!hex && !neg && v > 0x7FFFFFFFull) return false;
  const uint32_t u = uint32_t(v);
  value = int32_t(neg ? uint32_t(0u - u) : u);
  return true;
}

bool THTMLParser::ColorFromName(const TUnicodeString& name, TColor& color) {
  u16string key = LowerCase(name);
  if (key.compare(0, 2, u"cl") != 0) key = u"cl" + key;
  auto it = ColorTable().find(key);
  if (it == ColorTable().end()) return false;
  color = it->second;
  return true;
}

TUnicodeString THTMLParser::ColorName(TColor color) {
  for (const auto& e : kColors)
    if (e.color == color) return e.name;
  return {};
}

// ---------------------------------------------------------------------------------------
// The scan

namespace {

int32_t IntegerOr(const u16string& s, int32_t def) {
  int32_t v;
  return THTMLParser::ReadInteger(s, v) ? v : def;
}

class TScanner {
 public:
  TScanner(THTMLRender* render, const u16string& text, int maxWidth, bool autoWrap, THTMLData* data)
      : render_(render), text_(text), data_(data), autoWrap_(autoWrap), maxWidth_(maxWidth) {}
  ~TScanner() { DropCurrent(); }

  void Run();

 private:
  // --- the list, with the running facts the wrapping rules ask about
  struct ListFacts {
    int64_t widthSum;   // sum of the widths of the non-break items up to here
    int32_t lastBreak;  // the most recent break item at or before here, -1 when none
    int32_t lastNonLink;
    int32_t lastContent;  // the most recent item with content (a non-run or a non-blank run)
  };
  void Append(std::unique_ptr<THTMLItem> item);
  std::unique_ptr<THTMLItem> RemoveLast();
  THTMLItem* Last() const { return data_->FArray.empty() ? nullptr : data_->FArray.back().get(); }
  int32_t LastBreakIndex() const { return facts_.empty() ? -1 : facts_.back().lastBreak; }
  THTMLBreakItem* LastBreak() const {
    const int32_t i = LastBreakIndex();
    return i < 0 ? nullptr : static_cast<THTMLBreakItem*>(data_->FArray[size_t(i)].get());
  }
  bool LastIs(THTMLItemType t) const { return Last() && Last()->FItemType == t; }

  // --- runs
  static bool HasContent(const THTMLItem* run) {
    return run->FItemType != hitChar || !run->FText.empty();
  }
  void Flush();
  void NewRun();
  void DropCurrent();
  void ResetRunWidth() { curAdvValid_ = false; }

  // --- characters
  void AddChar(char16_t c);
  void AddSpace();
  bool TryAddChar(char16_t c);
  int64_t RunAdvance();
  int64_t LineX() const;

  // --- tags and entities
  void ReadTag();
  void ReadEntity();
  void Action(int action, const u16string& name, const TAttributes& attrs);
  void ApplyFontAttributes(const TAttributes& attrs);
  void ParseColor(const u16string& value, TColor& color, TColor fallback);
  void Lists(int action);
  void Paragraph(bool closing, const TAttributes& attrs);
  void Rule(const TAttributes& attrs);
  void Image(const TAttributes& attrs);
  void Input(const TAttributes& attrs);
  void Control(const TAttributes& attrs);
  void Variable(const TAttributes& attrs);
  void TakeFontRecord(THTMLItem* run) const {
    run->FFontRef = font_.FontName;
    run->FontColor = font_.Color;
    run->FontBgColor = font_.BgColor;
    run->FontHeight = font_.Height;
  }
  int MaxCharWidth(const THTMLItem* item) const;

  THTMLRender* render_;
  const u16string& text_;
  THTMLData* data_;
  bool autoWrap_;
  int maxWidth_;
  size_t pos_ = 0;
  size_t nextSemicolon_ = 0;  // cache of the next ";" at or after pos_ (npos: none left)
  bool semicolonKnown_ = false;

  THTMLItem* cur_ = nullptr;  // the current run
  bool curListed_ = false;    // cur_ is in the list (the list owns it)
  int64_t curAdv_ = 0;        // advance width of cur_'s text, when curAdvValid_
  bool curAdvValid_ = false;
  THTMLRender::FontEntry* curFont_ = nullptr;  // cur_'s measuring font, when curAdvValid_
  unsigned curFontGeneration_ = 0;

  TFontSettings font_;
  std::vector<TFontSettings> fontStack_;
  int32_t listDepth_ = 0;
  std::vector<ListFacts> facts_;
};

void TScanner::Append(std::unique_ptr<THTMLItem> item) {
  ListFacts f{0, -1, -1, -1};
  if (!facts_.empty()) f = facts_.back();
  const int32_t index = int32_t(data_->FArray.size());
  if (item->IsBreakItem()) {
    f.lastBreak = index;
  } else if (autoWrap_) {
    f.widthSum += item->GetWidth();
  }
  if (!item->IsLink()) f.lastNonLink = index;
  if (item->FItemType != hitChar || !IsBlank(item->FText)) f.lastContent = index;
  facts_.push_back(f);
  data_->Append(std::move(item));
}

std::unique_ptr<THTMLItem> TScanner::RemoveLast() {
  facts_.pop_back();
  auto item = data_->RemoveLast();
  data_->RemoveFromControls(item.get());
  if (item.get() == data_->FSelectedItem) data_->FSelectedItem = nullptr;
  return item;
}

int64_t TScanner::LineX() const {
  if (facts_.empty()) return 0;
  const int32_t b = facts_.back().lastBreak;
  if (b < 0) return facts_.back().widthSum;
  return facts_.back().widthSum - facts_[size_t(b)].widthSum + data_->FArray[size_t(b)]->FIndent;
}

void TScanner::Flush() {
  if (!curListed_ && HasContent(cur_)) {
    Append(std::unique_ptr<THTMLItem>(cur_));
    curListed_ = true;
  }
}

void TScanner::NewRun() {
  auto* run = new THTMLItem(data_);
  run->Assign(cur_);
  DropCurrent();
  cur_ = run;
  curListed_ = false;
  ResetRunWidth();
}

// Destroys the current run when the list does not hold it.
void TScanner::DropCurrent() {
  if (cur_ && !curListed_) {
    data_->RemoveFromControls(cur_);
    delete cur_;
  }
  cur_ = nullptr;
  curListed_ = false;
}

int64_t TScanner::RunAdvance() {
  if (!curAdvValid_) {
    curAdv_ = 0;
    curFont_ =
        render_->Font(cur_->FFontRef, cur_->MeasureHeight(), cur_->FontStyle, data_->FCharset);
    curFontGeneration_ = render_->FontGeneration();
    curAdv_ = render_->MeasureText(curFont_, cur_->FText.data(), cur_->FText.size());
    curAdvValid_ = true;
  }
  return curAdv_;
}

void TScanner::AddSpace() {
  if (cur_->FText.empty() || cur_->FText.back() != u' ') AddChar(u' ');
}

// Appends c, breaking the line when it grows wider than the wrapping width. A character
// that moves to the new line is added again there, so entity characters are not lost.
void TScanner::AddChar(char16_t c) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (TryAddChar(c)) return;
    // A space that moved to a new line obeys the collapsing rule there, as when read again.
    if (c == u' ' && !cur_->FText.empty() && cur_->FText.back() == u' ') return;
  }
  cur_->FText.push_back(c);
  cur_->FTWidth = kHTMLWidthUnknown;
  ResetRunWidth();
}

// True when c was placed; false when the line was broken and c is to be added again.
bool TScanner::TryAddChar(char16_t c) {
  // The current run is never in the list while characters are added to it.
  const bool measured = curAdvValid_;
  cur_->FText.push_back(c);
  cur_->FTWidth = kHTMLWidthUnknown;
  if (!autoWrap_) {
    ResetRunWidth();
    return true;
  }
  if (measured && curFontGeneration_ == render_->FontGeneration() &&
      !(c >= 0xD800 && c <= 0xDFFF)) {
    curAdv_ += render_->CharAdvance(curFont_, c);
  } else {
    ResetRunWidth();
  }
  const int w = int(uint16_t(RunAdvance() + 1));
  cur_->FTWidth = uint16_t(w);
  const int64_t x = LineX();
  if (w + x <= int64_t(maxWidth_)) return true;

  // The line is broken.
  cur_->FTWidth = kHTMLWidthUnknown;
  u16string& t = cur_->FText;
  const size_t lastSpace = t.rfind(u' ');
  const size_t p = lastSpace == u16string::npos ? 0 : lastSpace + 1;  // 1-based, 0 = none
  const bool firstOnLine = data_->FArray.empty() || Last()->IsBreakItem();
  u16string carry;
  bool retry = false;
  if (p == 0 && firstOnLine) {
    carry.assign(1, t.back());
    t.pop_back();
  } else {
    if (t.size() > 1) {
      t.pop_back();
      retry = true;
    }
    if (p <= t.size()) {
      carry = t.substr(p);
      t.erase(p);
    }
  }
  ResetRunWidth();
  // The run (if anything is left of it), then a soft break with its style and the break
  // properties of the line it ends.
  THTMLItem* run = cur_;
  std::unique_ptr<THTMLItem> ownedRun;
  if (run->FText.empty()) {
    ownedRun.reset(run);  // dropped below, after the soft break copied its style
  } else {
    Append(std::unique_ptr<THTMLItem>(run));
  }
  auto soft = std::make_unique<THTMLBreakItem>(data_);
  soft->FItemType = hitSoftBreak;
  soft->Assign(run);
  soft->AssignBreakProps(LastBreak());
  auto* next = new THTMLItem(data_);
  next->Assign(soft.get());
  next->FText = std::move(carry);
  Append(std::move(soft));
  if (ownedRun) data_->RemoveFromControls(ownedRun.get());
  ownedRun.reset();
  cur_ = next;
  curListed_ = false;
  ResetRunWidth();
  return !retry;
}

void TScanner::Run() {
  // Set-up
  auto templ = std::make_unique<THTMLItem>(data_);
  templ->FontStyle = data_->FDefaultStyle;
  font_.FontName = data_->FDefaultFont;
  font_.Color = data_->FDefaultColor;
  font_.BgColor = data_->FDefaultBgColor;
  font_.Height = data_->FDefaultHeight;
  TakeFontRecord(templ.get());
  cur_ = new THTMLItem(data_);
  cur_->Assign(templ.get());
  curListed_ = false;

  const size_t n = text_.size();
  for (pos_ = 0; pos_ < n; ++pos_) {
    const char16_t c = text_[pos_];
    if (c == u'<') {
      ReadTag();
    } else if (c == 13) {
      if (pos_ + 1 < n && text_[pos_ + 1] == 10) ++pos_;
    } else if (c == u'&' && (pos_ + 1 >= n || text_[pos_ + 1] != u' ')) {
      ReadEntity();
    } else if (c == u' ') {
      AddSpace();
    } else {
      AddChar(c);
    }
  }

  // End of the text
  if (!curListed_ && HasContent(cur_)) {
    Append(std::unique_ptr<THTMLItem>(cur_));
    curListed_ = true;
  }
  DropCurrent();
  if (!data_->FArray.empty() && data_->FArray.front()->FItemType != hitPara) {
    auto para = std::make_unique<THTMLBreakItem>(data_);
    para->FItemType = hitPara;
    data_->InsertFront(std::move(para));
  }
}

void TScanner::ReadTag() {
  const size_t n = text_.size();
  ++pos_;
  u16string name;
  bool atSpace = false;
  while (true) {
    if (pos_ >= n) {
      pos_ = n;  // an unfinished tag drops the rest
      return;
    }
    const char16_t c = text_[pos_];
    if (c == u'>') break;
    if (c == u' ') {
      atSpace = true;
      break;
    }
    name.push_back(c);
    if (name == u"!--") {
      // A comment: dropped up to and including "-->", searched from its second hyphen.
      const size_t end = text_.find(u"-->", pos_);
      pos_ = end == u16string::npos ? n : end + 2;
      return;
    }
    ++pos_;
  }

  TAttributes attrs;
  if (atSpace) {
    int unnamed = 0;
    u16string token;
    char16_t quote = 0;
    auto endToken = [&] {
      if (token.empty()) return;
      const size_t eq = token.find(u'=');
      if (eq != u16string::npos) {
        attrs.Add(LowerCase(Trim(u16string_view(token).substr(0, eq))),
                  Trim(u16string_view(token).substr(eq + 1)));
      } else {
        ++unnamed;
        attrs.Add(u"p" + kx::Utf8ToUtf16(std::to_string(unnamed)), token);
      }
      token.clear();
    };
    ++pos_;  // past the space that ended the name
    // The attributes end at the first ">"; quotes only protect spaces.
    for (; pos_ < n; ++pos_) {
      const char16_t c = text_[pos_];
      if (c == u'>') break;
      if (quote) {
        if (c == quote) {
          quote = 0;
          token.push_back(c);
        } else if (c == u' ') {
          if (token.empty() || token.back() != u' ') token.push_back(c);
        } else {
          token.push_back(c);
        }
        continue;
      }
      if (c == u' ') {
        endToken();
      } else {
        if (c == u'\'' || c == u'"') quote = c;
        token.push_back(c);
      }
    }
    endToken();
    // pos_ is on the ">" or past the end.
  } else if (name.size() >= 2 && name[0] == u'~' && name[1] == u'~') {
    attrs.Add(u"p1", name.substr(2));
    name = u"~~";
  }

  const u16string lname = LowerCase(name);
  auto it = TagTable().find(lname);
  if (it == TagTable().end() || it->second == taHtml) return;
  Action(it->second, lname, attrs);
}

void TScanner::ReadEntity() {
  const size_t n = text_.size();
  ++pos_;  // past "&"
  if (!semicolonKnown_ || (nextSemicolon_ != u16string::npos && nextSemicolon_ < pos_)) {
    nextSemicolon_ = text_.find(u';', pos_);
    semicolonKnown_ = true;
  }
  const size_t semi = nextSemicolon_;
  if (pos_ < n && text_[pos_] == u'#') {
    const size_t start = pos_ + 1;
    const size_t end = semi == u16string::npos ? n : semi;
    const int32_t v = IntegerOr(u16string(text_.substr(start, end - start)), 32);
    if (v == 32) {
      AddSpace();
    } else if (uint16_t(v) != 0) {
      AddChar(char16_t(uint16_t(v)));
    }
    pos_ = semi == u16string::npos ? n - 1 : semi;
    return;
  }
  if (semi == u16string::npos) {
    // No ";": the "&" stays as it is, without wrapping, and reading goes on after it.
    cur_->FText.push_back(u'&');
    cur_->FTWidth = kHTMLWidthUnknown;
    ResetRunWidth();
    --pos_;
    return;
  }
  auto it = EntityTable().find(LowerCase(text_.substr(pos_, semi - pos_)));
  if (it != EntityTable().end()) AddChar(it->second);
  pos_ = semi;
}

int TScanner::MaxCharWidth(const THTMLItem* item) const {
  return render_
      ->SelectMeasureFont(item->FFontRef, item->FontHeight, item->FontStyle, data_->FCharset)
      .tmMaxCharWidth;
}

void TScanner::Action(int action, const u16string& name, const TAttributes& attrs) {
  const bool closing = !name.empty() && name[0] == u'/';
  switch (action) {
    case taSub:
    case taSup:
      Flush();
      NewRun();
      if (action == taSub)
        cur_->SetIsSub(!closing);
      else
        cur_->SetIsSuper(!closing);
      break;
    case taBold:
    case taItalic:
    case taBoldItalic:
    case taStrike:
    case taUnderline: {
      TFontStyles bits;
      if (action == taBold) bits = {fsBold};
      if (action == taItalic) bits = {fsItalic};
      if (action == taBoldItalic) bits = {fsBold, fsItalic};
      if (action == taStrike) bits = {fsStrikeOut};
      if (action == taUnderline) bits = {fsUnderline};
      Flush();
      NewRun();
      if (!closing) {
        cur_->FontStyle = cur_->FontStyle + bits;
      } else if (!(bits - data_->FDefaultStyle).Empty()) {
        cur_->FontStyle = cur_->FontStyle - bits;
      }
      break;
    }
    case taUL:
    case taEndUL:
    case taOL:
    case taEndOL:
    case taLI:
      Lists(action);
      break;
    case taPara:
      Paragraph(closing, attrs);
      break;
    case taBreak: {
      Flush();
      NewRun();
      auto br = std::make_unique<THTMLBreakItem>(data_);
      br->FItemType = hitBreak;
      br->Assign(cur_);
      const THTMLBreakItem* last = LastBreak();
      br->FParams = last ? last->FParams : 0;
      Append(std::move(br));
      break;
    }
    case taIndent: {
      if (attrs.Empty() || attrs.Unquoted(u"width").empty()) break;
      Flush();
      auto ind = std::make_unique<THTMLItem>(data_);
      ind->Assign(cur_);
      ind->FItemType = hitIndent;
      ind->FWidth = uint16_t(IntegerOr(attrs.Unquoted(u"width"), 0));
      const bool abs = LowerCase(attrs.Unquoted(u"pos")) == u"abs";
      ind->FBoolState = abs ? (ind->FBoolState | hbsAbsolute) : (ind->FBoolState & ~hbsAbsolute);
      Append(std::move(ind));
      NewRun();
      break;
    }
    case taImage:
      Image(attrs);
      break;
    case taLink: {
      if (attrs.Empty()) break;
      if (!curListed_) {
        Append(std::unique_ptr<THTMLItem>(cur_));
        curListed_ = true;
      }
      NewRun();
      cur_->SetIsLink(true);
      cur_->FLinkRef = attrs.Unquoted(u"href");
      cur_->FontColor = data_->FLinkColor;
      cur_->FontStyle = data_->FLinkStyle;
      data_->FControlsArray.push_back(cur_);
      break;
    }
    case taEndLink: {
      Flush();
      NewRun();
      cur_->FLinkRef.clear();
      cur_->SetIsLink(false);
      const int32_t i = facts_.empty() ? -1 : facts_.back().lastNonLink;
      if (i >= 0) {
        cur_->FontStyle = data_->FArray[size_t(i)]->FontStyle;
        cur_->FontColor = data_->FArray[size_t(i)]->FontColor;
      } else {
        cur_->FontStyle = data_->FDefaultStyle;
        cur_->FontColor = data_->FDefaultColor;
      }
      break;
    }
    case taRule:
      Rule(attrs);
      break;
    case taFont: {
      Flush();
      NewRun();
      fontStack_.push_back(font_);
      font_.FontName = cur_->FFontRef;
      font_.Height = cur_->FontHeight;
      font_.Color = cur_->FontColor;
      font_.BgColor = cur_->FontBgColor;
      ApplyFontAttributes(attrs);
      if (!attrs.Value(u"color").empty() || !attrs.Value(u"bgcolor").empty() ||
          !attrs.Value(u"background").empty())
        cur_->FFntCnt = Wrap32(int64_t(cur_->FFntCnt) + 1);
      TakeFontRecord(cur_);
      break;
    }
    case taEndFont: {
      Flush();
      NewRun();
      if (!fontStack_.empty()) {
        const TFontSettings& top = fontStack_.back();
        if (top.Color != font_.Color || top.BgColor != font_.BgColor)
          cur_->FFntCnt = Wrap32(int64_t(cur_->FFntCnt) - 1);
        font_ = std::move(fontStack_.back());
        fontStack_.pop_back();
      }
      TakeFontRecord(cur_);
      break;
    }
    case taInput:
      Input(attrs);
      break;
    case taControl:
      Control(attrs);
      break;
    case taVariable:
      Variable(attrs);
      break;
    default:
      break;
  }
}

void TScanner::ParseColor(const u16string& value, TColor& color, TColor fallback) {
  if (value.empty()) return;
  if (value[0] == u'#') {
    u16string rest = value.substr(1);
    if (!rest.empty() && rest[0] == u'$') rest.erase(0, 1);
    rest = Trim(rest);
    // Read as hexadecimal: an optional sign, then hex digits only.
    size_t i = 0;
    bool neg = false;
    if (i < rest.size() && (rest[i] == u'+' || rest[i] == u'-')) {
      neg = rest[i] == u'-';
      ++i;
    }
    uint64_t v = 0;
    bool ok = i < rest.size();
    for (; ok && i < rest.size(); ++i) {
      const char16_t c = rest[i];
      int d = -1;
      if (c >= u'0' && c <= u'9') d = c - u'0';
      if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
      if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
      if (d < 0) ok = false;
      v = v * 16 + uint64_t(d < 0 ? 0 : d);
      if (v > 0xFFFFFFFFull) ok = false;
    }
    if (!ok) {
      color = fallback;
      return;
    }
    const uint32_t nv = neg ? uint32_t(0u - uint32_t(v)) : uint32_t(v);
    color = TColor(RGB((nv >> 16) & 0xFF, (nv >> 8) & 0xFF, nv & 0xFF));
    return;
  }
  u16string key = value;
  if (key.compare(0, 2, u"cl") != 0) key = u"cl" + key;
  auto it = ColorTable().find(LowerCase(key));
  if (it != ColorTable().end()) color = it->second;
}

void TScanner::ApplyFontAttributes(const TAttributes& attrs) {
  const u16string face = attrs.Unquoted(u"face");
  if (!face.empty()) font_.FontName = face;
  const u16string nm = attrs.Unquoted(u"name");
  if (!nm.empty()) font_.FontName = nm;

  u16string size = attrs.Unquoted(u"size");
  if (!size.empty()) {
    const int64_t defAbs = Abs64(data_->FDefaultHeight);
    if (size[0] == u'+' || size[0] == u'-') {
      const int64_t v = IntegerOr(size, 0);
      const int64_t pts = RoundAway(double(v) * ScreenPixelsPerInch() / 72.0);
      font_.Height = Wrap32(Sign(font_.Height) * (pts + defAbs));
    } else {
      const size_t px = size.find(u"px");
      const bool hasPx = px != u16string::npos;
      if (hasPx) size = Trim(size.erase(px, 2));
      const int32_t v = IntegerOr(size, data_->FDefaultHeight);
      if (v >= 1 && v <= 9 && !hasPx)
        font_.Height = Wrap32(Sign(font_.Height) * (defAbs + 5 * int64_t(v)));
      else
        font_.Height = v;
    }
  }
  ParseColor(attrs.Unquoted(u"color"), font_.Color, data_->FDefaultColor);
  u16string bg = attrs.Unquoted(u"bgcolor");
  if (bg.empty()) bg = attrs.Unquoted(u"background");
  ParseColor(bg, font_.BgColor, data_->FDefaultBgColor);
}

void TScanner::Lists(int action) {
  if (action == taUL || action == taOL) {
    // A list that starts on an empty line takes that line's place.
    THTMLBreakItem* lb = LastBreak();
    if (lb && (lb->FItemType == hitSoftBreak || lb->FItemType == hitBreak) &&
        IsBlank(cur_->FText) && facts_.back().lastContent == LastBreakIndex()) {
      const int32_t b = LastBreakIndex();
      // Between tags the current run is never in the list.
      while (int32_t(data_->FArray.size()) > b)
        RemoveLast();
    }
    Flush();
    NewRun();
    listDepth_ = Wrap32(int64_t(listDepth_) + 1);
    render_->SetCurListItem(action == taUL ? -1 : 1);
    auto li = std::make_unique<THTMLBreakItem>(data_);
    li->FItemType = action == taUL ? hitUL : hitOL;
    li->Assign(cur_);
    li->FIndent = Wrap32(int64_t(li->FIndent) + li->GetWidth());
    cur_->FIndent = li->FIndent;
    Append(std::move(li));
    return;
  }
  if (action == taEndUL || action == taEndOL) {
    Flush();
    NewRun();
    listDepth_ = Wrap32(int64_t(listDepth_) - 1);
    cur_->FIndent = Wrap32(int64_t(cur_->FIndent) - MaxCharWidth(cur_));
    if (LastIs(hitBreak)) RemoveLast();
    if (action == taEndOL) render_->SetCurListItem(-1);
    auto br = std::make_unique<THTMLBreakItem>(data_);
    br->FItemType = hitBreak;
    br->Assign(cur_);
    Append(std::move(br));
    return;
  }
  // li
  Flush();
  NewRun();
  if (LastIs(hitBreak)) RemoveLast();
  auto li = std::make_unique<THTMLBreakItem>(data_);
  li->FItemType = hitLI;
  li->FListItemN = render_->CurListItem();
  li->FListLevel = listDepth_;
  if (render_->CurListItem() > 0)
    render_->SetCurListItem(Wrap32(int64_t(render_->CurListItem()) + 1));
  li->Assign(cur_);
  Append(std::move(li));
}

void TScanner::Paragraph(bool closing, const TAttributes& attrs) {
  THTMLItem* last = Last();
  const bool markedBreak =
      last && last->FItemType == hitBreak && (last->FBoolState & hbsParaClosed);
  if (!closing && markedBreak) {
    last->FBoolState &= ~hbsParaClosed;
    return;
  }
  if (closing && markedBreak) return;
  Flush();
  NewRun();
  auto para = std::make_unique<THTMLBreakItem>(data_);
  para->FItemType = hitPara;
  para->Assign(cur_);
  if (closing) para->FBoolState |= hbsParaClosed;
  para->FParams = 0;
  if (!attrs.Empty()) {
    const u16string align = LowerCase(attrs.Unquoted(u"align"));
    para->FParams = align == u"center" ? 1 : (align == u"right" ? 2 : 0);
    const u16string indent = attrs.Unquoted(u"indent");
    if (!indent.empty()) para->FIndent = IntegerOr(indent, 0);
  }
  cur_->Assign(para.get());
  Append(std::move(para));
}

void TScanner::Rule(const TAttributes& attrs) {
  Flush();
  auto br1 = std::make_unique<THTMLBreakItem>(data_);
  br1->FItemType = hitBreak;
  br1->Assign(cur_);
  Append(std::move(br1));
  auto hr = std::make_unique<THTMLItem>(data_);
  hr->Assign(cur_);
  hr->FItemType = hitHR;
  hr->FWidth = attrs.Empty() ? 0 : uint16_t(IntegerOr(attrs.Unquoted(u"width"), 0));
  THTMLItem* rule = hr.get();
  Append(std::move(hr));
  auto* run = new THTMLItem(data_);
  run->Assign(rule);
  DropCurrent();
  cur_ = run;
  curListed_ = false;
  ResetRunWidth();
  auto br2 = std::make_unique<THTMLBreakItem>(data_);
  br2->FItemType = hitBreak;
  br2->Assign(rule);
  Append(std::move(br2));
}

void TScanner::Image(const TAttributes& attrs) {
  if (attrs.Empty()) return;
  const u16string src = attrs.Unquoted(u"src");
  if (src.empty()) return;
  Flush();
  auto img = std::make_unique<THTMLItem>(data_);
  img->Assign(cur_);
  img->FItemType = hitBitmap;
  img->FText = src;
  {
    TPicture picture;
    render_->ImageNeeded(src, &picture);
    img->FTransparent = attrs.Unquoted(u"transparent") != u"solid";
    const bool hasGraphic = picture.Graphic() && !picture.Graphic()->Empty();
    img->FWidth = uint16_t(IntegerOr(attrs.Unquoted(u"width"), hasGraphic ? picture.Width() : 0));
    img->FHeight =
        uint16_t(IntegerOr(attrs.Unquoted(u"height"), hasGraphic ? picture.Height() : 0));
  }
  Append(std::move(img));
  NewRun();
}

void TScanner::Input(const TAttributes& attrs) {
  if (attrs.Empty()) return;
  const u16string type = LowerCase(attrs.Unquoted(u"type"));
  int kind = type == u"checkbox" ? 1 : (type == u"radio" ? 2 : 0);
  if (kind == 0) return;
  Flush();
  auto in = std::make_unique<THTMLInputItem>(data_);
  in->Assign(cur_);
  in->FItemType = hitInput;
  const u16string name = LowerCase(attrs.Unquoted(u"name"));
  if (!name.empty()) in->FName = name;
  in->FWidth = in->FHeight = 17;
  in->SetInputType(kind == 1 ? itCheckBox : itRadioButton);
  const u16string checked = attrs.Unquoted(u"checked");
  if (!checked.empty()) {
    int32_t v;
    if (SameText(checked, u"true"))
      in->FChecked = true;
    else if (SameText(checked, u"false"))
      in->FChecked = false;
    else if (THTMLParser::ReadInteger(checked, v))
      in->FChecked = v != 0;
    else
      throw ParseError("'" + kx::Utf16ToUtf8(checked) + "' is not a valid boolean value");
  }
  const u16string value = attrs.Unquoted(u"value");
  if (!value.empty()) in->FValue = value;
  do {
    int32_t v;
    const u16string w = attrs.Unquoted(u"width");
    if (!w.empty()) {
      if (!THTMLParser::ReadInteger(w, v)) break;
      in->FWidth = uint16_t(v);
    }
    const u16string h = attrs.Unquoted(u"height");
    if (!h.empty()) {
      if (!THTMLParser::ReadInteger(h, v)) break;
      in->FHeight = uint16_t(v);
    }
  } while (false);
  THTMLItem* item = in.get();
  Append(std::move(in));
  data_->FControlsArray.push_back(item);
  NewRun();
}

void TScanner::Control(const TAttributes& attrs) {
  if (attrs.Empty()) return;
  const u16string cls = attrs.Unquoted(u"controlclass");
  const TClassInfo* info = THTMLControlItem::FindControlClass(LowerCase(cls));
  if (!info) return;
  Flush();
  auto ci = std::make_unique<THTMLControlItem>(data_);
  ci->Assign(cur_);
  ci->FItemType = hitControl;
  ci->Configure(info, cls, attrs.Lines());
  THTMLItem* item = ci.get();
  Append(std::move(ci));
  data_->FControlsArray.push_back(item);
  NewRun();
}

void TScanner::Variable(const TAttributes& attrs) {
  Flush();
  auto var = std::make_unique<THTMLItem>(data_);
  var->Assign(cur_);
  var->FItemType = hitVar;
  u16string name = attrs.Value(u"name");
  if (name.empty()) name = attrs.Value(u"p1");
  u16string value = u"~~";
  render_->VariableNeeded(name, value);
  var->FText = std::move(value);
  var->FTWidth = kHTMLWidthUnknown;
  Append(std::move(var));
  auto* run = new THTMLItem(data_);
  run->Assign(cur_);
  run->FText = u" ";
  DropCurrent();
  cur_ = run;
  curListed_ = false;
  ResetRunWidth();
}

}  // namespace

void THTMLParser::Parse(THTMLRender* render, const TUnicodeString& text, int maxWidth,
                        bool autoWrap, THTMLData* data) {
  TScanner scanner(render, text, maxWidth, autoWrap, data);
  scanner.Run();
}
