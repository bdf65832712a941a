#include "fake_file_system.h"

#include <algorithm>
#include <cstring>

namespace {

class FakeInputFile final : public InputFile {
 public:
  explicit FakeInputFile(FakeBank& bank) : bank_(bank) {}
  uint64_t size() const override { return bank_.size; }
  bool supports_direct_append() const override { return bank_.direct_append; }

  ReadStatus read_at(uint64_t position, void* buffer, size_t length) override {
    ++bank_.reads;
    bank_.bytes_read += length;
    if (position + length > bank_.fail_reads_from)
      return ReadStatus::failed;
    if (position + length > bank_.size)
      return ReadStatus::end_of_file;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    std::memset(out, 0, length);
    for (const auto& [start, bytes] : bank_.regions) {
      uint64_t from = std::max(start, position);
      uint64_t to = std::min(start + bytes.size(), position + length);
      if (from < to) {
        std::memcpy(out + (from - position), bytes.data() + (from - start),
                    static_cast<size_t>(to - from));
      }
    }
    return ReadStatus::ok;
  }

 private:
  FakeBank& bank_;
};

class FakeOutputFile final : public OutputFile {
 public:
  FakeOutputFile(FakeFileSystem& file_system, Bytes& bytes)
      : file_system_(file_system), bytes_(bytes) {}

  bool write(const ConstBuffer* buffers, size_t count) override {
    size_t total = 0;
    for (size_t i = 0; i < count; ++i)
      total += buffers[i].size;
    file_system_.write_calls.push_back(total);
    for (size_t i = 0; i < count; ++i) {
      const unsigned char* data =
          static_cast<const unsigned char*>(buffers[i].data);
      size_t taken = std::min(buffers[i].size, file_system_.write_budget);
      bytes_.insert(bytes_.end(), data, data + taken);
      file_system_.write_budget -= taken;
      if (taken < buffers[i].size)
        return false;
    }
    return true;
  }

  uint64_t append_from(ConstBuffer prefix, InputFile& source, uint64_t position,
                       uint64_t length) override {
    // The stream is the prefix and then the data; the budget cuts it.
    const unsigned char* head = static_cast<const unsigned char*>(prefix.data);
    Bytes moved(head, head + prefix.size);
    moved.resize(static_cast<size_t>(prefix.size + length));
    if (length > 0 &&
        source.read_at(position, moved.data() + prefix.size,
                       static_cast<size_t>(length)) != ReadStatus::ok) {
      moved.resize(prefix.size);
    }
    moved.resize(static_cast<size_t>(
        std::min<uint64_t>(moved.size(), file_system_.append_budget)));
    bytes_.insert(bytes_.end(), moved.begin(), moved.end());
    file_system_.append_budget -= moved.size();
    file_system_.append_calls.push_back(moved.size());
    return moved.size();
  }

  bool close() override { return !file_system_.fail_close; }

 private:
  FakeFileSystem& file_system_;
  Bytes& bytes_;
};

}  // namespace

FakeBank FakeBank::of(const Bytes& bytes) {
  FakeBank bank;
  bank.put(0, bytes);
  return bank;
}

void FakeBank::put(uint64_t position, const Bytes& bytes) {
  regions[position] = bytes;
  size = std::max(size, position + bytes.size());
}

std::string FakeFileSystem::join(const std::string& name) const {
  if (current_directory.empty() || (!name.empty() && name[0] == '/')) {
    return name;
  }
  return current_directory + "/" + name;
}

std::unique_ptr<InputFile> FakeFileSystem::open_input(const std::string& path) {
  auto bank = banks.find(join(path));
  if (bank == banks.end())
    return nullptr;
  return std::make_unique<FakeInputFile>(bank->second);
}

std::unique_ptr<OutputFile> FakeFileSystem::create_output(
    const std::string& name) {
  if (refuse_create.count(name))
    return nullptr;
  Bytes& bytes = files[join(name)];
  bytes.clear();
  return std::make_unique<FakeOutputFile>(*this, bytes);
}

bool FakeFileSystem::make_directory(const std::string& name) {
  if (refuse_directory.count(join(name)))
    return false;
  directories.insert(join(name));
  return true;
}

bool FakeFileSystem::change_directory(const std::string& path) {
  if (refuse_directory.count(join(path)))
    return false;
  current_directory = join(path);
  return true;
}
