// The fast contents search against the plain one: the automaton's answer and the required
// literal against the backtracking matcher, the byte scans against obvious loops, and whole
// scans of generated files with both algorithms, which must give the same hits.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/FoundItem.h"
#include "engine/LazyDfa.h"
#include "engine/LiteralScan.h"
#include "engine/Messages.h"
#include "engine/RegExp.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "engine/Text.h"
#include "engine/Tuning.h"
#include "tests/engine/FakeScanFileSystem.h"

namespace scoutwell {
namespace {

using testing::FakeScanFileSystem;

class SilentSink : public MessageSink {
  public:
    void showMessage(const std::string&) override {}
};

// Keeps `sink` installed for its lifetime.
class SinkScope {
  public:
    explicit SinkScope(MessageSink* sink) : previous_(messageSink()) { setMessageSink(sink); }
    ~SinkScope() { setMessageSink(previous_); }
    SinkScope(const SinkScope&) = delete;
    SinkScope& operator=(const SinkScope&) = delete;

  private:
    MessageSink* previous_;
};

class Random {
  public:
    explicit Random(unsigned seed) : engine_(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }

    // Valid and invalid expressions over a small alphabet, so that they match often:
    // literal runs, sets, groups, alternatives, repetitions and both anchors.
    std::string pattern(int depth = 2) {
        std::string s = branch(depth);
        while (below(4) == 0)
            s += "|" + branch(depth);
        return s;
    }

    std::string text(const std::string& alphabet, int maxLength) {
        std::string s;
        for (int n = below(maxLength + 1); n > 0; --n)
            s += alphabet[static_cast<std::size_t>(below(static_cast<int>(alphabet.size())))];
        return s;
    }

  private:
    std::string branch(int depth) {
        std::string s;
        if (below(6) == 0)
            s += "^";
        for (int n = 1 + below(3); n > 0; --n) {
            s += atom(depth);
            static const char* const kRepeats[] = {"", "", "", "*", "+", "?"};
            s += kRepeats[below(6)];
        }
        if (below(6) == 0)
            s += "$";
        return s;
    }

    std::string atom(int depth) {
        switch (below(depth > 0 ? 7 : 5)) {
            case 0:
                return ".";
            case 1:
                return below(2) ? "[ab]" : "[^a:]";
            case 2:
                return "\\:";
            case 3:
            case 4: {
                static const char* const kRuns[] = {"ab", "a", "b:", "ba", "Ab", "\xC3\x89"};
                return kRuns[below(6)];
            }
            default:
                return "(" + pattern(depth - 1) + ")";
        }
    }

