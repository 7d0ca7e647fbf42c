#include "controls/EditModel.h"

#include <algorithm>

namespace {

constexpr size_t kUndoDepth = 1000;

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

enum class CharClass { Space, Word, Punct };

CharClass ClassOf(char16_t c) {
  if (c <= 32 || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200B)) return CharClass::Space;
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
    return CharClass::Word;
  if (c < 0x80) return CharClass::Punct;
  // Latin-1 punctuation and symbols; everything else above ASCII counts as a letter.
  if (c < 0xC0 && c != 0xAA && c != 0xB5 && c != 0xBA) return CharClass::Punct;
  if (c == 0xD7 || c == 0xF7) return CharClass::Punct;
  if (c >= 0x2010 && c <= 0x206F) return CharClass::Punct;
  return CharClass::Word;
}

char16_t ToUpper(char16_t c) {
  if (c >= 'a' && c <= 'z') return char16_t(c - 32);
  if (c < 0x80) return c;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return char16_t(c - 32);
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x137 && (c & 1)) return char16_t(c - 1);
  if (c >= 0x139 && c <= 0x148 && !(c & 1)) return char16_t(c - 1);
  if (c >= 0x14A && c <= 0x177 && (c & 1)) return char16_t(c - 1);
  if (c >= 0x179 && c <= 0x17E && !(c & 1)) return char16_t(c - 1);
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return char16_t(c - 32);
  if (c >= 0x430 && c <= 0x44F) return char16_t(c - 32);
  if (c >= 0x450 && c <= 0x45F) return char16_t(c - 80);
  return c;
}

char16_t ToLower(char16_t c) {
  if (c >= 'A' && c <= 'Z') return char16_t(c + 32);
  if (c < 0x80) return c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return char16_t(c + 32);
  if (c == 0x178) return 0xFF;
  if (c >= 0x100 && c <= 0x137 && !(c & 1)) return char16_t(c + 1);
  if (c >= 0x139 && c <= 0x148 && (c & 1)) return char16_t(c + 1);
  if (c >= 0x14A && c <= 0x177 && !(c & 1)) return char16_t(c + 1);
  if (c >= 0x179 && c <= 0x17E && (c & 1)) return char16_t(c + 1);
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return char16_t(c + 32);
  if (c >= 0x410 && c <= 0x42F) return char16_t(c + 32);
  if (c >= 0x400 && c <= 0x40F) return char16_t(c + 80);
  return c;
}

}  // namespace

char16_t ConvertCharCase(char16_t c, TEditCharCase charCase) {
  switch (charCase) {
    case ecUpperCase:
      return ToUpper(c);
    case ecLowerCase:
      return ToLower(c);
    default:
      return c;
  }
}

TUnicodeString ConvertCharCase(TUnicodeString s, TEditCharCase charCase) {
  if (charCase == ecNormal) return s;
  for (char16_t& c : s)
    c = ConvertCharCase(c, charCase);
  return s;
}

// ---------------------------------------------------------------------------------------
TUnicodeString TEditStrings::Text() const {
  TUnicodeString r;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) r += u"\r\n";
    r += lines_[i];
  }
  return r;
}

void TEditStrings::SetText(const TUnicodeString& text, bool multiline) {
  lines_.clear();
  if (!multiline) {
    lines_.push_back(text);
    return;
  }
  TUnicodeString cur;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines_.push_back(std::move(cur));
      cur.clear();
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      cur += c;
    }
  }
  lines_.push_back(std::move(cur));
}

// ---------------------------------------------------------------------------------------
void TEditModel::SetMultiline(bool v) {
  if (v == multiline_) return;
  const TUnicodeString text = Text();
  multiline_ = v;
  lines_.SetText(text, multiline_);
  caret_ = anchor_ = Clamp(caret_);
  anchor_ = caret_;
}

