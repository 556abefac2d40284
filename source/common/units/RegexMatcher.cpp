// The TRegex matcher: a backtracking interpreter of the p-code. Choice points and the undo
// records of every state change (groups, loop counters, loop level) live on one heap stack,
// so no input can overflow the native stack, and backtracking to a choice point restores
// exactly the state it was taken in.
#include <string.h>  // memmem

#include <algorithm>
#include <cstring>
#include <string_view>

#include "common/units/RegexCode.h"

using namespace regex_code;

namespace {

enum class Kind : uint8_t {
  // Choice points: they resume matching.
  Alternative,      // a = BRANCH node of the next alternative, b = position
  RepeatGreedy,     // a = repeat node, b = start, c = count now tried, d = step per repetition
  RepeatNonGreedy,  // the same, trying more repetitions
  LoopExit,         // a = LOOP node, b = position: leave the greedy loop
  LoopMore,         // a = LOOPNG node, b = position: one more iteration of the non-greedy loop
  // Undo records: they restore one value and backtracking goes on.
  GroupStart,  // a = group, b = old value
  GroupEnd,
  Level,      // a = old level
  Counter,    // a = level, b = old counter
  IterStart,  // a = level, b = old start of the iteration
  Slot,       // a = slot, b = old position
};

using Entry = RegexBacktrackEntry;

bool IsDigitChar(uint8_t c) {
  return c >= '0' && c <= '9';
}

class Matcher {
 public:
  Matcher(const RegexCode& program, RegexMatchContext& context, const uint8_t* input, int32_t length,
          int32_t* start, int32_t* end, int64_t steps)
      : code_(program.code.data()),
        program_(program),
        ctx_(context),
        in_(input),
        len_(length),
        start_(start),
        end_(end),
        slots_(context.slots),
        stack_(context.stack),
        steps_left_(steps) {
    slots_.assign(program.back_slot_count, -1);
  }

  /// One attempt at `pos`; on success group 0 is set.
  bool Attempt(int32_t pos) {
    level_ = 0;
    int32_t matchEnd = 0;
    if (!Run(1, pos, matchEnd)) {
      // Changes made while no choice point existed were not recorded: undo them wholesale.
      std::fill(start_, start_ + kGroupCount, -1);
      std::fill(end_, end_ + kGroupCount, -1);
      std::fill(slots_.begin(), slots_.end(), -1);
      return false;
    }
    start_[0] = pos;
    end_[0] = matchEnd;
    return true;
  }

  /// Where the search goes on after a failed attempt at `p`: past the starts that would fail
  /// the same way (see RegexCode::lead_repeat), else at p + 1.
  int32_t NextStart(int32_t p) const {
    if (program_.lead_repeat < 0) return p + 1;
    int32_t from = p;
    if (program_.lead_single >= 0) {
      if (p >= len_ || !MatchOne(program_.lead_single, p)) return p + 1;
      from = p + 1;
    }
    const uint8_t op = code_[program_.lead_repeat];
    const int32_t operand =
        program_.lead_repeat + kNodeHeader + (op == BRACES || op == BRACESNG ? kBracesOperand : 0);
    int32_t step = 1;
    const int32_t q = from + CountRepeats(operand, from, 0, kInfinite, step);
    // Without a leading character the start at q reaches the same point as well.
    return program_.lead_single >= 0 ? std::max(q, p + 1) : q + 1;
  }

 private:
  uint8_t Invert(uint8_t c) const { return (*ctx_.invert_case)[c]; }

  int32_t Next(int32_t node) const {
    const int32_t off = ReadInt(code_ + node + 1);
    if (off == 0) throw RegexFailure{1002, 0};
    return node + off;
  }

  static bool IsChoice(Kind kind) { return kind < Kind::GroupStart; }

  /// Records a choice point, or the undo of a change. A change needs no undo while no choice
  /// point could take the match back behind it: a failed attempt resets the state anyway.
  void Push(Kind kind, int32_t a, int32_t b = 0, int32_t c = 0, int32_t d = 0) {
    if (IsChoice(kind))
      ++choices_;
    else if (choices_ == 0)
      return;
    if (stack_.size() >= kRegexMaxBacktrackEntries) throw RegexFailure{1016, 0};
    stack_.push(Entry{static_cast<uint8_t>(kind), a, b, c, d});
  }

