// TRegex: the object's properties, error reporting, the search entry points and the
// operations built on them (substitution templates, Split, Replace).
#include "common/units/Regex.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "common/units/RegexCode.h"
#include "platform/core/CodePages.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kMaxInputLength = std::numeric_limits<int32_t>::max() - 2;

const char* const kDefaultWordChars = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
const char kDefaultSpaceChars[] = {' ', '\t', '\n', '\r', '\f'};

const char* ErrorText(int code) {
  switch (code) {
    case 102:
      return "TRegex(comp): ParseReg Too Many ()";
    case 103:
    case 104:
      return "TRegex(comp): ParseReg Unmatched ()";
    case 105:
      return "TRegex(comp): ParseReg Junk On End";
    case 106:
      return "TRegex(comp): *+ Operand Could Be Empty";
    case 107:
      return "TRegex(comp): Nested *?+";
    case 108:
      return "TRegex(comp): Bad Hex Digit";
    case 109:
      return "TRegex(comp): Invalid [] Range";
    case 110:
      return "TRegex(comp): Parse Atom Trailing \\";
    case 111:
      return "TRegex(comp): No Hex Code After \\x";
    case 112:
      return "TRegex(comp): Hex Code After \\x Is Too Big";
    case 113:
      return "TRegex(comp): Unmatched []";
    case 115:
      return "TRegex(comp): ?+*{ Follows Nothing";
    case 116:
      return "TRegex(comp): Trailing \\";
    case 122:
      return "TRegex(comp): BRACES Argument Too Big";
    case 124:
      return "TRegex(comp): BRACE Min Param Greater then Max";
    case 125:
      return "TRegex(comp): Unclosed (?#Comment)";
    case 127:
      return "TRegex(comp): Urecognized Modifier";
    case 128:
      return "TRegex(comp): LinePairedSeparator must countain two different chars or no chars at all";
    case 1000:
      return "TRegex(exec): RegRepeat Called Inappropriately";
    case 1001:
      return "TRegex(exec): MatchPrim Memory Corruption";
    case 1002:
      return "TRegex(exec): MatchPrim Corrupted Pointers";
    case 1003:
      return "TRegex(exec): Not Assigned Expression Property";
    case 1004:
      return "TRegex(exec): Corrupted Program";
    case 1005:
      return "TRegex(exec): No Input String Specified";
    case 1006:
      return "TRegex(exec): Offset Must Be Greater Then 0";
    case 1007:
      return "TRegex(exec): ExecNext Without Exec[Pos]";
    case 1014:
      return "TRegex(exec): Loop Stack Exceeded";
    case 1015:
      return "TRegex(exec): Loop Without LoopEntry !";
    case 1016:
      return "TRegex(exec): Backtrack Stack Exceeded";
    case 1017:
      return "TRegex(exec): Input String Too Long";
    case 1018:
      return "TRegex(exec): Match Step Limit Exceeded";
    default:
      return "Unknown error";
  }
}

RegexCharSet CharSetOf(std::string_view chars) {
  RegexCharSet set;
  for (char c : chars) set.Add(static_cast<uint8_t>(c));
  return set;
}

/// The input every operation works on ends at its first 0 byte.
std::string_view UpToFirstZero(std::string_view input) {
  return input.substr(0, input.find('\0'));
}

/// Clears the compiler position when the error raised for a compile failure unwinds.
struct CompilerPosReset {
  int& pos;
  ~CompilerPosReset() { pos = 0; }
};

}  // namespace

unsigned char RegexInvertCaseForCodePage(unsigned char c, int codePage) {
  const CodePageCaseMap& cases = CaseMapOf(static_cast<uint32_t>(codePage));
  return cases.upper[c] != c ? cases.upper[c] : cases.lower[c];
}

unsigned char RegexDefaultInvertCase(unsigned char c) {
  static const int codePage = static_cast<int>(GetACP());
  return RegexInvertCaseForCodePage(c, codePage);
}

TRegex::TRegex()
    : match_(std::make_unique<RegexMatchContext>()),
      modifiers_(ModifierR | ModifierS | ModifierG),
      space_chars_(kDefaultSpaceChars, sizeof kDefaultSpaceChars),
      word_chars_(kDefaultWordChars),
      line_separators_("\r\n"),
      invert_case_(RegexDefaultInvertCase) {
  RebuildInvertTable();
  UpdateMatchContext();
  match_->step_limit = kDefaultMatchStepLimit;
  start_.fill(-1);
  end_.fill(-1);
}

