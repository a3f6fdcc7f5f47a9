#include "engine/Archives.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "engine/FileSystem.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"

namespace scoutwell {
namespace {

// What libarchive is handed per read from the input.
constexpr std::size_t kSourceBlock = 64 * 1024;
// What the recognition of a format may read beyond the head and still give the input back
// from its start: the bytes are kept meanwhile.
constexpr std::size_t kRecordLimit = std::size_t{8} << 20;
// The largest 7z archive listed: it is held whole in memory.
constexpr std::size_t kWholeLimit = std::size_t{64} << 20;
// How often a header read that asks to be retried is.
constexpr int kHeaderRetries = 3;

// The first bytes read to recognise an archive: an ISO 9660 image says so at 32 KiB.
constexpr std::size_t kHeadSize = 40 * 1024;

constexpr std::size_t kTarBlock = 512;
constexpr std::size_t kTarChecksumAt = 148;
constexpr std::size_t kTarChecksumLength = 8;
constexpr std::size_t kTarMagicAt = 257;
constexpr std::size_t kIsoMagicAt = 32769;

bool startsWith(std::string_view head, std::string_view magic) {
    return head.substr(0, magic.size()) == magic;
}

// A tar header without the POSIX magic (old tar): its checksum field holds the sum of its
// bytes, the field itself counted as spaces.
bool tarChecksumHolds(std::string_view block) {
    unsigned long stored = 0;
    bool digits = false;
    for (std::size_t i = kTarChecksumAt; i < kTarChecksumAt + kTarChecksumLength; ++i) {
        const char c = block[i];
        if (c >= '0' && c <= '7') {
            stored = stored * 8 + static_cast<unsigned long>(c - '0');
            digits = true;
        } else if (c != ' ' && c != 0) {
            return false;
        } else if (digits) {
            break;
        }
    }
    if (!digits)
        return false;
    unsigned long sum = 0;
    for (std::size_t i = 0; i < kTarBlock; ++i) {
        const bool inField = i >= kTarChecksumAt && i < kTarChecksumAt + kTarChecksumLength;
        sum += inField ? ' ' : static_cast<unsigned char>(block[i]);
    }
    // A block of NULs sums to the spaces alone: no archive starts that way.
    return sum == stored && block[0] != 0;
}

// ISO 9660 only where the head says so: its recognition reads 32 KiB ahead, which a
// truncated compressed tar does not have.
void enableFormats(archive* a, bool iso) {
    archive_read_support_format_zip_streamable(a);
    archive_read_support_format_tar(a);
    archive_read_support_format_gnutar(a);
    archive_read_support_format_7zip(a);
    archive_read_support_format_cpio(a);
    archive_read_support_format_ar(a);
    if (iso)
        archive_read_support_format_iso9660(a);
    archive_read_support_format_rar(a);
    archive_read_support_format_rar5(a);
    // Filters built on libraries only: those that run an outside program are left out, and
    // so is the raw format (a compressed file that holds no archive is the decoders' job).
    archive_read_support_filter_gzip(a);
    archive_read_support_filter_bzip2(a);
    archive_read_support_filter_xz(a);
    archive_read_support_filter_lzma(a);
    archive_read_support_filter_lzip(a);
    archive_read_support_filter_zstd(a);
    archive_read_support_filter_lz4(a);
    archive_read_support_filter_compress(a);
}

struct ArchiveDeleter {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveDeleter>;

// The bytes of the member libarchive is on, bounded by the budget of the archive on disk.
// Fills the whole buffer unless the member ends first, as decoders do.
class MemberData : public Decoder {
  public:
    MemberData(archive* a, ArchiveBudget& budget) : archive_(a), budget_(budget) {}

    long read(char* buffer, std::size_t size) override {
        if (ended_)
            return end_ == TextEnd::kWhole ? 0 : -1;
        std::size_t got = 0;
        while (got < size) {
            if (budget_.exhausted()) {
                budget_.cutOff = true;
                stop(TextEnd::kCutOff);
                break;
            }
            const la_ssize_t n = archive_read_data(archive_, buffer + got, size - got);
            if (n < 0) {
                stop(TextEnd::kDamaged);
                if (got == 0)
                    return -1;
                break;
            }
            if (n == 0) {
                stop(TextEnd::kWhole);
                break;
            }
            got += static_cast<std::size_t>(n);
            budget_.produced += static_cast<std::uint64_t>(n);
        }
        return static_cast<long>(got);
    }

    TextEnd textEnd() const override { return end_; }
    bool ended() const { return ended_; }

