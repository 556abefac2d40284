// TRegex against a public corpus: the regular-expression table of Debian's Python test-suite
// package, fetched at test time by regex_corpus.py into the build tree (never stored in the
// repository). Only syntax this engine shares with Perl is compared, with modifiers set to
// Perl's defaults (s and r off).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/units/Regex.h"

namespace {

namespace fs = std::filesystem;

struct CorpusCase {
  std::string pattern;
  std::string subject;
  int outcome = 0;  // 0 succeed, 1 fail, 2 syntax error
  int groups = 0;
  std::string expr;  // "?" or parts F, G<n>, L<hex>
  std::string expected;
};

std::string FromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, '\t')) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

/// Reads the corpus, fetching it first when the build tree does not hold it yet. Returns an
/// empty string on success, else why it is not available.
std::string LoadCorpus(std::vector<CorpusCase>& cases) {
  const char* data = std::getenv("ZUK_TEST_DATA");
  const fs::path dir = fs::path(data && *data ? data : fs::temp_directory_path().string()) / "regex-corpus";
  const fs::path tsv = dir / "re_tests.tsv";
  if (!fs::exists(tsv)) {
    // __FILE__ may be relative to the build folder (compiler caches shorten it).
    const fs::path script =
        fs::path(ZUK_SOURCE_DIR) / ".." / "tests" / "common" / "units" / "regex_corpus.py";
    const fs::path log = dir.string() + ".log";
    fs::create_directories(dir);
    const std::string command =
        "python3 '" + script.string() + "' '" + dir.string() + "' 2>'" + log.string() + "'";
    if (std::system(command.c_str()) != 0 || !fs::exists(tsv)) {
      std::ifstream reason(log);
      std::string text((std::istreambuf_iterator<char>(reason)), std::istreambuf_iterator<char>());
      return "corpus not available: " + (text.empty() ? std::string("fetch failed") : text);
    }
  }
  std::ifstream in(tsv);
  for (std::string line; std::getline(in, line);) {
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() != 6) continue;
    cases.push_back(
        CorpusCase{FromHex(f[0]), FromHex(f[1]), std::stoi(f[2]), std::stoi(f[3]), f[4], FromHex(f[5])});
  }
  return cases.empty() ? "corpus file is empty" : "";
}

/// Syntax outside what this engine shares with Perl.
bool Unshared(const CorpusCase& c) {
  const std::string& p = c.pattern;
  if (p.find("(?") != std::string::npos) return true;  // extensions, look-around, inline flags
  for (const char* escape : {"\\u", "\\U", "\\N", "\\p", "\\P", "\\g", "\\v"})
    if (p.find(escape) != std::string::npos) return true;
  return c.groups > 14;
}

// Where the engine's own rules differ from Python's on purpose, by pattern.
struct KnownDifference {
  const char* pattern;
  const char* subject;  // null: every subject
  const char* reason;
};
const KnownDifference kKnownDifferences[] = {
    {"", nullptr, "an empty expression is no expression: matching raises 1003"},
    {"a.b", "a\rb", "without modifier s, '.' stops at every line separator, CR as well as LF"},
    {"[\\0a]", nullptr, "the character 0 ends the input, so no input holds it"},
    {"[a\\0]", nullptr, "the character 0 ends the input, so no input holds it"},
    {"\\0", nullptr, "no octal escapes: \\0 is the character 0"},
    {"\\09", nullptr, "no octal escapes: \\0 is the character 0"},
    {"\\141", nullptr, "no octal escapes: \\141 is group 1 and the characters 4 and 1"},
    {"[\\41]", nullptr, "no octal escapes: \\4 in brackets is the character 4"},
    {"[\\1]", nullptr, "no octal escapes: \\1 in brackets is the character 1"},
    {"^\\w+=(\\\\[\\000-\\277]|[^\\n\\\\])*", nullptr, "no octal escapes: \\000 is the character 0"},
    {"[\\D]+", nullptr, "in brackets \\D, \\S and \\W stand for the letters D, S and W"},
    {"([\\s]*)([\\S]*)([\\s]*)", nullptr, "in brackets \\D, \\S and \\W stand for the letters D, S and W"},
    {"((((((((((a))))))))))\\10", nullptr, "only \\1..\\9 are back-references: \\10 is group 1 and a 0"},
    {"((((((((((a))))))))))\\41", nullptr, "only \\1..\\9 are back-references: \\41 is group 4 and a 1"},
    {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)\\119", nullptr, "only \\1..\\9 are back-references"},
    {"\\1", nullptr, "a back-reference to a group that is not (yet) closed compiles and never matches"},
    {"((.)\\1+)", nullptr, "a back-reference to a group that is not (yet) closed compiles and never matches"},
};

const KnownDifference* FindKnownDifference(const CorpusCase& c) {
  for (const KnownDifference& d : kKnownDifferences)
    if (c.pattern == d.pattern && (!d.subject || c.subject == d.subject)) return &d;
  return nullptr;
}

std::string Evaluate(TRegex& re, const CorpusCase& c) {
  std::string out;
  std::istringstream parts(c.expr);
  for (std::string part; parts >> part;) {
    if (part == "F") {
      out += re.GetMatch(0);
    } else if (part[0] == 'G') {
      const int g = std::stoi(part.substr(1));
      if (g > c.groups)
        out += "Error";
      else
        out += re.MatchPos(g) < 0 ? "None" : re.GetMatch(g);
    } else {
      out += FromHex(part.substr(1));
    }
  }
  return out;
}

/// The engine's outcome in the corpus's terms, or a description of the mismatch.
std::string Compare(const CorpusCase& c) {
  TRegex re;
  re.SetModifierStr("-sr");
  re.SetExpression(c.pattern);
  bool matched = false;
  try {
    re.Compile();
    matched = re.Exec(c.subject);
  } catch (const ERegex& e) {
    return c.outcome == 2 ? "" : "raised " + std::to_string(e.ErrorCode());
  }
  if (c.outcome == 2) return "compiled, expected a syntax error";
  if (c.outcome == 1) return matched ? "matched \"" + re.GetMatch(0) + "\", expected no match" : "";
  if (!matched) return "no match";
  if (c.expr == "?") return "";
  const std::string value = Evaluate(re, c);
  return value == c.expected ? "" : "gave \"" + value + "\", expected \"" + c.expected + "\"";
}

TEST(RegexConformanceTest, AgreesWithPythonCorpusOnSharedSyntax) {
  std::vector<CorpusCase> cases;
  const std::string unavailable = LoadCorpus(cases);
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;

  int compared = 0, agreed = 0, known = 0;
  for (const CorpusCase& c : cases) {
    if (Unshared(c)) continue;
    ++compared;
    const std::string mismatch = Compare(c);
    const KnownDifference* difference = FindKnownDifference(c);
    if (mismatch.empty()) {
      ++agreed;
      EXPECT_EQ(difference, nullptr) << "listed as a difference but agrees: " << c.pattern;
    } else if (difference) {
      ++known;
    } else {
      ADD_FAILURE() << "pattern \"" << c.pattern << "\" on \"" << c.subject << "\": " << mismatch;
    }
  }
  EXPECT_GT(compared, 200);
  RecordProperty("compared", compared);
  std::cout << "compared " << compared << " cases, " << agreed << " agree, " << known
            << " known differences\n";
}

}  // namespace
