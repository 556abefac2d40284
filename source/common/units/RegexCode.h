// The compiled form of a TRegex expression (the p-code) and the interface between the
// compiler, the matcher and TRegex. A program is byte 216 followed by nodes; a node is an
// opcode byte, a 4-byte little-endian signed offset to the next node counted from the node's
// first byte (0 = none), then its operand.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace regex_code {

enum Op : uint8_t {
  END = 0,             // end of the program: success
  BOL = 1,             // start of input
  EOL = 2,             // end of input
  ANY = 3,             // any character
  BRANCH = 6,          // one alternative (operand: a node chain); consecutive BRANCHes form a choice
  BACK = 7,            // nothing; its next offset points backwards to the loop head
  EXACTLY = 8,         // int32 length, then the literal (it may hold 0)
  NOTHING = 9,         // the empty string
  STAR = 10,           // one simple node, 0 or more times, greedy
  PLUS = 11,           // one simple node, 1 or more times, greedy
  ANYDIGIT = 12,       // '0'..'9'
  NOTDIGIT = 13,       // anything but a digit
  BRACES = 18,         // int32 min, int32 max, one simple node: min..max times, greedy
  COMMENT = 19,        // nothing (comments and inline modifiers)
  EXACTLYCI = 20,      // as EXACTLY, ignoring case
  LOOPENTRY = 23,      // opens a counted loop; its next node is the LOOP node
  LOOP = 24,           // int32 min, int32 max, int32 offset back to the body: end of a counted loop
  ANYOFTINYSET = 25,   // 3 characters: one of them
  ANYBUTTINYSET = 26,  // 3 characters: none of them
  ANYOFFULLSET = 27,   // 32-byte bit set
  BSUBEXP = 28,        // 1-byte group number: the text last matched by the group
  BSUBEXPCI = 29,      // the same, ignoring case
  STARNG = 30,         // as STAR, non-greedy
  PLUSNG = 31,         // as PLUS, non-greedy
  BRACESNG = 32,       // as BRACES, non-greedy
  LOOPNG = 33,         // as LOOP, non-greedy
  BOLML = 34,          // start of a line
  EOLML = 35,          // end of a line
  ANYML = 36,          // any character but a line separator
  BOUND = 37,          // a word boundary
  NOTBOUND = 38,       // no word boundary
  OPEN = 39,           // OPEN + n (n = 1..14): records the start of group n
  CLOSE = 54,          // CLOSE + n: records the end of group n
};

constexpr uint8_t kMagic = 216;
constexpr int kNodeHeader = 5;     // opcode + next offset
constexpr int kBracesOperand = 8;  // min + max
constexpr int kLoopOperand = 12;   // min + max + back offset
constexpr int kLiteralHeader = 4;  // the length in front of a literal's characters
constexpr int kGroupCount = 15;
constexpr int32_t kInfinite = 2147483647;      // STAR and PLUS
constexpr int32_t kLoopInfinite = 2147483646;  // {n,} and counted loops
constexpr int kMaxLoopLevels = 10;

static_assert(CLOSE + kGroupCount - 1 == 68, "the highest opcode is CLOSE 14");

inline int32_t ReadInt(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);  // the p-code is little-endian, as is every target we build for
  return v;
}
inline void WriteInt(uint8_t* p, int32_t v) {
  std::memcpy(p, &v, 4);
}

inline bool InSet(const uint8_t* bits, uint8_t c) {
  return (bits[c >> 3] >> (c & 7)) & 1;
}

/// Length of the literal of the EXACTLY or EXACTLYCI node at `node`. Literals carry their
/// length because an escape may put a 0 into one.
inline int32_t LiteralLength(const uint8_t* code, int32_t node) {
  return ReadInt(code + node + kNodeHeader);
}
inline const uint8_t* LiteralText(const uint8_t* code, int32_t node) {
  return code + node + kNodeHeader + kLiteralHeader;
}

/// Bytes taken by the node at `node`: its header and its operand (for the repetitions, the
/// counts only: their operand is a node of its own).
inline int32_t NodeSize(const uint8_t* code, int32_t node) {
  switch (code[node]) {
    case EXACTLY:
    case EXACTLYCI:
      return kNodeHeader + kLiteralHeader + LiteralLength(code, node);
    case BRACES:
    case BRACESNG:
      return kNodeHeader + kBracesOperand;
    case LOOP:
    case LOOPNG:
      return kNodeHeader + kLoopOperand;
    case ANYOFTINYSET:
    case ANYBUTTINYSET:
      return kNodeHeader + 3;
    case ANYOFFULLSET:
      return kNodeHeader + 32;
    case BSUBEXP:
    case BSUBEXPCI:
      return kNodeHeader + 1;
    default:
      return kNodeHeader;
  }
}

}  // namespace regex_code

/// A 256-bit character set.
struct RegexCharSet {
  std::array<uint8_t, 32> bits{};
  bool Has(uint8_t c) const { return (bits[c >> 3] >> (c & 7)) & 1; }
  void Add(uint8_t c) { bits[c >> 3] |= static_cast<uint8_t>(1u << (c & 7)); }
  void AddAll() { bits.fill(0xFF); }
  int Count() const;
};