TRegex::~TRegex() = default;

// --- Expression and compilation ------------------------------------------------------------

void TRegex::SetExpression(std::string_view text) {
  if (has_expression_ && program_ && text == expression_) return;
  expression_.clear();
  has_expression_ = false;
  program_ = nullptr;
  if (text.empty()) return;
  expression_.assign(text);
  has_expression_ = true;
}

void TRegex::InvalidateProgram() {
  program_ = nullptr;
  recent_.clear();
  UpdateMatchContext();
}

int64_t TRegex::MatchStepLimit() const {
  return match_->step_limit;
}

void TRegex::SetMatchStepLimit(int64_t limit) {
  match_->step_limit = std::max<int64_t>(limit, 1);
}

void TRegex::UpdateMatchContext() {
  match_->line_separators = CharSetOf(line_separators_);
  match_->word_chars = CharSetOf(word_chars_);
  match_->paired_assigned = paired_assigned_;
  match_->paired_head = paired_head_;
  match_->paired_tail = paired_tail_;
  match_->invert_case = &invert_table_;
}

void TRegex::RebuildInvertTable() {
  for (int c = 0; c < 256; ++c)
    invert_table_[c] =
        invert_case_ ? invert_case_(static_cast<unsigned char>(c)) : static_cast<unsigned char>(c);
}