bool TEditModel::SetCharCase(TEditCharCase v) {
  if (v == charCase_) return false;
  charCase_ = v;
  const TUnicodeString text = Text();
  const TUnicodeString converted = ConvertCharCase(text, v);
  if (converted == text) return false;
  PushUndo();
  const TEditPos caret = caret_, anchor = anchor_;
  lines_.SetText(converted, multiline_);
  caret_ = caret, anchor_ = anchor;  // the conversion keeps every length
  return true;
}

bool TEditModel::SetText(const TUnicodeString& text) {
  const TUnicodeString converted = ConvertCharCase(text, charCase_);
  ClearUndo();
  caret_ = anchor_ = TEditPos{};
  if (converted == Text()) return false;
  lines_.SetText(converted, multiline_);
  return true;
}

int TEditModel::TextLength() const {
  int n = 0;
  for (int i = 0; i < lines_.Count(); ++i)
    n += int(lines_.Strings(i).size());
  return n + 2 * (lines_.Count() - 1);
}

TEditPos TEditModel::Clamp(TEditPos p) const {
  p.Y = std::clamp(p.Y, 0, lines_.Count() - 1);
  p.X = std::clamp(p.X, 0, int(lines_.Strings(p.Y).size()));
  return p;
}

int TEditModel::PosToOffset(TEditPos p) const {
  p = Clamp(p);
  int n = 0;
  for (int i = 0; i < p.Y; ++i)
    n += int(lines_.Strings(i).size()) + 2;
  return n + p.X;
}

TEditPos TEditModel::OffsetToPos(int offset) const {
  if (offset < 0) offset = 0;
  for (int y = 0; y < lines_.Count(); ++y) {
    const int len = int(lines_.Strings(y).size());
    if (offset <= len || y == lines_.Count() - 1) return TEditPos{std::min(offset, len), y};
    offset -= len + 2;
    // An offset between the CR and the LF of a break lands at the end of the line.
    if (offset < 0) return TEditPos{len, y};
  }
  return TEditPos{};
}

void TEditModel::SetCaret(TEditPos p, bool extend) {
  EndTyping();
  caret_ = Clamp(p);
  if (!extend) anchor_ = caret_;
}

void TEditModel::SetSelection(TEditPos anchor, TEditPos caret) {
  EndTyping();
  anchor_ = Clamp(anchor);
  caret_ = Clamp(caret);
}

void TEditModel::SetSelOffsets(int anchor, int caret) {
  SetSelection(OffsetToPos(anchor), OffsetToPos(caret));
}

TUnicodeString TEditModel::SelText() const {
  const TEditPos a = SelFirst(), b = SelLast();
  if (a.Y == b.Y) return lines_.Strings(a.Y).substr(size_t(a.X), size_t(b.X - a.X));
  TUnicodeString r = lines_.Strings(a.Y).substr(size_t(a.X));
  for (int y = a.Y + 1; y < b.Y; ++y)
    r += u"\r\n" + lines_.Strings(y);
  r += u"\r\n" + lines_.Strings(b.Y).substr(0, size_t(b.X));
  return r;
}

void TEditModel::SelectAll() {
  const int last = lines_.Count() - 1;
  SetSelection(TEditPos{0, 0}, TEditPos{int(lines_.Strings(last).size()), last});
}

bool TEditModel::AllSelected() const {
  const int last = lines_.Count() - 1;
  return SelFirst() == TEditPos{0, 0} &&
         SelLast() == TEditPos{int(lines_.Strings(last).size()), last};
}

void TEditModel::SelectWordAt(TEditPos p) {
  p = Clamp(p);
  const TUnicodeString& s = lines_.Strings(p.Y);
  int x = p.X;
  if (x >= int(s.size()) && x > 0) --x;
  if (s.empty()) {
    SetSelection(p, p);
    return;
  }
  const CharClass cls = ClassOf(s[size_t(x)]);
  int start = x;
  while (start > 0 && ClassOf(s[size_t(start - 1)]) == cls)
    --start;
  TEditPos end = NextWordStart(TEditPos{start, p.Y});
  if (end.Y != p.Y) end = TEditPos{int(s.size()), p.Y};
  SetSelection(TEditPos{start, p.Y}, end);
}

