#include <windows.h>

#include "platform/file_system.h"

namespace {

// ReadFile and WriteFile count in DWORDs; a piece stays well inside that.
const size_t kMaxPiece = size_t{1} << 30;

OVERLAPPED at_position(uint64_t position) {
  OVERLAPPED where = {};
  where.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
  where.OffsetHigh = static_cast<DWORD>(position >> 32);
  return where;
}

class Win32InputFile final : public InputFile {
 public:
  Win32InputFile(HANDLE handle, uint64_t size) : handle_(handle), size_(size) {}
  ~Win32InputFile() override { CloseHandle(handle_); }

  uint64_t size() const override { return size_; }

  ReadStatus read_at(uint64_t position, void* buffer, size_t length) override {
    char* out = static_cast<char*>(buffer);
    while (length > 0) {
      // A position in the OVERLAPPED block reads there on a synchronous
      // handle: 64 bits, nothing kept between reads.
      OVERLAPPED where = at_position(position);
      DWORD piece = static_cast<DWORD>(length < kMaxPiece ? length : kMaxPiece);
      DWORD got = 0;
      if (!ReadFile(handle_, out, piece, &got, &where)) {
        return GetLastError() == ERROR_HANDLE_EOF ? ReadStatus::end_of_file
                                                  : ReadStatus::failed;
      }
      if (got == 0)
        return ReadStatus::end_of_file;
      out += got;
      position += got;
      length -= got;
    }
    return ReadStatus::ok;
  }

 private:
  HANDLE handle_;
  uint64_t size_;
};

class Win32OutputFile final : public OutputFile {
 public:
  explicit Win32OutputFile(HANDLE handle) : handle_(handle) {}
  ~Win32OutputFile() override { close(); }

  bool write(const ConstBuffer* buffers, size_t count) override {
    for (size_t i = 0; i < count; ++i) {
      const char* next = static_cast<const char*>(buffers[i].data);
      size_t left = buffers[i].size;
      while (left > 0) {
        DWORD piece = static_cast<DWORD>(left < kMaxPiece ? left : kMaxPiece);
        DWORD put = 0;
        if (!WriteFile(handle_, next, piece, &put, nullptr) || put == 0)
          return false;
        next += put;
        left -= put;
      }
    }
    return true;
  }

  bool close() override {
    if (handle_ == INVALID_HANDLE_VALUE)
      return true;
    bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

bool name_exists(DWORD error) {
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<InputFile> open_input(const std::string& path) override {
    // A directory cannot be opened this way at all; a device or a pipe can,
    // and is refused by its type.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
      return nullptr;
    LARGE_INTEGER size;
    if (GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileSizeEx(handle, &size)) {
      CloseHandle(handle);
      return nullptr;
    }
    return std::make_unique<Win32InputFile>(
        handle, static_cast<uint64_t>(size.QuadPart));
  }

  std::unique_ptr<OutputFile> create_output(const std::string& name) override {
    // CREATE_NEW never opens what is already there, so nothing is written
    // through an existing name (a hard link, say): the old file is deleted
    // and the creation tried again. Deleting a directory fails, which ends it.
    for (int attempt = 0; attempt < 3; ++attempt) {
      HANDLE handle =
          CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle != INVALID_HANDLE_VALUE)
        return std::make_unique<Win32OutputFile>(handle);
      if (!name_exists(GetLastError()))
        return nullptr;
      if (!DeleteFileA(name.c_str()) &&
          GetLastError() != ERROR_FILE_NOT_FOUND) {
        return nullptr;
      }
    }
    return nullptr;
  }

  bool make_directory(const std::string& name) override {
    return CreateDirectoryA(name.c_str(), nullptr) ||
           name_exists(GetLastError());
  }

  bool change_directory(const std::string& path) override {
    return SetCurrentDirectoryA(path.c_str()) != 0;
  }
};

}  // namespace

std::unique_ptr<FileSystem> make_native_file_system() {
  return std::make_unique<Win32FileSystem>();
}

// Windows takes either slash between directories.
bool is_directory_separator(char c) {
  return c == '\\' || c == '/';
}

// An empty part, as in \x.sbk, is the root of the current drive. A bare
// drive, as in C:\x.sbk, is that drive's root: entering "C:" alone would
// mean the drive's current directory instead.
std::string directory_to_enter(const std::string& directory_part) {
  if (directory_part.empty())
    return "\\";
  bool bare_drive = directory_part.size() == 2 && directory_part[1] == ':';
  return bare_drive ? directory_part + "\\" : directory_part;
}

// A console, not merely any character device: NUL is one of those too, and
// wants no unbuffered writes.
bool standard_output_is_terminal() {
  DWORD mode;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}
