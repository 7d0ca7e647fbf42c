#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "controls/FlatEdit.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "platform/display/Headless.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"

namespace kx::test {
namespace {

namespace hl = kx::headless;

constexpr char kWizardField[] =
    "  object FlatEdit1: TFlatEdit\n"
    "    Left = 126\n"
    "    Top = 314\n"
    "    Width = 193\n"
    "    Height = 24\n"
    "    BorderColorDkShadow = clWhite\n"
    "    BorderColorFace = clWhite\n"
    "    BorderColorHighlight = 12283648\n"
    "    BorderColorShadow = 12283648\n"
    "    BorderColorWindow = 12283648\n"
    "    Flat = True\n"
    "    TabOrder = 1\n"
    "    ThemeMode = ttmNone\n"
    "    UseCustomScrollBars = False\n"
    "  end\n"
    "  object Button1: TButton\n"
    "    Left = 126\n"
    "    Top = 461\n"
    "    Width = 193\n"
    "    Height = 38\n"
    "    Caption = 'Vollversion herunterladen'\n"
    "    TabOrder = 2\n"
    "  end\n";

constexpr COLORREF kBlueLine = RGB(0, 111, 187);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class FlatEditTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Load(kWizardField);
    edit = Find<TFlatEdit>("FlatEdit1");
    ASSERT_NE(edit, nullptr);
    ShowForm();
  }
  // Focuses the field by a click at its left end.
  void Focus() {
    hl::Click(130, 326);
    ASSERT_TRUE(edit->Focused());
  }
  void ExpectState(const char16_t* text, int selStart, int selLength) {
    EXPECT_EQ(edit->Text(), text);
    EXPECT_EQ(edit->SelStart(), selStart);
    EXPECT_EQ(edit->SelLength(), selLength);
  }
  TFlatEdit* edit = nullptr;
};

TEST_F(FlatEditTest, WizardFieldHeightFollowsTheFontAndItsClientAreaIsWhite) {
  TBitmap measure(1, 1);
  measure.Canvas()->Font()->Assign(edit->Font());
  const int textHeight = measure.Canvas()->TextMetrics().tmHeight;
  // Verdana's metrics give 16 + 8 = 24, the layout height; the test face gives its own.
  EXPECT_EQ(edit->Height(), textHeight + 4 * GetSystemMetrics(SM_CXEDGE));
  EXPECT_EQ(edit->ClientWidth(), 189);
  EXPECT_EQ(edit->ClientHeight(), edit->Height() - 4);
  hl::PressKey(VK_TAB);  // the caret goes with the focus
  ASSERT_FALSE(edit->Focused());
  const kx::Image img = Shot();
  for (int y = 316; y < 314 + edit->Height() - 2; ++y)
    for (int x = 128; x < 317; ++x)
      ASSERT_EQ(img.ColorAt(x, y), kWhite) << x << "," << y;
}

TEST_F(FlatEditTest, WithoutAutoSizeTheLayoutHeightGivesA189By20ClientArea) {
  edit->SetAutoSize(false);
  edit->SetHeight(24);
  hl::PressKey(VK_TAB);
  EXPECT_EQ(edit->ClientWidth(), 189);
  EXPECT_EQ(edit->ClientHeight(), 20);
  const kx::Image img = Shot();
  for (int y = 316; y < 336; ++y)
    for (int x = 128; x < 317; ++x)
      ASSERT_EQ(img.ColorAt(x, y), kWhite) << x << "," << y;
}

