#include "cli/console.h"

#include <cstdio>

#include "platform/file_system.h"

namespace {

// The C library would pick a buffer of a disk block or so, which costs a
// system call every hundred progress lines.
char redirected_buffer[64 * 1024];

}  // namespace

StandardOutput::StandardOutput() {
  if (standard_output_is_terminal()) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
  } else {
    std::setvbuf(stdout, redirected_buffer, _IOFBF, sizeof redirected_buffer);
  }
}

StandardOutput::~StandardOutput() {
  std::fflush(stdout);
}

void StandardOutput::print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}
