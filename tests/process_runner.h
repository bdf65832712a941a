#ifndef VONTRALE_TESTS_PROCESS_RUNNER_H_
#define VONTRALE_TESTS_PROCESS_RUNNER_H_

#include <string>
#include <vector>

struct RunOptions {
  std::string working_directory;       // empty: the test's own
  long long file_size_limit = -1;      // RLIMIT_FSIZE in bytes; -1: none
  long long address_space_limit = -1;  // RLIMIT_AS in bytes; -1: none
  // Commands the tool's command line goes behind, as in strace -o log.
  std::vector<std::string> launcher;
  bool output_to_terminal = false;  // standard output on a pseudo-terminal
};

struct RunResult {
  int exit_status = -1;  // -1 unless the process exited normally
  int signal = 0;        // the signal that ended it, if one did
  std::string out;       // the bytes as they came, line ends and all
  std::string err;
};

// Runs `program` with `arguments` and collects both output streams.
RunResult run_program(const std::string& program,
                      const std::vector<std::string>& arguments,
                      const RunOptions& options = {});

// Windows only: runs `program` with its arguments exactly as typed after its
// name on a command line, quotes and all, for the child to split.
RunResult run_command_line(const std::string& program,
                           const std::string& typed_arguments,
                           const RunOptions& options = {});

// What a program printed, from the bytes its standard output carried; false
// when they are not what a text stream of the platform writes.
bool text_from_output(const std::string& bytes, std::string* text);

#endif  // VONTRALE_TESTS_PROCESS_RUNNER_H_
