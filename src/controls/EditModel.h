// The text field's editing model: paragraphs, caret, selection, undo and redo, and the
// editing commands, independent of any window.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "framework/Types.h"

enum TEditCharCase : uint8_t { ecNormal = 0, ecUpperCase = 1, ecLowerCase = 2 };

// A position in the text: column X (UTF-16 units) in line Y.
struct TEditPos {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TEditPos&, const TEditPos&) = default;
  friend bool operator<(const TEditPos& a, const TEditPos& b) {
    return a.Y != b.Y ? a.Y < b.Y : a.X < b.X;
  }
};

// The text as a list of paragraphs; never empty (an empty text is one empty line).
class TEditStrings {
 public:
  TEditStrings() : lines_(1) {}
  int Count() const { return int(lines_.size()); }
  const TUnicodeString& Strings(int i) const { return lines_[size_t(i)]; }
  TUnicodeString& Line(int i) { return lines_[size_t(i)]; }
  // All lines joined with CR LF, without a trailing line break.
  TUnicodeString Text() const;
  // Splits at CR LF, CR and LF when `multiline`, else keeps the text as one line.
  void SetText(const TUnicodeString& text, bool multiline);
  void Insert(int index, TUnicodeString line) {
    lines_.insert(lines_.begin() + index, std::move(line));
  }
  void Delete(int index) { lines_.erase(lines_.begin() + index); }
  friend bool operator==(const TEditStrings&, const TEditStrings&) = default;

 private:
  std::vector<TUnicodeString> lines_;
};

// Converts by the character case rule (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic).
char16_t ConvertCharCase(char16_t c, TEditCharCase charCase);
TUnicodeString ConvertCharCase(TUnicodeString s, TEditCharCase charCase);

class TEditModel {
 public:
  TEditModel() = default;

  // Settings
  bool Multiline() const { return multiline_; }
  void SetMultiline(bool v);
  int MaxLength() const { return maxLength_; }  // below 1: unlimited
  void SetMaxLength(int v) { maxLength_ = v; }
  TEditCharCase CharCase() const { return charCase_; }
  // Converts the current text too (as one undoable change); returns whether it changed.
  bool SetCharCase(TEditCharCase v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  int TabSpaces() const { return tabSpaces_; }
  void SetTabSpaces(int v) { tabSpaces_ = v < 1 ? 1 : v; }

  // Text
  const TEditStrings& Lines() const { return lines_; }
  TUnicodeString Text() const { return lines_.Text(); }
  // Replaces the whole text as the program's change: not undoable, clears undo and redo,
  // puts the caret at the start. Returns whether the text changed.
  bool SetText(const TUnicodeString& text);
  // Length of Text(), line breaks counting two.
  int TextLength() const;

  // Caret and selection. The selection runs from the anchor to the caret.
  TEditPos Caret() const { return caret_; }
  TEditPos Anchor() const { return anchor_; }
  bool Selected() const { return !(caret_ == anchor_); }
  TEditPos SelFirst() const { return caret_ < anchor_ ? caret_ : anchor_; }
  TEditPos SelLast() const { return caret_ < anchor_ ? anchor_ : caret_; }
  // Moves the caret; `extend` keeps the anchor, otherwise the selection collapses.
  void SetCaret(TEditPos p, bool extend = false);
  void SetSelection(TEditPos anchor, TEditPos caret);
  int SelStart() const { return PosToOffset(SelFirst()); }
  int SelLength() const { return PosToOffset(SelLast()) - PosToOffset(SelFirst()); }
  // Offsets in Text(); the caret goes to the end of the range.
  void SetSelOffsets(int anchor, int caret);
  TUnicodeString SelText() const;
  void SelectAll();
  bool AllSelected() const;
  // From the start of the word at p to the start of the next word.
  void SelectWordAt(TEditPos p);

  int PosToOffset(TEditPos p) const;
  TEditPos OffsetToPos(int offset) const;
  TEditPos Clamp(TEditPos p) const;

  // Editing; each returns whether the text changed. Everything but SetText refuses to
  // change a read-only text.
  // A typed character, by the typing rules (control characters, read-only, MaxLength,
  // CharCase).
  bool TypeChar(char16_t c);
  // Replaces the selection with `s` (cut at its first line break in a single line,
  // case-converted, cut to what MaxLength leaves room for).
  bool InsertText(const TUnicodeString& s);
  bool DeleteSelection();
  bool DeleteLastChar();
  bool DeleteChar();
  bool DeleteLastWord();
  bool DeleteWord();
  bool LineBreak();  // multi-line only
  bool InsertTab();
  bool Indent();    // multi-line only: the lines of the selection
  bool Unindent();  // multi-line only

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  bool Undo();
  bool Redo();
  void ClearUndo() { undo_.clear(), redo_.clear(), typing_ = false; }

  // Caret movement
  void MoveLeft(bool extend);
  void MoveRight(bool extend);
  void WordLeft(bool extend);
  void WordRight(bool extend);
  void LineStart(bool extend);
  void LineEnd(bool extend);
  void TextStart(bool extend);
  void TextEnd(bool extend);
  void LineUp(bool extend, int lines = 1);
  void LineDown(bool extend, int lines = 1);

  void SetBookmark(int n);
  void GotoBookmark(int n);
  bool HasBookmark(int n) const { return n >= 0 && n < 10 && bookmarks_[size_t(n)].Y >= 0; }

  TEditPos PrevCharPos(TEditPos p) const;
  TEditPos NextCharPos(TEditPos p) const;
  TEditPos PrevWordStart(TEditPos p) const;
  TEditPos NextWordStart(TEditPos p) const;

 private:
  struct TSnapshot {
    TEditStrings lines;
    TEditPos caret, anchor;
  };
  void PushUndo();
  // Replaces [first, last) with `s` (already filtered); the caret ends after it.
  void Replace(TEditPos first, TEditPos last, const TUnicodeString& s);
  bool DeleteRange(TEditPos first, TEditPos last);
  void EndTyping() { typing_ = false; }

  TEditStrings lines_;
  TEditPos caret_, anchor_;
  bool multiline_ = false;
  int maxLength_ = 0;
  TEditCharCase charCase_ = ecNormal;
  bool readOnly_ = false;
  int tabSpaces_ = 4;
  std::vector<TSnapshot> undo_, redo_;
  bool typing_ = false;  // the last change was typing at the caret, merged into one record
  TEditPos typingCaret_;
  std::array<TEditPos, 10> bookmarks_{
      {{0, -1}, {0, -1}, {0, -1}, {0, -1}, {0, -1}, {0, -1}, {0, -1}, {0, -1}, {0, -1}, {0, -1}}};
};
