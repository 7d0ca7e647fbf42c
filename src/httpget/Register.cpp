#include "httpget/Register.h"

#include "httpget/HTTPGet.h"

void RegisterHTTPGetClasses() {
  THTTPGet::StaticClass();
}
