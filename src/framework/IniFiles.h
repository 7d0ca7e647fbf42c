// Ini files with the Windows profile semantics: "[Section]" headers and "Key=Value" lines;
// sections and keys compare case-insensitively; names and values are trimmed of blanks and
// a value enclosed in matching quotes loses them when read. The first occurrence of a
// section or key counts. An update changes the key's line in place, a new key goes after
// the last key of its section, a new section at the end; every other line (comments
// starting with ";", blank lines, text before the first section) is kept as it was. The
// file is UTF-8 (a byte-order mark is kept) and keeps its line ending ("\r\n" or "\n").
//
// A write that would break the file's structure is refused (false): a key that is empty,
// contains "=" or starts with "[" or ";", a section containing "]", or any line break in a
// section, key or value.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"

class TCustomIniFile : public TObject {
 public:
  explicit TCustomIniFile(TUnicodeString fileName) : fileName_(std::move(fileName)) {}
  const TUnicodeString& FileName() const { return fileName_; }

  virtual TUnicodeString ReadString(const TUnicodeString& section, const TUnicodeString& key,
                                    const TUnicodeString& def) = 0;
  virtual bool WriteString(const TUnicodeString& section, const TUnicodeString& key,
                           const TUnicodeString& value) = 0;
  // Decimal, or hexadecimal with "$" or "0x"; anything else (or out of range) gives `def`.
  int ReadInteger(const TUnicodeString& section, const TUnicodeString& key, int def);
  bool WriteInteger(const TUnicodeString& section, const TUnicodeString& key, int value);
  // An integer other than 0 is true; written as "1" / "0".
  bool ReadBool(const TUnicodeString& section, const TUnicodeString& key, bool def);
  bool WriteBool(const TUnicodeString& section, const TUnicodeString& key, bool value);
  // A decimal number with "."; anything else gives `def`.
  double ReadFloat(const TUnicodeString& section, const TUnicodeString& key, double def);
  bool WriteFloat(const TUnicodeString& section, const TUnicodeString& key, double value);

  virtual std::vector<TUnicodeString> ReadSection(const TUnicodeString& section) = 0;  // keys
  virtual std::vector<TUnicodeString> ReadSections() = 0;
  virtual bool EraseSection(const TUnicodeString& section) = 0;
  virtual bool DeleteKey(const TUnicodeString& section, const TUnicodeString& key) = 0;
  virtual bool SectionExists(const TUnicodeString& section);
  virtual bool ValueExists(const TUnicodeString& section, const TUnicodeString& key);
  // Writes pending changes to the file; true when nothing failed.
  virtual bool UpdateFile() = 0;

 private:
  TUnicodeString fileName_;
};

namespace kx {
// The parsed lines of one profile file (the shared engine of both ini classes).
class IniDocument;
}  // namespace kx

// Holds the file in memory: reads it once at construction, UpdateFile writes it back.
class TMemIniFile : public TCustomIniFile {
 public:
  explicit TMemIniFile(TUnicodeString fileName);
  ~TMemIniFile() override;

  TUnicodeString ReadString(const TUnicodeString& section, const TUnicodeString& key,
                            const TUnicodeString& def) override;
  bool WriteString(const TUnicodeString& section, const TUnicodeString& key,
                   const TUnicodeString& value) override;
  std::vector<TUnicodeString> ReadSection(const TUnicodeString& section) override;
  std::vector<TUnicodeString> ReadSections() override;
  bool EraseSection(const TUnicodeString& section) override;
  bool DeleteKey(const TUnicodeString& section, const TUnicodeString& key) override;
  bool UpdateFile() override;

  // The whole text, and replacing it (e.g. from memory rather than a file).
  std::string Text() const;
  void SetText(std::string_view text);
  // Whether there are changes UpdateFile has not written.
  bool Modified() const { return modified_; }

 private:
  std::unique_ptr<kx::IniDocument> doc_;
  bool modified_ = false;
};

// Works on the file itself: every read reads the file, every write rewrites it at once
// (through a temporary file renamed over it), as the profile functions do.
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(TUnicodeString fileName);

  TUnicodeString ReadString(const TUnicodeString& section, const TUnicodeString& key,
                            const TUnicodeString& def) override;
  bool WriteString(const TUnicodeString& section, const TUnicodeString& key,
                   const TUnicodeString& value) override;
  std::vector<TUnicodeString> ReadSection(const TUnicodeString& section) override;
  std::vector<TUnicodeString> ReadSections() override;
  bool EraseSection(const TUnicodeString& section) override;
  bool DeleteKey(const TUnicodeString& section, const TUnicodeString& key) override;
  bool UpdateFile() override { return true; }
};
