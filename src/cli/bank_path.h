#ifndef VONTRALE_CLI_BANK_PATH_H_
#define VONTRALE_CLI_BANK_PATH_H_

#include <string>

// Whether the path ends in ".sbk", in any case.
bool has_bank_extension(const std::string& path);

// Where the samples of the bank at a path go: a directory "data_" + the
// bank's file name without its extension, beside the bank.
struct OutputLocation {
  bool has_directory_part;
  std::string directory_part;  // the path before its last separator
  std::string directory_name;  // "data_" + stem
  std::string shown_name;      // the output directory as the user finds it
};

OutputLocation locate_output(const std::string& bank_path);

#endif  // VONTRALE_CLI_BANK_PATH_H_
