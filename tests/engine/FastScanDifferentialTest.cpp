// The fast contents search against the plain one: the automaton's answer and the required
// literal against the backtracking matcher, the byte scans against obvious loops, whole
// scans of generated files with both algorithms, which must give the same hits, and whole
// searches of generated trees on disk, plain on one thread against fast on several, which
// must deliver the same items in the same order, also when stopped at random.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/FoundItem.h"
#include "engine/LazyDfa.h"
#include "engine/LiteralScan.h"
#include "engine/Messages.h"
#include "engine/RegExp.h"
#include "engine/ResultsStore.h"
#include "engine/ScanBuffers.h"
#include "engine/ScanPool.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchEngine.h"
#include "engine/SearchExpression.h"
#include "engine/Text.h"
#include "engine/Tuning.h"
#include "support/Sanitized.h"
#include "support/TempTree.h"
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

            // CR LF pairs, and a NUL after an 'a' or a high byte (the pair scans' blocks
            // overlap by one byte).
            std::string nuls = data;
            for (int n = random.below(4); n > 0 && !nuls.empty(); --n)
                nuls[static_cast<std::size_t>(random.below(static_cast<int>(nuls.size())))] = '\0';
            // Runs longer than a block, of NULs then other control bytes.
            if (round % 3 == 0) {
                nuls.insert(
                    static_cast<std::size_t>(random.below(static_cast<int>(nuls.size()) + 1)),
                    std::string(static_cast<std::size_t>(random.below(40)), '\x02'));
                nuls.insert(
                    static_cast<std::size_t>(random.below(static_cast<int>(nuls.size()) + 1)),
                    std::string(static_cast<std::size_t>(random.below(40)), '\0'));
            }
            std::size_t pairs = 0;
            bool beforeNul = false;
            for (std::size_t i = 0; i + 1 < nuls.size(); ++i) {
                pairs += nuls[i] == '\r' && nuls[i + 1] == '\n';
                beforeNul |= nuls[i + 1] == '\0' && (nuls[i] == 'a' || nuls[i] == '\x80');
            }
            EXPECT_EQ(countBytePair(nuls.data(), nuls.size(), '\r', '\n'), pairs);
            EXPECT_EQ(anyFollowedByNul(nuls.data(), nuls.size(), "a\x80"), beforeNul);
            std::string kept;
            for (std::size_t i = 0; i < nuls.size(); ++i) {
                if (nuls[i] != '\0') {
                    kept += nuls[i];
                    continue;
                }
                while (i + 1 < nuls.size() && static_cast<unsigned char>(nuls[i + 1]) < 32)
                    ++i;
            }
            std::string copiedKept(nuls.size(), '\0');
            copiedKept.resize(copyWithoutNulRuns(nuls.data(), nuls.size(), copiedKept.data()));
            EXPECT_EQ(copiedKept, kept);
            std::size_t printable = 0;
            while (printable < nuls.size() && static_cast<unsigned char>(nuls[printable]) < 32)
                ++printable;
            EXPECT_EQ(skipControlBytes(nuls.data(), nuls.size()), printable);
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
                std::string run(data.size(), '\0');
                ASSERT_EQ(copyUntilControl(data.data(), data.size(), run.data(), skipLF), control);
                EXPECT_EQ(run.substr(0, control), (skipLF ? replaced : data).substr(0, control));
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
        expression.set(pattern, matchCase, compileFirst, nullptr);
        ScanBuffers buffers(bufferSize);
        FoundFile file(makeSharedText("/gen/"), "f", 0, 0);
        fs.clearLog();
        Outcome out;
        out.count = file.scanContents(expression, buffers, criteria, stopAtFirst);
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
                    plainHits += want.hits.size();
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

    // Whether each scan's expression is compiled before it, as one compiled for the files
    // before is; otherwise the first line searched compiles it.
    bool compileFirst = false;
    // Hit lines the plain scans of compare() found, over every option.
    std::size_t plainHits = 0;
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

