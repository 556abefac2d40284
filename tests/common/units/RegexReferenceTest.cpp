// TRegex against a deliberately simple reference: random expressions over a small alphabet
// are built as trees, written out as TRegex syntax under random modifiers, and matched by the
// engine, by the engine without its optimisation data, and by a recursive backtracking
// matcher that walks the tree directly. All three must agree on every group.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "RegexTestSupport.h"
#include "common/units/Regex.h"

namespace {

struct Node {
  enum Kind { Literal, Any, Set, Group, Alternation, Sequence, Repeat, LineStart, LineEnd } kind = Literal;
  char c = 0;
  std::string set;  // members of a Set
  bool negated = false;
  int group = 0;         // Group number
  int min = 0, max = 0;  // Repeat bounds, -1 = unbounded
  bool greedy = true;
  std::vector<Node> kids;
};

using Captures = std::vector<std::pair<int, int>>;

/// The modifiers an expression is compiled with, as the reference needs them.
struct Mode {
  bool ignore_case = false;  // i
  bool dot_all = true;       // s
  bool multi_line = false;   // m
};

bool IsSeparator(char c) {
  return c == '\r' || c == '\n';
}

/// The reference matcher: continuation passing over the tree, captures restored on failure.
class Reference {
 public:
  Reference(const std::string& s, Mode mode) : s_(s), mode_(mode) {}

  bool Search(const Node& root, int groups, Captures& caps) {
    for (int start = 0; start <= static_cast<int>(s_.size()); ++start) {
      caps.assign(groups + 1, {-1, -1});
      if (Match(root, start, caps, [&](int end, Captures& c) {
            c[0] = {start, end};
            return true;
          }))
        return true;
    }
    return false;
  }

 private:
  using Cont = std::function<bool(int, Captures&)>;

  bool Match(const Node& n, int pos, Captures& caps, const Cont& k) {
    const int len = static_cast<int>(s_.size());
    switch (n.kind) {
      case Node::Literal:
        return pos < len && Same(s_[pos], n.c) && k(pos + 1, caps);
      case Node::Any:
        return pos < len && (mode_.dot_all || !IsSeparator(s_[pos])) && k(pos + 1, caps);
      case Node::Set:
        return pos < len && InSet(n, s_[pos]) && k(pos + 1, caps);
      case Node::LineStart:
        return AtLineStart(pos) && k(pos, caps);
      case Node::LineEnd:
        return AtLineEnd(pos) && k(pos, caps);
      case Node::Group:
        return Match(n.kids[0], pos, caps, [&](int end, Captures& c) {
          const auto old = c[n.group];
          c[n.group] = {pos, end};
          if (k(end, c)) return true;
          c[n.group] = old;
          return false;
        });
      case Node::Alternation:
        for (const Node& alt : n.kids)
          if (Match(alt, pos, caps, k)) return true;
        return false;
      case Node::Sequence:
        return Sequence(n, 0, pos, caps, k);
      case Node::Repeat:
        return Repeat(n, 0, pos, caps, k);
    }
    return false;
  }

  bool Same(char subject, char pattern) const {
    const auto c = static_cast<unsigned char>(pattern);
    return subject == pattern ||
           (mode_.ignore_case && static_cast<unsigned char>(subject) == RegexDefaultInvertCase(c));
  }

  bool InSet(const Node& n, char c) const {
    bool member = false;
    for (char m : n.set) member = member || Same(c, m);
    return member != n.negated;
  }

  // With modifier m a line ends at CR, at LF and before CR LF, never between CR and LF.
  bool AtLineStart(int pos) const {
    if (pos == 0) return true;
    if (!mode_.multi_line) return false;
    if (pos < static_cast<int>(s_.size()) && s_[pos - 1] == '\r' && s_[pos] == '\n') return false;
    return IsSeparator(s_[pos - 1]);
  }
  bool AtLineEnd(int pos) const {
    if (pos == static_cast<int>(s_.size())) return true;
    if (!mode_.multi_line) return false;
    if (pos > 0 && s_[pos - 1] == '\r' && s_[pos] == '\n') return false;
    return IsSeparator(s_[pos]);
  }