// The frame is a 1-pixel 0x00BB6F00 line with a white ring inside, whatever the state.
void ExpectWizardFrame(const kx::Image& img, int height, const char* state) {
  const int L = 126, T = 314, R = 126 + 193, B = 314 + height;
  for (int x = L; x < R; ++x) {
    EXPECT_EQ(img.ColorAt(x, T), kBlueLine) << state << " top " << x;
    EXPECT_EQ(img.ColorAt(x, B - 1), kBlueLine) << state << " bottom " << x;
  }
  for (int y = T; y < B; ++y) {
    EXPECT_EQ(img.ColorAt(L, y), kBlueLine) << state << " left " << y;
    EXPECT_EQ(img.ColorAt(R - 1, y), kBlueLine) << state << " right " << y;
  }
  for (int x = L + 1; x < R - 1; ++x) {
    EXPECT_EQ(img.ColorAt(x, T + 1), kWhite) << state << " inner top " << x;
    EXPECT_EQ(img.ColorAt(x, B - 2), kWhite) << state << " inner bottom " << x;
  }
  for (int y = T + 1; y < B - 1; ++y) {
    EXPECT_EQ(img.ColorAt(L + 1, y), kWhite) << state << " inner left " << y;
    EXPECT_EQ(img.ColorAt(R - 2, y), kWhite) << state << " inner right " << y;
  }
}

TEST_F(FlatEditTest, WizardFrameLooksTheSameUnfocusedHoveredAndFocused) {
  hl::MouseMove(10, 10);
  ExpectWizardFrame(Shot(), edit->Height(), "unfocused");
  hl::MouseMove(200, 326);
  EXPECT_TRUE(edit->MouseOver());
  ExpectWizardFrame(Shot(), edit->Height(), "hovered");
  Focus();
  hl::MouseMove(10, 10);
  EXPECT_TRUE(edit->Active());
  const kx::Image img = Shot();
  Save(img, "controls_field_focused");
  ExpectWizardFrame(img, edit->Height(), "focused");
}

TEST_F(FlatEditTest, TypingBackspaceAndDeleteChangeTextAndCaret) {
  Focus();
  hl::TypeText(u" 4711 ");
  ExpectState(u" 4711 ", 6, 0);
  EXPECT_TRUE(edit->Modified());
  hl::PressKey(VK_BACK);
  ExpectState(u" 4711", 5, 0);
  hl::PressKey(VK_HOME);
  ExpectState(u" 4711", 0, 0);
  hl::PressKey(VK_DELETE);
  ExpectState(u"4711", 0, 0);
  hl::PressKey(VK_RIGHT);
  hl::TypeText(u"-");
  ExpectState(u"4-711", 2, 0);
  EXPECT_EQ(edit->Text(), u"4-711") << "Text is read exactly as typed";
}

TEST_F(FlatEditTest, WordMovesAndWordDeletes) {
  Focus();
  hl::TypeText(u"alpha beta gamma");
  hl::PressKey(VK_LEFT, hl::kCtrl);
  EXPECT_EQ(edit->SelStart(), 11);
  hl::PressKey(VK_LEFT, hl::kCtrl);
  EXPECT_EQ(edit->SelStart(), 6);
  hl::PressKey(VK_RIGHT, hl::kCtrl);
  EXPECT_EQ(edit->SelStart(), 11);
  hl::PressKey(VK_LEFT, hl::kShift | hl::kCtrl);
  ExpectState(u"alpha beta gamma", 6, 5);
  hl::PressKey(VK_END);
  hl::PressKey(VK_BACK, hl::kCtrl);
  ExpectState(u"alpha beta ", 11, 0);
  hl::PressKey(VK_HOME);
  hl::PressKey(VK_DELETE, hl::kCtrl);
  ExpectState(u"beta ", 0, 0);
}

TEST_F(FlatEditTest, SingleLineMapsUpDownAndPagesToLeftRightHomeAndEnd) {
  Focus();
  hl::TypeText(u"12345");
  hl::PressKey(VK_UP);
  EXPECT_EQ(edit->SelStart(), 4);
  hl::PressKey(VK_UP);
  EXPECT_EQ(edit->SelStart(), 3);
  hl::PressKey(VK_DOWN);
  EXPECT_EQ(edit->SelStart(), 4);
  hl::PressKey(VK_PRIOR);
  EXPECT_EQ(edit->SelStart(), 0);
  hl::PressKey(VK_NEXT);
  EXPECT_EQ(edit->SelStart(), 5);
  hl::PressKey(VK_UP, hl::kShift);
  ExpectState(u"12345", 4, 1);
  hl::PressKey(VK_HOME, hl::kShift);
  ExpectState(u"12345", 0, 5);
}