// Mostly lines and binary bytes without the literal "wxyz", whose bytes pass normalisation
// unchanged, so that the fast scan only counts the lines of most chunks; the literal now and
// then, also with NULs between its bytes (as in UTF-16) and across chunk boundaries, where
// it may follow the carried text after a NUL and control bytes that then add nothing.
std::string generateSparseLiteralFile(Random& random, std::size_t size, std::size_t chunk,
                                      bool withNuls) {
    static const char* const kEnds[] = {"\r", "\n", "\r\n", "\n\r", "\r\r\n", "\n\n"};
    static const std::string_view kLiterals[] = {
        "wxyz", "WxYz", {"w\0x\0y\0z\0", 8}, {"wx\0\0\0yz", 7}, {"wx\0\x01\x02yz", 7}};
    std::string out;
    while (out.size() < size) {
        switch (random.below(12)) {
            case 0:
            case 1:
            case 2:
            case 3:
                out += random.text("abwx z.\t", 40);
                break;
            case 4:
            case 5:
            case 6:
                out += kEnds[random.below(6)];
                break;
            case 7:
                out += static_cast<char>(1 + random.below(31));
                break;
            case 8:
                out += static_cast<char>(128 + random.below(128));
                break;
            case 9:
                if (random.below(8) == 0)
                    out.append(1400 + static_cast<std::size_t>(random.below(2000)), 'a');
                break;
            default:
                if (withNuls)
                    out.append(1 + static_cast<std::size_t>(random.below(3)), '\0');
                break;
        }
    }
    out.resize(size);
    // The literal in about half of the stretches of a chunk (of 300 bytes at least), so
    // that the others are only counted.
    const std::size_t stretch = std::max<std::size_t>(chunk, 300);
    for (std::size_t from = 0; from + stretch <= size; from += stretch) {
        if (random.below(2) == 0)
            continue;
        const std::string_view literal = kLiterals[random.below(withNuls ? 5 : 2)];
        const std::size_t at = from + static_cast<std::size_t>(
                                          random.below(static_cast<int>(stretch - literal.size())));
        out.replace(at, literal.size(), literal);
    }
    // Across boundaries: the literal cut anywhere, and "wx", a NUL, then control bytes and
    // "yz" in the next chunk (NUL-free itself unless the file has NULs).
    for (std::size_t boundary = chunk; boundary + 6 < size; boundary += chunk) {
        switch (random.below(4)) {
            case 0:
                out.replace(boundary - std::min<std::size_t>(boundary, random.below(5)), 4,
                            random.below(2) ? "wxyz" : "WXYZ");
                break;
            case 1:
                if (boundary >= 3)
                    out.replace(boundary - 3, 8, std::string_view("wx\0\x01\x02yz\n", 8));
                break;
            default:
                break;
        }
    }
    return out;
}

// A wrong line count in the lines the fast scan only counts moves every later hit's number;
// a literal missed across a boundary, a NUL or the carried text loses a hit.
TEST_F(FastScanFileTest, ChunksWithoutTheLiteralKeepLineNumbersAndBoundaryHits) {
    Random random(5150);
    compileFirst = true;
    static const char* const kPatterns[] = {"wxyz",        "x?wxyz[a-z]*", "wxyz$",
                                            "^[a-z]*wxyz", "wxy",          "xyz"};
    for (const std::size_t bufferSize : {std::size_t{1503}, std::size_t{1507}, std::size_t{1530},
                                         std::size_t{2200}, FoundFile::kBufferSize}) {
        const std::size_t chunk = bufferSize - FoundFile::kCarry;
        for (int round = 0; round < 6; ++round) {
            // Several chunks of the largest buffer, so that whole chunks are only counted.
            const std::size_t size =
                std::max<std::size_t>(2 * chunk, 2000) +
                static_cast<std::size_t>(
                    random.below(static_cast<int>(std::max<std::size_t>(2 * chunk, 12000))));
            const std::string contents =
                generateSparseLiteralFile(random, size, chunk, /*withNuls=*/round % 2 == 1);
            const std::string pattern = pick(random, kPatterns);
            // Ignoring case, the literal is looked for in either case in the text as it is.
            compare(contents, pattern, /*matchCase=*/random.below(2) == 0, bufferSize);
            if (HasFatalFailure())
                return;
        }
    }
    EXPECT_GT(plainHits, 500U);
}

