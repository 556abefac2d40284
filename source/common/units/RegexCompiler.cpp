// The TRegex compiler: a recursive-descent parser run twice over the expression, first to
// size the program and then to emit it, followed by the optimisation data for the search.
#include <algorithm>
#include <cstring>

#include "common/units/RegexCode.h"

using namespace regex_code;

int RegexCharSet::Count() const {
  int n = 0;
  for (uint8_t b : bits) n += __builtin_popcount(b);
  return n;
}

namespace {

// Flags a parse function returns about what it parsed.
constexpr int kHasWidth = 1;  // never matches the empty string
constexpr int kSimple = 2;    // matches exactly one character: may be the operand of STAR/PLUS/BRACES
constexpr int kSpStart = 4;   // starts with a repetition

constexpr const char* kMeta = "^$.[()|?+*\\{";
constexpr uint32_t kModI = 1, kModR = 2, kModS = 4, kModG = 8, kModM = 16, kModX = 32;

bool IsQuantifier(char c) {
  return c == '*' || c == '+' || c == '?' || c == '{';
}
bool IsMeta(char c) {
  return c != 0 && std::strchr(kMeta, c) != nullptr;
}
bool IsExtendedSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseModifierLetters(std::string_view text, uint32_t& modifiers);

class Compiler {
 public:
  Compiler(std::string_view expression, const RegexSyntax& syntax) : syntax_(syntax) {
    const size_t zero = expression.find('\0');
    expr_ = expression.substr(0, zero);
  }

  RegexCode Run() {
    // Pass 1 sizes the program without writing it.
    emit_ = false;
    size_ = 0;
    Parse();
    const size_t size = size_;
    if (size > 0x7FFFFFF0u) throw RegexFailure{1004, 0};

    // Pass 2 emits it.
    emit_ = true;
    code_.clear();
    code_.reserve(size);
    Parse();
    if (code_.size() != size) throw RegexFailure{1004, 0};

    RegexCode program;
    program.expression = std::string(expr_);
    program.code = std::move(code_);
    program.modifiers = syntax_.modifiers;
    ComputeBackLoops(program);
    if (syntax_.optimise)
      ComputeOptimisation(program, top_flags_);
    else
      program.first_chars.AddAll();
    FillFirstTable(program);
    return program;
  }

 private:
  char At(size_t i) const { return i < expr_.size() ? expr_[i] : '\0'; }
  [[noreturn]] void Fail(int code) const { throw RegexFailure{code, static_cast<int>(pos_)}; }
  uint8_t Invert(uint8_t c) const { return (*syntax_.invert_case)[c]; }

  void Parse() {
    pos_ = 0;
    mods_ = syntax_.modifiers;
    groups_ = 1;
    EmitByte(kMagic);
    int flags = 0;
    ParseReg(false, flags);
    top_flags_ = flags;
  }

  // --- Emission -----------------------------------------------------------------------

  int32_t Here() const { return static_cast<int32_t>(emit_ ? code_.size() : size_); }

  void EmitByte(uint8_t b) {
    if (emit_)
      code_.push_back(b);
    else
      ++size_;
  }

  void EmitInt(int32_t v) {
    uint8_t bytes[4];
    WriteInt(bytes, v);
    for (uint8_t b : bytes) EmitByte(b);
  }

  int32_t EmitNode(uint8_t op) {
    const int32_t at = Here();
    EmitByte(op);
    EmitInt(0);
    return at;
  }

  /// Inserts a node with `operand` zero bytes in front of the node at `at`.
  void InsertNode(uint8_t op, int32_t at, int operand) {
    const size_t n = kNodeHeader + operand;
    if (!emit_) {
      size_ += n;
      return;
    }
    code_.insert(code_.begin() + at, n, 0);
    code_[at] = op;
  }

  int32_t Next(int32_t node) const {
    const int32_t off = ReadInt(&code_[node + 1]);
    return off == 0 ? -1 : node + off;
  }

  /// Sets the next offset of the last node of the chain that starts at `p` to `target`.
  void Tail(int32_t p, int32_t target) {
    if (!emit_) return;
    int32_t scan = p;
    for (int32_t n; (n = Next(scan)) >= 0;) scan = n;
    WriteInt(&code_[scan + 1], target - scan);
  }

  /// Tail() on the operand of a BRANCH node; nothing for other nodes.
  void OpTail(int32_t p, int32_t target) {
    if (!emit_ || code_[p] != BRANCH) return;
    Tail(p + kNodeHeader, target);
  }

  // --- Grammar ------------------------------------------------------------------------

