#include "app/core/CriteriaFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "engine/SearchCriteria.h"
#include "engine/Text.h"
#include "platform/posix/FileBytes.h"
#include "platform/posix/FileReplacement.h"
#include "platform/posix/UniqueFd.h"

namespace scoutwell {
namespace {

// Schemas of older files: 256 stored the contents flag first, 259 added it as a field of
// its own, 260 on store the regular-expression and exclude flags before it.
constexpr std::uint32_t kSchemaWithStatusDates = 256;
constexpr std::uint32_t kSchemaContentsOnly = 259;

constexpr std::uint8_t kLongLength = 0xFF;
constexpr std::uint16_t kWideMarker = 0xFFFE;
constexpr std::uint16_t kVeryLongLength = 0xFFFF;

// Criteria files are a few hundred bytes; anything far larger is not one.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

class Writer {
  public:
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    void u16(std::uint16_t v) {
        out_.push_back(static_cast<char>(v & 0xFF));
        out_.push_back(static_cast<char>(v >> 8));
    }
    void u64(std::uint64_t v) {
        u32(static_cast<std::uint32_t>(v & 0xFFFFFFFFu));
        u32(static_cast<std::uint32_t>(v >> 32));
    }
    void boolean(bool b) { u32(b ? 1 : 0); }
    void real(double d) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        u64(bits);
    }
    void text(std::string_view s) {
        if (s.size() < kLongLength) {
            out_.push_back(static_cast<char>(s.size()));
        } else if (s.size() < kWideMarker) {
            out_.push_back(static_cast<char>(kLongLength));
            u16(static_cast<std::uint16_t>(s.size()));
        } else {
            out_.push_back(static_cast<char>(kLongLength));
            u16(kVeryLongLength);
            u32(static_cast<std::uint32_t>(s.size()));
        }
        out_.append(s);
    }
    std::string take() { return std::move(out_); }

  private:
    std::string out_;
};

// Every read checks what is left first, so a short or damaged file fails cleanly.
class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool u8(std::uint8_t& v) {
        if (left() < 1)
            return false;
        v = static_cast<std::uint8_t>(bytes_[pos_++]);
        return true;
    }
    bool u16(std::uint16_t& v) {
        if (left() < 2)
            return false;
        v = static_cast<std::uint16_t>(byteAt(0) | (byteAt(1) << 8));
        pos_ += 2;
        return true;
    }
    bool u32(std::uint32_t& v) {
        if (left() < 4)
            return false;
        v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(byteAt(i)) << (8 * i);
        pos_ += 4;
        return true;
    }
    bool u64(std::uint64_t& v) {
        std::uint32_t low = 0, high = 0;
        if (!u32(low) || !u32(high))
            return false;
        v = (static_cast<std::uint64_t>(high) << 32) | low;
        return true;
    }
    bool boolean(bool& b) {
        std::uint32_t v = 0;
        if (!u32(v))
            return false;
        b = v != 0;
        return true;
    }
    bool real(double& d) {
        std::uint64_t bits = 0;
        if (!u64(bits))
            return false;
        std::memcpy(&d, &bits, sizeof d);
        return true;
    }
    bool skip(std::size_t n) {
        if (left() < n)
            return false;
        pos_ += n;
        return true;
    }

    // A length in the one-byte, 16-bit or 32-bit form; `wide` reports the 16-bit-text
    // marker, after which a second length follows.
    bool length(std::uint32_t& n, bool& wide) {
        wide = false;
        std::uint8_t first = 0;
        if (!u8(first))
            return false;
        if (first != kLongLength) {
            n = first;
            return true;
        }
        std::uint16_t second = 0;
        if (!u16(second))
            return false;
        if (second == kWideMarker) {
            wide = true;
            return true;
        }
        if (second != kVeryLongLength) {
            n = second;
            return true;
        }
        return u32(n);
    }

    bool text(std::string& s) {
        std::uint32_t n = 0;
        bool wide = false;
        if (!length(n, wide))
            return false;
        if (!wide) {
            if (left() < n)
                return false;
            s.assign(bytes_.substr(pos_, n));
            pos_ += n;
            return true;
        }
        bool wideAgain = false;
        if (!length(n, wideAgain) || wideAgain)
            return false;
        if (left() / 2 < n)
            return false;
        s = utf8FromUtf16(bytes_.substr(pos_, std::size_t{n} * 2));
        pos_ += std::size_t{n} * 2;
        return true;
    }

  private:
    std::size_t left() const { return bytes_.size() - pos_; }
    unsigned byteAt(std::size_t offset) const {
        return static_cast<std::uint8_t>(bytes_[pos_ + offset]);
    }

