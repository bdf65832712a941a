#include "cli/driver.h"

#include <memory>

#include "bank/bank_reader.h"
#include "cli/bank_path.h"

namespace {

const char kBanner[] =
    "Vontrale audio files decruncher by the vontrale_decrunch developers, "
    "developers@example.org,\n"
    "\n"
    "usage: vontrale_decrunch.exe some_sample_file.sbk\n\n";

int fail(Console& console, const std::string& what, int status) {
  console.print("Error - " + what + "!\n\n");
  return status;
}

std::string quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// Makes the output directory beside the bank and enters it.
bool enter_output_directory(FileSystem& file_system,
                            const OutputLocation& location) {
  if (location.has_directory_part &&
      !file_system.change_directory(
          directory_to_enter(location.directory_part))) {
    return false;
  }
  return file_system.make_directory(location.directory_name) &&
         file_system.change_directory(location.directory_name);
}

int report(Console& console, const ExtractResult& result, uint32_t index,
           const std::string& bank_path) {
  std::string sample = "sample " + std::to_string(index);
  switch (result.status) {
    case ExtractStatus::done:
      break;
    case ExtractStatus::runs_past_end:
      return fail(
          console,
          "invalid file format, " + sample + " runs past the end of the file",
          kExitInvalidBank);
    case ExtractStatus::too_large:
      return fail(
          console,
          "invalid file format, " + sample + " is too large for a WAV file",
          kExitInvalidBank);
    case ExtractStatus::read_failed:
      return fail(console, "can't read sample file " + quoted(bank_path),
                  kExitCannotRead);
    case ExtractStatus::cannot_create:
      return fail(console,
                  "can't create output file " + quoted(result.file_name),
                  kExitCannotWrite);
    case ExtractStatus::no_memory:
      return fail(console, "can't allocate memory", kExitNoMemory);
    case ExtractStatus::write_failed:
      return fail(console,
                  "can't write output file " + quoted(result.file_name),
                  kExitCannotWrite);
  }
  return kExitSuccess;
}

}  // namespace

int run_decrunch(const std::vector<std::string>& arguments,
                 FileSystem& file_system, Console& console,
                 BufferAllocator allocate) {
  console.print(kBanner);
  if (arguments.size() != 1) {
    return fail(console, "no path specified", kExitNoPath);
  }
  const std::string& bank_path = arguments[0];
  if (!has_bank_extension(bank_path)) {
    return fail(console, "bad file extension, only *.sbk supported",
                kExitBadExtension);
  }

  // The bank is opened before any change of directory, so a relative path
  // means what it meant where the tool was started.
  std::unique_ptr<InputFile> bank_file = file_system.open_input(bank_path);
  if (!bank_file) {
    return fail(console, "can't open sample file " + quoted(bank_path),
                kExitCannotRead);
  }
  BankReader bank(*bank_file);
  switch (bank.read_header()) {
    case BankStatus::ok:
      break;
    case BankStatus::read_failed:
      return fail(console, "can't read sample file " + quoted(bank_path),
                  kExitCannotRead);
    case BankStatus::invalid:
    case BankStatus::runs_past_end:
      return fail(console, "invalid file format", kExitInvalidBank);
  }

  OutputLocation location = locate_output(bank_path);
  if (!enter_output_directory(file_system, location)) {
    return fail(console,
                "can't create output directory " + quoted(location.shown_name),
                kExitCannotWrite);
  }

  const std::string of_count =
      " of " + std::to_string(bank.sample_count()) + " files extracted ...\r";
  std::string progress;  // one line per sample, built in place
  for (uint32_t i = 0; i < bank.sample_count(); ++i) {
    ExtractResult result = extract_sample(bank, file_system, i, allocate);
    if (result.status != ExtractStatus::done) {
      return report(console, result, i, bank_path);
    }
    progress.assign("progress: ").append(std::to_string(uint64_t{i} + 1));
    console.print(progress.append(of_count));
  }
  console.print("\n\nAll done.\n\n");
  return kExitSuccess;
}