void TRegex::Compile() {
  if (!has_expression_) Error(1003);
  program_ = nullptr;
  const std::string_view text = std::string_view(expression_).substr(0, expression_.find('\0'));
  for (size_t i = 0; i < recent_.size(); ++i) {
    if (recent_[i]->modifiers != modifiers_ || recent_[i]->expression != text) continue;
    std::rotate(recent_.begin(), recent_.begin() + static_cast<std::ptrdiff_t>(i),
                recent_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    program_ = recent_.front().get();
    return;
  }
  RegexSyntax syntax;
  syntax.modifiers = modifiers_;
  syntax.space_chars = space_chars_;
  syntax.word_chars = word_chars_;
  syntax.line_separators = line_separators_;
  syntax.paired_assigned = paired_assigned_;
  syntax.paired_head = paired_head_;
  syntax.invert_case = &invert_table_;
  std::unique_ptr<const RegexCode> compiled;
  try {
    compiled = std::make_unique<const RegexCode>(CompileRegex(expression_, syntax));
  } catch (const RegexFailure& failure) {
    compiler_error_pos_ = failure.position;
    CompilerPosReset reset{compiler_error_pos_};
    Error(failure.code);
  }
  constexpr size_t kRecentPrograms = 8;
  if (recent_.size() == kRecentPrograms) recent_.pop_back();
  recent_.insert(recent_.begin(), std::move(compiled));
  program_ = recent_.front().get();
}

void TRegex::PrepareProgram() {
  if (program_ && program_->modifiers != modifiers_) program_ = nullptr;
  if (!program_) Compile();
  if (program_->code.empty() || program_->code[0] != regex_code::kMagic) Error(1004);
}

// --- Modifiers --------------------------------------------------------------------------

bool TRegex::GetModifier(int index) {
  if (index < 1 || index > 6) Error(1013);
  return (modifiers_ >> (index - 1)) & 1u;
}

void TRegex::SetModifier(int index, bool value) {
  if (index < 1 || index > 6) Error(1013);
  const uint32_t bit = 1u << (index - 1);
  modifiers_ = value ? (modifiers_ | bit) : (modifiers_ & ~bit);
}

std::string TRegex::ModifierStr() const {
  static const char kLetters[] = "irsgmx";
  std::string on, off;
  for (int i = 0; i < 6; ++i) ((modifiers_ >> i) & 1u ? on : off).push_back(kLetters[i]);
  return off.empty() ? on : on + "-" + off;
}

void TRegex::SetModifierStr(std::string_view text) {
  uint32_t modifiers = modifiers_;
  if (!ParseModifiersStr(text, modifiers)) Error(1013);
  modifiers_ = modifiers;
}

bool TRegex::ParseModifiersStr(std::string_view text, uint32_t& modifiers) {
  return RegexParseModifiers(text, modifiers);
}

// --- Character classes and separators ------------------------------------------------------
// The classes and separators are compiled into the program and its optimisation data, so a
// change makes the next match compile afresh.

void TRegex::SetSpaceChars(std::string_view chars) {
  if (chars == space_chars_) return;
  space_chars_.assign(chars);
  InvalidateProgram();
}

void TRegex::SetWordChars(std::string_view chars) {
  if (chars == word_chars_) return;
  word_chars_.assign(chars);
  InvalidateProgram();
}

void TRegex::SetLineSeparators(std::string_view chars) {
  if (chars == line_separators_) return;
  line_separators_.assign(chars);
  InvalidateProgram();
}

std::string TRegex::LinePairedSeparator() const {
  if (!paired_assigned_) return std::string();
  return std::string{static_cast<char>(paired_head_), static_cast<char>(paired_tail_)};
}

void TRegex::SetLinePairedSeparator(std::string_view pair) {
  if (pair.empty()) {
    if (paired_assigned_) {
      paired_assigned_ = false;
      InvalidateProgram();
    }
    return;
  }
  if (pair.size() != 2 || pair[0] == pair[1]) Error(128);
  const auto head = static_cast<unsigned char>(pair[0]);
  const auto tail = static_cast<unsigned char>(pair[1]);
  if (paired_assigned_ && head == paired_head_ && tail == paired_tail_) return;
  paired_assigned_ = true;
  paired_head_ = head;
  paired_tail_ = tail;
  InvalidateProgram();
}

void TRegex::SetInvertCase(TRegexInvertCase invertCase) {
  invert_case_ = std::move(invertCase);
  RebuildInvertTable();
  InvalidateProgram();
}

// --- Errors ----------------------------------------------------------------------------

void TRegex::Error(int code) {
  last_error_ = code;
  std::string message = ErrorMsg(code);
  if (code < 1000) message += " (pos " + IntToStr(compiler_error_pos_) + ")";
  throw ERegex(std::move(message), code, compiler_error_pos_);
}

std::string TRegex::ErrorMsg(int code) const {
  return ErrorText(code);
}

// --- Matching ----------------------------------------------------------------------------

bool TRegex::Exec(std::string_view input) {
  const std::string_view text = UpToFirstZero(input);
  if (text.size() > static_cast<size_t>(kMaxInputLength)) Error(1017);
  input_.assign(text.data(), text.size());  // safe when `input` views the stored input
  has_input_ = true;
  start_.fill(-1);
  end_.fill(-1);
  return ExecPos(1);
}

bool TRegex::ExecPos(int offset) {
  start_.fill(-1);
  end_.fill(-1);
  PrepareProgram();
  if (!has_input_) Error(1005);
  if (offset < 1) Error(1006);
  const auto length = static_cast<int32_t>(input_.size());
  if (offset > length + 1) return false;
  return MatchFrom(offset - 1);
}

bool TRegex::MatchFrom(int offset) {
  try {
    return SearchRegex(*program_, *match_, reinterpret_cast<const uint8_t*>(input_.c_str()),
                       static_cast<int32_t>(input_.size()), offset, start_.data(), end_.data());
  } catch (const RegexFailure& failure) {
    start_.fill(-1);
    end_.fill(-1);
    Error(failure.code);
  }
  return false;  // not reached: Error raises
}

bool TRegex::ExecNext() {
  if (!has_input_ || start_[0] < 0 || end_[0] < 0) Error(1007);
  int offset = end_[0] + 1;
  if (end_[0] == start_[0]) ++offset;
  return ExecPos(offset);
}

int TRegex::SubExprMatchCount() const {
  if (start_[0] < 0) return -1;
  int highest = 0;
  for (int i = 1; i < NSUBEXP; ++i)
    if (start_[i] >= 0 && end_[i] >= start_[i]) highest = i;
  return highest;
}

int TRegex::MatchPos(int index) const {
  if (index < 0 || index >= NSUBEXP || !has_input_) return -1;
  if (start_[index] < 0 || end_[index] < start_[index]) return -1;
  return start_[index] + 1;
}

int TRegex::MatchLen(int index) const {
  if (MatchPos(index) < 0) return -1;
  return end_[index] - start_[index];
}

std::string TRegex::GetMatch(int index) const {
  if (MatchPos(index) < 0) return std::string();
  return input_.substr(start_[index], end_[index] - start_[index]);
}

// --- Operations --------------------------------------------------------------------------

namespace {

/// Reads a "$" variable name at `p` (just after the '$'): "&", digits, or either in braces;
/// "{}" is group 0. Returns the group (saturated at 15) and moves `p` past the name, or -1
/// when there is no valid name.
int ReadTemplateGroup(std::string_view tmpl, size_t& p) {
  size_t q = p;
  const bool braced = q < tmpl.size() && tmpl[q] == '{';
  if (braced) ++q;
  int group = -1;
  if (q < tmpl.size() && tmpl[q] == '&') {
    group = 0;
    ++q;
  } else if (q < tmpl.size() && tmpl[q] >= '0' && tmpl[q] <= '9') {
    group = 0;
    for (; q < tmpl.size() && tmpl[q] >= '0' && tmpl[q] <= '9'; ++q)
      group = std::min(group * 10 + (tmpl[q] - '0'), TRegex::NSUBEXP);
  } else if (braced && q < tmpl.size() && tmpl[q] == '}') {
    group = 0;
  }
  if (group < 0) return -1;
  if (braced) {
    if (q >= tmpl.size() || tmpl[q] != '}') return -1;
    ++q;
  }
  p = q;
  return group;
}

}  // namespace

std::string TRegex::Substitute(std::string_view tmpl) {
  PrepareProgram();
  if (!has_input_) Error(1005);
  std::string result;
  if (tmpl.empty()) return result;
  result.reserve(tmpl.size());
  for (size_t p = 0; p < tmpl.size();) {
    const char c = tmpl[p++];
    if (c == '$') {
      const int group = ReadTemplateGroup(tmpl, p);
      if (group < 0) {
        result.push_back('$');
      } else if (group < NSUBEXP && MatchPos(group) > 0) {
        result.append(input_, start_[group], end_[group] - start_[group]);
      }
    } else if (c == '\\' && p < tmpl.size()) {
      result.push_back(tmpl[p++]);
    } else {
      result.push_back(c);
    }
  }
  return result;
}

template <class Emit>
std::string TRegex::ReplaceMatches(std::string_view input, Emit emit) {
  // Exec overwrites the stored input, which `input` may view.
  if (ViewsStoredInput(input)) return ReplaceMatches(std::string(input), emit);
  input = UpToFirstZero(input);
  // Most inputs hold no match: they are returned as they are, copied once.
  if (!Exec(input)) return std::string(input);
  // The callback may run Exec on this object; work on our own copy of the input.
  const std::string source(input);
  std::string result;
  size_t last = 0;
  do {
    const size_t at = static_cast<size_t>(MatchPos(0) - 1);
    result.append(source, last, at - last);
    emit(result);
    last = at + static_cast<size_t>(MatchLen(0));
  } while (ExecNext());
  result.append(source, last, std::string::npos);
  return result;
}

void TRegex::Split(std::string_view input, TStrings& pieces) {
  if (ViewsStoredInput(input)) return Split(std::string(input), pieces);
  input = UpToFirstZero(input);
  if (!Exec(input)) {
    pieces.Add(std::string(input));
    return;
  }
  const std::string source(input);
  size_t last = 0;
  do {
    const size_t at = static_cast<size_t>(MatchPos(0) - 1);
    pieces.Add(source.substr(last, at - last));
    last = at + static_cast<size_t>(MatchLen(0));
  } while (ExecNext());
  pieces.Add(source.substr(last));
}

bool TRegex::ViewsStoredInput(std::string_view input) const {
  const std::less_equal<const char*> before;
  return before(input_.data(), input.data()) && before(input.data(), input_.data() + input_.size());
}

std::string TRegex::Replace(std::string_view input, std::string_view with, bool useSubstitution) {
  const std::string replacement(with);
  return ReplaceMatches(input, [&](std::string& out) {
    if (useSubstitution)
      out += Substitute(replacement);
    else
      out += replacement;
  });
}

std::string TRegex::ReplaceWithFunction(std::string_view input, const TRegexReplaceCallback& callback) {
  return ReplaceMatches(input, [&](std::string& out) { out += callback(*this); });
}
