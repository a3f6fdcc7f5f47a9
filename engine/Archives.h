// Archives: the members of zip (and jar, war, apk, epub), tar (plain or compressed), 7z,
// cpio, ar, ISO 9660 and rar files, read through libarchive, as found items of their own.
//
// A member's path is the archive's path, "/", and its path inside the archive
// (`/data/backup.zip/src/main.c`; nested: `/data/outer.zip/inner.tar.gz/notes.txt`). No file
// on disk can have such a path, so it is never mistaken for one. Archives inside archives
// are listed in turn, to kMaxArchiveDepth archives deep; a deeper one is an ordinary member.
//
//   ArchiveProbe probe(file, head, headIsAll);
//   if (!probe.list(archiveItem, visitor))
//       read(probe.fromStart());  // not an archive: its bytes from the start
//
// An archive is recognised by its first bytes (mayBeArchive) and then by libarchive itself;
// a file a text-yielding decoder recognises (a document is a zip) is not listed. Members
// are read as a stream, one at a time: an archive of any number of members holds one
// member's state at a time. What one archive on disk may produce, its nested archives
// included, is bounded (kArchiveOutputFloor, kArchiveOutputRatio): a decompression bomb is
// cut off there, and the visitor hears what was cut short, damaged or encrypted.
//
// Links in an archive are passed over, never followed; a member's stored name loses every
// "", "." and ".." component (memberPath), so none leads out of its archive.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/Decoder.h"
#include "engine/FoundItem.h"

namespace scoutwell {

class SearchCriteria;
class SearchExpression;

inline constexpr int kMaxArchiveDepth = 4;
// One archive on disk may produce at most this many bytes, members of nested archives
// counted at every level, unless it is read further: then up to kArchiveOutputRatio times
// the bytes read from it.
inline constexpr std::uint64_t kArchiveOutputFloor = std::uint64_t{256} << 20;
inline constexpr std::uint64_t kArchiveOutputRatio = 100;

// Whether `head`, the first bytes of a file, may start an archive: the magic bytes of an
// archive format, or of a compressed format that may hold a tar. Cheap.
bool mayBeArchive(std::string_view head);
// Whether an enabled decoder that yields text (a document, a byte-order mark) recognises
// `head`: such a file is text, never an archive.
bool isTextFormat(std::string_view head, bool atEnd, const DecodeOptions& options);
// A member's stored name as its path inside the archive: empty, "." and ".." components
// dropped. Empty when nothing is left.
std::string memberPath(std::string_view stored);

// The limit shared by an archive on disk and the archives inside it.
struct ArchiveBudget {
    std::uint64_t read = 0;      // bytes read from the archive on disk
    std::uint64_t produced = 0;  // bytes of members read, at every level
    bool cutOff = false;
    bool exhausted() const {
        return produced > kArchiveOutputFloor && produced / kArchiveOutputRatio > read;
    }
};

// What is done with the members of an archive. Keeps the nesting depth and the budget of
// the archive on disk being listed.
class ArchiveVisitor {
  public:
    virtual ~ArchiveVisitor() = default;
    // A regular-file member, in archive order; `item` is its found item (location, name,
    // size, time, and archivePathLength), `data` its bytes (short, with a textEnd, when
    // damaged or cut off), `depth` the number of archives around it. False ends the
    // listing.
    virtual bool member(FoundFile& item, Decoder& data, int depth) = 0;
    // An item passed over or cut short: an encrypted member, an archive whose listing
    // stopped at damage or at the budget; its textEnd says which.
    virtual void note(const FoundItem& item) = 0;
    virtual bool stopped() const { return false; }

    // Archives being listed around the current member; 0 outside any.
    int depth() const { return depth_; }
    ArchiveBudget& budget() { return budget_; }

  private:
    friend class ArchiveProbe;
    int depth_ = 0;
    ArchiveBudget budget_;
};

// One possible archive: its first bytes already read and the input that follows them.
class ArchiveProbe {
  public:
    ArchiveProbe(ReadableFile& input, std::string_view head, bool headIsAll);
    ~ArchiveProbe();
    ArchiveProbe(const ArchiveProbe&) = delete;
    ArchiveProbe& operator=(const ArchiveProbe&) = delete;

    // Lists the members of the archive `archive` is the item of (a file on disk or a
    // member) to `visitor`. False when the input is no archive libarchive reads: nothing
    // was listed and fromStart() gives the input's bytes.
    bool list(const FoundItem& archive, ArchiveVisitor& visitor);
    // After list() returned false: the input from its first byte.
    ReadableFile& fromStart();

  private:
    class Source;
    std::unique_ptr<Source> source_;
    bool headIsAll_;
};

// Reads the first bytes of `data`, the bytes of `item`, and lists them to `visitor` when they
// are an archive within the nesting limit. False when they are not listed.
bool listIfArchive(const FoundItem& item, ReadableFile& data, ArchiveVisitor& visitor,
                   const DecodeOptions& options);

// Reads the archive on disk that holds `member` (FoundItem::isMember) again, through the
// archives around the member, and calls `use` with the member's bytes. False when the
// archive cannot be read or the member is not in it any more.
bool openMember(const FoundItem& member, const std::function<void(Decoder& data)>& use);

// The tests a search puts to each entry of a folder, put to members, on any thread: the
// name (or its exclusion), the size and the date limits.
class MemberTest {
  public:
    explicit MemberTest(const SearchCriteria& criteria);
    ~MemberTest();
    MemberTest(const MemberTest&) = delete;
    MemberTest& operator=(const MemberTest&) = delete;
    bool passes(const FoundItem& member);

  private:
    const SearchCriteria& criteria_;
    std::unique_ptr<SearchExpression> name_;  // compiled at the first member
};

}  // namespace scoutwell