// ---------------------------------------------------------------------------------------
TEditPos TEditModel::PrevCharPos(TEditPos p) const {
  p = Clamp(p);
  if (p.X == 0) return p.Y > 0 ? TEditPos{int(lines_.Strings(p.Y - 1).size()), p.Y - 1} : p;
  const TUnicodeString& s = lines_.Strings(p.Y);
  int x = p.X - 1;
  if (x > 0 && IsLowSurrogate(s[size_t(x)]) && IsHighSurrogate(s[size_t(x - 1)])) --x;
  return TEditPos{x, p.Y};
}

TEditPos TEditModel::NextCharPos(TEditPos p) const {
  p = Clamp(p);
  const TUnicodeString& s = lines_.Strings(p.Y);
  if (p.X >= int(s.size())) return p.Y + 1 < lines_.Count() ? TEditPos{0, p.Y + 1} : p;
  int x = p.X + 1;
  if (x < int(s.size()) && IsLowSurrogate(s[size_t(x)]) && IsHighSurrogate(s[size_t(x - 1)])) ++x;
  return TEditPos{x, p.Y};
}

TEditPos TEditModel::PrevWordStart(TEditPos p) const {
  p = Clamp(p);
  if (p.X == 0) return PrevCharPos(p);
  const TUnicodeString& s = lines_.Strings(p.Y);
  int x = p.X;
  while (x > 0 && ClassOf(s[size_t(x - 1)]) == CharClass::Space)
    --x;
  if (x == 0) return TEditPos{0, p.Y};
  const CharClass cls = ClassOf(s[size_t(x - 1)]);
  while (x > 0 && ClassOf(s[size_t(x - 1)]) == cls)
    --x;
  return TEditPos{x, p.Y};
}

TEditPos TEditModel::NextWordStart(TEditPos p) const {
  p = Clamp(p);
  const TUnicodeString& s = lines_.Strings(p.Y);
  if (p.X >= int(s.size())) return NextCharPos(p);
  int x = p.X;
  const CharClass cls = ClassOf(s[size_t(x)]);
  if (cls != CharClass::Space)
    while (x < int(s.size()) && ClassOf(s[size_t(x)]) == cls)
      ++x;
  while (x < int(s.size()) && ClassOf(s[size_t(x)]) == CharClass::Space)
    ++x;
  return TEditPos{x, p.Y};
}

// ---------------------------------------------------------------------------------------
void TEditModel::PushUndo() {
  undo_.push_back(TSnapshot{lines_, caret_, anchor_});
  if (undo_.size() > kUndoDepth) undo_.erase(undo_.begin());
  redo_.clear();
}

void TEditModel::Replace(TEditPos first, TEditPos last, const TUnicodeString& s) {
  first = Clamp(first), last = Clamp(last);
  const TUnicodeString head = lines_.Strings(first.Y).substr(0, size_t(first.X));
  const TUnicodeString tail = lines_.Strings(last.Y).substr(size_t(last.X));
  for (int y = last.Y; y > first.Y; --y)
    lines_.Delete(y);
  TEditStrings ins;
  ins.SetText(s, multiline_);
  if (ins.Count() == 1) {
    lines_.Line(first.Y) = head + ins.Strings(0) + tail;
    caret_ = TEditPos{first.X + int(ins.Strings(0).size()), first.Y};
  } else {
    lines_.Line(first.Y) = head + ins.Strings(0);
    for (int i = 1; i < ins.Count() - 1; ++i)
      lines_.Insert(first.Y + i, ins.Strings(i));
    const TUnicodeString& lastIns = ins.Strings(ins.Count() - 1);
    lines_.Insert(first.Y + ins.Count() - 1, lastIns + tail);
    caret_ = TEditPos{int(lastIns.size()), first.Y + ins.Count() - 1};
  }
  anchor_ = caret_;
}

