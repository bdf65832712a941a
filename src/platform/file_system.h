#ifndef VONTRALE_PLATFORM_FILE_SYSTEM_H_
#define VONTRALE_PLATFORM_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The file and directory work the tool needs, behind interfaces so that the
// tests can substitute failures. One source file per platform implements
// them; nothing else in the code depends on the platform.

enum class ReadStatus {
  ok,           // every byte asked for was read
  end_of_file,  // the file ended before the last byte asked for
  failed,       // the system reported an error
};

// A bank opened for reading. Reads are positioned: nothing keeps a current
// position between them.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // The size of the file when it was opened.
  virtual uint64_t size() const = 0;
  virtual ReadStatus read_at(uint64_t position, void* buffer,
                             size_t length) = 0;
  // Whether OutputFile::append_from takes this file's bytes without this
  // process reading them; a reader then has no use for reading ahead.
  virtual bool supports_direct_append() const { return false; }
};

struct ConstBuffer {
  const void* data;
  size_t size;
};

// A file created for writing. Short writes are retried; a false result means
// the system refused to take every byte.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Writes the buffers one after another, in one system call where it can.
  virtual bool write(const ConstBuffer* buffers, size_t count) = 0;
  // Writes `prefix` and then `length` bytes of `source` from `position` on,
  // as one stream, copying the bytes file to file where the platform can,
  // without reading them into this process. Returns how many bytes of the
  // stream it wrote, which may be none. The caller writes the rest through a
  // buffer, which also tells which of the two files failed, if one did.
  virtual uint64_t append_from(ConstBuffer /*prefix*/, InputFile& /*source*/,
                               uint64_t /*position*/, uint64_t /*length*/) {
    return 0;
  }
  // Closes the file. False when the system reports that what was written may
  // not have reached the file. The destructor closes a file not yet closed.
  virtual bool close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens a regular file for reading; null when it cannot be opened or is
  // not a regular file (a directory, a device, a pipe).
  virtual std::unique_ptr<InputFile> open_input(const std::string& path) = 0;
  // Creates `name` as a new, empty file. Whatever already bears that name
  // (a file, a link, a pipe) is removed first and never written through;
  // null when that or the creation fails, and always for a directory.
  virtual std::unique_ptr<OutputFile> create_output(
      const std::string& name) = 0;
  // Makes a directory; true also when something of that name exists already,
  // so entering it is what tells whether it is a usable directory.
  virtual bool make_directory(const std::string& name) = 0;
  virtual bool change_directory(const std::string& path) = 0;
};

// The file system of the machine the tool runs on.
std::unique_ptr<FileSystem> make_native_file_system();

// How the platform spells paths.
bool is_directory_separator(char c);
// The directory to enter for the part of a path before its last separator:
// an empty part stands for the root.
std::string directory_to_enter(const std::string& directory_part);

// Whether standard output is a terminal, which must see every message the
// moment it is printed.
bool standard_output_is_terminal();

#endif  // VONTRALE_PLATFORM_FILE_SYSTEM_H_
