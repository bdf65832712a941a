// Writes the demo bank to the path given.
#include <cstdio>

#include "bank_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_demo_bank OUTPUT.sbk\n", stderr);
    return 2;
  }
  return write_file(argv[1], demo_bank().build()) ? 0 : 1;
}
