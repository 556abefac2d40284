// TRegex, the program's own regular-expression engine. An expression is compiled into a
// compact byte-coded program (see RegexCode.h) and run by a backtracking matcher that
// keeps its backtracking state on the heap. Text is 8-bit characters of the ANSI code page;
// the character 0 ends both an expression and an input.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"
#include "platform/core/Strings.h"

struct RegexCode;
struct RegexMatchContext;
class TRegex;

/// The engine's failure: a compile error (codes below 1000, with the parse position) or a
/// run-time error (codes 1000 and above).
class ERegex : public Exception {
 public:
  ERegex(std::string message, int errorCode, int compilerErrorPos)
      : Exception(std::move(message)), error_code_(errorCode), compiler_error_pos_(compilerErrorPos) {}
  int ErrorCode() const { return error_code_; }
  int CompilerErrorPos() const { return compiler_error_pos_; }

 private:
  int error_code_;
  int compiler_error_pos_;
};

/// Called by ReplaceWithFunction for every match; reads the groups through GetMatch,
/// MatchPos and MatchLen and returns the text that replaces the match.
using TRegexReplaceCallback = std::function<std::string(TRegex&)>;
/// Case inversion used by case-insensitive matching.
using TRegexInvertCase = std::function<unsigned char(unsigned char)>;

/// The default case inversion: upper case in the ANSI code page, and when that leaves the
/// character unchanged, lower case.
unsigned char RegexDefaultInvertCase(unsigned char c);
/// The same for a given code page: the byte's upper case, or its lower case when upper-casing
/// leaves it unchanged, as the code page's mapping to Unicode gives them.
unsigned char RegexInvertCaseForCodePage(unsigned char c, int codePage);

class TRegex : public TObject {
 public:
  /// Group 0 is the whole match, 1..14 the parenthesised sub-expressions.
  static constexpr int NSUBEXP = 15;

  /// Modifier bits of Modifiers(); index n of GetModifier/SetModifier is bit n - 1.
  enum : uint32_t {
    ModifierI = 1,   ///< case-insensitive
    ModifierR = 2,   ///< Windows-1251 Cyrillic ranges in bracket expressions
    ModifierS = 4,   ///< '.' matches line separators too
    ModifierG = 8,   ///< greedy repetition
    ModifierM = 16,  ///< '^' and '$' match at line separators
    ModifierX = 32,  ///< extended syntax: white space and '#' comments ignored
  };

  /// Modifiers r, s and g on; i, m and x off.
  TRegex();
  ~TRegex() override;
  TRegex(const TRegex&) = delete;
  TRegex& operator=(const TRegex&) = delete;
  std::string ClassName() const override { return "TRegex"; }

  // --- Expression and compilation -------------------------------------------------------
  const std::string& Expression() const { return expression_; }
  /// Stores the expression; it is compiled on the next Exec, ExecPos, ExecNext or
  /// Substitute (or by Compile). Setting the text already compiled does nothing.
  void SetExpression(std::string_view text);
  /// Compiles the expression now; a compile error raises ERegex.
  void Compile();
  /// The compiled program, or null when there is none (for inspection by tests).
  const RegexCode* CompiledProgram() const { return program_; }

  // --- Modifiers ---------------------------------------------------------------------
  uint32_t Modifiers() const { return modifiers_; }
  void SetModifiers(uint32_t modifiers) { modifiers_ = modifiers & 63u; }
  /// Index 1..6 = i, r, s, g, m, x; another index raises error 1013.
  bool GetModifier(int index);
  void SetModifier(int index, bool value);
  /// The letters of the modifiers that are on, then "-" and the letters of those that are
  /// off ("rsg-imx" for the defaults).
  std::string ModifierStr() const;
  /// Applies a modifier string ("i-s"); an invalid string raises error 1013 and leaves the
  /// modifiers unchanged.
  void SetModifierStr(std::string_view text);
  /// Applies a modifier string to `modifiers`; false when the string is invalid (the set may
  /// then be partly changed).
  static bool ParseModifiersStr(std::string_view text, uint32_t& modifiers);