TEST_F(FlatEditTest, ShiftSelectionAndSelectAll) {
  Focus();
  hl::TypeText(u"abcdef");
  hl::PressKey(VK_LEFT, hl::kShift);
  hl::PressKey(VK_LEFT, hl::kShift);
  ExpectState(u"abcdef", 4, 2);
  EXPECT_EQ(edit->SelText(), u"ef");
  hl::PressKey(VK_LEFT);
  ExpectState(u"abcdef", 4, 0);
  hl::PressKey('A', hl::kCtrl);
  ExpectState(u"abcdef", 0, 6);
  hl::TypeText(u"x");
  ExpectState(u"x", 1, 0);
}

TEST_F(FlatEditTest, UndoAfterPasteWithAltBackspaceAndCtrlZ) {
  Focus();
  hl::TypeText(u"12");
  kx::SetClipboardText(u"345");
  hl::PressKey('V', hl::kCtrl);
  ExpectState(u"12345", 5, 0);
  hl::PressKey(VK_BACK, hl::kAlt);
  ExpectState(u"12", 2, 0);
  hl::PressKey(VK_INSERT, hl::kShift);
  ExpectState(u"12345", 5, 0);
  hl::PressKey('Z', hl::kCtrl);
  ExpectState(u"12", 2, 0);
}

TEST_F(FlatEditTest, ClipboardCutCopyPasteAndThePasteEvent) {
  Focus();
  hl::TypeText(u"hello world");
  hl::PressKey(VK_LEFT, hl::kShift | hl::kCtrl);
  hl::PressKey('C', hl::kCtrl);
  EXPECT_EQ(kx::GetClipboardText().value_or(u""), u"world");
  hl::PressKey('X', hl::kCtrl);
  ExpectState(u"hello ", 6, 0);
  bool allow = true;
  edit->SetOnPasteClipboardText(
      TPasteClipboardTextEvent([&](TObject*, TUnicodeString& text, bool& ok) {
        text = u"there";
        ok = allow;
      }));
  hl::PressKey('V', hl::kCtrl);
  ExpectState(u"hello there", 11, 0);
  allow = false;
  hl::PressKey('V', hl::kCtrl);
  ExpectState(u"hello there", 11, 0);
}

TEST_F(FlatEditTest, MaxLengthDropsExtraTyping) {
  edit->SetMaxLength(4);
  Focus();
  hl::TypeText(u"123456");
  ExpectState(u"1234", 4, 0);
  kx::SetClipboardText(u"99");
  hl::PressKey(VK_LEFT, hl::kShift);
  hl::PressKey('V', hl::kCtrl);
  // A paste is cut to the room left.
  ExpectState(u"1239", 4, 0);
}

TEST_F(FlatEditTest, ReadOnlyRefusesEditsButSelects) {
  edit->SetText(u"fixed");
  edit->SetReadOnly(true);
  Focus();
  hl::TypeText(u"x");
  hl::PressKey(VK_BACK);
  hl::PressKey(VK_DELETE);
  kx::SetClipboardText(u"p");
  hl::PressKey('V', hl::kCtrl);
  EXPECT_EQ(edit->Text(), u"fixed");
  hl::PressKey('A', hl::kCtrl);
  EXPECT_EQ(edit->SelLength(), 5);
  EXPECT_FALSE(edit->Modified());
}

TEST_F(FlatEditTest, EnterInsertsNothingAndTabMovesTheFocus) {
  Focus();
  hl::TypeText(u"12");
  hl::PressKey(VK_RETURN);
  EXPECT_EQ(edit->Text(), u"12");
  hl::PressKey(VK_TAB);
  EXPECT_EQ(edit->Text(), u"12");
  EXPECT_FALSE(edit->Focused());
  EXPECT_TRUE(Find<TButton>("Button1")->Focused());
}

