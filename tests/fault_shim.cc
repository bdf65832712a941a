// Loaded into the tool with LD_PRELOAD by the end-to-end fault tests, it
// makes chosen system calls fail as a failing disk would. The faults are
// named in the environment as VONTRALE_FAULT=<fault>[,<fault>...], each
// <call>:<n>[+][:short]: the n-th call (counted from 1), or with "+" the
// n-th and every later one, of pread, mmap, write, writev or close on the
// tool's files: reads and mappings of files open for reading, writes and
// closes of files open for writing, so that standard output and the
// runtime's own files never count. A fault fails the call with EIO (ENOSPC
// for a write, ENOMEM for a mapping), or with ":short" lets a write take
// only half of what it was given.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

struct Fault {
  char call[16] = "";
  long nth = 0;
  bool from_then_on = false;
  bool short_write = false;
};

constexpr int kMaxFaults = 4;

struct Faults {
  Fault list[kMaxFaults];
  int count = 0;
};

const Faults& faults() {
  static const Faults parsed = [] {
    Faults all;
    const char* spec = std::getenv("VONTRALE_FAULT");
    while (spec != nullptr && *spec != '\0' && all.count < kMaxFaults) {
      const char* colon = std::strchr(spec, ':');
      if (colon == nullptr)
        break;
      Fault& f = all.list[all.count];
      size_t name = static_cast<size_t>(colon - spec);
      if (name >= sizeof f.call)
        break;
      std::memcpy(f.call, spec, name);
      char* rest = nullptr;
      f.nth = std::strtol(colon + 1, &rest, 10);
      f.from_then_on = *rest == '+';
      rest += f.from_then_on ? 1 : 0;
      f.short_write = std::strncmp(rest, ":short", 6) == 0;
      ++all.count;
      spec = std::strchr(rest, ',');
      spec = spec != nullptr ? spec + 1 : nullptr;
    }
    return all;
  }();
  return parsed;
}

bool opened_for(int fd, int mode) {
  int flags = fcntl(fd, F_GETFL);
  return fd > 2 && flags >= 0 && (flags & O_ACCMODE) == mode;
}

// The fault this call is to suffer, if any; counts the calls that qualify.
const Fault* strikes(const char* call, long* count) {
  const Faults& all = faults();
  bool counted = false;
  for (int i = 0; i < all.count; ++i) {
    const Fault& f = all.list[i];
    if (std::strcmp(f.call, call) != 0)
      continue;
    if (!counted) {
      ++*count;
      counted = true;
    }
    if (*count == f.nth || (f.from_then_on && *count > f.nth))
      return &f;
  }
  return nullptr;
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
  if (opened_for(fd, O_RDONLY) && strikes("pread", &count) != nullptr) {
    errno = EIO;
    return -1;
  }
  return real(fd, buffer, length, position);
}

ssize_t write(int fd, const void* buffer, size_t length) {
  static long count = 0;
  static auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
  const Fault* f =
      opened_for(fd, O_WRONLY) ? strikes("write", &count) : nullptr;
  if (f != nullptr) {
    if (!f->short_write) {
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
  const Fault* f =
      opened_for(fd, O_WRONLY) ? strikes("writev", &calls) : nullptr;
  if (f != nullptr) {
    if (!f->short_write || count < 1) {
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

// Whether this mapping is to fail; the tool may call either name.
bool mapping_fails(int fd) {
  static long count = 0;
  return fd >= 0 && opened_for(fd, O_RDONLY) &&
         strikes("mmap", &count) != nullptr;
}

void* mmap(void* address, size_t length, int protection, int flags, int fd,
           off_t offset) {
  static auto real =
      next<void* (*)(void*, size_t, int, int, int, off_t)>("mmap");
  if (mapping_fails(fd)) {
    errno = ENOMEM;
    return MAP_FAILED;
  }
  return real(address, length, protection, flags, fd, offset);
}

void* mmap64(void* address, size_t length, int protection, int flags, int fd,
             off64_t offset) {
  static auto real =
      next<void* (*)(void*, size_t, int, int, int, off64_t)>("mmap64");
  if (mapping_fails(fd)) {
    errno = ENOMEM;
    return MAP_FAILED;
  }
  return real(address, length, protection, flags, fd, offset);
}

int close(int fd) {
  static long count = 0;
  static auto real = next<int (*)(int)>("close");
  bool fail = opened_for(fd, O_WRONLY) && strikes("close", &count) != nullptr;
  int result = real(fd);
  if (fail) {
    // As Linux does on a failed close: the descriptor is gone all the same.
    errno = EIO;
    return -1;
  }
  return result;
}

}  // extern "C"
