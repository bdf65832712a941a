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

// The bank is mapped a window at a time, never more than this, which keeps
// the memory resident small. A window starts small and doubles while the
// bank is read in order, so that banks read out of order map little at a
// time and banks read in order few times.
constexpr uint64_t kMinMapWindow = uint64_t{64} << 10;
constexpr uint64_t kMaxMapWindow = uint64_t{2} << 20;

class PosixInputFile final : public InputFile {
 public:
  PosixInputFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~PosixInputFile() override {
    unmap();
    ::close(fd_);
  }

  uint64_t size() const override { return size_; }
  bool supports_direct_append() const override { return true; }

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

  // Up to `wanted` bytes of the bank from `position` on, mapped, and in
  // *size how many; null when nothing there can be mapped. The bytes are
  // good until the next call, and only for the kernel to read, inside
  // write(): a page that cannot be read in (an I/O error, a bank cut short
  // meanwhile) then fails the write with EFAULT instead of raising SIGBUS.
  const char* view(uint64_t position, uint64_t wanted, size_t* size) {
    // A window that cannot give as much as a new one would is replaced.
    uint64_t enough = std::min(wanted, kMaxMapWindow - page_size());
    if (map_ == nullptr || position < start_ || position + enough > end_) {
      if (!map_at(position, wanted))
        return nullptr;
    }
    *size = static_cast<size_t>(std::min(wanted, end_ - position));
    return static_cast<const char*>(map_) + (position - start_);
  }

 private:
  static uint64_t page_size() {
    static const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    return page;
  }

  bool map_at(uint64_t position, uint64_t wanted) {
    bool in_order = map_ != nullptr && position >= start_ &&
                    position <= end_ + kMinMapWindow;
    uint64_t span =
        in_order ? std::min(span_ * 2, kMaxMapWindow) : kMinMapWindow;
    unmap();
    // A bank cut short since it was opened would map as zeros up to the end
    // of its last page: never map past where it ends now.
    struct stat info;
    if (::fstat(fd_, &info) != 0 ||
        position >= static_cast<uint64_t>(info.st_size)) {
      return false;
    }
    uint64_t start = position - position % page_size();
    span = std::max(span, std::min(position - start + wanted, kMaxMapWindow));
    uint64_t end = std::min(start + span, static_cast<uint64_t>(info.st_size));
    void* map =
        ::mmap(nullptr, static_cast<size_t>(end - start), PROT_READ,
               MAP_SHARED | MAP_POPULATE, fd_, static_cast<off_t>(start));
    if (map == MAP_FAILED)
      return false;
    map_ = map;
    start_ = start;
    end_ = end;
    span_ = span;
    return true;
  }

  void unmap() {
    if (map_ != nullptr)
      ::munmap(map_, static_cast<size_t>(end_ - start_));
    map_ = nullptr;
  }

  int fd_;
  uint64_t size_;
  void* map_ = nullptr;
  uint64_t start_ = 0, end_ = 0, span_ = 0;
};

// Sends `parts` with one writev, retried when interrupted; how many bytes
// went out, or -1.
ssize_t write_once(int fd, const iovec* parts, int count) {
  for (;;) {
    ssize_t n = ::writev(fd, parts, count);
    if (n >= 0 || errno != EINTR)
      return n;
  }
}

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
      ssize_t n = write_once(fd_, next, static_cast<int>(used));
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

  // Writes straight from the bank's mapping: a single copy, page cache to
  // page cache, and unlike copy_file_range no cost for the prefix having
  // shifted the data off the pages it came from. Bytes are counted exactly,
  // so that what the caller writes next starts where the file ends.
  uint64_t append_from(ConstBuffer prefix, InputFile& source, uint64_t position,
                       uint64_t length) override {
    auto* bank = dynamic_cast<PosixInputFile*>(&source);
    if (bank == nullptr)
      return 0;
    const uint64_t total = prefix.size + length;
    uint64_t done = 0;
    while (done < total) {
      iovec parts[2];
      int used = 0;
      if (done < prefix.size) {
        parts[used++] = {
            const_cast<char*>(static_cast<const char*>(prefix.data)) + done,
            static_cast<size_t>(prefix.size - done)};
      }
      uint64_t offset = done < prefix.size ? 0 : done - prefix.size;
      if (offset < length) {
        size_t size = 0;
        const char* bytes =
            bank->view(position + offset, length - offset, &size);
        if (bytes == nullptr)
          break;
        parts[used++] = {const_cast<char*>(bytes), size};
      }
      ssize_t n = write_once(fd_, parts, used);
      if (n <= 0)
        break;
      done += static_cast<uint64_t>(n);
    }
    return done;
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
