// Archives made in memory for tests: well-formed ones of any format libarchive writes, and
// hand-made zips for what no writer makes (a bomb, hostile names, damage).
//
//   std::string zip = testing::writeArchive("zip", "", {{"src/a.txt", "hello\n"}});
//   std::string tgz = testing::writeArchive("pax", "gzip", {{"inner.zip", zip}});
//   std::string bomb = testing::zipBomb(std::uint64_t{10} << 30);  // about 10 MB
//
// Users link LibArchive::LibArchive and ZLIB::ZLIB.
#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace scoutwell::testing {

struct ArchiveMember {
    std::string name;
    std::string data;  // the contents; a link's target for links
    long long modified = 1700000000;
    enum Kind { kFile, kSymlink, kHardlink, kFolder } kind = kFile;
};

namespace archive_writer_detail {
inline la_ssize_t append(archive*, void* out, const void* data, std::size_t size) {
    static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
    return static_cast<la_ssize_t>(size);
}
inline void check(archive* a, int status, const char* what) {
    if (status < ARCHIVE_WARN)
        throw std::runtime_error(std::string(what) + ": " + archive_error_string(a));
}
}  // namespace archive_writer_detail

// An archive in libarchive's format `format` ("zip", "pax", "ustar", "gnutar", "7zip",
// "cpio", "ar", "iso9660") through filter `filter` ("" for none, "gzip", "xz", ...).
// `options` goes to archive_write_set_options; a non-empty `passphrase` encrypts (zip with
// options "zip:encryption=zipcrypt").
inline std::string writeArchive(const char* format, const char* filter,
                                const std::vector<ArchiveMember>& members,
                                const char* options = nullptr, const char* passphrase = nullptr) {
    using archive_writer_detail::check;
    std::string out;
    archive* a = archive_write_new();
    check(a, archive_write_set_format_by_name(a, format), "format");
    if (filter[0] != 0)
        check(a, archive_write_add_filter_by_name(a, filter), "filter");
    if (options != nullptr)
        check(a, archive_write_set_options(a, options), "options");
    if (passphrase != nullptr)
        check(a, archive_write_set_passphrase(a, passphrase), "passphrase");
    archive_write_set_bytes_in_last_block(a, 1);
    check(a, archive_write_open(a, &out, nullptr, &archive_writer_detail::append, nullptr), "open");
    for (const ArchiveMember& m : members) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, m.name.c_str());
        archive_entry_set_mtime(entry, m.modified, 0);
        archive_entry_set_perm(entry, 0644);
        switch (m.kind) {
            case ArchiveMember::kFile:
                archive_entry_set_filetype(entry, AE_IFREG);
                archive_entry_set_size(entry, static_cast<la_int64_t>(m.data.size()));
                break;
            case ArchiveMember::kSymlink:
                archive_entry_set_size(entry, 0);
                archive_entry_set_filetype(entry, AE_IFLNK);
                archive_entry_set_symlink(entry, m.data.c_str());
                break;
            case ArchiveMember::kHardlink:
                archive_entry_set_size(entry, 0);
                archive_entry_set_filetype(entry, AE_IFREG);
                archive_entry_set_hardlink(entry, m.data.c_str());
                break;
            case ArchiveMember::kFolder:
                archive_entry_set_filetype(entry, AE_IFDIR);
                archive_entry_set_perm(entry, 0755);
                archive_entry_set_size(entry, 0);
                break;
        }
        check(a, archive_write_header(a, entry), "header");
        if (m.kind == ArchiveMember::kFile && !m.data.empty())
            archive_write_data(a, m.data.data(), m.data.size());
        archive_entry_free(entry);
    }
    check(a, archive_write_close(a), "close");
    archive_write_free(a);
    return out;
}

namespace archive_writer_detail {
inline void put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
inline void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
}  // namespace archive_writer_detail

