// Runs the reader's fuzz step over deterministic mutations of valid files, so that every
// build exercises it without a fuzzing compiler.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../../tools/fuzz/ExamReaderFuzzEntry.h"
#include "exam/ZUKFileBuilder.h"

namespace {

class Mutator {
 public:
  explicit Mutator(uint32_t seed) : rng_(seed) {}

  std::string Mutate(std::string bytes) {
    const int edits = 1 + Below(4);
    for (int i = 0; i < edits && !bytes.empty(); ++i) Edit(bytes);
    return bytes;
  }

 private:
  static constexpr int32_t kInteresting[] = {0, 1, -1, 2, 8, 255, 256, 0x7FFF, 0x7FFFFFFF, INT32_MIN, 100000};

  int Below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }

  void Edit(std::string& bytes) {
    const size_t at = static_cast<size_t>(Below(static_cast<int>(bytes.size())));
    switch (Below(6)) {
      case 0:
        bytes[at] = static_cast<char>(bytes[at] ^ (1 << Below(8)));
        break;
      case 1:
        bytes[at] = static_cast<char>(Below(256));
        break;
      case 2:
        if (at + 4 <= bytes.size()) PatchInt32(bytes, static_cast<int64_t>(at), kInteresting[Below(11)]);
        break;
      case 3:
        bytes.erase(at, static_cast<size_t>(1 + Below(16)));
        break;
      case 4:
        bytes.insert(at, static_cast<size_t>(1 + Below(8)), static_cast<char>(Below(256)));
        break;
      default:
        bytes.resize(at);
        break;
    }
  }

  std::mt19937 rng_;
};

}  // namespace

// Valid files load every way and save back stably; a refusal is a failure here (the fuzzer
// takes it as normal), as the file cut short shows.
TEST(ZUKReaderFuzzTest, ValidFilesLoadAndSaveBackStably) {
  const std::string every = BuildZUKFile(EveryKindSpec());
  for (const std::string& file : {every, BuildZUKFile(TreeKeptSpec()), BuildZUKFile(ZUKFileDesc{})})
    EXPECT_TRUE(FuzzExamReaderOnce(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
  EXPECT_FALSE(FuzzExamReaderOnce(reinterpret_cast<const uint8_t*>(every.data()), every.size() / 2));
}

TEST(ZUKReaderFuzzTest, MutatedFilesFailOnlyWithExamExceptions) {
  const std::vector<std::string> seeds = {BuildZUKFile(EveryKindSpec()), BuildZUKFile(TreeKeptSpec())};
  Mutator mutator(20240611);
  for (int i = 0; i < 4000; ++i) {
    const std::string input = mutator.Mutate(seeds[static_cast<size_t>(i) % seeds.size()]);
    try {
      FuzzExamReaderOnce(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    } catch (const std::exception& e) {
      ADD_FAILURE() << "mutation " << i << ": " << e.what();
    }
  }
}