  private:
    void stop(TextEnd end) {
        ended_ = true;
        end_ = end;
    }

    archive* archive_;
    ArchiveBudget& budget_;
    bool ended_ = false;
    TextEnd end_ = TextEnd::kWhole;
};

// Whether the rest of the current member is read rather than skipped: when skipping means
// decompressing it anyway, beyond the budget's reach (behind a filter, in a format that
// compresses members together, where the stored size is unknown), and in zip, where a
// member whose sizes follow its data ends where its data ends when read but where its
// header says when skipped: a listing must find the same members however much of each
// was read, or a member found could not be read again.
bool mustReadToSkip(archive* a, archive_entry* entry) {
    if (archive_filter_count(a) > 1 || !archive_entry_size_is_set(entry))
        return true;
    switch (archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) {
        case ARCHIVE_FORMAT_ZIP:
        case ARCHIVE_FORMAT_7ZIP:
        case ARCHIVE_FORMAT_RAR:
        case ARCHIVE_FORMAT_RAR_V5:
            return true;
        default:
            return false;
    }
}

bool isIsoImage(std::string_view head) {
    return head.size() > kIsoMagicAt + 5 && head.substr(kIsoMagicAt, 5) == "CD001";
}

}  // namespace

bool mayBeArchive(std::string_view head) {
    static constexpr std::string_view kMagics[] = {
        std::string_view("PK\x03\x04", 4),
        std::string_view("PK\x05\x06", 4),
        std::string_view("PK\x07\x08", 4),
        std::string_view("7z\xBC\xAF\x27\x1C", 6),
        std::string_view("Rar!\x1A\x07", 6),
        std::string_view("!<arch>\n", 8),
        std::string_view("070707", 6),
        std::string_view("070701", 6),
        std::string_view("070702", 6),
        std::string_view("\xC7\x71", 2),  // binary cpio, either byte order
        std::string_view("\x71\xC7", 2),
        // Compressed formats, which may hold a tar or a cpio.
        std::string_view("\x1F\x8B", 2),
        std::string_view("BZh", 3),
        std::string_view("\xFD"
                         "7zXZ\x00",
                         6),
        std::string_view("\x5D\x00\x00", 3),
        std::string_view("LZIP", 4),
        std::string_view("\x28\xB5\x2F\xFD", 4),
        std::string_view("\x04\x22\x4D\x18", 4),
        std::string_view("\x1F\x9D", 2),
    };
    for (std::string_view magic : kMagics) {
        if (startsWith(head, magic))
            return true;
    }
    if (head.size() >= kTarBlock &&
        (head.substr(kTarMagicAt, 5) == "ustar" || tarChecksumHolds(head.substr(0, kTarBlock))))
        return true;
    return isIsoImage(head);
}

bool isTextFormat(std::string_view head, bool atEnd, const DecodeOptions& options) {
    for (const DecoderFormat* format : decoderFormats()) {
        if (format->yieldsText() && format->enabled(options) && format->recognises(head, atEnd))
            return true;
    }
    return false;
}

std::string memberPath(std::string_view stored) {
    std::string path;
    while (!stored.empty()) {
        const std::size_t slash = stored.find('/');
        const std::string_view part = stored.substr(0, slash);
        stored = slash == std::string_view::npos ? std::string_view() : stored.substr(slash + 1);
        if (part.empty() || part == "." || part == "..")
            continue;
        if (!path.empty())
            path += '/';
        path.append(part);
    }
    return path;
}

// The input of a possible archive: its head, then the rest of it; and, until the archive is
// known to be one, a record of all that was read, so that a refused input can be given again
// from its start.
class ArchiveProbe::Source : public ReadableFile {
  public:
    Source(ReadableFile& input, std::string_view head, bool headIsAll)
        : input_(input), data_(head), ended_(headIsAll) {}

    long read(char* buffer, std::size_t size) override {
        std::size_t got = 0;
        if (at_ < data_.size()) {
            got = std::min(size, data_.size() - at_);
            std::memcpy(buffer, data_.data() + at_, got);
            at_ += got;
        }
        while (got < size && !ended_) {
            const long n = input_.read(buffer + got, size - got);
            if (n < 0)
                return got > 0 ? static_cast<long>(got) : -1;
            if (n == 0) {
                ended_ = true;
                break;
            }
            const auto added = static_cast<std::size_t>(n);
            if (recording_) {
                if (data_.size() + added <= kRecordLimit) {
                    data_.append(buffer + got, added);
                    at_ = data_.size();
                } else {
                    overflowed_ = true;
                }
            }
            if (budget_ != nullptr)
                budget_->read += added;
            got += added;
        }
        return static_cast<long>(got);
    }