    std::mt19937 engine_;
};

TEST(FastScanDifferentialTest, AutomatonAndRequiredLiteralAgreeWithTheMatcher) {
    SilentSink silent;
    SinkScope scope(&silent);
    Random random(4242);
    int compiled = 0, matched = 0, withLiteral = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string pattern = random.pattern();
        RegExp re;
        if (!re.compile(pattern))
            continue;
        ++compiled;
        withLiteral += !re.requiredLiteral().empty();
        LazyDfa dfa(re);
        for (int s = 0; s < 30; ++s) {
            std::string subject = random.text("aab:A\xC3\x89", 14);
            if (random.below(20) == 0)
                subject.insert(
                    static_cast<std::size_t>(random.below(static_cast<int>(subject.size()) + 1)), 1,
                    '\0');
            int length = 0;
            const int start = re.search(subject, length);
            const LazyDfa::Answer answer = dfa.contains(subject);
            ASSERT_EQ(answer, start >= 0 ? LazyDfa::Answer::Yes : LazyDfa::Answer::No)
                << "pattern '" << pattern << "' subject '" << subject << "'";
            if (start >= 0) {
                ++matched;
                EXPECT_NE(re.matchedText().find(re.requiredLiteral()), std::string::npos)
                    << "pattern '" << pattern << "' literal '" << re.requiredLiteral() << "'";
            }
        }
    }
    // The generator must keep producing cases worth comparing.
    EXPECT_GT(compiled, 1000);
    EXPECT_GT(matched, 5000);
    EXPECT_GT(withLiteral, 300);
}

TEST(FastScanDifferentialTest, RequiredLiteralIsFoundOnEveryPath) {
    struct Case {
        const char* pattern;
        const char* literal;
    };
    const Case cases[] = {
        {"struct [a-z_]*_ops", "_ops"},  // rarer than "struct "
        {"[0-9][0-9]:[0-9][0-9]", ":"},
        {"(ab|cd)x", "x"},
        {"ab|cd", ""},
        {"(foo)+bar?", "ba"},
        {"a*", ""},
        {"q+", "q"},
        {"(x(yz)?)*w", "w"},
        {"^#include", "#include"},
    };
    for (const Case& c : cases) {
        RegExp re;
        ASSERT_TRUE(re.compile(c.pattern)) << c.pattern;
        EXPECT_EQ(re.requiredLiteral(), c.literal) << c.pattern;
    }
}

// With the AVX2 forms allowed and forbidden; texts long enough for several 16- and 32-byte
// blocks and a remainder.
TEST(FastScanDifferentialTest, ByteScansEqualPlainLoops) {
    Random random(99);
    for (const bool wide : {true, false}) {
        LiteralScan::allowWideScansForTesting(wide);
        for (int round = 0; round < 2000; ++round) {
            // Control bytes everywhere, or a few at most.
            std::string data =
                random.text(round % 2 ? "ab\r\n\t\x01 \x80\xFF" : "ab\t \x80\xFF", 140);
            for (int n = random.below(3); n > 0 && !data.empty(); --n)
                data[static_cast<std::size_t>(random.below(static_cast<int>(data.size())))] =
                    "\r\n\x01"[random.below(3)];
            const std::string needle = random.text("ab\r", 4);
            const LiteralScan scan(needle);
            const std::size_t want = needle.empty() ? std::string::npos : data.find(needle);
            const std::size_t got = scan.find(data.data(), data.size());
            EXPECT_EQ(got == LiteralScan::kNotFound ? std::string::npos : got, want)
                << "needle '" << needle << "'";

            std::size_t crs = 0;
            std::string replaced = data;
            for (char& c : replaced) {
                crs += c == '\r';
                if (c == '\n')
                    c = '\r';
            }
            EXPECT_EQ(countByte(data.data(), data.size(), '\r'), crs);
            std::string copied(data.size(), '\0');
            copyReplacing(data.data(), data.size(), copied.data(), '\n', '\r');
            EXPECT_EQ(copied, replaced);

            for (const bool skipLF : {false, true}) {
                std::size_t control = 0;
                while (control < data.size()) {
                    const auto c = static_cast<unsigned char>(data[control]);
                    if (c < 32 && c != '\t' && !(skipLF && c == '\n'))
                        break;
                    ++control;
                }
                EXPECT_EQ(findControlByte(data.data(), data.size(), skipLF), control);
            }
        }
        // Counting must not overflow on long runs of the byte.
        const std::string crs(100000, '\r');
        EXPECT_EQ(countByte(crs.data(), crs.size(), '\r'), crs.size());
    }
    LiteralScan::allowWideScansForTesting(true);
}

// A byte from 0x80 up never belongs to the same character as an ASCII byte, so lowering the
// text cut before every ASCII byte gives the same as lowering it at once; the pieces are
// too short for the sixteen-byte path.
TEST(FastScanDifferentialTest, BlockLowerCasingEqualsOneCharacterAtATime) {
    Random random(7);
    for (int round = 0; round < 500; ++round) {
        const std::string s = random.text("AbZz@[`{\xC3\x89\xA9\xCE\x91\xE1\xBA\x9E\xFF", 200);
        std::string want;
        std::size_t from = 0;
        for (std::size_t i = 1; i <= s.size(); ++i) {
            if (i == s.size() || static_cast<unsigned char>(s[i]) < 0x80) {
                want += text::toLower(s.substr(from, i - from));
                from = i;
            }
        }
        EXPECT_EQ(text::toLower(s), want);
    }
}

// Files with every line end, control and high bytes, long lines cut into pieces and line
// ends planted at chunk boundaries.
std::string generateFile(Random& random, std::size_t size, std::size_t chunk) {
    static const char* const kEnds[] = {"\r", "\n", "\r\n", "\n\r", "\r\r\n", "\n\n"};
    std::string out;
    while (out.size() < size) {
        switch (random.below(10)) {
            case 0:
            case 1:
            case 2:
            case 3:
                out += random.text("aabAB: \t\xC3\x89", 50);
                break;
            case 4:
            case 5:
                out += kEnds[random.below(6)];
                break;
            case 6:
                out += static_cast<char>(random.below(32));
                break;
            case 7:
                out += static_cast<char>(128 + random.below(128));
                break;
            case 8:
                out.append(static_cast<std::size_t>(random.below(4000)), "ab"[random.below(2)]);
                break;
            default:
                out += "12:34";
                break;
        }
    }
    out.resize(size);
    for (std::size_t boundary = chunk; boundary < size; boundary += chunk) {
        if (random.below(2) == 0)
            out[boundary - static_cast<std::size_t>(random.below(2))] = "\r\n"[random.below(2)];
    }
    return out;
}

class FastScanFileTest : public ::testing::Test {
  protected:
    ~FastScanFileTest() override { setPlainAlgorithm(false); }

