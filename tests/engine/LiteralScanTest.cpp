// LiteralScan against a naive search, with and without case folding and with the wide
// (AVX2) scan allowed and forbidden: every start alignment and length of a text, so that
// matches fall at both ends of a text and on every side of the 16- and 32-byte blocks.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/LiteralScan.h"

namespace scoutwell {
namespace {

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

std::size_t naiveFind(std::string_view text, std::string_view literal, bool ignoreCase) {
    if (literal.empty() || text.size() < literal.size())
        return LiteralScan::kNotFound;
    for (std::size_t at = 0; at + literal.size() <= text.size(); ++at) {
        bool equal = true;
        for (std::size_t i = 0; i < literal.size() && equal; ++i) {
            equal = ignoreCase ? foldAscii(text[at + i]) == foldAscii(literal[i])
                               : text[at + i] == literal[i];
        }
        if (equal)
            return at;
    }
    return LiteralScan::kNotFound;
}

class WideScans {
  public:
    explicit WideScans(bool allow) { LiteralScan::allowWideScansForTesting(allow); }
    ~WideScans() { LiteralScan::allowWideScansForTesting(true); }
    WideScans(const WideScans&) = delete;
    WideScans& operator=(const WideScans&) = delete;
};

// Each literal's bytes in random case, planted among bytes that only differ from letters by
// the case bit ('@' '[' '`' '{' and the like) or lie beyond ASCII.
TEST(LiteralScanTest, FindsWhatANaiveSearchFinds) {
    const std::string literals[] = {
        "e",
        "Q",
        "@",
        "\xC3",
        "er",
        "error",
        "ERROR",
        "_Ops",
        "a@z",
        "[`{@",
        "\xC3\x89t\xC3\xA9",
        "K\xE2\x84\xAA",
        "a long literal Of Forty bytes, or nearly",
    };
    std::mt19937 random(77);
    const auto below = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    int found = 0;
    for (const bool wide : {true, false}) {
        WideScans scope(wide);
        for (const std::string& literal : literals) {
            const std::string filler = literal + "@[`{^_\x80\xE9\xC9 xX";
            std::string data(100, ' ');
            for (char& c : data)
                c = filler[below(filler.size())];
            // Copies of the literal in random case at both ends and somewhere between.
            for (const std::size_t at : {std::size_t{0}, data.size() - literal.size(),
                                         below(data.size() - literal.size() + 1)}) {
                for (std::size_t i = 0; i < literal.size(); ++i) {
                    const char c = literal[i];
                    const bool letter = foldAscii(c) >= 'a' && foldAscii(c) <= 'z';
                    data[at + i] = letter && below(2) ? static_cast<char>(c ^ 0x20) : c;
                }
            }
            for (const bool ignoreCase : {true, false}) {
                const LiteralScan scan(literal, ignoreCase);
                for (std::size_t start = 0; start < data.size(); ++start) {
                    for (std::size_t size = 0; start + size <= data.size(); ++size) {
                        const std::string_view text(data.data() + start, size);
                        const std::size_t want = naiveFind(text, literal, ignoreCase);
                        ASSERT_EQ(scan.find(text.data(), text.size()), want)
                            << "literal '" << literal << "' ignoreCase " << ignoreCase << " wide "
                            << wide << " start " << start << " size " << size;
                        found += want != LiteralScan::kNotFound;
                    }
                }
            }
        }
    }
    EXPECT_GT(found, 50000);
}

TEST(LiteralScanTest, IgnoringCaseLowersTheLiteralsLettersOnly) {
    EXPECT_EQ(LiteralScan("Error[@]\xC3\x89", /*ignoreCase=*/true).literal(), "error[@]\xC3\x89");
    EXPECT_EQ(LiteralScan("Error", /*ignoreCase=*/false).literal(), "Error");
}

}  // namespace
}  // namespace scoutwell