// The same where the bytes between lines hide the literal: control bytes after a NUL add
// nothing, so "wx", NUL, control bytes and "yz" read "wxyz"; and before a hit, line ends of
// every kind in the lines that are only counted. Each file is also cut into chunks of 3
// and 10 bytes.
TEST_F(FastScanFileTest, LiteralHiddenByNulsAndControlBytesIsFound) {
    compileFirst = true;
    using namespace std::string_literals;
    const std::string manyLines = "a\n\r\n\r\rb\n\n\x01\r\x02\n"s;
    const std::string cases[] = {
        "ab\nwx\0\x01\x02yz\nab\nab\n"s,
        "ab\nw\0x\0y\0z\0\n\0a\0b\0\n\0"s,
        "ab\nW\0X\0y\0Z\0\nab\n"s,
        "ab\nwXY\0\x02z\nab\n"s,
        "ab\nwxy\0z\nab\nwxy\0\x03z\n"s,
        "\x01\x02\0\x03wxyz\n\n"s,
        "abcdefgwx\0\x01yz\n\nabcdefgwx\0\x01\nyz\n"s,
        manyLines + manyLines + "wxyz\r\n" + manyLines + "\0wx\0\x05yz\r" + manyLines,
    };
    for (const std::string& contents : cases) {
        for (const std::size_t bufferSize :
             {std::size_t{1503}, std::size_t{1510}, FoundFile::kBufferSize}) {
            for (const bool matchCase : {false, true}) {
                compare(contents, "wxyz", matchCase, bufferSize);
                if (HasFatalFailure())
                    return;
            }
        }
    }
    EXPECT_GT(plainHits, 60U);
}

// Whole searches on several scanning threads ------------------------------------------------

// The installed file system, counting reads and the scanning threads ("scoutwell-scan")
// that have read a file: how many ever did, and how many of them have not ended yet. A
// thread's mark goes when the thread ends, before anyone joining it returns.
class ReaderCountingFileSystem : public FileSystem {
  public:
    static std::atomic<int> scanThreadsAlive;
    static std::atomic<int> scanThreadsSeen;
    static std::atomic<int> reads;

    explicit ReaderCountingFileSystem(FileSystem* real) : real_(real), previous_(fileSystem()) {
        setFileSystem(this);
    }
    ~ReaderCountingFileSystem() override { setFileSystem(previous_); }
    ReaderCountingFileSystem(const ReaderCountingFileSystem&) = delete;
    ReaderCountingFileSystem& operator=(const ReaderCountingFileSystem&) = delete;

    std::unique_ptr<Directory> openFolder(const std::string& path, bool stay) override {
        return wrap(real_->openFolder(path, stay));
    }
    std::unique_ptr<ReadableFile> openForScan(const std::string& folder,
                                              const std::string& name) override {
        return wrap(real_->openForScan(folder, name));
    }
    bool isDirectory(const std::string& path) override { return real_->isDirectory(path); }
    bool exists(const std::string& path) override { return real_->exists(path); }
    std::vector<MountPoint> mounts() override { return real_->mounts(); }

  private:
    struct ThreadMark {
        ThreadMark() {
            char name[16] = {};
            pthread_getname_np(pthread_self(), name, sizeof name);
            counted = std::string_view(name) == "scoutwell-scan";
            if (counted) {
                ++scanThreadsAlive;
                ++scanThreadsSeen;
            }
        }
        ~ThreadMark() {
            if (counted)
                --scanThreadsAlive;
        }
        bool counted = false;
    };

    class File : public ReadableFile {
      public:
        explicit File(std::unique_ptr<ReadableFile> real) : real_(std::move(real)) {}
        long read(char* buffer, std::size_t size) override {
            thread_local ThreadMark mark;
            ++reads;
            return real_->read(buffer, size);
        }

      private:
        std::unique_ptr<ReadableFile> real_;
    };

    class Folder : public Directory {
      public:
        explicit Folder(std::unique_ptr<Directory> real) : real_(std::move(real)) {}
        bool next(std::string_view& name, EntryType& type) override {
            return real_->next(name, type);
        }
        bool stat(std::string_view name, EntryInfo& info) override {
            return real_->stat(name, info);
        }
        std::unique_ptr<Directory> openSubfolder(std::string_view name) override {
            return wrap(real_->openSubfolder(name));
        }
        std::unique_ptr<Directory> openParent() override { return wrap(real_->openParent()); }
        bool close() override { return real_->close(); }
        std::unique_ptr<ReadableFile> openFile(std::string_view name, EntryInfo& info) override {
            return wrap(real_->openFile(name, info));
        }