TEST_F(FlatEditTest, DoubleClickSelectsAWordAndTripleClickEverything) {
  edit->SetText(u"call 0800 now");
  Focus();
  const TPoint p = edit->PosFromCaret(7, 0);  // inside "0800"
  const int x = 126 + 2 + p.x, y = 326;
  hl::Click(x, y);
  hl::Click(x, y);
  EXPECT_EQ(edit->SelText(), u"0800 ");
  hl::Click(x, y);
  EXPECT_EQ(edit->SelText(), u"call 0800 now");
  // Later than the double-click time, a click just places the caret.
  hl::Tick(GetDoubleClickTime() + 1);
  hl::Click(x, y);
  EXPECT_EQ(edit->SelLength(), 0);
}

TEST_F(FlatEditTest, ClickShiftClickAndDragSelect) {
  edit->SetText(u"0123456789");
  Focus();
  auto xOf = [&](int col) { return 126 + 2 + edit->PosFromCaret(col, 0).x; };
  hl::Click(xOf(2), 326);
  EXPECT_EQ(edit->SelStart(), 2);
  hl::Tick(1000);
  hl::KeyDown(VK_SHIFT, hl::kShift);
  hl::MouseDown(xOf(6), 326);
  hl::MouseUp(xOf(6), 326);
  hl::KeyUp(VK_SHIFT);
  EXPECT_EQ(edit->SelText(), u"2345");
  hl::Tick(1000);
  hl::MouseDown(xOf(1), 326);
  hl::MouseMove(xOf(4), 326);
  hl::MouseMove(xOf(8), 326);
  hl::MouseUp(xOf(8), 326);
  EXPECT_EQ(edit->SelText(), u"1234567");
}

TEST_F(FlatEditTest, CaretIsCreatedOnFocusWithTheFontsHeight) {
  POINT p{};
  Focus();
  hl::TypeText(u"11");
  ASSERT_TRUE(GetCaretPos(&p));
  EXPECT_EQ(p.x, edit->PosFromCaret(2, 0).x);
  hl::PressKey(VK_TAB);
  EXPECT_FALSE(GetCaretPos(&p)) << "the caret goes with the focus";
}

TEST_F(FlatEditTest, ProgramTextWriteIsNotUndoableAndNotifiesOnlyUserChanges) {
  int changes = 0;
  edit->SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
  Focus();
  hl::TypeText(u"ab");
  EXPECT_EQ(changes, 2);
  edit->SetText(u"new");
  EXPECT_EQ(changes, 2) << "NotifyUserChangeOnly";
  EXPECT_FALSE(edit->CanUndo());
  hl::PressKey('Z', hl::kCtrl);
  EXPECT_EQ(edit->Text(), u"new");
  EXPECT_EQ(edit->Caption(), u"new") << "the framework text follows";
  edit->SetNotifyUserChangeOnly(false);
  edit->SetText(u"other");
  EXPECT_EQ(changes, 3);
}