  bool Sequence(const Node& n, size_t i, int pos, Captures& caps, const Cont& k) {
    if (i == n.kids.size()) return k(pos, caps);
    return Match(n.kids[i], pos, caps, [&](int p, Captures& c) { return Sequence(n, i + 1, p, c, k); });
  }

  /// `count` iterations are done. An iteration that matched nothing ends the loop once the
  /// minimum is reached.
  bool Repeat(const Node& n, int count, int pos, Captures& caps, const Cont& k) {
    auto iterate = [&] {
      if (n.max >= 0 && count >= n.max) return false;
      return Match(n.kids[0], pos, caps, [&](int p, Captures& c) {
        if (p == pos && count + 1 >= n.min) return k(p, c);
        return Repeat(n, count + 1, p, c, k);
      });
    };
    if (n.greedy) return iterate() || (count >= n.min && k(pos, caps));
    return (count >= n.min && k(pos, caps)) || iterate();
  }

  const std::string& s_;
  Mode mode_;
};

/// Builds random trees and writes them in TRegex syntax, keeping to what the compiler
/// accepts: a repeated operand must have width (as the compiler judges it).
class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  /// A random modifier string and what it means for the reference.
  std::string Modifiers(Mode& mode) {
    std::string on, off;
    mode = Mode{};
    greedy_ = true;
    extended_ = false;
    if (Pick(3) == 0) mode.ignore_case = true, on += 'i';
    if (Pick(3) == 0) mode.dot_all = false, off += 's';
    if (Pick(3) == 0) mode.multi_line = true, on += 'm';
    if (Pick(5) == 0) greedy_ = false, off += 'g';
    if (Pick(4) == 0) extended_ = true, on += 'x';
    if (Pick(4) == 0) off += 'r';
    return on + (off.empty() ? "" : "-" + off);
  }

  Node Expression(int& groups, std::string& text) {
    groups_ = 0;
    bool width = false;
    Node n = Alternatives(0, text, width);
    groups = groups_;
    return n;
  }

  /// A subject over the alphabet the expressions use.
  std::string Subject() {
    static const char kAlphabet[] = "abcabcabcABC\r\n\xE0\xB8";
    std::string subject;
    const int len = Pick(9);
    for (int k = 0; k < len; ++k) subject += kAlphabet[Pick(sizeof kAlphabet - 1)];
    return subject;
  }

 private:
  int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

  Node Alternatives(int depth, std::string& text, bool& width) {
    Node alt;
    alt.kind = Node::Alternation;
    const int count = depth < 2 && Pick(4) == 0 ? 2 : 1;
    width = true;
    for (int i = 0; i < count; ++i) {
      if (i) text += '|';
      bool w = false;
      alt.kids.push_back(Sequence(depth, text, w));
      width = width && w;
    }
    return alt;
  }

  Node Sequence(int depth, std::string& text, bool& width) {
    Node seq;
    seq.kind = Node::Sequence;
    width = false;
    const int count = 1 + Pick(3);
    for (int i = 0; i < count; ++i) {
      bool w = false;
      seq.kids.push_back(Piece(depth, text, w));
      width = width || w;
    }
    return seq;
  }

  Node Piece(int depth, std::string& text, bool& width) {
    if (extended_ && Pick(4) == 0) text += Pick(3) ? " " : "#note\n";  // left out by modifier x
    bool atomWidth = false;
    Node atom = Atom(depth, text, atomWidth);
    const int q = Pick(10);
    if (q < 5) {
      width = atomWidth;
      return atom;
    }
    Node rep;
    rep.kind = Node::Repeat;
    rep.greedy = greedy_ && Pick(3) != 0;
    std::string quantifier;
    switch (q) {
      case 5:
        rep.min = 0, rep.max = -1, quantifier = "*";
        break;
      case 6:
        rep.min = 1, rep.max = -1, quantifier = "+";
        break;
      case 7:
        rep.min = 0, rep.max = 1, quantifier = "?";
        break;
      default:
        rep.min = Pick(3), rep.max = rep.min + Pick(3);
        quantifier = "{" + std::to_string(rep.min) + "," + std::to_string(rep.max) + "}";
        break;
    }
    if (!atomWidth && q != 7) {  // the compiler refuses this; keep the atom alone
      width = atomWidth;
      return atom;
    }
    text += quantifier;
    if (!rep.greedy && (greedy_ || Pick(2))) text += '?';
    width = q == 6 || (q >= 8 && rep.max > 0);
    rep.kids.push_back(std::move(atom));
    return rep;
  }

