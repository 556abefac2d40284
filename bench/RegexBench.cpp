// TRegex against std::regex and PCRE2 (interpreter and JIT) on the same work: the converter's
// five HTML clean-up rules over 10 MB of generated HTML lines, an e-mail, a URI and an IPv4
// pattern over 4 MB of text, and a search that backtracks badly without care ([a-z]+\d over
// 64 KB of letters). After the runs one table gives each engine's time relative to TRegex
// (above 1 = slower than TRegex) and another TRegex's time relative to PCRE2's interpreter.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <benchmark/benchmark.h>
#include <pcre2.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "common/units/Regex.h"

namespace {

// --- Generated inputs ----------------------------------------------------------------------

const char* const kWords[] = {"exam",   "question", "answer", "choice", "network", "router", "the",
                              "packet", "address",  "of",     "and",    "server",  "client", "a",
                              "table",  "cell",     "value",  "layer",  "switch",  "port",   "is"};

std::string Words(std::mt19937& rng, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    if (i) out += ' ';
    out += kWords[rng() % std::size(kWords)];
  }
  return out;
}

/// About 10 MB of HTML lines of the kinds the rich-text writer produces.
const std::vector<std::string>& HtmlLines() {
  static const std::vector<std::string> lines = [] {
    std::mt19937 rng(7);
    std::vector<std::string> out;
    size_t total = 0;
    while (total < 10u * 1024 * 1024) {
      std::string line;
      switch (rng() % 7) {
        case 0:
          line = "<DIV>&nbsp;</DIV>";
          break;
        case 1:
          line =
              "<P><FONT size=2 face=\"Arial\">" + Words(rng, 8) + " &nbsp;" + Words(rng, 4) + "</FONT></P>";
          break;
        case 2:
          line = "<P><B>   " + Words(rng, 10) + "</B> " + Words(rng, 6) + "</P>";
          break;
        case 3:
          line = "<FONT size=3>" + Words(rng, 5) + "</FONT> " + Words(rng, 7) + " <FONT>" + Words(rng, 3) +
                 "</FONT>";
          break;
        case 4:
          line = "<TABLE><TR><TD>&nbsp;&nbsp;" + Words(rng, 6) + "</TD><TD>" + Words(rng, 6) +
                 "</TD></TR></TABLE>";
          break;
        case 5:
          line = "&nbsp;&nbsp;" + Words(rng, 12);
          break;
        default:
          line = "<P>" + Words(rng, 20) + " <I>" + Words(rng, 4) + "</I></P>";
          break;
      }
      total += line.size() + 2;
      out.push_back(std::move(line));
    }
    return out;
  }();
  return lines;
}

/// About 4 MB of text with e-mail addresses, URIs and IPv4 addresses among the words.
const std::string& PlainText() {
  static const std::string text = [] {
    std::mt19937 rng(11);
    std::string out;
    while (out.size() < 4u * 1024 * 1024) {
      out += Words(rng, 3 + static_cast<int>(rng() % 20));
      switch (rng() % 6) {
        case 0:
          out += " mail " + std::string(kWords[rng() % std::size(kWords)]) + ".user" +
                 std::to_string(rng() % 100) + "@example" + std::to_string(rng() % 10) + ".org";
          break;
        case 1:
          out += " see https://www.example.com/docs/" + std::string(kWords[rng() % std::size(kWords)]) +
                 "?id=" + std::to_string(rng() % 1000);
          break;
        case 2:
          out += " host " + std::to_string(rng() % 300) + "." + std::to_string(rng() % 256) + "." +
                 std::to_string(rng() % 256) + "." + std::to_string(rng() % 256);
          break;
        default:
          out += " " + std::to_string(rng() % 100000);
          break;
      }
      out += rng() % 8 == 0 ? ".\n" : ". ";
    }
    return out;
  }();
  return text;
}

// --- The clean-up rules --------------------------------------------------------------------

const char* const kRulePatterns[] = {"^<DIV>&nbsp;</DIV>$", "&nbsp;", "<FONT size=\\d",
                                     "<FONT>([^<]*)</FONT>", "^((<[^>]+>)+)( +)"};
const char* const kRuleReplacements[] = {"<BR>", " ", "<FONT", "$1"};

std::string LeadingSpacesAsEntities(const std::string& tags, size_t spaces) {
  std::string out = tags;
  for (size_t i = 0; i < spaces; ++i) out += "&nbsp;";
  return out;
}