      private:
        std::unique_ptr<Directory> real_;
    };

    static std::unique_ptr<Directory> wrap(std::unique_ptr<Directory> dir) {
        return dir ? std::make_unique<Folder>(std::move(dir)) : nullptr;
    }
    static std::unique_ptr<ReadableFile> wrap(std::unique_ptr<ReadableFile> file) {
        return file ? std::make_unique<File>(std::move(file)) : nullptr;
    }

    FileSystem* real_;
    FileSystem* previous_;
};

std::atomic<int> ReaderCountingFileSystem::scanThreadsAlive{0};
std::atomic<int> ReaderCountingFileSystem::scanThreadsSeen{0};
std::atomic<int> ReaderCountingFileSystem::reads{0};

// One delivered file as its sink saw it; a file that came in pieces holds the hits of all
// its pieces and the completeness its endHits() reported.
struct Delivered {
    std::string path;
    std::int64_t size = 0;
    FileTime modified = 0;
    bool hitsComplete = false;
    std::vector<HitLine> hits;
    bool inPieces = false;
};

Delivered deliveredOf(const FoundItem& item) {
    Delivered d;
    d.path = item.fullPath();
    d.size = item.size;
    d.modified = item.modified;
    d.hitsComplete = item.hitsComplete;
    d.hits = item.hits;
    return d;
}

// Where `got` departs from `want`, empty when it does not. With `cutAllowed`, `got` may
// hold only the first of the hits, as a file in pieces does whose scan a stop ended.
std::string difference(const Delivered& want, const Delivered& got, bool cutAllowed) {
    std::ostringstream out;
    if (got.path != want.path || got.size != want.size || got.modified != want.modified) {
        out << got.path << " " << got.size << " " << got.modified << " instead of " << want.path
            << " " << want.size << " " << want.modified;
        return out.str();
    }
    const bool cut = cutAllowed && !got.hitsComplete;
    if (!cut && got.hitsComplete != want.hitsComplete)
        out << want.path << ": hitsComplete " << got.hitsComplete;
    else if (cut ? got.hits.size() > want.hits.size() : got.hits.size() != want.hits.size())
        out << want.path << ": " << got.hits.size() << " hits instead of " << want.hits.size();
    for (std::size_t i = 0; out.tellp() == 0 && i < got.hits.size(); ++i) {
        const HitLine& a = want.hits[i];
        const HitLine& b = got.hits[i];
        if (a.lineNumber != b.lineNumber || a.matchStart != b.matchStart ||
            a.matchLength != b.matchLength || a.text != b.text) {
            out << want.path << ": hit " << i << " is line " << b.lineNumber << " match "
                << b.matchStart << "+" << b.matchLength << " instead of line " << a.lineNumber
                << " match " << a.matchStart << "+" << a.matchLength;
        }
    }
    return out.str();
}

// Where two deliveries first differ, empty when `got` equals `want` or, with `prefix`, is a
// beginning of it whose last file may be cut short if it came in pieces.
std::string difference(const std::vector<Delivered>& want, const std::vector<Delivered>& got,
                       bool prefix) {
    if (prefix ? got.size() > want.size() : got.size() != want.size()) {
        return std::to_string(got.size()) + " items instead of " + std::to_string(want.size());
    }
    for (std::size_t i = 0; i < got.size(); ++i) {
        const bool last = i + 1 == got.size();
        const std::string d = difference(want[i], got[i], prefix && last && got[i].inPieces);
        if (!d.empty())
            return "item " + std::to_string(i) + ": " + d;
    }
    return {};
}

// Where two outputs first differ, empty when `got` equals `want` or, with `prefix`, is a
// beginning of it (the line ending a file cut short excepted).
std::string difference(const std::string& want, std::string got, bool prefix, bool cut) {
    if (cut && !got.empty())
        got.pop_back();
    if (prefix ? got.size() <= want.size() && want.compare(0, got.size(), got) == 0 : got == want)
        return {};
    const auto parted = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    return "outputs of " + std::to_string(got.size()) + " and " + std::to_string(want.size()) +
           " bytes part at byte " + std::to_string(parted.first - got.begin());
}