    struct Outcome {
        std::vector<HitLine> hits;
        bool hitsComplete = false;
        std::vector<std::size_t> reads;
        int count = 0;
    };

    Outcome scan(bool plain, const std::string& pattern, bool matchCase, std::size_t bufferSize,
                 bool stopAtFirst) {
        setPlainAlgorithm(plain);
        SearchExpression expression;
        expression.set(pattern, matchCase, /*compileNow=*/false, nullptr);
        std::vector<char> a(bufferSize);
        std::vector<char> b(bufferSize);
        FoundFile file(makeSharedText("/gen/"), "f", 0, 0);
        fs.clearLog();
        Outcome out;
        out.count =
            file.scanContents(expression, a.data(), b.data(), bufferSize, criteria, stopAtFirst);
        out.hits = file.hits;
        out.hitsComplete = file.hitsComplete;
        out.reads = fs.readSizes();
        return out;
    }

    void compare(const std::string& contents, const std::string& pattern, bool matchCase,
                 std::size_t bufferSize) {
        fs.add("/gen/f", contents);
        for (const bool eolUnix : {false, true}) {
            for (const bool eolMac : {false, true}) {
                criteria.eolUnix = eolUnix;
                criteria.eolMac = eolMac;
                for (const bool stopAtFirst : {false, true}) {
                    SCOPED_TRACE(::testing::Message()
                                 << "pattern '" << pattern << "' matchCase " << matchCase
                                 << " eolUnix " << eolUnix << " eolMac " << eolMac
                                 << " stopAtFirst " << stopAtFirst << " buffer " << bufferSize);
                    const Outcome want = scan(true, pattern, matchCase, bufferSize, stopAtFirst);
                    const Outcome got = scan(false, pattern, matchCase, bufferSize, stopAtFirst);
                    EXPECT_EQ(got.count, want.count);
                    EXPECT_EQ(got.hitsComplete, want.hitsComplete);
                    EXPECT_EQ(got.reads, want.reads);
                    ASSERT_EQ(got.hits.size(), want.hits.size());
                    for (std::size_t i = 0; i < want.hits.size(); ++i) {
                        SCOPED_TRACE(::testing::Message() << "hit " << i);
                        EXPECT_EQ(got.hits[i].lineNumber, want.hits[i].lineNumber);
                        EXPECT_EQ(got.hits[i].matchStart, want.hits[i].matchStart);
                        EXPECT_EQ(got.hits[i].matchLength, want.hits[i].matchLength);
                        ASSERT_EQ(got.hits[i].text, want.hits[i].text);
                    }
                }
            }
        }
    }

