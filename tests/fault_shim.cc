// Loaded into the tool with LD_PRELOAD by the end-to-end fault tests, it
// makes one chosen system call fail as a failing disk would. The fault is
// named in the environment as VONTRALE_FAULT=<call>:<n>[:short], for the
// n-th call (counted from 1) of pread, write, writev or close on the tool's
// files: reads on files open for reading, writes and closes on files open
// for writing, so that standard output and the runtime's own files never
// count. A fault fails the call with EIO (ENOSPC for a write), or with
// ":short" lets a write take only half of what it was given.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

struct Fault {
  char call[16] = "";
  long nth = 0;
  bool short_write = false;
};

const Fault& fault() {
  static const Fault parsed = [] {
    Fault f;
    const char* spec = std::getenv("VONTRALE_FAULT");
    if (spec == nullptr)
      return f;
    const char* colon = std::strchr(spec, ':');
    if (colon == nullptr ||
        static_cast<size_t>(colon - spec) >= sizeof f.call) {
      return f;
    }
    std::memcpy(f.call, spec, static_cast<size_t>(colon - spec));
    char* rest = nullptr;
    f.nth = std::strtol(colon + 1, &rest, 10);
    f.short_write = std::strcmp(rest, ":short") == 0;
    return f;
  }();
  return parsed;
}

bool opened_for(int fd, int mode) {
  int flags = fcntl(fd, F_GETFL);
  return fd > 2 && flags >= 0 && (flags & O_ACCMODE) == mode;
}

// Whether this call is the one to fail; counts the calls that qualify.
bool strikes(const char* call, long* count) {
  const Fault& f = fault();
  return std::strcmp(f.call, call) == 0 && ++*count == f.nth;
}

template <typename Function>
Function next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

ssize_t pread64(int fd, void* buffer, size_t length, off64_t position) {
  static long count = 0;
  static auto real = next<ssize_t (*)(int, void*, size_t, off64_t)>("pread64");
  if (opened_for(fd, O_RDONLY) && strikes("pread", &count)) {
    errno = EIO;
    return -1;
  }
  return real(fd, buffer, length, position);
}

ssize_t write(int fd, const void* buffer, size_t length) {
  static long count = 0;
  static auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
  if (opened_for(fd, O_WRONLY) && strikes("write", &count)) {
    if (!fault().short_write) {
      errno = ENOSPC;
      return -1;
    }
    length = length > 1 ? length / 2 : length;
  }
  return real(fd, buffer, length);
}

ssize_t writev(int fd, const struct iovec* parts, int count) {
  static long calls = 0;
  static auto real = next<ssize_t (*)(int, const struct iovec*, int)>("writev");
  if (opened_for(fd, O_WRONLY) && strikes("writev", &calls)) {
    if (!fault().short_write || count < 1) {
      errno = ENOSPC;
      return -1;
    }
    // Half of the first part only: the caller must send the rest.
    struct iovec half = parts[0];
    half.iov_len = half.iov_len > 1 ? half.iov_len / 2 : half.iov_len;
    return real(fd, &half, 1);
  }
  return real(fd, parts, count);
}

int close(int fd) {
  static long count = 0;
  static auto real = next<int (*)(int)>("close");
  bool fail = opened_for(fd, O_WRONLY) && strikes("close", &count);
  int result = real(fd);
  if (fail) {
    // As Linux does on a failed close: the descriptor is gone all the same.
    errno = EIO;
    return -1;
  }
  return result;
}

}  // extern "C"