// What one search delivered.
struct Delivery {
    std::vector<Delivered> items;
    std::string bytes;  // as the unattended writer writes them, before its CR LF
    int pieced = 0;     // files that came in pieces
    int pieces = 0;     // further pieces (addHits)
};

// Records what a search delivers: through a result list, or taking every hit as the
// unattended writer does. It checks that no two calls overlap and that pieces come between
// the startHits() and endHits() of one file; it can ask for a stop itself after a number of
// items or further pieces, and lets another thread wait for a number of calls.
class RecordingSink : public FoundItemSink {
  public:
    RecordingSink(SearchCriteria& criteria, bool takesAll)
        : criteria_(criteria), takesAll_(takesAll) {}

    bool takesAllHits() const override { return takesAll_; }

    void add(const FoundItem& item) override {
        const Call call(*this);
        EXPECT_FALSE(open_) << item.fullPath() << " inside the pieces of another file";
        store.add(item);
        run.items.push_back(deliveredOf(item));
        item.writeRow(run.bytes, "\t");
        if (!item.hits.empty()) {
            item.writeHitLines(run.bytes, "\t");
            run.bytes += '\n';
        }
        itemArrived();
    }
    void startHits(const FoundItem& item) override {
        const Call call(*this);
        EXPECT_TRUE(takesAll_);
        EXPECT_FALSE(open_) << item.fullPath() << " inside the pieces of another file";
        open_ = true;
        run.items.push_back(deliveredOf(item));
        run.items.back().inPieces = true;
        ++run.pieced;
        item.writeRow(run.bytes, "\t");
        item.writeHitLines(run.bytes, "\t");
        itemArrived();
    }
    void addHits(const FoundItem& item) override {
        const Call call(*this);
        ASSERT_TRUE(open_ && item.fullPath() == run.items.back().path)
            << "a piece of " << item.fullPath() << " outside its file";
        std::vector<HitLine>& hits = run.items.back().hits;
        hits.insert(hits.end(), item.hits.begin(), item.hits.end());
        item.writeHitLines(run.bytes, "\t");
        ++run.pieces;
        if (run.pieces == stopAfterPieces)
            requestStop();
    }
    void endHits(const FoundItem& item) override {
        const Call call(*this);
        ASSERT_TRUE(open_ && item.fullPath() == run.items.back().path)
            << "the end of " << item.fullPath() << " outside its file";
        open_ = false;
        run.items.back().hitsComplete = item.hitsComplete;
        run.bytes += '\n';
    }

    // Returns once `count` calls have come, or the search has ended.
    void waitForCalls(int count) {
        std::unique_lock<std::mutex> lock(lock_);
        arrived_.wait(lock, [&] { return calls_ >= count || ended_; });
    }
    void searchEnded() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            ended_ = true;
        }
        arrived_.notify_all();
    }
    bool open() const { return open_; }
    // Asks the search to stop, noting how many reads had begun by then.
    void requestStop() {
        readsBeforeStop.store(ReaderCountingFileSystem::reads.load());
        criteria_.requestStop();
    }

    ResultsStore store;
    Delivery run;
    std::atomic<int> readsBeforeStop{-1};
    std::size_t stopAfterItems = 0;
    int stopAfterPieces = 0;

  private:
    // One call into the sink, from whichever thread delivers.
    class Call {
      public:
        explicit Call(RecordingSink& sink) : sink_(sink) {
            EXPECT_FALSE(sink_.inside_.exchange(true)) << "two deliveries at once";
        }
        ~Call() {
            sink_.inside_ = false;
            {
                std::lock_guard<std::mutex> guard(sink_.lock_);
                ++sink_.calls_;
            }
            sink_.arrived_.notify_all();
        }
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

      private:
        RecordingSink& sink_;
    };

    void itemArrived() {
        if (run.items.size() == stopAfterItems)
            requestStop();
    }

    SearchCriteria& criteria_;
    const bool takesAll_;
    bool open_ = false;
    std::atomic<bool> inside_{false};
    std::mutex lock_;
    std::condition_variable arrived_;
    int calls_ = 0;
    bool ended_ = false;
};