  int32_t ParseReg(bool paren, int& flags) {
    const uint32_t savedMods = mods_;
    flags = kHasWidth;
    int32_t ret = -1;
    int group = 0;
    if (paren) {
      if (groups_ >= kGroupCount) Fail(102);
      group = groups_++;
      ret = EmitNode(static_cast<uint8_t>(OPEN + group));
    }
    for (bool first = true;; first = false) {
      if (!first) ++pos_;  // the '|'
      int branchFlags = 0;
      const int32_t br = ParseBranch(branchFlags);
      if (ret < 0)
        ret = br;
      else
        Tail(ret, br);
      if (!(branchFlags & kHasWidth)) flags &= ~kHasWidth;
      flags |= branchFlags & kSpStart;
      if (At(pos_) != '|') break;
    }
    const int32_t ender = EmitNode(paren ? static_cast<uint8_t>(CLOSE + group) : static_cast<uint8_t>(END));
    Tail(ret, ender);
    if (emit_)
      for (int32_t br = ret; br >= 0; br = Next(br)) OpTail(br, ender);
    if (paren) {
      if (At(pos_) != ')') Fail(103);
      ++pos_;
    } else if (pos_ < expr_.size()) {
      Fail(At(pos_) == ')' ? 104 : 105);
    }
    mods_ = savedMods;
    return ret;
  }

  int32_t ParseBranch(int& flags) {
    flags = 0;
    const int32_t ret = EmitNode(BRANCH);
    int32_t chain = -1;
    for (char c; (c = At(pos_)) != '\0' && c != '|' && c != ')';) {
      int pieceFlags = 0;
      const int32_t latest = ParsePiece(pieceFlags);
      flags |= pieceFlags & kHasWidth;
      if (chain < 0)
        flags |= pieceFlags & kSpStart;
      else
        Tail(chain, latest);
      chain = latest;
    }
    if (chain < 0) EmitNode(NOTHING);
    return ret;
  }

  bool TakeNonGreedy() {
    if (At(pos_) == '?') {
      ++pos_;
      return true;
    }
    return !(mods_ & kModG);
  }

  /// A counted loop around the operand at `ret`: LOOPENTRY, operand, LOOP.
  void EmitCountedLoop(int32_t ret, int32_t min, int32_t max, bool nonGreedy) {
    InsertNode(LOOPENTRY, ret, 0);
    const int32_t loop = EmitNode(nonGreedy ? LOOPNG : LOOP);
    EmitInt(min);
    EmitInt(max);
    EmitInt(ret + kNodeHeader - loop);
    Tail(ret, loop);
    Tail(ret + kNodeHeader, loop);
  }

  void InsertBraces(int32_t ret, int32_t min, int32_t max, bool nonGreedy) {
    InsertNode(nonGreedy ? BRACESNG : BRACES, ret, kBracesOperand);
    if (!emit_) return;
    WriteInt(&code_[ret + kNodeHeader], min);
    WriteInt(&code_[ret + kNodeHeader + 4], max);
  }

  /// Reads "{n}", "{n,}" or "{n,m}" at pos_. False (nothing consumed) for any other form.
  bool ParseBraces(int32_t& min, int32_t& max) {
    size_t p = pos_ + 1;
    const size_t d1 = p;
    while (IsDigit(At(p))) ++p;
    const size_t n1 = p - d1;
    if (n1 == 0) return false;
    size_t d2 = 0, n2 = 0;
    bool openEnded = false;
    if (At(p) == ',') {
      ++p;
      d2 = p;
      while (IsDigit(At(p))) ++p;
      n2 = p - d2;
      openEnded = n2 == 0;
    } else {
      d2 = d1;
      n2 = n1;
    }
    if (At(p) != '}') return false;
    if (n1 > 8) {
      pos_ = d1;
      Fail(122);
    }
    if (n2 > 8) {
      pos_ = d2;
      Fail(122);
    }
    auto number = [&](size_t from, size_t n) {
      int32_t v = 0;
      for (size_t i = 0; i < n; ++i) v = v * 10 + (expr_[from + i] - '0');
      return v;
    };
    min = number(d1, n1);
    max = openEnded ? kLoopInfinite : number(d2, n2);
    pos_ = p + 1;
    if (min > max) Fail(124);
    return true;
  }