TEST_F(FlatEditTest, StandardEditRequests) {
  edit->SetText(u"abcdef");
  char16_t buf[8] = {};
  EXPECT_EQ(SendMessageW(edit->Handle(), WM_GETTEXTLENGTH, 0, 0), 6);
  EXPECT_EQ(SendMessageW(edit->Handle(), WM_GETTEXT, 4, LPARAM(buf)), 3);
  EXPECT_EQ(TUnicodeString(buf), u"abc");
  EXPECT_EQ(SendMessageW(edit->Handle(), WM_GETTEXT, 0, LPARAM(buf)), 0);
  SendMessageW(edit->Handle(), EM_SETSEL, 1, 3);
  DWORD s = 0, e = 0;
  SendMessageW(edit->Handle(), EM_GETSEL, WPARAM(&s), LPARAM(&e));
  EXPECT_EQ(s, 1u);
  EXPECT_EQ(e, 3u);
  SendMessageW(edit->Handle(), EM_REPLACESEL, TRUE, LPARAM(u"XY"));
  EXPECT_EQ(edit->Text(), u"aXYdef");
  EXPECT_TRUE(SendMessageW(edit->Handle(), EM_CANUNDO, 0, 0));
  SendMessageW(edit->Handle(), WM_UNDO, 0, 0);
  EXPECT_EQ(edit->Text(), u"abcdef");
  SendMessageW(edit->Handle(), EM_SETSEL, 0, -1);
  SendMessageW(edit->Handle(), WM_CUT, 0, 0);
  EXPECT_EQ(edit->Text(), u"");
  SendMessageW(edit->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit->Text(), u"abcdef");
  SendMessageW(edit->Handle(), EM_SETSEL, 0, 2);
  SendMessageW(edit->Handle(), WM_CLEAR, 0, 0);
  EXPECT_EQ(edit->Text(), u"cdef");
  EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETLINECOUNT, 0, 0), 1);
  SendMessageW(edit->Handle(), WM_SETTEXT, 0, LPARAM(u"set"));
  EXPECT_EQ(edit->Text(), u"set");
  edit->SetPasswordChar(u'*');
  EXPECT_EQ(SendMessageW(edit->Handle(), WM_GETTEXT, 8, LPARAM(buf)), 0)
      << "a masked field hands out nothing";
}

TEST_F(FlatEditTest, PasswordFieldNeverCopiesItsText) {
  edit->SetPasswordChar(u'*');
  Focus();
  hl::TypeText(u"secret");
  kx::SetClipboardText(u"before");
  hl::PressKey('A', hl::kCtrl);
  hl::PressKey('C', hl::kCtrl);
  hl::PressKey('X', hl::kCtrl);
  EXPECT_EQ(kx::GetClipboardText().value_or(u""), u"before");
  EXPECT_EQ(edit->Text(), u"secret");
}

TEST_F(FlatEditTest, ContextMenuGreysByStateAndRunsItsItems) {
  Focus();
  hl::TypeText(u"text");
  hl::Click(200, 326, hl::Button::Right);
  TPopupMenu* menu = edit->StandardMenu();
  ASSERT_TRUE(menu->IsOpen());
  TMenuItem* items = menu->Items();
  ASSERT_EQ(items->Count(), 8);
  const bool german = PRIMARYLANGID(GetSystemDefaultLangID()) == 0x07;
  EXPECT_EQ(items->Items(0)->Caption(), german ? u"&R\u00fcckg\u00e4ngig" : u"&Undo");
  EXPECT_TRUE(items->Items(0)->Enabled()) << "undo";
  EXPECT_FALSE(items->Items(2)->Enabled()) << "cut without a selection";
  EXPECT_FALSE(items->Items(3)->Enabled()) << "copy without a selection";
  EXPECT_FALSE(items->Items(4)->Enabled()) << "paste with an empty clipboard";
  EXPECT_FALSE(items->Items(5)->Enabled()) << "delete without a selection";
  EXPECT_TRUE(items->Items(7)->Enabled()) << "select all";
  items->Items(7)->Click();
  EXPECT_EQ(edit->SelLength(), 4);
  menu->CloseMenu();
  edit->SetLocalizedSystemMenu(true);
  edit->UpdateStandardMenu();
  EXPECT_EQ(items->Items(2)->Caption(), u"Cu&t");
  EXPECT_EQ(items->Items(7)->Caption(), u"&Select All");
  EXPECT_FALSE(items->Items(7)->Enabled()) << "everything is selected";
  EXPECT_TRUE(items->Items(3)->Enabled());
}

TEST_F(FlatEditTest, OnContextPopupCanSuppressTheMenu) {
  Focus();
  edit->SetOnContextPopup(
      TContextPopupEvent([](TObject*, TPoint, bool& handled) { handled = true; }));
  hl::Click(200, 326, hl::Button::Right);
  EXPECT_FALSE(edit->StandardMenu()->IsOpen());
}

