#include "process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

[[noreturn]] void exec_child(const std::vector<std::string>& command,
                             const RunOptions& options, int out, int err) {
  dup2(out, STDOUT_FILENO);
  dup2(err, STDERR_FILENO);
  if (!options.working_directory.empty() &&
      chdir(options.working_directory.c_str()) != 0) {
    _exit(126);
  }
  const struct {
    int resource;
    long long value;
  } limits[] = {{RLIMIT_FSIZE, options.file_size_limit},
                {RLIMIT_AS, options.address_space_limit}};
  for (const auto& limit : limits) {
    if (limit.value < 0)
      continue;
    rlimit both{static_cast<rlim_t>(limit.value),
                static_cast<rlim_t>(limit.value)};
    setrlimit(limit.resource, &both);
  }
  std::vector<char*> argv;
  for (const std::string& word : command) {
    argv.push_back(const_cast<char*>(word.c_str()));
  }
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

// Reads both streams to their ends; a pseudo-terminal's end shows as EIO.
void drain(int out, int err, RunResult& result) {
  pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open_count = 2;
  while (open_count > 0) {
    if (poll(fds, 2, -1) < 0 && errno != EINTR)
      break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0)
        continue;
      char buffer[65536];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}

}  // namespace

RunResult run_program(const std::string& program,
                      const std::vector<std::string>& arguments,
                      const RunOptions& options) {
  std::vector<std::string> command = options.launcher;
  command.push_back(program);
  command.insert(command.end(), arguments.begin(), arguments.end());

  int out[2], err[2];
  if (options.output_to_terminal) {
    if (openpty(&out[0], &out[1], nullptr, nullptr, nullptr) != 0)
      std::abort();
  } else if (pipe(out) != 0) {
    std::abort();
  }
  if (pipe(err) != 0)
    std::abort();
  pid_t pid = fork();
  if (pid == 0) {
    close(out[0]);
    close(err[0]);
    exec_child(command, options, out[1], err[1]);
  }
  close(out[1]);
  close(err[1]);
  RunResult result;
  drain(out[0], err[0], result);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status))
    result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    result.signal = WTERMSIG(status);
  return result;
}

bool text_from_output(const std::string& bytes, std::string* text) {
  // A line feed goes out as itself.
  *text = bytes;
  return true;
}