bool TEditModel::DeleteRange(TEditPos first, TEditPos last) {
  if (readOnly_) return false;
  if (last < first) std::swap(first, last);
  if (first == last) return false;
  EndTyping();
  PushUndo();
  Replace(first, last, TUnicodeString());
  return true;
}

bool TEditModel::TypeChar(char16_t c) {
  if (readOnly_ || c < 32 || c == 127) return false;
  if (maxLength_ >= 1 && !Selected() && TextLength() >= maxLength_) return false;
  c = ConvertCharCase(c, charCase_);
  const TEditPos first = SelFirst(), last = SelLast();
  // Consecutive typing at the caret is one undo record.
  const bool merge = typing_ && !Selected() && caret_ == typingCaret_;
  if (!merge)
    PushUndo();
  else
    redo_.clear();
  Replace(first, last, TUnicodeString(1, c));
  typing_ = true;
  typingCaret_ = caret_;
  return true;
}

bool TEditModel::InsertText(const TUnicodeString& text) {
  if (readOnly_) return false;
  TUnicodeString s = text;
  if (!multiline_) {
    const size_t brk = s.find_first_of(u"\r\n");
    if (brk != TUnicodeString::npos) s.resize(brk);
  }
  s = ConvertCharCase(std::move(s), charCase_);
  if (maxLength_ >= 1) {
    const int room = maxLength_ - (TextLength() - SelLength());
    if (room <= 0) {
      s.clear();
    } else if (int(s.size()) > room) {
      size_t n = size_t(room);
      if (IsHighSurrogate(s[n - 1])) --n;  // never split a surrogate pair
      // A CR LF pair counts two; never keep half of it.
      if (n > 0 && s[n - 1] == u'\r' && n < s.size() && s[n] == u'\n') --n;
      s.resize(n);
    }
  }
  if (s.empty() && !Selected()) return false;
  EndTyping();
  PushUndo();
  Replace(SelFirst(), SelLast(), s);
  return true;
}

bool TEditModel::DeleteSelection() {
  if (!Selected()) return false;
  return DeleteRange(SelFirst(), SelLast());
}

bool TEditModel::DeleteLastChar() {
  if (Selected()) return DeleteSelection();
  return DeleteRange(PrevCharPos(caret_), caret_);
}

bool TEditModel::DeleteChar() {
  if (Selected()) return DeleteSelection();
  return DeleteRange(caret_, NextCharPos(caret_));
}

bool TEditModel::DeleteLastWord() {
  if (Selected()) return DeleteSelection();
  return DeleteRange(PrevWordStart(caret_), caret_);
}

bool TEditModel::DeleteWord() {
  if (Selected()) return DeleteSelection();
  return DeleteRange(caret_, NextWordStart(caret_));
}

bool TEditModel::LineBreak() {
  if (!multiline_ || readOnly_) return false;
  if (maxLength_ >= 1 && TextLength() - SelLength() + 2 > maxLength_) return false;
  EndTyping();
  PushUndo();
  Replace(SelFirst(), SelLast(), u"\r\n");
  return true;
}

bool TEditModel::InsertTab() {
  if (readOnly_) return false;
  if (maxLength_ >= 1 && !Selected() && TextLength() >= maxLength_) return false;
  EndTyping();
  PushUndo();
  Replace(SelFirst(), SelLast(), u"\t");
  return true;
}

bool TEditModel::Indent() {
  if (!multiline_ || readOnly_) return false;
  EndTyping();
  const TEditPos a = SelFirst(), b = SelLast();
  const int lastY = (b.Y > a.Y && b.X == 0) ? b.Y - 1 : b.Y;
  PushUndo();
  const TUnicodeString pad(size_t(tabSpaces_), u' ');
  for (int y = a.Y; y <= lastY; ++y)
    lines_.Line(y).insert(0, pad);
  auto shift = [&](TEditPos& p) {
    if (p.Y >= a.Y && p.Y <= lastY) p.X += tabSpaces_;
  };
  shift(caret_), shift(anchor_);
  return true;
}

