#ifndef VONTRALE_CLI_DRIVER_H_
#define VONTRALE_CLI_DRIVER_H_

#include <string>
#include <vector>

#include "cli/console.h"
#include "platform/file_system.h"
#include "wav/sample_extractor.h"

// The tool's exit statuses. Two failures share 4, as users of the tool have
// always seen them.
enum ExitStatus : int {
  kExitSuccess = 0,
  kExitCannotRead = 1,    // the bank cannot be opened or read
  kExitInvalidBank = 2,   // not a bank, or a damaged one
  kExitCannotWrite = 3,   // an output file or directory cannot be made
  kExitBadExtension = 4,  // the path does not end in ".sbk"
  kExitNoMemory = 4,      // no memory for a sample's data
  kExitNoPath = 5,        // not exactly one argument
};

// Runs the whole tool: `arguments` are the command-line arguments without
// the program's name. Every message goes to `console`; the result is the
// process's exit status.
int run_decrunch(const std::vector<std::string>& arguments,
                 FileSystem& file_system, Console& console,
                 BufferAllocator allocate = allocate_copy_buffer);

#endif  // VONTRALE_CLI_DRIVER_H_