/// TRegex with one object per rule, compiled once.
class TRegexCleanup {
 public:
  TRegexCleanup() {
    for (int i = 0; i < 5; ++i) {
      rules_[i].SetModifier(1, true);
      rules_[i].SetExpression(kRulePatterns[i]);
    }
  }
  std::string Clean(const std::string& line) {
    std::string s = line;
    for (int i = 0; i < 4; ++i) s = rules_[i].Replace(s, kRuleReplacements[i], true);
    if (rules_[4].Exec(s))
      s = rules_[4].ReplaceWithFunction(s, [](TRegex& r) {
        return LeadingSpacesAsEntities(r.GetMatch(1), static_cast<size_t>(r.MatchLen(3)));
      });
    return s;
  }

 private:
  TRegex rules_[5];
};

/// TRegex as the converter runs it: one object whose expression changes for every rule and
/// line; the object keeps its recently compiled programs, so each rule is compiled once.
class TRegexOneObjectCleanup {
 public:
  TRegexOneObjectCleanup() { re_.SetModifier(1, true); }
  std::string Clean(const std::string& line) {
    std::string s = line;
    for (int i = 0; i < 4; ++i) {
      re_.SetExpression(kRulePatterns[i]);
      s = re_.Replace(s, kRuleReplacements[i], true);
    }
    re_.SetExpression(kRulePatterns[4]);
    if (re_.Exec(s))
      s = re_.ReplaceWithFunction(s, [](TRegex& r) {
        return LeadingSpacesAsEntities(r.GetMatch(1), static_cast<size_t>(r.MatchLen(3)));
      });
    return s;
  }

 private:
  TRegex re_;
};

class StdCleanup {
 public:
  StdCleanup() {
    for (int i = 0; i < 5; ++i)
      rules_[i] = std::regex(kRulePatterns[i], std::regex::ECMAScript | std::regex::icase);
  }
  std::string Clean(const std::string& line) {
    std::string s = line;
    for (int i = 0; i < 4; ++i) s = std::regex_replace(s, rules_[i], kRuleReplacements[i]);
    std::smatch m;
    if (std::regex_search(s, m, rules_[4]))
      s = LeadingSpacesAsEntities(m[1].str(), static_cast<size_t>(m[3].length())) + m.suffix().str();
    return s;
  }

 private:
  std::regex rules_[5];
};

class Pcre2Cleanup {
 public:
  explicit Pcre2Cleanup(bool jit) {
    for (int i = 0; i < 5; ++i) {
      int error = 0;
      PCRE2_SIZE offset = 0;
      rules_[i] = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kRulePatterns[i]), PCRE2_ZERO_TERMINATED,
                                PCRE2_CASELESS, &error, &offset, nullptr);
      if (jit) pcre2_jit_compile(rules_[i], PCRE2_JIT_COMPLETE);
    }
    match_ = pcre2_match_data_create(8, nullptr);
    buffer_.resize(4096);
  }
  ~Pcre2Cleanup() {
    for (pcre2_code* r : rules_) pcre2_code_free(r);
    pcre2_match_data_free(match_);
  }
  std::string Clean(const std::string& line) {
    std::string s = line;
    for (int i = 0; i < 4; ++i) s = Substitute(rules_[i], s, kRuleReplacements[i]);
    if (pcre2_match(rules_[4], reinterpret_cast<PCRE2_SPTR>(s.data()), s.size(), 0, 0, match_, nullptr) > 0) {
      const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(match_);
      s = LeadingSpacesAsEntities(s.substr(ov[2], ov[3] - ov[2]), ov[7] - ov[6]) + s.substr(ov[1]);
    }
    return s;
  }

 private:
  std::string Substitute(pcre2_code* code, const std::string& s, const char* with) {
    for (;;) {
      PCRE2_SIZE length = buffer_.size();
      const int rc = pcre2_substitute(code, reinterpret_cast<PCRE2_SPTR>(s.data()), s.size(), 0,
                                      PCRE2_SUBSTITUTE_GLOBAL | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH, match_,
                                      nullptr, reinterpret_cast<PCRE2_SPTR>(with), PCRE2_ZERO_TERMINATED,
                                      reinterpret_cast<PCRE2_UCHAR*>(buffer_.data()), &length);
      if (rc == PCRE2_ERROR_NOMEMORY) {
        buffer_.resize(length + 1);
        continue;
      }
      return rc < 0 ? s : std::string(buffer_.data(), length);
    }
  }

  pcre2_code* rules_[5];
  pcre2_match_data* match_;
  std::string buffer_;
};

