// The markup parser: one left-to-right scan of a caption into a document's flat item list,
// with word wrapping to the document's width.
#pragma once

#include "framework/Types.h"

class THTMLData;
class THTMLRender;

class THTMLParser {
 public:
  // Parses `text` into `data`, which is the engine's current document for the duration.
  // Throws on the internal errors that end a parse (the caller clears the document).
  static void Parse(THTMLRender* render, const TUnicodeString& text, int maxWidth, bool autoWrap,
                    THTMLData* data);

  // The dialect's integer rule: optional leading blanks, an optional sign, then decimal
  // digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X".
  static bool ReadInteger(const TUnicodeString& s, int32_t& value);
  // A colour name with or without its "cl" prefix, ignoring case.
  static bool ColorFromName(const TUnicodeString& name, TColor& color);
  // The name of a colour of the colour table, or empty.
  static TUnicodeString ColorName(TColor color);
};