  int32_t ParsePiece(int& flags) {
    int atomFlags = 0;
    const int32_t ret = ParseAtom(atomFlags);
    const char op = At(pos_);
    if (!IsQuantifier(op)) {
      flags = atomFlags;
      return ret;
    }
    if (!(atomFlags & kHasWidth) && op != '?') Fail(106);
    const bool simple = atomFlags & kSimple;
    switch (op) {
      case '*': {
        ++pos_;
        flags = kSpStart;
        const bool ng = TakeNonGreedy();
        if (simple) {
          InsertNode(ng ? STARNG : STAR, ret, 0);
        } else if (ng) {
          EmitCountedLoop(ret, 0, kLoopInfinite, true);
        } else {
          // BRANCH(operand, BACK to the BRANCH) BRANCH(NOTHING)
          InsertNode(BRANCH, ret, 0);
          OpTail(ret, EmitNode(BACK));
          OpTail(ret, ret);
          Tail(ret, EmitNode(BRANCH));
          Tail(ret, EmitNode(NOTHING));
        }
        break;
      }
      case '+': {
        ++pos_;
        flags = kHasWidth | kSpStart;
        const bool ng = TakeNonGreedy();
        if (simple) {
          InsertNode(ng ? PLUSNG : PLUS, ret, 0);
        } else if (ng) {
          EmitCountedLoop(ret, 1, kLoopInfinite, true);
        } else {
          // operand BRANCH(BACK to the operand) BRANCH(NOTHING)
          const int32_t next = EmitNode(BRANCH);
          Tail(ret, next);
          Tail(EmitNode(BACK), ret);
          Tail(next, EmitNode(BRANCH));
          Tail(ret, EmitNode(NOTHING));
        }
        break;
      }
      case '?': {
        ++pos_;
        flags = 0;
        const bool ng = TakeNonGreedy();
        if (ng) {
          if (simple)
            InsertBraces(ret, 0, 1, true);
          else
            EmitCountedLoop(ret, 0, 1, true);
        } else {
          // BRANCH(operand) BRANCH(NOTHING)
          InsertNode(BRANCH, ret, 0);
          Tail(ret, EmitNode(BRANCH));
          const int32_t nothing = EmitNode(NOTHING);
          Tail(ret, nothing);
          OpTail(ret, nothing);
        }
        break;
      }
      default: {  // '{'
        int32_t min = 0, max = 0;
        if (!ParseBraces(min, max)) {
          flags = atomFlags;
          return ret;
        }
        flags = max > 0 ? kHasWidth | kSpStart : 0;
        const bool ng = TakeNonGreedy();
        if (simple)
          InsertBraces(ret, min, max, ng);
        else
          EmitCountedLoop(ret, min, max, ng);
        break;
      }
    }
    if (IsQuantifier(At(pos_))) Fail(107);
    return ret;
  }

  bool MultiLineAnchors() const {
    return (mods_ & kModM) && (!syntax_.line_separators.empty() || syntax_.paired_assigned);
  }

  int32_t EmitLiteral(std::string_view text) {
    const int32_t ret = EmitNode((mods_ & kModI) ? EXACTLYCI : EXACTLY);
    EmitInt(static_cast<int32_t>(text.size()));
    for (char c : text) EmitByte(static_cast<uint8_t>(c));
    return ret;
  }

  int32_t ParseAtom(int& flags) {
    flags = 0;
    char c = At(pos_);
    if ((mods_ & kModX) && (IsExtendedSpace(c) || c == '#')) {
      SkipExtendedSpace();
      return EmitNode(COMMENT);
    }
    ++pos_;
    switch (c) {
      case '^':
        return EmitNode(MultiLineAnchors() ? BOLML : BOL);
      case '$':
        return EmitNode(MultiLineAnchors() ? EOLML : EOL);
      case '.':
        if (mods_ & kModS) {
          flags = kHasWidth | kSimple;
          return EmitNode(ANY);
        }
        flags = kHasWidth;
        return EmitNode(ANYML);
      case '[':
        flags = kHasWidth | kSimple;
        return ParseBracket();
      case '(':
        if (At(pos_) == '?') return ParseInlineGroup();
        {
          int groupFlags = 0;
          const int32_t ret = ParseReg(true, groupFlags);
          flags = groupFlags & (kHasWidth | kSpStart);
          return ret;
        }
      case '\0':
      case '|':
      case ')':
        Fail(105);  // unreachable: ParseBranch stops at these
      case '?':
      case '+':
      case '*':
        Fail(115);
      case '\\':
        return ParseEscape(flags);
      default:
        return ParseLiteralRun(flags);
    }
  }

  void SkipExtendedSpace() {
    for (;;) {
      const char c = At(pos_);
      if (IsExtendedSpace(c)) {
        ++pos_;
      } else if (c == '#') {
        while (At(pos_) != '\0' && At(pos_) != '\r' && At(pos_) != '\n') ++pos_;
        while (At(pos_) == '\r' || At(pos_) == '\n') ++pos_;
      } else {
        return;
      }
    }
  }

