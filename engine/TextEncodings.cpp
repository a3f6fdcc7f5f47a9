#include "engine/TextEncodings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "engine/Tuning.h"

namespace scoutwell {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;
// Encoded bytes read at a time.
constexpr std::size_t kInputBlock = 64 * 1024;

// Drops the byte-order mark; the rest is the text as it is.
class Utf8BomDecoder : public Decoder {
  public:
    explicit Utf8BomDecoder(ReadableFile& input) : input_(input) {}

    long read(char* buffer, std::size_t size) override {
        if (!markDropped_) {
            char mark[kUtf8Bom.size()];
            if (input_.read(mark, sizeof mark) < 0)
                return -1;
            markDropped_ = true;
        }
        return input_.read(buffer, size);
    }
    TextEnd textEnd() const override { return TextEnd::kWhole; }

  private:
    ReadableFile& input_;
    bool markDropped_ = false;
};

std::size_t encodeUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

bool isHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// UTF-16 to UTF-8, after skipping `skip` bytes of byte-order mark. Every unit is decoded on
// its own in the plain algorithm; the fast one copies runs of ASCII four units at a time.
class Utf16Decoder : public Decoder {
  public:
    Utf16Decoder(ReadableFile& input, bool bigEndian, std::size_t skip)
        : input_(input),
          bigEndian_(bigEndian),
          skip_(skip),
          fast_(!plainAlgorithm()),
          in_(std::make_unique_for_overwrite<unsigned char[]>(kInputBlock)) {}

    long read(char* buffer, std::size_t size) override {
        if (failed_)
            return -1;
        std::size_t produced = 0;
        while (produced < size) {
            if (pendingAt_ < pendingEnd_) {
                const std::size_t n = std::min(size - produced, pendingEnd_ - pendingAt_);
                std::memcpy(buffer + produced, pending_ + pendingAt_, n);
                pendingAt_ += n;
                produced += n;
                continue;
            }
            // A surrogate pair needs four bytes in hand, unless the input has ended.
            if (inEnd_ - inAt_ < 4 && !inputEnded_) {
                if (!refill())
                    return -1;
                continue;
            }
            if (inAt_ == inEnd_)
                break;
            produced += decode(buffer + produced, size - produced);
        }
        return static_cast<long>(produced);
    }
    TextEnd textEnd() const override { return TextEnd::kWhole; }

  private:
    // Keeps the unread bytes and reads a block after them.
    bool refill() {
        const std::size_t kept = inEnd_ - inAt_;
        std::memmove(in_.get(), in_.get() + inAt_, kept);
        inAt_ = 0;
        inEnd_ = kept;
        const long got = input_.read(reinterpret_cast<char*>(in_.get()) + kept, kInputBlock - kept);
        if (got < 0) {
            failed_ = true;
            return false;
        }
        inEnd_ += static_cast<std::size_t>(got);
        if (static_cast<std::size_t>(got) < kInputBlock - kept)
            inputEnded_ = true;
        // The mark is skipped once it has been read.
        const std::size_t skipped = std::min(skip_, inEnd_ - inAt_);
        inAt_ += skipped;
        skip_ -= skipped;
        return true;
    }

    std::uint32_t unitAt(std::size_t at) const {
        const unsigned char* p = in_.get() + at;
        return bigEndian_ ? (std::uint32_t{p[0]} << 8) | p[1] : p[0] | (std::uint32_t{p[1]} << 8);
    }

    // Decodes from the bytes in hand into `out` until either runs short; a character that
    // does not fit whole goes to `pending_`. Returns the bytes written to `out`.
    std::size_t decode(char* out, std::size_t room) {
        std::size_t written = 0;
        while (inAt_ < inEnd_ && written < room) {
            const std::size_t available = inEnd_ - inAt_;
            if (fast_ && available >= 8 && room - written >= 4) {
                std::uint64_t units;
                std::memcpy(&units, in_.get() + inAt_, sizeof units);
                const std::uint64_t notAscii =
                    bigEndian_ ? 0x80FF80FF80FF80FFull : 0xFF80FF80FF80FF80ull;
                if ((units & notAscii) == 0) {
                    const unsigned char* p = in_.get() + inAt_ + (bigEndian_ ? 1 : 0);
                    out[written] = static_cast<char>(p[0]);
                    out[written + 1] = static_cast<char>(p[2]);
                    out[written + 2] = static_cast<char>(p[4]);
                    out[written + 3] = static_cast<char>(p[6]);
                    written += 4;
                    inAt_ += 8;
                    continue;
                }
            }
            if (available < 4 && !inputEnded_)
                break;
            char32_t c = kReplacement;
            std::size_t used = 2;
            if (available < 2) {
                used = 1;  // an odd last byte
            } else {
                const std::uint32_t unit = unitAt(inAt_);
                if (isHighSurrogate(unit)) {
                    if (available >= 4 && isLowSurrogate(unitAt(inAt_ + 2))) {
                        c = 0x10000 + ((unit - 0xD800) << 10) + (unitAt(inAt_ + 2) - 0xDC00);
                        used = 4;
                    }
                } else if (!isLowSurrogate(unit)) {
                    c = unit;
                }
            }
            inAt_ += used;
            char encoded[4];
            const std::size_t length = encodeUtf8(c, encoded);
            const std::size_t fits = std::min(length, room - written);
            std::memcpy(out + written, encoded, fits);
            written += fits;
            if (fits < length) {
                std::memcpy(pending_, encoded + fits, length - fits);
                pendingAt_ = 0;
                pendingEnd_ = length - fits;
            }
        }
        return written;
    }