template <class Engine, class... Args>
void RunCleanup(benchmark::State& state, Args... args) {
  Engine engine(args...);
  size_t bytes = 0;
  for (auto _ : state) {
    size_t out = 0;
    for (const std::string& line : HtmlLines()) {
      out += engine.Clean(line).size();
      bytes += line.size();
    }
    benchmark::DoNotOptimize(out);
    state.counters["output"] = static_cast<double>(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_Cleanup_TRegex(benchmark::State& s) {
  RunCleanup<TRegexCleanup>(s);
}
void BM_Cleanup_TRegexOneObject(benchmark::State& s) {
  RunCleanup<TRegexOneObjectCleanup>(s);
}
void BM_Cleanup_StdRegex(benchmark::State& s) {
  RunCleanup<StdCleanup>(s);
}
void BM_Cleanup_PCRE2(benchmark::State& s) {
  RunCleanup<Pcre2Cleanup>(s, false);
}
void BM_Cleanup_PCRE2_JIT(benchmark::State& s) {
  RunCleanup<Pcre2Cleanup>(s, true);
}

// --- Searching text ------------------------------------------------------------------------

const char* const kSearchPatterns[] = {
    "[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,}",
    "[a-z][a-z0-9+.-]*://[^ /]+(/[^ ]*)?",
    "((25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}(25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)",
};

int64_t CountTRegex(int pattern) {
  TRegex re;
  re.SetExpression(kSearchPatterns[pattern]);
  int64_t n = 0;
  if (re.Exec(PlainText())) do
      ++n;
    while (re.ExecNext());
  return n;
}

int64_t CountStd(int pattern) {
  const std::regex re(kSearchPatterns[pattern]);
  const std::string& text = PlainText();
  return std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator());
}

int64_t CountPcre2(int pattern, bool jit) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kSearchPatterns[pattern]),
                                   PCRE2_ZERO_TERMINATED, 0, &error, &offset, nullptr);
  if (jit) pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  pcre2_match_data* match = pcre2_match_data_create_from_pattern(code, nullptr);
  const std::string& text = PlainText();
  int64_t n = 0;
  for (PCRE2_SIZE at = 0; pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), at, 0,
                                      match, nullptr) > 0;) {
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(match);
    at = ov[1] > ov[0] ? ov[1] : ov[1] + 1;
    ++n;
  }
  pcre2_match_data_free(match);
  pcre2_code_free(code);
  return n;
}

template <class Count>
void RunSearch(benchmark::State& state, Count count) {
  const int pattern = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const int64_t n = count(pattern);
    benchmark::DoNotOptimize(n);
    state.counters["matches"] = static_cast<double>(n);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(PlainText().size()));
}

void BM_Search_TRegex(benchmark::State& s) {
  RunSearch(s, CountTRegex);
}
void BM_Search_StdRegex(benchmark::State& s) {
  RunSearch(s, CountStd);
}
void BM_Search_PCRE2(benchmark::State& s) {
  RunSearch(s, [](int p) { return CountPcre2(p, false); });
}
void BM_Search_PCRE2_JIT(benchmark::State& s) {
  RunSearch(s, [](int p) { return CountPcre2(p, true); });
}

// --- A search that backtracks badly without care ---------------------------------------------

const char* const kRunawayPattern = "[a-z]+\\d";

const std::string& Letters() {
  static const std::string text = [] {
    std::mt19937 rng(5);
    std::string out(64 * 1024, 'a');
    for (char& c : out) c = static_cast<char>('a' + rng() % 26);
    return out;
  }();
  return text;
}

void BM_Runaway_TRegex(benchmark::State& state) {
  TRegex re;
  re.SetExpression(kRunawayPattern);
  for (auto _ : state) benchmark::DoNotOptimize(re.Exec(Letters()));
}

void BM_Runaway_PCRE2(benchmark::State& state) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kRunawayPattern), PCRE2_ZERO_TERMINATED, 0,
                                   &error, &offset, nullptr);
  pcre2_match_data* match = pcre2_match_data_create_from_pattern(code, nullptr);
  for (auto _ : state)
    benchmark::DoNotOptimize(pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(Letters().data()),
                                         Letters().size(), 0, 0, match, nullptr));
  pcre2_match_data_free(match);
  pcre2_code_free(code);
}

/// How long TRegex takes to give up, with its default step limit, on patterns that backtrack
/// without end.
void BM_StepLimit_TRegex(benchmark::State& state) {
  const char* const patterns[] = {"\"([^\\\\\"]+|\\\\.)*\"", "(.+)+[xy]"};
  const std::string inputs[] = {"\"" + std::string(28, 'a'), std::string(30, 'a')};
  const int which = static_cast<int>(state.range(0));
  TRegex re;
  re.SetExpression(patterns[which]);
  for (auto _ : state) {
    try {
      re.Exec(inputs[which]);
      state.SkipWithError("matched");
    } catch (const ERegex& e) {
      if (e.ErrorCode() != 1018) state.SkipWithError(e.what());
    }
  }
}