  /// "(?#comment)" or "(?modifiers)"; pos_ is at the '?'.
  int32_t ParseInlineGroup() {
    if (At(pos_ + 1) == '#') {
      const size_t close = expr_.find(')', pos_ + 2);
      if (close == std::string_view::npos) {
        pos_ = expr_.size();
        Fail(125);
      }
      pos_ = close + 1;
      return EmitNode(COMMENT);
    }
    ++pos_;
    const size_t close = expr_.find(')', pos_);
    if (close == std::string_view::npos) {
      pos_ = expr_.size();
      Fail(127);
    }
    uint32_t mods = mods_;
    const bool valid = ParseModifierLetters(expr_.substr(pos_, close - pos_), mods);
    if (!valid) Fail(127);
    mods_ = mods;
    pos_ = close + 1;
    return EmitNode(COMMENT);
  }

  int32_t ParseEscape(int& flags) {
    const char e = At(pos_);
    if (e == '\0') Fail(116);
    switch (e) {
      case 'd':
      case 'D':
        ++pos_;
        flags = kHasWidth | kSimple;
        return EmitNode(e == 'd' ? ANYDIGIT : NOTDIGIT);
      case 's':
      case 'S':
      case 'w':
      case 'W': {
        ++pos_;
        flags = kHasWidth | kSimple;
        RegexCharSet set;
        for (char c : (e == 's' || e == 'S') ? syntax_.space_chars : syntax_.word_chars)
          set.Add(static_cast<uint8_t>(c));
        return EmitSet(set, e == 'S' || e == 'W');
      }
      case 'b':
        ++pos_;
        return EmitNode(BOUND);
      case 'B':
        ++pos_;
        return EmitNode(NOTBOUND);
      case 'A':
        ++pos_;
        return EmitNode(BOL);
      case 'Z':
        ++pos_;
        return EmitNode(EOL);
      default:
        break;
    }
    flags = kHasWidth | kSimple;
    if (e >= '1' && e <= '9') {
      ++pos_;
      const int32_t ret = EmitNode((mods_ & kModI) ? BSUBEXPCI : BSUBEXP);
      EmitByte(static_cast<uint8_t>(e - '0'));
      return ret;
    }
    const char c = static_cast<char>(Unquote());
    return EmitLiteral(std::string_view(&c, 1));
  }

  /// The character an escape stands for; pos_ is just after the backslash.
  uint8_t Unquote() {
    const char c = At(pos_++);
    switch (c) {
      case 't':
        return 9;
      case 'n':
        return 10;
      case 'r':
        return 13;
      case 'f':
        return 12;
      case 'a':
        return 7;
      case 'e':
        return 27;
      case 'x':
        return UnquoteHex();
      default:
        return static_cast<uint8_t>(c);
    }
  }

  uint8_t UnquoteHex() {
    int value = 0;
    if (At(pos_) == '{') {
      ++pos_;
      int digits = 0;
      for (;;) {
        const char c = At(pos_);
        if (c == '\0') Fail(111);
        if (c == '}') break;
        const int d = HexValue(c);
        if (d < 0) Fail(108);
        value = value * 16 + d;
        if (value > 255) Fail(112);
        ++pos_;
        ++digits;
      }
      if (digits == 0) Fail(111);
      ++pos_;
      return static_cast<uint8_t>(value);
    }
    for (int i = 0; i < 2; ++i) {
      const char c = At(pos_);
      if (c == '\0') Fail(111);
      const int d = HexValue(c);
      if (d < 0) Fail(108);
      value = value * 16 + d;
      ++pos_;
    }
    return static_cast<uint8_t>(value);
  }

  /// A literal run; pos_ is just after its first character.
  int32_t ParseLiteralRun(int& flags) {
    const size_t start = pos_ - 1;
    std::string text(1, expr_[start]);
    size_t end = pos_;
    if (!(mods_ & kModX)) {
      while (end < expr_.size() && !IsMeta(expr_[end])) text.push_back(expr_[end++]);
      if (text.size() > 1 && IsQuantifier(At(end))) {
        text.pop_back();
        --end;
      }
    } else {
      // White space inside the run is left out; trailing white space and '#' end it.
      size_t lastChar = start;
      for (size_t i = pos_; i < expr_.size() && !IsMeta(expr_[i]) && expr_[i] != '#'; ++i) {
        if (IsExtendedSpace(expr_[i])) continue;
        text.push_back(expr_[i]);
        lastChar = i;
      }
      end = lastChar + 1;
      if (text.size() > 1 && IsQuantifier(At(end))) {
        text.pop_back();
        end = lastChar;
      }
    }
    pos_ = end;
    flags = kHasWidth | (text.size() == 1 ? kSimple : 0);
    return EmitLiteral(text);
  }