/// A compiled expression with the optimisation data the search driver uses.
struct RegexCode {
  std::string expression;               ///< the expression compiled
  std::vector<uint8_t> code;            ///< magic byte, then nodes
  uint32_t modifiers = 0;               ///< the Modifiers value the program was compiled with
  RegexCharSet first_chars;             ///< characters at which a match can begin
  std::array<bool, 256> first_table{};  ///< first_chars as a lookup table
  int first_single = -1;                ///< the only member of first_chars, -1 when there are more or none
  int first_count = 0;                  ///< members of first_chars
  uint8_t start_char = 0;               ///< literal first character of every match, 0 = none
  bool anchored = false;                ///< the program begins with a start-of-input BOL
  int32_t must_offset = -1;             ///< offset of a literal every match contains, -1 = none
  int32_t must_length = 0;
  /// The literal every match begins with (the first node of a program with one alternative),
  /// -1 = none; candidates are found and checked with it before the matcher runs.
  int32_t prefix_node = -1;
  /// A program of one alternative that begins with an optional one-character node and then a
  /// repetition of one character without upper bound: an attempt that fails after the
  /// repetition ran to position q lets the search go on from q (every start in between
  /// reaches q in the same state). -1 = none.
  int32_t lead_single = -1;
  int32_t lead_repeat = -1;
  /// Per node (by offset), set for a greedy repetition of one character that never has to
  /// give back: what follows it cannot begin with a character it takes. Empty when none.
  std::vector<uint8_t> possessive;
  /// Per BRANCH node (by offset): index into alternative_chars of the characters at which its
  /// alternative can begin, so that the matcher passes over alternatives that cannot match
  /// here without making a choice point. -1 (or empty) when any character can.
  std::vector<int32_t> alternative_index;
  std::vector<RegexCharSet> alternative_chars;
  /// For each BACK node (by offset): where the loop continues when an iteration matched
  /// nothing, and the slot that remembers where the iteration began. -1 elsewhere.
  std::vector<int32_t> back_exit;
  std::vector<int32_t> back_slot;
  int back_slot_count = 0;
};

/// A compile or run-time failure inside the engine; TRegex turns it into ERegex.
struct RegexFailure {
  int code;
  int position;  ///< parse position for compile errors, 0 otherwise
};

/// What the compiler needs besides the expression.
struct RegexSyntax {
  uint32_t modifiers = 0;
  std::string_view space_chars;
  std::string_view word_chars;
  std::string_view line_separators;
  bool paired_assigned = false;
  uint8_t paired_head = 0;
  const std::array<uint8_t, 256>* invert_case = nullptr;
  /// Off: no optimisation data (every position is tried, repetitions always give back), so
  /// that tests can check that the data never changes a result.
  bool optimise = true;
};

/// Compiles `expression` (up to its first 0 byte); throws RegexFailure.
RegexCode CompileRegex(std::string_view expression, const RegexSyntax& syntax);

/// One record of the matcher's backtracking stack: a choice point or the undo of a change.
struct RegexBacktrackEntry {
  uint8_t kind;
  int32_t a, b, c, d;
};
static_assert(sizeof(RegexBacktrackEntry) == 20, "backtracking entries stay small");

/// The backtracking stack: fixed-size blocks kept for reuse, so that growing never copies what
/// is already there and a deep match has no reallocation peaks.
class RegexBacktrackStack {
 public:
  bool empty() const { return size_ == 0; }
  size_t size() const { return size_; }
  void clear() { size_ = 0; }
  void push(const RegexBacktrackEntry& e) {
    const size_t block = size_ / kBlock;
    if (block == blocks_.size())
      blocks_.push_back(std::make_unique_for_overwrite<RegexBacktrackEntry[]>(kBlock));
    blocks_[block][size_ % kBlock] = e;
    ++size_;
  }
  RegexBacktrackEntry pop() {
    --size_;
    return blocks_[size_ / kBlock][size_ % kBlock];
  }

 private:
  static constexpr size_t kBlock = 4096;
  std::vector<std::unique_ptr<RegexBacktrackEntry[]>> blocks_;
  size_t size_ = 0;
};

/// What the matcher needs besides the program and the input, and the scratch memory it keeps
/// from one search to the next.
struct RegexMatchContext {
  RegexBacktrackStack stack;
  std::vector<int32_t> slots;
  RegexCharSet line_separators;
  RegexCharSet word_chars;
  bool paired_assigned = false;
  uint8_t paired_head = 0;
  uint8_t paired_tail = 0;
  const std::array<uint8_t, 256>* invert_case = nullptr;
  /// Matcher steps one search may take, besides kRegexStepsPerCharacter for every character
  /// it searches; beyond them it fails with kRegexStepLimitError.
  int64_t step_limit = 0;
};

/// Searches `input` (terminated by a 0 at input[length]) from `from` (0-based) for a match
/// of `program`. On success fills start/end (offsets, -1 = unset) of the 15 groups.
/// Throws RegexFailure for run-time errors.
bool SearchRegex(const RegexCode& program, RegexMatchContext& context, const uint8_t* input, int32_t length,
                 int32_t from, int32_t* start, int32_t* end);

/// Upper bound on backtracking entries held at once; beyond it a match fails with 1016.
constexpr size_t kRegexMaxBacktrackEntries = size_t{1} << 23;
/// The run-time error of a search that used up its steps.
constexpr int kRegexStepLimitError = 1018;
/// Steps a search may take for every character it searches, on top of the limit: a long
/// input that merely holds many failing start positions never runs out, while the work of
/// one search stays bounded.
constexpr int64_t kRegexStepsPerCharacter = 64;

/// Applies a modifier string ("i-s") to `modifiers`; false when it holds another character.
bool RegexParseModifiers(std::string_view text, uint32_t& modifiers);