  Node Atom(int depth, std::string& text, bool& width) {
    Node n;
    width = true;
    const int kind = depth < 3 && groups_ < 8 ? Pick(11) : Pick(8);
    if (kind <= 2) {
      n.kind = Node::Literal;
      n.c = "abc"[Pick(3)];
      text += n.c;
    } else if (kind == 3) {
      n.kind = Node::Any;
      text += '.';
    } else if (kind == 4) {
      n.kind = Node::Set;
      n.negated = Pick(2) == 0;
      n.set = Pick(2) ? "ab" : "c";
      text += std::string("[") + (n.negated ? "^" : "") + n.set + "]";
    } else if (kind == 5) {
      // An escaped 0 is a literal no subject can hold.
      n.kind = Node::Literal;
      n.c = '\0';
      text += Pick(2) ? "\\x00" : "\\x{0}";
    } else if (kind == 6) {
      n.kind = Pick(2) ? Node::LineStart : Node::LineEnd;
      text += n.kind == Node::LineStart ? '^' : '$';
      width = false;
    } else if (kind == 7) {
      // Cyrillic letters; with modifier r the range also takes the letter yo (0xB8).
      n.kind = Node::Set;
      n.set = "\xE0\xE1";
      text += Pick(2) ? "[\xE0-\xE1]" : "[\xE0\xE1]";
    } else if (kind == 10) {
      // A group whose body can match nothing although the compiler judges it to have width.
      n.kind = Node::Group;
      n.group = ++groups_;
      Node rep;
      rep.kind = Node::Repeat;
      rep.min = 0, rep.max = 1 + Pick(2);
      rep.greedy = greedy_;
      Node lit;
      lit.c = "abc"[Pick(3)];
      text += std::string("(") + lit.c + "{0," + std::to_string(rep.max) + "})";
      rep.kids.push_back(lit);
      n.kids.push_back(rep);
    } else {
      n.kind = Node::Group;
      n.group = ++groups_;
      text += '(';
      n.kids.push_back(Alternatives(depth + 1, text, width));
      text += ')';
    }
    return n;
  }

  std::mt19937 rng_;
  int groups_ = 0;
  bool greedy_ = true;
  bool extended_ = false;
};

std::string Describe(const Captures& caps, const std::string& subject) {
  int highest = 0;
  for (int i = 1; i < static_cast<int>(caps.size()); ++i)
    if (caps[i].first >= 0) highest = i;
  std::string out;
  for (int i = 0; i <= highest; ++i) {
    if (i) out += '|';
    out +=
        caps[i].first < 0 ? std::string("?") : subject.substr(caps[i].first, caps[i].second - caps[i].first);
  }
  return out;
}

TEST(RegexReferenceTest, RandomExpressionsAgreeWithReferenceMatcher) {
  Generator gen(20240611);
  int compared = 0;
  for (int i = 0; i < 6000; ++i) {
    Mode mode;
    const std::string modifiers = gen.Modifiers(mode);
    std::string text;
    int groups = 0;
    const Node tree = gen.Expression(groups, text);
    TRegex re;
    re.SetModifierStr(modifiers);
    re.SetExpression(text);
    try {
      re.Compile();
    } catch (const ERegex& e) {
      ADD_FAILURE() << text << " (" << modifiers << ") does not compile: " << e.what();
      continue;
    }
    for (int j = 0; j < 4; ++j) {
      const std::string subject = gen.Subject();
      Reference ref(subject, mode);
      Captures caps;
      const std::string expected = ref.Search(tree, groups, caps) ? Describe(caps, subject) : "-";
      const std::string actual = re.Exec(subject) ? regex_test::Describe(re) : "-";
      ASSERT_EQ(actual, expected) << text << " (" << modifiers << ") on \"" << subject << "\"";
      int error = 0;
      ASSERT_EQ(regex_test::RunUnoptimised(text, re.Modifiers(), subject, error), actual)
          << text << " (" << modifiers << ") on \"" << subject << "\" without optimisation data";
      ASSERT_EQ(error, 0);
      ++compared;
    }
  }
  EXPECT_EQ(compared, 24000);
}

}  // namespace