  // --- Character classes and line separators -------------------------------------------
  const std::string& SpaceChars() const { return space_chars_; }
  void SetSpaceChars(std::string_view chars);
  const std::string& WordChars() const { return word_chars_; }
  void SetWordChars(std::string_view chars);
  const std::string& LineSeparators() const { return line_separators_; }
  void SetLineSeparators(std::string_view chars);
  /// The two characters of the paired separator, or "" when it is not assigned.
  std::string LinePairedSeparator() const;
  /// Two different characters assign the pair, "" clears it, anything else raises 128.
  void SetLinePairedSeparator(std::string_view pair);
  const TRegexInvertCase& InvertCase() const { return invert_case_; }
  void SetInvertCase(TRegexInvertCase invertCase);

  // --- Errors ------------------------------------------------------------------------
  /// Code of the last error raised (0 = none).
  int LastError() const { return last_error_; }
  /// Distance from the start of the expression to the parse position while compiling, else 0.
  int CompilerErrorPos() const { return compiler_error_pos_; }
  /// Sets LastError and raises ERegex with ErrorMsg(code).
  [[noreturn]] virtual void Error(int code);
  virtual std::string ErrorMsg(int code) const;

  // --- Matching ------------------------------------------------------------------------
  /// Stores a copy of `input` (up to its first 0 byte) and searches it from the start.
  bool Exec(std::string_view input);
  /// Searches the stored input for a match starting at or after the 1-based offset.
  bool ExecPos(int offset = 1);
  /// Searches for the next match after the last one (one character further after an empty one).
  bool ExecNext();
  /// The highest group that took part in the last match; 0 with no groups, -1 without a match.
  int SubExprMatchCount() const;
  /// 1-based position of group `index`; -1 when the index is outside 0..14, no input is set
  /// or the group is unset.
  int MatchPos(int index) const;
  /// Length of group `index`; -1 in the same cases as MatchPos.
  int MatchLen(int index) const;
  /// Text of group `index`; empty in the same cases as MatchPos.
  std::string GetMatch(int index) const;
  /// The stored input (up to its first 0 byte).
  const std::string& InputString() const { return input_; }
  /// Matcher steps one search (Exec, ExecPos, ExecNext and each search of Split and the
  /// replacements) may take, besides 64 for every character of the input; a search that needs
  /// more fails with error 1018, so that a pattern that backtracks without end cannot hang its
  /// caller. At least 1.
  int64_t MatchStepLimit() const;
  void SetMatchStepLimit(int64_t limit);
  static constexpr int64_t kDefaultMatchStepLimit = 20'000'000;

  // --- Operations ----------------------------------------------------------------------
  /// Expands "$n", "${n}", "$&" and "\c" in `tmpl` with the groups of the last match.
  std::string Substitute(std::string_view tmpl);
  /// Appends to `pieces` the text before, between and after the matches (never clears it).
  void Split(std::string_view input, TStrings& pieces);
  /// `input` with every match replaced by `with` (expanded by Substitute when asked).
  std::string Replace(std::string_view input, std::string_view with, bool useSubstitution = false);
  /// `input` with every match replaced by the callback's result.
  std::string ReplaceWithFunction(std::string_view input, const TRegexReplaceCallback& callback);

 private:
  void InvalidateProgram();
  void PrepareProgram();
  bool MatchFrom(int offset);
  void RebuildInvertTable();
  void UpdateMatchContext();
  template <class Emit>
  std::string ReplaceMatches(std::string_view input, Emit emit);
  bool ViewsStoredInput(std::string_view input) const;

  std::unique_ptr<RegexMatchContext> match_;  // separator sets and the matcher's scratch memory
  std::string expression_;
  bool has_expression_ = false;
  const RegexCode* program_ = nullptr;  // one of recent_, or null
  // Programs compiled lately, newest first: a caller that switches one object between a few
  // expressions (the HTML clean-up does, line by line) compiles each of them once.
  std::vector<std::unique_ptr<const RegexCode>> recent_;
  uint32_t modifiers_;
  std::string space_chars_;
  std::string word_chars_;
  std::string line_separators_;
  bool paired_assigned_ = true;
  unsigned char paired_head_ = 13;
  unsigned char paired_tail_ = 10;
  TRegexInvertCase invert_case_;
  std::array<unsigned char, 256> invert_table_{};
  int last_error_ = 0;
  int compiler_error_pos_ = 0;

  std::string input_;
  bool has_input_ = false;
  std::array<int32_t, NSUBEXP> start_{};
  std::array<int32_t, NSUBEXP> end_{};
};