TEST_F(FlatEditTest, TwoKeyBindingsSetAndGoToBookmarks) {
  Focus();
  hl::TypeText(u"abcdef");
  hl::PressKey(VK_LEFT);
  hl::PressKey(VK_LEFT);
  hl::PressKey('K', hl::kCtrl);
  hl::PressKey('3');  // the key's text input is not typed
  EXPECT_EQ(edit->Text(), u"abcdef");
  hl::PressKey(VK_HOME);
  hl::PressKey('Q', hl::kCtrl);
  hl::PressKey('3');
  EXPECT_EQ(edit->SelStart(), 4);
  EXPECT_EQ(edit->Text(), u"abcdef");
}

TEST_F(FlatEditTest, DeadKeysCompose) {
  Focus();
  SendMessageW(edit->Handle(), WM_DEADCHAR, u'^', 0);
  hl::TypeText(u"e");
  SendMessageW(edit->Handle(), WM_DEADCHAR, u'`', 0);
  hl::TypeText(u"x");
  EXPECT_EQ(edit->Text(), u"\u00ea`x");
}

TEST_F(FlatEditTest, CharCaseConvertsTypedText) {
  edit->SetCharCase(ecUpperCase);
  Focus();
  hl::TypeText(u"ab\u00e7");
  EXPECT_EQ(edit->Text(), u"AB\u00c7");
}

TEST_F(FlatEditTest, LongTextScrollsTheCaretIntoView) {
  Focus();
  for (int i = 0; i < 40; ++i)
    hl::TypeText(u"9");
  EXPECT_GT(edit->LeftChar(), 0);
  POINT p{};
  GetCaretPos(&p);
  EXPECT_LE(p.x, edit->ClientWidth());
  hl::PressKey(VK_HOME);
  EXPECT_EQ(edit->LeftChar(), 0);
}

TEST_F(FlatEditTest, SelectionIsDrawnInTheHighlightColours) {
  Focus();
  hl::TypeText(u"WWWW");
  hl::PressKey('A', hl::kCtrl);
  const kx::Image img = Shot();
  const TPoint p = edit->PosFromCaret(1, 0);
  // Somewhere in the selected run the highlight background shows.
  int highlight = 0;
  for (int x = 128 + p.x - 4; x < 128 + p.x + 4; ++x)
    for (int y = 318; y < 334; ++y)
      highlight += img.ColorAt(x, y) == Rgb(clHighlight);
  EXPECT_GT(highlight, 10);
}

// ---------------------------------------------------------------------------------------
class FlatEditFrameTest : public ControlsTest {};

TEST_F(FlatEditFrameTest, NonFlatFieldDrawsTheSunkenFrameInItsFiveColours) {
  Load(
      "  object E: TFlatEdit\n"
      "    Left = 10\n    Top = 10\n    Width = 100\n    Height = 24\n"
      "    BorderColorShadow = clBlue\n    BorderColorHighlight = clYellow\n"
      "    BorderColorDkShadow = clLime\n    BorderColorFace = clRed\n"
      "    BorderColorWindow = clFuchsia\n"
      "  end\n"
      "  object B: TButton\n    Left = 10\n    Top = 60\n    Width = 50\n    Height = 20\n"
      "  end\n");
  ShowForm();
  auto* e = Find<TFlatEdit>("E");
  for (int state = 0; state < 3; ++state) {
    if (state == 1) hl::MouseMove(50, 20);
    if (state == 2) hl::Click(50, 20);
    const kx::Image img = Shot();
    const int L = 10, T = 10, R = 110, B = T + e->Height();
    EXPECT_EQ(img.ColorAt(L + 5, T), RGB(0, 0, 255)) << state;        // outer top: shadow
    EXPECT_EQ(img.ColorAt(L, T + 5), RGB(0, 0, 255)) << state;        // outer left
    EXPECT_EQ(img.ColorAt(R - 1, T + 5), RGB(255, 255, 0)) << state;  // outer right
    EXPECT_EQ(img.ColorAt(L + 5, B - 1), RGB(255, 255, 0)) << state;  // outer bottom
    EXPECT_EQ(img.ColorAt(L + 5, T + 1), RGB(0, 255, 0)) << state;    // inner top: dk shadow
    EXPECT_EQ(img.ColorAt(L + 1, T + 5), RGB(0, 255, 0)) << state;    // inner left
    EXPECT_EQ(img.ColorAt(R - 2, T + 5), RGB(255, 0, 0)) << state;    // inner right: face
    EXPECT_EQ(img.ColorAt(L + 5, B - 2), RGB(255, 0, 0)) << state;    // inner bottom
  }
  EXPECT_TRUE(e->Focused());
}

