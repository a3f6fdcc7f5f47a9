// Literal analysis of a compiled RegExp program: the literal that every match must
// contain, chosen for the contents scan's literal search.
#include <string_view>
#include <tuple>

#include "engine/LiteralScan.h"
#include "engine/RegExpProgram.h"

namespace scoutwell::regexp {
namespace {

// Larger programs are not worth the quadratic search for a required literal.
constexpr std::size_t kMaxAnalysedProgram = 4096;

// The nodes the matcher can go on to from `at`, as advance() and backtrack() walk them;
// repetition operands are never visited as nodes.
void successors(const std::uint8_t* code, int at, std::vector<int>& out) {
    out.clear();
    const std::uint8_t op = code[at];
    if (op == RegExp::End)
        return;
    if (op == RegExp::Alternative) {
        int next = nextNode(code, at);
        if (next == kNone || code[next] != RegExp::Alternative) {
            out.push_back(at + kNodeSize);
            return;
        }
        for (int branch = at; branch != kNone && code[branch] == RegExp::Alternative;
             branch = nextNode(code, branch)) {
            out.push_back(branch + kNodeSize);
        }
        return;
    }
    int next = nextNode(code, at);
    if (next != kNone)
        out.push_back(next);
}

// Visits each node the matcher can reach from the start once, depth first, never passing
// `blocked`; stops as soon as `visit` returns true, and tells whether it did.
template <typename Visit>
bool anyReachable(const std::uint8_t* code, std::size_t size, int blocked, Visit&& visit) {
    std::vector<bool> seen(size, false);
    std::vector<int> pending{0};
    std::vector<int> next;
    while (!pending.empty()) {
        const int at = pending.back();
        pending.pop_back();
        if (at < 0 || static_cast<std::size_t>(at) >= size || seen[at] || at == blocked)
            continue;
        seen[at] = true;
        if (visit(at))
            return true;
        successors(code, at, next);
        pending.insert(pending.end(), next.begin(), next.end());
    }
    return false;
}

// Whether End can be reached from the start without passing `blocked`.
bool reachesEndAvoiding(const std::uint8_t* code, std::size_t size, int blocked) {
    return anyReachable(code, size, blocked, [code](int at) { return code[at] == RegExp::End; });
}

// Rarer literals first, then longer ones: the scan's cost is set by how often its two
// rarest bytes occur together.
bool betterLiteral(std::string_view a, std::string_view b) {
    auto key = [](std::string_view s) {
        int best = -1, second = -1;
        for (char c : s) {
            int r = LiteralScan::rarity(static_cast<unsigned char>(c));
            if (r > best) {
                second = best;
                best = r;
            } else if (r > second) {
                second = r;
            }
        }
        return std::make_tuple(best, second, s.size());
    };
    return key(a) > key(b);
}

}  // namespace

std::string findRequiredLiteral(const std::vector<std::uint8_t>& program) {
    const std::uint8_t* code = program.data();
    const std::size_t size = program.size();
    std::string best;
    if (size > kMaxAnalysedProgram)
        return best;
    anyReachable(code, size, kNone, [&](int at) {
        std::string_view candidate;
        const auto* operand = reinterpret_cast<const char*>(code + at + kNodeSize);
        if (code[at] == RegExp::Literal) {
            candidate = operand;
        } else if (code[at] == RegExp::OneOrMore && code[at + kNodeSize] == RegExp::Literal) {
            candidate = std::string_view(operand + kNodeSize, 1);
        }
        if (!candidate.empty() && (best.empty() || betterLiteral(candidate, best)) &&
            !reachesEndAvoiding(code, size, at)) {
            best.assign(candidate);
        }
        return false;
    });
    return best;
}

}  // namespace scoutwell::regexp