  void SetLevel(int level) {
    Push(Kind::Level, level_);
    level_ = level;
  }
  void SetCounter(int32_t value) {
    Push(Kind::Counter, level_, counter_[level_]);
    counter_[level_] = value;
  }
  void SetIterStart(int32_t pos) {
    Push(Kind::IterStart, level_, iter_start_[level_]);
    iter_start_[level_] = pos;
  }

  // --- Single-character tests used by the repetitions ---------------------------------

  /// Whether the simple node `op` matches the character at `p` (p < len_).
  bool MatchOne(int32_t op, int32_t p) const {
    const uint8_t c = in_[p];
    const uint8_t* operand = code_ + op + kNodeHeader;
    switch (code_[op]) {
      case ANY:
        return true;
      case EXACTLY:
        return c == LiteralText(code_, op)[0];
      case EXACTLYCI:
        return c == LiteralText(code_, op)[0] || c == Invert(LiteralText(code_, op)[0]);
      case ANYDIGIT:
        return IsDigitChar(c);
      case NOTDIGIT:
        return !IsDigitChar(c);
      case ANYOFTINYSET:
        return c == operand[0] || c == operand[1] || c == operand[2];
      case ANYBUTTINYSET:
        return c != operand[0] && c != operand[1] && c != operand[2];
      case ANYOFFULLSET:
        return InSet(operand, c);
      case ANYML:  // only ever the character before a leading repetition
        return !PairAt(p) && !ctx_.line_separators.Has(c);
      default:
        throw RegexFailure{1000, 0};
    }
  }

  bool EqualsIgnoringCase(const uint8_t* lit, const uint8_t* q, int32_t n) const {
    for (int32_t i = 0; i < n; ++i)
      if (q[i] != lit[i] && q[i] != Invert(lit[i])) return false;
    return true;
  }

  /// Length of group `g`'s text, or -1 when the group is unset.
  int32_t GroupLength(int g) const {
    const int32_t s = start_[g], e = end_[g];
    if (s < 0 || e < s) return -1;
    return e - s;
  }

  /// Whether group `g`'s text (of length `n`) occurs at `p`.
  bool MatchGroupAt(int g, int32_t n, int32_t p, bool ci) const {
    if (n > len_ - p) return false;
    const uint8_t* s = in_ + start_[g];
    const uint8_t* q = in_ + p;
    if (!ci) return std::memcmp(s, q, n) == 0;
    return EqualsIgnoringCase(s, q, n);
  }

  /// How often the simple node `op` matches from `p`, at most `max` times. `step` gets the
  /// characters one repetition takes. A back-reference to an empty group repeats `min`
  /// times without taking input instead of spinning to the maximum.
  int32_t CountRepeats(int32_t op, int32_t p, int32_t min, int32_t max, int32_t& step) const {
    step = 1;
    const uint8_t code = code_[op];
    if (code == BSUBEXP || code == BSUBEXPCI) {
      const int g = code_[op + kNodeHeader];
      const int32_t n = GroupLength(g);
      if (n < 0) {
        step = 0;
        return 0;
      }
      if (n == 0) {
        step = 0;
        return std::min(min, max);
      }
      step = n;
      int32_t count = 0;
      for (int32_t q = p; count < max && MatchGroupAt(g, n, q, code == BSUBEXPCI); q += n) ++count;
      return count;
    }
    const int32_t limit = std::min(max, len_ - p);
    const uint8_t* operand = code_ + op + kNodeHeader;
    const uint8_t* s = in_ + p;
    int32_t i = 0;
    switch (code) {
      case ANY:
        return limit;
      case EXACTLY: {
        const uint8_t c = LiteralText(code_, op)[0];
        while (i < limit && s[i] == c) ++i;
        return i;
      }
      case ANYBUTTINYSET:
        while (i < limit && s[i] != operand[0] && s[i] != operand[1] && s[i] != operand[2]) ++i;
        return i;
      case ANYOFFULLSET:
        while (i < limit && InSet(operand, s[i])) ++i;
        return i;
      default:
        while (i < limit && MatchOne(op, p + i)) ++i;
        return i;
    }
  }