    ReadableFile& input_;
    const bool bigEndian_;
    std::size_t skip_;
    const bool fast_;
    std::unique_ptr<unsigned char[]> in_;
    std::size_t inAt_ = 0;
    std::size_t inEnd_ = 0;
    bool inputEnded_ = false;
    bool failed_ = false;
    char pending_[4] = {};
    std::size_t pendingAt_ = 0;
    std::size_t pendingEnd_ = 0;
};

class Utf8BomFormat : public DecoderFormat {
  public:
    std::string_view name() const override { return "UTF-8 BOM"; }
    bool enabled(const DecodeOptions&) const override { return true; }
    bool recognises(std::string_view head, bool) const override {
        return head.starts_with(kUtf8Bom);
    }
    bool yieldsText() const override { return true; }
    std::unique_ptr<Decoder> open(ReadableFile& input) const override {
        return std::make_unique<Utf8BomDecoder>(input);
    }
};

class Utf16Format : public DecoderFormat {
  public:
    Utf16Format(bool bigEndian, bool withMark) : bigEndian_(bigEndian), withMark_(withMark) {}

    std::string_view name() const override {
        if (withMark_)
            return bigEndian_ ? "UTF-16BE" : "UTF-16LE";
        return bigEndian_ ? "UTF-16BE guessed" : "UTF-16LE guessed";
    }
    bool enabled(const DecodeOptions&) const override { return true; }
    bool recognises(std::string_view head, bool) const override {
        if (withMark_)
            return head.starts_with(bigEndian_ ? kUtf16BeBom : kUtf16LeBom);
        return guessUtf16(head) ==
               (bigEndian_ ? Utf16Guess::kBigEndian : Utf16Guess::kLittleEndian);
    }
    bool yieldsText() const override { return true; }
    std::unique_ptr<Decoder> open(ReadableFile& input) const override {
        return std::make_unique<Utf16Decoder>(input, bigEndian_, withMark_ ? 2 : 0);
    }

  private:
    const bool bigEndian_;
    const bool withMark_;
};

}  // namespace

Utf16Guess guessUtf16(std::string_view head) {
    const std::size_t window = std::min(head.size(), kGuessWindow) & ~std::size_t{1};
    if (window < kGuessMinimum || std::memchr(head.data(), 0, window) == nullptr)
        return Utf16Guess::kNone;
    std::size_t evenNuls = 0;
    std::size_t oddNuls = 0;
    for (std::size_t i = 0; i < window; i += 2) {
        evenNuls += head[i] == 0;
        oddNuls += head[i + 1] == 0;
        // NULs in both places: binary data, as most files with NULs are.
        if (evenNuls != 0 && oddNuls != 0)
            return Utf16Guess::kNone;
    }
    const std::size_t units = window / 2;
    if (evenNuls == 0 && oddNuls * 4 >= units * 3)
        return Utf16Guess::kLittleEndian;
    if (oddNuls == 0 && evenNuls * 4 >= units * 3)
        return Utf16Guess::kBigEndian;
    return Utf16Guess::kNone;
}

const DecoderFormat& utf8BomFormat() {
    static const Utf8BomFormat format;
    return format;
}

const DecoderFormat& utf16BomFormat(bool bigEndian) {
    static const Utf16Format little(/*bigEndian=*/false, /*withMark=*/true);
    static const Utf16Format big(/*bigEndian=*/true, /*withMark=*/true);
    return bigEndian ? big : little;
}

const DecoderFormat& utf16GuessedFormat(bool bigEndian) {
    static const Utf16Format little(/*bigEndian=*/false, /*withMark=*/false);
    static const Utf16Format big(/*bigEndian=*/true, /*withMark=*/false);
    return bigEndian ? big : little;
}

}  // namespace scoutwell