TEST_F(FlatEditFrameTest, BorderSidesWithoutTheRightSideGiveTheMarginBack) {
  Load(
      "  object E: TFlatEdit\n"
      "    Left = 10\n    Top = 10\n    Width = 100\n    Height = 24\n"
      "    BorderSides = [ebsLeft, ebsTop, ebsBottom]\n"
      "    BorderColorShadow = clBlue\n    BorderColorHighlight = clYellow\n"
      "    BorderColorDkShadow = clLime\n    BorderColorFace = clRed\n"
      "  end\n");
  ShowForm();
  auto* e = Find<TFlatEdit>("E");
  EXPECT_EQ(e->ClientWidth(), 98);
  const kx::Image img = Shot();
  Save(img, "controls_field_no_right_side");
  for (int x = 10; x < 110; ++x)
    EXPECT_EQ(img.ColorAt(x, 10), RGB(0, 0, 255)) << x;
  // The inner bottom line (face) is the only frame colour in the last column.
  for (int y = 12; y < 10 + e->Height() - 2; ++y)
    EXPECT_EQ(img.ColorAt(109, y), RGB(255, 255, 255)) << y;
  EXPECT_EQ(img.ColorAt(109, 10 + e->Height() - 2), RGB(255, 0, 0));
}

// ---------------------------------------------------------------------------------------
class FlatEditMultilineTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Load(
        "  object M: TFlatEdit\n"
        "    Left = 10\n    Top = 10\n    Width = 200\n    Height = 70\n"
        "    Multiline = True\n    WantReturns = True\n"
        "  end\n");
    edit = Find<TFlatEdit>("M");
    ShowForm();
    hl::Click(20, 20);
  }
  TFlatEdit* edit = nullptr;
};

TEST_F(FlatEditMultilineTest, EnterUpDownAndPagesMoveBetweenLines) {
  EXPECT_EQ(edit->Height(), 70) << "auto height is for single lines only";
  hl::TypeText(u"one");
  hl::PressKey(VK_RETURN);
  hl::TypeText(u"two");
  hl::PressKey(VK_RETURN, hl::kShift);
  hl::TypeText(u"three");
  EXPECT_EQ(edit->Text(), u"one\r\ntwo\r\nthree");
  EXPECT_EQ(edit->CaretY(), 2);
  hl::PressKey(VK_UP);
  EXPECT_EQ(edit->CaretY(), 1);
  EXPECT_EQ(edit->CaretX(), 3);
  hl::PressKey(VK_DOWN, hl::kShift);
  EXPECT_EQ(edit->SelText(), u"\r\nthr");
  hl::PressKey(VK_PRIOR);
  EXPECT_EQ(edit->CaretY(), 0);
  hl::PressKey(VK_NEXT);
  EXPECT_EQ(edit->CaretY(), 2);
  EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETLINECOUNT, 0, 0), 3);
}

TEST_F(FlatEditMultilineTest, CaretScrollsIntoViewVertically) {
  for (int i = 0; i < 12; ++i) {
    hl::TypeText(u"line");
    hl::PressKey(VK_RETURN);
  }
  EXPECT_EQ(edit->CaretY(), 12);
  EXPECT_GT(edit->TopLine(), 0);
  EXPECT_LT(edit->CaretY() - edit->TopLine(), edit->LinesInView());
  hl::PressKey(VK_HOME, hl::kCtrl);
  EXPECT_EQ(edit->TopLine(), 0);
  Save(Shot(), "controls_field_multiline");
}

}  // namespace
}  // namespace kx::test