// When a search is asked to stop: by its sink after a number of items or further pieces,
// or by another thread once the sink has had a number of calls and a short while after.
struct StopPlan {
    std::size_t afterItems = 0;
    int afterPieces = 0;
    int afterCalls = -1;
    int delayMicroseconds = 0;
};

// Sets the algorithm and the number of scanning threads for its lifetime.
class AlgorithmScope {
  public:
    AlgorithmScope(bool plain, int threads) : wasPlain_(plainAlgorithm()) {
        setPlainAlgorithm(plain);
        setScanThreads(threads);
    }
    ~AlgorithmScope() {
        setPlainAlgorithm(wasPlain_);
        setScanThreads(0);
    }
    AlgorithmScope(const AlgorithmScope&) = delete;
    AlgorithmScope& operator=(const AlgorithmScope&) = delete;

  private:
    bool wasPlain_;
};

// One search on `threads` scanning threads, into a result list or, with `takesAll`, a sink
// that takes every hit. On return every scanning thread has ended and every file that came
// in pieces has had its end.
Delivery search(const SearchCriteria& prototype, bool plain, int threads, bool takesAll,
                const StopPlan& stop = {}) {
    AlgorithmScope algorithm(plain, threads);
    SearchCriteria criteria(prototype);
    RecordingSink sink(criteria, takesAll);
    sink.stopAfterItems = stop.afterItems;
    sink.stopAfterPieces = stop.afterPieces;
    criteria.sink = &sink;
    SearchEngine engine(&criteria, nullptr);
    if (stop.afterCalls < 0) {
        engine.run();
    } else {
        std::thread stopper([&] {
            sink.waitForCalls(stop.afterCalls);
            std::this_thread::sleep_for(std::chrono::microseconds(stop.delayMicroseconds));
            sink.requestStop();
        });
        engine.start();
        engine.join();
        sink.searchEnded();
        stopper.join();
    }
    EXPECT_EQ(ReaderCountingFileSystem::scanThreadsAlive.load(), 0)
        << "a scanning thread outlived its search";
    EXPECT_FALSE(sink.open()) << "a file in pieces never had its end";
    // A thread that is scanning when the stop comes may finish the read of its chunk and
    // settle a CR at its end; nothing else is read.
    if (sink.readsBeforeStop >= 0) {
        EXPECT_LE(ReaderCountingFileSystem::reads - sink.readsBeforeStop, 2 * threads)
            << "reads after the stop";
    }
    if (takesAll)
        return std::move(sink.run);
    Delivery listed;
    sink.store.read([&](const std::vector<std::unique_ptr<FoundItem>>& items) {
        for (const auto& item : items)
            listed.items.push_back(deliveredOf(*item));
    });
    return listed;
}

std::string describe(const SearchCriteria& c) {
    std::ostringstream out;
    out << "pattern '" << c.containingText << "' matchCase " << c.matchContentsCase << " eolUnix "
        << c.eolUnix << " eolMac " << c.eolMac << " onePhase " << c.onePhaseSearch;
    return out.str();
}

// Contents searches of `folder` for random patterns, with and without case, with every
// choice of line ends, in one or two phases; patterns that do not compile are drawn again.
SearchCriteria randomCriteria(Random& random, const std::string& folder) {
    for (;;) {
        SearchCriteria c;
        c.lookIn = {folder};
        c.searchContents = true;
        c.containingText = random.below(3) ? literalPattern(random) : random.pattern();
        c.treatContentsAsRegExp = random.below(6) != 0;
        c.matchContentsCase = random.below(2) == 0;
        c.eolUnix = random.below(4) != 0;
        c.eolMac = random.below(3) == 0;
        c.onePhaseSearch = random.below(2) == 0;
        std::string error;
        if (c.prepare(error))
            return c;
    }
}

// A contents search of `folder` for `pattern`, prepared.
SearchCriteria contentsSearch(const std::string& folder, const char* pattern) {
    SearchCriteria c;
    c.lookIn = {folder};
    c.searchContents = true;
    c.containingText = pattern;
    std::string error;
    EXPECT_TRUE(c.prepare(error)) << error;
    return c;
}

