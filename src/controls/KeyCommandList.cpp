#include "controls/KeyCommandList.h"

namespace {
constexpr TShiftState S = ShiftBit(ssShift);
constexpr TShiftState C = ShiftBit(ssCtrl);
constexpr TShiftState A = ShiftBit(ssAlt);
}  // namespace

void TKeyCommandList::Add(WORD key, TShiftState shift, TEditorCommand command, WORD key2,
                          TShiftState shift2) {
  items_.push_back(TKeyCommand{key, TShiftState(shift & KeyShiftMask), key2,
                               TShiftState(shift2 & KeyShiftMask), command});
}

void TKeyCommandList::ResetDefaults() {
  items_.clear();
  pending_ = false;
  Add(VK_LEFT, 0, ecLeft);
  Add(VK_LEFT, S, ecSelLeft);
  Add(VK_LEFT, C, ecWordLeft);
  Add(VK_LEFT, S | C, ecSelWordLeft);
  Add(VK_RIGHT, 0, ecRight);
  Add(VK_RIGHT, S, ecSelRight);
  Add(VK_RIGHT, C, ecWordRight);
  Add(VK_RIGHT, S | C, ecSelWordRight);
  Add(VK_UP, 0, ecUp);
  Add(VK_UP, S, ecSelUp);
  Add(VK_DOWN, 0, ecDown);
  Add(VK_DOWN, S, ecSelDown);
  Add(VK_PRIOR, 0, ecPageUp);
  Add(VK_PRIOR, S, ecSelPageUp);
  Add(VK_NEXT, 0, ecPageDown);
  Add(VK_NEXT, S, ecSelPageDown);
  Add(VK_HOME, 0, ecLineStart);
  Add(VK_HOME, S, ecSelLineStart);
  Add(VK_HOME, C, ecEditorTop);
  Add(VK_HOME, S | C, ecSelEditorTop);
  Add(VK_END, 0, ecLineEnd);
  Add(VK_END, S, ecSelLineEnd);
  Add(VK_END, C, ecEditorBottom);
  Add(VK_END, S | C, ecSelEditorBottom);
  Add(VK_RETURN, 0, ecLineBreak);
  Add(VK_RETURN, S, ecLineBreak);
  Add(VK_RETURN, C, ecLineBreak);
  Add(VK_TAB, 0, ecTab);
  Add(VK_BACK, 0, ecDeleteLastChar);
  Add(VK_BACK, S, ecDeleteLastChar);
  Add(VK_BACK, C, ecDeleteLastWord);
  Add(VK_BACK, A, ecUndo);
  Add('Z', C, ecUndo);
  Add(VK_DELETE, 0, ecDeleteChar);
  Add(VK_DELETE, C, ecDeleteWord);
  Add(VK_DELETE, S, ecCut);
  Add('X', C, ecCut);
  Add(VK_INSERT, C, ecCopy);
  Add('C', C, ecCopy);
  Add(VK_INSERT, S, ecPaste);
  Add('V', C, ecPaste);
  Add('A', C, ecSelectAll);
  Add('K', C, ecBlockIndent, 'I');
  Add('K', C, ecBlockUnindent, 'U');
  for (int n = 0; n < 10; ++n) {
    Add('K', C, TEditorCommand(ecSetMarker0 + n), WORD('0' + n));
    Add('Q', C, TEditorCommand(ecGotoMarker0 + n), WORD('0' + n));
  }
}

TKeyCommandList::TMatch TKeyCommandList::Translate(WORD key, TShiftState shift,
                                                   TEditorCommand& command) {
  command = ecNone;
  shift &= KeyShiftMask;
  if (pending_) {
    pending_ = false;
    const TShiftState second = TShiftState(shift & ~C);
    for (const TKeyCommand& k : items_) {
      if (k.Key2 != 0 && k.Key == firstKey_ && k.Shift == firstShift_ && k.Key2 == key &&
          k.Shift2 == second) {
        command = k.Command;
        return TMatch::Command;
      }
    }
  }
  for (const TKeyCommand& k : items_) {
    if (k.Key2 == 0 && k.Key == key && k.Shift == shift) {
      command = k.Command;
      return TMatch::Command;
    }
  }
  for (const TKeyCommand& k : items_) {
    if (k.Key2 != 0 && k.Key == key && k.Shift == shift) {
      pending_ = true;
      firstKey_ = key;
      firstShift_ = shift;
      return TMatch::Pending;
    }
  }
  return TMatch::None;
}
