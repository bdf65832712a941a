#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>

#include "platform/file_system.h"

namespace {

// How much of the bank is mapped at a time when a sample's data is moved.
constexpr uint64_t kMapWindow = uint64_t{2} << 20;

class PosixInputFile final : public InputFile {
 public:
  PosixInputFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~PosixInputFile() override { ::close(fd_); }

  uint64_t size() const override { return size_; }
  int descriptor() const { return fd_; }

  ReadStatus read_at(uint64_t position, void* buffer, size_t length) override {
    char* out = static_cast<char*>(buffer);
    while (length > 0) {
      ssize_t n = ::pread(fd_, out, length, static_cast<off_t>(position));
      if (n < 0 && errno == EINTR)
        continue;
      if (n < 0)
        return ReadStatus::failed;
      if (n == 0)
        return ReadStatus::end_of_file;
      out += n;
      position += static_cast<uint64_t>(n);
      length -= static_cast<size_t>(n);
    }
    return ReadStatus::ok;
  }

 private:
  int fd_;
  uint64_t size_;
};

class PosixOutputFile final : public OutputFile {
 public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  ~PosixOutputFile() override { close(); }

  bool write(const ConstBuffer* buffers, size_t count) override {
    iovec parts[8];
    if (count > sizeof parts / sizeof parts[0])
      return false;
    size_t used = 0;
    for (size_t i = 0; i < count; ++i) {
      if (buffers[i].size == 0)
        continue;
      parts[used].iov_base = const_cast<void*>(buffers[i].data);
      parts[used].iov_len = buffers[i].size;
      ++used;
    }
    iovec* next = parts;
    while (used > 0) {
      ssize_t n = ::writev(fd_, next, static_cast<int>(used));
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        return false;
      // A short write: drop what went out and retry the rest.
      size_t written = static_cast<size_t>(n);
      while (used > 0 && written >= next->iov_len) {
        written -= next->iov_len;
        ++next;
        --used;
      }
      if (used > 0) {
        next->iov_base = static_cast<char*>(next->iov_base) + written;
        next->iov_len -= written;
      }
    }
    return true;
  }

  // Writes straight from a mapping of the bank, one window at a time: a
  // single copy, page cache to page cache, and unlike copy_file_range no
  // cost for the header having shifted the data off the pages it came from.
  // The mapping is only ever read by the kernel inside write(), so a page
  // that cannot be read in (an I/O error, a bank cut short meanwhile) fails
  // the write with EFAULT instead of raising SIGBUS in the tool. The window
  // is unmapped before the next, which keeps the memory resident small.
  uint64_t append_from(InputFile& source, uint64_t position,
                       uint64_t length) override {
    auto* posix_source = dynamic_cast<PosixInputFile*>(&source);
    if (posix_source == nullptr)
      return 0;
    const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    uint64_t appended = 0;
    while (appended < length) {
      // A bank cut short since it was opened would map as zeros up to the
      // end of its last page: never copy past where it ends now.
      struct stat info;
      if (::fstat(posix_source->descriptor(), &info) != 0)
        break;
      uint64_t at = position + appended;
      uint64_t end =
          std::min(position + length, static_cast<uint64_t>(info.st_size));
      if (at >= end)
        break;
      uint64_t lead = at % page;  // a mapping starts on a page boundary
      size_t piece =
          static_cast<size_t>(std::min<uint64_t>(end - at, kMapWindow - lead));
      void* map =
          ::mmap(nullptr, lead + piece, PROT_READ, MAP_SHARED | MAP_POPULATE,
                 posix_source->descriptor(), static_cast<off_t>(at - lead));
      if (map == MAP_FAILED)
        break;
      // Counted byte by byte: what the caller copies next must start
      // exactly where the file ends.
      const char* next = static_cast<const char*>(map) + lead;
      size_t left = piece;
      while (left > 0) {
        ssize_t n = ::write(fd_, next, left);
        if (n < 0 && errno == EINTR)
          continue;
        if (n <= 0)
          break;
        next += n;
        left -= static_cast<size_t>(n);
        appended += static_cast<uint64_t>(n);
      }
      ::munmap(map, lead + piece);
      if (left > 0)
        break;
    }
    return appended;
  }

  bool close() override {
    if (fd_ < 0)
      return true;
    int result = ::close(fd_);
    fd_ = -1;
    // Linux releases the descriptor even when close is interrupted.
    return result == 0 || errno == EINTR;
  }

 private:
  int fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<InputFile> open_input(const std::string& path) override {
    // Non-blocking, so that opening a FIFO cannot hang; it has no effect on
    // the regular files that are kept.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
      return nullptr;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixInputFile>(
        fd, static_cast<uint64_t>(info.st_size));
  }

  std::unique_ptr<OutputFile> create_output(const std::string& name) override {
    // O_EXCL with O_NOFOLLOW never opens what is already there, so a link or
    // a FIFO of that name is never written through: it is unlinked and the
    // creation tried again. Unlinking a directory fails, which ends it.
    for (int attempt = 0; attempt < 3; ++attempt) {
      int fd = ::open(
          name.c_str(),
          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
          0666);
      if (fd >= 0)
        return std::make_unique<PosixOutputFile>(fd);
      if (errno != EEXIST)
        return nullptr;
      if (::unlink(name.c_str()) != 0 && errno != ENOENT)
        return nullptr;
    }
    return nullptr;
  }

  bool make_directory(const std::string& name) override {
    return ::mkdir(name.c_str(), 0777) == 0 || errno == EEXIST;
  }

  bool change_directory(const std::string& path) override {
    return ::chdir(path.c_str()) == 0;
  }
};

}  // namespace

std::unique_ptr<FileSystem> make_native_file_system() {
  // A file-size limit must fail the write that crosses it, which the tool
  // reports, rather than kill the process.
  ::signal(SIGXFSZ, SIG_IGN);
  return std::make_unique<PosixFileSystem>();
}

bool is_directory_separator(char c) {
  return c == '/';
}

std::string directory_to_enter(const std::string& directory_part) {
  return directory_part.empty() ? "/" : directory_part;
}

bool standard_output_is_terminal() {
  return ::isatty(STDOUT_FILENO) == 1;
}