BENCHMARK(BM_Cleanup_TRegex)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Cleanup_TRegexOneObject)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Cleanup_StdRegex)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Cleanup_PCRE2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Cleanup_PCRE2_JIT)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Search_TRegex)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Search_StdRegex)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Search_PCRE2)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Search_PCRE2_JIT)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Runaway_TRegex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Runaway_PCRE2)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_StepLimit_TRegex)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(3);

/// Keeps every run's time per iteration so that the ratios can be printed at the end. With
/// repetitions a benchmark reports several runs and then their mean, median and deviation:
/// the ratios use the median of the runs themselves. When only the aggregates are reported
/// (--benchmark_report_aggregates_only), the reported median stands in for the runs.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string name = BaseName(run.run_name.str());
      if (run.run_type == Run::RT_Iteration)
        runs_[name].push_back(run.GetAdjustedRealTime());
      else if (run.aggregate_name == "median" && runs_.find(name) == runs_.end())
        medians_[name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [name, median] : medians_)
      if (runs_.find(name) == runs_.end()) runs_[name].push_back(median);
  }

  void PrintRatios() const {
    std::printf("\nTime relative to TRegex (higher = slower than TRegex):\n");
    Row("clean-up rules", "BM_Cleanup_TRegex",
        {"BM_Cleanup_TRegexOneObject", "BM_Cleanup_StdRegex", "BM_Cleanup_PCRE2", "BM_Cleanup_PCRE2_JIT"},
        "");
    const char* names[] = {"e-mail", "URI", "IPv4"};
    for (int p = 0; p < 3; ++p) {
      const std::string arg = "/" + std::to_string(p);
      Row(names[p], "BM_Search_TRegex" + arg,
          {"BM_Search_StdRegex", "BM_Search_PCRE2", "BM_Search_PCRE2_JIT"}, arg);
    }
    Row("[a-z]+\\d", "BM_Runaway_TRegex", {"BM_Runaway_PCRE2"}, "");

    std::printf("\nTRegex time relative to PCRE2's interpreter (aim: 1.00 or less):\n");
    Versus("clean-up, one object per rule", "BM_Cleanup_TRegex", "BM_Cleanup_PCRE2");
    Versus("clean-up, one object (converter)", "BM_Cleanup_TRegexOneObject", "BM_Cleanup_PCRE2");
    for (int p = 0; p < 3; ++p) {
      const std::string arg = "/" + std::to_string(p);
      Versus(names[p], "BM_Search_TRegex" + arg, "BM_Search_PCRE2" + arg);
    }
    Versus("[a-z]+\\d on 64 KB", "BM_Runaway_TRegex", "BM_Runaway_PCRE2");
  }

 private:
  void Row(const std::string& label, const std::string& base, std::initializer_list<const char*> others,
           const std::string& arg) const {
    const auto b = runs_.find(base);
    if (b == runs_.end()) return;
    std::printf("  %-15s", label.c_str());
    for (const char* other : others) {
      const auto it = runs_.find(std::string(other) + arg);
      if (it != runs_.end()) std::printf("  %s %.2f", other + 3, Median(it->second) / Median(b->second));
    }
    std::printf("\n");
  }

  void Versus(const std::string& label, const std::string& ours, const std::string& theirs) const {
    const auto a = runs_.find(ours), b = runs_.find(theirs);
    if (a == runs_.end() || b == runs_.end()) return;
    std::printf("  %-34s %.3f\n", label.c_str(), Median(a->second) / Median(b->second));
  }

  /// The name without the run settings ("BM_X/1/min_time:1.000" -> "BM_X/1").
  static std::string BaseName(const std::string& name) {
    std::string out;
    size_t start = 0;
    while (start <= name.size()) {
      const size_t slash = std::min(name.find('/', start), name.size());
      const std::string part = name.substr(start, slash - start);
      if (part.rfind("min_time:", 0) != 0 && part.rfind("iterations:", 0) != 0 &&
          part.rfind("repeats:", 0) != 0)
        out += (out.empty() ? "" : "/") + part;
      start = slash + 1;
    }
    return out;
  }

  static double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    return n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  }

  std::map<std::string, std::vector<double>> runs_;
  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
