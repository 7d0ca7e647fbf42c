#include "htmltext/HTMLDump.h"

#include <algorithm>
#include <cstdio>

#include "htmltext/HTMLData.h"
#include "htmltext/HTMLItem.h"
#include "platform/kernel/Unicode.h"

namespace kx {

std::string HTMLQuote(const std::u16string& s) {
  const std::string u = Utf16ToUtf8(s);
  std::string out = "\"";
  for (unsigned char c : u) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\x%02X", c);
          out += buf;
        } else {
          out += char(c);
        }
    }
  }
  return out + "\"";
}

std::string HTMLDump(const THTMLData& data) {
  std::string out;
  char buf[256];
  for (int i = 0; i < data.ItemCount(); ++i) {
    const THTMLItem* item = data.Items(i);
    std::string style;
    if (item->FontStyle.Contains(fsBold)) style += 'B';
    if (item->FontStyle.Contains(fsItalic)) style += 'I';
    if (item->FontStyle.Contains(fsUnderline)) style += 'U';
    if (item->FontStyle.Contains(fsStrikeOut)) style += 'S';
    if (style.empty()) style = "-";
    out +=
        std::to_string(i) + " " + HTMLItemTypeName(item->FItemType) + " " + HTMLQuote(item->FText);
    std::snprintf(buf, sizeof buf, " style=%s h=%d fg=0x%08X bg=0x%08X cnt=%d w=%u ht=%u indent=%d",
                  style.c_str(), item->FontHeight, uint32_t(item->FontColor),
                  uint32_t(item->FontBgColor), item->FFntCnt, unsigned(item->FWidth),
                  unsigned(item->FHeight), item->FIndent);
    out += buf;
    if (item->IsLink()) out += " link=" + HTMLQuote(item->FLinkRef);
    if (item->IsSub()) out += " sub";
    if (item->IsSuper()) out += " sup";
    if (item->FBoolState & hbsAbsolute) out += " abs";
    if (item->FBoolState & hbsParaClosed) out += " mark";
    if (auto* b = dynamic_cast<const THTMLBreakItem*>(item)) {
      out += " align=" + std::to_string(b->Alignment());
      if (b->FItemType == hitLI)
        out += " level=" + std::to_string(b->FListLevel) + " num=" + std::to_string(b->FListItemN);
    }
    out += "\n";
  }
  const TSize size = data.TextSize();
  out += "size " + std::to_string(size.cx) + " " + std::to_string(size.cy) + "\n";
  out += "controls";
  for (const THTMLItem* c : data.ControlsArray()) {
    int index = -1;
    for (int i = 0; i < data.ItemCount(); ++i)
      if (data.Items(i) == c) index = i;
    out += " " + std::to_string(index);
  }
  out += "\n";
  return out;
}

}  // namespace kx