// Short lines of words in mixed case, most holding "error" in some case: a search for it
// finds far more hit lines than a file may hold before it is handed over in pieces.
std::string generateManyHitsFile(Random& random, std::size_t size) {
    static const char* const kWords[] = {"error",  "Error",        "ERROR", "eRRoR",
                                         "errors", "\xC3\x89rror", "ok",    "rror\xC3\xA9",
                                         "_ops",   "12:34",        "x"};
    static const char* const kEnds[] = {"\n", "\n", "\r\n", "\r"};
    std::string out;
    while (out.size() < size) {
        for (int n = 1 + random.below(4); n > 0; --n) {
            out += pick(random, kWords);
            out += ' ';
        }
        out += pick(random, kEnds);
    }
    out.resize(size);
    return out;
}

// Files of the generators in folders up to four deep: most short, some empty, some several
// chunks long, and `manyHits` files of many hit lines.
void makeScanTree(testing::TempTree& tree, Random& random, int files, int manyHits) {
    const std::size_t chunk = FoundFile::kBufferSize - FoundFile::kCarry;
    std::vector<std::string> folders = {""};
    for (int i = random.below(10); i > 0; --i) {
        const std::string parent =
            folders[static_cast<std::size_t>(random.below(static_cast<int>(folders.size())))];
        if (std::count(parent.begin(), parent.end(), '/') < 4)
            folders.push_back(parent + "d" + std::to_string(i) + "/");
    }
    auto where = [&] {
        return folders[static_cast<std::size_t>(random.below(static_cast<int>(folders.size())))];
    };
    for (int i = 0; i < files; ++i) {
        std::size_t size = static_cast<std::size_t>(random.below(3000));
        if (random.below(12) == 0)
            size = 0;
        else if (random.below(8) == 0)
            size = chunk + static_cast<std::size_t>(random.below(static_cast<int>(2 * chunk)));
        tree.file(where() + "f" + std::to_string(i),
                  random.below(2) ? generateFile(random, size, chunk)
                                  : generateMixedCaseFile(random, size, chunk));
    }
    for (int i = 0; i < manyHits; ++i) {
        const std::size_t size = 400000 + static_cast<std::size_t>(random.below(300000));
        tree.file(where() + "many" + std::to_string(i), generateManyHitsFile(random, size));
    }
}

// Under a sanitizer, which makes each search many times slower, fewer searches of each kind.
constexpr int kSearchRounds = testing::kSanitized ? 2 : 5;

class ParallelScanTest : public ::testing::Test {
  protected:
    ~ParallelScanTest() override { setPlainAlgorithm(false); }

    // Plain on one thread against fast on one, two and four, into a result list and into
    // a sink that takes every hit.
    void expectTheSameOnAnyNumberOfThreads(const SearchCriteria& c) {
        for (const bool takesAll : {false, true}) {
            const Delivery want = search(c, /*plain=*/true, 1, takesAll);
            for (const int threads : {1, 2, 4}) {
                SCOPED_TRACE(::testing::Message()
                             << describe(c) << " takesAll " << takesAll << " threads " << threads);
                const Delivery got = search(c, /*plain=*/false, threads, takesAll);
                EXPECT_EQ(difference(want.items, got.items, /*prefix=*/false), "");
                EXPECT_EQ(difference(want.bytes, got.bytes, /*prefix=*/false, /*cut=*/false), "");
                items += got.items.size();
                pieced += got.pieced;
                pieces += got.pieces;
            }
        }
    }

    ReaderCountingFileSystem counting{fileSystem()};
    std::size_t items = 0;
    int pieced = 0;
    int pieces = 0;
};

TEST_F(ParallelScanTest, RandomTreesGiveTheSameResultsOnAnyNumberOfThreads) {
    const int seenBefore = ReaderCountingFileSystem::scanThreadsSeen.load();
    for (const unsigned seed : {11u, 12u, 13u}) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        Random random(seed);
        testing::TempTree tree;
        // Often more files than the queue of files waiting for a scan holds.
        makeScanTree(tree, random, 40 + random.below(80), /*manyHits=*/0);
        for (int round = 0; round < kSearchRounds; ++round) {
            expectTheSameOnAnyNumberOfThreads(randomCriteria(random, tree.path()));
            if (HasFailure())
                return;
        }
    }
    // The searches must keep finding things, on helper threads too.
    EXPECT_GT(items, testing::kSanitized ? 100u : 300u);
    EXPECT_GT(ReaderCountingFileSystem::scanThreadsSeen.load(), seenBefore);
}

