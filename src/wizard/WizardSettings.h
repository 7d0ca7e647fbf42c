// The wizard's fixed settings and both languages' texts, kept in one place.
#pragma once

#include "framework/Types.h"

namespace kx::wizard {

inline constexpr char16_t kProductName[] = u"Parvel";
// A plain HTTP address on the vendor's download server.
inline constexpr char kDownloadURL[] = "http://download.parvel-software.com/download/parvelVV.exe";
// The sign-up sites: German and international.
inline constexpr char16_t kSignUpBaseGerman[] = u"https://www.parvel-software.de/vollversion/?l=";
inline constexpr char16_t kSignUpBaseEnglish[] = u"https://www.parvel-software.com/fullversion/?l=";
inline constexpr char16_t kSignUpCode[] = u"kx-upgrade-2026";
// The HTTP password sent with the customer number: twelve lowercase letters.
inline constexpr char kPassword[] = "qvmtzrkphwna";

// A downloaded file larger than this many bytes is the installer.
inline constexpr int32_t kInstallerMinimumSize = 2200;
// The failure message: OK, exclamation icon, system-modal, brought to the foreground.
inline constexpr UINT kFailureFlags = 0x11030;

// The language test: German when the primary language of the system default language is
// German (identifier AND 0x3FF equals 7). Evaluated afresh on each call.
bool IsGermanSystem();

struct TWizardTexts {
  TUnicodeString caption;     // window caption
  TUnicodeString step1;       // HTMLLabel2
  TUnicodeString link;        // HTMLLabel3
  TUnicodeString step2;       // HTMLLabel4
  TUnicodeString customerId;  // Label1
  TUnicodeString step3;       // HTMLLabel6
  TUnicodeString button;      // Button1
  TUnicodeString note;        // HTMLLabel5
  TUnicodeString failureTitle;
  TUnicodeString failureText;
};

// The texts of one language (German: the texts the layout description stores).
const TWizardTexts& Texts(bool german);

// The headline HTMLLabel1 shows for the product `prodName`.
TUnicodeString Headline(bool german, const TUnicodeString& prodName);

// The sign-up address up to the code.
TUnicodeString SignUpBase(bool german);

// The target path: `tempDir` followed by the last "/" segment of `url`, in the ANSI code
// page (characters it lacks become "?"). A URL ending with "/" gives the folder itself.
AnsiString TargetPath(const TUnicodeString& tempDir, const AnsiString& url);

}  // namespace kx::wizard