  void AddToSet(RegexCharSet& set, uint8_t c) const {
    set.Add(c);
    if (mods_ & kModI) set.Add(Invert(c));
  }

  void AddRange(RegexCharSet& set, int lo, int hi) const {
    for (int c = lo; c <= hi; ++c) AddToSet(set, static_cast<uint8_t>(c));
  }

  static bool IsClassLetter(char c) {
    return c == 'd' || c == 's' || c == 'w' || c == 'D' || c == 'S' || c == 'W';
  }

  /// A bracket expression; pos_ is just after the '['.
  int32_t ParseBracket() {
    const bool negated = At(pos_) == '^';
    if (negated) ++pos_;
    RegexCharSet set;
    bool haveSingle = false;  // a single character was added: a '-' may make a range
    uint8_t last = 0;         // the most recently added single character
    auto addSingle = [&](uint8_t c) {
      AddToSet(set, c);
      haveSingle = true;
      last = c;
    };
    if (At(pos_) == ']') {
      addSingle(']');
      ++pos_;
    }
    for (char c; (c = At(pos_)) != '\0' && c != ']';) {
      const char after = At(pos_ + 1);
      if (c == '-' && haveSingle && after != '\0' && after != ']' &&
          !(after == '\\' && IsClassLetter(At(pos_ + 2)))) {
        ++pos_;
        uint8_t hi;
        if (At(pos_) == '\\') {
          ++pos_;
          if (At(pos_) == '\0') Fail(110);
          hi = Unquote();
        } else {
          hi = static_cast<uint8_t>(At(pos_++));
        }
        AddBracketRange(set, last, hi);
        last = hi;
      } else if (c == '\\') {
        ++pos_;
        const char e = At(pos_);
        if (e == '\0') Fail(110);
        if (e == 'd') {
          ++pos_;
          AddRange(set, '0', '9');
        } else if (e == 's' || e == 'w') {
          ++pos_;
          for (char m : e == 's' ? syntax_.space_chars : syntax_.word_chars)
            AddToSet(set, static_cast<uint8_t>(m));
        } else {
          addSingle(Unquote());
        }
      } else {
        ++pos_;
        addSingle(static_cast<uint8_t>(c));
      }
    }
    if (At(pos_) != ']') Fail(113);
    ++pos_;
    return EmitSet(set, negated);
  }

  void AddBracketRange(RegexCharSet& set, uint8_t lo, uint8_t hi) {
    if (mods_ & kModR) {
      // Windows-1251: the letter ranges also take YO (0xA8) and yo (0xB8), which lie
      // outside them, and "lower-case first to upper-case last" means every letter.
      if (lo == 0xE0 && hi == 0xFF) {
        AddToSet(set, 0xB8);
      } else if (lo == 0xC0 && hi == 0xDF) {
        AddToSet(set, 0xA8);
      } else if (lo == 0xE0 && hi == 0xDF) {
        AddRange(set, 0xC0, 0xFF);
        AddToSet(set, 0xA8);
        AddToSet(set, 0xB8);
        return;
      }
    }
    if (hi < lo) Fail(109);
    AddRange(set, lo, hi);
  }

  int32_t EmitSet(const RegexCharSet& set, bool negated) {
    const int count = set.Count();
    if (count > 0 && count <= 3) {
      uint8_t members[3];
      int n = 0;
      for (int c = 0; c < 256; ++c)
        if (set.Has(static_cast<uint8_t>(c))) members[n++] = static_cast<uint8_t>(c);
      for (int i = n; i < 3; ++i) members[i] = members[n - 1];
      const int32_t ret = EmitNode(negated ? ANYBUTTINYSET : ANYOFTINYSET);
      for (uint8_t m : members) EmitByte(m);
      return ret;
    }
    const int32_t ret = EmitNode(ANYOFFULLSET);
    for (uint8_t b : set.bits) EmitByte(negated ? static_cast<uint8_t>(~b) : b);
    return ret;
  }

  // --- Optimisation data ----------------------------------------------------------------

  static int32_t NextOf(const std::vector<uint8_t>& code, int32_t node) {
    const int32_t off = ReadInt(&code[node + 1]);
    return off == 0 ? -1 : node + off;
  }

  static bool IsRepeat(uint8_t op) {
    return op == STAR || op == STARNG || op == PLUS || op == PLUSNG || op == BRACES || op == BRACESNG;
  }

