// Prints the wizard's fixed settings as shell assignments for the end-to-end script.
#include <cstdio>
#include <string>

#include "platform/kernel/Unicode.h"
#include "wizard/WizardSettings.h"

int main() {
  const std::string url = kx::wizard::kDownloadURL;
  const std::string rest = url.substr(url.find("://") + 3);
  const std::string host = rest.substr(0, rest.find('/'));
  const std::string path = rest.substr(rest.find('/'));
  const std::string code = kx::Utf16ToUtf8(kx::wizard::kSignUpCode);
  std::printf("HOST='%s'\nDOWNLOAD_PATH='%s'\nPASSWORD='%s'\n", host.c_str(), path.c_str(),
              kx::wizard::kPassword);
  std::printf("SIGNUP_DE='%s%s'\nSIGNUP_EN='%s%s'\n",
              kx::Utf16ToUtf8(kx::wizard::SignUpBase(true)).c_str(), code.c_str(),
              kx::Utf16ToUtf8(kx::wizard::SignUpBase(false)).c_str(), code.c_str());
  return 0;
}
