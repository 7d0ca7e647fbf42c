#include <cstdio>
#include <string>
#include <vector>

#include "FormShot.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  kx::formshot::Options options;
  std::string error;
  if (!kx::formshot::ParseArguments(args, &options, &error)) {
    std::fprintf(stderr, "formshot: %s\n", error.c_str());
    std::fprintf(stderr,
                 "usage: formshot LAYOUT OUT.png [--ticks N] [--type TEXT] [--key NAME] "
                 "[--click X,Y] [--focus NAME]...\n");
    return 2;
  }
  int rc = kx::formshot::Run(options, &error);
  if (rc != 0) std::fprintf(stderr, "formshot: %s\n", error.c_str());
  return rc;
}