    SilentSink silent;
    SinkScope scope{&silent};
    FakeScanFileSystem fs;
    FakeScanFileSystem::Installed installed{fs};
    SearchCriteria criteria;
};

TEST_F(FastScanFileTest, FastAndPlainScansGiveTheSameHits) {
    Random random(2024);
    const std::size_t chunk = FoundFile::kBufferSize - FoundFile::kCarry;
    for (int round = 0; round < 6; ++round) {
        const std::size_t size =
            static_cast<std::size_t>(random.below(static_cast<int>(2 * chunk + 3000)));
        const std::string contents = generateFile(random, size, chunk);
        for (int p = 0; p < 3; ++p) {
            const std::string pattern = p == 0 ? "[0-9][0-9]:[0-9][0-9]" : random.pattern();
            compare(contents, pattern, /*matchCase=*/random.below(2) == 0, FoundFile::kBufferSize);
            if (HasFatalFailure())
                return;
        }
    }
}

// Small buffers put chunk boundaries and pieces of long lines everywhere.
TEST_F(FastScanFileTest, SmallBuffersGiveTheSameHits) {
    Random random(31);
    for (const std::size_t bufferSize : {std::size_t{1501}, std::size_t{1540}, std::size_t{2200}}) {
        for (int round = 0; round < 12; ++round) {
            const std::string contents =
                generateFile(random, static_cast<std::size_t>(random.below(9000)),
                             bufferSize - FoundFile::kCarry);
            compare(contents, random.pattern(), /*matchCase=*/random.below(2) == 0, bufferSize);
            if (HasFatalFailure())
                return;
        }
    }
}

template <std::size_t N>
const char* pick(Random& random, const char* const (&items)[N]) {
    return items[random.below(static_cast<int>(N))];
}

// Words in every case, next to letters beyond ASCII in either case, letters whose other
// case is longer or shorter (the Kelvin sign, dotted capital I, long s), cut and stray UTF-8
// bytes, lines longer than the carry, and a literal in mixed case planted across chunk
// boundaries.
std::string generateMixedCaseFile(Random& random, std::size_t size, std::size_t chunk) {
    static const char* const kWords[] = {
        "error",
        "Error",
        "ERROR",
        "eRRoR",
        "errors",
        "err",
        "\xC3\x89rror",
        "\xC3\xA9RROR",
        "\xC3\x89RROR",
        "\xC3\xA9rror",
        "rror\xC3\x89",
        "RROR\xC3\xA9",
        "K\xE2\x84\xAA",
        "\xC4\xB0i",
        "\xC5\xBFs",
        "\xCE\xA3\xCF\x83_OPS",
        "\xCF\x83\xCF\x83_ops",
        "_ops",
        "12:34",
        "\xC3",
        "\xFF",
        "@[`{",
    };
    static const char* const kGaps[] = {" ", " ", "\t", "\n", "\r\n", "\r", "x", ""};
    std::string out;
    while (out.size() < size) {
        if (random.below(60) == 0) {
            // An overlong line: words without a line end for longer than the carry.
            const std::size_t end =
                out.size() + 1600 + static_cast<std::size_t>(random.below(3000));
            while (out.size() < end)
                out += std::string(pick(random, kWords)) + (random.below(3) ? " " : "");
        }
        out += pick(random, kWords);
        out += pick(random, kGaps);
    }
    out.resize(size);
    for (std::size_t boundary = chunk; boundary < size; boundary += chunk) {
        if (random.below(2) == 0)
            continue;
        const std::string planted = random.below(2) ? "ErRoR" : "\xC3\x89RROR";
        const std::size_t at =
            boundary - std::min(boundary, static_cast<std::size_t>(random.below(6)));
        const std::size_t length = std::min(planted.size(), size - at);
        out.replace(at, length, planted, 0, length);
    }
    return out;
}

// Expressions around a required literal, in mixed case and beyond ASCII, and some of the
// small generated ones.
std::string literalPattern(Random& random) {
    static const char* const kBefore[] = {"", "", "", "^", ".", "[a-z]", "(x|y)?", "[^ ]*"};
    static const char* const kLiterals[] = {
        "error",
        "ERROR",
        "Err",
        "rror",
        "\xC3\x89rror",
        "\xC3\xA9RROR",
        "rror\xC3\xA9",
        "\xC3\xA9R",
        "\xCE\xA3\xCF\x83",
        "\xCF\x83_OPS",
        "_ops",
        "k",
        "s",
        "i",
        "12:3",
        "@[",
    };
    static const char* const kAfter[] = {"", "", "", "$", "s?", "[a-z]+", "(or)*", " *"};
    if (random.below(6) == 0)
        return random.pattern();
    return std::string(pick(random, kBefore)) + pick(random, kLiterals) + pick(random, kAfter);
}

TEST_F(FastScanFileTest, MixedCaseTextsGiveTheSameHitsEitherCaseRule) {
    Random random(808);
    for (const std::size_t bufferSize :
         {FoundFile::kBufferSize, std::size_t{1540}, std::size_t{2200}}) {
        const std::size_t chunk = bufferSize - FoundFile::kCarry;
        for (int round = 0; round < 5; ++round) {
            const std::size_t size =
                2000 + static_cast<std::size_t>(
                           random.below(static_cast<int>(std::min<std::size_t>(2 * chunk, 20000))));
            const std::string contents = generateMixedCaseFile(random, size, chunk);
            for (int p = 0; p < 6; ++p) {
                const std::string pattern = literalPattern(random);
                for (const bool matchCase : {false, true}) {
                    compare(contents, pattern, matchCase, bufferSize);
                    if (HasFatalFailure())
                        return;
                }
            }
        }
    }
}

TEST_F(FastScanFileTest, PatternThatDoesNotCompileFindsNothingEitherWay) {
    compare("a(b\nab\n", "a(b", /*matchCase=*/true, FoundFile::kBufferSize);
    compare("\n\n\n", "(((((((((((x)))))))))))", /*matchCase=*/false, FoundFile::kBufferSize);
}

}  // namespace
}  // namespace scoutwell