  /// Whether one more repetition of `op` matches at `p` (for non-greedy repetitions).
  bool RepeatOnceMore(int32_t op, int32_t p, int32_t step) const {
    const uint8_t code = code_[op];
    if (code == BSUBEXP || code == BSUBEXPCI)
      return step > 0 && MatchGroupAt(code_[op + kNodeHeader], step, p, code == BSUBEXPCI);
    return p < len_ && MatchOne(op, p);
  }

  struct RepeatInfo {
    int32_t min, max, operand, next;
    int lookAhead;  // the first character of a following EXACTLY, -1 when none
  };

  RepeatInfo ReadRepeat(int32_t node) const {
    RepeatInfo r{};
    switch (code_[node]) {
      case STAR:
      case STARNG:
        r = {0, kInfinite, node + kNodeHeader, 0, -1};
        break;
      case PLUS:
      case PLUSNG:
        r = {1, kInfinite, node + kNodeHeader, 0, -1};
        break;
      default:
        r = {ReadInt(code_ + node + kNodeHeader), ReadInt(code_ + node + kNodeHeader + 4),
             node + kNodeHeader + kBracesOperand, 0, -1};
        break;
    }
    r.next = Next(node);
    if (code_[r.next] == EXACTLY) r.lookAhead = LiteralText(code_, r.next)[0];
    return r;
  }

  bool LookAheadFits(const RepeatInfo& r, int32_t p) const {
    return r.lookAhead < 0 || in_[p] == r.lookAhead;
  }

  /// Greedy: the largest count from `count` down to the minimum at which the look-ahead
  /// fits; resumes there. False when there is none.
  bool ResumeGreedy(int32_t node, int32_t start, int32_t count, int32_t step, int32_t& n, int32_t& p) {
    const RepeatInfo r = ReadRepeat(node);
    for (; count >= r.min; --count) {
      const int32_t at = start + count * step;
      if (!LookAheadFits(r, at)) continue;
      if (count > r.min) Push(Kind::RepeatGreedy, node, start, count, step);
      n = r.next;
      p = at;
      return true;
    }
    return false;
  }

  /// Non-greedy: the smallest count from `count` up at which the look-ahead fits.
  bool ResumeNonGreedy(int32_t node, int32_t start, int32_t count, int32_t step, int32_t& n, int32_t& p) {
    const RepeatInfo r = ReadRepeat(node);
    for (;;) {
      const int32_t at = start + count * step;
      if (LookAheadFits(r, at)) {
        if (count < r.max && step > 0) Push(Kind::RepeatNonGreedy, node, start, count, step);
        n = r.next;
        p = at;
        return true;
      }
      if (count >= r.max || !RepeatOnceMore(r.operand, at, step)) return false;
      ++count;
    }
  }

  bool BeginRepeat(int32_t node, int32_t& n, int32_t& p) {
    const RepeatInfo r = ReadRepeat(node);
    const bool greedy = code_[node] == STAR || code_[node] == PLUS || code_[node] == BRACES;
    int32_t step = 1;
    if (greedy) {
      const int32_t count = CountRepeats(r.operand, p, r.min, r.max, step);
      if (count < r.min) return false;
      if (!program_.possessive.empty() && program_.possessive[node]) {
        // What follows cannot begin with a character the repetition took: giving any back
        // could not help.
        const int32_t at = p + count * step;
        if (!LookAheadFits(r, at)) return false;
        n = r.next;
        p = at;
        return true;
      }
      return ResumeGreedy(node, p, count, step, n, p);
    }
    const int32_t count = CountRepeats(r.operand, p, r.min, r.min, step);
    if (count < r.min) return false;
    return ResumeNonGreedy(node, p, count, step, n, p);
  }

  // --- Line and word tests ------------------------------------------------------------

  bool PairAt(int32_t p) const {
    return ctx_.paired_assigned && p + 1 <= len_ && in_[p] == ctx_.paired_head &&
           in_[p + 1] == ctx_.paired_tail;
  }
  bool BetweenPair(int32_t p) const { return p > 0 && PairAt(p - 1); }

  bool AtLineStart(int32_t p) const {
    if (p == 0) return true;
    if (p >= 2 && PairAt(p - 2)) return true;
    if (BetweenPair(p)) return false;
    return ctx_.line_separators.Has(in_[p - 1]);
  }

  bool AtLineEnd(int32_t p) const {
    if (p == len_) return true;
    if (PairAt(p)) return true;
    if (BetweenPair(p)) return false;
    return ctx_.line_separators.Has(in_[p]);
  }

