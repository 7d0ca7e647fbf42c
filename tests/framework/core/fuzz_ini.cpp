// libFuzzer target: the ini reader on arbitrary text, with reads and writes that must keep
// the file's structure.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/IniFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  TMemIniFile ini(u"");
  ini.SetText(text);
  for (const TUnicodeString& section : ini.ReadSections()) {
    for (const TUnicodeString& key : ini.ReadSection(section)) {
      ini.ReadString(section, key, u"");
      ini.ReadInteger(section, key, 0);
      ini.ReadFloat(section, key, 0);
    }
  }
  if (!ini.WriteString(u"Fuzz", u"Key", u"Value")) std::abort();
  if (ini.ReadString(u"fuzz", u"key", u"") != u"Value") std::abort();
  // Reading the written text back gives the same document.
  TMemIniFile again(u"");
  again.SetText(ini.Text());
  if (again.Text() != ini.Text()) std::abort();
  ini.EraseSection(u"Fuzz");
  return 0;
}