    // The archive is one: what was recorded and read goes.
    void stopRecording() {
        recording_ = false;
        data_.erase(0, at_);
        data_.shrink_to_fit();
        at_ = 0;
    }
    // It is not one: reading starts again at the first byte. False when too much was read
    // to have kept it all.
    bool rewind() {
        if (overflowed_)
            return false;
        at_ = 0;
        return true;
    }
    // What was recorded is read again from the start, and nothing more recorded.
    void replay() {
        rewind();
        recording_ = false;
    }
    // Counts the bytes read from the archive on disk, the head included.
    void countTo(ArchiveBudget& budget) {
        budget_ = &budget;
        budget.read += data_.size();
    }

  private:
    ReadableFile& input_;
    std::string data_;  // the head and what was read after it while recording
    std::size_t at_ = 0;
    bool ended_;
    bool recording_ = true;
    bool overflowed_ = false;
    ArchiveBudget* budget_ = nullptr;
};

namespace {

// What libarchive reads: the first decoded bytes already taken, then the rest of `input`,
// in blocks that stay valid until the next.
class Supply {
  public:
    // With `whole`, `first` is all there is, and it can be sought in.
    Supply(ReadableFile& input, std::string first, bool whole)
        : input_(input), first_(std::move(first)), whole_(whole) {}

    static la_ssize_t read(archive*, void* self, const void** buffer) {
        return static_cast<Supply*>(self)->read(buffer);
    }
    static la_int64_t seek(archive*, void* self, la_int64_t offset, int whence) {
        auto& supply = *static_cast<Supply*>(self);
        const auto size = static_cast<la_int64_t>(supply.first_.size());
        la_int64_t to = offset;
        if (whence == SEEK_CUR)
            to += static_cast<la_int64_t>(supply.at_);
        else if (whence == SEEK_END)
            to += size;
        if (to < 0 || to > size)
            return ARCHIVE_FATAL;
        supply.at_ = static_cast<std::size_t>(to);
        return to;
    }

  private:
    la_ssize_t read(const void** buffer) {
        if (whole_) {
            const std::size_t n = std::min(kSourceBlock, first_.size() - at_);
            *buffer = first_.data() + at_;
            at_ += n;
            return static_cast<la_ssize_t>(n);
        }
        block_.resize(kSourceBlock);
        std::size_t got = 0;
        if (at_ < first_.size()) {
            got = std::min(block_.size(), first_.size() - at_);
            std::memcpy(block_.data(), first_.data() + at_, got);
            at_ += got;
            if (at_ == first_.size()) {
                first_.clear();
                first_.shrink_to_fit();
                at_ = 0;
            }
        }
        while (got < block_.size() && !ended_) {
            const long n = input_.read(block_.data() + got, block_.size() - got);
            if (n < 0) {
                if (got == 0)
                    return -1;
                break;
            }
            if (static_cast<std::size_t>(n) < block_.size() - got)
                ended_ = true;
            got += static_cast<std::size_t>(n);
        }
        *buffer = block_.data();
        return static_cast<la_ssize_t>(got);
    }

