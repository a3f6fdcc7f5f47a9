#include "engine/CompressedFormats.h"

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>

namespace scoutwell {
namespace {

// Compressed bytes handed to libarchive at a time.
constexpr std::size_t kInputBlock = 128 * 1024;

struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};

// The decompressed bytes of a compressed input, through libarchive's raw format.
class CompressedDecoder : public Decoder {
  public:
    explicit CompressedDecoder(ReadableFile& input)
        : input_(input), block_(std::make_unique_for_overwrite<char[]>(kInputBlock)) {}

    long read(char* buffer, std::size_t size) override {
        if (stopped_)
            return -1;
        if (!archive_ && !start())
            return stop();
        std::size_t produced = 0;
        while (produced < size) {
            const la_ssize_t got =
                archive_read_data(archive_.get(), buffer + produced, size - produced);
            if (got < 0) {
                // What was decompressed before the damage stands; the next read says -1.
                if (inputFailed_ || produced == 0)
                    return stop();
                end_ = TextEnd::kDamaged;
                stopped_ = true;
                break;
            }
            if (got == 0)
                break;
            produced += static_cast<std::size_t>(got);
        }
        return static_cast<long>(produced);
    }

    TextEnd textEnd() const override { return end_; }

  private:
    bool start() {
        archive_.reset(archive_read_new());
        if (!archive_)
            return false;
        archive* a = archive_.get();
        // Each filter on its own library: none of them may start an external program.
        if (archive_read_support_filter_gzip(a) != ARCHIVE_OK ||
            archive_read_support_filter_bzip2(a) != ARCHIVE_OK ||
            archive_read_support_filter_xz(a) != ARCHIVE_OK ||
            archive_read_support_filter_lzma(a) != ARCHIVE_OK ||
            archive_read_support_filter_zstd(a) != ARCHIVE_OK ||
            archive_read_support_filter_lz4(a) != ARCHIVE_OK ||
            archive_read_support_format_raw(a) != ARCHIVE_OK)
            return false;
        if (archive_read_open(a, this, nullptr, &CompressedDecoder::supply, nullptr) != ARCHIVE_OK)
            return false;
        archive_entry* entry = nullptr;
        if (archive_read_next_header(a, &entry) != ARCHIVE_OK)
            return false;
        // Without a decompressing filter, libarchive would hand the bytes on as they are:
        // they are not of a compressed format it knows.
        return archive_filter_count(a) > 1;
    }

    // -1 for good: for damaged data unless the input itself failed to read.
    long stop() {
        stopped_ = true;
        end_ = inputFailed_ ? TextEnd::kWhole : TextEnd::kDamaged;
        return -1;
    }

    static la_ssize_t supply(archive* a, void* self, const void** block) {
        auto* decoder = static_cast<CompressedDecoder*>(self);
        const long got = decoder->input_.read(decoder->block_.get(), kInputBlock);
        if (got < 0) {
            decoder->inputFailed_ = true;
            archive_set_error(a, EIO, "read error");
            return -1;
        }
        *block = decoder->block_.get();
        return got;
    }

    ReadableFile& input_;
    std::unique_ptr<char[]> block_;
    std::unique_ptr<archive, ArchiveFree> archive_;
    bool stopped_ = false;
    bool inputFailed_ = false;
    TextEnd end_ = TextEnd::kWhole;
};

// gzip through zlib itself, which checks every member's CRC and length: libarchive's gzip
// filter checks neither, and would pass damaged data off as a complete text. Members
// follow one another; bytes after the last that do not start another end the text, as
// gzip ignores such trailing garbage.
class GzipDecoder : public Decoder {
  public:
    explicit GzipDecoder(ReadableFile& input)
        : input_(input), block_(std::make_unique_for_overwrite<unsigned char[]>(kInputBlock)) {}
    ~GzipDecoder() override {
        if (started_)
            inflateEnd(&stream_);
    }
    GzipDecoder(const GzipDecoder&) = delete;
    GzipDecoder& operator=(const GzipDecoder&) = delete;

    long read(char* buffer, std::size_t size) override {
        if (stopped_)
            return -1;
        if (!started_) {
            if (inflateInit2(&stream_, 15 + 16) != Z_OK)
                return stop(0);
            started_ = true;
        }
        std::size_t produced = 0;
        while (produced < size && !ended_) {
            // A member's end is told by two bytes: another member's magic, or not.
            const std::size_t wanted = memberEnded_ ? 2 : 1;
            if (stream_.avail_in < wanted && !inputEnded_ && !refill())
                return -1;
            if (memberEnded_) {
                if (stream_.avail_in < 2 || stream_.next_in[0] != 0x1F ||
                    stream_.next_in[1] != 0x8B) {
                    ended_ = true;
                    break;
                }
                inflateReset(&stream_);
                memberEnded_ = false;
            }
            stream_.next_out = reinterpret_cast<unsigned char*>(buffer + produced);
            stream_.avail_out = static_cast<uInt>(size - produced);
            const int result = inflate(&stream_, Z_NO_FLUSH);
            produced = size - stream_.avail_out;
            if (result == Z_STREAM_END) {
                memberEnded_ = true;
            } else if (result == Z_BUF_ERROR && stream_.avail_in == 0 && inputEnded_) {
                return stop(produced);  // truncated
            } else if (result != Z_OK && result != Z_BUF_ERROR) {
                return stop(produced);  // damaged: a bad header, data, CRC or length
            }
        }
        return static_cast<long>(produced);
    }