// A zip made by hand: each member's local header, data and central directory entry, with
// the name as given (any bytes). `deflated` members hold raw deflate data with the sizes
// and CRC given.
struct RawZipMember {
    std::string name;
    std::string data;  // stored bytes, or raw deflate data
    bool deflated = false;
    std::uint32_t crc = 0;
    std::uint32_t size = 0;  // uncompressed
    bool sizesInDescriptor = false;
    bool encrypted = false;  // flagged so; the data is whatever is given
};

inline std::string rawZip(const std::vector<RawZipMember>& members) {
    using archive_writer_detail::put16;
    using archive_writer_detail::put32;
    std::string out;
    std::string central;
    for (const RawZipMember& m : members) {
        const auto offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc =
            m.deflated
                ? m.crc
                : static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()),
                                                   static_cast<uInt>(m.data.size())));
        const std::uint32_t size = m.deflated ? m.size : static_cast<std::uint32_t>(m.data.size());
        const auto packed = static_cast<std::uint32_t>(m.data.size());
        const unsigned flags = (m.sizesInDescriptor ? 0x0008 : 0) | (m.encrypted ? 1 : 0);
        auto header = [&](std::string& to, bool centralEntry) {
            put32(to, centralEntry ? 0x02014b50 : 0x04034b50);
            if (centralEntry)
                put16(to, 20);
            put16(to, 20);
            put16(to, flags);
            put16(to, m.deflated ? 8 : 0);
            put16(to, 0);
            put16(to, 0x5821);  // a date in 2024
            const bool hide = m.sizesInDescriptor && !centralEntry;
            put32(to, hide ? 0 : crc);
            put32(to, hide ? 0 : packed);
            put32(to, hide ? 0 : size);
            put16(to, static_cast<unsigned>(m.name.size()));
            put16(to, 0);
            if (centralEntry) {
                put16(to, 0);
                put16(to, 0);
                put16(to, 0);
                put32(to, 0);
                put32(to, offset);
            }
            to += m.name;
        };
        header(out, false);
        out += m.data;
        if (m.sizesInDescriptor) {
            put32(out, 0x08074b50);
            put32(out, crc);
            put32(out, packed);
            put32(out, size);
        }
        header(central, true);
    }
    const auto centralAt = static_cast<std::uint32_t>(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<unsigned>(members.size()));
    put16(out, static_cast<unsigned>(members.size()));
    put32(out, static_cast<std::uint32_t>(central.size()));
    put32(out, centralAt);
    put16(out, 0);
    return out;
}

// Raw deflate data of `bytes` zero bytes (a multiple of 16 MiB), about a thousandth of
// that in size: one block of 16 MiB of zeros compressed after a full flush, which leaves
// the compressor as it began, is the same bytes every time, and is repeated.
inline std::string deflatedZeros(std::uint64_t bytes) {
    constexpr std::size_t kPiece = 16u << 20;
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string zeros(kPiece, '\0');
    std::string piece(kPiece / 100, '\0');
    z.next_in = reinterpret_cast<Bytef*>(zeros.data());
    z.avail_in = static_cast<uInt>(zeros.size());
    z.next_out = reinterpret_cast<Bytef*>(piece.data());
    z.avail_out = static_cast<uInt>(piece.size());
    if (deflate(&z, Z_FULL_FLUSH) != Z_OK || z.avail_in != 0)
        throw std::runtime_error("deflate");
    piece.resize(piece.size() - z.avail_out);
    std::string out;
    out.reserve(piece.size() * (bytes / kPiece) + 16);
    for (std::uint64_t i = 0; i < bytes / kPiece; ++i)
        out += piece;
    // The last block: empty, fixed codes, final.
    out += std::string("\x03\x00", 2);
    deflateEnd(&z);
    return out;
}

// A zip of one member of `bytes` zeros (its sizes in a data descriptor, as streaming
// writers do, since they do not fit a plain header).
inline std::string zipBomb(std::uint64_t bytes, const std::string& name = "zeros.bin") {
    RawZipMember m;
    m.name = name;
    m.data = deflatedZeros(bytes);
    m.deflated = true;
    m.size = static_cast<std::uint32_t>(bytes);
    m.sizesInDescriptor = true;
    return rawZip({m});
}

}  // namespace scoutwell::testing