// Files with over a megabyte of hit lines come in pieces, each only when every file before
// it has been delivered; small files with and without hits around them.
TEST_F(ParallelScanTest, FilesWithManyHitsComeInPiecesInTheirPlace) {
    const unsigned seed = 21;
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    Random random(seed);
    testing::TempTree tree;
    makeScanTree(tree, random, 30, /*manyHits=*/3);
    const char* const patterns[] = {"error", "rror\xC3\xA9", "^[a-z]*rror", "_ops"};
    for (int round = 0; round < 4; round += testing::kSanitized ? 2 : 1) {
        SearchCriteria c = contentsSearch(tree.path(), patterns[round]);
        c.matchContentsCase = round % 2 == 1;
        c.eolMac = round == 2;
        c.onePhaseSearch = round % 2 == 0;
        expectTheSameOnAnyNumberOfThreads(c);
        if (HasFailure())
            return;
    }
    EXPECT_GT(pieced, testing::kSanitized ? 3 : 6);
    EXPECT_GT(pieces, testing::kSanitized ? 15 : 30);
}

// A search stopped by its sink after a number of items or pieces, or by another thread at
// a random moment, has delivered the first items of the full search, the last one cut
// short only when it came in pieces, and has had every scanning thread end.
TEST_F(ParallelScanTest, StoppedSearchesDeliverTheBeginningOfTheFullOne) {
    const unsigned seed = 31;
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    Random random(seed);
    testing::TempTree tree;
    makeScanTree(tree, random, 50, /*manyHits=*/2);
    int stops = 0;
    const int firstRound = testing::kSanitized ? 1 : 0;
    const int lastRound = testing::kSanitized ? 2 : 3;
    for (int round = firstRound; round <= lastRound; ++round) {
        SearchCriteria c =
            round < 2 ? randomCriteria(random, tree.path()) : contentsSearch(tree.path(), "error");
        c.onePhaseSearch = round % 2 == 0;
        for (const bool takesAll : {false, true}) {
            const Delivery full = search(c, /*plain=*/false, 1, takesAll);
            if (full.items.empty())
                continue;
            const int itemCount = static_cast<int>(full.items.size());
            for (const int threads : {1, 2, 4}) {
                for (int kind = 0; kind < 3; ++kind) {
                    StopPlan stop;
                    if (kind == 0)
                        stop.afterItems = 1 + static_cast<std::size_t>(random.below(itemCount));
                    else if (kind == 1 && full.pieces > 0)
                        stop.afterPieces = 1 + random.below(full.pieces);
                    else if (kind == 1)
                        continue;
                    else
                        stop = {0, 0, random.below(itemCount + 1), random.below(2000)};
                    SCOPED_TRACE(::testing::Message()
                                 << describe(c) << " takesAll " << takesAll << " threads "
                                 << threads << " stop after items " << stop.afterItems << " pieces "
                                 << stop.afterPieces << " calls " << stop.afterCalls << " and "
                                 << stop.delayMicroseconds << " us");
                    const Delivery got = search(c, /*plain=*/false, threads, takesAll, stop);
                    const bool cut = !got.items.empty() && got.items.back().inPieces &&
                                     !got.items.back().hitsComplete;
                    EXPECT_EQ(difference(full.items, got.items, /*prefix=*/true), "");
                    EXPECT_EQ(difference(full.bytes, got.bytes, /*prefix=*/true, cut), "");
                    if (kind == 0) {
                        EXPECT_EQ(got.items.size(), stop.afterItems);
                    } else if (kind == 1) {
                        EXPECT_EQ(got.pieces, stop.afterPieces);
                        EXPECT_TRUE(!got.items.empty() && got.items.back().inPieces)
                            << "an item after the piece that asked to stop";
                    }
                    ++stops;
                    if (HasFailure())
                        return;
                }
            }
        }
    }
    EXPECT_GT(stops, testing::kSanitized ? 20 : 40);
}

}  // namespace
}  // namespace scoutwell