    TextEnd textEnd() const override { return end_; }

  private:
    // Reads a block after the bytes not yet used. False when the input failed.
    bool refill() {
        const std::size_t kept = stream_.avail_in;
        if (kept > 0)  // before the first block, next_in is null
            std::memmove(block_.get(), stream_.next_in, kept);
        const long got =
            input_.read(reinterpret_cast<char*>(block_.get()) + kept, kInputBlock - kept);
        if (got < 0) {
            stopped_ = true;
            return false;
        }
        if (static_cast<std::size_t>(got) < kInputBlock - kept)
            inputEnded_ = true;
        stream_.next_in = block_.get();
        stream_.avail_in = static_cast<uInt>(kept + static_cast<std::size_t>(got));
        return true;
    }

    // Damaged data: what was decompressed before it is returned first, then -1.
    long stop(std::size_t produced) {
        stopped_ = true;
        end_ = TextEnd::kDamaged;
        return produced > 0 ? static_cast<long>(produced) : -1;
    }

    ReadableFile& input_;
    std::unique_ptr<unsigned char[]> block_;
    z_stream stream_{};
    bool started_ = false;
    bool inputEnded_ = false;
    bool memberEnded_ = false;
    bool ended_ = false;
    bool stopped_ = false;
    TextEnd end_ = TextEnd::kWhole;
};

bool byteAt(std::string_view head, std::size_t at, unsigned char value) {
    return head.size() > at && static_cast<unsigned char>(head[at]) == value;
}

// A format known by the bytes it starts with.
class CompressedFormat : public DecoderFormat {
  public:
    using Test = bool (*)(std::string_view head);
    CompressedFormat(std::string_view name, Test test, bool gzip = false)
        : name_(name), test_(test), gzip_(gzip) {}

    std::string_view name() const override { return name_; }
    bool enabled(const DecodeOptions& options) const override { return options.insideCompressed; }
    bool recognises(std::string_view head, bool) const override { return test_(head); }
    bool yieldsText() const override { return false; }
    std::unique_ptr<Decoder> open(ReadableFile& input) const override {
        if (gzip_)
            return std::make_unique<GzipDecoder>(input);
        return std::make_unique<CompressedDecoder>(input);
    }

  private:
    std::string_view name_;
    Test test_;
    bool gzip_;
};

bool isGzip(std::string_view head) {
    // Deflate is the only method; the reserved flag bits are clear.
    return head.starts_with("\x1F\x8B\x08") && head.size() > 3 &&
           (static_cast<unsigned char>(head[3]) & 0xE0) == 0;
}

bool isBzip2(std::string_view head) {
    return head.starts_with("BZh") && head.size() >= 10 && head[3] >= '1' && head[3] <= '9' &&
           (head.substr(4, 6) == "\x31\x41\x59\x26\x53\x59" ||
            head.substr(4, 6) == "\x17\x72\x45\x38\x50\x90");
}

bool isXz(std::string_view head) {
    return head.starts_with(
        std::string_view("\xFD"
                         "7zXZ\0",
                         6));
}

// The old .lzma header has no magic: properties 0x5D (the only ones the tools write), a
// dictionary size that is a power of two (or three times one) from 4 KB on, and an
// uncompressed size that is unknown (all ones) or plausible.
bool isLzma(std::string_view head) {
    if (head.size() < 13 || !byteAt(head, 0, 0x5D))
        return false;
    std::uint32_t dictionary = 0;
    for (int i = 4; i >= 1; --i)
        dictionary =
            (dictionary << 8) | static_cast<unsigned char>(head[static_cast<std::size_t>(i)]);
    const bool power = dictionary >= 4096 &&
                       ((dictionary & (dictionary - 1)) == 0 ||
                        (dictionary % 3 == 0 && ((dictionary / 3) & (dictionary / 3 - 1)) == 0));
    bool unknownSize = true;
    for (std::size_t i = 5; i < 13; ++i)
        unknownSize = unknownSize && byteAt(head, i, 0xFF);
    return power && (unknownSize || byteAt(head, 12, 0));
}

bool isZstd(std::string_view head) {
    return head.starts_with("\x28\xB5\x2F\xFD");
}

bool isLz4(std::string_view head) {
    return head.starts_with("\x04\x22\x4D\x18") || head.starts_with("\x02\x21\x4C\x18");
}

}  // namespace

const DecoderFormat& gzipFormat() {
    static const CompressedFormat format("gzip", isGzip, /*gzip=*/true);
    return format;
}
const DecoderFormat& bzip2Format() {
    static const CompressedFormat format("bzip2", isBzip2);
    return format;
}
const DecoderFormat& xzFormat() {
    static const CompressedFormat format("xz", isXz);
    return format;
}
const DecoderFormat& lzmaFormat() {
    static const CompressedFormat format("lzma", isLzma);
    return format;
}
const DecoderFormat& zstdFormat() {
    static const CompressedFormat format("zstd", isZstd);
    return format;
}
const DecoderFormat& lz4Format() {
    static const CompressedFormat format("lz4", isLz4);
    return format;
}

}  // namespace scoutwell