  bool AtWordBoundary(int32_t p) const {
    const bool before = p > 0 && ctx_.word_chars.Has(in_[p - 1]);
    const bool after = p < len_ && ctx_.word_chars.Has(in_[p]);
    return before != after;
  }

  // --- The interpreter ----------------------------------------------------------------

  /// Runs the program from node `n` at position `p`; true when END is reached.
  bool Run(int32_t n, int32_t p, int32_t& matchEnd) {
    stack_.clear();
    choices_ = 0;
    int64_t stepsLeft = steps_left_;
    for (;;) {
      if (--stepsLeft < 0) throw RegexFailure{kRegexStepLimitError, 0};
      if (Step(n, p)) {
        if (code_[n] == END) {
          matchEnd = p;
          steps_left_ = stepsLeft;
          return true;
        }
        continue;
      }
      if (!Backtrack(n, p)) {
        steps_left_ = stepsLeft;
        return false;
      }
    }
  }

  /// Executes the node at `n`; on success moves `n` and `p` on (or leaves n at END).
  [[gnu::always_inline]] bool Step(int32_t& n, int32_t& p) {
    const uint8_t op = code_[n];
    const uint8_t* operand = code_ + n + kNodeHeader;
    switch (op) {
      case END:
        return true;
      case BOL:
        if (p != 0) return false;
        break;
      case EOL:
        if (p != len_) return false;
        break;
      case ANY:
        if (p >= len_) return false;
        ++p;
        break;
      case ANYDIGIT:
        if (p >= len_ || !IsDigitChar(in_[p])) return false;
        ++p;
        break;
      case NOTDIGIT:
        if (p >= len_ || IsDigitChar(in_[p])) return false;
        ++p;
        break;
      case EXACTLY: {
        const uint8_t* lit = LiteralText(code_, n);
        const int32_t nLit = LiteralLength(code_, n);
        if (p >= len_ || in_[p] != lit[0]) return false;
        if (nLit > len_ - p || std::memcmp(lit, in_ + p, nLit) != 0) return false;
        p += nLit;
        break;
      }
      case EXACTLYCI: {
        const int32_t nLit = LiteralLength(code_, n);
        if (nLit > len_ - p || !EqualsIgnoringCase(LiteralText(code_, n), in_ + p, nLit)) return false;
        p += nLit;
        break;
      }
      case ANYOFTINYSET:
      case ANYBUTTINYSET:
      case ANYOFFULLSET:
        if (p >= len_ || !MatchOne(n, p)) return false;
        ++p;
        break;
      case ANYML:
        if (p >= len_ || PairAt(p) || ctx_.line_separators.Has(in_[p])) return false;
        ++p;
        break;
      case BOLML:
        if (!AtLineStart(p)) return false;
        break;
      case EOLML:
        if (!AtLineEnd(p)) return false;
        break;
      case BOUND:
        if (!AtWordBoundary(p)) return false;
        break;
      case NOTBOUND:
        if (AtWordBoundary(p)) return false;
        break;
      case BSUBEXP:
      case BSUBEXPCI: {
        const int g = operand[0];
        const int32_t len = GroupLength(g);
        if (len < 0 || !MatchGroupAt(g, len, p, op == BSUBEXPCI)) return false;
        p += len;
        break;
      }
      case NOTHING:
      case COMMENT:
        break;
      case BACK: {
        // An iteration that matched nothing ends the loop instead of repeating forever.
        const int32_t slot = program_.back_slot.empty() ? -1 : program_.back_slot[n];
        if (slot >= 0) {
          if (slots_[slot] == p) {
            n = program_.back_exit[n];
            return true;
          }
          Push(Kind::Slot, slot, slots_[slot]);
          slots_[slot] = p;
        }
        break;
      }
      case BRANCH:
        return EnterAlternative(n, p);
      case STAR:
      case STARNG:
      case PLUS:
      case PLUSNG:
      case BRACES:
      case BRACESNG:
        return BeginRepeat(n, n, p);
      case LOOPENTRY:
        SetLevel(level_ + 1);
        if (level_ > kMaxLoopLevels) throw RegexFailure{1014, 0};
        SetCounter(0);
        SetIterStart(-1);
        break;
      case LOOP:
      case LOOPNG:
        return StepLoop(n, p);
      default:
        if (op > OPEN && op < OPEN + kGroupCount) {
          const int g = op - OPEN;
          Push(Kind::GroupStart, g, start_[g]);
          start_[g] = p;
          break;
        }
        if (op > CLOSE && op < CLOSE + kGroupCount) {
          const int g = op - CLOSE;
          Push(Kind::GroupEnd, g, end_[g]);
          end_[g] = p;
          break;
        }
        throw RegexFailure{1001, 0};
    }
    n = Next(n);
    return true;
  }

