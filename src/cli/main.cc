#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/driver.h"
#include "platform/file_system.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  StandardOutput console;
  return run_decrunch(arguments, *make_native_file_system(), console);
}