    static void appendUtf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }

    // Little-endian UTF-16 to UTF-8; a surrogate without its partner becomes U+FFFD.
    static std::string utf8FromUtf16(std::string_view units) {
        constexpr std::uint32_t kReplacement = 0xFFFD;
        std::string out;
        out.reserve(units.size());
        const std::size_t count = units.size() / 2;
        const auto unitAt = [&](std::size_t i) {
            return static_cast<std::uint32_t>(static_cast<std::uint8_t>(units[2 * i]) |
                                              (static_cast<std::uint8_t>(units[2 * i + 1]) << 8));
        };
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t unit = unitAt(i);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (i + 1 < count) {
                    const std::uint32_t next = unitAt(i + 1);
                    if (next >= 0xDC00 && next <= 0xDFFF) {
                        appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                        ++i;
                        continue;
                    }
                }
                appendUtf8(out, kReplacement);
            } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                appendUtf8(out, kReplacement);
            } else {
                appendUtf8(out, unit);
            }
        }
        return out;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
};

bool readCriteria(Reader& in, SearchCriteria& c) {
    std::uint32_t v = 0;
    if (!in.u32(v))
        return false;
    std::uint32_t schema = v;
    if (v < kSchemaContentsOnly) {
        schema = kSchemaWithStatusDates;
        c.searchContents = v != 0;
    } else if (v == kSchemaContentsOnly) {
        if (!in.boolean(c.searchContents))
            return false;
    } else if (v == 260 || v == 261 || v == CriteriaFile::kSchema) {
        if (!in.boolean(c.treatContentsAsRegExp) || !in.boolean(c.excludeFilename) ||
            !in.boolean(c.searchContents)) {
            return false;
        }
    }

    if (!in.boolean(c.subfolders) || !in.boolean(c.autoConvertToDos) ||
        !in.boolean(c.matchContentsCase) || !in.boolean(c.matchFilenameCase)) {
        return false;
    }

    if (!in.boolean(c.modifiedAfterOn) || !in.boolean(c.modifiedBeforeOn))
        return false;
    const bool statusBeforeDates = schema < kSchemaContentsOnly;
    for (OleDate* date : {&c.modifiedBefore, &c.modifiedAfter}) {
        if (statusBeforeDates && !in.skip(4))
            return false;
        if (!in.real(*date))
            return false;
    }

    if (!in.boolean(c.sizeMoreThanOn) || !in.boolean(c.sizeLessThanOn) || !in.u64(c.sizeLessThan) ||
        !in.u64(c.sizeMoreThan)) {
        return false;
    }

    std::string lookIn;
    if (!in.text(c.containingText) || !in.text(c.fileName) || !in.text(lookIn))
        return false;
    c.setLookInText(lookIn);
    return true;
}

std::string systemError(const char* message, const std::string& path, int error) {
    return text::format("%s (%s: %s)", message, path.c_str(), std::strerror(error));
}

}  // namespace

std::string CriteriaFile::serialize(const SearchCriteria& c) {
    Writer out;
    out.u32(kSchema);
    out.boolean(c.treatContentsAsRegExp);
    out.boolean(c.excludeFilename);
    out.boolean(c.searchContents);
    out.boolean(c.subfolders);
    out.boolean(c.autoConvertToDos);
    out.boolean(c.matchContentsCase);
    out.boolean(c.matchFilenameCase);
    out.boolean(c.modifiedAfterOn);
    out.boolean(c.modifiedBeforeOn);
    out.real(c.modifiedBefore);
    out.real(c.modifiedAfter);
    out.boolean(c.sizeMoreThanOn);
    out.boolean(c.sizeLessThanOn);
    out.u64(c.sizeLessThan);
    out.u64(c.sizeMoreThan);
    out.text(c.containingText);
    out.text(c.fileName);
    out.text(c.lookInText());
    return out.take();
}

bool CriteriaFile::deserialize(std::string_view bytes, SearchCriteria& criteria,
                               std::string& errorOut) {
    SearchCriteria copy(criteria);
    Reader in(bytes);
    if (!readCriteria(in, copy)) {
        errorOut = kUnexpectedFileFormat;
        return false;
    }
    criteria = copy;
    return true;
}

bool CriteriaFile::save(const std::string& path, const SearchCriteria& criteria,
                        std::string& errorOut) {
    if (!replaceFile(path, serialize(criteria))) {
        errorOut = systemError(kFailedToSaveDocument, path, errno);
        return false;
    }
    return true;
}

bool CriteriaFile::load(const std::string& path, SearchCriteria& criteria, std::string& errorOut) {
    // Without waiting for a writer: a FIFO, like anything but a regular file, is no
    // criteria file.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        errorOut = systemError(kFailedToOpenDocument, path, errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileSize) {
        errorOut = kUnexpectedFileFormat;
        return false;
    }
    std::string bytes;
    if (!readAll(fd.get(), bytes, static_cast<std::size_t>(kMaxFileSize))) {
        errorOut = errno == EFBIG ? std::string(kUnexpectedFileFormat)
                                  : systemError(kFailedToOpenDocument, path, errno);
        return false;
    }
    return deserialize(bytes, criteria, errorOut);
}

}  // namespace scoutwell
