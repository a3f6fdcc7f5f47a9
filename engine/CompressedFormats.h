// Compressed files, decoded when compressed files are searched: gzip, bzip2, xz, lzma,
// zstd and lz4, each recognised by its magic bytes, never by the file's name.
//
// bzip2, xz, lzma, zstd and lz4 are decompressed by libarchive (its raw format with their
// filters, each built on the format's own library), the library the archive readers use
// too: one stream interface for all of them. Each of those libraries checks its format's
// checksums. gzip goes to zlib directly: libarchive's gzip filter checks neither the CRC
// nor the length of a member, so damaged data would pass for a complete text.
// Decoders pull the compressed bytes from their input as they need them, so pseudo files
// stay bounded as plain ones are and nothing is read twice.
#pragma once

#include "engine/Decoder.h"

namespace scoutwell {

const DecoderFormat& gzipFormat();
const DecoderFormat& bzip2Format();
const DecoderFormat& xzFormat();
const DecoderFormat& lzmaFormat();
const DecoderFormat& zstdFormat();
const DecoderFormat& lz4Format();

}  // namespace scoutwell
