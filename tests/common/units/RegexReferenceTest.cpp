// TRegex against a deliberately simple reference: random expressions over a small alphabet
// are built as trees, written out as TRegex syntax, and matched both by the engine and by a
// recursive backtracking matcher that walks the tree directly. Both must agree on every group.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "RegexTestSupport.h"
#include "common/units/Regex.h"

namespace {

struct Node {
  enum Kind { Literal, Any, Set, Group, Alternation, Sequence, Repeat } kind = Literal;
  char c = 0;
  std::string set;  // members of a Set
  bool negated = false;
  int group = 0;         // Group number
  int min = 0, max = 0;  // Repeat bounds, -1 = unbounded
  bool greedy = true;
  std::vector<Node> kids;
};

using Captures = std::vector<std::pair<int, int>>;

/// The reference matcher: continuation passing over the tree, captures restored on failure.
class Reference {
 public:
  explicit Reference(const std::string& s) : s_(s) {}

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
        return pos < len && s_[pos] == n.c && k(pos + 1, caps);
      case Node::Any:
        return pos < len && k(pos + 1, caps);
      case Node::Set:
        return pos < len && (n.set.find(s_[pos]) != std::string::npos) != n.negated && k(pos + 1, caps);
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
};

/// Builds random trees and writes them in TRegex syntax, keeping to what the compiler
/// accepts: a repeated operand must have width (as the compiler judges it).
class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  Node Expression(int& groups, std::string& text) {
    groups_ = 0;
    bool width = false;
    Node n = Alternatives(0, text, width);
    groups = groups_;
    return n;
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
    bool atom_width = false;
    Node atom = Atom(depth, text, atom_width);
    const int q = Pick(10);
    if (q < 5) {
      width = atom_width;
      return atom;
    }
    Node rep;
    rep.kind = Node::Repeat;
    rep.greedy = Pick(3) != 0;
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
    if (!atom_width && q != 7) {  // the compiler refuses this; keep the atom alone
      width = atom_width;
      return atom;
    }
    text += quantifier;
    if (!rep.greedy) text += '?';
    width = q == 6 || (q >= 8 && rep.max > 0);
    rep.kids.push_back(std::move(atom));
    return rep;
  }

  Node Atom(int depth, std::string& text, bool& width) {
    Node n;
    width = true;
    const int kind = depth < 3 && groups_ < 8 ? Pick(7) : Pick(5);
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
  std::mt19937 subjects(99);
  int compared = 0;
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    int groups = 0;
    const Node tree = gen.Expression(groups, text);
    TRegex re;
    re.SetExpression(text);
    try {
      re.Compile();
    } catch (const ERegex& e) {
      ADD_FAILURE() << text << " does not compile: " << e.what();
      continue;
    }
    for (int j = 0; j < 4; ++j) {
      std::string subject;
      const int len = static_cast<int>(subjects() % 9);
      for (int k = 0; k < len; ++k) subject += "abc"[subjects() % 3];
      Reference ref(subject);
      Captures caps;
      const std::string expected = ref.Search(tree, groups, caps) ? Describe(caps, subject) : "-";
      const std::string actual = re.Exec(subject) ? regex_test::Describe(re) : "-";
      ASSERT_EQ(actual, expected) << text << " on \"" << subject << "\"";
      ++compared;
    }
  }
  EXPECT_EQ(compared, 12000);
}

}  // namespace