  static int32_t RepeatOperand(const std::vector<uint8_t>& code, int32_t node) {
    return node + kNodeHeader + (code[node] == BRACES || code[node] == BRACESNG ? kBracesOperand : 0);
  }

  static int32_t RepeatMin(const std::vector<uint8_t>& code, int32_t node) {
    switch (code[node]) {
      case STAR:
      case STARNG:
        return 0;
      case PLUS:
      case PLUSNG:
        return 1;
      default:
        return ReadInt(&code[node + kNodeHeader]);
    }
  }

  static int32_t RepeatMax(const std::vector<uint8_t>& code, int32_t node) {
    if (code[node] == BRACES || code[node] == BRACESNG) return ReadInt(&code[node + kNodeHeader + 4]);
    return kInfinite;
  }

  static bool IsBackReference(uint8_t op) { return op == BSUBEXP || op == BSUBEXPCI; }

  /// The characters the node at `node` can begin with (of a literal, its first one).
  RegexCharSet OperandChars(const std::vector<uint8_t>& code, int32_t node) const {
    RegexCharSet set;
    const uint8_t* operand = &code[node + kNodeHeader];
    switch (code[node]) {
      case EXACTLY:
        set.Add(LiteralText(code.data(), node)[0]);
        break;
      case EXACTLYCI:
        set.Add(LiteralText(code.data(), node)[0]);
        set.Add(Invert(LiteralText(code.data(), node)[0]));
        break;
      case ANYDIGIT:
      case NOTDIGIT:
        for (int c = 0; c < 256; ++c)
          if (IsDigit(static_cast<char>(c)) == (code[node] == ANYDIGIT)) set.Add(static_cast<uint8_t>(c));
        break;
      case ANYOFTINYSET:
      case ANYBUTTINYSET:
        for (int c = 0; c < 256; ++c) {
          const bool member = c == operand[0] || c == operand[1] || c == operand[2];
          if (member == (code[node] == ANYOFTINYSET)) set.Add(static_cast<uint8_t>(c));
        }
        break;
      case ANYOFFULLSET:
        std::memcpy(set.bits.data(), operand, 32);
        break;
      default:  // ANY, ANYML and anything else: every character
        set.AddAll();
        break;
    }
    return set;
  }

  /// Whether the node at `node` always takes exactly one character.
  static bool TakesOneCharacter(const std::vector<uint8_t>& code, int32_t node) {
    switch (code[node]) {
      case EXACTLY:
      case EXACTLYCI:
        return LiteralLength(code.data(), node) == 1;
      case ANY:
      case ANYML:
      case ANYDIGIT:
      case NOTDIGIT:
      case ANYOFTINYSET:
      case ANYBUTTINYSET:
      case ANYOFFULLSET:
        return true;
      default:
        return false;
    }
  }

  /// The walk behind the optimisation data: from a node on, along every path that takes no
  /// input, it collects the characters at which that path can go on (0 standing for the end
  /// of the input). A success from that node at position p implies that the character at p
  /// is collected, whatever the loop counters are, so the data never excludes a match.
  class FirstCharWalk {
   public:
    FirstCharWalk(const Compiler& compiler, const std::vector<uint8_t>& code)
        : compiler_(compiler), code_(code), stamp_(code.size(), 0) {}

    /// Adds the characters at which a match from `from` can go on to `set`; true when the
    /// walk reaches `target` without taking input.
    bool Walk(int32_t from, RegexCharSet& set, int32_t target = -1) {
      ++generation_;
      bool reached = false;
      work_.assign(1, from);
      while (!work_.empty()) {
        int32_t n = work_.back();
        work_.pop_back();
        while (n > 0 && stamp_[n] != generation_) {
          stamp_[n] = generation_;
          if (n == target) {
            reached = true;
            break;
          }
          n = Visit(n, set);
        }
      }
      return reached;
    }

   private:
    int32_t LoopBody(int32_t loop) const { return loop + ReadInt(&code_[loop + kNodeHeader + 8]); }

