#include "cli/console.h"

#include <cstdio>

#include "platform/file_system.h"

StandardOutput::StandardOutput() {
  if (standard_output_is_terminal()) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
  } else {
    std::setvbuf(stdout, nullptr, _IOFBF, 64 * 1024);
  }
}

StandardOutput::~StandardOutput() {
  std::fflush(stdout);
}

void StandardOutput::print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}
