// A small deterministic mutator of byte strings, for the tests that replay fuzzing steps over
// mutations of valid inputs in CI (the same inputs every run).
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

/// A small deterministic generator (xorshift64).
class TMutator {
 public:
  explicit TMutator(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(Next() % n); }

  std::string Mutate(std::string s) {
    static const char interesting[] = {'\r', '\n',   ' ',    '-',  '0',    '1',    '9', '"',
                                       '=',  '\x29', '\x20', '\0', '\xff', '\x7f', 'A', 'g'};
    const int steps = 1 + static_cast<int>(Below(4));
    for (int i = 0; i < steps; ++i) {
      const size_t at = Below(s.size() + 1);
      switch (Below(6)) {
        case 0:  // overwrite a byte
          if (at < s.size()) s[at] = interesting[Below(sizeof interesting)];
          break;
        case 1:  // flip a bit
          if (at < s.size()) s[at] = static_cast<char>(s[at] ^ (1 << Below(8)));
          break;
        case 2:  // delete a range
          s.erase(at, Below(16));
          break;
        case 3:  // duplicate a range
          s.insert(at, s.substr(Below(s.size() + 1), Below(32)));
          break;
        case 4:  // truncate
          s.resize(at);
          break;
        default:  // insert a byte
          s.insert(s.begin() + static_cast<std::ptrdiff_t>(at), interesting[Below(sizeof interesting)]);
          break;
      }
    }
    return s;
  }

 private:
  uint64_t state_;
};

/// Runs `step` (taking the bytes and their size) over `iterations` mutations of the seeds in
/// turn. Answers "" when no step raised, else the first failure with its iteration and input.
template <typename Step>
std::string ReplayMutations(const std::vector<std::string>& seeds, uint64_t seed, int iterations, Step step) {
  TMutator mutator(seed);
  for (int i = 0; i < iterations; ++i) {
    const std::string input = mutator.Mutate(seeds[static_cast<size_t>(i) % seeds.size()]);
    try {
      step(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    } catch (const std::exception& e) {
      static const char digits[] = "0123456789ABCDEF";
      std::string hex;
      for (unsigned char c : input) hex += {digits[c >> 4], digits[c & 15]};
      return "iteration " + std::to_string(i) + ": " + e.what() + "\ninput: " + hex;
    }
  }
  return {};
}