    /// Adds what node `n` contributes; returns the node the walk goes on with, -1 to stop.
    int32_t Visit(int32_t n, RegexCharSet& set) {
      const uint8_t op = code_[n];
      switch (op) {
        case EXACTLY:
        case EXACTLYCI:
        case ANYDIGIT:
        case NOTDIGIT:
        case ANYOFTINYSET:
        case ANYBUTTINYSET:
        case ANYOFFULLSET: {
          const RegexCharSet chars = compiler_.OperandChars(code_, n);
          for (int i = 0; i < 32; ++i) set.bits[i] |= chars.bits[i];
          return -1;
        }
        case EOL:
          set.Add(0);
          return -1;
        case EOLML:
          // The separators count whatever Modifiers say: an inline (?m) made this node.
          set.Add(0);
          for (char c : compiler_.syntax_.line_separators) set.Add(static_cast<uint8_t>(c));
          if (compiler_.syntax_.paired_assigned) set.Add(compiler_.syntax_.paired_head);
          return -1;
        case BSUBEXP:
        case BSUBEXPCI:
          set.AddAll();  // and the group may have matched nothing
          return NextOf(code_, n);
        case BOL:
        case BOLML:
        case BACK:
        case NOTHING:
        case COMMENT:
        case BOUND:
        case NOTBOUND:
          return NextOf(code_, n);
        case BRANCH:
          for (int32_t b = n; b > 0 && code_[b] == BRANCH; b = NextOf(code_, b))
            work_.push_back(b + kNodeHeader);
          return -1;
        case STAR:
        case STARNG:
        case PLUS:
        case PLUSNG:
        case BRACES:
        case BRACESNG: {
          const int32_t operand = RepeatOperand(code_, n);
          work_.push_back(operand);
          const bool mayBeEmpty = RepeatMin(code_, n) == 0 || IsBackReference(code_[operand]);
          return mayBeEmpty ? NextOf(code_, n) : -1;
        }
        case LOOPENTRY: {
          // Entered afresh, the loop can be left at once only when its minimum is 0. When its
          // body can match nothing, the walk through the body reaches the LOOP node itself.
          const int32_t loop = NextOf(code_, n);
          if (loop <= 0 || (code_[loop] != LOOP && code_[loop] != LOOPNG)) return -1;
          work_.push_back(LoopBody(loop));
          return ReadInt(&code_[loop + kNodeHeader]) == 0 ? NextOf(code_, loop) : -1;
        }
        case LOOP:
        case LOOPNG:
          // Reached without taking input from inside the body: the counter may be anything,
          // so the loop may be left as well as repeated.
          work_.push_back(LoopBody(n));
          return NextOf(code_, n);
        default:
          if ((op > OPEN && op < OPEN + kGroupCount) || (op > CLOSE && op < CLOSE + kGroupCount))
            return NextOf(code_, n);
          set.AddAll();  // END, ANY, ANYML
          return -1;
      }
    }

    const Compiler& compiler_;
    const std::vector<uint8_t>& code_;
    std::vector<uint32_t> stamp_;
    std::vector<int32_t> work_;
    uint32_t generation_ = 0;
  };

  static void FillFirstTable(RegexCode& program) {
    for (int c = 0; c < 256; ++c) program.first_table[c] = program.first_chars.Has(static_cast<uint8_t>(c));
    program.first_count = program.first_chars.Count();
    if (program.first_count == 1)
      for (int c = 0; c < 256; ++c)
        if (program.first_table[c]) program.first_single = c;
  }

  /// Marks the greedy one-character repetitions that never need to give back.
  void MarkPossessive(RegexCode& program, FirstCharWalk& walk) const {
    const std::vector<uint8_t>& code = program.code;
    const auto size = static_cast<int32_t>(code.size());
    for (int32_t n = 1; n < size; n += NodeSize(code.data(), n)) {
      if (code[n] != STAR && code[n] != PLUS && code[n] != BRACES) continue;
      const int32_t operand = RepeatOperand(code, n);
      if (!TakesOneCharacter(code, operand)) continue;
      RegexCharSet after;
      walk.Walk(NextOf(code, n), after);
      RegexCharSet taken = OperandChars(code, operand);
      taken.bits[0] &= 0xFE;  // a repetition never takes the 0 that ends the input
      bool overlap = false;
      for (int i = 0; i < 32 && !overlap; ++i) overlap = (after.bits[i] & taken.bits[i]) != 0;
      if (overlap) continue;
      if (program.possessive.empty()) program.possessive.assign(code.size(), 0);
      program.possessive[n] = 1;
    }
  }

  /// Records where each alternative can begin.
  static void MarkAlternatives(RegexCode& program, FirstCharWalk& walk) {
    const std::vector<uint8_t>& code = program.code;
    const auto size = static_cast<int32_t>(code.size());
    for (int32_t n = 1; n < size; n += NodeSize(code.data(), n)) {
      if (code[n] != BRANCH) continue;
      RegexCharSet chars;
      walk.Walk(n + kNodeHeader, chars);
      if (chars.Count() == 256) continue;
      if (program.alternative_index.empty()) program.alternative_index.assign(code.size(), -1);
      program.alternative_index[n] = static_cast<int32_t>(program.alternative_chars.size());
      program.alternative_chars.push_back(chars);
    }
  }