    ReadableFile& input_;
    std::string first_;
    const bool whole_;
    std::size_t at_ = 0;
    bool ended_ = false;
    std::string block_;
};

// The first decompressed bytes of a compressed input, or of the input itself.
std::string readHead(ReadableFile& input) {
    std::string head(kHeadSize, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const long n = input.read(head.data() + got, head.size() - got);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    return head;
}

// The compressed format of `head` when it has one (gzip, xz, ...): a tar inside is read
// through the decoders the scan uses, which keep what comes before damage and check what
// they can, rather than through libarchive's filters.
const DecoderFormat* compressionOf(std::string_view head, bool atEnd) {
    const DecodeOptions options{.insideCompressed = true};
    for (const DecoderFormat* format : decoderFormats()) {
        if (!format->yieldsText() && format->enabled(options) && format->recognises(head, atEnd))
            return format;
    }
    return nullptr;
}

}  // namespace

ArchiveProbe::ArchiveProbe(ReadableFile& input, std::string_view head, bool headIsAll)
    : source_(std::make_unique<Source>(input, head, headIsAll)), headIsAll_(headIsAll) {}

ArchiveProbe::~ArchiveProbe() = default;

ReadableFile& ArchiveProbe::fromStart() {
    source_->replay();
    return *source_;
}

bool ArchiveProbe::list(const FoundItem& archiveItem, ArchiveVisitor& visitor) {
    const bool outermost = visitor.depth_ == 0;
    if (outermost) {
        visitor.budget_ = ArchiveBudget{};
        source_->countTo(visitor.budget_);
    }
    // A compressed input is decoded first and looked at again.
    std::unique_ptr<Decoder> decoder;
    ReadableFile* input = source_.get();
    std::string head = readHead(*input);
    if (const DecoderFormat* format = compressionOf(head, headIsAll_)) {
        source_->rewind();
        decoder = format->open(*source_);
        input = decoder.get();
        head = readHead(*input);
    }
    const bool iso = isIsoImage(head);
    if (!mayBeArchive(head)) {
        source_->rewind();
        return false;
    }
    // 7z keeps its index at the end and needs to seek: it is read whole, within a bound.
    const bool whole = startsWith(head, std::string_view("7z\xBC\xAF\x27\x1C", 6));
    if (whole) {
        std::string rest(kSourceBlock, '\0');
        for (long n; head.size() <= kWholeLimit && (n = input->read(rest.data(), rest.size())) > 0;)
            head.append(rest, 0, static_cast<std::size_t>(n));
    }
    Supply supply(*input, std::move(head), whole);
    ArchivePtr a(archive_read_new());
    if (!a)
        return false;
    enableFormats(a.get(), iso);
    if (whole)
        archive_read_set_seek_callback(a.get(), &Supply::seek);
    if (archive_read_open(a.get(), &supply, nullptr, &Supply::read, nullptr) != ARCHIVE_OK) {
        // No format took it (or the input failed at once): the bytes are given back as they
        // are, unless too many were read to keep them all, which only a damaged archive of
        // a known format does.
        if (source_->rewind())
            return false;
    }
    source_->stopRecording();
    const bool readToSkip = decoder != nullptr;

    const std::string archivePath = archiveItem.fullPath();
    const std::uint32_t rootLength = archiveItem.isMember()
                                         ? archiveItem.archivePathLength
                                         : static_cast<std::uint32_t>(archivePath.size());
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(visitor.depth_);
    const int depth = visitor.depth_;

    std::string scratch;
    SharedText location;  // shared by the members of one folder of the archive
    std::string locationKey;
    TextEnd listingEnd = TextEnd::kWhole;
    for (int retries = 0;;) {
        if (visitor.stopped())
            break;
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(a.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status == ARCHIVE_RETRY && ++retries <= kHeaderRetries)
            continue;
        if (status == ARCHIVE_FATAL || status == ARCHIVE_RETRY) {
            listingEnd = archive_read_has_encrypted_entries(a.get()) > 0 ? TextEnd::kEncrypted
                                                                         : TextEnd::kDamaged;
            break;
        }
        retries = 0;
        if (status == ARCHIVE_FAILED)
            continue;  // this entry cannot be read; the next may
        // Regular files only: folders are implied by the paths, and links (symbolic or
        // hard) are never followed.
        if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry) != nullptr)
            continue;
        const char* stored = archive_entry_pathname(entry);
        if (stored == nullptr)
            stored = archive_entry_pathname_utf8(entry);
        if (stored == nullptr)
            continue;
        const std::string path = memberPath(stored);
        if (path.empty())
            continue;
        const std::size_t slash = path.rfind('/');
        std::string folder = archivePath + '/';
        if (slash != std::string::npos)
            folder.append(path, 0, slash + 1);
        if (!location || folder != locationKey) {
            locationKey = folder;
            location = makeSharedText(std::move(folder));
        }
        const std::int64_t size = archive_entry_size_is_set(entry)
                                      ? std::max<std::int64_t>(archive_entry_size(entry), 0)
                                      : 0;
        const FileTime modified =
            archive_entry_mtime_is_set(entry)
                ? fileTimeFromUnix(archive_entry_mtime(entry), archive_entry_mtime_nsec(entry))
                : 0;
        FoundFile member(location, slash == std::string::npos ? path : path.substr(slash + 1), size,
                         modified);
        member.archivePathLength = rootLength;
        if (archive_entry_is_encrypted(entry)) {
            member.textEnd = TextEnd::kEncrypted;
            visitor.note(member);
            continue;
        }
        MemberData data(a.get(), visitor.budget_);
        if (!visitor.member(member, data, depth))
            break;
        if (readToSkip || mustReadToSkip(a.get(), entry)) {
            // libarchive would decompress what is left to skip it, beyond the budget's
            // reach: it is read here instead, counted, and cut off with the rest.
            scratch.resize(kSourceBlock);
            while (!visitor.stopped() && data.read(scratch.data(), scratch.size()) > 0) {
            }
        }
        if (visitor.budget_.cutOff) {
            listingEnd = TextEnd::kCutOff;
            break;
        }
        // A member left unread is skipped by the next header read; damage in it shows there.
    }
    // A cut-off is told once, of the archive on disk.
    if (listingEnd == TextEnd::kCutOff && !outermost)
        listingEnd = TextEnd::kWhole;
    if (outermost && visitor.budget_.cutOff)
        listingEnd = TextEnd::kCutOff;
    if (listingEnd != TextEnd::kWhole && !visitor.stopped()) {
        FoundFile noted(archiveItem.location, archiveItem.name, archiveItem.size,
                        archiveItem.modified);
        noted.archivePathLength = archiveItem.archivePathLength;
        noted.textEnd = listingEnd;
        visitor.note(noted);
    }
    return true;
}

bool listIfArchive(const FoundItem& item, ReadableFile& data, ArchiveVisitor& visitor,
                   const DecodeOptions& options) {
    if (!options.insideCompressed || visitor.depth() >= kMaxArchiveDepth)
        return false;
    std::string head(kHeadSize, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const long n = data.read(head.data() + got, head.size() - got);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    const bool headIsAll = got < kHeadSize;
    if (!mayBeArchive(head) || isTextFormat(head, headIsAll, options))
        return false;
    ArchiveProbe probe(data, head, headIsAll);
    return probe.list(item, visitor);
}

namespace {

// Looks for one member by its full path, going into the archives on the way to it.
class MemberFinder : public ArchiveVisitor {
  public:
    MemberFinder(std::string target, const DecodeOptions& options,
                 const std::function<void(Decoder&)>& use)
        : target_(std::move(target)), options_(options), use_(use) {}

    bool member(FoundFile& item, Decoder& data, int /*depth*/) override {
        const std::string path = item.fullPath();
        if (path == target_) {
            use_(data);
            found_ = true;
            return false;
        }
        if (target_.size() > path.size() && target_.starts_with(path) &&
            target_[path.size()] == '/') {
            listIfArchive(item, data, *this, options_);
            return !found_;
        }
        return true;
    }
    void note(const FoundItem&) override {}
    bool stopped() const override { return found_; }
    bool found() const { return found_; }

  private:
    std::string target_;
    DecodeOptions options_;
    const std::function<void(Decoder&)>& use_;
    bool found_ = false;
};

}  // namespace

bool openMember(const FoundItem& member, const std::function<void(Decoder& data)>& use) {
    FileSystem* const fs = fileSystem();
    const std::string path = member.fullPath();
    if (fs == nullptr || !member.isMember() || member.archivePathLength >= path.size())
        return false;
    const std::string archivePath = path.substr(0, member.archivePathLength);
    const std::size_t slash = archivePath.rfind('/');
    if (slash == std::string::npos)
        return false;
    std::unique_ptr<ReadableFile> file =
        fs->openForScan(archivePath.substr(0, slash + 1), archivePath.substr(slash + 1));
    if (!file)
        return false;
    FoundFile archiveItem(makeSharedText(archivePath.substr(0, slash + 1)),
                          archivePath.substr(slash + 1), 0, 0);
    // Archives are listed again whatever the option says now: the member was found in one.
    MemberFinder finder(path, DecodeOptions{.insideCompressed = true}, use);
    listIfArchive(archiveItem, *file, finder, DecodeOptions{.insideCompressed = true});
    return finder.found();
}

MemberTest::MemberTest(const SearchCriteria& criteria) : criteria_(criteria) {}

MemberTest::~MemberTest() = default;

bool MemberTest::passes(const FoundItem& member) {
    const SearchCriteria& c = criteria_;
    if (!c.fileName.empty()) {
        if (!name_) {
            name_ = std::make_unique<SearchExpression>();
            name_->set(c.fileName, c.matchFilenameCase, /*compileNow=*/true, nullptr);
        }
        int start = 0;
        int length = 0;
        if (name_->find(member.name, start, length) == c.excludeFilename)
            return false;
    }
    if ((c.sizeMoreThanOn || c.sizeLessThanOn) &&
        !passesSize(c, static_cast<std::uint64_t>(member.size)))
        return false;
    return !(c.modifiedAfterOn || c.modifiedBeforeOn) || passesDate(c, member.modified);
}

}  // namespace scoutwell
