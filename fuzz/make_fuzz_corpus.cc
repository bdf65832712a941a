// Writes the fuzzer's seed corpus into the directory given: valid banks and
// damaged ones, made with the same builder as the tests' fixtures.
#include <cstdio>
#include <string>
#include <vector>

#include "bank_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_corpus DIRECTORY\n");
    return 2;
  }
  const std::string directory = argv[1];
  const Bytes pcm = pcm_format(1, 8000, 8);
  BankBuilder three;
  three.add(pcm, {1, 2, 3})
      .add(pcm, {})
      .add(pcm_format(2, 22050, 16), Bytes(300, 0x7f));
  const Bytes valid = three.build(0xEE);

  Bytes shared = valid;  // entry 1 repeats entry 0
  put_u32_le(shared, 12, three.record_position(0));
  Bytes overlapping = valid;  // entry 2 points into the header
  put_u32_le(overlapping, 16, 4);
  Bytes cut_short(valid.begin(), valid.end() - 100);
  Bytes huge_length = valid;
  put_u32_le(huge_length, three.record_position(2) + 18, 0xFFFFFFFF);
  Bytes past_end = valid;
  put_u32_le(past_end, 12, static_cast<uint32_t>(valid.size() - 10));
  Bytes table_short = bank_header(1, 1000);

  const std::vector<std::pair<const char*, Bytes>> seeds = {
      {"valid", valid},
      {"empty-bank", bank_header(1, 0)},
      {"demo", demo_bank().build()},
      {"shared", shared},
      {"overlapping", overlapping},
      {"cut-short", cut_short},
      {"huge-length", huge_length},
      {"past-end", past_end},
      {"table-short", table_short},
      {"bad-id", bank_header(2, 0)},
      {"tiny", {1, 0, 0}},
  };
  for (const auto& [name, bytes] : seeds) {
    if (!write_file(directory + "/" + name + ".sbk", bytes)) {
      std::fprintf(stderr, "can't write %s\n", name);
      return 1;
    }
  }
  return 0;
}
