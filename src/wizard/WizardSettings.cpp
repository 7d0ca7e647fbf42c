#include "wizard/WizardSettings.h"

#include "platform/kernel/Kernel.h"

namespace kx::wizard {

bool IsGermanSystem() {
  return (GetSystemDefaultLangID() & 0x3FF) == 7;
}

const TWizardTexts& Texts(bool german) {
  static const TWizardTexts de{
      u"Vollversion registrieren",
      u"<B><U>Schritt 1:</U></B><br><br>Klicken Sie den folgenden Link und registrieren Sie "
      u"sich:",
      u"Jetzt registrieren",
      u"<B><U>Schritt 2:</U></B><br><br>Geben Sie die Kundennummer ein, die Sie nach der "
      u"Registrierung per E-Mail erhalten haben:",
      u"Kundennummer:",
      u"<B><U>Schritt 3:</U></B><br><br>Laden Sie die Vollversion herunter und installieren Sie "
      u"diese auf Ihrem Computer:",
      u"Vollversion herunterladen",
      u"Bitte achten Sie auf die <B>korrekte Eingabe</B> Ihrer Daten, da eine Registrierung "
      u"sonst nicht m\u00F6glich ist!",
      u"Download fehlgeschlagen",
      u"Der Download der Vollversion ist fehlgeschlagen!\r\n\r\nBitte pr\u00FCfen Sie, ob die "
      u"angegebene Kundennummer korrekt ist und stellen Sie sicher, dass Ihre Firewall den "
      u"Zugriff nicht blockiert.",
  };
  static const TWizardTexts en{
      u"Register full version",
      u"<B><U>Step 1:</U></B><br><br>Click the following link and register:",
      u"Register now",
      u"<B><U>Step 2:</U></B><br><br>Enter your customer ID received by e-mail once your "
      u"registration succeeded:",
      u"Customer ID:",
      u"<B><U>Step 3:</U></B><br><br>Download and install full version on your computer:",
      u"Download full version",
      u"Please pay attention to the <B>correct input of your data</B>, otherwise registration "
      u"will fail!",
      u"Download failed",
      u"Downloading full version failed!\r\n\r\nPlease check your customer ID and make sure your "
      u"firewall is not blocking internet access.",
  };
  return german ? de : en;
}

TUnicodeString Headline(bool german, const TUnicodeString& prodName) {
  // German: the bold is closed before the font tag opened inside it, as the text has it.
  if (german)
    return u"Kostenlose Registrierung f\u00FCr die <br><b>Vollversion von <font size=22>" +
           prodName + u"</b></font>";
  return u"Free registration for <br><b><font size=22>" + prodName + u"</font> (full version)</b>";
}

TUnicodeString SignUpBase(bool german) {
  return german ? kSignUpBaseGerman : kSignUpBaseEnglish;
}

AnsiString TargetPath(const TUnicodeString& tempDir, const AnsiString& url) {
  const size_t slash = url.rfind('/');
  const AnsiString fileName = slash == AnsiString::npos ? url : url.substr(slash + 1);
  return kx::UnicodeToAnsi(tempDir + kx::AnsiToUnicode(fileName));
}

}  // namespace kx::wizard