bool TEditModel::Unindent() {
  if (!multiline_ || readOnly_) return false;
  EndTyping();
  const TEditPos a = SelFirst(), b = SelLast();
  const int lastY = (b.Y > a.Y && b.X == 0) ? b.Y - 1 : b.Y;
  std::vector<int> removed;
  bool any = false;
  for (int y = a.Y; y <= lastY; ++y) {
    const TUnicodeString& s = lines_.Strings(y);
    int n = 0;
    if (!s.empty() && s[0] == u'\t')
      n = 1;
    else
      while (n < tabSpaces_ && n < int(s.size()) && s[size_t(n)] == u' ')
        ++n;
    removed.push_back(n);
    any = any || n > 0;
  }
  if (!any) return false;
  PushUndo();
  for (int y = a.Y; y <= lastY; ++y)
    lines_.Line(y).erase(0, size_t(removed[size_t(y - a.Y)]));
  auto shift = [&](TEditPos& p) {
    if (p.Y >= a.Y && p.Y <= lastY) p.X = std::max(0, p.X - removed[size_t(p.Y - a.Y)]);
  };
  shift(caret_), shift(anchor_);
  return true;
}

bool TEditModel::Undo() {
  if (readOnly_ || undo_.empty()) return false;
  EndTyping();
  redo_.push_back(TSnapshot{lines_, caret_, anchor_});
  TSnapshot s = std::move(undo_.back());
  undo_.pop_back();
  lines_ = std::move(s.lines);
  caret_ = Clamp(s.caret), anchor_ = Clamp(s.anchor);
  return true;
}

bool TEditModel::Redo() {
  if (readOnly_ || redo_.empty()) return false;
  EndTyping();
  undo_.push_back(TSnapshot{lines_, caret_, anchor_});
  TSnapshot s = std::move(redo_.back());
  redo_.pop_back();
  lines_ = std::move(s.lines);
  caret_ = Clamp(s.caret), anchor_ = Clamp(s.anchor);
  return true;
}

// ---------------------------------------------------------------------------------------
void TEditModel::MoveLeft(bool extend) {
  if (!extend && Selected()) return SetCaret(SelFirst());
  SetCaret(PrevCharPos(caret_), extend);
}

void TEditModel::MoveRight(bool extend) {
  if (!extend && Selected()) return SetCaret(SelLast());
  SetCaret(NextCharPos(caret_), extend);
}

void TEditModel::WordLeft(bool extend) {
  SetCaret(PrevWordStart(caret_), extend);
}
void TEditModel::WordRight(bool extend) {
  SetCaret(NextWordStart(caret_), extend);
}
void TEditModel::LineStart(bool extend) {
  SetCaret(TEditPos{0, caret_.Y}, extend);
}
void TEditModel::LineEnd(bool extend) {
  SetCaret(TEditPos{int(lines_.Strings(caret_.Y).size()), caret_.Y}, extend);
}
void TEditModel::TextStart(bool extend) {
  SetCaret(TEditPos{0, 0}, extend);
}
void TEditModel::TextEnd(bool extend) {
  const int last = lines_.Count() - 1;
  SetCaret(TEditPos{int(lines_.Strings(last).size()), last}, extend);
}

void TEditModel::LineUp(bool extend, int lines) {
  if (caret_.Y == 0) return SetCaret(TEditPos{0, 0}, extend);
  SetCaret(TEditPos{caret_.X, std::max(0, caret_.Y - std::max(1, lines))}, extend);
}

void TEditModel::LineDown(bool extend, int lines) {
  const int last = lines_.Count() - 1;
  if (caret_.Y == last) return SetCaret(TEditPos{int(lines_.Strings(last).size()), last}, extend);
  SetCaret(TEditPos{caret_.X, std::min(last, caret_.Y + std::max(1, lines))}, extend);
}

void TEditModel::SetBookmark(int n) {
  if (n >= 0 && n < 10) bookmarks_[size_t(n)] = caret_;
}

void TEditModel::GotoBookmark(int n) {
  if (HasBookmark(n)) SetCaret(bookmarks_[size_t(n)]);
}