  /// A leading "[one character] repetition without upper bound" (see RegexCode::lead_repeat).
  static void FindLeadRepeat(RegexCode& program, int32_t first) {
    const std::vector<uint8_t>& code = program.code;
    int32_t single = -1;
    int32_t repeat = first;
    if (TakesOneCharacter(code, first)) {
      single = first;
      repeat = NextOf(code, first);
    }
    if (repeat <= 0 || !IsRepeat(code[repeat])) return;
    if (RepeatMax(code, repeat) < kLoopInfinite) return;
    if (!TakesOneCharacter(code, RepeatOperand(code, repeat))) return;
    program.lead_single = single;
    program.lead_repeat = repeat;
  }

  void ComputeOptimisation(RegexCode& program, int flags) const {
    FirstCharWalk walk(*this, program.code);
    walk.Walk(1, program.first_chars);
    MarkPossessive(program, walk);
    MarkAlternatives(program, walk);
    const std::vector<uint8_t>& code = program.code;
    const int32_t top = 1;
    const int32_t after = NextOf(code, top);
    if (after > 0 && code[after] == BRANCH) return;  // more than one alternative
    const int32_t first = top + kNodeHeader;
    if (code[first] == EXACTLY)
      program.start_char = LiteralText(code.data(), first)[0];
    else if (code[first] == BOL)
      program.anchored = true;
    if (code[first] == EXACTLY || code[first] == EXACTLYCI) program.prefix_node = first;
    FindLeadRepeat(program, first);
    if (!(flags & kSpStart)) return;
    int32_t bestLen = 0;
    for (int32_t n = first; n > 0 && n < static_cast<int32_t>(code.size()); n = NextOf(code, n)) {
      if (code[n] != EXACTLY) continue;
      const int32_t len = LiteralLength(code.data(), n);
      if (len > 0 && len >= bestLen) {
        bestLen = len;
        program.must_offset = n + kNodeHeader + kLiteralHeader;
      }
    }
    program.must_length = bestLen;
  }

  /// Finds, for every BACK node, where its loop goes on when an iteration matched nothing:
  /// the NOTHING alternative that follows the loop.
  static void ComputeBackLoops(RegexCode& program) {
    const std::vector<uint8_t>& code = program.code;
    const auto size = static_cast<int32_t>(code.size());
    for (int32_t n = 1; n < size; n += NodeSize(code.data(), n)) {
      if (code[n] != BACK) continue;
      const int32_t target = NextOf(code, n);
      // '*': the BACK returns to the loop's BRANCH; '+': it is the operand of a BRANCH.
      const int32_t choice = code[target] == BRANCH ? target : n - kNodeHeader;
      if (choice <= 0 || code[choice] != BRANCH) continue;
      const int32_t second = NextOf(code, choice);
      if (second <= 0 || code[second] != BRANCH) continue;
      if (program.back_exit.empty()) {
        program.back_exit.assign(code.size(), -1);
        program.back_slot.assign(code.size(), -1);
      }
      program.back_exit[n] = second + kNodeHeader;
      program.back_slot[n] = program.back_slot_count++;
    }
  }

  const RegexSyntax& syntax_;
  std::string_view expr_;
  size_t pos_ = 0;
  uint32_t mods_ = 0;
  int groups_ = 1;
  bool emit_ = false;
  size_t size_ = 0;
  std::vector<uint8_t> code_;
  int top_flags_ = 0;
};

bool ParseModifierLetters(std::string_view text, uint32_t& modifiers) {
  bool on = true;
  for (char c : text) {
    uint32_t bit = 0;
    switch (c) {
      case 'i':
      case 'I':
        bit = kModI;
        break;
      case 'r':
      case 'R':
        bit = kModR;
        break;
      case 's':
      case 'S':
        bit = kModS;
        break;
      case 'g':
      case 'G':
        bit = kModG;
        break;
      case 'm':
      case 'M':
        bit = kModM;
        break;
      case 'x':
      case 'X':
        bit = kModX;
        break;
      case '-':
        on = false;
        continue;
      default:
        return false;
    }
    if (on)
      modifiers |= bit;
    else
      modifiers &= ~bit;
  }
  return true;
}

}  // namespace

RegexCode CompileRegex(std::string_view expression, const RegexSyntax& syntax) {
  return Compiler(expression, syntax).Run();
}

bool RegexParseModifiers(std::string_view text, uint32_t& modifiers) {
  return ParseModifierLetters(text, modifiers);
}