  /// Whether the alternative of the BRANCH node `branch` can begin at `p`.
  bool AlternativeFits(int32_t branch, int32_t p) const {
    if (program_.alternative_index.empty()) return true;
    const int32_t index = program_.alternative_index[branch];
    return index < 0 || program_.alternative_chars[index].Has(p < len_ ? in_[p] : 0);
  }

  /// The first alternative from the BRANCH node `b` on that can begin at `p`, -1 when none.
  int32_t FittingAlternative(int32_t b, int32_t p) const {
    for (;;) {
      if (AlternativeFits(b, p)) return b;
      const int32_t next = Next(b);
      if (code_[next] != BRANCH) return -1;
      b = next;
    }
  }

  /// Enters the first alternative from the BRANCH node `n` on that can begin at `p`, leaving
  /// a choice point when a later one could begin there too; false when none can.
  bool EnterAlternative(int32_t& n, int32_t p) {
    const int32_t b = FittingAlternative(n, p);
    if (b < 0) return false;
    const int32_t next = Next(b);
    if (code_[next] == BRANCH) {
      const int32_t later = FittingAlternative(next, p);
      if (later >= 0) Push(Kind::Alternative, later, p);
    }
    n = b + kNodeHeader;
    return true;
  }

  int32_t LoopBody(int32_t n) const { return n + ReadInt(code_ + n + kNodeHeader + 8); }

  void EnterIteration(int32_t& n, int32_t p) {
    SetCounter(counter_[level_] + 1);
    SetIterStart(p);
    n = LoopBody(n);
  }

  /// Leaves the loop: what follows runs at the enclosing loop's level.
  void LeaveLoop(int32_t& n) {
    SetLevel(level_ - 1);
    n = Next(n);
  }

  bool StepLoop(int32_t& n, int32_t& p) {
    if (level_ == 0) throw RegexFailure{1015, 0};
    const int32_t min = ReadInt(code_ + n + kNodeHeader);
    const int32_t max = ReadInt(code_ + n + kNodeHeader + 4);
    const int32_t count = counter_[level_];
    if (count < min) {
      EnterIteration(n, p);
      return true;
    }
    if (iter_start_[level_] == p) {  // the last iteration matched nothing: stop repeating
      LeaveLoop(n);
      return true;
    }
    if (code_[n] == LOOP) {
      if (count < max) {
        Push(Kind::LoopExit, n, p);
        EnterIteration(n, p);
      } else {
        LeaveLoop(n);
      }
      return true;
    }
    Push(Kind::LoopMore, n, p);
    LeaveLoop(n);
    return true;
  }

  /// Pops the stack to the latest choice point and resumes it; false when none is left.
  bool Backtrack(int32_t& n, int32_t& p) {
    while (!stack_.empty()) {
      const Entry e = stack_.pop();
      if (IsChoice(static_cast<Kind>(e.kind))) --choices_;
      switch (static_cast<Kind>(e.kind)) {
        case Kind::GroupStart:
          start_[e.a] = e.b;
          break;
        case Kind::GroupEnd:
          end_[e.a] = e.b;
          break;
        case Kind::Level:
          level_ = e.a;
          break;
        case Kind::Counter:
          counter_[e.a] = e.b;
          break;
        case Kind::IterStart:
          iter_start_[e.a] = e.b;
          break;
        case Kind::Slot:
          slots_[e.a] = e.b;
          break;
        case Kind::Alternative:
          p = e.b;
          n = e.a;
          if (EnterAlternative(n, p)) return true;
          break;
        case Kind::RepeatGreedy:
          if (ResumeGreedy(e.a, e.b, e.c - 1, e.d, n, p)) return true;
          break;
        case Kind::RepeatNonGreedy: {
          const RepeatInfo r = ReadRepeat(e.a);
          const int32_t at = e.b + e.c * e.d;
          if (e.c < r.max && RepeatOnceMore(r.operand, at, e.d) &&
              ResumeNonGreedy(e.a, e.b, e.c + 1, e.d, n, p))
            return true;
          break;
        }
        case Kind::LoopExit:
          n = e.a;
          p = e.b;
          LeaveLoop(n);
          return true;
        case Kind::LoopMore: {
          const int32_t max = ReadInt(code_ + e.a + kNodeHeader + 4);
          if (counter_[level_] < max) {
            n = e.a;
            p = e.b;
            EnterIteration(n, p);
            return true;
          }
          break;
        }
      }
    }
    return false;
  }

