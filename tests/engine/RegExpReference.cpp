#include "tests/engine/RegExpReference.h"

#include <bitset>
#include <functional>
#include <memory>
#include <vector>

namespace scoutwell::reference {
namespace {

struct Alternatives;

struct Atom {
    enum Kind { Byte, Any, Set, NotSet, Start, End, Group } kind = Byte;
    unsigned char byte = 0;
    std::bitset<256> members;
    int group = 0;
    std::shared_ptr<Alternatives> inner;
};

struct Piece {
    Atom atom;
    char op = 0;  // 0, '*', '+' or '?'
};

using Branch = std::vector<Piece>;

struct Alternatives {
    std::vector<Branch> branches;
};

bool isRepeat(char c) {
    return c == '*' || c == '+' || c == '?';
}

class Parser {
  public:
    explicit Parser(std::string_view pattern) : p_(pattern) {}

    bool parse(Alternatives& top) {
        bool width = false;
        return alternatives(top, width) && at_ == p_.size();
    }

  private:
    char peek() const { return at_ < p_.size() ? p_[at_] : '\0'; }

    // Has width when every branch has.
    bool alternatives(Alternatives& out, bool& width) {
        width = true;
        for (;;) {
            Branch branch;
            bool branchWidth = false;
            while (peek() != '\0' && peek() != '|' && peek() != ')') {
                Piece piece;
                bool pieceWidth = false;
                if (!parsePiece(piece, pieceWidth))
                    return false;
                branchWidth = branchWidth || pieceWidth;
                branch.push_back(piece);
            }
            width = width && branchWidth;
            out.branches.push_back(branch);
            if (peek() != '|')
                return true;
            ++at_;
        }
    }

    bool parsePiece(Piece& piece, bool& width) {
        bool atomWidth = false;
        if (!parseAtom(piece.atom, atomWidth))
            return false;
        width = atomWidth;
        if (!isRepeat(peek()))
            return true;
        piece.op = p_[at_++];
        if (!atomWidth && piece.op != '?')
            return false;
        if (isRepeat(peek()))
            return false;
        width = piece.op == '+';
        return true;
    }

    bool parseAtom(Atom& atom, bool& width) {
        char c = p_[at_++];
        width = true;
        switch (c) {
            case '^':
                atom.kind = Atom::Start;
                width = false;
                return true;
            case '$':
                atom.kind = Atom::End;
                width = false;
                return true;
            case '.':
                atom.kind = Atom::Any;
                return true;
            case '*':
            case '+':
            case '?':
                return false;
            case '\\':
                if (at_ >= p_.size())
                    return false;
                atom.byte = static_cast<unsigned char>(p_[at_++]);
                return true;
            case '[':
                return parseSet(atom);
            case '(': {
                if (++groups_ > 9)
                    return false;
                atom.kind = Atom::Group;
                atom.group = groups_;
                atom.inner = std::make_shared<Alternatives>();
                if (!alternatives(*atom.inner, width))
                    return false;
                if (peek() != ')')
                    return false;
                ++at_;
                return true;
            }
            default:
                atom.byte = static_cast<unsigned char>(c);
                return true;
        }
    }

    bool parseSet(Atom& atom) {
        atom.kind = Atom::Set;
        if (peek() == '^') {
            atom.kind = Atom::NotSet;
            ++at_;
        }
        // Bytes in the order the set lists them; a range through 0 lists a NUL, and like a
        // C string the list ends there.
        std::vector<int> listed;
        if (peek() == ']' || peek() == '-')
            listed.push_back(static_cast<unsigned char>(p_[at_++]));
        while (peek() != '\0' && peek() != ']') {
            char c = p_[at_++];
            if (c == '-' && peek() != '\0' && peek() != ']') {
                int low = static_cast<signed char>(p_[at_ - 2]);
                int high = static_cast<signed char>(p_[at_++]);
                if (high < low)
                    return false;
                for (int b = low; b <= high; ++b)
                    listed.push_back(static_cast<unsigned char>(b));
            } else {
                listed.push_back(static_cast<unsigned char>(c));
            }
        }
        if (peek() != ']')
            return false;
        ++at_;
        for (int b : listed) {
            if (b == 0)
                break;
            atom.members.set(b);
        }
        return true;
    }

    std::string_view p_;
    std::size_t at_ = 0;
    int groups_ = 0;
};

using Continuation = std::function<bool(int)>;

class Matcher {
  public:
    Matcher(std::string_view subject, Outcome& out) : s_(subject), out_(out) {}

    bool alternatives(const Alternatives& a, int pos, const Continuation& k) {
        for (const Branch& b : a.branches) {
            if (branch(b, 0, pos, k))
                return true;
        }
        return false;
    }

  private:
    int length() const { return static_cast<int>(s_.size()); }
    unsigned char at(int pos) const { return static_cast<unsigned char>(s_[pos]); }

    bool branch(const Branch& b, std::size_t index, int pos, const Continuation& k) {
        if (index == b.size())
            return k(pos);
        return piece(b[index], pos, [&](int p) { return branch(b, index + 1, p, k); });
    }

    bool piece(const Piece& piece, int pos, const Continuation& k) {
        switch (piece.op) {
            case '?':
                return atom(piece.atom, pos, k) || k(pos);
            case '*':
                return star(piece.atom, pos, k);
            case '+':
                return atom(piece.atom, pos, [&](int p) { return star(piece.atom, p, k); });
            default:
                return atom(piece.atom, pos, k);
        }
    }

    bool star(const Atom& a, int pos, const Continuation& k) {
        return atom(a, pos, [&](int p) { return star(a, p, k); }) || k(pos);
    }

    bool atom(const Atom& a, int pos, const Continuation& k) {
        switch (a.kind) {
            case Atom::Byte:
                return pos < length() && at(pos) == a.byte && k(pos + 1);
            case Atom::Any:
                return pos < length() && k(pos + 1);
            case Atom::Set:
                return pos < length() && a.members[at(pos)] && k(pos + 1);
            case Atom::NotSet:
                return pos < length() && !a.members[at(pos)] && k(pos + 1);
            case Atom::Start:
                return pos == 0 && k(pos);
            case Atom::End:
                return pos == length() && k(pos);
            case Atom::Group: {
                int n = a.group;
                bool matched = alternatives(*a.inner, pos, [&](int p) {
                    if (!k(p))
                        return false;
                    if (out_.groupEnd[n] < 0)
                        out_.groupEnd[n] = p;
                    return true;
                });
                if (matched && out_.groupStart[n] < 0)
                    out_.groupStart[n] = pos;
                return matched;
            }
        }
        return false;
    }

    std::string_view s_;
    Outcome& out_;
};

void clearGroups(Outcome& out) {
    for (int n = 0; n < 10; ++n)
        out.groupStart[n] = out.groupEnd[n] = -1;
}

}  // namespace

Outcome search(std::string_view pattern, std::string_view subject) {
    pattern = pattern.substr(0, pattern.find('\0'));
    subject = subject.substr(0, subject.find('\0'));
    Outcome out;
    clearGroups(out);
    Alternatives top;
    if (!Parser(pattern).parse(top))
        return out;
    out.valid = true;
    Matcher matcher(subject, out);
    for (int start = 0; start <= static_cast<int>(subject.size()); ++start) {
        clearGroups(out);
        int end = -1;
        if (matcher.alternatives(top, start, [&](int p) {
                end = p;
                return true;
            })) {
            out.start = start;
            out.length = end - start;
            out.groupStart[0] = start;
            out.groupEnd[0] = end;
            return out;
        }
    }
    clearGroups(out);
    return out;
}

}  // namespace scoutwell::reference
