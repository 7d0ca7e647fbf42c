#include <gtest/gtest.h>

#include "controls/EditModel.h"
#include "controls/KeyCommandList.h"

namespace {

constexpr TShiftState kS = ShiftBit(ssShift);
constexpr TShiftState kC = ShiftBit(ssCtrl);
constexpr TShiftState kA = ShiftBit(ssAlt);

TEditModel Typed(const char16_t* text) {
  TEditModel m;
  for (const char16_t* p = text; *p; ++p)
    m.TypeChar(*p);
  return m;
}

TEST(EditModel, TypingInsertsAtTheCaretAndKeepsBlanks) {
  TEditModel m = Typed(u"  12345 ");
  EXPECT_EQ(m.Text(), u"  12345 ");
  EXPECT_EQ(m.Caret(), (TEditPos{8, 0}));
  m.SetCaret({2, 0});
  m.TypeChar(u'x');
  EXPECT_EQ(m.Text(), u"  x12345 ");
  EXPECT_EQ(m.Caret().X, 3);
}

TEST(EditModel, ControlCharactersAreNotTyped) {
  TEditModel m;
  for (char16_t c : {u'\b', u'\t', u'\r', u'\n', char16_t(27), char16_t(127), char16_t(1)})
    EXPECT_FALSE(m.TypeChar(c)) << int(c);
  EXPECT_EQ(m.Text(), u"");
}

TEST(EditModel, TypingReplacesTheSelection) {
  TEditModel m = Typed(u"hello world");
  m.SetSelection({0, 0}, {5, 0});
  m.TypeChar(u'J');
  EXPECT_EQ(m.Text(), u"J world");
  EXPECT_FALSE(m.Selected());
}

TEST(EditModel, BackspaceAndDelete) {
  TEditModel m = Typed(u"abcd");
  EXPECT_TRUE(m.DeleteLastChar());
  EXPECT_EQ(m.Text(), u"abc");
  m.SetCaret({1, 0});
  EXPECT_TRUE(m.DeleteChar());
  EXPECT_EQ(m.Text(), u"ac");
  EXPECT_EQ(m.Caret().X, 1);
  m.SetCaret({0, 0});
  EXPECT_FALSE(m.DeleteLastChar());
  m.SetCaret({2, 0});
  EXPECT_FALSE(m.DeleteChar());
  EXPECT_EQ(m.Text(), u"ac");
}

TEST(EditModel, SurrogatePairsMoveAndDeleteAsOneCharacter) {
  TEditModel m;
  m.InsertText(u"a\U0001F600b");
  m.SetCaret({3, 0});
  m.MoveLeft(false);
  EXPECT_EQ(m.Caret().X, 1);
  m.MoveRight(false);
  EXPECT_EQ(m.Caret().X, 3);
  m.DeleteLastChar();
  EXPECT_EQ(m.Text(), u"ab");
}

struct WordCase {
  const char16_t* text;
  int from;
  int prev;
  int next;
};

class WordMoves : public testing::TestWithParam<WordCase> {};

TEST_P(WordMoves, FindPreviousAndNextWordStarts) {
  const WordCase& c = GetParam();
  TEditModel m;
  m.SetText(c.text);
  EXPECT_EQ(m.PrevWordStart({c.from, 0}).X, c.prev);
  EXPECT_EQ(m.NextWordStart({c.from, 0}).X, c.next);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WordMoves,
    testing::Values(WordCase{u"one two three", 0, 0, 4}, WordCase{u"one two three", 5, 4, 8},
                    WordCase{u"one two three", 4, 0, 8}, WordCase{u"one two three", 13, 8, 13},
                    WordCase{u"a.b  c", 1, 0, 2}, WordCase{u"a.b  c", 5, 2, 6},
                    WordCase{u"  lead", 2, 0, 6}, WordCase{u"Grüße an", 0, 0, 6}));

TEST(EditModel, WordDeletes) {
  TEditModel m = Typed(u"alpha beta gamma");
  EXPECT_TRUE(m.DeleteLastWord());
  EXPECT_EQ(m.Text(), u"alpha beta ");
  m.SetCaret({0, 0});
  EXPECT_TRUE(m.DeleteWord());
  EXPECT_EQ(m.Text(), u"beta ");
}

TEST(EditModel, ShiftMovesExtendAndPlainMovesCollapse) {
  TEditModel m = Typed(u"abcdef");
  m.SetCaret({1, 0});
  m.MoveRight(true);
  m.MoveRight(true);
  EXPECT_EQ(m.SelText(), u"bc");
  EXPECT_EQ(m.SelStart(), 1);
  EXPECT_EQ(m.SelLength(), 2);
  m.LineStart(true);
  EXPECT_EQ(m.SelText(), u"a");  // the anchor stays at 1
  m.LineEnd(true);
  EXPECT_EQ(m.SelText(), u"bcdef");
  m.MoveLeft(false);
  EXPECT_FALSE(m.Selected());
  EXPECT_EQ(m.Caret().X, 1);
  m.SelectAll();
  EXPECT_TRUE(m.AllSelected());
  EXPECT_EQ(m.SelText(), u"abcdef");
}

TEST(EditModel, UndoRestoresTextAndCaretAndRedoReappliesIt) {
  TEditModel m = Typed(u"abc");
  m.InsertText(u"XYZ");
  EXPECT_EQ(m.Text(), u"abcXYZ");
  ASSERT_TRUE(m.Undo());
  EXPECT_EQ(m.Text(), u"abc");
  EXPECT_EQ(m.Caret().X, 3);
  ASSERT_TRUE(m.Redo());
  EXPECT_EQ(m.Text(), u"abcXYZ");
  // Consecutive typing is one record.
  ASSERT_TRUE(m.Undo());
  ASSERT_TRUE(m.Undo());
  EXPECT_EQ(m.Text(), u"");
  EXPECT_FALSE(m.CanUndo());
  EXPECT_TRUE(m.CanRedo());
  m.TypeChar(u'q');
  EXPECT_FALSE(m.CanRedo()) << "a new change drops the redo history";
}

TEST(EditModel, TypingAfterACaretMoveStartsANewUndoRecord) {
  TEditModel m = Typed(u"ab");
  m.MoveLeft(false);
  m.TypeChar(u'X');
  EXPECT_EQ(m.Text(), u"aXb");
  m.Undo();
  EXPECT_EQ(m.Text(), u"ab");
}

TEST(EditModel, SetTextClearsHistoryAndIsNotUndoable) {
  TEditModel m = Typed(u"abc");
  EXPECT_TRUE(m.SetText(u"new"));
  EXPECT_FALSE(m.CanUndo());
  EXPECT_FALSE(m.CanRedo());
  EXPECT_FALSE(m.Undo());
  EXPECT_EQ(m.Text(), u"new");
  EXPECT_FALSE(m.SetText(u"new"));
}

TEST(EditModel, MaxLengthStopsTypingAndCutsPastes) {
  TEditModel m;
  m.SetMaxLength(5);
  for (char16_t c : std::u16string(u"1234567"))
    m.TypeChar(c);
  EXPECT_EQ(m.Text(), u"12345");
  m.SetSelection({1, 0}, {3, 0});
  EXPECT_TRUE(m.TypeChar(u'x')) << "a selection makes room";
  EXPECT_EQ(m.Text(), u"1x45");
  m.SetCaret({4, 0});
  m.InsertText(u"abcdef");
  EXPECT_EQ(m.Text(), u"1x45a");
  EXPECT_FALSE(m.InsertText(u"z"));
}

TEST(EditModel, ReadOnlyRefusesEveryChange) {
  TEditModel m = Typed(u"abc");
  m.SetReadOnly(true);
  m.SelectAll();
  EXPECT_FALSE(m.TypeChar(u'x'));
  EXPECT_FALSE(m.InsertText(u"x"));
  EXPECT_FALSE(m.DeleteLastChar());
  EXPECT_FALSE(m.DeleteChar());
  EXPECT_FALSE(m.Undo());
  EXPECT_EQ(m.Text(), u"abc");
  EXPECT_EQ(m.SelText(), u"abc") << "selecting still works";
}

TEST(EditModel, CharCaseConvertsTypedPastedAndStoredText) {
  TEditModel m;
  m.SetCharCase(ecUpperCase);
  m.TypeChar(u'a');
  m.InsertText(u"bçß");
  EXPECT_EQ(m.Text(), u"ABÇß");
  m.SetText(u"grün");
  EXPECT_EQ(m.Text(), u"GRÜN");
  EXPECT_TRUE(m.SetCharCase(ecLowerCase));
  EXPECT_EQ(m.Text(), u"grün");
}

TEST(EditModel, SingleLinePasteStopsAtTheFirstLineBreak) {
  TEditModel m;
  m.InsertText(u"first\r\nsecond");
  EXPECT_EQ(m.Text(), u"first");
  EXPECT_FALSE(m.LineBreak());
}

TEST(EditModel, SingleLineTextKeepsWhatTheProgramStores) {
  TEditModel m;
  m.SetText(u"a\r\nb");
  EXPECT_EQ(m.Text(), u"a\r\nb");
  EXPECT_EQ(m.Lines().Count(), 1);
}

TEST(EditModel, MultilineBreaksJoinsAndOffsets) {
  TEditModel m;
  m.SetMultiline(true);
  m.SetText(u"ab\ncd\r\nef");
  EXPECT_EQ(m.Lines().Count(), 3);
  EXPECT_EQ(m.Text(), u"ab\r\ncd\r\nef");
  EXPECT_EQ(m.TextLength(), 10);
  EXPECT_EQ(m.PosToOffset({1, 1}), 5);
  EXPECT_EQ(m.OffsetToPos(5), (TEditPos{1, 1}));
  EXPECT_EQ(m.OffsetToPos(3), (TEditPos{2, 0})) << "inside a CR LF";
  m.SetCaret({0, 1});
  m.DeleteLastChar();
  EXPECT_EQ(m.Text(), u"abcd\r\nef");
  EXPECT_EQ(m.Caret(), (TEditPos{2, 0}));
  m.LineBreak();
  EXPECT_EQ(m.Text(), u"ab\r\ncd\r\nef");
  m.SetSelection({1, 0}, {1, 2});
  EXPECT_EQ(m.SelText(), u"b\r\ncd\r\ne");
  m.InsertText(u"X\r\nY");
  EXPECT_EQ(m.Text(), u"aX\r\nYf");
  EXPECT_EQ(m.Caret(), (TEditPos{1, 1}));
}

TEST(EditModel, LineUpAndDownKeepTheColumnAndStopAtTheEnds) {
  TEditModel m;
  m.SetMultiline(true);
  m.SetText(u"long line\nab\nthird line");
  m.SetCaret({5, 0});
  m.LineDown(false);
  EXPECT_EQ(m.Caret(), (TEditPos{2, 1}));
  m.LineDown(true, 5);
  EXPECT_EQ(m.Caret(), (TEditPos{2, 2}));
  m.LineDown(false);
  EXPECT_EQ(m.Caret(), (TEditPos{10, 2}));
  m.LineUp(false, 10);
  EXPECT_EQ(m.Caret(), (TEditPos{9, 0})) << "clamped to the shorter line";
  m.LineUp(false);
  EXPECT_EQ(m.Caret(), (TEditPos{0, 0}));
}

TEST(EditModel, IndentAndUnindentTheSelectedLines) {
  TEditModel m;
  m.SetMultiline(true);
  m.SetText(u"a\nb\nc");
  m.SetSelection({0, 0}, {1, 1});
  ASSERT_TRUE(m.Indent());
  EXPECT_EQ(m.Text(), u"    a\r\n    b\r\nc");
  ASSERT_TRUE(m.Unindent());
  EXPECT_EQ(m.Text(), u"a\r\nb\r\nc");
}

TEST(EditModel, DoubleClickWordSelection) {
  TEditModel m;
  m.SetText(u"call 0800-123 now");
  m.SelectWordAt({2, 0});
  EXPECT_EQ(m.SelText(), u"call ");
  m.SelectWordAt({6, 0});
  EXPECT_EQ(m.SelText(), u"0800");
  m.SelectWordAt({17, 0});
  EXPECT_EQ(m.SelText(), u"now");
}

TEST(EditModel, Bookmarks) {
  TEditModel m = Typed(u"abcdef");
  m.SetCaret({2, 0});
  m.SetBookmark(3);
  m.TextEnd(false);
  m.GotoBookmark(3);
  EXPECT_EQ(m.Caret().X, 2);
  m.GotoBookmark(4);
  EXPECT_EQ(m.Caret().X, 2) << "an unset bookmark goes nowhere";
}

struct BindingCase {
  WORD key;
  TShiftState shift;
  TEditorCommand command;
};

class DefaultBindings : public testing::TestWithParam<BindingCase> {};

TEST_P(DefaultBindings, MapKeysToCommands) {
  TKeyCommandList list;
  TEditorCommand cmd;
  EXPECT_EQ(list.Translate(GetParam().key, GetParam().shift, cmd),
            TKeyCommandList::TMatch::Command);
  EXPECT_EQ(cmd, GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DefaultBindings,
    testing::Values(BindingCase{VK_LEFT, 0, ecLeft}, BindingCase{VK_LEFT, kS, ecSelLeft},
                    BindingCase{VK_LEFT, kC, ecWordLeft},
                    BindingCase{VK_LEFT, kS | kC, ecSelWordLeft},
                    BindingCase{VK_RIGHT, kS | kC, ecSelWordRight}, BindingCase{VK_UP, kS, ecSelUp},
                    BindingCase{VK_DOWN, 0, ecDown}, BindingCase{VK_PRIOR, kS, ecSelPageUp},
                    BindingCase{VK_NEXT, 0, ecPageDown}, BindingCase{VK_HOME, kC, ecEditorTop},
                    BindingCase{VK_HOME, kS | kC, ecSelEditorTop},
                    BindingCase{VK_END, kS, ecSelLineEnd}, BindingCase{VK_END, kC, ecEditorBottom},
                    BindingCase{VK_RETURN, kC, ecLineBreak}, BindingCase{VK_TAB, 0, ecTab},
                    BindingCase{VK_BACK, kS, ecDeleteLastChar},
                    BindingCase{VK_BACK, kC, ecDeleteLastWord}, BindingCase{VK_BACK, kA, ecUndo},
                    BindingCase{'Z', kC, ecUndo}, BindingCase{VK_DELETE, 0, ecDeleteChar},
                    BindingCase{VK_DELETE, kC, ecDeleteWord}, BindingCase{VK_DELETE, kS, ecCut},
                    BindingCase{'X', kC, ecCut}, BindingCase{VK_INSERT, kC, ecCopy},
                    BindingCase{'C', kC, ecCopy}, BindingCase{VK_INSERT, kS, ecPaste},
                    BindingCase{'V', kC, ecPaste}, BindingCase{'A', kC, ecSelectAll}));

TEST(KeyCommandList, TwoKeyBindingsCompleteOnTheSecondKey) {
  TKeyCommandList list;
  TEditorCommand cmd;
  EXPECT_EQ(list.Translate('K', kC, cmd), TKeyCommandList::TMatch::Pending);
  EXPECT_EQ(list.Translate('I', 0, cmd), TKeyCommandList::TMatch::Command);
  EXPECT_EQ(cmd, ecBlockIndent);
  EXPECT_EQ(list.Translate('K', kC, cmd), TKeyCommandList::TMatch::Pending);
  EXPECT_EQ(list.Translate('7', kC, cmd), TKeyCommandList::TMatch::Command);
  EXPECT_EQ(cmd, TEditorCommand(ecSetMarker0 + 7));
  EXPECT_EQ(list.Translate('Q', kC, cmd), TKeyCommandList::TMatch::Pending);
  EXPECT_EQ(list.Translate('2', 0, cmd), TKeyCommandList::TMatch::Command);
  EXPECT_EQ(cmd, TEditorCommand(ecGotoMarker0 + 2));
}

TEST(KeyCommandList, AnUnmatchedSecondKeyCancelsAndRunsOnItsOwn) {
  TKeyCommandList list;
  TEditorCommand cmd;
  list.Translate('K', kC, cmd);
  EXPECT_EQ(list.Translate(VK_LEFT, 0, cmd), TKeyCommandList::TMatch::Command);
  EXPECT_EQ(cmd, ecLeft);
  EXPECT_FALSE(list.PendingFirstKey());
  EXPECT_EQ(list.Translate('I', 0, cmd), TKeyCommandList::TMatch::None);
}

TEST(KeyCommandList, MouseButtonsInTheShiftStateDoNotMatter) {
  TKeyCommandList list;
  TEditorCommand cmd;
  EXPECT_EQ(list.Translate('A', kC | ShiftBit(ssLeft), cmd), TKeyCommandList::TMatch::Command);
  EXPECT_EQ(cmd, ecSelectAll);
}

}  // namespace