  const uint8_t* code_;
  const RegexCode& program_;
  const RegexMatchContext& ctx_;
  const uint8_t* in_;
  int32_t len_;
  int32_t* start_;
  int32_t* end_;
  int level_ = 0;
  int64_t choices_ = 0;  // choice points on the stack
  int32_t counter_[kMaxLoopLevels + 2] = {};
  int32_t iter_start_[kMaxLoopLevels + 2] = {};
  std::vector<int32_t>& slots_;
  RegexBacktrackStack& stack_;
  int64_t steps_left_;  // for the whole search, across attempts
};

/// Position of the first character at or after `from` (up to and including the terminating
/// 0 at `length`) that can begin a match; -1 when there is none.
int32_t FindCandidate(const RegexCode& program, const uint8_t* input, int32_t length, int32_t from) {
  const uint8_t* code = program.code.data();
  if (program.prefix_node >= 0 && code[program.prefix_node] == EXACTLY &&
      LiteralLength(code, program.prefix_node) > 1) {
    const void* hit = memmem(input + from, length - from, LiteralText(code, program.prefix_node),
                             LiteralLength(code, program.prefix_node));
    return hit ? static_cast<int32_t>(static_cast<const uint8_t*>(hit) - input) : -1;
  }
  const int single = program.first_single;
  if (single >= 0) {
    if (from >= length) return (from == length && single == 0) ? length : -1;
    const void* hit = std::memchr(input + from, single, length - from);
    if (hit) return static_cast<int32_t>(static_cast<const uint8_t*>(hit) - input);
    return single == 0 ? length : -1;
  }
  const bool* table = program.first_table.data();
  for (int32_t p = from; p < length; ++p)
    if (table[input[p]]) return p;
  return (from <= length && table[0]) ? length : -1;
}

/// Whether a literal that every match begins with, ignoring case, is at `p`. The check
/// spares the matcher's set-up at the many candidates that share only the first character.
bool PrefixFits(const RegexCode& program, const RegexMatchContext& context, const uint8_t* input,
                int32_t length, int32_t p) {
  const uint8_t* code = program.code.data();
  if (program.prefix_node < 0 || code[program.prefix_node] != EXACTLYCI) return true;
  const int32_t n = LiteralLength(code, program.prefix_node);
  if (n > length - p) return false;
  const uint8_t* lit = LiteralText(code, program.prefix_node);
  const std::array<uint8_t, 256>& invert = *context.invert_case;
  for (int32_t i = 0; i < n; ++i)
    if (input[p + i] != lit[i] && input[p + i] != invert[lit[i]]) return false;
  return true;
}

}  // namespace

bool SearchRegex(const RegexCode& program, RegexMatchContext& context, const uint8_t* input, int32_t length,
                 int32_t from, int32_t* start, int32_t* end) {
  std::fill(start, start + kGroupCount, -1);
  std::fill(end, end + kGroupCount, -1);
  if (program.must_offset >= 0 &&
      !memmem(input + from, length - from, &program.code[program.must_offset], program.must_length))
    return false;
  const int64_t steps = context.step_limit + kRegexStepsPerCharacter * (length - from);
  Matcher matcher(program, context, input, length, start, end, steps);
  if (program.anchored) return matcher.Attempt(from);
  if (program.first_count == 0) return false;
  for (int32_t p = from; p <= length;) {
    p = FindCandidate(program, input, length, p);
    if (p < 0) return false;
    if (PrefixFits(program, context, input, length, p) && matcher.Attempt(p)) return true;
    p = matcher.NextStart(p);
  }
  return false;
}
