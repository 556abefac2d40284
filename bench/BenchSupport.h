// What the exam benchmarks share: the head and the question records of a generated .zuk
// file, and the measures of their summaries (the best wall time of a few runs, the process's
// peak resident memory with a way to start a new peak measurement).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <utility>

#include "exam/ZUKQuestion.h"
#include "exam/ZUKStream.h"
#include "platform/core/Streams.h"

/// `words` pseudo-words of 2 to 8 letters, each followed by a blank, the same for the same seed.
inline std::u16string PseudoWords(uint32_t seed, size_t words) {
  std::u16string text;
  uint32_t x = 2463534242u + seed;
  for (size_t w = 0; w < words; ++w) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    const int length = 2 + static_cast<int>(x % 7);
    for (int i = 0; i < length; ++i) text += static_cast<char16_t>(u'a' + (x >> (i * 3)) % 26);
    text += u' ';
  }
  return text;
}

/// Writes a .zuk file's header, properties (description flag on), empty styles, the
/// description and one section: everything before the exam count.
inline void WriteBenchFileHead(TStream& file, const std::string& description) {
  for (uint8_t b : {0x85, 0xA8, 1, 1}) WriteByte(b, file);
  WriteByte(0, file);
  for (const char* text : {"Benchmark exam", "Vendor"}) WriteScrambledString(text, file);
  WriteInt32(1, file);
  WriteInt32(2, file);
  WriteScrambledString("", file);
  for (int i = 0; i < 4; ++i) WriteDouble(i, file);
  WriteBool(true, file);
  WriteBool(false, file);
  WriteInt32(0, file);  // extra data
  TMemoryStream styles(std::string(8, '\0'));
  WriteScrambledStream(styles, file);
  TMemoryStream rvf(description);
  WriteScrambledStream(rvf, file);
  WriteInt32(1, file);
  WriteInt32(1, file);
  WriteScrambledString("Section", file);
}

/// The shortest of `rounds` runs of `work`, in seconds.
template <typename Work>
double BestSeconds(int rounds, Work work) {
  double best = 1e9;
  for (int round = 0; round < rounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

/// The shortest of `rounds` runs of each of `first` and `second`, in seconds, the two taking
/// turns, so that a change in the machine's load falls on both alike.
template <typename First, typename Second>
std::pair<double, double> BestSecondsTakingTurns(int rounds, First first, Second second) {
  std::pair<double, double> best{1e9, 1e9};
  for (int round = 0; round < rounds; ++round) {
    best.first = std::min(best.first, BestSeconds(1, first));
    best.second = std::min(best.second, BestSeconds(1, second));
  }
  return best;
}

/// The process's peak resident size in bytes (VmHWM), -1 when unknown.
inline int64_t PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6) * 1024;
  return -1;
}

/// Starts a new peak measurement; false when the kernel does not allow it.
inline bool ResetPeakResident() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

/// Appends one multiple-choice question record of section 1 with answer "C": `parts` RVF
/// parts made by `part` (the question, the choices, the explanation). `record` is scratch.
inline void WriteBenchQuestion(TStream& file, TMemoryStream& record, uint8_t type, int parts,
                               const std::function<std::string(int part)>& part) {
  TMultipleChoiceQuestion question;
  question.QuestionType = type;
  question.SectionId = 1;
  question.ChoiceCount = parts - 2;
  for (int i = 0; i < parts; ++i) {
    TMemoryStream body(part(i));
    WriteStream(body, question.QuestionParts);
  }
  question.Answer.WriteBuffer("C");
  record.Clear();
  question.Save(record);
  record.SaveToStream(file);
}
