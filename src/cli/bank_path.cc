#include "cli/bank_path.h"

#include "platform/file_system.h"

namespace {

bool ends_with_ignoring_case(const std::string& text, const char* suffix,
                             size_t suffix_length) {
  if (text.size() < suffix_length)
    return false;
  const char* tail = text.data() + text.size() - suffix_length;
  for (size_t i = 0; i < suffix_length; ++i) {
    char c = tail[i];
    // Only A to Z fold: the extension is plain ASCII whatever the locale.
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i])
      return false;
  }
  return true;
}

}  // namespace

bool has_bank_extension(const std::string& path) {
  return ends_with_ignoring_case(path, ".sbk", 4);
}

OutputLocation locate_output(const std::string& bank_path) {
  OutputLocation location;
  size_t name_start = bank_path.size();
  while (name_start > 0 && !is_directory_separator(bank_path[name_start - 1])) {
    --name_start;
  }
  location.has_directory_part = name_start > 0;
  if (location.has_directory_part) {
    location.directory_part = bank_path.substr(0, name_start - 1);
  }
  std::string file_name = bank_path.substr(name_start);
  location.directory_name = "data_" + file_name.substr(0, file_name.rfind('.'));
  location.shown_name =
      bank_path.substr(0, name_start) + location.directory_name;
  return location;
}
