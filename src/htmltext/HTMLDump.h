// Text dumps of documents, one line per item, for tools and golden tests.
#pragma once

#include <string>

#include "framework/Types.h"

class THTMLData;

namespace kx {

// A string in double quotes, UTF-8, with \\ \" \r \n \t escaped and other control
// characters as \xNN.
std::string HTMLQuote(const std::u16string& s);

// One line per item in list order:
//   <index> <kind> "<text>" style=<BIUS letters or -> h=<FontHeight> fg=0x%08X bg=0x%08X
//   cnt=<FFntCnt> w=<FWidth> ht=<FHeight> indent=<FIndent> [link="<href>"] [sub] [sup]
//   [abs] [mark] [align=<n>] [level=<n> num=<n>]
// then "size <cx> <cy>" and "controls <indices of FControlsArray>".
std::string HTMLDump(const THTMLData& data);

}  // namespace kx
