#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "process_runner.h"
#include "temp_dir.h"

namespace {

// Quotes one argument so that the child's runtime splits it back out
// unchanged: backslashes count only where they run into a double quote.
std::string quote_argument(const std::string& argument) {
  if (!argument.empty() &&
      argument.find_first_of(" \t\n\v\"") == std::string::npos)
    return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

HANDLE inheritable_file(const std::string& path, DWORD access, DWORD how) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE handle =
      CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  &inherit, how, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    std::abort();
  return handle;
}

std::string text(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

RunResult run_command_line(const std::string& program,
                           const std::string& typed_arguments,
                           const RunOptions& options) {
  // Only what Windows itself can do: no limits, launchers or terminals.
  if (options.file_size_limit >= 0 || options.address_space_limit >= 0 ||
      !options.launcher.empty() || options.output_to_terminal) {
    std::abort();
  }
  // The child's output goes to files, read once it has ended.
  TempDir streams;
  HANDLE in = inheritable_file("NUL", GENERIC_READ, OPEN_EXISTING);
  HANDLE out = inheritable_file(streams / "out", GENERIC_WRITE, CREATE_NEW);
  HANDLE err = inheritable_file(streams / "err", GENERIC_WRITE, CREATE_NEW);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  std::string absolute = std::filesystem::absolute(program).string();
  std::string command_line = quote_argument(absolute) + " " + typed_arguments;
  PROCESS_INFORMATION process = {};
  const char* directory = options.working_directory.empty()
                              ? nullptr
                              : options.working_directory.c_str();
  if (!CreateProcessA(absolute.c_str(), command_line.data(), nullptr, nullptr,
                      TRUE, 0, nullptr, directory, &startup, &process)) {
    std::abort();
  }
  CloseHandle(in);
  CloseHandle(out);
  CloseHandle(err);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  RunResult result;
  // Codes from 0xC0000000 up are exceptions, Windows' counterpart of a
  // signal: an access violation, a stack overflow.
  if (code >= 0xC0000000u) {
    result.signal = static_cast<int>(code);
  } else {
    result.exit_status = static_cast<int>(code);
  }
  result.out = text(read_file(streams / "out"));
  result.err = text(read_file(streams / "err"));
  return result;
}

RunResult run_program(const std::string& program,
                      const std::vector<std::string>& arguments,
                      const RunOptions& options) {
  std::string typed;
  for (const std::string& argument : arguments)
    typed += (typed.empty() ? "" : " ") + quote_argument(argument);
  return run_command_line(program, typed, options);
}

bool text_from_output(const std::string& bytes, std::string* text) {
  // A text stream writes each line feed as CR LF and leaves a lone CR be.
  std::string printed;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
      continue;
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
      return false;
    printed.push_back(bytes[i]);
  }
  *text = printed;
  return true;
}
