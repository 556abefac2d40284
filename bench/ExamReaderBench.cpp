// Loading a generated 100 MB .zuk file of 10,000 multiple-choice questions into the holder
// tree, against reading and unscrambling the same bytes alone. The summary prints the ratio
// (aim: at most 2) and the peak memory of one load (aim: at most twice the file size).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "../tools/fuzz/ExamReaderFuzzEntry.h"
#include "BenchSupport.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKStream.h"
#include "platform/core/Streams.h"

namespace {

constexpr int kExams = 2;
constexpr int kQuestionsPerExam = 5000;
constexpr size_t kPartSize = 1700;  // six parts: about 10 KB of rich text per question

std::string TempPath() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/zuk-exam-bench-" + std::to_string(getpid()) + ".zuk";
}

std::string Filler(size_t size, int seed) {
  std::string s(size, '\0');
  uint32_t x = 2463534242u + static_cast<uint32_t>(seed);
  for (auto& c : s) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x);
  }
  return s;
}

/// Writes the file one question at a time, so that making it needs little memory.
void WriteBenchFile(const std::string& path) {
  TFileStream file(path, fmCreate);
  WriteBenchFileHead(file, Filler(50000, 1));

  WriteInt32(kExams, file);
  TMemoryStream record;
  for (int e = 0; e < kExams; ++e) {
    WriteByte(0, file);
    WriteInt32(kQuestionsPerExam, file);
    for (int q = 0; q < kQuestionsPerExam; ++q) {
      WriteBenchQuestion(file, record, static_cast<uint8_t>(q % 2), 6,
                         [q](int part) { return Filler(kPartSize, q * 7 + part); });
    }
  }
  WriteInt32(static_cast<int32_t>(file.Position()), file);
}

const std::string& BenchFile() {
  static const std::string path = [] {
    const std::string p = TempPath();
    WriteBenchFile(p);
    return p;
  }();
  return path;
}

int64_t ReadAndUnscramble(const std::string& path) {
  TFileStream file(path, fmOpenRead | fmShareDenyWrite);
  std::vector<uint8_t> buffer(static_cast<size_t>(kScrambleChunkSize));
  int64_t total = 0;
  while (true) {
    const int64_t n = file.Read(buffer.data(), kScrambleChunkSize);
    if (n <= 0) break;
    UnscrambleBuffer(buffer.data(), static_cast<uint16_t>(n));
    benchmark::DoNotOptimize(buffer.data());
    total += n;
  }
  return total;
}

int LoadTree(const std::string& path) {
  TExamTreeReader reader(std::make_unique<TFileStream>(path, fmOpenRead | fmShareDenyWrite));
  reader.Load();
  return reader.ExamCollection.GetTotalQuestionCount();
}

void BM_ReadAndUnscramble(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadAndUnscramble(BenchFile()));
}

void BM_LoadHolderTree(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(LoadTree(BenchFile()));
}

BENCHMARK(BM_ReadAndUnscramble)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadHolderTree)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::string& path = BenchFile();
  const int64_t fileSize = TFileStream(path, fmOpenRead).Size();
  // The first load, before any other: freed memory that the allocator keeps would hide
  // the peak of later ones.
  const bool reset = ResetPeakResident();
  const int64_t before = PeakResidentBytes();
  const int questions = LoadTree(path);
  const int64_t peak = PeakResidentBytes();

  benchmark::RunSpecifiedBenchmarks();
  const double alone = BestSeconds(15, [&] { ReadAndUnscramble(path); });
  const double load = BestSeconds(15, [&] { LoadTree(path); });
  std::printf("file %.1f MB, %d questions kept\n", fileSize / 1e6, questions);
  std::printf("read and unscramble %.1f ms, load into the holder tree %.1f ms: ratio %.2f (aim <= 2)\n",
              alone * 1e3, load * 1e3, load / alone);
  std::printf("peak resident %.1f MB (%s; %.1f MB before the load) = %.2f x file size (aim <= 2)\n",
              peak / 1e6, reset ? "measured from just before the load" : "whole process", before / 1e6,
              static_cast<double>(peak) / static_cast<double>(fileSize));
  std::remove(path.c_str());
  benchmark::Shutdown();
  return 0;
}
